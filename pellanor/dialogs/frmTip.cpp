// frmTip.cpp
#include "frmTip.h"

#include <windows.h>
#include <htmlhelp.h>

#include <chrono>

#include "pellanor/win/Module1.h"
#include "dataManipulation.h"
#include "dialog_shared.h"
#include "frmTip_res.h"
#include "modHyperLink.h"
#include "registry.h"
#include "seams.h"
#include "settings_rules.h"
#include "text_files.h"

using dialog_shared::kCrLf;
using dataManipulation::kProgramErrorCaption;

std::string frmTip::purposeText() {
    return std::string("OUR PURPOSE:") + kCrLf + kCrLf +
           "This program was written because we believe in the absolute power of God's Word.  Proverbs "
           "3:1-6 tell us that if we want to change our lives, we must keep God's word before us so that "
           "we can meditate on it throughout the day." +
           kCrLf +
           "It is our hope and prayer that you will find this program easy to use as you are reminded to "
           "see, speak, and meditate on God's Word." +
           kCrLf + kCrLf + "The team at Tamberly, Inc.";
}

std::string frmTip::sleepNotice() {
    return std::string(kCrLf) + "PLEASE READ.... press the " + "Sleep Button in the toolbar to put the " +
           "program to sleep (like an alarm clock).  It will wake up in " +
           "15 minutes to remind you to meditate on the Word of God again." + kCrLf +
           "The Sleep Time can be changed by pressing the Options Button.";
}

std::string frmTip::missingFileText() {
    return std::string("That the ") + kTipsFile + " file was not found? " + kCrLf + kCrLf +
           "Create a text file named " + kTipsFile + " using NotePad with 1 tip per line. " +
           "Then place it in the same directory as the application. ";
}

frmTip::frmTip(HWND owner) { create(IDD_TIP, owner); }

void frmTip::showDialog(HWND owner) { dialog_shared::showModal<frmTip>(owner); }

bool frmTip::OnInit() {
    Label1 = getItem(IDC_TIP_LABEL1);
    lblTipText = {getItem(IDC_TIP_TEXT0), getItem(IDC_TIP_TEXT1)};
    Picture1 = getItem(IDC_TIP_PICTURE1);
    chkLoadTipsAtStartup = getItem(IDC_TIP_SHOWATSTARTUP);
    cmdNextTip = getItem(IDC_TIP_NEXTTIP);
    cmdOK = getItem(IDOK);
    Label2 = getItem(IDC_TIP_LABEL2);
    m_images = {LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_INFORMATION)),
                LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_EXCLAMATION))};
    ui::setWindowText(Label2, dialog_shared::kMakerWebAddress);
    showPicture(0);
    Form_Load();
    return true;
}

void frmTip::Form_Load() {
    // Every opening stores the choice as 1: the box starts unticked, so
    // ticking it runs its handler.
    userAction::logged("frmTip_Form_Load", [&] {
        checkButton(IDC_TIP_SHOWATSTARTUP, true);
        chkLoadTipsAtStartup_Click();
    });
    userAction::logged("frmTip_Form_Load", [&] {
        m_random.seed(static_cast<std::mt19937::result_type>(
            std::chrono::high_resolution_clock::now().time_since_epoch().count()));
    });
    const std::string tipsPath = seams::programFolder() + "\\" + kTipsFile;
    if (!gFirstTimeRun) {
        userAction::logged("frmTip_Form_Load", [&] {
            if (!LoadTips(tipsPath)) ui::setWindowText(lblTipText[0], missingFileText());
        });
        userAction::logged("frmTip_Form_Load", [&] {
            ShowWindow(Picture1, SW_SHOWNA);
            ShowWindow(lblTipText[1], SW_HIDE);
        });
        return;
    }
    userAction::logged("frmTip_Form_Load",
                       [] { seams::htmlHelp(nullptr, gHelpFile, HH_HELP_CONTEXT, kPurposeHelpContext); });
    gFirstTimeRun = false;
    userAction::logged("frmTip_Form_Load", [&] {
        ui::setWindowText(lblTipText[1], purposeText());
        ShowWindow(Picture1, SW_HIDE);
        ShowWindow(lblTipText[1], SW_SHOWNA);
        // The tip read below waits under the purpose text; hidden, so the
        // two never paint over each other.
        ShowWindow(lblTipText[0], SW_HIDE);
    });
    userAction::logged("frmTip_Form_Load", [&] { LoadTips(tipsPath); });
    userAction::logged("frmTip_Form_Load", [&] { EnableWindow(cmdNextTip, FALSE); });
}

bool frmTip::LoadTips(const std::string& fileName) {
    bool loaded = false;
    (void)userAction::run({hwnd(), "frmTip_LoadTips", kProgramErrorCaption, MB_ICONINFORMATION}, [&] {
        std::vector<std::string> lines;
        if (!dialog_shared::readLines(fileName, lines)) return;
        tips = std::move(lines);
        DoNextTip();
        loaded = true;
    });
    return loaded;
}

void frmTip::DoNextTip() {
    (void)userAction::run({hwnd(), "frmTip_DoNextTip", kProgramErrorCaption, MB_ICONINFORMATION}, [&] {
                             double r = std::uniform_real_distribution<double>(0.0, 1.0)(m_random);
                             currentTip = text_files::pickTip(r, tips.size());
                             DisplayCurrentTip();
                         });
}

void frmTip::DisplayCurrentTip() {
    if (tips.empty() || currentTip < 1 || currentTip > static_cast<long>(tips.size())) return;
    ui::setWindowText(lblTipText[0], tips[static_cast<size_t>(currentTip - 1)]);
}

void frmTip::showPicture(int which) {
    m_picture = which;
    SendMessageA(Picture1, STM_SETICON, reinterpret_cast<WPARAM>(m_images[static_cast<size_t>(which)]), 0);
}

void frmTip::cmdNextTip_Click() {
    userAction::logged("frmTip_cmdNextTip_Click", [&] {
        showPicture(0);
        ShowWindow(Picture1, SW_SHOWNA);
        ShowWindow(lblTipText[1], SW_HIDE);
        ShowWindow(lblTipText[0], SW_SHOWNA);
        DoNextTip();
    });
}

void frmTip::cmdOK_Click() {
    bool firstRunDisplay = false;
    userAction::logged("frmTip_cmdOK_Click",
                       [&] { firstRunDisplay = ui::getWindowText(lblTipText[1]) == purposeText(); });
    if (!firstRunDisplay) {
        endModal(IDOK);
        return;
    }
    userAction::logged("frmTip_cmdOK_Click", [&] {
        ui::setWindowText(lblTipText[0], sleepNotice());
        ShowWindow(lblTipText[0], SW_SHOWNA);
        ShowWindow(Picture1, SW_SHOWNA);
        ShowWindow(Label1, SW_HIDE);
        showPicture(1);
        ShowWindow(lblTipText[1], SW_HIDE);
        ui::setWindowText(lblTipText[1], "");
        EnableWindow(cmdNextTip, TRUE);
    });
}

void frmTip::chkLoadTipsAtStartup_Click() {
    userAction::logged("frmTip_chkLoadTipsAtStartup_Click", [&] {
        int value = IsDlgButtonChecked(hwnd(), IDC_TIP_SHOWATSTARTUP) == BST_CHECKED ? 1 : 0;
        registry::saveSetting(settings_rules::settings::showTipsAtStartup, std::to_string(value));
    });
}

void frmTip::Label2_Click() {
    userAction::logged("frmTip_Label2_Click", [] { modHyperLink::openURL(dialog_shared::kMakerWebAddress); });
}

bool frmTip::OnCommand(int id, int code, HWND control) {
    return runCommands("frmTip_OnCommand", id, code, control, {
        {IDC_TIP_NEXTTIP, BN_CLICKED, [this] { cmdNextTip_Click(); }},
        {IDC_TIP_SHOWATSTARTUP, BN_CLICKED, [this] { chkLoadTipsAtStartup_Click(); }},
        {IDC_TIP_LABEL2, STN_CLICKED, [this] { Label2_Click(); }},
    });
}
