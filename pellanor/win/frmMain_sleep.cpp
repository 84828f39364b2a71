// frmMain_sleep.cpp
// Sleep and wake-up: the Sleep and Scheduler buttons, the notification-area
// icon and its menu, the two wake-up timers and the alerts.
#include <windows.h>


#include "FrmSysTray.h"
#include "pellanor/win/Module1.h"
#include "dataManipulation.h"
#include "frmMain.h"
#include "schedule_rules.h"
#include "seams.h"
#include "sleep_rules.h"
#include "sysTray.h"
#include "verse_navigation.h"

using dataManipulation::kErrorCaption;
using dataManipulation::kStopCaption;

void frmMain::sleepButton() {
    gSleepCountdown = true;
    if (timerVerse.enabled()) {
        int answer = seams::messageBox(hwnd(), sleep_rules::resetQuestion(gSnoozeTime), sleep_rules::kResetCaption,
                                       MB_YESNO | MB_ICONQUESTION);
        if (answer != IDYES) {
            (void)sendToSysTray();
            return;
        }
        timerVerse.setEnabled(false);
    }
    const sleep_rules::Snooze snooze = sleep_rules::startSnooze(gSnoozeTime);
    gMinutesLeft = snooze.minutesLeft;
    if (snooze.countdownCaption) SetWindowTextA(hwnd(), sleep_rules::countdownCaption(gMinutesLeft).c_str());
    timerVerse.setInterval(snooze.intervalMs);
    timerVerse.setEnabled(true);
    throwOnFailure(UpdateStatusBar());
    (void)sendToSysTray();
}

void frmMain::schedulerButton() {
    if (!gUseWindowsScheduler) {
        gSleepCountdown = false;
        timerSchedule.setEnabled(true);
        (void)sendToSysTray();
    } else {
        // The Windows scheduled task starts the program again at its time.
        close();
    }
}

Outcome frmMain::sendToSysTray() {
    return userAction::run({hwnd(), "sendToSysTray", kErrorCaption, MB_ICONSTOP}, [&] {
        hideToolTips();
        sysTray::hookWindow(hwnd(), {[this] { mnuRCPrestore(); }, [this] { SysTrayMouseEventHandler(); }});
        if (!m_sysTrayForm) m_sysTrayForm = std::make_unique<FrmSysTray>();
        HICON icon = m_sysTrayForm->icon();
        sysTray::addTrayIcon(hwnd(), static_cast<UINT>(reinterpret_cast<UINT_PTR>(icon)), icon,
                             "Double click this icon to send the program to the Desktop");
        ShowWindow(hwnd(), SW_HIDE);
    });
}

void frmMain::SysTrayMouseEventHandler() {
    (void)userAction::run({hwnd(), "SysTrayMouseEventHandler", kErrorCaption, MB_ICONSTOP}, [&] {
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
    });
}

void frmMain::mnuRCPrestore() {
    (void)userAction::run({hwnd(), "mnuRCPrestore", kErrorCaption, MB_ICONSTOP}, [&] {
        sysTray::unhookWindow();
        // The countdown and the wait end here: the caption says so as a
        // wake-up's does.
        SetWindowTextA(hwnd(), kCaption);
        ShowWindow(hwnd(), SW_SHOWNORMAL);
        sysTray::deleteTrayIcon();
        timerVerse.setEnabled(false);
        timerSchedule.setEnabled(false);
    });
}

void frmMain::mnuRCPsend_Click() {
    (void)userAction::run({hwnd(), "mnuRCPsend_Click", kErrorCaption, MB_ICONSTOP}, [&] {
        mnuRCPrestore();
    });
}

void frmMain::mnuRCPquit_Click() {
    (void)userAction::run({hwnd(), "mnuRCPquit_Click", kErrorCaption, MB_ICONSTOP}, [&] {
        sysTray::unhookWindow();
        sysTray::deleteTrayIcon();
        close();
    });
}

// The road back to the desktop shared by both timers; true when the verse
// step failed (the display is then skipped).
Outcome frmMain::wakeUp(const char*, const char*, bool stopSchedule) {
    if (stopSchedule) timerSchedule.setEnabled(false);
    SetWindowTextA(hwnd(), kCaption);
    timerVerse.setEnabled(false);
    sysTray::unhookWindow();
    ShowWindow(hwnd(), SW_SHOW);
    sysTray::deleteTrayIcon();
    return alertsAndVerseStep();
}

Outcome frmMain::alertsAndVerseStep() {
    using sleep_rules::Alert;
    for (Alert alert : sleep_rules::alertsFor(gVisualAlert, gAudioAlert, gDesktopAlert)) {
        if (alert == Alert::Flash) seams::flashWindow(hwnd());
        if (alert == Alert::Sound) seams::informationSound();
        if (alert == Alert::Desktop) {
            ShowWindow(hwnd(), SW_SHOWNORMAL);
            BringWindowToTop(hwnd());
            SetForegroundWindow(hwnd());
        }
    }
    verse_navigation::Library shown = library();
    if (verse_navigation::showingCounted(shown)) {
        if (failed(getNewVerseIndex())) return Outcome::Failed;
        verse_navigation::reloadShowings(shown);
    }
    return Outcome::Ok;
}

void frmMain::timerVerse_Timer() {
    // A tick that arrives while an earlier tick's message box is still open
    // waits: one box per failure until the user has answered it.
    if (m_inTimerTick) return;
    m_inTimerTick = true;
    (void)userAction::run({hwnd(), "timerVerse_Timer", kStopCaption, MB_ICONSTOP}, [&] {
        if (sleep_rules::tickWakes(gMinutesLeft)) throwOnFailure(wakeUp("timerVerse_Timer", kStopCaption, false));
        throwOnFailure(displayVerses());
        throwOnFailure(UpdateStatusBar());
    });
    m_inTimerTick = false;
}

void frmMain::timerSchedule_Timer() {
    if (m_inTimerTick) return;
    m_inTimerTick = true;
    (void)userAction::run({hwnd(), "timerSchedule_Timer", kErrorCaption, MB_ICONSTOP}, [&] {
        long scheduled = schedule_rules::parseTimeOfDay(gSchedulerTime);
        if (scheduled >= 0 && schedule_rules::scheduleDue(seams::timeOfDaySeconds(), scheduled)) {
            throwOnFailure(wakeUp("timerSchedule_Timer", kErrorCaption, true));
            throwOnFailure(displayVerses());
            throwOnFailure(UpdateStatusBar());
        }
    });
    m_inTimerTick = false;
}
