// seams.cpp
#include "seams.h"

#include <htmlhelp.h>
#include <mmsystem.h>

#include <vector>

#include "common/win32/handles.h"

namespace seams {
namespace {

StartProcessFn& startProcessHook() { static StartProcessFn f; return f; }
HtmlHelpFn& htmlHelpHook() { static HtmlHelpFn f; return f; }
LogonUserFn& logonUserHook() { static LogonUserFn f; return f; }
NotifyIconFn& notifyIconHook() { static NotifyIconFn f; return f; }
TimeOfDayFn& timeOfDayHook() { static TimeOfDayFn f; return f; }
ShellOpenFn& shellOpenHook() { static ShellOpenFn f; return f; }
StartAsUserFn& startAsUserHook() { static StartAsUserFn f; return f; }
SoundDeviceCountFn& soundDeviceCountHook() { static SoundDeviceCountFn f; return f; }

// A function of a system DLL, found when first called: the DLL is loaded
// only by a program that needs it, not at every start, and stays loaded.
template <typename Fn>
Fn systemFunction(const char* dll, const char* name) {
    return win32::procAddress<Fn>(LoadLibraryA(dll), name);
}

// The shell's DLLs are loaded only by a program that goes to the tray or
// opens a document.
template <typename Fn>
Fn shellFunction(const char* name) {
    return systemFunction<Fn>("shell32.dll", name);
}

} // namespace

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
    win32::Handle thread(pi.hThread), process(pi.hProcess);
    return true;
}

void setStartProcess(StartProcessFn fn) { startProcessHook() = std::move(fn); }

HWND htmlHelp(HWND owner, const std::string& file, UINT command, DWORD_PTR data) {
    if (htmlHelpHook()) return htmlHelpHook()(owner, file, command, data);
    // hhctrl.ocx must stay loaded anyway: the help windows it opens belong
    // to it.
    static const auto proc = systemFunction<decltype(&HtmlHelpA)>("hhctrl.ocx", "HtmlHelpA");
    if (!proc) return nullptr;
    return proc(owner, file.empty() ? nullptr : file.c_str(), command, data);
}

void setHtmlHelp(HtmlHelpFn fn) { htmlHelpHook() = std::move(fn); }

BOOL notifyIcon(DWORD message, NOTIFYICONDATAA* data) {
    if (notifyIconHook()) return notifyIconHook()(message, data);
    static const auto shellNotifyIcon = shellFunction<decltype(&Shell_NotifyIconA)>("Shell_NotifyIconA");
    return shellNotifyIcon ? shellNotifyIcon(message, data) : FALSE;
}

void setNotifyIcon(NotifyIconFn fn) { notifyIconHook() = std::move(fn); }

long timeOfDaySeconds() {
    if (timeOfDayHook()) return timeOfDayHook()();
    SYSTEMTIME st;
    GetLocalTime(&st);
    return st.wHour * 3600L + st.wMinute * 60L + st.wSecond;
}

void setTimeOfDay(TimeOfDayFn fn) { timeOfDayHook() = std::move(fn); }

void shellOpen(const std::string& file) {
    if (shellOpenHook()) return shellOpenHook()(file);
    static const auto shellExecute = shellFunction<decltype(&ShellExecuteA)>("ShellExecuteA");
    if (shellExecute) shellExecute(nullptr, nullptr, file.c_str(), nullptr, "C:\\", SW_SHOWNORMAL);
}

void setShellOpen(ShellOpenFn fn) { shellOpenHook() = std::move(fn); }

bool startAsUser(const std::wstring& user, const std::wstring& password, const std::wstring& application) {
    if (startAsUserHook()) return startAsUserHook()(user, password, application);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring pw = password;
    BOOL ok = CreateProcessWithLogonW(user.c_str(), L"", pw.c_str(), LOGON_WITH_PROFILE, application.c_str(),
                                      nullptr, CREATE_DEFAULT_ERROR_MODE | CREATE_NEW_PROCESS_GROUP | CREATE_NEW_CONSOLE,
                                      nullptr, nullptr, &si, &pi);
    SecureZeroMemory(pw.data(), pw.size() * sizeof(wchar_t));
    if (!ok) return false;
    win32::Handle thread(pi.hThread), process(pi.hProcess);
    return true;
}

void setStartAsUser(StartAsUserFn fn) { startAsUserHook() = std::move(fn); }

UINT soundDeviceCount() {
    if (soundDeviceCountHook()) return soundDeviceCountHook()();
    static const auto count = systemFunction<UINT(WINAPI*)()>("winmm.dll", "waveOutGetNumDevs");
    return count ? count() : 0;
}

void setSoundDeviceCount(SoundDeviceCountFn fn) { soundDeviceCountHook() = std::move(fn); }

void playSoundImage(const char* wave) {
    static const auto play = systemFunction<BOOL(WINAPI*)(LPCSTR, UINT)>("winmm.dll", "sndPlaySoundA");
    if (play) play(wave, SND_ASYNC | SND_NODEFAULT | SND_MEMORY);
}

bool logonUser(const std::string& user, const std::string& domain, const std::string& password) {
    if (logonUserHook()) return logonUserHook()(user, domain, password);
    HANDLE token = nullptr;
    if (!LogonUserA(user.c_str(), domain.c_str(), password.c_str(), LOGON32_LOGON_NETWORK,
                    LOGON32_PROVIDER_DEFAULT, &token))
        return false;
    win32::Handle owned(token);
    return true;
}

void setLogonUser(LogonUserFn fn) { logonUserHook() = std::move(fn); }

} // namespace seams
