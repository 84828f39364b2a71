// verse_navigation_test.cpp
// Stepping through the library as the main window does, over topic files
// in memory: what is shown, how steps wrap, the order across topics, a
// change of topic or translation.
#include "verse_navigation.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "memory_disk.h"
#include "topic_text.h"
#include "verse_display.h"
#include "verse_library.h"

using testsupport::MemoryDisk;

namespace {

const std::string kRoot = "C:\\Program Files\\Pellanor";
const std::string KJV = "TRANSLATION_King James Version";
const std::string WEB = "TRANSLATION_World English Bible";

class Navigation : public ::testing::Test {
protected:
    // Two translations of "Peace and Trust" (3 verses) and "Hope" (2
    // verses); the second lacks Hope and has no verse 3 of Peace and Trust.
    void SetUp() override {
        topic(KJV, "Peace and Trust.txt",
              {"Isaiah\t26\t3\tThou wilt keep him in perfect peace", "John\t14\t27\tPeace I leave with you",
               "Psalms\t4\t8\tI will both lay me down"});
        topic(KJV, "Hope.txt", {"Romans\t15\t13\tNow the God of hope", "Psalms\t42\t11\tHope thou in God"});
        topic(WEB, "Peace and Trust.txt",
              {"Isaiah\t26\t3\tYou will keep whoever's mind is steadfast",
               "John\t14\t27\tPeace I leave with you; my peace"});
    }
    void topic(const std::string& folder, const std::string& file, const std::vector<std::string>& l) {
        disk.file(kRoot + "\\" + folder + "\\" + file, testsupport::topicText(l));
    }

    // The library as the load leaves it: every translation lists its own
    // topic files, then the user's, and holds savedFile's verses; the shown
    // translation shows its first topic when it lacks savedFile, the others
    // are marked -1.
    void start(const std::string& savedFile = "Peace and Trust.txt", long savedIndex = 1) {
        translations.clear();
        for (const std::string& folder : {KJV, WEB}) {
            TranslationRecord t;
            t.folder = folder;
            t.name = folder.substr(folder.find('_') + 1);
            t.count = 2;
            long saved = -1;
            for (const std::string& dir : {kRoot + "\\" + folder + "\\", kRoot + "\\Your Verses\\"}) {
                for (const std::string& file : verse_library::topicFilesIn(disk, dir)) {
                    TopicRecord r;
                    r.fileName = file;
                    r.name = file.substr(0, file.find('.'));
                    r.folder = dir;
                    r.isUserFile = dir.find("Your Verses") != std::string::npos;
                    VerseArray v;
                    std::string message;
                    EXPECT_TRUE(read(dir + file, v, r.verseCount, message)) << message;
                    if (file == savedFile) {
                        saved = static_cast<long>(t.topics.size());
                        t.verses = v;
                    }
                    t.topics.push_back(r);
                }
            }
            if (saved < 0 && translations.empty()) {
                saved = 0;
                long count = 0;
                std::string message;
                EXPECT_TRUE(read(t.topics[0].folder + t.topics[0].fileName, t.verses, count, message));
            }
            t.topics[0].currentTopic = saved;
            translations.push_back(t);
        }
        current = 0;
        topics = translations[0].topics;
        verses = translations[0].verses;
        verseIndex = savedIndex;
    }
    verse_navigation::Library library() {
        return {translations, current, topics, verses, verseIndex, kRoot, parallel, repeatsLeft, repeatCounts};
    }
    long topicIndex(const std::string& file) const {
        for (size_t i = 0; i < topics.size(); ++i)
            if (topics[i].fileName == file) return static_cast<long>(i);
        return -1;
    }
    // The verse box as the window shows it.
    verse_display::VerseBox box() {
        return verse_display::verseBox(translations, current, topics, verseIndex,
                                       verse_navigation::verseAt(verses, verseIndex), parallel);
    }
    std::string reference() { return verse_display::referenceText(verse_navigation::verseAt(verses, verseIndex)); }
    bool changeTopic(long index) {
        verse_navigation::Library l = library();
        return verse_navigation::changeTopic(l, index, read).done;
    }
    bool changeTranslation(long index) {
        verse_navigation::Library l = library();
        return verse_navigation::changeTranslation(l, index, read).done;
    }

    MemoryDisk disk;
    verse_navigation::ReadTopic read = [this](const std::string& path, VerseArray& v, long& count,
                                              std::string& message) {
        long index = 1;
        std::string buffer;
        verse_library::TopicRead r = verse_library::readTopic(disk, path, index, &v, buffer);
        count = r.lineCount;
        message = r.message;
        return succeeded(r.outcome);
    };
    std::vector<TranslationRecord> translations;
    long current = 0;
    TopicList topics;
    VerseArray verses;
    long verseIndex = 1;
    bool parallel = true;
    std::array<long, 2> repeatsLeft{1, 1};
    std::array<long, 2> repeatCounts{1, 1};
};

TEST_F(Navigation, TranslationWithoutTheVerseOrTopicAddsNothing) {
    start("Peace and Trust.txt", 3);
    verse_display::VerseBox shown = box();
    EXPECT_EQ(shown.text, "King James Version\r\nI will both lay me down\r\n\r\n");
    EXPECT_EQ(shown.names.size(), 1u) << "one name emphasised";
    EXPECT_EQ(translations[1].nameStart, -1);

    ASSERT_TRUE(changeTopic(topicIndex("Hope.txt")));
    EXPECT_EQ(translations[1].topics[0].currentTopic, -1) << "World English Bible lacks Hope";
    EXPECT_EQ(translations[1].verses.size(), 1u) << "a single blank record, not half-filled";
    EXPECT_EQ(translations[1].verses[0].text, "");
    EXPECT_EQ(box().text, "King James Version\r\nNow the God of hope\r\n\r\n");
}

TEST_F(Navigation, ParallelViewOffShowsOneTranslation) {
    parallel = false;
    start();
    EXPECT_EQ(box().text, "King James Version\r\nThou wilt keep him in perfect peace\r\n\r\n");
}

TEST_F(Navigation, UserTopicShowsTheTextAloneWithItsTranslation) {
    disk.file(kRoot + "\\Your Verses\\Your Verses.txt", "Ruth\t1\t16\tMy Version: Whither thou goest\r\n");
    disk.file(kRoot + "\\Your Verses\\Your Inspirational Thoughts.txt",
              "Augustine\tConfessions\t\tOur heart is restless\r\nAnon\t\t\tAuthor only\r\n");
    start("Your Verses.txt");
    verse_display::VerseBox shown = box();
    EXPECT_EQ(shown.text, "Whither thou goest");
    EXPECT_TRUE(shown.names.empty());
    EXPECT_EQ(shown.translationPanel, "My Version");
    EXPECT_EQ(verse_display::translationStatus(verses, verseIndex, translations, current).translationPanel,
              "My Version");
    EXPECT_EQ(reference(), "Ruth 1:16");

    long thoughts = topicIndex("Your Inspirational Thoughts.txt");
    ASSERT_GE(thoughts, 0);
    ASSERT_TRUE(changeTopic(thoughts));
    EXPECT_EQ(reference(), "Augustine - Confessions");
    EXPECT_EQ(verse_display::translationStatus(verses, verseIndex, translations, current).translationPanel,
              "No Translation");
    verse_navigation::Library l = library();
    verse_navigation::nextVerse(l);
    EXPECT_EQ(reference(), "Anon");
}

TEST_F(Navigation, StepsWrapWithinTheTopic) {
    start();
    verse_navigation::Library l = library();
    verse_navigation::previousVerse(l);
    EXPECT_EQ(verseIndex, 3) << "previous on the first verse shows the last";
    verse_navigation::nextVerse(l);
    EXPECT_EQ(verseIndex, 1) << "next on the last verse shows the first";
    EXPECT_EQ(verse_display::topicStatus(topics, verseIndex).versePanel, "Verse 1 of 3");
    EXPECT_EQ(verse_display::topicStatus(topics, verseIndex).topicList, " Peace and Trust");
}

TEST_F(Navigation, VerseOrderRepeatsTopicsThenWraps) {
    repeatsLeft = repeatCounts = {1, 2};
    start();
    verse_navigation::Library l = library();
    using Kind = verse_navigation::OrderStep::Kind;
    long shown = topics[0].currentTopic;
    verseIndex = 2;
    EXPECT_EQ(verse_navigation::nextInOrder(l).kind, Kind::NextVerse);
    EXPECT_EQ(verseIndex, 3);
    EXPECT_EQ(repeatsLeft[1], 2) << "a verse within the topic does not count";

    EXPECT_EQ(verse_navigation::nextInOrder(l).kind, Kind::TopicAgain);
    EXPECT_EQ(topics[0].currentTopic, shown) << "a second pass through the same topic";
    EXPECT_EQ(verseIndex, 1);
    EXPECT_EQ(repeatsLeft[1], 1);
    verseIndex = 3;
    verse_navigation::OrderStep step = verse_navigation::nextInOrder(l);
    ASSERT_EQ(step.kind, Kind::NextTopic);
    long expected = shown + 1 > static_cast<long>(topics.size()) - 1 ? 0 : shown + 1;
    EXPECT_EQ(step.topic, expected) << "then the next topic";
    repeatsLeft[0] = 7;
    ASSERT_TRUE(changeTopic(step.topic));
    EXPECT_EQ(topics[0].currentTopic, expected);
    EXPECT_EQ(verseIndex, 1);
    EXPECT_EQ(repeatsLeft[1], 2) << "counters reloaded";
    EXPECT_EQ(repeatsLeft[0], 1);
    // From the last topic the order wraps to the first.
    long last = static_cast<long>(topics.size()) - 1;
    ASSERT_TRUE(changeTopic(last));
    verseIndex = topics[static_cast<size_t>(last)].verseCount;
    repeatsLeft[1] = 1;
    step = verse_navigation::nextInOrder(l);
    EXPECT_EQ(step.kind, Kind::NextTopic);
    EXPECT_EQ(step.topic, 0);
}

// A showing counts against the verse's repeat count; the wake-up that
// uses it up steps on and reloads it.
TEST_F(Navigation, RepeatCountShowsAVerseOnSeveralWakeUps) {
    repeatsLeft = repeatCounts = {3, 1};
    start();
    verse_navigation::Library l = library();
    std::vector<long> shown;
    for (int i = 0; i < 6; ++i) {
        if (verse_navigation::showingCounted(l)) {
            ASSERT_EQ(verse_navigation::nextInOrder(l).kind, verse_navigation::OrderStep::Kind::NextVerse);
            verse_navigation::reloadShowings(l);
        }
        shown.push_back(verseIndex);
    }
    EXPECT_EQ(shown, (std::vector<long>{1, 1, 2, 2, 2, 3}));
    EXPECT_EQ(repeatsLeft[0], 3);
}

TEST_F(Navigation, ChangingTranslationKeepsTheVerseWhenItCan) {
    start();
    verseIndex = 2;
    ASSERT_TRUE(changeTranslation(1));
    EXPECT_EQ(current, 1);
    EXPECT_EQ(verseIndex, 2);
    EXPECT_EQ(box().text,
              "World English Bible\r\nPeace I leave with you; my peace\r\n\r\n"
              "King James Version\r\nPeace I leave with you\r\n\r\n");
    // Back to the first translation on a topic the other lacks.
    ASSERT_TRUE(changeTranslation(0));
    ASSERT_TRUE(changeTopic(topicIndex("Hope.txt")));
    verseIndex = 2;
    ASSERT_TRUE(changeTranslation(1));
    EXPECT_EQ(topics[static_cast<size_t>(topics[0].currentTopic)].fileName, "Peace and Trust.txt")
        << "a translation without the topic shows its first topic";
    EXPECT_EQ(verseIndex, 1);

    // A verse number the other translation's file lacks.
    ASSERT_TRUE(changeTranslation(0));
    verseIndex = 3;
    ASSERT_TRUE(changeTranslation(1));
    EXPECT_EQ(verseIndex, 1);
}

TEST_F(Navigation, UnreadableTopicLeavesEverythingAsItWas) {
    start();
    topic(KJV, "Hope.txt", {"broken line"});
    long shown = topics[0].currentTopic;
    verse_navigation::Library l = library();
    verse_navigation::Change change = verse_navigation::changeTopic(l, topicIndex("Hope.txt"), read);
    EXPECT_FALSE(change.done);
    EXPECT_EQ(topics[0].currentTopic, shown);
    EXPECT_EQ(box().text,
              "King James Version\r\nThou wilt keep him in perfect peace\r\n\r\n"
              "World English Bible\r\nYou will keep whoever's mind is steadfast\r\n\r\n");
    std::string text = verse_navigation::changeTopicFailureText(change.message);
    EXPECT_EQ(text.find("The following error occurred trying to change subjects:\r\n\r\nThe file "), 0u) << text;
    EXPECT_NE(text.find("\r\n\r\nThe subject will NOT be changed"), std::string::npos);

    disk.remove(kRoot + "\\" + WEB + "\\Peace and Trust.txt");
    change = verse_navigation::changeTranslation(l, 1, read);
    EXPECT_FALSE(change.done);
    EXPECT_EQ(current, 0);
    EXPECT_EQ(verse_navigation::changeTranslationFailureText("x"),
              "The following error occurred trying to change Translations:\r\n\r\nx\r\n\r\n"
              "The translation will NOT be changed");
}

TEST_F(Navigation, BadIndexesThrow) {
    start();
    verse_navigation::Library l = library();
    EXPECT_THROW(verse_navigation::changeTopic(l, 99, read), std::out_of_range);
    EXPECT_THROW(verse_navigation::changeTranslation(l, -1, read), std::out_of_range);
    verseIndex = 42;
    EXPECT_THROW(box(), std::out_of_range);
    EXPECT_THROW(verse_display::translationStatus(verses, verseIndex, translations, current), std::out_of_range);
    verseIndex = 1;
    topics[0].currentTopic = 5;
    EXPECT_THROW(verse_display::verseBox(translations, current, topics, 1, verses[1], true), std::out_of_range);
    EXPECT_THROW(verse_display::topicStatus(topics, 1), std::out_of_range);
    EXPECT_THROW(verse_navigation::nextVerse(l), std::out_of_range);
    EXPECT_EQ(verseIndex, 1) << "nothing stepped";
}

// The saved topic is gone from the shown translation, from all of them or
// still in another: the topic chosen instead shows in parallel too.
TEST_F(Navigation, TheTopicChosenForAMissingOneShowsInParallel) {
    disk.remove(kRoot + "\\" + KJV + "\\Hope.txt");
    topic(WEB, "Hope.txt", {"Isaiah\t26\t3\tA verse of another topic"});
    for (const char* saved : {"Gone.txt", "Hope.txt"}) {
        start(saved);
        EXPECT_EQ(translations[1].topics[0].currentTopic, std::string(saved) == "Hope.txt" ? 1 : -1);
        verse_navigation::Library l = library();
        verse_navigation::parallelFollowsShownTopic(l, read);
        EXPECT_EQ(box().text,
                  "King James Version\r\nThou wilt keep him in perfect peace\r\n\r\n"
                  "World English Bible\r\nYou will keep whoever's mind is steadfast\r\n\r\n")
            << saved;
    }
}

} // namespace
