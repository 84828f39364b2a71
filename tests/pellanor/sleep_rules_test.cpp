// sleep_rules_test.cpp
#include "sleep_rules.h"

#include <gtest/gtest.h>

#include "verse_display.h"

using namespace sleep_rules;

namespace {

TEST(Snooze, CountsDownInTheCaptionAndTipAndWakesOnTheLastTick) {
    Snooze s = startSnooze(15);
    EXPECT_EQ(s.minutesLeft, 15);
    EXPECT_EQ(s.intervalMs, 60000u);
    EXPECT_TRUE(s.countdownCaption);
    EXPECT_EQ(countdownCaption(s.minutesLeft), "15 min left-Pellanor");
    long left = s.minutesLeft;
    EXPECT_FALSE(tickWakes(left));
    EXPECT_EQ(countdownTip(left), "Pellanor - 14 minute(s) left");
    for (int i = 0; i < 13; ++i) EXPECT_FALSE(tickWakes(left)) << "still asleep after " << i + 2 << " ticks";
    EXPECT_TRUE(tickWakes(left)) << "the fifteenth tick wakes";
    EXPECT_EQ(scheduledTip("8:00:00 AM"), "Pellanor - Program will wake up at 8:00:00 AM");
    EXPECT_EQ(resetQuestion(15), "The Sleep timer is already running.  Do you want to reset it to 15 minutes?   ");
}

TEST(Snooze, Snooze999WakesOnTheFirstShortTick) {
    Snooze s = startSnooze(999);
    EXPECT_FALSE(s.countdownCaption) << "the caption stays";
    EXPECT_EQ(s.intervalMs, 1500u);
    EXPECT_EQ(verse_display::sleepPanelText(999), "Sleep time: 999 min");
    long left = s.minutesLeft;
    EXPECT_TRUE(tickWakes(left));
}

TEST(Snooze, AlertsInOrderAndOnlyWhenOn) {
    EXPECT_EQ(alertsFor(true, true, true), (std::vector<Alert>{Alert::Flash, Alert::Sound, Alert::Desktop}));
    EXPECT_EQ(alertsFor(false, true, false), (std::vector<Alert>{Alert::Sound}));
    EXPECT_TRUE(alertsFor(false, false, false).empty());
}

} // namespace
