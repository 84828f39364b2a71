// schedule_choice.cpp
#include "schedule_choice.h"

namespace schedule_choice {

namespace {
const char* booleanText(bool value) { return value ? "True" : "False"; }
} // namespace

bool blankPassword(std::string_view password) { return password.find_first_not_of(' ') == std::string_view::npos; }

Applied applyOk(const Choice& choice, Scheduler& scheduler, settings_store::Store& store, WindowsSteps& steps) {
    namespace settings = settings_rules::settings;
    if (choice.windowsTab) {
        if (choice.passwordBlank || !steps.logon()) {
            steps.passwordRefused();
            return Applied::PasswordRefused;
        }
        if (!steps.createTask(choice.time, choice.checked)) return Applied::TaskNotCreated;
        scheduler.useWindowsScheduler = choice.checked;
        scheduler.enabled = false;
    } else {
        scheduler.useWindowsScheduler = false;
        scheduler.enabled = choice.checked;
        scheduler.time = choice.time;
    }
    settings_store::save(store, settings::useTheWindowsScheduler, booleanText(scheduler.useWindowsScheduler));
    settings_store::save(store, settings::schedulerTime, scheduler.time);
    settings_store::save(store, settings::schedulerEnabled, booleanText(scheduler.enabled));
    return Applied::Saved;
}

} // namespace schedule_choice
