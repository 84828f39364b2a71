// GlobalFunctions.h
// Small shared routines: files and folders, the control-character test,
// starting "verify.exe", the stored version, the start-with-Windows value,
// the Windows logon test and the daily task.
#pragma once

#include <windows.h>

#include <string>

namespace taskscheduler {
class TaskCollection;
}

namespace GlobalFunctions {

bool deleteFile(const std::string& path);        // true: not deleted
bool makePath(const std::string& path);          // creates the folders; always false
bool testForControlCodes(const std::string& text, HWND owner); // true: a byte outside blank.."z"
void runVerify(HWND owner);
void saveVersionNumbers();
bool regAuto(HWND owner);                         // true: failed (and told the user)
bool regNonAuto(HWND owner);

// The quoted path the Run value holds while the program starts with Windows.
std::string autoStartCommand();

// Tests userName and password with a network logon; both come back
// trimmed of blanks. True when the logon failed; on success gWindowsUser
// becomes the trimmed userName.
bool testPassword(std::string& userName, std::string& password, HWND owner);

// Creates or updates the user's daily task starting the program at
// timeText, disabled unless enabledValue is 1. True when it failed (the
// user has been told). The password is wiped before it returns.
bool createScheduledTask(HWND owner, taskscheduler::TaskCollection& taskService, const std::string& timeText,
                         long enabledValue, const std::string& userName, std::string password);


} // namespace GlobalFunctions
