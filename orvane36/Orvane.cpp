// Orvane.cpp
// The control's own members, the forwarded ones and the master rule. The
// embedding interfaces are in Orvane_ole.cpp, persistence in
// Orvane_persist.cpp, property pages and browsing in Orvane_browse.cpp.
#include "Orvane.h"

#include <new>
#include <utility>

#include "AboutBox.h"
#include "ThreadMaster.h"
#include "common/com/bstr.h"
#include "common/com/module.h"
#include "common/com/trace.h"
#include "common/com/variant.h"
#include "common/filelist/ole_streams.h"
#include "control_error.h"

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

// A held mode for one engine call, however it ends. A call made from an
// event handler of a running call (refused or not) gives the outer run its
// mode back; the outermost call leaves 0.
class ModeDuringRun {
public:
    ModeDuringRun(LONG& mode, int& depth, LONG value) noexcept
        : m_mode(mode), m_depth(depth), m_outer(mode) {
        ++m_depth;
        m_mode = value;
    }
    ~ModeDuringRun() { m_mode = --m_depth > 0 ? m_outer : kModeNone; }
    ModeDuringRun(const ModeDuringRun&) = delete;
    ModeDuringRun& operator=(const ModeDuringRun&) = delete;

private:
    LONG& m_mode;
    int& m_depth;
    LONG m_outer;
};

// Without an engine there is nothing to ask: its class is missing.
HRESULT missingEngine() noexcept { return com::raiseError(REGDB_E_CLASSNOTREG, IID_IOrvane, nullptr); }

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
    if (!engine) return onLoad ? E_FAIL : missingEngine();
    HRESULT engineResult = S_OK;
    {
        ModeDuringRun during(m_verifyMode, m_runDepth, mode);
        if (mode == kModeManualScan)
            engineResult = engine->ScanList(stream.get());
        else
            engineResult = engine->VerifyList(stream.get(), 0);
    }
    // A run the engine refused or could not finish is no success.
    return engineResult;
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
    if (!engine) return missingEngine();
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
        ModeDuringRun during(m_verifyMode, m_runDepth, kModeManualVerify);
        return e->put_VerifyFile(value);
    });
}

HRESULT Orvane::put_ScanFile(BSTR value) {
    return forward(Guard::kRunTimePut, [&](IOrvaneScan* e) {
        ModeDuringRun during(m_verifyMode, m_runDepth, kModeManualScan);
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

} // namespace orvane36
