// server.cpp
// The four exports of orvanescan.dll: one creatable class, OrvaneScan,
// registered as an apartment-threaded in-process server with its type
// library.
#include <windows.h>

#include "OrvaneScanObject.h"
#include "common/com/module.h"
#include "common/com/registration.h"

namespace {

const com::ClassEntry kClasses[] = {com::classEntry<orvanescan::OrvaneScanObject>(CLSID_OrvaneScan)};

const com::ClassRegistration kRegistrations[] = {
    {.clsid = &CLSID_OrvaneScan,
     .description = "OrvaneScan engine",
     .progId = "OrvaneScan.OrvaneScan.1",
     .versionIndependentProgId = "OrvaneScan.OrvaneScan",
     .programmable = true},
};

} // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** out) {
    return com::getClassObject(kClasses, clsid, riid, out);
}

STDAPI DllCanUnloadNow() { return com::canUnloadNow(); }

STDAPI DllRegisterServer() { return com::registerServer(kRegistrations); }

STDAPI DllUnregisterServer() { return com::unregisterServer(kRegistrations); }
