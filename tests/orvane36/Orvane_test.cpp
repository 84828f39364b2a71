// Orvane_test.cpp
// The control hosted in the tests' own container: late-bound calls by
// DISPID, the errors and their texts, forwarding to a stand-in engine,
// manual and on-load runs with the event relay, the master rule, and the
// embedding interfaces.
#include "Orvane.h"

#include <gtest/gtest.h>

#include "ThreadMaster.h"
#include "common/win32/handles.h"
#include "control_host.h"

using namespace ocx_test;
using Control = orvane36::Orvane;

namespace {

constexpr HRESULT err(unsigned n) { return com::controlError(n); }

class ControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        engineClass = com::make<FakeEngineClass>();
        ASSERT_EQ(CoRegisterClassObject(kFakeEngineClsid, engineClass->identity(), CLSCTX_INPROC_SERVER,
                                        REGCLS_MULTIPLEUSE, &m_registration),
                  S_OK);
    }
    void TearDown() override {
        CoRevokeClassObject(m_registration);
        // Every control of a test is gone: so is the thread's node.
        EXPECT_EQ(orvane36::thread_master::stateOfThisThread().count, -1);
    }

    // A control sited in the given mode and initialised as new.
    com::ComPtr<Control> sited(bool userMode, REFCLSID engine = kFakeEngineClsid) {
        com::ComPtr<Control> c = com::make<Control>(engine);
        auto site = com::make<TestSite>();
        site->setUserMode(userMode);
        sites.push_back(site);
        c->SetClientSite(site.get());
        c->InitNew();
        return c;
    }
    static IDispatch* disp(const com::ComPtr<Control>& c) { return static_cast<IOrvane*>(c.get()); }
    FakeEngine& engine() { return *engineClass->lastMade; }

    static orvane36::FileList threeFiles() {
        orvane36::FileList list(3);
        list[0].entryName = "one.ocx";
        list[1].entryName = "two.dll";
        list[2].entryName = "three.exe";
        return list;
    }

    com::ComPtr<FakeEngineClass> engineClass;
    std::vector<com::ComPtr<TestSite>> sites;

private:
    DWORD m_registration = 0;
};

} // namespace

TEST_F(ControlTest, DesignTimeRefusesRunTimeMembersWithoutText) {
    auto c = sited(false);
    CallResult r = getProp(disp(c), 0x01);   // RefVersion
    EXPECT_EQ(r.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(r.scode, err(394));
    EXPECT_TRUE(r.description.empty());
    r = getProp(disp(c), 0x16, {com::argShort(0)});   // OtherFile(0)
    EXPECT_EQ(r.scode, err(394));
    r = putProp(disp(c), 0x0C, vBstr(L"C:\\app.exe"));   // VerifyFile
    EXPECT_EQ(r.scode, err(383));
    EXPECT_TRUE(engine().lastVerifyFile.empty()) << "nothing reached the engine";
    r = putProp(disp(c), 0x22, com::argLong(2));
    EXPECT_EQ(r.scode, err(394));
    for (LONG bad : {4L, -1L}) {
        r = putProp(disp(c), 0x22, com::argLong(bad));
        EXPECT_EQ(r.scode, err(380)) << bad;
        EXPECT_TRUE(r.description.empty());
    }
    // Settings work at design time; the engine's two in any mode.
    EXPECT_EQ(putProp(disp(c), 0x25, com::argShort(99)).hr, S_OK);
    EXPECT_EQ(V_I2(&getProp(disp(c), 0x25).value.get()), 99) << "no range check";
    EXPECT_EQ(putProp(disp(c), 0x11, com::argBool(true)).hr, S_OK);
    EXPECT_EQ(engine().readPropErrors, VARIANT_TRUE);
}

TEST_F(ControlTest, RunTimeRefusesDesignSettingsWithoutText) {
    auto c = sited(true);
    EXPECT_EQ(putProp(disp(c), 0x25, com::argShort(1)).scode, err(382));
    EXPECT_EQ(putProp(disp(c), 0x26, com::argShort(1)).scode, err(382));
    EXPECT_EQ(getProp(disp(c), 0x25).scode, err(393));
    EXPECT_EQ(getProp(disp(c), 0x26).scode, err(393));
    EXPECT_EQ(getProp(disp(c), 0x24).scode, err(394));
    EXPECT_EQ(putProp(disp(c), 0x24, com::argShort(1)).scode, err(383));
    const CallResult slave = putProp(disp(c), 0x23, com::argBool(true));
    EXPECT_EQ(slave.scode, err(382));
    EXPECT_TRUE(slave.description.empty());
    // The texts of the control stay readable at any time.
    EXPECT_EQ(putProp(disp(c), 0x27, vBstr(L"*.tlb")).hr, S_OK);
    EXPECT_EQ(com::bstrView(V_BSTR(&getProp(disp(c), 0x27).value.get())), L"*.tlb");
}

TEST_F(ControlTest, ASiteThatDoesNotAnswerIsDesignMode) {
    com::ComPtr<Control> c = com::make<Control>(kFakeEngineClsid);
    auto site = com::make<TestSite>();
    site->answers = false;
    c->SetClientSite(site.get());
    EXPECT_FALSE(c->runMode());
    EXPECT_EQ(getProp(disp(c), 0x01).scode, err(394));
    EXPECT_EQ(engine().sinks(), 0u) << "no relay at design time";
    c->SetClientSite(nullptr);
}

TEST_F(ControlTest, BusyEngineRefusesSlaveAndDelayWithText) {
    auto c = sited(false);
    engine().busy = 1;
    for (DISPID id : {0x23, 0x12}) {
        const CallResult r = putProp(disp(c), id, com::argBool(true));
        EXPECT_EQ(r.scode, err(601)) << id;
        EXPECT_EQ(r.description, L"Invalid operating during file verification or scan.");
    }
    EXPECT_EQ(engine().delay, VARIANT_FALSE);
    engine().busy = 0;
    auto listener = com::make<ChangeListener>();
    DWORD cookie = 0;
    c->connectionPoint<IPropertyNotifySink>().Advise(listener->identity(), &cookie);
    EXPECT_EQ(putProp(disp(c), 0x12, com::argBool(true)).hr, S_OK);
    EXPECT_EQ(engine().delay, VARIANT_TRUE);
    EXPECT_EQ(listener->changed, std::vector<DISPID>{0x12});
    EXPECT_TRUE(c->isDirty());
}

TEST_F(ControlTest, FilterTextsTakeAtMost260Characters) {
    auto c = sited(false);
    const std::wstring ok(260, L'e');
    EXPECT_EQ(putProp(disp(c), 0x27, vBstr(ok.c_str())).hr, S_OK);
    const CallResult longer = putProp(disp(c), 0x27, vBstr(std::wstring(261, L'x').c_str()));
    EXPECT_EQ(longer.scode, err(380));
    EXPECT_EQ(com::bstrView(V_BSTR(&getProp(disp(c), 0x27).value.get())), ok) << "the old value stays";
    EXPECT_EQ(putProp(disp(c), 0x28, vBstr(std::wstring(261, L'p').c_str())).scode, err(380));
    // An empty text stores none, which reads back as a null text.
    EXPECT_EQ(putProp(disp(c), 0x27, vBstr(L"")).hr, S_OK);
    BSTR none = reinterpret_cast<BSTR>(1);
    c->get_FileFilterExt(&none);
    EXPECT_EQ(none, nullptr);
}

TEST_F(ControlTest, ForwardedMembersGiveTheEnginesAnswers) {
    auto c = sited(true);
    EXPECT_EQ(com::bstrView(V_BSTR(&getProp(disp(c), 0x01).value.get())), L"6.0.0.1");
    EXPECT_EQ(V_I4(&getProp(disp(c), 0x09).value.get()), 3);
    EXPECT_EQ(com::bstrView(V_BSTR(&getProp(disp(c), 0x16, {com::argShort(1)}).value.get())), L"other1.dll");
    // The engine's own failure comes back unchanged.
    EXPECT_EQ(getProp(disp(c), 0x16, {com::argShort(5)}).scode, E_INVALIDARG);
    EXPECT_EQ(putProp(disp(c), 0x0E, vBstr(L"C:\\work")).hr, S_OK);
    EXPECT_EQ(engine().fileCurrentDir, L"C:\\work");
    // Optional arguments left out arrive as their defaults.
    const CallResult r = invoke(disp(c), 0x2F, DISPATCH_METHOD,
                                {vBstr(L"a.dll"), vBstr(L""), com::argLong(5), com::argLong(0), com::argLong(1),
                                 com::argLong(2), vBstr(L"1.0"), vBstr(L"ref"), com::argLong(0), com::argLong(9),
                                 com::argShort(1999), com::argShort(12)});
    EXPECT_EQ(r.hr, S_OK);
    EXPECT_EQ(engine().objectArgs, (std::vector<LONG>{5, 1999, 0, 0}));
}

TEST_F(ControlTest, WithoutAnEngineForwardedMembersFailButSettingsWork) {
    auto c = sited(true, kMissingEngineClsid);
    EXPECT_EQ(c->binding().engine(), nullptr);
    const CallResult r = getProp(disp(c), 0x01);
    EXPECT_EQ(r.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(r.scode, REGDB_E_CLASSNOTREG);
    // A manual run has nobody to run it: that is no success either.
    c->fileList() = threeFiles();
    EXPECT_EQ(putProp(disp(c), 0x22, com::argLong(2)).scode, REGDB_E_CLASSNOTREG);
    EXPECT_EQ(putProp(disp(c), 0x22, com::argLong(3)).scode, REGDB_E_CLASSNOTREG);
    EXPECT_EQ(putProp(disp(c), 0x12, com::argBool(true)).hr, S_OK);
    EXPECT_EQ(V_BOOL(&getProp(disp(c), 0x12).value.get()), VARIANT_TRUE);
}

TEST_F(ControlTest, VerifyModeReadsTheRunningModeInsideFilePuts) {
    auto c = sited(true);
    std::vector<LONG> seen;
    engine().duringCall = [&] {
        enumVerifyMode mode = orvNone;
        c->get_VerifyMode(&mode);
        seen.push_back(mode);
    };
    auto host = com::make<HostSink>();
    DWORD cookie = 0;
    c->connectionPoint<_OrvaneEvents>().Advise(host->identity(), &cookie);
    EXPECT_EQ(putProp(disp(c), 0x0C, vBstr(L"C:\\app.exe")).hr, S_OK);
    EXPECT_EQ(putProp(disp(c), 0x0D, vBstr(L"C:\\app.exe")).hr, S_OK);
    EXPECT_EQ(seen, (std::vector<LONG>{2, 3}));
    EXPECT_EQ(V_I4(&getProp(disp(c), 0x22).value.get()), 0);
    // Each put raised its event and EnumComplete inside the call.
    ASSERT_EQ(host->calls.size(), 4u);
    EXPECT_EQ(host->calls[0].id, 1);
    EXPECT_EQ(host->calls[0].referenceFile, L"C:\\app.exe");
    EXPECT_EQ(host->calls[1].id, 3);
    EXPECT_EQ(host->calls[2].id, 2);
}

TEST_F(ControlTest, ManualRunsHandTheListOverAndRelayTheStopFlag) {
    auto c = sited(true);
    c->fileList() = threeFiles();
    auto hostA = com::make<HostSink>();
    auto hostB = com::make<HostSink>();
    DWORD a = 0, b = 0;
    c->connectionPoint<_OrvaneEvents>().Advise(hostA->identity(), &a);
    c->connectionPoint<_OrvaneEvents>().Advise(hostB->identity(), &b);
    // The first host stops the run at the second conflict.
    hostA->onEvent = [&](DISPID id, DISPPARAMS& p) {
        if (id == 1 && hostA->calls.size() == 2) *V_BOOLREF(&p.rgvarg[0]) = VARIANT_TRUE;
    };
    std::vector<LONG> modes;
    engine().duringCall = [&] {
        enumVerifyMode m = orvNone;
        c->get_VerifyMode(&m);
        modes.push_back(m);
    };
    engine().verifyListResult = E_FAIL;
    EXPECT_EQ(putProp(disp(c), 0x22, com::argLong(2)).scode, E_FAIL) << "the engine's failure is passed on";
    EXPECT_EQ(engine().namesSeen, (std::vector<std::string>{"one.ocx", "two.dll"}));
    EXPECT_EQ(engine().stopsSeen, (std::vector<VARIANT_BOOL>{VARIANT_FALSE, VARIANT_TRUE}));
    ASSERT_EQ(hostB->calls.size(), 3u);
    EXPECT_EQ(hostB->calls[1].stopArg, VARIANT_TRUE) << "the second host sees what the first wrote";
    EXPECT_EQ(hostB->calls[2].id, 3);
    EXPECT_EQ(engine().markersSeen.back(), "QuennickOrvaneLedgers6Mark32");

    EXPECT_EQ(putProp(disp(c), 0x22, com::argLong(3)).hr, S_OK);
    EXPECT_EQ(modes, (std::vector<LONG>{2, 3}));
    EXPECT_EQ(V_I4(&getProp(disp(c), 0x22).value.get()), 0);
    EXPECT_EQ(engine().namesSeen.size(), 5u);
    EXPECT_EQ(hostB->calls.back().id, 3);
    EXPECT_EQ(hostB->calls[hostB->calls.size() - 2].id, 2);
}

TEST_F(ControlTest, ARunWithoutAListRaises602WithText) {
    auto c = sited(true);
    const CallResult r = putProp(disp(c), 0x22, com::argLong(2));
    EXPECT_EQ(r.scode, err(602));
    EXPECT_EQ(r.description, L"Control does not have an embedded file list.");
    EXPECT_EQ(V_I4(&getProp(disp(c), 0x22).value.get()), 0);
    EXPECT_TRUE(engine().namesSeen.empty());
}

TEST_F(ControlTest, OnLoadRunWaitsForEventsToBeUnfrozen) {
    auto c = sited(true);
    EXPECT_EQ(putProp(disp(c), 0x22, com::argLong(1)).hr, S_OK);
    EXPECT_TRUE(engine().namesSeen.empty()) << "put 1 starts nothing";
    // Without a list the mode stays 1, for the next unfreezing.
    EXPECT_EQ(c->FreezeEvents(TRUE), S_OK);
    EXPECT_EQ(c->FreezeEvents(FALSE), err(602));
    EXPECT_EQ(V_I4(&getProp(disp(c), 0x22).value.get()), 1);

    c->fileList() = threeFiles();
    std::vector<LONG> modes;
    engine().duringCall = [&] {
        enumVerifyMode m = orvNone;
        c->get_VerifyMode(&m);
        modes.push_back(m);
    };
    engine().verifyListResult = S_FALSE;
    EXPECT_EQ(c->FreezeEvents(FALSE), S_FALSE) << "the engine's own result";
    EXPECT_EQ(modes, std::vector<LONG>{1});
    EXPECT_EQ(engine().namesSeen.size(), 3u);
    EXPECT_EQ(V_I4(&getProp(disp(c), 0x22).value.get()), 0);
    // Design mode never runs it.
    auto d = sited(false);
    d->fileList() = threeFiles();
    d->put_VerifyMode(orvOnLoad);
    EXPECT_EQ(d->FreezeEvents(FALSE), S_OK);
    EXPECT_EQ(engine().namesSeen.size(), 0u);
}

TEST_F(ControlTest, TheRelayExistsOnlyForRunModeSites) {
    {
        auto design = sited(false);
        EXPECT_EQ(engine().sinks(), 0u);
        EXPECT_EQ(design->binding().sink(), nullptr);
    }
    com::ComPtr<FakeEngine> runEngine;
    {
        auto run = sited(true);
        runEngine = engineClass->lastMade;
        EXPECT_EQ(runEngine->sinks(), 1u);
    }
    EXPECT_EQ(runEngine->sinks(), 0u) << "unadvised when the control went";
}

TEST_F(ControlTest, FirstControlOnAThreadIsMasterTheNextOnesSlaves) {
    ASSERT_TRUE(orvane36::thread_master::available());
    auto first = sited(false);
    auto second = sited(false);
    EXPECT_FALSE(first->isSlave());
    EXPECT_TRUE(second->isSlave());
    EXPECT_EQ(orvane36::thread_master::stateOfThisThread().count, 2);
    EXPECT_EQ(orvane36::thread_master::stateOfThisThread().master, first.get());

    auto listener = com::make<ChangeListener>();
    DWORD cookie = 0;
    second->connectionPoint<IPropertyNotifySink>().Advise(listener->identity(), &cookie);
    // While the first is master the second stays a slave, and is told so by success.
    EXPECT_EQ(putProp(disp(second), 0x23, com::argBool(false)).hr, S_OK);
    EXPECT_TRUE(second->isSlave());
    EXPECT_TRUE(listener->changed.empty());
    // The first steps down; now the second may take over.
    EXPECT_EQ(putProp(disp(first), 0x23, com::argBool(true)).hr, S_OK);
    EXPECT_TRUE(first->isSlave());
    EXPECT_EQ(putProp(disp(second), 0x23, com::argBool(false)).hr, S_OK);
    EXPECT_FALSE(second->isSlave());
    EXPECT_EQ(listener->changed, std::vector<DISPID>{0x23});
    EXPECT_EQ(orvane36::thread_master::stateOfThisThread().master, second.get());
    // A slave going away leaves the master's mark alone.
    first = nullptr;
    EXPECT_EQ(orvane36::thread_master::stateOfThisThread().master, second.get());
    second = nullptr;
    auto third = sited(false);
    EXPECT_FALSE(third->isSlave()) << "the master went with its control";
}

TEST_F(ControlTest, EmbeddingAnswers) {
    auto c = sited(false);
    SIZEL size{847, 847};
    EXPECT_EQ(c->SetExtent(DVASPECT_CONTENT, &size), S_OK);
    size = {848, 847};
    EXPECT_EQ(c->SetExtent(DVASPECT_CONTENT, &size), E_FAIL);
    c->GetExtent(DVASPECT_CONTENT, &size);
    EXPECT_EQ(size.cx, 847);
    DWORD misc = 0;
    c->GetMiscStatus(DVASPECT_CONTENT, &misc);
    EXPECT_EQ(misc, 132497u);
    GUID events{};
    EXPECT_EQ(c->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events), S_OK);
    EXPECT_EQ(events, DIID__OrvaneEvents);
    com::ComPtr<ISupportErrorInfo> support = com::ComPtr<IOrvane>(c.get()).as<ISupportErrorInfo>();
    ASSERT_TRUE(support);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IOrvane), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IOleObject), S_FALSE);
    CAUUID pages{};
    ASSERT_EQ(c->GetPages(&pages), S_OK);
    ASSERT_EQ(pages.cElems, 1u);
    EXPECT_EQ(pages.pElems[0], CLSID_OrvanePropPage);
    CoTaskMemFree(pages.pElems);
    // In-place activation only tells the site; the control has no window.
    EXPECT_EQ(c->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, nullptr, 0, nullptr, nullptr), S_OK);
    EXPECT_EQ(sites.back()->activations, 1);
    HWND w = reinterpret_cast<HWND>(1);
    EXPECT_EQ(c->GetWindow(&w), E_FAIL);
    c->Close(OLECLOSE_NOSAVE);
    EXPECT_EQ(sites.back()->deactivations, 1);
}

TEST_F(ControlTest, DrawsABlackFrameAndTheIcon) {
    auto c = sited(false);
    HDC screen = GetDC(nullptr);
    win32::MemoryDC canvas(CreateCompatibleDC(screen));
    HDC dc = canvas.get();
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 32;
    info.bmiHeader.biHeight = -32;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    win32::Bitmap bmp(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    HGDIOBJ old = SelectObject(dc, bmp.get());
    RECT all{0, 0, 32, 32};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    RECTL bounds{0, 0, 32, 32};
    EXPECT_EQ(c->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0), S_OK);
    GdiFlush();
    const auto* px = static_cast<const DWORD*>(bits);
    EXPECT_EQ(px[0] & 0xFFFFFF, 0u) << "frame corner";
    EXPECT_EQ(px[31] & 0xFFFFFF, 0u);
    int changed = 0;
    for (int y = 2; y < 30; ++y)
        for (int x = 2; x < 30; ++x) changed += (px[y * 32 + x] & 0xFFFFFF) != 0xFFFFFF;
    EXPECT_GT(changed, 20) << "the icon is drawn inside";
    EXPECT_EQ(c->Draw(DVASPECT_ICON, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0), DV_E_DVASPECT);
    SelectObject(dc, old);
    ReleaseDC(nullptr, screen);
}

TEST_F(ControlTest, PropertyBrowsingOffersModesZeroAndOne) {
    auto c = sited(false);
    CALPOLESTR strings{};
    CADWORD cookies{};
    ASSERT_EQ(c->GetPredefinedStrings(0x22, &strings, &cookies), S_OK);
    ASSERT_EQ(strings.cElems, 2u);
    EXPECT_STREQ(strings.pElems[0], L"0 - None");
    EXPECT_STREQ(strings.pElems[1], L"1 - On Load");
    EXPECT_EQ(cookies.pElems[1], 1u);
    for (ULONG i = 0; i < strings.cElems; ++i) CoTaskMemFree(strings.pElems[i]);
    CoTaskMemFree(strings.pElems);
    CoTaskMemFree(cookies.pElems);
    EXPECT_EQ(c->GetPredefinedStrings(0x25, &strings, &cookies), E_INVALIDARG);

    com::Variant v;
    EXPECT_EQ(c->GetPredefinedValue(0x22, 1, v.put()), S_OK);
    EXPECT_EQ(V_VT(&v.get()), VT_I4);
    EXPECT_EQ(V_I4(&v.get()), 1);
    EXPECT_EQ(c->GetPredefinedValue(0x22, 2, v.put()), E_INVALIDARG);
    EXPECT_EQ(c->GetPredefinedValue(0x25, 0, v.put()), S_OK);
    EXPECT_EQ(V_VT(&v.get()), VT_EMPTY);

    c->put_VerifyMode(orvOnLoad);
    const std::pair<DISPID, const wchar_t*> shown[] = {{0x22, L"1 - On Load"},
                                                       {0x24, L"Click here to select files -->"},
                                                       {0x25, L"Click here to select Path Filter --->"},
                                                       {0x26, L"Click here to select File Filter --->"}};
    for (const auto& [id, text] : shown) {
        BSTR s = nullptr;
        EXPECT_EQ(c->GetDisplayString(id, &s), S_OK) << id;
        EXPECT_EQ(com::Bstr::attach(s).view(), text);
    }
    BSTR none = nullptr;
    EXPECT_EQ(c->GetDisplayString(0x27, &none), S_FALSE);
    EXPECT_EQ(none, nullptr);
    CLSID page{};
    EXPECT_EQ(c->MapPropertyToPage(0x26, &page), S_OK);
    EXPECT_EQ(page, CLSID_OrvanePropPage);
    EXPECT_EQ(c->MapPropertyToPage(0x22, &page), E_INVALIDARG);
    EXPECT_EQ(page, CLSID_NULL);
}
