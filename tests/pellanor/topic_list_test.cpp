// topic_list_test.cpp
#include "topic_list.h"

#include <gtest/gtest.h>

namespace {

TEST(TopicList, WhatCountsAsATopicAndATranslationName) {
    EXPECT_TRUE(topic_list::isTopicFileName("Hope.txt"));
    EXPECT_TRUE(topic_list::isTopicFileName("HOPE.TXT"));
    EXPECT_FALSE(topic_list::isTopicFileName("Your Verses.txt.bad")) << "a file set aside";
    EXPECT_FALSE(topic_list::isTopicFileName("Your Verses.txtold"));
    EXPECT_FALSE(topic_list::isTopicFileName("txt"));
    EXPECT_EQ(topic_list::translationName("TRANSLATION_  King James Version"), "King James Version");
    EXPECT_EQ(topic_list::translationName("TRANSLATION_A_B"), "A_B") << "after the first underscore";
    EXPECT_EQ(topic_list::translationName("NoUnderscore"), "");
}

// The saved topic is compared exactly; the saved index is fitted to it and
// reads 1 until it comes; the first topic and the saved one keep verses.
TEST(TopicList, TheBuilderPlacesTheSavedTopicAndFitsTheIndex) {
    TopicList topics(3);
    long index = 9;
    topic_list::Builder b(topics, index, "Peace and Trust.txt");
    ASSERT_EQ(topics.size(), 1u) << "reset at once";
    EXPECT_EQ(topics[0].currentTopic, -1);
    EXPECT_EQ(index, 1);
    EXPECT_TRUE(b.keepsVerses("Hope.txt")) << "the first topic may be shown";
    topic_list::Builder::Placed p = b.add("C:\\T\\", " Hope.v2.txt", false, 4);
    EXPECT_TRUE(p.first);
    EXPECT_FALSE(p.saved);
    EXPECT_EQ(topics[0].name, "Hope") << "leading blanks gone, up to the first dot";
    EXPECT_EQ(topics[0].currentTopic, -1);
    EXPECT_FALSE(b.keepsVerses("Joy.txt"));
    EXPECT_FALSE(b.keepsVerses("peace and trust.txt"));
    EXPECT_TRUE(b.keepsVerses("Peace and Trust.txt"));
    p = b.add("C:\\T\\", "peace and trust.txt", false, 3);
    EXPECT_FALSE(p.saved) << "another letter case is another file name";
    p = b.add("C:\\U\\", "Peace and Trust.txt", true, 5);
    EXPECT_TRUE(p.saved);
    EXPECT_FALSE(p.first);
    ASSERT_EQ(topics.size(), 3u);
    EXPECT_EQ(topics[0].currentTopic, 2);
    EXPECT_EQ(index, 5) << "an index past the topic's verses starts at its last";
    EXPECT_TRUE(topics[2].isUserFile);
    EXPECT_EQ(topics[2].folder, "C:\\U\\");
    EXPECT_EQ(topics[2].verseCount, 5);
    EXPECT_FALSE(b.empty());
}

TEST(TopicList, FailedFilesAreListedByKind) {
    std::vector<std::string> damaged, unopened;
    long count = 0;
    topic_list::Failures f{damaged, unopened, count};
    f.add(true, "C:\\T\\Held.txt", "held words");
    f.add(true, "C:\\T\\Held.txt", "held words");
    EXPECT_EQ(count, 1);
    EXPECT_EQ(topic_list::failureText(damaged, unopened), "held words\r\n");
    EXPECT_STREQ(topic_list::failureCaption(damaged), "Error: File Could Not Be Opened")
        << "only held files: the file format is not the matter";
    f.add(false, "C:\\T\\Bad.txt", "ignored");
    f.add(false, "C:\\T\\Bad.txt", "ignored");
    EXPECT_EQ(count, 2);
    const std::string text = topic_list::failureText(damaged, unopened);
    EXPECT_EQ(text.find("The following files have errors."), 0u);
    EXPECT_EQ(text.substr(text.size() - std::string("C:\\T\\Bad.txt   \r\n\r\nheld words\r\n").size()),
              "C:\\T\\Bad.txt   \r\n\r\nheld words\r\n");
    EXPECT_STREQ(topic_list::failureCaption(damaged), "Errors Were Identified in the Verse Files");
    EXPECT_EQ(topic_list::heldFolderText("TRANSLATION_X"),
              "The files in the folder TRANSLATION_X could not be opened.  \r\nThis is usually caused by another "
              "program having the files open already.  Please close the other program and re-start this one.  ");
}

} // namespace
