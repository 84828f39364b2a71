// SubClass_test.cpp
// SubClass on real (hidden) windows: answering and suppressing messages,
// passing the rest on, stacking, re-targeting, re-entrant and
// self-destroying handlers, and the window's own destruction.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "SubClass.h"
#include "common/win32/handles.h"
#include "test_windows.h"

using outside::SubClass;
using namespace subclasstest;

namespace {

// A handler that notes the messages it sees under a name.
struct Trace {
    std::vector<std::string> calls;
    SubClass::Handler noting(const std::string& name, UINT only) {
        return [this, name, only](HWND, UINT msg, WPARAM, LPARAM, LRESULT&, bool&) {
            if (msg == only) calls.push_back(name);
        };
    }
};

std::string className(HWND hwnd) {
    char buf[64] = {};
    GetClassNameA(hwnd, buf, sizeof(buf));
    return buf;
}

TEST(SubClass, MinimumTrackSizeIsSetAndTheWindowsOwnAnswerSuppressed) {
    OwnedWindow w(createRecordingWindow());
    ASSERT_NE(w.get(), nullptr);
    SubClass sub([](HWND, UINT msg, WPARAM, LPARAM lp, LRESULT&, bool& suppress) {
        if (msg != WM_GETMINMAXINFO) return;
        MINMAXINFO mmi;
        CopyMemory(&mmi, reinterpret_cast<void*>(lp), sizeof(mmi));
        mmi.ptMinTrackSize.x = 510;
        mmi.ptMinTrackSize.y = 200;
        CopyMemory(reinterpret_cast<void*>(lp), &mmi, sizeof(mmi));
        suppress = true;
    });
    ASSERT_TRUE(sub.setHWnd(w.get()));
    EXPECT_EQ(sub.hWnd(), w.get());
    ownProcLog().clear();

    MINMAXINFO mmi{};
    mmi.ptMaxTrackSize = {2000, 1500};
    SendMessageA(w.get(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
    EXPECT_EQ(mmi.ptMinTrackSize.x, 510);
    EXPECT_EQ(mmi.ptMinTrackSize.y, 200);
    EXPECT_EQ(mmi.ptMaxTrackSize.x, 2000) << "the rest of the record is kept";

    // The system asks the window too when it is sized, and keeps the limit.
    SetWindowPos(w.get(), nullptr, 0, 0, 100, 100, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    RECT r{};
    GetWindowRect(w.get(), &r);
    EXPECT_GE(r.right - r.left, 510);
    EXPECT_GE(r.bottom - r.top, 200);
    EXPECT_EQ(ownProcCount(w.get(), WM_GETMINMAXINFO), 0);
}

TEST(SubClass, SuppressedSetFontKeepsTheFontAndAnswersOne) {
    OwnedWindow parent(createRecordingWindow());
    HWND edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, parent.get(),
                                nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(edit, nullptr);
    std::vector<UINT> seen;
    SubClass sub([&](HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT& result, bool& suppress) {
        EXPECT_EQ(hwnd, edit);
        seen.push_back(msg);
        if (msg == WM_SETFONT) {
            result = 1;
            suppress = true;
        }
    });
    ASSERT_TRUE(sub.setHWnd(edit));
    const LRESULT before = SendMessageA(edit, WM_GETFONT, 0, 0);

    HFONT font = static_cast<HFONT>(GetStockObject(ANSI_FIXED_FONT));
    EXPECT_EQ(SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE), 1);
    EXPECT_EQ(SendMessageA(edit, WM_GETFONT, 0, 0), before);

    // What the handler leaves alone reaches the control.
    SetWindowTextA(edit, "passed on");
    char text[32] = {};
    GetWindowTextA(edit, text, sizeof(text));
    EXPECT_STREQ(text, "passed on");
    EXPECT_NE(std::find(seen.begin(), seen.end(), static_cast<UINT>(WM_SETTEXT)), seen.end());
}

TEST(SubClass, ClickInAComboEditFieldOpensTheListInstead) {
    OwnedWindow parent(createRecordingWindow());
    HWND combo = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | CBS_DROPDOWN, 10, 10, 150,
                                 200, parent.get(), nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(combo, nullptr);
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(" Peace and Trust"));
    POINT inside{15, 15};
    HWND edit = ChildWindowFromPoint(combo, inside);
    ASSERT_NE(edit, combo);
    ASSERT_EQ(className(edit), "Edit");

    int clicks = 0;
    SubClass sub([&](HWND, UINT msg, WPARAM, LPARAM, LRESULT& result, bool& suppress) {
        if (msg != WM_LBUTTONDOWN) return;
        ++clicks;
        PostMessageA(combo, CB_SHOWDROPDOWN, 1, 0);
        result = 1;
        suppress = true;
    });
    ASSERT_TRUE(sub.setHWnd(edit));

    EXPECT_EQ(SendMessageA(edit, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5)), 1);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0), 0) << "posted, not yet handled";
    pump();
    EXPECT_NE(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0), 0);
    SendMessageA(combo, CB_SHOWDROPDOWN, 0, 0);
    EXPECT_EQ(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0), 0);
}

TEST(SubClass, DestroyingTheWindowDetachesAndDeliversItsLastMessage) {
    OwnedWindow w(createRecordingWindow());
    std::vector<UINT> seen;
    HWND seenDuringLast = reinterpret_cast<HWND>(1);
    SubClass* self = nullptr;
    SubClass sub([&](HWND, UINT msg, WPARAM, LPARAM, LRESULT&, bool& suppress) {
        seen.push_back(msg);
        if (msg == WM_NCDESTROY) {
            seenDuringLast = self->hWnd();
            suppress = true; // must not keep the window's chain from its last message
        }
    });
    self = &sub;
    ASSERT_TRUE(sub.setHWnd(w.get()));
    HWND dead = w.get();
    ownProcLog().clear();
    DestroyWindow(dead);

    EXPECT_FALSE(sub.attached());
    EXPECT_EQ(seenDuringLast, nullptr);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), static_cast<UINT>(WM_NCDESTROY));
    EXPECT_EQ(ownProcCount(dead, WM_NCDESTROY), 1);

    // Nothing is left behind: the object takes a new window and works there.
    OwnedWindow next(createRecordingWindow());
    seen.clear();
    ASSERT_TRUE(sub.setHWnd(next.get()));
    SendMessageA(next.get(), WM_APP, 0, 0);
    EXPECT_EQ(seen, std::vector<UINT>{WM_APP});
}

TEST(SubClass, TheLastAttachedSeesMessagesFirstAndCanHideThemFromTheRest) {
    OwnedWindow w(createRecordingWindow());
    Trace t;
    SubClass first(t.noting("first", WM_APP));
    auto second = std::make_unique<SubClass>(t.noting("second", WM_APP));
    ASSERT_TRUE(first.setHWnd(w.get()));
    ASSERT_TRUE(second->setHWnd(w.get()));

    ownProcLog().clear();
    EXPECT_EQ(SendMessageA(w.get(), WM_APP, 0, 0), 7) << "the window's own answer";
    EXPECT_EQ(t.calls, (std::vector<std::string>{"second", "first"}));
    EXPECT_EQ(ownProcCount(w.get(), WM_APP), 1);

    second->setHandler([&](HWND, UINT msg, WPARAM, LPARAM, LRESULT& result, bool& suppress) {
        if (msg != WM_APP) return;
        t.calls.push_back("second suppresses");
        result = 99;
        suppress = true;
    });
    t.calls.clear();
    ownProcLog().clear();
    EXPECT_EQ(SendMessageA(w.get(), WM_APP, 0, 0), 99);
    EXPECT_EQ(t.calls, std::vector<std::string>{"second suppresses"});
    EXPECT_EQ(ownProcCount(w.get(), WM_APP), 0);

    // Removing the later one leaves the earlier one working.
    second.reset();
    t.calls.clear();
    EXPECT_EQ(SendMessageA(w.get(), WM_APP, 0, 0), 7);
    EXPECT_EQ(t.calls, std::vector<std::string>{"first"});
}

TEST(SubClass, RetargetingMovesTheWatchAndRefusesWhatCannotBeWatched) {
    OwnedWindow a(createRecordingWindow()), b(createRecordingWindow());
    std::vector<HWND> seen;
    SubClass sub([&](HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT&, bool&) {
        if (msg == WM_APP) seen.push_back(hwnd);
    });
    ASSERT_TRUE(sub.setHWnd(a.get()));
    ASSERT_TRUE(sub.setHWnd(a.get())) << "the same window again changes nothing";
    ASSERT_TRUE(sub.setHWnd(b.get()));
    SendMessageA(a.get(), WM_APP, 0, 0);
    SendMessageA(b.get(), WM_APP, 0, 0);
    EXPECT_EQ(seen, std::vector<HWND>{b.get()});

    seen.clear();
    ASSERT_TRUE(sub.setHWnd(nullptr));
    EXPECT_FALSE(sub.attached());
    SendMessageA(b.get(), WM_APP, 0, 0);
    EXPECT_TRUE(seen.empty());

    // A handle that is no window, and a window of another thread.
    ASSERT_TRUE(sub.setHWnd(a.get()));
    HWND bogus = a.get();
    a.reset();
    EXPECT_FALSE(sub.attached()) << "detached by the destruction";
    EXPECT_FALSE(sub.setHWnd(bogus));
    EXPECT_EQ(sub.hWnd(), nullptr);

    HWND foreign = nullptr;
    win32::Handle madeEvent(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    win32::Handle doneEvent(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    HANDLE made = madeEvent.get(), done = doneEvent.get();
    std::thread other([&] {
        foreign = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
        SetEvent(made);
        WaitForSingleObject(done, 5000);
        DestroyWindow(foreign);
    });
    WaitForSingleObject(made, 5000);
    ASSERT_NE(foreign, nullptr);
    ASSERT_TRUE(sub.setHWnd(b.get()));
    EXPECT_FALSE(sub.setHWnd(foreign));
    EXPECT_FALSE(sub.attached()) << "a refused window leaves the object detached";
    SetEvent(done);
    other.join();
}

TEST(SubClass, AHandlerMaySendToItsOwnWindow) {
    OwnedWindow w(createRecordingWindow());
    std::vector<std::string> order;
    SubClass sub([&](HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT& result, bool& suppress) {
        if (msg == WM_APP + 1) {
            order.push_back("outer in");
            // Nested: one answered here, one by the window itself.
            const LRESULT inner = SendMessageA(hwnd, WM_APP + 2, 0, 0);
            const LRESULT own = SendMessageA(hwnd, WM_APP, 0, 0);
            order.push_back("outer out");
            result = inner + own;
            suppress = true;
        } else if (msg == WM_APP + 2) {
            order.push_back("inner");
            result = 42;
            suppress = true;
        }
    });
    ASSERT_TRUE(sub.setHWnd(w.get()));
    EXPECT_EQ(SendMessageA(w.get(), WM_APP + 1, 0, 0), 49);
    EXPECT_EQ(order, (std::vector<std::string>{"outer in", "inner", "outer out"}));
    EXPECT_EQ(SendMessageA(w.get(), WM_APP, 0, 0), 7) << "the chain is intact afterwards";
}

TEST(SubClass, AHandlerMayDetachRetargetOrDestroyItsObject) {
    OwnedWindow a(createRecordingWindow()), b(createRecordingWindow());
    Trace t;
    SubClass below(t.noting("below", WM_APP)); // another watcher of the same window
    ASSERT_TRUE(below.setHWnd(a.get()));

    // Re-targets itself while handling a message; the message still goes on.
    SubClass mover;
    mover.setHandler([&](HWND, UINT msg, WPARAM, LPARAM, LRESULT&, bool&) {
        if (msg != WM_APP) return;
        t.calls.push_back("mover");
        mover.setHWnd(b.get());
    });
    ASSERT_TRUE(mover.setHWnd(a.get()));
    EXPECT_EQ(SendMessageA(a.get(), WM_APP, 0, 0), 7);
    EXPECT_EQ(mover.hWnd(), b.get());
    EXPECT_EQ(SendMessageA(a.get(), WM_APP, 0, 0), 7);
    EXPECT_EQ(t.calls, (std::vector<std::string>{"mover", "below", "below"}));

    // Destroys its own object: the running handler (with what it holds)
    // lives until it returns.
    t.calls.clear();
    auto doomed = std::make_unique<SubClass>();
    auto held = std::make_shared<std::string>("held by the handler");
    std::weak_ptr<std::string> watch = held;
    doomed->setHandler([&, held](HWND, UINT msg, WPARAM, LPARAM, LRESULT&, bool&) {
        if (msg != WM_APP) return;
        doomed.reset();
        EXPECT_FALSE(watch.expired());
        t.calls.push_back(*held);
    });
    held.reset();
    ASSERT_TRUE(doomed->setHWnd(a.get()));
    EXPECT_EQ(SendMessageA(a.get(), WM_APP, 0, 0), 7);
    EXPECT_EQ(doomed, nullptr);
    EXPECT_TRUE(watch.expired()) << "and is freed afterwards";
    EXPECT_EQ(t.calls, (std::vector<std::string>{"held by the handler", "below"}));

    // Replaces its own handler; the new one takes the next message.
    t.calls.clear();
    SubClass swapper;
    swapper.setHandler([&](HWND, UINT msg, WPARAM, LPARAM, LRESULT&, bool&) {
        if (msg != WM_APP) return;
        t.calls.push_back("old");
        swapper.setHandler(t.noting("new", WM_APP));
    });
    ASSERT_TRUE(swapper.setHWnd(b.get()));
    mover.detach();
    SendMessageA(b.get(), WM_APP, 0, 0);
    SendMessageA(b.get(), WM_APP, 0, 0);
    EXPECT_EQ(t.calls, (std::vector<std::string>{"old", "new"}));
}

TEST(SubClass, AHandlerMayDestroyTheWindow) {
    OwnedWindow w(createRecordingWindow());
    std::vector<UINT> seen;
    SubClass sub([&](HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT&, bool&) {
        seen.push_back(msg);
        if (msg == WM_APP) DestroyWindow(hwnd);
    });
    ASSERT_TRUE(sub.setHWnd(w.get()));
    SendMessageA(w.get(), WM_APP, 0, 0);
    EXPECT_FALSE(IsWindow(w.get()));
    EXPECT_FALSE(sub.attached());
    EXPECT_EQ(seen.back(), static_cast<UINT>(WM_NCDESTROY));
}

TEST(SubClass, AThrowingHandlerLetsTheMessageThrough) {
    OwnedWindow w(createRecordingWindow());
    SubClass sub([](HWND, UINT msg, WPARAM, LPARAM, LRESULT& result, bool& suppress) {
        if (msg != WM_APP) return;
        result = 5;
        suppress = true;
        throw std::runtime_error("handler failed");
    });
    ASSERT_TRUE(sub.setHWnd(w.get()));
    EXPECT_EQ(SendMessageA(w.get(), WM_APP, 0, 0), 7);
}

} // namespace
