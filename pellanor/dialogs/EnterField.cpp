// EnterField.cpp
#include "EnterField.h"

#include <commctrl.h>

#include <optional>

#include "common/ui/Dialog.h"
#include "dataManipulation.h"

namespace ui {

bool EnterField::attach(HWND edit, int okId, Handlers handlers) {
    detach();
    if (!edit || !IsWindow(edit)) return false;
    if (!SetWindowSubclass(edit, subclassProc, reinterpret_cast<UINT_PTR>(this),
                           reinterpret_cast<DWORD_PTR>(this)))
        return false;
    m_edit = edit;
    m_dialog = GetParent(edit);
    m_okId = okId;
    m_armed = false;
    m_away = false;
    m_handlers = std::move(handlers);
    return true;
}

void EnterField::detach() {
    if (m_edit) RemoveWindowSubclass(m_edit, subclassProc, reinterpret_cast<UINT_PTR>(this));
    m_edit = nullptr;
    m_dialog = nullptr;
    m_armed = false;
}

std::string EnterField::text() const { return getWindowText(m_edit); }

void EnterField::setText(const std::string& text) const { setWindowText(m_edit, text); }

void EnterField::selectAll() const {
    if (m_edit) SendMessageA(m_edit, EM_SETSEL, 0, -1);
}

LRESULT CALLBACK EnterField::subclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                          DWORD_PTR refData) {
    auto* self = reinterpret_cast<EnterField*>(refData);
    if (msg == WM_NCDESTROY) {
        LRESULT r = DefSubclassProc(hwnd, msg, wp, lp);
        self->detach();
        return r;
    }
    // The last resort of the field's procedure: its handlers run on the
    // action road, so what arrives here is logged, never shown.
    std::optional<LRESULT> answer;
    userAction::logged("EnterField_subclassProc", [&] { answer = self->onMessage(msg, wp, lp); });
    return answer ? *answer : DefSubclassProc(hwnd, msg, wp, lp);
}

bool EnterField::insideDialog(HWND other) const {
    return other && (other == m_dialog || IsChild(m_dialog, other));
}

void EnterField::arm(bool armed) {
    m_armed = armed;
    if (!armed) DefSubclassProc(m_edit, EM_SETMODIFY, FALSE, 0);
    if (m_dialog)
        SendMessageA(m_dialog, DM_SETDEFID, armed ? 0 : static_cast<WPARAM>(m_okId), 0);
}

// Handlers run on the action road and report their own failures.
void EnterField::run(const std::function<void()>& handler) {
    if (handler) handler();
}

LRESULT EnterField::onMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_GETDLGCODE:
        return dialogCode(DefSubclassProc(m_edit, msg, wp, lp), reinterpret_cast<const MSG*>(lp));
    case WM_KEYDOWN:
        // The edit's own Enter handling would press the default button.
        if (wp == VK_RETURN) return 0;
        break;
    case WM_CHAR:
        if (wp == '\n') return 0; // Ctrl+Enter: no line break either
        if (wp == '\r') {
            enterPressed();
            return 0;
        }
        break;
    case WM_SETFOCUS: {
        LRESULT r = DefSubclassProc(m_edit, msg, wp, lp);
        focusArrived(reinterpret_cast<HWND>(wp));
        return r;
    }
    case WM_KILLFOCUS: {
        LRESULT r = DefSubclassProc(m_edit, msg, wp, lp);
        focusLeft(reinterpret_cast<HWND>(wp));
        return r;
    }
    default:
        break;
    }
    LRESULT r = DefSubclassProc(m_edit, msg, wp, lp);
    rearmAfterChange(msg);
    return r;
}

LRESULT EnterField::dialogCode(LRESULT code, const MSG* m) const {
    if (m && (m->message == WM_KEYDOWN || m->message == WM_CHAR)) {
        // Enter reaches the field only while it waits for it; Escape
        // always goes to the dialog (a multi-line edit would take both).
        if (m->wParam == VK_RETURN)
            code = m_armed ? (code | DLGC_WANTALLKEYS) : (code & ~DLGC_WANTALLKEYS);
        else if (m->message == WM_KEYDOWN && m->wParam == VK_ESCAPE)
            code &= ~DLGC_WANTALLKEYS;
    }
    return code;
}

void EnterField::enterPressed() {
    if (!m_armed) return;
    bool valid = true;
    if (m_handlers.enter) valid = m_handlers.enter();
    // The handler may have moved the focus to another field, which
    // has taken over the default button by now.
    if (valid && m_edit && GetFocus() == m_edit) arm(false);
}

void EnterField::focusArrived(HWND from) {
    if (m_away && !insideDialog(from)) {
        // Back from a message box or another program: the same field.
        m_away = false;
        if (m_armed) arm(true);
        return;
    }
    m_away = false;
    selectAll();
    arm(true);
    run(m_handlers.gotFocus);
}

void EnterField::focusLeft(HWND to) {
    if (insideDialog(to)) {
        arm(false);
        run(m_handlers.lostFocus);
    } else {
        m_away = true;
    }
}

// Any change the user makes after a valid Enter calls for a new one.
void EnterField::rearmAfterChange(UINT msg) {
    switch (msg) {
    case WM_CHAR:
    case WM_KEYDOWN:
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
    case WM_UNDO:
    case EM_UNDO:
        if (m_edit && !m_armed && GetFocus() == m_edit && DefSubclassProc(m_edit, EM_GETMODIFY, 0, 0))
            arm(true);
        break;
    default:
        break;
    }
}

} // namespace ui
