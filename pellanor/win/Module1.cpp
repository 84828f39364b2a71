// Module1.cpp
// The program's entry: one copy only, find and load the verse library, then
// hand over to the main window.
#include "pellanor/win/Module1.h"

#include "common/win32/handles.h"
#include "dataManipulation.h"
#include "OrvaneAutoUpdate.h"
#include "frmAbout.h"
#include "frmCopyrights.h"
#include "frmFirstTime.h"
#include "frmMain.h"
#include "frmOptions.h"
#include "frmSchedule.h"
#include "frmTip.h"
#include "frmAddVerse.h"
#include "frmLogin.h"
#include "seams.h"
#include "verse_file.h"


namespace Module1 {

namespace {

// The dialogs the main window opens from its load, menus and buttons.
void wireDialogs(frmMain& form) {
    form.openOptionsDialog = &frmOptions::showDialog;
    form.openTipDialog = &frmTip::showDialog;
    form.openFirstTimeDialog = &frmFirstTime::showDialog;
    form.openAboutDialog = &frmAbout::showDialog;
    form.openCopyrightsDialog = &frmCopyrights::showDialog;
    form.openScheduleDialog = [](HWND owner) { frmSchedule::showDialog(owner); };
    form.openUpdateDialog = [](HWND owner) { OrvaneAutoUpdate::showDialog(owner); };
    form.openAddVerseDialog = [](HWND owner) { frmAddVerse::showDialog(owner); };
    form.openLogonDialog = [](HWND owner) { frmLogin::askForLogon(owner); };
}

const char* const kStartupFailureText =
    "A program error occurred - please run the program again.  If this does not work, please "
    "re-install using the Windows Control Panel.  ";
const char* const kStartupFailureCaption = "Program Error Occurred.... Exiting";

// What escaped a window's handlers (they run on the action road, so this
// is a last resort) is logged, never shown: rethrown, it is the failed step
// the log routine records.
void logUncaughtFailure(HWND, UINT) noexcept {
    userAction::logged("WindowProc", [] { throw; });
}
} // namespace

int Main() {
    ui::Window::setUncaughtFailure(logUncaughtFailure);
    gNoErrorLog = false;
    gForceOptions = false;

    // The mutex lives as long as this copy runs; a second copy sees it and
    // leaves without a word.
    win32::Handle instance(CreateMutexA(nullptr, FALSE, kInstanceMutexName));
    DWORD mutexError = GetLastError();
    if (mutexError == ERROR_ALREADY_EXISTS || mutexError == ERROR_ACCESS_DENIED) return 0;

    // Each step of the start-up is a user action of its own; the message
    // loop runs outside them all.
    frmMain form;
    struct ClearMainForm {
        ~ClearMainForm() { gMainForm = nullptr; }
    } clearMainForm;
    bool libraryFailed = false;
    const Outcome started = userAction::attempt([&] {
        gHelpFile = seams::programFolder() + "\\help.chm";
        bool quiet = false;
        if (failed(dataManipulation::findTranslations()) ||
            failed(dataManipulation::loadAllTranslations(nullptr, quiet))) {
            libraryFailed = true;
            return Outcome::Ok;
        }
        gMainForm = &form;
        if (!form.create()) return Outcome::Failed;
        wireDialogs(form);
        form.Form_Load();
        // The load closed the window (its own message, if any, stands alone).
        if (!form.isOpen()) return Outcome::Failed;
        ShowWindow(form.hwnd(), SW_SHOW);
        SetForegroundWindow(form.hwnd());
        return Outcome::Ok;
    });
    if (libraryFailed) return 1;
    if (failed(started)) {
        dataManipulation::showMessage(nullptr, kStartupFailureText, kStartupFailureCaption, MB_ICONSTOP);
        return 1;
    }
    return ui::runMessageLoop();
}

const std::string& windowsUser() {
    if (!gIsWinNT || !gWindowsUser.empty()) return gWindowsUser;
    char name[256] = {};
    ULONG size = sizeof name;
    // GetUserNameExA(NameSamCompatible) from secur32, loaded only now.
    using GetUserNameExFn = BOOLEAN(WINAPI*)(int, LPSTR, PULONG);
    constexpr int kNameSamCompatible = 2;
    win32::Module secur32(LoadLibraryA("secur32.dll"));
    auto getUserNameEx = win32::procAddress<GetUserNameExFn>(secur32.get(), "GetUserNameExA");
    if (getUserNameEx && getUserNameEx(kNameSamCompatible, name, &size)) {
        gWindowsUser = verse_file::trimBlanks(std::string_view(name, size < sizeof name ? size : 0));
    } else {
        DWORD n = sizeof name;
        name[0] = '\0';
        GetUserNameA(name, &n);
        gWindowsUser = verse_file::trimBlanks(name);
    }
    return gWindowsUser;
}

} // namespace Module1
