// Window.h
// The one window base every form of the programs derives from: a window
// class per form, the hand-over of `this` at WM_NCCREATE, one virtual
// message dispatch, a modal loop that disables the owner as a modal form
// does, and a deferred close so that no handler destroys the window it is
// running in.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <utility>

namespace ui {

// Keeps a window disabled for as long as it lives, as a modal form keeps
// its owner, and gives it back enabled and active when it was enabled
// before. Taken before a modal form is made, it covers the form's load
// too: a box the load shows then leaves nothing of the owner usable.
class DisabledOwner {
public:
    explicit DisabledOwner(HWND owner);
    ~DisabledOwner();
    DisabledOwner(const DisabledOwner&) = delete;
    DisabledOwner& operator=(const DisabledOwner&) = delete;

private:
    HWND m_owner;
    bool m_wasEnabled;
};

class Window {
public:
    Window() = default;
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND hwnd() const { return m_hwnd; }
    bool isOpen() const { return m_hwnd != nullptr; }

    // Registers the class (once per name) and creates the window, hidden
    // unless style holds WS_VISIBLE. False when the window could not be made.
    bool create(const char* className, const std::string& caption, DWORD style, DWORD exStyle,
                int x, int y, int width, int height, HWND owner, HICON icon = nullptr);

    // Shows the window modally over owner: the owner is disabled until the
    // window closes. Returns the value given to endModal (0 by default).
    INT_PTR showModal(HWND owner);
    void endModal(INT_PTR result) { m_modalResult = result; close(); }

    // Asks the window to close once the current message is handled.
    void close();
    // Closes at once: runs onClose and destroys the window. Only for callers
    // outside the window's own handlers.
    void closeNow();

    // Closes every open form of the thread but keep, the most recently
    // opened first.
    static void closeOtherForms(Window* keep);

    // How the program reports a failure that escaped a window's handlers
    // (the message then gets the default answer, and a close goes on): by
    // default it is not reported. The report must not throw.
    using UncaughtFailure = void (*)(HWND window, UINT msg) noexcept;
    static void setUncaughtFailure(UncaughtFailure report);

protected:
    // Every message of the window; return DefWindowProc's answer for what is
    // not handled. Exceptions must not escape (the dispatcher stops them and
    // answers with DefWindowProc).
    virtual LRESULT handleMessage(UINT msg, WPARAM wp, LPARAM lp);
    // Called once when the window is about to be destroyed, for any reason.
    virtual void onClose() {}
    // Called after the window is gone.
    virtual void onDestroyed() {}

    // What the window does with a message nobody handled: DefWindowProc, or
    // for an adopted window the procedure it had before.
    LRESULT defaultProc(UINT msg, WPARAM wp, LPARAM lp) {
        return m_prevProc ? CallWindowProcA(m_prevProc, m_hwnd, msg, wp, lp)
                          : DefWindowProcA(m_hwnd, msg, wp, lp);
    }

    // Takes over a window made elsewhere (a dialog built from a template):
    // its messages then pass through handleMessage like those of a window
    // made by create, and defaultProc hands the rest to its own procedure.
    void adopt(HWND hwnd);

    // True once close (or endModal) asked the window to go.
    bool closeRequested() const { return m_closeRequested; }

private:
    static LRESULT CALLBACK staticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void destroy();

    HWND m_hwnd = nullptr;
    WNDPROC m_prevProc = nullptr;
    bool m_closeRequested = false;
    HWND m_modalOwner = nullptr;
    bool m_modal = false;
    bool m_closing = false;
    INT_PTR m_modalResult = 0;
};

// Makes a Form over owner (its constructor runs the load) and shows it
// modally, the owner disabled from before the form is made until it is
// gone. Returns the form's modal result.
template <class Form, class... Args>
INT_PTR showModalForm(HWND owner, Args&&... args) {
    DisabledOwner disabled(owner);
    Form form(owner, std::forward<Args>(args)...);
    return form.showModal(owner);
}

// Runs the thread's message loop until WM_QUIT; returns its exit code.
int runMessageLoop();

// Dispatches the thread's pending window messages, for a wait that keeps
// the windows live. False when the program is quitting: the quit message is
// put back for the caller's own loop.
bool pumpPendingMessages();

// How a wait with the thread's window messages dispatched ended.
enum class WaitEnd {
    Signalled, // the object was signalled
    TimedOut,  // the time ran out first
    Stopped,   // keepWaiting said not to go on
    Quitting,  // a WM_QUIT came; it is put back for the caller's own loop
    Failed     // the wait itself failed (GetLastError tells why)
};

// Waits up to timeoutMs for object to be signalled, dispatching the
// thread's window messages meanwhile, so the windows stay live. After each
// round of messages keepWaiting, when given, says whether to go on waiting
// (what was dispatched may have cancelled what is waited for).
WaitEnd waitDispatching(HANDLE object, DWORD timeoutMs, const std::function<bool()>& keepWaiting = {});

// Pixels and twips (1/1440 inch) at the screen's resolution.
int twipsPerPixelX();
int twipsPerPixelY();

} // namespace ui
