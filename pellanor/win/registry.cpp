// registry.cpp
#include "registry.h"

#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "pellanor/win/Module1.h"
#include "common/win32/handles.h"
#include "dataManipulation.h"
#include "seams.h"
#include "settings_rules.h"
#include "settings_store.h"

namespace registry {

using namespace settings_rules;

std::string userKeyPath(const std::string& title, const std::string& section) {
    return std::string(kCompanyKey) + title + "\\" + section;
}

std::string machineKeyPath() { return std::string(kCompanyKey) + kProgramTitle; }

namespace {
// A system result code, or -1 when code could not be had at all.
long codeOf(const std::function<long()>& code) {
    long result = -1;
    (void)userAction::attempt([&] {
        result = code();
        return Outcome::Ok;
    });
    return result;
}
} // namespace

long setValue(HKEY key, const std::string& name, DWORD type, const Value& value) {
    return codeOf([&]() -> long {
        if (type == REG_SZ) {
            std::string text = std::holds_alternative<std::string>(value)
                                   ? std::get<std::string>(value)
                                   : std::to_string(std::get<long>(value));
            return RegSetValueExA(key, name.c_str(), 0, REG_SZ,
                                  reinterpret_cast<const BYTE*>(text.c_str()),
                                  static_cast<DWORD>(text.size() + 1));
        }
        if (type == REG_DWORD) {
            DWORD n = 0;
            if (std::holds_alternative<long>(value)) {
                n = static_cast<DWORD>(std::get<long>(value));
            } else {
                long parsed = 0;
                if (!parseLong(std::get<std::string>(value), parsed)) return -1;
                n = static_cast<DWORD>(parsed);
            }
            return RegSetValueExA(key, name.c_str(), 0, REG_DWORD,
                                  reinterpret_cast<const BYTE*>(&n), sizeof n);
        }
        return 0;
    });
}

long queryValue(HKEY key, const std::string& name, std::string& value) {
    return codeOf([&]() -> long {
        DWORD type = 0, size = 0;
        if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            return -1;
        if (type == REG_SZ) {
            std::vector<char> buf(size + 1, '\0');
            LONG rc = RegQueryValueExA(key, name.c_str(), nullptr, nullptr,
                                       reinterpret_cast<BYTE*>(buf.data()), &size);
            if (rc != ERROR_SUCCESS) {
                value.clear();
                return rc;
            }
            // The stored length counts the NUL; a value written without one
            // keeps its last character rather than losing it.
            size_t n = size;
            if (n > 0 && buf[n - 1] == '\0') --n;
            value.assign(buf.data(), n);
            return 0;
        }
        if (type == REG_DWORD) {
            DWORD n = 0;
            size = sizeof n;
            LONG rc = RegQueryValueExA(key, name.c_str(), nullptr, nullptr,
                                       reinterpret_cast<BYTE*>(&n), &size);
            if (rc != ERROR_SUCCESS) return rc;
            value = std::to_string(static_cast<long>(n));
            return 0;
        }
        return -1;
    });
}

Outcome regWrite(HKEY root, const std::string& keyPath, const std::string& name,
                 const Value& value, DWORD type) {
    win32::RegKey key;
    if (RegCreateKeyExA(root, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, key.put(), nullptr) != ERROR_SUCCESS)
        return Outcome::Failed;
    return failedIf(setValue(key.get(), name, type, value) != 0);
}

Outcome regRead(HKEY root, const std::string& keyPath, const std::string& name, std::string& value) {
    win32::RegKey key;
    if (RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
        return Outcome::Failed;
    return failedIf(queryValue(key.get(), name, value) != 0);
}

namespace {
// One program's per-user settings under HKCU "SOFTWARE\Tamberly, Inc.\<title>".
class UserStore : public settings_store::Store {
public:
    explicit UserStore(std::string title) : m_title(std::move(title)) {}
    std::optional<std::string> read(const std::string& section, const std::string& name) const override {
        std::string value;
        if (failed(regRead(HKEY_CURRENT_USER, userKeyPath(m_title, section), name, value))) return std::nullopt;
        return value;
    }
    void write(const std::string& section, const std::string& name, const std::string& value) override {
        (void)regWrite(HKEY_CURRENT_USER, userKeyPath(m_title, section), name, value, REG_SZ);
    }

private:
    std::string m_title;
};

UserStore& programStore() {
    static UserStore store(kProgramTitle);
    return store;
}
} // namespace

std::string getSetting(const std::string& title, const std::string& section,
                       const std::string& name, const std::string& defaultValue) {
    return settings_store::get(UserStore(title), section, name, defaultValue);
}

void saveSetting(const std::string& title, const std::string& section,
                 const std::string& name, const std::string& value) {
    UserStore(title).write(section, name, value);
}

std::string getSetting(const Setting& setting) { return settings_store::get(programStore(), setting); }

std::string getSetting(const Setting& setting, const std::string& defaultValue) {
    return settings_store::get(programStore(), setting, defaultValue);
}

void saveSetting(const Setting& setting, const std::string& value) {
    settings_store::save(programStore(), setting, value);
}

settings_store::Store& programSettings() { return programStore(); }

long getNumber(const Setting& setting) { return settings_store::getNumber(programStore(), setting); }

bool getBoolean(const Setting& setting) { return settings_store::getBoolean(programStore(), setting); }

Outcome writeLastUpdate(bool reset) {
    return userAction::attempt([&] {
        SYSTEMTIME st;
        GetSystemTime(&st);
        FILETIME ft;
        SystemTimeToFileTime(&st, &ft);
        unsigned long long t = (static_cast<unsigned long long>(ft.dwHighDateTime) << 32) |
                               ft.dwLowDateTime;
        win32::RegKey key;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, machineKeyPath().c_str(), 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, key.put(),
                            nullptr) != ERROR_SUCCESS)
            return Outcome::Ok;
        setValue(key.get(), "lastUpdate", REG_SZ,
                 reset ? std::string("0") : lastUpdateText(t));
        return Outcome::Ok;
    });
}

bool seeIfRestrictedUser() {
    bool restricted = true;
    const Outcome checked =
        userAction::run({nullptr, "seeIfRestrictedUser", dataManipulation::kStopCaption, MB_ICONSTOP}, [&] {
            auto canRead = [] {
                win32::RegKey key;
                return RegOpenKeyExA(HKEY_LOCAL_MACHINE, kCompanyKey, 0, KEY_READ, key.put()) == ERROR_SUCCESS;
            };
            if (canRead()) {
                restricted = false;
                return;
            }
            if (!gIsWinNT) return;
            // The tool may be missing on a damaged installation; that is not an
            // error of ours, the second try simply decides.
            seams::startProcess(kRegIniCommand, SW_SHOWMAXIMIZED);
            restricted = !canRead();
        });
    return failed(checked) || restricted;
}

void readUserSettings(std::array<long, 2>& lRepeatCtr) {
    const settings_store::UserSettings read = settings_store::readUserSettings(programStore());
    gRepeatCount = read.repeatCount;
    lRepeatCtr = read.repeatLeft;
    gSnoozeTime = read.snoozeTime;
    gAudioAlert = read.audioAlert;
    gVisualAlert = read.visualAlert;
    gDesktopAlert = read.desktopAlert;
    gVerseFontSize = read.verseFontSize;
    gParallelTranslation = read.parallelTranslation;
}

void saveUserSettings(const std::array<long, 2>& lRepeatCtr, const std::string& topicFile,
                      std::optional<bool> buttonSounds) {
    saveSetting(settings::repeatCounter, std::to_string(gRepeatCount[0]));
    saveSetting(settings::repeatTopicCtr, std::to_string(gRepeatCount[1]));
    saveSetting(settings::filePath, gVerseRoot);
    saveSetting(settings::fileName, topicFile);
    saveSetting(settings::snoozeTime, std::to_string(gSnoozeTime));
    if (gCurTranslation >= 0 && gCurTranslation < static_cast<long>(gTranslations.size()))
        saveSetting(settings::translation, gTranslations[static_cast<size_t>(gCurTranslation)].folder);
    saveSetting(settings::audioAlert, booleanText(gAudioAlert));
    saveSetting(settings::visualAlert, booleanText(gVisualAlert));
    saveSetting(settings::desktopAlert, booleanText(gDesktopAlert));
    saveSetting(settings::verseFontSize, std::to_string(gVerseFontSize));
    saveSetting(settings::newVerseIndex, std::to_string(gVerseIndex));
    saveSetting(settings::firstTimeRun, booleanText(false));
    saveSetting(settings::repeatLeft0, std::to_string(lRepeatCtr[0]));
    saveSetting(settings::repeatLeft1, std::to_string(lRepeatCtr[1]));
    if (buttonSounds) saveSetting(settings::buttonSounds, booleanText(*buttonSounds));
    saveSetting(settings::parallelTranslation, booleanText(gParallelTranslation));
}

void readSchedulerSettings() {
    settings_store::SchedulerSettings read = settings_store::readSchedulerSettings(programStore());
    gUseWindowsScheduler = read.useWindowsScheduler;
    gSchedulerEnabled = read.enabled;
    gSchedulerTime = std::move(read.time);
}

bool readAutoStart() {
    std::string value;
    const Outcome read = regRead(HKEY_CURRENT_USER, kRunKey, kRunValue, value);
    return autoStartIsOn(succeeded(read), value);
}

} // namespace registry
