// main_menus_test.cpp
#include "main_menus.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The sound devices are counted once; a run without a device keeps the
// stored choice for the next run that has one.
TEST(MainMenus, SoundStateIsDecidedByTheCount) {
    for (const bool devices : {false, true})
    for (const bool saved : {true, false}) {
        SCOPED_TRACE(std::string(saved ? "True" : "False") + (devices ? " with a device" : " without a device"));
        const main_menus::Offer o = main_menus::offer(false, devices ? 1u : 0u, saved);
        EXPECT_EQ(o.soundsItem, devices);
        EXPECT_EQ(o.soundsOn, devices && saved);
        if (devices) {
            EXPECT_EQ(o.soundsOn, saved) << "the check mark";
        }
        EXPECT_EQ(o.offered(), devices);
        EXPECT_TRUE(o.updatesEnabled);
    }
}

TEST(MainMenus, LimitedAccessDisablesSoundsAndUpdates) {
    EXPECT_TRUE(main_menus::offer(false, 1, true).updatesEnabled);
    const main_menus::Offer limited = main_menus::offer(true, 1, true);
    EXPECT_FALSE(limited.updatesEnabled);
    EXPECT_FALSE(limited.soundsEnabled);
    EXPECT_FALSE(limited.soundsOn);
    EXPECT_FALSE(limited.offered()) << "the choice the run could not offer is kept";
}

} // namespace
