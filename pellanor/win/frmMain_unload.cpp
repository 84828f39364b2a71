// frmMain_unload.cpp
// The main window's shutdown: the unload on close or at the end of the
// session, what it saves, and the release of the tray icon and timers.
#include <windows.h>
#include <htmlhelp.h>

#include <optional>

#include "pellanor/win/Module1.h"
#include "dataManipulation.h"
#include "frmMain.h"
#include "registry.h"
#include "seams.h"
#include "settings_rules.h"
#include "sysTray.h"
#include "verse_navigation.h"

void frmMain::Form_QueryUnload() {
    // Closing is never refused.
}

void frmMain::onClose() {
    Form_QueryUnload();
    Form_Unload();
}

void frmMain::Form_Unload() {
    // Once only: the end of a session unloads, and a close may follow.
    if (m_unloaded) return;
    m_unloaded = true;
    // The program is ending, and a box now would hold up log-off: what
    // fails from here on (the step to the next verse may load a topic) is
    // logged only.
    action_rule::ActionRule::BoxesHeld closing(gActionRule);
    releaseTrayAndTimers();
    // A setting that cannot be saved keeps its earlier value.
    userAction::logged("frmMain_Form_Unload", [&] {
        settleSoundCheck();
        ui::Window::closeOtherForms(this);
        if (formLoaded) {
            saveWindowPlace();
            countThisShowing();
            registry::saveUserSettings(lRepeatCtr, currentTopicFile(),
                                       buttonSoundsOffered() ? std::optional<bool>(buttonSoundsOn)
                                                             : std::nullopt);
        }
    });
    // In every case the help windows go too.
    seams::htmlHelp(nullptr, std::string(), HH_CLOSE_ALL, 0);
}

// Whatever road ends the program while it sleeps, the icon goes and the
// window procedure comes back; no timer fires into the closing window.
void frmMain::releaseTrayAndTimers() {
    if (sysTray::gHooked && sysTray::gHookedWnd == hwnd()) sysTray::unhookWindow();
    if (sysTray::gIconShown) sysTray::deleteTrayIcon();
    for (FormTimer* t : {&timerVerse, &timerSchedule, &TimerTooltips, &tmrPrevNext}) t->setEnabled(false);
}

// The place, unless minimised.
void frmMain::saveWindowPlace() {
    if (IsIconic(hwnd())) return;
    RECT r;
    GetWindowRect(hwnd(), &r);
    using registry::saveSetting;
    namespace settings = settings_rules::settings;
    saveSetting(settings::mainLeft, std::to_string(r.left * ui::twipsPerPixelX()));
    saveSetting(settings::mainTop, std::to_string(r.top * ui::twipsPerPixelY()));
    saveSetting(settings::mainWidth, std::to_string((r.right - r.left) * ui::twipsPerPixelX()));
    saveSetting(settings::mainHeight, std::to_string((r.bottom - r.top) * ui::twipsPerPixelY()));
}

// This showing counts; the next start shows the next verse once the verse
// has been shown often enough.
void frmMain::countThisShowing() {
    verse_navigation::Library shown = library();
    if (verse_navigation::showingCounted(shown)) {
        (void)getNewVerseIndex();
        verse_navigation::reloadShowings(shown);
    }
}

std::string frmMain::currentTopicFile() const {
    long k = currentTopicIndex();
    return k >= 0 ? gTopics[static_cast<size_t>(k)].fileName : std::string();
}

void frmMain::onDestroyed() {
    destroyMenus();
    for (auto& images : m_buttonImages)
        for (win32::Bitmap& b : images) b.reset();
    if (gMainForm == this) PostQuitMessage(0);
}
