// button_tips_test.cpp
#include "button_tips.h"

#include <gtest/gtest.h>

#include "settings_rules.h"

namespace {

TEST(ButtonTips, TagTexts) {
    EXPECT_EQ(button_tips::tagText(7, settings_rules::settings::schedulerTime.defaultText),
              "/Run using the Pellanor Scheduler - wake up at 8:00:00 AM//");
    EXPECT_EQ(button_tips::tagText(4, ""), "/Quit out of this program - saves all settings automatically//");
    EXPECT_EQ(button_tips::tagText(8, "8:00:00 AM"), "");
}

// The first field shows; the Sleep button's tip says when the program wakes.
TEST(ButtonTips, ShownTextAndStyle) {
    button_tips::Tip tip = button_tips::shown(button_tips::tagText(0, ""), 999);
    EXPECT_EQ(tip.text, "Press this button to put the program to sleep.  It will wake up again in 999 minutes");
    EXPECT_FALSE(tip.warning);
    tip = button_tips::shown("/Careful/Warning/", 15);
    EXPECT_EQ(tip.text, "Careful");
    EXPECT_TRUE(tip.warning);
    EXPECT_TRUE(button_tips::shown("/Careful/WARNING/", 15).warning);
    EXPECT_EQ(button_tips::shown("", 15).text, "") << "an empty tag hides the tip";
    EXPECT_EQ(button_tips::shown("no slash", 15).text, "");
    EXPECT_FALSE(button_tips::shown("//Warning/", 15).warning) << "nothing shows, so no colours change";
}

// Panel 1 lies under the topic list and says what the list does.
TEST(ButtonTips, PanelTips) {
    EXPECT_STREQ(button_tips::panelTip(1), "Click here to change the subject you are studying.");
    EXPECT_STREQ(button_tips::panelTip(1), button_tips::kTopicListTip);
    EXPECT_STREQ(button_tips::panelTip(2), "The total number of verses in this subject.");
    EXPECT_STREQ(button_tips::panelTip(3), "The Bible Translation you are viewing.");
    EXPECT_STREQ(button_tips::panelTip(4), "This panel displays the Sleep time.");
    EXPECT_STREQ(button_tips::panelTip(0), "");
    EXPECT_STREQ(button_tips::panelTip(5), "");
}

} // namespace
