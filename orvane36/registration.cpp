// registration.cpp
#include "orvane36/registration.h"

#include <olectl.h>

#include <string>

#include "orvane36.h"

namespace orvane36 {

namespace {

const com::Verb kControlVerbs[] = {{0, "P&roperties,0,2"}};

// Invisible at run time, inside-out, activate when visible, set client
// site first, can't link inside, recompose on resize.
constexpr DWORD kControlMiscStatus = 132497;
static_assert(kControlMiscStatus == (OLEMISC_SETCLIENTSITEFIRST | OLEMISC_INVISIBLEATRUNTIME |
                                     OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_INSIDEOUT | OLEMISC_CANTLINKINSIDE |
                                     OLEMISC_RECOMPOSEONRESIZE));

constexpr int kToolboxBitmap = 1;

const com::ClassRegistration kRegistrations[] = {
    {.clsid = &CLSID_Orvane,
     .description = "Quennick Orvane 6 Control",
     .progId = "orvane36.Orvane.6",
     .versionIndependentProgId = "orvane36.Orvane",
     .versionIndependentDescription = "Orvane",
     .programmable = true,
     .typeLib = true,
     .control = true,
     .insertable = true,
     .toolboxBitmap = kToolboxBitmap,
     .miscStatus = kControlMiscStatus,
     .verbs = kControlVerbs},
    {.clsid = &CLSID_OrvanePropPage,
     .description = "Quennick Orvane Property Page",
     .progId = "OrvanePropPage.OrvanePropPage.1",
     .versionIndependentProgId = "OrvanePropPage.OrvanePropPage",
     .programmable = true,
     .typeLib = false},
};

} // namespace

std::span<const com::ClassRegistration> classRegistrations() noexcept { return kRegistrations; }

HRESULT registerLibrary() noexcept { return com::registerServer(kRegistrations); }

HRESULT unregisterLibrary() noexcept {
    HRESULT result = com::unregisterServer(kRegistrations);
    try {
        // Every version of the library goes, not only the embedded one.
        const std::string key = "TypeLib\\" + com::guidString(LIBID_orvane36Lib);
        const LONG rc = RegDeleteTreeA(HKEY_CLASSES_ROOT, key.c_str());
        if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND && rc != ERROR_PATH_NOT_FOUND && SUCCEEDED(result))
            result = SELFREG_E_TYPELIB;
    } catch (...) {
        if (SUCCEEDED(result)) result = E_OUTOFMEMORY;
    }
    return result;
}

} // namespace orvane36
