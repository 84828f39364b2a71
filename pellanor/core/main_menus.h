// main_menus.h
// What a run of the main window offers in its information menu: the Button
// Sounds item, which needs a sound device and the machine-wide key, and
// Check for Program Updates, which needs the key. Portable, so the
// decisions are checked without a menu.
#pragma once

namespace main_menus {

struct Offer {
    bool soundsItem = true;      // Button Sounds (and the separator above it) in the menu
    bool soundsEnabled = true;
    bool soundsOn = false;       // its check mark, and whether the buttons sound
    bool updatesEnabled = true;
    // Whether the run offered the choice. Only an offered choice is saved at
    // the close; otherwise the stored one is kept for a run that can offer it.
    bool offered() const { return soundsItem && soundsEnabled; }
};

// Limited access (no machine-wide key) greys both items and keeps the
// sounds off; the sound devices are then not counted. Otherwise a run with
// no sound device drops the item, and one with a device shows the stored
// choice.
Offer offer(bool limitedAccess, unsigned soundDevices, bool storedChoice);

} // namespace main_menus
