// update_e2e_test.cpp
// The running program's update, driven from outside against the test
// update server on 127.0.0.1: what a list may do to the system folder and
// when the program hands over to a patch.
#include <gtest/gtest.h>

#include <windows.h>

#include "OrvaneAutoUpdate_res.h"
#include "e2e_fixture.h"
#include "frmMain.h"
#include "registry.h"
#include "server_fixture.h"
#include "settings_rules.h"

using namespace testsupport;

namespace {

class RunningUpdate : public RunningProgram {
protected:
    void SetUp() override {
        RunningProgram::SetUp();
        updtest::setServerFolder(gArgs.back());
        fromDist({"TRANSLATION_King James Version\\Peace and Trust.txt", "help.chm"});
        returningUser();
        registry::saveSetting(settings_rules::kProgramTitle, "Settings", settings_rules::settings::updateServer.name,
                              updtest::hostPort());
        for (int n = 1; n <= 9; ++n)
            updtest::serve("autoUpdate/pellanor/orvaneUpdateList" + std::to_string(n) + ".orvanef", "ORVANEF 1\r\n");
        patchList = "autoUpdate/pellanor/orvaneUpdateListPatch" + std::to_string(settings_rules::kRevMajor) +
                    std::to_string(settings_rules::kRevMinor) + ".orvanef";
    }
    void clickItem(HWND dlg, int id) {
        PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
    }
    std::string patchList;
};

// A bare notepad.exe of 19 bytes and a bare update.exe: the system's
// notepad stays, no update.exe lands in the system folder, no patch is
// announced, the program does not end, and the end box lists both.
TEST_F(RunningUpdate, ListCanNeitherReplaceASystemFileNorFakeAPatch) {
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    const std::string notepad = std::string(system) + "\\notepad.exe", stray = std::string(system) + "\\update.exe";
    const std::string notepadBefore = readBytes(notepad);
    ASSERT_FALSE(notepadBefore.empty());
    ASSERT_FALSE(exists(stray));
    const std::string body = "MZ nineteen bytes..";
    updtest::serve("f/notepad.exe", body);
    updtest::serve("f/update.exe", body);
    updtest::serve("autoUpdate/pellanor/orvaneUpdateList1.orvanef",
                   "ORVANEF 1\r\nnotepad.exe\t19\t" + updtest::url("/f/notepad.exe") + "\t\t\t\tNotepad\r\n");
    updtest::serve(patchList, "ORVANEF 1\r\nupdate.exe\t19\t" + updtest::url("/f/update.exe") + "\t\t\t\tPatch\r\n");

    start();
    HWND main = mainWindowReady();
    ASSERT_NE(main, nullptr);
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(frmMain::mnuUpdates, 0), 0);
    HWND dlg = waitForWindow("Pellanor Auto Update", 10000, pid());
    ASSERT_NE(dlg, nullptr);
    // The click goes in once the dialog is up and taking input; a loaded
    // machine can take a while to fetch and show the lists.
    for (DWORD t0 = GetTickCount(); !IsWindowVisible(dlg) && GetTickCount() - t0 < 10000;) Sleep(20);
    clickItem(dlg, IDC_AU_STARTVERIFY);
    HWND list = GetDlgItem(dlg, IDC_AU_LIST1);
    for (DWORD t0 = GetTickCount(); GetTickCount() - t0 < 30000; Sleep(50))
        if (SendMessageA(list, LB_GETCOUNT, 0, 0) == 2 && IsWindowEnabled(GetDlgItem(dlg, IDC_AU_UPDATE))) break;
    ASSERT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 2);
    clickItem(dlg, IDC_AU_UPDATE);

    const std::string end = answerBox("Update Not Completed....");
    EXPECT_NE(end.find("These files were not installed: "), std::string::npos) << end;
    EXPECT_NE(end.find(notepad), std::string::npos) << end;
    EXPECT_NE(end.find(stray), std::string::npos) << end;
    EXPECT_EQ(waitForWindow("Program Patch Needs To Be Installed...", 1500, pid()), nullptr);
    for (DWORD t0 = GetTickCount(); IsWindow(dlg) && GetTickCount() - t0 < 5000;) Sleep(20);
    EXPECT_FALSE(IsWindow(dlg)) << "the run came to its end";
    EXPECT_EQ(WaitForSingleObject(process, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the program goes on";
    EXPECT_TRUE(readBytes(notepad) == notepadBefore) << "the system's notepad.exe was replaced";
    EXPECT_FALSE(exists(stray));
    std::string patchExecuted;
    // Unreadable counts as not set.
    (void)registry::regRead(HKEY_LOCAL_MACHINE, registry::machineKeyPath(), "patchExecuted", patchExecuted);
    EXPECT_NE(patchExecuted, "true");

    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(finish(), 0);
}

} // namespace
