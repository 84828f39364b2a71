// dataManipulation.h
// The verse library on disk and the program-wide message routine.
// Failure flags: true = failed.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "verse_file.h"

namespace dataManipulation {

// Shows a box only for the first message since gErrorShown was last
// cleared, and appends every message to "error_log.txt" unless logging is
// off. Returns the box's answer; 0 when no box was shown; -1 when no box was
// shown and the log could not be written (logging is then off for the run).
int showMessage(HWND owner, const std::string& text, const std::string& caption, UINT flags);

// Finds the "TRANSLATION_*" folders of the program folder that hold topic
// files and picks the saved translation. True: the program must end.
bool findTranslations();

// Loads the topic list of every translation and the current topic's verses.
// quiet suppresses the list of files that failed.
bool loadAllTranslations(HWND owner, bool& quiet);

// Loads every topic file of the current translation (and of "Your Verses"
// when includeUserFiles) into topics; verseIndex goes in as the saved index
// and comes out fitted to the saved topic. Failed files are appended to
// failedFiles and counted. True when no topic could be loaded.
bool getFileListing(HWND owner, TopicList& topics, long& verseIndex,
                    std::vector<std::string>& failedFiles, long& failedCount,
                    bool includeUserFiles, VerseArray& firstVerses);

// Reads one topic file. On failure message, caption and flags describe the
// failure for the caller to show; a bad line is logged without a box.
bool loadVerseFile(const std::string& path, long& lineCount, HWND owner, long& indexToCheck,
                   std::string& message, std::string& caption, long& flags, VerseArray& verses);

// Texts shared with tests and the end-to-end driver.
inline constexpr const char* kMissingFoldersCaption = "Folders Containing the Scriptures are Missing";
inline constexpr const char* kCorruptCaption = "Verse Files are Corrupt";
inline constexpr const char* kTopicMissingCaption = "Topic is Not Available";
inline constexpr const char* kFileErrorsCaption = "Errors Were Identified in the Verse Files";
inline constexpr const char* kLogFileName = "error_log.txt";
inline constexpr const char* kUserFolder = "Your Verses";

} // namespace dataManipulation
