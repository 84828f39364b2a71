// control_host.h
// A small container of the tests' own for the control: a client site that
// answers the ambient UserMode (Wine's ATL container gives none) and the
// in-place calls, a property-change listener, a property bag that keeps
// plain values and objects, late-bound calls by DISPID as an automation
// host makes them, and a scan engine stand-in that keeps the engine's
// settings and raises its events from VerifyFile/ScanFile puts and runs.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "Orvane.h"
#include "common/com/bstr.h"
#include "common/com/connection.h"
#include "common/com/dispatch_call.h"
#include "common/com/errors.h"
#include "common/com/object.h"
#include "common/com/variant.h"
#include "common/filelist/ole_streams.h"
#include "fake_engine.h"
#include "ocx_test.h"

namespace ocx_test {

inline constexpr CLSID kHostEngineClsid = {0x6d0c1f3a, 0x51b2, 0x4c77, {0x9a, 0x10, 0x3e, 0x5f, 0x21, 0x7b, 0x44, 0x03}};

// The site of one control. UserMode answers `userMode`; with `answers`
// false the ambient properties are not answered at all.
class TestSite final : public com::Object<IOleClientSite, IDispatch, IOleInPlaceSite> {
public:
    bool userMode = true;
    bool answers = true;
    int activations = 0;
    int deactivations = 0;

    HRESULT STDMETHODCALLTYPE SaveObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** m) override {
        if (m) *m = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** c) override {
        if (c) *c = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
        if (n) *n = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                     UINT*) override {
        if (!answers || id != DISPID_AMBIENT_USERMODE || !(flags & DISPATCH_PROPERTYGET) || !result)
            return DISP_E_MEMBERNOTFOUND;
        V_VT(result) = VT_BOOL;
        V_BOOL(result) = userMode ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetWindow(HWND* w) override {
        if (w) *w = nullptr;
        return E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override {
        ++activations;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame**, IOleInPlaceUIWindow**, LPRECT, LPRECT,
                                               LPOLEINPLACEFRAMEINFO) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override {
        ++deactivations;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }
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

// The scan engine as the control sees it: keeps Delay and ReadPropErrors,
// answers a few Ref/Found/Other members, reports busy on demand, and
// raises FileConflict (through IDispatch) per entry of a verified list
// and FileScan per entry of a scanned one, then EnumComplete. VerifyFile
// and ScanFile puts raise one event each for the file named.
class HostEngine final : public com::Object<IOrvaneScan, com::ConnectionPoints<IOrvaneScanEvents>> {
public:
    SHORT busy = 0;
    VARIANT_BOOL delay = VARIANT_FALSE;
    VARIANT_BOOL readPropErrors = VARIANT_FALSE;
    HRESULT verifyListResult = S_OK;
    std::vector<std::string> namesSeen;        // entries of the lists handed over
    std::vector<std::string> markersSeen;      // their markers
    std::vector<VARIANT_BOOL> stopsSeen;       // the stop flags after each event
    std::wstring lastVerifyFile, lastScanFile, fileCurrentDir;
    std::function<void()> duringCall;          // runs inside every list or file call

    size_t sinks() { return connectionPoint<IOrvaneScanEvents>().count(); }

    HRESULT STDMETHODCALLTYPE VerifyList(IUnknown* list, LONG) override {
        return runList(list, true) ? verifyListResult : E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE ScanList(IUnknown* list) override { return runList(list, false) ? S_OK : E_INVALIDARG; }
    HRESULT STDMETHODCALLTYPE IsBusy(short* out) override {
        if (!out) return E_POINTER;
        *out = busy;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_VerifyFile(BSTR v) override {
        lastVerifyFile = com::bstrView(v);
        if (duringCall) duringCall();
        conflict(std::string(lastVerifyFile.begin(), lastVerifyFile.end()), 7);
        complete();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_ScanFile(BSTR v) override {
        lastScanFile = com::bstrView(v);
        if (duringCall) duringCall();
        scan(std::string(lastScanFile.begin(), lastScanFile.end()), 0);
        complete();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_VerifyFile(BSTR* v) override { return com::Bstr(lastVerifyFile).releaseTo(v); }
    HRESULT STDMETHODCALLTYPE get_ScanFile(BSTR* v) override { return com::Bstr(lastScanFile).releaseTo(v); }
    HRESULT STDMETHODCALLTYPE get_FileCurrentDir(BSTR* v) override { return com::Bstr(fileCurrentDir).releaseTo(v); }
    HRESULT STDMETHODCALLTYPE put_FileCurrentDir(BSTR v) override {
        fileCurrentDir = com::bstrView(v);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_RefVersion(BSTR* v) override { return com::ansiToBstr("6.0.0.1", v); }
    HRESULT STDMETHODCALLTYPE get_OtherCount(LONG* v) override {
        *v = 3;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OtherFile(short i, BSTR* v) override {
        if (i < 0 || i > 2) return E_INVALIDARG;
        return com::ansiToBstr("other" + std::to_string(i) + ".dll", v);
    }
    HRESULT STDMETHODCALLTYPE get_ReadPropErrors(VARIANT_BOOL* v) override {
        *v = readPropErrors;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_ReadPropErrors(VARIANT_BOOL v) override {
        readPropErrors = v;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Delay(VARIANT_BOOL* v) override {
        *v = delay;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_Delay(VARIANT_BOOL v) override {
        delay = v;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE VerifyObjectFile2(BSTR FName, BSTR, LONG Warns, LONG, LONG, LONG, BSTR, BSTR, LONG, LONG,
                                                short Year, short, short Day, short, short, short Sec) override {
        lastVerifyFile = com::bstrView(FName);
        objectArgs = {Warns, Year, Day, Sec};
        return S_OK;
    }
    std::vector<LONG> objectArgs;

#define HOST_ENGINE_UNUSED(name, ...) \
    HRESULT STDMETHODCALLTYPE name(__VA_ARGS__) override { return E_NOTIMPL; }
    HOST_ENGINE_UNUSED(GetTypeInfoCount, UINT*)
    HOST_ENGINE_UNUSED(GetTypeInfo, UINT, LCID, ITypeInfo**)
    HOST_ENGINE_UNUSED(GetIDsOfNames, REFIID, LPOLESTR*, UINT, LCID, DISPID*)
    HOST_ENGINE_UNUSED(Invoke, DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)
    HOST_ENGINE_UNUSED(get_FoundVersion, BSTR*)
    HOST_ENGINE_UNUSED(get_RefFlags, LONG*)
    HOST_ENGINE_UNUSED(get_FoundFlags, LONG*)
    HOST_ENGINE_UNUSED(get_RefDateLow, LONG*)
    HOST_ENGINE_UNUSED(get_RefDateHigh, LONG*)
    HOST_ENGINE_UNUSED(get_RefDateString, BSTR*)
    HOST_ENGINE_UNUSED(get_FoundDateString, BSTR*)
    HOST_ENGINE_UNUSED(get_FoundVersionBuffer, SAFEARRAY**)
    HOST_ENGINE_UNUSED(get_RefVersionBuffer, SAFEARRAY**)
    HOST_ENGINE_UNUSED(get_FoundSize, LONG*)
    HOST_ENGINE_UNUSED(get_RefSize, LONG*)
    HOST_ENGINE_UNUSED(get_FoundDateLow, LONG*)
    HOST_ENGINE_UNUSED(get_FoundDateHigh, LONG*)
    HOST_ENGINE_UNUSED(OtherVersion, short, BSTR*)
    HOST_ENGINE_UNUSED(OtherFlags, short, LONG*)
    HOST_ENGINE_UNUSED(OtherDateLow, short, LONG*)
    HOST_ENGINE_UNUSED(OtherDateHigh, short, LONG*)
    HOST_ENGINE_UNUSED(OtherDateString, short, BSTR*)
    HOST_ENGINE_UNUSED(OtherSource, short, LONG*)
    HOST_ENGINE_UNUSED(OtherSize, short, LONG*)
    HOST_ENGINE_UNUSED(VerifyObjectFile, BSTR, BSTR, LONG, short, LONG, LONG, LONG, short, short, short, short, short,
                       short)
    HOST_ENGINE_UNUSED(get_RefGUID, BSTR*)
    HOST_ENGINE_UNUSED(get_RefTypeLibVersion, LONG*)
    HOST_ENGINE_UNUSED(get_RefTypeLibLCID, LONG*)
    HOST_ENGINE_UNUSED(get_FoundGUID, BSTR*)
    HOST_ENGINE_UNUSED(get_FoundTypeLibVersion, LONG*)
    HOST_ENGINE_UNUSED(get_FoundTypeLibLCID, LONG*)
    HOST_ENGINE_UNUSED(get_RefVersionString, BSTR*)
    HOST_ENGINE_UNUSED(get_FoundVersionString, BSTR*)
    HOST_ENGINE_UNUSED(OtherVersionString, short, BSTR*)
    HOST_ENGINE_UNUSED(get_ApplicationName, BSTR*)
    HOST_ENGINE_UNUSED(put_ApplicationName, BSTR)
    HOST_ENGINE_UNUSED(get_UserDirectory, BSTR*)
    HOST_ENGINE_UNUSED(put_UserDirectory, BSTR)
    HOST_ENGINE_UNUSED(ResetVerifyMethod)
    HOST_ENGINE_UNUSED(get_PathRefFileName, BSTR*)
#undef HOST_ENGINE_UNUSED

private:
    bool runList(IUnknown* list, bool verify) {
        com::ComPtr<IStream> stream;
        if (!list || FAILED(list->QueryInterface(IID_IStream, stream.putVoid()))) return false;
        char marker[28];
        ULONG got = 0;
        stream->Read(marker, sizeof marker, &got);
        markersSeen.emplace_back(marker, got);
        LARGE_INTEGER zero{};
        stream->Seek(zero, STREAM_SEEK_SET, nullptr);
        orvane36::OleByteStream in(stream.get());
        const orvane36::ListRead read = orvane36::ReadListBlob(in);
        if (duringCall) duringCall();
        for (const orvane36::FileEntry& e : read.list) {
            namesSeen.push_back(e.entryName.value_or(""));
            const VARIANT_BOOL stop = verify ? conflict(e.entryName.value_or(""), 1) : scan(e.entryName.value_or(""), 2);
            if (stop) break;
        }
        complete();
        return true;
    }
    VARIANT_BOOL conflict(const std::string& name, LONG flags) {
        BSTR ref = com::Bstr::fromAnsi(name).release();
        BSTR found = com::Bstr::fromAnsi("C:\\found\\" + name).release();
        VARIANT_BOOL stop = VARIANT_FALSE;
        connectionPoint<IOrvaneScanEvents>().fire(
            1, {com::refBstr(&ref), com::refBstr(&found), com::refLong(&flags), com::refBool(&stop)});
        SysFreeString(ref);
        SysFreeString(found);
        stopsSeen.push_back(stop);
        return stop;
    }
    VARIANT_BOOL scan(const std::string& name, LONG pathFlags) {
        BSTR ref = com::Bstr::fromAnsi(name).release();
        LONG verifyFlags = 0;
        VARIANT_BOOL stop = VARIANT_FALSE;
        connectionPoint<IOrvaneScanEvents>().forEach<IOrvaneScanEvents>(
            [&](IOrvaneScanEvents* sink) { sink->FileScan(&ref, &verifyFlags, &pathFlags, &stop); });
        SysFreeString(ref);
        stopsSeen.push_back(stop);
        return stop;
    }
    void complete() {
        connectionPoint<IOrvaneScanEvents>().forEach<IOrvaneScanEvents>(
            [](IOrvaneScanEvents* sink) { sink->EnumComplete(); });
    }
};

class HostEngineClass final : public com::Object<IClassFactory> {
public:
    com::ComPtr<HostEngine> lastMade;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        lastMade = com::make<HostEngine>();
        return lastMade->QueryInterface(riid, out);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
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
