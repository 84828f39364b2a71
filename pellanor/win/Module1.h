// Module1.h
// The program-wide variables of the verse reminder and its entry routine.
// Every window and module reads and changes these on the one UI thread.
#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "common/win32/secret.h"
#include "action_rule.h"
#include "verse_types.h"

class frmMain;

// Verse library and message state.
inline std::string gVerseRoot;                        // program folder, no trailing "\"
inline std::vector<TranslationRecord> gTranslations;  // in the order the folders were found
inline long gCurTranslation = 0;
inline TopicList gTopics;
inline VerseArray gVerses;
inline long gVerseIndex = 1;                           // 1-based, setting "newVerseIndex"
inline bool gErrorShown = false;                       // a box was shown in this user action
inline bool gNoErrorLog = false;                       // logging is off for the rest of the run
inline bool gForceOptions = false;
inline frmMain* gMainForm = nullptr;
inline std::string gHelpFile;                          // program folder + "\help.chm"
// The rule of one box per user action; the only writer of gErrorShown.
inline action_rule::ActionRule gActionRule{gErrorShown};

// User settings, read at start-up and saved when the main window closes.
inline std::array<long, 2> gRepeatCount{1, 1};
inline long gSnoozeTime = 15;
inline bool gAudioAlert = true;
inline bool gVisualAlert = true;
inline bool gDesktopAlert = true;
inline long gVerseFontSize = 10;
inline bool gParallelTranslation = true;
inline bool gUseWindowsScheduler = false;
inline bool gSchedulerEnabled = false;
inline std::string gSchedulerTime = "8:00:00 AM";
inline bool gFirstTimeRun = true;

// Set by the main window's load.
inline bool gIsWinNT = false;
// The account name, DOMAIN\user where the system gives it: read through
// windowsUser(), which looks it up the first time it is wanted.
inline std::string gWindowsUser;
inline OSVERSIONINFOEXA gOSVersion{};
inline bool gAutoStart = false;
inline bool gAgreementAccepted = false;
inline bool gAutoStartChoice = false;
inline std::vector<char> gButtonSound;               // the WAVE resource "BUTTON01"
inline bool gLimitedAccess = false;                   // machine-wide key unreadable

// Dialogs and updates.
inline bool gDialogCancelled = true;                  // a dialog changed nothing
inline long gChosenTranslation = 0;
inline bool gPatchDownloaded = false;
inline bool gLogonOK = false;
inline std::string gAdminUser;
inline win32::Secret gAdminPassword;                  // wiped once used, and when it goes

// Sleep and wake-up.
inline long gMinutesLeft = 0;
inline bool gSleepCountdown = false;                  // countdown (true) or time of day

namespace Module1 {

// Name of the mutex by which a second copy knows that one already runs.
inline constexpr const char* kInstanceMutexName = "Local\\Tamberly.Pellanor.Instance";

// The program's start-up; returns the process exit code.
int Main();

// gWindowsUser, looked up when first wanted on Windows NT. The look-up
// loads the system's security packages, which the start-up need not wait
// for: only the scheduling dialog uses the name.
const std::string& windowsUser();

} // namespace Module1
