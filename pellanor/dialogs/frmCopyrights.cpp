// frmCopyrights.cpp
#include "frmCopyrights.h"

#include <windows.h>

#include <vector>

#include "pellanor/win/Module1.h"
#include "dataManipulation.h"
#include "dialog_shared.h"
#include "frmCopyrights_res.h"
#include "seams.h"
#include "text_files.h"

using dialog_shared::kCrLf;

frmCopyrights::frmCopyrights(HWND owner) { create(IDD_COPYRIGHTS, owner); }

void frmCopyrights::showDialog(HWND owner) { dialog_shared::showModal<frmCopyrights>(owner); }

bool frmCopyrights::OnInit() {
    Text1 = getItem(IDC_CR_TEXT1);
    Command1 = getItem(IDOK);
    (void)userAction::run({}, [&] { loadCopyrightInfo(); }, [] {
        dataManipulation::showMessage(nullptr, "An error occurred loading the Copyright Form.  ",
                                      "Program Error Occurred", MB_ICONSTOP);
    });
    // The OK button, not the notices, has the focus.
    gotoDlgCtrl(Command1);
    return false;
}

bool frmCopyrights::loadCopyrightInfo() {
    const std::string path = seams::programFolder() + "\\" + kFileName;
    std::vector<std::string> lines;
    if (!dialog_shared::readLines(path, lines)) {
        dataManipulation::showMessage(
            hwnd(),
            "The file " + path + " could not be opened.  " + kCrLf +
                "This is usually caused by another program having the file open already.  Please close "
                "the other program and re-start this one.  ",
            "Error: File Could Not Be Opened", MB_ICONSTOP);
        return true;
    }
    const std::string text = text_files::noticesText(lines);
    // The box takes notices of any length, not only the default 32K.
    SendMessageA(Text1, EM_SETLIMITTEXT, 0, 0);
    ui::setWindowText(Text1, text);
    SendMessageA(Text1, EM_SETREADONLY, TRUE, 0);
    return false;
}
