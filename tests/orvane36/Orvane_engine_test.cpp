// Orvane_engine_test.cpp
// One run through the real scan engine: the control hands it its list and
// the engine's events reach the host through the control.
#include "Orvane.h"

#include <gtest/gtest.h>

#include "control_host.h"

using namespace ocx_test;
using Control = orvane36::Orvane;

namespace ocx_test {
extern std::string gEnginePath;
}

TEST(RealEngine, VerifyingAListRaisesConflictsAndEnumComplete) {
    if (gEnginePath.empty()) GTEST_SKIP() << "the scan engine was not built";
    HMODULE module = LoadLibraryA(gEnginePath.c_str());
    ASSERT_TRUE(module);
    using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    auto getClassObject =
        reinterpret_cast<GetClassObjectFn>(reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    ASSERT_TRUE(getClassObject);
    com::ComPtr<IClassFactory> factory;
    ASSERT_EQ(getClassObject(CLSID_OrvaneScan, IID_IClassFactory, factory.putVoid()), S_OK);
    DWORD registration = 0;
    ASSERT_EQ(CoRegisterClassObject(CLSID_OrvaneScan, factory.get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                    &registration),
              S_OK);
    {
        com::ComPtr<Control> c = com::make<Control>();
        ASSERT_TRUE(c->binding().engine());
        auto site = com::make<TestSite>();
        c->SetClientSite(site.get());
        c->InitNew();
        ASSERT_NE(c->binding().cookie(), 0u) << "advised on the real engine";
        auto host = com::make<HostSink>();
        DWORD cookie = 0;
        c->connectionPoint<_OrvaneEvents>().Advise(host->identity(), &cookie);
        orvane36::FileList list(1);
        list[0].entryName = "no_such_component_4711.dll";
        c->fileList() = list;
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
    CoRevokeClassObject(registration);
}
