// frmSchedule_task.cpp
// The scheduling dialog's rules: its times, task names and messages.
#include "frmSchedule.h"

#include <stdexcept>

#include "pellanor/win/Module1.h"
#include "dataManipulation.h"
#include "schedule_rules.h"
#include "seams.h"
#include "text_fields.h"
#include "verse_file.h"


namespace frmScheduleRules {

void check(HRESULT hr) {
    if (FAILED(hr)) throw std::runtime_error("step failed");
}

void normalPointer() { SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW))); }

std::array<std::string, 48> timeList() {
    std::array<std::string, 48> times;
    for (int i = 0; i < 48; ++i) {
        int minutes = (4 * 60 + i * 30) % (24 * 60);
        int h24 = minutes / 60;
        int h12 = h24 % 12 == 0 ? 12 : h24 % 12;
        times[static_cast<size_t>(i)] = std::to_string(h12) + (minutes % 60 ? ":30" : ":00") + (h24 < 12 ? " AM" : " PM");
    }
    return times;
}

std::string taskNameFor(const std::string& userName) {
    return OrvaneAutoUpdateMod::afterLast(userName, "\\") + "_Pellanor";
}

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
