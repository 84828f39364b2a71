// session_e2e_test.cpp
// Windows logging off or shutting down while the program runs: the end of
// the session runs the program's normal unload, so what the user did that
// day is kept. Wine's wineboot ends the session as Windows does (the two
// end-session messages to every top-level window, then the processes go).
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>

#include "common/win32/handles.h"
#include "e2e_fixture.h"
#include "registry.h"

using namespace testsupport;

namespace {

std::string userSetting(const char* name) { return registry::getSetting("Pellanor", "UserSettings", name, "none"); }
std::string windowSetting(const char* name) { return registry::getSetting("Pellanor", "Settings", name, "none"); }

// Ends the session of every process in the prefix, as a log-off does.
bool endSession() {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    char cmd[] = "wineboot.exe --end-session";
    if (!CreateProcessA(nullptr, cmd, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    win32::Handle thread(pi.hThread), process(pi.hProcess);
    return WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0;
}

struct OwnWindows {
    DWORD pid;
    int count;
};

BOOL CALLBACK countOwn(HWND w, LPARAM lp) {
    auto* c = reinterpret_cast<OwnWindows*>(lp);
    DWORD p = 0;
    GetWindowThreadProcessId(w, &p);
    if (p == c->pid) ++c->count;
    return TRUE;
}

class Session : public RunningProgram {
protected:
    void SetUp() override {
        RunningProgram::SetUp();
        fromDist({"TRANSLATION_King James Version\\Peace and Trust.txt",
                  "TRANSLATION_World English Bible\\Peace and Trust.txt", "help.chm"});
        returningUser();
        // The end of the session would end this test too, were it to own a
        // window.
        OwnWindows own{GetCurrentProcessId(), 0};
        EnumWindows(countOwn, reinterpret_cast<LPARAM>(&own));
        ASSERT_EQ(own.count, 0);
    }
};

TEST_F(Session, LogOffSavesTheVerseTheTranslationAndThePlace) {
    setUserSetting("newVerseIndex", "5");
    start();
    HWND main = mainWindowReady();
    ASSERT_NE(main, nullptr);
    HWND translations = GetDlgItem(main, 131);
    ASSERT_NE(translations, nullptr);
    // The user picks the second translation from the list...
    SendMessageA(translations, CB_SETCURSEL, 1, 0);
    SendMessageA(main, WM_COMMAND, MAKEWPARAM(131, CBN_SELCHANGE), reinterpret_cast<LPARAM>(translations));
    // ...and moves the window.
    SetWindowPos(main, nullptr, 120, 90, 640, 480, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT placed;
    GetWindowRect(main, &placed);

    ASSERT_TRUE(endSession());
    EXPECT_NE(finish(10000), -1) << "the program is gone with the session";
    EXPECT_EQ(userSetting("translation"), "TRANSLATION_World English Bible");
    EXPECT_EQ(userSetting("newVerseIndex"), "6") << "the next start shows the next verse";
    EXPECT_EQ(userSetting("First Time Run"), "False");
    EXPECT_EQ(windowSetting("MainLeft"), std::to_string(placed.left * 15));
    EXPECT_EQ(windowSetting("MainTop"), std::to_string(placed.top * 15));
    EXPECT_EQ(windowSetting("MainWidth"), std::to_string((placed.right - placed.left) * 15));
    EXPECT_FALSE(exists(root / "error_log.txt"));
}

TEST_F(Session, LogOffWhileAsleepInTheTraySavesToo) {
    start();
    HWND main = mainWindowReady();
    ASSERT_NE(main, nullptr);
    clickButton(main, 0); // Sleep
    for (DWORD t0 = GetTickCount(); IsWindowVisible(main) && GetTickCount() - t0 < 5000;) Sleep(20);
    ASSERT_FALSE(IsWindowVisible(main));
    ASSERT_TRUE(endSession());
    EXPECT_NE(finish(10000), -1);
    EXPECT_EQ(userSetting("newVerseIndex"), "2");
}

// A log-off while the verse order's next topic is held open by another
// program: the failure is logged, and no box holds up the end.
TEST_F(Session, LogOffOntoATopicHeldOpenElsewhereWaitsOnNoBox) {
    lastVerseBeforeHope(root);
    start();
    HWND main = mainWindowReady();
    ASSERT_NE(main, nullptr);
    HeldFiles held;
    ASSERT_TRUE(held.hold(root / "TRANSLATION_King James Version\\Hope.txt"));
    ASSERT_TRUE(endSession());
    EXPECT_NE(finish(10000), -1);
    std::string log = readBytes(root / "error_log.txt");
    EXPECT_NE(log.find("The following error occurred trying to change subjects:"), std::string::npos) << log;
    EXPECT_NE(log.find("An error occurred in function getNewVerseIndex"), std::string::npos) << log;
    EXPECT_EQ(userSetting("newVerseIndex"), "3") << "saved all the same";
}

} // namespace
