// files.h
// Whole-file reads and writes in ANSI paths. A file the user owns is
// written to a temporary file in the same folder and moved over the old
// one only when complete, so a failure half-way loses nothing; temporary
// files get names of their own (createUniqueFile). And the system's words
// for an error code.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "handles.h"

namespace win32 {

// The folder of the running executable, without a trailing "\".
std::string moduleFolder();
// The folder of a path, with its trailing "\"; "" when it names none.
std::string folderOf(const std::string& path);

// Reads the whole file; false when it cannot be opened or read.
bool readWholeFile(const std::string& path, std::string& content);

// One file of a whole-file replacement: its new bytes, or its removal (a
// file already missing counts as removed). A caller that streams the bytes
// itself (a download) names the temporary file it has written and flushed
// beside path instead; that file is then moved as it is, or removed on
// failure. Without overwrite the file is only added: one that appeared at
// path meanwhile stops the replacement.
struct FileReplacement {
    std::string path;
    std::string content;
    bool remove = false;
    std::string prepared;
    bool overwrite = true;
};

// Where a replacement stopped: the step, the file it is about, the
// temporary file beside it, and the system's error code for the steps that
// have one (the others, found before anything is written, have none).
struct ReplaceFailure {
    enum class Step {
        FolderAtPath, // a folder is where the file belongs
        ReadOnly,     // the file is read-only
        CreateTemp,
        WriteTemp,
        Delete,
        Replace,      // the file could not be replaced, or its old copy not kept
    } step = Step::FolderAtPath;
    std::string path;
    std::string temp;
    DWORD error = 0;
};

// Replaces a set of files whole, all of them or none:
// - every new content is first written and flushed to a temporary file of
//   its own beside its file, under a name no file had ("<name>.<8 hex
//   digits>.new"; or the caller's prepared one), before any file is touched;
// - then the files are replaced (one move each, so no file is ever
//   half-written) or removed, in order; the old file of each but the last
//   is first copied beside it ("<name>.<8 hex digits>.old") and kept until
//   every file has gone in;
// - when a step fails, the files already replaced or removed are put back
//   from those copies, every temporary file and copy goes, and false is
//   returned, failure (when given) saying where. A folder in the way or a
//   read-only file stops it before anything is written.
// What it cannot promise: a process ended while it runs leaves its
// temporary files and copies beside the files, and, ended between two
// files, the set part new, part old; a file that cannot be put back keeps
// its old copy beside it.
bool replaceFiles(const std::vector<FileReplacement>& files, ReplaceFailure* failure = nullptr);

// A new file in folder (empty, or ending in "\") under a name no file or
// folder had: nameFor(n) for some n, created with CREATE_NEW, so that no
// file of the user's or of another writer is ever taken over. Open for
// writing with the given sharing; path says which name it got. Invalid when
// none could be made (the system's error code then stands).
File createUniqueFile(const std::string& folder, const std::function<std::string(std::uint32_t)>& nameFor,
                      DWORD share, std::string& path);

// The system's own words for an error code, without the line end they come
// with; "Windows error <code>." when it has none. A module with a message
// table of its own (WinINet's codes are in wininet.dll) is searched first
// when given.
std::string systemErrorText(DWORD code, HMODULE messageModule = nullptr);

// Appends bytes, creating the file when missing; false on any failure.
bool appendToFile(const std::string& path, const std::string& bytes);

bool fileExists(const std::string& path);
bool folderExists(const std::string& path);

// Names of the entries matching pattern (a path with wildcards), in the
// order the file system gives them; "." and ".." are left out.
struct FoundEntry {
    std::string name;
    bool isFolder = false;
};
std::vector<FoundEntry> findEntries(const std::string& pattern);

} // namespace win32
