// register_run.h
// Running the registration command of the register button: hidden, and
// waited for, so that the user is told whether it worked. The wait
// dispatches the thread's window messages, so the windows stay live while
// the command runs. Tests put in a recorder; nothing else in verify starts
// a process.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace registerRun {

// Starts commandLine with a hidden window and waits up to timeoutMs for it
// to end. True when it ran to its end; exitCode is then its exit code.
using RunFn = std::function<bool(const std::string& commandLine, DWORD& exitCode)>;
bool runHidden(const std::string& commandLine, DWORD& exitCode, DWORD timeoutMs = 60000);
void setRunHidden(RunFn fn); // an empty function restores the real start

} // namespace registerRun
