// sysTray.h
// The notification-area icon and the hook on the main window while it
// sleeps there. One icon and one hooked window per process.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>

namespace sysTray {

// The icon reports its mouse events as this message, with the mouse
// message in lParam.
inline constexpr UINT kCallbackMessage = 0x205;
inline constexpr DWORD kRecordSize = 88; // the first, ANSI form of the record

inline NOTIFYICONDATAA gTrayIconData{};
inline HWND gHookedWnd = nullptr;
inline bool gHooked = false;
inline bool gIconShown = false;

void addTrayIcon(HWND window, UINT iconId, HICON icon, const std::string& tip);
void deleteTrayIcon();
// What the icon's clicks do: a double click with the left button, and the
// right button going down (the icon's menu).
struct Handlers {
    std::function<void()> restore;
    std::function<void()> menu;
};

// Sees every message of the window ahead of its own procedure, keeping the
// tip current, until unhookWindow or the window's end.
void hookWindow(HWND window, Handlers handlers);
void unhookWindow();

// The tip as shown: cut to the record's 64 characters with a NUL behind.
void setTip(const std::string& tip);

} // namespace sysTray
