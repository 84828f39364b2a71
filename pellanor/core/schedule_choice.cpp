// schedule_choice.cpp
#include "schedule_choice.h"

namespace schedule_choice {

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
    settings_store::save(store, settings::useTheWindowsScheduler, settings_rules::booleanText(scheduler.useWindowsScheduler));
    settings_store::save(store, settings::schedulerTime, scheduler.time);
    settings_store::save(store, settings::schedulerEnabled, settings_rules::booleanText(scheduler.enabled));
    return Applied::Saved;
}

} // namespace schedule_choice
