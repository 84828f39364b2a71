// exports.cpp
// The four exports of orvane36.ocx.
#include <windows.h>

#include <span>

#include "Orvane.h"
#include "OrvanePropPage.h"
#include "common/com/module.h"
#include "orvane36/registration.h"

namespace {

// The creatable classes: the control and its property page.
const com::ClassEntry kClasses[] = {
    com::classEntry<orvane36::Orvane>(CLSID_Orvane),
    com::classEntry<orvane36::OrvanePropPage>(CLSID_OrvanePropPage),
};

} // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** out) {
    return com::getClassObject(kClasses, clsid, riid, out);
}

STDAPI DllCanUnloadNow() { return com::canUnloadNow(); }

STDAPI DllRegisterServer() { return orvane36::registerLibrary(); }

STDAPI DllUnregisterServer() { return orvane36::unregisterLibrary(); }
