// install_rules_test.cpp
// The system folder's version rule, where a patch counts as one, and the
// names taken for the downloader's own leftovers.
#include <gtest/gtest.h>

#include "install_rules.h"

using namespace Tamberly_orvane6;

namespace {

TEST(SystemFolderRule, AddsNewFilesAndReplacesOnlyAnOlderVersion) {
    const FileVersion v1 = packVersion(1, 0, 0, 0), v1b = packVersion(1, 0, 0, 1), v2 = packVersion(2, 0, 0, 0);
    EXPECT_EQ(systemFileVerdict(false, std::nullopt, std::nullopt), SystemFileVerdict::add);
    EXPECT_EQ(systemFileVerdict(false, std::nullopt, v1), SystemFileVerdict::add);
    EXPECT_EQ(systemFileVerdict(true, v1, v2), SystemFileVerdict::replace);
    EXPECT_EQ(systemFileVerdict(true, v1, v1b), SystemFileVerdict::replace) << "the last part counts too";
    EXPECT_EQ(systemFileVerdict(true, v1, v1), SystemFileVerdict::notNewer);
    EXPECT_EQ(systemFileVerdict(true, v2, v1), SystemFileVerdict::notNewer);
    EXPECT_EQ(systemFileVerdict(true, v1, std::nullopt), SystemFileVerdict::unversioned);
    EXPECT_EQ(systemFileVerdict(true, std::nullopt, v2), SystemFileVerdict::unversioned);
    EXPECT_EQ(systemFileVerdict(true, std::nullopt, std::nullopt), SystemFileVerdict::unversioned);
    // 1.10 is newer than 1.9: parts compare as numbers, high part first.
    EXPECT_GT(packVersion(1, 10, 0, 0), packVersion(1, 9, 65535, 65535));
    EXPECT_EQ(versionText(packVersion(5, 1, 2600, 65535)), "5.1.2600.65535");
}

TEST(PatchRule, OnlyTheProgramFoldersUpdateExeIsThePatch) {
    EXPECT_TRUE(isPatchAddress("update.exe"));
    EXPECT_FALSE(isPatchAddress("Update.exe")) << "the address is compared as the lists write it";
    EXPECT_FALSE(isPatchAddress("update.exe.bak"));
    EXPECT_TRUE(isPatchDestination("C:\\Prog\\update.exe", "C:\\Prog"));
    EXPECT_TRUE(isPatchDestination("c:\\prog\\UPDATE.EXE", "C:\\Prog\\"));
    EXPECT_FALSE(isPatchDestination("C:\\windows\\system32\\update.exe", "C:\\Prog"));
    EXPECT_FALSE(isPatchDestination("C:\\Prog\\sub\\update.exe", "C:\\Prog"));
    EXPECT_FALSE(isPatchDestination("C:\\Program\\update.exe", "C:\\Prog"));
    EXPECT_FALSE(isPatchDestination("C:\\Prog\\update.exe", ""));
    EXPECT_FALSE(isPatchDestination("C:\\Prog\\", "C:\\Prog"));
}

TEST(TemporaryNames, OnlyTheDownloadersOwnFormIsALeftover) {
    EXPECT_EQ(temporaryName(0xABCD), "~orvane6-0000ABCD.tmp");
    for (std::uint32_t n : {0u, 1u, 0x7FFFFFFFu, 0xFFFFFFFFu}) EXPECT_TRUE(isTemporaryName(temporaryName(n))) << n;
    EXPECT_TRUE(isTemporaryName("~ORVANE6-0000abcd.TMP")) << "Windows ignores the case of names";
    for (const char* other : {"upd1A2.tmp", "~orvane6-ABCD.tmp", "~orvane6-0000ABCDE.tmp", "~orvane6-0000ABCG.tmp",
                              "~orvane6-0000ABCD.tmp.txt", "x~orvane6-0000ABCD.tmp", "~orvane6-0000ABCD.tm",
                              "notes.tmp", ""})
        EXPECT_FALSE(isTemporaryName(other)) << other;
}

} // namespace
