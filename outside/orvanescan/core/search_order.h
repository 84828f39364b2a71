// search_order.h
// Where the engine looks for a listed file: the folders its path bits
// name, in the order Windows loads a library from them (program folder,
// system folder, Windows folder, the folders of PATH), then the other
// paths. Paths are ANSI texts with "\" or "/" separators.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "scan_types.h"

namespace orvanescan {

// The folders of one run, as the Windows layer finds them.
struct SearchFolders {
    std::string program;
    std::string system;
    std::string windows;
    std::string searchPath;                 // the PATH value, ';'-separated
    std::vector<std::string> otherPaths;    // the engine's own, searched after the entry's
};

// A place to look at and the path bit it came from (0 for an absolute name).
struct Candidate {
    std::string path;
    uint32_t source = 0;
};

// The folders of a ';'-separated list, each trimmed of blanks and of
// surrounding double quotes; empty items are dropped.
std::vector<std::string> SplitFolderList(std::string_view list);

// "C:\x", "C:/x", "\\server\share\x" or "\x".
bool IsAbsolutePath(std::string_view path);

// folder and name joined by one "\".
std::string JoinPath(std::string_view folder, std::string_view name);

// Same folder or file: ASCII case ignored, "/" taken as "\", trailing
// separators ignored. (No file system is asked, so "a\..\b" is not "b".)
bool SamePath(std::string_view a, std::string_view b);

// The final component of a path.
std::string_view FileNamePart(std::string_view path);

// Every place ref is looked for, in order, without repeats. An absolute
// name is looked for there only; an entry marked path-dependent only in
// the first folder its bits name. Folders left empty are skipped. The
// other paths are ref.otherPaths, then folders.otherPaths.
std::vector<Candidate> CandidatePaths(const Reference& ref, const SearchFolders& folders);

} // namespace orvanescan
