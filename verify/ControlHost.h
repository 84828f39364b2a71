// ControlHost.h
// The program's own ActiveX control container: it hosts one control on a
// window in run mode (the site answers the ambient UserMode with True),
// loads it from the host's saved form data, connects the control's event
// interface to a sink of ours and hands each event to the host's handler.
//
// Order of the set-up, as a form does it: create by class identifier; when
// the control asks for its site first (OLEMISC_SETCLIENTSITEFIRST) site
// it; freeze its events; load the saved data (InitNew when there is none);
// site it now if not yet done; advise the event sink; unfreeze events. A
// control that is invisible at run time is not activated.
//
// Events arrive synchronously inside the host's own calls on the control;
// the handler may call the control again. Its HRESULT goes back to the
// control, which is free to ignore it. One thread (the UI thread).
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <ocidl.h>
#include <oleidl.h>

#include <functional>
#include <span>

#include "common/com/ptr.h"

namespace host {

class ControlHost {
public:
    // Called for each event: id is its DISPID; params are the control's,
    // by-reference arguments included (writing through them answers).
    using EventHandler = std::function<HRESULT(DISPID id, DISPPARAMS& params)>;

    ControlHost();
    ~ControlHost();
    ControlHost(const ControlHost&) = delete;
    ControlHost& operator=(const ControlHost&) = delete;

    // The first failing step's HRESULT; on failure nothing is kept.
    HRESULT create(REFCLSID clsid, HWND window, std::span<const BYTE> savedData, REFIID events,
                   EventHandler handler);
    // Unadvises, closes and releases the control (also done by the destructor).
    void destroy() noexcept;

    // The control's automation interface; null before create.
    IDispatch* control() const noexcept { return m_control.get(); }

private:
    class Sink;

    com::ComPtr<IDispatch> m_control;
    com::ComPtr<IOleObject> m_oleObject;
    com::ComPtr<IConnectionPoint> m_point;
    com::ComPtr<IUnknown> m_site;
    DWORD m_cookie = 0;
};

} // namespace host
