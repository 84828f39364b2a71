// sysTray.h
// The notification-area icon and the main window's replacement window
// procedure while it sleeps there. One icon and one hooked window per
// process.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>

namespace sysTray {

// The icon reports its mouse events as this message, with the mouse
// message in lParam.
inline constexpr UINT kCallbackMessage = 0x205;
inline constexpr DWORD kRecordSize = 88; // the first, ANSI form of the record

inline NOTIFYICONDATAA gTrayIconData{};
inline HWND gHookedWnd = nullptr;
inline WNDPROC gOldWndProc = nullptr;
inline bool gHooked = false;
inline bool gIconShown = false;

void addTrayIcon(HWND window, UINT iconId, HICON icon, const std::string& tip);
void deleteTrayIcon();
void hookWindow(HWND window);
void unhookWindow();
LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

// The tip as shown: cut to the record's 64 characters with a NUL behind.
void setTip(const std::string& tip);

} // namespace sysTray
