// frmLogin.cpp
#include "frmLogin.h"

#include "pellanor/win/Module1.h"
#include "dataManipulation.h"
#include "dialog_shared.h"
#include "dialogs_res.h"
#include "seams.h"

void wipeAdminPassword() { gAdminPassword.clear(); }

frmLogin::frmLogin(HWND owner) { create(IDD_LOGIN, owner); }

frmLogin::~frmLogin() = default;

bool frmLogin::askForLogon(HWND owner) {
    // Only this dialog may say yes: a True left from an earlier logon
    // must not let a closed dialog pass as accepted.
    gLogonOK = false;
    dialog_shared::showModal<frmLogin>(owner);
    if (!gLogonOK) wipeAdminPassword();
    return gLogonOK;
}

bool frmLogin::OnInit() {
    txtUserName = {getItem(IDC_LOGIN_USERNAME0), getItem(IDC_LOGIN_USERNAME1)};
    cmdOK = getItem(IDOK);
    cmdCancel = getItem(IDCANCEL);
    SendMessageA(txtUserName[1], EM_SETPASSWORDCHAR, '*', 0);
    for (size_t i = 0; i < txtUserName.size(); ++i) {
        auto field = std::make_unique<ui::EnterField>();
        field->attach(txtUserName[i], IDOK,
                      {[this] {
                           (void)userAction::run({hwnd(), "frmLogin_txtUserName_gotfocus",
                                                  dataManipulation::kErrorCaption, MB_ICONINFORMATION},
                                                 [] {});
                       },
                       // Enter: OK becomes the default, so the next Enter
                       // presses it.
                       [this] {
                           (void)userAction::run({hwnd(), "frmLogin_txtUserName_keypress",
                                                  dataManipulation::kErrorCaption, MB_ICONINFORMATION},
                                                 [] {});
                           return true;
                       },
                       {}});
        m_fields[i] = std::move(field);
    }
    return true;
}

void frmLogin::cmdOK_Click() {
    gAdminUser = ui::getWindowText(txtUserName[0]);
    win32::readWindowText(txtUserName[1], gAdminPassword);
    const std::string domain;

    ui::setWindowText(hwnd(), "Please Wait....");
    HCURSOR previous = SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_APPSTARTING)));
    UpdateWindow(hwnd());

    if (seams::logonUser(gAdminUser, domain, gAdminPassword.text())) {
        gLogonOK = true;
        endModal(IDOK);
    } else {
        seams::messageBox(hwnd(), "The logon information was incorrect, please try again.   ",
                          "Password and/or Username were incorrect", MB_ICONINFORMATION);
        gotoDlgCtrl(txtUserName[0]);
    }

    if (hwnd()) ui::setWindowText(hwnd(), kCaption);
    SetCursor(previous ? previous : LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
}

void frmLogin::cmdCancel_Click() {
    gLogonOK = false;
    endModal(IDCANCEL);
}

void frmLogin::onClose() {
    // Overwrite the password box's text in place before it is emptied.
    HWND box = txtUserName[1];
    int n = box ? GetWindowTextLengthA(box) : 0;
    if (n > 0) SetWindowTextA(box, std::string(static_cast<size_t>(n), '*').c_str());
    if (box) SetWindowTextA(box, "");
}
