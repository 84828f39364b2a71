// test_windows.h
// Real windows for the subclassing tests: a window class whose procedure
// notes every message it gets, an owner that destroys a window, and a pump
// for posted messages.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "common/win32/handles.h"

namespace subclasstest {

// Destroys its window when it goes, unless the test destroyed it already.
struct WindowTraits {
    static HWND invalid() { return nullptr; }
    static void close(HWND h) {
        if (IsWindow(h)) DestroyWindow(h);
    }
};
using OwnedWindow = win32::UniqueHandle<HWND, WindowTraits>;

// The messages that reached the procedure of the recording class, in order,
// for every window of the class.
struct Seen {
    HWND hwnd;
    UINT msg;
};
std::vector<Seen>& ownProcLog();
// How many of the recorded messages were `msg` for `hwnd`.
int ownProcCount(HWND hwnd, UINT msg);

// A top-level window of the recording class (hidden unless style has
// WS_VISIBLE); its procedure answers WM_APP with 7 and the rest with
// DefWindowProc.
HWND createRecordingWindow(DWORD style = WS_OVERLAPPEDWINDOW, int x = 0, int y = 0, int w = 300,
                           int h = 200);
// A child window of the recording class.
HWND createRecordingChild(HWND parent, int x, int y, int w, int h);

// Handles every message waiting for this thread.
void pump();
// Pumps until `done` holds or the time runs out; returns `done()`.
template <typename Pred>
bool pumpUntil(Pred done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return false;
        pump();
        Sleep(5);
    }
    return true;
}

} // namespace subclasstest
