// com_test.cpp
// orvanescan.dll as a host meets it: registered through its export,
// created by class identifier, driven through IOrvaneScan and late bound,
// with hosts' sinks on its connection point that read the engine's
// members from inside the events, write stop flags and start runs.
#include <windows.h>
#include <objbase.h>
#include <ocidl.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/com/bstr.h"
#include "common/com/errors.h"
#include "common/com/object.h"
#include "common/com/ptr.h"
#include "common/com/safearray.h"
#include "common/com/variant.h"
#include "embedded_lists.h"
#include "engine_fixture.h"
#include "entry_reference.h"
#include "file_probe.h"
#include "orvanescan.h"

using com::ComPtr;
using namespace orvanescan;
using namespace orvanescan_test;

namespace {

// One event as a sink received it.
struct Received {
    DISPID id;
    std::string referenceFile, foundFile;
    LONG flags = 0, pathFlags = 0;
    VARIANT_BOOL stopOnEntry = 0;
};

// A host's sink that answers only dispatch calls, as script hosts do.
class Sink final : public com::Object<IDispatch> {
public:
    std::vector<Received> received;
    bool setStop = false;
    std::function<void(const Received&)> during;
    bool malformed = false;

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* p, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        Received r{id, {}, {}, 0, 0, 0};
        const VARTYPE kRefText = VT_BYREF | VT_BSTR, kRefLong = VT_BYREF | VT_I4, kRefBool = VT_BYREF | VT_BOOL;
        // Arguments arrive last first.
        auto is = [&](UINT i, VARTYPE vt) { return p->rgvarg[i].vt == vt; };
        if (flags != DISPATCH_METHOD || p->cNamedArgs != 0) malformed = true;
        VARIANT_BOOL* stop = nullptr;
        if (id == 1 && p->cArgs == 4 && is(3, kRefText) && is(2, kRefText) && is(1, kRefLong) && is(0, kRefBool)) {
            r.referenceFile = com::toAnsi(com::bstrView(*p->rgvarg[3].pbstrVal));
            r.foundFile = com::toAnsi(com::bstrView(*p->rgvarg[2].pbstrVal));
            r.flags = *p->rgvarg[1].plVal;
            stop = p->rgvarg[0].pboolVal;
        } else if (id == 2 && p->cArgs == 4 && is(3, kRefText) && is(2, kRefLong) && is(1, kRefLong) &&
                   is(0, kRefBool)) {
            r.referenceFile = com::toAnsi(com::bstrView(*p->rgvarg[3].pbstrVal));
            r.flags = *p->rgvarg[2].plVal;
            r.pathFlags = *p->rgvarg[1].plVal;
            stop = p->rgvarg[0].pboolVal;
        } else if (!(id == 3 && p->cArgs == 0)) {
            malformed = true;
            return DISP_E_BADPARAMCOUNT;
        }
        if (stop) {
            r.stopOnEntry = *stop;
            if (setStop) *stop = VARIANT_TRUE;
        }
        received.push_back(r);
        if (during) during(received.back());
        return S_OK;
    }

    std::vector<DISPID> ids() const {
        std::vector<DISPID> out;
        for (const Received& r : received) out.push_back(r.id);
        return out;
    }

protected:
    void* queryOther(REFIID riid) noexcept override {
        return riid == IID_IOrvaneScanEvents ? static_cast<IDispatch*>(this) : nullptr;
    }
};

using RegisterFunction = HRESULT(STDAPICALLTYPE*)();

HMODULE serverModule() {
    static HMODULE module = LoadLibraryA(ORVANESCAN_DLL);
    return module;
}

HRESULT callExport(const char* name) {
    auto f = reinterpret_cast<RegisterFunction>(reinterpret_cast<void*>(GetProcAddress(serverModule(), name)));
    return f ? f() : E_NOTIMPL;
}

std::string registryText(const std::string& key) {
    char value[MAX_PATH * 2] = {};
    LONG size = sizeof value;
    if (RegQueryValueA(HKEY_CLASSES_ROOT, key.c_str(), value, &size) != ERROR_SUCCESS) return {};
    return value;
}

com::Bstr text(const std::string& s) { return com::Bstr::fromAnsi(s); }

std::string take(BSTR b) { return com::Bstr::attach(b).toAnsi(); }

class ComEngine : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        ASSERT_TRUE(serverModule()) << ORVANESCAN_DLL;
        ASSERT_EQ(callExport("DllRegisterServer"), S_OK);
        ASSERT_EQ(CoCreateInstance(CLSID_OrvaneScan, nullptr, CLSCTX_INPROC_SERVER, IID_IOrvaneScan,
                                   scan.putVoid()),
                  S_OK);
        ASSERT_EQ(scan->put_FileCurrentDir(text(prog).get()), S_OK);
        ComPtr<IConnectionPointContainer> container;
        ASSERT_EQ(scan.as(container), S_OK);
        ASSERT_EQ(container->FindConnectionPoint(IID_IOrvaneScanEvents, point.put()), S_OK);
    }
    void TearDown() override {
        for (DWORD cookie : cookies) point->Unadvise(cookie);
        EngineTest::TearDown();
    }
    ComPtr<Sink> advise() {
        ComPtr<Sink> sink = com::make<Sink>();
        DWORD cookie = 0;
        EXPECT_EQ(point->Advise(sink->identity(), &cookie), S_OK);
        cookies.push_back(cookie);
        return sink;
    }
    // A stream holding the list of refs, as the control hands it over.
    ComPtr<IStream> listStream(const std::vector<Reference>& refs) {
        orvane36::FileList list;
        for (const Reference& r : refs) list.push_back(EntryFromReference(r));
        auto bytes = orvane36::ListToStream(list, true);
        ComPtr<IStream> stream;
        EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, stream.put()), S_OK);
        ULONG written = 0;
        stream->Write(bytes->data(), static_cast<ULONG>(bytes->size()), &written);
        LARGE_INTEGER zero{};
        stream->Seek(zero, STREAM_SEEK_SET, nullptr);
        return stream;
    }
    HRESULT verifyMissing(const std::string& name) {
        return scan->VerifyObjectFile(text(name).get(), nullptr, static_cast<LONG>(conflict::kNotFound),
                                      path_bits::kProgramFolder, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    }

    ComPtr<IOrvaneScan> scan;
    ComPtr<IConnectionPoint> point;
    std::vector<DWORD> cookies;
};

} // namespace

TEST_F(ComEngine, RegisteredUnderItsClassAndProgId) {
    const std::string clsid = "CLSID\\{8F9F1CB3-0E26-11D2-A722-00001C1AD1F8}";
    EXPECT_TRUE(SameFile(registryText(clsid + "\\InprocServer32"), std::string(ORVANESCAN_DLL)));
    CLSID fromProgId{};
    ASSERT_EQ(CLSIDFromProgID(L"OrvaneScan.OrvaneScan", &fromProgId), S_OK);
    EXPECT_TRUE(IsEqualCLSID(fromProgId, CLSID_OrvaneScan));
    // The events' interface is the default source the class names.
    ComPtr<IProvideClassInfo2> info;
    ASSERT_EQ(scan.as(info), S_OK);
    GUID source{};
    ASSERT_EQ(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source), S_OK);
    EXPECT_TRUE(IsEqualGUID(source, IID_IOrvaneScanEvents));
}

TEST_F(ComEngine, TwoSinksSeeEveryEventAndOneStopFlag) {
    auto first = advise();
    auto second = advise();
    first->setStop = true;
    auto stream = listStream({ref(conflict::kNotFound, 1, "a.dll"), ref(conflict::kNotFound, 1, "b.dll")});
    ASSERT_EQ(scan->VerifyList(stream.get(), 0), S_OK);
    // The first sink stopped the run at the first conflict; the second saw
    // the flag the first one wrote; both saw EnumComplete.
    EXPECT_EQ(first->ids(), (std::vector<DISPID>{1, 3}));
    EXPECT_EQ(second->ids(), (std::vector<DISPID>{1, 3}));
    EXPECT_EQ(first->received[0].stopOnEntry, VARIANT_FALSE);
    EXPECT_EQ(second->received[0].stopOnEntry, VARIANT_TRUE);
    EXPECT_EQ(second->received[0].referenceFile, "a.dll");
    EXPECT_EQ(second->received[0].flags, static_cast<LONG>(conflict::kNotFound));
    EXPECT_FALSE(first->malformed || second->malformed);
}

TEST_F(ComEngine, MembersDescribeTheConflictDuringAndAfterIt) {
    const std::string found = place("v1", prog);
    place("v2", sys);   // not searched: only the program folder and PATH
    const std::string elsewhere = place("special", path1);
    const Reference want = [&] {
        Reference r = ref(conflict::kOlderVersion, path_bits::kDefault);
        r.versionBuffer = ProbeFile(fixturePath("v2"), 0)->versionBuffer;
        return r;
    }();
    auto sink = advise();
    struct Seen {
        std::string refVersion, foundVersion, other0, other1, otherVersion1, pathRef, foundString;
        LONG otherCount = 0, source0 = 0, source1 = 0, otherFlags1 = 0, foundSize = 0;
        SHORT busy = 0;
        std::vector<BYTE> refBuffer, foundBuffer;
    } seen;
    sink->during = [&](const Received& r) {
        if (r.id != 1) return;
        BSTR b = nullptr;
        scan->get_RefVersion(&b);
        seen.refVersion = take(b);
        scan->get_FoundVersion(&b);
        seen.foundVersion = take(b);
        scan->get_OtherCount(&seen.otherCount);
        scan->OtherFile(0, &b);
        seen.other0 = take(b);
        scan->OtherFile(1, &b);
        seen.other1 = take(b);
        scan->OtherVersion(1, &b);
        seen.otherVersion1 = take(b);
        scan->OtherSource(0, &seen.source0);
        scan->OtherSource(1, &seen.source1);
        scan->OtherFlags(1, &seen.otherFlags1);
        scan->get_FoundSize(&seen.foundSize);
        scan->get_PathRefFileName(&b);
        seen.pathRef = take(b);
        scan->get_FoundVersionString(&b);
        seen.foundString = take(b);
        scan->IsBusy(&seen.busy);
        SAFEARRAY* a = nullptr;
        scan->get_RefVersionBuffer(&a);
        com::readBytes(a, seen.refBuffer);
        SafeArrayDestroy(a);
        scan->get_FoundVersionBuffer(&a);
        com::readBytes(a, seen.foundBuffer);
        SafeArrayDestroy(a);
    };
    ASSERT_EQ(scan->VerifyList(listStream({want}).get(), 0), S_OK);
    ASSERT_EQ(sink->ids(), (std::vector<DISPID>{1, 3}));
    EXPECT_TRUE(SameFile(sink->received[0].foundFile, found));
    EXPECT_EQ(seen.refVersion, "2.0.0.0");
    EXPECT_EQ(seen.foundVersion, "1.0.0.0");
    EXPECT_EQ(seen.otherCount, 2);
    EXPECT_EQ(seen.other0, sink->received[0].foundFile);   // Other(0) is the found copy
    EXPECT_TRUE(SameFile(seen.other1, elsewhere));
    EXPECT_EQ(seen.otherVersion1, "2.0.0.0");
    EXPECT_EQ(seen.source0, static_cast<LONG>(path_bits::kProgramFolder));
    EXPECT_EQ(seen.source1, static_cast<LONG>(path_bits::kSearchPath));
    EXPECT_EQ(seen.otherFlags1, 0x21);
    EXPECT_EQ(seen.foundSize, static_cast<LONG>(fileSize(found)));
    EXPECT_TRUE(SameFile(seen.pathRef, found));
    EXPECT_EQ(seen.foundString, "1.0.0.0");
    EXPECT_EQ(seen.busy, -1);
    EXPECT_EQ(seen.refBuffer, want.versionBuffer);
    EXPECT_EQ(seen.foundBuffer, ProbeFile(found, 0)->versionBuffer);

    // After the run the members still describe the last conflict, and the
    // engine is free.
    LONG count = 0;
    EXPECT_EQ(scan->get_OtherCount(&count), S_OK);
    EXPECT_EQ(count, 2);
    SHORT busy = 1;
    scan->IsBusy(&busy);
    EXPECT_EQ(busy, 0);
    // An index past the copies is error 9 with its text.
    BSTR b = nullptr;
    EXPECT_EQ(scan->OtherFile(2, &b), com::controlError(9));
    com::ErrorDetails error;
    ASSERT_TRUE(com::takeErrorInfo(error));
    EXPECT_TRUE(IsEqualGUID(error.iid, IID_IOrvaneScan));
    EXPECT_EQ(error.description.toAnsi(), "Subscript out of range");
    EXPECT_EQ(scan->OtherSize(-1, &count), com::controlError(9));

    // ResetVerifyMethod forgets it.
    EXPECT_EQ(scan->ResetVerifyMethod(), S_OK);
    scan->get_OtherCount(&count);
    EXPECT_EQ(count, 0);
}

TEST_F(ComEngine, ANestedScanFromEnumCompleteRunsInsideTheVerification) {
    const std::string host = place("host", prog, "host.exe");
    place("v2", prog);
    SetEnvironmentVariableA("ORVSCAN_TEST_OTHER", other.c_str());
    place("v1", other, "orvother.dll");
    ASSERT_EQ(scan->put_FileCurrentDir(nullptr), S_OK);   // beside the program
    auto sink = advise();
    bool scanned = false;
    HRESULT nested = E_FAIL;
    SHORT busyInComplete = 1;
    sink->during = [&](const Received& r) {
        if (r.id != 3 || scanned) return;
        scanned = true;
        scan->IsBusy(&busyInComplete);
        nested = scan->put_ScanFile(text(host).get());
    };
    ASSERT_EQ(scan->put_VerifyFile(text(host).get()), S_OK);
    EXPECT_EQ(busyInComplete, 0);
    EXPECT_EQ(nested, S_OK);
    // orvmissing.dll conflicts (it always warns); then the verification's
    // EnumComplete, inside it the scan of the three listed files and the
    // scan's own EnumComplete.
    EXPECT_EQ(sink->ids(), (std::vector<DISPID>{1, 3, 2, 2, 2, 3}));
    EXPECT_EQ(sink->received[0].referenceFile, "orvmissing.dll");
    EXPECT_EQ(sink->received[2].referenceFile, "orvfix.dll");
    EXPECT_EQ(sink->received[2].pathFlags, static_cast<LONG>(path_bits::kProgramFolder));
    EXPECT_EQ(sink->received[4].referenceFile, "orvother.dll");
    BSTR b = nullptr;
    scan->get_VerifyFile(&b);
    EXPECT_EQ(take(b), host);
    scan->get_ScanFile(&b);
    EXPECT_EQ(take(b), host);
}

TEST_F(ComEngine, ARunInsideAnEventIsRefusedWithError601) {
    auto sink = advise();
    HRESULT inside = S_OK;
    std::string description;
    sink->during = [&](const Received& r) {
        if (r.id != 1) return;
        inside = scan->put_ScanFile(text(fixturePath("host")).get());
        com::ErrorDetails error;
        if (com::takeErrorInfo(error)) description = error.description.toAnsi();
    };
    ASSERT_EQ(verifyMissing("absent.dll"), S_OK);
    EXPECT_EQ(inside, com::controlError(601));
    EXPECT_EQ(description, "Invalid operating during file verification or scan.");
    EXPECT_EQ(sink->ids(), (std::vector<DISPID>{1, 3}));
}

TEST_F(ComEngine, AMissingProgramFileStillCompletes) {
    auto sink = advise();
    EXPECT_EQ(scan->put_VerifyFile(text(prog + "\\absent.exe").get()), com::controlError(53));
    com::ErrorDetails error;
    ASSERT_TRUE(com::takeErrorInfo(error));
    EXPECT_EQ(error.description.toAnsi(), "File not found");
    EXPECT_EQ(sink->ids(), (std::vector<DISPID>{3}));
}

TEST_F(ComEngine, TheHostMayDropTheEngineInsideAnEvent) {
    auto sink = advise();
    // The host's reference is the only one left once the test lets go of
    // the connection point (its sink stays advised).
    point = nullptr;
    cookies.clear();
    IOrvaneScan* host = scan.detach();
    sink->during = [&](const Received& r) {
        if (r.id == 3) host->Release();
    };
    EXPECT_EQ(host->VerifyObjectFile(text("absent.dll").get(), nullptr, static_cast<LONG>(conflict::kNotFound), 1, 0,
                                     0, 0, 0, 0, 0, 0, 0, 0),
              S_OK);
    EXPECT_EQ(sink->ids(), (std::vector<DISPID>{1, 3}));
    // The engine is gone and released the sink it held.
    EXPECT_EQ(sink->AddRef(), 2u);
    sink->Release();
}

TEST_F(ComEngine, ArgumentsOfVerifyObjectFile) {
    auto sink = advise();
    const std::string copy = place("v1", prog);
    const uint64_t when = utcFileTime(2003, 5, 17, 14, 2, 0);
    setWriteTime(copy, when);
    // A bad GUID text, or a date that does not exist, is error 5.
    EXPECT_EQ(scan->VerifyObjectFile(text("orvfix.dll").get(), text("{nonsense}").get(), 0, 1, 0, 0, 0, 0, 0, 0, 0,
                                     0, 0),
              com::controlError(5));
    EXPECT_EQ(scan->VerifyObjectFile(text("orvfix.dll").get(), nullptr, 0, 1, 0, 0, 0, 2003, 2, 30, 0, 0, 0),
              com::controlError(5));
    EXPECT_TRUE(sink->received.empty());

    // Version, size and a local date an hour before the file's.
    const uint64_t earlier = when - 3600ull * 10000000;
    SYSTEMTIME utc, local;
    FILETIME ft{static_cast<DWORD>(earlier), static_cast<DWORD>(earlier >> 32)};
    FileTimeToSystemTime(&ft, &utc);
    SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
    const LONG warns = static_cast<LONG>(conflict::kOlderVersion | conflict::kNewerDate | conflict::kSmallerSize);
    ASSERT_EQ(scan->VerifyObjectFile(text("orvfix.dll").get(), nullptr, warns, 1, 0x00020000, 0,
                                     static_cast<LONG>(fileSize(copy) + 1), static_cast<SHORT>(local.wYear),
                                     static_cast<SHORT>(local.wMonth), static_cast<SHORT>(local.wDay),
                                     static_cast<SHORT>(local.wHour), static_cast<SHORT>(local.wMinute),
                                     static_cast<SHORT>(local.wSecond)),
              S_OK);
    ASSERT_EQ(sink->ids(), (std::vector<DISPID>{1, 3}));
    EXPECT_EQ(sink->received[0].flags,
              static_cast<LONG>(conflict::kOlderVersion | conflict::kSmallerSize | conflict::kNewerDate));
    LONG low = 0;
    scan->get_RefDateLow(&low);
    EXPECT_EQ(static_cast<DWORD>(low), ft.dwLowDateTime);
    BSTR b = nullptr;
    scan->get_RefVersion(&b);
    EXPECT_EQ(take(b), "2.0.0.0");

    // VerifyObjectFile2: a reference copy supplies what the arguments
    // leave out; its version text is compared too.
    sink->received.clear();
    const std::string reference = place("v2", other);
    ASSERT_EQ(scan->VerifyObjectFile2(text("orvfix.dll").get(), nullptr,
                                      static_cast<LONG>(conflict::kOlderVersion | conflict::kOlderVersionString), 1,
                                      0, 0, nullptr, text(reference).get(), 0, 0, 0, 0, 0, 0, 0, 0),
              S_OK);
    ASSERT_EQ(sink->ids(), (std::vector<DISPID>{1, 3}));
    EXPECT_EQ(sink->received[0].flags, static_cast<LONG>(conflict::kOlderVersion | conflict::kOlderVersionString));
    scan->get_RefVersionString(&b);
    EXPECT_EQ(take(b), "2.0.0.0");
    EXPECT_EQ(scan->VerifyObjectFile2(text("orvfix.dll").get(), nullptr, 0, 1, 0, 0, nullptr,
                                      text(other + "\\absent.dll").get(), 0, 0, 0, 0, 0, 0, 0, 0),
              com::controlError(53));
}

TEST_F(ComEngine, TheRealSystemFolder) {
    auto sink = advise();
    const LONG warns = static_cast<LONG>(conflict::kNotFound | conflict::kOlderVersion);
    ASSERT_EQ(scan->VerifyObjectFile(text("kernel32.dll").get(), nullptr, warns, path_bits::kSystemFolder,
                                     0x00050001, 0, 0, 0, 0, 0, 0, 0, 0),
              S_OK);
    EXPECT_EQ(sink->ids(), (std::vector<DISPID>{3}));
    ASSERT_EQ(scan->VerifyObjectFile(text("kernel32.dll").get(), nullptr, warns, path_bits::kSystemFolder,
                                     0x7FFF0000, 0, 0, 0, 0, 0, 0, 0, 0),
              S_OK);
    ASSERT_EQ(sink->ids(), (std::vector<DISPID>{3, 1, 3}));
    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof system);
    EXPECT_TRUE(SameFile(sink->received[1].foundFile, std::string(system) + "\\kernel32.dll"));
    LONG source = 0;
    scan->OtherSource(0, &source);
    EXPECT_EQ(source, static_cast<LONG>(path_bits::kSystemFolder));
}

TEST_F(ComEngine, LateBoundCallsWithOptionalArgumentsLeftOut) {
    auto sink = advise();
    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(scan.as(dispatch), S_OK);
    OLECHAR* name = const_cast<OLECHAR*>(L"VerifyObjectFile");
    DISPID id = 0;
    ASSERT_EQ(dispatch->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    EXPECT_EQ(id, 0x1E);
    // FName, Guid, Warns, Path, VerMS, VerLS, Size, Year, Month; last first.
    com::Bstr file = text("absent.dll");
    com::Bstr guid = text("");
    VARIANT args[9] = {com::argShort(0), com::argShort(0), com::argLong(0), com::argLong(0), com::argLong(0),
                       com::argShort(1), com::argLong(static_cast<LONG>(conflict::kNotFound)),
                       com::argBstr(guid.get()), com::argBstr(file.get())};
    DISPPARAMS params{args, nullptr, 9, 0};
    EXCEPINFO excep{};
    ASSERT_EQ(dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, &excep, nullptr),
              S_OK);
    EXPECT_EQ(sink->ids(), (std::vector<DISPID>{1, 3}));

    // A failure carries its text through EXCEPINFO.
    name = const_cast<OLECHAR*>(L"VerifyFile");
    ASSERT_EQ(dispatch->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    com::Bstr missing = text(prog + "\\absent.exe");
    VARIANT value = com::argBstr(missing.get());
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS putParams{&value, &put, 1, 1};
    EXPECT_EQ(dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &putParams, nullptr, &excep,
                               nullptr),
              DISP_E_EXCEPTION);
    EXPECT_EQ(excep.scode, com::controlError(53));
    EXPECT_EQ(com::bstrView(excep.bstrDescription), L"File not found");
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrHelpFile);
}

TEST_F(ComEngine, SettingsAndTheStreamArgument) {
    VARIANT_BOOL flag = VARIANT_TRUE;
    EXPECT_EQ(scan->get_ReadPropErrors(&flag), S_OK);
    EXPECT_EQ(flag, VARIANT_FALSE);
    EXPECT_EQ(scan->put_Delay(VARIANT_TRUE), S_OK);
    EXPECT_EQ(scan->get_Delay(&flag), S_OK);
    EXPECT_EQ(flag, VARIANT_TRUE);
    EXPECT_EQ(scan->put_ApplicationName(text("host.exe").get()), S_OK);
    BSTR b = nullptr;
    scan->get_ApplicationName(&b);
    EXPECT_EQ(take(b), "host.exe");

    // Something that is no stream is a bad argument; a damaged list is
    // error 600 once ReadPropErrors asks for it.
    EXPECT_EQ(scan->VerifyList(nullptr, 0), com::controlError(5));
    EXPECT_EQ(scan->ScanList(scan.get()), com::controlError(5));
    ComPtr<IStream> cut;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, cut.put()), S_OK);
    cut->Write("QuennickOrvaneLedgers6Mark32\x58", 29, nullptr);
    LARGE_INTEGER zero{};
    cut->Seek(zero, STREAM_SEEK_SET, nullptr);
    EXPECT_EQ(scan->VerifyList(cut.get(), 0), S_OK);
    scan->put_ReadPropErrors(VARIANT_TRUE);
    cut->Seek(zero, STREAM_SEEK_SET, nullptr);
    EXPECT_EQ(scan->ScanList(cut.get()), com::controlError(600));
}

TEST(ComServer, UnregisteringRemovesTheClass) {
    ASSERT_EQ(callExport("DllRegisterServer"), S_OK);
    ASSERT_EQ(callExport("DllUnregisterServer"), S_OK);
    ComPtr<IOrvaneScan> scan;
    EXPECT_EQ(CoCreateInstance(CLSID_OrvaneScan, nullptr, CLSCTX_INPROC_SERVER, IID_IOrvaneScan, scan.putVoid()),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(callExport("DllRegisterServer"), S_OK);
}

TEST(ComServer, TheEngineCarriesNoListOfItsOwn) {
    // Its code knows the markers; that is no list.
    EXPECT_TRUE(FindEmbeddedLists(readAll(ORVANESCAN_DLL)).empty());
}
