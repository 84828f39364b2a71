// program_seams.cpp
#include "common/win32/program_seams.h"

#include "common/win32/files.h"

namespace seams {
namespace {

MessageBoxFn& messageBoxHook() { static MessageBoxFn f; return f; }
AlertFn& alertHook() { static AlertFn f; return f; }
std::string& folderOverride() { static std::string s; return s; }

} // namespace

int messageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
    if (messageBoxHook()) return messageBoxHook()(owner, text, caption, flags);
    return MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
}

void setMessageBox(MessageBoxFn fn) { messageBoxHook() = std::move(fn); }

void flashWindow(HWND window) {
    if (alertHook()) return alertHook()("flash", window);
    FLASHWINFO fi{sizeof(FLASHWINFO), window, FLASHW_ALL | FLASHW_TIMER, 3, 0};
    FlashWindowEx(&fi);
}

void informationSound() {
    if (alertHook()) return alertHook()("sound", nullptr);
    MessageBeep(MB_ICONINFORMATION);
}

void setAlertObserver(AlertFn fn) { alertHook() = std::move(fn); }

std::string programFolder() {
    if (!folderOverride().empty()) return folderOverride();
    return win32::moduleFolder();
}

void setProgramFolder(const std::string& folder) { folderOverride() = folder; }

} // namespace seams
