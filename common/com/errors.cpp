// errors.cpp
#include "errors.h"

#include "ptr.h"

namespace com {

HRESULT raiseError(HRESULT hr, REFIID iid, const wchar_t* source, const wchar_t* description,
                   DWORD helpContext) noexcept {
    ComPtr<ICreateErrorInfo> create;
    ComPtr<IErrorInfo> info;
    // The OLE setters take non-const strings but only copy them.
    if (SUCCEEDED(CreateErrorInfo(create.put())) && SUCCEEDED(create->SetGUID(iid)) &&
        (!source || SUCCEEDED(create->SetSource(const_cast<LPOLESTR>(source)))) &&
        (!description || !*description || SUCCEEDED(create->SetDescription(const_cast<LPOLESTR>(description)))) &&
        SUCCEEDED(create->SetHelpContext(helpContext)) && SUCCEEDED(create.as(info))) {
        SetErrorInfo(0, info.get());
    } else {
        SetErrorInfo(0, nullptr);
    }
    return hr;
}

void clearErrorInfo() noexcept { SetErrorInfo(0, nullptr); }

bool takeErrorInfo(ErrorDetails& out) noexcept {
    out = ErrorDetails();
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.put()) != S_OK || !info) return false;
    info->GetGUID(&out.iid);
    info->GetSource(out.source.put());
    info->GetDescription(out.description.put());
    info->GetHelpFile(out.helpFile.put());
    info->GetHelpContext(&out.helpContext);
    return true;
}

} // namespace com
