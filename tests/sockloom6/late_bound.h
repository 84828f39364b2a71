// late_bound.h
// Drives automation objects the way a script host does: by name through
// IDispatch::GetIDsOfNames and Invoke, arguments given first to last.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "common/com/ptr.h"
#include "common/com/variant.h"

namespace harness {

struct Result {
    HRESULT hr = E_FAIL;
    com::Variant value;
    // From EXCEPINFO when the member raised an error.
    std::wstring source;
    std::wstring description;

    bool ok() const { return SUCCEEDED(hr); }
    // The value, or hr itself when the call failed.
    LONG asLong() const;
    bool asBool() const;
    std::string asText() const;
    com::ComPtr<IDispatch> asObject() const;
    std::vector<BYTE> asBytes() const;
};

// A method call (method or property get, as script hosts ask).
Result call(IDispatch* target, const wchar_t* name, std::initializer_list<VARIANT> args = {});
Result get(IDispatch* target, const wchar_t* name, std::initializer_list<VARIANT> args = {});
HRESULT put(IDispatch* target, const wchar_t* name, const VARIANT& value);
HRESULT putRef(IDispatch* target, const wchar_t* name, IDispatch* value);

// Argument views (owning nothing) for the calls above.
VARIANT text(BSTR b);
VARIANT object(IDispatch* p);
VARIANT missing();

// A BSTR owned by the test for the lifetime of a call.
class Text {
public:
    explicit Text(const wchar_t* s) : m_b(SysAllocString(s)) {}
    ~Text() { SysFreeString(m_b); }
    Text(const Text&) = delete;
    Text& operator=(const Text&) = delete;
    operator BSTR() const { return m_b; }

private:
    BSTR m_b;
};

// A byte array VARIANT owned by the test.
com::Variant bytes(const std::string& data);

}  // namespace harness
