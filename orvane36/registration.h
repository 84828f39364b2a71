// registration.h
// What orvane36.ocx writes to HKEY_CLASSES_ROOT when it registers itself:
// the control class Orvane and its property page class, each with its
// ProgIDs, and the embedded type library orvane36Lib 6.0 (with the
// Interface keys of IOrvane, _OrvaneEvents and IEventSink).
#pragma once

#include <windows.h>

#include <span>

#include "common/com/registration.h"

namespace orvane36 {

std::span<const com::ClassRegistration> classRegistrations() noexcept;

// DllRegisterServer: the type library, then both classes.
HRESULT registerLibrary() noexcept;
// DllUnregisterServer: both classes, the type library and the Interface
// keys that still name it, then the whole TypeLib key of the library
// (every version). Keys already missing are no failure.
HRESULT unregisterLibrary() noexcept;

} // namespace orvane36
