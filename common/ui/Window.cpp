// Window.cpp
#include "Window.h"

#include <algorithm>
#include <vector>

namespace ui {

namespace {
constexpr UINT kDeferredClose = WM_APP + 0x3F0;

// Open forms in the order they were created (one UI thread).
std::vector<Window*>& openForms() {
    static std::vector<Window*> forms;
    return forms;
}

void forget(Window* w) {
    auto& f = openForms();
    f.erase(std::remove(f.begin(), f.end(), w), f.end());
}
} // namespace

void Window::closeOtherForms(Window* keep) {
    std::vector<Window*> forms = openForms();
    for (auto it = forms.rbegin(); it != forms.rend(); ++it) {
        Window* w = *it;
        auto& now = openForms();
        // A form closed by an earlier one's close is gone already.
        if (w != keep && std::find(now.begin(), now.end(), w) != now.end()) w->closeNow();
    }
}

Window::~Window() {
    forget(this);
    if (m_hwnd) {
        // The object is going away: detach so no message reaches it, and
        // give an adopted window its own procedure back for its last ones.
        SetWindowLongPtrA(m_hwnd, GWLP_USERDATA, 0);
        if (m_prevProc)
            SetWindowLongPtrA(m_hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_prevProc));
        DestroyWindow(m_hwnd);
    }
}

bool Window::create(const char* className, const std::string& caption, DWORD style,
                    DWORD exStyle, int x, int y, int width, int height, HWND owner, HICON icon) {
    HINSTANCE inst = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc{};
    if (!GetClassInfoExA(inst, className, &wc)) {
        wc.cbSize = sizeof wc;
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = staticProc;
        wc.hInstance = inst;
        wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = className;
        wc.hIcon = icon;
        if (!RegisterClassExA(&wc)) return false;
    }
    HWND h = CreateWindowExA(exStyle, className, caption.c_str(), style, x, y, width, height, owner,
                             nullptr, inst, this);
    return h != nullptr;
}

void Window::adopt(HWND hwnd) {
    m_hwnd = hwnd;
    m_closing = false;
    m_closeRequested = false;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    openForms().push_back(this);
    m_prevProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(staticProc)));
}

namespace {
Window::UncaughtFailure gUncaughtFailure = nullptr;

void reportUncaught(HWND window, UINT msg) noexcept {
    if (gUncaughtFailure) gUncaughtFailure(window, msg);
}
} // namespace

void Window::setUncaughtFailure(UncaughtFailure report) { gUncaughtFailure = report; }

LRESULT CALLBACK Window::staticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* self = nullptr;
    if (msg == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
        self->m_hwnd = hwnd;
        self->m_closeRequested = false;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        openForms().push_back(self);
    } else {
        self = reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcA(hwnd, msg, wp, lp);

    if (msg == kDeferredClose || msg == WM_CLOSE) {
        self->closeNow();
        return 0;
    }
    if (msg == WM_NCDESTROY) {
        LRESULT r = self->defaultProc(msg, wp, lp);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        self->m_hwnd = nullptr;
        self->m_prevProc = nullptr;
        forget(self);
        try {
            self->onDestroyed();
        } catch (...) {
            // The window is already gone, and no exception may leave the
            // window procedure.
            reportUncaught(hwnd, msg);
        }
        return r;
    }
    try {
        return self->handleMessage(msg, wp, lp);
    } catch (...) {
        reportUncaught(hwnd, msg);
        return self->m_hwnd ? self->defaultProc(msg, wp, lp) : DefWindowProcA(hwnd, msg, wp, lp);
    }
}

LRESULT Window::handleMessage(UINT msg, WPARAM wp, LPARAM lp) { return defaultProc(msg, wp, lp); }

void Window::close() {
    if (!m_hwnd) return;
    m_closeRequested = true;
    PostMessageA(m_hwnd, kDeferredClose, 0, 0);
}

void Window::closeNow() {
    if (!m_hwnd || m_closing) return;
    m_closing = true;
    try {
        onClose();
    } catch (...) {
        // The window closes whatever its last handler did: a close that
        // failed half-way must not leave a window the user cannot get rid of.
        reportUncaught(m_hwnd, WM_CLOSE);
    }
    destroy();
}

void Window::destroy() {
    if (!m_hwnd) return;
    // A modal window gives the owner back before it goes, so activation
    // returns to the owner rather than to some other program.
    if (m_modal && m_modalOwner) EnableWindow(m_modalOwner, TRUE);
    DestroyWindow(m_hwnd);
}

DisabledOwner::DisabledOwner(HWND owner) : m_owner(owner), m_wasEnabled(owner && IsWindowEnabled(owner)) {
    if (m_owner) EnableWindow(m_owner, FALSE);
}

DisabledOwner::~DisabledOwner() {
    if (!m_owner || !m_wasEnabled) return;
    EnableWindow(m_owner, TRUE);
    SetActiveWindow(m_owner);
}

INT_PTR Window::showModal(HWND owner) {
    if (!m_hwnd) return m_modalResult;
    m_modal = true;
    m_modalOwner = owner;
    DisabledOwner disabled(owner);
    ShowWindow(m_hwnd, SW_SHOW);
    SetForegroundWindow(m_hwnd);
    MSG msg;
    bool quit = false;
    WPARAM quitCode = 0;
    while (m_hwnd) {
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            quit = true;
            quitCode = msg.wParam;
            closeNow();
            break;
        }
        if (got == -1) break;
        if (!IsDialogMessageA(m_hwnd, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    m_modal = false;
    // The loop ended because the program is quitting: pass that on.
    if (quit) PostQuitMessage(static_cast<int>(quitCode));
    return m_modalResult;
}

bool pumpPendingMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return true;
}

WaitEnd waitDispatching(HANDLE object, DWORD timeoutMs, const std::function<bool()>& keepWaiting) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline)
            return WaitForSingleObject(object, 0) == WAIT_OBJECT_0 ? WaitEnd::Signalled : WaitEnd::TimedOut;
        const DWORD woke = MsgWaitForMultipleObjectsEx(1, &object, static_cast<DWORD>(deadline - now),
                                                       QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke == WAIT_OBJECT_0) return WaitEnd::Signalled;
        if (woke == WAIT_TIMEOUT) continue;
        if (woke != WAIT_OBJECT_0 + 1) return WaitEnd::Failed;
        if (!pumpPendingMessages()) return WaitEnd::Quitting;
        if (keepWaiting && !keepWaiting()) return WaitEnd::Stopped;
    }
}

int runMessageLoop() {
    MSG msg;
    BOOL got;
    while ((got = GetMessageA(&msg, nullptr, 0, 0)) != 0) {
        if (got == -1) return -1;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

namespace {
// The screen's resolution is fixed for the life of a program that does not
// declare itself DPI-aware, so it is asked for once.
int twipsPerPixel(int axis) {
    HDC dc = GetDC(nullptr);
    int dpi = dc ? GetDeviceCaps(dc, axis) : 96;
    if (dc) ReleaseDC(nullptr, dc);
    return dpi > 0 ? 1440 / dpi : 15;
}
} // namespace

int twipsPerPixelX() {
    static const int twips = twipsPerPixel(LOGPIXELSX);
    return twips;
}

int twipsPerPixelY() {
    static const int twips = twipsPerPixel(LOGPIXELSY);
    return twips;
}

} // namespace ui
