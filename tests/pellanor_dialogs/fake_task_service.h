// fake_task_service.h
// A Task Scheduler behind the wrapper's interfaces that keeps its tasks in
// memory and records what was done to them: what Wine's scheduler cannot
// read back (triggers, account, flags) the dialog's tests read here.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "TaskScheduler.h"

namespace fakesched {

struct FakeTrigger : taskscheduler::Trigger {
    long type = 0;
    SYSTEMTIME begin{}, start{};
    HRESULT setType(long t) override;
    HRESULT setBeginDay(const SYSTEMTIME& day) override;
    HRESULT setStartTime(const SYSTEMTIME& time) override;
    HRESULT startTime(SYSTEMTIME& time) const override;
};

struct FakeTriggerList : taskscheduler::TriggerList {
    std::vector<std::shared_ptr<FakeTrigger>> items;
    HRESULT countResult = S_OK; // a failure plays a list the scheduler cannot read
    HRESULT count(long& n) const override;
    HRESULT item(long index, std::shared_ptr<taskscheduler::Trigger>& trigger) override;
    HRESULT add(std::shared_ptr<taskscheduler::Trigger>& trigger) override;
};

struct FakeStore;

struct FakeTask : taskscheduler::Task {
    FakeTask(FakeStore* store, std::string name) : store(store), taskName(std::move(name)) {}
    FakeStore* store;
    std::string taskName, path, comment, account, password;
    DWORD flagWord = 0;
    HRESULT pathResult = S_OK; // a failure plays actions the scheduler cannot read
    int saves = 0;
    std::shared_ptr<FakeTriggerList> list = std::make_shared<FakeTriggerList>();

    std::string name() const override { return taskName; }
    HRESULT programPath(std::string& p) const override;
    HRESULT setProgramPath(const std::string& p) override;
    HRESULT setComment(const std::string& c) override;
    HRESULT setAccountInformation(const std::string& a, const std::string& p) override;
    HRESULT flags(DWORD& f) const override;
    HRESULT setFlags(DWORD f) override;
    HRESULT triggers(std::shared_ptr<taskscheduler::TriggerList>& l) override;
    HRESULT save(long reserved) override;
};

// The stored tasks and the failures to play.
struct FakeStore {
    std::vector<std::shared_ptr<FakeTask>> stored;
    std::vector<std::shared_ptr<FakeTask>> made; // added, stored or not
    int refreshes = 0;
    int enumerations = 0;            // calls of tasks()
    std::vector<std::string> asked; // names passed to find()
    HRESULT saveResult = S_OK;
    HRESULT refreshResult = S_OK;
    // A stored daily task with one trigger at hour:minute.
    std::shared_ptr<FakeTask> addStored(const std::string& name, const std::string& path, int hour, int minute,
                                        DWORD flags);
    std::shared_ptr<FakeTask> find(const std::string& name) const;
};

struct FakeTaskService : taskscheduler::TaskCollection {
    explicit FakeTaskService(std::shared_ptr<FakeStore> s) : store(std::move(s)) {}
    std::shared_ptr<FakeStore> store;
    HRESULT refresh() override;
    HRESULT tasks(std::vector<std::shared_ptr<taskscheduler::Task>>& out) override;
    HRESULT find(const std::string& name, std::shared_ptr<taskscheduler::Task>& task) override;
    HRESULT add(const std::string& name, std::shared_ptr<taskscheduler::Task>& task) override;
    HRESULT remove(const std::string& name) override;
};

} // namespace fakesched
