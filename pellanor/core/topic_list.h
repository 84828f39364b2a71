// topic_list.h
// The topic lists of the verse library, built from what reading each topic
// file gave: the topic names, the saved verse index fitted to the saved
// topic, and the files that failed, each listed once however often it is
// read (a user file is read once per translation). The reading itself is
// the caller's.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "verse_types.h"

namespace topic_list {

// A "*.txt" match is a topic only when its long name really ends in ".txt"
// (a short name can match where the long one does not, and a file set
// aside must never load as a topic).
bool isTopicFileName(std::string_view name);

// The display name of a translation folder: its name after the first "_",
// leading blanks removed.
std::string translationName(std::string_view folder);

// Builds one translation's topic list in the order its files are read. It
// resets the list and the verse index at once, and fits the index as the
// saved topic comes, so what is built stands even if reading stops early.
class Builder {
public:
    // verseIndex goes in as the saved index and reads 1 until the saved
    // topic (savedFile, compared exactly) is placed.
    Builder(TopicList& topics, long& verseIndex, std::string savedFile);

    // Whether a file's verses must be kept: only the first topic and the
    // saved one may be shown, every other file is only checked.
    bool keepsVerses(const std::string& fileName) const;

    // A file that loaded with lineCount verses, as a topic of folder (full
    // path ending in "\"). What the caller does with its verses: the first
    // topic's fill the first-verses output, the saved topic's are the
    // translation's shown verses.
    struct Placed {
        bool first = false;
        bool saved = false;
    };
    Placed add(const std::string& folder, const std::string& fileName, bool isUserFile, long lineCount);

    bool empty() const { return m_count == 0; }

private:
    TopicList& m_topics;
    long& m_verseIndex;
    long m_savedIndex;
    std::string m_savedFile;
    long m_count = 0;
};

// The files that failed to load in one load of the library.
struct Failures {
    std::vector<std::string>& damaged;  // path, three blanks, CR LF
    std::vector<std::string>& unopened; // the reader's could-not-be-opened text, CR LF
    long& count;

    // Lists a failed file once: a damaged one by its path, one that could
    // not be opened (another program holds it; it is intact) in the
    // reader's own words for it.
    void add(bool couldNotOpen, const std::string& path, const std::string& readerMessage);
};

// The message listing the failed files: the damaged ones under the advice
// to repair or delete them, then the ones that could not be opened, which
// need only the other program closed. Its caption is kFileErrorsCaption
// when any file is damaged, else the reader's open-failure caption.
std::string failureText(const std::vector<std::string>& damaged, const std::vector<std::string>& unopened);
const char* failureCaption(const std::vector<std::string>& damaged);

// The message when the current translation loaded no topic and some of its
// files could not be opened: another program holds them, they are intact,
// and the folder must not be removed. Its caption is the reader's
// open-failure caption.
std::string heldFolderText(const std::string& folder);

inline constexpr const char* kFileErrorsCaption = "Errors Were Identified in the Verse Files";

} // namespace topic_list
