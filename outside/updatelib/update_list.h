// update_list.h
// The update list: the entries one ".orvanef" file offers, and the checks
// every name from the server passes before the program uses it. Portable:
// no Windows header.
//
// File format (text, LF or CR LF line ends, at most kMaxListBytes):
//
//   ORVANEF 1
//   # a comment; blank lines are skipped
//   name TAB size TAB url TAB date TAB refIndex TAB path TAB text
//
// name      the file's name: a plain file name, or an absolute folder path
//           ("C:\folder\file.dll", "\"-separated) ending in one
// size      bytes, decimal, 0 to 2147483647
// url       "http://..." address of the file, or empty (nothing to fetch)
// date      the file's date as text (see parseDate), or empty
// refIndex  entry number (1-based) that describes this entry's file; empty
//           means the entry itself, 0 means "none"
// path      an explicit absolute destination, or empty
// text      display text; "folder//description" names a program subfolder
//
// A list that breaks any rule is refused whole, with a message that names
// the line: nothing from it is used.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace Tamberly_orvane6 {

// Misuse of a library object (an entry number out of range ...).
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr size_t kMaxListBytes = 1024 * 1024;
inline constexpr long kMaxEntries = 32767; // count is a 16-bit number

struct UpdateEntry {
    std::string name;
    long size = 0;
    std::string url;
    std::string date;
    long refIndex = 0;
    std::string path;
    std::string text;
};

class UpdateList {
public:
    short count() const { return static_cast<short>(m_entries.size()); }
    // Entries are numbered from 1; another number throws Error.
    const std::string& name(long i) const { return at(i).name; }
    long size(long i) const { return at(i).size; }
    std::string urlDate(long i) const { return at(i).url + "," + at(i).date; }
    const std::string& text(long i) const { return at(i).text; }
    long refIndex(long i) const { return at(i).refIndex; }
    const std::string& path(long i) const { return at(i).path; }

    // Replaces the entries with those of a list file's bytes. On failure
    // the list is left empty and error says what was wrong.
    bool load(std::string_view bytes, std::string& error);
    void clear() { m_entries.clear(); }

private:
    const UpdateEntry& at(long i) const;
    std::vector<UpdateEntry> m_entries;
};

// A plain file name: not empty, not "." or "..", no path separator, no
// drive colon, no wildcard or other character Windows refuses, no control
// character, no trailing dot or blank, not a device name (CON, NUL, COM1,
// CONIN$ ...).
bool isPlainFileName(std::string_view name);

// An absolute local path "X:\a\b": a drive letter, then "\"-separated
// plain names; no "." or ".." part, no empty part, no UNC "\\server".
bool isAbsoluteLocalPath(std::string_view path);

// A relative folder path "a\b" made of plain names (no drive, no root,
// no "." or ".." part).
bool isRelativeFolder(std::string_view path);

// The file name an address names: the text after its last "/", without
// any "?query" or "#fragment". Empty when there is none.
std::string urlFileName(std::string_view url);

// A date and time of day, as the lists give them.
struct FileDate {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    bool operator==(const FileDate&) const = default;
};

// Reads "YYYY-MM-DD", "YYYY-MM-DD HH:MM[:SS]" (or with "T"), or
// "M/D/YYYY" and "M/D/YYYY h:mm[:ss] [AM|PM]". False for anything else or
// an impossible day (31 April, 29 February of a common year) or time.
bool parseDate(std::string_view text, FileDate& out);

} // namespace Tamberly_orvane6
