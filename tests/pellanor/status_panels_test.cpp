// status_panels_test.cpp
#include "status_panels.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace status_panels;

namespace {

// Widths as the main window measures them at 96 dpi: the designed 170, 85
// and 150, a verse count, a long topic and translation name, the sleep time
// at its longest.
Needs typical(int available) {
    Needs n;
    n.available = available;
    n.topicDesigned = 170;
    n.topicText = 160;
    n.topicLeast = 60;
    n.countDesigned = 85;
    n.countText = 90;
    n.translationDesigned = 150;
    n.translationText = 140;
    n.translationLeast = 60;
    n.sleepText = 120;
    return n;
}

int total(const Widths& w) { return w.topic - kTopicOverlap + w.count + w.translation + w.sleep; }

TEST(StatusPanels, RoomForAllKeepsTheDesignedWidthsAndTheLastPanelSprings) {
    Widths w = allot(typical(800));
    EXPECT_EQ(w.topic, 170);
    EXPECT_EQ(w.count, 90) << "as wide as its text when that is wider than designed";
    EXPECT_EQ(w.translation, 150);
    EXPECT_EQ(w.sleep, 800 - (167 + 90 + 150));
    EXPECT_EQ(total(w), 800);
}

TEST(StatusPanels, RoomBeyondTheTextsGoesFirstTranslationThenTopic) {
    // 527 needed at the designed widths.
    Widths w = allot(typical(520));
    EXPECT_EQ(w.translation, 143);
    EXPECT_EQ(w.topic, 170);
    w = allot(typical(510));
    EXPECT_EQ(w.translation, 140);
    EXPECT_EQ(w.topic, 163);
    EXPECT_EQ(w.sleep, 120);
    w = allot(typical(507));
    EXPECT_EQ(w.topic, 160) << "the shown name still whole";
    EXPECT_EQ(w.sleep, 120);
}

TEST(StatusPanels, ListsGiveWayBelowTheirNamesBeforeTheSleepTimeOrTheCount) {
    // 327: both lists at their least.
    for (int available = 510; available >= 327; available -= 7) {
        Widths w = allot(typical(available));
        EXPECT_EQ(w.sleep, 120) << available;
        EXPECT_EQ(w.count, 90) << available;
        EXPECT_EQ(total(w), available) << available;
        EXPECT_GE(w.topic, 60);
        EXPECT_GE(w.translation, 60);
    }
    // The topic box, with more above its least, gives until the two are
    // alike, then they give in turn.
    Widths w = allot(typical(490));
    EXPECT_EQ(w.topic, 143);
    EXPECT_EQ(w.translation, 140);
    w = allot(typical(400));
    EXPECT_EQ(w.topic + w.translation, 400 + 3 - 90 - 120);
    EXPECT_LE(std::abs(w.topic - w.translation), 1);
}

TEST(StatusPanels, NeverBelowTheListsLeast) {
    Widths w = allot(typical(250));
    EXPECT_EQ(w.topic, 60);
    EXPECT_EQ(w.translation, 60);
    EXPECT_EQ(w.count, 90);
    EXPECT_EQ(w.sleep, 250 - (57 + 90 + 60)) << "only now does the last panel lose";
}

TEST(StatusPanels, ALongerNameThanDesignedWidensTheTranslationPanel) {
    Needs n = typical(900);
    n.translationText = 210;
    EXPECT_EQ(allot(n).translation, 210);
    n.topicText = 240;
    EXPECT_EQ(allot(n).topic, 170) << "the topic box keeps its width; its list widens instead";
}

// The parts as the bar takes them: the last ends before the size grip, at
// every width the window takes; a maximised window has no grip.
TEST(StatusPanels, PanelsEndClearOfTheGrip) {
    const int grip = 17;
    for (int bar : {604, 984, 494}) {
        const int available = availableWidth(bar, grip, true, false);
        EXPECT_EQ(available, bar - grip);
        const Widths w = allot(typical(available));
        const std::array<int, 4> edges = partEdges(w, available);
        EXPECT_EQ(edges[0], w.topic - kTopicOverlap);
        EXPECT_EQ(edges[1] - edges[0], w.count) << bar;
        EXPECT_EQ(edges[2] - edges[1], w.translation) << bar;
        EXPECT_EQ(edges[3] - edges[2], w.sleep) << bar;
        EXPECT_LE(edges[3], bar - grip) << "clear of the grip";
    }
    EXPECT_EQ(availableWidth(604, grip, true, true), 604);
    EXPECT_EQ(availableWidth(604, grip, false, false), 604);
    // Even with no room left the last part keeps a pixel.
    const std::array<int, 4> edges = partEdges(allot(typical(100)), 100);
    EXPECT_EQ(edges[3], edges[2] + 1);
}

} // namespace
