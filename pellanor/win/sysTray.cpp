// sysTray.cpp
#include "sysTray.h"

#include <cstring>

#include "pellanor/win/Module1.h"
#include "dataManipulation.h"
#include "frmMain.h"
#include "seams.h"
#include "verse_display.h"

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

void hookWindow(HWND window) {
    if (gHooked) return;
    gHookedWnd = window;
    gOldWndProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc)));
    gHooked = true;
}

void unhookWindow() {
    if (!gHooked) return;
    SetWindowLongPtrA(gHookedWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gOldWndProc));
    gHooked = false;
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (!gHooked) return 0;
    try {
        // The tip is rewritten on every message so it is always current.
        if (gSleepCountdown)
            setTip("Pellanor -" + verse_display::statusNumber(gMinutesLeft) + " minute(s) left");
        else
            setTip("Pellanor - Program will wake up at " + gSchedulerTime);
        if (gIconShown) seams::notifyIcon(NIM_MODIFY, &gTrayIconData);
        if (msg == kCallbackMessage && lp == WM_LBUTTONDBLCLK) {
            if (gMainForm) gMainForm->mnuRCPrestore();
            return 0;
        }
        if (msg == kCallbackMessage && lp == WM_RBUTTONDOWN) {
            if (gMainForm) gMainForm->SysTrayMouseEventHandler();
            return -1;
        }
    } catch (...) {
        // A tray message that fails still goes on to the window's own
        // procedure; a box from inside the tray hook would come back on
        // every message, so it is only logged.
        dataManipulation::logCaught("sysTray_WindowProc");
    }
    return CallWindowProcA(gOldWndProc, hwnd, msg, wp, lp);
}

} // namespace sysTray
