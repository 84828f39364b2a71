// frmAbout.cpp
#include "frmAbout.h"

#include <windows.h>
#include <htmlhelp.h>

#include "pellanor/win/Module1.h"
#include "dataManipulation.h"
#include "dialog_shared.h"
#include "frmAbout_res.h"
#include "modHyperLink.h"
#include "seams.h"
#include "settings_rules.h"

using dialog_shared::kCrLf;

std::string frmAbout::versionText(long major, long minor, long revision) {
    return "Version " + std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(revision);
}

std::string frmAbout::commitmentText() {
    return std::string("We are committed to helping people keep God's Word before them throughout the day.  ") +
           "We give this program away free of charge, and we will keep it free of advertising.  " +
           "We will never collect or sell information about you.  " +
           "We listen to every suggestion and answer every question our users send us." + kCrLf + kCrLf +
           "The Pellanor development team at Tamberly, Inc.";
}

frmAbout::frmAbout(HWND owner) { create(IDD_ABOUT, owner); }

void frmAbout::showDialog(HWND owner) { dialog_shared::showModal<frmAbout>(owner); }

bool frmAbout::OnInit() {
    lblTitle = getItem(IDC_ABOUT_TITLE);
    lblVersion = getItem(IDC_ABOUT_VERSION);
    picIcon = getItem(IDC_ABOUT_ICON);
    Label3 = getItem(IDC_ABOUT_LABEL3);
    Label5 = getItem(IDC_ABOUT_LABEL5);
    cmdCommittment = getItem(IDC_ABOUT_COMMITMENT);
    cmdOK = getItem(IDOK);
    Form_Load();
    return true;
}

void frmAbout::Form_Load() {
    (void)userAction::run({}, [&] {
        ui::setWindowText(hwnd(), kCaption);
        ui::setWindowText(lblVersion, versionText(settings_rules::kRevMajor, settings_rules::kRevMinor,
                                                  settings_rules::kRevRevision));
        ui::setWindowText(lblTitle, settings_rules::kProductTitle);
        ui::setWindowText(Label3, dialog_shared::kMakerWebAddress);
        ui::setWindowText(Label5, dialog_shared::kSupportMailAddress);
        HICON icon = LoadIconA(GetModuleHandleA(nullptr), "APPICON");
        if (!icon) icon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
        SendMessageA(picIcon, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    }, [&] {
        dataManipulation::showMessage(hwnd(), "An error occurred in the frmAbout_form_load function.",
                                      "Program Error", MB_ICONINFORMATION);
    });
}

void frmAbout::cmdOK_Click() { endModal(IDOK); }

void frmAbout::cmdCommittment_Click() {
    seams::messageBox(hwnd(), commitmentText(), "Our Committment", MB_ICONINFORMATION);
}

void frmAbout::Label3_Click() { modHyperLink::openURL(dialog_shared::kMakerWebAddress); }

void frmAbout::Label5_Click() { modHyperLink::sendMail(dialog_shared::kSupportMailAddress); }

bool frmAbout::OnCommand(int id, int code, HWND control) {
    return runCommands("frmAbout_OnCommand", id, code, control, {
        {IDC_ABOUT_COMMITMENT, BN_CLICKED, [this] { cmdCommittment_Click(); }},
        {IDC_ABOUT_LABEL3, STN_CLICKED, [this] { Label3_Click(); }},
        {IDC_ABOUT_LABEL5, STN_CLICKED, [this] { Label5_Click(); }},
    });
}

bool frmAbout::OnMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) {
    if (msg != WM_HELP) return false;
    seams::htmlHelp(nullptr, gHelpFile, HH_HELP_CONTEXT, kHelpContext);
    result = TRUE;
    return true;
}
