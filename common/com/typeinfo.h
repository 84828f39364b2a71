// typeinfo.h
// IDispatch from the module's own type library. The library is the
// resource TYPELIB 1 of this module (embedded by com_idl in ComIdl.cmake),
// loaded once by path with LoadTypeLibEx, never from the registry, so an
// unregistered or moved server still answers late-bound calls.
//
// Dispatch<IThing> implements IThing's four IDispatch methods by handing
// them to the cached ITypeInfo (Invoke calls back through IThing's vtable),
// so a dual-interface class writes only IThing's own methods.
// ProvideClassInfo2<Coclass, Events> answers hosts that ask for the class's
// type information and default event interface.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <mutex>
#include <type_traits>
#include <utility>
#include <vector>

#include "ptr.h"

namespace com {

// Type information of the module's embedded library, loaded on first use
// and kept until clear() or module unload. Thread-safe; results are
// AddRef'd for the caller.
class TypeInfoCache {
public:
    TypeInfoCache() = default;
    TypeInfoCache(const TypeInfoCache&) = delete;
    TypeInfoCache& operator=(const TypeInfoCache&) = delete;

    HRESULT library(ITypeLib** out) noexcept;
    // The type of guid: an interface, dispinterface or coclass of the
    // library; TYPE_E_ELEMENTNOTFOUND when the library has no such type.
    HRESULT get(REFGUID guid, ITypeInfo** out) noexcept;
    // Releases the library and every cached type.
    void clear() noexcept;

private:
    HRESULT loadLocked() noexcept;

    std::mutex m_mutex;
    ComPtr<ITypeLib> m_library;
    std::vector<std::pair<GUID, ComPtr<ITypeInfo>>> m_types;
};

// The module's one cache.
TypeInfoCache& typeInfos() noexcept;

template <typename I>
class Dispatch : public I {
public:
    using ComInterface = I;

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        return typeInfos().get(__uuidof(I), out);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        ComPtr<ITypeInfo> ti;
        if (HRESULT hr = typeInfos().get(__uuidof(I), ti.put()); FAILED(hr)) return hr;
        return ti->GetIDsOfNames(names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* excep, UINT* argErr) override {
        if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        ComPtr<ITypeInfo> ti;
        if (HRESULT hr = typeInfos().get(__uuidof(I), ti.put()); FAILED(hr)) return hr;
        // A failing member fills EXCEPINFO from the thread's error slot:
        // empty it, so an old error is never reported as this call's.
        SetErrorInfo(0, nullptr);
        return ti->Invoke(static_cast<I*>(this), id, flags, params, result, excep, argErr);
    }
};

namespace detail {
HRESULT classInfo(REFCLSID clsid, ITypeInfo** out) noexcept;
HRESULT defaultSource(const IID* events, DWORD kind, GUID* out) noexcept;
} // namespace detail

// Coclass: the class type the IDL declares (widl's header gives it a
// uuid); Events: its default source dispinterface, or void for none.
template <typename Coclass, typename Events = void>
class ProvideClassInfo2 : public IProvideClassInfo2 {
public:
    using ComInterface = IProvideClassInfo2;

    HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** out) override {
        return detail::classInfo(__uuidof(Coclass), out);
    }
    HRESULT STDMETHODCALLTYPE GetGUID(DWORD kind, GUID* out) override {
        if constexpr (std::is_void_v<Events>) {
            return detail::defaultSource(nullptr, kind, out);
        } else {
            return detail::defaultSource(&__uuidof(Events), kind, out);
        }
    }
};

} // namespace com
