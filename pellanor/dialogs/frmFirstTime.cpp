// frmFirstTime.cpp
#include "frmFirstTime.h"

#include <windows.h>
#include <htmlhelp.h>

#include "pellanor/win/Module1.h"
#include "dataManipulation.h"
#include "dialog_shared.h"
#include "frmFirstTime_res.h"
#include "seams.h"
#include "settings_rules.h"

using dialog_shared::kCrLf;

std::string frmFirstTime::agreementText() {
    return std::string("Thank you for using ") + settings_rules::kProductTitle + kCrLf + kCrLf +
           "Pellanor is given to you free of charge. You may install and use it on any number of your "
           "computers, and give unchanged copies of the complete installation to others, as long as you "
           "do not charge for them and keep this agreement and the copyright notices with them." +
           kCrLf + kCrLf +
           "The program is provided \"as is\", without warranty of any kind, express or implied. "
           "Tamberly, Inc. is not liable for any loss or damage that comes from using it or from being "
           "unable to use it." +
           kCrLf + kCrLf + "The full agreement is in the help: press View License Agreement. "
           "Questions are welcome at " + dialog_shared::kMakerWebAddress + " or " +
           dialog_shared::kSupportMailAddress + ".";
}

std::string frmFirstTime::acceptanceText() {
    return std::string("By pressing Accept Agreement you agree to the user agreement of ") +
           settings_rules::kProductTitle + ".";
}

frmFirstTime::frmFirstTime(HWND owner) { create(IDD_FIRSTTIME, owner); }

void frmFirstTime::showDialog(HWND owner) { dialog_shared::showModal<frmFirstTime>(owner); }

bool frmFirstTime::OnInit() {
    Text1 = getItem(IDC_FT_TEXT1);
    Command1 = getItem(IDC_FT_COMMAND1);
    Command2 = getItem(IDCANCEL);
    Command3 = getItem(IDC_FT_COMMAND3);
    Label1_3 = getItem(IDC_FT_LABEL1_3);
    chkSchedule = getItem(IDC_FT_SCHEDULE);
    checkButton(IDC_FT_SCHEDULE, true);
    Form_Load();
    // The agreement's text has the focus, not a button: an Enter must never
    // accept, and the user reads before choosing.
    gotoDlgCtrl(Text1);
    SendMessageA(Text1, EM_SETSEL, 0, 0);
    return false;
}

void frmFirstTime::Form_Load() {
    userAction::logged("frmFirstTime_Form_Load", [&] { ui::setWindowText(Text1, agreementText()); });
    userAction::logged("frmFirstTime_Form_Load", [&] { ui::setWindowText(Label1_3, acceptanceText()); });
    userAction::logged("frmFirstTime_Form_Load",
                       [] { SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW))); });
}

void frmFirstTime::Command1_Click() {
    userAction::logged("frmFirstTime_Command1_Click",
                       [&] { gAutoStartChoice = IsDlgButtonChecked(hwnd(), IDC_FT_SCHEDULE) == BST_CHECKED; });
    gAgreementAccepted = true;
    endModal(IDOK);
}

void frmFirstTime::Command2_Click() { endModal(IDCANCEL); }

void frmFirstTime::Command3_Click() {
    // A help viewer that cannot open leaves nothing for the user to act on.
    (void)userAction::run({}, [] { seams::htmlHelp(nullptr, gHelpFile, HH_HELP_CONTEXT, kAgreementHelpContext); }, {});
}

bool frmFirstTime::OnCommand(int id, int code, HWND control) {
    // Other notifications of the buttons go on to ui::Dialog.
    return runCommands("frmFirstTime_OnCommand", id, code, control, {
        {IDC_FT_COMMAND1, BN_CLICKED, [this] { Command1_Click(); }},
        {IDC_FT_COMMAND3, BN_CLICKED, [this] { Command3_Click(); }},
    }, dialog_shared::OtherCodes::Passed);
}
