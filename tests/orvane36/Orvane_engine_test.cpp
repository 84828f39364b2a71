// Orvane_engine_test.cpp
// Runs through the real scan engine: the control hands it its list, the
// engine's events reach the host through the control, and a run the
// engine refuses comes back to the host as the engine's error.
#include "Orvane.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "control_host.h"

using namespace ocx_test;
using Control = orvane36::Orvane;

namespace ocx_test {
extern std::string gEnginePath;
}

namespace {

// The built engine's class object, registered for the test's lifetime.
class RealEngine : public ::testing::Test {
protected:
    void SetUp() override {
        if (gEnginePath.empty()) GTEST_SKIP() << "the scan engine was not built";
        HMODULE module = LoadLibraryA(gEnginePath.c_str());
        ASSERT_TRUE(module);
        using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
        auto getClassObject =
            reinterpret_cast<GetClassObjectFn>(reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
        ASSERT_TRUE(getClassObject);
        com::ComPtr<IClassFactory> factory;
        ASSERT_EQ(getClassObject(CLSID_OrvaneScan, IID_IClassFactory, factory.putVoid()), S_OK);
        ASSERT_EQ(CoRegisterClassObject(CLSID_OrvaneScan, factory.get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                        &m_registration),
                  S_OK);
    }
    void TearDown() override {
        if (m_registration) CoRevokeClassObject(m_registration);
    }

    // A control on the real engine, sited in run mode, listing the files.
    static com::ComPtr<Control> sitedWithList(std::initializer_list<const char*> entryNames) {
        com::ComPtr<Control> c = com::make<Control>();
        auto site = com::make<TestSite>();
        c->SetClientSite(site.get());
        c->InitNew();
        orvane36::FileList list;
        for (const char* name : entryNames) {
            list.emplace_back();
            list.back().entryName = name;
        }
        c->fileList() = list;
        return c;
    }

private:
    DWORD m_registration = 0;
};

} // namespace

TEST_F(RealEngine, VerifyingAListRaisesConflictsAndEnumComplete) {
    com::ComPtr<Control> c = sitedWithList({"no_such_component_4711.dll"});
    ASSERT_TRUE(c->binding().engine());
    ASSERT_NE(c->binding().cookie(), 0u) << "advised on the real engine";
    auto host = com::make<HostSink>();
    DWORD cookie = 0;
    c->connectionPoint<_OrvaneEvents>().Advise(host->identity(), &cookie);
    IDispatch* d = static_cast<IOrvane*>(c.get());
    EXPECT_EQ(putProp(d, 0x22, com::argLong(2)).hr, S_OK);
    ASSERT_FALSE(host->calls.empty());
    EXPECT_EQ(host->calls.back().id, 3) << "EnumComplete ends the run";
    for (const HostCall& call : host->calls) {
        if (call.id == 1) {
            EXPECT_NE(call.referenceFile.find(L"no_such_component_4711.dll"), std::wstring::npos);
        }
    }
    EXPECT_EQ(V_I4(&getProp(d, 0x22).value.get()), 0);
    c->SetClientSite(nullptr);
}

TEST_F(RealEngine, ARunAskedForInsideARunningCheckReportsTheRefusal) {
    com::ComPtr<Control> c = sitedWithList({"no_such_component_4712.dll"});
    ASSERT_TRUE(c->binding().engine());
    IDispatch* d = static_cast<IOrvane*>(c.get());

    // From the conflict's handler: both manual runs and both file puts.
    std::vector<CallResult> inside;
    auto host = com::make<HostSink>();
    host->onEvent = [&](DISPID id, DISPPARAMS&) {
        if (id != 1 || !inside.empty()) return;
        inside.push_back(putProp(d, 0x22, com::argLong(2)));
        inside.push_back(putProp(d, 0x22, com::argLong(3)));
        inside.push_back(putProp(d, 0x0C, vBstr(L"C:\\absent.exe")));
        inside.push_back(putProp(d, 0x0D, vBstr(L"C:\\absent.exe")));
    };
    DWORD cookie = 0;
    c->connectionPoint<_OrvaneEvents>().Advise(host->identity(), &cookie);
    EXPECT_EQ(putProp(d, 0x0C, vBstr(L"C:\\absent.exe")).scode, com::controlError(53)) << "no such program";
    EXPECT_TRUE(inside.empty());

    EXPECT_EQ(putProp(d, 0x22, com::argLong(2)).hr, S_OK) << "the run itself went well";
    ASSERT_EQ(inside.size(), 4u);
    for (size_t i = 0; i < inside.size(); ++i) {
        EXPECT_EQ(inside[i].hr, DISP_E_EXCEPTION) << i;
        EXPECT_EQ(inside[i].scode, com::controlError(601)) << i;
        EXPECT_EQ(inside[i].description, L"Invalid operating during file verification or scan.") << i;
    }
    c->SetClientSite(nullptr);
}

TEST_F(RealEngine, ARefusedRunLeavesTheRunningModeAsItWas) {
    for (const LONG mode : {2L, 3L}) {
        com::ComPtr<Control> c = sitedWithList({"no_such_component_4713.dll", "no_such_component_4714.dll"});
        ASSERT_TRUE(c->binding().engine());
        IDispatch* d = static_cast<IOrvane*>(c.get());
        auto readMode = [&] { return V_I4(&getProp(d, 0x22).value.get()); };

        // The first event asks for a file verification, the second for a
        // manual scan; the mode is read after each refusal and at every event.
        std::vector<HRESULT> refusals;
        std::vector<std::pair<DISPID, LONG>> seen;
        auto host = com::make<HostSink>();
        host->onEvent = [&](DISPID id, DISPPARAMS&) {
            if (id != 3 && refusals.size() < 2) {
                refusals.push_back(refusals.empty() ? putProp(d, 0x0C, vBstr(L"C:\\absent.exe")).scode
                                                    : putProp(d, 0x22, com::argLong(3)).scode);
                seen.emplace_back(-1, readMode());
            }
            seen.emplace_back(id, readMode());
        };
        DWORD cookie = 0;
        c->connectionPoint<_OrvaneEvents>().Advise(host->identity(), &cookie);
        EXPECT_EQ(putProp(d, 0x22, com::argLong(mode)).hr, S_OK) << mode;

        const DISPID each = mode == 2 ? 1 : 2;
        EXPECT_EQ(refusals, (std::vector<HRESULT>{com::controlError(601), com::controlError(601)})) << mode;
        EXPECT_EQ(seen, (std::vector<std::pair<DISPID, LONG>>{
                            {-1, mode}, {each, mode}, {-1, mode}, {each, mode}, {3, mode}}))
            << mode;
        EXPECT_EQ(readMode(), 0) << mode;
        c->SetClientSite(nullptr);
    }
}
