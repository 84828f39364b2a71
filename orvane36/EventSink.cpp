// EventSink.cpp
#include "EventSink.h"

#include "common/com/trace.h"
#include "common/com/variant.h"

namespace orvane36 {

HRESULT EventSink::FileConflict(BSTR* ReferenceFile, BSTR* FoundFile, LONG* Flags, VARIANT_BOOL* StopVerify) {
    COM_TRACE("EventSink::FileConflict");
    // Hosts write through these pointers: never hand them a null one.
    if (!ReferenceFile || !FoundFile || !Flags || !StopVerify) return E_POINTER;
    if (m_events)
        m_events->fire(event_dispid::kFileConflict,
                       {com::refBstr(ReferenceFile), com::refBstr(FoundFile), com::refLong(Flags),
                        com::refBool(StopVerify)});
    return S_OK;
}

HRESULT EventSink::FileScan(BSTR* ReferenceFile, LONG* VerifyFlags, LONG* PathFlags, VARIANT_BOOL* StopScan) {
    COM_TRACE("EventSink::FileScan");
    if (!ReferenceFile || !VerifyFlags || !PathFlags || !StopScan) return E_POINTER;
    if (m_events)
        m_events->fire(event_dispid::kFileScan, {com::refBstr(ReferenceFile), com::refLong(VerifyFlags),
                                                 com::refLong(PathFlags), com::refBool(StopScan)});
    return S_OK;
}

HRESULT EventSink::EnumComplete() {
    COM_TRACE("EventSink::EnumComplete");
    if (m_events) m_events->fire(event_dispid::kEnumComplete);
    return S_OK;
}

void* EventSink::queryOther(REFIID riid) noexcept {
    if (riid == IID_IOrvaneScanEvents) return static_cast<IEventSink*>(this);
    return nullptr;
}

} // namespace orvane36
