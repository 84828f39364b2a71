// wait_dispatching_test.cpp
// The shared wait on a handle that keeps the windows live: it dispatches
// messages while it waits and keeps waiting after them, and a quit, a
// cancel seen after a round of messages, or a failed wait ends it at once.
#include <windows.h>

#include <gtest/gtest.h>

#include "common/ui/Window.h"
#include "common/win32/handles.h"

using ui::WaitEnd;

namespace {

int gTicks = 0;
bool gCancelled = false;
VOID CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) { ++gTicks; }
VOID CALLBACK quit(HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(5); }
VOID CALLBACK cancel(HWND, UINT, UINT_PTR, DWORD) { gCancelled = true; }

class WaitDispatching : public ::testing::Test {
protected:
    void SetUp() override {
        gTicks = 0;
        gCancelled = false;
        event.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
        ASSERT_TRUE(event);
    }
    void TearDown() override {
        if (timer) KillTimer(nullptr, timer);
    }
    ULONGLONG elapsed() const { return GetTickCount64() - start; }
    win32::Handle event;
    UINT_PTR timer = 0;
    ULONGLONG start = GetTickCount64();
};

TEST_F(WaitDispatching, RunsMessagesUntilSignalledOrOutOfTime) {
    timer = SetTimer(nullptr, 0, 30, tick);
    EXPECT_EQ(ui::waitDispatching(event.get(), 400), WaitEnd::TimedOut);
    EXPECT_GE(elapsed(), 380u) << "messages did not end the wait";
    EXPECT_GE(gTicks, 3) << "timers ran while it waited";

    SetEvent(event.get());
    EXPECT_EQ(ui::waitDispatching(event.get(), 400), WaitEnd::Signalled);

    win32::Handle gone(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    HANDLE closed = gone.get();
    gone.reset();
    EXPECT_EQ(ui::waitDispatching(closed, 400), WaitEnd::Failed);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE)) << "the wait's own error is kept";
}

TEST_F(WaitDispatching, AQuitOrACancelEndsItAtOnce) {
    timer = SetTimer(nullptr, 0, 50, quit);
    EXPECT_EQ(ui::waitDispatching(event.get(), 5000), WaitEnd::Quitting);
    EXPECT_LT(elapsed(), 2000u);
    KillTimer(nullptr, timer);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit is left for the caller";
    EXPECT_EQ(msg.wParam, 5u);

    timer = SetTimer(nullptr, 0, 50, cancel);
    start = GetTickCount64();
    EXPECT_EQ(ui::waitDispatching(event.get(), 5000, [] { return !gCancelled; }), WaitEnd::Stopped);
    EXPECT_LT(elapsed(), 2000u);
}

} // namespace
