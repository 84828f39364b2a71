// Dialog.cpp
#include "Dialog.h"

#include <commctrl.h>

#include <vector>

namespace ui {

bool Dialog::create(int resourceId, HWND owner, HINSTANCE instance) {
    if (!instance) instance = GetModuleHandleA(nullptr);
    HWND h = CreateDialogParamA(instance, MAKEINTRESOURCEA(resourceId), owner, dialogProc,
                                reinterpret_cast<LPARAM>(this));
    if (!h) return false;
    // OnInit asked to close (its load failed): go now, before anyone shows
    // the window.
    if (closeRequested()) {
        closeNow();
        return false;
    }
    return isOpen();
}

INT_PTR CALLBACK Dialog::dialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    // Only the hand-over happens here. Once adopted, every message enters
    // through Window's dispatch and reaches this procedure again only by way
    // of the dialog manager's default processing, where it has nothing to do.
    if (msg != WM_INITDIALOG) return FALSE;
    auto* self = reinterpret_cast<Dialog*>(lp);
    if (!self || self->isOpen()) return FALSE;
    self->adopt(hwnd);
    return static_cast<INT_PTR>(SendMessageA(hwnd, WM_INITDIALOG, wp, lp));
}

LRESULT Dialog::handleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (OnMessage(msg, wp, lp, result)) return result;
    switch (msg) {
    case WM_INITDIALOG:
        return OnInit() ? TRUE : FALSE;
    case WM_COMMAND:
        if (OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp))) return 0;
        break;
    case WM_NOTIFY:
        if (OnNotify(static_cast<int>(wp), reinterpret_cast<NMHDR*>(lp), result)) return result;
        break;
    case WM_TIMER:
        if (OnTimer(static_cast<UINT_PTR>(wp))) return 0;
        break;
    default:
        break;
    }
    return defaultProc(msg, wp, lp);
}

bool Dialog::OnCommand(int id, int code, HWND) {
    if (code != BN_CLICKED) return false;
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

bool Dialog::OnNotify(int, NMHDR*, LRESULT&) { return false; }
bool Dialog::OnTimer(UINT_PTR) { return false; }
bool Dialog::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

std::string Dialog::getItemText(int id) const { return getWindowText(getItem(id)); }

void Dialog::setItemText(int id, const std::string& text) const { setWindowText(getItem(id), text); }

void Dialog::checkButton(int id, bool checked) const {
    CheckDlgButton(hwnd(), id, checked ? BST_CHECKED : BST_UNCHECKED);
}

bool Dialog::isButtonChecked(int id) const { return IsDlgButtonChecked(hwnd(), id) == BST_CHECKED; }

void Dialog::enableItem(int id, bool enable) const { EnableWindow(getItem(id), enable ? TRUE : FALSE); }

bool Dialog::isItemEnabled(int id) const { return IsWindowEnabled(getItem(id)) != FALSE; }

void Dialog::showItem(int id, bool show) const { ShowWindow(getItem(id), show ? SW_SHOW : SW_HIDE); }

LRESULT Dialog::sendItemMessage(int id, UINT msg, WPARAM wp, LPARAM lp) const {
    return SendDlgItemMessageA(hwnd(), id, msg, wp, lp);
}

void Dialog::gotoDlgCtrl(HWND control) const {
    SendMessageA(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
}

void Dialog::setDefId(int id) const { SendMessageA(hwnd(), DM_SETDEFID, static_cast<WPARAM>(id), 0); }

int Dialog::getDefId() const {
    LRESULT r = SendMessageA(hwnd(), DM_GETDEFID, 0, 0);
    return HIWORD(r) == DC_HASDEFID ? LOWORD(r) : 0;
}

void Dialog::addTooltip(HWND control, const char* text) {
    if (!control || !hwnd()) return;
    if (!m_tooltips || !IsWindow(m_tooltips))
        m_tooltips = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                     CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                     hwnd(), nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!m_tooltips) return;
    TTTOOLINFOA ti{};
    ti.cbSize = sizeof ti;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = hwnd();
    ti.uId = reinterpret_cast<UINT_PTR>(control);
    ti.lpszText = const_cast<char*>(text);
    SendMessageA(m_tooltips, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
}

std::string getWindowText(HWND window) {
    if (!window) return {};
    int n = GetWindowTextLengthA(window);
    if (n <= 0) return {};
    std::vector<char> buf(static_cast<size_t>(n) + 1);
    int got = GetWindowTextA(window, buf.data(), n + 1);
    return std::string(buf.data(), got > 0 ? static_cast<size_t>(got) : 0);
}

void setWindowText(HWND window, const std::string& text) {
    if (window) SetWindowTextA(window, text.c_str());
}

} // namespace ui
