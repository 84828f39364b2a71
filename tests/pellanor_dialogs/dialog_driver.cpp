// dialog_driver.cpp
#include "dialog_driver.h"

#include <utility>
#include <vector>

namespace dialogdriver {

void pump(HWND dialog) {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (dialog && IsWindow(dialog) && IsDialogMessageA(dialog, &m)) continue;
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

void key(HWND dialog, UINT vk) {
    HWND target = GetFocus();
    LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC)) << 16;
    PostMessageA(target, WM_KEYDOWN, vk, scan | 1);
    PostMessageA(target, WM_KEYUP, vk, scan | 1 | (3u << 30));
    pump(dialog);
}

void type(HWND dialog, const std::string& chars) {
    HWND target = GetFocus();
    for (char c : chars) PostMessageA(target, WM_CHAR, static_cast<unsigned char>(c), 1);
    pump(dialog);
}

void focus(HWND dialog, HWND control) {
    SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    pump(dialog);
}

void click(HWND dialog, int id) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    pump(dialog);
}

int defaultId(HWND dialog) {
    LRESULT r = SendMessageA(dialog, DM_GETDEFID, 0, 0);
    return HIWORD(r) == DC_HASDEFID ? LOWORD(r) : 0;
}

std::string text(HWND control) {
    int n = GetWindowTextLengthA(control);
    std::vector<char> buf(static_cast<size_t>(n) + 1);
    GetWindowTextA(control, buf.data(), n + 1);
    return buf.data();
}

void setText(HWND control, const std::string& t) { SetWindowTextA(control, t.c_str()); }

namespace {
WhenReady* gWaiting = nullptr;
}

WhenReady::WhenReady(std::function<bool()> ready, std::function<void()> act)
    : m_ready(std::move(ready)), m_act(std::move(act)) {
    gWaiting = this;
    m_timer = SetTimer(nullptr, 0, 20, poll);
}

WhenReady::~WhenReady() {
    if (m_timer) KillTimer(nullptr, m_timer);
    gWaiting = nullptr;
}

void CALLBACK WhenReady::poll(HWND, UINT, UINT_PTR, DWORD) {
    WhenReady* self = gWaiting;
    if (!self || self->done || !self->m_ready()) return;
    KillTimer(nullptr, self->m_timer);
    self->m_timer = 0;
    self->done = true;
    self->at = GetTickCount64();
    self->m_act();
}

} // namespace dialogdriver
