// frmTip.h
// The tip of the day: one tip at a time, picked at random from the lines of
// "TIPOFDAY.TXT" in the program folder; Next Tip picks another. Every
// opening ticks "Show Tips at Startup" and so stores it as 1; the box
// stores what the user sets at once.
//
// On the program's first run (gFirstTimeRun) it shows the program's purpose
// and opens the help at that topic instead; OK then shows a notice about
// the Sleep button and the next OK closes. The first-run display clears
// gFirstTimeRun, so it shows once per run at most. What shows and what is
// stored is tip_display's.
#pragma once

#include <windows.h>

#include <array>
#include <random>
#include <string>
#include <vector>

#include "dialog_shared.h"
#include "tip_display.h"

class frmTip : public dialog_shared::CommandDialog {
public:
    // Creates the dialog, hidden, over owner and runs its load.
    explicit frmTip(HWND owner);

    // What the main window's load and the options dialog open: the dialog,
    // modal over owner.
    static void showDialog(HWND owner);

    // Reads the tips file into tips and shows a random tip; true when the
    // file was read. An empty name or a missing file is false, no error.
    bool LoadTips(const std::string& fileName);
    // Shows tip number currentTip; nothing when there are no tips.
    void DisplayCurrentTip();

    // Handlers, public so that tests act as the user does.
    void cmdNextTip_Click();
    void cmdOK_Click();
    void chkLoadTipsAtStartup_Click();
    void Label2_Click();

    // The picture Picture1 shows: 0 the tip picture, 1 the notice picture.
    int picture() const { return m_picture; }

    // Dialog state.
    std::vector<std::string> tips; // in file order; tip n is tips[n - 1]
    long currentTip = 0;           // 1-based

    // Controls.
    HWND Label1 = nullptr;
    std::array<HWND, 2> lblTipText{};
    HWND Picture1 = nullptr;
    HWND chkLoadTipsAtStartup = nullptr;
    HWND cmdNextTip = nullptr;
    HWND cmdOK = nullptr;
    HWND Label2 = nullptr;

    static constexpr const char* kCaption = "Tip of the Day";
    static constexpr int kPurposeHelpContext = 1009;

protected:
    bool OnInit() override;
    bool OnCommand(int id, int code, HWND control) override;
    void OnOK() override { cmdOK_Click(); }

private:
    void Form_Load();
    void DoNextTip();
    void showPicture(int which);

    std::mt19937 m_random;
    std::array<HICON, 2> m_images{}; // Image1(0), Image1(1)
    int m_picture = 0;
    tip_display::Display m_display = tip_display::Display::Tip; // what OK acts on
};
