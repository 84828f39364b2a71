// settings_store.h
// Reading the stored settings: what each value becomes when it is missing,
// out of range or no number, and the values that hang on one another (a
// repeat counter left defaults to its count, all alerts off turns two back
// on, the program's own scheduler is off while the Windows one is chosen).
// The rules see the store only through Store, so they run natively against
// values in memory; the Windows layer keeps the values in the registry and
// sets the program-wide variables from what these return.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "settings_rules.h"

namespace settings_store {

// What the rules need of the place settings live: one program's named
// values, grouped in sections (settings_rules::kUserSettings, ...).
class Store {
public:
    virtual ~Store() = default;
    // The value as text; none when it is missing or cannot be read.
    virtual std::optional<std::string> read(const std::string& section, const std::string& name) const = 0;
    // Stores the value as text. One that cannot be stored keeps its earlier
    // value: the caller has nothing better to do.
    virtual void write(const std::string& section, const std::string& name, const std::string& value) = 0;
};

// A stored value, or defaultValue when there is none. With a "true"/"false"
// default the value comes back normalised ("true" or "false").
std::string get(const Store& store, const std::string& section, const std::string& name,
                const std::string& defaultValue);
// The same for a value of the settings table, with the table's default (or
// defaultValue where the default hangs on another value).
std::string get(const Store& store, const settings_rules::Setting& setting);
std::string get(const Store& store, const settings_rules::Setting& setting, const std::string& defaultValue);
void save(Store& store, const settings_rules::Setting& setting, const std::string& value);
// A number setting within its table range; a Boolean setting.
long getNumber(const Store& store, const settings_rules::Setting& setting);
bool getBoolean(const Store& store, const settings_rules::Setting& setting);

// The user settings the main window's load takes, with their limits.
struct UserSettings {
    std::array<long, 2> repeatCount{1, 1}; // the verse's and the topic's repeat counts
    std::array<long, 2> repeatLeft{1, 1};  // the showings left of each; missing: its count
    long snoozeTime = 15;
    bool audioAlert = true, visualAlert = true, desktopAlert = true;
    long verseFontSize = 10;
    bool parallelTranslation = true;
};
UserSettings readUserSettings(const Store& store);

// The scheduler choice, state and time.
struct SchedulerSettings {
    bool useWindowsScheduler = false;
    bool enabled = false; // always off while the Windows scheduler is chosen
    std::string time;
};
SchedulerSettings readSchedulerSettings(const Store& store);

} // namespace settings_store
