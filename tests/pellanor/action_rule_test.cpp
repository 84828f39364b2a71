// action_rule_test.cpp
#include "action_rule.h"

#include <gtest/gtest.h>

using action_rule::ActionRule;

namespace {

// A rule over its flag, and the message routine's part: a box when the
// rule allows one, and the box is then the action's.
class Rule : public ::testing::Test {
protected:
    void message() {
        if (!rule.mayShowBox()) return;
        ++boxes;
        rule.boxShown();
    }
    bool shown = false;
    ActionRule rule{shown};
    int boxes = 0;
};

} // namespace

// One box per user action: an action run inside another joins it; a modal
// form or a tick starts a level of its own and gives the interrupted
// action back its state; the user's answer lets the next box show.
TEST_F(Rule, NestedActionsShowOneBoxAndLevelsStandAlone) {
    shown = true; // left over from an earlier action
    {
        ActionRule::Action outer(rule);
        EXPECT_FALSE(shown) << "the first action of a level clears the flag";
        {
            ActionRule::Action inner(rule);
            message();
        }
        EXPECT_EQ(boxes, 1) << "the inner action's message is the action's box";
        {
            ActionRule::Action secondInner(rule);
            EXPECT_TRUE(shown) << "a nested action clears nothing";
            message();
        }
        EXPECT_EQ(boxes, 1);
        {
            ActionRule::Level modal(rule);
            EXPECT_EQ(rule.depth(), 0);
            ActionRule::Action inModal(rule);
            message();
            EXPECT_EQ(boxes, 2) << "an action of a new level shows its own box";
        }
        EXPECT_TRUE(shown) << "the interrupted action goes on as it was";
        EXPECT_EQ(rule.depth(), 1);
        rule.answered();
        message();
        EXPECT_EQ(boxes, 3) << "after the answer";
        message();
        EXPECT_EQ(boxes, 3) << "the outer failure is only logged";
    }
    EXPECT_EQ(rule.depth(), 0);
    ActionRule::Action next(rule);
    message();
    EXPECT_EQ(boxes, 4) << "the next action shows its box";
}

// A level that ends gives back the flag as the interrupted action had it,
// also when that action had shown nothing yet.
TEST_F(Rule, ALevelGivesBackANotYetShownAction) {
    ActionRule::Action waiting(rule);
    auto tick = [this] {
        ActionRule::Level level(rule);
        ActionRule::Action inTick(rule);
        message();
    };
    tick();
    EXPECT_EQ(boxes, 1);
    EXPECT_FALSE(shown);
    message();
    EXPECT_EQ(boxes, 2) << "the interrupted action still has its box";
}

// While the program closes or the session ends no box shows, in whatever
// action or level runs inside; the flag is left as the rule found it.
TEST_F(Rule, HeldBoxesHoldAcrossActionsAndLevels) {
    {
        ActionRule::BoxesHeld closing(rule);
        ActionRule::Action unload(rule);
        message();
        {
            ActionRule::Level modal(rule);
            ActionRule::Action inModal(rule);
            message();
            rule.answered();
            message();
        }
        {
            ActionRule::BoxesHeld session(rule);
        }
        message();
        EXPECT_EQ(boxes, 0);
        EXPECT_FALSE(shown);
    }
    ActionRule::Action after(rule);
    message();
    EXPECT_EQ(boxes, 1) << "boxes show again once nothing holds them";
}
