// verse_entry_test.cpp
// The add-verses rules that need no window: the rules an Add or Update
// runs, chapter, line forms, the split of a verse row, pasting, and the
// name a rejected file is set aside under.
#include <gtest/gtest.h>

#include <cctype>

#include "verse_entry.h"
#include "verse_file.h"

using verse_entry::Chapter;
using verse_entry::checkChapter;
using verse_entry::Verdict;
using Ruling = verse_entry::Verdict::Ruling;

namespace {

verse_entry::VerseEntry verseOf(const char* book, const std::string& chapter, const std::string& verseNumbers,
                                const std::string& translation, const std::string& text) {
    // Member 0 is the hidden book box of an earlier layout, as the dialog fills it.
    return {book, {"book", chapter, verseNumbers, translation, text}};
}

Verdict addVerse(const verse_entry::VerseEntry& entry, const verse_entry::Key& lastAdded = {}) {
    return verse_entry::checkVerse(entry, verse_entry::verseDefaults(), lastAdded, false);
}

Verdict addThought(const verse_entry::ThoughtEntry& entry, const verse_entry::Key& lastAdded = {}) {
    return verse_entry::checkThought(entry, verse_entry::thoughtDefaults(), lastAdded, false);
}

const char* const kVerseRefused = "Verse Has Not Been Added";
const char* const kThoughtRefused = "Inspirational Thought Has Not Been Added";

} // namespace

// Each rule of a verse's Add, in the order they run: the message, its
// caption, the field that gets the focus and what else the dialog does.
TEST(VerseEntry, VerseFieldRules) {
    struct Case {
        const char* book;
        std::string chapter, verseNumbers, translation, text;
        std::string message;
        int field;
    };
    const std::string numeric = "You can only enter a numeric value in the Chapter field in Step 2.   ";
    const std::string bad = " contains invalid character(s).   \r\nYou can only enter characters from the keyboard";
    const Case cases[] = {
        {"John", "chapter", "1", "KJV", "t",
         "You need to change all of the fields.  The following field has not been changed:  >> chapter <<   ", 1},
        {"John", "3", "1", "KJV", "",
         "You need to change all of the fields.  The following field has not been changed:  >>  <<   ", 4},
        {"John", "3", "   ", "KJV", "t", "You cannot leave any fields blank.verse", 2},
        {"John", "3", "1", "KJV", "a\tb", "The linea\tb" + bad, 4},
        {"John", "3", "1", "KJV", "line\r\nbreak", "The lineline\r\nbreak" + bad, 4},
        {"John", "3", "1", "KJV", "x~y", "The linex~y" + bad, 4},
        {"John", "3", "1", "KJV", "{", "The line{" + bad, 4},
        {"John", "3", "1", "KJV", "caf\xE9", "The linecaf\xE9" + bad, 4},
        {"John", "3", "1", "New: KJV", "t", "The Translation cannot contain a colon.  Please remove it.   ", 3},
        {"Select a Book", "3", "1", "KJV", "t", "You did not select a Book of the Bible.  Please select one now.  ",
         verse_entry::kBookList},
        {"John", "012", "1", "KJV", "t", numeric, 1},
        {"John", "12 ", "1", "KJV", "t", numeric, 1},
        {"John", "12.0", "1", "KJV", "t", numeric, 1},
        {"John", "-0", "1", "KJV", "t", numeric, 1},
        {"John", "three", "1", "KJV", "t", numeric, 1},
    };
    for (const Case& c : cases) {
        const Verdict v = addVerse(verseOf(c.book, c.chapter, c.verseNumbers, c.translation, c.text));
        EXPECT_EQ(v.ruling, Ruling::Refused) << c.message;
        EXPECT_EQ(v.text, c.message);
        EXPECT_STREQ(v.caption, kVerseRefused) << c.message;
        EXPECT_EQ(v.field, c.field) << c.message;
        EXPECT_EQ(v.restoreDefault, c.field == 2) << "a blank field gets its default back: " << c.message;
        EXPECT_EQ(v.openBookList, c.field == verse_entry::kBookList) << c.message;
    }
    // 12 and -3 pass; a number beyond 32 bits is the rules' error, although
    // the earlier rules ran the control-code test.
    for (const char* chapter : {"12", "-3"})
        EXPECT_EQ(addVerse(verseOf("John", chapter, "1", "KJV", "t")).ruling, Ruling::Passes) << chapter;
    EXPECT_EQ(addVerse(verseOf("John", "99999999999", "1", "KJV", "t")).ruling, Ruling::Failed);
}

TEST(VerseEntry, SameVerseTwiceInARowIsRefusedWhateverTheTranslation) {
    const auto first = verseOf("John", "3", "16", "KJV", "For God");
    const verse_entry::Key last = verse_entry::keyOf(first);
    const Verdict v = addVerse(verseOf("John", "3", "16", "WEB", "For God"), last);
    EXPECT_EQ(v.ruling, Ruling::Refused);
    EXPECT_EQ(v.text, "The information you just entered is the same as the verse you added the last time.   ");
    EXPECT_EQ(v.field, 1);
    // Another verse in between, and the first may come again.
    const verse_entry::Key between = verse_entry::keyOf(verseOf("John", "3", "17", "KJV", "For God sent"));
    EXPECT_EQ(addVerse(first, between).ruling, Ruling::Passes);
    // An update runs every rule but the duplicate one, so the file stays readable.
    EXPECT_EQ(verse_entry::checkVerse(first, verse_entry::verseDefaults(), last, true).ruling, Ruling::Passes);
    const Verdict colon =
        verse_entry::checkVerse(verseOf("John", "3", "16", "K:JV", "For God"), verse_entry::verseDefaults(), last, true);
    EXPECT_EQ(colon.text, "The Translation cannot contain a colon.  Please remove it.   ");
    const Verdict lines = verse_entry::checkVerse(verseOf("John", "3", "16", "KJV", "two\r\nlines\twith a tab"),
                                                  verse_entry::verseDefaults(), last, true);
    EXPECT_EQ(lines.ruling, Ruling::Refused);
    EXPECT_STREQ(lines.caption, kVerseRefused);
}

TEST(VerseEntry, ThoughtRules) {
    Verdict v = addThought({{"Please delete if unused", "", "Hope"}});
    EXPECT_EQ(v.ruling, Ruling::Refused);
    EXPECT_EQ(v.text,
              "The fields in Step 2 need to be either:\r\n  1. Changed from the default values.\r\n  2. Erased.   ");
    EXPECT_STREQ(v.caption, kThoughtRefused);
    EXPECT_EQ(v.field, 0);
    v = addThought({{"", "", ""}});
    EXPECT_EQ(v.text, "You need to enter your Inspirational Thought in Step 3.  ");
    EXPECT_EQ(v.field, 2);
    const verse_entry::ThoughtEntry hope{{"", "", "Hope"}};
    EXPECT_EQ(addThought(hope).ruling, Ruling::Passes);
    v = addThought(hope, verse_entry::keyOf(hope));
    EXPECT_EQ(v.text,
              "The information you just entered is the same as the Inspirational Thought you added the last time.   ");
    EXPECT_EQ(v.field, 2);
    EXPECT_TRUE(v.restoreDefault) << "the thought gets its (empty) default back";
    EXPECT_EQ(verse_entry::thoughtDefaults()[2], "");
}

// No entry makes a line the reader would refuse as too long, and the
// longest one kept reads back.
TEST(VerseEntry, AnEntryLongerThanAFileLineIsRefused) {
    const std::string fixed = "John\t3\t16\tKJV: "; // the rest of the line is the text
    const size_t room = verse_file::kMaxLineBytes - fixed.size();
    Verdict v = addVerse(verseOf("John", "3", "16", "KJV", std::string(room + 1, 'a')));
    EXPECT_EQ(v.ruling, Ruling::Refused);
    EXPECT_STREQ(v.caption, kVerseRefused);
    EXPECT_EQ(v.text, "This entry is too long to be kept.  With all of its fields it can have at most 8192 "
                      "characters, and it has 8193.  Please shorten it.   ");
    EXPECT_EQ(v.field, 4);
    const auto longest = verseOf("John", "3", "16", "KJV", std::string(room, 'a'));
    EXPECT_EQ(addVerse(longest).ruling, Ruling::Passes);

    v = addThought({{"Ann", "", std::string(verse_file::kMaxLineBytes, 'b')}});
    EXPECT_EQ(v.ruling, Ruling::Refused);
    EXPECT_STREQ(v.caption, kThoughtRefused);
    EXPECT_EQ(v.field, 2);

    VerseArray read;
    const verse_file::Result r = verse_file::parseTopicFile(
        verse_entry::fileContent(true, {verse_entry::rowOf(longest)}), "Your Verses.txt", read);
    EXPECT_EQ(r.status, verse_file::Status::Ok) << "the longest entry the dialog keeps reads back";
    ASSERT_EQ(verseCountOf(read), 1);
    EXPECT_EQ(read[1].text.size(), room);
}

// The name a rejected file is set aside under (the Windows tests look for
// it as the file system sees it, short name included).
TEST(VerseEntry, SetAsideNameIsNeverATopic) {
    const std::string original = "C:\\Prog\\Your Verses\\Your Verses.txt";
    const std::string aside = verse_entry::setAsideName(original, 2024, 3, 9, 7, 5, 1, 1);
    EXPECT_EQ(aside, original + ".rejected-20240309-070501");
    EXPECT_EQ(verse_entry::setAsideName(original, 2024, 3, 9, 7, 5, 1, 2), aside + "-2");
}

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

// A header click sorts by its column; the same column again turns the
// order round. Rows that compare equal keep their order.
TEST(VerseEntry, ColumnClicksSortAndTurnTheOrderRound) {
    const verse_entry::Rows rows{{"Ruth", "1", "16", "KJV: Whither thou goest"},
                                 {"Adam", "1", "1", "X: y"},
                                 {"acts", "2", "1", "NIV:  two blanks"},
                                 {"ruth", "3", "1", "KJV: Again"}};
    // Without case, as the dialog compares.
    auto noCase = [](const std::string& a, const std::string& b) {
        for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
            const int ca = std::tolower(static_cast<unsigned char>(a[i]));
            const int cb = std::tolower(static_cast<unsigned char>(b[i]));
            if (ca != cb) return ca - cb;
        }
        return static_cast<int>(a.size()) - static_cast<int>(b.size());
    };
    verse_entry::ColumnSort sort;
    auto books = [&] {
        std::string s;
        for (size_t i : verse_entry::sortOrder(rows, static_cast<size_t>(sort.column - 1), sort.descending, noCase))
            s += rows[i][0] + ",";
        return s;
    };
    sort.click(1);
    EXPECT_EQ(books(), "acts,Adam,Ruth,ruth,");
    sort.click(1);
    EXPECT_TRUE(sort.descending);
    EXPECT_EQ(books(), "Ruth,ruth,Adam,acts,") << "equal rows keep their order either way";
    sort.click(4);
    EXPECT_FALSE(sort.descending) << "another column sorts ascending";
    EXPECT_EQ(books(), "ruth,Ruth,acts,Adam,") << "KJV: Again, KJV: Whither, NIV, X";
}
