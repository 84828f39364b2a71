// GlobalFunctions.h
// Small shared routines: files and folders, the control-character test,
// starting "verify.exe", the stored version, the start-with-Windows value,
// the Windows logon test and the daily task.
#pragma once

#include <windows.h>

#include <string>

#include "outcome.h"

namespace taskscheduler {
class TaskCollection;
}

namespace GlobalFunctions {

Outcome deleteFile(const std::string& path);     // Failed: not deleted
Outcome makePath(const std::string& path);       // creates the folders; always Ok
bool testForControlCodes(const std::string& text, HWND owner); // true: a byte outside blank.."z"
void runVerify();
void saveVersionNumbers();
Outcome regAuto(HWND owner);                      // Failed: the user has been told
Outcome regNonAuto(HWND owner);

// The quoted path the Run value holds while the program starts with Windows.
std::string autoStartCommand();

// Tests userName and password with a network logon; both come back
// trimmed of blanks. Failed when the logon failed; on success gWindowsUser
// becomes the trimmed userName.
Outcome testPassword(std::string& userName, std::string& password, HWND owner);

// Creates or updates the user's daily task starting the program at
// timeText, disabled unless enabledValue is 1. Failed: the user has been
// told. The password is wiped before it returns.
Outcome createScheduledTask(HWND owner, taskscheduler::TaskCollection& taskService, const std::string& timeText,
                            long enabledValue, const std::string& userName, std::string password);


} // namespace GlobalFunctions
