// EngineBinding_test.cpp
// The control's hold on the scan engine and the relay of the engine's
// events to the hosts, with a fake engine registered for the run of each
// test and fake host sinks.
#include "EngineBinding.h"

#include <gtest/gtest.h>

#include <memory>

#include "common/filelist/ole_streams.h"
#include "fake_engine.h"

using ocx_test::FakeControl;
using ocx_test::FakeEngine;
using ocx_test::FakeEngineClass;
using ocx_test::HostCall;
using ocx_test::HostSink;
using orvane36::EngineBinding;

namespace {

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        engineClass = com::make<FakeEngineClass>();
        ASSERT_EQ(CoRegisterClassObject(ocx_test::kFakeEngineClsid, engineClass->identity(), CLSCTX_INPROC_SERVER,
                                        REGCLS_MULTIPLEUSE, &m_registration),
                  S_OK);
        control = com::make<FakeControl>();
        hostA = com::make<HostSink>();
        hostB = com::make<HostSink>();
    }
    void TearDown() override { CoRevokeClassObject(m_registration); }

    FakeEngine& engine() { return *engineClass->lastMade; }

    com::ComPtr<FakeEngineClass> engineClass;
    com::ComPtr<FakeControl> control;
    com::ComPtr<HostSink> hostA;
    com::ComPtr<HostSink> hostB;

private:
    DWORD m_registration = 0;
};

orvane36::FileList threeFiles() {
    orvane36::FileList list(3);
    list[0].entryName = "one.ocx";
    list[1].entryName = "two.dll";
    list[2].entryName = "three.exe";
    list[2].entryFlags = 0x02;
    return list;
}

void expectFileConflictShape(const HostCall& c) {
    EXPECT_EQ(c.id, 1);
    EXPECT_TRUE(c.nullIid);
    EXPECT_EQ(c.lcid, 0x0400u) << "the user's default locale";
    EXPECT_EQ(c.flags, DISPATCH_METHOD);
    EXPECT_EQ(c.args, 4u);
    EXPECT_EQ(c.namedArgs, 0u);
    EXPECT_TRUE(c.noResult);
    EXPECT_TRUE(c.noException);
    // The engine's own references, the stop flag first.
    const std::vector<VARTYPE> types = {VT_BYREF | VT_BOOL, VT_BYREF | VT_I4, VT_BYREF | VT_BSTR, VT_BYREF | VT_BSTR};
    EXPECT_EQ(c.types, types);
}

} // namespace

TEST_F(EngineTest, CreatesTheEngineButAdvisesOnlyWhenAsked) {
    EngineBinding binding(ocx_test::kFakeEngineClsid);
    ASSERT_TRUE(binding.engine());
    EXPECT_TRUE(com::sameObject(binding.engine(), engine().identity()));
    // A control at design time never connects: no sink, no advise.
    EXPECT_EQ(binding.sink(), nullptr);
    EXPECT_EQ(binding.cookie(), 0u);
    EXPECT_EQ(engine().sinks(), 0u);
}

TEST_F(EngineTest, AdvisesOnceAndLetsGoAtTheEnd) {
    {
        EngineBinding binding(ocx_test::kFakeEngineClsid);
        EXPECT_EQ(binding.connectEvents(control->events()), S_OK);
        ASSERT_NE(binding.sink(), nullptr);
        EXPECT_NE(binding.cookie(), 0u);
        EXPECT_EQ(engine().sinks(), 1u);

        orvane36::EventSink* first = binding.sink();
        EXPECT_EQ(binding.connectEvents(control->events()), S_OK);
        EXPECT_EQ(binding.sink(), first) << "siting twice makes no second sink";
        EXPECT_EQ(engine().sinks(), 1u);
    }
    EXPECT_EQ(engine().sinks(), 0u) << "unadvised when the binding ends";
    com::ComPtr<FakeEngine> kept = engineClass->lastMade;
    engineClass->lastMade = nullptr;
    EXPECT_FALSE(engineClass->engineGone) << "the test still holds it";
    kept = nullptr;
    EXPECT_TRUE(engineClass->engineGone) << "the binding released its reference";
}

TEST_F(EngineTest, WithoutAnEngineTheBindingStillWorks) {
    EngineBinding binding(ocx_test::kMissingEngineClsid);
    EXPECT_EQ(binding.engine(), nullptr);
    EXPECT_FALSE(binding.engineBusy());
    EXPECT_EQ(binding.connectEvents(control->events()), S_FALSE);
    EXPECT_NE(binding.sink(), nullptr);
    EXPECT_EQ(binding.cookie(), 0u);
}

TEST_F(EngineTest, BusyIsTheEnginesAnswer) {
    EngineBinding binding(ocx_test::kFakeEngineClsid);
    EXPECT_FALSE(binding.engineBusy());
    engine().busy = 1;
    EXPECT_TRUE(binding.engineBusy());
    engine().busyResult = E_FAIL;
    EXPECT_FALSE(binding.engineBusy()) << "no answer counts as not busy";
}

TEST_F(EngineTest, VerifyRelaysEveryConflictToBothHostsUntilOneStops) {
    EngineBinding binding(ocx_test::kFakeEngineClsid);
    ASSERT_EQ(binding.connectEvents(control->events()), S_OK);
    control->advise(*hostA);
    control->advise(*hostB);
    // Host A stops the run at the second conflict and rewrites the flags
    // and the found file; host B, called after it, sees what it wrote.
    hostA->onEvent = [](DISPID id, DISPPARAMS& p) {
        if (id != 1) return;
        *V_I4REF(&p.rgvarg[1]) += 100;
        if (*V_I4REF(&p.rgvarg[1]) == 101) {
            *V_BOOLREF(&p.rgvarg[0]) = VARIANT_TRUE;
            SysFreeString(*V_BSTRREF(&p.rgvarg[2]));
            *V_BSTRREF(&p.rgvarg[2]) = SysAllocString(L"C:\\elsewhere\\two.dll");
        }
    };

    com::ComPtr<IStream> stream = orvane36::ole::ListToStream(threeFiles(), false);
    ASSERT_TRUE(stream);
    ASSERT_EQ(binding.engine()->VerifyList(stream.get(), 0), S_OK);

    // Two conflicts (the run stopped after the second), then the end.
    for (HostSink* host : {hostA.get(), hostB.get()}) {
        ASSERT_EQ(host->calls.size(), 3u);
        expectFileConflictShape(host->calls[0]);
        expectFileConflictShape(host->calls[1]);
        EXPECT_EQ(host->calls[0].referenceFile, L"one.ocx");
        EXPECT_EQ(host->calls[1].referenceFile, L"two.dll");
        EXPECT_EQ(host->calls[2].id, 3);
        EXPECT_EQ(host->calls[2].args, 0u);
    }
    EXPECT_EQ(hostB->calls[1].stopArg, VARIANT_TRUE) << "the second host sees the first host's stop";
    EXPECT_EQ(hostB->calls[1].flagsArg, 101);
    EXPECT_EQ(engine().stopsSeen, (std::vector<VARIANT_BOOL>{VARIANT_FALSE, VARIANT_TRUE}));
    EXPECT_EQ(engine().flagsSeen, (std::vector<LONG>{100, 101})) << "written into the engine's variables";
    EXPECT_EQ(engine().foundSeen[1], L"C:\\elsewhere\\two.dll");
}

TEST_F(EngineTest, ScanEventsThroughTheVtableReachTheHosts) {
    EngineBinding binding(ocx_test::kFakeEngineClsid);
    ASSERT_EQ(binding.connectEvents(control->events()), S_OK);
    control->advise(*hostA);
    hostA->onEvent = [](DISPID id, DISPPARAMS& p) {
        if (id == 2 && *V_I4REF(&p.rgvarg[1]) == 0x02) *V_BOOLREF(&p.rgvarg[0]) = VARIANT_TRUE;
    };
    com::ComPtr<IStream> stream = orvane36::ole::ListToStream(threeFiles(), true);
    ASSERT_TRUE(stream);
    ASSERT_EQ(binding.engine()->ScanList(stream.get()), S_OK);

    ASSERT_EQ(hostA->calls.size(), 4u);
    for (int i = 0; i < 3; ++i) {
        const HostCall& c = hostA->calls[i];
        EXPECT_EQ(c.id, 2);
        EXPECT_EQ(c.flags, DISPATCH_METHOD);
        const std::vector<VARTYPE> types = {VT_BYREF | VT_BOOL, VT_BYREF | VT_I4, VT_BYREF | VT_I4, VT_BYREF | VT_BSTR};
        EXPECT_EQ(c.types, types);
        EXPECT_EQ(c.flagsArg, i == 2 ? 0x02 : 0) << "PathFlags, passed on uninterpreted";
    }
    EXPECT_EQ(hostA->calls[2].referenceFile, L"three.exe");
    EXPECT_EQ(hostA->calls[3].id, 3);
    EXPECT_EQ(engine().stopsSeen.back(), VARIANT_TRUE);
}

TEST_F(EngineTest, AnUnadvisedHostHearsNothingMore) {
    EngineBinding binding(ocx_test::kFakeEngineClsid);
    ASSERT_EQ(binding.connectEvents(control->events()), S_OK);
    control->advise(*hostA);
    const DWORD cookieB = control->advise(*hostB);
    ASSERT_EQ(control->events().Unadvise(cookieB), S_OK);
    ASSERT_EQ(binding.sink()->EnumComplete(), S_OK);
    EXPECT_EQ(hostA->calls.size(), 1u);
    EXPECT_TRUE(hostB->calls.empty());
}

TEST(EventSink, AnswersItsInterfacesAndTheEnginesEventInterface) {
    com::ComPtr<FakeControl> control = com::make<FakeControl>();
    com::ComPtr<orvane36::EventSink> sink = com::make<orvane36::EventSink>(control->events());
    com::ComPtr<IEventSink> own = sink.as<IEventSink>();
    com::ComPtr<IOrvaneScanEvents> engines = sink.as<IOrvaneScanEvents>();
    com::ComPtr<IDispatch> dispatch = sink.as<IDispatch>();
    ASSERT_TRUE(own && engines && dispatch);
    EXPECT_TRUE(com::sameObject(own.get(), engines.get()));
    EXPECT_FALSE(sink.as<_OrvaneEvents>()) << "it is the engine's sink, not a host's";

    // Late-bound, by name, as a scripting engine would call it.
    LPOLESTR name = const_cast<LPOLESTR>(L"FileScan");
    DISPID id = 0;
    ASSERT_EQ(dispatch->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), S_OK);
    EXPECT_EQ(id, 2);
}

TEST(EventSink, NullArgumentsAndADetachedSinkReachNoHost) {
    com::ComPtr<FakeControl> control = com::make<FakeControl>();
    com::ComPtr<HostSink> host = com::make<HostSink>();
    control->advise(*host);
    com::ComPtr<orvane36::EventSink> sink = com::make<orvane36::EventSink>(control->events());

    BSTR ref = nullptr;
    LONG flags = 0;
    VARIANT_BOOL stop = VARIANT_FALSE;
    EXPECT_EQ(sink->FileConflict(&ref, nullptr, &flags, &stop), E_POINTER);
    EXPECT_EQ(sink->FileScan(&ref, &flags, &flags, nullptr), E_POINTER);
    EXPECT_TRUE(host->calls.empty());

    EXPECT_EQ(sink->FileScan(&ref, &flags, &flags, &stop), S_OK);
    EXPECT_EQ(host->calls.size(), 1u);
    sink->detach();
    EXPECT_EQ(sink->FileScan(&ref, &flags, &flags, &stop), S_OK);
    EXPECT_EQ(sink->EnumComplete(), S_OK);
    EXPECT_EQ(host->calls.size(), 1u) << "a detached sink relays nothing";
}
