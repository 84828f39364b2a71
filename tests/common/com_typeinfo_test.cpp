// com_typeinfo_test.cpp
// Late-bound calls through the type library embedded in this program, and
// the class information a host asks for.
#include <gtest/gtest.h>

#include <vector>

#include "common/com/bstr.h"
#include "common/com/dispatch_call.h"
#include "common/com/errors.h"
#include "common/com/typeinfo.h"
#include "common/com/variant.h"
#include "counter.h"

using com::ComPtr;
using com::Variant;

namespace {

class LateBound : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_disp = com::make<comtest::CounterObject>().as<IDispatch>()); }

    DISPID id(const wchar_t* name) {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        DISPID result = DISPID_UNKNOWN;
        EXPECT_EQ(m_disp->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &result), S_OK) << name;
        return result;
    }
    // args first to last, as a script writes them.
    HRESULT call(DISPID member, WORD flags, std::vector<VARIANT> args, VARIANT* result = nullptr) {
        return com::callByDispid(m_disp.get(), member, flags, args.data(), args.size(), result, nullptr);
    }

    ComPtr<IDispatch> m_disp;
};

} // namespace

TEST_F(LateBound, PropertiesAndMethodsByNameAndByDispid) {
    EXPECT_EQ(id(L"Value"), 1);
    EXPECT_EQ(id(L"add"), 2) << "names match without regard to case";

    ASSERT_EQ(call(1, DISPATCH_PROPERTYPUT, {com::argLong(5)}), S_OK);
    Variant result;
    ASSERT_EQ(call(id(L"Value"), DISPATCH_PROPERTYGET, {}, result.put()), S_OK);
    EXPECT_EQ(result.type(), VT_I4);
    EXPECT_EQ(result.get().lVal, 5);

    // The type library coerces a text argument to the declared long.
    Variant four = Variant::fromAnsi("4");
    ASSERT_EQ(call(id(L"Add"), DISPATCH_METHOD, {four.get()}, result.put()), S_OK);
    EXPECT_EQ(result.get().lVal, 9);

    Variant name = Variant::fromAnsi("Fr\xE9" "d");
    ASSERT_EQ(call(id(L"Name"), DISPATCH_PROPERTYPUT, {name.get()}), S_OK);
    ASSERT_EQ(call(3, DISPATCH_PROPERTYGET, {}, result.put()), S_OK);
    std::string back;
    ASSERT_EQ(com::toAnsi(result.get(), back), S_OK);
    EXPECT_EQ(back, "Fr\xE9" "d");
}

TEST_F(LateBound, BadCallsAreRefusedWithTheAutomationCodes) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"NoSuchMember")};
    DISPID out = 0;
    EXPECT_EQ(m_disp->GetIDsOfNames(IID_NULL, names, 1, 0, &out), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(m_disp->GetIDsOfNames(IID_ICounter, names, 1, 0, &out), DISP_E_UNKNOWNINTERFACE);

    DISPPARAMS none{nullptr, nullptr, 0, 0};
    EXPECT_EQ(m_disp->Invoke(1, IID_ICounter, 0, DISPATCH_PROPERTYGET, &none, nullptr, nullptr, nullptr),
              DISP_E_UNKNOWNINTERFACE);
    EXPECT_EQ(call(2, DISPATCH_METHOD, {}), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(call(77, DISPATCH_METHOD, {}), DISP_E_MEMBERNOTFOUND);
    Variant text = Variant::fromAnsi("x");
    EXPECT_EQ(call(2, DISPATCH_METHOD, {text.get()}), DISP_E_TYPEMISMATCH);
}

TEST(TypeInfoCache, LoadsOnceAndAnswersEveryKindOfType) {
    ComPtr<ITypeInfo> a, b, coclass, events;
    ASSERT_EQ(com::typeInfos().get(IID_ICounter, a.put()), S_OK);
    ASSERT_EQ(com::typeInfos().get(IID_ICounter, b.put()), S_OK);
    EXPECT_EQ(a, b) << "cached, not looked up again";
    EXPECT_EQ(com::typeInfos().get(CLSID_Counter, coclass.put()), S_OK);
    EXPECT_EQ(com::typeInfos().get(DIID__CounterEvents, events.put()), S_OK);

    const GUID unknown = {0x12345678, 0, 0, {0, 0, 0, 0, 0, 0, 0, 1}};
    ComPtr<ITypeInfo> none;
    EXPECT_EQ(com::typeInfos().get(unknown, none.put()), TYPE_E_ELEMENTNOTFOUND);
    EXPECT_FALSE(none);
    EXPECT_EQ(com::typeInfos().get(IID_ICounter, nullptr), E_POINTER);

    ComPtr<ITypeLib> lib;
    ASSERT_EQ(com::typeInfos().library(lib.put()), S_OK);
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(lib->GetLibAttr(&attr), S_OK);
    EXPECT_EQ(attr->guid, LIBID_ComTestLib);
    EXPECT_EQ(attr->wMajorVerNum, 1);
    EXPECT_EQ(attr->wMinorVerNum, 2);
    lib->ReleaseTLibAttr(attr);

    com::typeInfos().clear();
    ComPtr<ITypeInfo> again;
    EXPECT_EQ(com::typeInfos().get(IID_ICounter, again.put()), S_OK) << "reloads after clear";
}

TEST(ProvideClassInfo2, GivesTheCoclassAndItsDefaultSource) {
    auto info = com::make<comtest::CounterObject>().as<IProvideClassInfo2>();
    ASSERT_TRUE(info);
    ComPtr<ITypeInfo> ti;
    ASSERT_EQ(info->GetClassInfo(ti.put()), S_OK);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(ti->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_COCLASS);
    EXPECT_EQ(attr->guid, CLSID_Counter);
    ti->ReleaseTypeAttr(attr);

    GUID source = GUID_NULL;
    ASSERT_EQ(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source), S_OK);
    EXPECT_EQ(source, DIID__CounterEvents);
    EXPECT_EQ(info->GetGUID(99, &source), E_INVALIDARG);
    EXPECT_EQ(source, GUID_NULL);
    EXPECT_EQ(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, nullptr), E_POINTER);
}

// The shared late-bound call: arguments go in first to last, the object's
// report comes back in EXCEPINFO, and a missing object is refused.
TEST_F(LateBound, SharedCallKeepsArgumentOrderAndReportsTheObjectsError) {
    const HRESULT code = com::controlError(602);
    Variant text = Variant::fromAnsi("Second argument.");
    VARIANT args[2] = {com::argLong(code), text.get()};
    EXCEPINFO ex{};
    EXPECT_EQ(com::callByDispid(m_disp.get(), 4, DISPATCH_METHOD, args, 2, nullptr, &ex), DISP_E_EXCEPTION);
    EXPECT_EQ(ex.scode, code) << "the first argument is the result code";
    EXPECT_EQ(com::bstrView(ex.bstrDescription), L"Second argument.");
    SysFreeString(ex.bstrSource);
    SysFreeString(ex.bstrDescription);
    SysFreeString(ex.bstrHelpFile);

    Variant untouched;
    EXPECT_EQ(com::callByDispid(nullptr, 1, DISPATCH_PROPERTYGET, nullptr, 0, untouched.put(), nullptr), E_POINTER);
    EXPECT_EQ(untouched.type(), VT_EMPTY);
}
