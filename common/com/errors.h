// errors.h
// Automation errors: the HRESULTs the servers raise, the error-information
// object that carries their source and description to the caller, the
// ISupportErrorInfo answer, and the exception barrier of every COM method.
//
// Error information belongs to the calling thread: raiseError stores it
// in the thread's slot (SetErrorInfo) and the caller, or ITypeInfo::Invoke
// on a late-bound call, takes it (GetErrorInfo) after the failing call.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <new>

#include "bstr.h"
#include "trace.h"

namespace com {

// Error n as a control raises it: 0x800A0000 | n (380 gives 0x800A017C).
constexpr HRESULT controlError(unsigned n) noexcept {
    return static_cast<HRESULT>(0x800A0000u | (n & 0xFFFFu));
}
// An error in the object-defined range: 0x80040000 + n (the socket
// library's error n is objectError(0x200 + n)).
constexpr HRESULT objectError(unsigned n) noexcept {
    return static_cast<HRESULT>(0x80040000u + (n & 0xFFFFu));
}

// Stores error information for the calling thread and returns hr, so a
// method ends with `return raiseError(...)`. source and description are
// optional (null or "" leaves them out); iid names the interface whose
// method failed. If the information cannot be made, the slot is cleared
// so no stale text is reported with hr.
HRESULT raiseError(HRESULT hr, REFIID iid, const wchar_t* source, const wchar_t* description = nullptr,
                   DWORD helpContext = 0) noexcept;

// Empties the thread's error slot.
void clearErrorInfo() noexcept;

// The thread's error information, taken (the slot is emptied).
struct ErrorDetails {
    GUID iid = GUID_NULL;
    Bstr source;
    Bstr description;
    Bstr helpFile;
    DWORD helpContext = 0;
};
// False when the thread has none.
bool takeErrorInfo(ErrorDetails& out) noexcept;

// The ISupportErrorInfo of a class whose listed interfaces raise errors.
// Use it as an entry of com::Object's list: Object<..., SupportErrorInfo<IThing>>.
template <typename... Interfaces>
class SupportErrorInfo : public ISupportErrorInfo {
public:
    using ComInterface = ISupportErrorInfo;
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override {
        return ((riid == __uuidof(Interfaces)) || ...) ? S_OK : S_FALSE;
    }
};

// Runs body (a callable returning HRESULT) so that no exception leaves a
// COM method: std::bad_alloc becomes E_OUTOFMEMORY, anything else
// E_UNEXPECTED.
//
//   HRESULT STDMETHODCALLTYPE Thing::get_Name(BSTR* out) {
//       return com::guard([&] { return com::Bstr::fromAnsi(m_name).releaseTo(out); });
//   }
template <typename Body>
HRESULT guard(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        COM_TRACE("exception stopped at a COM boundary");
        return E_UNEXPECTED;
    }
}

} // namespace com
