// win_test_support.cpp
#include "win_test_support.h"

#include <gtest/gtest.h>

#include "common/win32/handles.h"
#include "common/win32/program_seams.h"

namespace testsupport {

std::vector<std::string> gArgs;

TempDir::TempDir() {
    char base[MAX_PATH];
    GetTempPathA(sizeof base, base);
    static unsigned counter = 0;
    for (;;) {
        std::string p = std::string(base) + "pt" + std::to_string(GetCurrentProcessId()) + "_" +
                        std::to_string(++counter);
        if (CreateDirectoryA(p.c_str(), nullptr)) {
            m_path = p;
            break;
        }
    }
}

TempDir::~TempDir() { removeTree(m_path); }

void removeTree(const std::string& path) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((path + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string n = fd.cFileName;
            if (n == "." || n == "..") continue;
            std::string full = path + "\\" + n;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeTree(full);
            } else {
                SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(full.c_str());
            }
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryA(path.c_str());
}

static void makeParents(const std::string& path) {
    for (size_t i = 3; i < path.size(); ++i)
        if (path[i] == '\\') CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
}

void writeBytes(const std::string& path, const std::string& bytes) {
    makeParents(path);
    win32::File h(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(h) << path;
    DWORD done = 0;
    WriteFile(h.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
}

std::string readBytes(const std::string& path) {
    win32::File h(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr));
    if (!h) return {};
    std::string out;
    char buf[4096];
    DWORD n = 0;
    while (ReadFile(h.get(), buf, sizeof buf, &n, nullptr) && n > 0) out.append(buf, n);
    return out;
}

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

BoxRecorder::BoxRecorder(int a) : answer(a) {
    seams::setMessageBox([this](HWND o, const std::string& t, const std::string& c, UINT f) {
        boxes.push_back({o, t, c, f});
        return answer;
    });
}

BoxRecorder::~BoxRecorder() { seams::setMessageBox(nullptr); }

void clearProgramRegistry() {
    RegDeleteTreeA(HKEY_CURRENT_USER, "SOFTWARE\\Tamberly, Inc.");
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tamberly, Inc.");
    HKEY run;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\microsoft\\windows\\currentversion\\run", 0,
                      KEY_ALL_ACCESS, &run) == ERROR_SUCCESS) {
        RegDeleteValueA(run, "TamberlyPellanor");
        RegCloseKey(run);
    }
}

void setUserSetting(const std::string& name, const std::string& value) {
    HKEY k;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Tamberly, Inc.\\Pellanor\\UserSettings",
                              0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(k, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(k);
}

std::string fromUnixPath(const std::string& unixPath) {
    if (unixPath.size() > 1 && unixPath[1] == ':') return unixPath;
    std::string p = "Z:" + unixPath;
    for (char& c : p)
        if (c == '/') c = '\\';
    return p;
}

HANDLE startProgram(const std::string& exe, const std::string& workDir) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string cmd = "\"" + exe + "\"";
    std::vector<char> buf(cmd.begin(), cmd.end());
    buf.push_back('\0');
    if (!CreateProcessA(nullptr, buf.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workDir.empty() ? nullptr : workDir.c_str(), &si, &pi))
        return nullptr;
    win32::Handle thread(pi.hThread);
    return pi.hProcess;
}

long waitForExit(HANDLE& process, DWORD timeoutMs) {
    if (WaitForSingleObject(process, timeoutMs) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    win32::Handle ended(std::exchange(process, nullptr));
    return static_cast<long>(code);
}

std::string answerMessageBox(HANDLE process, const char* caption, DWORD timeoutMs) {
    HWND box = waitForWindow(caption, timeoutMs, GetProcessId(process));
    if (!box) return "<no box>";
    std::string text = messageBoxText(box);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    return text;
}

namespace {
struct FindCtx {
    const char* caption;
    DWORD pid;
    HWND found;
};
BOOL CALLBACK findProc(HWND w, LPARAM lp) {
    auto* c = reinterpret_cast<FindCtx*>(lp);
    char text[512];
    GetWindowTextA(w, text, sizeof text);
    if (std::string(text) != c->caption) return TRUE;
    if (c->pid) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid != c->pid) return TRUE;
    }
    c->found = w;
    return FALSE;
}
} // namespace

HWND waitForWindow(const char* caption, DWORD timeoutMs, DWORD processId) {
    DWORD start = GetTickCount();
    do {
        FindCtx ctx{caption, processId, nullptr};
        EnumWindows(findProc, reinterpret_cast<LPARAM>(&ctx));
        if (ctx.found) return ctx.found;
        Sleep(50);
    } while (GetTickCount() - start < timeoutMs);
    return nullptr;
}

HWND waitForFilledChild(HWND parent, const char* className, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    do {
        HWND child = FindWindowExA(parent, nullptr, className, nullptr);
        if (child && SendMessageA(child, WM_GETTEXTLENGTH, 0, 0) > 0) return child;
        Sleep(50);
    } while (GetTickCount() - start < timeoutMs);
    return nullptr;
}

std::string messageBoxText(HWND box) {
    // The message text is the static control with ID 0xFFFF.
    char text[4096] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    return text;
}

void clickAt(POINT p) {
    SetCursorPos(p.x, p.y);
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, in, sizeof(INPUT));
}

} // namespace testsupport
