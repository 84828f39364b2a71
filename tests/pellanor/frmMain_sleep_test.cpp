// frmMain_sleep_test.cpp
// Sleep, the notification-area icon, the two wake-up timers and the alerts,
// through the real window and its hooked window procedure.
#include "main_window_fixture.h"
#include "sysTray.h"

using namespace testsupport;

namespace {

void CALLBACK endMenuSoon(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    EndMenu();
}

class Sleep : public MainWindow {
protected:
    void SetUp() override {
        MainWindow::SetUp();
        standardLibrary();
    }
    std::string caption() {
        char buf[128] = {};
        GetWindowTextA(form->hwnd(), buf, sizeof buf);
        return buf;
    }
    std::string tip() { return sysTray::gTrayIconData.szTip; }
};

TEST_F(Sleep, SnoozeCountsDownInTheTipAndWakesOnTheLastTick) {
    setUserSetting("snoozeTime", "15");
    start();
    ShowWindow(form->hwnd(), SW_SHOW);
    form->sleepButton();
    EXPECT_EQ(caption(), "15 min left-Pellanor");
    EXPECT_EQ(form->timerVerse.interval(), 60000u);
    EXPECT_TRUE(form->timerVerse.enabled());
    EXPECT_FALSE(IsWindowVisible(form->hwnd()));
    EXPECT_TRUE(sysTray::gHooked);
    ASSERT_FALSE(tray.empty());
    EXPECT_EQ(tray[0].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(tray[0].size, 88u);
    EXPECT_EQ(tray[0].callback, 0x205u);
    EXPECT_EQ(tray[0].tip, "Double click this icon to send the program to the Desktop");

    form->timerVerse_Timer();
    // Any message through the hooked procedure brings the tip up to date.
    SendMessageA(form->hwnd(), WM_NULL, 0, 0);
    EXPECT_EQ(tip(), "Pellanor - 14 minute(s) left");
    EXPECT_EQ(tray.back().message, static_cast<DWORD>(NIM_MODIFY));
    for (int i = 0; i < 13; ++i) form->timerVerse_Timer();
    EXPECT_FALSE(IsWindowVisible(form->hwnd())) << "still asleep after 14 ticks";
    form->timerVerse_Timer();
    EXPECT_TRUE(IsWindowVisible(form->hwnd()));
    EXPECT_EQ(caption(), "Pellanor 2004");
    EXPECT_FALSE(form->timerVerse.enabled());
    EXPECT_FALSE(sysTray::gHooked);
    EXPECT_EQ(tray.back().message, static_cast<DWORD>(NIM_DELETE));
}

TEST_F(Sleep, ResetQuestionWhileTheCountdownRuns) {
    start();
    form->sleepButton();
    form->timerVerse_Timer();
    form->mnuRCPrestore();
    EXPECT_FALSE(form->timerVerse.enabled()) << "restore drops the countdown";
    form->sleepButton();
    form->timerVerse_Timer();
    ShowWindow(form->hwnd(), SW_SHOW);
    sysTray::unhookWindow();
    {
        BoxRecorder no(IDNO);
        form->sleepButton();
        ASSERT_EQ(no.boxes.size(), 1u);
        EXPECT_EQ(no.boxes[0].caption, "Reset Sleep Timer??");
        EXPECT_EQ(no.boxes[0].text, "The Sleep timer is already running.  Do you want to reset it to 15 minutes?   ");
        EXPECT_EQ(no.boxes[0].flags, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    }
    EXPECT_EQ(gMinutesLeft, 14) << "No keeps the countdown";
    EXPECT_FALSE(IsWindowVisible(form->hwnd()));
    sysTray::unhookWindow();
    BoxRecorder yes(IDYES);
    form->sleepButton();
    EXPECT_EQ(gMinutesLeft, 15);
}

TEST_F(Sleep, SchedulerPollWakesWithinAQuarterMinute) {
    setUserSetting("TamberlyschedulerTime", "8:00:00 AM");
    start();
    form->schedulerButton();
    EXPECT_TRUE(form->timerSchedule.enabled());
    EXPECT_FALSE(gSleepCountdown);
    SendMessageA(form->hwnd(), WM_NULL, 0, 0);
    EXPECT_EQ(tip(), "Pellanor - Program will wake up at 8:00:00 AM");
    for (long t : {8 * 3600L, 8 * 3600L + 20, 7 * 3600L + 59 * 60 + 59}) {
        now = t;
        form->timerSchedule_Timer();
        EXPECT_FALSE(IsWindowVisible(form->hwnd())) << t;
    }
    now = 8 * 3600 + 10;
    form->timerSchedule_Timer();
    EXPECT_TRUE(IsWindowVisible(form->hwnd()));
    EXPECT_FALSE(form->timerSchedule.enabled()) << "the poll stops itself";

    gSchedulerTime = "8:00:00 AM";
    form->schedulerButton();
    now = 8 * 3600 + 15;
    form->timerSchedule_Timer();
    EXPECT_TRUE(IsWindowVisible(form->hwnd())) << "a quarter minute exactly still wakes";

    gSchedulerTime = "11:59:55 PM";
    form->schedulerButton();
    now = 5;
    form->timerSchedule_Timer();
    EXPECT_TRUE(IsWindowVisible(form->hwnd())) << "a time just before midnight is not missed";
}

TEST_F(Sleep, AlertsInOrderAndOnlyWhenOn) {
    start();
    ShowWindow(form->hwnd(), SW_SHOWMINNOACTIVE);
    gSnoozeTime = 999;
    form->sleepButton();
    form->timerVerse_Timer();
    EXPECT_EQ(alerts, (std::vector<std::string>{"flash", "sound"}));
    EXPECT_FALSE(IsIconic(form->hwnd())) << "the desktop alert restores the window";

    alerts.clear();
    gVisualAlert = false;
    gDesktopAlert = false;
    ShowWindow(form->hwnd(), SW_SHOWMINNOACTIVE);
    form->sleepButton();
    form->timerVerse_Timer();
    EXPECT_EQ(alerts, (std::vector<std::string>{"sound"}));
    EXPECT_TRUE(IsIconic(form->hwnd())) << "without the desktop alert it stays as it was";
}

TEST_F(Sleep, TrayCallbackThroughTheHookedProcedure) {
    start();
    form->sleepButton();
    LRESULT r = SendMessageA(form->hwnd(), 0x205, 0, WM_LBUTTONDBLCLK);
    EXPECT_EQ(r, 0);
    EXPECT_TRUE(IsWindowVisible(form->hwnd()));
    EXPECT_FALSE(sysTray::gHooked);
    EXPECT_FALSE(form->timerVerse.enabled());
    EXPECT_EQ(caption(), "Pellanor 2004") << "no countdown is left in the caption";

    form->sleepButton();
    // The pop-up menu runs its own loop; a timer ends it.
    SetTimer(nullptr, 0, 200, endMenuSoon);
    r = SendMessageA(form->hwnd(), 0x205, 0, WM_RBUTTONDOWN);
    EXPECT_EQ(r, -1);
    // Not the callback: passed on to the window's own procedure.
    EXPECT_EQ(SendMessageA(form->hwnd(), WM_GETTEXTLENGTH, 0, WM_LBUTTONDBLCLK),
              static_cast<LRESULT>(strlen("15 min left-Pellanor")));
    EXPECT_FALSE(IsWindowVisible(form->hwnd()));
}

TEST_F(Sleep, QuitFromTheTrayRemovesIconAndHook) {
    start();
    form->sleepButton();
    form->mnuRCPquit_Click();
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    EXPECT_FALSE(form->isOpen());
    EXPECT_FALSE(sysTray::gHooked);
    EXPECT_EQ(tray.back().message, static_cast<DWORD>(NIM_DELETE));
}

TEST_F(Sleep, ClosingWhileAsleepCleansUp) {
    start();
    form->sleepButton();
    ASSERT_TRUE(sysTray::gHooked);
    form->closeNow();
    EXPECT_FALSE(sysTray::gHooked);
    EXPECT_FALSE(sysTray::gIconShown);
    EXPECT_EQ(tray.back().message, static_cast<DWORD>(NIM_DELETE));
}

// A hooked window that goes without being unhooked must not keep the hook
// taken, or no later sleep could hook the main window.
TEST_F(Sleep, AWindowThatGoesWhileHookedFreesTheHook) {
    start();
    HWND other = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(other, nullptr);
    sysTray::hookWindow(other, {});
    ASSERT_TRUE(sysTray::gHooked);
    DestroyWindow(other);
    EXPECT_FALSE(sysTray::gHooked);
    form->sleepButton();
    EXPECT_TRUE(sysTray::gHooked);
    EXPECT_EQ(sysTray::gHookedWnd, form->hwnd());
}

TEST_F(Sleep, WindowsSchedulerMethodEndsTheProgram) {
    setUserSetting("useTheWindowsScheduler", "true");
    start();
    form->schedulerButton();
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    EXPECT_FALSE(form->isOpen());
}

TEST_F(Sleep, FailingTickShowsOneBoxAtATime) {
    start();
    gSnoozeTime = 999;
    form->sleepButton();
    gVerseIndex = 99; // the display fails on this tick
    form->lRepeatCtr[0] = 5;
    int boxes = 0;
    seams::setMessageBox([&](HWND, const std::string&, const std::string&, UINT) {
        ++boxes;
        // Ticks that arrive while the box is open change nothing.
        form->timerVerse_Timer();
        form->timerVerse_Timer();
        return IDOK;
    });
    form->timerVerse_Timer();
    seams::setMessageBox(nullptr);
    EXPECT_EQ(boxes, 1);
}

// The step past the last verse of a topic loads the next topic; when that
// file cannot be read, the user sees at most the one box that says so, and
// every failure on the way is logged.
class NextTopicUnreadable : public Sleep {
protected:
    void SetUp() override {
        Sleep::SetUp();
        start();
        gVerseIndex = 3; // the last verse of "Peace and Trust"; "Hope" is next
        form->lRepeatCtr = {1, 1};
        writeBytes(root / (std::string(KJV) + "\\Hope.txt"), "broken line\r\n");
        boxes.boxes.clear();
    }
    std::string log() { return readBytes(root / "error_log.txt"); }
    // Kept until the window has gone after the test, so that a box its
    // close shows is counted rather than waited on.
    BoxRecorder boxes;
    void expectLogged(const std::string& text) {
        EXPECT_NE(log().find(text), std::string::npos) << text << " in\n" << log();
    }
};

TEST_F(NextTopicUnreadable, AWakeUpShowsOneBox) {
    gSnoozeTime = 999;
    form->sleepButton();
    // Through the window's own dispatch, as the tick comes.
    SendMessageA(form->hwnd(), WM_TIMER, form->timerVerse.id(), 0);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "Error Changing Subjects");
    expectLogged("The following error occurred trying to change subjects:");
    expectLogged("An error occurred in function getNewVerseIndex");
    expectLogged("An error occurred in function timerVerse_Timer");
    EXPECT_TRUE(IsWindowVisible(form->hwnd())) << "awake, on the verse it showed";
    EXPECT_EQ(gVerseIndex, 3);
}

TEST_F(NextTopicUnreadable, ClosingShowsNoBox) {
    form->closeNow();
    EXPECT_FALSE(form->isOpen());
    EXPECT_TRUE(boxes.boxes.empty()) << boxes.boxes.front().caption;
    expectLogged("The following error occurred trying to change subjects:");
    expectLogged("An error occurred in function getNewVerseIndex");
    EXPECT_EQ(userSetting("fileName"), "Peace and Trust.txt") << "the settings are saved all the same";
}

TEST_F(NextTopicUnreadable, QuitShowsNoBox) {
    form->picButton_Click(4);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    EXPECT_FALSE(form->isOpen());
    EXPECT_TRUE(boxes.boxes.empty()) << boxes.boxes.front().caption;
    expectLogged("An error occurred in function getNewVerseIndex");
}

TEST_F(NextTopicUnreadable, TheEndOfTheSessionShowsNoBox) {
    // A tick that comes between the question and the end waits on no box
    // either.
    EXPECT_EQ(SendMessageA(form->hwnd(), WM_QUERYENDSESSION, 0, 0), TRUE);
    gVerseIndex = 99;
    EXPECT_EQ(form->displayVerses(), Outcome::Failed);
    gVerseIndex = 3;
    SendMessageA(form->hwnd(), WM_ENDSESSION, TRUE, 0);
    EXPECT_TRUE(boxes.boxes.empty()) << boxes.boxes.front().caption;
    expectLogged("An error occurred in function displayVerses");
    expectLogged("An error occurred in function getNewVerseIndex");
    EXPECT_EQ(userSetting("newVerseIndex"), "3");
}

TEST_F(NextTopicUnreadable, ASessionEndCalledOffLetsBoxesShowAgain) {
    SendMessageA(form->hwnd(), WM_QUERYENDSESSION, 0, 0);
    SendMessageA(form->hwnd(), WM_ENDSESSION, FALSE, 0);
    long next = 1 - gTopics[0].currentTopic;
    EXPECT_EQ(form->changeTopics(next), Outcome::Failed);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "Error Changing Subjects");
}

// Previous held down on a verse that cannot be shown: one box, and the
// repeat ends with it (the box took the mouse, so no button-up comes).
TEST_F(Sleep, AHeldPreviousThatFailsShowsOneBox) {
    start();
    form->picButton_MouseDown(5, 1, 0, 5, 5);
    ASSERT_TRUE(form->tmrPrevNext.enabled());
    gVerseIndex = 99;
    int boxes = 0;
    seams::setMessageBox([&](HWND, const std::string&, const std::string&, UINT) {
        // Repeats that come while the first box is open.
        if (++boxes == 1) {
            SendMessageA(form->hwnd(), WM_TIMER, form->tmrPrevNext.id(), 0);
            SendMessageA(form->hwnd(), WM_TIMER, form->tmrPrevNext.id(), 0);
        }
        return IDOK;
    });
    SendMessageA(form->hwnd(), WM_TIMER, form->tmrPrevNext.id(), 0);
    SendMessageA(form->hwnd(), WM_TIMER, form->tmrPrevNext.id(), 0);
    seams::setMessageBox(nullptr);
    EXPECT_EQ(boxes, 1);
    EXPECT_FALSE(form->tmrPrevNext.enabled());
}

} // namespace
