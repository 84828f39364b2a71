// seams.cpp
#include "seams.h"

#include <htmlhelp.h>

#include <vector>

#include "common/win32/files.h"

namespace seams {
namespace {

MessageBoxFn& messageBoxHook() { static MessageBoxFn f; return f; }
StartProcessFn& startProcessHook() { static StartProcessFn f; return f; }
HtmlHelpFn& htmlHelpHook() { static HtmlHelpFn f; return f; }
std::string& folderOverride() { static std::string s; return s; }

using HtmlHelpAProc = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);

HtmlHelpAProc realHtmlHelp() {
    // hhctrl.ocx stays loaded for the life of the process, as the help
    // windows it opens belong to it.
    static HtmlHelpAProc proc = [] {
        HMODULE m = LoadLibraryA("hhctrl.ocx");
        return m ? reinterpret_cast<HtmlHelpAProc>(
                       reinterpret_cast<void*>(GetProcAddress(m, "HtmlHelpA")))
                 : nullptr;
    }();
    return proc;
}

} // namespace

int messageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
    if (messageBoxHook()) return messageBoxHook()(owner, text, caption, flags);
    return MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
}

void setMessageBox(MessageBoxFn fn) { messageBoxHook() = std::move(fn); }

bool startProcess(const std::string& commandLine, int showCommand) {
    if (startProcessHook()) return startProcessHook()(commandLine, showCommand);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = static_cast<WORD>(showCommand);
    PROCESS_INFORMATION pi{};
    std::vector<char> cmd(commandLine.begin(), commandLine.end());
    cmd.push_back('\0');
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

void setStartProcess(StartProcessFn fn) { startProcessHook() = std::move(fn); }

HWND htmlHelp(HWND owner, const std::string& file, UINT command, DWORD_PTR data) {
    if (htmlHelpHook()) return htmlHelpHook()(owner, file, command, data);
    HtmlHelpAProc proc = realHtmlHelp();
    if (!proc) return nullptr;
    return proc(owner, file.empty() ? nullptr : file.c_str(), command, data);
}

void setHtmlHelp(HtmlHelpFn fn) { htmlHelpHook() = std::move(fn); }

std::string programFolder() {
    if (!folderOverride().empty()) return folderOverride();
    return win32::moduleFolder();
}

void setProgramFolder(const std::string& folder) { folderOverride() = folder; }

} // namespace seams
