// events_test.cpp
// The event constants the build writes from the idl agree with the type
// library widl compiles from it: every method of each event interface is
// there, with its dispatch identifier, name and argument count.
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
