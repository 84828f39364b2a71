// control_host.h
// A small container of the tests' own for the control: verify's site
// (Wine's ATL container gives no ambient UserMode) with counters, a
// property-change listener, a property bag that keeps plain values and
// objects, and late-bound calls by DISPID as an automation host makes
// them. The scan engine stand-in is fake_engine.h's.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <map>
#include <string>
#include <vector>

#include "Orvane.h"
#include "common/com/bstr.h"
#include "common/com/connection.h"
#include "common/com/control_site.h"
#include "common/com/dispatch_call.h"
#include "common/com/errors.h"
#include "common/com/object.h"
#include "common/com/variant.h"
#include "common/filelist/ole_streams.h"
#include "fake_engine.h"
#include "ocx_test.h"

namespace ocx_test {

// The shared site, seen by the tests: it counts in-place activations and
// deactivations, and with `answers` false answers no ambient property at
// all (as a container that does not know them).
class TestSite final : public com::ControlSite {
public:
    bool answers = true;
    int activations = 0;
    int deactivations = 0;

    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override {
        ++activations;
        return ControlSite::OnInPlaceActivate();
    }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override {
        ++deactivations;
        return ControlSite::OnInPlaceDeactivate();
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* excep, UINT* argErr) override {
        if (!answers) return DISP_E_MEMBERNOTFOUND;
        return ControlSite::Invoke(id, riid, lcid, flags, params, result, excep, argErr);
    }
};

class ChangeListener final : public com::Object<IPropertyNotifySink> {
public:
    std::vector<DISPID> changed;
    HRESULT STDMETHODCALLTYPE OnChanged(DISPID id) override {
        changed.push_back(id);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID) override { return S_OK; }
};

// A property bag keeping plain values as copies and objects as their
// class and stream bytes, as a host's saved form does.
class TestBag final : public com::Object<IPropertyBag> {
public:
    struct Stored {
        bool isObject = false;
        CLSID clsid = GUID_NULL;
        std::vector<uint8_t> bytes;
        com::Variant value;
    };
    std::map<std::wstring, Stored> values;
    std::vector<std::wstring> order;

    HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override {
        auto it = values.find(name);
        if (it == values.end()) return E_INVALIDARG;
        if (it->second.isObject) {
            if (V_VT(value) != VT_UNKNOWN || !V_UNKNOWN(value)) return E_INVALIDARG;
            com::ComPtr<IPersistStream> persist;
            if (FAILED(V_UNKNOWN(value)->QueryInterface(IID_IPersistStream, persist.putVoid()))) return E_NOINTERFACE;
            com::ComPtr<IStream> s = streamOf(it->second.bytes);
            return persist->Load(s.get());
        }
        VariantClear(value);
        return VariantCopy(value, const_cast<VARIANT*>(&it->second.value.get()));
    }
    HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* value) override {
        Stored stored;
        if (V_VT(value) == VT_UNKNOWN || V_VT(value) == VT_DISPATCH) {
            com::ComPtr<IPersistStream> persist;
            if (!V_UNKNOWN(value) ||
                FAILED(V_UNKNOWN(value)->QueryInterface(IID_IPersistStream, persist.putVoid())))
                return E_INVALIDARG;
            stored.isObject = true;
            persist->GetClassID(&stored.clsid);
            com::ComPtr<IStream> s = streamOf({});
            if (HRESULT hr = persist->Save(s.get(), TRUE); FAILED(hr)) return hr;
            stored.bytes = contentsOf(s.get());
        } else if (HRESULT hr = stored.value.copyFrom(*value); FAILED(hr)) {
            return hr;
        }
        order.emplace_back(name);
        values[name] = std::move(stored);
        return S_OK;
    }
};

// One late-bound call as an automation host makes it.
struct CallResult {
    HRESULT hr = E_FAIL;
    HRESULT scode = S_OK;           // from EXCEPINFO on DISP_E_EXCEPTION
    std::wstring description;
    com::Variant value;
};

inline CallResult invoke(IDispatch* target, DISPID id, WORD flags, std::vector<VARIANT> args = {}) {
    CallResult r;
    EXCEPINFO excep{};
    r.hr = com::callByDispid(target, id, flags, args.data(), args.size(), r.value.put(), &excep);
    if (r.hr == DISP_E_EXCEPTION) {
        r.scode = excep.scode;
        if (excep.bstrDescription) r.description = com::bstrView(excep.bstrDescription);
        SysFreeString(excep.bstrDescription);
        SysFreeString(excep.bstrSource);
        SysFreeString(excep.bstrHelpFile);
    }
    for (VARIANT& v : args) VariantClear(&v);
    return r;
}
inline CallResult getProp(IDispatch* d, DISPID id, std::vector<VARIANT> args = {}) {
    return invoke(d, id, DISPATCH_PROPERTYGET | DISPATCH_METHOD, std::move(args));
}
inline CallResult putProp(IDispatch* d, DISPID id, VARIANT value) {
    return invoke(d, id, DISPATCH_PROPERTYPUT, {value});
}
inline VARIANT vBstr(const wchar_t* text) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = SysAllocString(text);
    return v;
}

} // namespace ocx_test
