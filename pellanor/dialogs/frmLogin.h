// frmLogin.h
// The administrator logon: the user types the name and password of an
// administrator account; OK tests them with a network logon and, when the
// system accepts them, closes with gLogonOK True and the two in gAdminUser
// and gAdminPassword. A refused logon says so and stays open; Cancel closes
// with gLogonOK False. The dialog starts nothing itself.
//
// The password lives only in the password box and in gAdminPassword: every
// other copy is wiped as soon as it has served, the box is wiped when the
// dialog closes, and wipeAdminPassword() wipes the variable once the caller
// has used it (or at once when the logon was not accepted). It is never
// written to the log.
#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <string>

#include "common/ui/Dialog.h"
#include "common/win32/secret.h"
#include "EnterField.h"

class frmLogin : public ui::Dialog {
public:
    // Creates the dialog, hidden, over owner.
    explicit frmLogin(HWND owner);
    ~frmLogin() override;

    // What the main window calls: clears gLogonOK, shows the dialog modally
    // over owner and returns gLogonOK. When the logon was not accepted
    // (Cancel, the close box) the password typed is wiped at once.
    static bool askForLogon(HWND owner);

    void cmdOK_Click();
    void cmdCancel_Click();

    std::array<HWND, 2> txtUserName{};
    HWND cmdOK = nullptr;
    HWND cmdCancel = nullptr;

    static constexpr const char* kCaption = "Administrator Login";

protected:
    bool OnInit() override;
    void OnOK() override { cmdOK_Click(); }
    void OnCancel() override { cmdCancel_Click(); }
    void onClose() override;

private:
    std::array<std::unique_ptr<ui::EnterField>, 2> m_fields;
};

// Overwrites gAdminPassword's characters in memory and empties it.
void wipeAdminPassword();

using win32::secureWipe;
