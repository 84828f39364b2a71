// CallBack.cpp
#include "CallBack.h"

#include <vector>

#include "common/com/variant.h"

namespace sockloom {

void callBackByName(IDispatch* target, const wchar_t* name, IDispatch* self, std::initializer_list<VARIANT> args) {
    if (!target) return;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID member = 0;
    if (FAILED(target->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &member))) return;
    // This object first, then the event's arguments; passed last to first.
    std::vector<VARIANT> reversed(std::rbegin(args), std::rend(args));
    reversed.push_back(com::argDispatch(self));
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    EXCEPINFO info{};
    com::Variant result;
    target->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result.put(), &info, nullptr);
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
}

}  // namespace sockloom
