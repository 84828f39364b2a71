// TaskScheduler.h
// A small wrapper around the Windows Task Scheduler in the shape the
// scheduling dialog expects: a task collection (the tasks of the root
// folder), tasks with a program path, a comment, an account, a flag word
// and a list of triggers, and daily triggers with a begin day and a start
// time. The dialog talks only to these interfaces; createTaskCollection()
// gives the real one over the Task Scheduler 2.0 COM API, and tests put a
// recording fake in its place.
//
// Every operation returns an HRESULT (S_OK on success) and sets its
// out-parameters only on success. Objects belong to the thread that made
// them (COM apartment rules) and keep what they need alive themselves.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace taskscheduler {

// The flag word: only these bits are stored; others are refused.
inline constexpr DWORD kFlagInteractive = 1; // runs in the user's session
inline constexpr DWORD kFlagDisabled = 4;    // does not run
inline constexpr DWORD kKnownFlags = kFlagInteractive | kFlagDisabled;

// Trigger types; only daily triggers are supported.
inline constexpr long kTriggerDaily = 1;

class Trigger {
public:
    virtual ~Trigger() = default;
    // kTriggerDaily; any other type is refused (E_INVALIDARG).
    virtual HRESULT setType(long type) = 0;
    // The first day the trigger fires: wYear, wMonth and wDay are used.
    virtual HRESULT setBeginDay(const SYSTEMTIME& day) = 0;
    // The time of day it fires: wHour, wMinute and wSecond are used.
    virtual HRESULT setStartTime(const SYSTEMTIME& time) = 0;
    // The time of day it fires (the date fields are those of the begin day).
    virtual HRESULT startTime(SYSTEMTIME& time) const = 0;
};

class TriggerList {
public:
    virtual ~TriggerList() = default;
    virtual HRESULT count(long& n) const = 0;
    // index is 1-based; E_INVALIDARG outside 1..count.
    virtual HRESULT item(long index, std::shared_ptr<Trigger>& trigger) = 0;
    // Appends a new daily trigger (begin day today, start time midnight).
    virtual HRESULT add(std::shared_ptr<Trigger>& trigger) = 0;
};

class Task {
public:
    virtual ~Task() = default;
    virtual std::string name() const = 0;
    // The program the task starts; "" for a task without one.
    virtual HRESULT programPath(std::string& path) const = 0;
    virtual HRESULT setProgramPath(const std::string& path) = 0;
    virtual HRESULT setComment(const std::string& comment) = 0;
    // The account the task runs under and its password. The password is
    // kept only until the next save, then wiped; it is never read back.
    virtual HRESULT setAccountInformation(const std::string& account, const std::string& password) = 0;
    virtual HRESULT flags(DWORD& flags) const = 0;
    virtual HRESULT setFlags(DWORD flags) = 0; // E_INVALIDARG for bits outside kKnownFlags
    virtual HRESULT triggers(std::shared_ptr<TriggerList>& list) = 0;
    // Stores the task (creates it, or replaces the stored one of that name).
    // reserved must be 0.
    virtual HRESULT save(long reserved) = 0;
};

class TaskCollection {
public:
    virtual ~TaskCollection() = default;
    // Reads the stored tasks again.
    virtual HRESULT refresh() = 0;
    // Every task as last read, in the store's order.
    virtual HRESULT tasks(std::vector<std::shared_ptr<Task>>& out) = 0;
    // The stored task of that name, asked for alone (no other task is read):
    // S_OK with the task, or S_FALSE with none when no task of that name is
    // stored or its definition cannot be read (it is damaged).
    virtual HRESULT find(const std::string& name, std::shared_ptr<Task>& task) = 0;
    // A new, not yet stored task; HRESULT_FROM_WIN32(ERROR_FILE_EXISTS) when
    // a task of that name is stored already.
    virtual HRESULT add(const std::string& name, std::shared_ptr<Task>& task) = 0;
    // Deletes the stored task of that name.
    virtual HRESULT remove(const std::string& name) = 0;
};

// The tasks of the Task Scheduler's root folder on this computer. Joins
// the calling thread to a single-threaded apartment for the collection's
// lifetime when it is not in one already.
HRESULT createTaskCollection(std::unique_ptr<TaskCollection>& out);

// The Task Scheduler's boundary text "YYYY-MM-DDTHH:MM:SS" (a time-zone
// suffix after the seconds is allowed when reading and ignored).
std::wstring formatBoundary(const SYSTEMTIME& when);
bool parseBoundary(const std::wstring& text, SYSTEMTIME& when);

} // namespace taskscheduler
