// orvane_ids.h
// What verify knows of the version-check control it hosts: its class, its
// event interface and the dispatch identifiers it calls. verify binds to
// nothing else of the control: every call is late-bound by DISPID.
#pragma once

#include <windows.h>

namespace orvane {

// {E869F2FB-1305-11D2-A730-00001C1AD1F8}
inline constexpr CLSID kClsid = {0xE869F2FB, 0x1305, 0x11D2, {0xA7, 0x30, 0x00, 0x00, 0x1C, 0x1A, 0xD1, 0xF8}};
// _OrvaneEvents {C679FA16-1386-11D2-A731-00001C1AD1F8}
inline constexpr IID kEventsIid = {0xC679FA16, 0x1386, 0x11D2, {0xA7, 0x31, 0x00, 0x00, 0x1C, 0x1A, 0xD1, 0xF8}};

namespace dispid {
inline constexpr DISPID RefVersion = 0x01;
inline constexpr DISPID FoundVersion = 0x02;
inline constexpr DISPID RefFlags = 0x03;
inline constexpr DISPID FoundFlags = 0x04;
inline constexpr DISPID RefDateLow = 0x05;
inline constexpr DISPID RefDateHigh = 0x06;
inline constexpr DISPID RefDateString = 0x07;
inline constexpr DISPID FoundDateString = 0x08;
inline constexpr DISPID OtherCount = 0x09;
inline constexpr DISPID VerifyFile = 0x0C;
inline constexpr DISPID ScanFile = 0x0D;
inline constexpr DISPID FoundSize = 0x0F;
inline constexpr DISPID RefSize = 0x10;
inline constexpr DISPID FoundDateLow = 0x13;
inline constexpr DISPID FoundDateHigh = 0x14;
inline constexpr DISPID OtherFile = 0x16;
inline constexpr DISPID OtherVersion = 0x17;
inline constexpr DISPID OtherFlags = 0x18;
inline constexpr DISPID OtherDateLow = 0x19;
inline constexpr DISPID OtherDateHigh = 0x1A;
inline constexpr DISPID OtherDateString = 0x1B;
inline constexpr DISPID OtherSize = 0x1D;
inline constexpr DISPID RefGUID = 0x1F;
inline constexpr DISPID RefTypeLibVersion = 0x20;
inline constexpr DISPID RefTypeLibLCID = 0x21;
inline constexpr DISPID VerifyMode = 0x22;
inline constexpr DISPID FoundGUID = 0x29;
inline constexpr DISPID FoundTypeLibVersion = 0x2A;
inline constexpr DISPID FoundTypeLibLCID = 0x2B;
inline constexpr DISPID RefVersionString = 0x2C;
inline constexpr DISPID FoundVersionString = 0x2D;
inline constexpr DISPID OtherVersionString = 0x2E;
} // namespace dispid

// The control's events (DISPIDs of _OrvaneEvents).
namespace event {
inline constexpr DISPID FileConflict = 1;
inline constexpr DISPID FileScan = 2;
inline constexpr DISPID EnumComplete = 3;
} // namespace event

// VerifyModeConstants.
inline constexpr LONG orvManualVerify = 2;
inline constexpr LONG orvManualScan = 3;

} // namespace orvane
