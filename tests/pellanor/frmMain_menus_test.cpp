// frmMain_menus_test.cpp
// The pop-up menus' check marks and handlers, and the start-up comparison
// of the stored and the running version.
#include "main_window_fixture.h"

#include <mmsystem.h>

#include <atomic>
#include "modHyperLink.h"

using namespace testsupport;

namespace {

const char* const kMachineKey = "SOFTWARE\\Tamberly, Inc.\\Pellanor";

std::string machineValue(const char* name) {
    std::string v;
    return failed(registry::regRead(HKEY_LOCAL_MACHINE, kMachineKey, name, v)) ? "<missing>" : v;
}

void setMachine(const char* name, const char* value) {
    (void)registry::regWrite(HKEY_LOCAL_MACHINE, kMachineKey, name, std::string(value), REG_SZ);
}

class Menus : public MainWindow {
protected:
    void SetUp() override {
        MainWindow::SetUp();
        standardLibrary();
    }
};

TEST_F(Menus, CheckMarksFollowSettingsAndToggles) {
    setUserSetting("parallelTranslation", "false");
    start();
    EXPECT_FALSE(form->menuChecked(frmMain::mnuParallel));
    EXPECT_FALSE(form->menuChecked(frmMain::mnuAutoStart));
    form->mnuParallel_Click();
    EXPECT_TRUE(form->menuChecked(frmMain::mnuParallel));
    EXPECT_TRUE(gParallelTranslation);
    EXPECT_NE(form->verseBoxText().find("World English Bible"), std::string::npos)
        << "the other translations appear at once";
    form->mnuAutoStart_Click();
    EXPECT_TRUE(form->menuChecked(frmMain::mnuAutoStart));
    EXPECT_TRUE(registry::readAutoStart());
    form->mnuAutoStart_Click();
    EXPECT_FALSE(registry::readAutoStart());
    if (form->menuPresent(frmMain::mnuButtonSounds)) {
        bool before = form->buttonSoundsOn;
        form->mnuButtonSounds_Click();
        EXPECT_EQ(form->menuChecked(frmMain::mnuButtonSounds), !before);
    }
    form->closeNow();
    EXPECT_EQ(userSetting("parallelTranslation"), "True");
}

// The sound devices are counted beside the load; whatever reads the sound
// state right after it finds it already decided by the count, as the rule
// decides it (main_menus_test). A run without a device keeps the stored
// choice for the next run that has one.
TEST_F(Menus, SoundStateIsDecidedWhenFirstRead) {
    for (const bool devices : {false, true})
    for (const char* saved : {"True", "False"}) {
        SCOPED_TRACE(std::string(saved) + (devices ? " with a device" : " without a device"));
        seams::setSoundDeviceCount([devices] { return devices ? 1u : 0u; });
        setUserSetting("buttonSounds", saved);
        const int itemsBefore = 10; // as the menu is made, before the check
        start();
        EXPECT_EQ(form->menuPresent(frmMain::mnuButtonSounds), devices);
        EXPECT_EQ(GetMenuItemCount(form->mnuPopupHelp), devices ? itemsBefore : itemsBefore - 2)
            << "without a device the item and its separator go";
        const bool soundsOn = devices && std::string(saved) == "True";
        EXPECT_EQ(form->buttonSoundsOn, soundsOn);
        if (devices) {
            EXPECT_EQ(form->menuChecked(frmMain::mnuButtonSounds), soundsOn);
        }
        form->closeNow();
        EXPECT_EQ(userSetting("buttonSounds"), saved);
        resetLibraryState();
    }
}

// The count waits until the load is over and the window idle, and runs on
// the window's own thread: the program starts no thread of its own.
TEST_F(Menus, SoundCheckRunsOnTheWindowsThreadOnceTheWindowIsIdle) {
    const DWORD windowThread = GetCurrentThreadId();
    std::atomic<int> checks{0};
    std::atomic<DWORD> checkedOn{0};
    seams::setSoundDeviceCount([&] {
        checkedOn = GetCurrentThreadId();
        ++checks;
        return 1u;
    });
    start();
    ASSERT_TRUE(form->formLoaded);
    EXPECT_EQ(checks, 0) << "not during the load";
    ShowWindow(form->hwnd(), SW_SHOWNA);
    MSG msg;
    for (DWORD t0 = GetTickCount(); checks == 0 && GetTickCount() - t0 < 5000; Sleep(10))
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    ShowWindow(form->hwnd(), SW_HIDE);
    EXPECT_EQ(checks, 1);
    EXPECT_EQ(checkedOn, windowThread);
    EXPECT_TRUE(form->menuPresent(frmMain::mnuButtonSounds)) << "the count is applied";
    form->closeNow();
    EXPECT_EQ(checks, 1) << "once";
    seams::setSoundDeviceCount(nullptr);
}

TEST_F(Menus, LimitedAccessDisablesSoundsAndUpdates) {
    seams::setStartProcess([](const std::string&, int) { return false; });
    start();
    EXPECT_TRUE(form->menuEnabled(frmMain::mnuUpdates));
    form->closeNow();
    clearProgramRegistry(); // no machine-wide key: limited access
    resetLibraryState();
    setUserSetting("buttonSounds", "True");
    start();
    EXPECT_FALSE(form->menuEnabled(frmMain::mnuUpdates));
    EXPECT_FALSE(form->buttonSoundsOn);
    form->closeNow();
    EXPECT_EQ(userSetting("buttonSounds"), "True") << "the choice the run could not offer is kept";
}

TEST_F(Menus, HelpAndLinks) {
    start();
    help.clear();
    form->mnuHelp_Click();
    form->mnuContact_Click();
    ASSERT_EQ(help.size(), 2u);
    EXPECT_EQ(help[0].data, 1010u);
    EXPECT_EQ(help[1].data, 1004u);
    std::vector<std::string> opened;
    seams::setShellOpen([&](const std::string& f) { opened.push_back(f); });
    form->mnuLordJesus_Click();
    modHyperLink::sendMail("help@example.org");
    seams::setShellOpen(nullptr);
    EXPECT_EQ(opened, (std::vector<std::string>{modHyperLink::kSalvationPage, "mailto:help@example.org"}));
    DeleteFileA(gHelpFile.c_str());
    BoxRecorder boxes;
    form->mnuHelp_Click();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Unable to display Help Contents. There is no Help associated with this project.  ");
    EXPECT_EQ(boxes.boxes[0].caption, "Pellanor 2004");
}

// Runs the start-up comparison on a loaded window with the given stored values.
class Revisions : public Menus {
protected:
    void SetUp() override {
        Menus::SetUp();
        start();
        clearProgramRegistry();
        HKEY k;
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, kMachineKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
        RegCloseKey(k);
        writeBytes(root / "update.exe", "MZ");
        seams::setStartAsUser([this](const std::wstring& user, const std::wstring& password, const std::wstring& app) {
            runs.push_back({user, password, app});
            return startSucceeds;
        });
        form->openLogonDialog = [this](HWND) {
            gLogonOK = logonAccepted;
            gAdminUser = "admin";
            gAdminPassword = "secret";
        };
    }
    void TearDown() override {
        seams::setStartAsUser(nullptr);
        Menus::TearDown();
    }
    void check() {
        updateStarted = newVersion = false;
        EXPECT_EQ(form->checkRevisions(updateStarted, newVersion), Outcome::Ok);
    }
    void storeVersion(const char* major, const char* minor, const char* rev) {
        setMachine("revMajor", major);
        setMachine("revMinor", minor);
        setMachine("revRevision", rev);
    }
    struct Run {
        std::wstring user, password, app;
    };
    std::vector<Run> runs;
    bool startSucceeds = true, logonAccepted = true;
    bool updateStarted = false, newVersion = false;
};

// What the window does with a decision: a new version (no values, or one
// that is not a number) is stored and the update program goes; the same
// version without a patch leaves both as they are.
TEST_F(Revisions, ANewVersionIsStoredAndTheSameOneLeftAlone) {
    {
        SCOPED_TRACE("no values");
        BoxRecorder boxes;
        check();
        EXPECT_TRUE(newVersion);
        EXPECT_TRUE(boxes.boxes.empty());
        EXPECT_EQ(machineValue("revMajor"), "1");
        EXPECT_EQ(machineValue("revMinor"), "5");
        EXPECT_EQ(machineValue("revRevision"), "95");
        EXPECT_EQ(machineValue("patchExecuted"), "False");
        EXPECT_FALSE(exists(root / "update.exe"));
    }
    {
        SCOPED_TRACE("not a number");
        storeVersion("one", "5", "95");
        BoxRecorder boxes;
        check();
        EXPECT_TRUE(newVersion);
        EXPECT_TRUE(boxes.boxes.empty());
        EXPECT_EQ(machineValue("revMajor"), "1");
    }
    {
        SCOPED_TRACE("same version, no patch");
        writeBytes(root / "update.exe", "MZ");
        storeVersion("1", "5", "95");
        setMachine("patchExecuted", "False");
        BoxRecorder boxes;
        check();
        EXPECT_TRUE(boxes.boxes.empty());
        EXPECT_TRUE(exists(root / "update.exe"));
    }
}

TEST_F(Revisions, OlderRunningVersionWarns) {
    storeVersion("1", "6", "0");
    BoxRecorder boxes;
    check();
    EXPECT_FALSE(newVersion);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "Version Warning");
    EXPECT_EQ(machineValue("lastUpdate"), "0");
    EXPECT_EQ(machineValue("revMinor"), "5");
    EXPECT_FALSE(exists(root / "update.exe"));
}

TEST_F(Revisions, FailedPatchOnNineXGivesOnlyInformation) {
    storeVersion("1", "5", "95");
    setMachine("patchExecuted", "true");
    gOSVersion.dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;
    BoxRecorder boxes;
    check();
    gOSVersion.dwPlatformId = VER_PLATFORM_WIN32_NT;
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "Program Update Was Not Installed...");
    EXPECT_EQ(machineValue("patchExecuted"), "False");
    EXPECT_TRUE(runs.empty());
}

TEST_F(Revisions, FailedPatchAnsweredNoOrLogonRefused) {
    gOSVersion.dwPlatformId = VER_PLATFORM_WIN32_NT;
    for (int variant = 0; variant < 3; ++variant) {
        storeVersion("1", "5", "95");
        setMachine("patchExecuted", "true");
        writeBytes(root / "update.exe", "MZ");
        BoxRecorder boxes(variant == 0 ? IDNO : IDYES);
        logonAccepted = variant != 1;
        startSucceeds = variant != 2;
        runs.clear();
        check();
        EXPECT_FALSE(updateStarted) << variant;
        EXPECT_EQ(machineValue("patchExecuted"), "False") << variant;
        EXPECT_FALSE(exists(root / "update.exe")) << variant;
        ASSERT_EQ(boxes.boxes.size(), 2u) << variant;
        EXPECT_EQ(boxes.boxes[0].caption, "Program Patch Needs To Be Installed...");
        EXPECT_EQ(boxes.boxes[1].caption, "Program Update Was Not Installed");
        EXPECT_EQ(runs.size(), variant == 2 ? 1u : 0u);
    }
}

TEST_F(Revisions, FailedPatchRunsTheUpdateUnderTheAdministrator) {
    gOSVersion.dwPlatformId = VER_PLATFORM_WIN32_NT;
    storeVersion("1", "5", "95");
    setMachine("patchExecuted", "true");
    BoxRecorder boxes(IDYES);
    check();
    EXPECT_TRUE(updateStarted);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].user, L"admin");
    EXPECT_EQ(runs[0].password, L"secret");
    EXPECT_EQ(runs[0].app.substr(runs[0].app.size() - 11), L"\\update.exe");
    EXPECT_EQ(machineValue("patchExecuted"), "true") << "nothing is reset while the updater runs";
    EXPECT_TRUE(exists(root / "update.exe"));
    EXPECT_TRUE(gAdminPassword.empty()) << "the password is not kept";
}

} // namespace
