// orvdesign36.cpp
// The list head and its lock. The head lives for the whole process; nodes
// after it belong to the controls that put them there.
#include <windows.h>

#include "thread_control_list.h"

namespace {

CRITICAL_SECTION gListLock;
ThreadControlNode gListHead{};

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) InitializeCriticalSection(&gListLock);
    if (reason == DLL_PROCESS_DETACH) DeleteCriticalSection(&gListLock);
    return TRUE;
}

extern "C" ThreadControlNode* WINAPI LockThreadControlList() {
    EnterCriticalSection(&gListLock);
    return &gListHead;
}

extern "C" void WINAPI UnlockThreadControlList() { LeaveCriticalSection(&gListLock); }
