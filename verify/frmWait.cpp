// frmWait.cpp
#include "frmWait.h"

#include <new>

#include "VerVrfy2.h"
#include "VerVrfyControl.h"
#include "late_bound.h"
#include "common/win32/program_seams.h"
#include "verify_res.h"

std::string runtimeErrorText(long number, const std::string& description) {
    return "Run-time error '" + std::to_string(number) + "':\r\n\r\n" +
           (description.empty() ? std::string("Automation error") : description);
}

void reportUncaughtFailure(HWND, UINT) noexcept {
    static bool reported = false;
    if (reported) return;
    reported = true;
    long number = 0;
    std::string description;
    try {
        throw;
    } catch (const latebound::ControlError& e) {
        number = e.number();
        description = e.description();
    } catch (const std::bad_alloc&) {
        number = 7;
        description = "Out of memory";
    } catch (...) {
    }
    try {
        seams::messageBox(nullptr, runtimeErrorText(number, description), "Component Verify for Pellanor",
                          MB_ICONERROR);
    } catch (...) {
        // Out of memory for the text: the program still ends.
    }
    PostQuitMessage(1);
}

bool frmWait::load() {
    if (!create(IDD_WAIT, nullptr)) return false;
    ShowWindow(hwnd(), SW_SHOW);
    UpdateWindow(hwnd());
    return true;
}

bool frmWait::OnInit() {
    Label1 = getItem(IDC_WAIT_LABEL1);
    SetTimer(hwnd(), Timer1, kTimer1Interval, nullptr);
    return true;
}

bool frmWait::OnTimer(UINT_PTR id) {
    if (id != Timer1) return false;
    Timer1_Timer();
    return true;
}

void frmWait::Timer1_Timer() {
    KillTimer(hwnd(), Timer1);
    VerVrfyControl::gTargetFile = VerVrfyControl::targetFileFor(seams::programFolder());

    VerVrfy2 conflicts;
    if (!conflicts.load()) {
        // The check could not be made (the control is missing, or it
        // failed): say so, and say nothing about the files.
        const auto& e = conflicts.loadError();
        conflicts.closeNow();
        seams::messageBox(hwnd(),
                          e ? runtimeErrorText(e->number(), e->description()) : runtimeErrorText(0, {}),
                          "Component Verify for Pellanor", MB_ICONERROR);
        close();
        return;
    }
    using VerVrfyControl::CheckEnd;
    switch (VerVrfyControl::checkEnd(VerVrfyControl::gConflictCount, VerVrfyControl::gEmbeddedFound)) {
    case CheckEnd::Conflicts:
        ShowWindow(hwnd(), SW_HIDE);
        ui::setWindowText(conflicts.hwnd(), "Important Program Files are Incorrect...");
        conflicts.showModal(nullptr);
        break;
    case CheckEnd::UpToDate:
        conflicts.closeNow();
        seams::messageBox(hwnd(), "All of the Windows support files necessary to run Pellanor are up to date.     ",
                          "All Files Are Up To Date", MB_ICONINFORMATION);
        break;
    case CheckEnd::NoFileList:
        conflicts.closeNow();
        seams::messageBox(hwnd(), VerVrfyControl::noFileListText(VerVrfyControl::gTargetFile),
                          std::string(VerVrfyControl::kNoFileListCaption), MB_ICONEXCLAMATION);
        break;
    }
    close();
}

void frmWait::onDestroyed() {
    if (onUnloaded) onUnloaded();
}
