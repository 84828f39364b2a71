// events_test.cpp
// The event constants the build writes from the idl agree with the type
// library widl compiles from it: every method of each event interface is
// there, with its dispatch identifier, name and argument count. And the
// FTP client's PassiveMode put takes its Boolean by reference, as the
// class is described to late-bound callers.
#include <gtest/gtest.h>

#include <span>
#include <string>

#include "events.h"
#include "fixture.h"

using com::ComPtr;
namespace events = sockloom::events;

namespace {

void expectSame(REFIID iid, std::span<const events::Event> all) {
    ComPtr<ITypeInfo> type;
    ASSERT_EQ(com::typeInfos().get(iid, type.put()), S_OK);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(type->GetTypeAttr(&attr), S_OK);
    const UINT methods = attr->cFuncs;
    type->ReleaseTypeAttr(attr);
    ASSERT_EQ(methods, all.size());
    for (UINT i = 0; i < methods; ++i) {
        FUNCDESC* f = nullptr;
        ASSERT_EQ(type->GetFuncDesc(i, &f), S_OK);
        const DISPID id = f->memid;
        const UINT arguments = static_cast<UINT>(f->cParams);
        type->ReleaseFuncDesc(f);
        com::Bstr name;
        ASSERT_EQ(type->GetDocumentation(id, name.put(), nullptr, nullptr, nullptr), S_OK);
        const events::Event& e = all[i];
        EXPECT_EQ(e.id, id) << i;
        EXPECT_EQ(std::wstring(e.name), std::wstring(name.view())) << i;
        EXPECT_EQ(e.arguments, arguments) << i;
    }
}

}  // namespace

TEST(Events, TheConstantsMatchTheTypeLibrary) {
    expectSame(DIID___zkSockets, events::zkSockets::all);
    expectSame(DIID___zkTCP, events::zkTCP::all);
    expectSame(DIID___zkUDP, events::zkUDP::all);
    expectSame(DIID___zkHTTP10, events::zkHTTP10::all);
    expectSame(DIID___zkFTPclient, events::zkFTPclient::all);
}

TEST(TypeLibrary, PassiveModeIsPutByReference) {
    ComPtr<ITypeInfo> type;
    ASSERT_EQ(com::typeInfos().get(IID__zkFTPclient, type.put()), S_OK);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(type->GetTypeAttr(&attr), S_OK);
    const UINT methods = attr->cFuncs;
    type->ReleaseTypeAttr(attr);
    bool found = false;
    for (UINT i = 0; i < methods; ++i) {
        FUNCDESC* f = nullptr;
        ASSERT_EQ(type->GetFuncDesc(i, &f), S_OK);
        com::Bstr name;
        type->GetDocumentation(f->memid, name.put(), nullptr, nullptr, nullptr);
        if (f->invkind == INVOKE_PROPERTYPUT && std::wstring(name.view()) == L"PassiveMode") {
            found = true;
            ASSERT_EQ(f->cParams, 1);
            const TYPEDESC& t = f->lprgelemdescParam[0].tdesc;
            ASSERT_EQ(t.vt, VT_PTR);
            EXPECT_EQ(t.lptdesc->vt, VT_BOOL);
        }
        type->ReleaseFuncDesc(f);
    }
    EXPECT_TRUE(found);
}
