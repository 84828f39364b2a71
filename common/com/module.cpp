// module.cpp
#include "module.h"

#include "bstr.h"
#include "object.h"
#include "trace.h"

namespace com {

namespace {

LONG gObjects = 0;
LONG gLocks = 0;

// Any address inside this module identifies it.
const char kModuleAnchor = 0;

// A factory for one class of the table; it counts as a live object, so a
// client holding it keeps the module loaded.
class ClassFactory final : public Object<IClassFactory> {
public:
    explicit ClassFactory(CreateFunction create) noexcept : m_create(create) {}

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
        COM_TRACE("ClassFactory::CreateInstance");
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return m_create(riid, out);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock)
            lockModule();
        else
            unlockModule();
        return S_OK;
    }

private:
    CreateFunction m_create;
};

} // namespace

HMODULE moduleHandle() noexcept {
    HMODULE h = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&kModuleAnchor), &h);
    return h;
}

std::wstring modulePathW() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(moduleHandle(), path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        if (path.size() >= 32768) return {};
        path.resize(path.size() * 2);
    }
}

std::string modulePath() { return toAnsi(modulePathW()); }

LONG liveObjects() noexcept { return InterlockedCompareExchange(&gObjects, 0, 0); }
LONG moduleLocks() noexcept { return InterlockedCompareExchange(&gLocks, 0, 0); }
void lockModule() noexcept { InterlockedIncrement(&gLocks); }
void unlockModule() noexcept {
    // An unbalanced unlock from a client must not wrap the count around and
    // keep the module loaded for ever, nor unload it under a real lock.
    LONG n = InterlockedCompareExchange(&gLocks, 0, 0);
    while (n > 0) {
        LONG seen = InterlockedCompareExchange(&gLocks, n - 1, n);
        if (seen == n) return;
        n = seen;
    }
}

HRESULT canUnloadNow() noexcept { return liveObjects() == 0 && moduleLocks() == 0 ? S_OK : S_FALSE; }

HRESULT getClassObject(std::span<const ClassEntry> classes, REFCLSID clsid, REFIID riid, void** out) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    for (const ClassEntry& c : classes) {
        if (c.clsid && *c.clsid == clsid && c.create) {
            return guard([&] {
                ComPtr<ClassFactory> factory(new ClassFactory(c.create));
                return factory->QueryInterface(riid, out);
            });
        }
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

namespace detail {
void objectCreated() noexcept { InterlockedIncrement(&gObjects); }
void objectDestroyed() noexcept { InterlockedDecrement(&gObjects); }
} // namespace detail

} // namespace com
