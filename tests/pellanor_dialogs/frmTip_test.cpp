// frmTip_test.cpp
// The tip of the day, hidden, over a prepared program folder, with the
// help viewer and the shell recorded.
#include <windows.h>
#include <htmlhelp.h>

#include <gtest/gtest.h>

#include <memory>

#include "pellanor/win/Module1.h"
#include "dialog_driver.h"
#include "frmTip.h"
#include "frmTip_res.h"
#include "registry.h"
#include "seams.h"
#include "tip_display.h"
#include "layout_checks.h"
#include "recorded_fixture.h"

using namespace testsupport;
using namespace dialogdriver;

namespace {

class Tip : public RecordedDialogs {
protected:
    void SetUp() override {
        RecordedDialogs::SetUp();
        gFirstTimeRun = false;
    }
    void TearDown() override {
        dlg.reset();
        RecordedDialogs::TearDown();
    }
    void writeTips(const std::string& content) { writeBytes(root / "TIPOFDAY.TXT", content); }
    void open() {
        dlg = std::make_unique<frmTip>(nullptr);
        ASSERT_TRUE(dlg->isOpen());
        pump(dlg->hwnd());
    }
    HWND h() const { return dlg->hwnd(); }
    std::string tipLabel() const { return text(dlg->lblTipText[0]); }
    static bool visible(HWND w) { return (GetWindowLongA(w, GWL_STYLE) & WS_VISIBLE) != 0; }
    std::string showTipsSetting() {
        return registry::getSetting("Pellanor", "UserSettings", "Show Tips at Startup", "<missing>");
    }

    std::unique_ptr<frmTip> dlg;
};

// The tips are the file's lines (text_files): the dialog shows the drawn
// one, and Next Tip shows a drawn one again, whichever it is.
TEST_F(Tip, EveryLineIsATipEmptyOnesIncluded) {
    writeTips("First tip\r\n\r\nThird tip & more\r\n");
    open();
    EXPECT_EQ(text(h()), "Tip of the Day");
    EXPECT_EQ(text(dlg->Label1), "Did you know...");
    ASSERT_EQ(dlg->tips, (std::vector<std::string>{"First tip", "", "Third tip & more"}));
    ASSERT_GE(dlg->currentTip, 1);
    ASSERT_LE(dlg->currentTip, 3);
    EXPECT_EQ(tipLabel(), dlg->tips[static_cast<size_t>(dlg->currentTip - 1)]);
    EXPECT_TRUE(visible(dlg->Picture1));
    EXPECT_EQ(dlg->picture(), 0);
    EXPECT_FALSE(visible(dlg->lblTipText[1]));
    EXPECT_TRUE(IsWindowEnabled(dlg->cmdNextTip));
    EXPECT_TRUE(help.empty());

    for (int i = 0; i < 20; ++i) {
        SetWindowTextA(dlg->lblTipText[0], "not a tip");
        click(h(), IDC_TIP_NEXTTIP);
        ASSERT_GE(dlg->currentTip, 1);
        ASSERT_LE(dlg->currentTip, 3);
        EXPECT_EQ(tipLabel(), dlg->tips[static_cast<size_t>(dlg->currentTip - 1)]);
    }
}

TEST_F(Tip, MissingFileIsExplainedAndNextTipLeavesTheText) {
    open();
    const std::string expected =
        "That the TIPOFDAY.TXT file was not found? \r\n\r\nCreate a text file named TIPOFDAY.TXT using "
        "NotePad with 1 tip per line. Then place it in the same directory as the application. ";
    EXPECT_EQ(tipLabel(), expected);
    click(h(), IDC_TIP_NEXTTIP);
    EXPECT_EQ(tipLabel(), expected);
    EXPECT_TRUE(dlg->tips.empty());
    EXPECT_TRUE(boxes.boxes.empty()) << "a missing file is no error";
    EXPECT_FALSE(dlg->LoadTips(""));
}

TEST_F(Tip, EveryOpeningStoresShowTipsAsOneAndTheBoxStoresTheChoice) {
    writeTips("t\r\n");
    setUserSetting("Show Tips at Startup", "0");
    open();
    EXPECT_EQ(IsDlgButtonChecked(h(), IDC_TIP_SHOWATSTARTUP), BST_CHECKED);
    EXPECT_EQ(showTipsSetting(), "1");
    CheckDlgButton(h(), IDC_TIP_SHOWATSTARTUP, BST_UNCHECKED);
    click(h(), IDC_TIP_SHOWATSTARTUP);
    EXPECT_EQ(showTipsSetting(), "0");
    click(h(), IDOK);
    EXPECT_FALSE(dlg->isOpen());
    EXPECT_EQ(showTipsSetting(), "0");
}

// The sequence and its texts are tip_display's (tested natively); this shows
// each display on the dialog.
TEST_F(Tip, FirstRunShowsThePurposeThenTheSleepNoticeThenCloses) {
    writeTips("A tip\r\n");
    gFirstTimeRun = true;
    open();
    ASSERT_EQ(help.size(), 1u);
    EXPECT_EQ(help[0].command, static_cast<UINT>(HH_HELP_CONTEXT));
    EXPECT_EQ(help[0].data, 1009u);
    EXPECT_EQ(text(dlg->lblTipText[1]), tip_display::purposeText());
    EXPECT_TRUE(visible(dlg->lblTipText[1]));
    EXPECT_FALSE(visible(dlg->Picture1));
    EXPECT_FALSE(IsWindowEnabled(dlg->cmdNextTip));
    EXPECT_EQ(tipLabel(), "A tip") << "the tip is read behind the purpose text";

    click(h(), IDOK);
    ASSERT_TRUE(dlg->isOpen());
    EXPECT_EQ(tipLabel(), tip_display::sleepNotice());
    EXPECT_TRUE(visible(dlg->Picture1));
    EXPECT_EQ(dlg->picture(), 1);
    EXPECT_FALSE(visible(dlg->Label1));
    EXPECT_FALSE(visible(dlg->lblTipText[1]));
    EXPECT_EQ(text(dlg->lblTipText[1]), "");
    EXPECT_TRUE(IsWindowEnabled(dlg->cmdNextTip));

    click(h(), IDC_TIP_NEXTTIP);
    EXPECT_EQ(tipLabel(), "A tip");
    EXPECT_EQ(dlg->picture(), 0);
    EXPECT_FALSE(visible(dlg->Label1)) << "Next Tip does not bring the heading back";

    click(h(), IDOK);
    EXPECT_FALSE(dlg->isOpen());

    open();
    EXPECT_EQ(tipLabel(), "A tip") << "a later opening in the same run shows tips";
    EXPECT_EQ(help.size(), 1u);
}

// Nothing paints over anything else, and each text fits its label.
TEST_F(Tip, EachDisplayShowsItsTextsWholeAndApart) {
    using namespace layoutchecks;
    gFirstTimeRun = true;
    open();
    ASSERT_TRUE(visible(dlg->Label1));
    ASSERT_TRUE(visible(dlg->lblTipText[1]));
    EXPECT_FALSE(overlap(dlg->Label1, dlg->lblTipText[1])) << "the heading and the purpose text lie apart";
    EXPECT_LE(textHeightNeeded(dlg->lblTipText[1]), clientHeight(dlg->lblTipText[1])) << "the purpose text fits";

    click(h(), IDOK); // the Sleep notice
    EXPECT_LE(textHeightNeeded(dlg->lblTipText[0]), clientHeight(dlg->lblTipText[0])) << "the notice fits";
    EXPECT_FALSE(overlap(dlg->Picture1, dlg->lblTipText[0]));
    click(h(), IDOK);

    gFirstTimeRun = false;
    open(); // no tips file
    ASSERT_TRUE(visible(dlg->Label1));
    EXPECT_FALSE(overlap(dlg->Label1, dlg->lblTipText[0]));
    EXPECT_FALSE(overlap(dlg->Picture1, dlg->lblTipText[0]));
    EXPECT_LE(textHeightNeeded(dlg->lblTipText[0]), clientHeight(dlg->lblTipText[0])) << "the missing-file text fits";
}

TEST_F(Tip, AddressLabelOpensTheMakersSite) {
    open();
    SendMessageA(h(), WM_COMMAND, MAKEWPARAM(IDC_TIP_LABEL2, STN_CLICKED), reinterpret_cast<LPARAM>(dlg->Label2));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], text(dlg->Label2));
    EXPECT_EQ(opened[0].rfind("https://", 0), 0u);
}

TEST_F(Tip, OpenerRunsTheDialogModallyUntilOK) {
    writeTips("t\r\n");
    WhenShown pressOK(frmTip::kCaption, [](HWND tip) { WhenShown::click(tip, IDOK); });
    frmTip::showDialog(nullptr);
    EXPECT_EQ(FindWindowA(nullptr, "Tip of the Day"), nullptr);
    EXPECT_EQ(showTipsSetting(), "1");
}

} // namespace
