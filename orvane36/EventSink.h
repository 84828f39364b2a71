// EventSink.h
// The control's receiver of the scan engine's events. The engine calls it
// (through its vtable, which has the layout of the engine's event
// interface, or through IDispatch with DISPIDs 1 to 3) synchronously
// inside the control's own call, and the sink raises the control's event
// of the same DISPID on every connected host sink.
//
// Arguments go on as the engine's own references, so what a host writes
// (a stop flag) lands in the engine's variable and is seen by every later
// host sink. The sink holds its control's event point without a reference:
// the control detaches it before the point goes away.
#pragma once

#include <windows.h>

#include "common/com/connection.h"
#include "common/com/object.h"
#include "common/com/typeinfo.h"
#include "orvane36.h"
#include "orvanescan.h"

namespace orvane36 {

class EventSink final : public com::Object<com::Dispatch<IEventSink>> {
public:
    // controlEvents: the control's connection point for _OrvaneEvents.
    explicit EventSink(com::ConnectionPoint& controlEvents) noexcept : m_events(&controlEvents) {}

    // The control is going away: later events reach no host.
    void detach() noexcept { m_events = nullptr; }
    bool attached() const noexcept { return m_events != nullptr; }

    HRESULT STDMETHODCALLTYPE FileConflict(BSTR* ReferenceFile, BSTR* FoundFile, LONG* Flags,
                                           VARIANT_BOOL* StopVerify) override;
    HRESULT STDMETHODCALLTYPE FileScan(BSTR* ReferenceFile, LONG* VerifyFlags, LONG* PathFlags,
                                       VARIANT_BOOL* StopScan) override;
    HRESULT STDMETHODCALLTYPE EnumComplete() override;

protected:
    // The engine advises for its own event interface, which this vtable
    // matches.
    void* queryOther(REFIID riid) noexcept override;

private:
    com::ConnectionPoint* m_events;
};

namespace event_dispid {
inline constexpr DISPID kFileConflict = 1;
inline constexpr DISPID kFileScan = 2;
inline constexpr DISPID kEnumComplete = 3;
} // namespace event_dispid

} // namespace orvane36
