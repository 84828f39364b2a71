// dataManipulation.h
// The verse library on disk and the program-wide message routine.
// Failure flags: true = failed.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "topic_list.h"
#include "verse_file.h"

namespace dataManipulation {

// Shows a box only for the first message since gErrorShown was last
// cleared, and appends every message to "error_log.txt" unless logging is
// off. Returns the box's answer; 0 when no box was shown; -1 when no box was
// shown and the log could not be written (logging is then off for the run).
int showMessage(HWND owner, const std::string& text, const std::string& caption, UINT flags);

// The captions a failed routine's report carries; each routine keeps the one
// its users have always seen.
inline constexpr const char* kErrorCaption = "Program Error Occurred....";
inline constexpr const char* kStopCaption = "Program Error Occurred.... ";
inline constexpr const char* kProgramErrorCaption = "A Program Error Occurred";
inline constexpr const char* kExitingCaption = "Program Error Occurred.... Exiting";

// "An error occurred in function <routine>".
std::string failureText(std::string_view routine);

// The one report of a failed routine: its failureText through showMessage
// (a box once per user action, every report logged). Never throws, as it
// runs where a handler has already caught a failure. Returns true, the
// failure flag, so a routine may end with it.
bool reportFailure(HWND owner, std::string_view routine, const char* caption, UINT flags);

// Runs a handler's body; when it throws, onFailure (if any) runs, the
// failure of routine is reported and the handler ends. True when the body
// failed.
bool guarded(HWND owner, std::string_view routine, const char* caption, UINT flags,
             const std::function<void()>& body, const std::function<void()>& onFailure = {});

// Runs a best-effort step (a cursor, a repaint, a text put back) whose
// failure leaves nothing wrong for the user to act on; it is skipped
// without a box.
void quietly(const std::function<void()>& step);

// Finds the "TRANSLATION_*" folders of the program folder that hold topic
// files and picks the saved translation. True: the program must end.
bool findTranslations();

// Loads the topic list of every translation and the current topic's verses.
// quiet suppresses the list of files that failed.
bool loadAllTranslations(HWND owner, bool& quiet);

// Loads every topic file of the current translation (and of "Your Verses"
// when includeUserFiles) into topics; verseIndex goes in as the saved index
// and comes out fitted to the saved topic. Every failed file is counted
// once: a damaged one is appended to failedFiles (its path, three blanks,
// CR LF), one that could not be opened to unopenedFiles (the reader's
// could-not-be-opened text, CR LF). True when no topic could be loaded.
bool getFileListing(HWND owner, TopicList& topics, long& verseIndex,
                    std::vector<std::string>& failedFiles, long& failedCount,
                    bool includeUserFiles, VerseArray& firstVerses,
                    std::vector<std::string>& unopenedFiles);

// Reads one topic file. On failure message, caption and flags describe the
// failure for the caller to show. A file with bad lines is logged, without
// a box, as one report (its path, how many lines failed, the first of
// them), once per run.
bool loadVerseFile(const std::string& path, long& lineCount, HWND owner, long& indexToCheck,
                   std::string& message, std::string& caption, long& flags, VerseArray& verses);

// Texts shared with tests and the end-to-end driver.
inline constexpr const char* kMissingFoldersCaption = "Folders Containing the Scriptures are Missing";
inline constexpr const char* kCorruptCaption = "Verse Files are Corrupt";
inline constexpr const char* kTopicMissingCaption = "Topic is Not Available";
inline constexpr const char* kFileErrorsCaption = topic_list::kFileErrorsCaption;
inline constexpr const char* kLogFileName = "error_log.txt";
inline constexpr const char* kUserFolder = "Your Verses";

} // namespace dataManipulation
