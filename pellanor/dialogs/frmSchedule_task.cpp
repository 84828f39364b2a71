// frmSchedule_task.cpp
// The scheduling dialog's Windows helpers: a task's start time, the
// system's time format and the task-not-made message.
#include "frmSchedule.h"

#include <stdexcept>

#include "pellanor/win/Module1.h"
#include "dataManipulation.h"
#include "schedule_rules.h"
#include "seams.h"

namespace frmScheduleRules {

void check(HRESULT hr) {
    if (FAILED(hr)) throw std::runtime_error("step failed");
}

void normalPointer() { SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW))); }

bool firstStartTime(taskscheduler::Task& task, long& seconds) {
    std::shared_ptr<taskscheduler::TriggerList> triggers;
    long count = 0;
    std::shared_ptr<taskscheduler::Trigger> trigger;
    SYSTEMTIME start{};
    if (FAILED(task.triggers(triggers)) || !triggers || FAILED(triggers->count(count)) || count < 1 ||
        FAILED(triggers->item(1, trigger)) || !trigger || FAILED(trigger->startTime(start)))
        return false;
    seconds = start.wHour * 3600L + start.wMinute * 60L + start.wSecond;
    return true;
}

std::string timeText(long seconds) {
    SYSTEMTIME st{};
    st.wYear = 2000;
    st.wMonth = 1;
    st.wDay = 1;
    st.wHour = static_cast<WORD>(seconds / 3600 % 24);
    st.wMinute = static_cast<WORD>(seconds / 60 % 60);
    st.wSecond = static_cast<WORD>(seconds % 60);
    char buf[64] = {};
    if (GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, buf, sizeof buf) <= 0) return {};
    return buf;
}

void reportTaskNotCreated(HWND owner, const std::string& name) {
    dataManipulation::showMessage(
        owner,
        "Unable to create a Scheduled Task with the name: " + name + ".   \r\n" +
            "This is probably because a task with the same name already exists.  You will need to delete the " +
            "existing scheduled task before you will be able to set up a new schedule.  ",
        "Schedule was Not Created....", MB_ICONINFORMATION);
}

} // namespace frmScheduleRules
