// registry_probe.h
// Reading HKEY_CLASSES_ROOT back in registration tests (header only, so the
// COM tests use it without the program's test support library).
#pragma once

#include <windows.h>

#include <string>

#include "common/win32/handles.h"

namespace testsupport {

// The platform subkey under which a server of this process's bitness
// registers its type library.
inline const std::string kTypeLibPlatform = sizeof(void*) == 8 ? "win64" : "win32";

inline bool keyExists(const std::string& key) {
    win32::RegKey k;
    return RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, k.put()) == ERROR_SUCCESS;
}

// A string value; "<missing>" when the key or value is absent.
inline std::string value(const std::string& key, const char* name = nullptr) {
    win32::RegKey k;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, k.put()) != ERROR_SUCCESS) return "<missing>";
    char buf[1024] = {};
    DWORD size = sizeof buf - 1, type = 0;
    if (RegQueryValueExA(k.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return "<missing>";
    return buf;
}

} // namespace testsupport
