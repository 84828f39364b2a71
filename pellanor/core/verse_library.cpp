// verse_library.cpp
#include "verse_library.h"

#include <stdexcept>
#include <utility>

#include "text_fields.h"
#include "verse_file.h"

namespace verse_library {

namespace {

const char* const kTranslationPrefix = "TRANSLATION_";

bool isTranslationEntry(const std::string& name) {
    const size_t n = std::char_traits<char>::length(kTranslationPrefix);
    return name.size() >= n && text_rules::equalsNoCase(std::string_view(name).substr(0, n), kTranslationPrefix);
}

} // namespace

std::vector<std::string> topicFilesIn(const Disk& disk, const std::string& folder) {
    std::string path = folder;
    if (!path.empty() && path.back() == '\\') path.pop_back();
    std::vector<std::string> names;
    for (const FolderEntry& e : disk.list(path))
        if (!e.isFolder && topic_list::isTopicFileName(e.name)) names.push_back(e.name);
    return names;
}

Translations findTranslations(const Disk& disk, const std::string& root) {
    Translations out;
    bool anyEntry = false;
    for (const FolderEntry& e : disk.list(root)) {
        if (!isTranslationEntry(e.name)) continue;
        anyEntry = true;
        // Files count too: one named like a translation holds no topic.
        if (topicFilesIn(disk, root + "\\" + e.name + "\\").empty()) continue;
        TranslationRecord t;
        t.folder = e.name;
        t.name = topic_list::translationName(e.name);
        out.table.push_back(std::move(t));
    }
    if (!anyEntry) return out;
    if (out.table.empty()) {
        out.found = Translations::Found::NoTopics;
        return out;
    }
    out.found = Translations::Found::Some;
    out.table[0].count = static_cast<long>(out.table.size());
    return out;
}

Pick pickTranslation(const std::vector<TranslationRecord>& table, const std::string& savedTranslation) {
    Pick out;
    for (size_t i = 0; i < table.size(); ++i) {
        if (text_rules::equalsNoCase(savedTranslation, table[i].folder)) {
            out.current = static_cast<long>(i);
            return out;
        }
    }
    out.saveFirst = true;
    return out;
}

TopicRead readTopic(const Disk& disk, const std::string& path, long& indexToCheck, VerseArray* verses,
                    std::string& buffer) {
    TopicRead out;
    if (verses) verses->assign(1, VerseRecord{});
    auto openFailure = [&] {
        out.message = verse_file::openFailureText(path);
        out.caption = verse_file::kOpenFailureCaption;
        out.flags = kIconStop;
        out.outcome = Outcome::Failed;
        return out;
    };
    try {
        if (!disk.read(path, buffer)) {
            out.unopened = true;
            return openFailure();
        }
        size_t slash = path.find_last_of('\\');
        std::string fileName = slash == std::string::npos ? path : path.substr(slash + 1);

        verse_file::Result r = verses ? verse_file::parseTopicFile(buffer, fileName, *verses)
                                      : verse_file::scanTopicFile(buffer, fileName);
        out.lineCount = r.lineCount;
        const bool damaged = !r.badLines.empty();
        if (damaged) {
            // One report for the file, however many of its lines failed.
            verse_file::DamageReport report = verse_file::damageReport(path, r);
            out.message = std::move(report.text);
            out.caption = verse_file::kOpenFailureCaption;
            out.flags = kIconStop;
            out.damageLog = std::move(report.logText);
        }
        if (r.status == verse_file::Status::Unreadable) return openFailure();
        if (r.lineCount == 0) {
            out.message = verse_file::emptyFileText(path);
            out.caption = verse_file::kEmptyFileCaption;
            out.flags = kIconStop;
            out.outcome = Outcome::Failed;
            return out;
        }
        verse_file::checkVerseIndex(indexToCheck, r.lineCount);
        out.outcome = failedIf(damaged);
        return out;
    } catch (...) {
        return openFailure();
    }
}

Listing listTopics(const Disk& disk, const std::string& root, const std::string& translationFolder,
                   bool includeUserFiles, const std::string& savedFile, long savedIndex,
                   topic_list::Failures& failures, const DamageLog& logDamage) {
    Listing out;
    out.verseIndex = savedIndex;
    topic_list::Builder list(out.topics, out.verseIndex, savedFile);
    std::string buffer;
    VerseArray verses;
    auto loadFolder = [&](const std::string& folder, bool isUser) {
        for (const std::string& name : topicFilesIn(disk, folder)) {
            long unusedIndex = 1;
            TopicRead r = readTopic(disk, folder + name, unusedIndex, list.keepsVerses(name) ? &verses : nullptr,
                                    buffer);
            if (!r.damageLog.empty() && logDamage) logDamage(r.damageLog);
            if (failed(r.outcome)) {
                failures.add(r.unopened, folder + name, r.message);
                if (r.unopened && !isUser) ++out.heldOwn;
                continue;
            }
            topic_list::Builder::Placed placed = list.add(folder, name, isUser, r.lineCount);
            if (placed.first) out.firstVerses = verses;
            if (placed.saved) {
                out.savedFound = true;
                out.savedVerses = verses;
            }
            ++out.loaded;
        }
    };
    loadFolder(root + "\\" + translationFolder + "\\", false);
    if (includeUserFiles) loadFolder(root + "\\" + kUserFolder + "\\", true);
    return out;
}

Load loadAll(const Disk& disk, const std::string& root, const std::vector<TranslationRecord>& table, long current,
             const std::string& savedFile, long savedIndex, const DamageLog& logDamage) {
    // An index past the table is the caller's fault: refused before a file
    // is read, as nothing could be shown.
    if (current < 0 || current >= static_cast<long>(table.size())) throw std::out_of_range("current translation");
    Load out;
    out.verseIndex = savedIndex;
    topic_list::Failures failures{out.damaged, out.unopened, out.failedCount};
    for (size_t i = 0; i < table.size(); ++i) {
        TranslationLoad t;
        Listing listing;
        try {
            listing = listTopics(disk, root, table[i].folder, true, savedFile, savedIndex, failures, logDamage);
            t.topics = std::move(listing.topics);
            t.versesFound = listing.savedFound;
            t.verses = std::move(listing.savedVerses);
        } catch (...) {
            t.threw = true;
            t.topics.assign(1, TopicRecord{});
            t.topics[0].currentTopic = -1;
            listing.loaded = 0;
        }
        if (static_cast<long>(i) == current) {
            if (listing.loaded == 0) {
                // Files another program holds are intact: that is never
                // a corrupt folder to remove.
                out.shown = listing.heldOwn > 0 ? Shown::Held : Shown::Corrupt;
                out.translations.push_back(std::move(t));
                return out;
            }
            if (t.topics[0].currentTopic == -1) {
                out.shown = Shown::TopicMissing;
                t.verses = std::move(listing.firstVerses);
                t.versesFound = true;
                out.verseIndex = 1;
                t.topics[0].currentTopic = 0;
            } else {
                out.verseIndex = listing.verseIndex;
            }
        }
        out.translations.push_back(std::move(t));
    }
    return out;
}

std::string missingFoldersText() {
    return std::string("The folders containing the scripture verses have been deleted.  You will need to "
                       "re-install the program using the Windows Control Panel.  ") +
           verse_file::kCrLf +
           ">>> NOTE: If you have copied the program icon instead of creating a shortcut, delete the copy and "
           "create a shortcut instead <<<";
}

std::string corruptText(const std::string& folder) {
    return "All of the files in the folder " + folder + " are corrupt.  Please remove the folder.   ";
}

} // namespace verse_library
