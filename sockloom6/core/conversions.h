// conversions.h
// Small conversions every class of the socket library shares, and the
// decoding of the two window messages Windows Sockets posts to it.
// Portable.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sockloom {

// The text before its first NUL; empty when the text holds no NUL or
// begins with one (the library's callers always pass NUL-padded buffers).
std::string TrimAtNull(std::string_view text);

// A 16-bit value read as unsigned (0 to 65535).
std::int32_t UnsignedWord(std::int16_t value) noexcept;

// The 16 bits htons converts for a port number given as a 32-bit value:
// every port from 0 to 65535 and every 16-bit signed value is taken (by
// its low 16 bits); anything outside -32768 to 65535 is refused.
std::optional<std::uint16_t> portBits(std::int32_t value) noexcept;

// The messages posted to the library's hidden window.
inline constexpr unsigned kLookupMessage = 0x500;
inline constexpr unsigned kSocketMessage = 0x501;

// Message 0x501: wParam is the socket handle, whole (a handle is not cut
// to 16 bits: it may lie above 0xFFFF); lParam holds the event in its low
// and the error in its high 16 bits.
struct SocketNotice {
    std::uintptr_t handle;
    int event;
    int error;
};
SocketNotice decodeSocketMessage(std::uintptr_t wParam, std::intptr_t lParam) noexcept;

// Message 0x500: wParam is the task handle, the error is in the high 16
// bits of lParam.
struct LookupNotice {
    std::int32_t task;
    int error;
};
LookupNotice decodeLookupMessage(std::uintptr_t wParam, std::intptr_t lParam) noexcept;

}  // namespace sockloom
