// frmMain_menus.cpp
// The options and information pop-up menus, their handlers, and the main
// window's side of program updates.
#include <windows.h>
#include <htmlhelp.h>
#include <richedit.h>

#include <optional>
#include <stdexcept>

#include "common/com/bstr.h"
#include "pellanor/win/GlobalFunctions.h"
#include "pellanor/win/Module1.h"
#include "dataManipulation.h"
#include "frmLogin.h"
#include "frmMain.h"
#include "modHyperLink.h"
#include "registry.h"
#include "revision_check.h"
#include "seams.h"

using dataManipulation::kErrorCaption;
using dataManipulation::kStopCaption;

namespace {

// A machine-wide value; none when it cannot be read.
std::optional<std::string> machineValue(const char* name) {
    std::string text;
    if (failed(registry::regRead(HKEY_LOCAL_MACHINE, registry::machineKeyPath(), name, text))) return std::nullopt;
    return text;
}

} // namespace

void frmMain::createMenus() {
    mnuPopUpOptions = CreatePopupMenu();
    AppendMenuA(mnuPopUpOptions, MF_STRING, mnuOptions, "Program Options");
    AppendMenuA(mnuPopUpOptions, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(mnuPopUpOptions, MF_STRING, mnuParallel, "Display Parallel Translations");
    AppendMenuA(mnuPopUpOptions, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(mnuPopUpOptions, MF_STRING, mnuAutoStart, "Automatically Run when you start your computer/log in");
    AppendMenuA(mnuPopUpOptions, MF_STRING, mnuSchedule, "Choose a Specific Time to Run Pellanor");

    mnuPopupHelp = CreatePopupMenu();
    AppendMenuA(mnuPopupHelp, MF_STRING, mnuHelp, "Help");
    AppendMenuA(mnuPopupHelp, MF_STRING, mnuUpdates, "Check for Program Updates");
    AppendMenuA(mnuPopupHelp, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(mnuPopupHelp, MF_STRING, mnuButtonSounds, "Button Sounds");
    AppendMenuA(mnuPopupHelp, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(mnuPopupHelp, MF_STRING, mnuContact, "Contact Us");
    AppendMenuA(mnuPopupHelp, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(mnuPopupHelp, MF_STRING, mnuCopyrights, "Copyrights");
    AppendMenuA(mnuPopupHelp, MF_STRING, mnuLordJesus, "Learn More about Jesus");
    AppendMenuA(mnuPopupHelp, MF_STRING, mnuAbout, "About Pellanor");
}

void frmMain::destroyMenus() {
    for (HMENU* m : {&mnuPopUpOptions, &mnuPopupHelp, &m_rcPopup}) {
        if (*m) DestroyMenu(*m);
        *m = nullptr;
    }
}

void frmMain::checkMenu(UINT item, bool on) {
    CheckMenuItem(item == mnuButtonSounds || item == mnuUpdates ? mnuPopupHelp : mnuPopUpOptions, item,
                  MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

bool frmMain::menuChecked(UINT item) {
    settleSoundCheck();
    HMENU m = item == mnuButtonSounds || item == mnuUpdates ? mnuPopupHelp : mnuPopUpOptions;
    return (GetMenuState(m, item, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

bool frmMain::menuEnabled(UINT item) {
    settleSoundCheck();
    HMENU m = item == mnuButtonSounds || item == mnuUpdates ? mnuPopupHelp : mnuPopUpOptions;
    UINT state = GetMenuState(m, item, MF_BYCOMMAND);
    return state != static_cast<UINT>(-1) && !(state & (MF_DISABLED | MF_GRAYED));
}

bool frmMain::menuPresent(UINT item) {
    settleSoundCheck();
    HMENU m = item == mnuButtonSounds || item == mnuUpdates ? mnuPopupHelp : mnuPopUpOptions;
    return GetMenuState(m, item, MF_BYCOMMAND) != static_cast<UINT>(-1);
}

// The button-sound item is there and enabled only when this run could offer
// the choice: a sound device exists and the access is not limited.
bool frmMain::buttonSoundsOffered() { return menuEnabled(mnuButtonSounds); }

void frmMain::showOptionsMenu() {
    POINT p;
    GetCursorPos(&p);
    SetForegroundWindow(hwnd());
    TrackPopupMenu(mnuPopUpOptions, TPM_LEFTALIGN | TPM_RIGHTBUTTON, p.x, p.y, 0, hwnd(), nullptr);
}

void frmMain::showHelpMenu() {
    settleSoundCheck();
    POINT p;
    GetCursorPos(&p);
    SetForegroundWindow(hwnd());
    TrackPopupMenu(mnuPopupHelp, TPM_LEFTALIGN | TPM_RIGHTBUTTON, p.x, p.y, 0, hwnd(), nullptr);
}

bool frmMain::menuCommand(UINT id) {
    // Each item is a user action; what escapes its handler is logged.
    bool handled = true;
    (void)userAction::run({nullptr, "menuCommand"}, [&] { handled = runMenuCommand(id); });
    return handled;
}

bool frmMain::runMenuCommand(UINT id) {
    switch (id) {
    case mnuOptions: mnuOptions_Click(); return true;
    case mnuParallel: mnuParallel_Click(); return true;
    case mnuAutoStart: mnuAutoStart_Click(); return true;
    case mnuSchedule: mnuSchedule_Click(); return true;
    case mnuHelp: mnuHelp_Click(); return true;
    case mnuUpdates: mnuUpdates_Click(); return true;
    case mnuButtonSounds: mnuButtonSounds_Click(); return true;
    case mnuContact: mnuContact_Click(); return true;
    case mnuCopyrights: mnuCopyrights_Click(); return true;
    case mnuLordJesus: mnuLordJesus_Click(); return true;
    case mnuAbout: mnuAbout_Click(); return true;
    case mnuRCPsend: mnuRCPsend_Click(); return true;
    case mnuRCPquit: mnuRCPquit_Click(); return true;
    default: return false;
    }
}

void frmMain::mnuOptions_Click() {
    (void)userAction::run({hwnd(), "mnuOptions_click", kErrorCaption, MB_ICONSTOP}, [&] {
        gChosenTranslation = gCurTranslation;
        gDialogCancelled = true;
        if (openOptionsDialog) openOptionsDialog(hwnd());
        if (!gDialogCancelled) {
            lRepeatCtr[0] = gRepeatCount[0];
            lRepeatCtr[1] = gRepeatCount[1];
            // Each step has reported its own failure.
            if (gChosenTranslation != gCurTranslation &&
                (failed(changeTranslations(gChosenTranslation)) || failed(displayVerses()) ||
                 failed(rebuildTopics())))
                return;
        }
        throwOnFailure(UpdateStatusBar());
        throwOnFailure(displayVerses());
    });
}

void frmMain::mnuParallel_Click() {
    (void)userAction::run({hwnd(), "mnuParallel_click", kErrorCaption, MB_ICONSTOP}, [&] {
        gParallelTranslation = !gParallelTranslation;
        checkMenu(mnuParallel, gParallelTranslation);
        // Turning the view on shows the other translations of the current topic.
        if (gParallelTranslation) {
            long k = currentTopicIndex();
            if (k >= 0 && !gTopics[static_cast<size_t>(k)].isUserFile)
                loadParallelTranslations(gTopics[static_cast<size_t>(k)].fileName);
        }
        throwOnFailure(displayVerses());
    });
}

// The Run value's writers report their own failure; the flag and the check
// mark follow the choice either way.
void frmMain::setAutoStart(bool on) {
    if (on) (void)GlobalFunctions::regAuto(hwnd());
    else (void)GlobalFunctions::regNonAuto(hwnd());
    gAutoStart = on;
    checkMenu(mnuAutoStart, gAutoStart);
}

void frmMain::mnuAutoStart_Click() {
    (void)userAction::run({hwnd(), "mnuAuto_click_click", kErrorCaption, MB_ICONSTOP},
                          [&] { setAutoStart(!gAutoStart); });
}

void frmMain::mnuSchedule_Click() {
    // The schedule dialog reports its own failures.
    (void)userAction::run({}, [&] {
        if (openScheduleDialog) openScheduleDialog(hwnd());
    }, {});
    ShowWindow(picButton[7], gSchedulerEnabled || gUseWindowsScheduler ? SW_SHOWNA : SW_HIDE);
    Form_Resize();
    (void)displayVerses();
}

void frmMain::mnuHelp_Click() {
    if (GetFileAttributesA(gHelpFile.c_str()) == INVALID_FILE_ATTRIBUTES) {
        char caption[256] = {};
        GetWindowTextA(hwnd(), caption, sizeof caption);
        seams::messageBox(hwnd(), "Unable to display Help Contents. There is no Help associated with this project.  ",
                          caption, MB_ICONINFORMATION);
        return;
    }
    seams::htmlHelp(nullptr, gHelpFile, HH_HELP_CONTEXT, 1010);
}

void frmMain::mnuContact_Click() { seams::htmlHelp(nullptr, gHelpFile, HH_HELP_CONTEXT, 1004); }

void frmMain::mnuButtonSounds_Click() {
    settleSoundCheck();
    buttonSoundsOn = !buttonSoundsOn;
    checkMenu(mnuButtonSounds, buttonSoundsOn);
}

void frmMain::mnuCopyrights_Click() {
    if (openCopyrightsDialog) openCopyrightsDialog(hwnd());
}

void frmMain::mnuAbout_Click() {
    if (openAboutDialog) openAboutDialog(hwnd());
}

void frmMain::mnuLordJesus_Click() { modHyperLink::openURL(modHyperLink::kSalvationPage); }

void frmMain::mnuUpdates_Click() {
    (void)checkForUpdates();
    if (gPatchDownloaded) close();
}

Outcome frmMain::checkForUpdates() {
    return userAction::run({hwnd(), "checkForUpdates", kStopCaption, MB_ICONSTOP}, [&] {
        SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
        // The check is recorded only when the update dialog really ran.
        if (!openUpdateDialog) return;
        openUpdateDialog(hwnd());
        (void)registry::writeLastUpdate(false);
    });
}

Outcome frmMain::checkRevisions(bool& updateStarted, bool& newVersion) {
    updateStarted = false;
    return userAction::run({hwnd(), "checkRevisions", kStopCaption, MB_ICONSTOP}, [&] {
        using revision_check::storedNumber;
        const revision_check::Version stored{storedNumber(machineValue("revMajor")),
                                             storedNumber(machineValue("revMinor")),
                                             storedNumber(machineValue("revRevision"))};
        using revision_check::Decision;
        const Decision decision =
            revision_check::decide(stored, revision_check::patchExecuted(machineValue("patchExecuted")));
        bool restarted = false;
        if (decision == Decision::WarnOlder) {
            seams::messageBox(hwnd(), revision_check::kOlderText, revision_check::kOlderCaption, MB_ICONSTOP);
            (void)registry::writeLastUpdate(true);
        } else if (decision == Decision::NewVersion) {
            newVersion = true;
        } else if (decision == Decision::FailedPatch) {
            restarted = succeeded(handleFailedPatchInstall(updateStarted)) && updateStarted;
        }
        if (!revision_check::tidiesUp(decision, restarted)) return Outcome::Ok;
        GlobalFunctions::saveVersionNumbers();
        // A patch left behind is only tidied away; a value that cannot be
        // written is asked about again at the next start.
        (void)GlobalFunctions::deleteFile(seams::programFolder() + "\\update.exe");
        (void)registry::regWrite(HKEY_LOCAL_MACHINE, registry::machineKeyPath(), "patchExecuted",
                                 std::string("False"), REG_SZ);
        return Outcome::Ok;
    });
}

Outcome frmMain::handleFailedPatchInstall(bool& updateStarted) {
    updateStarted = false;
    // After each answer of the user the next box is one of its own.
    return userAction::run({hwnd(), "handleFailedPatchInstall", kStopCaption, MB_ICONSTOP}, [&] {
        const std::string notInstalled = "The last Program Update was not able to be completely installed.   \r\n";
        const std::string goTo = std::string("Please go to ") + modHyperLink::kUpdatesPage +
                                 " for the latest program updates.   ";
        if (gOSVersion.dwPlatformId != VER_PLATFORM_WIN32_NT) {
            dataManipulation::showMessage(hwnd(), notInstalled + goTo, "Program Update Was Not Installed...",
                                          MB_ICONINFORMATION);
            return;
        }
        int answer = dataManipulation::showMessage(
            hwnd(), notInstalled + ">>> Do you want to run the update under the admin account?  <<<   ",
            "Program Patch Needs To Be Installed...", MB_ICONQUESTION | MB_YESNO);
        if (answer != IDYES) {
            gActionRule.answered();
            dataManipulation::showMessage(hwnd(), goTo, "Program Update Was Not Installed", MB_ICONINFORMATION);
            return;
        }
        gLogonOK = false;
        if (openLogonDialog) openLogonDialog(hwnd());
        if (!gLogonOK) {
            gActionRule.answered();
            dataManipulation::showMessage(hwnd(), goTo, "Program Update Was Not Installed", MB_ICONINFORMATION);
            return;
        }
        SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_APPSTARTING)));
        UpdateWindow(hwnd());
        std::string app = seams::programFolder() + "\\update.exe";
        std::wstring password = com::toWide(gAdminPassword.text());
        bool started = seams::startAsUser(com::toWide(gAdminUser), password, com::toWide(app));
        // The password is not kept once it has been used.
        SecureZeroMemory(password.data(), password.size() * sizeof(wchar_t));
        wipeAdminPassword();
        SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
        if (started) {
            updateStarted = true;
        } else {
            gActionRule.answered();
            dataManipulation::showMessage(hwnd(), "The update was not able to be run.  " + goTo,
                                          "Program Update Was Not Installed", MB_ICONINFORMATION);
        }
    });
}
