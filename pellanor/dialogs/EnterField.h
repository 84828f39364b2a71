// EnterField.h
// The text-field rule every dialog follows: while a text field has the
// focus the dialog's OK button is not the default button, so Enter
// validates the field instead of closing the dialog. A valid Enter, or
// leaving the field, makes OK the default again, so a second Enter presses
// it; typing into the field again makes it wait for its own Enter once more.
// An invalid Enter leaves that to the field's handler: put the old or
// default value back, select it, keep the focus.
//
// The field claims Enter through WM_GETDLGCODE only while it waits for it,
// so the dialog manager (IsDialogMessage in the modal loop) otherwise sends
// Enter to the default button as usual. Enter and Ctrl+Enter never put a
// line break into the field, multi-line or not. The whole text is selected
// whenever the field gets the focus from another control of the dialog.
//
// Focus moving to another window (a message box, another program) and back
// is not a change of field: neither handler runs for it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace ui {

class EnterField {
public:
    struct Handlers {
        // The field got the focus from another control (its text is selected).
        std::function<void()> gotFocus;
        // Enter was typed: true when the field's content is valid.
        std::function<bool()> enter;
        // The focus moved to another control of the dialog.
        std::function<void()> lostFocus;
    };

    EnterField() = default;
    ~EnterField() { detach(); }
    EnterField(const EnterField&) = delete;
    EnterField& operator=(const EnterField&) = delete;

    // Watches edit, a control of a dialog whose OK button has the ID okId.
    // Handlers run on the dialog's thread and must not throw (an exception
    // is swallowed). False when the control cannot be watched.
    bool attach(HWND edit, int okId, Handlers handlers);
    void detach();

    HWND hwnd() const { return m_edit; }

    // The field's text as it stands; the whole text selected.
    std::string text() const;
    void setText(const std::string& text) const;
    void selectAll() const;

private:
    static LRESULT CALLBACK subclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp,
                                         UINT_PTR id, DWORD_PTR refData);
    LRESULT onMessage(UINT msg, WPARAM wp, LPARAM lp);
    // The steps of onMessage: what keys the field asks the dialog for, Enter,
    // the focus coming and going, and a change after a valid Enter.
    LRESULT dialogCode(LRESULT code, const MSG* m) const;
    void enterPressed();
    void focusArrived(HWND from);
    void focusLeft(HWND to);
    void rearmAfterChange(UINT msg);
    // Waiting for Enter: OK is not the default; otherwise it is.
    void arm(bool armed);
    bool insideDialog(HWND other) const;
    void run(const std::function<void()>& handler);

    HWND m_edit = nullptr;
    HWND m_dialog = nullptr;
    int m_okId = IDOK;
    bool m_armed = false;
    bool m_away = false; // the focus went to another window, not another field
    Handlers m_handlers;
};

} // namespace ui
