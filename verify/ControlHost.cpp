// ControlHost.cpp
#include "ControlHost.h"

#include <ocidl.h>
#include <olectl.h>

#include "common/com/errors.h"
#include "common/com/object.h"
#include "common/com/variant.h"

namespace com {
// The site's IOleInPlaceSite pointer also answers for IOleWindow.
template <>
struct InterfaceBases<IOleInPlaceSite> {
    using type = TypeList<IOleWindow>;
};
} // namespace com

namespace host {

namespace {

// IDispatch without type information: callers reach it by DISPID only.
class NamelessDispatch : public IDispatch {
public:
    using ComInterface = IDispatch;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return DISP_E_UNKNOWNNAME;
    }
};

// A stream holding a copy of bytes, positioned at its start.
HRESULT memoryStream(std::span<const BYTE> bytes, IStream** out) {
    *out = nullptr;
    com::ComPtr<IStream> stream;
    if (HRESULT hr = CreateStreamOnHGlobal(nullptr, TRUE, stream.put()); FAILED(hr)) return hr;
    ULONG written = 0;
    if (HRESULT hr = stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written); FAILED(hr))
        return hr;
    if (written != bytes.size()) return STG_E_MEDIUMFULL;
    LARGE_INTEGER zero{};
    if (HRESULT hr = stream->Seek(zero, STREAM_SEEK_SET, nullptr); FAILED(hr)) return hr;
    *out = stream.detach();
    return S_OK;
}

} // namespace

// The control's site: client site, in-place site (for a control that asks),
// control site and the ambient properties.
class ControlHost::Site final
    : public com::Object<IOleClientSite, IOleInPlaceSite, IOleControlSite, NamelessDispatch> {
public:
    explicit Site(HWND window) noexcept : m_window(window) {}

    // IOleClientSite
    HRESULT STDMETHODCALLTYPE SaveObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** out) override {
        if (out) *out = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow, IOleInPlaceSite
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) override {
        if (!out) return E_POINTER;
        *out = m_window;
        return m_window ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc,
                                               LPRECT position, LPRECT clip,
                                               LPOLEINPLACEFRAMEINFO info) override {
        if (frame) *frame = nullptr;
        if (doc) *doc = nullptr;
        if (!position || !clip) return E_POINTER;
        RECT client{};
        if (m_window) GetClientRect(m_window, &client);
        *position = client;
        *clip = client;
        if (info) {
            info->fMDIApp = FALSE;
            info->hwndFrame = m_window;
            info->haccel = nullptr;
            info->cAccelEntries = 0;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }

    // IOleControlSite
    HRESULT STDMETHODCALLTYPE OnControlInfoChanged() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE LockInPlaceActive(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetExtendedControl(IDispatch** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE TransformCoords(POINTL*, POINTF*, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*, DWORD) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE OnFocus(BOOL) override { return S_OK; }
    // No frame of ours: the control shows its own.
    HRESULT STDMETHODCALLTYPE ShowPropertyFrame() override { return E_NOTIMPL; }

    // IDispatch: the ambient properties. The program runs its controls in
    // run mode; what is not answered here the control takes as its default.
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result,
                                     EXCEPINFO*, UINT*) override {
        if (!(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
        if (!result) return E_POINTER;
        VariantInit(result);
        switch (id) {
        case DISPID_AMBIENT_USERMODE:
            *result = com::argBool(true);
            return S_OK;
        case DISPID_AMBIENT_UIDEAD:
        case DISPID_AMBIENT_SHOWGRABHANDLES:
        case DISPID_AMBIENT_SHOWHATCHING:
        case DISPID_AMBIENT_DISPLAYASDEFAULT:
            *result = com::argBool(false);
            return S_OK;
        case DISPID_AMBIENT_LOCALEID:
            *result = com::argLong(static_cast<LONG>(GetUserDefaultLCID()));
            return S_OK;
        default:
            return DISP_E_MEMBERNOTFOUND;
        }
    }

private:
    HWND m_window;
};

// The receiver of the control's events: answers the event interface with
// its IDispatch and hands every call to the host's handler.
class ControlHost::Sink final : public com::Object<NamelessDispatch> {
public:
    Sink(REFIID events, EventHandler handler) : m_events(events), m_handler(std::move(handler)) {}

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO*, UINT*) override {
        if (result) VariantInit(result);
        DISPPARAMS none{};
        return com::guard([&] { return m_handler ? m_handler(id, params ? *params : none) : S_OK; });
    }

protected:
    void* queryOther(REFIID riid) noexcept override {
        return riid == m_events ? static_cast<IDispatch*>(this) : nullptr;
    }

private:
    IID m_events;
    EventHandler m_handler;
};

ControlHost::ControlHost() = default;

ControlHost::~ControlHost() { destroy(); }

HRESULT ControlHost::create(REFCLSID clsid, HWND window, std::span<const BYTE> savedData, REFIID events,
                            EventHandler handler) {
    destroy();
    HRESULT hr = com::guard([&]() -> HRESULT {
        com::ComPtr<IUnknown> control;
        if (HRESULT r = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, control.putVoid());
            FAILED(r))
            return r;
        if (HRESULT r = control.as(m_control); FAILED(r)) return r;
        control.as(m_oleObject);
        m_site = com::ComPtr<IUnknown>(com::make<Site>(window)->identity());
        com::ComPtr<IOleClientSite> site = m_site.as<IOleClientSite>();

        DWORD misc = 0;
        if (m_oleObject) m_oleObject->GetMiscStatus(DVASPECT_CONTENT, &misc);
        bool sited = false;
        if (m_oleObject && (misc & OLEMISC_SETCLIENTSITEFIRST)) {
            if (HRESULT r = m_oleObject->SetClientSite(site.get()); FAILED(r)) return r;
            sited = true;
        }
        com::ComPtr<IOleControl> oleControl = control.as<IOleControl>();
        if (oleControl) oleControl->FreezeEvents(TRUE);

        if (com::ComPtr<IPersistStreamInit> persist = control.as<IPersistStreamInit>()) {
            if (savedData.empty()) {
                if (HRESULT r = persist->InitNew(); FAILED(r)) return r;
            } else {
                com::ComPtr<IStream> stream;
                if (HRESULT r = memoryStream(savedData, stream.put()); FAILED(r)) return r;
                if (HRESULT r = persist->Load(stream.get()); FAILED(r)) return r;
            }
        }
        if (m_oleObject && !sited) {
            if (HRESULT r = m_oleObject->SetClientSite(site.get()); FAILED(r)) return r;
        }

        com::ComPtr<IConnectionPointContainer> points = control.as<IConnectionPointContainer>();
        if (!points) return CONNECT_E_NOCONNECTION;
        if (HRESULT r = points->FindConnectionPoint(events, m_point.put()); FAILED(r)) return r;
        com::ComPtr<Sink> sink = com::make<Sink>(events, std::move(handler));
        if (HRESULT r = m_point->Advise(sink->identity(), &m_cookie); FAILED(r)) {
            m_point = nullptr;
            return r;
        }
        if (oleControl) oleControl->FreezeEvents(FALSE);

        if (m_oleObject && !(misc & OLEMISC_INVISIBLEATRUNTIME)) {
            RECT client{};
            if (window) GetClientRect(window, &client);
            m_oleObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.get(), 0, window, &client);
        }
        return S_OK;
    });
    if (FAILED(hr)) destroy();
    return hr;
}

void ControlHost::destroy() noexcept {
    if (m_point) {
        m_point->Unadvise(m_cookie);
        m_point = nullptr;
        m_cookie = 0;
    }
    if (m_oleObject) {
        m_oleObject->Close(OLECLOSE_NOSAVE);
        m_oleObject->SetClientSite(nullptr);
        m_oleObject = nullptr;
    }
    m_control = nullptr;
    m_site = nullptr;
}

} // namespace host
