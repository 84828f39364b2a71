// tip_display_test.cpp
// The tip-of-the-day dialog's displays: the first run's purpose and notice
// and when it closes.
#include "tip_display.h"

#include <gtest/gtest.h>

using tip_display::afterOk;
using tip_display::Display;

TEST(TipDisplay, FirstRunShowsThePurposeThenTheSleepNoticeThenCloses) {
    bool firstTimeRun = true;
    tip_display::Opening opening = tip_display::open(firstTimeRun);
    EXPECT_EQ(opening.display, Display::Purpose);
    EXPECT_TRUE(opening.openPurposeHelp);
    EXPECT_FALSE(firstTimeRun);
    EXPECT_EQ(tip_display::purposeText().substr(0, 16), "OUR PURPOSE:\r\n\r\n");

    EXPECT_EQ(afterOk(Display::Purpose), Display::Notice) << "the first OK keeps the dialog open";
    EXPECT_EQ(tip_display::sleepNotice().substr(0, 28), "\r\nPLEASE READ.... press the ");
    EXPECT_NE(tip_display::sleepNotice().find("wake up in 15 minutes"), std::string::npos);
    EXPECT_FALSE(afterOk(Display::Notice)) << "the next OK closes";

    opening = tip_display::open(firstTimeRun);
    EXPECT_EQ(opening.display, Display::Tip) << "a later opening in the same run shows tips";
    EXPECT_FALSE(opening.openPurposeHelp) << "the help opens once";
    EXPECT_FALSE(afterOk(Display::Tip));
}
