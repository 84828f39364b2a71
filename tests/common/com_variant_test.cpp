// com_variant_test.cpp
// VARIANT and SAFEARRAY owners and the conversions of incoming arguments.
#include <gtest/gtest.h>

#include <vector>

#include "common/com/safearray.h"
#include "common/com/variant.h"
#include "counter.h"
#include "malloc_spy.h"

using com::Variant;

namespace {

VARIANT raw(VARTYPE vt) {
    VARIANT v;
    VariantInit(&v);
    v.vt = vt;
    return v;
}

} // namespace

TEST(Variant, ConversionsFollowAutomationRulesAndReferences) {
    LONG n = 0;
    EXPECT_EQ(com::toLong(Variant::fromAnsi("42").get(), n), S_OK);
    EXPECT_EQ(n, 42);

    LONG target = 7;
    VARIANT byRef = com::refLong(&target);
    EXPECT_EQ(com::toLong(byRef, n), S_OK);
    EXPECT_EQ(n, 7);

    // A VBScript variable passed by reference: a reference to a VARIANT
    // that holds text.
    Variant inner = Variant::fromAnsi("-3");
    VARIANT outer = com::refVariant(const_cast<VARIANT*>(&inner.get()));
    EXPECT_EQ(com::toLong(outer, n), S_OK);
    EXPECT_EQ(n, -3);

    n = 99;
    EXPECT_EQ(com::toLong(Variant::fromAnsi("abc").get(), n), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(n, 99) << "a failed conversion leaves the output alone";
    SHORT s = 0;
    EXPECT_EQ(com::toShort(Variant::fromLong(70000).get(), s), DISP_E_OVERFLOW);

    bool b = false;
    EXPECT_EQ(com::toBool(Variant::fromLong(-1).get(), b), S_OK);
    EXPECT_TRUE(b);
    EXPECT_EQ(com::toBool(Variant::fromShort(0).get(), b), S_OK);
    EXPECT_FALSE(b);

    std::string text;
    EXPECT_EQ(com::toAnsi(Variant::fromDouble(2.5).get(), text), S_OK);
    EXPECT_EQ(text, "2.5");
    EXPECT_EQ(com::toAnsi(Variant::fromAnsi("caf\xE9").get(), text), S_OK);
    EXPECT_EQ(text, "caf\xE9");
}

TEST(Variant, DerefStopsOnSelfReferenceAndNull) {
    VARIANT self = raw(VT_BYREF | VT_VARIANT);
    self.pvarVal = &self;
    EXPECT_EQ(com::deref(self).vt, VT_BYREF | VT_VARIANT); // no endless loop
    VARIANT dangling = raw(VT_BYREF | VT_VARIANT);
    dangling.pvarVal = nullptr;
    EXPECT_EQ(&com::deref(dangling), &dangling);
}

TEST(Variant, MissingOptionalArguments) {
    EXPECT_TRUE(com::isMissing(Variant::missing().get()));
    Variant m = Variant::missing();
    EXPECT_TRUE(com::isMissing(com::refVariant(const_cast<VARIANT*>(&m.get()))));
    EXPECT_FALSE(com::isMissing(Variant().get())) << "Empty was passed, not left out";
    EXPECT_FALSE(com::isMissing(Variant::fromLong(0).get()));
}

TEST(Variant, CopyFromTakesValuesNotTheCallersReferences) {
    com::Bstr callers = com::Bstr::fromAnsi("before");
    BSTR slot = callers.get();
    Variant kept;
    ASSERT_EQ(kept.copyFrom(com::refBstr(&slot)), S_OK);
    ASSERT_EQ(kept.type(), VT_BSTR);
    callers = com::Bstr::fromAnsi("after"); // the caller's string is gone
    slot = callers.get();
    EXPECT_EQ(com::bstrView(kept.get().bstrVal), L"before");
}

TEST(Variant, ReleaseToHandsTheValueOver) {
    Variant v = Variant::fromAnsi("out");
    EXPECT_EQ(v.releaseTo(nullptr), E_POINTER);
    VARIANT out;
    ASSERT_EQ(v.releaseTo(&out), S_OK);
    EXPECT_EQ(v.type(), VT_EMPTY);
    EXPECT_EQ(out.vt, VT_BSTR);
    VariantClear(&out);
}

TEST(ByteArrays, RoundTripInEveryShapeCallersSend) {
    const std::vector<BYTE> bytes = {0, 1, 0x7F, 0x80, 0xFF};
    Variant v = Variant::fromBytes(bytes);
    EXPECT_EQ(v.type(), VT_ARRAY | VT_UI1);
    EXPECT_TRUE(com::isByteArray(v.get()));
    std::vector<BYTE> back;
    ASSERT_EQ(com::toBytes(v.get(), back), S_OK);
    EXPECT_EQ(back, bytes);

    // By reference, as a script passes its variable.
    SAFEARRAY* array = v.get().parray;
    VARIANT ref = raw(VT_BYREF | VT_ARRAY | VT_UI1);
    ref.pparray = &array;
    ASSERT_EQ(com::toBytes(ref, back), S_OK);
    EXPECT_EQ(back, bytes);

    // Lower bound 5, as some hosts build them.
    com::SafeArray shifted = com::SafeArray::vector(VT_UI1, 2, 5);
    LONG index = 6;
    BYTE value = 0xAB;
    ASSERT_EQ(SafeArrayPutElement(shifted.get(), &index, &value), S_OK);
    ASSERT_EQ(com::readBytes(shifted.get(), back), S_OK);
    EXPECT_EQ(back, (std::vector<BYTE>{0, 0xAB}));

    ASSERT_EQ(com::toBytes(Variant::fromBytes({}).get(), back), S_OK);
    EXPECT_TRUE(back.empty());
}

TEST(ByteArrays, OtherValuesAreRefused) {
    std::vector<BYTE> out = {1};
    EXPECT_EQ(com::toBytes(Variant::fromAnsi("text").get(), out), DISP_E_TYPEMISMATCH);
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(com::isByteArray(Variant::fromLong(1).get()));

    com::SafeArray longs = com::SafeArray::vector(VT_I4, 3);
    EXPECT_EQ(com::elementCount(longs.get()), 3u);
    EXPECT_EQ(com::readBytes(longs.get(), out), DISP_E_TYPEMISMATCH);

    SAFEARRAYBOUND bounds[2] = {{2, 0}, {2, 0}};
    com::SafeArray square = com::SafeArray(SafeArrayCreate(VT_UI1, 2, bounds));
    EXPECT_EQ(com::readBytes(square.get(), out), DISP_E_BADINDEX);
    EXPECT_EQ(com::elementCount(square.get()), 0u);

    com::SafeArrayAccess none(nullptr);
    EXPECT_FALSE(none.ok());
}

TEST(Variant, HelpersLeakNothing) {
    MallocSpy spy;
    ASSERT_TRUE(spy.registered());
    {
        Variant a = Variant::fromAnsi("text");
        Variant b;
        ASSERT_EQ(b.copyFrom(a.get()), S_OK);
        com::Bstr converted;
        ASSERT_EQ(com::toBstr(Variant::fromLong(12).get(), converted), S_OK);
        std::string text;
        ASSERT_EQ(com::toAnsi(b.get(), text), S_OK);
        LONG n = 0;
        EXPECT_EQ(com::toLong(a.get(), n), DISP_E_TYPEMISMATCH);
        Variant bytes = Variant::fromBytes(std::vector<BYTE>(100, 7));
        std::vector<BYTE> back;
        ASSERT_EQ(com::toBytes(bytes.get(), back), S_OK);
        Variant c;
        ASSERT_EQ(c.copyFrom(bytes.get()), S_OK);
        a = std::move(c); // frees "text"
        *b.put() = com::argLong(1);
    }
    EXPECT_GT(spy.allocs(), 4);
    EXPECT_EQ(spy.outstanding(), 0) << "OANOCACHE=1 must be set for this test";
}
