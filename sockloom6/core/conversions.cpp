// conversions.cpp
#include "conversions.h"

namespace sockloom {

std::string TrimAtNull(std::string_view text) {
    const size_t nul = text.find('\0');
    if (nul == std::string_view::npos) return {};
    return std::string(text.substr(0, nul));
}

std::int32_t UnsignedWord(std::int16_t value) noexcept { return static_cast<std::uint16_t>(value); }

std::optional<std::uint16_t> portBits(std::int32_t value) noexcept {
    if (value < -32768 || value > 65535) return std::nullopt;
    return static_cast<std::uint16_t>(static_cast<std::uint32_t>(value) & 0xFFFFu);
}

SocketNotice decodeSocketMessage(std::uintptr_t wParam, std::intptr_t lParam) noexcept {
    const auto bits = static_cast<std::uint32_t>(lParam);
    return {wParam, static_cast<int>(bits & 0xFFFFu), static_cast<int>(bits >> 16)};
}

LookupNotice decodeLookupMessage(std::uintptr_t wParam, std::intptr_t lParam) noexcept {
    const auto bits = static_cast<std::uint32_t>(lParam);
    return {static_cast<std::int32_t>(wParam), static_cast<int>(bits >> 16)};
}

}  // namespace sockloom
