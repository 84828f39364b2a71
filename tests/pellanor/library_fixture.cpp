// library_fixture.cpp
#include "library_fixture.h"

#include "pellanor/win/Module1.h"

namespace testsupport {

void addTopic(const TempDir& root, const std::string& translationFolder,
              const std::string& fileName, const std::string& content) {
    writeBytes(root / (translationFolder + "\\" + fileName), content);
}

bool HeldFiles::hold(const std::string& path) {
    win32::File h(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) return false;
    m_handles.push_back(std::move(h));
    return true;
}

void resetLibraryState() {
    gVerseRoot.clear();
    gTranslations.clear();
    gCurTranslation = 0;
    gTopics.clear();
    gVerses.clear();
    gVerseIndex = 1;
    gErrorShown = false;
    gNoErrorLog = false;
    gHelpFile.clear();
    gSnoozeTime = 15;
    gMinutesLeft = 0;
    gSleepCountdown = false;
    gRepeatCount = {1, 1};
    gAudioAlert = gVisualAlert = gDesktopAlert = true;
    gSchedulerTime = "8:00:00 AM";
    gUseWindowsScheduler = false;
    gSchedulerEnabled = false;
    gDialogCancelled = true;
}

} // namespace testsupport
