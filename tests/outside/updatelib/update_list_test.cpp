// update_list_test.cpp
// The update-list format and the name checks every server name passes.
#include <gtest/gtest.h>

#include "update_list.h"

using namespace Tamberly_orvane6;

namespace {

std::string line(const std::string& name, const std::string& size, const std::string& url,
                 const std::string& date, const std::string& ref, const std::string& path, const std::string& text) {
    return name + "\t" + size + "\t" + url + "\t" + date + "\t" + ref + "\t" + path + "\t" + text + "\r\n";
}

TEST(UpdateList, ReadsEveryFieldOfEachEntry) {
    std::string bytes = "ORVANEF 1\r\n# verse files\r\n\r\n" +
                        line("Peace.txt", "1200", "http://h/files/Peace.txt", "2004-03-01 10:20:30", "", "",
                             "TRANSLATION_King James Version//New verses on peace") +
                        line("C:\\Windows\\System32\\x.ocx", "0", "", "", "1", "C:\\Prog\\x.ocx", "A control") +
                        line("y.dll", "5", "http://h/y.dll", "", "0", "", "plain");
    UpdateList list;
    std::string error;
    ASSERT_TRUE(list.load(bytes, error)) << error;
    ASSERT_EQ(list.count(), 3);
    EXPECT_EQ(list.name(1), "Peace.txt");
    EXPECT_EQ(list.size(1), 1200);
    EXPECT_EQ(list.urlDate(1), "http://h/files/Peace.txt,2004-03-01 10:20:30");
    EXPECT_EQ(list.text(1), "TRANSLATION_King James Version//New verses on peace");
    EXPECT_EQ(list.refIndex(1), 1) << "an empty reference is the entry itself";
    EXPECT_EQ(list.path(1), "");
    EXPECT_EQ(list.urlDate(2), ",");
    EXPECT_EQ(list.refIndex(2), 1);
    EXPECT_EQ(list.path(2), "C:\\Prog\\x.ocx");
    EXPECT_EQ(list.refIndex(3), 0) << "0 means no entry";
    EXPECT_THROW(list.name(0), Error);
    EXPECT_THROW(list.size(4), Error);
}

TEST(UpdateList, HeaderOnlyIsAnEmptyListAndLfEndsWork) {
    UpdateList list;
    std::string error;
    EXPECT_TRUE(list.load("ORVANEF 1\n", error));
    EXPECT_EQ(list.count(), 0);
    EXPECT_TRUE(list.load("ORVANEF 1\na.txt\t1\thttp://h/a.txt\t\t\t\tA\n", error)) << error;
    EXPECT_EQ(list.count(), 1);
}

TEST(UpdateList, RefusesABadListWholeAndNamesTheLine) {
    const std::string good = line("a.txt", "1", "http://h/a.txt", "", "", "", "A");
    struct Case {
        std::string bytes, why;
    } cases[] = {
        {"", "empty file"},
        {"<html>404</html>\r\n" + good, "no header"},
        {"ORVANEF 2\r\n" + good, "unknown version"},
        {"ORVANEF 1\r\na.txt\t1\thttp://h/a.txt\r\n", "too few fields"},
        {"ORVANEF 1\r\n" + good + line("..", "1", "", "", "", "", "x"), "dot-dot name"},
        {"ORVANEF 1\r\n" + good + line("a/b.txt", "1", "", "", "", "", "x"), "slash in name"},
        {"ORVANEF 1\r\n" + good + line("C:evil.dll", "1", "", "", "", "", "x"), "drive-relative name"},
        {"ORVANEF 1\r\n" + good + line("C:\\Prog\\..\\..\\evil.dll", "1", "", "", "", "", "x"), "dot-dot folder"},
        {"ORVANEF 1\r\n" + good + line("\\\\server\\share\\x.dll", "1", "", "", "", "", "x"), "UNC path"},
        {"ORVANEF 1\r\n" + good + line("CON.txt", "1", "", "", "", "", "x"), "device name"},
        {"ORVANEF 1\r\n" + good + line("CONIN$", "1", "", "", "", "", "x"), "console device name"},
        {"ORVANEF 1\r\n" + good + line("b.txt", "1", "", "", "", "C:\\Prog\\CONOUT$", "x"), "console device path"},
        {"ORVANEF 1\r\n" + good + line("b.txt", "-1", "", "", "", "", "x"), "negative size"},
        {"ORVANEF 1\r\n" + good + line("b.txt", "3000000000", "", "", "", "", "x"), "size too big"},
        {"ORVANEF 1\r\n" + good + line("b.txt", "1", "file:///c:/x", "", "", "", "x"), "not http"},
        {"ORVANEF 1\r\n" + good + line("b.txt", "1", "http://h/a b", "", "", "", "x"), "blank in address"},
        {"ORVANEF 1\r\n" + good + line("b.txt", "1", "", "1/1/2004,x", "", "", "x"), "comma in date"},
        {"ORVANEF 1\r\n" + good + line("b.txt", "1", "", "", "3", "", "x"), "reference past the end"},
        {"ORVANEF 1\r\n" + good + line("b.txt", "1", "", "", "", "relative\\x", "x"), "relative path"},
    };
    for (const Case& c : cases) {
        UpdateList list;
        std::string error;
        ASSERT_TRUE(list.load("ORVANEF 1\r\n" + good, error));
        EXPECT_FALSE(list.load(c.bytes, error)) << c.why;
        EXPECT_EQ(list.count(), 0) << c.why << ": nothing of a bad list is kept";
        EXPECT_NE(error.find("line"), std::string::npos) << c.why << ": " << error;
    }
}

TEST(UpdateList, RefusesAnOversizedList) {
    UpdateList list;
    std::string error;
    std::string bytes = "ORVANEF 1\n" + std::string(kMaxListBytes, '#');
    EXPECT_FALSE(list.load(bytes, error));
}

TEST(Names, PlainFileNames) {
    for (const char* ok :
         {"update.exe", "Peace and Trust.txt", "a", "con2.txt", "COM10", "x..y", "CONIN", "conin$x"})
        EXPECT_TRUE(isPlainFileName(ok)) << ok;
    for (const char* bad : {"", ".", "..", "a\\b", "a/b", "c:x", "a*b", "a?b", "a\"b", "a<b", "a|b", "name.",
                            "name ", "NUL", "nul.txt", "com1", "LPT9.dat", "aux .txt", "tab\there", "CONIN$",
                            "conout$", "CONOUT$.txt"})
        EXPECT_FALSE(isPlainFileName(bad)) << bad;
}

TEST(Names, FolderPaths) {
    EXPECT_TRUE(isAbsoluteLocalPath("C:\\Program Files\\Pellanor\\x.dll"));
    EXPECT_TRUE(isAbsoluteLocalPath("d:\\x"));
    EXPECT_FALSE(isAbsoluteLocalPath("C:\\"));
    EXPECT_FALSE(isAbsoluteLocalPath("C:\\a\\\\b"));
    EXPECT_FALSE(isAbsoluteLocalPath("C:\\a\\.\\b"));
    EXPECT_FALSE(isAbsoluteLocalPath("C:/a/b"));
    EXPECT_FALSE(isAbsoluteLocalPath("1:\\a"));
    EXPECT_FALSE(isAbsoluteLocalPath("\\a\\b"));
    EXPECT_TRUE(isRelativeFolder("TRANSLATION_World English Bible"));
    EXPECT_TRUE(isRelativeFolder("a\\b"));
    EXPECT_FALSE(isRelativeFolder(""));
    EXPECT_FALSE(isRelativeFolder("..\\..\\Windows"));
    EXPECT_FALSE(isRelativeFolder("C:\\Windows"));
    EXPECT_FALSE(isRelativeFolder("\\Windows"));
    EXPECT_FALSE(isRelativeFolder("a\\"));
}

TEST(Names, FileNameOfAnAddress) {
    EXPECT_EQ(urlFileName("http://h/autoUpdate/update.exe"), "update.exe");
    EXPECT_EQ(urlFileName("http://h/a/b.txt?x=1/2"), "b.txt");
    EXPECT_EQ(urlFileName("http://h/a/b.txt#frag"), "b.txt");
    EXPECT_EQ(urlFileName("http://h/a/"), "");
    EXPECT_EQ(urlFileName("http://h"), "");
    EXPECT_EQ(urlFileName("http://h/.."), "..") << "returned as is; the caller's check refuses it";
}

TEST(Dates, ReadsTheTwoFormsAndRefusesImpossibleOnes) {
    FileDate d;
    ASSERT_TRUE(parseDate("2004-03-01", d));
    EXPECT_EQ(d, (FileDate{2004, 3, 1, 0, 0, 0}));
    ASSERT_TRUE(parseDate("2004-02-29 23:59:58", d));
    EXPECT_EQ(d, (FileDate{2004, 2, 29, 23, 59, 58}));
    ASSERT_TRUE(parseDate("2004-02-29T07:05", d));
    EXPECT_EQ(d, (FileDate{2004, 2, 29, 7, 5, 0}));
    ASSERT_TRUE(parseDate("3/1/2004", d));
    EXPECT_EQ(d, (FileDate{2004, 3, 1, 0, 0, 0}));
    ASSERT_TRUE(parseDate("12/31/2003 12:00:00 AM", d));
    EXPECT_EQ(d, (FileDate{2003, 12, 31, 0, 0, 0}));
    ASSERT_TRUE(parseDate("1/2/2004 12:30 pm", d));
    EXPECT_EQ(d, (FileDate{2004, 1, 2, 12, 30, 0}));
    ASSERT_TRUE(parseDate("1/2/2004 1:30 PM", d));
    EXPECT_EQ(d.hour, 13);
    for (const char* bad : {"", "yesterday", "2003-02-29", "1900-02-29", "2004-04-31", "2004-13-01", "2004-1-1",
                            "13/1/2004", "2004-01-01 24:00", "2004-01-01 10:60", "1/1/2004 13:00 PM",
                            "1/1/2004 0:10 AM", "2004-01-01 10:00 PM", "2004-01-01x", "1500-01-01"})
        EXPECT_FALSE(parseDate(bad, d)) << bad;
}

} // namespace
