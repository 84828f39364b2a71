// TaskScheduler.cpp
// The wrapper over the Task Scheduler 2.0 COM API. A task is edited in its
// definition (ITaskDefinition) and stored by registering the definition in
// the root folder under the task's name. The older model the callers use
// maps onto it so:
//   program path  the first exec action's path
//   comment       the registration information's description
//   disabled bit  the settings' Enabled (inverted)
//   interactive   the logon type chosen at registration: with an account,
//                 "interactive token or password" instead of "password"
//   trigger       a daily trigger (every day) whose start boundary holds
//                 the begin day and the start time
// Where the scheduler cannot list its tasks or count a stored task's
// triggers (Wine), the wrapper reads what it needs from the task files of
// the system's "Tasks" folder, where the scheduler keeps the definitions.
#include "TaskScheduler.h"

#include <taskschd.h>

#include <cstdio>
#include <cwchar>
#include <utility>

#include "common/com/bstr.h"
#include "common/com/ptr.h"
#include "common/win32/files.h"
#include "common/win32/handles.h"
#include "common/win32/secret.h"
#include "task_xml.h"

namespace taskscheduler {

namespace {

using com::Bstr;
using com::ComPtr;

SYSTEMTIME today() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    now.wHour = now.wMinute = now.wSecond = now.wMilliseconds = 0;
    return now;
}

// The COM apartment of the thread, joined for as long as the owner lives.
class ComApartment {
public:
    ComApartment() : m_hr(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment() {
        if (SUCCEEDED(m_hr)) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    // A thread already in the multi-threaded apartment may use COM too.
    bool usable() const { return SUCCEEDED(m_hr) || m_hr == RPC_E_CHANGED_MODE; }
    HRESULT result() const { return m_hr; }

private:
    HRESULT m_hr;
};

// What every object of one collection shares: the apartment (released
// last), the connected service and the root folder.
struct Session {
    ComApartment apartment;
    ComPtr<ITaskService> service;
    ComPtr<ITaskFolder> folder;
};

class DailyTrigger : public Trigger {
public:
    explicit DailyTrigger(ComPtr<ITrigger> trigger) : m_trigger(std::move(trigger)) {}

    HRESULT setType(long type) override {
        if (type != kTriggerDaily) return E_INVALIDARG;
        // The kind of a stored trigger is fixed: only a daily one can be daily.
        ComPtr<IDailyTrigger> daily;
        if (FAILED(m_trigger->QueryInterface(IID_IDailyTrigger, daily.putVoid())) || !daily) return E_NOTIMPL;
        return daily->put_DaysInterval(1);
    }

    HRESULT setBeginDay(const SYSTEMTIME& day) override {
        SYSTEMTIME when = current();
        when.wYear = day.wYear;
        when.wMonth = day.wMonth;
        when.wDay = day.wDay;
        return put(when);
    }

    HRESULT setStartTime(const SYSTEMTIME& time) override {
        if (time.wHour > 23 || time.wMinute > 59 || time.wSecond > 59) return E_INVALIDARG;
        SYSTEMTIME when = current();
        when.wHour = time.wHour;
        when.wMinute = time.wMinute;
        when.wSecond = time.wSecond;
        return put(when);
    }

    HRESULT startTime(SYSTEMTIME& time) const override {
        Bstr text;
        if (HRESULT hr = m_trigger->get_StartBoundary(text.put()); FAILED(hr)) return hr;
        SYSTEMTIME when{};
        if (!parseBoundary(std::wstring(text.view()), when)) return E_UNEXPECTED;
        time = when;
        return S_OK;
    }

    HRESULT put(const SYSTEMTIME& when) {
        Bstr text(formatBoundary(when));
        return m_trigger->put_StartBoundary(text.get());
    }

private:
    // The stored boundary, or today at midnight when it has none yet.
    SYSTEMTIME current() const {
        SYSTEMTIME when{};
        if (FAILED(startTime(when))) when = today();
        return when;
    }

    ComPtr<ITrigger> m_trigger;
};

// The folder the scheduler keeps its task files in.
std::string tasksFolder() {
    char system[MAX_PATH];
    UINT n = GetSystemDirectoryA(system, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    return std::string(system) + "\\Tasks\\";
}

enum class TaskFile {
    Unread,  // none, or one this program may not read
    Refused, // read, but no task definition
    Read,
};

// A root-folder task's file and the triggers it holds.
TaskFile readTaskFile(const std::string& name, std::vector<task_xml::StoredTrigger>& triggers) {
    std::string folder = tasksFolder(), bytes;
    if (folder.empty() || name.find_first_of("\\/") != std::string::npos ||
        !win32::readWholeFile(folder + name, bytes))
        return TaskFile::Unread;
    return task_xml::readTriggers(task_xml::fileText(bytes), triggers) ? TaskFile::Read : TaskFile::Refused;
}

// The triggers of a root-folder task as its file holds them; false when
// the file cannot be read or holds no task definition.
bool storedTriggers(const std::string& name, std::vector<task_xml::StoredTrigger>& triggers) {
    return readTaskFile(name, triggers) == TaskFile::Read;
}

// A task whose file this program reads but refuses is not asked of the
// scheduler: Wine's own reader can spin for good on a definition cut
// short. Where the file cannot be read (Windows keeps the folder from
// ordinary users), the scheduler decides, and reports a damaged task.
bool damagedTaskFile(const std::string& name) {
    std::vector<task_xml::StoredTrigger> ignored;
    return readTaskFile(name, ignored) == TaskFile::Refused;
}

// A trigger of a stored task that the scheduler read back only from its
// file: its start time is the file's until it is changed. A change makes
// it a trigger of the definition, which the next save stores.
class StoredTrigger : public Trigger {
public:
    StoredTrigger(ComPtr<ITriggerCollection> list, std::wstring boundary)
        : m_list(std::move(list)), m_boundary(std::move(boundary)) {}

    HRESULT setType(long type) override {
        if (HRESULT hr = made(); FAILED(hr)) return hr;
        return m_made->setType(type);
    }
    HRESULT setBeginDay(const SYSTEMTIME& day) override {
        if (HRESULT hr = made(); FAILED(hr)) return hr;
        return m_made->setBeginDay(day);
    }
    HRESULT setStartTime(const SYSTEMTIME& time) override {
        if (HRESULT hr = made(); FAILED(hr)) return hr;
        return m_made->setStartTime(time);
    }
    HRESULT startTime(SYSTEMTIME& time) const override {
        if (m_made) return m_made->startTime(time);
        SYSTEMTIME when{};
        if (!parseBoundary(m_boundary, when)) return E_UNEXPECTED;
        time = when;
        return S_OK;
    }

private:
    HRESULT made() {
        if (m_made) return S_OK;
        ComPtr<ITrigger> t;
        if (HRESULT hr = m_list->Create(TASK_TRIGGER_DAILY, t.put()); FAILED(hr)) return hr;
        auto made = std::make_shared<DailyTrigger>(std::move(t));
        SYSTEMTIME when{};
        if (parseBoundary(m_boundary, when))
            if (HRESULT hr = made->put(when); FAILED(hr)) return hr;
        m_made = std::move(made);
        return S_OK;
    }

    ComPtr<ITriggerCollection> m_list;
    std::wstring m_boundary;
    std::shared_ptr<DailyTrigger> m_made;
};

// The triggers of one definition. For a definition this wrapper made, the
// list is known without asking the collection (Wine cannot count it); so
// is it for a stored task whose triggers were read from its file.
class Triggers : public TriggerList {
public:
    Triggers(ComPtr<ITriggerCollection> list, bool known, std::vector<std::shared_ptr<Trigger>> stored)
        : m_list(std::move(list)), m_known(known), m_items(std::move(stored)) {}

    HRESULT count(long& n) const override {
        if (m_known) {
            n = static_cast<long>(m_items.size());
            return S_OK;
        }
        LONG c = 0;
        if (HRESULT hr = m_list->get_Count(&c); FAILED(hr)) return hr;
        n = c;
        return S_OK;
    }

    HRESULT item(long index, std::shared_ptr<Trigger>& trigger) override {
        long n = 0;
        if (HRESULT hr = count(n); FAILED(hr)) return hr;
        if (index < 1 || index > n) return E_INVALIDARG;
        if (m_known) {
            trigger = m_items[static_cast<size_t>(index - 1)];
            return S_OK;
        }
        ComPtr<ITrigger> t;
        if (HRESULT hr = m_list->get_Item(index, t.put()); FAILED(hr)) return hr;
        trigger = std::make_shared<DailyTrigger>(std::move(t));
        return S_OK;
    }

    HRESULT add(std::shared_ptr<Trigger>& trigger) override {
        ComPtr<ITrigger> t;
        if (HRESULT hr = m_list->Create(TASK_TRIGGER_DAILY, t.put()); FAILED(hr)) return hr;
        auto made = std::make_shared<DailyTrigger>(std::move(t));
        if (HRESULT hr = made->setType(kTriggerDaily); FAILED(hr)) return hr;
        if (HRESULT hr = made->setBeginDay(today()); FAILED(hr)) return hr;
        if (m_known) m_items.push_back(made);
        trigger = std::move(made);
        return S_OK;
    }

private:
    ComPtr<ITriggerCollection> m_list;
    bool m_known;
    std::vector<std::shared_ptr<Trigger>> m_items;
};

class RegisteredTask : public Task {
public:
    // isNew: the definition was made by NewTask, so it has no actions and
    // no triggers but those added here.
    RegisteredTask(std::shared_ptr<Session> session, std::string name, ComPtr<ITaskDefinition> definition,
                   bool isNew)
        : m_session(std::move(session)), m_name(std::move(name)), m_definition(std::move(definition)),
          m_isNew(isNew) {
        ComPtr<IPrincipal> principal;
        TASK_LOGON_TYPE logon = TASK_LOGON_NONE;
        if (SUCCEEDED(m_definition->get_Principal(principal.put())) && principal &&
            SUCCEEDED(principal->get_LogonType(&logon)) &&
            (logon == TASK_LOGON_INTERACTIVE_TOKEN || logon == TASK_LOGON_INTERACTIVE_TOKEN_OR_PASSWORD))
            m_interactive = true;
    }
    ~RegisteredTask() override { win32::secureWipe(m_password); }

    std::string name() const override { return m_name; }

    HRESULT programPath(std::string& path) const override {
        ComPtr<IExecAction> exec;
        HRESULT hr = findExec(exec);
        if (FAILED(hr)) return hr;
        if (!exec) {
            path.clear();
            return S_OK;
        }
        Bstr text;
        if (hr = exec->get_Path(text.put()); FAILED(hr)) return hr;
        path = text.toAnsi();
        return S_OK;
    }

    HRESULT setProgramPath(const std::string& path) override {
        ComPtr<IExecAction> exec;
        // Stored actions that cannot be read cannot be edited either: the
        // task gets an exec action of its own, which is what it will start.
        HRESULT hr = findExec(exec);
        if (FAILED(hr)) exec = m_exec;
        if (!exec) {
            ComPtr<IActionCollection> actions;
            if (hr = m_definition->get_Actions(actions.put()); FAILED(hr)) return hr;
            ComPtr<IAction> action;
            if (hr = actions->Create(TASK_ACTION_EXEC, action.put()); FAILED(hr)) return hr;
            if (hr = action->QueryInterface(IID_IExecAction, exec.putVoid()); FAILED(hr)) return hr;
            m_exec = exec;
        }
        return exec->put_Path(Bstr::fromAnsi(path).get());
    }

    HRESULT setComment(const std::string& comment) override {
        ComPtr<IRegistrationInfo> info;
        if (HRESULT hr = m_definition->get_RegistrationInfo(info.put()); FAILED(hr)) return hr;
        return info->put_Description(Bstr::fromAnsi(comment).get());
    }

    HRESULT setAccountInformation(const std::string& account, const std::string& password) override {
        m_account = com::toWide(account);
        win32::secureWipe(m_password);
        m_password = com::toWide(password);
        m_accountSet = true;
        return S_OK;
    }

    HRESULT flags(DWORD& flags) const override {
        ComPtr<ITaskSettings> settings;
        if (HRESULT hr = m_definition->get_Settings(settings.put()); FAILED(hr)) return hr;
        VARIANT_BOOL enabled = VARIANT_TRUE;
        if (HRESULT hr = settings->get_Enabled(&enabled); FAILED(hr)) return hr;
        flags = (m_interactive ? kFlagInteractive : 0) | (enabled ? 0 : kFlagDisabled);
        return S_OK;
    }

    HRESULT setFlags(DWORD flags) override {
        if (flags & ~kKnownFlags) return E_INVALIDARG;
        ComPtr<ITaskSettings> settings;
        if (HRESULT hr = m_definition->get_Settings(settings.put()); FAILED(hr)) return hr;
        if (HRESULT hr = settings->put_Enabled((flags & kFlagDisabled) ? VARIANT_FALSE : VARIANT_TRUE);
            FAILED(hr))
            return hr;
        m_interactive = (flags & kFlagInteractive) != 0;
        return S_OK;
    }

    HRESULT triggers(std::shared_ptr<TriggerList>& list) override {
        if (!m_triggers) {
            ComPtr<ITriggerCollection> t;
            if (HRESULT hr = m_definition->get_Triggers(t.put()); FAILED(hr)) return hr;
            std::vector<std::shared_ptr<Trigger>> stored;
            bool known = m_isNew || fromFile(t, stored);
            m_triggers = std::make_shared<Triggers>(std::move(t), known, std::move(stored));
        }
        list = m_triggers;
        return S_OK;
    }

    HRESULT save(long reserved) override {
        if (reserved != 0) return E_INVALIDARG;
        VARIANT user, password, sddl;
        VariantInit(&user);
        VariantInit(&password);
        VariantInit(&sddl);
        Bstr userText, passwordText;
        TASK_LOGON_TYPE logon = TASK_LOGON_INTERACTIVE_TOKEN;
        if (m_accountSet) {
            userText = Bstr(std::wstring_view(m_account));
            passwordText = Bstr(std::wstring_view(m_password));
            user.vt = VT_BSTR;
            user.bstrVal = userText.get();
            password.vt = VT_BSTR;
            password.bstrVal = passwordText.get();
            logon = m_interactive ? TASK_LOGON_INTERACTIVE_TOKEN_OR_PASSWORD : TASK_LOGON_PASSWORD;
        }
        ComPtr<IRegisteredTask> stored;
        HRESULT hr = m_session->folder->RegisterTaskDefinition(Bstr::fromAnsi(m_name).get(), m_definition.get(),
                                                               TASK_CREATE_OR_UPDATE, user, password, logon,
                                                               sddl, stored.put());
        // The password served once; no copy of it stays behind.
        if (passwordText) SecureZeroMemory(passwordText.get(), passwordText.length() * sizeof(wchar_t));
        win32::secureWipe(m_password);
        m_accountSet = false;
        return hr;
    }

private:
    // Where the scheduler cannot count a stored task's triggers, those its
    // file holds. False where it can count them, or where the file cannot
    // be read either (the triggers are then not known).
    bool fromFile(const ComPtr<ITriggerCollection>& list, std::vector<std::shared_ptr<Trigger>>& found) const {
        LONG n = 0;
        std::vector<task_xml::StoredTrigger> stored;
        if (SUCCEEDED(list->get_Count(&n)) || !storedTriggers(m_name, stored)) return false;
        for (const task_xml::StoredTrigger& t : stored)
            found.push_back(std::make_shared<StoredTrigger>(list, com::toWide(t.startBoundary)));
        return true;
    }

    // The first exec action, or null when the task has none.
    HRESULT findExec(ComPtr<IExecAction>& exec) const {
        if (m_exec || m_isNew) {
            exec = m_exec;
            return S_OK;
        }
        ComPtr<IActionCollection> actions;
        if (HRESULT hr = m_definition->get_Actions(actions.put()); FAILED(hr)) return hr;
        LONG n = 0;
        if (HRESULT hr = actions->get_Count(&n); FAILED(hr)) return hr;
        for (LONG i = 1; i <= n; ++i) {
            ComPtr<IAction> action;
            if (FAILED(actions->get_Item(i, action.put())) || !action) continue;
            TASK_ACTION_TYPE type{};
            if (FAILED(action->get_Type(&type)) || type != TASK_ACTION_EXEC) continue;
            return action->QueryInterface(IID_IExecAction, exec.putVoid());
        }
        exec = nullptr;
        return S_OK;
    }

    std::shared_ptr<Session> m_session;
    std::string m_name;
    ComPtr<ITaskDefinition> m_definition;
    bool m_isNew;
    ComPtr<IExecAction> m_exec; // the one made here
    std::shared_ptr<Triggers> m_triggers;
    bool m_interactive = false;
    bool m_accountSet = false;
    std::wstring m_account;
    std::wstring m_password;
};

class RootFolderTasks : public TaskCollection {
public:
    explicit RootFolderTasks(std::shared_ptr<Session> session) : m_session(std::move(session)) {}

    HRESULT refresh() override {
        std::vector<std::string> names;
        HRESULT hr = storedNames(names);
        if (hr == E_NOTIMPL) hr = taskFileNames(names);
        if (FAILED(hr)) return hr;
        std::vector<std::shared_ptr<Task>> read;
        for (const std::string& name : names)
            if (auto task = stored(name)) read.push_back(std::move(task));
        m_tasks = std::move(read);
        m_read = true;
        return S_OK;
    }

    HRESULT tasks(std::vector<std::shared_ptr<Task>>& out) override {
        if (!m_read)
            if (HRESULT hr = refresh(); FAILED(hr)) return hr;
        out = m_tasks;
        return S_OK;
    }

    HRESULT find(const std::string& name, std::shared_ptr<Task>& task) override {
        if (name.empty()) return E_INVALIDARG;
        task = stored(name);
        return task ? S_OK : S_FALSE;
    }

    HRESULT add(const std::string& name, std::shared_ptr<Task>& task) override {
        if (name.empty()) return E_INVALIDARG;
        // A damaged definition is no task: the new one takes its place, as
        // it would where the scheduler itself reports the damage.
        ComPtr<IRegisteredTask> existing;
        if (!damagedTaskFile(name) &&
            SUCCEEDED(m_session->folder->GetTask(Bstr::fromAnsi(name).get(), existing.put())) && existing)
            return HRESULT_FROM_WIN32(ERROR_FILE_EXISTS);
        ComPtr<ITaskDefinition> definition;
        if (HRESULT hr = m_session->service->NewTask(0, definition.put()); FAILED(hr)) return hr;
        task = std::make_shared<RegisteredTask>(m_session, name, std::move(definition), true);
        return S_OK;
    }

    HRESULT remove(const std::string& name) override {
        return m_session->folder->DeleteTask(Bstr::fromAnsi(name).get(), 0);
    }

private:
    // The stored task of that name, under the name it is stored as (the
    // scheduler finds a name in any case); null when there is none, or
    // none that can be read (deleted since it was listed, damaged):
    // nothing of it could be shown or changed.
    std::shared_ptr<Task> stored(const std::string& name) const {
        if (damagedTaskFile(name)) return nullptr;
        ComPtr<IRegisteredTask> task;
        ComPtr<ITaskDefinition> definition;
        if (FAILED(m_session->folder->GetTask(Bstr::fromAnsi(name).get(), task.put())) || !task) return nullptr;
        if (FAILED(task->get_Definition(definition.put())) || !definition) return nullptr;
        Bstr storedName;
        std::string asStored = SUCCEEDED(task->get_Name(storedName.put())) && storedName ? storedName.toAnsi() : name;
        return std::make_shared<RegisteredTask>(m_session, asStored, std::move(definition), false);
    }

    // The names of the root folder's tasks as the scheduler lists them.
    HRESULT storedNames(std::vector<std::string>& names) const {
        ComPtr<IRegisteredTaskCollection> stored;
        if (HRESULT hr = m_session->folder->GetTasks(TASK_ENUM_HIDDEN, stored.put()); FAILED(hr)) return hr;
        LONG n = 0;
        if (HRESULT hr = stored->get_Count(&n); FAILED(hr)) return hr;
        for (LONG i = 1; i <= n; ++i) {
            VARIANT index;
            VariantInit(&index);
            index.vt = VT_I4;
            index.lVal = i;
            ComPtr<IRegisteredTask> task;
            if (HRESULT hr = stored->get_Item(index, task.put()); FAILED(hr)) return hr;
            Bstr name;
            if (HRESULT hr = task->get_Name(name.put()); FAILED(hr)) return hr;
            names.push_back(name.toAnsi());
        }
        return S_OK;
    }

    // Where the scheduler cannot list its tasks (Wine), the root folder's
    // tasks are the files of the system's "Tasks" folder, one per task.
    static HRESULT taskFileNames(std::vector<std::string>& names) {
        std::string folder = tasksFolder();
        if (folder.empty()) return HRESULT_FROM_WIN32(GetLastError());
        WIN32_FIND_DATAA found{};
        win32::FindHandle find(FindFirstFileA((folder + "*").c_str(), &found));
        if (!find) {
            DWORD error = GetLastError();
            return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? S_OK : HRESULT_FROM_WIN32(error);
        }
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
        } while (FindNextFileA(find.get(), &found));
        return S_OK;
    }

    std::shared_ptr<Session> m_session;
    std::vector<std::shared_ptr<Task>> m_tasks;
    bool m_read = false;
};

bool number(const std::wstring& text, size_t at, size_t width, WORD& value) {
    unsigned v = 0;
    for (size_t i = at; i < at + width; ++i) {
        if (i >= text.size() || text[i] < L'0' || text[i] > L'9') return false;
        v = v * 10 + static_cast<unsigned>(text[i] - L'0');
    }
    value = static_cast<WORD>(v);
    return true;
}

} // namespace

std::wstring formatBoundary(const SYSTEMTIME& when) {
    wchar_t buf[32];
    std::swprintf(buf, sizeof buf / sizeof buf[0], L"%04u-%02u-%02uT%02u:%02u:%02u", when.wYear, when.wMonth,
                  when.wDay, when.wHour, when.wMinute, when.wSecond);
    return buf;
}

bool parseBoundary(const std::wstring& text, SYSTEMTIME& when) {
    SYSTEMTIME t{};
    if (text.size() < 19 || text[4] != L'-' || text[7] != L'-' || text[10] != L'T' || text[13] != L':' ||
        text[16] != L':')
        return false;
    if (!number(text, 0, 4, t.wYear) || !number(text, 5, 2, t.wMonth) || !number(text, 8, 2, t.wDay) ||
        !number(text, 11, 2, t.wHour) || !number(text, 14, 2, t.wMinute) || !number(text, 17, 2, t.wSecond))
        return false;
    if (t.wMonth < 1 || t.wMonth > 12 || t.wDay < 1 || t.wDay > 31 || t.wHour > 23 || t.wMinute > 59 ||
        t.wSecond > 59)
        return false;
    when = t;
    return true;
}

HRESULT createTaskCollection(std::unique_ptr<TaskCollection>& out) {
    auto session = std::make_shared<Session>();
    if (!session->apartment.usable()) return session->apartment.result();
    HRESULT hr = CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskService,
                                  session->service.putVoid());
    if (FAILED(hr)) return hr;
    VARIANT none;
    VariantInit(&none);
    if (hr = session->service->Connect(none, none, none, none); FAILED(hr)) return hr;
    if (hr = session->service->GetFolder(Bstr(L"\\").get(), session->folder.put()); FAILED(hr)) return hr;
    out = std::make_unique<RootFolderTasks>(std::move(session));
    return S_OK;
}

} // namespace taskscheduler
