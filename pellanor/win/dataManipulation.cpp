// dataManipulation.cpp
#include "dataManipulation.h"

#include <htmlhelp.h>

#include <set>
#include <stdexcept>

#include "pellanor/win/Module1.h"
#include "common/win32/files.h"
#include "registry.h"
#include "seams.h"
#include "settings_rules.h"
#include "text_fields.h"
#include "topic_list.h"
#include "verse_file.h"
#include "verse_library.h"

namespace dataManipulation {

namespace {

std::string localDate() {
    char buf[128];
    int n = GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, buf, sizeof buf);
    return n > 0 ? std::string(buf) : std::string();
}

std::string localTime() {
    char buf[128];
    int n = GetTimeFormatA(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, buf, sizeof buf);
    return n > 0 ? std::string(buf) : std::string();
}

// The file system as the verse library's load sees it.
class WindowsDisk : public verse_library::Disk {
public:
    std::vector<verse_library::FolderEntry> list(const std::string& folder) const override {
        std::vector<verse_library::FolderEntry> out;
        for (const win32::FoundEntry& e : win32::findEntries(folder + "\\*")) out.push_back({e.name, e.isFolder});
        return out;
    }
    bool read(const std::string& path, std::string& content) const override {
        return win32::readWholeFile(path, content);
    }
};

const WindowsDisk& disk() {
    static const WindowsDisk d;
    return d;
}

// The damaged-file reports logged in this run. A user file is read once per
// translation, and the whole library again after the add-verses dialog:
// each report is logged the first time only.
void logDamageOnce(const std::string& report) {
    static std::set<std::string> logged;
    if (logged.insert(report).second) (void)logMessage(report);
}

} // namespace

int showMessage(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
    int result = 0;
    bool shown = false;
    if (gActionRule.mayShowBox()) {
        result = seams::messageBox(owner, text, caption, flags);
        gActionRule.boxShown();
        shown = true;
    }
    // The answer of a box the user saw always stands.
    if (!logMessage(text) && !shown) return -1;
    return result;
}

bool logMessage(const std::string& text) {
    if (gNoErrorLog) return true;
    if (verse_file::trimBlanks(gVerseRoot).empty()) gVerseRoot = seams::programFolder();
    std::string line = text_rules::logLine(localDate(), localTime(), text);
    if (win32::appendToFile(gVerseRoot + "\\" + kLogFileName, line)) return true;
    gNoErrorLog = true;
    return false;
}

Outcome findTranslations() {
    return userAction::run({}, [&] {
        gVerseRoot = seams::programFolder();
        verse_library::Translations found = verse_library::findTranslations(disk(), gVerseRoot);
        if (found.found == verse_library::Translations::Found::NoFolders) {
            showMessage(nullptr, verse_library::missingFoldersText(), kMissingFoldersCaption, MB_ICONSTOP);
            return Outcome::Failed;
        }
        gTranslations = std::move(found.table);
        if (gTranslations.empty()) return Outcome::Failed;

        verse_library::Pick pick =
            verse_library::pickTranslation(gTranslations, registry::getSetting(settings_rules::settings::translation));
        gCurTranslation = pick.current;
        if (pick.saveFirst) registry::saveSetting(settings_rules::settings::translation, gTranslations[0].folder);
        return Outcome::Ok;
    }, {});
}

Outcome loadVerseFile(const std::string& path, long& lineCount, HWND owner, long& indexToCheck,
                      std::string& message, std::string& caption, long& flags, VerseArray& verses) {
    (void)owner;
    std::string buffer;
    verse_library::TopicRead read = verse_library::readTopic(disk(), path, indexToCheck, &verses, buffer);
    if (!read.damageLog.empty()) logDamageOnce(read.damageLog);
    lineCount = read.lineCount;
    if (failed(read.outcome)) {
        message = std::move(read.message);
        caption = std::move(read.caption);
        flags = read.flags;
    }
    return read.outcome;
}

Outcome getFileListing(HWND owner, TopicList& topics, long& verseIndex,
                       std::vector<std::string>& failedFiles, long& failedCount,
                       bool includeUserFiles, VerseArray& firstVerses,
                       std::vector<std::string>& unopenedFiles) {
    return userAction::run({owner, "getFileListing", kErrorCaption, MB_ICONSTOP}, [&] {
        if (gCurTranslation < 0 || gCurTranslation >= static_cast<long>(gTranslations.size()))
            throw std::out_of_range("current translation");
        TranslationRecord& current = gTranslations[static_cast<size_t>(gCurTranslation)];
        topic_list::Failures failures{failedFiles, unopenedFiles, failedCount};
        verse_library::Listing listing = verse_library::listTopics(
            disk(), gVerseRoot, current.folder, includeUserFiles,
            settings_rules::topicFile(registry::getSetting(settings_rules::settings::fileName)), verseIndex,
            failures, logDamageOnce);
        topics = std::move(listing.topics);
        verseIndex = listing.verseIndex;
        if (listing.loaded > 0) firstVerses = std::move(listing.firstVerses);
        if (listing.savedFound) current.verses = std::move(listing.savedVerses);
        return failedIf(listing.loaded == 0);
    });
}

Outcome loadAllTranslations(HWND owner, bool& quiet) {
    const long current = gCurTranslation;
    return userAction::run({}, [&] {
        // The load refuses a current translation outside the table, before
        // any variable is changed.
        const long savedIndex =
            settings_rules::verseIndex(registry::getSetting(settings_rules::settings::newVerseIndex));
        verse_library::Load load = verse_library::loadAll(
            disk(), gVerseRoot, gTranslations, current,
            settings_rules::topicFile(registry::getSetting(settings_rules::settings::fileName)), savedIndex,
            logDamageOnce);
        gVerseIndex = savedIndex;
        // The program-wide variables take what the load found, translation
        // by translation, with each translation's messages in its turn.
        for (size_t i = 0; i < load.translations.size(); ++i) {
            verse_library::TranslationLoad& found = load.translations[i];
            TranslationRecord& t = gTranslations[i];
            if (found.threw)
                (void)showMessage(nullptr, action_rule::failureText("getFileListing"), kErrorCaption, MB_ICONSTOP);
            if (found.versesFound) t.verses = std::move(found.verses);
            if (static_cast<long>(i) == current) {
                if (load.shown == verse_library::Shown::Held) {
                    // Files another program holds open are intact: the user
                    // must close that program, never remove the folder.
                    (void)showMessage(owner, topic_list::heldFolderText(t.folder), verse_file::kOpenFailureCaption,
                                      MB_ICONSTOP);
                    return Outcome::Failed;
                }
                if (load.shown == verse_library::Shown::Corrupt) {
                    seams::messageBox(owner, verse_library::corruptText(t.folder), kCorruptCaption, MB_ICONSTOP);
                    return Outcome::Failed;
                }
                if (load.shown == verse_library::Shown::TopicMissing)
                    seams::messageBox(owner, verse_library::kTopicMissingText, kTopicMissingCaption,
                                      MB_ICONINFORMATION);
                gVerseIndex = load.verseIndex;
            }
            t.topics = std::move(found.topics);
        }
        gVerses = gTranslations[static_cast<size_t>(current)].verses;
        if (!quiet && load.failedCount >= 1) {
            showMessage(owner, topic_list::failureText(load.damaged, load.unopened),
                        topic_list::failureCaption(load.damaged), MB_ICONSTOP);
            // The help page is on the file format, which only damage needs.
            if (!load.damaged.empty()) seams::htmlHelp(nullptr, gHelpFile, HH_HELP_CONTEXT, 1001);
        }
        return Outcome::Ok;
    }, [&] { gCurTranslation = current; });
}

} // namespace dataManipulation
