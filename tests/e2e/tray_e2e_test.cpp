// tray_e2e_test.cpp
// The running program asleep in the notification area: its icon's menu,
// chosen as a user does (right click on the icon, keys on the open menu).
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>

#include "e2e_fixture.h"
#include "registry.h"

using namespace testsupport;

namespace {

struct TrayIconSearch {
    HWND found;
};

BOOL CALLBACK findTrayIcon(HWND w, LPARAM lp) {
    char cls[64] = {};
    GetClassNameA(w, cls, sizeof cls);
    // The icon's own window: the X11 driver's stand-alone tray, or
    // explorer's in later Wine versions.
    std::string name = cls;
    if ((name == "__winex11_tray_icon" || name == "__wine_tray_icon") && IsWindowVisible(w)) {
        reinterpret_cast<TrayIconSearch*>(lp)->found = w;
        return FALSE;
    }
    return TRUE;
}

// The window of the first icon shown in Wine's stand-alone tray.
HWND waitForTrayIcon(DWORD timeoutMs) {
    for (DWORD t0 = GetTickCount(); GetTickCount() - t0 < timeoutMs; Sleep(50)) {
        HWND tray = FindWindowA(nullptr, "Wine System Tray");
        if (!tray) continue;
        TrayIconSearch s{nullptr};
        EnumChildWindows(tray, findTrayIcon, reinterpret_cast<LPARAM>(&s));
        if (s.found) return s.found;
    }
    return nullptr;
}

struct MenuSearch {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK findMenu(HWND w, LPARAM lp) {
    auto* s = reinterpret_cast<MenuSearch*>(lp);
    char cls[16] = {};
    GetClassNameA(w, cls, sizeof cls);
    DWORD p = 0;
    GetWindowThreadProcessId(w, &p);
    if (p == s->pid && std::string(cls) == "#32768" && IsWindowVisible(w)) {
        s->found = w;
        return FALSE;
    }
    return TRUE;
}

HWND waitForPopupMenu(DWORD pid, DWORD timeoutMs) {
    for (DWORD t0 = GetTickCount(); GetTickCount() - t0 < timeoutMs; Sleep(30)) {
        MenuSearch s{pid, nullptr};
        EnumWindows(findMenu, reinterpret_cast<LPARAM>(&s));
        if (s.found) return s.found;
    }
    return nullptr;
}

bool waitFor(DWORD timeoutMs, const std::function<bool()>& done) {
    for (DWORD t0 = GetTickCount(); GetTickCount() - t0 < timeoutMs; Sleep(30))
        if (done()) return true;
    return done();
}

class Tray : public RunningProgram {
protected:
    void SetUp() override {
        RunningProgram::SetUp();
        fromDist({"TRANSLATION_King James Version\\Peace and Trust.txt", "help.chm"});
        returningUser();
    }
    // Right click on the icon, then the item n places down, then Enter,
    // until done() (a few tries: under a window manager a menu of a hidden
    // window can lose the focus race and close, and a user clicks again).
    bool chooseFromIconMenu(int itemsDown, const std::function<bool()>& done) {
        for (int attempt = 0; attempt < 4; ++attempt) {
            HWND icon = waitForTrayIcon(5000);
            if (!icon) return false;
            PostMessageA(icon, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(4, 4));
            PostMessageA(icon, WM_RBUTTONUP, 0, MAKELPARAM(4, 4));
            HWND menu = waitForPopupMenu(pid(), 3000);
            if (!menu) continue;
            Sleep(200);
            for (int i = 0; i < itemsDown; ++i) PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
            PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
            if (waitFor(3000, done)) return true;
            // A menu left open would take the next click.
            if (IsWindow(menu)) PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
        }
        return false;
    }
};

TEST_F(Tray, RestoreAndQuitFromTheIconMenu) {
    start();
    HWND main = mainWindowReady();
    ASSERT_NE(main, nullptr);

    clickButton(main, 0); // Sleep
    ASSERT_TRUE(waitFor(5000, [&] { return !IsWindowVisible(main); })) << "the window goes to the tray";
    // "Restore Program to the Desktop"
    EXPECT_TRUE(chooseFromIconMenu(1, [&] { return IsWindowVisible(main) != FALSE; })) << "restored";
    char caption[64] = {};
    GetWindowTextA(main, caption, sizeof caption);
    EXPECT_STREQ(caption, "Pellanor 2004") << "no countdown runs";
    EXPECT_TRUE(waitFor(5000, [] { return waitForTrayIcon(0) == nullptr; })) << "the icon is gone";

    clickButton(main, 0);
    ASSERT_TRUE(waitFor(5000, [&] { return !IsWindowVisible(main); }));
    // "Quit out of Pellanor"
    EXPECT_TRUE(chooseFromIconMenu(2, [&] { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }));
    EXPECT_EQ(finish(), 0) << "a sleeping program quits from its icon";
    // It ended through its normal unload, which saves the settings.
    EXPECT_EQ(registry::getSetting("Pellanor", "UserSettings", "newVerseIndex", "none"), "2");
}

} // namespace
