// control_error_test.cpp
// The control's errors: HRESULT, interface, description and help context
// as a late-bound caller reads them from the thread's error slot.
#include "control_error.h"

#include <gtest/gtest.h>

#include "common/com/errors.h"
#include "orvane36.h"

using orvane36::RaiseControlError;

TEST(RaiseControlError, TextedErrorsCarryTheirDescription) {
    struct Case {
        unsigned code;
        HRESULT hr;
        const wchar_t* text;
    };
    const Case cases[] = {
        {600, static_cast<HRESULT>(0x800A0258), L"Error reading stored file data."},
        {601, static_cast<HRESULT>(0x800A0259), L"Invalid operating during file verification or scan."},
        {602, static_cast<HRESULT>(0x800A025A), L"Control does not have an embedded file list."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RaiseControlError(c.code), c.hr) << c.code;
        com::ErrorDetails info;
        ASSERT_TRUE(com::takeErrorInfo(info)) << c.code;
        EXPECT_EQ(info.iid, IID_IOrvane);
        EXPECT_EQ(info.description.view(), c.text);
        EXPECT_EQ(info.helpContext, 0xFFFFFFFFu);
    }
}

TEST(RaiseControlError, PropertyErrorsCarryNoDescription) {
    const std::pair<unsigned, HRESULT> cases[] = {
        {380, static_cast<HRESULT>(0x800A017C)}, {382, static_cast<HRESULT>(0x800A017E)},
        {383, static_cast<HRESULT>(0x800A017F)}, {393, static_cast<HRESULT>(0x800A0189)},
        {394, static_cast<HRESULT>(0x800A018A)}};
    for (auto [code, hr] : cases) {
        EXPECT_EQ(RaiseControlError(code), hr) << code;
        com::ErrorDetails info;
        ASSERT_TRUE(com::takeErrorInfo(info)) << code;
        EXPECT_EQ(info.iid, IID_IOrvane);
        EXPECT_TRUE(info.description.empty()) << code;
        EXPECT_EQ(info.helpContext, 0xFFFFFFFFu);
    }
}

TEST(RaiseControlError, ReplacesAnEarlierError) {
    RaiseControlError(600);
    RaiseControlError(380);
    com::ErrorDetails info;
    ASSERT_TRUE(com::takeErrorInfo(info));
    EXPECT_TRUE(info.description.empty()) << "no stale text from the earlier error";
}
