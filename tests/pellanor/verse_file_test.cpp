// verse_file_test.cpp
#include "verse_file.h"

#include <gtest/gtest.h>

using verse_file::Status;

namespace {

// Reads a file fully, and checks that the check without verses (start-up's
// for the topics it does not show) judges it alike.
verse_file::Result parse(const std::string& content, VerseArray& v,
                         const std::string& name = "Peace and Trust.txt") {
    verse_file::Result r = verse_file::parseTopicFile(content, name, v);
    verse_file::Result scan = verse_file::scanTopicFile(content, name);
    EXPECT_EQ(scan.status, r.status) << name;
    EXPECT_EQ(scan.lineCount, r.lineCount) << name;
    EXPECT_EQ(scan.badLines, r.badLines) << name;
    return r;
}

} // namespace

TEST(ParseVerseLine, FieldCountDecides) {
    VerseArray v;
    EXPECT_TRUE(dataManipulation::parseVerseLine("John\t3\t16", v, 1));
    EXPECT_TRUE(dataManipulation::parseVerseLine("John\t3\t16\tFor God\textra", v, 2));
    ASSERT_FALSE(dataManipulation::parseVerseLine("\t\t\tJust text", v, 3));
    ASSERT_EQ(v.size(), 4u) << "the array grows to the index";
    EXPECT_EQ(v[3].book, "");
    EXPECT_EQ(v[3].text, "Just text");
    ASSERT_FALSE(dataManipulation::parseVerseLine("1 John\t4\t18\tThere is no fear in love; ", v, 2));
    EXPECT_EQ(v[2].book, "1 John");
    EXPECT_EQ(v[2].chapter, "4");
    EXPECT_EQ(v[2].verse, "18");
    EXPECT_EQ(v[2].text, "There is no fear in love; ") << "fields are taken as they stand";
}

TEST(TopicFile, ALineBeyondTheBoundIsADamagedLine) {
    const std::string head = "Isaiah\t26\t3\t";
    const std::string longest = head + std::string(verse_file::kMaxLineBytes - head.size(), 'x');
    VerseArray v;
    auto r = parse(longest + "\r\n" + longest + "y\r\nJohn\t1\t1\tIn the beginning\r\n", v);
    EXPECT_EQ(r.status, Status::BadLines);
    EXPECT_EQ(r.lineCount, 3);
    EXPECT_EQ(r.badLines, std::vector<long>{2});
    EXPECT_EQ(v[1].text.size(), verse_file::kMaxLineBytes - head.size()) << "a line at the bound is whole";
    EXPECT_EQ(v[3].text, "In the beginning");

    // Ten megabytes on one line, as a damaged or foreign file may hold.
    VerseArray w;
    r = parse(head + std::string(10u << 20, 'x') + "\r\n", w);
    EXPECT_EQ(r.badLines, std::vector<long>{1});
    EXPECT_TRUE(w[1].text.empty()) << "nothing of it is kept";
    // Blanks around a line do not count against it.
    VerseArray b;
    EXPECT_EQ(parse("   " + longest + "   \r\n", b).status, Status::Ok);
}

TEST(TopicFile, LinesCountAndSkip) {
    VerseArray v;
    auto r = parse("  \r\nPsalms\t23\t1\tThe LORD is my shepherd.  \r\n\r\n   \r\n"
                   "\tx\t2\tLeading tab kept\r\nJohn\t14\t27\tPeace I leave with you.",
                   v);
    EXPECT_EQ(r.status, Status::Ok);
    EXPECT_EQ(r.lineCount, 3);
    ASSERT_EQ(verseCountOf(v), 3);
    EXPECT_EQ(v[1].text, "The LORD is my shepherd.") << "trailing blanks trimmed";
    EXPECT_EQ(v[2].book, "") << "a leading TAB is an empty first field";
    EXPECT_EQ(v[2].chapter, "x");
    EXPECT_EQ(v[3].book, "John") << "a last line without a line end still counts";
    EXPECT_EQ(v[1].translation, "");
}

TEST(TopicFile, BadLinesAreNumberedAmongNonEmptyLines) {
    VerseArray v;
    auto r = parse("a\tb\tc\td\r\n\r\nthree\tfields\tonly\r\na\tb\tc\td\r\nfive\tf\tf\tf\tf\r\n", v);
    EXPECT_EQ(r.status, Status::BadLines);
    EXPECT_EQ(r.lineCount, 4);
    EXPECT_EQ(r.badLines, (std::vector<long>{2, 4}));
    EXPECT_EQ(verseCountOf(v), 4) << "failed records stay in the array";
}

TEST(TopicFile, EmptyAndBlankFilesAreEmpty) {
    VerseArray v;
    EXPECT_EQ(parse("", v).status, Status::Empty);
    EXPECT_EQ(parse("   \r\n\r\n \n", v).status, Status::Empty);
    EXPECT_EQ(verseCountOf(v), 0);
}

TEST(TopicFile, OtherLineEndsReadAsLineEnds) {
    VerseArray v;
    auto r = parse("a\tb\tc\tone\nd\te\tf\ttwo\rg\th\ti\tthree\r\n", v);
    EXPECT_EQ(r.lineCount, 3);
    EXPECT_EQ(v[2].text, "two");
}

// A file saved as UTF-8 by an editor that marks it: the mark is no part of
// the first book (which the parallel view matches across translations).
TEST(TopicFile, ALeadingByteOrderMarkIsSkipped) {
    const std::string mark = "\xEF\xBB\xBF";
    VerseArray v;
    auto r = parse(mark + "John\t3\t16\tFor God so loved the world\r\nJohn\t14\t27\tPeace\r\n", v);
    EXPECT_EQ(r.status, Status::Ok);
    EXPECT_EQ(r.lineCount, 2);
    EXPECT_EQ(v[1].book, "John");
    EXPECT_EQ(v[1].text, "For God so loved the world");

    VerseArray u;
    EXPECT_EQ(parse(mark + "  Ruth\t1\t16\tKJV: whither thou goest\r\n", u, "Your Verses.txt").status, Status::Ok);
    EXPECT_EQ(u[1].book, "Ruth") << "the blanks after the mark are trimmed as at any line start";
    EXPECT_EQ(u[1].translation, "KJV");
    VerseArray t;
    parse(mark + "Augustine\tConfessions\t\tOur heart is restless.\r\n", t, "Your Inspirational Thoughts.txt");
    EXPECT_EQ(t[1].book, "Augustine");

    VerseArray e;
    EXPECT_EQ(parse(mark, e).status, Status::Empty) << "a mark alone is an empty file";
    EXPECT_EQ(parse(mark + "\r\n  \r\n", e).status, Status::Empty);

    // Only the leading mark goes; nothing else about the bytes changes.
    VerseArray k;
    parse("a\tb\tc\td\r\n" + mark + "John\t1\t1\tx\r\n", k);
    EXPECT_EQ(k[2].book, mark + "John");
    VerseArray d;
    parse(mark + mark + "John\t1\t1\tx\r\n", d);
    EXPECT_EQ(d[1].book, mark + "John") << "one mark";
    VerseArray h;
    parse("\xEF\xBBJohn\t1\t1\tx\r\n", h);
    EXPECT_EQ(h[1].book, "\xEF\xBBJohn") << "part of a mark is text";
}

TEST(TopicFile, YourVersesSplitsTranslationAtFirstColon) {
    VerseArray v;
    auto r = parse("John\t3\t16\tKing James Version: For God so loved: the world\r\n"
                   "Ruth\t1\t16\tWEB:no blank\r\n",
                   v, "Your Verses.txt");
    EXPECT_EQ(r.status, Status::Ok);
    EXPECT_EQ(v[1].translation, "King James Version");
    EXPECT_EQ(v[1].text, "For God so loved: the world");
    EXPECT_EQ(v[2].translation, "WEB");
    EXPECT_EQ(v[2].text, "no blank") << "only a blank after the colon is skipped";

    VerseArray w;
    EXPECT_EQ(parse("John\t3\t16\tno colon here\r\n", w, "Your Verses.txt").status,
              Status::Unreadable);
    VerseArray x;
    EXPECT_EQ(parse("John\t3\t16\tKJV:\r\nJohn\t11\t35\tKJV: \r\nJob\t1\t1\tKJV:  Two\r\n", x,
                    "Your Verses.txt").status,
              Status::Ok);
    EXPECT_EQ(x[1].text, "");
    EXPECT_EQ(x[2].text, "");
    EXPECT_EQ(x[3].text, " Two") << "one blank is the separator, a second belongs to the text";
    VerseArray z;
    EXPECT_EQ(parse("John\t3\t16\tKJV: fine\r\nthree\tfields\tonly\r\n", z, "Your Verses.txt").status,
              Status::Unreadable)
        << "a damaged line has no translation colon";
    VerseArray y;
    EXPECT_EQ(parse("John\t3\t16\tno colon\r\n", y, "your verses.txt").status, Status::Ok)
        << "the user-file name is matched case-sensitively";
}

TEST(TopicFile, ThoughtsAreMarkedNoTranslation) {
    VerseArray v;
    parse("Augustine\tConfessions\t\tOur heart is restless.\r\n", v, "Your Inspirational Thoughts.txt");
    EXPECT_EQ(v[1].translation, "No Translation");
    EXPECT_EQ(v[1].verse, "");
}

TEST(TopicFile, IndexToCheckPastTheEndBecomesOne) {
    long i = 7;
    verse_file::checkVerseIndex(i, 5);
    EXPECT_EQ(i, 1);
    i = 5;
    verse_file::checkVerseIndex(i, 5);
    EXPECT_EQ(i, 5);
}

TEST(TopicFile, MessageTexts) {
    EXPECT_EQ(verse_file::parseFailureLogText("C:\\p\\a.txt", 12),
              "The file C:\\p\\a.txt could not be parsed.  Line 12 failed.  ");
    EXPECT_EQ(verse_file::parseFailureText("x", 1),
              "The file x could not be parsed.  Line 1 failed.  \r\nIf you have modified this file, "
              "then please make sure it conforms to the requirements outlined in HELP.  \r\nIf you "
              "have not modified this file, then re-install the program in the Windows Control "
              "Panel.  ");
    EXPECT_EQ(verse_file::emptyFileText("x"),
              "The file x does not have any valid verses or inspirational thoughts in it.  ");
}

// However many lines a file refuses, its read makes one report: the first
// refused line and how many were refused; a file without refused lines none.
TEST(TopicFile, ADamagedFileIsOneReport) {
    std::string content = "Ps\t1\t1\tfine\r\n";
    for (int i = 0; i < 100000; ++i) content += "a line without its fields\r\n";
    content += "Ps\t1\t2\tfine too\r\n";
    VerseArray v;
    for (const verse_file::Result& r : {verse_file::scanTopicFile(content, "Big.txt"),
                                        verse_file::parseTopicFile(content, "Big.txt", v)}) {
        verse_file::DamageReport report = verse_file::damageReport("C:\\p\\Big.txt", r);
        EXPECT_EQ(report.logText, "The file C:\\p\\Big.txt could not be parsed.  Line 2 failed, the "
                                  "first of 100000 lines that failed.  ");
        EXPECT_EQ(report.text.rfind(report.logText + "\r\nIf you have modified this file", 0), 0u);
    }
    verse_file::Result one = verse_file::scanTopicFile("x\r\nPs\t1\t1\tfine\r\n", "One.txt");
    EXPECT_EQ(verse_file::damageReport("One.txt", one).logText,
              "The file One.txt could not be parsed.  Line 1 failed.  ");
    verse_file::DamageReport none =
        verse_file::damageReport("Good.txt", verse_file::scanTopicFile("Ps\t1\t1\tfine\r\n", "Good.txt"));
    EXPECT_TRUE(none.logText.empty() && none.text.empty());
}

TEST(ByteCopies, RefuseShortOrNull) {
    std::vector<unsigned char> bytes(4);
    EXPECT_EQ(dataManipulation::stringToBytes("abc", bytes, 3, 1), 0);
    EXPECT_EQ(bytes[1], 'a');
    EXPECT_EQ(dataManipulation::stringToBytes("abc", bytes, 3, 2), -1) << "array too short";
    EXPECT_EQ(dataManipulation::stringToBytes("ab", bytes, 3, 0), -1) << "text too short";
    char dst[3] = {};
    EXPECT_EQ(dataManipulation::copyMemory("xy", dst, 2), 0);
    EXPECT_EQ(dst[1], 'y');
    EXPECT_EQ(dataManipulation::copyMemory(nullptr, dst, 2), -1);
    EXPECT_EQ(dataManipulation::copyMemory("xy", dst, 0), -1);
}
