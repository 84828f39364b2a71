// com_bstr_test.cpp
// BSTR ownership and the ANSI conversions at the COM boundary.
#include <gtest/gtest.h>

#include <string>

#include "common/com/bstr.h"
#include "malloc_spy.h"

using com::Bstr;

TEST(Bstr, EveryAnsiByteRoundTripsIncludingNul) {
    std::string all;
    for (int i = 0; i < 256; ++i) all.push_back(static_cast<char>(i));
    Bstr b = Bstr::fromAnsi(all);
    EXPECT_EQ(b.length(), 256u);
    EXPECT_EQ(b.toAnsi(), all);
    // Code page 1252: 0x80 is the euro sign, not U+0080.
    EXPECT_EQ(b.view()[0x80], L'\x20AC');
}

TEST(Bstr, NullAndEmptyAreBothEmptyText) {
    Bstr none;
    EXPECT_EQ(none.get(), nullptr);
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(none.toAnsi(), "");
    EXPECT_EQ(com::bstrView(nullptr).size(), 0u);

    // An explicit empty text is a real BSTR: callers may rely on non-null.
    Bstr empty = Bstr::fromAnsi("");
    ASSERT_NE(empty.get(), nullptr);
    EXPECT_EQ(empty.length(), 0u);
    EXPECT_EQ(Bstr(static_cast<const wchar_t*>(nullptr)).get(), nullptr);
}

TEST(Bstr, WideTextOutsideTheCodePageBecomesQuestionMarks) {
    EXPECT_EQ(com::toAnsi(L"a\x4E00z"), "a?z");
    EXPECT_EQ(com::toWide("caf\xE9"), L"caf\xE9");
}

TEST(Bstr, AnsiToBstrFillsAnOutParameter) {
    EXPECT_EQ(com::ansiToBstr("x", nullptr), E_POINTER);
    BSTR out = reinterpret_cast<BSTR>(1);
    ASSERT_EQ(com::ansiToBstr("Name", &out), S_OK);
    Bstr owned = Bstr::attach(out);
    EXPECT_EQ(owned.view(), L"Name");
}

TEST(Bstr, OwnershipFreesEachStringExactlyOnce) {
    MallocSpy spy;
    ASSERT_TRUE(spy.registered());
    {
        Bstr a = Bstr::fromAnsi("first");
        Bstr b = std::move(a);
        EXPECT_EQ(a.get(), nullptr);
        *b.put() = SysAllocString(L"second"); // put() frees "first"
        EXPECT_EQ(spy.frees(), 1);
        Bstr c = b.copy();
        c = Bstr::fromAnsi("third"); // frees the copy
        BSTR raw = c.release();
        EXPECT_EQ(c.get(), nullptr);
        SysFreeString(raw);
        BSTR out = nullptr;
        EXPECT_EQ(b.releaseTo(&out), S_OK);
        Bstr back = Bstr::attach(out);
    }
    EXPECT_EQ(spy.allocs(), 4);
    EXPECT_EQ(spy.outstanding(), 0) << "OANOCACHE=1 must be set for this test";
}
