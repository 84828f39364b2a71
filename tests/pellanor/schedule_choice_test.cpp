// schedule_choice_test.cpp
// What the scheduling dialog's OK stores and when, with the settings in
// memory and the logon and task recorded.
#include "schedule_choice.h"
#include "memory_store.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>

using schedule_choice::Applied;
using schedule_choice::Choice;
using schedule_choice::Scheduler;

namespace {

using testsupport::MemoryStore;

// The logon answers accept; the task is made unless taskFails.
class RecordedSteps : public schedule_choice::WindowsSteps {
public:
    bool logon() override {
        ++logons;
        return accept;
    }
    void passwordRefused() override { ++refusals; }
    bool createTask(const std::string& time, bool enabled) override {
        tasks.push_back({time, enabled});
        return !taskFails;
    }
    bool accept = true, taskFails = false;
    int logons = 0, refusals = 0;
    std::vector<std::pair<std::string, bool>> tasks;
};

class ScheduleChoice : public ::testing::Test {
protected:
    // The choice the dialog opened with: its own scheduler, on, at 7:15 PM.
    Scheduler scheduler{false, true, "7:15 PM"};
    MemoryStore store;
    RecordedSteps steps;

    Applied ok(bool windowsTab, bool checked, const std::string& time, const std::string& password) {
        Choice c;
        c.windowsTab = windowsTab;
        c.checked = checked;
        c.time = time;
        c.passwordBlank = schedule_choice::blankPassword(password);
        return schedule_choice::applyOk(c, scheduler, store, steps);
    }
    void expectNothingChanged() {
        EXPECT_FALSE(scheduler.useWindowsScheduler) << "the choice waits for an accepted password";
        EXPECT_TRUE(scheduler.enabled);
        EXPECT_EQ(scheduler.time, "7:15 PM");
        EXPECT_EQ(store.setting("useTheWindowsScheduler"), "(none)");
        EXPECT_TRUE(store.values.empty());
    }
};

TEST_F(ScheduleChoice, OwnSchedulerSavesTheBoxAsTyped) {
    scheduler.useWindowsScheduler = true;
    EXPECT_EQ(ok(false, false, "10:30 PM", ""), Applied::Saved);
    EXPECT_FALSE(scheduler.useWindowsScheduler);
    EXPECT_FALSE(scheduler.enabled);
    EXPECT_EQ(scheduler.time, "10:30 PM");
    EXPECT_EQ(store.setting("useTheWindowsScheduler"), "False");
    EXPECT_EQ(store.setting("TamberlyschedulerEnabled"), "False");
    EXPECT_EQ(store.setting("TamberlyschedulerTime"), "10:30 PM");
    EXPECT_EQ(steps.logons, 0);
    EXPECT_TRUE(steps.tasks.empty());
}

// Without the NT family the name and password boxes are disabled and
// empty: the Windows tab always wants a password.
TEST_F(ScheduleChoice, BlankOrRefusedPasswordSavesNothingAndChangesNoChoice) {
    for (const char* blank : {"", "   "}) {
        EXPECT_EQ(ok(true, true, "8:00 AM", blank), Applied::PasswordRefused);
        EXPECT_EQ(steps.logons, 0) << "a blank password is not even tried";
    }
    EXPECT_EQ(steps.refusals, 2);

    steps.accept = false;
    EXPECT_EQ(ok(true, true, "8:00 AM", " wrong "), Applied::PasswordRefused);
    EXPECT_EQ(steps.logons, 1);
    EXPECT_EQ(steps.refusals, 3);
    EXPECT_TRUE(steps.tasks.empty());
    expectNothingChanged();
}

TEST_F(ScheduleChoice, AcceptedPasswordMakesTheTaskThenChoosesTheWindowsScheduler) {
    EXPECT_EQ(ok(true, true, "6:30 AM", " s3cret "), Applied::Saved);
    ASSERT_EQ(steps.tasks.size(), 1u);
    EXPECT_EQ(steps.tasks[0], (std::pair<std::string, bool>{"6:30 AM", true}));
    EXPECT_TRUE(scheduler.useWindowsScheduler);
    EXPECT_FALSE(scheduler.enabled);
    EXPECT_EQ(store.setting("useTheWindowsScheduler"), "True");
    EXPECT_EQ(store.setting("TamberlyschedulerEnabled"), "False");
    EXPECT_EQ(store.setting("TamberlyschedulerTime"), "7:15 PM") << "the own scheduler's time is kept";

    // Again, box unchecked and another time: the task is made off.
    EXPECT_EQ(ok(true, false, "9:00 PM", "s3cret"), Applied::Saved);
    ASSERT_EQ(steps.tasks.size(), 2u);
    EXPECT_EQ(steps.tasks[1], (std::pair<std::string, bool>{"9:00 PM", false}));
    EXPECT_FALSE(scheduler.useWindowsScheduler) << "the box was cleared";
    EXPECT_EQ(store.setting("useTheWindowsScheduler"), "False");
}

TEST_F(ScheduleChoice, FailedTaskSavesNothing) {
    steps.taskFails = true;
    EXPECT_EQ(ok(true, true, "8:00 AM", "s3cret"), Applied::TaskNotCreated);
    EXPECT_EQ(steps.logons, 1);
    EXPECT_EQ(steps.refusals, 0) << "the task's own report is the one box";
    expectNothingChanged();
}

} // namespace
