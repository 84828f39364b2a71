// frmCopyrights.h
// The copyright notices: the lines of "copyright.txt" in the program
// folder, each without its leading and trailing blanks, in a read-only box.
// A file that cannot be read is reported and the window opens all the same.
#pragma once

#include <windows.h>

#include <string>

#include "common/ui/Dialog.h"

class frmCopyrights : public ui::Dialog {
public:
    explicit frmCopyrights(HWND owner);

    // What the main window's menu opens: the dialog, modal over owner.
    static void showDialog(HWND owner);

    // Fills Text1 from the file; true when it could not be read.
    bool loadCopyrightInfo();

    HWND Text1 = nullptr;
    HWND Command1 = nullptr;

    static constexpr const char* kCaption = "Copyright Information";
    static constexpr const char* kFileName = "copyright.txt";

protected:
    bool OnInit() override;
};
