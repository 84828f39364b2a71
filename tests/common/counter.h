// counter.h
// The test class built on the plumbing the way a server builds its own: a
// dual interface from the embedded type library, error information, class
// information, and two connection points (its events and property change
// notices). Linked into the test program and into the test server DLL.
#pragma once

#include <windows.h>

#include <string>

#include "common/com/connection.h"
#include "common/com/object.h"
#include "common/com/typeinfo.h"
#include "comtest.h"

namespace comtest {

inline constexpr wchar_t kErrorSource[] = L"ComTest Source";

class CounterObject final
    : public com::Object<com::Dispatch<ICounter>, com::SupportErrorInfo<ICounter>,
                         com::ProvideClassInfo2<Counter, _CounterEvents>,
                         com::ConnectionPoints<_CounterEvents, IPropertyNotifySink>> {
public:
    CounterObject() = default;
    ~CounterObject() override;

    HRESULT STDMETHODCALLTYPE get_Value(LONG* value) override;
    HRESULT STDMETHODCALLTYPE put_Value(LONG value) override;
    HRESULT STDMETHODCALLTYPE Add(LONG amount, LONG* total) override;
    HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override;
    HRESULT STDMETHODCALLTYPE put_Name(BSTR name) override;
    // Raises error `result` with source kErrorSource and the description
    // when one is given.
    HRESULT STDMETHODCALLTYPE Fail(LONG result, VARIANT description) override;
    // Fails with `result` and no error information.
    HRESULT STDMETHODCALLTYPE FailPlain(LONG result) override { return result; }
    // Fires Changed(value, stop) and answers the stop flag the sinks left.
    HRESULT STDMETHODCALLTYPE Notify(LONG value, VARIANT_BOOL* stopped) override;

    // How many CounterObjects have been destroyed in this module.
    static LONG destroyed() noexcept;

private:
    LONG m_value = 0;
    std::string m_name;
};

} // namespace comtest
