// registration.h
// Self-registration of an in-process server (DllRegisterServer and
// DllUnregisterServer) from a table of its classes, under
// HKEY_CLASSES_ROOT:
//
//   CLSID\{clsid}            = description (the key is replaced whole)
//     InprocServer32         = module path, ThreadingModel = "Apartment"
//     ProgID, VersionIndependentProgID, Programmable
//     TypeLib = {libid}, Version = "major.minor" (of the embedded library)
//     Control, Insertable, ToolboxBitmap32 = "<path>, id",
//     MiscStatus = "0" with 1 = status, Verb\n = text      (controls)
//   <ProgID>                 = description, CLSID = {clsid}
//   <VersionIndependentProgID> = its description, CLSID, CurVer = ProgID
//
// plus the embedded type library (RegisterTypeLib, which also writes the
// Interface\{iid} keys of its automation interfaces).
//
//   const com::Verb kVerbs[] = {{0, "P&roperties,0,2"}};
//   const com::ClassRegistration kRegs[] = {{.clsid = &CLSID_Thing, .description = "Thing Control",
//       .progId = "server.Thing.1", .versionIndependentProgId = "server.Thing",
//       .control = true, .toolboxBitmap = 1, .miscStatus = 132497, .verbs = kVerbs}};
//   STDAPI DllRegisterServer() { return com::registerServer(kRegs); }
//   STDAPI DllUnregisterServer() { return com::unregisterServer(kRegs); }
#pragma once

#include <windows.h>

#include <span>
#include <string>

namespace com {

struct Verb {
    int number;
    const char* text;
};

struct ClassRegistration {
    const CLSID* clsid = nullptr;
    const char* description = nullptr;
    const char* progId = nullptr;
    const char* versionIndependentProgId = nullptr;
    // Default value of the version-independent key; description when null.
    const char* versionIndependentDescription = nullptr;
    const char* threadingModel = "Apartment";
    bool programmable = false;
    bool typeLib = true;
    bool control = false;
    bool insertable = false;
    int toolboxBitmap = 0;
    DWORD miscStatus = 0;
    std::span<const Verb> verbs = {};
};

// Registers the type library (when withTypeLibrary), then every class.
// On a failure nothing stays half written: what was written is removed
// and SELFREG_E_TYPELIB or SELFREG_E_CLASS is returned.
HRESULT registerServer(std::span<const ClassRegistration> classes, bool withTypeLibrary = true) noexcept;

// Removes every class key, the ProgID keys that still name the class, the
// type library's registration and the Interface keys that still name the
// library. Keys already missing are no failure; S_OK unless a key that
// exists could not be removed.
HRESULT unregisterServer(std::span<const ClassRegistration> classes, bool withTypeLibrary = true) noexcept;

// The embedded type library alone.
HRESULT registerTypeLibrary() noexcept;
HRESULT unregisterTypeLibrary() noexcept;

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case, as the registry
// spells class and library identifiers.
std::string guidString(REFGUID guid);

} // namespace com
