// GlobalFunctions.h
// Small shared routines: files and folders, the control-character test,
// starting "verify.exe", the stored version and the start-with-Windows value.
#pragma once

#include <windows.h>

#include <string>

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

} // namespace GlobalFunctions
