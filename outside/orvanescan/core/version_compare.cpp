// version_compare.cpp
#include "version_compare.h"

#include <algorithm>
#include <cctype>

namespace orvanescan {

namespace {

// The runs of digits of a text, leading zeros dropped ("" stands for 0).
std::vector<std::string_view> numberParts(std::string_view text) {
    std::vector<std::string_view> parts;
    size_t i = 0;
    while (i < text.size()) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) {
            ++i;
            continue;
        }
        size_t start = i;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
        while (start < i && text[start] == '0') ++start;
        parts.push_back(text.substr(start, i - start));
    }
    return parts;
}

// Digit strings without leading zeros, of any length.
int compareNumbers(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int sign(uint64_t a, uint64_t b) { return a < b ? -1 : (a > b ? 1 : 0); }

} // namespace

std::optional<int> CompareVersionTexts(std::string_view a, std::string_view b) {
    const auto pa = numberParts(a);
    const auto pb = numberParts(b);
    if (pa.empty() || pb.empty()) return std::nullopt;
    for (size_t i = 0; i < std::max(pa.size(), pb.size()); ++i) {
        const std::string_view x = i < pa.size() ? pa[i] : std::string_view{};
        const std::string_view y = i < pb.size() ? pb[i] : std::string_view{};
        if (int c = compareNumbers(x, y); c != 0) return c;
    }
    return 0;
}

int CompareFileTimes(uint64_t a, uint64_t b) {
    const uint64_t gap = a > b ? a - b : b - a;
    return gap < kDateTolerance ? 0 : sign(a, b);
}

std::optional<Registration> ChooseRegistration(const std::vector<Registration>& registrations) {
    std::optional<Registration> best;
    for (const Registration& r : registrations) {
        const bool better = !best || (r.namesFoundCopy && !best->namesFoundCopy) ||
                            (r.namesFoundCopy == best->namesFoundCopy && r.id.version > best->id.version);
        if (better) best = r;
    }
    return best;
}

uint32_t ComputeConflicts(const Reference& ref, const Findings& findings) {
    uint32_t bits = conflict::kAlwaysWarn;
    if (findings.loadedElsewhere) bits |= conflict::kInMemory;
    const CopyFacts* found = findings.found;
    if (!found) return (bits | conflict::kNotFound) & ref.warnings;

    if (ref.date != 0 && found->date != 0) {
        const int c = CompareFileTimes(found->date, ref.date);
        if (c < 0) bits |= conflict::kOlderDate;
        if (c > 0) bits |= conflict::kNewerDate;
    }
    if (!found->fixed) {
        bits |= conflict::kNoVersionInfo;
    } else {
        if (ref.fixed) {
            const int c = sign(found->fixed->fileVersion(), ref.fixed->fileVersion());
            if (c < 0) bits |= conflict::kOlderVersion;
            if (c > 0) bits |= conflict::kNewerVersion;
        }
        if (found->fixed->buildFlags() != 0) bits |= conflict::kSpecialBuild;
    }
    if (ref.size != 0) {
        if (found->size > ref.size) bits |= conflict::kLargerSize;
        if (found->size < ref.size) bits |= conflict::kSmallerSize;
    }
    if (ref.typeLib.hasGuid()) {
        const auto chosen = ChooseRegistration(findings.registrations);
        if (!chosen || !chosen->namesFoundCopy) bits |= conflict::kNotRegistered;
        if (!chosen) {
            bits |= conflict::kNoTypeLib;
        } else {
            const int c = sign(chosen->id.version, ref.typeLib.version);
            if (c < 0) bits |= conflict::kOlderTypeLib;
            if (c > 0) bits |= conflict::kNewerTypeLib;
        }
    }
    if (!ref.versionString.empty() && !found->versionString.empty()) {
        if (auto c = CompareVersionTexts(found->versionString, ref.versionString)) {
            if (*c < 0) bits |= conflict::kOlderVersionString;
            if (*c > 0) bits |= conflict::kNewerVersionString;
        }
    }
    return bits & ref.warnings;
}

} // namespace orvanescan
