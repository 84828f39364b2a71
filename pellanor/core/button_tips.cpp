// button_tips.cpp
#include "button_tips.h"

#include "text_fields.h"

namespace button_tips {

namespace {
const char* const kSleepTag = "/Press this button to put the program to sleep.  It will wake up again in//";
} // namespace

std::string tagText(int button, std::string_view schedulerTime) {
    switch (button) {
    case 0: return kSleepTag;
    case 1: return "/Tell the program how long to sleep, startup options, alerts, etc.//";
    case 2: return "/Add your own verses to the program//";
    case 3: return "/Information about the program and Tamberly, Inc.//";
    case 4: return "/Quit out of this program - saves all settings automatically//";
    case 5: return "/View the Previous Verse in this subject - HOLD DOWN TO SCROLL//";
    case 6: return "/View the Next Verse in this subject - HOLD DOWN TO SCROLL//";
    case 7: return "/Run using the Pellanor Scheduler - wake up at " + std::string(schedulerTime) + "//";
    default: return {};
    }
}

Tip shown(std::string_view tag, long snoozeMinutes) {
    Tip tip;
    if (tag.empty()) return tip;
    tip.text = ToolTips::getTipField(tag, 1);
    if (tag == kSleepTag) tip.text += " " + std::to_string(snoozeMinutes) + " minutes";
    if (tip.text.empty()) return tip;
    tip.warning = text_rules::lower(ToolTips::getTipField(tag, 2)) == "warning";
    return tip;
}

const char* panelTip(int panel) {
    switch (panel) {
    case 1: return kTopicListTip;
    case 2: return "The total number of verses in this subject.";
    case 3: return "The Bible Translation you are viewing.";
    case 4: return "This panel displays the Sleep time.";
    default: return "";
    }
}

} // namespace button_tips
