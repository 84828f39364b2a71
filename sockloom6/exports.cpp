// exports.cpp
// The four exports of sockloom6.dll: the class factory over the creatable
// classes and self-registration under the ProgIDs automation hosts use,
// "sockloom_v6." followed by the class name.
#include "winsock_names.h"

#include "common/com/module.h"
#include "common/com/object.h"
#include "common/com/registration.h"
#include "zkSockName.h"
#include "zkFTPclient.h"
#include "zkHTTP10.h"
#include "zkSockets.h"
#include "zkTCP.h"
#include "zkUDP.h"

namespace {

const com::ClassEntry kClasses[] = {
    com::classEntry<sockloom::zkSockets>(CLSID_zkSockets),
    com::classEntry<sockloom::zkSockName>(CLSID_zkSockName),
    com::classEntry<sockloom::zkTCP>(CLSID_zkTCP),
    com::classEntry<sockloom::zkUDP>(CLSID_zkUDP),
    com::classEntry<sockloom::zkHTTP10>(CLSID_zkHTTP10),
    com::classEntry<sockloom::zkFTPclient>(CLSID_zkFTPclient),
};

const com::ClassRegistration kRegistrations[] = {
    {.clsid = &CLSID_zkSockets,
     .description = "sockloom_v6.zkSockets",
     .progId = "sockloom_v6.zkSockets",
     .programmable = true},
    {.clsid = &CLSID_zkSockName,
     .description = "sockloom_v6.zkSockName",
     .progId = "sockloom_v6.zkSockName",
     .programmable = true},
    {.clsid = &CLSID_zkTCP, .description = "sockloom_v6.zkTCP", .progId = "sockloom_v6.zkTCP", .programmable = true},
    {.clsid = &CLSID_zkUDP, .description = "sockloom_v6.zkUDP", .progId = "sockloom_v6.zkUDP", .programmable = true},
    {.clsid = &CLSID_zkHTTP10,
     .description = "sockloom_v6.zkHTTP10",
     .progId = "sockloom_v6.zkHTTP10",
     .programmable = true},
    {.clsid = &CLSID_zkFTPclient,
     .description = "sockloom_v6.zkFTPclient",
     .progId = "sockloom_v6.zkFTPclient",
     .programmable = true},
};

}  // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** out) {
    return com::getClassObject(kClasses, clsid, riid, out);
}

STDAPI DllCanUnloadNow() { return com::canUnloadNow(); }

STDAPI DllRegisterServer() { return com::registerServer(kRegistrations); }

STDAPI DllUnregisterServer() { return com::unregisterServer(kRegistrations); }
