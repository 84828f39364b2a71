// ScriptDispatch.cpp
#include "ScriptDispatch.h"

#include "common/com/ptr.h"

namespace sockloom {

namespace {

// The function description of the member a call reaches.
class FuncDesc {
public:
    FuncDesc(ITypeInfo* type, DISPID id, WORD flags) noexcept : m_type(type) {
        TYPEATTR* attr = nullptr;
        if (FAILED(type->GetTypeAttr(&attr))) return;
        const WORD functions = attr->cFuncs;
        type->ReleaseTypeAttr(attr);
        for (UINT i = 0; i < functions && !m_desc; ++i) {
            FUNCDESC* f = nullptr;
            if (FAILED(type->GetFuncDesc(i, &f))) continue;
            if (f->memid == id && (static_cast<WORD>(f->invkind) & flags) != 0) {
                m_desc = f;
            } else {
                type->ReleaseFuncDesc(f);
            }
        }
    }
    ~FuncDesc() {
        if (m_desc) m_type->ReleaseFuncDesc(m_desc);
    }
    FuncDesc(const FuncDesc&) = delete;
    FuncDesc& operator=(const FuncDesc&) = delete;
    const FUNCDESC* get() const noexcept { return m_desc; }

private:
    ITypeInfo* m_type;
    FUNCDESC* m_desc = nullptr;
};

// Where a typed reference of type vt points inside a VARIANT; null for a
// type this does not serve.
void* valueSlot(VARIANT& v, VARTYPE vt) noexcept {
    switch (vt) {
    case VT_I2:
        return &v.iVal;
    case VT_I4:
        return &v.lVal;
    case VT_R4:
        return &v.fltVal;
    case VT_R8:
        return &v.dblVal;
    case VT_BOOL:
        return &v.boolVal;
    case VT_BSTR:
        return &v.bstrVal;
    case VT_UI1:
        return &v.bVal;
    case VT_DATE:
        return &v.date;
    case VT_CY:
        return &v.cyVal;
    case VT_DISPATCH:
        return &v.pdispVal;
    default:
        return nullptr;
    }
}

bool isEnumeration(ITypeInfo* type, HREFTYPE ref) noexcept {
    com::ComPtr<ITypeInfo> target;
    if (FAILED(type->GetRefTypeInfo(ref, target.put()))) return false;
    TYPEATTR* attr = nullptr;
    if (FAILED(target->GetTypeAttr(&attr))) return false;
    const bool enumeration = attr->typekind == TKIND_ENUM;
    target->ReleaseTypeAttr(attr);
    return enumeration;
}

// The value type a by-reference parameter points to; VT_EMPTY when the
// parameter is not a typed reference this serves (VARIANT* included, and
// an interface pointer passed by value).
VARTYPE referenced(ITypeInfo* type, const TYPEDESC& param) noexcept {
    if (param.vt != VT_PTR || !param.lptdesc) return VT_EMPTY;
    const TYPEDESC& to = *param.lptdesc;
    // A pointer to an interface pointer: an object by reference.
    if (to.vt == VT_PTR || to.vt == VT_DISPATCH) return VT_DISPATCH;
    if (to.vt == VT_USERDEFINED) return static_cast<VARTYPE>(isEnumeration(type, to.hreftype) ? VT_I4 : VT_EMPTY);
    VARIANT probe;
    VariantInit(&probe);
    return valueSlot(probe, to.vt) ? to.vt : static_cast<VARTYPE>(VT_EMPTY);
}

// Turns one VARIANT reference into the typed reference wanted; false when
// the caller's variable cannot hold that type.
bool retype(VARIANT& arg, VARTYPE wanted) noexcept {
    VARIANT* target = arg.pvarVal;
    if (!target || (target->vt & VT_BYREF)) return false;
    if (target->vt != wanted) {
        if (wanted == VT_DISPATCH) {
            // Only an object, or an empty variable to receive one.
            if (target->vt != VT_EMPTY) return false;
            target->vt = VT_DISPATCH;
            target->pdispVal = nullptr;
        } else if (FAILED(VariantChangeType(target, target, 0, wanted))) {
            return false;
        }
    }
    void* slot = valueSlot(*target, wanted);
    if (!slot) return false;
    arg.vt = static_cast<VARTYPE>(VT_BYREF | wanted);
    arg.byref = slot;
    return true;
}

}  // namespace

bool typedReferences(ITypeInfo* type, DISPID id, WORD flags, const DISPPARAMS& params, std::vector<VARIANT>& args) {
    bool byVariant = false;
    for (UINT i = 0; i < params.cArgs; ++i) byVariant |= params.rgvarg[i].vt == (VT_BYREF | VT_VARIANT);
    if (!byVariant) return false;
    FuncDesc desc(type, id, flags);
    const FUNCDESC* f = desc.get();
    if (!f) return false;

    args.assign(params.rgvarg, params.rgvarg + params.cArgs);
    bool changed = false;
    const UINT named = params.cNamedArgs;
    for (UINT i = 0; i < params.cArgs; ++i) {
        if (args[i].vt != (VT_BYREF | VT_VARIANT)) continue;
        // Named arguments come first in rgvarg; the rest are positional,
        // last parameter first.
        LONG param = -1;
        if (i < named) {
            const DISPID n = params.rgdispidNamedArgs[i];
            param = n == DISPID_PROPERTYPUT ? f->cParams - 1 : n;
        } else {
            param = static_cast<LONG>(params.cArgs - 1 - i);
        }
        if (param < 0 || param >= f->cParams) continue;
        const VARTYPE wanted = referenced(type, f->lprgelemdescParam[param].tdesc);
        if (wanted != VT_EMPTY) changed |= retype(args[i], wanted);
    }
    return changed;
}

}  // namespace sockloom
