// tip_display.h
// What the tip-of-the-day dialog shows and stores: a tip, or on the
// program's first run its purpose (with the help opened at that topic),
// then at OK a notice about the Sleep button, then at the next OK it
// closes; every opening stores "Show Tips at Startup" as 1, and the box
// stores the choice.
#pragma once

#include <optional>
#include <string>

namespace tip_display {

enum class Display { Tip, Purpose, Notice };

inline constexpr const char* kTipsFile = "TIPOFDAY.TXT";

// The first display of an opening. The first run's shows the purpose and
// opens its help, and clears firstTimeRun, so it shows once per run.
struct Opening {
    Display display = Display::Tip;
    bool openPurposeHelp = false;
};
Opening open(bool& firstTimeRun);

// What OK does on a display: the next display, or none when the dialog
// closes.
std::optional<Display> afterOk(Display current);

// The value the box stores for "Show Tips at Startup".
std::string showTipsValue(bool checked);

std::string purposeText();
std::string sleepNotice();
// Shown in place of a tip when the tips file is missing.
std::string missingFileText();

} // namespace tip_display
