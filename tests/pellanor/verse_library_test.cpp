// verse_library_test.cpp
// The load of the verse library against a folder tree in memory.
#include "verse_library.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <stdexcept>

#include "memory_disk.h"
#include "topic_text.h"

using testsupport::MemoryDisk;
using testsupport::verses;
using verse_library::Shown;
using Found = verse_library::Translations::Found;

namespace {

const std::string kRoot = "C:\\Program Files\\Pellanor";
const std::string KJV = "TRANSLATION_King James Version";
const std::string WEB = "TRANSLATION_World English Bible";

class Load : public ::testing::Test {
protected:
    void topic(const std::string& folder, const std::string& name, const std::string& content) {
        disk.file(kRoot + "\\" + folder + "\\" + name, content);
    }
    void hold(const std::string& folder, const std::string& name) { disk.hold(kRoot + "\\" + folder + "\\" + name); }
    verse_library::Translations find() { return verse_library::findTranslations(disk, kRoot); }
    // The whole load as start-up runs it, the saved translation current.
    verse_library::Load load(const std::string& savedTranslation = KJV, const std::string& savedFile = "Peace and Trust.txt",
                             long savedIndex = 1) {
        found = find();
        EXPECT_EQ(found.found, Found::Some);
        const long current = verse_library::pickTranslation(found.table, savedTranslation).current;
        return verse_library::loadAll(disk, kRoot, found.table, current, savedFile, savedIndex,
                                      [this](const std::string& entry) { logged.push_back(entry); });
    }
    MemoryDisk disk;
    verse_library::Translations found;
    std::vector<std::string> logged;
};

TEST_F(Load, WhichFoldersAreTranslations) {
    EXPECT_EQ(find().found, Found::NoFolders) << "an empty program folder";
    // Which is told, and logged, in these words.
    const std::string missing = verse_library::missingFoldersText();
    EXPECT_STREQ(verse_library::kMissingFoldersCaption, "Folders Containing the Scriptures are Missing");
    EXPECT_NE(missing.find("\r\n>>> NOTE: If you have copied the program icon"), std::string::npos);
    EXPECT_EQ(missing.find("The folders containing the scripture verses have been deleted."), 0u);

    disk.folder(kRoot + "\\TRANSLATION_Empty");
    disk.file(kRoot + "\\TRANSLATION_Empty\\readme.doc", "x");
    disk.folder(kRoot + "\\TRANSLATION_Empty\\sub.txt");
    disk.file(kRoot + "\\TRANSLATION_file.txt", "a file, not a folder");
    disk.file(kRoot + "\\Other\\Hope.txt", verses(1));
    verse_library::Translations none = find();
    EXPECT_EQ(none.found, Found::NoTopics) << "entries, but none with a topic file: the program ends silently";
    EXPECT_TRUE(none.table.empty());

    // The file system's order stands; the name loses its leading blanks.
    topic(WEB, "Hope.txt", verses(1));
    topic("translation_ Spaced Name", "Hope.txt", verses(1));
    topic(KJV, "Hope.txt", verses(1));
    verse_library::Translations some = find();
    ASSERT_EQ(some.found, Found::Some);
    ASSERT_EQ(some.table.size(), 3u);
    EXPECT_EQ(some.table[0].folder, WEB);
    EXPECT_EQ(some.table[1].name, "Spaced Name");
    EXPECT_EQ(some.table[2].name, "King James Version");
    EXPECT_EQ(some.table[0].count, 3);
    verse_library::Pick pick = verse_library::pickTranslation(some.table, "TRANSLATION_king JAMES version");
    EXPECT_EQ(pick.current, 2) << "the saved translation matches in any case";
    EXPECT_FALSE(pick.saveFirst);

    pick = verse_library::pickTranslation(some.table, "translation_world english BIBLE");
    EXPECT_EQ(some.table[static_cast<size_t>(pick.current)].folder, WEB);
    EXPECT_EQ(some.table[static_cast<size_t>(pick.current)].name, "World English Bible");

    pick = verse_library::pickTranslation(some.table, "TRANSLATION_Gone");
    EXPECT_EQ(pick.current, 0);
    EXPECT_TRUE(pick.saveFirst) << "a saved translation that is gone selects the first, which is saved";
}

TEST_F(Load, LoadsEveryTranslationAndFitsTheSavedIndex) {
    topic(KJV, "Hope.txt", verses(4, "kjv hope"));
    topic(KJV, "Peace and Trust.txt", verses(5, "kjv peace"));
    topic(WEB, "Peace and Trust.txt", verses(5, "web peace"));
    topic(WEB, "Joy.txt", verses(2, "web joy"));
    verse_library::Load l = load(KJV, "Peace and Trust.txt", 7);
    EXPECT_EQ(l.shown, Shown::Ok);
    EXPECT_EQ(l.verseIndex, 5) << "index 7 of 5 starts at the last verse";
    EXPECT_EQ(l.failedCount, 0);
    ASSERT_EQ(l.translations.size(), 2u);
    const TopicList& kjv = l.translations[0].topics;
    ASSERT_EQ(kjv.size(), 2u);
    EXPECT_EQ(kjv[0].name, "Hope") << "in the folder's order";
    ASSERT_EQ(kjv[0].currentTopic, 1);
    EXPECT_EQ(kjv[1].fileName, "Peace and Trust.txt");
    EXPECT_EQ(kjv[1].name, "Peace and Trust");
    EXPECT_EQ(kjv[1].verseCount, 5);
    EXPECT_EQ(kjv[1].folder, kRoot + "\\" + KJV + "\\");
    EXPECT_FALSE(kjv[1].isUserFile);
    ASSERT_TRUE(l.translations[0].versesFound);
    ASSERT_EQ(verseCountOf(l.translations[0].verses), 5);
    EXPECT_EQ(l.translations[0].verses[1].text, "kjv peace verse 1");
    EXPECT_EQ(l.translations[1].topics[0].currentTopic, 0);
    EXPECT_EQ(l.translations[1].verses[5].text, "web peace verse 5") << "the parallel view's verses";
}

TEST_F(Load, AMissingSavedTopicPicksTheFirst) {
    topic(KJV, "Hope.txt", verses(3, "hope"));
    topic(KJV, "Joy.txt", verses(2, "joy"));
    topic(WEB, "Joy.txt", verses(2, "web joy"));
    verse_library::Load l = load(KJV, "Gone.txt", 2);
    EXPECT_EQ(l.shown, Shown::TopicMissing);
    EXPECT_EQ(l.verseIndex, 1);
    ASSERT_EQ(l.translations.size(), 2u);
    EXPECT_EQ(l.translations[0].topics[0].currentTopic, 0);
    ASSERT_EQ(verseCountOf(l.translations[0].verses), 3);
    EXPECT_EQ(l.translations[0].verses[3].text, "hope verse 3");
    EXPECT_EQ(l.translations[1].topics[0].currentTopic, -1)
        << "in another translation the mark stays: the topic is not available there";
    EXPECT_FALSE(l.translations[1].versesFound);
}

// Nothing loaded in the shown translation: damaged files make it corrupt,
// files another program holds never do; the load stops there.
TEST_F(Load, ATranslationThatLoadedNothingIsCorruptOnlyWhenDamaged) {
    topic(KJV, "Bad.txt", "only\ttwo\ttabs\r\n");
    topic(KJV, "Empty.txt", "\r\n  \r\n");
    topic(WEB, "Peace and Trust.txt", verses(2));
    topic("TRANSLATION_Zulu", "Peace and Trust.txt", verses(2));
    verse_library::Load l = load(WEB);
    EXPECT_EQ(l.shown, Shown::Ok) << "a corrupt translation that is not shown does not matter";

    l = load(KJV);
    EXPECT_EQ(l.shown, Shown::Corrupt);
    EXPECT_EQ(l.translations.size(), 1u) << "the load stops at the shown translation";
    ASSERT_EQ(logged.size(), 2u) << "the bad line is logged each read, for the caller to keep once";
    EXPECT_EQ(logged[1], "The file " + kRoot + "\\" + KJV + "\\Bad.txt could not be parsed.  Line 1 failed.  ");

    topic(KJV, "Held.txt", verses(2));
    hold(KJV, "Held.txt");
    EXPECT_EQ(load(KJV).shown, Shown::Held) << "beside a damaged file, a held one is not damage";
    disk.remove(kRoot + "\\" + KJV + "\\Bad.txt");
    disk.remove(kRoot + "\\" + KJV + "\\Empty.txt");
    EXPECT_EQ(load(KJV).shown, Shown::Held);

    // A user file that loads is a topic: the translation is not empty.
    disk.file(kRoot + "\\Your Verses\\Your Inspirational Thoughts.txt", "A\tB\t\tThought\r\n");
    l = load(KJV);
    EXPECT_EQ(l.shown, Shown::TopicMissing);
    EXPECT_EQ(l.translations[0].topics[0].name, "Your Inspirational Thoughts");
    EXPECT_EQ(l.translations.size(), 3u);
    EXPECT_EQ(verse_library::corruptText(KJV),
              "All of the files in the folder " + KJV + " are corrupt.  Please remove the folder.   ");
}

TEST_F(Load, FailedFilesAreListedOnceEach) {
    topic(KJV, "Peace and Trust.txt", verses(2));
    topic(KJV, "Broken.txt", "a\tb\tc\td\r\nthree\tfields\tonly\r\n");
    topic(WEB, "Peace and Trust.txt", verses(2));
    topic(WEB, "Held.txt", verses(2));
    hold(WEB, "Held.txt");
    disk.file(kRoot + "\\Your Verses\\Your Verses.txt", "John\t3\t16\tno colon\r\n");
    disk.file(kRoot + "\\Your Verses\\Your Inspirational Thoughts.txt",
              "Augustine\tConfessions\t\tOur heart is restless.\r\n");
    disk.file(kRoot + "\\Your Verses\\Your Verses.txt.bad", "garbage");
    disk.file(kRoot + "\\Your Verses\\Your Verses.txtold", "garbage");
    verse_library::Load l = load();
    EXPECT_EQ(l.shown, Shown::Ok);
    EXPECT_EQ(l.damaged, (std::vector<std::string>{kRoot + "\\" + KJV + "\\Broken.txt   \r\n",
                                                   kRoot + "\\Your Verses\\Your Verses.txt   \r\n"}))
        << "a user file failing in every translation is listed once; set-aside files are no topics";
    const std::string held = kRoot + "\\" + WEB + "\\Held.txt";
    EXPECT_EQ(l.unopened, (std::vector<std::string>{"The file " + held + " could not be opened.  \r\n"
                                                    "This is usually caused by another program having the file "
                                                    "open already.  Please close the other program and re-start "
                                                    "this one.  \r\n"}));
    EXPECT_EQ(l.failedCount, 3);
    // The thoughts file loaded as a user topic after the translation's own.
    const TopicList& topics = l.translations[0].topics;
    ASSERT_EQ(topics.size(), 2u);
    EXPECT_TRUE(topics[1].isUserFile);
    EXPECT_EQ(topics[1].name, "Your Inspirational Thoughts");
    EXPECT_EQ(topics[1].folder, kRoot + "\\Your Verses\\");
}

// A file set aside ("... .txt.bad", "... .txtold") is neither a topic nor
// a failure: nothing to list, no box.
TEST_F(Load, SetAsideFilesAreNotTopics) {
    topic(KJV, "Peace and Trust.txt", verses(2));
    disk.file(kRoot + "\\Your Verses\\Your Verses.txt.bad", "garbage");
    disk.file(kRoot + "\\Your Verses\\Your Verses.txtold", "garbage");
    verse_library::Load l = load();
    EXPECT_EQ(l.shown, Shown::Ok);
    EXPECT_EQ(l.failedCount, 0);
    EXPECT_TRUE(l.damaged.empty() && l.unopened.empty());
    ASSERT_EQ(l.translations.size(), 1u);
    EXPECT_EQ(l.translations[0].topics.size(), 1u);
}

// A current translation outside the table: nothing could be shown, so
// nothing is read (the damaged file would be logged).
TEST_F(Load, ABadCurrentTranslationIndexIsRefusedInsteadOfReading) {
    topic(KJV, "Peace and Trust.txt", verses(2));
    topic(KJV, "Broken.txt", "three\tfields\tonly\r\n");
    found = find();
    ASSERT_EQ(found.table.size(), 1u);
    for (long current : {5L, 1L, -1L}) {
        EXPECT_THROW((void)verse_library::loadAll(disk, kRoot, found.table, current, "Peace and Trust.txt", 1,
                                                  [this](const std::string& entry) { logged.push_back(entry); }),
                     std::out_of_range)
            << current;
    }
    EXPECT_TRUE(logged.empty());
}

TEST_F(Load, ReadingOneFileReportsEachFailureKind) {
    const std::string path = kRoot + "\\t.txt";
    std::string buffer;
    VerseArray v;
    long index = 9;
    verse_library::TopicRead r = verse_library::readTopic(disk, path, index, &v, buffer);
    EXPECT_EQ(r.outcome, Outcome::Failed);
    EXPECT_TRUE(r.unopened);
    EXPECT_EQ(r.caption, "Error: File Could Not Be Opened");
    EXPECT_EQ(r.message.find("The file " + path + " could not be opened.  \r\nThis is usually caused"), 0u);

    disk.file(path, "  \r\n");
    r = verse_library::readTopic(disk, path, index, &v, buffer);
    EXPECT_EQ(r.outcome, Outcome::Failed);
    EXPECT_FALSE(r.unopened);
    EXPECT_EQ(r.caption, "Error: File is Empty ");
    EXPECT_EQ(r.flags, 16);

    disk.file(path, "a\tb\tc\td\r\nbad\r\nbad\r\n");
    r = verse_library::readTopic(disk, path, index, nullptr, buffer);
    EXPECT_EQ(r.outcome, Outcome::Failed);
    EXPECT_FALSE(r.unopened) << "damaged, not held";
    EXPECT_EQ(r.damageLog, "The file " + path + " could not be parsed.  Line 2 failed, the first of 2 lines that failed.  ");

    disk.file(kRoot + "\\Your Verses.txt", "John\t3\t16\tno colon\r\n");
    r = verse_library::readTopic(disk, kRoot + "\\Your Verses.txt", index, &v, buffer);
    EXPECT_EQ(r.caption, "Error: File Could Not Be Opened");
    EXPECT_FALSE(r.unopened);

    disk.file(path, verses(5));
    r = verse_library::readTopic(disk, path, index, &v, buffer);
    EXPECT_EQ(r.outcome, Outcome::Ok);
    EXPECT_EQ(r.lineCount, 5);
    EXPECT_EQ(index, 1) << "an index to check of 9 for 5 verses becomes 1";
    EXPECT_EQ(v[5].text, "v verse 5");
}

} // namespace
