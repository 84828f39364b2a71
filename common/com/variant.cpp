// variant.cpp
#include "variant.h"

#include "safearray.h"

namespace com {

namespace {

// A VARIANT of type vt whose value set() fills in.
template <typename Set>
VARIANT make(VARTYPE vt, Set set) noexcept {
    VARIANT v;
    VariantInit(&v);
    v.vt = vt;
    set(v);
    return v;
}

// Converts v (after references) to type vt into a temporary that read
// takes its value from (and may take over).
template <typename Read>
HRESULT convert(const VARIANT& v, VARTYPE vt, Read read) noexcept {
    VARIANT t;
    VariantInit(&t);
    HRESULT hr = VariantChangeType(&t, const_cast<VARIANT*>(&deref(v)), 0, vt);
    if (SUCCEEDED(hr)) read(t);
    VariantClear(&t);
    return hr;
}

} // namespace

Variant Variant::fromLong(LONG v) noexcept { return adopt(argLong(v)); }
Variant Variant::fromShort(SHORT v) noexcept { return adopt(argShort(v)); }
Variant Variant::fromBool(bool v) noexcept { return adopt(argBool(v)); }
Variant Variant::fromDouble(double v) noexcept {
    return adopt(make(VT_R8, [&](VARIANT& r) { r.dblVal = v; }));
}
Variant Variant::fromAnsi(std::string_view text) { return fromBstr(Bstr::fromAnsi(text)); }
Variant Variant::fromBstr(Bstr text) noexcept { return adopt(argBstr(text.release())); }

Variant Variant::fromDispatch(IDispatch* object) noexcept {
    if (object) object->AddRef();
    return adopt(argDispatch(object));
}

Variant Variant::fromUnknown(IUnknown* object) noexcept {
    if (object) object->AddRef();
    return adopt(make(VT_UNKNOWN, [&](VARIANT& r) { r.punkVal = object; }));
}

Variant Variant::fromBytes(std::span<const BYTE> bytes) {
    SafeArray a = SafeArray::fromBytes(bytes);
    return adopt(make(VT_ARRAY | VT_UI1, [&](VARIANT& r) { r.parray = a.release(); }));
}

Variant Variant::missing() noexcept {
    return adopt(make(VT_ERROR, [](VARIANT& r) { r.scode = DISP_E_PARAMNOTFOUND; }));
}

HRESULT Variant::copyFrom(const VARIANT& src) noexcept {
    VARIANT tmp;
    VariantInit(&tmp);
    HRESULT hr = VariantCopyInd(&tmp, const_cast<VARIANT*>(&src));
    if (FAILED(hr)) return hr;
    VariantClear(&m_v);
    m_v = tmp;
    return S_OK;
}

HRESULT Variant::releaseTo(VARIANT* out) noexcept {
    if (!out) return E_POINTER;
    *out = m_v;
    VariantInit(&m_v);
    return S_OK;
}

const VARIANT& deref(const VARIANT& v) noexcept {
    const VARIANT* p = &v;
    // A reference to a VARIANT may itself be a reference; stop on a cycle
    // or a null pointer rather than loop or crash.
    for (int depth = 0; depth < 16 && p->vt == (VT_BYREF | VT_VARIANT) && p->pvarVal; ++depth) p = p->pvarVal;
    return *p;
}

bool isMissing(const VARIANT& v) noexcept {
    const VARIANT& d = deref(v);
    return d.vt == VT_ERROR && d.scode == DISP_E_PARAMNOTFOUND;
}

HRESULT toLong(const VARIANT& v, LONG& out) noexcept {
    return convert(v, VT_I4, [&](VARIANT& r) { out = r.lVal; });
}
HRESULT toShort(const VARIANT& v, SHORT& out) noexcept {
    return convert(v, VT_I2, [&](VARIANT& r) { out = r.iVal; });
}
HRESULT toBool(const VARIANT& v, bool& out) noexcept {
    return convert(v, VT_BOOL, [&](VARIANT& r) { out = r.boolVal != VARIANT_FALSE; });
}
HRESULT toDouble(const VARIANT& v, double& out) noexcept {
    return convert(v, VT_R8, [&](VARIANT& r) { out = r.dblVal; });
}
HRESULT toBstr(const VARIANT& v, Bstr& out) noexcept {
    return convert(v, VT_BSTR, [&](VARIANT& r) {
        out = Bstr::attach(r.bstrVal);
        r.vt = VT_EMPTY;
    });
}

HRESULT toAnsi(const VARIANT& v, std::string& out) {
    Bstr b;
    HRESULT hr = toBstr(v, b);
    if (SUCCEEDED(hr)) out = b.toAnsi();
    return hr;
}

bool isByteArray(const VARIANT& v) noexcept {
    const VARIANT& d = deref(v);
    return d.vt == (VT_ARRAY | VT_UI1) || d.vt == (VT_BYREF | VT_ARRAY | VT_UI1);
}

HRESULT toBytes(const VARIANT& v, std::vector<BYTE>& out) {
    out.clear();
    const VARIANT& d = deref(v);
    if (d.vt == (VT_ARRAY | VT_UI1)) return readBytes(d.parray, out);
    if (d.vt == (VT_BYREF | VT_ARRAY | VT_UI1)) return d.pparray ? readBytes(*d.pparray, out) : E_POINTER;
    return DISP_E_TYPEMISMATCH;
}

VARIANT argLong(LONG v) noexcept {
    return make(VT_I4, [&](VARIANT& r) { r.lVal = v; });
}
VARIANT argShort(SHORT v) noexcept {
    return make(VT_I2, [&](VARIANT& r) { r.iVal = v; });
}
VARIANT argBool(bool v) noexcept {
    return make(VT_BOOL, [&](VARIANT& r) { r.boolVal = toVariantBool(v); });
}
VARIANT argBstr(BSTR v) noexcept {
    return make(VT_BSTR, [&](VARIANT& r) { r.bstrVal = v; });
}
VARIANT argDispatch(IDispatch* v) noexcept {
    return make(VT_DISPATCH, [&](VARIANT& r) { r.pdispVal = v; });
}
VARIANT refLong(LONG* p) noexcept {
    return make(VT_BYREF | VT_I4, [&](VARIANT& r) { r.plVal = p; });
}
VARIANT refShort(SHORT* p) noexcept {
    return make(VT_BYREF | VT_I2, [&](VARIANT& r) { r.piVal = p; });
}
VARIANT refBool(VARIANT_BOOL* p) noexcept {
    return make(VT_BYREF | VT_BOOL, [&](VARIANT& r) { r.pboolVal = p; });
}
VARIANT refBstr(BSTR* p) noexcept {
    return make(VT_BYREF | VT_BSTR, [&](VARIANT& r) { r.pbstrVal = p; });
}
VARIANT refDispatch(IDispatch** p) noexcept {
    return make(VT_BYREF | VT_DISPATCH, [&](VARIANT& r) { r.ppdispVal = p; });
}
VARIANT refVariant(VARIANT* p) noexcept {
    return make(VT_BYREF | VT_VARIANT, [&](VARIANT& r) { r.pvarVal = p; });
}

} // namespace com
