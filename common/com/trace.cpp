// trace.cpp
#include "trace.h"

#include <cstdarg>
#include <cstdio>

namespace com {

void trace(const char* format, ...) noexcept {
    char line[512] = "com: ";
    const size_t prefix = 5;
    va_list args;
    va_start(args, format);
    std::vsnprintf(line + prefix, sizeof line - prefix - 2, format, args);
    va_end(args);
    size_t n = 0;
    while (line[n]) ++n;
    line[n] = '\n';
    line[n + 1] = '\0';
    OutputDebugStringA(line);
}

HRESULT notImplemented(const char* member) noexcept {
    trace("not implemented: %s", member ? member : "?");
    return E_NOTIMPL;
}

} // namespace com
