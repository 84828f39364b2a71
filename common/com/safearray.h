// safearray.h
// SafeArray: the owner of one SAFEARRAY, SafeArrayAccess: a scoped
// SafeArrayAccessData, and the byte arrays (VT_UI1, one dimension) that
// the socket and control interfaces pass as VT_ARRAY | VT_UI1 variants.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstddef>
#include <span>
#include <vector>

#include "common/win32/handles.h"

namespace com {

struct SafeArrayTraits {
    static SAFEARRAY* invalid() noexcept { return nullptr; }
    static void close(SAFEARRAY* a) noexcept { SafeArrayDestroy(a); }
};

// Owns one SAFEARRAY (constructing from a pointer adopts it); release()
// hands it to the caller, who destroys it or gives it to a VARIANT.
class SafeArray : public win32::UniqueHandle<SAFEARRAY*, SafeArrayTraits> {
public:
    using UniqueHandle::UniqueHandle;

    // A one-dimensional array of count elements of type vt, first index
    // lowerBound, zero-filled. Throws std::bad_alloc when it cannot be made.
    static SafeArray vector(VARTYPE vt, ULONG count, LONG lowerBound = 0);
    // A byte array indexed from 0 holding a copy of bytes.
    static SafeArray fromBytes(std::span<const BYTE> bytes);
};

// SafeArrayAccessData for the lifetime of the object; check ok() first.
class SafeArrayAccess {
public:
    explicit SafeArrayAccess(SAFEARRAY* a) noexcept;
    ~SafeArrayAccess();
    SafeArrayAccess(const SafeArrayAccess&) = delete;
    SafeArrayAccess& operator=(const SafeArrayAccess&) = delete;
    bool ok() const noexcept { return m_data != nullptr; }
    HRESULT result() const noexcept { return m_hr; }
    void* data() const noexcept { return m_data; }

private:
    SAFEARRAY* m_a;
    void* m_data = nullptr;
    HRESULT m_hr;
};

// Number of elements of a one-dimensional array (0 for null).
ULONG elementCount(SAFEARRAY* a) noexcept;

// Copies the bytes of a one-dimensional VT_UI1 array (any lower bound).
// DISP_E_TYPEMISMATCH for other element types, DISP_E_BADINDEX for
// more than one dimension; out is emptied first.
HRESULT readBytes(SAFEARRAY* a, std::vector<BYTE>& out);

} // namespace com
