// Module1.cpp
#include "verify/Module1.h"

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include "common/ui/Window.h"
#include "common/win32/handles.h"
#include "common/win32/program_seams.h"
#include "frmWait.h"

namespace Module1 {

int Main() {
    win32::Handle instance(CreateMutexA(nullptr, FALSE, kInstanceMutexName));
    if (instance && GetLastError() == ERROR_ALREADY_EXISTS) {
        seams::messageBox(nullptr,
                          "Component Verify for Pellanor is already running..... please minimize all windows  to "
                          "see the copy that is running.",
                          "Program Already Running, Exiting.....", MB_ICONERROR);
        return 0;
    }
    ui::Window::setUncaughtFailure(reportUncaughtFailure);
    if (FAILED(OleInitialize(nullptr))) return 1;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    int code = 0;
    {
        frmWait wait;
        wait.onUnloaded = [] { PostQuitMessage(0); };
        code = wait.load() ? ui::runMessageLoop() : 1;
    }
    OleUninitialize();
    return code;
}

} // namespace Module1
