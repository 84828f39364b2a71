// verse_library.h
// The load of the verse library: which folders are translations, each
// translation's topic list, the verses to show and the files that failed.
// It sees the disk only through Disk (list a folder, read a file), so the
// same load runs natively against a folder tree in memory; the Windows
// layer reads the real one and sets the program-wide variables from what
// the load returns.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "outcome.h"
#include "topic_list.h"
#include "verse_types.h"

namespace verse_library {

struct FolderEntry {
    std::string name;
    bool isFolder = false;
};

// What the load needs of the disk. Paths are Windows paths.
class Disk {
public:
    virtual ~Disk() = default;
    // The entries of a folder (no trailing "\") in the file system's order,
    // without "." and ".."; none when the folder is missing.
    virtual std::vector<FolderEntry> list(const std::string& folder) const = 0;
    // A whole file; false when it cannot be opened or read.
    virtual bool read(const std::string& path, std::string& content) const = 0;
};

// The translation folders of the program folder root.
struct Translations {
    enum class Found {
        NoFolders, // no "TRANSLATION_*" entry at all
        NoTopics,  // entries, but none holds a topic file
        Some,
    };
    Found found = Found::NoFolders;
    std::vector<TranslationRecord> table; // in the order found; count in element 0
};
Translations findTranslations(const Disk& disk, const std::string& root);

// The translation to show: the saved one, in any letter case; when it is
// gone, the first, whose folder must then be saved.
struct Pick {
    long current = 0;
    bool saveFirst = false;
};
Pick pickTranslation(const std::vector<TranslationRecord>& table, const std::string& savedTranslation);

// The names of a folder's topic files (folder ends in "\"), in its order.
std::vector<std::string> topicFilesIn(const Disk& disk, const std::string& folder);

// One topic file read. With verses null the file is only checked, which is
// all the load needs of the topics it does not show. buffer is the read
// buffer, passed again for every file of a load: a fresh buffer of a large
// file's size per file costs more than reading the file.
struct TopicRead {
    Outcome outcome = Outcome::Ok;
    long lineCount = 0;
    // On failure: the text, caption and flags for the caller to show.
    std::string message, caption;
    long flags = 0;
    bool unopened = false;  // could not be read at all (not damaged)
    std::string damageLog;  // the one log entry of a file with refused lines
};
TopicRead readTopic(const Disk& disk, const std::string& path, long& indexToCheck, VerseArray* verses,
                    std::string& buffer);

// A damaged file's log entry, for the caller to write (once per run).
using DamageLog = std::function<void(const std::string&)>;

// One translation's topic list: its own folder's topic files, then (with
// includeUserFiles) those of "Your Verses".
struct Listing {
    TopicList topics;
    long verseIndex = 1;      // the saved index fitted to the saved topic
    VerseArray firstVerses;   // the first topic's, when one loaded
    bool savedFound = false;  // the saved topic loaded: savedVerses are its
    VerseArray savedVerses;
    long heldOwn = 0;         // files of the own folder that could not be opened
    long loaded = 0;          // topics loaded
};
Listing listTopics(const Disk& disk, const std::string& root, const std::string& translationFolder,
                   bool includeUserFiles, const std::string& savedFile, long savedIndex,
                   topic_list::Failures& failures, const DamageLog& logDamage);

// What became of the shown translation.
enum class Shown {
    Ok,
    TopicMissing, // the saved topic is not there: first topic, verse 1
    Corrupt,      // nothing loaded, every failed file of its own is damaged
    Held,         // nothing loaded, and another program holds files of its own
};

struct TranslationLoad {
    TopicList topics;
    bool versesFound = false; // verses are the saved topic's here
    VerseArray verses;
    bool threw = false;       // the listing stopped unexpectedly: nothing loaded
};

struct Load {
    // Every translation in table order, up to and including the shown one
    // when that one loaded nothing (the load stops there).
    std::vector<TranslationLoad> translations;
    Shown shown = Shown::Ok;
    long verseIndex = 1;
    std::vector<std::string> damaged, unopened; // as topic_list::Failures lists them
    long failedCount = 0;
};
// Throws std::out_of_range, reading nothing, when current is not in table.
Load loadAll(const Disk& disk, const std::string& root, const std::vector<TranslationRecord>& table, long current,
             const std::string& savedFile, long savedIndex, const DamageLog& logDamage);

// Texts of the load.
std::string missingFoldersText();
std::string corruptText(const std::string& folder);
inline constexpr const char* kMissingFoldersCaption = "Folders Containing the Scriptures are Missing";
inline constexpr const char* kCorruptCaption = "Verse Files are Corrupt";
inline constexpr const char* kTopicMissingText =
    "The last topic file you were studying is not available or has been deleted.  A new topic has been "
    "selected.    ";
inline constexpr const char* kTopicMissingCaption = "Topic is Not Available";
inline constexpr const char* kUserFolder = "Your Verses";
inline constexpr long kIconStop = 16; // the critical box's flags

} // namespace verse_library
