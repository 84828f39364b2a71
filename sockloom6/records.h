// records.h
// Copying the records Windows Sockets returns (hostent, servent, protoent)
// into the library's own fields, shared by zkHostEnt, zkServEnt and
// zkProtEnt.
//
// A record may come from Windows Sockets' own storage (the blocking
// look-ups) or from a buffer the library owns (the asynchronous host
// look-up). Within a buffer every pointer is checked to lie inside it and
// every text to end inside it before it is read; what does not is
// treated as absent.
#pragma once

#include "winsock_names.h"

#include <string>
#include <vector>

namespace sockloom {

// Lists hold at most this many entries (their indexes are 16-bit).
inline constexpr size_t kMaxListEntries = 32767;

class RecordMemory {
public:
    // Memory owned by Windows Sockets: trusted as it is.
    RecordMemory() noexcept = default;
    // A buffer of size bytes: nothing outside it is read.
    RecordMemory(const char* begin, size_t size) noexcept : m_begin(begin), m_end(begin + size), m_bounded(true) {}

    // Whether size bytes at p may be read.
    bool readable(const void* p, size_t size) const noexcept;
    // The NUL-terminated text at p; empty when p is null or not readable.
    std::string text(const char* p) const;
    // The pointer stored at slot; null when the slot is not readable.
    template <typename T>
    T* pointerAt(T* const* slot) const noexcept {
        return readable(slot, sizeof *slot) ? *slot : nullptr;
    }

private:
    const char* m_begin = nullptr;
    const char* m_end = nullptr;
    bool m_bounded = false;
};

// The texts of a null-terminated list of text pointers, in order, up to
// the first null pointer or empty text.
std::vector<std::string> readAliases(const RecordMemory& memory, char* const* list);

// Alias(index) of a list counted from 1; library error 1 for an index
// outside 1 to the count.
HRESULT aliasAt(const std::vector<std::string>& aliases, SHORT index, BSTR* out, REFIID iid) noexcept;

}  // namespace sockloom
