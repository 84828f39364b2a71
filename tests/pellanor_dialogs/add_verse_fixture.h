// add_verse_fixture.h
// For the add-verses dialog's tests: the dialog, hidden, over a throw-away
// program folder, with the message boxes and the help viewer recorded, and
// the user's typing into its fields.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "pellanor/win/Module1.h"
#include "dialog_driver.h"
#include "dialogs_res.h"
#include "frmAddVerse.h"
#include "library_fixture.h"
#include "seams.h"

namespace testsupport {

using Rows = std::vector<std::vector<std::string>>;

class AddVerse : public ::testing::Test {
protected:
    void SetUp() override {
        resetLibraryState();
        gVerseRoot = root.path();
        gHelpFile = root / "help.chm";
        gDialogCancelled = true;
        seams::setHtmlHelp([this](HWND owner, const std::string& file, UINT cmd, DWORD_PTR data) {
            help.push_back({owner, file, cmd, data});
            return HWND{};
        });
    }
    void TearDown() override {
        dlg.reset();
        seams::setHtmlHelp(nullptr);
    }

    std::string versesPath() const { return root / "Your Verses\\Your Verses.txt"; }
    std::string thoughtsPath() const { return root / "Your Verses\\Your Inspirational Thoughts.txt"; }

    // Opens the dialog and waits for its start-up focus timer.
    void open() {
        dlg = std::make_unique<frmAddVerse>(nullptr);
        for (DWORD start = GetTickCount(); dlg->isOpen() && GetTickCount() - start < 150;) {
            dialogdriver::pump(dlg->hwnd());
            Sleep(10);
        }
    }
    HWND h() const { return dlg->hwnd(); }

    void verse(const char* book, const std::string& chapter, const std::string& verseNumbers,
               const std::string& translation, const std::string& text) {
        SendMessageA(dlg->comboVerse, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(book));
        dialogdriver::setText(dlg->txtVerse[1], chapter);
        dialogdriver::setText(dlg->txtVerse[2], verseNumbers);
        dialogdriver::setText(dlg->txtVerse[3], translation);
        dialogdriver::setText(dlg->txtVerse[4], text);
    }
    void thought(const std::string& author, const std::string& date, const std::string& text) {
        dialogdriver::setText(dlg->txtThought[0], author);
        dialogdriver::setText(dlg->txtThought[1], date);
        dialogdriver::setText(dlg->txtThought[2], text);
    }
    // The last box shown, and the boxes forgotten.
    Box lastBox() {
        Box b = boxes.boxes.empty() ? Box{} : boxes.boxes.back();
        boxes.boxes.clear();
        return b;
    }

    struct HelpCall {
        HWND owner;
        std::string file;
        UINT command;
        DWORD_PTR data;
    };
    TempDir root;
    BoxRecorder boxes;
    std::vector<HelpCall> help;
    std::unique_ptr<frmAddVerse> dlg;
};


} // namespace testsupport
