// text_files_test.cpp
// The tip and notice files: their lines, the notices' text, the tip draw.
#include "text_files.h"

#include <gtest/gtest.h>

#include <set>

using text_files::splitLines;
using Lines = std::vector<std::string>;

TEST(DialogShared, EveryKindOfLineEndEndsALine) {
    EXPECT_EQ(splitLines(""), Lines{});
    EXPECT_EQ(splitLines("one"), Lines{"one"});
    EXPECT_EQ(splitLines("one\r\n"), Lines{"one"});
    EXPECT_EQ(splitLines("a\r\n\r\nb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(splitLines("a\nb\rc\r\n"), (Lines{"a", "b", "c"}));
    EXPECT_EQ(splitLines("\r\n"), Lines{""});
    EXPECT_EQ(splitLines("a\r\n\r\n"), (Lines{"a", ""}));
    EXPECT_EQ(splitLines("a\n\r\nb"), (Lines{"a", "", "b"}));
}

TEST(Notices, TheFileLinesWithoutSurroundingBlanks) {
    const Lines lines = splitLines("  Bible texts  \r\n\r\n   King James Version\r\nWorld English Bible   \r\n");
    EXPECT_EQ(text_files::noticesText(lines), "Bible texts\r\n\r\nKing James Version\r\nWorld English Bible\r\n");
    EXPECT_EQ(text_files::noticesText({}), "");
}

// Every line is a tip, empty ones included; a draw reaches every tip and
// no other, and with one tip always that one.
TEST(Tips, EveryLineIsATipAndADrawReachesEachAndNoOther) {
    EXPECT_EQ(splitLines("First tip\r\n\r\nThird tip & more\r\n"), (Lines{"First tip", "", "Third tip & more"}));
    std::set<long> seen;
    for (int i = 0; i < 300; ++i) {
        const long tip = text_files::pickTip(i / 300.0, 3);
        ASSERT_GE(tip, 1);
        ASSERT_LE(tip, 3);
        seen.insert(tip);
    }
    EXPECT_EQ(seen, (std::set<long>{1, 2, 3}));
    EXPECT_EQ(text_files::pickTip(0.99999999999999989, 3), 3) << "the largest draw picks the last tip, not beyond";
    for (double r : {0.0, 0.5, 0.99999999999999989}) EXPECT_EQ(text_files::pickTip(r, 1), 1) << r;
    EXPECT_EQ(text_files::pickTip(0.5, 0), 1) << "no tips: tip 1, which shows nothing";
}
