// frmMain_layout_test.cpp
// The main window's layout, picture buttons, auto-repeat, tooltips and the
// combo boxes.
#include <windows.h>
#include <commctrl.h>

#include "ToolTips.h"
#include "main_window_fixture.h"

using namespace testsupport;

namespace {

class Layout : public MainWindow {
protected:
    void SetUp() override {
        MainWindow::SetUp();
        standardLibrary();
    }
    RECT rectOf(HWND h) {
        RECT r;
        GetWindowRect(h, &r);
        return r;
    }
};

TEST_F(Layout, ControlsFollowTheWindowSize) {
    start();
    for (SIZE size : {SIZE{520, 260}, SIZE{640, 480}, SIZE{1000, 700}}) {
        SetWindowPos(form->hwnd(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        RECT client;
        GetClientRect(form->hwnd(), &client);
        POINT origin{0, 0};
        ClientToScreen(form->hwnd(), &origin);
        RECT verse = rectOf(form->RichTxtVerse);
        EXPECT_EQ(verse.left - origin.x, 5) << size.cx;
        EXPECT_EQ(verse.right - verse.left, client.right - 10) << size.cx;
        RECT quit = rectOf(form->picButton[4]);
        // Quit sits 300 twips (20 pixels) in from the right of the bar.
        RECT outer = rectOf(form->hwnd());
        EXPECT_EQ(outer.right - outer.left - (quit.right - origin.x) - 20 + (origin.x - outer.left) >= 0, true);
        RECT next = rectOf(form->picButton[6]);
        EXPECT_EQ(next.left - origin.x, ((outer.right - outer.left) * 15 - 1000) / 15) << size.cx;
        RECT prev = rectOf(form->picButton[5]);
        EXPECT_EQ(prev.left - origin.x, 80 / 15);
        RECT topic = rectOf(form->ComboTopics);
        EXPECT_EQ(topic.left - origin.x, 0);
        // The sleep button sits left of Add verses, the scheduler hidden.
        RECT sleep = rectOf(form->picButton[0]), add = rectOf(form->picButton[2]);
        EXPECT_EQ(add.left - sleep.right, 125 / 15) << size.cx;
    }
}

TEST_F(Layout, ReferenceBoxSitsBetweenPreviousAndNext) {
    start();
    for (SIZE size : {SIZE{510, 200}, SIZE{600, 440}, SIZE{1000, 700}}) {
        SetWindowPos(form->hwnd(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        RECT prev = rectOf(form->picButton[5]), next = rectOf(form->picButton[6]);
        for (HWND box : form->txtLocation) {
            RECT r = rectOf(box);
            EXPECT_GT(r.left, prev.right) << size.cx;
            EXPECT_LT(r.right, next.left) << size.cx << ": not under Next";
            EXPECT_EQ(r.left - prev.right, next.left - r.right) << size.cx << ": the same gap either side";
        }
    }
}

// Each panel is as wide as its text in the status bar's own font, and the
// last one ends before the size grip, at the smallest window size too.
TEST_F(Layout, StatusPanelsHoldTheirTextClearOfTheGrip) {
    addTopic(root, KJV, "Long Topic.txt", verses(27));
    addTopic(root, KJV, "Your Inspirational Thoughts and More.txt", verses(2));
    setUserSetting("fileName", "Long Topic.txt");
    setUserSetting("newVerseIndex", "14");
    start();
    ASSERT_EQ(form->panelText(2), "Verse 14 of 27");
    ShowWindow(form->hwnd(), SW_SHOWNA);
    HWND bar = form->StatusBar1;
    const int edge = GetSystemMetrics(SM_CXEDGE);
    for (SIZE size : {SIZE{620, 450}, SIZE{1000, 700}, SIZE{510, 200}}) {
        SetWindowPos(form->hwnd(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        RECT barClient;
        GetClientRect(bar, &barClient);

        HDC dc = GetDC(bar);
        auto font = reinterpret_cast<HFONT>(SendMessageA(bar, WM_GETFONT, 0, 0));
        HGDIOBJ old = SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
        for (int panel = 2; panel <= 4; ++panel) {
            std::string text = form->panelText(panel);
            SIZE extent;
            GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
            RECT r;
            SendMessageA(bar, SB_GETRECT, static_cast<WPARAM>(panel - 1), reinterpret_cast<LPARAM>(&r));
            EXPECT_GE(r.right - r.left - 2 * edge - 4, extent.cx) << size.cx << ": panel " << panel << " " << text;
            if (panel == 4) {
                EXPECT_LE(r.right, barClient.right - GetSystemMetrics(SM_CXVSCROLL)) << "clear of the grip";
            }
        }
        SelectObject(dc, old);
        ReleaseDC(bar, dc);
        RECT p3, combo = rectOf(form->comboTranslations);
        SendMessageA(bar, SB_GETRECT, 2, reinterpret_cast<LPARAM>(&p3));
        MapWindowPoints(bar, nullptr, reinterpret_cast<POINT*>(&p3), 2);
        EXPECT_EQ(combo.left, p3.left) << "the translation list lies over panel 3";
        // The topic box shows its topic whole, its open list every name.
        HWND topics = form->ComboTopics;
        HDC comboDc = GetDC(topics);
        HGDIOBJ oldFont = SelectObject(comboDc, reinterpret_cast<HGDIOBJ>(SendMessageA(topics, WM_GETFONT, 0, 0)));
        SIZE shown, longest;
        GetTextExtentPoint32A(comboDc, " Long Topic", 11, &shown);
        GetTextExtentPoint32A(comboDc, " Your Inspirational Thoughts and More", 37, &longest);
        SelectObject(comboDc, oldFont);
        ReleaseDC(topics, comboDc);
        RECT box = rectOf(topics);
        EXPECT_GE(box.right - box.left - GetSystemMetrics(SM_CXVSCROLL), shown.cx) << size.cx;
        EXPECT_GE(SendMessageA(topics, CB_GETDROPPEDWIDTH, 0, 0) - GetSystemMetrics(SM_CXVSCROLL), longest.cx)
            << size.cx;
    }
    ShowWindow(form->hwnd(), SW_HIDE);
}

// The shipped library (the source tree's data folder, passed to the test
// program) in the program folder.
void pumpFor(DWORD ms);

class ShippedLibrary : public MainWindow {
protected:
    void SetUp() override {
        MainWindow::SetUp();
        ASSERT_FALSE(gArgs.empty()) << "pass the shipped library's folder";
        const std::string data = fromUnixPath(gArgs[0]);
        WIN32_FIND_DATAA folder;
        HANDLE folders = FindFirstFileA((data + "\\TRANSLATION_*").c_str(), &folder);
        ASSERT_NE(folders, INVALID_HANDLE_VALUE) << data;
        do {
            const std::string name = folder.cFileName;
            WIN32_FIND_DATAA file;
            HANDLE files = FindFirstFileA((data + "\\" + name + "\\*.txt").c_str(), &file);
            if (files == INVALID_HANDLE_VALUE) continue;
            do addTopic(root, name, file.cFileName, readBytes(data + "\\" + name + "\\" + file.cFileName));
            while (FindNextFileA(files, &file));
            FindClose(files);
        } while (FindNextFileA(folders, &folder));
        FindClose(folders);
    }
    RECT panelRect(int panel) {
        RECT r{};
        SendMessageA(form->StatusBar1, SB_GETRECT, static_cast<WPARAM>(panel - 1), reinterpret_cast<LPARAM>(&r));
        MapWindowPoints(form->StatusBar1, nullptr, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    int textWidth(HWND h, const std::string& text) {
        HDC dc = GetDC(h);
        auto font = reinterpret_cast<HFONT>(SendMessageA(h, WM_GETFONT, 0, 0));
        HGDIOBJ old = SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
        SIZE size{0, 0};
        GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
        SelectObject(dc, old);
        ReleaseDC(h, dc);
        return size.cx;
    }
};

// Whatever the topic and translation, at any width down to the smallest the
// window takes, the sleep time (at its longest, 999 minutes) and the verse
// count show whole and no list covers them: the lists give way first.
TEST_F(ShippedLibrary, SleepTimeAndVerseCountShowWholeAtEverySize) {
    start();
    ASSERT_TRUE(form->isOpen());
    gSnoozeTime = 999;
    HWND bar = form->StatusBar1;
    const int edge = GetSystemMetrics(SM_CXEDGE);
    const LRESULT translations = SendMessageA(form->comboTranslations, CB_GETCOUNT, 0, 0);
    ASSERT_GE(translations, 2);
    for (LRESULT t = 0; t < translations; ++t) {
        SendMessageA(form->comboTranslations, CB_SETCURSEL, static_cast<WPARAM>(t), 0);
        form->comboTranslations_Click();
        ASSERT_EQ(gCurTranslation, t);
        const LRESULT topics = SendMessageA(form->ComboTopics, CB_GETCOUNT, 0, 0);
        ASSERT_GE(topics, 18);
        for (LRESULT i = 0; i < topics; ++i) {
            SendMessageA(form->ComboTopics, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
            form->ComboTopics_Click();
            ASSERT_EQ(gTopics[0].currentTopic, i);
            ASSERT_EQ(form->UpdateStatusBar(), Outcome::Ok);
            const std::string where = gTranslations[static_cast<size_t>(t)].name + ", " +
                                      gTopics[static_cast<size_t>(i)].name;
            ASSERT_EQ(form->panelText(4), "Sleep time: 999 min");
            for (int width : {510, 540, 580, 640}) {
                SetWindowPos(form->hwnd(), nullptr, 0, 0, width, 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
                RECT outer;
                GetWindowRect(form->hwnd(), &outer);
                ASSERT_EQ(outer.right - outer.left, width);
                RECT barRect;
                GetWindowRect(bar, &barRect);
                RECT p2 = panelRect(2), p4 = panelRect(4);
                EXPECT_GE(p4.right - p4.left - 2 * edge - 4, textWidth(bar, form->panelText(4)))
                    << where << " at " << width;
                EXPECT_LE(p4.right, barRect.right - GetSystemMetrics(SM_CXVSCROLL)) << where << ": clear of the grip";
                EXPECT_GE(p2.right - p2.left - 2 * edge - 4, textWidth(bar, form->panelText(2)))
                    << where << " at " << width;
                RECT topicBox, translationBox;
                GetWindowRect(form->ComboTopics, &topicBox);
                GetWindowRect(form->comboTranslations, &translationBox);
                // Each list may reach over the border of the panel beside it,
                // never onto its text.
                EXPECT_LE(topicBox.right, p2.left + edge + 2) << where << " at " << width;
                EXPECT_LE(translationBox.right, p4.left + edge + 2) << where << " at " << width;
                EXPECT_GT(translationBox.left, topicBox.left) << where << " at " << width;
            }
        }
    }
}

// The pixels of a window's client area as a bitmap device context holds
// them (24 bits, top row first).
std::string pixelsOf(HDC dc, HBITMAP bmp, int width, int height) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    std::string pixels(static_cast<size_t>(((width * 3 + 3) & ~3) * height), '\0');
    GetDIBits(dc, bmp, 0, static_cast<UINT>(height), pixels.data(), &bi, DIB_RGB_COLORS);
    return pixels;
}

// A list's name as the screen shows it, and as the name would show drawn in
// the field's font and text area, cut with an ellipsis or without.
struct NameShown {
    std::string onScreen, withEllipsis, cutPlain;
};
NameShown nameShown(HWND edit) {
    char name[256] = {};
    GetWindowTextA(edit, name, sizeof name);
    RECT client, text{};
    GetClientRect(edit, &client);
    SendMessageA(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
    POINT origin{0, 0};
    ClientToScreen(edit, &origin);
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ oldBmp = SelectObject(mem, bmp);
    NameShown shown;
    BitBlt(mem, 0, 0, client.right, client.bottom, screen, origin.x, origin.y, SRCCOPY);
    shown.onScreen = pixelsOf(mem, bmp, client.right, client.bottom);
    HGDIOBJ oldFont = SelectObject(mem, reinterpret_cast<HGDIOBJ>(SendMessageA(edit, WM_GETFONT, 0, 0)));
    for (UINT cut : {UINT{DT_END_ELLIPSIS}, 0u}) {
        FillRect(mem, &client, GetSysColorBrush(COLOR_WINDOW));
        SetBkMode(mem, TRANSPARENT);
        SetTextColor(mem, GetSysColor(COLOR_WINDOWTEXT));
        RECT r = text;
        DrawTextA(mem, name, -1, &r, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | cut);
        (cut ? shown.withEllipsis : shown.cutPlain) = pixelsOf(mem, bmp, client.right, client.bottom);
    }
    SelectObject(mem, oldFont);
    SelectObject(mem, oldBmp);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return shown;
}

// At the smallest window the longest shipped topic and translation names do
// not fit their lists' boxes: each shows with an ellipsis, and whole again
// once the window is wide enough.
TEST_F(ShippedLibrary, ListsTooNarrowForTheirNamesShowAnEllipsis) {
    start();
    gSnoozeTime = 999;
    ShowWindow(form->hwnd(), SW_SHOWNA);
    SetWindowPos(form->hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    for (LRESULT t = 0; t < SendMessageA(form->comboTranslations, CB_GETCOUNT, 0, 0); ++t)
        if (gTranslations[static_cast<size_t>(t)].name == "World English Bible") {
            SendMessageA(form->comboTranslations, CB_SETCURSEL, static_cast<WPARAM>(t), 0);
            form->comboTranslations_Click();
        }
    for (LRESULT i = 0; i < SendMessageA(form->ComboTopics, CB_GETCOUNT, 0, 0); ++i)
        if (gTopics[static_cast<size_t>(i)].name == "Strength and Courage") {
            SendMessageA(form->ComboTopics, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
            form->ComboTopics_Click();
        }
    ASSERT_EQ(form->UpdateStatusBar(), Outcome::Ok);
    for (int width : {510, 900}) {
        SetWindowPos(form->hwnd(), nullptr, 0, 0, width, 240, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        pumpFor(300);
        for (HWND combo : {form->ComboTopics, form->comboTranslations}) {
            HWND edit = ChildWindowFromPoint(combo, POINT{15, 15});
            ASSERT_NE(edit, combo);
            NameShown shown = nameShown(edit);
            if (width == 510) {
                ASSERT_TRUE(shown.withEllipsis != shown.cutPlain) << "the name does not fit at " << width;
                EXPECT_TRUE(shown.onScreen == shown.withEllipsis) << "shown with an ellipsis at " << width;
            } else {
                ASSERT_TRUE(shown.withEllipsis == shown.cutPlain) << "the name fits at " << width;
                EXPECT_TRUE(shown.onScreen == shown.cutPlain) << "shown whole at " << width;
            }
        }
    }
    SetWindowPos(form->hwnd(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ShowWindow(form->hwnd(), SW_HIDE);
}

TEST_F(Layout, SchedulerButtonMakesItsGap) {
    setUserSetting("TamberlyschedulerEnabled", "true");
    start();
    ASSERT_TRUE(GetWindowLongPtrA(form->picButton[7], GWL_STYLE) & WS_VISIBLE);
    RECT sleep = rectOf(form->picButton[0]), sched = rectOf(form->picButton[7]), add = rectOf(form->picButton[2]);
    EXPECT_EQ(sched.left - sleep.right, 75 / 15);
    EXPECT_EQ(add.left - sched.right, 125 / 15);
}

TEST_F(Layout, MinimumTrackSize) {
    start();
    MINMAXINFO info{};
    SendMessageA(form->hwnd(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 510);
    EXPECT_EQ(info.ptMinTrackSize.y, 200);
}

TEST_F(Layout, ClickInAComboEditFieldOpensItsList) {
    start();
    ShowWindow(form->hwnd(), SW_SHOW);
    HWND edit = ChildWindowFromPoint(form->ComboTopics, POINT{15, 15});
    ASSERT_NE(edit, form->ComboTopics);
    EXPECT_EQ(SendMessageA(edit, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3)), 1);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    EXPECT_TRUE(SendMessageA(form->ComboTopics, CB_GETDROPPEDSTATE, 0, 0));
    // Entering the background frame closes it again.
    form->SbcEasy1_MouseEnter("frameNoCombo");
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    EXPECT_FALSE(SendMessageA(form->ComboTopics, CB_GETDROPPEDSTATE, 0, 0));
    // The status bar keeps its font.
    EXPECT_EQ(SendMessageA(form->StatusBar1, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(SYSTEM_FONT)), TRUE), 1);
}

TEST_F(Layout, ButtonsEnabledOnlyAfterTheLoad) {
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

TEST_F(Layout, NextHeldRepeatsAfterHalfASecondThenEvery300ms) {
    start();
    form->picButton_MouseDown(6, 1, 0, 5, 5);
    EXPECT_TRUE(form->tmrPrevNext.enabled());
    EXPECT_EQ(form->tmrPrevNext.interval(), 500u);
    EXPECT_EQ(form->buttonPicture(6), form->buttonPicture(6) < 0 ? -1 : 1);
    form->tmrPrevNext_Timer();
    EXPECT_EQ(gVerseIndex, 2);
    EXPECT_EQ(form->tmrPrevNext.interval(), 300u);
    form->tmrPrevNext_Timer();
    EXPECT_EQ(gVerseIndex, 3);
    form->picButton_MouseUp(6, 1, 0, 5, 5);
    EXPECT_FALSE(form->tmrPrevNext.enabled());
    EXPECT_EQ(form->tmrPrevNext.interval(), 500u);
    form->picButton_Click(6);
    EXPECT_EQ(gVerseIndex, 1) << "the click on release adds one more step, wrapping";

    form->picButton_MouseDown(5, 2, 0, 5, 5);
    EXPECT_FALSE(form->tmrPrevNext.enabled()) << "only the left button repeats";
    form->picButton_MouseUp(5, 2, 0, 5, 5);
    form->picButton_Click(5);
    EXPECT_EQ(gVerseIndex, 1) << "a right click does nothing";
    form->picButton_MouseDown(5, 1, 0, 5, 5);
    form->picButton_MouseUp(5, 1, 0, 5, 5);
    form->picButton_Click(5);
    EXPECT_EQ(gVerseIndex, 3) << "the next left press clears that state";
}

TEST_F(Layout, PressedPictureFollowsThePointer) {
    start();
    if (form->buttonPicture(6) < 0) GTEST_SKIP() << "no button pictures in this build";
    RECT r;
    GetClientRect(form->picButton[6], &r);
    form->picButton_MouseDown(6, 1, 0, 5, 5);
    EXPECT_EQ(form->buttonPicture(6), 1);
    form->picButton_MouseMove(6, 1, 0, 0, 5);
    EXPECT_EQ(form->buttonPicture(6), 0) << "X = 0 counts as outside";
    form->picButton_MouseMove(6, 1, 0, 3, 0);
    EXPECT_EQ(form->buttonPicture(6), 1) << "Y = 0 counts as inside";
    form->picButton_MouseMove(6, 1, 0, r.right + 1, 3);
    EXPECT_EQ(form->buttonPicture(6), 0);
    form->picButton_MouseUp(6, 1, 0, 3, 3);
    EXPECT_EQ(form->buttonPicture(6), 0);
}

TEST_F(Layout, TooltipTexts) {
    start();
    EXPECT_EQ(form->buttonTipText(7), "/Run using the Pellanor Scheduler - wake up at 8:00:00 AM//");
    EXPECT_EQ(form->buttonTipText(4), "/Quit out of this program - saves all settings automatically//");
    ToolTipForm tip;
    ASSERT_TRUE(tip.create(form->hwnd()));
    gSnoozeTime = 999;
    ToolTips::showToolTip(tip, form->buttonTipText(0));
    EXPECT_EQ(tip.caption(),
              "Press this button to put the program to sleep.  It will wake up again in 999 minutes");
    EXPECT_TRUE(IsWindowVisible(tip.hwnd()));
    ToolTips::showToolTip(tip, "/Careful/Warning/");
    EXPECT_EQ(tip.backColour(), ToolTips::kWarningBack);
    EXPECT_EQ(tip.textColour(), ToolTips::kWarningText);
    ToolTips::showToolTip(tip, "");
    EXPECT_FALSE(IsWindowVisible(tip.hwnd()));
    EXPECT_EQ(tip.backColour(), ToolTips::kNormalBack);
    EXPECT_EQ(tip.textColour(), 0u);
}

TEST_F(Layout, HoverOnlyWhileTheWindowIsActive) {
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

class Tooltips : public Layout {
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
        Layout::SetUp();
        start();
        ShowWindow(form->hwnd(), SW_SHOW);
        SetForegroundWindow(form->hwnd());
        SetActiveWindow(form->hwnd());
        if (GetActiveWindow() != form->hwnd()) GTEST_SKIP() << "the window cannot be made active here";
    }
    void TearDown() override {
        if (form) ShowWindow(form->hwnd(), SW_HIDE);
        Layout::TearDown();
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

void pumpFor(DWORD ms) {
    MSG m;
    for (DWORD t0 = GetTickCount(); GetTickCount() - t0 < ms; Sleep(10))
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
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

TEST_F(Layout, ComboSelectionsChangeTopicAndTranslation) {
    start();
    long hope = -1;
    for (size_t i = 0; i < gTopics.size(); ++i)
        if (gTopics[i].fileName == "Hope.txt") hope = static_cast<long>(i);
    SendMessageA(form->ComboTopics, CB_SETCURSEL, static_cast<WPARAM>(hope), 0);
    form->ComboTopics_Click();
    EXPECT_EQ(gTopics[0].currentTopic, hope);
    EXPECT_EQ(form->verseBoxText(), "King James Version\r\nNow the God of hope\r\n\r\n");
    SendMessageA(form->comboTranslations, CB_SETCURSEL, 1, 0);
    form->comboTranslations_Click();
    EXPECT_EQ(gCurTranslation, 1);
    EXPECT_EQ(form->panelText(3), "World English Bible") << "the status bar follows the change";
    EXPECT_EQ(form->panelText(2), "Verse 1 of 2");
    char text[64];
    GetWindowTextA(form->ComboTopics, text, sizeof text);
    EXPECT_STREQ(text, " Peace and Trust");
    EXPECT_EQ(SendMessageA(form->ComboTopics, CB_GETCOUNT, 0, 0), 1) << "the list is the new translation's";
}

TEST_F(Layout, AddYourVersesReloadsTheTopicList) {
    start();
    writeBytes(root / "Your Verses\\Your Verses.txt", "Ruth\t1\t16\tKJV: Whither thou goest\r\n");
    EXPECT_EQ(form->addYourVerses(), Outcome::Ok);
    EXPECT_EQ(SendMessageA(form->ComboTopics, CB_GETCOUNT, 0, 0), 3);
    char item[64] = {};
    SendMessageA(form->ComboTopics, CB_GETLBTEXT, 2, reinterpret_cast<LPARAM>(item));
    EXPECT_STREQ(item, " Your Verses");
}

} // namespace
