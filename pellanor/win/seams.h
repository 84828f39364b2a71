// seams.h
// The few places where the program meets the user or the system in a way a
// test must watch or answer: message boxes, starting other programs, the
// help viewer, and the program folder. Each defaults to the real call;
// tests put in a recorder. Nothing else in the program calls these APIs.
#pragma once

#include <windows.h>
#include <shellapi.h>

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

// Shell_NotifyIconA. Every notification-area call of the program goes here.
using NotifyIconFn = std::function<BOOL(DWORD message, NOTIFYICONDATAA* data)>;
BOOL notifyIcon(DWORD message, NOTIFYICONDATAA* data);
void setNotifyIcon(NotifyIconFn fn);

// The local time of day in seconds since midnight (the scheduler's clock).
using TimeOfDayFn = std::function<long()>;
long timeOfDaySeconds();
void setTimeOfDay(TimeOfDayFn fn);

// ShellExecuteA with the default verb, no owner and "C:\" as the working
// folder: opens an address or a file with the shell's default program.
using ShellOpenFn = std::function<void(const std::string& file)>;
void shellOpen(const std::string& file);
void setShellOpen(ShellOpenFn fn);

// CreateProcessWithLogonW: runs a program under another account. True when
// it started (the handles are closed).
using StartAsUserFn = std::function<bool(const std::wstring& user, const std::wstring& password,
                                         const std::wstring& application)>;
bool startAsUser(const std::wstring& user, const std::wstring& password, const std::wstring& application);
void setStartAsUser(StartAsUserFn fn);

// The wake-up's visual and audible alerts: FlashWindowEx and MessageBeep.
using AlertFn = std::function<void(const char* kind, HWND window)>;
void flashWindow(HWND window);   // caption and taskbar button, three times
void informationSound();         // the system's information sound
void setAlertObserver(AlertFn fn); // tests see each alert instead of the real call

// The number of sound output devices (waveOutGetNumDevs), and a wave image
// in memory played without waiting (sndPlaySoundA). The multimedia DLL is
// loaded when first asked: most starts never play a sound.
UINT soundDeviceCount();
void playSoundImage(const char* wave);
using SoundDeviceCountFn = std::function<UINT()>;
void setSoundDeviceCount(SoundDeviceCountFn fn); // tests answer the count

// LogonUserA with a network logon and the default provider: true when the
// system accepts the account and password. The token is closed at once;
// the logon only tests them.
using LogonUserFn = std::function<bool(const std::string& user, const std::string& domain,
                                       const std::string& password)>;
bool logonUser(const std::string& user, const std::string& domain, const std::string& password);
void setLogonUser(LogonUserFn fn);

// The folder the program runs from (no trailing "\"): the executable's
// folder, unless a test has pointed it at a prepared one.
std::string programFolder();
void setProgramFolder(const std::string& folder); // empty restores the real one

} // namespace seams
