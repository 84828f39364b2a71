// Orvane_ole.cpp
// What a container needs to embed the control: siting (which sets up the
// event relay in run mode), verbs, the fixed extent, event freezing (whose
// end runs the on-load check), the in-place calls of a control with no
// window, and the design-time drawing.
#include <atomic>

#include "Orvane.h"
#include "common/com/module.h"
#include "common/com/trace.h"
#include "common/win32/handles.h"
#include "control_error.h"
#include "resource.h"
#include "saved_control.h"

namespace orvane36 {

namespace {

constexpr DWORD kMiscStatus = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_INVISIBLEATRUNTIME | OLEMISC_ACTIVATEWHENVISIBLE |
                              OLEMISC_INSIDEOUT | OLEMISC_CANTLINKINSIDE | OLEMISC_RECOMPOSEONRESIZE;
constexpr LONG kVerbProperties = 1;

std::atomic<HICON> gIcon{nullptr};

} // namespace

HICON Orvane::sharedIcon() noexcept {
    HICON icon = gIcon.load();
    if (icon) return icon;
    win32::Icon loaded(static_cast<HICON>(LoadImageA(com::moduleHandle(), MAKEINTRESOURCEA(IDI_ORVANE), IMAGE_ICON,
                                                     0, 0, LR_DEFAULTCOLOR)));
    HICON expected = nullptr;
    // Another thread's icon came first: this one goes.
    if (loaded && !gIcon.compare_exchange_strong(expected, loaded.get())) return expected;
    return loaded.release();
}

// Any control going takes the icon with it; the next drawing loads it again.
void Orvane::ReleaseSharedIcon() noexcept {
    win32::Icon going(gIcon.exchange(nullptr));
}

// --- IOleObject ------------------------------------------------------------

HRESULT Orvane::SetClientSite(IOleClientSite* site) {
    m_site = com::ComPtr<IOleClientSite>(site);
    if (site && runMode()) m_binding.connectEvents(connectionPoint<_OrvaneEvents>());
    return S_OK;
}

HRESULT Orvane::GetClientSite(IOleClientSite** site) {
    if (!site) return E_POINTER;
    return m_site.copyTo(site);
}

HRESULT Orvane::Close(DWORD) {
    if (m_inPlaceActive) InPlaceDeactivate();
    if (m_adviseHolder) m_adviseHolder->SendOnClose();
    return S_OK;
}

HRESULT Orvane::GetMoniker(DWORD, DWORD, IMoniker** out) {
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

HRESULT Orvane::GetClipboardData(DWORD, IDataObject** out) {
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

HRESULT Orvane::showProperties(HWND parent) noexcept {
    // A container that shows its own frame (with its own pages) goes first.
    if (m_site) {
        com::ComPtr<IOleControlSite> controlSite;
        if (SUCCEEDED(m_site->QueryInterface(IID_IOleControlSite, controlSite.putVoid())) && controlSite &&
            SUCCEEDED(controlSite->ShowPropertyFrame()))
            return S_OK;
    }
    CAUUID pages{};
    if (HRESULT hr = GetPages(&pages); FAILED(hr)) return hr;
    IUnknown* objects[] = {identity()};
    const std::wstring caption = com::toWide(LoadResString(IDS_LIBRARY_NAME).value_or("Orvane"));
    const HRESULT hr = OleCreatePropertyFrame(parent, 0, 0, caption.c_str(), 1, objects, pages.cElems, pages.pElems,
                                              LOCALE_USER_DEFAULT, 0, nullptr);
    CoTaskMemFree(pages.pElems);
    return hr;
}

HRESULT Orvane::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT) {
    if (site && !m_site) SetClientSite(site);
    switch (verb) {
    // The registered verb 0 is "Properties", and so is verb 1.
    case OLEIVERB_PRIMARY:
    case kVerbProperties:
    case OLEIVERB_PROPERTIES:
        return showProperties(parent);
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE: {
        // No window to show: in-place activation only tells the site.
        if (m_inPlaceActive) return S_OK;
        com::ComPtr<IOleInPlaceSite> inPlace;
        if (m_site && SUCCEEDED(m_site->QueryInterface(IID_IOleInPlaceSite, inPlace.putVoid())) && inPlace) {
            if (inPlace->CanInPlaceActivate() != S_OK) return S_OK;
            inPlace->OnInPlaceActivate();
            m_inPlaceActive = true;
        }
        return S_OK;
    }
    case OLEIVERB_HIDE:
    case OLEIVERB_OPEN:
        return S_OK;
    default:
        return verb < 0 ? E_NOTIMPL : OLEOBJ_S_INVALIDVERB;
    }
}

HRESULT Orvane::EnumVerbs(IEnumOLEVERB** out) { return OleRegEnumVerbs(CLSID_Orvane, out); }

HRESULT Orvane::GetUserClassID(CLSID* out) { return GetClassID(out); }

HRESULT Orvane::GetUserType(DWORD form, LPOLESTR* out) { return OleRegGetUserType(CLSID_Orvane, form, out); }

// The control is 32 by 32 pixels, always.
HRESULT Orvane::SetExtent(DWORD aspect, SIZEL* size) {
    if (!size) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    return size->cx == kExtentHimetric && size->cy == kExtentHimetric ? S_OK : E_FAIL;
}

HRESULT Orvane::GetExtent(DWORD aspect, SIZEL* size) {
    if (!size) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    size->cx = kExtentHimetric;
    size->cy = kExtentHimetric;
    return S_OK;
}

HRESULT Orvane::Advise(IAdviseSink* sink, DWORD* cookie) {
    if (!m_adviseHolder) {
        if (HRESULT hr = CreateOleAdviseHolder(m_adviseHolder.put()); FAILED(hr)) return hr;
    }
    return m_adviseHolder->Advise(sink, cookie);
}

HRESULT Orvane::Unadvise(DWORD cookie) {
    return m_adviseHolder ? m_adviseHolder->Unadvise(cookie) : OLE_E_NOCONNECTION;
}

HRESULT Orvane::EnumAdvise(IEnumSTATDATA** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return m_adviseHolder ? m_adviseHolder->EnumAdvise(out) : E_FAIL;
}

HRESULT Orvane::GetMiscStatus(DWORD, DWORD* status) {
    if (!status) return E_POINTER;
    *status = kMiscStatus;
    return S_OK;
}

// --- IOleControl -----------------------------------------------------------

HRESULT Orvane::GetControlInfo(CONTROLINFO* info) {
    if (!info) return E_POINTER;
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
}

HRESULT Orvane::FreezeEvents(BOOL freeze) {
    if (freeze) {
        ++m_freezeCount;
        return S_OK;
    }
    if (m_freezeCount > 0) --m_freezeCount;
    if (m_verifyMode != 1 || !runMode()) return S_OK;
    // The list goes to the engine now; without one the mode stays 1 and
    // the next unfreezing tries again.
    return runList(1, true);
}

// --- IOleWindow, IOleInPlaceObject ----------------------------------------

HRESULT Orvane::GetWindow(HWND* out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return E_FAIL;
}

HRESULT Orvane::InPlaceDeactivate() {
    if (!m_inPlaceActive) return S_OK;
    m_inPlaceActive = false;
    com::ComPtr<IOleInPlaceSite> inPlace;
    if (m_site && SUCCEEDED(m_site->QueryInterface(IID_IOleInPlaceSite, inPlace.putVoid())) && inPlace)
        inPlace->OnInPlaceDeactivate();
    return S_OK;
}

// --- IViewObject2 -----------------------------------------------------------

HRESULT Orvane::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC draw, LPCRECTL bounds, LPCRECTL,
                     BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!draw || !bounds) return E_INVALIDARG;
    const int width = bounds->right - bounds->left;
    const int height = bounds->bottom - bounds->top;
    HGDIOBJ oldPen = SelectObject(draw, GetStockObject(BLACK_PEN));
    HGDIOBJ oldBrush = SelectObject(draw, GetStockObject(NULL_BRUSH));
    Rectangle(draw, bounds->left, bounds->top, bounds->right, bounds->bottom);
    SelectObject(draw, oldBrush);
    SelectObject(draw, oldPen);
    if (HICON icon = sharedIcon()) DrawIconEx(draw, bounds->left, bounds->top, icon, width, height, 0, nullptr, DI_NORMAL);
    return S_OK;
}

HRESULT Orvane::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
    m_viewAspects = aspects;
    m_viewFlags = flags;
    m_viewSink = com::ComPtr<IAdviseSink>(sink);
    return S_OK;
}

HRESULT Orvane::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
    if (aspects) *aspects = m_viewAspects;
    if (flags) *flags = m_viewFlags;
    if (sink) m_viewSink.copyTo(sink);
    return S_OK;
}

HRESULT Orvane::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) { return GetExtent(aspect, size); }

} // namespace orvane36
