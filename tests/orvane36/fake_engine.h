// fake_engine.h
// Stand-ins for the control's tests: the scan engine (registered under a
// class identifier of the tests' own), a control that owns only the
// _OrvaneEvents connection point, and a host sink that records what
// reaches it.
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

// The scan engine as the control sees it. Lists: reads the blob it is
// handed and raises one FileConflict (through IDispatch::Invoke) per entry
// of a verified list or one FileScan (through the event interface's
// vtable) per entry of a scanned one, as a real engine may do either,
// until a host sets the stop flag; then EnumComplete. VerifyFile and
// ScanFile puts raise one event each for the file named, then
// EnumComplete. Keeps Delay, ReadPropErrors and FileCurrentDir, answers a
// few Ref/Other members and reports busy on demand.
class FakeEngine final : public com::Object<IOrvaneScan, com::ConnectionPoints<IOrvaneScanEvents>> {
public:
    explicit FakeEngine(bool* gone = nullptr) noexcept : m_gone(gone) {}
    ~FakeEngine() override {
        if (m_gone) *m_gone = true;
    }

    SHORT busy = 0;
    HRESULT busyResult = S_OK;                 // IsBusy's own result
    HRESULT verifyListResult = S_OK;
    VARIANT_BOOL delay = VARIANT_FALSE;
    VARIANT_BOOL readPropErrors = VARIANT_FALSE;
    std::vector<std::string> namesSeen;        // entries of the lists handed over
    std::vector<std::string> markersSeen;      // their markers
    // What the engine's own variables held after each event returned.
    std::vector<VARIANT_BOOL> stopsSeen;
    std::vector<LONG> flagsSeen;
    std::vector<std::wstring> foundSeen;
    std::wstring lastVerifyFile, lastScanFile, fileCurrentDir;
    std::vector<LONG> objectArgs;              // VerifyObjectFile2's Warns, Year, Day, Sec
    std::function<void()> duringCall;          // runs inside every list or file call

    size_t sinks() { return connectionPoint<IOrvaneScanEvents>().count(); }

    // FileConflict's flags are the entry's index.
    HRESULT STDMETHODCALLTYPE VerifyList(IUnknown* list, LONG) override {
        const HRESULT hr = runList(list, [this](const orvane36::FileEntry& e, LONG index) {
            return conflict(e.entryName.value_or(""), index);
        });
        return FAILED(hr) ? hr : verifyListResult;
    }
    // FileScan's verify flags are the entry's index, its path flags the entry's.
    HRESULT STDMETHODCALLTYPE ScanList(IUnknown* list) override {
        return runList(list, [this](const orvane36::FileEntry& e, LONG index) {
            return scan(e.entryName.value_or(""), index, e.entryFlags);
        });
    }
    HRESULT STDMETHODCALLTYPE IsBusy(short* out) override {
        if (!out) return E_POINTER;
        *out = busy;
        return busyResult;
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
        scan(std::string(lastScanFile.begin(), lastScanFile.end()), 0, 0);
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

#define FAKE_ENGINE_UNUSED(name, ...) \
    HRESULT STDMETHODCALLTYPE name(__VA_ARGS__) override { return E_NOTIMPL; }
    FAKE_ENGINE_UNUSED(GetTypeInfoCount, UINT*)
    FAKE_ENGINE_UNUSED(GetTypeInfo, UINT, LCID, ITypeInfo**)
    FAKE_ENGINE_UNUSED(GetIDsOfNames, REFIID, LPOLESTR*, UINT, LCID, DISPID*)
    FAKE_ENGINE_UNUSED(Invoke, DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)
    FAKE_ENGINE_UNUSED(get_FoundVersion, BSTR*)
    FAKE_ENGINE_UNUSED(get_RefFlags, LONG*)
    FAKE_ENGINE_UNUSED(get_FoundFlags, LONG*)
    FAKE_ENGINE_UNUSED(get_RefDateLow, LONG*)
    FAKE_ENGINE_UNUSED(get_RefDateHigh, LONG*)
    FAKE_ENGINE_UNUSED(get_RefDateString, BSTR*)
    FAKE_ENGINE_UNUSED(get_FoundDateString, BSTR*)
    FAKE_ENGINE_UNUSED(get_FoundVersionBuffer, SAFEARRAY**)
    FAKE_ENGINE_UNUSED(get_RefVersionBuffer, SAFEARRAY**)
    FAKE_ENGINE_UNUSED(get_FoundSize, LONG*)
    FAKE_ENGINE_UNUSED(get_RefSize, LONG*)
    FAKE_ENGINE_UNUSED(get_FoundDateLow, LONG*)
    FAKE_ENGINE_UNUSED(get_FoundDateHigh, LONG*)
    FAKE_ENGINE_UNUSED(OtherVersion, short, BSTR*)
    FAKE_ENGINE_UNUSED(OtherFlags, short, LONG*)
    FAKE_ENGINE_UNUSED(OtherDateLow, short, LONG*)
    FAKE_ENGINE_UNUSED(OtherDateHigh, short, LONG*)
    FAKE_ENGINE_UNUSED(OtherDateString, short, BSTR*)
    FAKE_ENGINE_UNUSED(OtherSource, short, LONG*)
    FAKE_ENGINE_UNUSED(OtherSize, short, LONG*)
    FAKE_ENGINE_UNUSED(VerifyObjectFile, BSTR, BSTR, LONG, short, LONG, LONG, LONG, short, short, short, short, short,
                       short)
    FAKE_ENGINE_UNUSED(get_RefGUID, BSTR*)
    FAKE_ENGINE_UNUSED(get_RefTypeLibVersion, LONG*)
    FAKE_ENGINE_UNUSED(get_RefTypeLibLCID, LONG*)
    FAKE_ENGINE_UNUSED(get_FoundGUID, BSTR*)
    FAKE_ENGINE_UNUSED(get_FoundTypeLibVersion, LONG*)
    FAKE_ENGINE_UNUSED(get_FoundTypeLibLCID, LONG*)
    FAKE_ENGINE_UNUSED(get_RefVersionString, BSTR*)
    FAKE_ENGINE_UNUSED(get_FoundVersionString, BSTR*)
    FAKE_ENGINE_UNUSED(OtherVersionString, short, BSTR*)
    FAKE_ENGINE_UNUSED(get_ApplicationName, BSTR*)
    FAKE_ENGINE_UNUSED(put_ApplicationName, BSTR)
    FAKE_ENGINE_UNUSED(get_UserDirectory, BSTR*)
    FAKE_ENGINE_UNUSED(put_UserDirectory, BSTR)
    FAKE_ENGINE_UNUSED(ResetVerifyMethod)
    FAKE_ENGINE_UNUSED(get_PathRefFileName, BSTR*)
#undef FAKE_ENGINE_UNUSED

private:
    // Reads the blob from the stream (keeping its marker) and raises one
    // event per entry; event returns the stop flag the hosts left.
    template <typename Event>
    HRESULT runList(IUnknown* list, Event event) {
        com::ComPtr<IStream> stream;
        if (!list || FAILED(list->QueryInterface(IID_IStream, stream.putVoid()))) return E_INVALIDARG;
        char marker[28];
        ULONG got = 0;
        stream->Read(marker, sizeof marker, &got);
        markersSeen.emplace_back(marker, got);
        LARGE_INTEGER zero{};
        stream->Seek(zero, STREAM_SEEK_SET, nullptr);
        orvane36::OleByteStream in(stream.get());
        const orvane36::ListRead read = orvane36::ReadListBlob(in);
        if (read.failed()) return E_FAIL;
        if (duringCall) duringCall();
        LONG index = 0;
        for (const orvane36::FileEntry& e : read.list) {
            namesSeen.push_back(e.entryName.value_or(""));
            if (event(e, index++)) break;
        }
        complete();
        return S_OK;
    }
    // Fires FileConflict and keeps what the hosts wrote back.
    VARIANT_BOOL conflict(const std::string& name, LONG flags) {
        com::Bstr ref = com::Bstr::fromAnsi(name);
        com::Bstr found = com::Bstr::fromAnsi("C:\\found\\" + name);
        VARIANT_BOOL stop = VARIANT_FALSE;
        BSTR refRaw = ref.release(), foundRaw = found.release();
        connectionPoint<IOrvaneScanEvents>().fire(
            1, {com::refBstr(&refRaw), com::refBstr(&foundRaw), com::refLong(&flags), com::refBool(&stop)});
        ref = com::Bstr::attach(refRaw);
        found = com::Bstr::attach(foundRaw);
        flagsSeen.push_back(flags);
        foundSeen.emplace_back(found.view());
        stopsSeen.push_back(stop);
        return stop;
    }
    VARIANT_BOOL scan(const std::string& name, LONG verifyFlags, LONG pathFlags) {
        BSTR ref = com::Bstr::fromAnsi(name).release();
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

    bool* m_gone;
};

// Makes FakeEngines for kFakeEngineClsid while it is registered.
class FakeEngineClass final : public com::Object<IClassFactory> {
public:
    com::ComPtr<FakeEngine> lastMade;
    bool engineGone = false;   // the last one made is destroyed

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
