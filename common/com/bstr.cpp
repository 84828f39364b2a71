// bstr.cpp
#include "bstr.h"

#include <limits>
#include <new>


namespace com {

namespace {

int checkedLength(size_t n) {
    if (n > static_cast<size_t>(std::numeric_limits<int>::max() / 2)) throw std::bad_alloc();
    return static_cast<int>(n);
}

BSTR allocOrThrow(const wchar_t* text, UINT length) {
    BSTR b = SysAllocStringLen(text, length);
    if (!b) throw std::bad_alloc();
    return b;
}

} // namespace

Bstr::Bstr(const wchar_t* text) {
    if (text) reset(allocOrThrow(text, static_cast<UINT>(wcslen(text))));
}

Bstr::Bstr(const wchar_t* text, UINT length) { reset(allocOrThrow(text, length)); }

Bstr Bstr::fromAnsi(std::string_view text) {
    int n = checkedLength(text.size());
    int wide = n ? MultiByteToWideChar(CP_ACP, 0, text.data(), n, nullptr, 0) : 0;
    if (n && wide <= 0) throw std::bad_alloc();
    // SysAllocStringLen with null text gives an uninitialised buffer of that length.
    Bstr r = attach(allocOrThrow(nullptr, static_cast<UINT>(wide)));
    if (wide) MultiByteToWideChar(CP_ACP, 0, text.data(), n, r.get(), wide);
    return r;
}

Bstr Bstr::copy() const { return get() ? Bstr(get(), length()) : Bstr(); }

HRESULT Bstr::releaseTo(BSTR* out) noexcept {
    if (!out) return E_POINTER;
    *out = release();
    return S_OK;
}

std::string Bstr::toAnsi() const { return com::toAnsi(view()); }

std::string toAnsi(std::wstring_view text) {
    if (text.empty()) return {};
    int n = checkedLength(text.size());
    int bytes = WideCharToMultiByte(CP_ACP, 0, text.data(), n, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) throw std::bad_alloc();
    std::string r(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), n, r.data(), bytes, nullptr, nullptr);
    return r;
}

std::wstring toWide(std::string_view text) {
    if (text.empty()) return {};
    int n = checkedLength(text.size());
    int wide = MultiByteToWideChar(CP_ACP, 0, text.data(), n, nullptr, 0);
    if (wide <= 0) throw std::bad_alloc();
    std::wstring r(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), n, r.data(), wide);
    return r;
}

HRESULT ansiToBstr(std::string_view text, BSTR* out) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    try {
        *out = Bstr::fromAnsi(text).release();
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

} // namespace com
