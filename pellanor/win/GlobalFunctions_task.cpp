// GlobalFunctions_task.cpp
// The module's scheduling routines: the Windows logon test and the
// creation of the daily task that starts the program.
#include "pellanor/win/GlobalFunctions.h"

#include <stdexcept>

#include "pellanor/win/Module1.h"
#include "dataManipulation.h"
#include "frmLogin.h"
#include "frmSchedule.h"
#include "schedule_rules.h"
#include "seams.h"
#include "settings_rules.h"
#include "text_fields.h"
#include "verse_file.h"

namespace {

using frmScheduleRules::check;
using dataManipulation::kErrorCaption;
using frmScheduleRules::normalPointer;

// Trims blanks off both ends of a secret in place, zeroing the characters
// that move or fall away so no copy is left in the buffer.
void trimSecret(std::string& secret) {
    size_t first = secret.find_first_not_of(' ');
    if (first == std::string::npos) {
        secureWipe(secret);
        return;
    }
    size_t last = secret.find_last_not_of(' ');
    size_t n = last - first + 1;
    for (size_t i = 0; i < n; ++i) secret[i] = secret[first + i];
    SecureZeroMemory(secret.data() + n, secret.size() - n);
    secret.resize(n);
}

// The program's executable name without its extension.
std::string programName() {
    char path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string file = OrvaneAutoUpdateMod::afterLast(std::string(path, n), "\\");
    size_t dot = file.rfind('.');
    return dot == std::string::npos ? file : file.substr(0, dot);
}

} // namespace

namespace GlobalFunctions {

Outcome testPassword(std::string& userName, std::string& password, HWND owner) {
    const Outcome logon = userAction::run({owner, "testPassword", kErrorCaption, MB_ICONINFORMATION}, [&] {
        userName = std::string(verse_file::trimBlanks(userName));
        trimSecret(password);
        std::string account = OrvaneAutoUpdateMod::afterLast(userName, "\\");
        std::string domain;
        if (userName.find('\\') != std::string::npos) domain = OrvaneAutoUpdateMod::getField(userName, 0, "\\");
        SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_APPSTARTING)));
        if (!seams::logonUser(account, domain, password)) return Outcome::Failed;
        gWindowsUser = userName;
        return Outcome::Ok;
    });
    normalPointer();
    return logon;
}

Outcome createScheduledTask(HWND owner, taskscheduler::TaskCollection& taskService, const std::string& timeText,
                            long enabledValue, const std::string& userName, std::string password) {
    using namespace taskscheduler;
    action_rule::ActionRule::Action action(gActionRule);
    const std::string name = frmScheduleRules::taskNameFor(userName);
    const Outcome made = userAction::attempt([&] {
        std::shared_ptr<Task> task;
        check(taskService.find(name, task));
        // A task of this name whose program cannot be read back is taken as
        // this program's own: only one of a name can be stored, so adding
        // another could only fail.
        std::string path;
        if (task && (task->name() != name || (SUCCEEDED(task->programPath(path)) && path.empty()))) task.reset();
        if (!task) check(taskService.add(name, task));

        check(task->setAccountInformation(OrvaneAutoUpdateMod::afterLast(userName, "\\"), password));
        secureWipe(password);
        check(task->setProgramPath(seams::programFolder() + "\\" + programName()));
        check(task->setComment(std::string(settings_rules::kProductTitle) + " Program Scheduler"));

        std::shared_ptr<TriggerList> triggers;
        check(task->triggers(triggers));
        // Where the stored triggers cannot be counted, the task gets a new
        // one, the only one then known to hold the chosen time.
        long count = 0;
        if (FAILED(triggers->count(count))) count = 0;
        std::shared_ptr<Trigger> trigger;
        check(count == 0 ? triggers->add(trigger) : triggers->item(1, trigger));
        long seconds = schedule_rules::parseTimeOfDay(timeText);
        if (seconds < 0) throw std::runtime_error("time");
        SYSTEMTIME now{};
        GetLocalTime(&now);
        SYSTEMTIME start{};
        start.wHour = static_cast<WORD>(seconds / 3600);
        start.wMinute = static_cast<WORD>(seconds / 60 % 60);
        start.wSecond = static_cast<WORD>(seconds % 60);
        check(trigger->setType(kTriggerDaily));
        check(trigger->setBeginDay(now));
        check(trigger->setStartTime(start));

        DWORD flags = 0;
        check(task->flags(flags));
        check(task->setFlags(flags | kFlagInteractive));
        check(task->flags(flags));
        check(task->setFlags(enabledValue == 1 ? flags & ~kFlagDisabled : flags | kFlagDisabled));
        check(task->save(0));
        return Outcome::Ok;
    });
    secureWipe(password);
    if (failed(made)) frmScheduleRules::reportTaskNotCreated(owner, name);
    return made;
}

} // namespace GlobalFunctions

