// version_info.cpp
// A block: wLength, wValueLength, wType, a NUL-terminated UTF-16 key,
// padding to 32 bits, the value (bytes for wType 0, UTF-16 characters for
// wType 1), padding, then child blocks up to wLength. Offsets are aligned
// from the start of the resource, which is where its first block begins.
#include "version_info.h"

#include <algorithm>

namespace orvanescan {

namespace {

struct Block {
    std::u16string key;
    size_t valueAt = 0;
    size_t valueBytes = 0;   // clipped to the block
    uint16_t type = 0;
    size_t childrenAt = 0;
    size_t end = 0;
};

uint16_t loadLe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

size_t align4(size_t n) { return (n + 3) & ~size_t{3}; }

// Reads the block at offset at, which must end by limit.
std::optional<Block> readBlock(std::span<const uint8_t> bytes, size_t at, size_t limit) {
    if (limit > bytes.size() || at > limit || limit - at < 6) return std::nullopt;
    const uint8_t* p = bytes.data();
    const size_t length = loadLe16(p + at);
    const size_t valueLength = loadLe16(p + at + 2);
    Block b;
    b.type = loadLe16(p + at + 4);
    if (length < 6 || length > limit - at) return std::nullopt;
    b.end = at + length;
    size_t pos = at + 6;
    for (;;) {
        if (b.end - pos < 2) return std::nullopt;   // key without terminator
        const char16_t c = static_cast<char16_t>(loadLe16(p + pos));
        pos += 2;
        if (c == 0) break;
        b.key.push_back(c);
    }
    b.valueAt = align4(pos);
    if (b.valueAt > b.end) b.valueAt = b.end;
    const size_t wanted = b.type == 1 ? valueLength * 2 : valueLength;
    b.valueBytes = std::min(wanted, b.end - b.valueAt);
    b.childrenAt = std::min(align4(b.valueAt + b.valueBytes), b.end);
    return b;
}

// Calls f(block) for each child of parent until one cannot be read.
template <typename F>
void forEachChild(std::span<const uint8_t> bytes, const Block& parent, F f) {
    size_t at = parent.childrenAt;
    while (at < parent.end) {
        auto child = readBlock(bytes, at, parent.end);
        if (!child) return;
        f(*child);
        at = align4(child->end);
    }
}

std::u16string textValue(std::span<const uint8_t> bytes, const Block& b) {
    std::u16string text;
    for (size_t i = 0; i + 1 < b.valueBytes; i += 2) {
        const char16_t c = static_cast<char16_t>(loadLe16(bytes.data() + b.valueAt + i));
        if (c == 0) break;
        text.push_back(c);
    }
    return text;
}

std::optional<FixedFileInfo> fixedInfo(std::span<const uint8_t> bytes, const Block& root) {
    if (root.valueBytes < 13 * 4) return std::nullopt;
    uint32_t v[13];
    for (size_t i = 0; i < 13; ++i) {
        const uint8_t* q = bytes.data() + root.valueAt + i * 4;
        v[i] = uint32_t(q[0]) | uint32_t(q[1]) << 8 | uint32_t(q[2]) << 16 | uint32_t(q[3]) << 24;
    }
    if (v[0] != kFixedInfoSignature) return std::nullopt;
    FixedFileInfo f;
    f.fileVersionMS = v[2];
    f.fileVersionLS = v[3];
    f.productVersionMS = v[4];
    f.productVersionLS = v[5];
    f.fileFlagsMask = v[6];
    f.fileFlags = v[7];
    f.fileOS = v[8];
    f.fileType = v[9];
    f.fileSubtype = v[10];
    f.fileDateMS = v[11];
    f.fileDateLS = v[12];
    return f;
}

} // namespace

std::optional<VersionInfo> ParseVersionInfo(std::span<const uint8_t> bytes) {
    auto root = readBlock(bytes, 0, bytes.size());
    if (!root || root->key != u"VS_VERSION_INFO") return std::nullopt;
    VersionInfo info;
    info.fixed = fixedInfo(bytes, *root);
    forEachChild(bytes, *root, [&](const Block& child) {
        if (child.key != u"StringFileInfo") return;
        forEachChild(bytes, child, [&](const Block& tableBlock) {
            StringTable table;
            table.key = tableBlock.key;
            forEachChild(bytes, tableBlock, [&](const Block& s) {
                table.strings.emplace_back(s.key, textValue(bytes, s));
            });
            info.tables.push_back(std::move(table));
        });
    });
    return info;
}

std::optional<std::u16string> FindVersionString(const VersionInfo& info, std::u16string_view name) {
    for (const StringTable& t : info.tables) {
        for (const auto& [key, value] : t.strings) {
            if (key == name) return value;
        }
    }
    return std::nullopt;
}

std::string VersionText(uint32_t ms, uint32_t ls) {
    return std::to_string(ms >> 16) + "." + std::to_string(ms & 0xFFFF) + "." + std::to_string(ls >> 16) + "." +
           std::to_string(ls & 0xFFFF);
}

} // namespace orvanescan
