// variant.h
// Variant: the owner of one VARIANT; conversions of incoming VARIANTs
// (which automation callers often pass by reference); and the non-owning
// argument views used when firing events.
//
// Ownership: a Variant clears its VARIANT when it dies. Raw VARIANTs
// received as [in] parameters belong to the caller: read them, never
// clear them. The arg*/ref* views below own nothing; they only live inside
// the DISPPARAMS of one call. Allocation failure throws std::bad_alloc.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "bstr.h"

namespace com {

class Variant {
public:
    Variant() noexcept { VariantInit(&m_v); }
    ~Variant() { VariantClear(&m_v); }
    Variant(Variant&& o) noexcept : m_v(o.m_v) { VariantInit(&o.m_v); }
    Variant& operator=(Variant&& o) noexcept {
        if (this != &o) {
            VariantClear(&m_v);
            m_v = o.m_v;
            VariantInit(&o.m_v);
        }
        return *this;
    }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;

    static Variant fromLong(LONG v) noexcept;
    static Variant fromShort(SHORT v) noexcept;
    static Variant fromBool(bool v) noexcept;
    static Variant fromDouble(double v) noexcept;
    static Variant fromAnsi(std::string_view text);
    static Variant fromBstr(Bstr text) noexcept;
    // Takes a new reference to the object (null gives a null VT_DISPATCH).
    static Variant fromDispatch(IDispatch* object) noexcept;
    static Variant fromUnknown(IUnknown* object) noexcept;
    // VT_ARRAY | VT_UI1, indexed from 0.
    static Variant fromBytes(std::span<const BYTE> bytes);
    // The "missing optional argument" value (VT_ERROR, DISP_E_PARAMNOTFOUND).
    static Variant missing() noexcept;

    // A deep copy of src; by-reference values are copied as the values they
    // point to, so the owner never keeps a caller's pointer.
    HRESULT copyFrom(const VARIANT& src) noexcept;

    const VARIANT& get() const noexcept { return m_v; }
    VARTYPE type() const noexcept { return m_v.vt; }
    // For [out] VARIANT* parameters: clears first.
    VARIANT* put() noexcept {
        VariantClear(&m_v);
        return &m_v;
    }
    // Moves the value into an [out, retval] VARIANT* (treated as
    // uninitialised); E_POINTER for null.
    HRESULT releaseTo(VARIANT* out) noexcept;
    void clear() noexcept { VariantClear(&m_v); }

private:
    // Takes ownership of what raw holds.
    static Variant adopt(const VARIANT& raw) noexcept {
        Variant r;
        r.m_v = raw;
        return r;
    }

    VARIANT m_v;
};

// The VARIANT a by-reference VT_VARIANT points to (followed to the end);
// anything else is returned as it is.
const VARIANT& deref(const VARIANT& v) noexcept;

// True for an optional argument the caller left out.
bool isMissing(const VARIANT& v) noexcept;

// Conversions with the automation rules (VariantChangeType, user locale),
// following references. On failure out is untouched and the HRESULT says
// why (DISP_E_TYPEMISMATCH, DISP_E_OVERFLOW).
HRESULT toLong(const VARIANT& v, LONG& out) noexcept;
HRESULT toShort(const VARIANT& v, SHORT& out) noexcept;
HRESULT toBool(const VARIANT& v, bool& out) noexcept;
HRESULT toDouble(const VARIANT& v, double& out) noexcept;
HRESULT toBstr(const VARIANT& v, Bstr& out) noexcept;
HRESULT toAnsi(const VARIANT& v, std::string& out);

// True when v (after references) holds a byte array (VT_ARRAY | VT_UI1).
bool isByteArray(const VARIANT& v) noexcept;
// The bytes of a byte-array variant; DISP_E_TYPEMISMATCH for anything else.
HRESULT toBytes(const VARIANT& v, std::vector<BYTE>& out);

// Non-owning argument views for DISPPARAMS (see the file comment).
VARIANT argLong(LONG v) noexcept;
VARIANT argShort(SHORT v) noexcept;
VARIANT argBool(bool v) noexcept;
VARIANT argBstr(BSTR v) noexcept;
VARIANT argDispatch(IDispatch* v) noexcept;
VARIANT refLong(LONG* p) noexcept;
VARIANT refShort(SHORT* p) noexcept;
VARIANT refBool(VARIANT_BOOL* p) noexcept;
VARIANT refBstr(BSTR* p) noexcept;
VARIANT refDispatch(IDispatch** p) noexcept;
VARIANT refVariant(VARIANT* p) noexcept;

inline VARIANT_BOOL toVariantBool(bool v) noexcept { return v ? VARIANT_TRUE : VARIANT_FALSE; }

} // namespace com
