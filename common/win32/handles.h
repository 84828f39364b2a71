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

// A handle that is null when empty, or INVALID_HANDLE_VALUE when empty,
// and is let go of by the call Close.
template <typename T, auto Close>
struct NullHandleTraits {
    static T invalid() { return nullptr; }
    static void close(T h) { Close(h); }
};
template <auto Close>
struct InvalidHandleTraits {
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { Close(h); }
};
template <typename T, auto Close>
using NullHandle = UniqueHandle<T, NullHandleTraits<T, Close>>;

using Handle = NullHandle<HANDLE, &CloseHandle>;
using File = UniqueHandle<HANDLE, InvalidHandleTraits<&CloseHandle>>;
using FindHandle = UniqueHandle<HANDLE, InvalidHandleTraits<&FindClose>>;
using RegKey = NullHandle<HKEY, &RegCloseKey>;
using Module = NullHandle<HMODULE, &FreeLibrary>;
// A GDI object the program made (font, brush, pen, bitmap), typed as made
// so get() needs no cast. It must not be selected into a DC when it goes.
template <typename T>
using GdiObject = NullHandle<T, &DeleteObject>;
using Font = GdiObject<HFONT>;
using Brush = GdiObject<HBRUSH>;
using Pen = GdiObject<HPEN>;
using Bitmap = GdiObject<HBITMAP>;
// An icon the program loaded or made; not one LoadIcon gives (shared).
using Icon = NullHandle<HICON, &DestroyIcon>;
// A memory DC from CreateCompatibleDC (not one from GetDC or BeginPaint).
using MemoryDC = NullHandle<HDC, &DeleteDC>;

// A function a loaded module exports (by name, or by ordinal through
// MAKEINTRESOURCEA), typed as the caller declares it; null when the module
// or the function is missing.
template <typename Fn>
Fn procAddress(HMODULE module, const char* name) noexcept {
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

} // namespace win32
