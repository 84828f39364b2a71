// version_info.h
// Reading a version resource (the VS_VERSIONINFO block that
// GetFileVersionInfo returns and that list entries store): its fixed part
// and its string tables. Only the 32-bit (UTF-16) layout is read; an old
// 16-bit block reads as no version information.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "scan_types.h"

namespace orvanescan {

inline constexpr uint32_t kFixedInfoSignature = 0xFEEF04BD;

struct StringTable {
    std::u16string key;   // language and code page, as "040904b0"
    std::vector<std::pair<std::u16string, std::u16string>> strings;
};

struct VersionInfo {
    std::optional<FixedFileInfo> fixed;   // none when absent or not signed
    std::vector<StringTable> tables;      // in stored order
};

// Parses the block at the start of bytes. None when it is not a
// VS_VERSION_INFO block; a damaged child ends the reading of children and
// keeps what came before. Never reads outside bytes.
std::optional<VersionInfo> ParseVersionInfo(std::span<const uint8_t> bytes);

// The value of name in the first string table that has it.
std::optional<std::u16string> FindVersionString(const VersionInfo& info, std::u16string_view name);

// "major.minor.build.revision" of a file version.
std::string VersionText(uint32_t ms, uint32_t ls);

} // namespace orvanescan
