// safearray.cpp
#include "safearray.h"

#include <cstring>
#include <new>

namespace com {

SafeArray SafeArray::vector(VARTYPE vt, ULONG count, LONG lowerBound) {
    SAFEARRAY* a = SafeArrayCreateVector(vt, lowerBound, count);
    if (!a) throw std::bad_alloc();
    return SafeArray(a);
}

SafeArray SafeArray::fromBytes(std::span<const BYTE> bytes) {
    SafeArray r = vector(VT_UI1, static_cast<ULONG>(bytes.size()));
    if (!bytes.empty()) {
        SafeArrayAccess access(r.get());
        if (!access.ok()) throw std::bad_alloc();
        std::memcpy(access.data(), bytes.data(), bytes.size());
    }
    return r;
}

SafeArrayAccess::SafeArrayAccess(SAFEARRAY* a) noexcept : m_a(a) {
    m_hr = a ? SafeArrayAccessData(a, &m_data) : E_INVALIDARG;
    if (FAILED(m_hr)) m_data = nullptr;
}

SafeArrayAccess::~SafeArrayAccess() {
    if (m_data) SafeArrayUnaccessData(m_a);
}

ULONG elementCount(SAFEARRAY* a) noexcept {
    if (!a || SafeArrayGetDim(a) != 1) return 0;
    LONG lo = 0, hi = -1;
    if (FAILED(SafeArrayGetLBound(a, 1, &lo)) || FAILED(SafeArrayGetUBound(a, 1, &hi))) return 0;
    return hi < lo ? 0 : static_cast<ULONG>(hi - lo) + 1;
}

HRESULT readBytes(SAFEARRAY* a, std::vector<BYTE>& out) {
    out.clear();
    if (!a) return E_INVALIDARG;
    // Arrays made without a stored element type are judged by element size.
    VARTYPE vt = VT_EMPTY;
    bool bytes = SUCCEEDED(SafeArrayGetVartype(a, &vt)) ? (vt == VT_UI1 || vt == VT_I1)
                                                        : SafeArrayGetElemsize(a) == 1;
    if (!bytes) return DISP_E_TYPEMISMATCH;
    if (SafeArrayGetDim(a) != 1) return DISP_E_BADINDEX;
    ULONG n = elementCount(a);
    if (n == 0) return S_OK;
    SafeArrayAccess access(a);
    if (!access.ok()) return access.result();
    const BYTE* p = static_cast<const BYTE*>(access.data());
    out.assign(p, p + n);
    return S_OK;
}

} // namespace com
