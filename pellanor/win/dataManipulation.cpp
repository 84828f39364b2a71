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

namespace dataManipulation {

namespace {

const char* const kCrLf = "\r\n";

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

// Topic files of a folder: the "*.txt" entries that are files and topics.
std::vector<std::string> topicFilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const win32::FoundEntry& e : win32::findEntries(folder + "*.txt"))
        if (!e.isFolder && topic_list::isTopicFileName(e.name)) names.push_back(e.name);
    return names;
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
    if (settings_rules::trimBlanks(gVerseRoot).empty()) gVerseRoot = seams::programFolder();
    std::string line = text_rules::logLine(localDate(), localTime(), text);
    if (win32::appendToFile(gVerseRoot + "\\" + kLogFileName, line)) return true;
    gNoErrorLog = true;
    return false;
}

Outcome findTranslations() {
    return userAction::run({}, [&] {
        gVerseRoot = seams::programFolder();
        std::vector<win32::FoundEntry> entries = win32::findEntries(gVerseRoot + "\\TRANSLATION_*.*");
        if (entries.empty()) {
            showMessage(nullptr,
                        std::string("The folders containing the scripture verses have been deleted.  "
                                    "You will need to re-install the program using the Windows "
                                    "Control Panel.  ") +
                            kCrLf +
                            ">>> NOTE: If you have copied the program icon instead of creating a "
                            "shortcut, delete the copy and create a shortcut instead <<<",
                        kMissingFoldersCaption, MB_ICONSTOP);
            return Outcome::Failed;
        }
        gTranslations.clear();
        for (const win32::FoundEntry& e : entries) {
            if (topicFilesIn(gVerseRoot + "\\" + e.name + "\\").empty()) continue;
            TranslationRecord t;
            t.folder = e.name;
            t.name = topic_list::translationName(e.name);
            gTranslations.push_back(std::move(t));
        }
        if (gTranslations.empty()) return Outcome::Failed;
        gTranslations[0].count = static_cast<long>(gTranslations.size());

        std::string saved = registry::getSetting(settings_rules::settings::translation);
        for (size_t i = 0; i < gTranslations.size(); ++i) {
            if (text_rules::equalsNoCase(saved, gTranslations[i].folder)) {
                gCurTranslation = static_cast<long>(i);
                return Outcome::Ok;
            }
        }
        gCurTranslation = 0;
        registry::saveSetting(settings_rules::settings::translation, gTranslations[0].folder);
        return Outcome::Ok;
    }, {});
}

namespace {

// The damaged-file reports logged in this run. A user file is read once per
// translation, and the whole library again after the add-verses dialog:
// each report is logged the first time only.
std::set<std::string>& loggedDamage() {
    static std::set<std::string> logged;
    return logged;
}

// loadVerseFile's work; with no verses the file is only checked, which is
// all start-up needs of the topics it does not show. content is the read
// buffer: start-up passes the same one for every file, as a fresh buffer of
// a large file's size per file costs more than reading the file. unopened
// tells a file that could not be read at all from a damaged one.
// readVerseFile's reading; openFailure fills in the could-not-be-opened
// report.
Outcome readVerseContent(const std::string& path, long& lineCount, long& indexToCheck, std::string& message,
                         std::string& caption, long& flags, VerseArray* verses, std::string& content,
                         bool& unopened, const std::function<Outcome()>& openFailure) {
    if (!win32::readWholeFile(path, content)) {
        unopened = true;
        return openFailure();
    }
    size_t slash = path.find_last_of('\\');
    std::string fileName = slash == std::string::npos ? path : path.substr(slash + 1);

    verse_file::Result r = verses ? verse_file::parseTopicFile(content, fileName, *verses)
                                  : verse_file::scanTopicFile(content, fileName);
    lineCount = r.lineCount;
    const bool damaged = !r.badLines.empty();
    if (damaged) {
        // One report for the file, however many of its lines failed.
        verse_file::DamageReport report = verse_file::damageReport(path, r);
        message = std::move(report.text);
        caption = verse_file::kOpenFailureCaption;
        flags = MB_ICONSTOP;
        // Logged only, never a box.
        if (loggedDamage().insert(report.logText).second) (void)logMessage(report.logText);
    }
    if (r.status == verse_file::Status::Unreadable) return openFailure();
    if (r.lineCount == 0) {
        message = verse_file::emptyFileText(path);
        caption = verse_file::kEmptyFileCaption;
        flags = MB_ICONSTOP;
        return Outcome::Failed;
    }
    verse_file::checkVerseIndex(indexToCheck, r.lineCount);
    return failedIf(damaged);
}

Outcome readVerseFile(const std::string& path, long& lineCount, long& indexToCheck, std::string& message,
                      std::string& caption, long& flags, VerseArray* verses, std::string& content,
                      bool& unopened) {
    lineCount = 0;
    unopened = false;
    if (verses) verses->assign(1, VerseRecord{});
    auto openFailure = [&] {
        message = verse_file::openFailureText(path);
        caption = verse_file::kOpenFailureCaption;
        flags = MB_ICONSTOP;
        return Outcome::Failed;
    };
    bool threw = true;
    Outcome read = userAction::attempt([&] {
        Outcome r = readVerseContent(path, lineCount, indexToCheck, message, caption, flags, verses,
                                     content, unopened, openFailure);
        threw = false;
        return r;
    });
    return threw ? openFailure() : read;
}

} // namespace

Outcome loadVerseFile(const std::string& path, long& lineCount, HWND owner, long& indexToCheck,
                      std::string& message, std::string& caption, long& flags, VerseArray& verses) {
    (void)owner;
    std::string content;
    bool unopened = false;
    return readVerseFile(path, lineCount, indexToCheck, message, caption, flags, &verses, content,
                         unopened);
}

Outcome getFileListing(HWND owner, TopicList& topics, long& verseIndex,
                       std::vector<std::string>& failedFiles, long& failedCount,
                       bool includeUserFiles, VerseArray& firstVerses,
                       std::vector<std::string>& unopenedFiles) {
    return userAction::run({owner, "getFileListing", kErrorCaption, MB_ICONSTOP}, [&] {
        topic_list::Builder list(topics, verseIndex,
                                 settings_rules::topicFile(registry::getSetting(settings_rules::settings::fileName)));
        topic_list::Failures failures{failedFiles, unopenedFiles, failedCount};
        if (gCurTranslation < 0 || gCurTranslation >= static_cast<long>(gTranslations.size()))
            throw std::out_of_range("current translation");
        TranslationRecord& current = gTranslations[static_cast<size_t>(gCurTranslation)];

        std::string content;
        auto loadFolder = [&](const std::string& folder, bool isUser) {
            for (const std::string& name : topicFilesIn(folder)) {
                long lines = 0, unusedIndex = 1, flags = 0;
                std::string message, caption;
                bool unopened = false;
                if (failed(readVerseFile(folder + name, lines, unusedIndex, message, caption, flags,
                                         list.keepsVerses(name) ? &gVerses : nullptr, content, unopened))) {
                    failures.add(unopened, folder + name, message);
                    continue;
                }
                topic_list::Builder::Placed placed = list.add(folder, name, isUser, lines);
                if (placed.first) firstVerses = gVerses;
                if (placed.saved) current.verses = gVerses;
            }
        };
        loadFolder(gVerseRoot + "\\" + current.folder + "\\", false);
        if (includeUserFiles) loadFolder(gVerseRoot + "\\" + kUserFolder + "\\", true);
        return failedIf(list.empty());
    });
}

Outcome loadAllTranslations(HWND owner, bool& quiet) {
    const long current = gCurTranslation;
    return userAction::run({}, [&] {
        if (current < 0 || current >= static_cast<long>(gTranslations.size()))
            throw std::out_of_range("current translation");
        gVerseIndex = settings_rules::verseIndex(registry::getSetting(settings_rules::settings::newVerseIndex));
        std::vector<std::string> failedFiles, unopenedFiles;
        long failedCount = 0;
        for (size_t i = 0; i < gTranslations.size(); ++i) {
            gCurTranslation = static_cast<long>(i);
            long working = gVerseIndex;
            TopicList topics;
            VerseArray first;
            const Outcome listed = getFileListing(nullptr, topics, working, failedFiles, failedCount, true,
                                                  first, unopenedFiles);
            TranslationRecord& t = gTranslations[i];
            if (static_cast<long>(i) == current) {
                if (failed(listed)) {
                    seams::messageBox(owner,
                                      "All of the files in the folder " + t.folder +
                                          " are corrupt.  Please remove the folder.   ",
                                      kCorruptCaption, MB_ICONSTOP);
                    gCurTranslation = current;
                    return Outcome::Failed;
                }
                if (topics[0].currentTopic == -1) {
                    seams::messageBox(owner,
                                      "The last topic file you were studying is not available or "
                                      "has been deleted.  A new topic has been selected.    ",
                                      kTopicMissingCaption, MB_ICONINFORMATION);
                    t.verses = first;
                    gVerseIndex = 1;
                    topics[0].currentTopic = 0;
                } else {
                    gVerseIndex = working;
                }
            }
            t.topics = std::move(topics);
        }
        gCurTranslation = current;
        gVerses = gTranslations[static_cast<size_t>(current)].verses;
        if (!quiet && failedCount >= 1) {
            showMessage(owner, topic_list::failureText(failedFiles, unopenedFiles),
                        topic_list::failureCaption(failedFiles), MB_ICONSTOP);
            // The help page is on the file format, which only damage needs.
            if (!failedFiles.empty()) seams::htmlHelp(nullptr, gHelpFile, HH_HELP_CONTEXT, 1001);
        }
        return Outcome::Ok;
    }, [&] { gCurTranslation = current; });
}

} // namespace dataManipulation
