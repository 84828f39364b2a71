// frmMain_buttons_test.cpp
// The main window's picture buttons: enabled after the load, the held
// Previous and Next, the pressed picture, their tips and the tips of the
// lists, which never show over an open menu or list. The rules are tested
// natively (held_button_test, button_tips_test); here the window follows
// them.
#include <windows.h>
#include <commctrl.h>

#include "ToolTips.h"
#include "held_button.h"
#include "main_window_fixture.h"

using namespace testsupport;

namespace {

class Buttons : public MainWindow {
protected:
    void SetUp() override {
        MainWindow::SetUp();
        standardLibrary();
    }
};

TEST_F(Buttons, ButtonsEnabledOnlyAfterTheLoad) {
    standardLibrary();
    ASSERT_EQ(dataManipulation::findTranslations(), Outcome::Ok);
    bool quiet = false;
    ASSERT_EQ(dataManipulation::loadAllTranslations(nullptr, quiet), Outcome::Ok);
    form = std::make_unique<frmMain>();
    ASSERT_TRUE(form->create());
    EXPECT_FALSE(IsWindowEnabled(form->picButton[6]));
    form->Form_Load();
    for (HWND b : form->picButton) EXPECT_TRUE(IsWindowEnabled(b));
}

// The held Next steps through the window on each tick of the repeat timer,
// which runs as the rule times it; the click on release steps once more.
TEST_F(Buttons, NextHeldRepeatsAfterHalfASecondThenEvery300ms) {
    start();
    form->picButton_MouseDown(6, 1, 0, 5, 5);
    EXPECT_TRUE(form->tmrPrevNext.enabled());
    EXPECT_EQ(form->tmrPrevNext.interval(), held_button::kFirstDelayMs);
    EXPECT_EQ(form->buttonPicture(6), form->buttonPicture(6) < 0 ? -1 : 1);
    form->tmrPrevNext_Timer();
    EXPECT_EQ(gVerseIndex, 2);
    EXPECT_EQ(form->tmrPrevNext.interval(), held_button::kRepeatMs);
    form->tmrPrevNext_Timer();
    EXPECT_EQ(gVerseIndex, 3);
    form->picButton_MouseUp(6, 1, 0, 5, 5);
    EXPECT_FALSE(form->tmrPrevNext.enabled());
    EXPECT_EQ(form->tmrPrevNext.interval(), held_button::kFirstDelayMs);
    form->picButton_Click(6);
    EXPECT_EQ(gVerseIndex, 1) << "the click on release adds one more step, wrapping";

    form->picButton_MouseDown(5, 2, 0, 5, 5);
    EXPECT_FALSE(form->tmrPrevNext.enabled()) << "only the left button repeats";
    form->picButton_MouseUp(5, 2, 0, 5, 5);
    form->picButton_Click(5);
    EXPECT_EQ(gVerseIndex, 1) << "a right click does nothing";
}

// The pressed picture goes while the pointer is off the button and comes
// back over it (the edges are the rule's: held_button_test).
TEST_F(Buttons, PressedPictureFollowsThePointer) {
    start();
    if (form->buttonPicture(6) < 0) GTEST_SKIP() << "no button pictures in this build";
    RECT r;
    GetClientRect(form->picButton[6], &r);
    form->picButton_MouseDown(6, 1, 0, 5, 5);
    EXPECT_EQ(form->buttonPicture(6), 1);
    form->picButton_MouseMove(6, 1, 0, r.right + 1, 3);
    EXPECT_EQ(form->buttonPicture(6), 0);
    form->picButton_MouseMove(6, 1, 0, 3, 3);
    EXPECT_EQ(form->buttonPicture(6), 1);
    form->picButton_MouseUp(6, 1, 0, 3, 3);
    EXPECT_EQ(form->buttonPicture(6), 0);
}

// The buttons' tag texts with the scheduler time the window loaded; the tip
// window shows what the rule makes of a tag, in its colours.
TEST_F(Buttons, TooltipTexts) {
    start();
    EXPECT_EQ(form->buttonTipText(7), "/Run using the Pellanor Scheduler - wake up at 8:00:00 AM//");
    EXPECT_EQ(form->buttonTipText(4), "/Quit out of this program - saves all settings automatically//");
    ToolTipForm tip;
    ASSERT_TRUE(tip.create(form->hwnd()));
    gSnoozeTime = 999;
    ToolTips::showToolTip(tip, form->buttonTipText(0));
    EXPECT_EQ(tip.caption(), "Press this button to put the program to sleep.  It will wake up again in 999 minutes");
    EXPECT_TRUE(IsWindowVisible(tip.hwnd()));
    ToolTips::showToolTip(tip, "/Careful/Warning/");
    EXPECT_EQ(tip.backColour(), ToolTips::kWarningBack);
    EXPECT_EQ(tip.textColour(), ToolTips::kWarningText);
    ToolTips::showToolTip(tip, "");
    EXPECT_FALSE(IsWindowVisible(tip.hwnd()));
    EXPECT_EQ(tip.backColour(), ToolTips::kNormalBack);
    EXPECT_EQ(tip.textColour(), 0u);
}

TEST_F(Buttons, HoverOnlyWhileTheWindowIsActive) {
    start();
    form->SbcEasy1_MouseEnter("button3");
    if (GetActiveWindow() != form->hwnd()) {
        EXPECT_EQ(form->tipText, "");
        EXPECT_FALSE(form->TimerTooltips.enabled());
    }
    form->SbcEasy1_MouseExit("button3");
    EXPECT_FALSE(form->TimerTooltips.enabled());
    EXPECT_EQ(form->tipText, "");
}

// Checks, from inside the open menu's loop, that no tooltip shows over it
// once the tooltip delay has passed, then closes the menu.
bool gTipOverMenu = true;
bool gMenuWasOpen = false;
// The tip window is made when the first tip shows: look it up at the time.
const frmMain* gTipOwner = nullptr;
void CALLBACK lookOverTheMenu(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    gMenuWasOpen = FindWindowA("#32768", nullptr) != nullptr;
    gTipOverMenu = gTipOwner && IsWindowVisible(gTipOwner->toolTipWindow()) != FALSE;
    EndMenu();
}

class Tooltips : public Buttons {
protected:
    // The main window shown and active, the pointer come to rest on a
    // button and its tooltip shown after the delay.
    bool hoverUntilShown(int button) {
        form->SbcEasy1_MouseEnter("button" + std::to_string(button));
        if (!form->TimerTooltips.enabled()) return false;
        form->TimerTooltips_Timer();
        return IsWindowVisible(form->toolTipWindow()) != FALSE;
    }
    void SetUp() override {
        Buttons::SetUp();
        start();
        ShowWindow(form->hwnd(), SW_SHOW);
        SetForegroundWindow(form->hwnd());
        SetActiveWindow(form->hwnd());
        if (GetActiveWindow() != form->hwnd()) GTEST_SKIP() << "the window cannot be made active here";
    }
    void TearDown() override {
        if (form) ShowWindow(form->hwnd(), SW_HIDE);
        Buttons::TearDown();
    }
};

BOOL CALLBACK addVisibleTip(HWND w, LPARAM lp) {
    char cls[64] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (IsWindowVisible(w) && std::string(cls) == TOOLTIPS_CLASSA) reinterpret_cast<std::vector<HWND>*>(lp)->push_back(w);
    return TRUE;
}

// The visible tip windows of this thread.
std::vector<HWND> visibleTips() {
    std::vector<HWND> tips;
    EnumThreadWindows(GetCurrentThreadId(), addVisibleTip, reinterpret_cast<LPARAM>(&tips));
    return tips;
}


// The user clicks into a list's box before its tip came and moves on over
// the box while the list is open: no tip comes over the list. Once the list
// is closed, the tip comes again.
TEST_F(Tooltips, NoListTipWhileItsListIsOpen) {
    for (HWND combo : {form->ComboTopics, form->comboTranslations}) {
        RECT r;
        GetWindowRect(combo, &r);
        POINT p{r.left + 30, (r.top + r.bottom) / 2};
        SetCursorPos(p.x - 5, p.y);
        pumpFor(100);
        SetCursorPos(p.x, p.y);
        pumpFor(200);
        clickAt(p);
        pumpFor(300);
        ASSERT_TRUE(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0)) << "the list opened";
        for (int i = 0; i < 5; ++i) {
            SetCursorPos(p.x + i, p.y);
            pumpFor(100);
        }
        pumpFor(800);
        EXPECT_TRUE(visibleTips().empty()) << "no tip over the open list";
        SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
        SetCursorPos(p.x - 5, p.y);
        pumpFor(100);
        SetCursorPos(p.x, p.y);
        pumpFor(1200);
        std::vector<HWND> tips = visibleTips();
        ASSERT_EQ(tips.size(), 1u) << "the tip comes with the list closed";
        char text[128] = {};
        GetWindowTextA(tips[0], text, sizeof text);
        EXPECT_STREQ(text, combo == form->ComboTopics ? "Click here to change the subject you are studying."
                                                      : "Click here to change the Bible Translation you are studying.");
        SetCursorPos(0, 0);
        pumpFor(300);
    }
}

// The real pointer moved as the mouse moves it.
void movePointer(POINT p) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = MulDiv(p.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = MulDiv(p.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &in, sizeof in);
}

POINT centreOf(RECT r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

class OpenLists : public Tooltips {};

// A list opened with a click holds the mouse while it is open. Moving the
// pointer over the open list or its own box leaves it open; moving it on to
// the verse frame, a button or the status bar closes it.
TEST_F(OpenLists, CloseWhenThePointerLeavesForTheRestOfTheWindow) {
    RECT countPanel{}, sleepPanel{};
    SendMessageA(form->StatusBar1, SB_GETRECT, 1, reinterpret_cast<LPARAM>(&countPanel));
    SendMessageA(form->StatusBar1, SB_GETRECT, 3, reinterpret_cast<LPARAM>(&sleepPanel));
    MapWindowPoints(form->StatusBar1, nullptr, reinterpret_cast<POINT*>(&countPanel), 2);
    MapWindowPoints(form->StatusBar1, nullptr, reinterpret_cast<POINT*>(&sleepPanel), 2);
    POINT verseFrame = centreOf(rectOf(form->RichTxtVerse));
    verseFrame.y = rectOf(form->RichTxtVerse).bottom + 1;
    const std::pair<const char*, POINT> targets[] = {
        {"the verse box", centreOf(rectOf(form->RichTxtVerse))},
        {"the verse frame", verseFrame},
        {"the Add verses button", centreOf(rectOf(form->picButton[2]))},
        {"the verse count", centreOf(countPanel)},
        {"the sleep time", centreOf(sleepPanel)},
    };
    for (HWND combo : {form->ComboTopics, form->comboTranslations}) {
        RECT box = rectOf(combo);
        POINT inBox{box.left + 30, (box.top + box.bottom) / 2};
        for (const auto& [what, at] : targets) {
            movePointer(inBox);
            pumpFor(100);
            clickAt(inBox);
            pumpFor(300);
            ASSERT_TRUE(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0)) << "the list opened";
            COMBOBOXINFO info{};
            info.cbSize = sizeof info;
            ASSERT_TRUE(GetComboBoxInfo(combo, &info));
            movePointer(centreOf(rectOf(info.hwndList)));
            pumpFor(300);
            movePointer(POINT{box.right - 5, inBox.y});
            pumpFor(300);
            EXPECT_TRUE(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0)) << "over its list and its box";
            movePointer(at);
            pumpFor(400);
            EXPECT_FALSE(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0)) << "the pointer left for " << what;
            SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
        }
    }
    // Opened with the pointer at rest over the verse box (from the keyboard,
    // say), the list stays open until the pointer moves.
    POINT verseBox = centreOf(rectOf(form->RichTxtVerse));
    movePointer(verseBox);
    pumpFor(100);
    SendMessageA(form->ComboTopics, CB_SHOWDROPDOWN, TRUE, 0);
    pumpFor(400);
    EXPECT_TRUE(SendMessageA(form->ComboTopics, CB_GETDROPPEDSTATE, 0, 0)) << "the pointer has not moved";
    movePointer(POINT{verseBox.x + 10, verseBox.y});
    pumpFor(400);
    EXPECT_FALSE(SendMessageA(form->ComboTopics, CB_GETDROPPEDSTATE, 0, 0)) << "the pointer moved over the verse box";
    SendMessageA(form->ComboTopics, CB_SHOWDROPDOWN, FALSE, 0);
    SetCursorPos(0, 0);
    pumpFor(100);
}

TEST_F(Tooltips, APressHidesTheTipAndStopsItsDelay) {
    ASSERT_TRUE(hoverUntilShown(2));
    form->picButton_MouseDown(2, 1, 0, 5, 5);
    EXPECT_FALSE(IsWindowVisible(form->toolTipWindow()));
    EXPECT_FALSE(form->TimerTooltips.enabled());
    form->picButton_MouseUp(2, 1, 0, 5, 5);

    // Pressed before the delay ran out: the tip does not come later.
    form->SbcEasy1_MouseEnter("button2");
    ASSERT_TRUE(form->TimerTooltips.enabled());
    form->picButton_MouseDown(2, 1, 0, 5, 5);
    EXPECT_FALSE(form->TimerTooltips.enabled());
    form->picButton_MouseUp(2, 1, 0, 5, 5);
}

TEST_F(Tooltips, NoTipOverTheOpenMenu) {
    // The pointer rests on Options and the user clicks it before the tip
    // came: the menu opens and stays open past the delay.
    form->SbcEasy1_MouseEnter("button1");
    ASSERT_TRUE(form->TimerTooltips.enabled());
    gTipOwner = &*form;
    gMenuWasOpen = false;
    gTipOverMenu = true;
    SetTimer(nullptr, 0, 1400, lookOverTheMenu);
    form->picButton_MouseDown(1, 1, 0, 5, 5);
    form->picButton_MouseUp(1, 1, 0, 5, 5);
    form->picButton_Click(1);
    EXPECT_TRUE(gMenuWasOpen);
    EXPECT_FALSE(gTipOverMenu);

    // A tip already shown goes when a menu opens.
    ASSERT_TRUE(hoverUntilShown(3));
    SendMessageA(form->hwnd(), WM_ENTERMENULOOP, TRUE, 0);
    EXPECT_FALSE(IsWindowVisible(form->toolTipWindow()));
    SendMessageA(form->hwnd(), WM_EXITMENULOOP, TRUE, 0);
}

TEST_F(Tooltips, NoTipOverAnOpenComboListNorOnTheDesktopAfterSleep) {
    ASSERT_TRUE(hoverUntilShown(4));
    SendMessageA(form->ComboTopics, CB_SHOWDROPDOWN, TRUE, 0);
    EXPECT_FALSE(IsWindowVisible(form->toolTipWindow()));
    EXPECT_FALSE(form->TimerTooltips.enabled());
    SendMessageA(form->ComboTopics, CB_SHOWDROPDOWN, FALSE, 0);

    ASSERT_TRUE(hoverUntilShown(0));
    form->sleepButton();
    EXPECT_FALSE(IsWindowVisible(form->hwnd()));
    EXPECT_FALSE(IsWindowVisible(form->toolTipWindow())) << "nothing left on the desktop";
    form->mnuRCPrestore();

    setUserSetting("TamberlyschedulerEnabled", "true");
    ASSERT_TRUE(hoverUntilShown(7));
    form->schedulerButton();
    EXPECT_FALSE(IsWindowVisible(form->toolTipWindow()));
    form->mnuRCPrestore();
}

} // namespace
