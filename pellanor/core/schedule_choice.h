// schedule_choice.h
// What the scheduling dialog's OK does with the user's choice: the
// program's own scheduler takes the box as typed; the Windows scheduler is
// chosen only once the password was accepted and the task made, so that a
// refusal or a failed task changes no choice and saves nothing. What needs
// the system (the logon, the task) is behind WindowsSteps; the settings go
// to a settings_store::Store.
#pragma once

#include <string>
#include <string_view>

#include "settings_store.h"

namespace schedule_choice {

// The program-wide scheduler choice, state and time.
using Scheduler = settings_store::SchedulerSettings;

// What the dialog holds at OK: the tab chosen, that tab's box and time,
// and whether the password box is blank (blanks only).
struct Choice {
    bool windowsTab = false;
    bool checked = false;
    std::string time;
    bool passwordBlank = true;
};

// A password of blanks only (or none) is not tried.
bool blankPassword(std::string_view password);

// The Windows tab's steps.
class WindowsSteps {
public:
    virtual ~WindowsSteps() = default;
    // True when the system accepted the typed name and password.
    virtual bool logon() = 0;
    // Tells the user a password is needed (the dialog stays open).
    virtual void passwordRefused() = 0;
    // Makes or updates the daily task at time, on or off; false when it
    // failed (the user has been told).
    virtual bool createTask(const std::string& time, bool enabled) = 0;
};

enum class Applied { Saved, PasswordRefused, TaskNotCreated };

// Applies choice to scheduler and saves the three settings when it took.
Applied applyOk(const Choice& choice, Scheduler& scheduler, settings_store::Store& store, WindowsSteps& steps);

} // namespace schedule_choice
