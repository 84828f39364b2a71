// frmMain_sleep.cpp
// Sleep and wake-up: the Sleep and Scheduler buttons, the notification-area
// icon and its menu, the two wake-up timers and the alerts.
#include <windows.h>

#include <stdexcept>

#include "FrmSysTray.h"
#include "Module1.h"
#include "dataManipulation.h"
#include "frmMain.h"
#include "schedule_rules.h"
#include "seams.h"
#include "sysTray.h"
#include "verse_display.h"

namespace {

void report(HWND owner, const char* routine, const char* caption) {
    dataManipulation::showMessage(owner, std::string("An error occurred in function ") + routine, caption,
                                  MB_ICONSTOP);
}

} // namespace

void frmMain::sleepButton() {
    gSleepCountdown = true;
    if (timerVerse.enabled()) {
        int answer = seams::messageBox(hwnd(),
                                       "The Sleep timer is already running.  Do you want to reset it to" +
                                           verse_display::statusNumber(gSnoozeTime) + " minutes?   ",
                                       "Reset Sleep Timer??", MB_YESNO | MB_ICONQUESTION);
        if (answer != IDYES) {
            sendToSysTray();
            return;
        }
        timerVerse.setEnabled(false);
    }
    if (gSnoozeTime != 999) {
        gMinutesLeft = gSnoozeTime;
        SetWindowTextA(hwnd(), (std::to_string(gMinutesLeft) + " min left-Pellanor").c_str());
        timerVerse.setInterval(60000);
    } else {
        gMinutesLeft = 1;
        timerVerse.setInterval(1500);
    }
    timerVerse.setEnabled(true);
    if (UpdateStatusBar()) throw std::runtime_error("UpdateStatusBar");
    sendToSysTray();
}

void frmMain::schedulerButton() {
    if (!gUseWindowsScheduler) {
        gSleepCountdown = false;
        timerSchedule.setEnabled(true);
        sendToSysTray();
    } else {
        // The Windows scheduled task starts the program again at its time.
        close();
    }
}

bool frmMain::sendToSysTray() {
    try {
        hideToolTips();
        sysTray::hookWindow(hwnd());
        if (!m_sysTrayForm) m_sysTrayForm = std::make_unique<FrmSysTray>();
        HICON icon = m_sysTrayForm->icon();
        sysTray::addTrayIcon(hwnd(), static_cast<UINT>(reinterpret_cast<UINT_PTR>(icon)), icon,
                             "Double click this icon to send the program to the Desktop");
        ShowWindow(hwnd(), SW_HIDE);
        return false;
    } catch (...) {
        report(hwnd(), "sendToSysTray", "Program Error Occurred....");
        return true;
    }
}

void frmMain::SysTrayMouseEventHandler() {
    try {
        SetForegroundWindow(hwnd());
        if (!m_rcPopup) {
            m_rcPopup = CreatePopupMenu();
            // The same ids the window's command handler dispatches.
            AppendMenuA(m_rcPopup, MF_STRING, mnuRCPsend, "Restore Program to the Desktop");
            AppendMenuA(m_rcPopup, MF_STRING, mnuRCPquit, "Quit out of Pellanor");
        }
        POINT p;
        GetCursorPos(&p);
        UINT chosen = static_cast<UINT>(TrackPopupMenu(m_rcPopup, TPM_RIGHTBUTTON | TPM_RETURNCMD, p.x, p.y, 0,
                                                       hwnd(), nullptr));
        // Without a message after it, a tray menu of a window in the
        // background may not open or close properly the next time.
        PostMessageA(hwnd(), WM_NULL, 0, 0);
        // The menu is tracked inside the hooked window procedure; act once
        // it has returned.
        if (chosen == mnuRCPsend || chosen == mnuRCPquit) PostMessageA(hwnd(), WM_COMMAND, chosen, 0);
    } catch (...) {
        report(hwnd(), "SysTrayMouseEventHandler", "Program Error Occurred....");
    }
}

void frmMain::mnuRCPrestore() {
    try {
        sysTray::unhookWindow();
        ShowWindow(hwnd(), SW_SHOWNORMAL);
        sysTray::deleteTrayIcon();
        timerVerse.setEnabled(false);
        timerSchedule.setEnabled(false);
    } catch (...) {
        report(hwnd(), "mnuRCPrestore", "Program Error Occurred....");
    }
}

void frmMain::mnuRCPsend_Click() {
    try {
        mnuRCPrestore();
    } catch (...) {
        report(hwnd(), "mnuRCPsend_Click", "Program Error Occurred....");
    }
}

void frmMain::mnuRCPquit_Click() {
    try {
        sysTray::unhookWindow();
        sysTray::deleteTrayIcon();
        close();
    } catch (...) {
        report(hwnd(), "mnuRCPquit_Click", "Program Error Occurred....");
    }
}

// The road back to the desktop shared by both timers; true when the verse
// step failed (the display is then skipped).
bool frmMain::wakeUp(const char*, const char*, bool stopSchedule) {
    if (stopSchedule) timerSchedule.setEnabled(false);
    SetWindowTextA(hwnd(), kCaption);
    timerVerse.setEnabled(false);
    sysTray::unhookWindow();
    ShowWindow(hwnd(), SW_SHOW);
    sysTray::deleteTrayIcon();
    return alertsAndVerseStep();
}

bool frmMain::alertsAndVerseStep() {
    if (gVisualAlert) seams::flashWindow(hwnd());
    if (gAudioAlert) seams::informationSound();
    if (gDesktopAlert) {
        ShowWindow(hwnd(), SW_SHOWNORMAL);
        BringWindowToTop(hwnd());
        SetForegroundWindow(hwnd());
    }
    lRepeatCtr[0] -= 1;
    if (lRepeatCtr[0] < 1) {
        if (getNewVerseIndex()) return true;
        lRepeatCtr[0] = gRepeatCount[0];
    }
    return false;
}

void frmMain::timerVerse_Timer() {
    // A tick that arrives while an earlier tick's message box is still open
    // waits: one box per failure until the user has answered it.
    if (m_inTimerTick) return;
    m_inTimerTick = true;
    gErrorShown = false;
    try {
        gMinutesLeft -= 1;
        bool stepFailed = false;
        if (gMinutesLeft < 1) stepFailed = wakeUp("timerVerse_Timer", "Program Error Occurred.... ", false);
        if (stepFailed || displayVerses() || UpdateStatusBar())
            report(hwnd(), "timerVerse_Timer", "Program Error Occurred.... ");
    } catch (...) {
        report(hwnd(), "timerVerse_Timer", "Program Error Occurred.... ");
    }
    m_inTimerTick = false;
}

void frmMain::timerSchedule_Timer() {
    if (m_inTimerTick) return;
    m_inTimerTick = true;
    gErrorShown = false;
    try {
        long scheduled = schedule_rules::parseTimeOfDay(gSchedulerTime);
        if (scheduled >= 0 && schedule_rules::scheduleDue(seams::timeOfDaySeconds(), scheduled)) {
            bool stepFailed = wakeUp("timerSchedule_Timer", "Program Error Occurred....", true);
            if (stepFailed || displayVerses() || UpdateStatusBar())
                report(hwnd(), "timerSchedule_Timer", "Program Error Occurred....");
        }
    } catch (...) {
        report(hwnd(), "timerSchedule_Timer", "Program Error Occurred....");
    }
    m_inTimerTick = false;
}
