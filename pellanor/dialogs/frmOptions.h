// frmOptions.h
// The options dialog "Program Settings": snooze time, how often each verse
// and each subject is repeated, the three wake-up alerts, the translation
// and the verse text size. It changes only the program-wide settings in
// memory (the main window saves them when it closes): OK copies the values
// and clears gDialogCancelled; Cancel and the close box change nothing.
//
// Choosing a text size shows it at once in the main window's verse and
// reference boxes (gMainForm); every close puts the size of gVerseFontSize
// back on them, which after OK is the new one.
//
// The three number fields follow the Enter rule (ui::EnterField): Enter or
// leaving a field validates it; a wrong entry is replaced as
// options_rules decides (a non-number by the current setting, with a
// message; a number out of range by the nearest limit, silently), selected
// and keeps the focus. OK validates them again, so no unchecked text
// reaches the settings.
#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <string>

#include "dialog_shared.h"
#include "common/ui/PictureButton.h"
#include "EnterField.h"

class frmOptions : public dialog_shared::CommandDialog {
public:
    // Creates the dialog, hidden, over owner and runs its load.
    explicit frmOptions(HWND owner);
    ~frmOptions() override;

    // What the main window's options menu opens: the dialog, modal over
    // owner. The caller sets gDialogCancelled and gChosenTranslation first.
    static void showDialog(HWND owner);

    // Handlers, public so that tests act as the user does.
    void cmdOK_Click();
    void cmdCancel_Click();
    void comboFontSize_Click();
    void comboTranslation_Click();
    void cmdShowTip_Click();
    void cmdHelp_Click();
    // True = the entry was wrong and has been replaced.
    bool testSleep(int index);
    bool testRepeat(int index);


    // Controls.
    HWND comboTranslation = nullptr;
    std::array<HWND, 3> chkAlert{};
    std::array<HWND, 1> txtSnooze{};
    std::array<HWND, 1> UpDownSnooze{};
    HWND frameSleep = nullptr;
    HWND comboFontSize = nullptr;
    HWND cmdShowTip = nullptr;
    std::array<HWND, 2> txtRepeat{};
    std::array<HWND, 2> UpDownRepeat{};
    HWND cmdOK = nullptr;
    HWND cmdCancel = nullptr;
    HWND cmdHelp = nullptr;

    // Dialog state: the chosen translation (an index into gTranslations).
    long chosenTranslation = 0;

    static constexpr const char* kCaption = "Program Settings";
    static constexpr int kHelpContext = 1008;

protected:
    bool OnInit() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void OnOK() override { cmdOK_Click(); }
    void OnCancel() override;
    void onClose() override { Form_QueryUnload(); }

private:
    void Form_Load();
    void Form_QueryUnload();
    void attachFields();
    // Moves the focus to field and selects its whole text.
    void refocus(HWND field);
    static LRESULT CALLBACK fieldClickProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp,
                                           UINT_PTR id, DWORD_PTR refData);

    std::array<std::unique_ptr<ui::EnterField>, 3> m_fields; // snooze, repeat 0, repeat 1
    // The question mark on a push button.
    ui::PictureButton m_helpButton;
};
