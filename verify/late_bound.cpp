// late_bound.cpp
#include "verify/late_bound.h"

#include "common/com/bstr.h"
#include "common/com/dispatch_call.h"
#include "common/com/errors.h"

namespace latebound {

namespace {

// Takes what a failed Invoke left in EXCEPINFO (freeing its texts) and
// turns it into the error to throw.
ControlError errorFrom(HRESULT hr, EXCEPINFO& e) {
    if (hr == DISP_E_EXCEPTION && e.pfnDeferredFillIn) e.pfnDeferredFillIn(&e);
    com::Bstr description = com::Bstr::attach(e.bstrDescription);
    com::Bstr source = com::Bstr::attach(e.bstrSource);
    com::Bstr helpFile = com::Bstr::attach(e.bstrHelpFile);
    if (hr == DISP_E_EXCEPTION) {
        if (e.scode) hr = e.scode;
        else if (e.wCode) hr = static_cast<HRESULT>(0x800A0000u | e.wCode);
    }
    std::string text = description.toAnsi();
    if (text.empty()) {
        com::ErrorDetails details;
        if (com::takeErrorInfo(details)) text = details.description.toAnsi();
    }
    return ControlError(hr, std::move(text));
}

com::Variant invoke(IDispatch* object, DISPID id, WORD flags, std::initializer_list<VARIANT> args) {
    if (!object) throw ControlError(E_POINTER, {});
    com::Variant result;
    EXCEPINFO excep{};
    HRESULT hr = com::callByDispid(object, id, flags, args.begin(), args.size(), result.put(), &excep);
    if (FAILED(hr)) throw errorFrom(hr, excep);
    return result;
}

} // namespace

ControlError::ControlError(HRESULT hr, std::string description)
    : std::runtime_error(description.empty() ? "automation error" : description), m_hr(hr),
      m_description(std::move(description)) {}

long ControlError::number() const noexcept {
    const auto bits = static_cast<unsigned long>(m_hr);
    if ((bits & 0xFFFF0000ul) == 0x800A0000ul) return static_cast<long>(bits & 0xFFFFul);
    return static_cast<long>(m_hr);
}

com::Variant get(IDispatch* object, DISPID id, std::initializer_list<VARIANT> args) {
    return invoke(object, id, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args);
}

std::string getText(IDispatch* object, DISPID id, std::initializer_list<VARIANT> args) {
    com::Variant v = get(object, id, args);
    std::string text;
    if (v.type() == VT_NULL || v.type() == VT_EMPTY) return text;
    if (HRESULT hr = com::toAnsi(v.get(), text); FAILED(hr)) throw ControlError(hr, {});
    return text;
}

LONG getLong(IDispatch* object, DISPID id, std::initializer_list<VARIANT> args) {
    com::Variant v = get(object, id, args);
    LONG n = 0;
    if (HRESULT hr = com::toLong(v.get(), n); FAILED(hr)) throw ControlError(hr, {});
    return n;
}

void put(IDispatch* object, DISPID id, const VARIANT& value) {
    invoke(object, id, DISPATCH_PROPERTYPUT, {value});
}

} // namespace latebound
