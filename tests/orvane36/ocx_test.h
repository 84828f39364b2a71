// ocx_test.h
// Shared pieces of the control's Windows tests: where the built module
// is, and a memory stream with the bytes it holds.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/com/ptr.h"

namespace ocx_test {

// Windows path of orvane36.ocx; empty when the test was started without it.
extern std::string gOcxPath;

// A new memory stream holding bytes, positioned at its start.
inline com::ComPtr<IStream> streamOf(const std::vector<uint8_t>& bytes) {
    com::ComPtr<IStream> s;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, s.put()))) return nullptr;
    ULONG n = 0;
    if (!bytes.empty()) s->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &n);
    LARGE_INTEGER zero{};
    s->Seek(zero, STREAM_SEEK_SET, nullptr);
    return s;
}

// Everything a stream holds, whatever its position (which is kept).
inline std::vector<uint8_t> contentsOf(IStream* s) {
    STATSTG st{};
    if (FAILED(s->Stat(&st, STATFLAG_NONAME))) return {};
    LARGE_INTEGER zero{};
    ULARGE_INTEGER here{};
    s->Seek(zero, STREAM_SEEK_CUR, &here);
    s->Seek(zero, STREAM_SEEK_SET, nullptr);
    std::vector<uint8_t> bytes(static_cast<size_t>(st.cbSize.QuadPart));
    ULONG got = 0;
    if (!bytes.empty()) s->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &got);
    bytes.resize(got);
    LARGE_INTEGER back{};
    back.QuadPart = static_cast<LONGLONG>(here.QuadPart);
    s->Seek(back, STREAM_SEEK_SET, nullptr);
    return bytes;
}

// The stream's position.
inline uint64_t positionOf(IStream* s) {
    LARGE_INTEGER zero{};
    ULARGE_INTEGER here{};
    s->Seek(zero, STREAM_SEEK_CUR, &here);
    return here.QuadPart;
}

} // namespace ocx_test
