// conflict_records.h
// What the start-up check keeps of one run and the texts it shows: one
// ConflictRecord per conflict the control reports, with the chain of
// FoundFileRecords of the copies found, the list lines, the detail text of
// a conflict and its description lines. Portable: no Windows header, so
// the texts are tested natively as well.
//
// Both arrays keep an unused element 0, as the window's list counts
// conflicts from 1; indexes are 16-bit, so a run holds at most 32767
// conflicts and 32767 found records.
//
// A conflict is kept with whatever of it the control could tell: a text
// it could not give holds kUnreadable, a number it could not give holds
// none, and the detail text shows kUnreadable for both.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace VerVrfyControl {

// What a detail shows for a fact the control could not give.
inline constexpr std::string_view kUnreadable = "(could not be read)";

// A number read from the control; none when it could not be read.
using ReadNumber = std::optional<int32_t>;

struct ConflictRecord {
    std::string referenceFile;
    std::string refVersion;
    std::string refDateString;
    ReadNumber refDateLow = 0;
    ReadNumber refDateHigh = 0;
    ReadNumber refSize = 0;
    std::string refGUID;
    std::string refTypeLibLCID;
    std::string refTypeLibVersion;
    std::string refVersionString;
    ReadNumber refFlags = 0;
    int16_t firstFound = 0;
};

struct FoundFileRecord {
    std::string filePath;
    std::string fileVersion;
    std::string fileDateString;
    ReadNumber fileDateLow = 0;
    ReadNumber fileDateHigh = 0;
    ReadNumber fileSize = 0;
    std::string fileGUID;
    std::string fileTypeLibLCID;
    std::string fileTypeLibVersion;
    std::string fileVersionString;
    int32_t conflictFlags = 0;
    ReadNumber fileFlags = 0;
    int16_t nextFound = 0;
};

// The records of one run.
struct CheckRecords {
    std::vector<ConflictRecord> conflicts = std::vector<ConflictRecord>(1);
    std::vector<FoundFileRecord> foundFiles = std::vector<FoundFileRecord>(1);

    // Back to one unused element each.
    void reset();
    // Appends a conflict and its found records (at least one, chained here:
    // firstFound and nextFound are set, conflictFlags is left as given).
    // False, with nothing changed, when an index would pass 32767.
    bool append(ConflictRecord conflict, std::vector<FoundFileRecord> found);
    int count() const { return static_cast<int>(conflicts.size()) - 1; }
};

inline constexpr int kMaxRecords = 32767;

// Conflict bits whose meaning the engine gives; only these are named here.
inline constexpr int32_t kNotFoundBit = 0x80;
inline constexpr int32_t kNotRegisteredBit = 0x800;
inline constexpr int32_t kTypeLibBits = 0x7000;

// The signed high word, ".", the low word (0 to 65535): 0x00020001 "2.1".
std::string versionText(int32_t value);
// The decimal text of a number read, kUnreadable for none.
std::string numberText(const ReadNumber& value);

// "Debug, SpecialBuild" for the special build bits of a file's flags.
std::string specialFlagNames(int32_t fileFlags);

// The description lines of the conflict bits, each followed by separator.
// registerNeeded tells that bit 11 (not registered) was among them.
struct Description {
    std::string text;
    bool registerNeeded = false;
};
Description conflictDescriptionOf(int32_t conflictFlags, std::string_view separator, ReadNumber fileFlags);

// The detail text of conflict n (from 1); empty above the last conflict.
// actualFile is the path shown as the actual file found, empty when the
// file was not found or its path could not be read (it is what the
// register button registers).
struct Detail {
    std::string text;
    std::string actualFile;
    bool registerNeeded = false;
};
Detail conflictDetailOf(const CheckRecords& records, int n);

// The lines of the conflict list: the reference file of each conflict, or
// the one line saying why there is none.
std::vector<std::string> conflictListLines(const CheckRecords& records, bool embeddedFound);

// The program to check: folder, "\" unless it ends in one, "pellanor.exe".
std::string targetFileFor(const std::string& folder);

// How a finished check ends: the conflict window, the all-up-to-date box,
// or, when the program carries no file list (the scan met no embedded
// file), the box saying that its files could not be checked.
enum class CheckEnd { Conflicts, UpToDate, NoFileList };
CheckEnd checkEnd(int conflictCount, bool embeddedFound);

inline constexpr std::string_view kNoFileListCaption = "Files Could Not Be Checked";
// The no-file-list box's text for the program checked.
std::string noFileListText(const std::string& targetFile);

} // namespace VerVrfyControl
