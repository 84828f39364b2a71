// registry_test.cpp
// Settings read back from real registry values written by the test.
#include <gtest/gtest.h>

#include <array>
#include <utility>

#include "pellanor/win/GlobalFunctions.h"
#include "pellanor/win/Module1.h"
#include "registry.h"
#include "seams.h"
#include "win_test_support.h"

using namespace testsupport;

namespace {

const char* const kUserKey = "SOFTWARE\\Tamberly, Inc.\\Pellanor\\UserSettings";
const char* const kRunKey = "SOFTWARE\\microsoft\\windows\\currentversion\\run";

class Settings : public ::testing::Test {
protected:
    void SetUp() override {
        clearProgramRegistry();
        gErrorShown = false;
        gNoErrorLog = true; // these tests read boxes, not the log
    }
    void TearDown() override { clearProgramRegistry(); }

    std::array<long, 2> readAll() {
        std::array<long, 2> ctr{};
        registry::readUserSettings(ctr);
        return ctr;
    }
    static void setRaw(HKEY root, const char* key, const char* name, DWORD type, const void* data, DWORD size) {
        HKEY k;
        ASSERT_EQ(RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), ERROR_SUCCESS);
        RegSetValueExA(k, name, 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(k);
    }
};

// The rules of what a stored value reads as run natively
// (settings_store_test.cpp); here each value read from the registry reaches
// its program-wide variable.
TEST_F(Settings, StoredValuesReachTheProgramVariables) {
    for (auto [name, value] : {std::pair{"repeatCounter", "7"}, {"repeatTopicCtr", "4"}, {"lRepeatCtr(0)", "6"},
                               {"lRepeatCtr(1)", "2"}, {"snoozeTime", "30"}, {"audioAlert", "false"},
                               {"visualAlert", "true"}, {"desktopAlert", "false"}, {"verseFontSize", "12"},
                               {"parallelTranslation", "false"}, {"useTheWindowsScheduler", "false"},
                               {"TamberlyschedulerEnabled", "true"}, {"TamberlyschedulerTime", "9:30:00 PM"}})
        setUserSetting(name, value);
    auto ctr = readAll();
    EXPECT_EQ(gRepeatCount, (std::array<long, 2>{7, 4}));
    EXPECT_EQ(ctr, (std::array<long, 2>{6, 2}));
    EXPECT_EQ(gSnoozeTime, 30);
    EXPECT_FALSE(gAudioAlert);
    EXPECT_TRUE(gVisualAlert);
    EXPECT_FALSE(gDesktopAlert);
    EXPECT_EQ(gVerseFontSize, 12);
    EXPECT_FALSE(gParallelTranslation);
    registry::readSchedulerSettings();
    EXPECT_FALSE(gUseWindowsScheduler);
    EXPECT_TRUE(gSchedulerEnabled);
    EXPECT_EQ(gSchedulerTime, "9:30:00 PM");
}

TEST_F(Settings, StringsAreStoredWithTheirNul) {
    registry::saveSetting("Pellanor", "UserSettings", "fileName", "Hope.txt");
    HKEY k;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kUserKey, 0, KEY_READ, &k), ERROR_SUCCESS);
    DWORD type = 0, size = 0;
    ASSERT_EQ(RegQueryValueExA(k, "fileName", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    RegCloseKey(k);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, 9u) << "\"Hope.txt\" plus its NUL";
    EXPECT_EQ(registry::getSetting("Pellanor", "UserSettings", "fileName", ""), "Hope.txt");
}

TEST_F(Settings, QueryValueTypes) {
    DWORD n = 1234;
    setRaw(HKEY_CURRENT_USER, kUserKey, "dword", REG_DWORD, &n, sizeof n);
    setRaw(HKEY_CURRENT_USER, kUserKey, "binary", REG_BINARY, "ab", 2);
    setRaw(HKEY_CURRENT_USER, kUserKey, "noNul", REG_SZ, "abc", 3);
    HKEY k;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kUserKey, 0, KEY_READ, &k), ERROR_SUCCESS);
    std::string v;
    EXPECT_EQ(registry::queryValue(k, "dword", v), 0);
    EXPECT_EQ(v, "1234");
    EXPECT_EQ(registry::queryValue(k, "binary", v), -1);
    EXPECT_EQ(registry::queryValue(k, "missing", v), -1);
    EXPECT_EQ(registry::queryValue(k, "noNul", v), 0);
    EXPECT_EQ(v, "abc") << "a value stored without its NUL keeps its last character";
    RegCloseKey(k);

    EXPECT_EQ(registry::regWrite(HKEY_CURRENT_USER, kUserKey, "num", 77L, REG_DWORD), Outcome::Ok);
    EXPECT_EQ(registry::regRead(HKEY_CURRENT_USER, kUserKey, "num", v), Outcome::Ok);
    EXPECT_EQ(v, "77");
    EXPECT_EQ(registry::regRead(HKEY_CURRENT_USER, "SOFTWARE\\Tamberly, Inc.\\Nowhere", "num", v), Outcome::Failed);
}

TEST_F(Settings, RunValueStates) {
    auto setRun = [&](const char* s) {
        setRaw(HKEY_CURRENT_USER, kRunKey, "TamberlyPellanor", REG_SZ, s, static_cast<DWORD>(strlen(s) + 1));
    };
    EXPECT_FALSE(registry::readAutoStart()) << "nothing stored";
    setRun("   ");
    EXPECT_FALSE(registry::readAutoStart());
    setRun("C:\\Somewhere\\else.exe");
    EXPECT_TRUE(registry::readAutoStart()) << "any other content means on";

    EXPECT_EQ(GlobalFunctions::regNonAuto(nullptr), Outcome::Ok);
    std::string v;
    EXPECT_EQ(registry::regRead(HKEY_CURRENT_USER, kRunKey, "TamberlyPellanor", v), Outcome::Ok)
        << "switching off writes a value, it does not delete one";
    EXPECT_EQ(v, "(value not set)");
    EXPECT_FALSE(registry::readAutoStart());

    EXPECT_EQ(GlobalFunctions::regAuto(nullptr), Outcome::Ok);
    EXPECT_EQ(registry::regRead(HKEY_CURRENT_USER, kRunKey, "TamberlyPellanor", v), Outcome::Ok);
    EXPECT_EQ(v, GlobalFunctions::autoStartCommand());
    EXPECT_EQ(v.front(), '"');
    EXPECT_EQ(v.substr(v.size() - 5), ".exe\"");
    EXPECT_TRUE(registry::readAutoStart());
}

TEST_F(Settings, MachineWideValues) {
    GlobalFunctions::saveVersionNumbers();
    std::string v;
    const std::string key = "SOFTWARE\\Tamberly, Inc.\\Pellanor";
    EXPECT_EQ(registry::regRead(HKEY_LOCAL_MACHINE, key, "revMajor", v), Outcome::Ok);
    EXPECT_EQ(v, "1");
    EXPECT_EQ(registry::regRead(HKEY_LOCAL_MACHINE, key, "revMinor", v), Outcome::Ok);
    EXPECT_EQ(v, "5");
    EXPECT_EQ(registry::regRead(HKEY_LOCAL_MACHINE, key, "revRevision", v), Outcome::Ok);
    EXPECT_EQ(v, "95");

    EXPECT_EQ(registry::writeLastUpdate(true), Outcome::Ok);
    EXPECT_EQ(registry::regRead(HKEY_LOCAL_MACHINE, key, "lastUpdate", v), Outcome::Ok);
    EXPECT_EQ(v, "0");
    EXPECT_EQ(registry::writeLastUpdate(false), Outcome::Ok);
    EXPECT_EQ(registry::regRead(HKEY_LOCAL_MACHINE, key, "lastUpdate", v), Outcome::Ok);
    // Milliseconds since 1601: about 1.3e13 for any date this century.
    double ms = std::stod(v);
    EXPECT_GT(ms, 1.2e13);
    EXPECT_LT(ms, 1.6e13);
}

TEST_F(Settings, RestrictedUserRunsThePermissionToolOnce) {
    std::vector<std::pair<std::string, int>> started;
    seams::setStartProcess([&](const std::string& cmd, int show) {
        started.push_back({cmd, show});
        return false;
    });
    gIsWinNT = true;
    EXPECT_TRUE(registry::seeIfRestrictedUser()) << "the company key is missing";
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].first,
              "c:\\progra~1\\tamberly\\regini.exe c:\\progra~1\\tamberly\\pellanorreg.ini");
    EXPECT_EQ(started[0].second, SW_SHOWMAXIMIZED);

    // A tool that makes the key readable lets the second try succeed.
    started.clear();
    seams::setStartProcess([&](const std::string& cmd, int show) {
        started.push_back({cmd, show});
        HKEY k;
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tamberly, Inc.", 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &k, nullptr);
        RegCloseKey(k);
        return true;
    });
    EXPECT_FALSE(registry::seeIfRestrictedUser());
    EXPECT_EQ(started.size(), 1u);
    started.clear();
    EXPECT_FALSE(registry::seeIfRestrictedUser());
    EXPECT_TRUE(started.empty()) << "a readable key needs no tool";

    clearProgramRegistry();
    gIsWinNT = false;
    EXPECT_TRUE(registry::seeIfRestrictedUser());
    EXPECT_TRUE(started.empty()) << "the tool runs on the NT family only";
    gIsWinNT = true;
    seams::setStartProcess(nullptr);
}

} // namespace
