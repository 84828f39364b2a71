// orvane_ids.h
// What verify knows of the version-check control it hosts: its class, its
// event interface, the DISPIDs it calls and the launch modes. verify binds
// to nothing else of the control: every call is late-bound by DISPID. All
// of it comes from the control's IDL when the build runs: the identifiers
// and modes through widl's header, the DISPIDs through orvane_dispids.h.
#pragma once

#include <windows.h>

#include "orvane36.h"
#include "orvane_dispids.h"

namespace orvane {

inline const CLSID& kClsid = CLSID_Orvane;
inline const IID& kEventsIid = DIID__OrvaneEvents;

// VerifyModeConstants.
inline constexpr LONG orvManualVerify = ::orvManualVerify;
inline constexpr LONG orvManualScan = ::orvManualScan;

} // namespace orvane
