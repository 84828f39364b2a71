// sleep_rules.h
// The snooze: what its countdown shows (caption, tray tip, the question
// when it already runs), when it wakes, and the alerts of a wake-up.
#pragma once

#include <string>
#include <vector>

#include "settings_rules.h"

namespace sleep_rules {

// The snooze time that means "wake at once": a short tick, no countdown.
inline constexpr long kWakeAtOnce = settings_rules::kSnoozeAtOnce;

struct Snooze {
    long minutesLeft = 0;
    unsigned intervalMs = 0;      // the tick
    bool countdownCaption = true; // the caption shows the minutes left
};
Snooze startSnooze(long snoozeMinutes);

// "15 min left-Pellanor"
std::string countdownCaption(long minutesLeft);
// The notification-area tip while asleep: the minutes left of a countdown,
// or the time of day the program wakes at.
std::string countdownTip(long minutesLeft);
std::string scheduledTip(const std::string& timeOfDay);
// The question when Sleep is pressed while the countdown runs.
std::string resetQuestion(long snoozeMinutes);
inline constexpr const char* kResetCaption = "Reset Sleep Timer??";

// A tick of the countdown (counted down here): true when it wakes.
bool tickWakes(long& minutesLeft);

// The alerts of a wake-up, in the order they are given; the desktop alert
// brings the window back over the others.
enum class Alert { Flash, Sound, Desktop };
std::vector<Alert> alertsFor(bool visual, bool audio, bool desktop);

} // namespace sleep_rules
