// register_run.cpp
#include "register_run.h"

#include <vector>

#include "common/ui/Window.h"
#include "common/win32/handles.h"

namespace registerRun {

namespace {
RunFn& hook() {
    static RunFn f;
    return f;
}
} // namespace

bool runHidden(const std::string& commandLine, DWORD& exitCode, DWORD timeoutMs) {
    if (hook()) return hook()(commandLine, exitCode);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION pi{};
    std::vector<char> cmd(commandLine.begin(), commandLine.end());
    cmd.push_back('\0');
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    win32::Handle thread(pi.hThread);
    win32::Handle process(pi.hProcess);
    if (!waitDispatching(process.get(), timeoutMs)) return false;
    return GetExitCodeProcess(process.get(), &exitCode) != FALSE;
}

bool waitDispatching(HANDLE object, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return WaitForSingleObject(object, 0) == WAIT_OBJECT_0;
        DWORD r = MsgWaitForMultipleObjectsEx(1, &object, static_cast<DWORD>(deadline - now), QS_ALLINPUT,
                                              MWMO_INPUTAVAILABLE);
        if (r == WAIT_OBJECT_0) return true;
        if (r != WAIT_OBJECT_0 + 1) return false;
        // The program is ending: stop waiting and leave the quit for the
        // caller's own loop.
        if (!ui::pumpPendingMessages()) return false;
    }
}

void setRunHidden(RunFn fn) { hook() = std::move(fn); }

} // namespace registerRun
