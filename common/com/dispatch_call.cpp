// dispatch_call.cpp
#include "dispatch_call.h"

#include <vector>

namespace com {

HRESULT callByDispid(IDispatch* object, DISPID id, WORD flags, const VARIANT* args,
                     std::size_t count, VARIANT* result, EXCEPINFO* excep) {
    if (!object) return E_POINTER;
    std::vector<VARIANT> reversed(count);
    for (std::size_t i = 0; i < count; ++i) reversed[count - 1 - i] = args[i];
    DISPID putId = DISPID_PROPERTYPUT;
    const bool put = (flags & DISPATCH_PROPERTYPUT) != 0;
    DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), put ? &putId : nullptr,
                      static_cast<UINT>(count), put ? 1u : 0u};
    UINT argErr = 0;
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, put ? nullptr : result,
                          excep, &argErr);
}

} // namespace com
