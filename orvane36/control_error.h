// control_error.h
// The errors the control raises. Each is returned as 0x800A0000 plus the
// number, with error information naming IOrvane; numbers that have a
// string-table entry (600 to 602) carry it as the description, the others
// carry none. The help context is always 0xFFFFFFFF.
#pragma once

#include <windows.h>

namespace orvane36 {

namespace control_error {
inline constexpr unsigned kInvalidPropertyValue = 380;
inline constexpr unsigned kSetNotPermittedAtRunTime = 382;
inline constexpr unsigned kSetNotSupported = 383;
inline constexpr unsigned kGetNotSupportedAtRunTime = 393;
inline constexpr unsigned kGetNotSupported = 394;
inline constexpr unsigned kStoredDataUnreadable = 600;   // "Error reading stored file data."
inline constexpr unsigned kEngineBusy = 601;
inline constexpr unsigned kNoEmbeddedFileList = 602;
} // namespace control_error

// Stores the error information for code in the thread's error slot and
// returns its HRESULT, so a member ends with `return RaiseControlError(n);`.
HRESULT RaiseControlError(unsigned code) noexcept;

} // namespace orvane36
