// revision_check_test.cpp
#include "revision_check.h"

#include <gtest/gtest.h>

using namespace revision_check;

namespace {

// The running version is 1.5.95; what is stored decides.
TEST(Revisions, StoredAgainstRunningVersion) {
    EXPECT_EQ(running().major, 1);
    EXPECT_EQ(running().minor, 5);
    EXPECT_EQ(running().revision, 95);

    // No values count as an older stored version: a new version, no box,
    // and the running version is stored.
    const Version none{storedNumber(std::nullopt), storedNumber(std::nullopt), storedNumber(std::nullopt)};
    EXPECT_EQ(decide(none, patchExecuted(std::nullopt)), Decision::NewVersion);
    EXPECT_TRUE(tidiesUp(Decision::NewVersion, false));

    // Not a number counts as zero and is repaired.
    EXPECT_EQ(storedNumber(std::string("one")), 0);
    EXPECT_EQ(storedNumber(std::string(" 7 ")), 7);
    EXPECT_EQ(decide({storedNumber(std::string("one")), 5, 95}, false), Decision::NewVersion);

    // An older running version warns; the version stored becomes the
    // running one and the update program goes.
    EXPECT_EQ(decide({1, 6, 0}, false), Decision::WarnOlder);
    EXPECT_EQ(decide({2, 0, 0}, false), Decision::WarnOlder);
    EXPECT_EQ(decide({1, 5, 96}, true), Decision::WarnOlder);
    EXPECT_TRUE(tidiesUp(Decision::WarnOlder, false));
    EXPECT_STREQ(kOlderCaption, "Version Warning");

    EXPECT_EQ(decide({1, 4, 99}, true), Decision::NewVersion);
    EXPECT_EQ(decide({0, 9, 99}, false), Decision::NewVersion);
}

TEST(Revisions, SameVersionWithoutAPatchChangesNothing) {
    EXPECT_FALSE(patchExecuted(std::string("False")));
    EXPECT_EQ(decide({1, 5, 95}, patchExecuted(std::string("False"))), Decision::Nothing);
    EXPECT_FALSE(tidiesUp(Decision::Nothing, false)) << "the update program stays";

    EXPECT_TRUE(patchExecuted(std::string("true")));
    EXPECT_EQ(decide({1, 5, 95}, true), Decision::FailedPatch);
    EXPECT_TRUE(tidiesUp(Decision::FailedPatch, false)) << "an update not run again is tidied away";
    EXPECT_FALSE(tidiesUp(Decision::FailedPatch, true)) << "nothing is reset while the updater runs";
}

} // namespace
