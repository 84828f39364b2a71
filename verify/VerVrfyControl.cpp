// VerVrfyControl.cpp
#include "VerVrfyControl.h"

#include <algorithm>
#include <optional>

#include "common/com/bstr.h"
#include "common/win32/program_seams.h"
#include "orvane_ids.h"
#include "verify/late_bound.h"

namespace VerVrfyControl {

namespace {

namespace id = orvane::dispid;
using latebound::getLong;
using latebound::getText;

// True while the scan (second pass) runs.
bool scanPass = false;
// The scan's error. The scan runs inside the verification's EnumComplete,
// whose result the control does not pass on, so startVerify raises it
// once the verification has returned.
std::optional<latebound::ControlError> scanError;
int gMousePointer = 0;

[[noreturn]] void overflow() { throw latebound::ControlError(DISP_E_OVERFLOW, "Overflow"); }

// A fact the control cannot give is kept as unreadable, so that the
// conflict is still listed with the rest of what is known of it.
std::string readText(IDispatch* control, DISPID member, std::initializer_list<VARIANT> args = {}) {
    try {
        return getText(control, member, args);
    } catch (const latebound::ControlError&) {
        return std::string(kUnreadable);
    }
}

ReadNumber readNumber(IDispatch* control, DISPID member, std::initializer_list<VARIANT> args = {}) {
    try {
        return static_cast<int32_t>(getLong(control, member, args));
    } catch (const latebound::ControlError&) {
        return std::nullopt;
    }
}

std::string typeLibText(const ReadNumber& version) {
    return version ? versionText(*version) : std::string(kUnreadable);
}

ConflictRecord readConflict(const std::string& referenceFile, IDispatch* control) {
    ConflictRecord c;
    c.referenceFile = referenceFile;
    c.refVersion = readText(control, id::RefVersion);
    c.refDateString = readText(control, id::RefDateString);
    c.refDateLow = readNumber(control, id::RefDateLow);
    c.refDateHigh = readNumber(control, id::RefDateHigh);
    c.refSize = readNumber(control, id::RefSize);
    c.refFlags = readNumber(control, id::RefFlags);
    c.refGUID = readText(control, id::RefGUID);
    c.refTypeLibLCID = numberText(readNumber(control, id::RefTypeLibLCID));
    c.refTypeLibVersion = typeLibText(readNumber(control, id::RefTypeLibVersion));
    c.refVersionString = readText(control, id::RefVersionString);
    return c;
}

// The type-library facts of the found copy.
void readFoundTypeLib(FoundFileRecord& f, IDispatch* control) {
    f.fileGUID = readText(control, id::FoundGUID);
    f.fileTypeLibLCID = numberText(readNumber(control, id::FoundTypeLibLCID));
    f.fileTypeLibVersion = typeLibText(readNumber(control, id::FoundTypeLibVersion));
}

void registerNeeded() {
    if (!gRegisterTarget) return;
    gRegisterTarget->enableRegisterButton();
    if (!gRegisterHintShown) {
        seams::messageBox(gRegisterTarget->ownerWindow(),
                          "It is highly recommended that you register the component using the register button",
                          "Please Register Component", MB_ICONINFORMATION);
        gRegisterHintShown = true;
    }
}

void putText(IDispatch* control, DISPID member, const std::string& text) {
    com::Bstr value = com::Bstr::fromAnsi(text);
    latebound::put(control, member, com::argBstr(value.get()));
}

} // namespace

void startVerify(IDispatch* control) {
    gRecords.reset();
    gConflictCount = 0;
    scanPass = false;
    scanError.reset();
    setMousePointer(11);
    if (!gTargetFile.empty())
        putText(control, id::VerifyFile, gTargetFile);
    else
        latebound::put(control, id::VerifyMode, com::argLong(orvane::orvManualVerify));
    if (scanError) {
        const latebound::ControlError e = std::move(*scanError);
        scanError.reset();
        throw e;
    }
}

void addConflict(const std::string& referenceFile, const std::string& foundFile, LONG flags,
                 VARIANT_BOOL& /*stopVerify*/, IDispatch* control) {
    if (gConflictCount >= kMaxRecords) overflow();
    ConflictRecord conflict = readConflict(referenceFile, control);
    // Without a count only the copy the event names is known. Copies past
    // the record limit are left out; the conflict itself is kept.
    const LONG otherCount = readNumber(control, id::OtherCount).value_or(0);
    const auto room = static_cast<LONG>(kMaxRecords + 1 - gRecords.foundFiles.size());
    if (room < 1) overflow();
    std::vector<FoundFileRecord> found(static_cast<size_t>(std::clamp<LONG>(otherCount, 1, room)));
    SHORT other = 0;
    for (FoundFileRecord& f : found) {
        if (otherCount > 0) {
            f.filePath = readText(control, id::OtherFile, {com::refShort(&other)});
            // The first copy is the one the event names.
            if (&f == found.data() && f.filePath == kUnreadable && !foundFile.empty()) f.filePath = foundFile;
            f.fileVersion = readText(control, id::OtherVersion, {com::refShort(&other)});
            f.fileDateString = readText(control, id::OtherDateString, {com::refShort(&other)});
            f.fileDateLow = readNumber(control, id::OtherDateLow, {com::refShort(&other)});
            f.fileDateHigh = readNumber(control, id::OtherDateHigh, {com::refShort(&other)});
            f.fileSize = readNumber(control, id::OtherSize, {com::refShort(&other)});
            f.fileFlags = readNumber(control, id::OtherFlags, {com::refShort(&other)});
            f.fileVersionString = readText(control, id::OtherVersionString, {com::refShort(&other)});
            if (!foundFile.empty()) readFoundTypeLib(f, control);
        } else if (!foundFile.empty()) {
            f.filePath = foundFile;
            f.fileVersion = readText(control, id::FoundVersion);
            f.fileDateString = readText(control, id::FoundDateString);
            f.fileDateLow = readNumber(control, id::FoundDateLow);
            f.fileDateHigh = readNumber(control, id::FoundDateHigh);
            f.fileSize = readNumber(control, id::FoundSize);
            f.fileFlags = readNumber(control, id::FoundFlags);
            readFoundTypeLib(f, control);
            f.fileVersionString = readText(control, id::FoundVersionString);
        }
        f.conflictFlags = flags;
        ++other;
    }
    if (!gRecords.append(std::move(conflict), std::move(found))) overflow();
    gConflictCount = gRecords.count();
}

void onFileScan(const std::string&, LONG, LONG, VARIANT_BOOL& stopScan) {
    gEmbeddedFound = true;
    stopScan = VARIANT_TRUE;
}

void onEnumComplete(IDispatch* control) {
    setMousePointer(0);
    if (scanPass) {
        scanPass = false;
        return;
    }
    if (gConflictCount > 0) return;
    scanPass = true;
    gEmbeddedFound = false;
    try {
        if (!gTargetFile.empty())
            putText(control, id::ScanFile, gTargetFile);
        else
            latebound::put(control, id::VerifyMode, com::argLong(orvane::orvManualScan));
    } catch (const latebound::ControlError& e) {
        scanError = e;
        throw;
    }
}

void fillConflictList(int keepFlag, HWND list) {
    if (keepFlag != -1) SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const std::string& line : conflictListLines(gRecords, gEmbeddedFound))
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
}

std::string conflictDetail(int n) {
    Detail d = conflictDetailOf(gRecords, n);
    if (d.text.empty()) return {};
    // A conflict whose file was not found has nothing to register: the
    // register button must not act on the file of an earlier detail.
    gRegisterPath = d.actualFile;
    if (d.registerNeeded) registerNeeded();
    return d.text;
}

long colorCount(HWND window) {
    HDC dc = GetDC(window);
    if (!dc) return 0;
    const int exponent = std::clamp(GetDeviceCaps(dc, PLANES) * GetDeviceCaps(dc, BITSPIXEL), 0, 24);
    ReleaseDC(window, dc);
    return 1L << exponent;
}

void setMousePointer(int pointer) {
    gMousePointer = pointer;
    HCURSOR c = pointerCursor();
    SetCursor(c ? c : LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
}

int mousePointer() { return gMousePointer; }

HCURSOR pointerCursor() {
    switch (gMousePointer) {
    case 11:
        return LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT));
    case 13:
        return LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_APPSTARTING));
    default:
        return nullptr;
    }
}

} // namespace VerVrfyControl
