// frmFirstTime.h
// The new-user agreement of the program's first run. Accept sets
// gAgreementAccepted True and gAutoStartChoice to the start-at-logon box;
// Decline and the close box set nothing (the main window cleared
// gAgreementAccepted before opening it). View License Agreement opens the
// agreement in the help and keeps the dialog open. It shows no messages.
#pragma once

#include <windows.h>

#include <string>

#include "dialog_shared.h"

class frmFirstTime : public dialog_shared::CommandDialog {
public:
    explicit frmFirstTime(HWND owner);

    // What the main window's load opens: the dialog, modal over owner.
    static void showDialog(HWND owner);

    // Handlers, public so that tests act as the user does.
    void Command1_Click(); // Accept Agreement
    void Command2_Click(); // Decline Agreement
    void Command3_Click(); // View License Agreement

    HWND Text1 = nullptr;
    HWND Command1 = nullptr;
    HWND Command2 = nullptr;
    HWND Command3 = nullptr;
    HWND Label1_3 = nullptr;
    HWND chkSchedule = nullptr;

    static constexpr const char* kCaption = "Pellanor - New User Agreement";
    static constexpr int kAgreementHelpContext = 1005;
    static std::string agreementText();
    static std::string acceptanceText();

protected:
    bool OnInit() override;
    bool OnCommand(int id, int code, HWND control) override;
    // Enter presses nothing: accepting takes the Accept button itself.
    void OnOK() override {}
    void OnCancel() override { Command2_Click(); }

private:
    void Form_Load();
};
