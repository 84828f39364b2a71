// frmMain_sleep.cpp
// Sleep and wake-up: the Sleep and Scheduler buttons, the notification-area
// icon and its menu, the two wake-up timers and the alerts.
#include <windows.h>

#include <stdexcept>

#include "FrmSysTray.h"
#include "pellanor/win/Module1.h"
#include "dataManipulation.h"
#include "frmMain.h"
#include "schedule_rules.h"
#include "seams.h"
#include "sysTray.h"
#include "verse_display.h"

using dataManipulation::kErrorCaption;
using dataManipulation::kStopCaption;
using dataManipulation::reportFailure;

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
        reportFailure(hwnd(), "sendToSysTray", kErrorCaption, MB_ICONSTOP);
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
        reportFailure(hwnd(), "SysTrayMouseEventHandler", kErrorCaption, MB_ICONSTOP);
    }
}

void frmMain::mnuRCPrestore() {
    try {
        sysTray::unhookWindow();
        // The countdown and the wait end here: the caption says so as a
        // wake-up's does.
        SetWindowTextA(hwnd(), kCaption);
        ShowWindow(hwnd(), SW_SHOWNORMAL);
        sysTray::deleteTrayIcon();
        timerVerse.setEnabled(false);
        timerSchedule.setEnabled(false);
    } catch (...) {
        reportFailure(hwnd(), "mnuRCPrestore", kErrorCaption, MB_ICONSTOP);
    }
}

void frmMain::mnuRCPsend_Click() {
    try {
        mnuRCPrestore();
    } catch (...) {
        reportFailure(hwnd(), "mnuRCPsend_Click", kErrorCaption, MB_ICONSTOP);
    }
}

void frmMain::mnuRCPquit_Click() {
    try {
        sysTray::unhookWindow();
        sysTray::deleteTrayIcon();
        close();
    } catch (...) {
        reportFailure(hwnd(), "mnuRCPquit_Click", kErrorCaption, MB_ICONSTOP);
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
        if (gMinutesLeft < 1) stepFailed = wakeUp("timerVerse_Timer", kStopCaption, false);
        if (stepFailed || displayVerses() || UpdateStatusBar())
            reportFailure(hwnd(), "timerVerse_Timer", kStopCaption, MB_ICONSTOP);
    } catch (...) {
        reportFailure(hwnd(), "timerVerse_Timer", kStopCaption, MB_ICONSTOP);
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
            bool stepFailed = wakeUp("timerSchedule_Timer", kErrorCaption, true);
            if (stepFailed || displayVerses() || UpdateStatusBar())
                reportFailure(hwnd(), "timerSchedule_Timer", kErrorCaption, MB_ICONSTOP);
        }
    } catch (...) {
        reportFailure(hwnd(), "timerSchedule_Timer", kErrorCaption, MB_ICONSTOP);
    }
    m_inTimerTick = false;
}
