// schedule_rules_test.cpp
#include "schedule_rules.h"

#include <gtest/gtest.h>

using namespace schedule_rules;

TEST(TimeOfDay, StoredForms) {
    EXPECT_EQ(parseTimeOfDay("8:00:00 AM"), 8 * 3600);
    EXPECT_EQ(parseTimeOfDay("8:00 AM"), 8 * 3600);
    EXPECT_EQ(parseTimeOfDay(" 12:30:15 am "), 30 * 60 + 15);
    EXPECT_EQ(parseTimeOfDay("12:00:00 PM"), 12 * 3600);
    EXPECT_EQ(parseTimeOfDay("11:59:55 PM"), 23 * 3600 + 59 * 60 + 55);
    EXPECT_EQ(parseTimeOfDay("20:05"), 20 * 3600 + 5 * 60);
    EXPECT_EQ(parseTimeOfDay("0:00:00"), 0);
    for (const char* bad : {"", "8", "25:00", "13:00 PM", "0:10 AM", "8:60", "8:00:61", "8:00 XM", "x:00"})
        EXPECT_EQ(parseTimeOfDay(bad), -1) << bad;
}

TEST(SchedulePoll, QuarterMinuteAfterTheTime) {
    long eight = 8 * 3600;
    EXPECT_FALSE(scheduleDue(eight, eight)) << "exactly on time is not yet";
    EXPECT_TRUE(scheduleDue(eight + 10, eight));
    EXPECT_TRUE(scheduleDue(eight + 15, eight));
    EXPECT_FALSE(scheduleDue(eight + 20, eight));
    EXPECT_FALSE(scheduleDue(eight - 5, eight));
    long late = 23 * 3600 + 59 * 60 + 55;
    EXPECT_TRUE(scheduleDue(5, late)) << "a poll just after midnight";
    EXPECT_FALSE(scheduleDue(15, late));
}

TEST(ScheduleRules, TimeListRunsEveryHalfHourFromFourInTheMorning) {
    auto times = timeList();
    EXPECT_EQ(times[0], "4:00 AM");
    EXPECT_EQ(times[1], "4:30 AM");
    EXPECT_EQ(times[15], "11:30 AM");
    EXPECT_EQ(times[16], "12:00 PM");
    EXPECT_EQ(times[18], "1:00 PM");
    EXPECT_EQ(times[39], "11:30 PM");
    EXPECT_EQ(times[40], "12:00 AM");
    EXPECT_EQ(times[42], "1:00 AM");
    EXPECT_EQ(times[47], "3:30 AM");
}

TEST(ScheduleRules, TaskIsNamedAfterTheUserWithoutDomain) {
    EXPECT_EQ(taskNameFor("OFFICE\\mary"), "mary_Pellanor");
    EXPECT_EQ(taskNameFor("mary"), "mary_Pellanor");
    EXPECT_EQ(taskNameFor("A\\B\\joe"), "joe_Pellanor");
    EXPECT_EQ(taskNameFor(""), "_Pellanor");
}

// A typed time is upper-cased and must be a time of day with AM or PM.
TEST(ScheduleRules, TypedTimesNeedAFormAndAmOrPm) {
    TypedTime t = checkTypedTime("9:45 pm");
    EXPECT_EQ(t.text, "9:45 PM") << "upper-cased and accepted";
    EXPECT_EQ(t.seconds, 21 * 3600 + 45 * 60);
    EXPECT_EQ(t.refusal, nullptr);
    t = checkTypedTime("20:00");
    EXPECT_STREQ(t.refusal, "You need to enter either AM or PM after the time");
    EXPECT_STREQ(t.caption, "Timer Error...");
    EXPECT_EQ(t.seconds, -1);
    t = checkTypedTime("noon");
    EXPECT_EQ(t.text, "NOON");
    EXPECT_STREQ(t.refusal, "If you are going to enter the time, it needs to be formatted as follows 'hh:mm AM/PM'    ");
    EXPECT_STREQ(t.caption, "The time was formatted incorrectly");
    t = checkTypedTime("6:05 am");
    EXPECT_EQ(t.text, "6:05 AM");
    EXPECT_EQ(t.seconds, 6 * 3600 + 5 * 60);
    EXPECT_EQ(t.refusal, nullptr);
}
