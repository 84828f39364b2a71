// fake_task_service.cpp
#include "fake_task_service.h"

#include <algorithm>

namespace fakesched {

using namespace taskscheduler;

HRESULT FakeTrigger::setType(long t) {
    if (t != kTriggerDaily) return E_INVALIDARG;
    type = t;
    return S_OK;
}
HRESULT FakeTrigger::setBeginDay(const SYSTEMTIME& day) {
    begin = day;
    return S_OK;
}
HRESULT FakeTrigger::setStartTime(const SYSTEMTIME& time) {
    start = time;
    return S_OK;
}
HRESULT FakeTrigger::startTime(SYSTEMTIME& time) const {
    time = start;
    return S_OK;
}

HRESULT FakeTriggerList::count(long& n) const {
    if (FAILED(countResult)) return countResult;
    n = static_cast<long>(items.size());
    return S_OK;
}
HRESULT FakeTriggerList::item(long index, std::shared_ptr<Trigger>& trigger) {
    if (FAILED(countResult)) return countResult;
    if (index < 1 || index > static_cast<long>(items.size())) return E_INVALIDARG;
    trigger = items[static_cast<size_t>(index - 1)];
    return S_OK;
}
HRESULT FakeTriggerList::add(std::shared_ptr<Trigger>& trigger) {
    auto t = std::make_shared<FakeTrigger>();
    t->type = kTriggerDaily;
    items.push_back(t);
    trigger = t;
    return S_OK;
}

HRESULT FakeTask::programPath(std::string& p) const {
    if (FAILED(pathResult)) return pathResult;
    p = path;
    return S_OK;
}
HRESULT FakeTask::setProgramPath(const std::string& p) {
    path = p;
    return S_OK;
}
HRESULT FakeTask::setComment(const std::string& c) {
    comment = c;
    return S_OK;
}
HRESULT FakeTask::setAccountInformation(const std::string& a, const std::string& p) {
    account = a;
    password = p;
    return S_OK;
}
HRESULT FakeTask::flags(DWORD& f) const {
    f = flagWord;
    return S_OK;
}
HRESULT FakeTask::setFlags(DWORD f) {
    if (f & ~kKnownFlags) return E_INVALIDARG;
    flagWord = f;
    return S_OK;
}
HRESULT FakeTask::triggers(std::shared_ptr<TriggerList>& l) {
    l = list;
    return S_OK;
}
HRESULT FakeTask::save(long reserved) {
    if (reserved != 0) return E_INVALIDARG;
    if (FAILED(store->saveResult)) return store->saveResult;
    ++saves;
    if (!store->find(taskName))
        for (const auto& t : store->made)
            if (t.get() == this) store->stored.push_back(t);
    return S_OK;
}

std::shared_ptr<FakeTask> FakeStore::addStored(const std::string& name, const std::string& path, int hour,
                                               int minute, DWORD flags) {
    auto t = std::make_shared<FakeTask>(this, name);
    t->path = path;
    t->flagWord = flags;
    auto trigger = std::make_shared<FakeTrigger>();
    trigger->type = kTriggerDaily;
    trigger->start.wHour = static_cast<WORD>(hour);
    trigger->start.wMinute = static_cast<WORD>(minute);
    t->list->items.push_back(trigger);
    stored.push_back(t);
    return t;
}

std::shared_ptr<FakeTask> FakeStore::find(const std::string& name) const {
    for (const auto& t : stored)
        if (t->taskName == name) return t;
    return nullptr;
}

HRESULT FakeTaskService::refresh() {
    ++store->refreshes;
    return store->refreshResult;
}
HRESULT FakeTaskService::tasks(std::vector<std::shared_ptr<Task>>& out) {
    ++store->enumerations;
    out.assign(store->stored.begin(), store->stored.end());
    return S_OK;
}
HRESULT FakeTaskService::find(const std::string& name, std::shared_ptr<Task>& task) {
    store->asked.push_back(name);
    task = store->find(name);
    return task ? S_OK : S_FALSE;
}
HRESULT FakeTaskService::add(const std::string& name, std::shared_ptr<Task>& task) {
    if (store->find(name)) return HRESULT_FROM_WIN32(ERROR_FILE_EXISTS);
    auto t = std::make_shared<FakeTask>(store.get(), name);
    store->made.push_back(t);
    task = t;
    return S_OK;
}
HRESULT FakeTaskService::remove(const std::string& name) {
    auto& s = store->stored;
    auto it = std::find_if(s.begin(), s.end(), [&](const auto& t) { return t->taskName == name; });
    if (it == s.end()) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    s.erase(it);
    return S_OK;
}

} // namespace fakesched
