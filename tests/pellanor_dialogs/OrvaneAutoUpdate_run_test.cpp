// OrvaneAutoUpdate_run_test.cpp
// The auto-update dialog's run, hidden, against the test update server:
// downloads into a prepared program folder, the patch hand-over, refusals,
// files that cannot be replaced or registered, the system folder, time-outs
// and abort.
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
    EXPECT_EQ(boxes.boxes[0].text, "All selected files were successfully downloaded and installed.    The changes "
                                   "will be applied the next time you start the program.   ");
    EXPECT_FALSE(dlg->isOpen()) << "the dialog closes itself";
    EXPECT_FALSE(gPatchDownloaded);
    EXPECT_TRUE(started.empty());
    EXPECT_EQ(dlg->totalBytes, 11);
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
    EXPECT_EQ(boxes.boxes[0].text, "You have downloaded a program update that requires you to quit out of "
                                   "Pellanor.   \r\nThe program will automatically exit when you press OK, and "
                                   "then launch the Microsoft Installer.   ");
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0], "\"" + prog.path() + "\\update.exe\"");
    EXPECT_EQ(shows[0], SW_SHOWNORMAL);
    EXPECT_FALSE(dlg->isOpen());
}

TEST_F(UpdateDialog, AFailedPatchDownloadIsNotAnnouncedNorStarted) {
    updtest::serve("f/ok.txt", "ok");
    lists[1] = "ORVANEF 1\r\n" + entry(prog / "ok.txt", 2, updtest::url("/f/ok.txt"), "", "Fine");
    lists[10] = "ORVANEF 1\r\n" + entry(prog / "update.exe", 7, updtest::url("/status/404/update.exe"), "", "Patch");
    open();
    check();
    click(h(), IDC_AU_UPDATE);
    EXPECT_FALSE(gPatchDownloaded);
    EXPECT_EQ(machineValue("patchExecuted"), "<missing>");
    EXPECT_TRUE(started.empty());
    EXPECT_EQ(readBytes(prog / "ok.txt"), "ok");
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "Update Not Completed....");
    EXPECT_NE(boxes.boxes[0].text.find("update.exe"), std::string::npos);
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
    EXPECT_EQ(boxes.boxes[0].text, "The update program was not able to delete the file located at: " +
                                       (prog / "locked.txt") +
                                       "\r\nPlease try running the update as administrator, or manually deleting "
                                       "the file and then re-running the update program.   ");
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

// Entries the list puts outside the program's folders (update_plan's rule)
// are refused one by one: nothing of them is written, the run goes on, the
// end box names them and the log says why.
TEST_F(UpdateDialog, RefusedEntryAmongGoodOnesDoesNotStopTheRun) {
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    const std::string services = std::string(system) + "\\drivers\\etc\\services";
    const std::string before = readBytes(services);
    updtest::serve("f/one.txt", "one");
    updtest::serve("f/two.txt", "two");
    updtest::serve("f/services", "evil");
    lists[1] = "ORVANEF 1\r\n" + entry(prog / "one.txt", 3, updtest::url("/f/one.txt"), "", "One") +
               entry("services", 4, updtest::url("/f/services"), "", "Below the system folder", services) +
               entry(std::string(system) + "\\drivers\\x.sys", 4, updtest::url("/f/services"), "", "Named there");
    updtest::serve("f/win.ini", "[evil]");
    lists[2] = "ORVANEF 1\r\n" + entry(prog / "two.txt", 3, updtest::url("/f/two.txt"), "", "Two") +
               entry("C:\\windows\\win.ini", 6, updtest::url("/f/win.ini"), "", "Outside") +
               entry("x.txt", 6, updtest::url("/f/win.ini"), "", "..\\..//Climbs out");
    const std::string winIni = readBytes("C:\\windows\\win.ini");
    open();
    check();
    click(h(), IDC_AU_UPDATE);
    EXPECT_EQ(readBytes(prog / "one.txt"), "one");
    EXPECT_EQ(readBytes(prog / "two.txt"), "two") << "the run went on after the refused entries";
    EXPECT_EQ(readBytes(services), before);
    EXPECT_FALSE(exists(std::string(system) + "\\drivers\\x.sys"));
    EXPECT_EQ(readBytes("C:\\windows\\win.ini"), winIni);
    EXPECT_FALSE(exists(prog.path() + "\\..\\..\\x.txt"));
    ASSERT_EQ(boxes.boxes.size(), 1u) << "one box, at the end";
    EXPECT_EQ(boxes.boxes[0].caption, "Update Not Completed....");
    EXPECT_NE(boxes.boxes[0].text.find(services), std::string::npos) << boxes.boxes[0].text;
    EXPECT_NE(boxes.boxes[0].text.find("x.sys"), std::string::npos) << boxes.boxes[0].text;
    EXPECT_NE(boxes.boxes[0].text.find("C:\\windows\\win.ini"), std::string::npos) << boxes.boxes[0].text;
    EXPECT_EQ(boxes.boxes[0].text.find("successfully"), std::string::npos);
    EXPECT_FALSE(dlg->isOpen()) << "the run finished";
    EXPECT_TRUE(logged("Update refused: C:\\windows\\win.ini: the update list puts it outside the program's folders"))
        << log();
}

TEST_F(UpdateDialog, EmptyOrWronglySizedFileIsNotInstalledAndTheOldOneKept) {
    updtest::serve("f/short.txt", "short");
    writeBytes(prog / "empty.dll", "old component");
    writeBytes(prog / "short.txt", "old text");
    lists[1] = "ORVANEF 1\r\n" + entry(prog / "empty.dll", 13, updtest::url("/empty/empty.dll"), "2004-03-01", "Empty") +
               entry(prog / "short.txt", 50, updtest::url("/nolength/f/short.txt"), "2004-03-01", "Short");
    open();
    check();
    click(h(), IDC_AU_UPDATE);
    EXPECT_EQ(readBytes(prog / "empty.dll"), "old component");
    EXPECT_EQ(readBytes(prog / "short.txt"), "old text");
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "Update Not Completed....");
    EXPECT_NE(boxes.boxes[0].text.find("empty.dll"), std::string::npos);
    EXPECT_NE(boxes.boxes[0].text.find("short.txt"), std::string::npos);
    EXPECT_TRUE(logged("Update not downloaded: " + updtest::url("/empty/empty.dll") + ": 0 bytes arrived, the list "
                       "gives 13")) << log();
    EXPECT_TRUE(logged("Update not downloaded: " + updtest::url("/nolength/f/short.txt") + ": 5 bytes arrived, the "
                       "list gives 50")) << log();
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

TEST_F(UpdateDialog, PatchAmongFailedFilesIsStartedAfterTheUserIsToldWhatFailed) {
    updtest::serve("f/update.exe", "MZpatch");
    lists[1] = "ORVANEF 1\r\n" + entry(prog / "gone.txt", 3, updtest::url("/status/404/gone.txt"), "", "Gone");
    lists[10] = "ORVANEF 1\r\n" + entry(prog / "update.exe", 7, updtest::url("/f/update.exe"), "", "Patch");
    open();
    check();
    click(h(), IDC_AU_UPDATE);
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[0].caption, "Update Not Completed....");
    EXPECT_NE(boxes.boxes[0].text.find("gone.txt"), std::string::npos);
    EXPECT_TRUE(logged("Update not downloaded: " + updtest::url("/status/404/gone.txt") + ": the server answered 404"))
        << log();
    EXPECT_EQ(boxes.boxes[1].caption, "Program Patch Needs To Be Installed...");
    EXPECT_EQ(started.size(), 1u);
    EXPECT_TRUE(gPatchDownloaded);
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

// A component that arrives but cannot be registered did not go in: the
// user is told so at the end, and the log says why; a date the list gives
// that is no date leaves the file in, and its reason in the log.
TEST_F(UpdateDialog, AComponentThatCannotBeRegisteredIsNotInstalled) {
    const std::string broken = "MZ but not really a library";
    updtest::serve("f/broken.ocx", broken);
    updtest::serve("f/notes.txt", "notes");
    lists[1] = "ORVANEF 1\r\n" +
               entry(prog / "broken.ocx", static_cast<long>(broken.size()), updtest::url("/f/broken.ocx"), "", "Control") +
               entry(prog / "notes.txt", 5, updtest::url("/f/notes.txt"), "2004-02-30", "Notes");
    OrvaneAutoUpdate::registerComponents = true;
    open();
    check();
    click(h(), IDC_AU_UPDATE);
    EXPECT_EQ(readBytes(prog / "broken.ocx"), broken) << "it arrived";
    EXPECT_EQ(readBytes(prog / "notes.txt"), "notes");
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "Update Not Completed....");
    EXPECT_NE(boxes.boxes[0].text.find("These files were not installed: " + (prog / "broken.ocx") +
                                       " (it could not be registered)"),
              std::string::npos)
        << boxes.boxes[0].text;
    EXPECT_EQ(boxes.boxes[0].text.find("notes.txt"), std::string::npos) << boxes.boxes[0].text;
    EXPECT_TRUE(logged("Update not registered: " + (prog / "broken.ocx") + ": cannot be loaded: ")) << log();
    EXPECT_TRUE(logged("Update not dated: " + (prog / "notes.txt") + ": the list's date \"2004-02-30\" is no date"))
        << log();
}

// A patch counts only as the program folder's update.exe: one the list
// puts into the system folder or a subfolder is not fetched, announced or
// started, and an old update.exe of the program folder is not started.
TEST_F(UpdateDialog, APatchIsTakenOnlyAsTheProgramFoldersUpdateExe) {
    SystemFiles sys;
    const std::string stray = sys.add("update.exe");
    updtest::serve("f/update.exe", "MZpatch");
    writeBytes(prog / "update.exe", "MZold");
    lists[10] = "ORVANEF 1\r\n" + entry("update.exe", 7, updtest::url("/f/update.exe"), "", "Bare patch") +
                entry("update.exe", 7, updtest::url("/f/update.exe"), "", "Patches//Patch in a subfolder");
    open();
    check();
    click(h(), IDC_AU_UPDATE);
    EXPECT_FALSE(gPatchDownloaded);
    EXPECT_EQ(machineValue("patchExecuted"), "<missing>");
    EXPECT_TRUE(started.empty());
    EXPECT_FALSE(exists(stray));
    EXPECT_FALSE(exists(prog / "Patches\\update.exe"));
    EXPECT_EQ(readBytes(prog / "update.exe"), "MZold");
    ASSERT_EQ(boxes.boxes.size(), 1u) << "no patch box";
    EXPECT_EQ(boxes.boxes[0].caption, "Update Not Completed....");
    EXPECT_NE(boxes.boxes[0].text.find(stray), std::string::npos) << boxes.boxes[0].text;
    EXPECT_NE(boxes.boxes[0].text.find(prog / "Patches\\update.exe"), std::string::npos) << boxes.boxes[0].text;
    EXPECT_FALSE(dlg->isOpen());
}

} // namespace
