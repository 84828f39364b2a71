// settings_store_test.cpp
// What stored settings read as, from values kept in memory.
#include "settings_store.h"
#include "memory_store.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>

namespace {

using testsupport::MemoryStore;

class StoredSettings : public ::testing::Test {
protected:
    void setUserSetting(const std::string& name, const std::string& value) {
        store.write("UserSettings", name, value);
    }
    settings_store::UserSettings readAll() const { return settings_store::readUserSettings(store); }
    MemoryStore store;
};

TEST_F(StoredSettings, DefaultsWhenNothingIsStored) {
    settings_store::UserSettings s = readAll();
    EXPECT_EQ(s.repeatCount[0], 1);
    EXPECT_EQ(s.repeatCount[1], 1);
    EXPECT_EQ(s.repeatLeft[0], 1);
    EXPECT_EQ(s.repeatLeft[1], 1);
    EXPECT_EQ(s.snoozeTime, 15);
    EXPECT_TRUE(s.audioAlert && s.visualAlert && s.desktopAlert);
    EXPECT_EQ(s.verseFontSize, 10);
    EXPECT_TRUE(s.parallelTranslation);
    settings_store::SchedulerSettings scheduler = settings_store::readSchedulerSettings(store);
    EXPECT_FALSE(scheduler.useWindowsScheduler);
    EXPECT_FALSE(scheduler.enabled);
    EXPECT_EQ(scheduler.time, "8:00:00 AM");
}

TEST_F(StoredSettings, LimitsApplyToStoredValues) {
    using S = settings_store::UserSettings;
    struct Row {
        const char* name;
        const char* stored;
        long expected;
        long (*of)(const S&);
    };
    const auto snooze = [](const S& s) { return s.snoozeTime; };
    const auto repeat0 = [](const S& s) { return s.repeatCount[0]; };
    const auto repeat1 = [](const S& s) { return s.repeatCount[1]; };
    const auto fontSize = [](const S& s) { return s.verseFontSize; };
    const auto left0 = [](const S& s) { return s.repeatLeft[0]; };
    const auto left1 = [](const S& s) { return s.repeatLeft[1]; };
    for (Row r : {Row{"snoozeTime", "999", 999, snooze}, Row{"snoozeTime", "241", 1, snooze},
                  Row{"snoozeTime", "0", 1, snooze}, Row{"snoozeTime", "240", 240, snooze},
                  Row{"repeatCounter", "10", 10, repeat0}, Row{"repeatCounter", "11", 1, repeat0},
                  Row{"repeatTopicCtr", "6", 1, repeat1}, Row{"repeatTopicCtr", "5", 5, repeat1},
                  Row{"verseFontSize", "7", 10, fontSize}, Row{"verseFontSize", "15", 10, fontSize},
                  Row{"verseFontSize", "14", 14, fontSize}, Row{"lRepeatCtr(0)", "11", 1, left0},
                  Row{"lRepeatCtr(0)", "3", 3, left0}, Row{"lRepeatCtr(1)", "6", 1, left1}}) {
        setUserSetting(r.name, r.stored);
        EXPECT_EQ(r.of(readAll()), r.expected) << r.name << " = " << r.stored;
    }
}

TEST_F(StoredSettings, RepeatCountersDefaultToTheRepeatCounts) {
    setUserSetting("repeatCounter", "4");
    setUserSetting("repeatTopicCtr", "3");
    settings_store::UserSettings s = readAll();
    EXPECT_EQ(s.repeatLeft[0], 4);
    EXPECT_EQ(s.repeatLeft[1], 3);
}

TEST_F(StoredSettings, BooleansAndAlerts) {
    setUserSetting("audioAlert", "TRUE ");
    setUserSetting("visualAlert", "yes");
    setUserSetting("desktopAlert", "false");
    settings_store::UserSettings s = readAll();
    EXPECT_TRUE(s.audioAlert);
    EXPECT_FALSE(s.visualAlert) << "any other word reads as false";
    EXPECT_FALSE(s.desktopAlert);

    setUserSetting("audioAlert", "false");
    setUserSetting("visualAlert", "false");
    s = readAll();
    EXPECT_TRUE(s.audioAlert);
    EXPECT_TRUE(s.visualAlert);
    EXPECT_FALSE(s.desktopAlert);

    EXPECT_EQ(settings_store::get(store, "UserSettings", "visualAlert", "True"), "false")
        << "a Boolean default normalises the stored value";
    setUserSetting("other", "yes");
    EXPECT_EQ(settings_store::get(store, "UserSettings", "other", "x"), "yes");
    EXPECT_EQ(settings_store::get(store, "UserSettings", "missing", "42"), "42");
}

TEST_F(StoredSettings, SchedulerSettings) {
    setUserSetting("useTheWindowsScheduler", "true");
    setUserSetting("TamberlyschedulerEnabled", "true");
    setUserSetting("TamberlyschedulerTime", "");
    settings_store::SchedulerSettings s = settings_store::readSchedulerSettings(store);
    EXPECT_TRUE(s.useWindowsScheduler);
    EXPECT_FALSE(s.enabled) << "forced off while the Windows scheduler is chosen";
    EXPECT_EQ(s.time, "8:00 AM");
    setUserSetting("useTheWindowsScheduler", "false");
    EXPECT_TRUE(settings_store::readSchedulerSettings(store).enabled);
}

} // namespace
