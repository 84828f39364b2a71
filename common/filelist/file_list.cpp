// file_list.cpp
#include "file_list.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace orvane36 {

namespace {

uint32_t markedFlags(uint32_t flags, bool last) {
    return last ? flags | kLastEntry : flags & ~kLastEntry;
}

// Appends bytes to the array's data area and returns their offset.
uint32_t appendData(std::vector<uint8_t>& array, const void* bytes, size_t size) {
    const size_t at = array.size();
    const auto* p = static_cast<const uint8_t*>(bytes);
    array.insert(array.end(), p, p + size);
    return static_cast<uint32_t>(at);
}

uint32_t appendText(std::vector<uint8_t>& array, const std::optional<std::string>& text) {
    return text ? appendData(array, text->c_str(), std::strlen(text->c_str()) + 1) : 0;
}

// Where a reference of an array at address base points, when inside it.
std::optional<size_t> offsetOf(uint32_t ref, uint32_t base, size_t size) {
    const uint32_t offset = ref - base;
    if (offset >= size) return std::nullopt;
    return offset;
}

bool resolveText(std::span<const uint8_t> array, uint32_t base, uint32_t ref,
                 std::optional<std::string>& text) {
    text.reset();
    if (ref == 0) return true;
    auto at = offsetOf(ref, base, array.size());
    if (!at) return false;
    auto rest = array.subspan(*at);
    // The text must end inside the array.
    if (std::find(rest.begin(), rest.end(), uint8_t{0}) == rest.end()) return false;
    text = TextFromSection(rest);
    return true;
}

bool resolveBuffer(std::span<const uint8_t> array, uint32_t base, uint32_t ref, int32_t length,
                   std::vector<uint8_t>& buffer) {
    buffer.clear();
    if (length == 0) return true;
    if (length < 0 || ref == 0) return false;
    auto at = offsetOf(ref, base, array.size());
    if (!at || array.size() - *at < static_cast<size_t>(length)) return false;
    auto block = array.subspan(*at, static_cast<size_t>(length));
    buffer.assign(block.begin(), block.end());
    return true;
}

// Appends the entries next yields until one carries the last flag. next
// fills an entry and returns 0, or the status that ends the list. Running
// out of memory ends it with kOutOfMemory; the entries so far stay.
template <typename Next>
void collectEntries(ListRead& r, Next next) {
    try {
        for (;;) {
            FileEntry entry;
            if (const int16_t failure = next(entry); failure != 0) {
                r.status = failure;
                return;
            }
            const bool last = entry.isLast();
            r.list.push_back(std::move(entry));
            if (last) return;
        }
    } catch (const std::bad_alloc&) {
        r.status = list_status::kOutOfMemory;
    }
}

} // namespace

ListRead ReadListBlob(ByteStream& stream) {
    ListRead r;
    char marker[kMarkerSize];
    if (!readExact(stream, marker, kMarkerSize)) {
        r.status = list_status::kError;
        return r;
    }
    const std::string_view got(marker, kMarkerSize);
    if (got == kMasterMarker) r.status = list_status::kMaster;
    else if (got == kSlaveMarker) r.status = list_status::kSlave;

    collectEntries(r, [&](FileEntry& entry) {
        return static_cast<int16_t>(ReadFileEntry(entry, stream));
    });
    return r;
}

bool WriteListBlob(const FileList& list, ByteStream& stream, bool slave) {
    const std::string_view marker = slave ? kSlaveMarker : kMasterMarker;
    if (!writeExact(stream, marker.data(), marker.size())) return false;
    if (list.empty()) return writeUint32(stream, 1) && writeUint32(stream, 1);
    for (size_t i = 0; i < list.size(); ++i) {
        const bool last = i + 1 == list.size();
        if (!WriteFileEntry(list[i], markedFlags(list[i].flags, last), stream)) return false;
    }
    return true;
}

std::optional<std::vector<uint8_t>> ListToStream(const FileList& list, bool slave) {
    try {
        MemoryStream stream;
        if (!WriteListBlob(list, stream, slave)) return std::nullopt;
        return stream.take();
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

std::vector<uint8_t> ListToArray(const FileList& list) {
    std::vector<const FileEntry*> order;
    order.reserve(list.size());
    for (const FileEntry& e : list)
        if ((e.entryFlags & kPathDependent) == 0) order.push_back(&e);
    for (const FileEntry& e : list)
        if ((e.entryFlags & kPathDependent) != 0) order.push_back(&e);

    std::vector<uint8_t> array(order.size() * kHeaderSize);
    for (size_t i = 0; i < order.size(); ++i) {
        const FileEntry& e = *order[i];
        HeaderReferences refs;
        refs.entryName = appendText(array, e.entryName);
        if (!e.versionBuffer.empty())
            refs.versionBuffer = appendData(array, e.versionBuffer.data(), e.versionBuffer.size());
        refs.text1 = appendText(array, e.text1);
        refs.text2 = appendText(array, e.text2);
        const HeaderBytes header = EncodeHeader(e, markedFlags(e.flags, i + 1 == order.size()), refs);
        std::copy(header.begin(), header.end(), array.begin() + i * kHeaderSize);
    }
    return array;
}

bool RelocateArray(std::span<uint8_t> array, uint32_t base) {
    for (size_t at = 0; array.size() - at >= kHeaderSize; at += kHeaderSize) {
        uint8_t* header = array.data() + at;
        for (size_t off : kReferenceOffsets)
            if (uint32_t ref = loadLe32(header + off); ref != 0) storeLe32(header + off, ref + base);
        if (loadLe32(header + kFlagsOffset) & kLastEntry) return true;
    }
    return false;
}

ListRead ArrayToList(std::span<const uint8_t> array, uint32_t base) {
    ListRead r;
    if (array.empty()) return r;
    size_t at = 0;
    collectEntries(r, [&](FileEntry& entry) -> int16_t {
        if (array.size() - at < kHeaderSize) return list_status::kError;
        HeaderReferences refs;
        int32_t length = 0;
        entry = DecodeHeader(array.subspan(at).first<kHeaderSize>(), &refs, &length);
        at += kHeaderSize;
        const bool resolved =
            resolveText(array, base, refs.entryName, entry.entryName) &&
            resolveBuffer(array, base, refs.versionBuffer, length, entry.versionBuffer) &&
            resolveText(array, base, refs.text1, entry.text1) &&
            resolveText(array, base, refs.text2, entry.text2);
        return resolved ? int16_t{0} : list_status::kError;
    });
    return r;
}

} // namespace orvane36
