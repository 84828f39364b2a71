// program_seams.h
// The seams both programs share: where a program meets the user (message
// boxes, the wake-up alerts) or asks where it runs from, in a way a test
// must watch or answer. Each defaults to the real call; tests put in a
// recorder. The main program adds its own seams beside these.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace seams {

// MessageBoxA with ANSI texts. Every box of a program goes through here.
using MessageBoxFn = std::function<int(HWND owner, const std::string& text,
                                       const std::string& caption, UINT flags)>;
int messageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags);
void setMessageBox(MessageBoxFn fn); // an empty function restores MessageBoxA

// The visual and audible alerts: FlashWindowEx and MessageBeep.
using AlertFn = std::function<void(const char* kind, HWND window)>;
void flashWindow(HWND window);   // caption and taskbar button, three times
void informationSound();         // the system's information sound
void setAlertObserver(AlertFn fn); // tests see each alert instead of the real call

// The folder the program runs from (no trailing "\"): the executable's
// folder, unless a test has pointed it at a prepared one.
std::string programFolder();
void setProgramFolder(const std::string& folder); // empty restores the real one

} // namespace seams
