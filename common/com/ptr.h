// ptr.h
// ComPtr<T>: the owner of one reference to a COM object. T is an interface
// or a concrete class built on com::Object (whose AddRef/Release are
// unambiguous), so helpers can keep the class and still hand out interfaces.
//
// Ownership: constructing from a raw pointer takes a NEW reference (AddRef);
// attach() adopts one the caller already owns; detach() gives it back.
// put() is for out-parameters: it releases what was held and returns the
// address the callee fills. Not thread-safe itself (like a raw pointer).
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <cstddef>
#include <type_traits>
#include <utility>

namespace com {

template <typename T>
class ComPtr {
public:
    ComPtr() noexcept = default;
    ComPtr(std::nullptr_t) noexcept {}
    explicit ComPtr(T* p) noexcept : m_p(p) {
        if (m_p) m_p->AddRef();
    }
    ComPtr(const ComPtr& o) noexcept : ComPtr(o.m_p) {}
    ComPtr(ComPtr&& o) noexcept : m_p(std::exchange(o.m_p, nullptr)) {}
    template <typename U>
        requires std::is_convertible_v<U*, T*>
    ComPtr(const ComPtr<U>& o) noexcept : ComPtr(static_cast<T*>(o.get())) {}
    template <typename U>
        requires std::is_convertible_v<U*, T*>
    ComPtr(ComPtr<U>&& o) noexcept : m_p(o.detach()) {}
    ~ComPtr() { reset(); }

    ComPtr& operator=(const ComPtr& o) noexcept {
        ComPtr(o).swap(*this);
        return *this;
    }
    ComPtr& operator=(ComPtr&& o) noexcept {
        ComPtr(std::move(o)).swap(*this);
        return *this;
    }
    ComPtr& operator=(std::nullptr_t) noexcept {
        reset();
        return *this;
    }

    // Adopts a reference the caller owns (no AddRef).
    static ComPtr attach(T* p) noexcept {
        ComPtr r;
        r.m_p = p;
        return r;
    }
    // Hands the reference to the caller, who must Release it.
    [[nodiscard]] T* detach() noexcept { return std::exchange(m_p, nullptr); }

    void reset() noexcept {
        if (T* p = std::exchange(m_p, nullptr)) p->Release();
    }
    void swap(ComPtr& o) noexcept { std::swap(m_p, o.m_p); }

    T* get() const noexcept { return m_p; }
    T* operator->() const noexcept { return m_p; }
    T& operator*() const noexcept { return *m_p; }
    explicit operator bool() const noexcept { return m_p != nullptr; }

    // For out-parameters (T** and void**): releases the old object first.
    T** put() noexcept {
        reset();
        return &m_p;
    }
    void** putVoid() noexcept { return reinterpret_cast<void**>(put()); }

    // An AddRef'd copy for an out-parameter; null when nothing is held.
    HRESULT copyTo(T** out) const noexcept {
        if (!out) return E_POINTER;
        *out = m_p;
        if (m_p) m_p->AddRef();
        return S_OK;
    }

    // QueryInterface for U into out (emptied first).
    template <typename U>
    HRESULT as(ComPtr<U>& out) const noexcept {
        out.reset();
        if (!m_p) return E_POINTER;
        return m_p->QueryInterface(__uuidof(U), out.putVoid());
    }
    template <typename U>
    ComPtr<U> as() const noexcept {
        ComPtr<U> r;
        as(r);
        return r;
    }

    friend bool operator==(const ComPtr& a, const ComPtr& b) noexcept { return a.m_p == b.m_p; }
    friend bool operator==(const ComPtr& a, std::nullptr_t) noexcept { return a.m_p == nullptr; }

private:
    T* m_p = nullptr;
};

// True when a and b are the same COM object (their IUnknowns are equal).
inline bool sameObject(IUnknown* a, IUnknown* b) noexcept {
    if (!a || !b) return a == b;
    ComPtr<IUnknown> ua, ub;
    if (FAILED(a->QueryInterface(IID_IUnknown, ua.putVoid()))) return false;
    if (FAILED(b->QueryInterface(IID_IUnknown, ub.putVoid()))) return false;
    return ua == ub;
}

} // namespace com
