// comtest_server.cpp
// A real in-process server built from the plumbing alone, for the tests
// that go through the registry, CoCreateInstance and the four exports.
#include <windows.h>

#include <string>

#include "common/com/module.h"
#include "common/com/registration.h"
#include "counter.h"
#include "comtest_server.h"

namespace {

const com::ClassEntry kClasses[] = {
    com::classEntry<comtest::CounterObject>(CLSID_Counter),
    com::classEntry<comtest::CounterObject>(kClsidTestControl),
};

const com::Verb kVerbs[] = {{0, "P&roperties,0,2"}, {1, "&Edit,0,2"}};

const com::ClassRegistration kRegistrations[] = {
    {.clsid = &CLSID_Counter,
     .description = "ComTest Counter Class",
     .progId = kCounterProgId,
     .versionIndependentProgId = kCounterViProgId,
     .versionIndependentDescription = "Counter",
     .programmable = true},
    {.clsid = &kClsidTestControl,
     .description = "ComTest Control",
     .progId = kControlProgId,
     .control = true,
     .insertable = true,
     .toolboxBitmap = 1,
     .miscStatus = 132497,
     .verbs = kVerbs},
};

} // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** out) {
    return com::getClassObject(kClasses, clsid, riid, out);
}

STDAPI DllCanUnloadNow() { return com::canUnloadNow(); }

STDAPI DllRegisterServer() { return com::registerServer(kRegistrations); }

STDAPI DllUnregisterServer() { return com::unregisterServer(kRegistrations); }

// Test hook: the path the plumbing found for this module.
extern "C" int WINAPI ComTestModulePath(char* buffer, int size) {
    std::string path = com::modulePath();
    if (!buffer || size <= 0 || path.size() >= static_cast<size_t>(size)) return 0;
    path.copy(buffer, path.size());
    buffer[path.size()] = '\0';
    return static_cast<int>(path.size());
}
