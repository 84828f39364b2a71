// tip_display.cpp
#include "tip_display.h"

namespace tip_display {

namespace {
const char* const kCrLf = "\r\n";
} // namespace

Opening open(bool& firstTimeRun) {
    if (!firstTimeRun) return {};
    firstTimeRun = false;
    return {Display::Purpose, true};
}

std::optional<Display> afterOk(Display current) {
    if (current == Display::Purpose) return Display::Notice;
    return std::nullopt;
}

std::string showTipsValue(bool checked) { return checked ? "1" : "0"; }

std::string purposeText() {
    return std::string("OUR PURPOSE:") + kCrLf + kCrLf +
           "This program was written because we believe in the absolute power of God's Word.  Proverbs "
           "3:1-6 tell us that if we want to change our lives, we must keep God's word before us so that "
           "we can meditate on it throughout the day." +
           kCrLf +
           "It is our hope and prayer that you will find this program easy to use as you are reminded to "
           "see, speak, and meditate on God's Word." +
           kCrLf + kCrLf + "The team at Tamberly, Inc.";
}

std::string sleepNotice() {
    return std::string(kCrLf) + "PLEASE READ.... press the " + "Sleep Button in the toolbar to put the " +
           "program to sleep (like an alarm clock).  It will wake up in " +
           "15 minutes to remind you to meditate on the Word of God again." + kCrLf +
           "The Sleep Time can be changed by pressing the Options Button.";
}

std::string missingFileText() {
    return std::string("That the ") + kTipsFile + " file was not found? " + kCrLf + kCrLf +
           "Create a text file named " + kTipsFile + " using NotePad with 1 tip per line. " +
           "Then place it in the same directory as the application. ";
}

} // namespace tip_display
