// typelib_test.cpp
// The type library embedded in orvane36.ocx, read back through ITypeLib
// and ITypeInfo as hosts read it: IOrvane's members, DISPIDs and vtable
// order, the events, the launch modes and the classes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/com/bstr.h"
#include "common/com/ptr.h"
#include "ocx_test.h"
#include "orvane36.h"

namespace {

struct Member {
    std::wstring name;
    MEMBERID id;
    INVOKEKIND kind;
    short vtableOffset;
    std::vector<VARTYPE> params;   // by-reference parameters read VT_PTR
    std::vector<USHORT> paramFlags;
};

class OrvaneLib : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(ocx_test::gOcxPath.empty());
        ASSERT_EQ(LoadTypeLibEx(com::toWide(ocx_test::gOcxPath).c_str(), REGKIND_NONE, lib.put()), S_OK);
    }

    com::ComPtr<ITypeInfo> type(REFGUID guid) {
        com::ComPtr<ITypeInfo> t;
        EXPECT_EQ(lib->GetTypeInfoOfGuid(guid, t.put()), S_OK);
        return t;
    }

    // The vtable interface behind a dual interface's dispatch type.
    com::ComPtr<ITypeInfo> vtableOf(ITypeInfo* dispatch) {
        HREFTYPE ref = 0;
        com::ComPtr<ITypeInfo> t;
        EXPECT_EQ(dispatch->GetRefTypeOfImplType(-1, &ref), S_OK);
        EXPECT_EQ(dispatch->GetRefTypeInfo(ref, t.put()), S_OK);
        return t;
    }

    static std::vector<Member> members(ITypeInfo* t) {
        TYPEATTR* attr = nullptr;
        EXPECT_EQ(t->GetTypeAttr(&attr), S_OK);
        const UINT count = attr ? attr->cFuncs : 0;
        if (attr) t->ReleaseTypeAttr(attr);
        std::vector<Member> result;
        for (UINT i = 0; i < count; ++i) {
            FUNCDESC* f = nullptr;
            if (FAILED(t->GetFuncDesc(i, &f))) continue;
            Member m;
            m.id = f->memid;
            m.kind = f->invkind;
            m.vtableOffset = f->oVft;
            for (SHORT p = 0; p < f->cParams; ++p) {
                m.params.push_back(f->lprgelemdescParam[p].tdesc.vt);
                m.paramFlags.push_back(f->lprgelemdescParam[p].paramdesc.wParamFlags);
            }
            com::Bstr name;
            t->GetDocumentation(f->memid, name.put(), nullptr, nullptr, nullptr);
            m.name = name.view();
            t->ReleaseFuncDesc(f);
            result.push_back(std::move(m));
        }
        return result;
    }

    static TYPEKIND kindOf(ITypeInfo* t, WORD* flags = nullptr, WORD* implTypes = nullptr) {
        TYPEATTR* attr = nullptr;
        if (FAILED(t->GetTypeAttr(&attr))) return TKIND_MAX;
        const TYPEKIND kind = attr->typekind;
        if (flags) *flags = attr->wTypeFlags;
        if (implTypes) *implTypes = attr->cImplTypes;
        t->ReleaseTypeAttr(attr);
        return kind;
    }

    com::ComPtr<ITypeLib> lib;
};

} // namespace

TEST_F(OrvaneLib, LibraryNameAndVersion) {
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(lib->GetLibAttr(&attr), S_OK);
    EXPECT_EQ(attr->guid, LIBID_orvane36Lib);
    EXPECT_EQ(attr->wMajorVerNum, 6);
    EXPECT_EQ(attr->wMinorVerNum, 0);
    lib->ReleaseTLibAttr(attr);
}

TEST_F(OrvaneLib, IOrvaneHas65MembersInVtableOrder) {
    com::ComPtr<ITypeInfo> dispatch = type(IID_IOrvane);
    ASSERT_TRUE(dispatch);
    WORD flags = 0;
    EXPECT_EQ(kindOf(dispatch.get(), &flags), TKIND_DISPATCH);
    EXPECT_TRUE(flags & TYPEFLAG_FDUAL);
    com::ComPtr<ITypeInfo> vtable = vtableOf(dispatch.get());
    ASSERT_TRUE(vtable);
    const std::vector<Member> all = members(vtable.get());
    ASSERT_EQ(all.size(), 65u);

    // Each member takes the next slot after IDispatch's seven.
    for (size_t i = 0; i < all.size(); ++i)
        EXPECT_EQ(all[i].vtableOffset, static_cast<short>((7 + i) * sizeof(void*))) << i;
    for (const Member& m : all) EXPECT_NE(m.id, 0x15) << "DISPID 0x15 is not used";

    struct Spot {
        size_t index;
        const wchar_t* name;
        MEMBERID id;
        INVOKEKIND kind;
    };
    const Spot spots[] = {
        {0, L"RefVersion", 0x01, INVOKE_PROPERTYGET},
        {9, L"FoundVersionBuffer", 0x0A, INVOKE_PROPERTYGET},
        {12, L"VerifyFile", 0x0C, INVOKE_PROPERTYPUT},
        {25, L"OtherFile", 0x16, INVOKE_FUNC},
        {33, L"VerifyObjectFile", 0x1E, INVOKE_FUNC},
        {37, L"VerifyMode", 0x22, INVOKE_PROPERTYGET},
        {38, L"VerifyMode", 0x22, INVOKE_PROPERTYPUT},
        {43, L"PathFilter", 0x25, INVOKE_PROPERTYPUT},   // put before get
        {44, L"PathFilter", 0x25, INVOKE_PROPERTYGET},
        {50, L"OtherPaths", 0x28, INVOKE_PROPERTYGET},
        {57, L"VerifyObjectFile2", 0x2F, INVOKE_FUNC},
        {62, L"ResetVerifyMethod", 0x32, INVOKE_FUNC},
        {63, L"PathRefFileName", 0x33, INVOKE_PROPERTYGET},
        {64, L"AboutBox", -552, INVOKE_FUNC},
    };
    for (const Spot& s : spots) {
        EXPECT_EQ(all[s.index].name, s.name) << s.index;
        EXPECT_EQ(all[s.index].id, s.id) << s.name;
        EXPECT_EQ(all[s.index].kind, s.kind) << s.name;
    }
}

TEST_F(OrvaneLib, IOrvaneArgumentTypes) {
    com::ComPtr<ITypeInfo> vtable = vtableOf(type(IID_IOrvane).get());
    ASSERT_TRUE(vtable);
    const std::vector<Member> all = members(vtable.get());
    ASSERT_EQ(all.size(), 65u);

    // OtherFile(Index int16) returns text.
    EXPECT_EQ(all[25].params, (std::vector<VARTYPE>{VT_I2, VT_PTR}));
    EXPECT_EQ(all[25].paramFlags[1], PARAMFLAG_FOUT | PARAMFLAG_FRETVAL);

    // VerifyObjectFile: nine arguments, then Day, Hr, Min, Sec optional.
    const Member& verify = all[33];
    ASSERT_EQ(verify.params.size(), 13u);
    EXPECT_EQ(verify.params[0], VT_BSTR);
    EXPECT_EQ(verify.params[3], VT_I2) << "Path is 16-bit here";
    for (size_t i = 9; i < 13; ++i) EXPECT_TRUE(verify.paramFlags[i] & PARAMFLAG_FOPT) << i;
    EXPECT_FALSE(verify.paramFlags[8] & PARAMFLAG_FOPT);
    EXPECT_EQ(all[57].params.size(), 16u) << "VerifyObjectFile2";

    // FoundVersionBuffer returns a byte array.
    FUNCDESC* f = nullptr;
    ASSERT_EQ(vtable->GetFuncDesc(9, &f), S_OK);
    const TYPEDESC& ret = f->lprgelemdescParam[0].tdesc;
    ASSERT_EQ(ret.vt, VT_PTR);
    EXPECT_EQ(ret.lptdesc->vt, VT_SAFEARRAY);
    EXPECT_EQ(ret.lptdesc->lptdesc->vt, VT_UI1);
    vtable->ReleaseFuncDesc(f);
}

TEST_F(OrvaneLib, EventInterfacesTakeEveryArgumentByReference) {
    for (REFGUID guid : {static_cast<const GUID&>(DIID__OrvaneEvents), static_cast<const GUID&>(IID_IEventSink)}) {
        com::ComPtr<ITypeInfo> t = type(guid);
        ASSERT_TRUE(t);
        EXPECT_EQ(kindOf(t.get()), TKIND_DISPATCH);
        const std::vector<Member> events = members(t.get());
        std::vector<Member> own;
        for (const Member& m : events)
            if (m.id >= 1 && m.id <= 3) own.push_back(m);
        ASSERT_EQ(own.size(), 3u);
        EXPECT_EQ(own[0].name, L"FileConflict");
        EXPECT_EQ(own[1].name, L"FileScan");
        EXPECT_EQ(own[2].name, L"EnumComplete");
        EXPECT_EQ(own[0].params, (std::vector<VARTYPE>(4, VT_PTR)));
        EXPECT_EQ(own[1].params, (std::vector<VARTYPE>(4, VT_PTR)));
        EXPECT_TRUE(own[2].params.empty());
        for (USHORT flags : own[0].paramFlags) EXPECT_EQ(flags, PARAMFLAG_FIN | PARAMFLAG_FOUT);
    }
    WORD flags = 0;
    kindOf(type(IID_IEventSink).get(), &flags);
    EXPECT_TRUE(flags & TYPEFLAG_FDUAL);
}

TEST_F(OrvaneLib, VerifyModeConstants) {
    com::ComPtr<ITypeInfo> found;
    MEMBERID id = 0;
    USHORT count = 1;
    std::wstring name = L"VerifyModeConstants";
    ASSERT_EQ(lib->FindName(name.data(), 0, found.put(), &id, &count), S_OK);
    ASSERT_EQ(count, 1);
    ASSERT_EQ(kindOf(found.get()), TKIND_ENUM);
    const std::pair<const wchar_t*, LONG> expected[] = {
        {L"orvNone", 0}, {L"orvOnLoad", 1}, {L"orvManualVerify", 2}, {L"orvManualScan", 3}};
    for (UINT i = 0; i < 4; ++i) {
        VARDESC* v = nullptr;
        ASSERT_EQ(found->GetVarDesc(i, &v), S_OK);
        com::Bstr varName;
        found->GetDocumentation(v->memid, varName.put(), nullptr, nullptr, nullptr);
        EXPECT_EQ(varName.view(), expected[i].first);
        EXPECT_EQ(V_I4(v->lpvarValue), expected[i].second);
        found->ReleaseVarDesc(v);
    }
    com::ComPtr<ITypeInfo> alias;
    name = L"enumVerifyMode";
    count = 1;
    ASSERT_EQ(lib->FindName(name.data(), 0, alias.put(), &id, &count), S_OK);
    EXPECT_EQ(kindOf(alias.get()), TKIND_ALIAS);
}

TEST_F(OrvaneLib, TheClasses) {
    com::ComPtr<ITypeInfo> control = type(CLSID_Orvane);
    ASSERT_TRUE(control);
    WORD flags = 0, implTypes = 0;
    EXPECT_EQ(kindOf(control.get(), &flags, &implTypes), TKIND_COCLASS);
    EXPECT_TRUE(flags & TYPEFLAG_FCONTROL);
    ASSERT_EQ(implTypes, 2);
    bool defaultInterface = false, defaultSource = false;
    for (UINT i = 0; i < implTypes; ++i) {
        INT implFlags = 0;
        HREFTYPE ref = 0;
        com::ComPtr<ITypeInfo> impl;
        ASSERT_EQ(control->GetImplTypeFlags(i, &implFlags), S_OK);
        ASSERT_EQ(control->GetRefTypeOfImplType(i, &ref), S_OK);
        ASSERT_EQ(control->GetRefTypeInfo(ref, impl.put()), S_OK);
        TYPEATTR* attr = nullptr;
        ASSERT_EQ(impl->GetTypeAttr(&attr), S_OK);
        if (implFlags == IMPLTYPEFLAG_FDEFAULT) defaultInterface = attr->guid == IID_IOrvane;
        if (implFlags == (IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE)) defaultSource = attr->guid == DIID__OrvaneEvents;
        impl->ReleaseTypeAttr(attr);
    }
    EXPECT_TRUE(defaultInterface);
    EXPECT_TRUE(defaultSource);

    for (REFGUID clsid : {static_cast<const GUID&>(CLSID_OrvanePropPage), static_cast<const GUID&>(CLSID_EventSink),
                          static_cast<const GUID&>(CLSID_BlobSave)}) {
        com::ComPtr<ITypeInfo> t = type(clsid);
        ASSERT_TRUE(t);
        EXPECT_EQ(kindOf(t.get()), TKIND_COCLASS);
    }
    com::ComPtr<ITypeInfo> blob = type(IID_IBlobSave);
    ASSERT_TRUE(blob);
    EXPECT_TRUE(members(blob.get()).empty()) << "IBlobSave has no members of its own";
}
