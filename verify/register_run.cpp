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
    // A quit ends the wait and is left for the caller's own loop.
    if (ui::waitDispatching(process.get(), timeoutMs) != ui::WaitEnd::Signalled) return false;
    return GetExitCodeProcess(process.get(), &exitCode) != FALSE;
}

void setRunHidden(RunFn fn) { hook() = std::move(fn); }

} // namespace registerRun
