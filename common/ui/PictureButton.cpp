// PictureButton.cpp
#include "PictureButton.h"

#include <commctrl.h>

#include <vector>

#include "common/win32/handles.h"

namespace ui {
namespace {

const char* const kClassName = "PictureButton";

int shiftState(WPARAM wp) { return ((wp & MK_SHIFT) ? 1 : 0) | ((wp & MK_CONTROL) ? 2 : 0); }

int heldButtons(WPARAM wp) {
    return ((wp & MK_LBUTTON) ? 1 : 0) | ((wp & MK_RBUTTON) ? 2 : 0) | ((wp & MK_MBUTTON) ? 4 : 0);
}

int buttonOf(UINT msg) {
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        return 1;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        return 2;
    default:
        return 4;
    }
}

COLORREF fromOleColor(DWORD color) {
    return (color & 0x80000000u) ? GetSysColor(static_cast<int>(color & 0xFFu)) : static_cast<COLORREF>(color);
}

bool registerClass(HINSTANCE inst, WNDPROC proc) {
    WNDCLASSEXA wc{};
    if (GetClassInfoExA(inst, kClassName, &wc)) return true;
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND));
    wc.lpszClassName = kClassName;
    return RegisterClassExA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

} // namespace

PictureButton::~PictureButton() { release(); }

void PictureButton::release() {
    if (m_ownWindow && m_hwnd) SetWindowLongPtrA(m_hwnd, GWLP_USERDATA, 0);
    if (m_tracking && m_hwnd) RemoveWindowSubclass(m_hwnd, controlProc, 0);
    m_tracking = false;
}

void PictureButton::attach(HWND control, UINT notify) {
    release();
    m_hwnd = control;
    m_ownWindow = false;
    m_notify = notify;
    if (control && notify)
        m_tracking = SetWindowSubclass(control, controlProc, 0, reinterpret_cast<DWORD_PTR>(this)) != FALSE;
}

HWND PictureButton::create(HWND parent, int id, const char* caption, DWORD style, SIZE size, UINT notify) {
    HINSTANCE inst = GetModuleHandleA(nullptr);
    if (!registerClass(inst, windowProc)) return nullptr;
    m_notify = notify;
    // m_hwnd is set at WM_NCCREATE, before the window's first message here.
    HWND h = CreateWindowExA(0, kClassName, caption, style, 0, 0, size.cx, size.cy, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), inst, this);
    if (!h) m_hwnd = nullptr;
    m_ownWindow = h != nullptr;
    return h;
}

void PictureButton::setState(State state) {
    if (m_state == state) return;
    m_state = state;
    if (m_hwnd) InvalidateRect(m_hwnd, nullptr, FALSE);
}

std::string PictureButton::caption() const {
    if (m_ownCaption || !m_hwnd) return m_caption;
    std::vector<char> text(static_cast<size_t>(GetWindowTextLengthA(m_hwnd)) + 1);
    int n = GetWindowTextA(m_hwnd, text.data(), static_cast<int>(text.size()));
    return std::string(text.data(), n > 0 ? static_cast<size_t>(n) : 0);
}

bool PictureButton::drawItem(const DRAWITEMSTRUCT& item) const {
    if (!m_hwnd || item.hwndItem != m_hwnd) return false;
    // A button control keeps its own pressed state; a static has only ours.
    State state = (item.itemState & ODS_SELECTED) ? Down : m_state;
    paint(item.hDC, item.rcItem, state, (item.itemState & ODS_DISABLED) != 0, (item.itemState & ODS_FOCUS) != 0);
    return true;
}

void PictureButton::paint(HDC dc, RECT rc, State state, bool disabled, bool focused) const {
    switch (m_face) {
    case Face::Pictures:
        paintPictures(dc, rc, state);
        return;
    case Face::Push:
        paintPush(dc, rc, state);
        break;
    case Face::Colour:
        paintColour(dc, rc, state, disabled);
        break;
    }
    if (focused) {
        InflateRect(&rc, -3, -3);
        DrawFocusRect(dc, &rc);
    }
}

void PictureButton::paintPictures(HDC dc, const RECT& rc, State state) const {
    if (HBITMAP bmp = picture(state)) {
        win32::MemoryDC mem(CreateCompatibleDC(dc));
        HGDIOBJ old = SelectObject(mem.get(), bmp);
        BITMAP bm;
        GetObjectA(bmp, sizeof bm, &bm);
        StretchBlt(dc, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, mem.get(), 0, 0, bm.bmWidth,
                   bm.bmHeight, SRCCOPY);
        SelectObject(mem.get(), old);
        return;
    }
    RECT r = rc;
    DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_MIDDLE);
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    DrawTextA(dc, caption().c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, old);
}

void PictureButton::paintPush(HDC dc, RECT rc, State state) const {
    const bool pressed = state == Down;
    DrawFrameControl(dc, &rc, DFC_BUTTON,
                     DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0u) | (state == Hover ? DFCS_HOT : 0u));
    RECT content = rc;
    if (pressed) OffsetRect(&content, 1, 1);
    if (m_icon) {
        int x = (rc.left + rc.right - m_iconSize) / 2 + (pressed ? 1 : 0);
        int y = (rc.top + rc.bottom - m_iconSize) / 2 + (pressed ? 1 : 0);
        DrawIconEx(dc, x, y, m_icon, m_iconSize, m_iconSize, 0, nullptr, DI_NORMAL);
    }
    const std::string text = caption();
    if (text.empty()) return;
    HGDIOBJ oldFont = m_font ? SelectObject(dc, m_font) : nullptr;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(state == Hover ? COLOR_HOTLIGHT : COLOR_BTNTEXT));
    DrawTextA(dc, text.c_str(), -1, &content, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (oldFont) SelectObject(dc, oldFont);
}

void PictureButton::paintColour(HDC dc, RECT rc, State state, bool disabled) const {
    win32::Brush brush(CreateSolidBrush(fromOleColor(m_back)));
    FillRect(dc, &rc, brush.get());
    DrawEdge(dc, &rc, state == Down ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    DrawTextA(dc, caption().c_str(), -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

LRESULT CALLBACK PictureButton::windowProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<PictureButton*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
        self->m_hwnd = h;
        SetWindowLongPtrA(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<PictureButton*>(GetWindowLongPtrA(h, GWLP_USERDATA));
    if (!self) return DefWindowProcA(h, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(h, GWLP_USERDATA, 0);
        self->m_hwnd = nullptr;
        return DefWindowProcA(h, msg, wp, lp);
    }
    return self->onMessage(msg, wp, lp);
}

LRESULT CALLBACK PictureButton::controlProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR self) {
    auto* button = reinterpret_cast<PictureButton*>(self);
    if (msg == WM_NCDESTROY) {
        RemoveWindowSubclass(h, controlProc, 0);
        button->m_tracking = false;
        button->m_hwnd = nullptr;
    } else if (button->onMouse(msg, wp, lp)) {
        return 0;
    }
    return DefSubclassProc(h, msg, wp, lp);
}

bool PictureButton::onMouse(UINT msg, WPARAM wp, LPARAM lp) {
    HWND h = m_hwnd;
    auto notify = [&](Mouse::Event e, int button, bool click, bool pressed) {
        Mouse m{e, button, shiftState(wp), static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)), click,
                pressed};
        SendMessageA(GetParent(h), m_notify, static_cast<WPARAM>(GetDlgCtrlID(h)), reinterpret_cast<LPARAM>(&m));
    };
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        SetCapture(h);
        notify(Mouse::Event::Down, buttonOf(msg), false, false);
        return true;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
        // A click: released inside after a press that took the mouse.
        bool captured = GetCapture() == h;
        if (captured) ReleaseCapture();
        RECT r;
        GetClientRect(h, &r);
        POINT p{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
        notify(Mouse::Event::Up, buttonOf(msg), captured && PtInRect(&r, p), captured);
        return true;
    }
    case WM_MOUSEMOVE:
        notify(Mouse::Event::Move, heldButtons(wp), false, GetCapture() == h);
        return true;
    default:
        return false;
    }
}

LRESULT PictureButton::onMessage(UINT msg, WPARAM wp, LPARAM lp) {
    HWND h = m_hwnd;
    if (onMouse(msg, wp, lp)) return 0;
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(h, &ps);
        RECT r;
        GetClientRect(h, &r);
        paint(dc, r, m_state, !IsWindowEnabled(h), false);
        EndPaint(h, &ps);
        return 0;
    }
    default:
        return DefWindowProcA(h, msg, wp, lp);
    }
}

} // namespace ui
