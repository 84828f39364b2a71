// seams.h
// The few places where the program meets the user or the system in a way a
// test must watch or answer: message boxes, starting other programs, the
// help viewer, and the program folder. Each defaults to the real call;
// tests put in a recorder. Nothing else in the program calls these APIs.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace seams {

// MessageBoxA with ANSI texts. Every box of the program goes through here.
using MessageBoxFn = std::function<int(HWND owner, const std::string& text,
                                       const std::string& caption, UINT flags)>;
int messageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags);
void setMessageBox(MessageBoxFn fn); // an empty function restores MessageBoxA

// Starts a command line without waiting; false when it could not start.
using StartProcessFn = std::function<bool(const std::string& commandLine, int showCommand)>;
bool startProcess(const std::string& commandLine, int showCommand);
void setStartProcess(StartProcessFn fn);

// HtmlHelpA from hhctrl.ocx, loaded on first use.
using HtmlHelpFn = std::function<HWND(HWND owner, const std::string& file, UINT command,
                                      DWORD_PTR data)>;
HWND htmlHelp(HWND owner, const std::string& file, UINT command, DWORD_PTR data);
void setHtmlHelp(HtmlHelpFn fn);

// The folder the program runs from (no trailing "\"): the executable's
// folder, unless a test has pointed it at a prepared one.
std::string programFolder();
void setProgramFolder(const std::string& folder); // empty restores the real one

} // namespace seams
