// settings_rules_test.cpp
#include "settings_rules.h"

#include <gtest/gtest.h>

using namespace settings_rules;

TEST(SettingsRules, NumbersOutsideTheirRangeReadAsFallback) {
    EXPECT_EQ(snoozeTime("999"), 999);
    EXPECT_EQ(snoozeTime("240"), 240);
    EXPECT_EQ(snoozeTime("241"), 1);
    EXPECT_EQ(snoozeTime("0"), 1);
    EXPECT_EQ(snoozeTime("abc"), 1);
    EXPECT_EQ(snoozeTime(" 30 "), 30);
    EXPECT_EQ(repeatCounter("10"), 10);
    EXPECT_EQ(repeatCounter("11"), 1);
    EXPECT_EQ(repeatTopicCtr("5"), 5);
    EXPECT_EQ(repeatTopicCtr("6"), 1);
    EXPECT_EQ(verseFontSize("7"), 10);
    EXPECT_EQ(verseFontSize("15"), 10);
    EXPECT_EQ(verseFontSize("14"), 14);
    EXPECT_EQ(verseFontSize("12.5"), 10);
    EXPECT_EQ(verseIndex("-3"), 1);
    EXPECT_EQ(verseIndex("7"), 7);
    EXPECT_EQ(snoozeTime("99999999999999999999"), 1);
}

TEST(SettingsRules, EveryValidVerseSizeShowsOneReferenceBox) {
    const int expected[] = {0, 0, 1, 1, 1, 1, 2}; // sizes 8 to 14
    for (long size = 8; size <= 14; ++size)
        EXPECT_EQ(referenceBoxFor(size), expected[size - 8]) << size;
}

TEST(SettingsRules, BooleansNormalise) {
    EXPECT_TRUE(isBooleanText(" TRUE "));
    EXPECT_TRUE(isBooleanText("False"));
    EXPECT_FALSE(isBooleanText("1"));
    EXPECT_EQ(normaliseBoolean("TRUE "), "true");
    EXPECT_EQ(normaliseBoolean("yes"), "false");
    EXPECT_TRUE(toBoolean("true"));
    EXPECT_FALSE(toBoolean("false"));
}

TEST(SettingsRules, AllAlertsOffTurnsAudioAndVisualOn) {
    bool a = false, v = false, d = false;
    fixAlerts(a, v, d);
    EXPECT_TRUE(a);
    EXPECT_TRUE(v);
    EXPECT_FALSE(d);
    a = false, v = false, d = true;
    fixAlerts(a, v, d);
    EXPECT_FALSE(a);
}

TEST(SettingsRules, RunValueStates) {
    EXPECT_FALSE(autoStartIsOn(false, "\"C:\\x.exe\""));
    EXPECT_FALSE(autoStartIsOn(true, "   "));
    EXPECT_FALSE(autoStartIsOn(true, " (value not set) "));
    EXPECT_TRUE(autoStartIsOn(true, "C:\\other\\tool.exe"));
    EXPECT_EQ(quotedProgramPath("C:\\Program Files\\Pellanor", "pellanor"),
              "\"C:\\Program Files\\Pellanor\\pellanor.exe\"");
}

TEST(SettingsRules, TopicFileAndSchedulerDefaults) {
    EXPECT_EQ(topicFile("   "), "Peace and Trust.txt");
    EXPECT_EQ(topicFile("Hope.TXT"), "Peace and Trust.txt") << "\".txt\" is matched case-sensitively";
    EXPECT_EQ(topicFile("Hope.txt"), "Hope.txt");
    EXPECT_EQ(schedulerTime(""), "8:00 AM");
    EXPECT_EQ(schedulerTime("9:30:00 PM"), "9:30:00 PM");
}

TEST(SettingsRules, LastUpdateIsMillisecondsPlus69) {
    // 2026-01-01 00:00:00 UTC as a FILETIME, plus 1234 hundred-nanoseconds.
    EXPECT_EQ(lastUpdateText(134116992000001234ULL), "13411699200069.1");
    EXPECT_EQ(lastUpdateText(0), "69");
}

// The settings table: each registry value is named once, and what a value
// reads as when it is missing is a value it may hold.
TEST(SettingsTable, EachValueOnceAndEveryDefaultReadsAsItself) {
    using namespace settings_rules;
    for (size_t i = 0; i < settings::kAll.size(); ++i) {
        const Setting& s = *settings::kAll[i];
        SCOPED_TRACE(s.name);
        for (size_t j = i + 1; j < settings::kAll.size(); ++j) {
            EXPECT_FALSE(std::string(s.section) == settings::kAll[j]->section &&
                         std::string(s.name) == settings::kAll[j]->name);
        }
        if (s.kind == SettingKind::Boolean) {
            EXPECT_TRUE(isBooleanText(s.defaultText));
        }
        if (s.kind == SettingKind::Number && s.hi > s.lo && *s.defaultText) {
            long v = 0;
            ASSERT_TRUE(parseLong(s.defaultText, v));
            EXPECT_EQ(limited(s.defaultText, s), v);
            EXPECT_EQ(limited(std::to_string(s.invalid), s), s.invalid) << "the fallback lies in range";
        }
    }
    // The stored names others rely on (earlier versions, the tests' probes).
    EXPECT_STREQ(settings::showTipsAtStartup.name, "Show Tips at Startup");
    EXPECT_STREQ(settings::schedulerTime.name, "TamberlyschedulerTime");
    EXPECT_STREQ(settings::repeatLeft0.name, "lRepeatCtr(0)");
}
