// object.h
// com::Object<Entries...>: the one IUnknown implementation of every COM
// class of the project. A class lists what it implements and writes only
// its own methods:
//
//   class Thing final : public com::Object<com::Dispatch<IThing>,
//                                          com::SupportErrorInfo<IThing>,
//                                          com::ConnectionPoints<_ThingEvents>> { ... };
//   com::ComPtr<Thing> t = com::make<Thing>(args...);
//
// An entry is an interface (IPersistStreamInit) or a mixin that implements
// one and names it as `ComInterface` (Dispatch<IThing>, SupportErrorInfo<>,
// ProvideClassInfo2<>, ConnectionPoints<>). QueryInterface answers, trying
// entries in order: IUnknown (through the first entry), each entry's
// interface, IDispatch for an interface derived from it, and the base
// interfaces listed in InterfaceBases (IPersist for IPersistStreamInit ...);
// last, the virtual queryOther hook, for IIDs that need code (a sink that
// answers an event dispinterface's DIID with its IDispatch).
//
// Reference counts are interlocked; the object deletes itself when the
// last reference goes and counts itself in the module's live objects for
// DllCanUnloadNow. Objects are apartment objects: methods other than
// AddRef/Release/QueryInterface run on the creating thread.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <oleidl.h>

#include <new>
#include <type_traits>
#include <utility>

#include "errors.h"
#include "module.h"
#include "ptr.h"
#include "trace.h"

namespace com {

template <typename... T>
struct TypeList {};

// Base interfaces reachable through an interface's pointer, beyond IUnknown
// and IDispatch. Specialise for interfaces of your own that derive from
// another non-IDispatch interface.
template <typename I>
struct InterfaceBases {
    using type = TypeList<>;
};
template <> struct InterfaceBases<IProvideClassInfo2> { using type = TypeList<IProvideClassInfo>; };
template <> struct InterfaceBases<IPersistStreamInit> { using type = TypeList<IPersist>; };
template <> struct InterfaceBases<IPersistStream> { using type = TypeList<IPersist>; };
template <> struct InterfaceBases<IPersistStorage> { using type = TypeList<IPersist>; };
template <> struct InterfaceBases<IPersistPropertyBag> { using type = TypeList<IPersist>; };
template <> struct InterfaceBases<IOleInPlaceObject> { using type = TypeList<IOleWindow>; };
template <> struct InterfaceBases<IOleInPlaceActiveObject> { using type = TypeList<IOleWindow>; };
template <> struct InterfaceBases<IOleInPlaceSite> { using type = TypeList<IOleWindow>; };
template <> struct InterfaceBases<IOleInPlaceObjectWindowless> {
    using type = TypeList<IOleInPlaceObject, IOleWindow>;
};
template <> struct InterfaceBases<IViewObject2> { using type = TypeList<IViewObject>; };
template <> struct InterfaceBases<IViewObjectEx> { using type = TypeList<IViewObject2, IViewObject>; };
template <> struct InterfaceBases<IPropertyPage2> { using type = TypeList<IPropertyPage>; };

namespace detail {
template <typename E>
struct EntryInterface {
    using type = E;
};
template <typename E>
    requires requires { typename E::ComInterface; }
struct EntryInterface<E> {
    using type = typename E::ComInterface;
};
template <typename First, typename...>
struct FirstOf {
    using type = First;
};
} // namespace detail

template <typename... Entries>
class Object : public Entries... {
    static_assert(sizeof...(Entries) > 0, "an object implements at least one interface");

public:
    Object() noexcept { detail::objectCreated(); }
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) final {
        if (!out) return E_POINTER;
        *out = nullptr;
        void* p = nullptr;
        if (riid == IID_IUnknown) {
            p = identity();
        } else {
            static_cast<void>((... || ((p = find<Entries>(riid)) != nullptr)));
        }
        if (!p) p = queryOther(riid);
        if (!p) {
            COM_TRACE("QueryInterface: no {%08lX-...}", static_cast<unsigned long>(riid.Data1));
            return E_NOINTERFACE;
        }
        AddRef();
        *out = p;
        return S_OK;
    }
    // The object's one IUnknown (through the first entry), for passing the
    // object where an IUnknown* is wanted; no reference is added.
    IUnknown* identity() noexcept {
        using First = typename detail::FirstOf<Entries...>::type;
        using I = typename detail::EntryInterface<First>::type;
        return static_cast<IUnknown*>(static_cast<I*>(static_cast<First*>(this)));
    }

    ULONG STDMETHODCALLTYPE AddRef() final { return static_cast<ULONG>(InterlockedIncrement(&m_ref)); }
    ULONG STDMETHODCALLTYPE Release() final {
        LONG n = InterlockedDecrement(&m_ref);
        if (n == 0) {
            // A stray AddRef/Release pair inside a destructor must not
            // delete the object twice.
            m_ref = kDestroying;
            delete this;
        }
        return static_cast<ULONG>(n);
    }

protected:
    virtual ~Object() { detail::objectDestroyed(); }

    // Interfaces that need code to answer; return the pointer without
    // AddRef (QueryInterface adds it), or null.
    virtual void* queryOther(REFIID) noexcept { return nullptr; }

private:
    static constexpr LONG kDestroying = 1 << 30;

    template <typename E>
    void* find(REFIID riid) noexcept {
        using I = typename detail::EntryInterface<E>::type;
        I* p = static_cast<I*>(static_cast<E*>(this));
        if (riid == __uuidof(I)) return p;
        if constexpr (std::is_base_of_v<IDispatch, I>) {
            if (riid == IID_IDispatch) return static_cast<IDispatch*>(p);
        }
        return findBase(p, riid, typename InterfaceBases<I>::type{});
    }
    template <typename I, typename... Bases>
    static void* findBase([[maybe_unused]] I* p, [[maybe_unused]] REFIID riid, TypeList<Bases...>) noexcept {
        void* r = nullptr;
        static_cast<void>((false || ... || (riid == __uuidof(Bases) && (r = static_cast<Bases*>(p)) != nullptr)));
        return r;
    }

    LONG m_ref = 0;
};

// Creates a T (a com::Object class) and returns it holding one reference.
// When T has `HRESULT init()`, it runs with that reference held and a
// failure is thrown away with the object: make returns null and
// createInstance the failure. Throws std::bad_alloc or what T's
// constructor throws; use createInstance at a COM boundary.
template <typename T, typename... Args>
ComPtr<T> make(Args&&... args) {
    ComPtr<T> p(new T(std::forward<Args>(args)...));
    if constexpr (requires(T& t) { t.init(); }) {
        if (FAILED(p->init())) return nullptr;
    }
    return p;
}

// Creates a default-constructed T and answers riid; never throws. This is
// the shape ClassEntry::create expects.
template <typename T>
HRESULT createInstance(REFIID riid, void** out) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    return guard([&]() -> HRESULT {
        ComPtr<T> p(new T());
        if constexpr (requires(T& t) { t.init(); }) {
            if (HRESULT hr = p->init(); FAILED(hr)) return hr;
        }
        return p->QueryInterface(riid, out);
    });
}

template <typename T>
constexpr ClassEntry classEntry(const CLSID& clsid) noexcept {
    return {&clsid, &createInstance<T>};
}

} // namespace com
