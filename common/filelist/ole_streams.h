// ole_streams.h
// The file list's byte forms over OLE carriers: an IStream seen as a
// ByteStream, the memory stream handed to the scan engine, and the
// SAFEARRAY that carries the Select Files dialog's array of entries.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <oleauto.h>

#include <cstddef>
#include <cstdint>

#include "blob_stream.h"
#include "common/com/ptr.h"
#include "common/com/safearray.h"
#include "file_list.h"

namespace orvane36 {

// An IStream read and written from its current position. The stream is
// borrowed: it must outlive this object. A Read that fails with
// E_OUTOFMEMORY throws std::bad_alloc, so the list readers report it as
// running out of memory; other failures read as a short stream.
class OleByteStream final : public ByteStream {
public:
    explicit OleByteStream(IStream* stream) noexcept : m_stream(stream) {}

    size_t read(void* dest, size_t size) override;
    size_t write(const void* source, size_t size) override;
    // From IStream::Stat and the current position; unknown when the
    // stream answers neither.
    uint64_t remaining() const override;

    // The first failure the stream returned, S_OK while there was none.
    HRESULT failure() const noexcept { return m_failure; }

private:
    // Moves size bytes in slices through move(offset, count, moved) until
    // a failure (kept in failure) or a call that moves nothing.
    template <typename Move>
    size_t transfer(size_t size, Move move, HRESULT& failure);

    IStream* m_stream;
    HRESULT m_failure = S_OK;
};

namespace ole {

// A new memory stream holding list's FileListBlob (marker by slave),
// positioned at its start; null when it cannot be made or written.
com::ComPtr<IStream> ListToStream(const FileList& list, bool slave) noexcept;

// A new byte array (VT_UI1, from index 0) holding the list's contiguous
// entries, path-dependent ones last, only the last flagged, their
// references pointing into the array's own data; null for an empty list,
// when memory runs out, or when the data lies beyond the reach of the
// format's 32-bit references (possible only in a 64-bit process). The data never moves while the array lives,
// so the references stay valid until it is destroyed.
com::SafeArray ListToArray(const FileList& list) noexcept;

// A new list from such an array (references into its own data). A null
// array gives no list with status 0; an array of another element type or
// shape gives status -1; running out of memory gives 21000 and the
// entries copied so far.
ListRead ArrayToList(SAFEARRAY* array) noexcept;

} // namespace ole

} // namespace orvane36
