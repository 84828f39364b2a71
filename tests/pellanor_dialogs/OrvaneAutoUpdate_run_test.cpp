// OrvaneAutoUpdate_run_test.cpp
// The auto-update dialog's run, hidden, against the test update server:
// downloads into a prepared program folder, the patch's record and
// hand-over, a file that cannot be replaced, the system folder's versions
// and real registration, time-outs and abort. What the run fetches, keeps
// and tells, and in which order, is update_steps' and tested natively.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "common/win32/handles.h"
#include "update_dialog_fixture.h"

using namespace testsupport;
using namespace dialogdriver;
using namespace OrvaneAutoUpdateMod;
using update_dialog_test::entry;
using update_dialog_test::UpdateDialog;

namespace {

TEST_F(UpdateDialog, DownloadsOnlyThePickedEntryAndDatesIt) {
    updtest::serve("f/one.txt", "one");
    updtest::serve("f/two.txt", "second file");
    lists[1] = "ORVANEF 1\r\n" + entry(prog / "one.txt", 3, updtest::url("/f/one.txt"), "", "One");
    lists[2] = "ORVANEF 1\r\n" +
               entry(prog / "two.txt", 11, updtest::url("/f/two.txt"), "2004-03-01 10:20:30", "Two");
    writeBytes(prog / "two.txt", "old two");
    open();
    check();
    selectOnly(1);
    click(h(), IDC_AU_UPDATE);

    EXPECT_FALSE(exists(prog / "one.txt"));
    EXPECT_EQ(readBytes(prog / "two.txt"), "second file");
    win32::File f(CreateFileA((prog / "two.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                              nullptr));
    FILETIME utc, local;
    SYSTEMTIME st{};
    GetFileTime(f.get(), nullptr, nullptr, &utc);
    f.reset();
    FileTimeToLocalFileTime(&utc, &local);
    FileTimeToSystemTime(&local, &st);
    EXPECT_EQ(st.wYear, 2004);
    EXPECT_EQ(st.wMonth, 3);
    EXPECT_EQ(st.wHour, 10);

    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "Update Successfully Completed....");
    EXPECT_FALSE(dlg->isOpen()) << "the dialog closes itself";
    EXPECT_EQ(dlg->updateRun.totalBytes, 11);
}

TEST_F(UpdateDialog, SubfolderEntriesLandInTheProgramFolder) {
    updtest::serve("f/Hope.txt", "hope");
    lists[4] = "ORVANEF 1\r\n" +
               entry("Hope.txt", 4, updtest::url("/f/Hope.txt"), "", "TRANSLATION_New Bible//New translation");
    open();
    check();
    EXPECT_EQ(items(), (std::vector<std::string>{"Hope.txt:   New translation"}));
    click(h(), IDC_AU_UPDATE);
    EXPECT_EQ(readBytes(prog / "TRANSLATION_New Bible\\Hope.txt"), "hope");
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "Update Successfully Completed....");
}

TEST_F(UpdateDialog, PatchIsRecordedAndStarted) {
    updtest::serve("f/update.exe", "MZpatch");
    lists[10] = "ORVANEF 1\r\n" + entry(prog / "update.exe", 7, updtest::url("/f/update.exe"), "", "Patch");
    open();
    check();
    click(h(), IDC_AU_UPDATE);
    EXPECT_TRUE(gPatchDownloaded);
    EXPECT_EQ(readBytes(prog / "update.exe"), "MZpatch");
    EXPECT_EQ(machineValue("patchExecuted"), "true");
    EXPECT_EQ(machineValue("revMajor"), "1");
    EXPECT_EQ(machineValue("revMinor"), "5");
    EXPECT_EQ(machineValue("revRevision"), "95");
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "Program Patch Needs To Be Installed...");
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0], "\"" + prog.path() + "\\update.exe\"");
    EXPECT_EQ(shows[0], SW_SHOWNORMAL);
    EXPECT_FALSE(dlg->isOpen());
}

TEST_F(UpdateDialog, AFileThatCannotBeReplacedStopsTheRun) {
    updtest::serve("f/locked.txt", "new");
    lists[1] = "ORVANEF 1\r\n" + entry(prog / "locked.txt", 3, updtest::url("/f/locked.txt"), "", "Locked");
    writeBytes(prog / "locked.txt", "old");
    SetFileAttributesA((prog / "locked.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    open();
    check();
    click(h(), IDC_AU_UPDATE);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "Error: No Files were Updated");
    EXPECT_NE(boxes.boxes[0].text.find(prog / "locked.txt"), std::string::npos) << boxes.boxes[0].text;
    EXPECT_EQ(boxes.boxes[0].flags, static_cast<UINT>(MB_ICONSTOP));
    EXPECT_EQ(readBytes(prog / "locked.txt"), "old");
    ASSERT_TRUE(dlg->isOpen());
    EXPECT_EQ(text(item(IDC_AU_STATUS)), "") << "no download is said to be running";
    EXPECT_TRUE(enabled(IDC_AU_STARTVERIFY));
    EXPECT_TRUE(visible(IDC_AU_EXIT));
    EXPECT_FALSE(visible(IDC_AU_ABORT));
    SetFileAttributesA((prog / "locked.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(UpdateDialog, AbortDuringADownloadKeepsTheOldFileAndStaysOpen) {
    updtest::serve("f/big.bin", std::string(200000, 'n'));
    lists[1] = "ORVANEF 1\r\n" + entry(prog / "big.bin", 200000, updtest::url("/slow/f/big.bin"), "", "Big") +
               entry(prog / "next.txt", 1, updtest::url("/f/big.bin"), "", "Next");
    writeBytes(prog / "big.bin", "old");
    open();
    check();
    // Abort is pressed once the download has shown progress.
    WhenReady abort([this] { return visible(IDC_AU_BYTES); }, [this] { pressAbort(); });
    click(h(), IDC_AU_UPDATE);
    EXPECT_TRUE(abort.done);
    ASSERT_TRUE(dlg->isOpen());
    EXPECT_EQ(text(item(IDC_AU_STATUS)), "User aborted Update");
    EXPECT_EQ(readBytes(prog / "big.bin"), "old");
    EXPECT_FALSE(exists(prog / "next.txt"));
    EXPECT_TRUE(enabled(IDC_AU_STARTVERIFY));
    EXPECT_TRUE(enabled(IDC_AU_EXIT));
    EXPECT_TRUE(visible(IDC_AU_EXIT));
    EXPECT_FALSE(visible(IDC_AU_ABORT));
    EXPECT_EQ(text(h()), "Pellanor 2004 Auto Update");
    EXPECT_TRUE(visible(IDC_AU_BYTES)) << "progress was shown before the abort";
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(UpdateDialog, ClosingTheDialogDuringADownloadStopsIt) {
    updtest::serve("f/big2.bin", std::string(200000, 'n'));
    lists[1] = "ORVANEF 1\r\n" + entry(prog / "big2.bin", 200000, updtest::url("/slow/f/big2.bin"), "", "Big");
    writeBytes(prog / "big2.bin", "old");
    open();
    check();
    PostMessageA(h(), WM_CLOSE, 0, 0);
    click(h(), IDC_AU_UPDATE);
    EXPECT_FALSE(dlg->isOpen());
    EXPECT_TRUE(dlg->updateAbort);
    EXPECT_FALSE(dlg->downloading);
    EXPECT_EQ(readBytes(prog / "big2.bin"), "old");
    EXPECT_TRUE(boxes.boxes.empty());
    for (auto& list : dlg->updateLists) EXPECT_EQ(list, nullptr) << "the lists go with the dialog";
}

TEST_F(UpdateDialog, ServerThatNeverAnswersCanBeAbortedOrClosedAtOnce) {
    writeBytes(prog / "wait.txt", "old");
    lists[1] = "ORVANEF 1\r\n" + entry(prog / "wait.txt", 3, updtest::url("/hang/wait.txt"), "", "Never comes");
    open();
    check();
    WhenReady abort([] { return true; }, [this] { pressAbort(); });
    ULONGLONG start = GetTickCount64();
    click(h(), IDC_AU_UPDATE);
    ASSERT_TRUE(abort.done);
    EXPECT_LT(GetTickCount64() - abort.at, 3000u) << "Abort ends the wait";
    ASSERT_TRUE(dlg->isOpen());
    EXPECT_EQ(text(item(IDC_AU_STATUS)), "User aborted Update");
    EXPECT_EQ(readBytes(prog / "wait.txt"), "old");
    EXPECT_TRUE(enabled(IDC_AU_STARTVERIFY));
    EXPECT_TRUE(boxes.boxes.empty());

    // The close box, as the user meets it: the system menu's Close.
    check();
    click(h(), IDC_AU_SELECT1);
    WhenReady close([] { return true; }, [this] { PostMessageA(h(), WM_SYSCOMMAND, SC_CLOSE, 0); });
    start = GetTickCount64();
    click(h(), IDC_AU_UPDATE);
    ASSERT_TRUE(close.done);
    EXPECT_LT(GetTickCount64() - start, 5000u);
    EXPECT_FALSE(dlg->isOpen());
    EXPECT_EQ(readBytes(prog / "wait.txt"), "old");
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(UpdateDialog, OwnTimeOutEndsAnUnansweredDownloadAndTheRunGoesOn) {
    OrvaneAutoUpdate::timeoutSeconds = 1;
    updtest::serve("f/after.txt", "after");
    writeBytes(prog / "wait.txt", "old");
    lists[1] = "ORVANEF 1\r\n" + entry(prog / "wait.txt", 3, updtest::url("/hang/wait.txt"), "", "Never comes") +
               entry(prog / "after.txt", 5, updtest::url("/f/after.txt"), "", "After");
    open();
    check();
    ULONGLONG start = GetTickCount64();
    click(h(), IDC_AU_UPDATE);
    EXPECT_LT(GetTickCount64() - start, 8000u);
    EXPECT_EQ(readBytes(prog / "wait.txt"), "old");
    EXPECT_EQ(readBytes(prog / "after.txt"), "after");
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "Update Not Completed....");
    EXPECT_NE(boxes.boxes[0].text.find("wait.txt"), std::string::npos);
}

TEST_F(UpdateDialog, ByteASecondShowsProgressAndCanBeAborted) {
    writeBytes(prog / "30", "old");
    lists[1] = "ORVANEF 1\r\n" + entry(prog / "30", 30, updtest::url("/trickle/30"), "", "Slow");
    open();
    check();
    WhenReady abort([this] { return visible(IDC_AU_BYTES); }, [this] { pressAbort(); });
    click(h(), IDC_AU_UPDATE);
    ASSERT_TRUE(abort.done);
    EXPECT_LT(GetTickCount64() - abort.at, 3000u);
    EXPECT_EQ(text(item(IDC_AU_STATUS)), "User aborted Update");
    EXPECT_EQ(readBytes(prog / "30"), "old");
}

std::string systemFolder() {
    char dir[MAX_PATH] = {};
    GetSystemDirectoryA(dir, MAX_PATH);
    return dir;
}

// Files a test puts into the system folder, removed with their marks.
struct SystemFiles {
    ~SystemFiles() {
        for (const std::string& f : files) {
            DeleteFileA(f.c_str());
            DeleteFileA((f + ".registered").c_str());
        }
    }
    std::string add(const std::string& name) {
        files.push_back(systemFolder() + "\\" + name);
        return files.back();
    }
    std::vector<std::string> files;
};

// Bare names still go into the system folder, but it takes a file only as
// version-checked installation does; what it refuses is listed at the end
// and never registered (real components, registered for real here).
TEST_F(UpdateDialog, SystemFolderTakesOnlyNewFilesAndNewerVersions) {
    const std::string v1 = readBytes(UPDFIX_FOLDER "\\updfix_v1.dll");
    const std::string v2 = readBytes(UPDFIX_FOLDER "\\updfix_v2.dll");
    const std::string none = readBytes(UPDFIX_FOLDER "\\updfix_none.dll");
    ASSERT_FALSE(v1.empty() || v2.empty() || none.empty()) << UPDFIX_FOLDER;
    SystemFiles sys;
    const std::string added = sys.add("updfix_added.dll"), newer = sys.add("updfix_newer.dll"),
                      older = sys.add("updfix_older.dll"), plain = sys.add("updfix_plain.dll");
    writeBytes(newer, v1);
    writeBytes(older, v2);
    writeBytes(plain, none);
    std::string list = "ORVANEF 1\r\n";
    for (const auto& [name, body] : std::vector<std::pair<std::string, std::string>>{
             {"updfix_added.dll", v1}, {"updfix_newer.dll", v2}, {"updfix_older.dll", v1}, {"updfix_plain.dll", v2}}) {
        updtest::serve("f/" + name, body);
        list += entry(name, static_cast<long>(body.size()), updtest::url("/f/" + name), "2004-03-01", name);
    }
    lists[1] = list;
    OrvaneAutoUpdate::registerComponents = true;
    open();
    check();
    click(h(), IDC_AU_UPDATE);

    EXPECT_EQ(readBytes(added), v1);
    EXPECT_TRUE(exists(added + ".registered"));
    EXPECT_EQ(readBytes(newer), v2);
    EXPECT_TRUE(exists(newer + ".registered"));
    EXPECT_EQ(readBytes(older), v2);
    EXPECT_FALSE(exists(older + ".registered"));
    EXPECT_EQ(readBytes(plain), none);
    EXPECT_FALSE(exists(plain + ".registered"));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    const std::string& end = boxes.boxes[0].text;
    EXPECT_EQ(boxes.boxes[0].caption, "Update Not Completed....");
    EXPECT_NE(end.find("These files were not installed: " + older), std::string::npos) << end;
    EXPECT_NE(end.find(plain), std::string::npos) << end;
    EXPECT_EQ(end.find("updfix_added"), std::string::npos) << end;
    EXPECT_EQ(end.find("newer.dll"), std::string::npos) << end;
    EXPECT_FALSE(dlg->isOpen()) << "the run went on to its end";
    EXPECT_TRUE(logged("Update not installed: " + older + ": the download (1.0.0.0) is not newer than the installed "
                       "file (2.0.0.0)")) << log();
    EXPECT_TRUE(logged("Update not installed: " + plain + ": the installed file or the download carries no version"))
        << log();
}

} // namespace
