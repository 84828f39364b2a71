// fake_orvane.h
// A stand-in for the version-check control, registered in the test process
// under the control's class identifier: it answers the DISPIDs verify calls
// from a script of conflicts and embedded files, raises FileConflict,
// FileScan and EnumComplete synchronously inside the VerifyFile/ScanFile
// (or VerifyMode) puts, as the real control does, and records what the
// host did: the calls, the stop flags after each event, the saved data it
// was loaded from and whether it was sited in run mode.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <ocidl.h>

#include <string>
#include <vector>

#include "common/com/ptr.h"

namespace fake {

struct Copy {
    std::string path, version, dateString, versionString;
    LONG dateLow = 0, dateHigh = 0, size = 0, flags = 0;
};

struct Conflict {
    std::string referenceFile;
    std::string foundFile;   // "" when none was found
    LONG flags = 0;
    // Ref facts
    std::string refVersion = "6.0.0.0", refDateString = "2003-05-17 14:02:00", refGUID, refVersionString;
    LONG refDateLow = 11, refDateHigh = 22, refSize = 4096, refFlags = 0;
    LONG refTypeLibVersion = 0x00060000, refTypeLibLCID = 0;
    // Found facts (the found copy; also Other(0) when others are listed)
    Copy found;
    std::string foundGUID;
    LONG foundTypeLibVersion = 0, foundTypeLibLCID = 0;
    std::vector<Copy> others;   // OtherCount copies
    // An Other member with this index fails with error 9.
    int failOtherIndex = -1;
    // These members fail with error 5 while this conflict is current.
    std::vector<DISPID> failMembers;
};

struct Script {
    std::vector<Conflict> conflicts;
    std::vector<std::string> embeddedFiles;
    // The verification (VerifyFile or VerifyMode 2 put) fails with this
    // after its EnumComplete (0: none); the scan likewise.
    HRESULT verifyFailure = S_OK;
    std::string verifyFailureText;
    HRESULT scanFailure = S_OK;
    std::string scanFailureText;
};

struct Record {
    std::vector<std::string> calls;        // "put VerifyFile <path>", "put VerifyMode 2", ...
    std::vector<bool> stopAfterEvent;      // the stop flag as each event returned
    std::vector<BYTE> loadedData;          // what IPersistStreamInit::Load read
    bool initNew = false;
    bool siteBeforeLoad = false;
    bool userMode = false;                 // the site's ambient UserMode
    bool indexByReference = true;          // every Other index came as a VT_I2 reference
    int fileScansRaised = 0;
    int enumCompletes = 0;
    int maxNesting = 0;                    // deepest put inside a put
};

// Registers the class object for the test's lifetime; each creation makes
// a new control that plays script and writes into record.
class Registration {
public:
    Registration(const Script& script, Record& record, HRESULT createFailure = S_OK);
    ~Registration();
    Registration(const Registration&) = delete;
    Registration& operator=(const Registration&) = delete;

private:
    DWORD m_cookie = 0;
    com::ComPtr<IClassFactory> m_factory;
};

} // namespace fake
