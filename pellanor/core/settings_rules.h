// settings_rules.h
// How stored setting texts turn into values: the limits, the defaults an
// invalid value falls back to, and the true/false normalisation. Portable,
// so the rules are tested without a registry.
#pragma once

#include <array>
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

// Every registry value the program keeps per user, under HKCU
// kCompanyKey + kProgramTitle + "\" + section: its name, its kind, the text
// it reads as when missing and, for a number, the range it must fall in
// (a stored number outside it, or no number, reads as invalid). Reading
// and saving both name a value through this table, so a new setting is
// one entry here plus the lines that read and save it.
enum class SettingKind { Text, Number, Boolean };
struct Setting {
    const char* section;
    const char* name;
    SettingKind kind;
    const char* defaultText;
    long lo = 0, hi = 0, invalid = 0;
};

// The snooze time that wakes after one short tick instead of counting
// minutes down.
inline constexpr long kSnoozeAtOnce = 999;

namespace settings {
using enum SettingKind;
inline constexpr long kNoLimit = 2147483647L;
// Verse showing and sleeping.
inline constexpr Setting repeatCounter{kUserSettings, "repeatCounter", Number, "1", 1, 10, 1};
inline constexpr Setting repeatTopicCtr{kUserSettings, "repeatTopicCtr", Number, "1", 1, 5, 1};
// The showings left of the current verse and topic; a missing one reads as
// its counter's value.
inline constexpr Setting repeatLeft0{kUserSettings, "lRepeatCtr(0)", Number, "", 1, 10, 1};
inline constexpr Setting repeatLeft1{kUserSettings, "lRepeatCtr(1)", Number, "", 1, 5, 1};
// kSnoozeAtOnce also stands (see snoozeTime()).
inline constexpr Setting snoozeTime{kUserSettings, "snoozeTime", Number, "15", 1, 240, 1};
inline constexpr Setting audioAlert{kUserSettings, "audioAlert", Boolean, "true"};
inline constexpr Setting visualAlert{kUserSettings, "visualAlert", Boolean, "true"};
inline constexpr Setting desktopAlert{kUserSettings, "desktopAlert", Boolean, "true"};
inline constexpr Setting verseFontSize{kUserSettings, "verseFontSize", Number, "10", 8, 14, 10};
inline constexpr Setting parallelTranslation{kUserSettings, "parallelTranslation", Boolean, "true"};
inline constexpr Setting buttonSounds{kUserSettings, "buttonSounds", Boolean, "true"};
// Where the reading stands.
inline constexpr Setting filePath{kUserSettings, "filePath", Text, ""};
inline constexpr Setting fileName{kUserSettings, "fileName", Text, kDefaultTopicFile};
inline constexpr Setting translation{kUserSettings, "translation", Text, kDefaultTranslation};
inline constexpr Setting newVerseIndex{kUserSettings, "newVerseIndex", Number, "1", 1, kNoLimit, 1};
// Start-up.
inline constexpr Setting firstTimeRun{kUserSettings, "First Time Run", Boolean, "True"};
inline constexpr Setting showTipsAtStartup{kUserSettings, "Show Tips at Startup", Text, "1"};
// The scheduler.
inline constexpr Setting useTheWindowsScheduler{kUserSettings, "useTheWindowsScheduler", Boolean, "false"};
inline constexpr Setting schedulerEnabled{kUserSettings, "TamberlyschedulerEnabled", Boolean, "false"};
inline constexpr Setting schedulerTime{kUserSettings, "TamberlyschedulerTime", Text, kDefaultSchedulerTime};
// The main window's place, in twips; a MainLeft of 0 keeps the default place.
inline constexpr Setting mainLeft{kWindowSettings, "MainLeft", Number, "0"};
inline constexpr Setting mainTop{kWindowSettings, "MainTop", Number, "1000"};
inline constexpr Setting mainWidth{kWindowSettings, "MainWidth", Number, "6500"};
inline constexpr Setting mainHeight{kWindowSettings, "MainHeight", Number, "6500"};
// The update server, "host" or "host:port".
inline constexpr Setting updateServer{kWindowSettings, "updateServer", Text, "update.pellanor.example"};

// The whole table, for checks over every value.
inline constexpr std::array kAll{
    &repeatCounter, &repeatTopicCtr, &repeatLeft0, &repeatLeft1, &snoozeTime, &audioAlert,
    &visualAlert, &desktopAlert, &verseFontSize, &parallelTranslation, &buttonSounds, &filePath,
    &fileName, &translation, &newVerseIndex, &firstTimeRun, &showTipsAtStartup,
    &useTheWindowsScheduler, &schedulerEnabled, &schedulerTime, &mainLeft, &mainTop, &mainWidth,
    &mainHeight, &updateServer};
} // namespace settings

// The running version, stored machine-wide after an update.
inline constexpr long kRevMajor = 1, kRevMinor = 5, kRevRevision = 95;

// The product's title: the main window's caption, and the program's name
// in the texts that name it (the dialogs, the scheduled task's comment).
inline constexpr const char* kProductTitle = "Pellanor 2004";

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
// A number setting's stored text within its table range, else its invalid.
long limited(std::string_view text, const Setting& setting);

long repeatCounter(std::string_view text);   // 1..10, else 1
long repeatTopicCtr(std::string_view text);  // 1..5, else 1
long snoozeTime(std::string_view text);      // 1..240 or 999, else 1
long verseFontSize(std::string_view text);   // 8..14, else 10
long verseIndex(std::string_view text);      // below 1 (or not a number): 1

// Which of the three reference boxes shows at a verse text size: 0 for 8
// and 9, 1 for 10 to 13, 2 for 14 (each size between the designed ones
// takes the box of the one below it), so exactly one shows at every size.
int referenceBoxFor(long fontSize);

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
