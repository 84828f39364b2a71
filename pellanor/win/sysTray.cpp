// sysTray.cpp
#include "sysTray.h"

#include <commctrl.h>

#include <optional>

#include <cstring>

#include "pellanor/win/Module1.h"
#include "dataManipulation.h"
#include "seams.h"
#include "sleep_rules.h"

namespace sysTray {

void setTip(const std::string& tip) {
    std::memset(gTrayIconData.szTip, 0, sizeof gTrayIconData.szTip);
    std::strncpy(gTrayIconData.szTip, tip.c_str(), 63);
}

void addTrayIcon(HWND window, UINT iconId, HICON icon, const std::string& tip) {
    gTrayIconData = NOTIFYICONDATAA{};
    gTrayIconData.cbSize = kRecordSize;
    gTrayIconData.hWnd = window;
    gTrayIconData.uID = iconId;
    gTrayIconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    gTrayIconData.uCallbackMessage = kCallbackMessage;
    gTrayIconData.hIcon = icon;
    setTip(tip);
    seams::notifyIcon(NIM_ADD, &gTrayIconData);
    gIconShown = true;
}

void deleteTrayIcon() {
    seams::notifyIcon(NIM_DELETE, &gTrayIconData);
    gIconShown = false;
}

namespace {

Handlers gHandlers;

LRESULT CALLBACK hookProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
    if (msg == WM_NCDESTROY) {
        // A window that goes while asleep takes its hook with it.
        unhookWindow();
        return DefSubclassProc(hwnd, msg, wp, lp);
    }
    // A tray message that fails still goes on to the window's own
    // procedure; a box from inside the tray hook would come back on every
    // message, so it is only logged.
    std::optional<LRESULT> answer;
    userAction::logged("sysTray_WindowProc", [&] {
        // The tip is rewritten on every message so it is always current.
        if (gSleepCountdown)
            setTip(sleep_rules::countdownTip(gMinutesLeft));
        else
            setTip(sleep_rules::scheduledTip(gSchedulerTime));
        if (gIconShown) seams::notifyIcon(NIM_MODIFY, &gTrayIconData);
        if (msg == kCallbackMessage && lp == WM_LBUTTONDBLCLK) {
            if (auto restore = gHandlers.restore) restore();
            answer = 0;
        } else if (msg == kCallbackMessage && lp == WM_RBUTTONDOWN) {
            if (auto menu = gHandlers.menu) menu();
            answer = -1;
        }
    });
    if (answer) return *answer;
    return DefSubclassProc(hwnd, msg, wp, lp);
}

} // namespace

void hookWindow(HWND window, Handlers handlers) {
    if (gHooked) return;
    if (!SetWindowSubclass(window, hookProc, 0, 0)) return;
    gHookedWnd = window;
    gHandlers = std::move(handlers);
    gHooked = true;
}

void unhookWindow() {
    if (!gHooked) return;
    RemoveWindowSubclass(gHookedWnd, hookProc, 0);
    gHooked = false;
}

} // namespace sysTray
