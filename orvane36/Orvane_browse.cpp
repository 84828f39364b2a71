// Orvane_browse.cpp
// Property pages and property browsing: the page that edits the control,
// the launch-mode names a host's property list offers, and the texts it
// shows for the settings the page edits.
#include <cstdio>
#include <string>

#include "Orvane.h"
#include "common/com/bstr.h"
#include "common/com/typeinfo.h"
#include "common/com/variant.h"
#include "resource.h"

namespace orvane36 {

namespace {

constexpr LONG kModeNone = 0;
constexpr LONG kModeOnLoad = 1;

// The names shown for the modes whose enumerators carry no documentation
// in the embedded library.
const char* builtInModeName(LONG value) noexcept {
    switch (value) {
    case kModeNone: return "None";
    case kModeOnLoad: return "On Load";
    default: return nullptr;
    }
}

} // namespace

// --- property pages and browsing ----------------------------------------

const TextList& Orvane::verifyModeNames() {
    if (m_typeNames) return *m_typeNames;
    TextList names('\0');
    com::ComPtr<ITypeLib> library;
    com::ComPtr<ITypeInfo> modes;
    if (SUCCEEDED(com::typeInfos().library(library.put()))) {
        const std::wstring wanted = L"VerifyModeConstants";
        for (UINT i = 0, n = library->GetTypeInfoCount(); i < n && !modes; ++i) {
            BSTR name = nullptr;
            if (FAILED(library->GetDocumentation(static_cast<INT>(i), &name, nullptr, nullptr, nullptr))) continue;
            const com::Bstr owned = com::Bstr::attach(name);
            if (owned.view() == wanted) library->GetTypeInfo(i, modes.put());
        }
    }
    for (UINT index = 0; modes && index < 2; ++index) {
        VARDESC* var = nullptr;
        if (FAILED(modes->GetVarDesc(index, &var))) break;
        LONG value = 0;
        if (var->varkind == VAR_CONST && var->lpvarValue) com::toLong(*var->lpvarValue, value);
        BSTR doc = nullptr;
        modes->GetDocumentation(var->memid, nullptr, &doc, nullptr, nullptr);
        modes->ReleaseVarDesc(var);
        std::string text = com::Bstr::attach(doc).toAnsi();
        if (text.empty() && builtInModeName(value)) text = builtInModeName(value);
        char line[300];
        std::snprintf(line, sizeof line, "%ld - %s", static_cast<long>(value), text.c_str());
        names.append(std::string_view(line));
    }
    m_typeNames = std::move(names);
    return *m_typeNames;
}

HRESULT Orvane::GetPages(CAUUID* pages) {
    if (!pages) return E_POINTER;
    pages->cElems = 0;
    pages->pElems = static_cast<GUID*>(CoTaskMemAlloc(sizeof(GUID)));
    if (!pages->pElems) return E_OUTOFMEMORY;
    pages->pElems[0] = CLSID_OrvanePropPage;
    pages->cElems = 1;
    return S_OK;
}

HRESULT Orvane::MapPropertyToPage(DISPID id, CLSID* out) {
    if (!out) return E_POINTER;
    if (id == dispid::kSelectFiles || id == dispid::kPathFilter || id == dispid::kFileFilter) {
        *out = CLSID_OrvanePropPage;
        return S_OK;
    }
    *out = CLSID_NULL;
    return E_INVALIDARG;
}

HRESULT Orvane::GetPredefinedStrings(DISPID id, CALPOLESTR* strings, CADWORD* cookies) {
    if (!strings || !cookies) return E_POINTER;
    strings->cElems = 0;
    strings->pElems = nullptr;
    cookies->cElems = 0;
    cookies->pElems = nullptr;
    if (id != dispid::kVerifyMode) return E_INVALIDARG;
    return com::guard([&]() -> HRESULT {
        const TextList& names = verifyModeNames();
        const ULONG n = static_cast<ULONG>(names.count());
        auto* texts = static_cast<LPOLESTR*>(CoTaskMemAlloc(sizeof(LPOLESTR) * (n ? n : 1)));
        auto* values = static_cast<DWORD*>(CoTaskMemAlloc(sizeof(DWORD) * (n ? n : 1)));
        if (!texts || !values) {
            CoTaskMemFree(texts);
            CoTaskMemFree(values);
            return E_OUTOFMEMORY;
        }
        ULONG made = 0;
        for (; made < n; ++made) {
            const std::wstring w = com::toWide(names.item(made).value_or(""));
            auto* copy = static_cast<LPOLESTR>(CoTaskMemAlloc((w.size() + 1) * sizeof(wchar_t)));
            if (!copy) break;
            std::copy(w.c_str(), w.c_str() + w.size() + 1, copy);
            texts[made] = copy;
            values[made] = made;
        }
        if (made < n) {
            for (ULONG i = 0; i < made; ++i) CoTaskMemFree(texts[i]);
            CoTaskMemFree(texts);
            CoTaskMemFree(values);
            return E_OUTOFMEMORY;
        }
        strings->cElems = n;
        strings->pElems = texts;
        cookies->cElems = n;
        cookies->pElems = values;
        return S_OK;
    });
}

HRESULT Orvane::GetPredefinedValue(DISPID id, DWORD cookie, VARIANT* out) {
    if (!out) return E_POINTER;
    VariantInit(out);
    if (id != dispid::kVerifyMode) return S_OK;
    return com::guard([&]() -> HRESULT {
        if (cookie >= verifyModeNames().count()) return E_INVALIDARG;
        V_VT(out) = VT_I4;
        V_I4(out) = static_cast<LONG>(cookie);
        return S_OK;
    });
}

HRESULT Orvane::GetDisplayString(DISPID id, BSTR* out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return com::guard([&]() -> HRESULT {
        std::optional<std::string> text;
        switch (id) {
        case dispid::kVerifyMode:
            if (m_verifyMode >= 0) text = verifyModeNames().item(static_cast<size_t>(m_verifyMode));
            break;
        case dispid::kSelectFiles: text = LoadResString(IDS_SELECTFILES_DISPLAY); break;
        case dispid::kPathFilter: text = LoadResString(IDS_PATHFILTER_DISPLAY); break;
        case dispid::kFileFilter: text = LoadResString(IDS_FILEFILTER_DISPLAY); break;
        default: break;
        }
        if (!text) return S_FALSE;
        return com::ansiToBstr(*text, out);
    });
}

} // namespace orvane36
