// small_dialogs_test.cpp
// The new-user agreement, the about box and the copyright notices, hidden,
// with the help viewer, the shell and the message boxes recorded.
#include <windows.h>
#include <htmlhelp.h>

#include <gtest/gtest.h>

#include <memory>

#include "pellanor/win/Module1.h"
#include "dialog_driver.h"
#include "frmAbout.h"
#include "frmAbout_res.h"
#include "frmCopyrights.h"
#include "frmFirstTime.h"
#include "frmFirstTime_res.h"
#include "seams.h"
#include "recorded_fixture.h"

using namespace testsupport;
using namespace dialogdriver;

namespace {

class SmallDialogs : public RecordedDialogs {
protected:
    template <typename Dialog>
    std::unique_ptr<Dialog> open() {
        auto d = std::make_unique<Dialog>(nullptr);
        EXPECT_TRUE(d->isOpen());
        pump(d->hwnd());
        return d;
    }
};

// ---------------------------------------------------------------- agreement

class FirstTime : public SmallDialogs {
protected:
    void SetUp() override {
        SmallDialogs::SetUp();
        gAgreementAccepted = false;
        gAutoStartChoice = false;
        dlg = open<frmFirstTime>();
    }
    HWND h() const { return dlg->hwnd(); }
    std::unique_ptr<frmFirstTime> dlg;
};

TEST_F(FirstTime, LoadShowsTheAgreementWithTheAutoStartBoxTicked) {
    EXPECT_EQ(text(h()), "Pellanor - New User Agreement");
    EXPECT_EQ(text(dlg->Text1).rfind("Thank you for using Pellanor 2004\r\n\r\n", 0), 0u);
    EXPECT_FALSE(text(dlg->Label1_3).empty());
    EXPECT_EQ(text(dlg->chkSchedule), "Automatically run the program when you log in");
    EXPECT_EQ(IsDlgButtonChecked(h(), IDC_FT_SCHEDULE), BST_CHECKED);
    EXPECT_EQ(text(dlg->Command1), "Accept Agreement");
    EXPECT_EQ(text(dlg->Command2), "Decline Agreement");
    EXPECT_EQ(text(dlg->Command3), "View License Agreement");
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(FirstTime, AcceptWithTheBoxAsItCameSetsBoth) {
    click(h(), IDC_FT_COMMAND1);
    EXPECT_FALSE(dlg->isOpen());
    EXPECT_TRUE(gAgreementAccepted);
    EXPECT_TRUE(gAutoStartChoice);
}

TEST_F(FirstTime, AcceptAfterClearingTheBoxDoesNotStartWithWindows) {
    gAutoStartChoice = true;
    CheckDlgButton(h(), IDC_FT_SCHEDULE, BST_UNCHECKED);
    click(h(), IDC_FT_COMMAND1);
    EXPECT_TRUE(gAgreementAccepted);
    EXPECT_FALSE(gAutoStartChoice);
}

TEST_F(FirstTime, DeclineEscapeAndTheCloseBoxSetNothing) {
    gAutoStartChoice = true;
    click(h(), IDCANCEL);
    EXPECT_FALSE(dlg->isOpen());
    EXPECT_FALSE(gAgreementAccepted);
    EXPECT_TRUE(gAutoStartChoice);

    dlg = open<frmFirstTime>();
    PostMessageA(h(), WM_CLOSE, 0, 0);
    pump(h());
    EXPECT_FALSE(dlg->isOpen());
    EXPECT_FALSE(gAgreementAccepted);
}

TEST_F(FirstTime, EnterNeverAccepts) {
    focus(h(), dlg->Text1);
    key(h(), VK_RETURN);
    SendMessageA(h(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    pump(h());
    EXPECT_TRUE(dlg->isOpen());
    EXPECT_FALSE(gAgreementAccepted);
}

// As the main window opens it: the focus it opens with, and an Enter there.
TEST_F(SmallDialogs, TheAgreementOpensOnItsTextAndEnterAcceptsNothing) {
    gAgreementAccepted = false;
    HWND focused = nullptr, text = nullptr;
    {
        WhenShown press(frmFirstTime::kCaption, [&](HWND d) {
            focused = GetFocus();
            text = GetDlgItem(d, IDC_FT_TEXT1);
            PostMessageA(focused, WM_KEYDOWN, VK_RETURN, 0x001C0001);
            PostMessageA(focused, WM_CHAR, '\r', 0x001C0001);
            PostMessageA(focused, WM_KEYUP, VK_RETURN, 0xC01C0001);
            WhenShown::click(d, IDCANCEL);
        });
        frmFirstTime::showDialog(nullptr);
    }
    ASSERT_NE(text, nullptr) << "the dialog was shown";
    EXPECT_EQ(focused, text) << "the agreement's text has the focus";
    EXPECT_FALSE(gAgreementAccepted) << "Enter did not accept";
}

TEST_F(FirstTime, ViewingTheAgreementKeepsTheDialogOpen) {
    gErrorShown = true;
    click(h(), IDC_FT_COMMAND3);
    EXPECT_TRUE(dlg->isOpen());
    EXPECT_FALSE(gErrorShown);
    ASSERT_EQ(help.size(), 1u);
    EXPECT_EQ(help[0].command, static_cast<UINT>(HH_HELP_CONTEXT));
    EXPECT_EQ(help[0].data, 1005u);
    EXPECT_FALSE(gAgreementAccepted);
}

// ---------------------------------------------------------------- about

TEST_F(SmallDialogs, AboutShowsTitleAndTheRunningVersion) {
    auto dlg = open<frmAbout>();
    EXPECT_EQ(text(dlg->hwnd()), "About Pellanor");
    EXPECT_EQ(text(dlg->lblTitle), "Pellanor 2004");
    EXPECT_EQ(text(dlg->lblVersion), "Version 1.5.95");
    EXPECT_EQ(frmAbout::versionText(2, 1, 7), "Version 2.1.7");
    EXPECT_NE(SendMessageA(dlg->picIcon, STM_GETICON, 0, 0), 0);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(SmallDialogs, AboutLinksOpenTheSiteAndANewMail) {
    auto dlg = open<frmAbout>();
    HWND h = dlg->hwnd();
    SendMessageA(h, WM_COMMAND, MAKEWPARAM(IDC_ABOUT_LABEL3, STN_CLICKED), reinterpret_cast<LPARAM>(dlg->Label3));
    SendMessageA(h, WM_COMMAND, MAKEWPARAM(IDC_ABOUT_LABEL5, STN_CLICKED), reinterpret_cast<LPARAM>(dlg->Label5));
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], text(dlg->Label3));
    EXPECT_EQ(opened[1], "mailto:" + text(dlg->Label5));
    EXPECT_NE(text(dlg->Label5).find('@'), std::string::npos);
}

TEST_F(SmallDialogs, AboutCommitmentIsADirectBoxAndF1OpensThePurpose) {
    auto dlg = open<frmAbout>();
    gErrorShown = true; // shown outside the one-message rule
    click(dlg->hwnd(), IDC_ABOUT_COMMITMENT);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "Our Committment");
    EXPECT_EQ(boxes.boxes[0].flags, static_cast<UINT>(MB_ICONINFORMATION));
    EXPECT_EQ(boxes.boxes[0].owner, dlg->hwnd());
    EXPECT_NE(boxes.boxes[0].text.find("\r\n\r\n"), std::string::npos) << "the signature follows an empty line";
    EXPECT_FALSE(readBytes(root / "error_log.txt").find("Committment") != std::string::npos) << "not logged";

    SendMessageA(dlg->hwnd(), WM_HELP, 0, 0);
    ASSERT_EQ(help.size(), 1u);
    EXPECT_EQ(help[0].data, 1009u);
    click(dlg->hwnd(), IDOK);
    EXPECT_FALSE(dlg->isOpen());
}

// ---------------------------------------------------------------- notices

// The notices box shows the notices' text (text_files) whole, read-only.
TEST_F(SmallDialogs, LongNoticesAreShownWhole) {
    std::string content = "  Bible texts  \r\n", expected = "Bible texts\r\n";
    for (int i = 0; i < 2000; ++i) {
        std::string line = "Notice line " + std::to_string(i) + " of the shipped texts.";
        content += line + "\r\n";
        expected += line + "\r\n";
    }
    ASSERT_GT(expected.size(), 40000u);
    writeBytes(root / "copyright.txt", content);
    auto dlg = open<frmCopyrights>();
    EXPECT_EQ(text(dlg->hwnd()), "Copyright Information");
    EXPECT_EQ(text(dlg->Text1), expected);
    EXPECT_TRUE(GetWindowLongA(dlg->Text1, GWL_STYLE) & ES_READONLY);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(SmallDialogs, MissingNoticesAreReportedAndTheWindowStillOpens) {
    auto dlg = open<frmCopyrights>();
    EXPECT_TRUE(dlg->isOpen());
    EXPECT_EQ(text(dlg->Text1), "");
    ASSERT_EQ(boxes.boxes.size(), 1u);
    const std::string path = root / "copyright.txt";
    EXPECT_EQ(boxes.boxes[0].text,
              "The file " + path + " could not be opened.  \r\nThis is usually caused by another program having "
              "the file open already.  Please close the other program and re-start this one.  ");
    EXPECT_EQ(boxes.boxes[0].caption, "Error: File Could Not Be Opened");
    EXPECT_EQ(boxes.boxes[0].flags, static_cast<UINT>(MB_ICONSTOP));
    EXPECT_EQ(boxes.boxes[0].owner, dlg->hwnd());
    EXPECT_NE(readBytes(root / "error_log.txt").find("could not be opened"), std::string::npos);
    EXPECT_TRUE(dlg->loadCopyrightInfo()) << "true = failed";
    EXPECT_EQ(boxes.boxes.size(), 1u) << "one box per user action";
}

TEST_F(SmallDialogs, AgreementOpenerRunsModallyUntilAccepted) {
    gAgreementAccepted = false;
    WhenShown accept(frmFirstTime::kCaption, [](HWND d) { WhenShown::click(d, IDC_FT_COMMAND1); });
    frmFirstTime::showDialog(nullptr);
    EXPECT_TRUE(gAgreementAccepted);
    EXPECT_TRUE(gAutoStartChoice);
}

} // namespace
