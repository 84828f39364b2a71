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
#include "tip_display.h"

using dataManipulation::kProgramErrorCaption;

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
    const std::string tipsPath = seams::programFolder() + "\\" + tip_display::kTipsFile;
    const tip_display::Opening opening = tip_display::open(gFirstTimeRun);
    m_display = opening.display;
    if (m_display == tip_display::Display::Tip) {
        userAction::logged("frmTip_Form_Load", [&] {
            if (!LoadTips(tipsPath)) ui::setWindowText(lblTipText[0], tip_display::missingFileText());
        });
        userAction::logged("frmTip_Form_Load", [&] {
            ShowWindow(Picture1, SW_SHOWNA);
            ShowWindow(lblTipText[1], SW_HIDE);
        });
        return;
    }
    if (opening.openPurposeHelp)
        userAction::logged("frmTip_Form_Load",
                           [] { seams::htmlHelp(nullptr, gHelpFile, HH_HELP_CONTEXT, kPurposeHelpContext); });
    userAction::logged("frmTip_Form_Load", [&] {
        ui::setWindowText(lblTipText[1], tip_display::purposeText());
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
    const std::optional<tip_display::Display> next = tip_display::afterOk(m_display);
    if (!next) {
        endModal(IDOK);
        return;
    }
    m_display = *next;
    userAction::logged("frmTip_cmdOK_Click", [&] {
        ui::setWindowText(lblTipText[0], tip_display::sleepNotice());
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
        const bool checked = IsDlgButtonChecked(hwnd(), IDC_TIP_SHOWATSTARTUP) == BST_CHECKED;
        registry::saveSetting(settings_rules::settings::showTipsAtStartup, tip_display::showTipsValue(checked));
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
