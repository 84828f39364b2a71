// button_tips.h
// The tips of the main window's picture buttons: each button's tag text
// ("/text/style/") and what the tip window shows for one. Portable, so the
// texts are checked without a window.
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

} // namespace button_tips
