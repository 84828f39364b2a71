// button_tips.h
// The tips of the main window's picture buttons: each button's tag text
// ("/text/style/") and what the tip window shows for one; and the tips of
// the two lists and the status bar's panels. Portable, so the texts are
// checked without a window.
#pragma once

#include <string>
#include <string_view>

namespace button_tips {

// The tag text of button 0 to 7 (Sleep, Options, Add Verses, Info, Quit,
// Previous, Next, Scheduler); the Scheduler's names the time it wakes at.
// "" for any other index.
std::string tagText(int button, std::string_view schedulerTime);

struct Tip {
    std::string text;      // none: the tip hides
    bool warning = false;  // shown in the warning colours
};

// The tip a tag text shows: its first field, the Sleep button's followed by
// the snooze minutes; in the warning colours when its style field reads
// "warning" (any case). An empty tag, or one with an empty first field,
// hides the tip.
Tip shown(std::string_view tag, long snoozeMinutes);

// The lists' tips, and the tip of status panel 1 to 4 ("" for any other):
// panel 1 lies under the topic list and shares its tip.
inline constexpr const char* kTopicListTip = "Click here to change the subject you are studying.";
inline constexpr const char* kTranslationListTip = "Click here to change the Bible Translation you are studying.";
const char* panelTip(int panel);

} // namespace button_tips
