// Dialog.h
// A form built from a dialog template (DIALOGEX in the program's resources).
// The dialog is created modeless and adopted by ui::Window, so it shares the
// one message dispatch and the one modal loop (which runs IsDialogMessage)
// with every other form: showModal(owner) disables the owner until the
// dialog closes, and close()/endModal() are deferred as for any window.
//
// Handlers follow the message that calls them; each returns true when it
// handled the message. The dialog manager (DefDlgProc) does the rest:
// keyboard navigation, the default push button, DM_SETDEFID/DM_GETDEFID.
#pragma once

#include <windows.h>

#include <string>

#include "Window.h"

namespace ui {

class Dialog : public Window {
public:
    // Creates the dialog, hidden, from template resourceId of module
    // instance (nullptr: the executable), owned by owner. OnInit runs inside.
    // False when the template could not be made into a window, or when
    // OnInit closed the dialog again (it is then already gone).
    bool create(int resourceId, HWND owner, HINSTANCE instance = nullptr);

protected:
    // WM_INITDIALOG. True lets the dialog manager put the focus on the first
    // control; return false after setting the focus yourself.
    virtual bool OnInit() { return true; }
    // WM_COMMAND. The base turns a click of IDOK and IDCANCEL (also Enter on
    // the default button and Escape) into OnOK and OnCancel.
    virtual bool OnCommand(int id, int code, HWND control);
    // WM_NOTIFY; result is what the sender gets.
    virtual bool OnNotify(int id, NMHDR* header, LRESULT& result);
    virtual bool OnTimer(UINT_PTR id);
    // Any message, before the hooks above; result is the answer.
    virtual bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    virtual void OnOK() { endModal(IDOK); }
    virtual void OnCancel() { endModal(IDCANCEL); }

    LRESULT handleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

    // Helpers named after the calls they wrap.
    HWND getItem(int id) const { return GetDlgItem(hwnd(), id); }
    std::string getItemText(int id) const;
    void setItemText(int id, const std::string& text) const;
    void checkButton(int id, bool checked) const;
    bool isButtonChecked(int id) const;
    void enableItem(int id, bool enable) const;
    bool isItemEnabled(int id) const;
    void showItem(int id, bool show) const;
    LRESULT sendItemMessage(int id, UINT msg, WPARAM wp = 0, LPARAM lp = 0) const;
    // Moves the focus as the dialog manager does (WM_NEXTDLGCTL), so the
    // default push button follows.
    void gotoDlgCtrl(HWND control) const;
    // DM_SETDEFID / DM_GETDEFID; 0 = no default button.
    void setDefId(int id) const;
    int getDefId() const;
    // A tooltip for a control of the dialog; the tooltip window is made on
    // first use and goes with the dialog. text must outlive the dialog
    // (a string literal).
    void addTooltip(HWND control, const char* text);

private:
    static INT_PTR CALLBACK dialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    HWND m_tooltips = nullptr;
};

// GetWindowTextA / SetWindowTextA with std::string, for any window.
std::string getWindowText(HWND window);
void setWindowText(HWND window, const std::string& text);

} // namespace ui
