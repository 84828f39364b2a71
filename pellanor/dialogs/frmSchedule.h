// frmSchedule.h
// The scheduling dialog: the user picks how the program wakes at a time of
// day, either by its own scheduler (the main window's poll of
// gSchedulerTime while gSchedulerEnabled is set) or by a Windows scheduled
// task that starts it daily under the user's account, after the Windows
// password has been checked with a network logon. OK applies the choice to
// the shared variables and saves the three scheduler settings at once;
// Cancel and the close box change nothing. Every close sets the main
// window's verse text back to the saved size.
//
// The password lives only in the password box and, while OK runs, in one
// string that is wiped after use; it is never saved or logged.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "outside/taskscheduler/TaskScheduler.h"
#include "dialog_shared.h"
#include "EnterField.h"
#include "schedule_rules.h"

class frmSchedule : public dialog_shared::CommandDialog {
public:
    // Makes the task collection the dialog works on.
    using TaskServiceFactory = std::function<HRESULT(std::unique_ptr<taskscheduler::TaskCollection>&)>;

    // Creates the dialog (hidden) over owner and runs its load.
    explicit frmSchedule(HWND owner, TaskServiceFactory factory = taskscheduler::createTaskCollection);
    ~frmSchedule() override;

    // What the main window's menu calls: the dialog, modal over owner.
    static void showDialog(HWND owner);

    // Handlers, public so that tests act as the user does.
    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdHelp_Click();
    // cancel comes back true when the typed time was refused (the focus
    // must stay in the box).
    void comboTime_Validate(int index, bool& cancel);
    void comboTime_Click();
    void chkSchedule_Click();
    void SSTab1_Click();
    // Selects tab 0 or 1 as a click on it does.
    void selectTab(int tab);

    // Controls.
    HWND SSTab1 = nullptr;
    std::array<HWND, 2> chkSchedule{};
    std::array<HWND, 2> comboTime{};
    std::array<HWND, 2> txtUserName{};
    HWND cmdOK = nullptr, cmdCancel = nullptr, cmdHelp = nullptr;

    // Dialog state.
    std::unique_ptr<taskscheduler::TaskCollection> taskService;
    std::string chosenTime;
    std::string taskName;
    std::array<long, 2> lastValidTime{}; // seconds since midnight
    bool formLoaded = false;
    bool timeValid = true;

    static constexpr const char* kCaption = "Select the Scheduling Method and Time";
    static constexpr int kHelpContext = 1014;
    static constexpr const char* kPasswordFiller = "zxqmwrtkvbn";

protected:
    bool OnInit() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(int id, NMHDR* header, LRESULT& result) override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void OnOK() override;
    void OnCancel() override { cmdCancel_Click(); }
    void onClose() override { Form_QueryUnload(); }

private:
    void Form_Load();
    void Form_QueryUnload();
    void findExistingTask();
    bool makeTaskService();
    void passwordRefusal();
    void attachFields();
    void createTooltips();
    int currentTab() const;
    int focusedTimeBox() const; // -1 when no time box has the focus
    void comboTime_Focus(int index, bool gotFocus);
    void comboTime_Command(int index, int code); // a time box's notification

    TaskServiceFactory m_factory;
    std::array<std::unique_ptr<ui::EnterField>, 2> m_fields; // the two text boxes
    std::array<bool, 2> m_enterDone{};                      // a time box's Enter was valid
    HICON m_helpIcon = nullptr;
};

namespace frmScheduleRules {

// Throws std::runtime_error for a failed step, so that the handler's own
// failure message follows.
void check(HRESULT hr);
// The normal arrow pointer back.
void normalPointer();

// The times the time boxes list and the task's name (schedule_rules).
using schedule_rules::taskNameFor;
using schedule_rules::timeList;
// The start time of a task's first trigger (seconds since midnight); false
// when the task has no trigger or the scheduler cannot read it back.
bool firstStartTime(taskscheduler::Task& task, long& seconds);
// A time of day (seconds since midnight) in the system's time format.
std::string timeText(long seconds);
// Tells the user (through the message routine) that the task was not made.
void reportTaskNotCreated(HWND owner, const std::string& name);

} // namespace frmScheduleRules
