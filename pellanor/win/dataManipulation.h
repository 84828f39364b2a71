// dataManipulation.h
// The verse library on disk and the program-wide message routine.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "outcome.h"
#include "topic_list.h"
#include "user_action.h"
#include "verse_file.h"
#include "verse_library.h"

namespace dataManipulation {

// Shows a box only for the first message of a user action (none while the
// rule holds boxes, see action_rule.h), and appends every message to
// "error_log.txt" unless logging is off. Returns the box's answer; 0 when no box was shown; -1 when no box was
// shown and the log could not be written (logging is then off for the run).
int showMessage(HWND owner, const std::string& text, const std::string& caption, UINT flags);
// Appends text to "error_log.txt", with no box, unless logging is off.
// False when the log could not be written (logging is then off for the run).
[[nodiscard]] bool logMessage(const std::string& text);

// The captions a failed routine's report carries; each routine keeps the one
// its users have always seen.
inline constexpr const char* kErrorCaption = "Program Error Occurred....";
inline constexpr const char* kStopCaption = "Program Error Occurred.... ";
inline constexpr const char* kProgramErrorCaption = "A Program Error Occurred";
inline constexpr const char* kExitingCaption = "Program Error Occurred.... Exiting";

// Finds the "TRANSLATION_*" folders of the program folder that hold topic
// files and picks the saved translation. Failed: the program must end.
Outcome findTranslations();

// Loads the topic list of every translation and the current topic's verses.
// quiet suppresses the list of files that failed.
Outcome loadAllTranslations(HWND owner, bool& quiet);

// Loads every topic file of the current translation (and of "Your Verses"
// when includeUserFiles) into topics; verseIndex goes in as the saved index
// and comes out fitted to the saved topic. Every failed file is counted
// once: a damaged one is appended to failedFiles (its path, three blanks,
// CR LF), one that could not be opened to unopenedFiles (the reader's
// could-not-be-opened text, CR LF). Failed when no topic could be loaded.
Outcome getFileListing(HWND owner, TopicList& topics, long& verseIndex,
                       std::vector<std::string>& failedFiles, long& failedCount,
                       bool includeUserFiles, VerseArray& firstVerses,
                       std::vector<std::string>& unopenedFiles);

// Reads one topic file. On failure (Failed) message, caption and flags describe the
// failure for the caller to show. A file with bad lines is logged, without
// a box, as one report (its path, how many lines failed, the first of
// them), once per run.
Outcome loadVerseFile(const std::string& path, long& lineCount, HWND owner, long& indexToCheck,
                      std::string& message, std::string& caption, long& flags, VerseArray& verses);

// Texts shared with tests and the end-to-end driver.
inline constexpr const char* kMissingFoldersCaption = verse_library::kMissingFoldersCaption;
inline constexpr const char* kCorruptCaption = verse_library::kCorruptCaption;
inline constexpr const char* kTopicMissingCaption = verse_library::kTopicMissingCaption;
inline constexpr const char* kFileErrorsCaption = topic_list::kFileErrorsCaption;
inline constexpr const char* kLogFileName = "error_log.txt";
inline constexpr const char* kUserFolder = verse_library::kUserFolder;

} // namespace dataManipulation
