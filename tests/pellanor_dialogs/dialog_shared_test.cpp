// dialog_shared_test.cpp
// Reading the tip and notice files: an unreadable one gives no lines.
#include <gtest/gtest.h>

#include "dialog_shared.h"
#include "win_test_support.h"

using Lines = std::vector<std::string>;

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
