// OrvaneAutoUpdateMod.cpp
// The update server the auto-update dialog asks.
#include "OrvaneAutoUpdate.h"
#include "registry.h"
#include "settings_rules.h"
#include "update_plan.h"

namespace OrvaneAutoUpdateMod {

std::string updateServer() {
    std::string s = registry::getSetting(settings_rules::settings::updateServer);
    return update_plan::isHostSetting(s) ? s : kDefaultUpdateServer;
}

} // namespace OrvaneAutoUpdateMod
