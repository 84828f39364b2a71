// embedded_lists.cpp
#include "embedded_lists.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace orvanescan {

size_t SpanStream::read(void* dest, size_t size) {
    const size_t n = std::min(size, m_bytes.size() - m_pos);
    if (n != 0) std::memcpy(dest, m_bytes.data() + m_pos, n);
    m_pos += n;
    return n;
}

std::vector<EmbeddedList> FindEmbeddedLists(std::span<const uint8_t> bytes) {
    using orvane36::kMasterMarker;
    using orvane36::kSlaveMarker;
    // Both markers share everything but their last five characters.
    constexpr size_t kShared = 23;
    static_assert(kMasterMarker.substr(0, kShared) == kSlaveMarker.substr(0, kShared));
    const std::string_view prefix = kMasterMarker.substr(0, kShared);

    std::vector<EmbeddedList> lists;
    auto at = bytes.begin();
    for (;;) {
        at = std::search(at, bytes.end(), prefix.begin(), prefix.end(),
                         [](uint8_t b, char c) { return b == static_cast<uint8_t>(c); });
        if (static_cast<size_t>(bytes.end() - at) < orvane36::kMarkerSize) break;
        const size_t offset = static_cast<size_t>(at - bytes.begin());
        const std::string_view marker(reinterpret_cast<const char*>(bytes.data() + offset), orvane36::kMarkerSize);
        if (marker != kMasterMarker && marker != kSlaveMarker) {
            ++at;
            continue;
        }
        SpanStream stream(bytes.subspan(offset));
        EmbeddedList found{offset, 0, orvane36::ReadListBlob(stream)};
        found.length = stream.position();
        if (found.read.list.empty()) {
            ++at;
            continue;
        }
        at += static_cast<std::ptrdiff_t>(found.length);
        lists.push_back(std::move(found));
    }
    return lists;
}

} // namespace orvanescan
