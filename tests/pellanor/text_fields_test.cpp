// text_fields_test.cpp
#include "text_fields.h"

#include <gtest/gtest.h>

using OrvaneAutoUpdateMod::afterLast;
using OrvaneAutoUpdateMod::getField;

TEST(AfterLast, TakesTextAfterLastHit) {
    EXPECT_EQ(afterLast("DOMAIN\\user", "\\"), "user");
    EXPECT_EQ(afterLast("a\\b\\c", "\\"), "c");
    EXPECT_EQ(afterLast("nodelimiter", "\\"), "nodelimiter");
    EXPECT_EQ(afterLast("ends\\", "\\"), "");
    EXPECT_EQ(afterLast("xaaay", "aa"), "y") << "overlapping hits count";
    EXPECT_EQ(afterLast("abc", ""), "abc");
}

TEST(GetField, WalksFields) {
    EXPECT_EQ(getField("a,b,c", 0, ","), "a");
    EXPECT_EQ(getField("a,b,c", 2, ","), "c");
    EXPECT_EQ(getField("a,b,c", 3, ","), "");
    EXPECT_EQ(getField("a,,c", 1, ","), "");
    EXPECT_EQ(getField("", 0, ","), "");
    EXPECT_EQ(getField("8:05:00 AM", 1, ":"), "05");
    EXPECT_EQ(getField("a<->b", 1, "<->"), "b");
}

TEST(ControlCodes, PrintableRangeEndsAtZ) {
    EXPECT_FALSE(text_rules::hasControlCodes("Plain text, digits 0123 & (punctuation)! z"));
    EXPECT_FALSE(text_rules::hasControlCodes(""));
    EXPECT_TRUE(text_rules::hasControlCodes("tilde ~"));
    EXPECT_TRUE(text_rules::hasControlCodes("brace {"));
    EXPECT_TRUE(text_rules::hasControlCodes("caf\xE9"));
    EXPECT_TRUE(text_rules::hasControlCodes("tab\there"));
}

TEST(LogLine, DateTabTimeTabTextCrLf) {
    EXPECT_EQ(text_rules::logLine("12/8/2026", "7:28:13 PM", "msg"), "12/8/2026\t7:28:13 PM\tmsg\r\n");
}

TEST(TipField, FieldsBetweenSlashes) {
    const char* sleep = "/Press this button to put the program to sleep.  It will wake up again in//";
    EXPECT_EQ(ToolTips::getTipField(sleep, 0), "");
    EXPECT_EQ(ToolTips::getTipField(sleep, 1), "Press this button to put the program to sleep.  It will wake up again in");
    EXPECT_EQ(ToolTips::getTipField(sleep, 2), "");
    EXPECT_EQ(ToolTips::getTipField("/Low disk/Warning/", 2), "Warning");
    EXPECT_EQ(ToolTips::getTipField("no slash", 1), "");
    EXPECT_EQ(ToolTips::getTipField("/a/b/", 3), "An error occurred getting this tooltip message")
        << "a field after the last slash cannot be taken";
}
