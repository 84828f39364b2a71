// sleep_rules.cpp
#include "sleep_rules.h"

#include "verse_display.h"

namespace sleep_rules {

Snooze startSnooze(long snoozeMinutes) {
    if (snoozeMinutes == kWakeAtOnce) return {1, 1500, false};
    return {snoozeMinutes, 60000, true};
}

std::string countdownCaption(long minutesLeft) { return std::to_string(minutesLeft) + " min left-Pellanor"; }

std::string countdownTip(long minutesLeft) {
    return "Pellanor -" + verse_display::statusNumber(minutesLeft) + " minute(s) left";
}

std::string scheduledTip(const std::string& timeOfDay) { return "Pellanor - Program will wake up at " + timeOfDay; }

std::string resetQuestion(long snoozeMinutes) {
    return "The Sleep timer is already running.  Do you want to reset it to" +
           verse_display::statusNumber(snoozeMinutes) + " minutes?   ";
}

bool tickWakes(long& minutesLeft) {
    minutesLeft -= 1;
    return minutesLeft < 1;
}

std::vector<Alert> alertsFor(bool visual, bool audio, bool desktop) {
    std::vector<Alert> alerts;
    if (visual) alerts.push_back(Alert::Flash);
    if (audio) alerts.push_back(Alert::Sound);
    if (desktop) alerts.push_back(Alert::Desktop);
    return alerts;
}

} // namespace sleep_rules
