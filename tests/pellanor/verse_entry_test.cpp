// verse_entry_test.cpp
// The add-verses rules that need no window: chapter, line forms, the split
// of a verse row, pasting.
#include <gtest/gtest.h>

#include "verse_entry.h"

using verse_entry::Chapter;
using verse_entry::checkChapter;

TEST(VerseEntry, ChapterPassesOnlyAsAPlainWholeNumber) {
    for (const char* ok : {"12", "-3", "0", "2147483647", "-2147483648"})
        EXPECT_EQ(checkChapter(ok), Chapter::Passes) << ok;
    for (const char* bad : {"012", "12 ", " 12", "12.0", "-0", "+5", "12a", "twelve", "1e1", "",
                            "1,000", "0x10", "3.5"})
        EXPECT_EQ(checkChapter(bad), Chapter::NotNumeric) << bad;
    for (const char* big : {"2147483648", "-2147483649", "99999999999", "1e400", "9e9x"})
        EXPECT_EQ(checkChapter(big), Chapter::OutOfRange) << big;
}

TEST(VerseEntry, LinesOfTheTwoUserFiles) {
    EXPECT_EQ(verse_entry::verseLine("John", "3", "16", "KJV: For God so loved"),
              "John\t3\t16\tKJV: For God so loved\r\n");
    EXPECT_EQ(verse_entry::thoughtLine("", "", "Be still"), "\t\t\tBe still\r\n");
    EXPECT_EQ(verse_entry::thoughtLine("Ann", "p. 4", "Hope"), "Ann\tp. 4\t\tHope\r\n");
}

TEST(VerseEntry, SplitDropsTheBlankAfterTheFirstColon) {
    std::string translation, text;
    ASSERT_TRUE(verse_entry::splitTranslation("NIV: Be still: and know", translation, text));
    EXPECT_EQ(translation, "NIV");
    EXPECT_EQ(text, "Be still: and know");
    ASSERT_TRUE(verse_entry::splitTranslation("X:", translation, text));
    EXPECT_EQ(text, "");
    // Without the blank nothing of the text is lost.
    ASSERT_TRUE(verse_entry::splitTranslation("KJV:Jesus wept", translation, text));
    EXPECT_EQ(translation, "KJV");
    EXPECT_EQ(text, "Jesus wept");
    ASSERT_TRUE(verse_entry::splitTranslation("KJV:  Jesus wept", translation, text));
    EXPECT_EQ(text, " Jesus wept");
    EXPECT_FALSE(verse_entry::splitTranslation("no colon here", translation, text));
}

TEST(VerseEntry, PasteReplacesTheSelectionOrInsertsAtTheCaret) {
    EXPECT_EQ(verse_entry::pasteInto("chapter", "12", 0, 7), "12") << "all selected";
    EXPECT_EQ(verse_entry::pasteInto("", "abc", 0, 0), "abc") << "empty field";
    EXPECT_EQ(verse_entry::pasteInto("Hello world", "big ", 6, 0), "Hello big world") << "caret";
    EXPECT_EQ(verse_entry::pasteInto("Hello world", "there", 6, 5), "Hello there") << "selection";
    EXPECT_EQ(verse_entry::pasteInto("abc", "X", 9, 4), "abcX") << "a selection past the end";
}
