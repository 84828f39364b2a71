// Orvane.h
// The version-check control: an apartment-threaded ActiveX control,
// invisible at run time and drawn as an icon at design time. It keeps the
// embedded file list and a few design-time settings, forwards every check
// to the scan engine and relays the engine's events to its hosts.
//
// Run mode is the container's ambient UserMode; a container that does not
// answer counts as design mode. Errors go out through RaiseControlError.
// Members run on the host's thread; the engine raises its events inside
// the control's own calls, so a host may call back in from a handler.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <optional>
#include <string>

#include "BlobSave.h"
#include "EngineBinding.h"
#include "common/com/connection.h"
#include "common/com/errors.h"
#include "common/com/object.h"
#include "common/com/typeinfo.h"
#include "common/filelist/file_list.h"
#include "orvane36.h"
#include "res_strings.h"

namespace orvane36 {

namespace dispid {
inline constexpr DISPID kDelay = 0x12;
inline constexpr DISPID kVerifyMode = 0x22;
inline constexpr DISPID kSlave = 0x23;
inline constexpr DISPID kSelectFiles = 0x24;
inline constexpr DISPID kPathFilter = 0x25;
inline constexpr DISPID kFileFilter = 0x26;
} // namespace dispid

inline constexpr SHORT kDefaultPathFilter = 6;
inline constexpr SHORT kDefaultFileFilter = 3;
// Longest FileFilterExt and OtherPaths the control keeps, in characters.
inline constexpr size_t kMaxFilterText = 260;

class Orvane final
    : public com::Object<com::Dispatch<IOrvane>, IOrvaneInternal, com::SupportErrorInfo<IOrvane>,
                         com::ProvideClassInfo2<::Orvane, _OrvaneEvents>,
                         com::ConnectionPoints<_OrvaneEvents, IPropertyNotifySink>, IOleObject, IOleControl,
                         IOleInPlaceObject, IOleInPlaceActiveObject, IViewObject2, IPersistStreamInit,
                         IPersistPropertyBag, ISpecifyPropertyPages, IPerPropertyBrowsing>,
      public FileListOwner {
public:
    // engineClass: the scan engine's class (tests put a fake one there).
    explicit Orvane(REFCLSID engineClass = CLSID_OrvaneScan) noexcept;

    // --- what the property page and the tests use --------------------
    FileList& fileList() noexcept { return m_fileList; }
    bool isSlave() const noexcept { return m_slave; }
    bool isLoading() const noexcept { return m_loading; }
    bool isDirty() const noexcept { return m_dirty; }
    bool runMode() const noexcept;
    EngineBinding& binding() noexcept { return m_binding; }
    // The browsing names of the launch modes ("0 - None", "1 - On Load"),
    // built once from the embedded type library.
    const TextList& verifyModeNames();
    // Tells the page site's listeners and marks the control for saving.
    void changed(DISPID id) noexcept;

    // FileListOwner
    FileList& ownedFileList() noexcept override { return m_fileList; }
    bool savesAsSlave() const noexcept override { return m_slave; }
    IUnknown* ownerObject() noexcept override { return identity(); }

    // --- IOrvaneInternal ----------------------------------------------
    HRESULT STDMETHODCALLTYPE GetControl(void** control) override;

    // --- IOrvane --------------------------------------------------------
#define ORVANE_GET(Name, T) HRESULT STDMETHODCALLTYPE get_##Name(T* value) override;
#define ORVANE_PUT(Name, T) HRESULT STDMETHODCALLTYPE put_##Name(T value) override;
#define ORVANE_INDEXED(Name, T) HRESULT STDMETHODCALLTYPE Name(short Index, T* value) override;
    ORVANE_GET(RefVersion, BSTR)
    ORVANE_GET(FoundVersion, BSTR)
    ORVANE_GET(RefFlags, LONG)
    ORVANE_GET(FoundFlags, LONG)
    ORVANE_GET(RefDateLow, LONG)
    ORVANE_GET(RefDateHigh, LONG)
    ORVANE_GET(RefDateString, BSTR)
    ORVANE_GET(FoundDateString, BSTR)
    ORVANE_GET(OtherCount, LONG)
    ORVANE_GET(FoundVersionBuffer, SAFEARRAY*)
    ORVANE_GET(RefVersionBuffer, SAFEARRAY*)
    ORVANE_GET(VerifyFile, BSTR)
    ORVANE_PUT(VerifyFile, BSTR)
    ORVANE_GET(ScanFile, BSTR)
    ORVANE_PUT(ScanFile, BSTR)
    ORVANE_GET(FileCurrentDir, BSTR)
    ORVANE_PUT(FileCurrentDir, BSTR)
    ORVANE_GET(FoundSize, LONG)
    ORVANE_GET(RefSize, LONG)
    ORVANE_GET(ReadPropErrors, VARIANT_BOOL)
    ORVANE_PUT(ReadPropErrors, VARIANT_BOOL)
    ORVANE_GET(Delay, VARIANT_BOOL)
    ORVANE_PUT(Delay, VARIANT_BOOL)
    ORVANE_GET(FoundDateLow, LONG)
    ORVANE_GET(FoundDateHigh, LONG)
    ORVANE_INDEXED(OtherFile, BSTR)
    ORVANE_INDEXED(OtherVersion, BSTR)
    ORVANE_INDEXED(OtherFlags, LONG)
    ORVANE_INDEXED(OtherDateLow, LONG)
    ORVANE_INDEXED(OtherDateHigh, LONG)
    ORVANE_INDEXED(OtherDateString, BSTR)
    ORVANE_INDEXED(OtherSource, LONG)
    ORVANE_INDEXED(OtherSize, LONG)
    HRESULT STDMETHODCALLTYPE VerifyObjectFile(BSTR FName, BSTR Guid, LONG Warns, short Path, LONG VerMS,
                                               LONG VerLS, LONG Size, short Year, short Month, short Day,
                                               short Hr, short Min, short Sec) override;
    ORVANE_GET(RefGUID, BSTR)
    ORVANE_GET(RefTypeLibVersion, LONG)
    ORVANE_GET(RefTypeLibLCID, LONG)
    ORVANE_GET(VerifyMode, enumVerifyMode)
    ORVANE_PUT(VerifyMode, enumVerifyMode)
    ORVANE_GET(Slave, VARIANT_BOOL)
    ORVANE_PUT(Slave, VARIANT_BOOL)
    ORVANE_GET(SelectFiles, short)
    ORVANE_PUT(SelectFiles, short)
    ORVANE_PUT(PathFilter, short)
    ORVANE_GET(PathFilter, short)
    ORVANE_PUT(FileFilter, short)
    ORVANE_GET(FileFilter, short)
    ORVANE_PUT(FileFilterExt, BSTR)
    ORVANE_GET(FileFilterExt, BSTR)
    ORVANE_PUT(OtherPaths, BSTR)
    ORVANE_GET(OtherPaths, BSTR)
    ORVANE_GET(FoundGUID, BSTR)
    ORVANE_GET(FoundTypeLibVersion, LONG)
    ORVANE_GET(FoundTypeLibLCID, LONG)
    ORVANE_GET(RefVersionString, BSTR)
    ORVANE_GET(FoundVersionString, BSTR)
    ORVANE_INDEXED(OtherVersionString, BSTR)
    HRESULT STDMETHODCALLTYPE VerifyObjectFile2(BSTR FName, BSTR Guid, LONG Warns, LONG Path, LONG VerMS,
                                                LONG VerLS, BSTR VersionString, BSTR ReferenceFile,
                                                LONG TypeLibVer, LONG Size, short Year, short Month, short Day,
                                                short Hr, short Min, short Sec) override;
    ORVANE_GET(ApplicationName, BSTR)
    ORVANE_PUT(ApplicationName, BSTR)
    ORVANE_GET(UserDirectory, BSTR)
    ORVANE_PUT(UserDirectory, BSTR)
    HRESULT STDMETHODCALLTYPE ResetVerifyMethod() override;
    ORVANE_GET(PathRefFileName, BSTR)
    HRESULT STDMETHODCALLTYPE AboutBox() override;
#undef ORVANE_GET
#undef ORVANE_PUT
#undef ORVANE_INDEXED

    // --- IOleObject ---------------------------------------------------
    HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override;
    HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) override;
    HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Close(DWORD saveOption) override;
    HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** out) override;
    HRESULT STDMETHODCALLTYPE InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject** out) override;
    HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent,
                                     LPCRECT) override;
    HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** out) override;
    HRESULT STDMETHODCALLTYPE Update() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE IsUpToDate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* out) override;
    HRESULT STDMETHODCALLTYPE GetUserType(DWORD form, LPOLESTR* out) override;
    HRESULT STDMETHODCALLTYPE SetExtent(DWORD aspect, SIZEL* size) override;
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL* size) override;
    HRESULT STDMETHODCALLTYPE Advise(IAdviseSink* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** out) override;
    HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD aspect, DWORD* status) override;
    HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // --- IOleControl --------------------------------------------------
    HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO* info) override;
    HRESULT STDMETHODCALLTYPE OnMnemonic(MSG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID) override { return S_OK; }
    // Unfreezing runs the on-load check (VerifyMode 1, run mode).
    HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL freeze) override;

    // --- IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject --------
    // The control has no window of its own.
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override;
    HRESULT STDMETHODCALLTYPE UIDeactivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT, LPCRECT) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }

    // --- IViewObject2 -------------------------------------------------
    HRESULT STDMETHODCALLTYPE Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC draw, LPCRECTL bounds,
                                   LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) override;
    HRESULT STDMETHODCALLTYPE GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE**) override {
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unfreeze(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
    HRESULT STDMETHODCALLTYPE GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) override;

    // --- IPersist, IPersistStreamInit, IPersistPropertyBag -------------
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* out) override;
    HRESULT STDMETHODCALLTYPE IsDirty() override { return m_dirty ? S_OK : S_FALSE; }
    HRESULT STDMETHODCALLTYPE Load(IStream* stream) override;
    HRESULT STDMETHODCALLTYPE Save(IStream* stream, BOOL clearDirty) override;
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;
    HRESULT STDMETHODCALLTYPE InitNew() override;
    HRESULT STDMETHODCALLTYPE Load(IPropertyBag* bag, IErrorLog* log) override;
    HRESULT STDMETHODCALLTYPE Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) override;

    // --- ISpecifyPropertyPages, IPerPropertyBrowsing --------------------
    HRESULT STDMETHODCALLTYPE GetPages(CAUUID* pages) override;
    HRESULT STDMETHODCALLTYPE GetDisplayString(DISPID id, BSTR* out) override;
    HRESULT STDMETHODCALLTYPE MapPropertyToPage(DISPID id, CLSID* out) override;
    HRESULT STDMETHODCALLTYPE GetPredefinedStrings(DISPID id, CALPOLESTR* strings, CADWORD* cookies) override;
    HRESULT STDMETHODCALLTYPE GetPredefinedValue(DISPID id, DWORD cookie, VARIANT* out) override;

protected:
    ~Orvane() override;

private:
    // Forwarding: the guard, then the engine call.
    enum class Guard { kNone, kRunTimeGet, kRunTimePut };
    template <typename Call>
    HRESULT forward(Guard guard, Call call) noexcept;
    template <typename Out, typename Call>
    HRESULT forwardGet(Out* out, Call call) noexcept;

    // Master rule and load steps.
    void ResetDefaults() noexcept;
    void RegisterThreadMaster() noexcept;
    // Puts one property as the loaders and the page do.
    HRESULT putProperty(size_t index, const VARIANT& value) noexcept;
    HRESULT getProperty(size_t index, com::Variant& value) noexcept;
    // Runs the engine over the embedded list (2 verify, 3 scan, 1 on load).
    HRESULT runList(LONG mode, bool onLoad) noexcept;
    HRESULT putFilterText(BSTR value, std::optional<std::string>& target) noexcept;
    HRESULT showProperties(HWND parent) noexcept;
    // The design-time icon, shared by every control of the process.
    static HICON sharedIcon() noexcept;
    static void ReleaseSharedIcon() noexcept;

    EngineBinding m_binding;
    com::ComPtr<IOleClientSite> m_site;
    com::ComPtr<IOleAdviseHolder> m_adviseHolder;
    com::ComPtr<IAdviseSink> m_viewSink;
    DWORD m_viewAspects = 0;
    DWORD m_viewFlags = 0;
    bool m_inPlaceActive = false;
    LONG m_freezeCount = 0;

    bool m_loading = true;
    bool m_dirty = false;
    FileList m_fileList;
    bool m_slave = false;
    LONG m_verifyMode = 0;
    // Engine calls of this control under way, nested ones included.
    int m_runDepth = 0;
    SHORT m_pathFilter = kDefaultPathFilter;
    SHORT m_fileFilter = kDefaultFileFilter;
    std::optional<std::string> m_fileFilterExt;
    std::optional<std::string> m_otherPaths;
    std::optional<TextList> m_typeNames;
    // Kept here only while there is no engine to hold them.
    VARIANT_BOOL m_delay = VARIANT_FALSE;
    VARIANT_BOOL m_readPropErrors = VARIANT_FALSE;
};

} // namespace orvane36
