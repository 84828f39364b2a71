// com_module_test.cpp
// Module lifetime and the class factory, through the exports of a real
// server DLL built from the plumbing.
#include <gtest/gtest.h>

#include "common/com/module.h"
#include "common/com/ptr.h"
#include "common/com/variant.h"
#include "comtest.h"
#include "server_dll.h"

using com::ComPtr;

namespace {

class Server : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dll().loaded()) << "comtest_server.dll must lie beside the test program";
        ASSERT_EQ(dll().canUnloadNow(), S_OK) << "an earlier test left objects alive";
    }
    static const ServerDll& dll() { return serverDll(); }
    ComPtr<IClassFactory> factory(REFCLSID clsid = CLSID_Counter) {
        ComPtr<IClassFactory> f;
        EXPECT_EQ(dll().getClassObject(clsid, IID_IClassFactory, f.putVoid()), S_OK);
        return f;
    }
};

} // namespace

TEST_F(Server, ModuleIsTheDllNotTheProgram) {
    ASSERT_NE(dll().modulePath, nullptr);
    char path[MAX_PATH * 2] = {};
    ASSERT_GT(dll().modulePath(path, sizeof path), 0);
    EXPECT_EQ(lstrcmpiA(path, dll().path().c_str()), 0);
    EXPECT_EQ(com::moduleHandle(), GetModuleHandleA(nullptr)) << "in the test program, the program";
}

TEST_F(Server, ClassObjectsForListedClassesOnly) {
    EXPECT_TRUE(factory());
    EXPECT_TRUE(factory(kClsidTestControl));

    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(dll().getClassObject(IID_ICounter, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(dll().getClassObject(CLSID_Counter, IID_IClassFactory, nullptr), E_POINTER);
    ComPtr<IUnknown> unk;
    EXPECT_EQ(dll().getClassObject(CLSID_Counter, IID_IDispatch, unk.putVoid()), E_NOINTERFACE);
}

TEST_F(Server, FactoryMakesWorkingObjectsAndRefusesAggregation) {
    ComPtr<IClassFactory> f = factory();
    ASSERT_TRUE(f);
    ComPtr<ICounter> counter;
    ASSERT_EQ(f->CreateInstance(nullptr, IID_ICounter, counter.putVoid()), S_OK);
    LONG total = 0;
    EXPECT_EQ(counter->Add(2, &total), S_OK);
    EXPECT_EQ(total, 2);

    // Late-bound, through the type library embedded in the DLL.
    ComPtr<IDispatch> disp = counter.as<IDispatch>();
    LPOLESTR name = const_cast<LPOLESTR>(L"Add");
    DISPID id = 0;
    ASSERT_EQ(disp->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), S_OK);
    VARIANT arg = com::argLong(40);
    DISPPARAMS params{&arg, nullptr, 1, 0};
    com::Variant result;
    ASSERT_EQ(disp->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, result.put(), nullptr, nullptr), S_OK);
    EXPECT_EQ(result.get().lVal, 42);

    ComPtr<IUnknown> aggregated;
    EXPECT_EQ(f->CreateInstance(counter.get(), IID_IUnknown, aggregated.putVoid()), CLASS_E_NOAGGREGATION);
    EXPECT_FALSE(aggregated);
    EXPECT_EQ(f->CreateInstance(nullptr, IID_IClassFactory, aggregated.putVoid()), E_NOINTERFACE);
}

TEST_F(Server, CanUnloadOnlyWithoutObjectsOrLocks) {
    ComPtr<IClassFactory> f = factory();
    EXPECT_EQ(dll().canUnloadNow(), S_FALSE) << "a factory in a client's hands";
    ComPtr<IUnknown> object;
    ASSERT_EQ(f->CreateInstance(nullptr, IID_IUnknown, object.putVoid()), S_OK);
    f->LockServer(TRUE);
    f = nullptr;
    EXPECT_EQ(dll().canUnloadNow(), S_FALSE);
    object = nullptr;
    EXPECT_EQ(dll().canUnloadNow(), S_FALSE) << "locked";

    f = factory();
    f->LockServer(FALSE);
    f = nullptr;
    EXPECT_EQ(dll().canUnloadNow(), S_OK);

    // An unbalanced unlock must not drive the count below zero, where a
    // later lock would no longer hold the module.
    f = factory();
    f->LockServer(FALSE);
    f->LockServer(TRUE);
    f = nullptr;
    EXPECT_EQ(dll().canUnloadNow(), S_FALSE);
    f = factory();
    f->LockServer(FALSE);
    f = nullptr;
    EXPECT_EQ(dll().canUnloadNow(), S_OK);
}
