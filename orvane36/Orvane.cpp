// Orvane.cpp
// The control's own members, the forwarded ones, persistence and the
// master rule. The OLE embedding interfaces are in Orvane_ole.cpp.
#include "Orvane.h"

#include <cstdio>
#include <new>
#include <utility>

#include "AboutBox.h"
#include "ThreadMaster.h"
#include "common/com/bstr.h"
#include "common/com/module.h"
#include "common/com/trace.h"
#include "common/com/variant.h"
#include "control_error.h"
#include "ole_streams.h"
#include "resource.h"
#include "saved_control.h"

namespace orvane36 {

namespace {

constexpr LONG kModeNone = 0;
constexpr LONG kModeOnLoad = 1;
constexpr LONG kModeManualVerify = 2;
constexpr LONG kModeManualScan = 3;

template <typename T>
void clearOut(T* out) noexcept {
    if (out) *out = T{};
}

// A held mode that goes back to 0 however the engine call ends.
class ModeDuringRun {
public:
    ModeDuringRun(LONG& mode, LONG value) noexcept : m_mode(mode) { m_mode = value; }
    ~ModeDuringRun() { m_mode = kModeNone; }
    ModeDuringRun(const ModeDuringRun&) = delete;
    ModeDuringRun& operator=(const ModeDuringRun&) = delete;

private:
    LONG& m_mode;
};

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

Orvane::Orvane(REFCLSID engineClass) noexcept : m_binding(engineClass) {
    // The thread's node first, so the first control on a thread is its
    // master from the start.
    thread_master::addControl();
    ResetDefaults();
}

Orvane::~Orvane() {
    if (!m_slave) thread_master::releaseMaster(this);
    thread_master::removeControl(this);
    ReleaseSharedIcon();
}

bool Orvane::runMode() const noexcept {
    if (!m_site) return false;
    com::ComPtr<IDispatch> ambient;
    if (FAILED(m_site->QueryInterface(IID_IDispatch, ambient.putVoid())) || !ambient) return false;
    DISPPARAMS none{};
    com::Variant result;
    if (FAILED(ambient->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                               result.put(), nullptr, nullptr)))
        return false;
    bool user = false;
    return SUCCEEDED(com::toBool(result.get(), user)) && user;
}

void Orvane::changed(DISPID id) noexcept {
    m_dirty = true;
    connectionPoint<IPropertyNotifySink>().forEach<IPropertyNotifySink>(
        [id](IPropertyNotifySink* sink) { sink->OnChanged(id); });
}

HRESULT Orvane::GetControl(void** control) {
    if (!control) return E_POINTER;
    *control = this;
    return S_OK;
}

// --- master rule -----------------------------------------------------

void Orvane::ResetDefaults() noexcept {
    m_verifyMode = kModeNone;
    m_slave = false;
    m_pathFilter = kDefaultPathFilter;
    m_fileFilter = kDefaultFileFilter;
    m_fileFilterExt.reset();
    m_otherPaths.reset();
    if (thread_master::claimOrYield(this) == thread_master::Answer::kOtherMaster) m_slave = true;
}

void Orvane::RegisterThreadMaster() noexcept {
    if (!runMode() && !m_slave) {
        if (thread_master::claimOrYield(this) == thread_master::Answer::kOtherMaster) m_slave = true;
    }
    m_loading = false;
}

HRESULT Orvane::get_Slave(VARIANT_BOOL* value) {
    if (!value) return E_POINTER;
    *value = com::toVariantBool(m_slave);
    return S_OK;
}

HRESULT Orvane::put_Slave(VARIANT_BOOL value) {
    if (runMode() && !m_loading) return RaiseControlError(control_error::kSetNotPermittedAtRunTime);
    if (m_binding.engineBusy()) return RaiseControlError(control_error::kEngineBusy);
    if (!thread_master::available()) return S_OK;
    if (value != VARIANT_FALSE) {
        if (m_slave) return S_OK;
        thread_master::releaseMaster(this);
        m_slave = true;
    } else {
        if (!m_slave) return S_OK;
        if (thread_master::claimOrYield(this) == thread_master::Answer::kOtherMaster) return S_OK;
        m_slave = false;
    }
    changed(dispid::kSlave);
    return S_OK;
}

// --- the control's own settings ----------------------------------------

HRESULT Orvane::get_VerifyMode(enumVerifyMode* value) {
    if (!value) return E_POINTER;
    *value = static_cast<enumVerifyMode>(m_verifyMode);
    return S_OK;
}

HRESULT Orvane::put_VerifyMode(enumVerifyMode value) {
    const LONG mode = static_cast<LONG>(value);
    if (mode == kModeNone || mode == kModeOnLoad) {
        m_verifyMode = mode;
        changed(dispid::kVerifyMode);
        return S_OK;
    }
    if (mode == kModeManualVerify || mode == kModeManualScan) {
        if (!runMode()) return RaiseControlError(control_error::kGetNotSupported);
        return runList(mode, false);
    }
    return RaiseControlError(control_error::kInvalidPropertyValue);
}

HRESULT Orvane::runList(LONG mode, bool onLoad) noexcept {
    // The host may drop its last reference from an event handler.
    com::ComPtr<Orvane> keep(this);
    com::ComPtr<IStream> stream;
    if (!m_fileList.empty()) stream = ole::ListToStream(m_fileList, m_slave);
    if (!stream) return RaiseControlError(control_error::kNoEmbeddedFileList);
    IOrvaneScan* engine = m_binding.engine();
    if (!engine) return onLoad ? E_FAIL : S_OK;
    HRESULT engineResult = S_OK;
    {
        ModeDuringRun during(m_verifyMode, mode);
        if (mode == kModeManualScan)
            engineResult = engine->ScanList(stream.get());
        else
            engineResult = engine->VerifyList(stream.get(), 0);
    }
    // A manual run reports success whatever the engine said.
    return onLoad ? engineResult : S_OK;
}

HRESULT Orvane::get_SelectFiles(short* value) {
    if (runMode() && !m_loading) {
        clearOut(value);
        return RaiseControlError(control_error::kGetNotSupported);
    }
    return S_OK;
}

HRESULT Orvane::put_SelectFiles(short) {
    if (runMode() && !m_loading) return RaiseControlError(control_error::kSetNotSupported);
    return S_OK;
}

HRESULT Orvane::get_PathFilter(short* value) {
    if (!value) return E_POINTER;
    *value = 0;
    if (runMode() && !m_loading) return RaiseControlError(control_error::kGetNotSupportedAtRunTime);
    *value = m_pathFilter;
    return S_OK;
}

HRESULT Orvane::put_PathFilter(short value) {
    if (runMode() && !m_loading) return RaiseControlError(control_error::kSetNotPermittedAtRunTime);
    m_pathFilter = value;
    return S_OK;
}

HRESULT Orvane::get_FileFilter(short* value) {
    if (!value) return E_POINTER;
    *value = 0;
    if (runMode() && !m_loading) return RaiseControlError(control_error::kGetNotSupportedAtRunTime);
    *value = m_fileFilter;
    return S_OK;
}

HRESULT Orvane::put_FileFilter(short value) {
    if (runMode() && !m_loading) return RaiseControlError(control_error::kSetNotPermittedAtRunTime);
    m_fileFilter = value;
    return S_OK;
}

HRESULT Orvane::putFilterText(BSTR value, std::optional<std::string>& target) noexcept {
    const std::wstring_view text = com::bstrView(value);
    if (text.size() > kMaxFilterText) return RaiseControlError(control_error::kInvalidPropertyValue);
    return com::guard([&]() -> HRESULT {
        if (text.empty())
            target.reset();
        else
            target = com::toAnsi(text);
        return S_OK;
    });
}

HRESULT Orvane::put_FileFilterExt(BSTR value) { return putFilterText(value, m_fileFilterExt); }
HRESULT Orvane::put_OtherPaths(BSTR value) { return putFilterText(value, m_otherPaths); }

HRESULT Orvane::get_FileFilterExt(BSTR* value) {
    if (!value) return E_POINTER;
    *value = nullptr;
    return m_fileFilterExt ? com::ansiToBstr(*m_fileFilterExt, value) : S_OK;
}

HRESULT Orvane::get_OtherPaths(BSTR* value) {
    if (!value) return E_POINTER;
    *value = nullptr;
    return m_otherPaths ? com::ansiToBstr(*m_otherPaths, value) : S_OK;
}

HRESULT Orvane::AboutBox() {
    return com::guard([]() -> HRESULT {
        AboutBox::show(GetActiveWindow());
        return S_OK;
    });
}

// --- forwarded members ---------------------------------------------------

template <typename Call>
HRESULT Orvane::forward(Guard guard, Call call) noexcept {
    if (guard != Guard::kNone && !runMode())
        return RaiseControlError(guard == Guard::kRunTimeGet ? control_error::kGetNotSupported
                                                             : control_error::kSetNotSupported);
    IOrvaneScan* engine = m_binding.engine();
    // Without an engine there is nothing to ask: the class is missing.
    if (!engine) return com::raiseError(REGDB_E_CLASSNOTREG, IID_IOrvane, nullptr);
    // The host may drop its last reference from an event handler.
    com::ComPtr<Orvane> keep(this);
    return call(engine);
}

template <typename Out, typename Call>
HRESULT Orvane::forwardGet(Out* out, Call call) noexcept {
    if (!out) return E_POINTER;
    *out = Out{};
    return forward(Guard::kRunTimeGet, [&](IOrvaneScan* e) { return call(e, out); });
}

#define ORVANE_FORWARD_GET(Name, T)                                                       \
    HRESULT Orvane::get_##Name(T* value) {                                                \
        return forwardGet(value, [](IOrvaneScan* e, T* v) { return e->get_##Name(v); }); \
    }
#define ORVANE_FORWARD_PUT(Name, T)                                                                        \
    HRESULT Orvane::put_##Name(T value) {                                                                  \
        return forward(Guard::kRunTimePut, [value](IOrvaneScan* e) { return e->put_##Name(value); });     \
    }
#define ORVANE_FORWARD_INDEXED(Name, T)                                                                 \
    HRESULT Orvane::Name(short Index, T* value) {                                                       \
        return forwardGet(value, [Index](IOrvaneScan* e, T* v) { return e->Name(Index, v); });          \
    }

ORVANE_FORWARD_GET(RefVersion, BSTR)
ORVANE_FORWARD_GET(FoundVersion, BSTR)
ORVANE_FORWARD_GET(RefFlags, LONG)
ORVANE_FORWARD_GET(FoundFlags, LONG)
ORVANE_FORWARD_GET(RefDateLow, LONG)
ORVANE_FORWARD_GET(RefDateHigh, LONG)
ORVANE_FORWARD_GET(RefDateString, BSTR)
ORVANE_FORWARD_GET(FoundDateString, BSTR)
ORVANE_FORWARD_GET(OtherCount, LONG)
ORVANE_FORWARD_GET(FoundVersionBuffer, SAFEARRAY*)
ORVANE_FORWARD_GET(RefVersionBuffer, SAFEARRAY*)
ORVANE_FORWARD_GET(VerifyFile, BSTR)
ORVANE_FORWARD_GET(ScanFile, BSTR)
ORVANE_FORWARD_GET(FileCurrentDir, BSTR)
ORVANE_FORWARD_PUT(FileCurrentDir, BSTR)
ORVANE_FORWARD_GET(FoundSize, LONG)
ORVANE_FORWARD_GET(RefSize, LONG)
ORVANE_FORWARD_GET(FoundDateLow, LONG)
ORVANE_FORWARD_GET(FoundDateHigh, LONG)
ORVANE_FORWARD_INDEXED(OtherFile, BSTR)
ORVANE_FORWARD_INDEXED(OtherVersion, BSTR)
ORVANE_FORWARD_INDEXED(OtherFlags, LONG)
ORVANE_FORWARD_INDEXED(OtherDateLow, LONG)
ORVANE_FORWARD_INDEXED(OtherDateHigh, LONG)
ORVANE_FORWARD_INDEXED(OtherDateString, BSTR)
ORVANE_FORWARD_INDEXED(OtherSource, LONG)
ORVANE_FORWARD_INDEXED(OtherSize, LONG)
ORVANE_FORWARD_GET(RefGUID, BSTR)
ORVANE_FORWARD_GET(RefTypeLibVersion, LONG)
ORVANE_FORWARD_GET(RefTypeLibLCID, LONG)
ORVANE_FORWARD_GET(FoundGUID, BSTR)
ORVANE_FORWARD_GET(FoundTypeLibVersion, LONG)
ORVANE_FORWARD_GET(FoundTypeLibLCID, LONG)
ORVANE_FORWARD_GET(RefVersionString, BSTR)
ORVANE_FORWARD_GET(FoundVersionString, BSTR)
ORVANE_FORWARD_INDEXED(OtherVersionString, BSTR)
ORVANE_FORWARD_GET(ApplicationName, BSTR)
ORVANE_FORWARD_PUT(ApplicationName, BSTR)
ORVANE_FORWARD_GET(UserDirectory, BSTR)
ORVANE_FORWARD_PUT(UserDirectory, BSTR)
ORVANE_FORWARD_GET(PathRefFileName, BSTR)

#undef ORVANE_FORWARD_GET
#undef ORVANE_FORWARD_PUT
#undef ORVANE_FORWARD_INDEXED

HRESULT Orvane::VerifyObjectFile(BSTR FName, BSTR Guid, LONG Warns, short Path, LONG VerMS, LONG VerLS, LONG Size,
                                 short Year, short Month, short Day, short Hr, short Min, short Sec) {
    return forward(Guard::kRunTimeGet, [&](IOrvaneScan* e) {
        return e->VerifyObjectFile(FName, Guid, Warns, Path, VerMS, VerLS, Size, Year, Month, Day, Hr, Min, Sec);
    });
}

HRESULT Orvane::VerifyObjectFile2(BSTR FName, BSTR Guid, LONG Warns, LONG Path, LONG VerMS, LONG VerLS,
                                  BSTR VersionString, BSTR ReferenceFile, LONG TypeLibVer, LONG Size, short Year,
                                  short Month, short Day, short Hr, short Min, short Sec) {
    return forward(Guard::kRunTimeGet, [&](IOrvaneScan* e) {
        return e->VerifyObjectFile2(FName, Guid, Warns, Path, VerMS, VerLS, VersionString, ReferenceFile,
                                    TypeLibVer, Size, Year, Month, Day, Hr, Min, Sec);
    });
}

HRESULT Orvane::ResetVerifyMethod() {
    return forward(Guard::kRunTimeGet, [](IOrvaneScan* e) { return e->ResetVerifyMethod(); });
}

HRESULT Orvane::put_VerifyFile(BSTR value) {
    return forward(Guard::kRunTimePut, [&](IOrvaneScan* e) {
        ModeDuringRun during(m_verifyMode, kModeManualVerify);
        return e->put_VerifyFile(value);
    });
}

HRESULT Orvane::put_ScanFile(BSTR value) {
    return forward(Guard::kRunTimePut, [&](IOrvaneScan* e) {
        ModeDuringRun during(m_verifyMode, kModeManualScan);
        return e->put_ScanFile(value);
    });
}

// The engine keeps these two; without one the control keeps them, so a
// design-time control still loads and saves every property.
HRESULT Orvane::get_ReadPropErrors(VARIANT_BOOL* value) {
    if (!value) return E_POINTER;
    *value = m_readPropErrors;
    IOrvaneScan* engine = m_binding.engine();
    return engine ? engine->get_ReadPropErrors(value) : S_OK;
}

HRESULT Orvane::put_ReadPropErrors(VARIANT_BOOL value) {
    IOrvaneScan* engine = m_binding.engine();
    if (engine) return engine->put_ReadPropErrors(value);
    m_readPropErrors = value;
    return S_OK;
}

HRESULT Orvane::get_Delay(VARIANT_BOOL* value) {
    if (!value) return E_POINTER;
    *value = m_delay;
    IOrvaneScan* engine = m_binding.engine();
    return engine ? engine->get_Delay(value) : S_OK;
}

HRESULT Orvane::put_Delay(VARIANT_BOOL value) {
    if (m_binding.engineBusy()) return RaiseControlError(control_error::kEngineBusy);
    if (IOrvaneScan* engine = m_binding.engine()) {
        if (HRESULT hr = engine->put_Delay(value); FAILED(hr)) return hr;
    } else {
        m_delay = value;
    }
    changed(dispid::kDelay);
    return S_OK;
}

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
