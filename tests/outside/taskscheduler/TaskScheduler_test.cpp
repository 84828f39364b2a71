// TaskScheduler_test.cpp
// The wrapper over the real Task Scheduler of the test prefix: a task is
// stored, found again by name, refused as a duplicate, and deleted. What
// the scheduler reads back only partly under Wine (triggers, account) is
// tested through the dialog's fake; where Wine reads no triggers back, the
// wrapper reads them from the task's file, tested here with a file as
// Windows writes it.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "TaskScheduler.h"
#include "common/win32/handles.h"

using namespace taskscheduler;

namespace {

constexpr const char* kName = "wrapper_test_Pellanor";

std::shared_ptr<Task> findTask(TaskCollection& tasks, const std::string& name) {
    std::vector<std::shared_ptr<Task>> all;
    if (FAILED(tasks.refresh()) || FAILED(tasks.tasks(all))) return nullptr;
    auto it = std::find_if(all.begin(), all.end(), [&](const auto& t) { return t->name() == name; });
    return it == all.end() ? nullptr : *it;
}

class RealScheduler : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(createTaskCollection(tasks), S_OK);
        tasks->remove(kName); // left from an earlier run
    }
    void TearDown() override {
        if (tasks) tasks->remove(kName);
    }
    std::unique_ptr<TaskCollection> tasks;
};

TEST_F(RealScheduler, StoredTaskIsFoundByNameAndCanBeDeleted) {
    EXPECT_EQ(findTask(*tasks, kName), nullptr);
    std::shared_ptr<Task> asked;
    EXPECT_EQ(tasks->find(kName, asked), S_FALSE);
    EXPECT_EQ(asked, nullptr);
    EXPECT_EQ(tasks->find("", asked), E_INVALIDARG);

    std::shared_ptr<Task> task;
    ASSERT_EQ(tasks->add(kName, task), S_OK);
    std::string path = "x";
    ASSERT_EQ(task->programPath(path), S_OK);
    EXPECT_EQ(path, "") << "a new task starts no program";
    ASSERT_EQ(task->setProgramPath("C:\\Program Files\\Pellanor\\pellanor"), S_OK);
    ASSERT_EQ(task->programPath(path), S_OK);
    EXPECT_EQ(path, "C:\\Program Files\\Pellanor\\pellanor");
    ASSERT_EQ(task->setComment("Pellanor 2004 Program Scheduler"), S_OK);

    std::shared_ptr<TriggerList> triggers;
    ASSERT_EQ(task->triggers(triggers), S_OK);
    long n = -1;
    ASSERT_EQ(triggers->count(n), S_OK);
    EXPECT_EQ(n, 0);
    std::shared_ptr<Trigger> trigger;
    ASSERT_EQ(triggers->add(trigger), S_OK);
    ASSERT_EQ(trigger->setType(kTriggerDaily), S_OK);
    SYSTEMTIME at{};
    at.wHour = 6;
    at.wMinute = 30;
    ASSERT_EQ(trigger->setStartTime(at), S_OK);
    SYSTEMTIME back{};
    ASSERT_EQ(trigger->startTime(back), S_OK);
    EXPECT_EQ(back.wHour, 6);
    EXPECT_EQ(back.wMinute, 30);
    EXPECT_EQ(back.wSecond, 0);
    ASSERT_EQ(triggers->count(n), S_OK);
    EXPECT_EQ(n, 1);

    ASSERT_EQ(task->setFlags(kFlagInteractive | kFlagDisabled), S_OK);
    DWORD flags = 0;
    ASSERT_EQ(task->flags(flags), S_OK);
    EXPECT_EQ(flags, kFlagInteractive | kFlagDisabled);
    ASSERT_EQ(task->setAccountInformation("mary", "secret"), S_OK);
    ASSERT_EQ(task->save(0), S_OK);

    auto found = findTask(*tasks, kName);
    ASSERT_NE(found, nullptr) << "the stored task is enumerated by its name";
    EXPECT_EQ(found->name(), kName);
    ASSERT_EQ(tasks->find(kName, asked), S_OK) << "and found by it";
    ASSERT_NE(asked, nullptr);
    EXPECT_EQ(asked->name(), kName);
    // Wine reads no actions, triggers or flags of a stored task back; the
    // dialog's tests cover those through a fake.

    std::shared_ptr<Task> second;
    EXPECT_EQ(tasks->add(kName, second), HRESULT_FROM_WIN32(ERROR_FILE_EXISTS));
    EXPECT_EQ(second, nullptr);

    ASSERT_EQ(tasks->remove(kName), S_OK);
    EXPECT_EQ(findTask(*tasks, kName), nullptr);
    EXPECT_EQ(tasks->find(kName, asked), S_FALSE);
    EXPECT_EQ(asked, nullptr);
}

TEST_F(RealScheduler, RefusesWhatItCannotStore) {
    std::shared_ptr<Task> task;
    ASSERT_EQ(tasks->add(kName, task), S_OK);
    EXPECT_EQ(task->setFlags(kFlagDisabled | 2), E_INVALIDARG);
    EXPECT_EQ(task->save(1), E_INVALIDARG);
    std::shared_ptr<TriggerList> triggers;
    ASSERT_EQ(task->triggers(triggers), S_OK);
    std::shared_ptr<Trigger> trigger;
    EXPECT_EQ(triggers->item(1, trigger), E_INVALIDARG) << "no trigger yet";
    ASSERT_EQ(triggers->add(trigger), S_OK);
    EXPECT_EQ(trigger->setType(2), E_INVALIDARG);
    SYSTEMTIME bad{};
    bad.wHour = 24;
    EXPECT_EQ(trigger->setStartTime(bad), E_INVALIDARG);
    std::shared_ptr<Trigger> again;
    EXPECT_EQ(triggers->item(1, again), S_OK);
    EXPECT_EQ(triggers->item(0, again), E_INVALIDARG);
    EXPECT_EQ(triggers->item(2, again), E_INVALIDARG);
    std::shared_ptr<Task> empty;
    EXPECT_EQ(tasks->add("", empty), E_INVALIDARG);
}

TEST_F(RealScheduler, BeginDayAndStartTimeShareTheBoundaryWithoutDisturbingEachOther) {
    std::shared_ptr<Task> task;
    ASSERT_EQ(tasks->add(kName, task), S_OK);
    std::shared_ptr<TriggerList> triggers;
    ASSERT_EQ(task->triggers(triggers), S_OK);
    std::shared_ptr<Trigger> trigger;
    ASSERT_EQ(triggers->add(trigger), S_OK);
    SYSTEMTIME t{};
    t.wHour = 20;
    t.wMinute = 15;
    t.wSecond = 5;
    ASSERT_EQ(trigger->setStartTime(t), S_OK);
    SYSTEMTIME day{};
    day.wYear = 2031;
    day.wMonth = 2;
    day.wDay = 28;
    day.wHour = 3; // the time of a begin day is not its business
    ASSERT_EQ(trigger->setBeginDay(day), S_OK);
    SYSTEMTIME back{};
    ASSERT_EQ(trigger->startTime(back), S_OK);
    EXPECT_EQ(formatBoundary(back), L"2031-02-28T20:15:05");
}

// The scheduler's store of task files, with its trailing "\\"; "" when
// the system folder is not known.
std::string taskFolder() {
    char system[MAX_PATH] = {};
    if (!GetSystemDirectoryA(system, MAX_PATH)) return {};
    return std::string(system) + "\\Tasks\\";
}

// A task file in the scheduler's store, UTF-16 as the scheduler writes it.
bool plantTaskFile(const std::string& name, const std::wstring& xml) {
    const std::string folder = taskFolder();
    if (folder.empty()) return false;
    CreateDirectoryA(folder.c_str(), nullptr);
    win32::File f(CreateFileA((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!f) return false;
    std::wstring text = L"\xFEFF" + xml;
    DWORD n = 0;
    BOOL ok = WriteFile(f.get(), text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &n, nullptr);
    f.reset();
    return ok && n == text.size() * sizeof(wchar_t);
}

void removeTaskFile(const std::string& name) {
    const std::string folder = taskFolder();
    if (!folder.empty()) DeleteFileA((folder + name).c_str());
}

// A daily task as Windows stores it.
const std::wstring kWindowsTask =
    L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n"
    L"<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\r\n"
    L"  <Triggers><CalendarTrigger><StartBoundary>2026-01-01T07:30:00</StartBoundary>"
    L"<Enabled>true</Enabled><ScheduleByDay><DaysInterval>1</DaysInterval></ScheduleByDay>"
    L"</CalendarTrigger></Triggers>\r\n"
    L"  <Settings><Enabled>true</Enabled></Settings>\r\n"
    L"  <Actions Context=\"Author\"><Exec><Command>C:\\x\\pellanor</Command></Exec></Actions>\r\n"
    L"</Task>\r\n";

TEST_F(RealScheduler, ATaskAsWindowsStoresItGivesItsTriggerAndADamagedOneIsLeftOut) {
    constexpr const char* kDamaged = "Another Program's Task";
    ASSERT_TRUE(plantTaskFile(kName, kWindowsTask));
    ASSERT_TRUE(plantTaskFile(kDamaged, L"<Task><Triggers><CalendarTrigger><StartBoundary>"));
    std::vector<std::shared_ptr<Task>> all;
    ASSERT_EQ(tasks->refresh(), S_OK) << "another program's damaged task stops nothing";
    ASSERT_EQ(tasks->tasks(all), S_OK);
    EXPECT_EQ(std::count_if(all.begin(), all.end(), [&](const auto& t) { return t->name() == kDamaged; }), 0);
    auto task = findTask(*tasks, kName);
    ASSERT_NE(task, nullptr);

    std::shared_ptr<TriggerList> triggers;
    ASSERT_EQ(task->triggers(triggers), S_OK);
    long n = 0;
    ASSERT_EQ(triggers->count(n), S_OK);
    EXPECT_EQ(n, 1);
    std::shared_ptr<Trigger> trigger;
    ASSERT_EQ(triggers->item(1, trigger), S_OK);
    SYSTEMTIME start{};
    ASSERT_EQ(trigger->startTime(start), S_OK);
    EXPECT_EQ(formatBoundary(start), L"2026-01-01T07:30:00");
    DWORD flags = kFlagDisabled;
    ASSERT_EQ(task->flags(flags), S_OK);
    EXPECT_EQ(flags & kFlagDisabled, 0u) << "enabled";

    // Changed, it is the same one trigger with the new time.
    SYSTEMTIME at{};
    at.wHour = 21;
    ASSERT_EQ(trigger->setStartTime(at), S_OK);
    ASSERT_EQ(trigger->startTime(start), S_OK);
    EXPECT_EQ(formatBoundary(start), L"2026-01-01T21:00:00") << "the begin day is kept";
    ASSERT_EQ(triggers->count(n), S_OK);
    EXPECT_EQ(n, 1);

    tasks->remove(kDamaged);
    removeTaskFile(kDamaged);
}

// Ends the test program when the calls in its scope have not returned in
// time, so that a frozen call fails the run instead of hanging it.
class Watchdog {
public:
    Watchdog(DWORD ms, const char* what)
        : m_done(CreateEventA(nullptr, TRUE, FALSE, nullptr)), m_ms(ms), m_what(what),
          m_thread(CreateThread(nullptr, 0, watch, this, 0, nullptr)) {}
    ~Watchdog() {
        SetEvent(m_done.get());
        WaitForSingleObject(m_thread.get(), INFINITE);
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    static DWORD WINAPI watch(void* self) {
        auto* w = static_cast<Watchdog*>(self);
        if (WaitForSingleObject(w->m_done.get(), w->m_ms) == WAIT_TIMEOUT) {
            std::fprintf(stderr, "\n%s did not return in %lu ms: frozen\n", w->m_what, w->m_ms);
            std::fflush(stderr);
            TerminateProcess(GetCurrentProcess(), 3);
        }
        return 0;
    }
    win32::Handle m_done;
    DWORD m_ms;
    const char* m_what;
    win32::Handle m_thread;
};

// A task file cut short inside its text (here the start time's), as Wine
// leaves one when it writes a shorter task over a longer one. Wine's own
// reader spins on it for good, so the scheduler is never asked for it,
// under this program's name or another's; a new task of the name takes
// its place.
TEST_F(RealScheduler, ATaskFileCutShortIsNeverHandedToTheScheduler) {
    constexpr const char* kOther = "Backup Job";
    const std::wstring cut = kWindowsTask.substr(0, kWindowsTask.find(L"T07:30"));
    ASSERT_TRUE(plantTaskFile(kName, cut));
    ASSERT_TRUE(plantTaskFile(kOther, cut));
    Watchdog watchdog(120000, "a call of the Task Scheduler wrapper");

    std::shared_ptr<Task> found;
    EXPECT_EQ(tasks->find(kName, found), S_FALSE) << "no task that can be read";
    EXPECT_EQ(found, nullptr);
    EXPECT_EQ(tasks->find(kOther, found), S_FALSE);
    std::vector<std::shared_ptr<Task>> all;
    ASSERT_EQ(tasks->refresh(), S_OK);
    ASSERT_EQ(tasks->tasks(all), S_OK);
    EXPECT_EQ(std::count_if(all.begin(), all.end(),
                            [&](const auto& t) { return t->name() == kName || t->name() == kOther; }),
              0);

    std::shared_ptr<Task> task;
    ASSERT_EQ(tasks->add(kName, task), S_OK) << "a damaged task is no task";
    ASSERT_EQ(task->setProgramPath("C:\\x\\pellanor"), S_OK);
    std::shared_ptr<TriggerList> triggers;
    ASSERT_EQ(task->triggers(triggers), S_OK);
    std::shared_ptr<Trigger> trigger;
    ASSERT_EQ(triggers->add(trigger), S_OK);
    ASSERT_EQ(task->setAccountInformation("mary", "secret"), S_OK);
    EXPECT_EQ(task->save(0), S_OK);
    // Whatever the store made of it, asking again does not freeze.
    tasks->find(kName, found);

    tasks->remove(kOther);
    removeTaskFile(kOther);
}

TEST(Boundary, FormatsAndParsesTheSchedulersText) {
    SYSTEMTIME t{};
    t.wYear = 2004;
    t.wMonth = 7;
    t.wDay = 9;
    t.wHour = 8;
    t.wMinute = 5;
    EXPECT_EQ(formatBoundary(t), L"2004-07-09T08:05:00");

    SYSTEMTIME back{};
    ASSERT_TRUE(parseBoundary(L"2004-07-09T08:05:00", back));
    EXPECT_EQ(back.wYear, 2004);
    EXPECT_EQ(back.wMonth, 7);
    EXPECT_EQ(back.wDay, 9);
    EXPECT_EQ(back.wHour, 8);
    EXPECT_EQ(back.wMinute, 5);
    ASSERT_TRUE(parseBoundary(L"2004-07-09T23:59:59+02:00", back)) << "a zone suffix is allowed";
    EXPECT_EQ(back.wSecond, 59);

    SYSTEMTIME untouched{};
    untouched.wYear = 1999;
    for (const wchar_t* bad : {L"", L"2004-07-09", L"2004-07-09 08:05:00", L"2004-13-09T08:05:00",
                               L"2004-07-09T24:00:00", L"2004-07-09T08:60:00", L"2004-07-00T08:05:00",
                               L"20x4-07-09T08:05:00"}) {
        EXPECT_FALSE(parseBoundary(bad, untouched)) << "refused";
        EXPECT_EQ(untouched.wYear, 1999) << "left alone when refused";
    }
}

} // namespace
