// dialogs_e2e_test.cpp
// The running program's dialogs opened from outside, over what a user's
// machine may hold: a scheduled task as Windows stores it, and boxes that
// a dialog's load shows.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "e2e_fixture.h"
#include "registry.h"

using namespace testsupport;

namespace {

constexpr WPARAM kScheduleMenu = 0x404; // "Choose a Specific Time to Run Pellanor"
constexpr WPARAM kCopyrightsMenu = 0x415;
const char* const kAddVerseCaption = "Add Your Own Verses & Inspirational Thoughts";
constexpr int kScheduleTab = 4001, kWindowsTime = 4031, kWindowsBox = 4021;
const char* const kScheduleCaption = "Select the Scheduling Method and Time";

std::string tasksFolder() {
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    return std::string(system) + "\\Tasks\\";
}

// A task file in the scheduler's store, UTF-16 as the scheduler writes it.
void plantTask(const std::string& name, const std::wstring& xml) {
    std::string bytes = "\xFF\xFE";
    bytes.append(reinterpret_cast<const char*>(xml.data()), xml.size() * sizeof(wchar_t));
    writeBytes(tasksFolder() + name, bytes);
}

// The task OK on the Windows tab leaves on Windows: one daily trigger at
// half past seven, enabled.
const std::wstring kStoredTask =
    L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n"
    L"<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\r\n"
    L"  <RegistrationInfo><Description>Pellanor 2004 Program Scheduler</Description></RegistrationInfo>\r\n"
    L"  <Triggers><CalendarTrigger><StartBoundary>2026-01-01T07:30:00</StartBoundary><Enabled>true</Enabled>"
    L"<ScheduleByDay><DaysInterval>1</DaysInterval></ScheduleByDay></CalendarTrigger></Triggers>\r\n"
    L"  <Settings><Enabled>true</Enabled></Settings>\r\n"
    L"  <Actions Context=\"Author\"><Exec><Command>C:\\Program Files\\Pellanor\\pellanor</Command></Exec></Actions>\r\n"
    L"</Task>\r\n";

std::string userTaskName() {
    char user[256] = {};
    DWORD n = sizeof user;
    return GetUserNameA(user, &n) ? std::string(user) + "_Pellanor" : std::string();
}

std::string windowText(HWND h) {
    char buf[256] = {};
    SendMessageA(h, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf));
    return buf;
}

struct CaptionCount {
    DWORD pid;
    const char* caption;
    int n;
};

BOOL CALLBACK countCaptioned(HWND w, LPARAM lp) {
    auto* c = reinterpret_cast<CaptionCount*>(lp);
    DWORD p = 0;
    GetWindowThreadProcessId(w, &p);
    char text[256] = {};
    GetWindowTextA(w, text, sizeof text);
    if (p == c->pid && std::string(text) == c->caption) ++c->n;
    return TRUE;
}

// How many top-level windows of the process carry this caption.
int windowsCaptioned(DWORD pid, const char* caption) {
    CaptionCount c{pid, caption, 0};
    EnumWindows(countCaptioned, reinterpret_cast<LPARAM>(&c));
    return c.n;
}

// Waits for a message box of the program; null when none came.
HWND waitForMessageBox(DWORD pid, DWORD timeoutMs) {
    for (DWORD t0 = GetTickCount(); GetTickCount() - t0 < timeoutMs; Sleep(30))
        if (HWND box = findMessageBox(pid)) return box;
    return nullptr;
}

class Dialogs : public RunningProgram {
protected:
    void SetUp() override {
        RunningProgram::SetUp();
        fromDist({"TRANSLATION_King James Version\\Peace and Trust.txt", "help.chm"});
        returningUser();
    }
    void TearDown() override {
        for (const std::string& f : planted) DeleteFileA((tasksFolder() + f).c_str());
        RunningProgram::TearDown();
    }
    void plant(const std::string& name, const std::wstring& xml) {
        plantTask(name, xml);
        planted.push_back(name);
    }
    std::vector<std::string> planted;
};

// The task OK on the Windows tab leaves on Windows, and beside it another
// program's task that is no task at all.
TEST_F(Dialogs, ScheduleDialogShowsTheStoredWindowsTask) {
    const std::string own = userTaskName();
    ASSERT_FALSE(own.empty());
    plant(own, kStoredTask);
    plant("Another Program's Task", L"<Task><Triggers><CalendarTrigger><StartBoundary>");
    setUserSetting("useTheWindowsScheduler", "True");
    start();
    HWND main = mainWindowReady();
    ASSERT_NE(main, nullptr);
    PostMessageA(main, WM_COMMAND, kScheduleMenu, 0);
    HWND dlg = waitForWindow(kScheduleCaption, 10000, pid());
    ASSERT_NE(dlg, nullptr);
    Sleep(300);
    EXPECT_EQ(answerBoxes(pid(), dlg), std::vector<std::string>{}) << "no load error";
    EXPECT_EQ(SendMessageA(GetDlgItem(dlg, kScheduleTab), TCM_GETCURSEL, 0, 0), 1) << "the Windows tab";
    std::string time = windowText(GetDlgItem(dlg, kWindowsTime));
    EXPECT_EQ(time.rfind("7:30", 0), 0u) << time;
    EXPECT_NE(time.find("AM"), std::string::npos) << time;
    EXPECT_EQ(SendMessageA(GetDlgItem(dlg, kWindowsBox), BM_GETCHECK, 0, 0), BST_CHECKED);
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    for (DWORD t0 = GetTickCount(); IsWindow(dlg) && GetTickCount() - t0 < 10000;) Sleep(20);
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(finish(), 0);
}

// Starts the Task Scheduler service and waits until it runs: a fresh
// prefix keeps its service database locked for a while after it is made.
bool taskSchedulerRunning(DWORD timeoutMs) {
    for (DWORD t0 = GetTickCount(); GetTickCount() - t0 < timeoutMs; Sleep(250)) {
        SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
        if (!manager) continue;
        bool running = false;
        if (SC_HANDLE service = OpenServiceA(manager, "Schedule", SERVICE_QUERY_STATUS | SERVICE_START)) {
            SERVICE_STATUS status{};
            running = QueryServiceStatus(service, &status) && status.dwCurrentState == SERVICE_RUNNING;
            if (!running) StartServiceA(service, 0, nullptr);
            CloseServiceHandle(service);
        }
        CloseServiceHandle(manager);
        if (running) return true;
    }
    return false;
}

// A task file cut short inside its text, as Wine leaves one when it writes
// a shorter task over a longer one, and on which Wine's own reader spins
// for good: the
// dialog opens with no time known, whether the file is only another
// program's or the program's own. A frozen program fails the test (and is
// ended by the fixture).
TEST_F(Dialogs, ScheduleDialogOpensOverATaskFileCutShort) {
    const std::string own = userTaskName();
    ASSERT_FALSE(own.empty());
    ASSERT_TRUE(taskSchedulerRunning(60000));
    const std::wstring cut = kStoredTask.substr(0, kStoredTask.find(L"T07:30"));
    plant("Backup Job", cut);
    setUserSetting("useTheWindowsScheduler", "True");
    start();
    HWND main = mainWindowReady();
    ASSERT_NE(main, nullptr);
    for (const char* whose : {"another program's", "the program's own"}) {
        if (std::string(whose) == "the program's own") plant(own, cut);
        PostMessageA(main, WM_COMMAND, kScheduleMenu, 0);
        HWND dlg = waitForWindow(kScheduleCaption, 10000, pid());
        ASSERT_NE(dlg, nullptr) << whose;
        DWORD_PTR answer = 0;
        ASSERT_NE(SendMessageTimeoutA(dlg, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &answer), 0)
            << "frozen over " << whose << " task cut short";
        EXPECT_EQ(answerBoxes(pid(), dlg), std::vector<std::string>{}) << whose << ": no load error";
        EXPECT_EQ(windowText(GetDlgItem(dlg, kWindowsTime)), "8:00 AM") << whose << ": no time known";
        EXPECT_EQ(SendMessageA(GetDlgItem(dlg, kWindowsBox), BM_GETCHECK, 0, 0), BST_CHECKED) << whose;
        PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        for (DWORD t0 = GetTickCount(); IsWindow(dlg) && GetTickCount() - t0 < 10000;) Sleep(20);
        ASSERT_FALSE(IsWindow(dlg)) << whose;
    }
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(finish(), 0);
}

// While a box of a dialog's load is up the dialog is not yet modal; the
// main window must already be out of use, or a second dialog opens whose
// saved verses the first one's OK deletes.
TEST_F(Dialogs, NothingOnTheMainWindowWorksWhileALoadShowsItsBox) {
    const std::string verses = root / "Your Verses\\Your Verses.txt";
    writeBytes(verses, "a line the reader refuses\r\n");
    start();
    answerBoxes(pid(), nullptr, 1500); // the start lists the damaged file
    HWND main = mainWindowReady();
    ASSERT_NE(main, nullptr);

    clickButton(main, 2); // Add verses
    HWND box = waitForMessageBox(pid(), 10000);
    ASSERT_NE(box, nullptr);
    char caption[256] = {};
    GetWindowTextA(box, caption, sizeof caption);
    EXPECT_STREQ(caption, "Your File Has Been Set Aside");
    EXPECT_FALSE(IsWindowEnabled(main)) << "the main window is out of use during the load";
    // The user clicks Add again, on the main window beside the box: the
    // first click brings the window forward, the second presses the button.
    RECT add, boxRect;
    GetWindowRect(GetDlgItem(main, kButton0 + 2), &add);
    GetWindowRect(box, &boxRect);
    SetWindowPos(box, nullptr, add.right + 40, boxRect.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (int i = 0; i < 2; ++i) {
        clickAt(POINT{(add.left + add.right) / 2, (add.top + add.bottom) / 2});
        Sleep(700);
    }
    EXPECT_EQ(windowsCaptioned(pid(), kAddVerseCaption), 1) << "no second dialog";
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    HWND dlg = waitForWindow(kAddVerseCaption, 10000, pid());
    ASSERT_NE(dlg, nullptr);
    for (DWORD t0 = GetTickCount(); !IsWindowVisible(dlg) && GetTickCount() - t0 < 10000;) Sleep(20);
    EXPECT_FALSE(IsWindowEnabled(main)) << "nor while the dialog is up";
    PostMessageA(dlg, WM_CLOSE, 0, 0);
    for (DWORD t0 = GetTickCount(); IsWindow(dlg) && GetTickCount() - t0 < 10000;) Sleep(20);
    EXPECT_EQ(windowsCaptioned(pid(), kAddVerseCaption), 0);

    // The notices' missing-file box: the same.
    PostMessageA(main, WM_COMMAND, kCopyrightsMenu, 0);
    box = waitForMessageBox(pid(), 10000);
    ASSERT_NE(box, nullptr);
    GetWindowTextA(box, caption, sizeof caption);
    EXPECT_STREQ(caption, "Error: File Could Not Be Opened");
    EXPECT_FALSE(IsWindowEnabled(main));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    dlg = waitForWindow("Copyright Information", 10000, pid());
    ASSERT_NE(dlg, nullptr);
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    for (DWORD t0 = GetTickCount(); IsWindow(dlg) && GetTickCount() - t0 < 10000;) Sleep(20);
    for (DWORD t0 = GetTickCount(); !IsWindowEnabled(main) && GetTickCount() - t0 < 5000;) Sleep(20);
    EXPECT_TRUE(IsWindowEnabled(main)) << "usable again once the dialogs are gone";
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(finish(), 0);
}

} // namespace
