// com_errors_test.cpp
// Error information from a failing call, early-bound and late-bound.
#include <gtest/gtest.h>

#include "common/com/errors.h"
#include "common/com/variant.h"
#include "counter.h"

using com::ComPtr;
using com::Variant;

TEST(ErrorCodes, ControlAndObjectRanges) {
    EXPECT_EQ(com::controlError(380), static_cast<HRESULT>(0x800A017C));
    EXPECT_EQ(com::controlError(602), static_cast<HRESULT>(0x800A025A));
    EXPECT_EQ(com::objectError(0x200 + 1), static_cast<HRESULT>(0x80040201));
    EXPECT_EQ(com::objectError(0x200 + 4), static_cast<HRESULT>(0x80040204));
}

TEST(ErrorInfo, RoundTripAfterAFailingCall) {
    ComPtr<ICounter> counter = com::make<comtest::CounterObject>();
    Variant text = Variant::fromAnsi("Stored data unreadable.");
    const HRESULT code = com::controlError(600);
    EXPECT_EQ(counter->Fail(code, text.get()), code);

    com::ErrorDetails e;
    ASSERT_TRUE(com::takeErrorInfo(e));
    EXPECT_EQ(e.source.view(), comtest::kErrorSource);
    EXPECT_EQ(e.description.toAnsi(), "Stored data unreadable.");
    EXPECT_EQ(e.iid, IID_ICounter);
    EXPECT_EQ(e.helpContext, 0u);
    EXPECT_FALSE(com::takeErrorInfo(e)) << "taking the information empties the slot";
}

TEST(ErrorInfo, WithoutADescription) {
    ComPtr<ICounter> counter = com::make<comtest::CounterObject>();
    const HRESULT code = com::objectError(0x204);
    EXPECT_EQ(counter->Fail(code, Variant::missing().get()), code);
    com::ErrorDetails e;
    ASSERT_TRUE(com::takeErrorInfo(e));
    EXPECT_EQ(e.source.view(), comtest::kErrorSource);
    EXPECT_TRUE(e.description.empty());

    // An empty description is no description either.
    EXPECT_EQ(com::raiseError(code, IID_ICounter, nullptr, L"", 0xFFFFFFFF), code);
    ASSERT_TRUE(com::takeErrorInfo(e));
    EXPECT_TRUE(e.description.empty());
    EXPECT_TRUE(e.source.empty());
    EXPECT_EQ(e.helpContext, 0xFFFFFFFFu);
}

TEST(ErrorInfo, LateBoundCallersGetItInExcepinfo) {
    ComPtr<IDispatch> disp = com::make<comtest::CounterObject>().as<IDispatch>();
    const HRESULT code = com::controlError(601);
    Variant text = Variant::fromAnsi("Busy.");
    VARIANT args[2] = {text.get(), com::argLong(code)}; // last argument first
    DISPPARAMS params{args, nullptr, 2, 0};
    EXCEPINFO ex{};
    EXPECT_EQ(disp->Invoke(4, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, &ex, nullptr), DISP_E_EXCEPTION);
    EXPECT_EQ(ex.scode, code);
    EXPECT_EQ(com::bstrView(ex.bstrSource), comtest::kErrorSource);
    EXPECT_EQ(com::bstrView(ex.bstrDescription), L"Busy.");
    SysFreeString(ex.bstrSource);
    SysFreeString(ex.bstrDescription);
    SysFreeString(ex.bstrHelpFile);
}

TEST(ErrorInfo, AnOldErrorIsNotReportedWithANewFailure) {
    ComPtr<IDispatch> disp = com::make<comtest::CounterObject>().as<IDispatch>();
    // Someone raised and nobody took it.
    com::raiseError(E_FAIL, IID_ICounter, L"Old", L"stale text");
    VARIANT arg = com::argLong(E_ACCESSDENIED);
    DISPPARAMS params{&arg, nullptr, 1, 0};
    EXCEPINFO ex{};
    EXPECT_EQ(disp->Invoke(6, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, &ex, nullptr), DISP_E_EXCEPTION);
    EXPECT_EQ(ex.scode, E_ACCESSDENIED);
    EXPECT_TRUE(com::bstrView(ex.bstrDescription).empty());
    EXPECT_TRUE(com::bstrView(ex.bstrSource) != L"Old");
    SysFreeString(ex.bstrSource);
    SysFreeString(ex.bstrDescription);
    SysFreeString(ex.bstrHelpFile);
}

TEST(ErrorInfo, SupportIsAnsweredForTheListedInterfacesOnly) {
    auto support = com::make<comtest::CounterObject>().as<ISupportErrorInfo>();
    ASSERT_TRUE(support);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_ICounter), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE);
}
