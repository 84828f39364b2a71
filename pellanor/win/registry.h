// registry.h
// Every persistent setting lives in the registry as REG_SZ text (its NUL
// counted in the stored length). Reads never fail toward the caller: a
// missing key or value gives the default.
#pragma once

#include <windows.h>

#include <array>
#include <optional>
#include <string>
#include <variant>

#include "outcome.h"
#include "settings_rules.h"
#include "settings_store.h"

namespace registry {

using Value = std::variant<std::string, long>;

// Creates or opens root\keyPath and writes one value (REG_SZ or REG_DWORD).
Outcome regWrite(HKEY root, const std::string& keyPath, const std::string& name,
                 const Value& value, DWORD type);
// Opens root\keyPath for reading and reads one value into text form.
Outcome regRead(HKEY root, const std::string& keyPath, const std::string& name, std::string& value);

// The system's result code (0 = success), -1 on an unexpected failure.
// Types other than REG_SZ and REG_DWORD write nothing and report success.
long setValue(HKEY key, const std::string& name, DWORD type, const Value& value);
// 0 on success; the system's code for a failed read; -1 for a missing value,
// a type other than REG_SZ or REG_DWORD, or an unexpected failure. A DWORD
// comes back as its decimal text.
long queryValue(HKEY key, const std::string& name, std::string& value);

// One per-user setting under HKCU "SOFTWARE\Tamberly, Inc.\<title>\<section>",
// read by the rules of settings_store::get.
std::string getSetting(const std::string& title, const std::string& section,
                       const std::string& name, const std::string& defaultValue);
void saveSetting(const std::string& title, const std::string& section,
                 const std::string& name, const std::string& value);

// The same for a value of the program's settings table: read with the
// table's default (or defaultValue where the default depends on another
// value), saved as REG_SZ text.
std::string getSetting(const settings_rules::Setting& setting);
std::string getSetting(const settings_rules::Setting& setting, const std::string& defaultValue);
void saveSetting(const settings_rules::Setting& setting, const std::string& value);
// The program's per-user settings as a store, for the core's rules.
settings_store::Store& programSettings();
// A number setting within its table range; a Boolean setting.
long getNumber(const settings_rules::Setting& setting);
bool getBoolean(const settings_rules::Setting& setting);

// Machine-wide "lastUpdate": "0" when reset, else the current time.
Outcome writeLastUpdate(bool reset);

// True when the machine-wide company key cannot be read (limited access).
bool seeIfRestrictedUser();

// The registry-permission tool run once before the second try.
inline constexpr const char* kRegIniCommand =
    "c:\\progra~1\\tamberly\\regini.exe c:\\progra~1\\tamberly\\pellanorreg.ini";

// HKCU "SOFTWARE\Tamberly, Inc.\<title>\<section>"; HKLM "SOFTWARE\Tamberly, Inc.\Pellanor".
std::string userKeyPath(const std::string& title, const std::string& section);
std::string machineKeyPath();

// Reads the user settings into the program-wide variables by the rules of
// settings_store.h; lRepeatCtr gets the main window's two repeat counters.
void readUserSettings(std::array<long, 2>& lRepeatCtr);
// Saves the user settings at shutdown, in the order they have always been
// written: the counters, the place in the reading (topicFile, the current
// translation), the alerts and sizes, lRepeatCtr and the button sound.
// buttonSounds is empty when this run could not offer the choice (no sound
// device, limited access): the stored choice then stays as it is.
void saveUserSettings(const std::array<long, 2>& lRepeatCtr, const std::string& topicFile,
                      std::optional<bool> buttonSounds);
// Reads the scheduler choice, state and time (settings_store.h).
void readSchedulerSettings();
// Whether the program starts with Windows (the Run value).
bool readAutoStart();

} // namespace registry
