// file_entry.h
// One file of the control's embedded list: an 88-byte header followed, in
// storage, by four counted sections (name, version buffer, two texts). The
// control keeps and copies the numbers; their meaning belongs to the Select
// Files dialog and the scan engine.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "blob_stream.h"

namespace orvane36 {

inline constexpr int32_t kHeaderSize = 88;
inline constexpr int32_t kEntryFormat = 6;
inline constexpr uint32_t kDefaultFlags = 0x00090000;
inline constexpr uint32_t kLastEntry = 0x80000000;   // in flags: end of a list
inline constexpr int32_t kPathDependent = 0x02;      // in entryFlags
inline constexpr int32_t kMinHeaderSize = 32;
inline constexpr int32_t kMaxHeaderSize = 32767;
// Largest section a reader accepts. A file name or version text is a few
// hundred bytes and a version resource below 64 KB; a larger count can only
// come from damaged data.
inline constexpr uint32_t kMaxSectionBytes = 0x100000;

struct FileEntry {
    int32_t headerSize = kHeaderSize;   // as read; always written as 88
    int32_t format = kEntryFormat;
    uint32_t flags = kDefaultFlags;
    int32_t entryValue1 = 0;
    int32_t entryValue2 = 0;
    int32_t entryValue3 = 0;
    int32_t entryValue4 = 0;
    int32_t entryValue5 = 0;
    std::optional<std::string> entryName;
    std::vector<uint8_t> versionBuffer;  // its size is bufferLength
    int32_t entryValue6 = 0;
    int32_t entryValue7 = 0;
    int32_t entryFlags = 0;
    std::optional<std::string> text1;
    std::optional<std::string> text2;
    std::array<uint8_t, 24> entryBlock{};

    int32_t bufferLength() const { return static_cast<int32_t>(versionBuffer.size()); }
    bool isLast() const { return (flags & kLastEntry) != 0; }
    bool operator==(const FileEntry&) const = default;
};

// The four reference fields of a header. Storage leaves them 0 and readers
// ignore them; the in-memory array of the Select Files dialog fills them.
struct HeaderReferences {
    uint32_t entryName = 0;
    uint32_t versionBuffer = 0;
    uint32_t text1 = 0;
    uint32_t text2 = 0;
};

using HeaderBytes = std::array<uint8_t, kHeaderSize>;
inline constexpr size_t kFlagsOffset = 8;
// Offsets of the four reference fields within a header.
inline constexpr size_t kReferenceOffsets[4] = {32, 36, 56, 60};

// Lays out the header of entry with headerSize 88 (the size of what is laid
// out), the given flags and references, and bufferLength from the buffer.
HeaderBytes EncodeHeader(const FileEntry& entry, uint32_t flags, const HeaderReferences& refs);

// The numbers of a laid-out header; names, texts and buffer stay empty.
// refs and bufferLength receive the raw fields when given.
FileEntry DecodeHeader(std::span<const uint8_t, kHeaderSize> bytes, HeaderReferences* refs,
                       int32_t* bufferLength);

enum class EntryRead : int {
    Read = 0,
    Error = -1,
    EmptyList = -2,   // the pair 1, 1 that stands for an empty list
};

// Reads one stored record into entry, which holds the defaults for header
// fields a short header leaves out. A header longer than 88 bytes has its
// extra bytes read and dropped. Never reads past what a count allows and
// never allocates more than the stream holds. On Error or EmptyList the
// entry is in an unspecified state and should be discarded.
EntryRead ReadFileEntry(FileEntry& entry, ByteStream& stream);

// Writes the header (size 88, reserved references 0), then the four
// sections. False when any write falls short.
bool WriteFileEntry(const FileEntry& entry, ByteStream& stream);
// The same with flags replaced, for writers that mark the last record.
bool WriteFileEntry(const FileEntry& entry, uint32_t flags, ByteStream& stream);

// A text section holds the text up to its first NUL: a stored text whose
// bytes lack the terminator keeps all of them and ends in NUL in memory.
std::string TextFromSection(std::span<const uint8_t> bytes);

} // namespace orvane36
