// Orvane_persist.cpp
// Loading and saving the control: the file list first, then the seven
// properties, each put through its own member, in the saved-stream layout
// or by name in a property bag.
#include <optional>
#include <string>

#include "Orvane.h"
#include "common/com/bstr.h"
#include "common/com/variant.h"
#include "common/filelist/ole_streams.h"
#include "saved_control.h"

namespace orvane36 {

// --- persistence -------------------------------------------------------

HRESULT Orvane::putProperty(size_t index, const VARIANT& value) noexcept {
    const VARIANT& v = com::deref(value);
    switch (kPropertyMap[index].id) {
    case PropertyId::Slave: {
        bool b = false;
        if (HRESULT hr = com::toBool(v, b); FAILED(hr)) return hr;
        return put_Slave(com::toVariantBool(b));
    }
    case PropertyId::VerifyMode: {
        LONG n = 0;
        if (HRESULT hr = com::toLong(v, n); FAILED(hr)) return hr;
        return put_VerifyMode(static_cast<enumVerifyMode>(n));
    }
    case PropertyId::Delay: {
        bool b = false;
        if (HRESULT hr = com::toBool(v, b); FAILED(hr)) return hr;
        return put_Delay(com::toVariantBool(b));
    }
    case PropertyId::PathFilter:
    case PropertyId::FileFilter: {
        SHORT n = 0;
        if (HRESULT hr = com::toShort(v, n); FAILED(hr)) return hr;
        return kPropertyMap[index].id == PropertyId::PathFilter ? put_PathFilter(n) : put_FileFilter(n);
    }
    case PropertyId::FileFilterExt:
    case PropertyId::OtherPaths: {
        com::Bstr text;
        if (V_VT(&v) != VT_EMPTY && V_VT(&v) != VT_NULL) {
            if (HRESULT hr = com::toBstr(v, text); FAILED(hr)) return hr;
        }
        return kPropertyMap[index].id == PropertyId::FileFilterExt ? put_FileFilterExt(text.get())
                                                                   : put_OtherPaths(text.get());
    }
    }
    return E_INVALIDARG;
}

HRESULT Orvane::getProperty(size_t index, com::Variant& value) noexcept {
    return com::guard([&]() -> HRESULT {
        switch (kPropertyMap[index].id) {
        case PropertyId::Slave: value = com::Variant::fromBool(m_slave); return S_OK;
        case PropertyId::VerifyMode: value = com::Variant::fromLong(m_verifyMode); return S_OK;
        case PropertyId::Delay: {
            VARIANT_BOOL b = VARIANT_FALSE;
            get_Delay(&b);
            value = com::Variant::fromBool(b != VARIANT_FALSE);
            return S_OK;
        }
        case PropertyId::PathFilter: value = com::Variant::fromShort(m_pathFilter); return S_OK;
        case PropertyId::FileFilter: value = com::Variant::fromShort(m_fileFilter); return S_OK;
        case PropertyId::FileFilterExt:
            value = com::Variant::fromAnsi(m_fileFilterExt.value_or(""));
            return S_OK;
        case PropertyId::OtherPaths: value = com::Variant::fromAnsi(m_otherPaths.value_or("")); return S_OK;
        }
        return E_INVALIDARG;
    });
}

namespace {

// The control's properties in their saved form.
ControlProperties savedProperties(bool slave, LONG verifyMode, VARIANT_BOOL delay, SHORT pathFilter,
                                  SHORT fileFilter, const std::optional<std::string>& ext,
                                  const std::optional<std::string>& paths) {
    auto wide = [](const std::optional<std::string>& text) -> std::optional<std::u16string> {
        if (!text) return std::nullopt;
        const std::wstring w = com::toWide(*text);
        return std::u16string(w.begin(), w.end());
    };
    ControlProperties p;
    p.slave = slave ? kVariantTrue : kVariantFalse;
    p.verifyMode = verifyMode;
    p.delay = delay != VARIANT_FALSE ? kVariantTrue : kVariantFalse;
    p.pathFilter = pathFilter;
    p.fileFilter = fileFilter;
    p.fileFilterExt = wide(ext);
    p.otherPaths = wide(paths);
    return p;
}

} // namespace

HRESULT Orvane::GetClassID(CLSID* out) {
    if (!out) return E_POINTER;
    *out = CLSID_Orvane;
    return S_OK;
}

HRESULT Orvane::InitNew() {
    // A new control is not being loaded: its settings are final.
    m_loading = false;
    return S_OK;
}

HRESULT Orvane::Load(IStream* stream) {
    if (!stream) return E_POINTER;
    return com::guard([&]() -> HRESULT {
        m_loading = true;
        ResetDefaults();
        // A damaged list raises 600 and the load goes on.
        orvane36::LoadFileList(stream, m_fileList);
        OleByteStream in(stream);
        StreamHeader header;
        if (ReadStreamHeader(in, header)) {
            ControlProperties props;
            for (size_t i = 0; i < kPropertyMap.size(); ++i) {
                if (!ReadProperty(in, kPropertyMap[i].id, props)) break;
                com::Variant value;
                switch (kPropertyMap[i].id) {
                case PropertyId::Slave: value = com::Variant::fromBool(props.slave != 0); break;
                case PropertyId::VerifyMode: value = com::Variant::fromLong(props.verifyMode); break;
                case PropertyId::Delay: value = com::Variant::fromBool(props.delay != 0); break;
                case PropertyId::PathFilter: value = com::Variant::fromShort(props.pathFilter); break;
                case PropertyId::FileFilter: value = com::Variant::fromShort(props.fileFilter); break;
                case PropertyId::FileFilterExt:
                case PropertyId::OtherPaths: {
                    const auto& text = kPropertyMap[i].id == PropertyId::FileFilterExt ? props.fileFilterExt
                                                                                       : props.otherPaths;
                    const std::u16string t = text.value_or(u"");
                    value = com::Variant::fromBstr(com::Bstr(std::wstring(t.begin(), t.end())));
                    break;
                }
                }
                if (FAILED(putProperty(i, value.get()))) break;
            }
        }
        RegisterThreadMaster();
        m_dirty = false;
        return S_OK;
    });
}

HRESULT Orvane::Save(IStream* stream, BOOL clearDirty) {
    if (!stream) return E_POINTER;
    return com::guard([&]() -> HRESULT {
        VARIANT_BOOL delay = VARIANT_FALSE;
        get_Delay(&delay);
        const ControlProperties props = savedProperties(m_slave, m_verifyMode, delay, m_pathFilter, m_fileFilter,
                                                        m_fileFilterExt, m_otherPaths);
        // A list that fails to write does not stop the properties.
        SaveFileList(stream, m_fileList, m_slave);
        OleByteStream out(stream);
        bool ok = WriteStreamHeader(out);
        for (size_t i = 0; ok && i < kPropertyMap.size(); ++i) ok = WriteProperty(out, kPropertyMap[i].id, props);
        if (!ok) return FAILED(out.failure()) ? out.failure() : STG_E_MEDIUMFULL;
        if (clearDirty) m_dirty = false;
        return S_OK;
    });
}

HRESULT Orvane::GetSizeMax(ULARGE_INTEGER* size) {
    if (!size) return E_POINTER;
    size->QuadPart = 0;
    return com::guard([&]() -> HRESULT {
        VARIANT_BOOL delay = VARIANT_FALSE;
        get_Delay(&delay);
        MemoryStream measure;
        WriteControlStream(m_fileList,
                           savedProperties(m_slave, m_verifyMode, delay, m_pathFilter, m_fileFilter,
                                           m_fileFilterExt, m_otherPaths),
                           measure);
        size->QuadPart = measure.bytes().size();
        return S_OK;
    });
}

HRESULT Orvane::Load(IPropertyBag* bag, IErrorLog* log) {
    if (!bag) return E_POINTER;
    return com::guard([&]() -> HRESULT {
        m_loading = true;
        ResetDefaults();
        orvane36::LoadFileList(bag, log, *this);
        for (size_t i = 0; i < kPropertyMap.size(); ++i) {
            const std::wstring name = com::toWide(kPropertyMap[i].name);
            com::Variant value;
            if (FAILED(bag->Read(name.c_str(), value.put(), log))) break;
            if (FAILED(putProperty(i, value.get()))) break;
        }
        RegisterThreadMaster();
        m_dirty = false;
        return S_OK;
    });
}

HRESULT Orvane::Save(IPropertyBag* bag, BOOL clearDirty, BOOL) {
    if (!bag) return E_POINTER;
    return com::guard([&]() -> HRESULT {
        orvane36::SaveFileList(bag, *this);
        for (size_t i = 0; i < kPropertyMap.size(); ++i) {
            const std::wstring name = com::toWide(kPropertyMap[i].name);
            com::Variant value;
            if (HRESULT hr = getProperty(i, value); FAILED(hr)) return hr;
            VARIANT raw = value.get();
            if (HRESULT hr = bag->Write(name.c_str(), &raw); FAILED(hr)) return hr;
        }
        if (clearDirty) m_dirty = false;
        return S_OK;
    });
}

} // namespace orvane36
