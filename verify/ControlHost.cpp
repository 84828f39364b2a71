// ControlHost.cpp
#include "ControlHost.h"

#include <ocidl.h>
#include <olectl.h>

#include "common/com/control_site.h"
#include "common/com/errors.h"
#include "common/com/object.h"

namespace host {

namespace {

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

// The receiver of the control's events: answers the event interface with
// its IDispatch and hands every call to the host's handler.
class ControlHost::Sink final : public com::Object<com::NamelessDispatch> {
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
        m_site = com::ComPtr<IUnknown>(com::make<com::ControlSite>(window)->identity());
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
