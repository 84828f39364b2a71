// held_button_test.cpp
#include "held_button.h"

#include <gtest/gtest.h>

using namespace held_button;

namespace {

TEST(HeldButton, NextHeldRepeatsAfterHalfASecondThenEvery300ms) {
    Repeat held;
    EXPECT_TRUE(held.press(kNext, kLeft));
    EXPECT_TRUE(held.running());
    EXPECT_EQ(held.interval(), 500u);
    EXPECT_EQ(held.tick(), kNext);
    EXPECT_EQ(held.interval(), 300u);
    EXPECT_EQ(held.tick(), kNext);
    held.release();
    EXPECT_FALSE(held.running());
    EXPECT_EQ(held.interval(), 500u);
    EXPECT_TRUE(held.clickCounts(kNext)) << "the click on release adds one more step";

    EXPECT_FALSE(held.press(kPrevious, kRight)) << "only the left button repeats";
    EXPECT_FALSE(held.running());
    held.release();
    EXPECT_FALSE(held.clickCounts(kPrevious)) << "a right click does nothing";
    held.press(kPrevious, kLeft);
    held.release();
    EXPECT_TRUE(held.clickCounts(kPrevious)) << "the next left press clears that state";

    EXPECT_FALSE(held.press(2, kLeft)) << "only Previous and Next repeat";
    EXPECT_EQ(held.tick(), -1);
    EXPECT_FALSE(held.running());
    EXPECT_TRUE(held.clickCounts(7));
    EXPECT_FALSE(held.clickCounts(8));
}

// A failed step ends the repeat: the box took the mouse, the release will
// not come. A release during the step's box ends it too.
TEST(HeldButton, AFailedStepOrAReleaseDuringItEndsTheRepeat) {
    Repeat held;
    held.press(kPrevious, kLeft);
    EXPECT_EQ(held.tick(), kPrevious);
    held.stepFailed();
    EXPECT_FALSE(held.running());
    EXPECT_EQ(held.interval(), 500u) << "the next press waits the first delay again";
    EXPECT_EQ(held.tick(), -1);

    held.press(kNext, kLeft);
    EXPECT_EQ(held.tick(), kNext);
    held.release();
    EXPECT_FALSE(held.running());
    EXPECT_EQ(held.interval(), 500u);
}

TEST(HeldButton, PressedPictureFollowsThePointer) {
    const int width = 44, height = 24;
    EXPECT_TRUE(pointerOver(5, 5, width, height));
    EXPECT_FALSE(pointerOver(0, 5, width, height)) << "X = 0 counts as outside";
    EXPECT_TRUE(pointerOver(3, 0, width, height)) << "Y = 0 counts as inside";
    EXPECT_TRUE(pointerOver(width, height, width, height));
    EXPECT_FALSE(pointerOver(width + 1, 3, width, height));
    EXPECT_FALSE(pointerOver(3, -1, width, height));
    EXPECT_FALSE(pointerOver(3, height + 1, width, height));
}

} // namespace
