// e2e_fixture.h
// Starts the real pellanor.exe from a prepared program folder and drives it
// from outside, as a user would: its windows, boxes, menus and status bar.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/win32/handles.h"
#include "library_fixture.h"
#include "win_test_support.h"

namespace testsupport {

namespace e2e_detail {
struct BoxSearch {
    DWORD pid;
    HWND keep;
    HWND box;
};

inline BOOL CALLBACK findBox(HWND w, LPARAM lp) {
    auto* c = reinterpret_cast<BoxSearch*>(lp);
    DWORD p = 0;
    GetWindowThreadProcessId(w, &p);
    char cls[64] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (p == c->pid && w != c->keep && IsWindowVisible(w) && std::string(cls) == "#32770" && GetDlgItem(w, 0xFFFF)) {
        c->box = w;
        return FALSE;
    }
    return TRUE;
}
} // namespace e2e_detail

// A message box the program shows (a dialog with the box's static text),
// other than keep; null when there is none.
inline HWND findMessageBox(DWORD pid, HWND keep = nullptr) {
    e2e_detail::BoxSearch ctx{pid, keep, nullptr};
    EnumWindows(e2e_detail::findBox, reinterpret_cast<LPARAM>(&ctx));
    return ctx.box;
}

// Answers every message box the program shows until it is quiet for a
// while; returns their captions.
inline std::vector<std::string> answerBoxes(DWORD pid, HWND keep, DWORD quietMs = 700) {
    std::vector<std::string> captions;
    DWORD lastSeen = GetTickCount();
    while (GetTickCount() - lastSeen < quietMs) {
        if (HWND box = findMessageBox(pid, keep)) {
            char caption[256] = {};
            GetWindowTextA(box, caption, sizeof caption);
            captions.push_back(caption);
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            lastSeen = GetTickCount();
            Sleep(200);
        }
        Sleep(30);
    }
    return captions;
}

// One translation of two topics, the shown verse the last of "Peace and
// Trust" and every count at 1, so the next step of the verse order (a
// wake-up, or the close) loads "Hope.txt".
inline void lastVerseBeforeHope(const TempDir& root) {
    addTopic(root, "TRANSLATION_King James Version", "Peace and Trust.txt", verses(3, "peace"));
    addTopic(root, "TRANSLATION_King James Version", "Hope.txt", verses(2, "hope"));
    for (const char* name : {"repeatCounter", "repeatTopicCtr", "lRepeatCtr(0)", "lRepeatCtr(1)"})
        setUserSetting(name, "1");
    setUserSetting("newVerseIndex", "3");
}

class RunningProgram : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(gArgs.empty()) << "pass the path of pellanor.exe";
        clearProgramRegistry();
        exe = root / "pellanor.exe";
        ASSERT_TRUE(CopyFileA(fromUnixPath(gArgs[0]).c_str(), exe.c_str(), FALSE));
    }
    void TearDown() override {
        if (process) {
            TerminateProcess(process, 99);
            win32::Handle ended(process);
        }
        clearProgramRegistry();
    }
    // A user who has run the program before: no agreement, no tip.
    void returningUser() {
        setUserSetting("First Time Run", "False");
        setUserSetting("Show Tips at Startup", "0");
    }
    // Copies files of the built program folder (paths relative to it).
    void fromDist(const std::vector<std::string>& files) {
        ASSERT_GE(gArgs.size(), 2u) << "pass the program folder";
        std::string dist = fromUnixPath(gArgs[1]);
        for (const std::string& f : files) writeBytes(root / f, readBytes(dist + "\\" + f));
    }
    void start() {
        process = startProgram(exe, root.path());
        ASSERT_NE(process, nullptr);
    }
    long finish(DWORD timeoutMs = 20000) { return waitForExit(process, timeoutMs); }
    std::string answerBox(const char* caption) { return answerMessageBox(process, caption, 20000); }
    DWORD pid() const { return GetProcessId(process); }

    // Waits for the main window to finish its load (its buttons enabled and
    // the window shown); null when it did not.
    HWND mainWindowReady() {
        HWND main = waitForWindow("Pellanor 2004", 20000, pid());
        if (!main) return nullptr;
        for (DWORD t0 = GetTickCount(); GetTickCount() - t0 < 10000; Sleep(20)) {
            HWND sleep = GetDlgItem(main, kButton0);
            if (sleep && IsWindowEnabled(sleep) && IsWindowVisible(main)) return main;
        }
        return nullptr;
    }
    // A click on a picture button (id kButton0 + index), as the mouse gives it.
    void clickButton(HWND main, int index) {
        HWND b = GetDlgItem(main, kButton0 + index);
        PostMessageA(b, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        PostMessageA(b, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    }

    // A status bar panel's text, read through memory in the program's
    // process (the message carries a pointer that is not marshalled).
    std::string remoteStatusText(HWND status, int part) {
        void* remote = VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE);
        if (!remote) return "<no memory>";
        SendMessageA(status, SB_GETTEXTA, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(remote));
        char buf[4096] = {};
        SIZE_T got = 0;
        ReadProcessMemory(process, remote, buf, sizeof buf - 1, &got);
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
        return buf;
    }
    // A status bar panel's rectangle, read the same way.
    RECT remoteStatusRect(HWND status, int part) {
        RECT r{};
        void* remote = VirtualAllocEx(process, nullptr, sizeof r, MEM_COMMIT, PAGE_READWRITE);
        if (!remote) return r;
        SendMessageA(status, SB_GETRECT, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(remote));
        SIZE_T got = 0;
        ReadProcessMemory(process, remote, &r, sizeof r, &got);
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
        return r;
    }

    static constexpr int kButton0 = 200; // control id of picture button 0

    TempDir root;
    std::string exe;
    HANDLE process = nullptr;
};

} // namespace testsupport
