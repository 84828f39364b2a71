// dispatch_call.h
// One late-bound call on an automation object by DISPID, made as an
// automation host makes it. Every late-bound caller (the update dialog,
// the start-up check, the tests) goes through this one routine, so the
// argument order and the property-put convention live in one place.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstddef>

namespace com {

// Calls id with count arguments given first to last (DISPPARAMS wants them
// last to first; the call turns them round). A DISPATCH_PROPERTYPUT passes
// DISPID_PROPERTYPUT as its named argument and asks for no result; other
// calls put theirs in result (may be null). excep (may be null) receives
// what the object reports on DISP_E_EXCEPTION; the caller frees its texts.
// The arguments stay the caller's. Returns the object's HRESULT, E_POINTER
// without an object.
HRESULT callByDispid(IDispatch* object, DISPID id, WORD flags, const VARIANT* args,
                     std::size_t count, VARIANT* result, EXCEPINFO* excep);

} // namespace com
