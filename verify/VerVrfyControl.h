// VerVrfyControl.h
// The check driver: runs the control over the main program's executable in
// two passes (a verification of its embedded file list, then, when that
// found no conflict, a scan telling whether it carries a list at all),
// collects a record per conflict, fills the conflict list and builds the
// detail text of a conflict.
//
// The control is reached only through late-bound calls by DISPID. Both
// passes run nested inside startVerify: the control raises its events
// within the call, and the scan is started from the verification's
// EnumComplete. A control error thrown by a call (latebound::ControlError)
// ends the routine it happens in; the event relay turns it into the
// event's result, and an error of the scan is thrown again by startVerify.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>
#include <vector>

#include "conflict_records.h"

namespace VerVrfyControl {

// The conflict window's share in building a detail text: a conflict that
// is not registered enables its register button (the hint box is shown
// by the driver, owned by ownerWindow).
class RegisterTarget {
public:
    virtual void enableRegisterButton() = 0;
    virtual HWND ownerWindow() = 0;

protected:
    ~RegisterTarget() = default;
};

// Module state of one run (see startVerify for what it resets).
inline CheckRecords gRecords;   // gConflicts and gFoundFiles
inline int gConflictCount = 0;
inline std::string gTargetFile;
inline bool gEmbeddedFound = false;
inline bool gRegisterHintShown = false;
inline std::string gRegisterPath;
inline RegisterTarget* gRegisterTarget = nullptr;

// First pass: resets the records and starts VerifyFile (VerifyMode 2 when
// gTargetFile is empty). Returns after both passes; throws the error of
// either pass.
void startVerify(IDispatch* control);

// FileConflict: records the conflict with every copy found. StopVerify is
// left as it is, so the verification runs to its end. A detail the control
// cannot give is recorded as unreadable; only a run past the record limit
// (an overflow error) leaves a conflict out.
void addConflict(const std::string& referenceFile, const std::string& foundFile, LONG flags,
                 VARIANT_BOOL& stopVerify, IDispatch* control);
// FileScan: one embedded file is enough; ends the scan.
void onFileScan(const std::string& referenceFile, LONG verifyFlags, LONG pathFlags, VARIANT_BOOL& stopScan);
// EnumComplete: ends a pass; after a verification without conflicts it
// starts the scan, which runs inside this call.
void onEnumComplete(IDispatch* control);

// Fills the list box (cleared first unless keepFlag is -1).
void fillConflictList(int keepFlag, HWND list);
// The detail text of conflict n (from 1). Sets gRegisterPath to the actual
// file shown (empty when none was found); a conflict that is not
// registered enables the register button and, once per window load,
// shows the register hint.
std::string conflictDetail(int n);

// 2 raised to planes times bits per pixel of the window's device context,
// the exponent capped at 24.
long colorCount(HWND window);

// The program-wide mouse pointer: 0 default, 11 hourglass, 13 arrow and
// hourglass. The program's windows show it while it is not 0.
void setMousePointer(int pointer);
int mousePointer();
// The cursor for the current pointer, null for the default (WM_SETCURSOR).
HCURSOR pointerCursor();

} // namespace VerVrfyControl
