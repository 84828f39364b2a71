// main_layout_test.cpp
#include "main_layout.h"

#include <gtest/gtest.h>

using namespace main_layout;

namespace {

// The window as it is made at 96 dpi: a frame of 8 pixels either side, the
// buttons' pictures as the program's resources draw them.
constexpr int kFrame = 8;

Input windowOf(int width, int height, bool scheduler = false) {
    Input in;
    in.windowWidth = width;
    in.clientWidth = width - 2 * kFrame;
    in.clientHeight = height - 2 * kFrame - 23;
    in.twipsX = in.twipsY = 15;
    for (int i = 0; i < kButtons; ++i) in.buttons[static_cast<size_t>(i)] = {48, 40};
    in.buttons[Previous] = in.buttons[Next] = {44, 24};
    in.schedulerShown = scheduler;
    in.comboHeight = 21;
    return in;
}

TEST(MainLayout, ControlsFollowTheWindowSize) {
    for (int cx : {520, 640, 1000}) {
        const int cy = cx == 520 ? 260 : cx == 640 ? 480 : 700;
        const Input in = windowOf(cx, cy);
        const Layout laid = place(in);
        EXPECT_EQ(laid.verse.left, 5) << cx;
        EXPECT_EQ(laid.verse.width, in.clientWidth - 10) << cx;
        // Quit sits 300 twips (20 pixels) in from the right of the bar.
        EXPECT_EQ(in.windowWidth - laid.buttons[Quit].right() - 20 + kFrame >= 0, true);
        EXPECT_EQ(laid.buttons[Next].left, (in.windowWidth * 15 - 1000) / 15) << cx;
        EXPECT_EQ(laid.buttons[Previous].left, 80 / 15);
        EXPECT_EQ(laid.topicList.x, 0);
        // The sleep button sits left of Add verses, the scheduler hidden.
        EXPECT_EQ(laid.buttons[AddVerses].left - laid.buttons[Sleep].right(), 125 / 15) << cx;
    }
}

TEST(MainLayout, ReferenceBoxSitsBetweenPreviousAndNext) {
    for (int cx : {510, 600, 1000}) {
        const Layout laid = place(windowOf(cx, cx == 510 ? 200 : cx == 600 ? 440 : 700));
        const Rect prev = laid.buttons[Previous], next = laid.buttons[Next], r = laid.references;
        EXPECT_GT(r.left, prev.right()) << cx;
        EXPECT_LT(r.right(), next.left) << cx << ": not under Next";
        EXPECT_EQ(r.left - prev.right(), next.left - r.right()) << cx << ": the same gap either side";
    }
}

TEST(MainLayout, SchedulerButtonMakesItsGap) {
    const Layout laid = place(windowOf(600, 440, true));
    EXPECT_EQ(laid.buttons[Scheduler].left - laid.buttons[Sleep].right(), 75 / 15);
    EXPECT_EQ(laid.buttons[AddVerses].left - laid.buttons[Scheduler].right(), 125 / 15);
}

TEST(MainLayout, WindowPlace) {
    EXPECT_FALSE(savedPlace(0, 3000, 6500, 6500, 15, 15)) << "MainLeft 0 keeps the designed place";
    const std::optional<Rect> r = savedPlace(1500, 1200, 9000, 6000, 15, 15);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->left, 100);
    EXPECT_EQ(r->top, 80);
    EXPECT_EQ(r->width, 600);
    EXPECT_EQ(r->height, 400);
}

// A place saved on a screen that is no longer there.
TEST(MainLayout, WindowPlaceOffEveryScreenComesOntoTheNearest) {
    const Rect screen{0, 0, 1280, 994};
    // Right of the only screen, as a removed second monitor leaves it.
    Rect r = ontoScreen({screen.right() + 300, 150, 600, 400}, screen);
    EXPECT_EQ(r.right(), screen.right()) << "at the edge nearest to where it was";
    EXPECT_EQ(r.top, 150) << "the height on the screen is kept";
    EXPECT_EQ(r.width, 600);
    EXPECT_EQ(r.height, 400);

    // Far below, and larger than the screen.
    r = ontoScreen({40, screen.bottom() + 2000, screen.width + 500, 400}, screen);
    EXPECT_EQ(r.left, screen.left);
    EXPECT_EQ(r.right(), screen.right()) << "no wider than the screen";
    EXPECT_EQ(r.bottom(), screen.bottom());

    // A work area that does not start at the origin (a taskbar at the top).
    r = ontoScreen({-900, -700, 600, 400}, {0, 30, 1280, 994});
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 30);
}

} // namespace
