// verify_e2e_test.cpp
// The real verify.exe with the real control and scan engine: a prepared
// program folder whose pellanor.exe carries its real file list, the
// components registered in the test prefix with regsvr32, and verify's
// windows and boxes read and answered from here.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "common/win32/handles.h"
#include "verify/Module1.h"
#include "win_test_support.h"

using namespace testsupport;

namespace {

// Arguments: verify.exe, pellanor.exe, orvane36.ocx, orvanescan.dll, sockloom6.dll.
constexpr const char* kFiles[] = {"verify.exe", "pellanor.exe", "orvane36.ocx", "orvanescan.dll", "sockloom6.dll"};
constexpr const char* kSockloomTypeLib = "TypeLib\\{21A48655-9736-416D-AECD-8610BC940001}";

DWORD run(const std::string& commandLine) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::vector<char> cmd(commandLine.begin(), commandLine.end());
    cmd.push_back('\0');
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 999;
    win32::Handle thread(pi.hThread), process(pi.hProcess);
    WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = 998;
    GetExitCodeProcess(pi.hProcess, &code);
    return code;
}

bool keyExists(HKEY root, const char* path) {
    HKEY k;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
}

// Text of a control in another process (WM_GETTEXT is carried across).
std::string remoteText(HWND w) {
    char buf[8192] = {};
    SendMessageA(w, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf));
    return buf;
}

class VerifyProgram : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder = new TempDir;
        for (size_t i = 0; i < std::size(kFiles) && i < gArgs.size(); ++i)
            CopyFileA(fromUnixPath(gArgs[i]).c_str(), (*folder / kFiles[i]).c_str(), FALSE);
        for (const char* c : {"orvanescan.dll", "orvane36.ocx", "sockloom6.dll"}) registerComponent(c, true);
    }
    // The components go back to their build folders, registered as the
    // other tests of the prefix leave them.
    static void TearDownTestSuite() {
        for (size_t i = 2; i < std::size(kFiles) && i < gArgs.size(); ++i)
            run("regsvr32 /s \"" + fromUnixPath(gArgs[i]) + "\"");
        delete folder;
        folder = nullptr;
    }
    static DWORD registerComponent(const char* name, bool on) {
        return run(std::string("regsvr32 /s ") + (on ? "" : "/u ") + "\"" + (*folder / name) + "\"");
    }

    void SetUp() override {
        ASSERT_EQ(gArgs.size(), std::size(kFiles)) << "pass verify.exe, pellanor.exe, orvane36.ocx, orvanescan.dll "
                                                      "and sockloom6.dll";
    }
    void TearDown() override {
        if (process) {
            TerminateProcess(process, 99);
            win32::Handle ended(process);
        }
    }
    void start() {
        process = startProgram(*folder / "verify.exe", folder->path());
        ASSERT_NE(process, nullptr);
    }
    long finish(DWORD timeoutMs = 30000) { return waitForExit(process, timeoutMs); }
    std::string answerBox(const char* caption) { return answerMessageBox(process, caption, 30000); }

    static TempDir* folder;
    HANDLE process = nullptr;
};

TempDir* VerifyProgram::folder = nullptr;

TEST_F(VerifyProgram, EverythingInPlaceGivesTheUpToDateBox) {
    start();
    EXPECT_EQ(answerBox("All Files Are Up To Date"),
              "All of the Windows support files necessary to run Pellanor are up to date.     ");
    EXPECT_EQ(finish(), 0);
}

TEST_F(VerifyProgram, UnregisteredComponentIsListedAndRegisteredFromTheWindow) {
    ASSERT_EQ(registerComponent("sockloom6.dll", false), 0u);
    ASSERT_FALSE(keyExists(HKEY_CLASSES_ROOT, kSockloomTypeLib));
    start();
    HWND w = waitForWindow("Important Program Files are Incorrect...", 30000, GetProcessId(process));
    ASSERT_NE(w, nullptr);
    HWND list = GetDlgItem(w, 1101);
    HWND detail = GetDlgItem(w, 1102);
    HWND reg = GetDlgItem(w, 1105);
    const LRESULT index = SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>("sockloom6.dll"));
    ASSERT_NE(index, LB_ERR);
    EXPECT_FALSE(IsWindowEnabled(reg));

    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    PostMessageA(w, WM_COMMAND, MAKEWPARAM(1101, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    EXPECT_EQ(answerBox("Please Register Component"),
              "It is highly recommended that you register the component using the register button");
    // The detail is shown once the box is answered.
    std::string text;
    for (int i = 0; i < 100 && (text = remoteText(detail)).empty(); ++i) Sleep(50);
    EXPECT_TRUE(IsWindowEnabled(reg));
    EXPECT_NE(text.find("Actual File Found : \t" + (*folder / "sockloom6.dll") + "\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("File was not registered in registry.\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Reference File GUID : \t{21A48655-9736-416D-AECD-8610BC940001}"), std::string::npos) << text;

    PostMessageA(reg, BM_CLICK, 0, 0);
    EXPECT_EQ(answerBox("Program was Registered"),
              "The file was successfully registered.  If any other files are in the list, please register any "
              "others that need to be registered.");
    EXPECT_TRUE(keyExists(HKEY_CLASSES_ROOT, kSockloomTypeLib));
    for (int i = 0; i < 100 && IsWindowEnabled(reg); ++i) Sleep(50);
    EXPECT_FALSE(IsWindowEnabled(reg));

    PostMessageA(GetDlgItem(w, 1106), BM_CLICK, 0, 0);
    EXPECT_EQ(finish(), 0);
}

// Puts another program in pellanor.exe's place for one test, and the real
// one back afterwards.
class StandIn {
public:
    StandIn(const std::string& target, const std::string& program)
        : m_target(target), m_saved(target + ".real") {
        moved = MoveFileA(m_target.c_str(), m_saved.c_str()) && CopyFileA(program.c_str(), m_target.c_str(), FALSE);
    }
    ~StandIn() {
        DeleteFileA(m_target.c_str());
        MoveFileA(m_saved.c_str(), m_target.c_str());
    }
    StandIn(const StandIn&) = delete;
    StandIn& operator=(const StandIn&) = delete;
    bool moved = false;

private:
    std::string m_target, m_saved;
};

TEST_F(VerifyProgram, AProgramWithoutAFileListIsNotCalledUpToDate) {
    char system[MAX_PATH] = {};
    ASSERT_GT(GetSystemDirectoryA(system, MAX_PATH), 0u);
    const std::string target = *folder / "pellanor.exe";
    // verify.exe carries the marker of its control's empty list; notepad none.
    for (const std::string& program : {*folder / "verify.exe", std::string(system) + "\\notepad.exe"}) {
        StandIn standIn(target, program);
        ASSERT_TRUE(standIn.moved) << program;
        start();
        EXPECT_EQ(answerBox("Files Could Not Be Checked"),
                  "The list of the files Pellanor needs could not be found in " + target +
                      ", so those files could not be checked.  Please re-install the program using the Windows "
                      "Control Panel.  ")
            << program;
        EXPECT_EQ(finish(), 0) << program;
        // Ended before the real program goes back.
        if (process) {
            TerminateProcess(process, 99);
            WaitForSingleObject(process, 5000);
            win32::Handle ended(std::exchange(process, nullptr));
        }
    }
}

TEST_F(VerifyProgram, ASecondCopyIsRefusedWithItsBox) {
    win32::Handle first(CreateMutexA(nullptr, TRUE, Module1::kInstanceMutexName));
    ASSERT_TRUE(first);
    start();
    EXPECT_EQ(answerBox("Program Already Running, Exiting....."),
              "Component Verify for Pellanor is already running..... please minimize all windows  to see the copy "
              "that is running.");
    EXPECT_EQ(finish(), 0);
}

} // namespace
