// entry_reference.cpp
#include "entry_reference.h"

#include <algorithm>

#include "version_info.h"

namespace orvanescan {

namespace {

uint32_t loadBlock32(const std::array<uint8_t, 24>& block, size_t at) {
    return orvane36::loadLe32(block.data() + at);
}

} // namespace

uint32_t PathBitsOf(const orvane36::FileEntry& entry) {
    const uint32_t bits = (entry.flags >> kPathBitsShift) & path_bits::kAll;
    return bits != 0 ? bits : path_bits::kDefault;
}

uint32_t WarningsOf(const orvane36::FileEntry& entry) {
    const uint32_t warnings = static_cast<uint32_t>(entry.entryValue1) & conflict::kAll;
    return warnings != 0 ? warnings : conflict::kDefaultWarnings;
}

Reference ReferenceFromEntry(const orvane36::FileEntry& entry) {
    Reference ref;
    ref.name = entry.entryName.value_or("");
    ref.pathBits = PathBitsOf(entry);
    ref.pathDependent = (entry.entryFlags & orvane36::kPathDependent) != 0;
    ref.warnings = WarningsOf(entry);
    ref.versionBuffer = entry.versionBuffer;
    if (auto info = ParseVersionInfo(entry.versionBuffer)) ref.fixed = info->fixed;
    ref.size = static_cast<uint32_t>(entry.entryValue2);
    ref.date = uint64_t(static_cast<uint32_t>(entry.entryValue4)) << 32 | static_cast<uint32_t>(entry.entryValue3);
    ref.versionString = entry.text1.value_or("");
    ref.otherPaths = entry.text2.value_or("");
    std::copy_n(entry.entryBlock.begin(), 16, ref.typeLib.guid.begin());
    ref.typeLib.version = loadBlock32(entry.entryBlock, 16);
    ref.typeLib.lcid = loadBlock32(entry.entryBlock, 20);
    return ref;
}

orvane36::FileEntry EntryFromReference(const Reference& ref) {
    orvane36::FileEntry e;
    e.flags = (e.flags & ~(path_bits::kAll << kPathBitsShift)) | (ref.pathBits & path_bits::kAll) << kPathBitsShift;
    e.entryValue1 = static_cast<int32_t>(ref.warnings & conflict::kAll);
    e.entryValue2 = static_cast<int32_t>(ref.size);
    e.entryValue3 = static_cast<int32_t>(static_cast<uint32_t>(ref.date));
    e.entryValue4 = static_cast<int32_t>(static_cast<uint32_t>(ref.date >> 32));
    e.entryName = ref.name;
    e.versionBuffer = ref.versionBuffer;
    if (ref.pathDependent) e.entryFlags |= orvane36::kPathDependent;
    if (!ref.versionString.empty()) e.text1 = ref.versionString;
    if (!ref.otherPaths.empty()) e.text2 = ref.otherPaths;
    std::copy_n(ref.typeLib.guid.begin(), 16, e.entryBlock.begin());
    orvane36::storeLe32(e.entryBlock.data() + 16, ref.typeLib.version);
    orvane36::storeLe32(e.entryBlock.data() + 20, ref.typeLib.lcid);
    return e;
}

} // namespace orvanescan
