// OrvaneAutoUpdate_test.cpp
// The auto-update dialog, hidden, against the test update server: how it
// opens, how its window follows the check and the offer, where the offered
// entries are placed, the selection, progress, the server setting and the
// layout. What the check fetches, offers and tells is update_steps' and
// tested natively.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "update_dialog_fixture.h"

using namespace testsupport;
using namespace dialogdriver;
using namespace OrvaneAutoUpdateMod;
using update_dialog_test::entry;
using update_dialog_test::UpdateDialog;

namespace {

TEST_F(UpdateDialog, OpensReadyToCheckAndIsReadyAgainWhenNothingIsOffered) {
    open();
    EXPECT_EQ(text(h()), "Pellanor Auto Update");
    EXPECT_EQ(defaultId(h()), IDC_AU_STARTVERIFY);
    EXPECT_FALSE(enabled(IDC_AU_SELECT0));
    EXPECT_FALSE(enabled(IDC_AU_SELECT1));
    EXPECT_FALSE(enabled(IDC_AU_UPDATE));
    EXPECT_FALSE(visible(IDC_AU_ABORT));
    EXPECT_TRUE(visible(IDC_AU_EXIT));
    EXPECT_FALSE(visible(IDC_AU_BYTES));
    EXPECT_FALSE(enabled(IDC_AU_PROXYSERVER));
    EXPECT_EQ(text(item(IDC_AU_PROXYSERVER)), "Enter the proxy address here");
    // The list's horizontal bar shows once an item needs it (below), and
    // not before, as a bar the frame has no room for.
    EXPECT_FALSE(horizontalBarShown());
    EXPECT_EQ(dlg->updateListBase, "http://" + updtest::hostPort() + "/autoUpdate/pellanor/orvaneUpdateList");
    ASSERT_FALSE(dlg->systemDir.empty());
    EXPECT_EQ(dlg->systemDir.back(), '\\');

    SendMessageA(item(IDC_AU_CHKPROXY), BM_SETCHECK, BST_CHECKED, 0);
    click(h(), IDC_AU_CHKPROXY);
    EXPECT_TRUE(enabled(IDC_AU_PROXYSERVER));
    EXPECT_EQ(GetFocus(), item(IDC_AU_PROXYSERVER));
    SendMessageA(item(IDC_AU_CHKPROXY), BM_SETCHECK, BST_UNCHECKED, 0);
    click(h(), IDC_AU_CHKPROXY);
    EXPECT_FALSE(enabled(IDC_AU_PROXYSERVER));

    click(h(), IDC_AU_HELP);
    ASSERT_EQ(help.size(), 1u);
    EXPECT_EQ(help[0].owner, nullptr);
    EXPECT_EQ(help[0].data, 1003u);

    // Nothing offered (what the user is told is update_steps'): the dialog
    // is ready to check again.
    check();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "Program is Up To Date");
    EXPECT_EQ(boxes.boxes[0].owner, h());
    EXPECT_FALSE(enabled(IDC_AU_UPDATE));
    EXPECT_TRUE(enabled(IDC_AU_EXIT));
    EXPECT_TRUE(enabled(IDC_AU_STARTVERIFY)) << "the user may check again";
    EXPECT_EQ(text(item(IDC_AU_STATUS)), "");
}

TEST_F(UpdateDialog, CheckOffersTheEntriesOfEveryListSelected) {
    lists[2] = "ORVANEF 1\r\n" + entry("a.txt", 10, updtest::url("/f/a.txt"), "", "First file") +
               entry("C:\\Prog\\b.dll", 20, updtest::url("/f/b.dll"), "", "TRANSLATION_X//Second file");
    lists[10] = "ORVANEF 1\r\n" + entry("update.exe", 5, updtest::url("/f/update.exe"), "", "The patch");
    open();
    check();
    EXPECT_EQ(items(), (std::vector<std::string>{"a.txt:   First file", "b.dll:   Second file",
                                                 "update.exe:   The patch"}));
    EXPECT_EQ(SendMessageA(dlg->List1, LB_GETSELCOUNT, 0, 0), 3);
    EXPECT_TRUE(enabled(IDC_AU_UPDATE));
    EXPECT_TRUE(enabled(IDC_AU_SELECT0));
    EXPECT_FALSE(enabled(IDC_AU_STARTVERIFY));
    EXPECT_EQ(defaultId(h()), IDC_AU_UPDATE);
    EXPECT_EQ(GetFocus(), dlg->UpdateBut);
    EXPECT_EQ(text(item(IDC_AU_STATUS)), "");
    EXPECT_TRUE(boxes.boxes.empty());

    click(h(), IDC_AU_SELECT0);
    EXPECT_EQ(SendMessageA(dlg->List1, LB_GETSELCOUNT, 0, 0), 0);
    // Nothing picked: the user is asked to pick (update_steps), and the
    // dialog stays as it was.
    click(h(), IDC_AU_UPDATE);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "No Files Selected");
    EXPECT_TRUE(dlg->isOpen());
    EXPECT_TRUE(enabled(IDC_AU_UPDATE));
    click(h(), IDC_AU_SELECT1);
    EXPECT_EQ(SendMessageA(dlg->List1, LB_GETSELCOUNT, 0, 0), 3);
}

// The dialog places each offered entry with the folders it found (where
// each goes is update_plan's rule): a bare name into the system folder
// itself; a refused entry is no longer picked in the list.
TEST_F(UpdateDialog, DestinationsFollowTheEntryName) {
    lists[1] = "ORVANEF 1\r\n" + entry("comp.ocx", 1, updtest::url("/f/comp.ocx"), "", "Bare name") +
               entry(prog / "sub\\x.txt", 1, updtest::url("/f/x.txt"), "", "Folder part") +
               entry("C:\\windows\\win.ini", 1, updtest::url("/f/win.ini"), "", "Outside");
    open();
    check();
    dlg->prepFileLists();
    const std::vector<SelectedUpdate>& records = dlg->updateRun.records;
    ASSERT_EQ(records.size(), 3u);
    EXPECT_TRUE(records[0].selected);
    EXPECT_EQ(records[0].localPath, dlg->systemDir + "comp.ocx");
    EXPECT_EQ(records[1].localPath, prog / "sub\\x.txt");
    EXPECT_TRUE(records[1].selected);
    EXPECT_EQ(records[1].urlDate, updtest::url("/f/x.txt") + ",");
    EXPECT_FALSE(records[2].selected);
    EXPECT_EQ(SendMessageA(dlg->List1, LB_GETSEL, 2, 0), 0) << "the refused entry is unpicked in the list";
    EXPECT_EQ(dlg->updateRun.totalBytes, 2);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(UpdateDialog, ProgressShowsBytesOfTheSelection) {
    open();
    dlg->updateRun.totalBytes = 200;
    dlg->updateRun.doneBytes = 50;
    dlg->orvaneftp_progress(49);
    EXPECT_TRUE(visible(IDC_AU_BYTES));
    EXPECT_EQ(text(item(IDC_AU_BYTES)), "Received 99 bytes of 200");
    EXPECT_EQ(SendMessageA(dlg->ProgressBar1, PBM_GETPOS, 0, 0), 50) << "the bar shows the percentage";
    dlg->updateRun.totalBytes = 0;
    dlg->orvaneftp_progress(10);
    EXPECT_EQ(text(item(IDC_AU_BYTES)), "Received 60 bytes of 0");
    EXPECT_TRUE(boxes.boxes.empty()) << "a list without sizes is no error";
}

TEST_F(UpdateDialog, ServerSettingMustBeAHostName) {
    registry::saveSetting(settings_rules::kProgramTitle, "Settings", kServerSetting, "evil/path?x");
    EXPECT_EQ(updateServer(), kDefaultUpdateServer);
    registry::saveSetting(settings_rules::kProgramTitle, "Settings", kServerSetting, "updates.example.org:8080");
    EXPECT_EQ(updateServer(), "updates.example.org:8080");
}

TEST_F(UpdateDialog, ListIsWideEnoughForItsItemsAndTheAnimationLiesAboveTheFrame) {
    lists[1] = "ORVANEF 1\r\n" + entry("a.txt", 1, updtest::url("/f/a.txt"), "", std::string(200, 'w'));
    open();
    EXPECT_FALSE(horizontalBarShown());
    check();
    EXPECT_TRUE(horizontalBarShown()) << "a wide item brings the bar";
    EXPECT_NE(GetWindowLongPtrA(dlg->List1, GWL_STYLE) & WS_HSCROLL, 0);
    RECT window, client;
    GetWindowRect(dlg->List1, &window);
    GetClientRect(dlg->List1, &client);
    EXPECT_LE(client.bottom, window.bottom - window.top - GetSystemMetrics(SM_CYHSCROLL)) << "room made for the bar";

    // The animation shows in the list's place, so above the Step 2 frame.
    HWND animation = item(IDC_AU_ANIMATION), frame = item(IDC_AU_STEP2);
    ASSERT_TRUE(animation);
    int animationAt = -1, frameAt = -1, i = 0;
    for (HWND c = GetWindow(h(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT), ++i) {
        if (c == animation) animationAt = i;
        if (c == frame) frameAt = i;
    }
    ASSERT_GE(frameAt, 0);
    EXPECT_LT(animationAt, frameAt) << "earlier in the z-order is on top";
}

TEST_F(UpdateDialog, UnansweredListCheckEndsOnItsTimeOutOrTheCloseBox) {
    lists[1] = "#HANG#";
    OrvaneAutoUpdate::timeoutSeconds = 1;
    open();
    ULONGLONG start = GetTickCount64();
    check();
    EXPECT_LT(GetTickCount64() - start, 8000u);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "Could Not Download Update List ");
    EXPECT_TRUE(enabled(IDC_AU_STARTVERIFY));
    EXPECT_TRUE(enabled(IDC_AU_EXIT));
    EXPECT_FALSE(enabled(IDC_AU_UPDATE));
    EXPECT_TRUE(items().empty());

    OrvaneAutoUpdate::timeoutSeconds = 30;
    boxes.boxes.clear();
    gErrorShown = false;
    WhenReady close([] { return true; }, [this] { PostMessageA(h(), WM_SYSCOMMAND, SC_CLOSE, 0); });
    start = GetTickCount64();
    check();
    ASSERT_TRUE(close.done);
    EXPECT_LT(GetTickCount64() - start, 5000u);
    EXPECT_FALSE(dlg->isOpen());
    EXPECT_TRUE(boxes.boxes.empty());
    for (auto& list : dlg->updateLists) EXPECT_EQ(list, nullptr) << "the lists go with the dialog";
}

} // namespace
