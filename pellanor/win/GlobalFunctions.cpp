// GlobalFunctions.cpp
#include "pellanor/win/GlobalFunctions.h"

#include <vector>

#include "pellanor/win/Module1.h"
#include "dataManipulation.h"
#include "registry.h"
#include "seams.h"
#include "settings_rules.h"
#include "text_fields.h"

namespace GlobalFunctions {

using namespace settings_rules;

Outcome deleteFile(const std::string& path) { return failedIf(DeleteFileA(path.c_str()) == 0); }

Outcome makePath(const std::string& path) {
    std::string p = path;
    if (p.empty() || p.back() != '\\') {
        size_t slash = p.find_last_of('\\');
        p = slash == std::string::npos ? std::string() : p.substr(0, slash + 1);
    }
    if (p.empty() || p.back() != '\\') p += '\\';
    char saved[MAX_PATH * 2];
    DWORD n = GetCurrentDirectoryA(sizeof saved, saved);
    // Walk the path one folder at a time below the drive root, creating
    // each folder that cannot be entered.
    size_t from = p.find('\\');
    while (from != std::string::npos) {
        size_t next = p.find('\\', from + 1);
        if (next == std::string::npos) break;
        std::string prefix = p.substr(0, next);
        if (!SetCurrentDirectoryA(prefix.c_str())) CreateDirectoryA(prefix.c_str(), nullptr);
        from = next;
    }
    if (n > 0 && n < sizeof saved) SetCurrentDirectoryA(saved);
    return Outcome::Ok;
}

bool testForControlCodes(const std::string& text, HWND owner) {
    bool found = true;
    const Outcome tested =
        userAction::run({owner, "testForControlCodes", "Testing Error....", MB_ICONINFORMATION}, [&] {
            // The caller answers with a refusal of its own: a message after
            // this test in the same action shows no box.
            gActionRule.boxShown();
            std::vector<unsigned char> bytes(text.size());
            found = dataManipulation::stringToBytes(text, bytes, static_cast<long>(text.size()), 0) != 0 ||
                    text_rules::hasControlCodes(text);
        });
    return failed(tested) || found;
}

void runVerify() {
    seams::startProcess("\"" + seams::programFolder() + "\\verify.exe\"", SW_SHOWNORMAL);
}

void saveVersionNumbers() {
    std::string key = registry::machineKeyPath();
    // A number that cannot be stored is compared again at the next start.
    (void)registry::regWrite(HKEY_LOCAL_MACHINE, key, "revMajor", std::to_string(kRevMajor), REG_SZ);
    (void)registry::regWrite(HKEY_LOCAL_MACHINE, key, "revMinor", std::to_string(kRevMinor), REG_SZ);
    (void)registry::regWrite(HKEY_LOCAL_MACHINE, key, "revRevision", std::to_string(kRevRevision), REG_SZ);
}

std::string autoStartCommand() {
    char buf[MAX_PATH * 2];
    DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
    std::string path(buf, n < sizeof buf ? n : 0);
    size_t slash = path.find_last_of('\\');
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = base.find_last_of('.');
    if (dot != std::string::npos) base.resize(dot);
    return quotedProgramPath(seams::programFolder(), base);
}

namespace {
Outcome writeRunValue(HWND owner, const std::string& value, const char* failureText,
                      const char* routine) {
    return userAction::run({owner, routine, dataManipulation::kErrorCaption, MB_ICONINFORMATION}, [&] {
        if (succeeded(registry::regWrite(HKEY_CURRENT_USER, kRunKey, kRunValue, value, REG_SZ)))
            return Outcome::Ok;
        dataManipulation::showMessage(owner, failureText, "Unable to Update the Registry", MB_ICONSTOP);
        return Outcome::Failed;
    });
}
} // namespace

Outcome regAuto(HWND owner) {
    return writeRunValue(owner, autoStartCommand(),
                         "I am unable to write the necessary information to the registry in order "
                         "to allow the program to be automatically launched.",
                         "regAuto");
}

Outcome regNonAuto(HWND owner) {
    return writeRunValue(owner, kRunValueOff,
                         "I cannot clear the registry setting that starts the program automatically",
                         "regNonAuto");
}

} // namespace GlobalFunctions
