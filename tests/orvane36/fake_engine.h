// fake_engine.h
// Stand-ins for the binding tests: a scan engine that reads the file
// list it is handed and raises one event per entry (conflicts through
// IDispatch::Invoke, scans through the event interface's vtable, as a
// real engine may do either), a control that owns only the _OrvaneEvents
// connection point, and a host sink that records what reaches it.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <functional>
#include <string>
#include <vector>

#include "common/com/bstr.h"
#include "common/com/connection.h"
#include "common/com/object.h"
#include "common/com/variant.h"
#include "common/filelist/file_list.h"
#include "common/filelist/ole_streams.h"
#include "orvane36.h"
#include "orvanescan.h"

namespace ocx_test {

// A class identifier of the tests' own, so the real engine's registration
// in the prefix never matters.
inline constexpr CLSID kFakeEngineClsid = {0x6d0c1f3a, 0x51b2, 0x4c77, {0x9a, 0x10, 0x3e, 0x5f, 0x21, 0x7b, 0x44, 0x01}};
inline constexpr CLSID kMissingEngineClsid = {0x6d0c1f3a, 0x51b2, 0x4c77, {0x9a, 0x10, 0x3e, 0x5f, 0x21, 0x7b, 0x44, 0x02}};

#define OCX_TEST_UNUSED(name, ...) \
    HRESULT STDMETHODCALLTYPE name(__VA_ARGS__) override { return E_NOTIMPL; }

class FakeEngine final : public com::Object<IOrvaneScan, com::ConnectionPoints<IOrvaneScanEvents>> {
public:
    explicit FakeEngine(bool* gone) noexcept : m_gone(gone) {}
    ~FakeEngine() override {
        if (m_gone) *m_gone = true;
    }

    SHORT busy = 0;
    HRESULT busyResult = S_OK;
    // What the engine's own variables held after each event returned.
    std::vector<VARIANT_BOOL> stopsSeen;
    std::vector<LONG> flagsSeen;
    std::vector<std::wstring> foundSeen;
    int eventsFired = 0;

    size_t sinks() { return connectionPoint<IOrvaneScanEvents>().count(); }

    // One FileConflict per entry through IDispatch, until a host sets the
    // stop flag; then EnumComplete.
    HRESULT STDMETHODCALLTYPE VerifyList(IUnknown* list, LONG) override {
        return run(list, [this](const orvane36::FileEntry& e, LONG index) {
            com::Bstr ref = com::Bstr::fromAnsi(e.entryName.value_or(""));
            com::Bstr found = com::Bstr::fromAnsi("C:\\found\\" + e.entryName.value_or(""));
            LONG flags = index;
            VARIANT_BOOL stop = VARIANT_FALSE;
            BSTR refRaw = ref.release(), foundRaw = found.release();
            connectionPoint<IOrvaneScanEvents>().fire(
                1, {com::refBstr(&refRaw), com::refBstr(&foundRaw), com::refLong(&flags), com::refBool(&stop)});
            ref = com::Bstr::attach(refRaw);
            found = com::Bstr::attach(foundRaw);
            flagsSeen.push_back(flags);
            foundSeen.emplace_back(found.view());
            return stop;
        });
    }
    // One FileScan per entry through the event interface's vtable.
    HRESULT STDMETHODCALLTYPE ScanList(IUnknown* list) override {
        return run(list, [this](const orvane36::FileEntry& e, LONG index) {
            BSTR ref = com::Bstr::fromAnsi(e.entryName.value_or("")).release();
            LONG verifyFlags = index, pathFlags = e.entryFlags;
            VARIANT_BOOL stop = VARIANT_FALSE;
            connectionPoint<IOrvaneScanEvents>().forEach<IOrvaneScanEvents>(
                [&](IOrvaneScanEvents* sink) { sink->FileScan(&ref, &verifyFlags, &pathFlags, &stop); });
            SysFreeString(ref);
            return stop;
        });
    }
    HRESULT STDMETHODCALLTYPE IsBusy(short* out) override {
        if (!out) return E_POINTER;
        *out = busy;
        return busyResult;
    }

    OCX_TEST_UNUSED(GetTypeInfoCount, UINT*)
    OCX_TEST_UNUSED(GetTypeInfo, UINT, LCID, ITypeInfo**)
    OCX_TEST_UNUSED(GetIDsOfNames, REFIID, LPOLESTR*, UINT, LCID, DISPID*)
    OCX_TEST_UNUSED(Invoke, DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)
    OCX_TEST_UNUSED(get_RefVersion, BSTR*)
    OCX_TEST_UNUSED(get_FoundVersion, BSTR*)
    OCX_TEST_UNUSED(get_RefFlags, LONG*)
    OCX_TEST_UNUSED(get_FoundFlags, LONG*)
    OCX_TEST_UNUSED(get_RefDateLow, LONG*)
    OCX_TEST_UNUSED(get_RefDateHigh, LONG*)
    OCX_TEST_UNUSED(get_RefDateString, BSTR*)
    OCX_TEST_UNUSED(get_FoundDateString, BSTR*)
    OCX_TEST_UNUSED(get_OtherCount, LONG*)
    OCX_TEST_UNUSED(get_FoundVersionBuffer, SAFEARRAY**)
    OCX_TEST_UNUSED(get_RefVersionBuffer, SAFEARRAY**)
    OCX_TEST_UNUSED(get_VerifyFile, BSTR*)
    OCX_TEST_UNUSED(put_VerifyFile, BSTR)
    OCX_TEST_UNUSED(get_ScanFile, BSTR*)
    OCX_TEST_UNUSED(put_ScanFile, BSTR)
    OCX_TEST_UNUSED(get_FileCurrentDir, BSTR*)
    OCX_TEST_UNUSED(put_FileCurrentDir, BSTR)
    OCX_TEST_UNUSED(get_FoundSize, LONG*)
    OCX_TEST_UNUSED(get_RefSize, LONG*)
    OCX_TEST_UNUSED(get_ReadPropErrors, VARIANT_BOOL*)
    OCX_TEST_UNUSED(put_ReadPropErrors, VARIANT_BOOL)
    OCX_TEST_UNUSED(get_Delay, VARIANT_BOOL*)
    OCX_TEST_UNUSED(put_Delay, VARIANT_BOOL)
    OCX_TEST_UNUSED(get_FoundDateLow, LONG*)
    OCX_TEST_UNUSED(get_FoundDateHigh, LONG*)
    OCX_TEST_UNUSED(OtherFile, short, BSTR*)
    OCX_TEST_UNUSED(OtherVersion, short, BSTR*)
    OCX_TEST_UNUSED(OtherFlags, short, LONG*)
    OCX_TEST_UNUSED(OtherDateLow, short, LONG*)
    OCX_TEST_UNUSED(OtherDateHigh, short, LONG*)
    OCX_TEST_UNUSED(OtherDateString, short, BSTR*)
    OCX_TEST_UNUSED(OtherSource, short, LONG*)
    OCX_TEST_UNUSED(OtherSize, short, LONG*)
    OCX_TEST_UNUSED(VerifyObjectFile, BSTR, BSTR, LONG, short, LONG, LONG, LONG, short, short, short, short, short,
                    short)
    OCX_TEST_UNUSED(get_RefGUID, BSTR*)
    OCX_TEST_UNUSED(get_RefTypeLibVersion, LONG*)
    OCX_TEST_UNUSED(get_RefTypeLibLCID, LONG*)
    OCX_TEST_UNUSED(get_FoundGUID, BSTR*)
    OCX_TEST_UNUSED(get_FoundTypeLibVersion, LONG*)
    OCX_TEST_UNUSED(get_FoundTypeLibLCID, LONG*)
    OCX_TEST_UNUSED(get_RefVersionString, BSTR*)
    OCX_TEST_UNUSED(get_FoundVersionString, BSTR*)
    OCX_TEST_UNUSED(OtherVersionString, short, BSTR*)
    OCX_TEST_UNUSED(VerifyObjectFile2, BSTR, BSTR, LONG, LONG, LONG, LONG, BSTR, BSTR, LONG, LONG, short, short,
                    short, short, short, short)
    OCX_TEST_UNUSED(get_ApplicationName, BSTR*)
    OCX_TEST_UNUSED(put_ApplicationName, BSTR)
    OCX_TEST_UNUSED(get_UserDirectory, BSTR*)
    OCX_TEST_UNUSED(put_UserDirectory, BSTR)
    OCX_TEST_UNUSED(ResetVerifyMethod)
    OCX_TEST_UNUSED(get_PathRefFileName, BSTR*)

private:
    // Reads the blob from the stream and raises one event per entry;
    // event returns the stop flag the hosts left.
    template <typename Event>
    HRESULT run(IUnknown* list, Event event) {
        com::ComPtr<IStream> stream;
        if (!list || FAILED(list->QueryInterface(IID_IStream, stream.putVoid()))) return E_INVALIDARG;
        orvane36::OleByteStream in(stream.get());
        const orvane36::ListRead read = orvane36::ReadListBlob(in);
        if (read.failed()) return E_FAIL;
        LONG index = 0;
        for (const orvane36::FileEntry& e : read.list) {
            ++eventsFired;
            const VARIANT_BOOL stop = event(e, index++);
            stopsSeen.push_back(stop);
            if (stop) break;
        }
        ++eventsFired;
        connectionPoint<IOrvaneScanEvents>().forEach<IOrvaneScanEvents>(
            [](IOrvaneScanEvents* sink) { sink->EnumComplete(); });
        return S_OK;
    }

    bool* m_gone;
};

#undef OCX_TEST_UNUSED

// Makes FakeEngines for kFakeEngineClsid while it lives.
class FakeEngineClass final : public com::Object<IClassFactory> {
public:
    com::ComPtr<FakeEngine> lastMade;
    bool engineGone = false;

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        engineGone = false;
        com::ComPtr<FakeEngine> engine = com::make<FakeEngine>(&engineGone);
        lastMade = engine;
        return engine->QueryInterface(riid, out);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

// What one host sink saw of one event.
struct HostCall {
    DISPID id = 0;
    bool nullIid = false;
    LCID lcid = 0;
    WORD flags = 0;
    UINT args = 0;
    UINT namedArgs = 0;
    bool noResult = false;
    bool noException = false;
    std::vector<VARTYPE> types;   // in DISPPARAMS order (last argument first)
    std::wstring referenceFile;
    LONG flagsArg = 0;
    VARIANT_BOOL stopArg = VARIANT_FALSE;
};

// A host's event sink for _OrvaneEvents, answering through IDispatch.
class HostSink final : public com::Object<IDispatch> {
public:
    std::vector<HostCall> calls;
    // Runs after recording, with the call's arguments (to write back).
    std::function<void(DISPID, DISPPARAMS&)> onEvent;

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
        if (n) *n = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* excep, UINT*) override {
        HostCall call;
        call.id = id;
        call.nullIid = riid == IID_NULL;
        call.lcid = lcid;
        call.flags = flags;
        call.noResult = result == nullptr;
        call.noException = excep == nullptr;
        if (params) {
            call.args = params->cArgs;
            call.namedArgs = params->cNamedArgs;
            for (UINT i = 0; i < params->cArgs; ++i) call.types.push_back(V_VT(&params->rgvarg[i]));
            if (params->cArgs == 4) {
                const VARIANT* a = params->rgvarg;
                if (V_VT(&a[3]) == (VT_BYREF | VT_BSTR)) call.referenceFile = com::bstrView(*V_BSTRREF(&a[3]));
                if (V_VT(&a[1]) == (VT_BYREF | VT_I4)) call.flagsArg = *V_I4REF(&a[1]);
                if (V_VT(&a[0]) == (VT_BYREF | VT_BOOL)) call.stopArg = *V_BOOLREF(&a[0]);
            }
        }
        calls.push_back(call);
        if (onEvent && params) onEvent(id, *params);
        return S_OK;
    }

protected:
    void* queryOther(REFIID riid) noexcept override {
        return riid == DIID__OrvaneEvents ? static_cast<IDispatch*>(this) : nullptr;
    }
};

// The part of the control the relay needs: its event connection point.
class FakeControl final : public com::Object<com::ConnectionPoints<_OrvaneEvents>> {
public:
    com::ConnectionPoint& events() { return connectionPoint<_OrvaneEvents>(); }
    DWORD advise(HostSink& host) {
        DWORD cookie = 0;
        events().Advise(host.identity(), &cookie);
        return cookie;
    }
};

} // namespace ocx_test
