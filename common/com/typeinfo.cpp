// typeinfo.cpp
// Implementation details: the cache is a short vector searched linearly
// (a server has a handful of types) under one mutex, because objects of
// one module may live in several apartments. The library is loaded from
// the module file, whose TYPELIB 1 resource LoadTypeLibEx picks by default.
#include "typeinfo.h"

#include "module.h"

namespace com {

HRESULT TypeInfoCache::loadLocked() noexcept {
    if (m_library) return S_OK;
    try {
        std::wstring path = modulePathW();
        if (path.empty()) return E_FAIL;
        return LoadTypeLibEx(path.c_str(), REGKIND_NONE, m_library.put());
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT TypeInfoCache::library(ITypeLib** out) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    try {
        std::lock_guard lock(m_mutex);
        if (HRESULT hr = loadLocked(); FAILED(hr)) return hr;
        return m_library.copyTo(out);
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT TypeInfoCache::get(REFGUID guid, ITypeInfo** out) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    try {
        std::lock_guard lock(m_mutex);
        for (auto& [id, info] : m_types) {
            if (id == guid) return info.copyTo(out);
        }
        if (HRESULT hr = loadLocked(); FAILED(hr)) return hr;
        ComPtr<ITypeInfo> info;
        if (HRESULT hr = m_library->GetTypeInfoOfGuid(guid, info.put()); FAILED(hr)) return hr;
        m_types.emplace_back(guid, info);
        return info.copyTo(out);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

void TypeInfoCache::clear() noexcept {
    try {
        std::lock_guard lock(m_mutex);
        m_types.clear();
        m_library.reset();
    } catch (...) {
        // A mutex that cannot be locked leaves the cache as it was.
    }
}

TypeInfoCache& typeInfos() noexcept {
    static TypeInfoCache cache;
    return cache;
}

namespace detail {

HRESULT classInfo(REFCLSID clsid, ITypeInfo** out) noexcept {
    if (!out) return E_POINTER;
    return typeInfos().get(clsid, out);
}

HRESULT defaultSource(const IID* events, DWORD kind, GUID* out) noexcept {
    if (!out) return E_POINTER;
    *out = GUID_NULL;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) return E_INVALIDARG;
    if (!events) return E_FAIL;
    *out = *events;
    return S_OK;
}

} // namespace detail

} // namespace com
