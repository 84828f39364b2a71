// ole_streams.cpp
#include "ole_streams.h"

#include <algorithm>
#include <new>
#include <optional>
#include <span>
#include <vector>

namespace orvane36 {

namespace {

// IStream counts are 32-bit; larger requests go in slices.
constexpr size_t kSlice = 0x40000000;

// The references of the dialog's array are 32-bit addresses; data above
// 4 GB (only in a 64-bit process) cannot be described by them.
std::optional<uint32_t> addressOf(const void* p) noexcept {
    const uintptr_t address = reinterpret_cast<uintptr_t>(p);
    if (address > UINT32_MAX) return std::nullopt;
    return static_cast<uint32_t>(address);
}

} // namespace

template <typename Move>
size_t OleByteStream::transfer(size_t size, Move move, HRESULT& failure) {
    size_t done = 0;
    while (done < size) {
        ULONG moved = 0;
        const HRESULT hr = move(done, static_cast<ULONG>(std::min(size - done, kSlice)), &moved);
        done += std::min<size_t>(moved, size - done);
        if (FAILED(hr)) {
            failure = hr;
            if (m_failure == S_OK) m_failure = hr;
            break;
        }
        if (moved == 0) break;   // the end of the data, or a full medium
    }
    return done;
}

size_t OleByteStream::read(void* dest, size_t size) {
    auto* out = static_cast<uint8_t*>(dest);
    HRESULT hr = S_OK;
    const size_t done = transfer(
        size, [&](size_t at, ULONG count, ULONG* moved) { return m_stream->Read(out + at, count, moved); }, hr);
    if (hr == E_OUTOFMEMORY) throw std::bad_alloc();
    return done;
}

size_t OleByteStream::write(const void* source, size_t size) {
    const auto* in = static_cast<const uint8_t*>(source);
    HRESULT hr = S_OK;
    return transfer(
        size, [&](size_t at, ULONG count, ULONG* moved) { return m_stream->Write(in + at, count, moved); }, hr);
}

uint64_t OleByteStream::remaining() const {
    STATSTG stat{};
    if (FAILED(m_stream->Stat(&stat, STATFLAG_NONAME))) return kUnknownSize;
    LARGE_INTEGER zero{};
    ULARGE_INTEGER position{};
    if (FAILED(m_stream->Seek(zero, STREAM_SEEK_CUR, &position))) return kUnknownSize;
    const uint64_t size = stat.cbSize.QuadPart;
    return size > position.QuadPart ? size - position.QuadPart : 0;
}

namespace ole {

com::ComPtr<IStream> ListToStream(const FileList& list, bool slave) noexcept {
    const std::optional<std::vector<uint8_t>> bytes = orvane36::ListToStream(list, slave);
    if (!bytes) return nullptr;
    com::ComPtr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.put()))) return nullptr;
    ULONG written = 0;
    if (FAILED(stream->Write(bytes->data(), static_cast<ULONG>(bytes->size()), &written)) ||
        written != bytes->size())
        return nullptr;
    LARGE_INTEGER zero{};
    if (FAILED(stream->Seek(zero, STREAM_SEEK_SET, nullptr))) return nullptr;
    return stream;
}

com::SafeArray ListToArray(const FileList& list) noexcept {
    try {
        std::vector<uint8_t> bytes = orvane36::ListToArray(list);
        if (bytes.empty()) return {};
        com::SafeArray array = com::SafeArray::fromBytes(bytes);
        com::SafeArrayAccess data(array.get());
        if (!data.ok()) return {};
        // Point the references at the array's own copy of the data.
        std::span<uint8_t> placed(static_cast<uint8_t*>(data.data()), bytes.size());
        const std::optional<uint32_t> base = addressOf(placed.data());
        if (!base || !RelocateArray(placed, *base)) return {};
        return array;
    } catch (...) {
        return {};
    }
}

ListRead ArrayToList(SAFEARRAY* array) noexcept {
    ListRead result;
    if (!array) return result;
    // Arrays made without a stored element type are judged by element size.
    VARTYPE type = VT_EMPTY;
    const bool bytesOnly = SUCCEEDED(SafeArrayGetVartype(array, &type)) ? (type == VT_UI1 || type == VT_I1)
                                                                        : SafeArrayGetElemsize(array) == 1;
    if (!bytesOnly || SafeArrayGetDim(array) != 1) {
        result.status = list_status::kError;
        return result;
    }
    com::SafeArrayAccess data(array);
    if (!data.ok()) {
        result.status = list_status::kError;
        return result;
    }
    const ULONG count = com::elementCount(array);
    if (count == 0) return result;
    const std::span<const uint8_t> bytes(static_cast<const uint8_t*>(data.data()), count);
    const std::optional<uint32_t> base = addressOf(bytes.data());
    if (!base) {
        result.status = list_status::kError;
        return result;
    }
    try {
        return orvane36::ArrayToList(bytes, *base);
    } catch (const std::bad_alloc&) {
        result.status = list_status::kOutOfMemory;
        return result;
    }
}

} // namespace ole

} // namespace orvane36
