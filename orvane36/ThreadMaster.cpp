// ThreadMaster.cpp
#include "ThreadMaster.h"

#include <string>

#include "common/com/module.h"
#include "common/win32/handles.h"
#include "thread_control_list.h"

namespace orvane36::thread_master {

namespace {

constexpr char kDesignLibraryName[] = "orvdesign36.dll";

struct DesignLibrary {
    LockThreadControlListFn lock = nullptr;
    UnlockThreadControlListFn unlock = nullptr;
};

// Found once and kept for the life of the process, like the library.
const DesignLibrary& designLibrary() noexcept {
    static const DesignLibrary library = [] {
        DesignLibrary d;
        // Beside the control first (a host elsewhere still finds the copy
        // shipped with it), then by name through the usual search.
        HMODULE module = nullptr;
        const std::string self = com::modulePath();
        if (const size_t slash = self.find_last_of("\\/"); slash != std::string::npos)
            module = LoadLibraryA((self.substr(0, slash + 1) + kDesignLibraryName).c_str());
        if (!module) module = LoadLibraryA(kDesignLibraryName);
        if (!module) return d;
        d.lock = win32::procAddress<LockThreadControlListFn>(module, MAKEINTRESOURCEA(kOrdinalLockThreadControlList));
        d.unlock =
            win32::procAddress<UnlockThreadControlListFn>(module, MAKEINTRESOURCEA(kOrdinalUnlockThreadControlList));
        if (!d.lock || !d.unlock) d = DesignLibrary{};
        return d;
    }();
    return library;
}

// Holds the list locked for one operation.
class LockedList {
public:
    LockedList() noexcept : m_head(designLibrary().lock ? designLibrary().lock() : nullptr) {}
    ~LockedList() {
        if (designLibrary().unlock && designLibrary().lock) designLibrary().unlock();
    }
    LockedList(const LockedList&) = delete;
    LockedList& operator=(const LockedList&) = delete;

    bool on() const noexcept { return designLibrary().lock != nullptr; }
    ThreadControlNode* head() const noexcept { return m_head; }

    // Walks from the first node (found through the previous links).
    ThreadControlNode* find(DWORD threadId) const noexcept {
        ThreadControlNode* n = m_head;
        if (!n) return nullptr;
        while (n->previous) n = n->previous;
        for (; n; n = n->next) {
            if (n->threadId == threadId && n != m_head) return n;
        }
        return nullptr;
    }

private:
    ThreadControlNode* m_head;
};

} // namespace

bool available() noexcept { return designLibrary().lock != nullptr; }

void addControl() noexcept {
    LockedList list;
    if (!list.on() || !list.head()) return;
    const DWORD thread = GetCurrentThreadId();
    if (ThreadControlNode* node = list.find(thread)) {
        ++node->controlCount;
        return;
    }
    auto* node = static_cast<ThreadControlNode*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(ThreadControlNode)));
    if (!node) return;
    ThreadControlNode* first = list.head();
    node->threadId = thread;
    node->controlCount = 1;
    node->previous = first;
    node->next = first->next;
    if (first->next) first->next->previous = node;
    first->next = node;
}

Answer claimOrYield(const void* control) noexcept {
    LockedList list;
    if (!list.on()) return Answer::kOff;
    ThreadControlNode* node = list.find(GetCurrentThreadId());
    if (!node) return Answer::kNoNode;
    if (node->isMaster && node->masterControl != control) return Answer::kOtherMaster;
    node->isMaster = TRUE;
    node->masterControl = const_cast<void*>(control);
    return Answer::kMarked;
}

void releaseMaster(const void* control) noexcept {
    LockedList list;
    if (!list.on()) return;
    ThreadControlNode* node = list.find(GetCurrentThreadId());
    // Only the master's own mark goes: a stale slave must not free the
    // thread for a third control while the master still lives.
    if (node && node->isMaster && node->masterControl == control) {
        node->isMaster = FALSE;
        node->masterControl = nullptr;
    }
}

void removeControl(const void* control) noexcept {
    LockedList list;
    if (!list.on()) return;
    ThreadControlNode* node = list.find(GetCurrentThreadId());
    if (!node) return;
    if (node->isMaster && node->masterControl == control) {
        node->isMaster = FALSE;
        node->masterControl = nullptr;
    }
    if (--node->controlCount > 0) return;
    if (node->previous) node->previous->next = node->next;
    if (node->next) node->next->previous = node->previous;
    HeapFree(GetProcessHeap(), 0, node);
}

NodeState stateOfThisThread() noexcept {
    LockedList list;
    NodeState s;
    if (!list.on()) return s;
    if (const ThreadControlNode* node = list.find(GetCurrentThreadId())) {
        s.count = node->controlCount;
        s.masterFlag = node->isMaster != FALSE;
        s.master = node->masterControl;
    }
    return s;
}

} // namespace orvane36::thread_master
