// file_list.h
// The control's embedded file list and its byte forms: FileListBlob (a
// 28-byte marker, then the records with the last one flagged, or the pair
// 1, 1 for an empty list) for storage and for every hand-over to the scan
// engine, and the contiguous array the Select Files dialog edits.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "blob_stream.h"
#include "file_entry.h"

namespace orvane36 {

// The list in memory, in list order. An empty list stands for "no list".
using FileList = std::vector<FileEntry>;

inline constexpr std::string_view kMasterMarker = "QuennickOrvaneLedgers6Mark32";
inline constexpr std::string_view kSlaveMarker = "QuennickOrvaneLedgers6MSlv32";
inline constexpr size_t kMarkerSize = 28;
static_assert(kMasterMarker.size() == kMarkerSize && kSlaveMarker.size() == kMarkerSize);

// Status of a list read (16-bit, as the control keeps it).
namespace list_status {
inline constexpr int16_t kNoMarker = 0;      // neither marker; records read anyway
inline constexpr int16_t kMaster = 1;
inline constexpr int16_t kSlave = 3;
inline constexpr int16_t kError = -1;        // short or invalid data
inline constexpr int16_t kEmptyList = -2;    // the pair 1, 1
inline constexpr int16_t kOutOfMemory = 21000;
} // namespace list_status

struct ListRead {
    FileList list;              // the entries read before any failure
    int16_t status = list_status::kNoMarker;

    // Whether the control reports the stored data as unreadable (error 600).
    // Running out of memory loses entries, so it counts as a failure too.
    bool failed() const { return status < 0 || status == list_status::kOutOfMemory; }
};

// Reads a FileListBlob: the marker, then records until one carries the last
// flag. Stops at the first record that cannot be read.
ListRead ReadListBlob(ByteStream& stream);

// Writes the marker chosen by slave, then every entry with the last flag on
// the final record only; an empty list writes the pair 1, 1. False when
// any part falls short.
bool WriteListBlob(const FileList& list, ByteStream& stream, bool slave);

// The FileListBlob of list as the bytes of a new stream (read from the
// start); none when it could not be built.
std::optional<std::vector<uint8_t>> ListToStream(const FileList& list, bool slave);

// The array for the Select Files dialog: contiguous 88-byte headers, first
// every entry without the path-dependent bit, then every entry with it,
// each group in list order, the last header alone carrying the last flag;
// then the names, buffers and texts the headers refer to. References hold
// offsets from the array's start until RelocateArray turns them into
// addresses. Empty for an empty list.
std::vector<uint8_t> ListToArray(const FileList& list);

// Adds base to every non-zero reference of the array's headers, so that
// an array copied to address base carries live references. False when the
// headers run past the array without a last flag.
bool RelocateArray(std::span<uint8_t> array, uint32_t base);

// A new list from an array of the same form lying at address base (0 for
// one whose references are offsets). An empty span is a missing array: no
// list, status 0. Copies headers until the one with the last flag (whose
// copy keeps it). A header past the array's end, or a reference that
// leaves it, stops the copy with status -1; running out of memory with
// 21000; either way the entries copied so far are returned.
ListRead ArrayToList(std::span<const uint8_t> array, uint32_t base);

} // namespace orvane36
