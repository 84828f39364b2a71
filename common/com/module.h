// module.h
// The server module (the DLL, or the EXE in tests) this library is linked
// into: its handle and path, the counts behind DllCanUnloadNow, and the
// table-driven class factory behind DllGetClassObject.
//
// A server's exports are then four lines:
//
//   const com::ClassEntry kClasses[] = {com::classEntry<Thing>(CLSID_Thing)};
//   STDAPI DllGetClassObject(REFCLSID c, REFIID i, void** p) { return com::getClassObject(kClasses, c, i, p); }
//   STDAPI DllCanUnloadNow() { return com::canUnloadNow(); }
//   (registration: see registration.h)
//
// Counts are interlocked, so any thread may create and release objects.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <span>
#include <string>

namespace com {

// The module holding this code; found from an address inside it, so no
// DllMain is needed.
HMODULE moduleHandle() noexcept;
// Its full path (wide for the OLE calls, ANSI for registry values);
// empty when it cannot be read.
std::wstring modulePathW();
std::string modulePath();

// Live objects of the module (every com::Object counts itself, class
// factories and enumerators included) and IClassFactory::LockServer locks.
LONG liveObjects() noexcept;
LONG moduleLocks() noexcept;
void lockModule() noexcept;
void unlockModule() noexcept;
// DllCanUnloadNow: S_OK when no object and no lock is alive, else S_FALSE.
HRESULT canUnloadNow() noexcept;

// One creatable class: its CLSID and a function making an instance and
// answering the asked interface (com::createInstance<T> fits).
using CreateFunction = HRESULT (*)(REFIID riid, void** out);
struct ClassEntry {
    const CLSID* clsid;
    CreateFunction create;
};

// DllGetClassObject over a table: a new class factory for a listed CLSID,
// CLASS_E_CLASSNOTAVAILABLE for any other.
HRESULT getClassObject(std::span<const ClassEntry> classes, REFCLSID clsid, REFIID riid, void** out) noexcept;

namespace detail {
void objectCreated() noexcept;
void objectDestroyed() noexcept;
} // namespace detail

} // namespace com
