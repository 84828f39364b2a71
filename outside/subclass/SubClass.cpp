// SubClass.cpp
#include "SubClass.h"

#include <commctrl.h>

#include <utility>

namespace outside {

namespace {

// Each object is its own subclass id, so several may watch one window.
UINT_PTR idOf(const SubClass* self) { return reinterpret_cast<UINT_PTR>(self); }

} // namespace

SubClass::SubClass(Handler onWndMessage) { setHandler(std::move(onWndMessage)); }

SubClass::~SubClass() { detach(); }

void SubClass::setHandler(Handler onWndMessage) {
    m_handler = onWndMessage ? std::make_shared<const Handler>(std::move(onWndMessage)) : nullptr;
}

bool SubClass::setHWnd(HWND hwnd) {
    if (hwnd == m_hwnd) return true;
    detach();
    if (hwnd == nullptr) return true;
    // The subclass chain is kept per thread; another thread's window cannot
    // be watched from here.
    if (!IsWindow(hwnd) || GetWindowThreadProcessId(hwnd, nullptr) != GetCurrentThreadId())
        return false;
    if (!SetWindowSubclass(hwnd, subclassProc, idOf(this), reinterpret_cast<DWORD_PTR>(this)))
        return false;
    m_hwnd = hwnd;
    return true;
}

void SubClass::detach() {
    if (m_hwnd == nullptr) return;
    RemoveWindowSubclass(std::exchange(m_hwnd, nullptr), subclassProc, idOf(this));
}

LRESULT CALLBACK SubClass::subclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                        DWORD_PTR refData) {
    auto* self = reinterpret_cast<SubClass*>(refData);
    // Taken before the call: the handler may destroy or re-target `self`,
    // which is not touched again below.
    std::shared_ptr<const Handler> handler = self->m_handler;
    if (msg == WM_NCDESTROY) {
        // The window is going: forget it first, so neither the handler nor a
        // later destructor acts on a dead (or reused) handle.
        RemoveWindowSubclass(hwnd, subclassProc, id);
        self->m_hwnd = nullptr;
    }
    LRESULT result = 0;
    bool suppress = false;
    if (handler) {
        try {
            (*handler)(hwnd, msg, wp, lp, result, suppress);
        } catch (...) {
            result = 0;
            suppress = false;
        }
    }
    // The last message of a window always reaches the rest of the chain,
    // which frees what it holds there.
    if (suppress && msg != WM_NCDESTROY) return result;
    return DefSubclassProc(hwnd, msg, wp, lp);
}

} // namespace outside
