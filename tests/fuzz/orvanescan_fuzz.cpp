// orvanescan_fuzz.cpp
// libFuzzer target for what the engine reads from files it did not write:
// lists found by their markers in a program's bytes, version resources,
// and version texts.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "embedded_lists.h"
#include "entry_reference.h"
#include "version_compare.h"
#include "version_info.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    for (const auto& found : orvanescan::FindEmbeddedLists(bytes)) {
        for (const auto& entry : found.read.list) {
            const orvanescan::Reference ref = orvanescan::ReferenceFromEntry(entry);
            orvanescan::CopyFacts copy;
            copy.versionString = ref.name;
            orvanescan::Findings findings;
            findings.found = &copy;
            orvanescan::ComputeConflicts(ref, findings);
        }
    }
    if (auto info = orvanescan::ParseVersionInfo(bytes)) orvanescan::FindVersionString(*info, u"FileVersion");
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const size_t half = size / 2;
    orvanescan::CompareVersionTexts(text.substr(0, half), text.substr(half));
    return 0;
}
