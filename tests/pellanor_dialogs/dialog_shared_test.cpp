// dialog_shared_test.cpp
// How the tip and notice files are split into lines.
#include <gtest/gtest.h>

#include "dialog_shared.h"
#include "win_test_support.h"

using dialog_shared::splitLines;
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

TEST(DialogShared, UnreadableFileGivesNoLines) {
    testsupport::TempDir dir;
    Lines lines{"left over"};
    EXPECT_FALSE(dialog_shared::readLines(dir / "none.txt", lines));
    EXPECT_TRUE(lines.empty());
    EXPECT_FALSE(dialog_shared::readLines("", lines));
    testsupport::writeBytes(dir / "t.txt", "x\r\ny");
    EXPECT_TRUE(dialog_shared::readLines(dir / "t.txt", lines));
    EXPECT_EQ(lines, (Lines{"x", "y"}));
}
