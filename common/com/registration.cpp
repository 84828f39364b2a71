// registration.cpp
#include "common/com/registration.h"

#include <olectl.h>

#include <cstdio>
#include <vector>

#include "common/win32/handles.h"
#include "module.h"
#include "ptr.h"
#include "typeinfo.h"

namespace com {

namespace {

LONG setString(const std::string& key, const char* name, const std::string& value) {
    win32::RegKey k;
    LONG rc = RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, k.put(), nullptr);
    if (rc != ERROR_SUCCESS) return rc;
    return RegSetValueExA(k.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1));
}

LONG createKey(const std::string& key) {
    win32::RegKey k;
    return RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, k.put(), nullptr);
}

// The default value of a key; empty when the key or value is missing.
std::string readDefault(const std::string& key) {
    win32::RegKey k;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_QUERY_VALUE, k.put()) != ERROR_SUCCESS) return {};
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(k.get(), nullptr, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ)
        return {};
    std::vector<char> buf(size + 1, '\0');
    if (RegQueryValueExA(k.get(), nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(buf.data()), &size) !=
        ERROR_SUCCESS)
        return {};
    return std::string(buf.data());
}

bool removed(LONG rc) { return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND || rc == ERROR_PATH_NOT_FOUND; }

LONG deleteTree(const std::string& key) { return RegDeleteTreeA(HKEY_CLASSES_ROOT, key.c_str()); }

// Deletes a key only while its value names what we registered, so
// another server's registration under the same name is left alone.
LONG deleteIfNames(const std::string& key, const std::string& namingSubkey, const std::string& expected) {
    std::string named = readDefault(key + "\\" + namingSubkey);
    if (named.empty() || lstrcmpiA(named.c_str(), expected.c_str()) != 0) return ERROR_SUCCESS;
    return deleteTree(key);
}

struct LibraryInfo {
    GUID libid = GUID_NULL;
    WORD major = 0, minor = 0;
    LCID lcid = 0;
    SYSKIND syskind = SYS_WIN32;
    std::vector<GUID> interfaces;
};

HRESULT readLibrary(LibraryInfo& info) {
    ComPtr<ITypeLib> lib;
    if (HRESULT hr = typeInfos().library(lib.put()); FAILED(hr)) return hr;
    TLIBATTR* attr = nullptr;
    if (HRESULT hr = lib->GetLibAttr(&attr); FAILED(hr)) return hr;
    info.libid = attr->guid;
    info.major = attr->wMajorVerNum;
    info.minor = attr->wMinorVerNum;
    info.lcid = attr->lcid;
    info.syskind = attr->syskind;
    lib->ReleaseTLibAttr(attr);
    for (UINT i = 0, n = lib->GetTypeInfoCount(); i < n; ++i) {
        TYPEKIND kind;
        if (FAILED(lib->GetTypeInfoType(i, &kind)) || (kind != TKIND_INTERFACE && kind != TKIND_DISPATCH)) continue;
        ComPtr<ITypeInfo> ti;
        TYPEATTR* ta = nullptr;
        if (FAILED(lib->GetTypeInfo(i, ti.put())) || FAILED(ti->GetTypeAttr(&ta))) continue;
        info.interfaces.push_back(ta->guid);
        ti->ReleaseTypeAttr(ta);
    }
    return S_OK;
}

HRESULT registerClass(const ClassRegistration& c, const std::string& path, const LibraryInfo* lib) {
    if (!c.clsid || !c.description) return E_INVALIDARG;
    const std::string clsid = guidString(*c.clsid);
    const std::string key = "CLSID\\" + clsid;
    LONG rc = deleteTree(key);
    if (!removed(rc)) return HRESULT_FROM_WIN32(rc);

    std::vector<LONG> results;
    results.push_back(setString(key, nullptr, c.description));
    results.push_back(setString(key + "\\InprocServer32", nullptr, path));
    if (c.threadingModel) results.push_back(setString(key + "\\InprocServer32", "ThreadingModel", c.threadingModel));
    if (c.progId) results.push_back(setString(key + "\\ProgID", nullptr, c.progId));
    if (c.versionIndependentProgId)
        results.push_back(setString(key + "\\VersionIndependentProgID", nullptr, c.versionIndependentProgId));
    if (c.programmable) results.push_back(createKey(key + "\\Programmable"));
    if (c.typeLib && lib) {
        char version[16];
        std::snprintf(version, sizeof version, "%u.%u", static_cast<unsigned>(lib->major),
                      static_cast<unsigned>(lib->minor));
        results.push_back(setString(key + "\\TypeLib", nullptr, guidString(lib->libid)));
        results.push_back(setString(key + "\\Version", nullptr, version));
    }
    if (c.control) results.push_back(createKey(key + "\\Control"));
    if (c.insertable) results.push_back(createKey(key + "\\Insertable"));
    if (c.toolboxBitmap)
        results.push_back(setString(key + "\\ToolboxBitmap32", nullptr, path + ", " + std::to_string(c.toolboxBitmap)));
    if (c.miscStatus) {
        results.push_back(setString(key + "\\MiscStatus", nullptr, "0"));
        results.push_back(setString(key + "\\MiscStatus\\1", nullptr, std::to_string(c.miscStatus)));
    }
    for (const Verb& v : c.verbs) {
        if (v.text) results.push_back(setString(key + "\\Verb\\" + std::to_string(v.number), nullptr, v.text));
    }
    if (c.progId) {
        results.push_back(setString(c.progId, nullptr, c.description));
        results.push_back(setString(std::string(c.progId) + "\\CLSID", nullptr, clsid));
    }
    if (c.versionIndependentProgId) {
        const std::string vi = c.versionIndependentProgId;
        results.push_back(setString(vi, nullptr,
                                    c.versionIndependentDescription ? c.versionIndependentDescription : c.description));
        results.push_back(setString(vi + "\\CLSID", nullptr, clsid));
        if (c.progId) results.push_back(setString(vi + "\\CurVer", nullptr, c.progId));
    }
    for (LONG r : results) {
        if (r != ERROR_SUCCESS) return HRESULT_FROM_WIN32(r);
    }
    return S_OK;
}

LONG unregisterClass(const ClassRegistration& c) {
    if (!c.clsid) return ERROR_SUCCESS;
    const std::string clsid = guidString(*c.clsid);
    LONG worst = ERROR_SUCCESS;
    auto note = [&worst](LONG rc) {
        if (!removed(rc)) worst = rc;
    };
    if (c.progId) note(deleteIfNames(c.progId, "CLSID", clsid));
    if (c.versionIndependentProgId) note(deleteIfNames(c.versionIndependentProgId, "CLSID", clsid));
    note(deleteTree("CLSID\\" + clsid));
    return worst;
}

} // namespace

std::string guidString(REFGUID g) {
    char text[40];
    std::snprintf(text, sizeof text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned long>(g.Data1), static_cast<unsigned>(g.Data2), static_cast<unsigned>(g.Data3),
                  g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return text;
}

HRESULT registerTypeLibrary() noexcept {
    try {
        std::wstring path = modulePathW();
        ComPtr<ITypeLib> lib;
        if (HRESULT hr = typeInfos().library(lib.put()); FAILED(hr)) return hr;
        return RegisterTypeLib(lib.get(), path.data(), nullptr);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT unregisterTypeLibrary() noexcept {
    try {
        LibraryInfo lib;
        if (HRESULT hr = readLibrary(lib); FAILED(hr)) return hr;
        // UnRegisterTypeLib fails for a library that is not registered (with
        // different codes on different systems): look first.
        const std::string libid = guidString(lib.libid);
        char version[16];
        std::snprintf(version, sizeof version, "%x.%x", static_cast<unsigned>(lib.major),
                      static_cast<unsigned>(lib.minor));
        win32::RegKey registered;
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, ("TypeLib\\" + libid + "\\" + version).c_str(), 0, KEY_READ,
                          registered.put()) == ERROR_SUCCESS) {
            registered.reset();
            if (HRESULT hr = UnRegisterTypeLib(lib.libid, lib.major, lib.minor, lib.lcid, lib.syskind); FAILED(hr))
                return hr;
        }
        // UnRegisterTypeLib leaves Interface keys behind on some systems;
        // remove those that still point at this library.
        for (const GUID& iid : lib.interfaces) {
            LONG rc = deleteIfNames("Interface\\" + guidString(iid), "TypeLib", libid);
            if (!removed(rc)) return HRESULT_FROM_WIN32(rc);
        }
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT registerServer(std::span<const ClassRegistration> classes, bool withTypeLibrary) noexcept {
    try {
        LibraryInfo lib;
        bool haveLibrary = false;
        if (withTypeLibrary) {
            if (FAILED(readLibrary(lib)) || FAILED(registerTypeLibrary())) return SELFREG_E_TYPELIB;
            haveLibrary = true;
        }
        const std::string path = modulePath();
        if (path.empty()) {
            unregisterServer(classes, withTypeLibrary);
            return SELFREG_E_CLASS;
        }
        for (const ClassRegistration& c : classes) {
            if (FAILED(registerClass(c, path, haveLibrary ? &lib : nullptr))) {
                unregisterServer(classes, withTypeLibrary);
                return SELFREG_E_CLASS;
            }
        }
        return S_OK;
    } catch (...) {
        unregisterServer(classes, withTypeLibrary);
        return SELFREG_E_CLASS;
    }
}

HRESULT unregisterServer(std::span<const ClassRegistration> classes, bool withTypeLibrary) noexcept {
    HRESULT result = S_OK;
    try {
        for (const ClassRegistration& c : classes) {
            if (LONG rc = unregisterClass(c); rc != ERROR_SUCCESS && !removed(rc)) result = SELFREG_E_CLASS;
        }
    } catch (...) {
        result = SELFREG_E_CLASS;
    }
    if (withTypeLibrary && FAILED(unregisterTypeLibrary())) result = SELFREG_E_TYPELIB;
    return result;
}

} // namespace com
