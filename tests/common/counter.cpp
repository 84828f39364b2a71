// counter.cpp
#include "counter.h"

#include "common/com/variant.h"

namespace comtest {

namespace {
LONG gDestroyed = 0;
}

CounterObject::~CounterObject() { InterlockedIncrement(&gDestroyed); }

LONG CounterObject::destroyed() noexcept { return InterlockedCompareExchange(&gDestroyed, 0, 0); }

HRESULT CounterObject::get_Value(LONG* value) {
    COM_TRACE("CounterObject::get_Value");
    if (!value) return E_POINTER;
    *value = m_value;
    return S_OK;
}

HRESULT CounterObject::put_Value(LONG value) {
    COM_TRACE("CounterObject::put_Value(%ld)", static_cast<long>(value));
    m_value = value;
    return connectionPoint<IPropertyNotifySink>().forEach<IPropertyNotifySink>(
        [](IPropertyNotifySink* sink) { sink->OnChanged(1); });
}

HRESULT CounterObject::Add(LONG amount, LONG* total) {
    if (!total) return E_POINTER;
    m_value += amount;
    *total = m_value;
    return S_OK;
}

HRESULT CounterObject::get_Name(BSTR* name) { return com::ansiToBstr(m_name, name); }

HRESULT CounterObject::put_Name(BSTR name) {
    return com::guard([&] {
        m_name = com::toAnsi(com::bstrView(name));
        return S_OK;
    });
}

HRESULT CounterObject::Fail(LONG result, VARIANT description) {
    return com::guard([&] {
        com::Bstr text;
        if (!com::isMissing(description)) com::toBstr(description, text);
        return com::raiseError(result, IID_ICounter, kErrorSource, text.get());
    });
}

HRESULT CounterObject::Notify(LONG value, VARIANT_BOOL* stopped) {
    if (!stopped) return E_POINTER;
    VARIANT_BOOL stop = VARIANT_FALSE;
    HRESULT hr = connectionPoint<_CounterEvents>().fire(1, {com::argLong(value), com::refBool(&stop)});
    *stopped = stop;
    return hr;
}

} // namespace comtest
