// com_connection_test.cpp
// Advising, firing, unadvising (also from inside an event) and the two
// enumerators of the connection-point plumbing.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "common/com/connection.h"
#include "counter.h"

using com::ComPtr;
using comtest::CounterObject;

namespace {

// A host's sink for _CounterEvents; records each Changed and runs an
// optional action inside the event.
class EventSink final : public com::Object<_CounterEvents> {
public:
    struct Call {
        LONG value;
        VARIANT_BOOL stopOnEntry;
    };
    std::vector<Call> calls;
    bool setStop = false;
    std::function<void()> during;

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID lcid, WORD flags, DISPPARAMS* p, VARIANT* result,
                                     EXCEPINFO*, UINT*) override {
        // Changed(value, stop) arrives as a method call, last argument first.
        if (id != 1 || flags != DISPATCH_METHOD || lcid != LOCALE_USER_DEFAULT || result || p->cArgs != 2 ||
            p->cNamedArgs != 0 || p->rgvarg[1].vt != VT_I4 || p->rgvarg[0].vt != (VT_BYREF | VT_BOOL))
            return DISP_E_BADPARAMCOUNT;
        calls.push_back({p->rgvarg[1].lVal, *p->rgvarg[0].pboolVal});
        if (setStop) *p->rgvarg[0].pboolVal = VARIANT_TRUE;
        if (during) during();
        return S_OK;
    }
};

class PropertySink final : public com::Object<IPropertyNotifySink> {
public:
    std::vector<DISPID> changed;
    HRESULT STDMETHODCALLTYPE OnChanged(DISPID id) override {
        changed.push_back(id);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID) override { return S_OK; }
};

class Connections : public ::testing::Test {
protected:
    void SetUp() override {
        m_counter = com::make<CounterObject>();
        ASSERT_EQ(m_counter->FindConnectionPoint(DIID__CounterEvents, m_point.put()), S_OK);
    }
    DWORD advise(IUnknown* sink) {
        DWORD cookie = 0;
        EXPECT_EQ(m_point->Advise(sink, &cookie), S_OK);
        EXPECT_NE(cookie, 0u);
        return cookie;
    }
    VARIANT_BOOL notify(LONG value) {
        VARIANT_BOOL stopped = 0x1234;
        EXPECT_EQ(m_counter->Notify(value, &stopped), S_OK);
        return stopped;
    }

    ComPtr<CounterObject> m_counter;
    ComPtr<IConnectionPoint> m_point;
};

} // namespace

TEST_F(Connections, EverySinkReceivesEveryEventAndSeesEarlierWrites) {
    auto first = com::make<EventSink>();
    auto second = com::make<EventSink>();
    DWORD a = advise(first.get());
    DWORD b = advise(second.get());
    EXPECT_NE(a, b);

    EXPECT_EQ(notify(5), VARIANT_FALSE);
    ASSERT_EQ(first->calls.size(), 1u);
    ASSERT_EQ(second->calls.size(), 1u);
    EXPECT_EQ(first->calls[0].value, 5);

    first->setStop = true;
    EXPECT_EQ(notify(6), VARIANT_TRUE) << "the source reads the flag a sink wrote";
    EXPECT_EQ(second->calls[1].stopOnEntry, VARIANT_TRUE) << "later sinks see what earlier ones wrote";
}

TEST_F(Connections, UnadviseInsideTheEventIsSafe) {
    auto first = com::make<EventSink>();
    auto second = com::make<EventSink>();
    auto third = com::make<EventSink>();
    DWORD a = advise(first.get());
    DWORD b = advise(second.get());
    advise(third.get());
    // The first sink removes itself and the second, and lets its own
    // last reference go, all inside the event.
    first->during = [&] {
        EXPECT_EQ(m_point->Unadvise(a), S_OK);
        EXPECT_EQ(m_point->Unadvise(b), S_OK);
        first = nullptr;
    };
    notify(1);
    EXPECT_TRUE(second->calls.empty()) << "unadvised before its turn";
    EXPECT_EQ(third->calls.size(), 1u);

    notify(2);
    EXPECT_EQ(third->calls.size(), 2u);
    EXPECT_TRUE(second->calls.empty());
}

TEST_F(Connections, TheSourceOutlivesItsLastReleaseInsideAnEvent) {
    // As when a source fires from a window message: nobody but the host
    // holds it, and the host lets go inside the event.
    auto sink = com::make<EventSink>();
    advise(sink.get());
    m_point = nullptr;
    LONG destroyed = CounterObject::destroyed();
    LONG destroyedDuringEvent = -1;
    sink->during = [&] {
        m_counter = nullptr;
        destroyedDuringEvent = CounterObject::destroyed();
    };
    CounterObject* source = m_counter.get();
    VARIANT_BOOL stop = VARIANT_FALSE;
    EXPECT_EQ(source->connectionPoint<_CounterEvents>().fire(1, {com::argLong(3), com::refBool(&stop)}), S_OK);
    EXPECT_EQ(destroyedDuringEvent, destroyed) << "firing holds the source";
    EXPECT_EQ(CounterObject::destroyed(), destroyed + 1) << "and lets it go when done";
}

TEST_F(Connections, BadAdviseAndUnadvise) {
    DWORD cookie = 77;
    auto wrongKind = com::make<PropertySink>();
    EXPECT_EQ(m_point->Advise(wrongKind.get(), &cookie), CONNECT_E_CANNOTCONNECT);
    EXPECT_EQ(cookie, 0u);
    EXPECT_EQ(m_point->Advise(nullptr, &cookie), E_POINTER);
    EXPECT_EQ(m_point->Advise(wrongKind.get(), nullptr), E_POINTER);

    EXPECT_EQ(m_point->Unadvise(0), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(m_point->Unadvise(12345), CONNECT_E_NOCONNECTION);
    auto sink = com::make<EventSink>();
    DWORD c = advise(sink.get());
    EXPECT_EQ(m_point->Unadvise(c), S_OK);
    EXPECT_EQ(m_point->Unadvise(c), CONNECT_E_NOCONNECTION);
}

TEST_F(Connections, UnadviseReleasesTheSink) {
    auto sink = com::make<EventSink>();
    auto refs = [&] {
        sink->AddRef();
        return sink->Release();
    };
    DWORD c = advise(sink.get());
    EXPECT_EQ(refs(), 2u);
    m_point->Unadvise(c);
    EXPECT_EQ(refs(), 1u);
    advise(sink.get());
    m_counter->connectionPoint<_CounterEvents>().disconnectAll();
    EXPECT_EQ(refs(), 1u);
}

TEST_F(Connections, EnumConnectionsIsASnapshot) {
    auto first = com::make<EventSink>();
    auto second = com::make<EventSink>();
    DWORD a = advise(first.get());
    DWORD b = advise(second.get());
    ComPtr<IEnumConnections> e;
    ASSERT_EQ(m_point->EnumConnections(e.put()), S_OK);
    m_point->Unadvise(a); // does not disturb the enumerator

    CONNECTDATA data[3] = {};
    ULONG fetched = 0;
    EXPECT_EQ(e->Next(3, data, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 2u);
    EXPECT_EQ(data[0].dwCookie, a);
    EXPECT_EQ(data[1].dwCookie, b);
    EXPECT_TRUE(com::sameObject(data[0].pUnk, first.get()));
    EXPECT_TRUE(com::sameObject(data[1].pUnk, second.get()));
    data[0].pUnk->Release();
    data[1].pUnk->Release();

    EXPECT_EQ(e->Next(2, data, nullptr), E_POINTER) << "a count above 1 needs a fetched counter";
    EXPECT_EQ(e->Reset(), S_OK);
    EXPECT_EQ(e->Skip(1), S_OK);
    ComPtr<IEnumConnections> clone;
    ASSERT_EQ(e->Clone(clone.put()), S_OK);
    EXPECT_EQ(e->Skip(5), S_FALSE);
    ASSERT_EQ(clone->Next(1, data, nullptr), S_OK) << "the clone keeps the position it was made at";
    EXPECT_EQ(data[0].dwCookie, b);
    data[0].pUnk->Release();
    EXPECT_EQ(clone->Next(1, data, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
}

TEST_F(Connections, ContainerFindsAndEnumeratesItsPoints) {
    ComPtr<IConnectionPoint> notify;
    EXPECT_EQ(m_counter->FindConnectionPoint(IID_IPropertyNotifySink, notify.put()), S_OK);
    ComPtr<IConnectionPoint> none;
    EXPECT_EQ(m_counter->FindConnectionPoint(IID_IDispatch, none.put()), CONNECT_E_NOCONNECTION);
    EXPECT_FALSE(none);

    ComPtr<IEnumConnectionPoints> e;
    ASSERT_EQ(m_counter->EnumConnectionPoints(e.put()), S_OK);
    IConnectionPoint* points[3] = {};
    ULONG fetched = 0;
    EXPECT_EQ(e->Next(3, points, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 2u);
    const IID expected[] = {DIID__CounterEvents, IID_IPropertyNotifySink};
    for (ULONG i = 0; i < fetched; ++i) {
        IID iid = GUID_NULL;
        EXPECT_EQ(points[i]->GetConnectionInterface(&iid), S_OK);
        EXPECT_EQ(iid, expected[i]);
        ComPtr<IConnectionPointContainer> owner;
        EXPECT_EQ(points[i]->GetConnectionPointContainer(owner.put()), S_OK);
        EXPECT_TRUE(com::sameObject(owner.get(), m_counter->identity()));
        points[i]->Release();
    }
}

TEST_F(Connections, PointsAndEnumeratorsKeepTheSourceAlive) {
    LONG destroyed = CounterObject::destroyed();
    ComPtr<IEnumConnectionPoints> e;
    ASSERT_EQ(m_counter->EnumConnectionPoints(e.put()), S_OK);
    m_counter = nullptr;
    EXPECT_EQ(CounterObject::destroyed(), destroyed) << "the point in hand holds the source";
    m_point = nullptr;
    EXPECT_EQ(CounterObject::destroyed(), destroyed) << "the enumerator's points hold it too";
    e = nullptr;
    EXPECT_EQ(CounterObject::destroyed(), destroyed + 1);
}

TEST_F(Connections, PropertyChangeNoticesUseTheTypedPoint) {
    auto sink = com::make<PropertySink>();
    ComPtr<IConnectionPoint> notify;
    ASSERT_EQ(m_counter->FindConnectionPoint(IID_IPropertyNotifySink, notify.put()), S_OK);
    DWORD cookie = 0;
    ASSERT_EQ(notify->Advise(sink.get(), &cookie), S_OK);
    m_counter->put_Value(4);
    EXPECT_EQ(sink->changed, std::vector<DISPID>{1});

    // IPropertyNotifySink is not dispatch-based: it cannot be fired by DISPID.
    EXPECT_EQ(m_counter->connectionPoint<IPropertyNotifySink>().fire(1), E_NOINTERFACE);
    EXPECT_EQ(m_counter->connectionPoint<IPropertyNotifySink>().forEach<IDispatch>([](IDispatch*) {}),
              E_NOINTERFACE);
}
