// window_floor.cpp
// The floor the program's own window sets: the main window with its verse
// box, reference boxes, status bar, combo boxes, tooltips, picture buttons
// and menus, made by the program's own code and shown with one line of
// text, but with no verse library and none of the load's steps. The driver
// times it as it times the program, so the difference between the two is
// what the library and the load cost.
#include <windows.h>

#include "pellanor/win/Module1.h"
#include "frmMain.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    frmMain form;
    // As the main window, closing it ends the message loop.
    gMainForm = &form;
    if (!form.create()) return 1;
    SetWindowTextA(form.RichTxtVerse, "Thou wilt keep him in perfect peace, whose mind is stayed on thee.");
    ShowWindow(form.hwnd(), SW_SHOW);
    SetForegroundWindow(form.hwnd());
    return ui::runMessageLoop();
}
