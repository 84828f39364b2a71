// trace.h
// Trace-on-entry for COM methods, so a host's unexpected call order shows
// up in a debugger's output window. COM_TRACE takes printf arguments and
// writes one line through OutputDebugStringA; in release builds (NDEBUG
// without PELLANOR_COM_TRACE) it vanishes and its arguments are not
// evaluated.
//
//   COM_TRACE("Orvane::put_VerifyMode(%ld)", value);
#pragma once

#include <windows.h>

namespace com {

// One line "com: <text>" to the debugger; longer texts are cut.
void trace(const char* format, ...) noexcept;

// For members not built yet: traces the name and returns E_NOTIMPL, so the
// gap is visible instead of a silent success.
HRESULT notImplemented(const char* member) noexcept;

} // namespace com

#if defined(PELLANOR_COM_TRACE) || !defined(NDEBUG)
#define COM_TRACE(...) ::com::trace(__VA_ARGS__)
#else
#define COM_TRACE(...) ((void)0)
#endif
