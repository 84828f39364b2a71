// thread_control_list.h
// The per-thread control list the design library keeps for the
// version-check control: one node per thread that holds controls, with the
// count of its controls and the thread's master control. The library only
// owns the list head and its lock (ordinal 7 locks and returns the head,
// ordinal 8 unlocks); the control does every node operation itself, under
// the lock, and allocates nodes from the process heap.
#pragma once

#include <windows.h>
#include <oaidl.h>

struct ThreadControlNode {
    ThreadControlNode* previous;
    ThreadControlNode* next;
    DWORD threadId;         // 0 for the head, which stands for no thread
    SHORT controlCount;
    BOOL isMaster;
    void* masterControl;    // identity of the master; null while isMaster is clear
};

// Ordinal 7: enters the list's lock and returns its first node (never null).
using LockThreadControlListFn = ThreadControlNode*(WINAPI*)();
// Ordinal 8: leaves the lock.
using UnlockThreadControlListFn = void(WINAPI*)();

// Ordinal 6: the Select Files dialog, modal over page. filters holds the
// file kinds in the high and the directories in the low 16 bits; files is
// the byte array of the control's list (null for none). The dialog reports
// back to page with WM_USER + 3 (new array or null), + 4 (filters), + 5
// (extensions text) and + 6 (other directories text). IDOK or IDCANCEL.
using SelectFilesDialogFn = LONG(WINAPI*)(HWND page, DWORD filters, const char* fileFilterExt,
                                          const char* otherPaths, LONG reserved, SAFEARRAY* files);

inline constexpr WORD kOrdinalSelectFilesDialog = 6;
inline constexpr WORD kOrdinalLockThreadControlList = 7;
inline constexpr WORD kOrdinalUnlockThreadControlList = 8;
