// verse_file.h
// Reading topic files: one verse or thought per non-empty line, four fields
// separated by TAB. Works on the file's bytes only, so that it builds and is
// tested natively as well as for Windows.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "verse_types.h"

namespace verse_file {

inline constexpr const char* kCrLf = "\r\n";
inline constexpr const char* kYourVersesFile = "Your Verses.txt";
inline constexpr const char* kYourThoughtsFile = "Your Inspirational Thoughts.txt";
inline constexpr const char* kNoTranslation = "No Translation";

// The longest line a topic file may hold (bytes, without its line end). The
// longest verse of the Bible is under 600 characters and a thought is a
// paragraph or two; a line far beyond that is damage (or a file that is not
// a topic file at all), and laying out a line of hundreds of kilobytes in
// the verse box stalls the program. 8 KB holds over a dozen of the longest
// verses.
inline constexpr size_t kMaxLineBytes = 8192;

// Removes leading and trailing space characters; TABs stay.
std::string_view trimBlanks(std::string_view s);

// The file's bytes without a leading UTF-8 byte-order mark: an editor that
// saves UTF-8 may put one before the first line, and it is no part of that
// line's book. Nothing else about the bytes changes.
std::string_view withoutByteOrderMark(std::string_view content);

// Splits file bytes into lines. CR LF, a lone CR and a lone LF all end a
// line, so files saved by other editors read the same.
std::vector<std::string_view> splitLines(std::string_view content);

enum class Status {
    Ok,
    BadLines,   // at least one line lacked four fields (logged per line)
    Empty,      // no non-empty line
    Unreadable, // a "Your Verses.txt" record without the translation colon
};

struct Result {
    Status status = Status::Ok;
    long lineCount = 0;             // non-empty lines counted
    std::vector<long> badLines;     // 1-based numbers of lines that failed
};

// Parses a whole topic file into verses (element 0 left empty). fileName
// decides the user-file rules: "Your Verses.txt" splits field 4 into the
// translation and the text, "Your Inspirational Thoughts.txt" marks every
// record "No Translation". Failed lines stay in the array as far as set.
Result parseTopicFile(std::string_view content, std::string_view fileName,
                      VerseArray& verses);

// Checks a whole topic file exactly as parseTopicFile does (the same status,
// line count and failed lines) without keeping its verses: start-up checks
// every topic of every translation but shows only one.
Result scanTopicFile(std::string_view content, std::string_view fileName);

// An index to check that lies past the file's lines becomes 1.
void checkVerseIndex(long& index, long lineCount);

// Message texts of a file that failed, as shown to the user and logged. A
// file with refused lines is one report however many failed: its path, the
// first refused line and, when more than one failed, how many did. One
// refused line reads "Line n failed.  ".
std::string parseFailureText(const std::string& path, long firstLine, long refused = 1);
std::string parseFailureLogText(const std::string& path, long firstLine, long refused = 1);
// The one report of a file whose lines were refused, from its read: the log
// entry and the text for the caller to show (both empty when no line was
// refused).
struct DamageReport {
    std::string logText, text;
};
DamageReport damageReport(const std::string& path, const Result& r);
std::string emptyFileText(const std::string& path);
std::string openFailureText(const std::string& path);
inline constexpr const char* kEmptyFileCaption = "Error: File is Empty ";
inline constexpr const char* kOpenFailureCaption = "Error: File Could Not Be Opened";

} // namespace verse_file

namespace dataManipulation {

// Grows the array to upper bound index and fills that record from a line of
// exactly three TABs. Returns true (failed) for any other TAB count and for
// a line longer than verse_file::kMaxLineBytes.
bool parseVerseLine(std::string_view line, VerseArray& verses, long index);

// Raw copies: -1 when an address or the count is 0, else 0 after copying.
long copyMemory(const void* source, void* destination, long count);
// Copies count bytes of text into bytes at offset; -1 when either is short.
long stringToBytes(const std::string& text, std::vector<unsigned char>& bytes,
                   long count, long offset);

} // namespace dataManipulation
