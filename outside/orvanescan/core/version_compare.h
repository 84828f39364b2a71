// version_compare.h
// The comparisons a verification makes between a reference and a copy of
// a file: versions, version texts, dates and sizes, and the conflict bits
// they add up to. Portable, so every rule is tested natively.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scan_types.h"

namespace orvanescan {

// Compares two version texts part by part as numbers, so "2.10" is newer
// than "2.9". A part is a run of digits and anything else separates parts,
// so "6, 0, 81, 0" equals "6.0.81.0"; a missing trailing part counts as 0.
// Negative, zero or positive as a is older, equal or newer than b; none
// when either text holds no digit at all.
std::optional<int> CompareVersionTexts(std::string_view a, std::string_view b);

// Two file times (FILETIME, 100 ns units) closer than two seconds count as
// equal: FAT keeps times to two seconds, and a copy across file systems
// loses the fraction.
inline constexpr uint64_t kDateTolerance = 2 * 10000000ull;
int CompareFileTimes(uint64_t a, uint64_t b);

// One copy of a listed file on disk.
struct CopyFacts {
    std::string path;
    uint32_t source = 0;                  // the path bit of its folder; 0 for an absolute name
    uint64_t size = 0;
    uint64_t date = 0;                    // last written, FILETIME UTC
    std::vector<uint8_t> versionBuffer;   // empty: the file has no version resource
    std::optional<FixedFileInfo> fixed;
    std::string versionString;            // its "FileVersion" text, or ""
    bool operator==(const CopyFacts&) const = default;
};

// One registration of a type library (TypeLib\{guid}\version\lcid\win32).
struct Registration {
    TypeLibId id;
    bool namesFoundCopy = false;          // its path is the copy that was found
};

// The registration the comparison uses: the one naming the found copy
// (the highest such version), else the highest version registered.
std::optional<Registration> ChooseRegistration(const std::vector<Registration>& registrations);

struct Findings {
    const CopyFacts* found = nullptr;     // the first copy in search order; null: none
    // Filled only when the reference names a type library.
    std::vector<Registration> registrations;
    bool loadedElsewhere = false;         // a module of that name is loaded from another path
};

// The conflict bits of a reference against what was found, limited to
// the reference's warnings. A bit that needs a value on both sides (a
// version, a date, a size, a version text) is raised only when both have
// it; a missing file raises kNotFound and nothing that needs the file.
uint32_t ComputeConflicts(const Reference& ref, const Findings& findings);

} // namespace orvanescan
