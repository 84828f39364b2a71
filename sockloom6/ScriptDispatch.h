// ScriptDispatch.h
// IDispatch for the library's classes: the embedded type library's, with
// by-reference arguments taken as script hosts pass them.
//
// A script passes each variable by reference as a VARIANT reference
// (VT_BYREF | VT_VARIANT). A member declared with a typed reference (a
// long*, a zkSockName** ...) needs the typed reference instead; Windows'
// ITypeInfo::Invoke converts it, Wine's refuses it with a type mismatch.
// So before Invoke each such argument is turned into the typed reference
// the member declares, pointing into the caller's own variable (whose
// value is first converted to the declared type when it holds another),
// so what the member writes reaches the caller's variable as by-reference
// semantics require. Members declared with VARIANT* get the VARIANT
// reference unchanged.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <vector>

#include "common/com/typeinfo.h"

namespace sockloom {

// The arguments of call (id, flags) with every VARIANT reference that
// meets a typed by-reference parameter of the member turned into that
// typed reference; false when nothing needed changing (args untouched).
bool typedReferences(ITypeInfo* type, DISPID id, WORD flags, const DISPPARAMS& params, std::vector<VARIANT>& args);

template <typename I>
class ScriptDispatch : public com::Dispatch<I> {
public:
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* excep, UINT* argErr) override {
        if (params && params->cArgs > 0) {
            com::ComPtr<ITypeInfo> type;
            std::vector<VARIANT> args;
            try {
                if (SUCCEEDED(com::typeInfos().get(__uuidof(I), type.put())) &&
                    typedReferences(type.get(), id, flags, *params, args)) {
                    DISPPARAMS typed = *params;
                    typed.rgvarg = args.data();
                    return com::Dispatch<I>::Invoke(id, riid, lcid, flags, &typed, result, excep, argErr);
                }
            } catch (...) {
                return E_OUTOFMEMORY;
            }
        }
        return com::Dispatch<I>::Invoke(id, riid, lcid, flags, params, result, excep, argErr);
    }
};

}  // namespace sockloom
