// bstr.h
// Bstr: the owner of one BSTR, and the conversions between BSTR and the
// programs' ANSI text (the system's ANSI code page, std::string).
//
// A null BSTR and an empty one mean the same text (""), as in COM; the
// owner keeps whichever it was given. Embedded NULs survive every
// conversion because lengths are explicit. Allocation failure throws
// std::bad_alloc: inside a COM method, run the body under com::guard.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <string_view>

#include "common/win32/handles.h"

namespace com {

struct BstrTraits {
    static BSTR invalid() noexcept { return nullptr; }
    static void close(BSTR b) noexcept { SysFreeString(b); }
};

// Owns one BSTR: get(), put() for [out] parameters (frees the old text
// first), release() hands it to the caller, reset(); movable, not copyable.
class Bstr : public win32::UniqueHandle<BSTR, BstrTraits> {
public:
    Bstr() noexcept = default;
    // Copies the text; a null pointer gives a null BSTR.
    explicit Bstr(const wchar_t* text);
    Bstr(const wchar_t* text, UINT length);
    explicit Bstr(std::wstring_view text) : Bstr(text.data(), static_cast<UINT>(text.size())) {}
    // Converts ANSI text into a new BSTR (never null, even for "").
    static Bstr fromAnsi(std::string_view text);
    // Adopts a BSTR the caller owns.
    static Bstr attach(BSTR b) noexcept {
        Bstr r;
        r.reset(b);
        return r;
    }

    Bstr copy() const;
    // Moves the text into an [out, retval] BSTR*; E_POINTER for null.
    HRESULT releaseTo(BSTR* out) noexcept;

    UINT length() const noexcept { return get() ? SysStringLen(get()) : 0; }
    bool empty() const noexcept { return length() == 0; }
    std::wstring_view view() const noexcept { return {get() ? get() : L"", length()}; }
    std::string toAnsi() const;
};

// The characters of a BSTR it does not own (null gives "").
inline std::wstring_view bstrView(BSTR b) noexcept { return {b ? b : L"", b ? SysStringLen(b) : 0}; }

// Wide text to ANSI; characters the code page lacks become '?'.
std::string toAnsi(std::wstring_view text);
// ANSI text to wide.
std::wstring toWide(std::string_view text);

// Fills an [out, retval] BSTR* with ANSI text; never throws.
HRESULT ansiToBstr(std::string_view text, BSTR* out) noexcept;

} // namespace com
