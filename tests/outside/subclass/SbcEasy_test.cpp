// SbcEasy_test.cpp
// Mouse enter and exit reports. The pointer tests move the real pointer
// over one shown window (its leave reports come from the system's own
// tracking); the rest feed mouse messages to hidden windows.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "SbcEasy.h"
#include "test_windows.h"

using outside::SbcEasy;
using namespace subclasstest;

namespace {

// Notes each report as "enter:tag" / "exit:tag", and what tag() read then.
struct Reports {
    std::vector<std::string> events;
    std::vector<std::string> tagsRead;
    void wire(SbcEasy& sbc) {
        sbc.setMouseEnter([this, &sbc](const std::string& tag) {
            events.push_back("enter:" + tag);
            tagsRead.push_back(sbc.tag());
        });
        sbc.setMouseExit([this, &sbc](const std::string& tag) {
            events.push_back("exit:" + tag);
            tagsRead.push_back(sbc.tag());
        });
    }
    void clear() {
        events.clear();
        tagsRead.clear();
    }
};

using Events = std::vector<std::string>;

void mouseMove(HWND hwnd) { SendMessageA(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2)); }

// ---- The real pointer over a shown window --------------------------------

// Moving the pointer needs a shown window; one serves every test, because a
// shown top-level window is slow to destroy without a window manager.
class Pointer : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_top = createRecordingWindow(WS_POPUP | WS_VISIBLE, kLeft, kTop, 400, 200);
        // Above any window another test program may show meanwhile.
        SetWindowPos(s_top, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    static void TearDownTestSuite() {
        DestroyWindow(s_top);
        s_top = nullptr;
    }
    void SetUp() override {
        ASSERT_NE(s_top, nullptr);
        park();
        a.reset(createRecordingChild(s_top, 10, 10, 100, 50));
        b.reset(createRecordingChild(s_top, 110, 10, 100, 50)); // touches a
        ASSERT_NE(a.get(), nullptr);
        ASSERT_NE(b.get(), nullptr);
        reports.wire(sbc);
        ASSERT_TRUE(sbc.attach(s_top, "frameNoCombo"));
        ASSERT_TRUE(sbc.watch(a.get(), "button1"));
        ASSERT_TRUE(sbc.watch(b.get(), "button2"));
    }
    void TearDown() override {
        sbc.detach();
        park();
    }

    // Puts the pointer far from the window and lets its messages settle.
    static void park() {
        SetCursorPos(kParkX, kParkY);
        pumpUntil([] { return false; }, 100);
    }
    // Moves the pointer to a point of the shown window's client area and
    // pumps until `count` reports have come (or a second has passed).
    void pointAt(int x, int y, size_t count) {
        SetCursorPos(kLeft + x, kTop + y);
        pumpUntil([&] { return reports.events.size() >= count; }, 1000);
    }
    // Pumps a while longer, to let late reports show.
    static void settle() { pumpUntil([] { return false; }, 700); }

    static constexpr int kLeft = 100, kTop = 100, kParkX = 900, kParkY = 800;
    static HWND s_top;
    OwnedWindow a, b;
    Reports reports;
    SbcEasy sbc;
};
HWND Pointer::s_top = nullptr;

TEST_F(Pointer, MovingAcrossTwoAdjacentControlsLeavesEachBeforeEnteringTheNext) {
    pointAt(60, 35, 1);
    EXPECT_EQ(reports.events, Events{"enter:button1"});
    EXPECT_EQ(sbc.tag(), "button1");
    EXPECT_EQ(sbc.current(), a.get());

    // Straight into the neighbour: the system's leave of the first comes
    // after the move into the second, yet the exit is reported first.
    pointAt(160, 35, 3);
    settle();
    EXPECT_EQ(reports.events, (Events{"enter:button1", "exit:button1", "enter:button2"}));
    EXPECT_EQ(reports.tagsRead, (Events{"button1", "button1", "button2"}))
        << "during an exit the tag is that of the control left";

    // Back again, then onto the container's own area.
    pointAt(60, 35, 5);
    pointAt(300, 150, 7);
    settle();
    EXPECT_EQ(reports.events,
              (Events{"enter:button1", "exit:button1", "enter:button2", "exit:button2",
                      "enter:button1", "exit:button1", "enter:frameNoCombo"}));
    EXPECT_EQ(sbc.current(), s_top);
}

TEST_F(Pointer, LeavingTheContainerReportsTheExit) {
    pointAt(60, 35, 1);
    ASSERT_EQ(reports.events, Events{"enter:button1"});

    // Out of the window altogether: nothing of ours gets a mouse message,
    // only the system's leave tracking notices.
    SetCursorPos(kParkX, kParkY);
    pumpUntil([&] { return reports.events.size() >= 2; }, 3000);
    EXPECT_EQ(reports.events, (Events{"enter:button1", "exit:button1"}));
    EXPECT_EQ(sbc.current(), nullptr);
    EXPECT_EQ(sbc.tag(), "button1") << "the last entered tag stays";

    // The same from the container's own area.
    reports.clear();
    pointAt(300, 150, 1);
    SetCursorPos(kParkX, kParkY);
    pumpUntil([&] { return reports.events.size() >= 2; }, 3000);
    EXPECT_EQ(reports.events, (Events{"enter:frameNoCombo", "exit:frameNoCombo"}));
}

TEST_F(Pointer, DestroyingTheEnteredControlReportsItsExitAtOnce) {
    pointAt(60, 35, 1);
    ASSERT_EQ(reports.events, Events{"enter:button1"});
    a.reset();
    EXPECT_EQ(reports.events, (Events{"enter:button1", "exit:button1"}));
    EXPECT_EQ(sbc.current(), nullptr);

    pointAt(160, 35, 3);
    settle();
    EXPECT_EQ(reports.events, (Events{"enter:button1", "exit:button1", "enter:button2"}));
}

// ---- Mouse messages fed to hidden windows --------------------------------

class Fed : public ::testing::Test {
protected:
    void SetUp() override {
        top.reset(createRecordingWindow());
        frame.reset(createRecordingChild(top.get(), 0, 0, 300, 100));
        a.reset(createRecordingChild(frame.get(), 10, 10, 50, 20));
        b.reset(createRecordingChild(frame.get(), 70, 10, 50, 20));
        ASSERT_TRUE(a.get() && b.get());
        reports.wire(sbc);
        ASSERT_TRUE(sbc.attach(top.get()));
        ASSERT_TRUE(sbc.watch(frame.get(), "frameNoCombo")); // a grandchild's parent
        ASSERT_TRUE(sbc.watch(a.get(), "button0"));
        ASSERT_TRUE(sbc.watch(b.get(), "button7"));
    }

    OwnedWindow top, frame, a, b;
    Reports reports;
    SbcEasy sbc;
};

TEST_F(Fed, AJumpWithoutALeaveStillReportsTheExitFirst) {
    mouseMove(a.get());
    mouseMove(a.get()); // moving inside is no new entry
    mouseMove(b.get());
    mouseMove(frame.get());
    EXPECT_EQ(reports.events, (Events{"enter:button0", "exit:button0", "enter:button7",
                                      "exit:button7", "enter:frameNoCombo"}));

    // A leave for a control left long ago changes nothing; the current
    // control's own leave ends it.
    SendMessageA(a.get(), WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(reports.events.size(), 5u);
    SendMessageA(frame.get(), WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(reports.events.back(), "exit:frameNoCombo");
    EXPECT_EQ(sbc.current(), nullptr);
    EXPECT_EQ(sbc.tag(), "frameNoCombo");
}

TEST_F(Fed, AControlThatGoesAwayIsLeftFirst) {
    // Destroyed: the exit comes before the window is gone.
    mouseMove(a.get());
    HWND gone = a.get();
    a.reset();
    EXPECT_EQ(reports.events, (Events{"enter:button0", "exit:button0"}));
    mouseMove(b.get());
    EXPECT_EQ(reports.events.back(), "enter:button7");

    // Hidden, by either call.
    reports.clear();
    ShowWindow(b.get(), SW_HIDE);
    EXPECT_EQ(reports.events, Events{"exit:button7"});
    ShowWindow(b.get(), SW_SHOWNA);
    mouseMove(b.get());
    SetWindowPos(b.get(), nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(reports.events, (Events{"exit:button7", "enter:button7", "exit:button7"}));
    ShowWindow(b.get(), SW_SHOWNA);

    // No longer watched: left, and then ignored.
    reports.clear();
    mouseMove(b.get());
    sbc.unwatch(b.get());
    mouseMove(b.get());
    EXPECT_EQ(reports.events, (Events{"enter:button7", "exit:button7"}));

    // The whole watch dropped.
    reports.clear();
    mouseMove(frame.get());
    sbc.detach();
    mouseMove(frame.get());
    EXPECT_EQ(reports.events, (Events{"enter:frameNoCombo", "exit:frameNoCombo"}));
    EXPECT_EQ(sbc.container(), nullptr);
    EXPECT_FALSE(sbc.watch(gone, "button0"));
}

TEST_F(Fed, DestroyingTheContainerEndsTheWatch) {
    mouseMove(b.get());
    top.reset();
    EXPECT_EQ(reports.events, (Events{"enter:button7", "exit:button7"}));
    EXPECT_EQ(sbc.container(), nullptr);
    EXPECT_EQ(sbc.current(), nullptr);
}

TEST_F(Fed, OnlyControlsInsideTheContainerAreWatched) {
    OwnedWindow outsider(createRecordingWindow());
    EXPECT_FALSE(sbc.watch(outsider.get(), "elsewhere"));
    EXPECT_FALSE(sbc.watch(nullptr, "none"));
    EXPECT_FALSE(sbc.watch(top.get(), "itself"));
    mouseMove(outsider.get());
    EXPECT_TRUE(reports.events.empty());

    // A control watched again takes its new tag.
    EXPECT_TRUE(sbc.watch(a.get(), "button3"));
    mouseMove(a.get());
    EXPECT_EQ(reports.events, Events{"enter:button3"});

    SbcEasy fresh;
    EXPECT_FALSE(fresh.watch(a.get(), "button1")) << "no container yet";
    EXPECT_FALSE(fresh.attach(nullptr));
}

TEST_F(Fed, CallbacksMayChangeTheWatchOrEndIt) {
    // An exit callback that stops watching the control about to be entered.
    sbc.setMouseExit([&](const std::string& tag) {
        reports.events.push_back("exit:" + tag);
        sbc.unwatch(b.get());
    });
    mouseMove(a.get());
    mouseMove(b.get());
    EXPECT_EQ(reports.events, (Events{"enter:button0", "exit:button0"}));
    EXPECT_EQ(sbc.current(), nullptr);

    // An exit callback that moves the pointer into another control: that
    // one is entered and left again before the new one is entered.
    reports.clear();
    reports.wire(sbc);
    ASSERT_TRUE(sbc.watch(b.get(), "button7"));
    mouseMove(a.get());
    bool once = true;
    sbc.setMouseExit([&](const std::string& tag) {
        reports.events.push_back("exit:" + tag);
        if (std::exchange(once, false)) mouseMove(b.get());
    });
    mouseMove(frame.get());
    EXPECT_EQ(reports.events, (Events{"enter:button0", "exit:button0", "enter:button7",
                                      "exit:button7", "enter:frameNoCombo"}));

    // A callback that destroys the object itself.
    auto owned = std::make_unique<SbcEasy>();
    ASSERT_TRUE(owned->attach(top.get()));
    ASSERT_TRUE(owned->watch(a.get(), "button0"));
    ASSERT_TRUE(owned->watch(b.get(), "button7"));
    int exits = 0, enters = 0;
    owned->setMouseExit([&](const std::string&) {
        ++exits;
        owned.reset();
    });
    owned->setMouseEnter([&](const std::string&) { ++enters; });
    mouseMove(a.get());
    mouseMove(b.get());
    EXPECT_EQ(owned, nullptr);
    EXPECT_EQ(enters, 1);
    EXPECT_EQ(exits, 1);
    mouseMove(a.get()); // nothing of it is left on the windows
}

TEST_F(Fed, NoReportsFromTheDestructor) {
    int events = 0;
    {
        SbcEasy scoped;
        ASSERT_TRUE(scoped.attach(top.get()));
        ASSERT_TRUE(scoped.watch(a.get(), "button0"));
        scoped.setMouseEnter([&](const std::string&) { ++events; });
        scoped.setMouseExit([&](const std::string&) { ++events; });
        mouseMove(a.get());
    }
    EXPECT_EQ(events, 1);
    mouseMove(b.get());
    EXPECT_EQ(events, 1);
}

} // namespace
