// guid_text.h
// GUIDs and the hexadecimal numbers of registration keys as text, the way
// the registry spells them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvanescan {

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" of GUID bytes in memory order
// (Data1 to Data3 little-endian); "" for the null GUID.
std::string GuidText(const std::array<uint8_t, 16>& guid);

// Reads such a text, braces required, either case; "" gives the null
// GUID; none when the text is not a GUID.
std::optional<std::array<uint8_t, 16>> GuidFromText(std::string_view text);

// A hexadecimal number of one to eight digits; none for anything else.
std::optional<uint32_t> HexNumber(std::string_view text);

// A type library's version key "major.minor" (hexadecimal, each part
// 16-bit) as major << 16 | minor; none for other keys.
std::optional<uint32_t> TypeLibVersionFromKey(std::string_view name);

} // namespace orvanescan
