// HiddenWindow_test.cpp
// The hidden window on a real (display-less) message queue: what reaches
// its listener, the pump that handles only its own messages, and a
// listener that ends the window from inside a message.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "HiddenWindow.h"

using hookrtvb6::HiddenWindow;

namespace {

struct Seen {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

class Listener final : public hookrtvb6::WndMessageSink {
public:
    std::vector<Seen> seen;
    std::function<void(UINT)> during;
    void WndMessage(HWND, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& retval, bool& nodef) override {
        seen.push_back({msg, wParam, lParam});
        if (msg == WM_APP + 1) {
            retval = 1234;
            nodef = true;
        }
        if (during) during(msg);
    }
    size_t count(UINT msg) const {
        size_t n = 0;
        for (const Seen& s : seen) n += s.msg == msg;
        return n;
    }
};

void dispatchAll() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
}

}  // namespace

TEST(HiddenWindow, IsAMessageOnlyWindowThatHandsOnEveryMessage) {
    Listener listener;
    HiddenWindow window;
    ASSERT_TRUE(window.Create(&listener));
    ASSERT_TRUE(window.hWnd());
    EXPECT_FALSE(window.Create(&listener)) << "once";
    EXPECT_FALSE(IsWindowVisible(window.hWnd()));
    EXPECT_GE(listener.count(WM_NCCREATE), 1u) << "from the first message on";

    PostMessageA(window.hWnd(), 0x501, 0x10044, MAKELPARAM(32, 10053));
    dispatchAll();
    ASSERT_EQ(listener.count(0x501), 1u);
    EXPECT_EQ(listener.seen.back().wParam, 0x10044u);
    EXPECT_EQ(listener.seen.back().lParam, MAKELPARAM(32, 10053));
    EXPECT_EQ(SendMessageA(window.hWnd(), WM_APP + 1, 0, 0), 1234) << "nodef returns the listener's value";

    const HWND h = window.hWnd();
    window.Destroy();
    EXPECT_EQ(window.hWnd(), nullptr);
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(listener.count(WM_NCDESTROY), 1u);
}

TEST(HiddenWindow, ProcessingWaitingMessagesLeavesOtherWindowsAndTheQuitRequest) {
    Listener mine, theirs;
    HiddenWindow window, other;
    ASSERT_TRUE(window.Create(&mine));
    ASSERT_TRUE(other.Create(&theirs));
    PostMessageA(window.hWnd(), WM_APP + 2, 1, 0);
    PostMessageA(other.hWnd(), WM_APP + 2, 2, 0);
    PostQuitMessage(9);
    PostMessageA(window.hWnd(), WM_APP + 2, 3, 0);

    EXPECT_EQ(window.ProcessWaitingMessages(), 2);
    EXPECT_EQ(mine.count(WM_APP + 2), 2u);
    EXPECT_EQ(theirs.count(WM_APP + 2), 0u);
    MSG m;
    EXPECT_TRUE(PeekMessageA(&m, other.hWnd(), WM_APP + 2, WM_APP + 2, PM_REMOVE));
    bool quit = false;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_QUIT) quit = m.wParam == 9;
    }
    EXPECT_TRUE(quit);
}

TEST(HiddenWindow, AListenerMayEndTheWindowAndItsOwnerFromInsideAMessage) {
    Listener listener;
    auto* window = new HiddenWindow;
    ASSERT_TRUE(window->Create(&listener));
    const HWND h = window->hWnd();
    listener.during = [&](UINT msg) {
        if (msg == WM_APP + 3) window->Destroy();
        if (msg == WM_NCDESTROY) {
            delete window;
            window = nullptr;
        }
    };
    PostMessageA(h, WM_APP + 3, 0, 0);
    dispatchAll();
    EXPECT_EQ(window, nullptr);
    EXPECT_FALSE(IsWindow(h));
}
