// orvanescan_fuzz.cpp
// libFuzzer target for what the engine reads from files it did not write:
// lists found by their markers in a program's bytes, version resources,
// and version texts. Checked: the lists found lie one after another in
// the bytes; a list read whole writes back as a list that is found and
// read the same; every entry's reference reads back the same from the
// entry made of it, and its conflicts stay within its warnings; version
// texts compare the other way round when swapped.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string_view>

#include "embedded_lists.h"
#include "entry_reference.h"
#include "normalised_list.h"
#include "version_compare.h"
#include "version_info.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

bool sameReference(const orvanescan::Reference& a, const orvanescan::Reference& b) {
    return a.name == b.name && a.pathBits == b.pathBits && a.pathDependent == b.pathDependent &&
           a.warnings == b.warnings && a.versionBuffer == b.versionBuffer && a.fixed == b.fixed && a.size == b.size &&
           a.date == b.date && a.versionString == b.versionString && a.typeLib == b.typeLib &&
           a.otherPaths == b.otherPaths;
}

void checkWrittenBack(const orvanescan::EmbeddedList& found) {
    const bool slave = found.read.status == orvane36::list_status::kSlave;
    const auto blob = orvane36::ListToStream(found.read.list, slave);
    check(blob.has_value());
    const auto again = orvanescan::FindEmbeddedLists(*blob);
    check(again.size() == 1);
    check(again[0].offset == 0 && again[0].length == blob->size());
    check(!again[0].read.failed());
    check(again[0].read.status == (slave ? orvane36::list_status::kSlave : orvane36::list_status::kMaster));
    check(again[0].read.list == normalised(found.read.list));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    size_t next = 0;
    for (const auto& found : orvanescan::FindEmbeddedLists(bytes)) {
        check(found.offset >= next && found.length >= orvane36::kMarkerSize && found.length <= size - found.offset);
        next = found.offset + found.length;
        check(!found.read.list.empty());
        if (!found.read.failed()) checkWrittenBack(found);
        for (const auto& entry : found.read.list) {
            const orvanescan::Reference ref = orvanescan::ReferenceFromEntry(entry);
            check(sameReference(orvanescan::ReferenceFromEntry(orvanescan::EntryFromReference(ref)), ref));
            orvanescan::CopyFacts copy;
            copy.versionString = ref.name;
            orvanescan::Findings findings;
            findings.found = &copy;
            check((orvanescan::ComputeConflicts(ref, findings) & ~ref.warnings) == 0);
        }
    }
    if (auto info = orvanescan::ParseVersionInfo(bytes)) orvanescan::FindVersionString(*info, u"FileVersion");
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const size_t half = size / 2;
    const auto forward = orvanescan::CompareVersionTexts(text.substr(0, half), text.substr(half));
    const auto backward = orvanescan::CompareVersionTexts(text.substr(half), text.substr(0, half));
    check(forward.has_value() == backward.has_value());
    if (forward) check((*forward < 0) == (*backward > 0) && (*forward == 0) == (*backward == 0));
    if (const auto self = orvanescan::CompareVersionTexts(text, text)) check(*self == 0);
    return 0;
}
