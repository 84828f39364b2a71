// windows_test.cpp
// The splash and conflict windows: their texts, the register button, the
// two-colour display, the saved data of the hosted control, and the run
// from the splash window's timer to the box or the conflict window.
#include <algorithm>
#include <new>

#include "saved_control.h"
#include "common/ui/Window.h"
#include "verify/VerVrfy2.h"
#include "verify/frmWait.h"
#include "verify/late_bound.h"
#include "verify/orvane_ids.h"
#include "verify/verify_res.h"
#include "verify_fixture.h"

namespace {

using VerVrfyControl::gRegisterPath;

fake::Conflict conflict(const std::string& name, LONG flags, const std::string& foundPath = {}) {
    fake::Conflict c;
    c.referenceFile = name;
    c.flags = flags;
    c.foundFile = foundPath;
    c.found.path = foundPath;
    return c;
}

void select(VerVrfy2& w, int index) {
    SendMessageA(w.ConflictListBox, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(w.hwnd(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(w.ConflictListBox), LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(w.ConflictListBox));
}

void click(HWND button) {
    SendMessageA(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
}

using Windows = VerifyTest;

TEST_F(Windows, ConflictWindowTexts) {
    registerFake();
    VerVrfy2 w;
    ASSERT_TRUE(w.load());
    EXPECT_EQ(ui::getWindowText(w.hwnd()), "Version Verify");
    EXPECT_EQ(ui::getWindowText(w.Label1), "Click on Each File for More Information");
    EXPECT_EQ(ui::getWindowText(w.Label2), "Detail description of incompatibilities");
    EXPECT_EQ(ui::getWindowText(w.cmdRegister), "Register Component");
    EXPECT_EQ(ui::getWindowText(w.ExitBut), "Exit");
    EXPECT_FALSE(IsWindowEnabled(w.cmdRegister));
    EXPECT_EQ(w.cmdRegisterBackColor, 0x00E0E0E0u);
    EXPECT_TRUE(GetWindowLongA(w.DetailText, GWL_STYLE) & ES_READONLY);
    EXPECT_EQ(w.listTabs, (std::array<int, 3>{64, 128, 192}));
    EXPECT_EQ(w.textTabs, (std::array<int, 3>{88, 176, 264}));
    EXPECT_FALSE(IsWindowVisible(w.hwnd()));
}

TEST_F(Windows, RegisterButtonFollowsTheSelectedConflict) {
    script.conflicts = {conflict("gone.ocx", 0x880), conflict("old.dll", 0x4, "C:\\W\\old.dll"),
                        conflict("other.ocx", 0x800, "C:\\W\\other.ocx")};
    registerFake();
    VerVrfy2 w;
    ASSERT_TRUE(w.load());

    select(w, 1);
    EXPECT_FALSE(IsWindowEnabled(w.cmdRegister));
    EXPECT_EQ(w.cmdRegisterBackColor, VerVrfy2::kButtonFace);
    EXPECT_TRUE(boxes.boxes.empty());

    select(w, 0);
    EXPECT_TRUE(IsWindowEnabled(w.cmdRegister));
    EXPECT_EQ(w.cmdRegisterBackColor, 0x0080C0FFu);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "Please Register Component");
    EXPECT_EQ(boxes.boxes[0].text,
              "It is highly recommended that you register the component using the register button");
    EXPECT_EQ(boxes.boxes[0].owner, w.hwnd());
    // Not found: the button must not register the file of an earlier detail.
    EXPECT_EQ(gRegisterPath, "");
    const std::string detail = ui::getWindowText(w.DetailText);
    EXPECT_EQ(detail.find("Actual File Date"), std::string::npos);
    EXPECT_NE(detail.find("No matching file was found.\r\nFile was not registered in registry.\r\n"),
              std::string::npos);

    // The hint comes once per load of the window.
    select(w, 2);
    EXPECT_TRUE(IsWindowEnabled(w.cmdRegister));
    EXPECT_EQ(gRegisterPath, "C:\\W\\other.ocx");
    EXPECT_EQ(boxes.boxes.size(), 1u);

    select(w, 0);
    click(w.cmdRegister);
    EXPECT_TRUE(commands.empty());
    EXPECT_FALSE(IsWindowEnabled(w.cmdRegister));
    EXPECT_EQ(w.cmdRegisterBackColor, VerVrfy2::kButtonFace);
}

TEST_F(Windows, RegisteringSaysWhetherItWorked) {
    script.conflicts = {conflict("x.ocx", 0x800, "C:\\Program Files\\Pellanor\\x.ocx")};
    registerFake();
    VerVrfy2 w;
    ASSERT_TRUE(w.load());
    select(w, 0);
    ASSERT_TRUE(IsWindowEnabled(w.cmdRegister));
    click(w.cmdRegister);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0], "regsvr32 /s \"C:\\Program Files\\Pellanor\\x.ocx\"");
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[1].caption, "Program was Registered");
    EXPECT_EQ(boxes.boxes[1].text,
              "The file was successfully registered.  If any other files are in the list, please register any "
              "others that need to be registered.");
    EXPECT_FALSE(IsWindowEnabled(w.cmdRegister));
    EXPECT_EQ(w.cmdRegisterBackColor, VerVrfy2::kButtonFace);

    registerExitCode = 5;
    select(w, 0);
    click(w.cmdRegister);
    ASSERT_EQ(boxes.boxes.size(), 3u);
    EXPECT_EQ(boxes.boxes[2].caption, "Program was not Registered");

    registerStarts = false;
    select(w, 0);
    click(w.cmdRegister);
    ASSERT_EQ(boxes.boxes.size(), 4u);
    EXPECT_EQ(boxes.boxes[3].caption, "Program was not Registered");
}

TEST_F(Windows, RegisterButtonIsOffWhileTheCommandRunsAndAClosedWindowIsNotTold) {
    script.conflicts = {conflict("x.ocx", 0x800, "C:\\Program Files\\Pellanor\\x.ocx")};
    registerFake();
    VerVrfy2 w;
    ASSERT_TRUE(w.load());
    select(w, 0);
    ASSERT_TRUE(IsWindowEnabled(w.cmdRegister));
    bool enabledDuringRun = true;
    registerRun::setRunHidden([&](const std::string& cmd, DWORD& code) {
        commands.push_back(cmd);
        enabledDuringRun = IsWindowEnabled(w.cmdRegister) != FALSE;
        // The user closes the window while the command runs.
        SendMessageA(w.hwnd(), WM_CLOSE, 0, 0);
        code = 0;
        return true;
    });
    const size_t before = boxes.boxes.size();
    click(w.cmdRegister);
    EXPECT_EQ(commands.size(), 1u);
    EXPECT_FALSE(enabledDuringRun) << "no second run can be started meanwhile";
    EXPECT_FALSE(w.isOpen());
    EXPECT_EQ(boxes.boxes.size(), before) << "no box for a window that is gone";
}

COLORREF brushColor(LRESULT brush) {
    LOGBRUSH lb{};
    if (!brush || !GetObjectA(reinterpret_cast<HBRUSH>(brush), sizeof lb, &lb)) return CLR_INVALID;
    return lb.lbColor;
}

TEST_F(Windows, TwoColourDisplayMakesWindowAndDetailWhite) {
    registerFake();
    for (long colours : {2L, 1L << 24}) {
        VerVrfy2 w;
        w.colorCountOf = [colours](HWND) { return colours; };
        ASSERT_TRUE(w.load());
        HDC dc = GetDC(w.hwnd());
        const LRESULT detail = SendMessageA(w.hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                            reinterpret_cast<LPARAM>(w.DetailText));
        const LRESULT dialog = SendMessageA(w.hwnd(), WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc),
                                            reinterpret_cast<LPARAM>(w.hwnd()));
        ReleaseDC(w.hwnd(), dc);
        const bool white = colours == 2;
        EXPECT_EQ(w.whiteBackground, white);
        EXPECT_EQ(brushColor(detail) == RGB(255, 255, 255), white) << colours;
        EXPECT_EQ(brushColor(dialog) == RGB(255, 255, 255), white) << colours;
    }
}

TEST(SavedData, IsASlaveWithAnEmptyListAndDefaults) {
    std::span<const BYTE> data = orvane1SavedData();
    ASSERT_EQ(data.size(), 82u);
    orvane36::MemoryStream stream(std::vector<uint8_t>(data.begin(), data.end()));
    orvane36::ControlLoad load = orvane36::ReadControlStream(stream);
    EXPECT_EQ(load.fileList.status, orvane36::list_status::kEmptyList);
    EXPECT_TRUE(load.headerRead);
    EXPECT_EQ(load.header.width, 847);
    EXPECT_EQ(load.propertiesRead, 7u);
    orvane36::ControlProperties expected;
    expected.slave = orvane36::kVariantTrue;
    EXPECT_EQ(load.properties, expected);
    EXPECT_EQ(stream.remaining(), 0u);
    EXPECT_EQ(std::string(data.begin(), data.begin() + 28), "QuennickOrvaneLedgers6MSlv32");
}

// Runs the thread's messages until the window has gone (its close is
// deferred to the message loop).
bool closesSoon(const ui::Window& w) {
    for (int i = 0; i < 200 && w.isOpen(); ++i) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (w.isOpen()) Sleep(10);
    }
    return !w.isOpen();
}

// The splash window, made hidden so that the test drives its timer tick.
class Splash : public VerifyTest {
protected:
    void SetUp() override {
        VerifyTest::SetUp();
        seams::setProgramFolder("C:\\");
    }
    void TearDown() override {
        seams::setProgramFolder("");
        VerifyTest::TearDown();
    }
    // The one "Run-time error" box of a failure.
    void expectRunTimeErrorBox(const std::string& text) {
        ASSERT_EQ(boxes.boxes.size(), 1u) << "one box, for the first failure";
        EXPECT_EQ(boxes.boxes[0].caption, "Component Verify for Pellanor");
        EXPECT_EQ(boxes.boxes[0].text, text);
        EXPECT_EQ(boxes.boxes[0].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
    }
};

TEST_F(Splash, Texts) {
    registerFake();
    frmWait wait;
    ASSERT_TRUE(wait.create(IDD_WAIT, nullptr));
    EXPECT_EQ(ui::getWindowText(wait.hwnd()), "Please Wait.....");
    EXPECT_EQ(ui::getWindowText(wait.Label1), "Testing components necessary to run Pellanor, Please Wait....");
    KillTimer(wait.hwnd(), frmWait::Timer1);
}

TEST_F(Splash, NoConflictGivesTheUpToDateBoxAndEnds) {
    script.embeddedFiles = {"a.dll"};
    registerFake();
    frmWait wait;
    bool unloaded = false;
    wait.onUnloaded = [&] { unloaded = true; };
    ASSERT_TRUE(wait.create(IDD_WAIT, nullptr));
    const HWND splash = wait.hwnd();
    wait.Timer1_Timer();
    EXPECT_EQ(VerVrfyControl::gTargetFile, "C:\\pellanor.exe");
    EXPECT_EQ(record.calls.front(), "put VerifyFile C:\\pellanor.exe");
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "All Files Are Up To Date");
    EXPECT_EQ(boxes.boxes[0].text,
              "All of the Windows support files necessary to run Pellanor are up to date.     ");
    EXPECT_EQ(boxes.boxes[0].owner, splash);
    EXPECT_TRUE(closesSoon(wait));
    EXPECT_TRUE(unloaded);
}

TEST_F(Splash, ACheckThatFailsSaysSoAndNotThatAllIsWell) {
    script.verifyFailure = static_cast<HRESULT>(0x800A0035);
    script.verifyFailureText = "File not found";
    registerFake();
    frmWait wait;
    ASSERT_TRUE(wait.create(IDD_WAIT, nullptr));
    wait.Timer1_Timer();
    expectRunTimeErrorBox("Run-time error '53':\r\n\r\nFile not found");
    EXPECT_TRUE(closesSoon(wait)) << "the splash goes";
}

TEST_F(Splash, AScanThatFailsShowsItsErrorAndNotAMissingList) {
    script.scanFailure = static_cast<HRESULT>(0x800A004B);
    script.scanFailureText = "Path/File access error";
    registerFake();
    frmWait wait;
    ASSERT_TRUE(wait.create(IDD_WAIT, nullptr));
    wait.Timer1_Timer();
    EXPECT_EQ(record.calls, (std::vector<std::string>{"put VerifyFile C:\\pellanor.exe",
                                                      "put ScanFile C:\\pellanor.exe"}));
    expectRunTimeErrorBox("Run-time error '75':\r\n\r\nPath/File access error");
    EXPECT_TRUE(closesSoon(wait)) << "the splash goes";
}

// A failure no handler of the program took (here a window's own) is not
// lost with the splash left up for ever: its run-time error box, once, and
// the program ends.
TEST_F(Splash, AFailureNoHandlerTookShowsItsRunTimeErrorAndEndsTheProgram) {
    class Failing : public ui::Window {
    protected:
        LRESULT handleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
            if (msg == WM_APP + 1) throw latebound::ControlError(static_cast<HRESULT>(0x800A0035), "File not found");
            if (msg == WM_APP + 2) throw std::bad_alloc();
            return ui::Window::handleMessage(msg, wp, lp);
        }
    };
    Failing w;
    ASSERT_TRUE(w.create("VerifyFailingWindow", "", WS_OVERLAPPEDWINDOW, 0, 0, 0, 10, 10, nullptr));
    ui::Window::setUncaughtFailure(reportUncaughtFailure);
    SendMessageA(w.hwnd(), WM_APP + 1, 0, 0);
    SendMessageA(w.hwnd(), WM_APP + 2, 0, 0);
    ui::Window::setUncaughtFailure(nullptr);
    expectRunTimeErrorBox("Run-time error '53':\r\n\r\nFile not found");
    MSG quit{};
    ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the program ends";
    EXPECT_EQ(quit.wParam, 1u);
    w.closeNow();
}

TEST_F(Splash, AProgramWithoutAFileListIsNotCalledUpToDate) {
    registerFake();
    frmWait wait;
    ASSERT_TRUE(wait.create(IDD_WAIT, nullptr));
    const HWND splash = wait.hwnd();
    wait.Timer1_Timer();
    // Both passes ran and met no file to check.
    EXPECT_EQ(record.calls, (std::vector<std::string>{"put VerifyFile C:\\pellanor.exe",
                                                      "put ScanFile C:\\pellanor.exe"}));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "Files Could Not Be Checked");
    EXPECT_EQ(boxes.boxes[0].text,
              "The list of the files Pellanor needs could not be found in C:\\pellanor.exe, so those files could "
              "not be checked.  Please re-install the program using the Windows Control Panel.  ");
    EXPECT_EQ(boxes.boxes[0].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONEXCLAMATION));
    EXPECT_EQ(boxes.boxes[0].owner, splash);
    EXPECT_TRUE(closesSoon(wait));
}

// What the conflict window showed while it was modal.
struct Shown {
    bool found = false;
    bool visible = false;
    bool splashVisible = true;
    std::vector<std::string> lines;
    HWND splash = nullptr;
} gShown;

void CALLBACK closeConflictWindow(HWND, UINT, UINT_PTR id, DWORD) {
    HWND w = FindWindowA(nullptr, "Important Program Files are Incorrect...");
    if (!w) return;
    KillTimer(nullptr, id);
    gShown.found = true;
    gShown.visible = IsWindowVisible(w) != FALSE;
    gShown.splashVisible = IsWindowVisible(gShown.splash) != FALSE;
    gShown.lines = VerifyTest::listLines(GetDlgItem(w, IDC_VV_CONFLICTLIST));
    PostMessageA(w, WM_COMMAND, MAKEWPARAM(IDC_VV_EXIT, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(w, IDC_VV_EXIT)));
}

// The timer tick, with the conflict window read and closed once it shows.
void tickAndCloseTheConflictWindow(frmWait& wait) {
    gShown = Shown{};
    gShown.splash = wait.hwnd();
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, closeConflictWindow);
    wait.Timer1_Timer();
    KillTimer(nullptr, timer);
}

TEST_F(Splash, ConflictsShowTheConflictWindowModally) {
    script.conflicts = {conflict("orvane36.ocx", 0x4, "C:\\W\\orvane36.ocx")};
    registerFake();
    frmWait wait;
    bool unloaded = false;
    wait.onUnloaded = [&] { unloaded = true; };
    ASSERT_TRUE(wait.create(IDD_WAIT, nullptr));
    ShowWindow(wait.hwnd(), SW_SHOW);
    tickAndCloseTheConflictWindow(wait);
    EXPECT_TRUE(gShown.found);
    EXPECT_TRUE(gShown.visible);
    EXPECT_FALSE(gShown.splashVisible);
    EXPECT_EQ(gShown.lines, std::vector<std::string>{"orvane36.ocx"});
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_TRUE(closesSoon(wait));
    EXPECT_TRUE(unloaded);
}

TEST_F(Splash, AConflictThatCannotBeReadStillShowsTheConflictWindow) {
    fake::Conflict c = conflict("orvane36.ocx", 0x4, "C:\\W\\orvane36.ocx");
    c.failMembers = {orvane::dispid::RefVersion};
    script.conflicts = {c};
    script.embeddedFiles = {"orvane36.ocx"};
    registerFake();
    frmWait wait;
    ASSERT_TRUE(wait.create(IDD_WAIT, nullptr));
    tickAndCloseTheConflictWindow(wait);
    EXPECT_TRUE(gShown.found);
    EXPECT_EQ(gShown.lines, std::vector<std::string>{"orvane36.ocx"});
    EXPECT_TRUE(boxes.boxes.empty()) << "no all-up-to-date box";
    EXPECT_TRUE(closesSoon(wait));
}

} // namespace
