// ThreadMaster.h
// The one-master-per-thread rule of the control, kept in the design
// library's per-thread control list. Every call locks the list through the
// library's ordinal 7 and unlocks it through ordinal 8 on every path. When
// the library is not in the process (or lacks either ordinal) the rule is
// off: every call answers kOff and changes nothing.
#pragma once

#include <windows.h>

namespace orvane36::thread_master {

enum class Answer {
    kOff,           // no design library: the rule does not apply
    kOtherMaster,   // another control is master on this thread
    kMarked,        // this control is (now) the thread's master
    kNoNode,        // the thread has no node (nothing was marked)
};

// True when the design library and both ordinals were found. The library
// is looked for once per process: in the control's own folder, then by
// name.
bool available() noexcept;

// A control was made on this thread: its node gains one control (a new
// node right after the list's first node when the thread has none).
void addControl() noexcept;

// The test of the master rule: another master on the thread gives
// kOtherMaster; otherwise this control is marked master of the node.
Answer claimOrYield(const void* control) noexcept;


// Clears the thread's master mark when control holds it.
void releaseMaster(const void* control) noexcept;

// A control is going: drops its mark when it held it, drops the count and
// removes the node at 0.
void removeControl(const void* control) noexcept;

// For tests: the thread's control count and whether control is its master
// (count -1 when the thread has no node or the rule is off).
struct NodeState {
    int count = -1;
    bool masterFlag = false;
    const void* master = nullptr;
};
NodeState stateOfThisThread() noexcept;

} // namespace orvane36::thread_master
