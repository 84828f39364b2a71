// frmMain_layout_test.cpp
// The main window's layout: its controls placed by the layout rule, the
// status panels and the lists at every size with the shipped library, the
// combo boxes. The rule's numbers are tested natively (main_layout_test);
// the buttons and tips are in frmMain_buttons_test.
#include <windows.h>
#include <commctrl.h>

#include "common/win32/handles.h"
#include "main_layout.h"
#include "main_window_fixture.h"

using namespace testsupport;

namespace {

class Layout : public MainWindow {
protected:
    void SetUp() override {
        MainWindow::SetUp();
        standardLibrary();
    }
    // A child's place in the main window's client area.
    main_layout::Rect placeOf(HWND h) {
        RECT r = rectOf(h);
        MapWindowPoints(nullptr, form->hwnd(), reinterpret_cast<POINT*>(&r), 2);
        return {r.left, r.top, r.right - r.left, r.bottom - r.top};
    }
    // What the layout rule is given for the window as it is now.
    main_layout::Input layoutInput() {
        main_layout::Input in;
        RECT client, outer;
        GetClientRect(form->hwnd(), &client);
        GetWindowRect(form->hwnd(), &outer);
        in.clientWidth = client.right;
        in.clientHeight = client.bottom;
        in.windowWidth = outer.right - outer.left;
        in.twipsX = ui::twipsPerPixelX();
        in.twipsY = ui::twipsPerPixelY();
        for (size_t i = 0; i < form->picButton.size(); ++i) {
            RECT b = rectOf(form->picButton[i]);
            in.buttons[i] = {b.right - b.left, b.bottom - b.top};
        }
        in.schedulerShown = (GetWindowLongPtrA(form->picButton[7], GWL_STYLE) & WS_VISIBLE) != 0;
        in.comboHeight = static_cast<int>(SendMessageA(form->ComboTopics, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0)) + 6;
        return in;
    }
};

void expectPlace(const main_layout::Rect& shown, const main_layout::Rect& rule, const std::string& what) {
    EXPECT_EQ(shown.left, rule.left) << what;
    EXPECT_EQ(shown.top, rule.top) << what;
    EXPECT_EQ(shown.width, rule.width) << what;
    EXPECT_EQ(shown.height, rule.height) << what;
}

// At every size, with the Scheduler button hidden and shown, each control
// is where the layout rule puts it for the window's client area, frame and
// button pictures.
TEST_F(Layout, ControlsFollowTheWindowSize) {
    for (const bool scheduler : {false, true}) {
        SCOPED_TRACE(scheduler ? "scheduler shown" : "scheduler hidden");
        if (scheduler) {
            form->closeNow();
            resetLibraryState();
            setUserSetting("TamberlyschedulerEnabled", "true");
        }
        start();
        ASSERT_EQ((GetWindowLongPtrA(form->picButton[7], GWL_STYLE) & WS_VISIBLE) != 0, scheduler);
        for (SIZE size : {SIZE{510, 200}, SIZE{520, 260}, SIZE{640, 480}, SIZE{1000, 700}}) {
            SetWindowPos(form->hwnd(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            const main_layout::Layout rule = main_layout::place(layoutInput());
            const std::string at = " at " + std::to_string(size.cx) + "x" + std::to_string(size.cy);
            for (size_t i = 0; i < form->picButton.size(); ++i)
                expectPlace(placeOf(form->picButton[i]), rule.buttons[i], "button " + std::to_string(i) + at);
            for (HWND box : form->txtLocation) expectPlace(placeOf(box), rule.references, "reference box" + at);
            expectPlace(placeOf(form->RichTxtVerse), rule.verse, "verse box" + at);
            const main_layout::Rect topics = placeOf(form->ComboTopics);
            EXPECT_EQ(topics.left, rule.topicList.x) << at;
            EXPECT_EQ(topics.top, rule.topicList.y) << at;
            EXPECT_EQ(placeOf(form->comboTranslations).top, rule.topicList.y) << at;
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
    win32::MemoryDC memOwned(CreateCompatibleDC(screen));
    win32::Bitmap bmpOwned(CreateCompatibleBitmap(screen, client.right, client.bottom));
    HDC mem = memOwned.get();
    HBITMAP bmp = bmpOwned.get();
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
