// options_rules.h
// The rules of the options dialog: the text sizes it offers, and for its
// three number fields (sleep time and the two repeat counts) which texts
// are numbers at all and what a wrong entry is replaced by. Portable, so
// every entry is tested without a window.
#pragma once

#include <array>
#include <string>

#include "settings_rules.h"

namespace options_rules {

// The text is exactly the plain decimal form of a whole number: an
// optional minus sign, then digits without leading zeros ("0" alone
// allowed). value saturates at the limits of long.
bool isPlainWholeNumber(const std::string& text, long& value);

// The fields take what the stored settings allow.
inline constexpr long kSnoozeMin = settings_rules::settings::snoozeTime.lo;
inline constexpr long kSnoozeMax = settings_rules::settings::snoozeTime.hi;
inline constexpr long kSnoozeSpecial = settings_rules::kSnoozeAtOnce;
inline constexpr std::array<long, 2> kRepeatMax{settings_rules::settings::repeatCounter.hi,
                                                settings_rules::settings::repeatTopicCtr.hi};

// The verse text sizes the size list offers, in list order; a size as the
// list writes it (one leading blank, then the number); the list index of a
// size, -1 when the list does not offer it.
inline constexpr std::array<long, 4> kFontSizes{8, 10, 12, 14};
std::string fontSizeText(long size);
int fontSizeIndex(long size);

// What becomes of a field's entry: kept as it is, or replaced by text
// (notNumeric: the entry was no number, the user is told so and the
// current setting comes back; otherwise a number out of range was put on
// its nearest limit, silently).
struct Entry {
    bool replaced = false;
    bool notNumeric = false;
    std::string text;
};

// The sleep time: 1 to 240, and 999 (wake after one short tick) typed as
// such.
Entry sleepEntry(const std::string& entry, long current);
// Repeat count field (0: each verse, 1: each subject): 1 to kRepeatMax[field].
Entry repeatEntry(size_t field, const std::string& entry, long current);

// What OK takes from the dialog: the three number fields as typed, the
// size list's index (-1 with no size chosen), the translation chosen and
// the three alert boxes (visual, audio, desktop).
struct Fields {
    std::string snooze;
    std::array<std::string, 2> repeat;
    long sizeIndex = -1;
    long translation = 0;
    std::array<bool, 3> alerts{};
};
// The settings OK sets.
struct Settings {
    long snoozeTime = 0;
    std::array<long, 2> repeatCount{};
    long verseFontSize = 0;
    long chosenTranslation = 0;
    std::array<bool, 3> alerts{}; // visual, audio, desktop
};
// OK copies every value into settings: a number field only when it holds
// a number (the fields were put right before), the size only when one of
// the list's is chosen (a stored size the list does not offer is kept).
// True when a listed size was chosen, so the main window shows its
// reference box for it.
bool applyOk(const Fields& fields, Settings& settings);

} // namespace options_rules
