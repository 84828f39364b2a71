// guid_text.cpp
#include "guid_text.h"

#include <cstdio>

namespace orvanescan {

std::string GuidText(const std::array<uint8_t, 16>& g) {
    bool null = true;
    for (uint8_t b : g) null = null && b == 0;
    if (null) return {};
    char text[40];
    std::snprintf(text, sizeof text, "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g[3],
                  g[2], g[1], g[0], g[5], g[4], g[7], g[6], g[8], g[9], g[10], g[11], g[12], g[13], g[14], g[15]);
    return text;
}

std::optional<std::array<uint8_t, 16>> GuidFromText(std::string_view text) {
    std::array<uint8_t, 16> g{};
    if (text.empty()) return g;
    // Where each pair of hex digits of the text stands, and where its byte
    // lands in memory.
    static constexpr size_t kTextAt[16] = {1, 3, 5, 7, 10, 12, 15, 17, 20, 22, 25, 27, 29, 31, 33, 35};
    static constexpr size_t kByteAt[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    if (text.size() != 38 || text[0] != '{' || text[37] != '}' || text[9] != '-' || text[14] != '-' ||
        text[19] != '-' || text[24] != '-')
        return std::nullopt;
    for (size_t i = 0; i < 16; ++i) {
        auto byte = HexNumber(text.substr(kTextAt[i], 2));
        if (!byte) return std::nullopt;
        g[kByteAt[i]] = static_cast<uint8_t>(*byte);
    }
    return g;
}

std::optional<uint32_t> HexNumber(std::string_view text) {
    if (text.empty() || text.size() > 8) return std::nullopt;
    uint32_t v = 0;
    for (char c : text) {
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return std::nullopt;
        v = v << 4 | static_cast<uint32_t>(d);
    }
    return v;
}

std::optional<uint32_t> TypeLibVersionFromKey(std::string_view name) {
    const size_t dot = name.find('.');
    if (dot == std::string_view::npos) return std::nullopt;
    auto major = HexNumber(name.substr(0, dot));
    auto minor = HexNumber(name.substr(dot + 1));
    if (!major || !minor || *major > 0xFFFF || *minor > 0xFFFF) return std::nullopt;
    return *major << 16 | *minor;
}

} // namespace orvanescan
