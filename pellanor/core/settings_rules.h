// settings_rules.h
// How stored setting texts turn into values: the limits, the defaults an
// invalid value falls back to, and the true/false normalisation. Portable,
// so the rules are tested without a registry.
#pragma once

#include <string>
#include <string_view>

namespace settings_rules {

inline constexpr const char* kProgramTitle = "Pellanor";
inline constexpr const char* kCompanyKey = "SOFTWARE\\Tamberly, Inc.\\";
inline constexpr const char* kUserSettings = "UserSettings";
inline constexpr const char* kWindowSettings = "Settings";
inline constexpr const char* kRunKey = "SOFTWARE\\microsoft\\windows\\currentversion\\run";
inline constexpr const char* kRunValue = "TamberlyPellanor";
inline constexpr const char* kRunValueOff = "(value not set)";
inline constexpr const char* kDefaultTranslation = "TRANSLATION_King James Version";
inline constexpr const char* kDefaultTopicFile = "Peace and Trust.txt";
inline constexpr const char* kDefaultSchedulerTime = "8:00:00 AM";

// The running version, stored machine-wide after an update.
inline constexpr long kRevMajor = 1, kRevMinor = 5, kRevRevision = 95;

std::string trimBlanks(std::string_view s);

// A default of "true"/"false" (any case, blanks around) marks a Boolean
// setting; its stored value reads as "false" unless it is "true".
bool isBooleanText(std::string_view s);
std::string normaliseBoolean(std::string_view value);
bool toBoolean(std::string_view normalised);
inline const char* booleanText(bool b) { return b ? "True" : "False"; }

// A whole decimal number, blanks around allowed; false when it is not one.
bool parseLong(std::string_view text, long& out);

// A number within lo..hi, else invalid.
long limited(std::string_view text, long lo, long hi, long invalid);

long repeatCounter(std::string_view text);   // 1..10, else 1
long repeatTopicCtr(std::string_view text);  // 1..5, else 1
long snoozeTime(std::string_view text);      // 1..240 or 999, else 1
long verseFontSize(std::string_view text);   // 8..14, else 10
long verseIndex(std::string_view text);      // below 1 (or not a number): 1

// When all three alerts are off, audio and visual come back on.
void fixAlerts(bool& audio, bool& visual, bool& desktop);

// An empty stored scheduler time reads as "8:00 AM".
std::string schedulerTime(std::string_view stored);

// A saved topic file name that is blank or lacks ".txt" gives the default.
std::string topicFile(std::string_view stored);

// The Run value counts as off when unreadable, blank or "(value not set)".
bool autoStartIsOn(bool readOk, std::string_view value);
std::string quotedProgramPath(std::string_view folder, std::string_view exeBaseName);

// "lastUpdate": the UTC FILETIME in milliseconds plus 69, as text of at
// most 15 significant digits.
std::string lastUpdateText(unsigned long long fileTime);

} // namespace settings_rules
