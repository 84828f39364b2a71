// settings_store.cpp
#include "settings_store.h"

namespace settings_store {

using namespace settings_rules;

std::string get(const Store& store, const std::string& section, const std::string& name,
                const std::string& defaultValue) {
    std::optional<std::string> value = store.read(section, name);
    if (!value) return defaultValue;
    if (isBooleanText(defaultValue)) return normaliseBoolean(*value);
    return *value;
}

std::string get(const Store& store, const Setting& setting) { return get(store, setting, setting.defaultText); }

std::string get(const Store& store, const Setting& setting, const std::string& defaultValue) {
    return get(store, setting.section, setting.name, defaultValue);
}

void save(Store& store, const Setting& setting, const std::string& value) {
    store.write(setting.section, setting.name, value);
}

long getNumber(const Store& store, const Setting& setting) { return limited(get(store, setting), setting); }

bool getBoolean(const Store& store, const Setting& setting) { return toBoolean(get(store, setting)); }

UserSettings readUserSettings(const Store& store) {
    UserSettings out;
    out.repeatCount[0] = getNumber(store, settings::repeatCounter);
    out.repeatCount[1] = getNumber(store, settings::repeatTopicCtr);
    out.repeatLeft[0] = limited(get(store, settings::repeatLeft0, std::to_string(out.repeatCount[0])),
                                settings::repeatLeft0);
    out.repeatLeft[1] = limited(get(store, settings::repeatLeft1, std::to_string(out.repeatCount[1])),
                                settings::repeatLeft1);
    out.snoozeTime = snoozeTime(get(store, settings::snoozeTime));
    out.audioAlert = getBoolean(store, settings::audioAlert);
    out.visualAlert = getBoolean(store, settings::visualAlert);
    out.desktopAlert = getBoolean(store, settings::desktopAlert);
    fixAlerts(out.audioAlert, out.visualAlert, out.desktopAlert);
    out.verseFontSize = getNumber(store, settings::verseFontSize);
    out.parallelTranslation = getBoolean(store, settings::parallelTranslation);
    return out;
}

SchedulerSettings readSchedulerSettings(const Store& store) {
    SchedulerSettings out;
    out.useWindowsScheduler = getBoolean(store, settings::useTheWindowsScheduler);
    out.enabled = out.useWindowsScheduler ? false : getBoolean(store, settings::schedulerEnabled);
    out.time = schedulerTime(get(store, settings::schedulerTime));
    return out;
}

} // namespace settings_store
