// ToolTips.cpp
#include "ToolTips.h"

#include "pellanor/win/Module1.h"
#include "dataManipulation.h"
#include "button_tips.h"

namespace {
bool g_warningColours = false;
} // namespace

bool ToolTipForm::create(HWND owner) {
    NONCLIENTMETRICSA ncm{};
    ncm.cbSize = sizeof ncm;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
    m_font.reset(CreateFontIndirectA(&ncm.lfStatusFont));
    return ui::Window::create("PellanorToolTipForm", "", WS_POPUP | WS_BORDER, WS_EX_TOOLWINDOW | WS_EX_TOPMOST,
                              0, 0, 10, 10, owner);
}

SIZE ToolTipForm::labelSize() const {
    SIZE size{0, 0};
    HDC dc = GetDC(hwnd());
    HGDIOBJ old = SelectObject(dc, m_font ? m_font.get() : GetStockObject(DEFAULT_GUI_FONT));
    GetTextExtentPoint32A(dc, m_caption.c_str(), static_cast<int>(m_caption.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(hwnd(), dc);
    return size;
}

void ToolTipForm::setCaption(const std::string& text) {
    m_caption = text;
    InvalidateRect(hwnd(), nullptr, TRUE);
}

void ToolTipForm::setColours(COLORREF back, COLORREF text) {
    m_back = back;
    m_text = text;
    InvalidateRect(hwnd(), nullptr, TRUE);
}

LRESULT ToolTipForm::handleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd(), &ps);
        RECT r;
        GetClientRect(hwnd(), &r);
        win32::Brush brush(CreateSolidBrush(m_back));
        FillRect(dc, &r, brush.get());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, m_text);
        HGDIOBJ old = SelectObject(dc, m_font ? m_font.get() : GetStockObject(DEFAULT_GUI_FONT));
        // The label sits one pixel from the left edge, at the top.
        TextOutA(dc, 1, 0, m_caption.c_str(), static_cast<int>(m_caption.size()));
        SelectObject(dc, old);
        EndPaint(hwnd(), &ps);
        return 0;
    }
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_NCDESTROY:
        m_font.reset();
        break;
    }
    return defaultProc(msg, wp, lp);
}

namespace ToolTips {

void showToolTip(ToolTipForm& form, const std::string& text) {
    // A tip that cannot be shown is only a missing hint; a box over a
    // mouse movement would be worse than no tip.
    userAction::logged("showToolTip", [&] {
        const button_tips::Tip tip = button_tips::shown(text, gSnoozeTime);
        if (tip.text.empty()) {
            ShowWindow(form.hwnd(), SW_HIDE);
            if (g_warningColours) {
                form.setColours(kNormalBack, 0);
                g_warningColours = false;
            }
            return;
        }
        form.setCaption(tip.text);
        POINT p;
        GetCursorPos(&p);
        SIZE label = form.labelSize();
        // The window sits below and just left of the pointer, four pixels
        // wider and two higher than its label (borders included).
        SetWindowPos(form.hwnd(), HWND_TOPMOST, p.x - 2, p.y + 18, label.cx + 4, label.cy + 2,
                     SWP_NOACTIVATE);
        if (tip.warning) {
            form.setColours(kWarningBack, kWarningText);
            g_warningColours = true;
        }
        ShowWindow(form.hwnd(), SW_SHOWNOACTIVATE);
    });
}

} // namespace ToolTips
