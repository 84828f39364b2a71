// win_test_support.h
// Helpers for the Windows test programs: throw-away folders, whole-file
// bytes, recorded message boxes, registry clean-up and child processes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testsupport {

// A fresh folder under the temporary folder, removed with its contents.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return m_path; }
    std::string operator/(const std::string& rel) const { return m_path + "\\" + rel; }

private:
    std::string m_path;
};

void removeTree(const std::string& path);
void writeBytes(const std::string& path, const std::string& bytes); // creates parent folders
std::string readBytes(const std::string& path);                     // "" when missing
bool exists(const std::string& path);

// One recorded MessageBoxA call; answers with `answer`.
struct Box {
    HWND owner;
    std::string text, caption;
    UINT flags;
};
class BoxRecorder {
public:
    explicit BoxRecorder(int answer = IDOK);
    ~BoxRecorder();
    std::vector<Box> boxes;
    int answer;
};

// Deletes HKCU and HKLM "SOFTWARE\Tamberly, Inc." and the Run value.
void clearProgramRegistry();
void setUserSetting(const std::string& name, const std::string& value);

// Linux path from the command line (CTest passes build paths) as a Windows one.
std::string fromUnixPath(const std::string& unixPath);

// Runs an executable; returns the process handle (caller closes) or null.
HANDLE startProgram(const std::string& exe, const std::string& workDir);

// Waits for a started program to end: its exit code, or -1 on timeout.
// The handle is closed and cleared once the program has ended.
long waitForExit(HANDLE& process, DWORD timeoutMs);
// Finds the program's message box by caption, presses its OK button and
// returns its text; "<no box>" when none came.
std::string answerMessageBox(HANDLE process, const char* caption, DWORD timeoutMs);

// Waits for a top-level window with this caption; null when none came.
HWND waitForWindow(const char* caption, DWORD timeoutMs, DWORD processId = 0);
// Waits for a child window of a class whose text is not empty: a window is
// found by its caption before its children are made and filled.
HWND waitForFilledChild(HWND parent, const char* className, DWORD timeoutMs);
// The static text of a message box.
std::string messageBoxText(HWND box);
// A left click of the real mouse where the pointer is put, as the mouse
// gives it.
void clickAt(POINT p);

// The command-line arguments given to the test program after GoogleTest's.
extern std::vector<std::string> gArgs;

} // namespace testsupport
