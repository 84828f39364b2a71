// records.cpp
#include "records.h"

#include <cstdint>

#include "sockloom6/GlobalFunctions.h"
#include "common/com/bstr.h"
#include "common/com/errors.h"

namespace sockloom {

bool RecordMemory::readable(const void* p, size_t size) const noexcept {
    if (!p) return false;
    if (!m_bounded) return true;
    const auto at = reinterpret_cast<std::uintptr_t>(p);
    const auto begin = reinterpret_cast<std::uintptr_t>(m_begin);
    const auto end = reinterpret_cast<std::uintptr_t>(m_end);
    return at >= begin && at <= end && size <= end - at;
}

std::string RecordMemory::text(const char* p) const {
    if (!readable(p, 1)) return {};
    if (!m_bounded) return GlobalFunctions::StringFromAnsiPtr(p);
    size_t n = 0;
    while (readable(p + n, 1) && p[n] != '\0') ++n;
    // Text running off the end of the buffer is not a text.
    return readable(p + n, 1) ? std::string(p, n) : std::string();
}

std::vector<std::string> readAliases(const RecordMemory& memory, char* const* list) {
    std::vector<std::string> aliases;
    for (char* const* slot = list; slot && aliases.size() < kMaxListEntries; ++slot) {
        if (!memory.readable(slot, sizeof *slot)) break;
        std::string alias = memory.text(*slot);
        if (alias.empty()) break;
        aliases.push_back(std::move(alias));
    }
    return aliases;
}

HRESULT aliasAt(const std::vector<std::string>& aliases, SHORT index, BSTR* out, REFIID iid) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (index < 1 || static_cast<size_t>(index) > aliases.size()) return GlobalFunctions::RaiseLibError(1, iid);
    return com::ansiToBstr(aliases[static_cast<size_t>(index) - 1], out);
}

}  // namespace sockloom
