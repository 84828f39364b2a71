// main_menus.cpp
#include "main_menus.h"

namespace main_menus {

Offer offer(bool limitedAccess, unsigned soundDevices, bool storedChoice) {
    Offer o;
    if (limitedAccess) {
        o.soundsEnabled = false;
        o.updatesEnabled = false;
        return o;
    }
    o.soundsItem = soundDevices > 0;
    o.soundsOn = o.soundsItem && storedChoice;
    return o;
}

} // namespace main_menus
