// verse_lists_test.cpp
// The add-verses dialog's lists without the window: add, update, delete and
// sort, what OK writes and in what order, existing files filling the lists,
// and a save that fails.
#include <gtest/gtest.h>

#include <cctype>
#include <map>

#include "verse_entry.h"
#include "verse_file.h"
#include "verse_lists.h"

using verse_lists::Box;
using verse_lists::kThoughts;
using verse_lists::kVerses;
using verse_lists::Lists;
using verse_lists::Rows;

namespace {

const std::string kFolder = "C:\\lib\\Your Verses\\";
const std::string kVersesPath = kFolder + "Your Verses.txt";
const std::string kThoughtsPath = kFolder + "Your Inspirational Thoughts.txt";

// Text order without regard to case, as the dialog sorts.
int noCase(const std::string& a, const std::string& b) {
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        int x = std::tolower(static_cast<unsigned char>(a[i])), y = std::tolower(static_cast<unsigned char>(b[i]));
        if (x != y) return x - y;
    }
    return static_cast<int>(a.size()) - static_cast<int>(b.size());
}

// User files in memory: what is there after each save, or a refusal that
// changes nothing.
class MemoryFiles : public verse_lists::FileWriter {
public:
    bool replace(const std::vector<verse_lists::UserFile>& files, std::string& problem) override {
        ++saves;
        if (!refusal.empty()) {
            problem = refusal;
            return false;
        }
        for (const verse_lists::UserFile& f : files) {
            if (f.remove)
                disk.erase(f.path);
            else
                disk[f.path] = f.content;
        }
        return true;
    }
    bool exists(const std::string& path) const { return disk.count(path) != 0; }
    std::map<std::string, std::string> disk;
    std::string refusal;
    int saves = 0;
};

verse_entry::Row verse(const char* book, const std::string& chapter, const std::string& verseNumbers,
                       const std::string& translation, const std::string& text) {
    return verse_entry::rowOf(verse_entry::VerseEntry{book, {"book", chapter, verseNumbers, translation, text}});
}

verse_entry::Row thought(const std::string& author, const std::string& date, const std::string& text) {
    return verse_entry::rowOf(verse_entry::ThoughtEntry{{author, date, text}});
}

// A list filled from a user file's bytes as the reader returns them.
void fillFrom(Lists& lists, int list, const std::string& content) {
    VerseArray read;
    const verse_file::Result r = verse_file::parseTopicFile(content, verse_lists::kFileNames[static_cast<size_t>(list)], read);
    ASSERT_EQ(r.status, verse_file::Status::Ok) << content;
    lists.fill(list, read);
}

TEST(VerseLists, AddUpdateDeleteSortThenOKWritesBothFilesInListOrder) {
    Lists lists;
    Box b = lists.add(kVerses, verse("John", "3", "16", "KJV", "For God so loved the world"));
    EXPECT_EQ(b.text, "Verse Successfully Added");
    EXPECT_EQ(b.caption, "Success");
    lists.add(kVerses, verse("Genesis", "1", "1", "WEB", "In the beginning"));
    lists.add(kVerses, verse("Amos", "5", "24", "KJV", "Let judgment run down"));

    // Row 1 copied back into the fields, changed and updated.
    std::string translation, text;
    ASSERT_TRUE(verse_entry::splitTranslation(lists.rows(kVerses)[1][3], translation, text));
    EXPECT_EQ(lists.rows(kVerses)[1][0], "Genesis");
    EXPECT_EQ(translation, "WEB");
    EXPECT_EQ(text, "In the beginning");
    EXPECT_TRUE(lists.update(kVerses, 1, verse("Genesis", "1", "1", "WEB", "In the beginning God created")));
    EXPECT_FALSE(lists.update(kVerses, 3, verse("Mark", "1", "1", "KJV", "x"))) << "no such row";

    b = *lists.remove(kVerses, {0});
    EXPECT_EQ(b.text, "1 selected item(s) were successfully deleted.   ");
    EXPECT_EQ(b.caption, "Items Were Deleted");

    lists.headerClick(kVerses, 1, noCase);
    EXPECT_EQ(lists.rows(kVerses), (Rows{{"Amos", "5", "24", "KJV: Let judgment run down"},
                                        {"Genesis", "1", "1", "WEB: In the beginning God created"}}));

    // Thoughts: one with author and date emptied, one with both.
    EXPECT_EQ(lists.add(kThoughts, thought("", "", "Be still")).text, "Inspirational Thought Successfully Added");
    lists.add(kThoughts, thought("Ann Lee", "p. 4", "Hope does not disappoint"));

    MemoryFiles files;
    std::string problem;
    EXPECT_TRUE(verse_lists::save(lists, kFolder, files, problem));
    EXPECT_EQ(files.disk[kVersesPath],
              "Amos\t5\t24\tKJV: Let judgment run down\r\n"
              "Genesis\t1\t1\tWEB: In the beginning God created\r\n");
    EXPECT_EQ(files.disk[kThoughtsPath], "\t\t\tBe still\r\nAnn Lee\tp. 4\t\tHope does not disappoint\r\n");

    // What was written reads back as the same entries.
    VerseArray read;
    verse_file::Result r = verse_file::parseTopicFile(files.disk[kVersesPath], "Your Verses.txt", read);
    EXPECT_TRUE(r.badLines.empty());
    ASSERT_EQ(read.size(), 3u);
    EXPECT_EQ(read[2].translation, "WEB");
    EXPECT_EQ(read[2].text, "In the beginning God created");
}

TEST(VerseLists, DeleteMessagesAndReverseSort) {
    Lists lists;
    fillFrom(lists, kVerses, "Ruth\t1\t16\tKJV: Whither thou goest\r\nAdam\t1\t1\tX: y\r\nacts\t2\t1\tNIV:  two blanks\r\n");
    Box b = *lists.remove(kVerses, {});
    EXPECT_EQ(b.caption, "No Items Were Deleted");
    EXPECT_EQ(b.text, "You need to select at least one item before pressing the delete button.   \r\n"
                      "In order to select items, you can simply click on a single item, CTRL-click to select multiple items.   \r\n"
                      "You can also drag the mouse over the left column to select multiple items.  ");
    EXPECT_EQ(lists.rows(kVerses).size(), 3u);

    auto books = [&] {
        std::string s;
        for (const auto& r : lists.rows(kVerses)) s += r[0] + ",";
        return s;
    };
    EXPECT_EQ(lists.headerClick(kVerses, 1, noCase), (std::vector<size_t>{2, 1, 0}));
    EXPECT_EQ(books(), "acts,Adam,Ruth,");
    lists.headerClick(kVerses, 1, noCase);
    EXPECT_EQ(books(), "Ruth,Adam,acts,");
    lists.headerClick(kVerses, 4, noCase);
    EXPECT_EQ(books(), "Ruth,acts,Adam,") << "KJV, NIV, X";
    EXPECT_TRUE(lists.headerClick(kVerses, 5, noCase).empty()) << "a verse row has four columns";
    EXPECT_EQ(books(), "Ruth,acts,Adam,");

    EXPECT_EQ(lists.remove(kVerses, {0, 2})->text, "2 selected item(s) were successfully deleted.   ");
    EXPECT_EQ(books(), "acts,");
}

TEST(VerseLists, ExistingFilesFillTheListsAndOKWithAnEmptyListDeletesItsFile) {
    Lists lists;
    fillFrom(lists, kVerses, "Psalms\t46\t10\tKJV: Be still, and know\r\n  \r\nJohn\t1\t1\tWEB: In the beginning\r\n");
    fillFrom(lists, kThoughts, "Ann\t\t\tA thought\r\n");
    EXPECT_EQ(lists.rows(kVerses), (Rows{{"Psalms", "46", "10", "KJV: Be still, and know"},
                                        {"John", "1", "1", "WEB: In the beginning"}}));
    EXPECT_EQ(lists.rows(kThoughts), (Rows{{"Ann", "", "A thought"}}));

    EXPECT_TRUE(lists.remove(kThoughts, {0}));
    EXPECT_FALSE(lists.remove(kThoughts, {0})) << "on an empty list: no message";

    MemoryFiles files;
    files.disk[kThoughtsPath] = "Ann\t\t\tA thought\r\n";
    std::string problem;
    EXPECT_TRUE(verse_lists::save(lists, kFolder, files, problem));
    EXPECT_EQ(files.disk[kVersesPath], "Psalms\t46\t10\tKJV: Be still, and know\r\nJohn\t1\t1\tWEB: In the beginning\r\n");
    EXPECT_FALSE(files.exists(kThoughtsPath));

    // Nothing in either list writes no file.
    Lists empty;
    MemoryFiles none;
    EXPECT_TRUE(verse_lists::save(empty, kFolder, none, problem));
    EXPECT_TRUE(none.disk.empty());
}

// A verse whose file has no blank after the translation's colon keeps its
// whole text: opened and confirmed, nothing is lost.
TEST(VerseLists, OpenAndOKKeepsTheTextAfterAColonWithoutBlank) {
    Lists lists;
    fillFrom(lists, kVerses, "John\t11\t35\tKJV:Jesus wept\r\n");
    ASSERT_EQ(lists.rows(kVerses).size(), 1u);
    EXPECT_EQ(lists.rows(kVerses)[0][3], "KJV: Jesus wept");
    std::string translation, text;
    ASSERT_TRUE(verse_entry::splitTranslation(lists.rows(kVerses)[0][3], translation, text));
    EXPECT_EQ(translation, "KJV");
    EXPECT_EQ(text, "Jesus wept");
    MemoryFiles files;
    std::string problem;
    EXPECT_TRUE(verse_lists::save(lists, kFolder, files, problem));
    EXPECT_EQ(files.disk[kVersesPath], "John\t11\t35\tKJV: Jesus wept\r\n");
}

// A save that cannot complete changes no file and keeps the lists, so OK
// can be pressed again once the way is clear; the user is told what is in
// the way.
TEST(VerseLists, AFailingSaveKeepsTheFilesAndTheEdits) {
    Lists lists;
    fillFrom(lists, kVerses, "Psalms\t46\t10\tKJV: Be still\r\n");
    lists.add(kVerses, verse("John", "3", "16", "KJV", "For God"));
    MemoryFiles files;
    files.disk[kVersesPath] = "Psalms\t46\t10\tKJV: Be still\r\n";
    files.refusal = "The file " + kVersesPath + " could not be replaced.  Access denied.";
    std::string problem;
    EXPECT_FALSE(verse_lists::save(lists, kFolder, files, problem));
    EXPECT_EQ(problem, files.refusal);
    EXPECT_EQ(files.disk[kVersesPath], "Psalms\t46\t10\tKJV: Be still\r\n");
    EXPECT_EQ(lists.rows(kVerses).size(), 2u);
    EXPECT_EQ(verse_lists::saveFailedText(problem),
              "Your verses and thoughts could not be saved.   \r\n\r\n" + files.refusal +
                  "   \r\n\r\nYour changes are still here.  Please correct this and press OK again, or press "
                  "Cancel to leave without saving them.   ");
    EXPECT_STREQ(verse_lists::kSaveFailedCaption, "Error Adding a Verse");

    files.refusal.clear();
    EXPECT_TRUE(verse_lists::save(lists, kFolder, files, problem));
    EXPECT_EQ(files.disk[kVersesPath], "Psalms\t46\t10\tKJV: Be still\r\nJohn\t3\t16\tKJV: For God\r\n");
}

} // namespace
