// SubClass.h
// Watches one window and hands each of its messages to a handler before the
// window's own procedure sees it. The handler may answer the message itself
// (set `suppress` and `result`) or let it pass on unchanged.
//
// Built on the common controls' window subclassing (SetWindowSubclass), so
// several SubClass objects, and other code that subclasses the same window,
// stack without stepping on one another.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

namespace outside {

class SubClass {
public:
    // Called for every message of the watched window, on the window's thread.
    // `result` comes in as 0 and `suppress` as false. Set `suppress` to keep
    // the message from the window's own procedure (and from every SubClass
    // attached before this one); `result` is then what the sender gets.
    // A handler must not throw; if it does, the message passes on as if the
    // handler had not touched it.
    using Handler = std::function<void(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                       LRESULT& result, bool& suppress)>;

    SubClass() = default;
    explicit SubClass(Handler onWndMessage);
    // Detaches from the window, if it is still attached.
    ~SubClass();
    SubClass(const SubClass&) = delete;
    SubClass& operator=(const SubClass&) = delete;

    // Replaces the handler. Safe from inside the handler: the running call
    // completes with the old one.
    void setHandler(Handler onWndMessage);

    // The watched window. Setting it detaches from the previous window first;
    // nullptr only detaches. False when the window could not be subclassed
    // (not a window, or one of another thread); the object is then detached.
    bool setHWnd(HWND hwnd);
    HWND hWnd() const { return m_hwnd; }
    bool attached() const { return m_hwnd != nullptr; }

    // The same as setHWnd(nullptr).
    void detach();

private:
    static LRESULT CALLBACK subclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp,
                                         UINT_PTR id, DWORD_PTR refData);

    HWND m_hwnd = nullptr;
    // Shared so that a handler which destroys or re-targets this object keeps
    // running on a live function object.
    std::shared_ptr<const Handler> m_handler;
};

} // namespace outside
