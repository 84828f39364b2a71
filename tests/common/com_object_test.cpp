// com_object_test.cpp
// IUnknown of com::Object, object creation, ComPtr and the exception
// barrier.
#include <gtest/gtest.h>

#include <stdexcept>

#include "common/com/object.h"
#include "counter.h"

using com::ComPtr;
using comtest::CounterObject;

namespace {

// An IID no class answers.
const IID kStrangeIid = {0x0badf00d, 0x1234, 0x5678, {1, 2, 3, 4, 5, 6, 7, 8}};

// Answers kStrangeIid through the hook, as a sink answers an event DIID.
class Hooked final : public com::Object<IPersist> {
public:
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* out) override {
        *out = GUID_NULL;
        return S_OK;
    }

protected:
    void* queryOther(REFIID riid) noexcept override {
        return riid == kStrangeIid ? static_cast<IPersist*>(this) : nullptr;
    }
};

// Takes and drops a reference to itself while being destroyed.
class Reentrant final : public com::Object<IPersist> {
public:
    explicit Reentrant(int& deletions) : m_deletions(deletions) {}
    ~Reentrant() override {
        AddRef();
        Release();
        ++m_deletions;
    }
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID*) override { return E_NOTIMPL; }

private:
    int& m_deletions;
};

class Initialised final : public com::Object<IPersist> {
public:
    explicit Initialised(HRESULT result) : m_result(result) {}
    HRESULT init() { return m_result; }
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID*) override { return E_NOTIMPL; }

private:
    HRESULT m_result;
};

class FailsToInit final : public com::Object<IPersist> {
public:
    HRESULT init() { return E_ACCESSDENIED; }
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID*) override { return E_NOTIMPL; }
};

} // namespace

TEST(Object, QueryInterfaceFollowsTheIdentityRules) {
    auto obj = com::make<CounterObject>();
    ComPtr<IUnknown> fromCounter, fromContainer;
    ASSERT_EQ(static_cast<ICounter*>(obj.get())->QueryInterface(IID_IUnknown, fromCounter.putVoid()), S_OK);
    ASSERT_EQ(static_cast<IConnectionPointContainer*>(obj.get())->QueryInterface(IID_IUnknown, fromContainer.putVoid()),
              S_OK);
    EXPECT_EQ(fromCounter, fromContainer) << "one IUnknown whatever interface is asked";

    ComPtr<IDispatch> dispatch = obj.as<IDispatch>();
    EXPECT_EQ(dispatch.get(), static_cast<IDispatch*>(static_cast<ICounter*>(obj.get())))
        << "IDispatch is the dual interface's";
    EXPECT_TRUE(obj.as<ICounter>());
    EXPECT_TRUE(obj.as<ISupportErrorInfo>());
    EXPECT_TRUE(obj.as<IProvideClassInfo2>());
    EXPECT_TRUE(obj.as<IProvideClassInfo>()) << "a base interface reached through its derived one";
    EXPECT_TRUE(obj.as<IConnectionPointContainer>());
    EXPECT_FALSE(obj.as<IConnectionPoint>()) << "points are sub-objects, not the source";
    EXPECT_FALSE(obj.as<IPersist>());

    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(obj->QueryInterface(kStrangeIid, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(obj->QueryInterface(IID_IUnknown, nullptr), E_POINTER);

    auto hooked = com::make<Hooked>();
    EXPECT_TRUE(hooked.as<IPersist>());
    ComPtr<IUnknown> strange;
    EXPECT_EQ(hooked->QueryInterface(kStrangeIid, strange.putVoid()), S_OK);
    EXPECT_TRUE(com::sameObject(strange.get(), hooked.get()));
}

TEST(Object, LastReleaseDestroysAndUncountsTheObject) {
    LONG live = com::liveObjects();
    LONG destroyed = CounterObject::destroyed();
    {
        auto obj = com::make<CounterObject>();
        EXPECT_EQ(com::liveObjects(), live + 1);
        ComPtr<ICounter> second = obj;
        obj = nullptr;
        EXPECT_EQ(CounterObject::destroyed(), destroyed);
    }
    EXPECT_EQ(CounterObject::destroyed(), destroyed + 1);
    EXPECT_EQ(com::liveObjects(), live);
}

TEST(Object, ReferencesTakenInsideTheDestructorDoNotDeleteTwice) {
    int deletions = 0;
    com::make<Reentrant>(deletions);
    EXPECT_EQ(deletions, 1);
}

TEST(Object, InitFailureThrowsTheHalfMadeObjectAway) {
    LONG live = com::liveObjects();
    EXPECT_FALSE(com::make<Initialised>(E_FAIL));
    EXPECT_TRUE(com::make<Initialised>(S_OK));
    EXPECT_EQ(com::liveObjects(), live);

    ComPtr<IPersist> p;
    EXPECT_EQ(com::createInstance<FailsToInit>(IID_IPersist, p.putVoid()), E_ACCESSDENIED);
    EXPECT_FALSE(p);
    EXPECT_EQ(com::createInstance<CounterObject>(kStrangeIid, p.putVoid()), E_NOINTERFACE);
    EXPECT_EQ(com::liveObjects(), live);
}

TEST(Guard, ExceptionsBecomeResults) {
    EXPECT_EQ(com::guard([] { return S_FALSE; }), S_FALSE);
    EXPECT_EQ(com::guard([]() -> HRESULT { throw std::bad_alloc(); }), E_OUTOFMEMORY);
    EXPECT_EQ(com::guard([]() -> HRESULT { throw std::runtime_error("x"); }), E_UNEXPECTED);
    EXPECT_EQ(com::guard([]() -> HRESULT { throw 42; }), E_UNEXPECTED);
}

TEST(ComPtr, CountsReferencesLikeTheRulesSay) {
    auto obj = com::make<CounterObject>();
    auto refs = [&] {
        obj->AddRef();
        return obj->Release();
    };
    ComPtr<CounterObject> copy = obj;
    EXPECT_EQ(refs(), 2u);
    ComPtr<ICounter> moved = std::move(copy); // converting move: no new reference
    EXPECT_FALSE(copy);
    EXPECT_EQ(refs(), 2u);
    *moved.put() = nullptr; // put() releases what it held
    EXPECT_EQ(refs(), 1u);

    ICounter* raw = nullptr;
    ASSERT_EQ(obj.as<ICounter>().copyTo(&raw), S_OK);
    ComPtr<ICounter> adopted = ComPtr<ICounter>::attach(raw); // no extra reference
    EXPECT_EQ(refs(), 2u);
    adopted.detach()->Release();
    EXPECT_EQ(refs(), 1u);

    EXPECT_TRUE(com::sameObject(obj.as<IDispatch>().get(), obj.as<IConnectionPointContainer>().get()));
    EXPECT_FALSE(com::sameObject(obj.as<IDispatch>().get(), com::make<CounterObject>().as<IDispatch>().get()));
}
