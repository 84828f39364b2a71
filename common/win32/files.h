// files.h
// Whole-file reads and writes in ANSI paths. A file the user owns is
// written to a temporary file in the same folder and moved over the old
// one only when complete, so a failure half-way loses nothing. And the
// system's words for an error code.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace win32 {

// The folder of the running executable, without a trailing "\".
std::string moduleFolder();

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
        FolderAtTemp, // a folder is where its temporary file goes
        CreateTemp,
        WriteTemp,
        Delete,
        Replace,
    } step = Step::FolderAtPath;
    std::string path;
    std::string temp;
    DWORD error = 0;
};

// Replaces files whole, so that nothing is ever half-written: every new
// content is written and flushed to a temporary file beside its file
// (path + ".new", or the caller's prepared one) before any file is touched;
// only then are the files replaced or removed, in order. A folder in the way
// or a read-only file stops it before anything is written, and on any
// failure no temporary file is left. False when it failed, failure (when
// given) saying where.
bool replaceFiles(const std::vector<FileReplacement>& files, ReplaceFailure* failure = nullptr);

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
