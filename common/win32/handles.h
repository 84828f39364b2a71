// handles.h
// Owners for the Win32 handles the programs take, so every failure path
// releases what it took.
#pragma once

#include <windows.h>

#include <utility>

namespace win32 {

template <typename T, typename Traits>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(T h) : m_h(h) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& o) noexcept : m_h(std::exchange(o.m_h, Traits::invalid())) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) reset(std::exchange(o.m_h, Traits::invalid()));
        return *this;
    }
    T get() const { return m_h; }
    explicit operator bool() const { return m_h != Traits::invalid(); }
    T* put() { reset(); return &m_h; }
    T release() { return std::exchange(m_h, Traits::invalid()); }
    void reset(T h = Traits::invalid()) {
        if (m_h != Traits::invalid()) Traits::close(m_h);
        m_h = h;
    }

private:
    T m_h = Traits::invalid();
};

struct KernelHandleTraits {
    static HANDLE invalid() { return nullptr; }
    static void close(HANDLE h) { CloseHandle(h); }
};
struct FileHandleTraits {
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { CloseHandle(h); }
};
struct FindHandleTraits {
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { FindClose(h); }
};
struct RegKeyTraits {
    static HKEY invalid() { return nullptr; }
    static void close(HKEY h) { RegCloseKey(h); }
};
struct ModuleTraits {
    static HMODULE invalid() { return nullptr; }
    static void close(HMODULE h) { FreeLibrary(h); }
};

using Handle = UniqueHandle<HANDLE, KernelHandleTraits>;
using File = UniqueHandle<HANDLE, FileHandleTraits>;
using FindHandle = UniqueHandle<HANDLE, FindHandleTraits>;
using RegKey = UniqueHandle<HKEY, RegKeyTraits>;
using Module = UniqueHandle<HMODULE, ModuleTraits>;

// A function a loaded module exports (by name, or by ordinal through
// MAKEINTRESOURCEA), typed as the caller declares it; null when the module
// or the function is missing.
template <typename Fn>
Fn procAddress(HMODULE module, const char* name) noexcept {
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

} // namespace win32
