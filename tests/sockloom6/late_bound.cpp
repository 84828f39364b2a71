// late_bound.cpp
#include "late_bound.h"

#include "common/com/bstr.h"
#include "common/com/safearray.h"

namespace harness {

namespace {

Result invoke(IDispatch* target, const wchar_t* name, WORD flags, std::initializer_list<VARIANT> args) {
    Result r;
    if (!target) {
        r.hr = E_POINTER;
        return r;
    }
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    r.hr = target->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(r.hr)) return r;
    std::vector<VARIANT> reversed(std::rbegin(args), std::rend(args));
    DISPID putId = DISPID_PROPERTYPUT;
    const bool putting = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
    DISPPARAMS params{reversed.data(), putting ? &putId : nullptr, static_cast<UINT>(reversed.size()),
                      putting ? 1u : 0u};
    EXCEPINFO info{};
    UINT argErr = 0;
    r.hr = target->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, putting ? nullptr : r.value.put(), &info,
                          &argErr);
    if (r.hr == DISP_E_EXCEPTION) {
        if (info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
        r.hr = info.scode ? info.scode : static_cast<HRESULT>(0x80040000u | info.wCode);
        r.source = com::bstrView(info.bstrSource);
        r.description = com::bstrView(info.bstrDescription);
    }
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
    return r;
}

}  // namespace

LONG Result::asLong() const {
    // A raised error is never read as a return code of 0.
    if (!ok()) return hr;
    LONG v = 0;
    com::toLong(value.get(), v);
    return v;
}

bool Result::asBool() const {
    bool v = false;
    com::toBool(value.get(), v);
    return v;
}

std::string Result::asText() const {
    std::string v;
    com::toAnsi(value.get(), v);
    return v;
}

com::ComPtr<IDispatch> Result::asObject() const {
    const VARIANT& v = com::deref(value.get());
    if (v.vt == VT_DISPATCH) return com::ComPtr<IDispatch>(v.pdispVal);
    return nullptr;
}

std::vector<BYTE> Result::asBytes() const {
    std::vector<BYTE> v;
    com::toBytes(value.get(), v);
    return v;
}

Result call(IDispatch* target, const wchar_t* name, std::initializer_list<VARIANT> args) {
    return invoke(target, name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args);
}

Result get(IDispatch* target, const wchar_t* name, std::initializer_list<VARIANT> args) {
    return invoke(target, name, DISPATCH_PROPERTYGET, args);
}

HRESULT put(IDispatch* target, const wchar_t* name, const VARIANT& value) {
    return invoke(target, name, DISPATCH_PROPERTYPUT, {value}).hr;
}

HRESULT putRef(IDispatch* target, const wchar_t* name, IDispatch* value) {
    return invoke(target, name, DISPATCH_PROPERTYPUTREF, {com::argDispatch(value)}).hr;
}

VARIANT text(BSTR b) { return com::argBstr(b); }
VARIANT object(IDispatch* p) { return com::argDispatch(p); }
VARIANT missing() {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_ERROR;
    v.scode = DISP_E_PARAMNOTFOUND;
    return v;
}

com::Variant bytes(const std::string& data) {
    return com::Variant::fromBytes({reinterpret_cast<const BYTE*>(data.data()), data.size()});
}

}  // namespace harness
