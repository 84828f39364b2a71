// frmWait.h
// The splash window. Shown modeless at start; its one timer tick, about
// 100 ms later, runs the check through the conflict window and then shows
// the conflict window (modal), the all-up-to-date box, or, for a program
// without a file list, the box saying its files could not be checked; and
// closes.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "common/ui/Dialog.h"

class frmWait : public ui::Dialog {
public:
    // Creates the window and shows it without waiting. False when it
    // could not be made.
    bool load();

    void Timer1_Timer();

    HWND Label1 = nullptr;
    static constexpr UINT_PTR Timer1 = 1;
    static constexpr UINT kTimer1Interval = 100;

    // Called once the window is gone (the program ends then).
    std::function<void()> onUnloaded;

protected:
    bool OnInit() override;
    bool OnTimer(UINT_PTR id) override;
    void OnOK() override {}
    void OnCancel() override {}
    void onDestroyed() override;
};

// The box of an error that ends the check: "Run-time error 'n':" and the
// error's description.
std::string runtimeErrorText(long number, const std::string& description);

// What escaped a window's handlers ends the program as an unhandled
// run-time error does: its box, then the end of the message loop (exit
// code 1). Only the first is shown: the program is already ending.
void reportUncaughtFailure(HWND window, UINT msg) noexcept;
