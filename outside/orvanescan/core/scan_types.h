// scan_types.h
// The words the scan engine and its callers share: the folders a listed
// file is looked for in (path bits), the conflict bits a verification
// reports, and the reference a file is compared against. Portable: no
// Windows header, so the comparison rules build and test natively.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvanescan {

// Where a listed file is looked for, in this order (the order in which
// Windows loads a library). FileScan reports these bits as PathFlags and
// OtherSource reports the one folder a copy came from.
namespace path_bits {
inline constexpr uint32_t kProgramFolder = 0x01;
inline constexpr uint32_t kSystemFolder = 0x02;
inline constexpr uint32_t kWindowsFolder = 0x04;
inline constexpr uint32_t kSearchPath = 0x08;   // every folder of PATH
inline constexpr uint32_t kOtherPaths = 0x10;   // the entry's own folders, then the engine's
inline constexpr uint32_t kAll = 0x1F;
// What an entry with no path bits means: the program folder, then PATH.
inline constexpr uint32_t kDefault = kProgramFolder | kSearchPath;
} // namespace path_bits

// The conflict bits of FileConflict's Flags, one per finding.
namespace conflict {
inline constexpr uint32_t kOlderDate = 1u << 0;
inline constexpr uint32_t kNewerDate = 1u << 1;
inline constexpr uint32_t kOlderVersion = 1u << 2;
inline constexpr uint32_t kNewerVersion = 1u << 3;
inline constexpr uint32_t kSpecialBuild = 1u << 4;   // debug, patched, private ... build
inline constexpr uint32_t kAlwaysWarn = 1u << 5;
inline constexpr uint32_t kInMemory = 1u << 6;       // another copy is loaded in this process
inline constexpr uint32_t kNotFound = 1u << 7;
inline constexpr uint32_t kNoVersionInfo = 1u << 8;
inline constexpr uint32_t kLargerSize = 1u << 9;
inline constexpr uint32_t kSmallerSize = 1u << 10;
inline constexpr uint32_t kNotRegistered = 1u << 11;
inline constexpr uint32_t kOlderTypeLib = 1u << 12;
inline constexpr uint32_t kNewerTypeLib = 1u << 13;
inline constexpr uint32_t kNoTypeLib = 1u << 14;
inline constexpr uint32_t kOlderVersionString = 1u << 15;
inline constexpr uint32_t kNewerVersionString = 1u << 16;
inline constexpr uint32_t kAll = (1u << 17) - 1;
// What an entry that names no warnings is checked for: what would keep
// the program from running (missing, too old, not registered).
inline constexpr uint32_t kDefaultWarnings =
    kOlderVersion | kNotFound | kNotRegistered | kOlderTypeLib | kNoTypeLib | kOlderVersionString;
} // namespace conflict

// The fixed part of a version resource (VS_FIXEDFILEINFO).
struct FixedFileInfo {
    uint32_t fileVersionMS = 0;
    uint32_t fileVersionLS = 0;
    uint32_t productVersionMS = 0;
    uint32_t productVersionLS = 0;
    uint32_t fileFlagsMask = 0;
    uint32_t fileFlags = 0;
    uint32_t fileOS = 0;
    uint32_t fileType = 0;
    uint32_t fileSubtype = 0;
    uint32_t fileDateMS = 0;
    uint32_t fileDateLS = 0;

    uint64_t fileVersion() const { return uint64_t(fileVersionMS) << 32 | fileVersionLS; }
    // The build flags that are set and valid (VS_FF_DEBUG 0x01 to
    // VS_FF_SPECIALBUILD 0x20).
    uint32_t buildFlags() const { return fileFlags & fileFlagsMask & 0x3F; }
    bool operator==(const FixedFileInfo&) const = default;
};

// A registered type library's identity: GUID bytes in memory order
// (Data1, Data2 and Data3 little-endian), version with the major number in
// the high word, and locale.
struct TypeLibId {
    std::array<uint8_t, 16> guid{};
    uint32_t version = 0;
    uint32_t lcid = 0;

    bool hasGuid() const {
        for (uint8_t b : guid) {
            if (b != 0) return true;
        }
        return false;
    }
    bool operator==(const TypeLibId&) const = default;
};

// What one file is compared against: built from a list entry
// (entry_reference.h) or from VerifyObjectFile's arguments.
struct Reference {
    std::string name;                     // a file name, a relative or an absolute path
    uint32_t pathBits = path_bits::kDefault;
    bool pathDependent = false;           // only the first folder counts
    uint32_t warnings = conflict::kDefaultWarnings;
    std::vector<uint8_t> versionBuffer;   // the reference's version resource, as stored
    std::optional<FixedFileInfo> fixed;   // from versionBuffer or given directly
    uint32_t size = 0;                    // 0: not compared
    uint64_t date = 0;                    // FILETIME (UTC, 100 ns); 0: not compared
    std::string versionString;            // "": not compared
    TypeLibId typeLib;                    // null GUID: no type-library check
    std::string otherPaths;               // ';'-separated folders for path_bits::kOtherPaths
};

} // namespace orvanescan
