// frmOptions_test.cpp
// The options dialog over a loaded, hidden main window: the load, how the
// number fields' rules reach them, Enter and leaving a field, the live
// text-size preview, and what OK, Cancel and the close box leave behind.
#include <windows.h>
#include <commctrl.h>
#include <htmlhelp.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <memory>

#include "dialog_driver.h"
#include "frmOptions.h"
#include "frmOptions_res.h"
#include "frmTip.h"
#include "main_window_fixture.h"
#include "layout_checks.h"
#include "recorded_fixture.h"

using namespace testsupport;
using namespace dialogdriver;

namespace {

class Options : public MainWindow {
protected:
    void SetUp() override {
        MainWindow::SetUp();
        standardLibrary();
        start();
        ASSERT_TRUE(form->isOpen());
        gSnoozeTime = 30;
        gRepeatCount = {3, 2};
        gVisualAlert = true;
        gAudioAlert = false;
        gDesktopAlert = true;
        gVerseFontSize = 10;
        gCurTranslation = 1;
        gChosenTranslation = 1;
        gForceOptions = false;
        gDialogCancelled = true;
        gErrorShown = false;
    }
    void TearDown() override {
        dlg.reset();
        MainWindow::TearDown();
    }
    void open() {
        dlg = std::make_unique<frmOptions>(nullptr);
        ASSERT_TRUE(dlg->isOpen());
        pump(dlg->hwnd());
    }
    HWND h() const { return dlg->hwnd(); }
    void chooseSize(int index) {
        SendMessageA(dlg->comboFontSize, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageA(h(), WM_COMMAND, MAKEWPARAM(IDC_OPT_FONTSIZE, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(dlg->comboFontSize));
        pump(h());
    }
    long verseSize() const {
        CHARFORMAT2A cf{};
        cf.cbSize = sizeof cf;
        SendMessageA(form->RichTxtVerse, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf));
        return cf.yHeight / 20;
    }
    static LONG fontHeightFor(long points) {
        HDC dc = GetDC(nullptr);
        int dpi = GetDeviceCaps(dc, LOGPIXELSY);
        ReleaseDC(nullptr, dc);
        return -MulDiv(static_cast<int>(points), dpi, 72);
    }
    LONG locationHeight(size_t i) const {
        LOGFONTA lf{};
        HFONT f = reinterpret_cast<HFONT>(SendMessageA(form->txtLocation[i], WM_GETFONT, 0, 0));
        if (!f || !GetObjectA(f, sizeof lf, &lf)) return 0;
        return lf.lfHeight;
    }
    std::vector<size_t> visibleLocations() const {
        std::vector<size_t> shown;
        for (size_t i = 0; i < 3; ++i)
            if (GetWindowLongA(form->txtLocation[i], GWL_STYLE) & WS_VISIBLE) shown.push_back(i);
        return shown;
    }
    // The settings a cancelled dialog must leave alone.
    void expectSettingsUnchanged() {
        EXPECT_EQ(gSnoozeTime, 30);
        EXPECT_EQ(gRepeatCount[0], 3);
        EXPECT_EQ(gRepeatCount[1], 2);
        EXPECT_TRUE(gVisualAlert);
        EXPECT_FALSE(gAudioAlert);
        EXPECT_TRUE(gDesktopAlert);
        EXPECT_EQ(gVerseFontSize, 10);
        EXPECT_EQ(gChosenTranslation, 1);
        EXPECT_TRUE(gDialogCancelled);
    }

    BoxRecorder boxes;
    std::unique_ptr<frmOptions> dlg;
};

TEST_F(Options, LoadFillsEveryControlFromTheSettings) {
    gVerseFontSize = 12;
    open();
    EXPECT_EQ(text(h()), "Program Settings");
    EXPECT_EQ(text(dlg->frameSleep), "Sleep Time (1 to 240 minutes)");
    ASSERT_EQ(SendMessageA(dlg->comboFontSize, CB_GETCOUNT, 0, 0), 4);
    const char* sizes[] = {" 8", " 10", " 12", " 14"};
    for (int i = 0; i < 4; ++i) {
        char item[16] = {};
        SendMessageA(dlg->comboFontSize, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item));
        EXPECT_STREQ(item, sizes[i]);
    }
    EXPECT_EQ(SendMessageA(dlg->comboFontSize, CB_GETCURSEL, 0, 0), 2);
    ASSERT_EQ(SendMessageA(dlg->comboTranslation, CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageA(dlg->comboTranslation, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(text(dlg->comboTranslation), gTranslations[1].name);
    EXPECT_EQ(dlg->chosenTranslation, 1);
    EXPECT_EQ(IsDlgButtonChecked(h(), IDC_OPT_ALERT0), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(h(), IDC_OPT_ALERT1), BST_UNCHECKED);
    EXPECT_EQ(IsDlgButtonChecked(h(), IDC_OPT_ALERT2), BST_CHECKED);
    EXPECT_EQ(text(dlg->txtSnooze[0]), "30");
    EXPECT_EQ(text(dlg->txtRepeat[0]), "3");
    EXPECT_EQ(text(dlg->txtRepeat[1]), "2");
    int lo = 0, hi = 0;
    SendMessageA(dlg->UpDownSnooze[0], UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lo), reinterpret_cast<LPARAM>(&hi));
    EXPECT_EQ(lo, 1);
    EXPECT_EQ(hi, 240);
    SendMessageA(dlg->UpDownRepeat[0], UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lo), reinterpret_cast<LPARAM>(&hi));
    EXPECT_EQ(hi, 10);
    SendMessageA(dlg->UpDownRepeat[1], UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lo), reinterpret_cast<LPARAM>(&hi));
    EXPECT_EQ(hi, 5);
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(dlg->UpDownSnooze[0], UDM_GETBUDDY, 0, 0)), dlg->txtSnooze[0]);
    EXPECT_TRUE(IsWindowEnabled(dlg->cmdCancel));
    EXPECT_EQ(verseSize(), 12) << "selecting the stored size ran the preview";
    EXPECT_TRUE(boxes.boxes.empty());
}

// Each explanation shows whole, inside its frame and clear of the fields.
TEST_F(Options, LabelsShowTheirWholeText) {
    using namespace layoutchecks;
    open();
    const int labels[] = {IDC_OPT_LABELSLEEP, IDC_OPT_LABELREPEAT0, IDC_OPT_LABELREPEAT1};
    const int frames[] = {IDC_OPT_FRAMESLEEP, IDC_OPT_FRAMEREPEAT, IDC_OPT_FRAMEREPEAT};
    for (size_t i = 0; i < 3; ++i) {
        HWND label = GetDlgItem(h(), labels[i]);
        ASSERT_NE(label, nullptr);
        EXPECT_LE(textHeightNeeded(label), clientHeight(label)) << "label " << labels[i] << " is not clipped";
        EXPECT_TRUE(inside(label, GetDlgItem(h(), frames[i]))) << "label " << labels[i];
    }
    HWND sleep = GetDlgItem(h(), IDC_OPT_LABELSLEEP);
    EXPECT_FALSE(overlap(sleep, GetDlgItem(h(), IDC_OPT_FRAMESIZE)));
    EXPECT_FALSE(overlap(sleep, GetDlgItem(h(), IDC_OPT_FRAMETIPS)));
    EXPECT_FALSE(overlap(GetDlgItem(h(), IDC_OPT_LABELREPEAT0), GetDlgItem(h(), IDC_OPT_LABELREPEAT1)));
    EXPECT_FALSE(overlap(GetDlgItem(h(), IDC_OPT_FRAMEREPEAT), GetDlgItem(h(), IDOK)));
}

TEST_F(Options, ForcedOpeningDisablesCancelAndEscapeOnce) {
    gForceOptions = true;
    open();
    EXPECT_FALSE(IsWindowEnabled(dlg->cmdCancel));
    EXPECT_FALSE(gForceOptions);
    SendMessageA(h(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    pump(h());
    EXPECT_TRUE(dlg->isOpen()) << "Escape must not do what the disabled Cancel cannot";
}

TEST_F(Options, FirstEnterValidatesSecondEnterPressesOK) {
    open();
    focus(h(), dlg->txtSnooze[0]);
    EXPECT_EQ(defaultId(h()), 0) << "OK is not the default while a field has the focus";
    type(h(), "abc");
    key(h(), VK_RETURN);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "You can only enter numeric values for the Sleep time.  The value will be reset.  ");
    EXPECT_EQ(boxes.boxes[0].caption, "Incorrect Data was Entered");
    EXPECT_EQ(boxes.boxes[0].flags, static_cast<UINT>(MB_ICONINFORMATION));
    EXPECT_EQ(boxes.boxes[0].owner, h());
    EXPECT_EQ(text(dlg->txtSnooze[0]), "30");
    EXPECT_EQ(GetFocus(), dlg->txtSnooze[0]);
    DWORD start = 1, end = 0;
    SendMessageA(dlg->txtSnooze[0], EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 2u) << "the setting put back is selected";
    EXPECT_EQ(gSnoozeTime, 30) << "validation alone changes no setting";
    EXPECT_EQ(defaultId(h()), 0);
    EXPECT_TRUE(dlg->isOpen());

    type(h(), "45");
    key(h(), VK_RETURN);
    EXPECT_EQ(text(dlg->txtSnooze[0]), "45") << "typing replaced the selected text";
    EXPECT_EQ(defaultId(h()), IDOK);
    EXPECT_TRUE(dlg->isOpen()) << "the first Enter only validates";
    key(h(), VK_RETURN);
    EXPECT_FALSE(dlg->isOpen());
    EXPECT_EQ(gSnoozeTime, 45);
    EXPECT_FALSE(gDialogCancelled);
}

// The repeat counts' own limits and messages (options_rules) reach the
// field: a count out of range is put on its limit silently, an empty one
// gets the setting back with a box; either way the field keeps the focus
// and Enter waits.
TEST_F(Options, EnterOnAWrongCountPutsItRightAndWaits) {
    open();
    focus(h(), dlg->txtRepeat[1]);
    type(h(), "9");
    key(h(), VK_RETURN);
    EXPECT_EQ(text(dlg->txtRepeat[1]), "5");
    EXPECT_EQ(defaultId(h()), 0);
    EXPECT_TRUE(boxes.boxes.empty());
    key(h(), VK_RETURN);
    EXPECT_EQ(defaultId(h()), IDOK);
    EXPECT_TRUE(dlg->isOpen());

    setText(dlg->txtRepeat[1], "");
    EXPECT_TRUE(dlg->testRepeat(1));
    EXPECT_EQ(text(dlg->txtRepeat[1]), "2") << "the current setting comes back";
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "Incorrect Data was Entered");
    EXPECT_NE(boxes.boxes[0].text.find("numeric"), std::string::npos);
    EXPECT_EQ(GetFocus(), dlg->txtRepeat[1]);
    setText(dlg->txtRepeat[0], "7");
    EXPECT_FALSE(dlg->testRepeat(0));
    EXPECT_EQ(text(dlg->txtRepeat[0]), "7");
    EXPECT_FALSE(dlg->testRepeat(7)) << "no such field: accepted";
    EXPECT_EQ(boxes.boxes.size(), 1u);
}

TEST_F(Options, LeavingAFieldValidatesItAndKeepsTheFocusThere) {
    open();
    focus(h(), dlg->txtRepeat[0]);
    setText(dlg->txtRepeat[0], "12");
    focus(h(), dlg->chkAlert[0]);
    EXPECT_EQ(text(dlg->txtRepeat[0]), "10");
    EXPECT_EQ(GetFocus(), dlg->txtRepeat[0]);

    focus(h(), dlg->txtSnooze[0]);
    setText(dlg->txtSnooze[0], "20");
    focus(h(), dlg->chkAlert[0]);
    EXPECT_EQ(text(dlg->txtSnooze[0]), "20");
    EXPECT_EQ(GetFocus(), dlg->chkAlert[0]);
    EXPECT_EQ(defaultId(h()), IDOK);
}

TEST_F(Options, AClickIntoAFieldSelectsItsWholeText) {
    open();
    setText(dlg->txtRepeat[0], "123");
    focus(h(), dlg->txtRepeat[0]);
    SendMessageA(dlg->txtRepeat[0], EM_SETSEL, 1, 1); // the caret inside, nothing selected
    PostMessageA(dlg->txtRepeat[0], WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    PostMessageA(dlg->txtRepeat[0], WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    pump(h());
    EXPECT_EQ(GetFocus(), dlg->txtRepeat[0]);
    DWORD start = 1, end = 0;
    SendMessageA(dlg->txtRepeat[0], EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 3u);
}

// OK copies the fields to the settings and shows the reference box of the
// chosen size (which box a size takes is settings_rules::referenceBoxFor).
// What OK copies is options_rules::applyOk's (tested natively); this shows
// each control reaches it and what it decided reaches the main window.
TEST_F(Options, OKCopiesEveryValueAndShowsOneReferenceBox) {
    open();
    setText(dlg->txtSnooze[0], "999");
    setText(dlg->txtRepeat[0], "7");
    setText(dlg->txtRepeat[1], "4");
    CheckDlgButton(h(), IDC_OPT_ALERT0, BST_UNCHECKED);
    CheckDlgButton(h(), IDC_OPT_ALERT1, BST_CHECKED);
    CheckDlgButton(h(), IDC_OPT_ALERT2, BST_UNCHECKED);
    SendMessageA(dlg->comboTranslation, CB_SETCURSEL, 0, 0);
    SendMessageA(h(), WM_COMMAND, MAKEWPARAM(IDC_OPT_TRANSLATION, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(dlg->comboTranslation));
    chooseSize(3);
    click(h(), IDOK);
    EXPECT_FALSE(dlg->isOpen());
    EXPECT_EQ(gSnoozeTime, 999);
    EXPECT_EQ(gRepeatCount[0], 7);
    EXPECT_EQ(gRepeatCount[1], 4);
    EXPECT_FALSE(gVisualAlert);
    EXPECT_TRUE(gAudioAlert);
    EXPECT_FALSE(gDesktopAlert);
    EXPECT_EQ(gVerseFontSize, 14);
    EXPECT_EQ(gChosenTranslation, 0);
    EXPECT_EQ(gCurTranslation, 1) << "the main window switches translations, not the dialog";
    EXPECT_FALSE(gDialogCancelled);
    EXPECT_EQ(visibleLocations(), std::vector<size_t>{2});
    EXPECT_EQ(verseSize(), 14);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(Options, ChoosingASizePreviewsItOnTheMainWindowAtOnce) {
    open();
    chooseSize(3);
    EXPECT_EQ(verseSize(), 14);
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(locationHeight(i), fontHeightFor(14)) << i;
    EXPECT_EQ(gVerseFontSize, 10) << "the setting changes only with OK";
    chooseSize(0);
    EXPECT_EQ(verseSize(), 8);
    EXPECT_EQ(locationHeight(1), fontHeightFor(8));
}

TEST_F(Options, CancelChangesNothingAndPutsTheSavedSizeBack) {
    open();
    setText(dlg->txtSnooze[0], "50");
    setText(dlg->txtRepeat[0], "9");
    CheckDlgButton(h(), IDC_OPT_ALERT1, BST_CHECKED);
    SendMessageA(dlg->comboTranslation, CB_SETCURSEL, 0, 0);
    chooseSize(3);
    auto before = visibleLocations();
    click(h(), IDCANCEL);
    EXPECT_FALSE(dlg->isOpen());
    expectSettingsUnchanged();
    EXPECT_EQ(verseSize(), 10);
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(locationHeight(i), fontHeightFor(10)) << i;
    EXPECT_EQ(visibleLocations(), before);
}

TEST_F(Options, CloseBoxActsAsCancelOnAllFiveBoxes) {
    open();
    setText(dlg->txtRepeat[1], "4");
    chooseSize(0);
    PostMessageA(h(), WM_CLOSE, 0, 0);
    pump(h());
    EXPECT_FALSE(dlg->isOpen());
    expectSettingsUnchanged();
    EXPECT_EQ(verseSize(), 10);
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(locationHeight(i), fontHeightFor(10)) << i;
}

TEST_F(Options, AnUnlistedStoredSizeLoadsTheRestAndIsKept) {
    gVerseFontSize = 11;
    open();
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(SendMessageA(dlg->comboFontSize, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(text(dlg->txtSnooze[0]), "30") << "the fields after the size are filled";
    EXPECT_EQ(IsDlgButtonChecked(h(), IDC_OPT_ALERT2), BST_CHECKED);
    EXPECT_EQ(SendMessageA(dlg->comboTranslation, CB_GETCURSEL, 0, 0), 1);
    auto before = visibleLocations();
    click(h(), IDOK);
    EXPECT_EQ(gVerseFontSize, 11);
    EXPECT_EQ(visibleLocations(), before);
}

TEST_F(Options, OKPutsRightAFieldThatWasNeverLeft) {
    open();
    setText(dlg->txtSnooze[0], "");
    click(h(), IDOK);
    EXPECT_TRUE(dlg->isOpen());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(text(dlg->txtSnooze[0]), "30");
    EXPECT_TRUE(gDialogCancelled);
    click(h(), IDOK);
    EXPECT_FALSE(dlg->isOpen());
    EXPECT_EQ(gSnoozeTime, 30);
}

TEST_F(Options, HelpButtonAndF1OpenTheOptionsTopic) {
    open();
    help.clear();
    click(h(), IDC_OPT_HELP);
    SendMessageA(h(), WM_HELP, 0, 0);
    ASSERT_EQ(help.size(), 2u);
    for (const HelpCall& call : help) {
        EXPECT_EQ(call.command, static_cast<UINT>(HH_HELP_CONTEXT));
        EXPECT_EQ(call.data, 1008u);
    }
    EXPECT_TRUE(dlg->isOpen());
}

TEST_F(Options, ShowTipOpensTheTipOverTheDialog) {
    gFirstTimeRun = false;
    setUserSetting("Show Tips at Startup", "0");
    open();
    WhenShown closeTip(frmTip::kCaption, [](HWND tip) { WhenShown::click(tip, IDOK); });
    click(h(), IDC_OPT_SHOWTIP);
    EXPECT_EQ(userSetting("Show Tips at Startup"), "1");
    EXPECT_TRUE(dlg->isOpen());
    EXPECT_TRUE(IsWindowEnabled(h())) << "the dialog is given back when the tip closes";
}

} // namespace
