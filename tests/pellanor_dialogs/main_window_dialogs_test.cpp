// main_window_dialogs_test.cpp
// The dialogs as the main window opens them: the options menu applies what
// the dialog chose, the first run leads through the agreement, and the
// next start shows the tip of the day. The dialogs are driven by timers
// while their modal loops run.
#include <windows.h>
#include <commctrl.h>
#include <htmlhelp.h>

#include <gtest/gtest.h>

#include "dialogs_res.h"
#include "frmAbout.h"
#include "frmAddVerse.h"
#include "frmCopyrights.h"
#include "frmFirstTime.h"
#include "frmFirstTime_res.h"
#include "frmOptions.h"
#include "frmOptions_res.h"
#include "frmTip.h"
#include "main_window_fixture.h"
#include "recorded_fixture.h"

using namespace testsupport;

namespace {

class Wired : public MainWindow {
protected:
    void SetUp() override {
        MainWindow::SetUp();
        standardLibrary();
        writeBytes(root / "TIPOFDAY.TXT", "The only tip\r\n");
    }
    // start() with the program's dialogs wired in before the load.
    void startWired() {
        ASSERT_EQ(dataManipulation::findTranslations(), Outcome::Ok);
        bool quiet = false;
        ASSERT_EQ(dataManipulation::loadAllTranslations(nullptr, quiet), Outcome::Ok);
        form = std::make_unique<frmMain>();
        gMainForm = form.get();
        ASSERT_TRUE(form->create());
        form->openOptionsDialog = &frmOptions::showDialog;
        form->openTipDialog = &frmTip::showDialog;
        form->openFirstTimeDialog = &frmFirstTime::showDialog;
        form->openAboutDialog = &frmAbout::showDialog;
        form->openCopyrightsDialog = &frmCopyrights::showDialog;
        form->Form_Load();
    }
    BoxRecorder boxes;
};

// Chooses translation list entry target and text size 8, then OK.
void chooseTranslation(HWND d, WPARAM target) {
    HWND list = GetDlgItem(d, IDC_OPT_TRANSLATION);
    SendMessageA(list, CB_SETCURSEL, target, 0);
    SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_OPT_TRANSLATION, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    HWND sizes = GetDlgItem(d, IDC_OPT_FONTSIZE);
    SendMessageA(sizes, CB_SETCURSEL, 0, 0);
    SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_OPT_FONTSIZE, CBN_SELCHANGE), reinterpret_cast<LPARAM>(sizes));
    WhenShown::click(d, IDOK);
}

TEST_F(Wired, OptionsMenuAppliesTheChosenTranslationOnlyAfterOK) {
    setUserSetting("First Time Run", "False");
    setUserSetting("Show Tips at Startup", "0");
    setUserSetting("translation", WEB);
    startWired();
    ASSERT_TRUE(form->formLoaded);
    long web = gCurTranslation;
    ASSERT_EQ(gTranslations[static_cast<size_t>(web)].name, "World English Bible");

    {
        WhenShown cancel(frmOptions::kCaption, [](HWND d) { WhenShown::click(d, IDCANCEL); });
        form->mnuOptions_Click();
    }
    EXPECT_EQ(gCurTranslation, web);
    EXPECT_TRUE(gDialogCancelled);

    WPARAM target = web == 0 ? 1 : 0;
    {
        WhenShown choose(frmOptions::kCaption, [target](HWND d) { chooseTranslation(d, target); });
        form->mnuOptions_Click();
    }
    EXPECT_FALSE(gDialogCancelled);
    EXPECT_EQ(gCurTranslation, static_cast<long>(target));
    EXPECT_EQ(gTranslations[static_cast<size_t>(gCurTranslation)].name, "King James Version");
    EXPECT_EQ(gVerseFontSize, 8);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(Wired, FirstRunAgreementThenTheTipAtTheNextStart) {
    {
        WhenShown accept(frmFirstTime::kCaption, [](HWND d) {
            CheckDlgButton(d, IDC_FT_SCHEDULE, BST_UNCHECKED);
            WhenShown::click(d, IDC_FT_COMMAND1);
        });
        startWired();
    }
    ASSERT_TRUE(form->formLoaded);
    EXPECT_TRUE(gAgreementAccepted);
    EXPECT_FALSE(gAutoStart);
    EXPECT_EQ(userSetting("First Time Run"), "False");
    ASSERT_FALSE(help.empty());
    EXPECT_EQ(help.back().data, 1015u);

    form.reset();
    gMainForm = nullptr;
    help.clear();
    {
        WhenShown closeTip(frmTip::kCaption, [](HWND d) { WhenShown::click(d, IDOK); });
        startWired();
    }
    ASSERT_TRUE(form->formLoaded);
    EXPECT_EQ(FindWindowA(nullptr, frmTip::kCaption), nullptr);
    EXPECT_EQ(userSetting("Show Tips at Startup"), "1") << "the tip was shown and stored its choice";
    for (const HelpCall& call : help) EXPECT_NE(call.data, 1009u) << "no purpose display after the first run";
}

// A box the load of a dialog shows (a user file set aside, the notices
// missing) comes up with the main window already disabled, so nothing on
// it can be used before the dialog is modal; it is usable again after.
TEST_F(Wired, ABoxADialogsLoadShowsFindsTheMainWindowDisabled) {
    setUserSetting("First Time Run", "False");
    setUserSetting("Show Tips at Startup", "0");
    writeBytes(root / "Your Verses\\Your Verses.txt", "a line the reader refuses\r\n");
    startWired();
    ASSERT_TRUE(form->formLoaded);
    form->openAddVerseDialog = [](HWND owner) { frmAddVerse::showDialog(owner); };
    struct Seen {
        std::string caption;
        bool mainEnabled;
    };
    std::vector<Seen> seen;
    seams::setMessageBox([&](HWND, const std::string&, const std::string& caption, UINT) {
        seen.push_back({caption, IsWindowEnabled(form->hwnd()) != FALSE});
        return IDOK;
    });
    {
        WhenShown cancel("Add Your Own Verses & Inspirational Thoughts",
                         [](HWND d) { WhenShown::click(d, IDC_AV_CANCEL); });
        form->addVersesButton();
    }
    {
        WhenShown ok(frmCopyrights::kCaption, [](HWND d) { WhenShown::click(d, IDOK); });
        form->mnuCopyrights_Click();
    }
    seams::setMessageBox(nullptr);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].caption, "Your File Has Been Set Aside");
    EXPECT_FALSE(seen[0].mainEnabled);
    EXPECT_EQ(seen[1].caption, "Error: File Could Not Be Opened");
    EXPECT_FALSE(seen[1].mainEnabled);
    EXPECT_TRUE(IsWindowEnabled(form->hwnd())) << "given back when the dialogs are gone";
}

} // namespace
