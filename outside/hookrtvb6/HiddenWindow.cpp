// HiddenWindow.cpp
#include "HiddenWindow.h"

namespace hookrtvb6 {

namespace {

constexpr char kClassName[] = "hookrtvb6.HiddenWindow";

HINSTANCE thisModule() noexcept {
    HMODULE m = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&thisModule), &m);
    return m;
}

// Registers the class for this module. A class a DLL registered stays
// behind when the DLL is unloaded, so one found with another procedure is
// a stale one from an earlier load and is replaced.
bool registerClass(HINSTANCE module, WNDPROC proc) noexcept {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExA(module, kClassName, &wc)) {
        if (wc.lpfnWndProc == proc) return true;
        UnregisterClassA(kClassName, module);
    }
    wc = WNDCLASSEXA{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = module;
    wc.lpszClassName = kClassName;
    return RegisterClassExA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

bool HiddenWindow::Create(WndMessageSink* sink) {
    if (m_hwnd) {
        SetLastError(ERROR_ALREADY_EXISTS);
        return false;
    }
    HINSTANCE module = thisModule();
    if (!registerClass(module, &windowProc)) return false;
    m_sink = sink;
    // The handle is taken over at WM_NCCREATE, so the listener sees every
    // message from the first one on.
    return CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, module, this) != nullptr;
}

void HiddenWindow::Destroy() noexcept {
    // Nothing after DestroyWindow: the listener may delete this object
    // while the window goes.
    if (HWND h = m_hwnd) DestroyWindow(h);
}

int HiddenWindow::ProcessWaitingMessages() noexcept {
    if (!m_hwnd) return 0;
    HWND h = m_hwnd;
    int dispatched = 0;
    bool quit = false;
    WPARAM quitCode = 0;
    MSG msg;
    // Windows offers no snapshot of the queue; an upper bound keeps a
    // handler that posts to this window again from holding the loop.
    for (int i = 0; i < 10000 && IsWindow(h) && PeekMessageA(&msg, h, 0, 0, PM_REMOVE); ++i) {
        if (msg.message == WM_QUIT) {
            // The thread's quit request belongs to its own loop.
            quit = true;
            quitCode = msg.wParam;
            break;
        }
        DispatchMessageA(&msg);
        ++dispatched;
    }
    if (quit) PostQuitMessage(static_cast<int>(quitCode));
    return dispatched;
}

LRESULT CALLBACK HiddenWindow::windowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<HiddenWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->m_hwnd = hWnd;
    }
    auto* self = reinterpret_cast<HiddenWindow*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    if (!self) return DefWindowProcA(hWnd, msg, wParam, lParam);
    WndMessageSink* sink = self->m_sink;
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(hWnd, GWLP_USERDATA, 0);
        self->m_hwnd = nullptr;
    }
    LRESULT retval = 0;
    bool nodef = false;
    if (sink) sink->WndMessage(hWnd, msg, wParam, lParam, retval, nodef);
    // `self` may be gone now (see the header).
    return nodef ? retval : DefWindowProcA(hWnd, msg, wParam, lParam);
}

}  // namespace hookrtvb6
