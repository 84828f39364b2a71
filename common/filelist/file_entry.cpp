// file_entry.cpp
#include "file_entry.h"

#include <algorithm>
#include <cstring>

namespace orvane36 {

namespace {

// Header offsets.
constexpr size_t kOffSize = 0;
constexpr size_t kOffFormat = 4;
constexpr size_t kOffFlags = kFlagsOffset;
constexpr size_t kOffValue1 = 12;        // entryValue1 to entryValue5
constexpr size_t kOffNameRef = kReferenceOffsets[0];
constexpr size_t kOffBufferRef = kReferenceOffsets[1];
constexpr size_t kOffBufferLength = 40;
constexpr size_t kOffValue6 = 44;
constexpr size_t kOffValue7 = 48;
constexpr size_t kOffEntryFlags = 52;
constexpr size_t kOffText1Ref = kReferenceOffsets[2];
constexpr size_t kOffText2Ref = kReferenceOffsets[3];
constexpr size_t kOffBlock = 64;
// What follows headerSize and format.
constexpr size_t kHeaderRest = kHeaderSize - 8;

int32_t loadInt(const uint8_t* p) { return static_cast<int32_t>(loadLe32(p)); }
void storeInt(uint8_t* p, int32_t v) { storeLe32(p, static_cast<uint32_t>(v)); }

// The bytes a text section holds: the text up to its first NUL, then NUL.
std::span<const uint8_t> textBytes(const std::string& text) {
    return {reinterpret_cast<const uint8_t*>(text.c_str()), std::strlen(text.c_str()) + 1};
}

bool writeSection(ByteStream& stream, std::span<const uint8_t> bytes) {
    return writeUint32(stream, static_cast<uint32_t>(bytes.size())) &&
           writeExact(stream, bytes.data(), bytes.size());
}

bool writeText(ByteStream& stream, const std::optional<std::string>& text) {
    return text ? writeSection(stream, textBytes(*text)) : writeUint32(stream, 0);
}

// Reads one section; a count of 0 leaves bytes empty and present false.
bool readSection(ByteStream& stream, std::vector<uint8_t>& bytes, bool& present) {
    uint32_t count = 0;
    if (!readUint32(stream, count)) return false;
    present = count != 0;
    if (!present) {
        bytes.clear();
        return true;
    }
    return readBlock(stream, count, kMaxSectionBytes, bytes);
}

bool readText(ByteStream& stream, std::vector<uint8_t>& scratch, std::optional<std::string>& text) {
    bool present = false;
    if (!readSection(stream, scratch, present)) return false;
    if (present) text = TextFromSection(scratch);
    else text.reset();
    return true;
}

} // namespace

std::string TextFromSection(std::span<const uint8_t> bytes) {
    auto end = std::find(bytes.begin(), bytes.end(), uint8_t{0});
    return std::string(bytes.begin(), end);
}

HeaderBytes EncodeHeader(const FileEntry& entry, uint32_t flags, const HeaderReferences& refs) {
    HeaderBytes h{};
    uint8_t* p = h.data();
    storeInt(p + kOffSize, kHeaderSize);
    storeInt(p + kOffFormat, entry.format);
    storeLe32(p + kOffFlags, flags);
    const int32_t values[5] = {entry.entryValue1, entry.entryValue2, entry.entryValue3,
                               entry.entryValue4, entry.entryValue5};
    for (size_t i = 0; i < 5; ++i) storeInt(p + kOffValue1 + 4 * i, values[i]);
    storeLe32(p + kOffNameRef, refs.entryName);
    storeLe32(p + kOffBufferRef, refs.versionBuffer);
    storeInt(p + kOffBufferLength, entry.bufferLength());
    storeInt(p + kOffValue6, entry.entryValue6);
    storeInt(p + kOffValue7, entry.entryValue7);
    storeInt(p + kOffEntryFlags, entry.entryFlags);
    storeLe32(p + kOffText1Ref, refs.text1);
    storeLe32(p + kOffText2Ref, refs.text2);
    std::memcpy(p + kOffBlock, entry.entryBlock.data(), entry.entryBlock.size());
    return h;
}

FileEntry DecodeHeader(std::span<const uint8_t, kHeaderSize> bytes, HeaderReferences* refs,
                       int32_t* bufferLength) {
    const uint8_t* p = bytes.data();
    FileEntry e;
    e.headerSize = loadInt(p + kOffSize);
    e.format = loadInt(p + kOffFormat);
    e.flags = loadLe32(p + kOffFlags);
    e.entryValue1 = loadInt(p + kOffValue1);
    e.entryValue2 = loadInt(p + kOffValue1 + 4);
    e.entryValue3 = loadInt(p + kOffValue1 + 8);
    e.entryValue4 = loadInt(p + kOffValue1 + 12);
    e.entryValue5 = loadInt(p + kOffValue1 + 16);
    e.entryValue6 = loadInt(p + kOffValue6);
    e.entryValue7 = loadInt(p + kOffValue7);
    e.entryFlags = loadInt(p + kOffEntryFlags);
    std::memcpy(e.entryBlock.data(), p + kOffBlock, e.entryBlock.size());
    if (refs) {
        refs->entryName = loadLe32(p + kOffNameRef);
        refs->versionBuffer = loadLe32(p + kOffBufferRef);
        refs->text1 = loadLe32(p + kOffText1Ref);
        refs->text2 = loadLe32(p + kOffText2Ref);
    }
    if (bufferLength) *bufferLength = loadInt(p + kOffBufferLength);
    return e;
}

EntryRead ReadFileEntry(FileEntry& entry, ByteStream& stream) {
    uint8_t lead[8];
    if (!readExact(stream, lead, sizeof lead)) return EntryRead::Error;
    const int32_t size = loadInt(lead);
    const int32_t format = loadInt(lead + 4);
    if (size == 1 && format == 1) return EntryRead::EmptyList;
    if (size > kMaxHeaderSize || size < kMinHeaderSize || format != kEntryFormat)
        return EntryRead::Error;

    // The stored header bytes land over the entry's own laid-out header, so
    // whatever a short header leaves out keeps the entry's value, and bytes
    // past the 88th are read and dropped instead of landing anywhere.
    HeaderBytes image = EncodeHeader(entry, entry.flags, {});
    const size_t stored = static_cast<size_t>(size) - 8;
    const size_t kept = std::min(stored, kHeaderRest);
    if (!readExact(stream, image.data() + 8, kept)) return EntryRead::Error;
    if (!skipBytes(stream, stored - kept)) return EntryRead::Error;

    FileEntry read = DecodeHeader(image, nullptr, nullptr);
    read.headerSize = size;
    read.format = format;

    std::vector<uint8_t> scratch;
    bool present = false;
    if (!readText(stream, scratch, read.entryName)) return EntryRead::Error;
    if (!readSection(stream, read.versionBuffer, present)) return EntryRead::Error;
    if (!readText(stream, scratch, read.text1)) return EntryRead::Error;
    if (!readText(stream, scratch, read.text2)) return EntryRead::Error;
    entry = std::move(read);
    return EntryRead::Read;
}

bool WriteFileEntry(const FileEntry& entry, ByteStream& stream) {
    return WriteFileEntry(entry, entry.flags, stream);
}

bool WriteFileEntry(const FileEntry& entry, uint32_t flags, ByteStream& stream) {
    const HeaderBytes header = EncodeHeader(entry, flags, {});
    return writeExact(stream, header.data(), header.size()) &&
           writeText(stream, entry.entryName) &&
           writeSection(stream, entry.versionBuffer) &&
           writeText(stream, entry.text1) &&
           writeText(stream, entry.text2);
}

} // namespace orvane36
