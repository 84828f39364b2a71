// files.h
// Whole-file reads and writes in ANSI paths. A file the user owns is
// written to a temporary file in the same folder and moved over the old
// one only when complete, so a failure half-way loses nothing.
#pragma once

#include <string>
#include <vector>

namespace win32 {

// The folder of the running executable, without a trailing "\".
std::string moduleFolder();

// Reads the whole file; false when it cannot be opened or read.
bool readWholeFile(const std::string& path, std::string& content);

// Writes content to path through a temporary file in the same folder; a
// read-only target is refused and left as it is.
bool replaceFileContents(const std::string& path, const std::string& content);

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
