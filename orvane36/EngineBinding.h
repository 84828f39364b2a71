// EngineBinding.h
// The control's hold on the outside scan engine OrvaneScan: the engine is
// created in process when the binding is made (the control keeps working
// as a design-time object when it cannot be), an EventSink is advised on
// the engine's event point when the control is sited in run mode, and
// both are let go when the binding ends. The control owns one binding and
// forwards its engine members through engine().
#pragma once

#include <windows.h>

#include "EventSink.h"
#include "common/com/connection.h"
#include "common/com/ptr.h"
#include "orvanescan.h"

namespace orvane36 {

class EngineBinding {
public:
    // Creates the engine of class engineClass, asking for IOrvaneScan,
    // with no outer object. COM must be initialised on the thread.
    explicit EngineBinding(REFCLSID engineClass = CLSID_OrvaneScan) noexcept;
    // Unadvises the sink, releases the engine, detaches and releases the
    // sink.
    ~EngineBinding();
    EngineBinding(const EngineBinding&) = delete;
    EngineBinding& operator=(const EngineBinding&) = delete;

    // Null when the engine could not be created.
    IOrvaneScan* engine() const noexcept { return m_engine.get(); }

    // For siting in run mode: makes the sink that relays the engine's
    // events to controlEvents and, when there is an engine, advises it on
    // the engine's point for IOrvaneScanEvents. Runs once: later calls
    // change nothing and succeed. The result says whether the advise
    // worked; the control's siting goes on either way.
    HRESULT connectEvents(com::ConnectionPoint& controlEvents) noexcept;

    EventSink* sink() const noexcept { return m_sink.get(); }
    // The advise cookie; 0 while not advised.
    DWORD cookie() const noexcept { return m_cookie; }

    // The engine's busy answer; false without an engine or an answer.
    bool engineBusy() const noexcept;

private:
    void disconnect() noexcept;

    com::ComPtr<IOrvaneScan> m_engine;
    com::ComPtr<EventSink> m_sink;
    DWORD m_cookie = 0;
};

} // namespace orvane36
