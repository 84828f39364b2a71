// startup_probe.cpp
// Times cold starts of pellanor.exe in prepared program folders and sets
// them beside three floors: an empty GUI program with one rich-edit window
// (richedit_floor.exe), the program's own window made and shown without its
// library (window_floor.exe), and the time a fresh process takes to read
// the same bytes (read_floor.exe), all started the same way.
//
//   startup_probe.exe [--runs N] READ_FLOOR_EXE RICHEDIT_FLOOR_EXE WINDOW_FLOOR_EXE LABEL=PROGRAM_FOLDER ...
//
// Libraries given in order of their number of translations also get the
// cost of each added translation beside the time to read its bytes.
//
// A start is timed from just before CreateProcess until WaitForInputIdle
// returns: the program first waits idle in its message loop, after the
// first verse is shown. As a cross-check a second thread watches for the
// main window to be visible with text in its verse box. Then the window
// gets WM_CLOSE and the process is awaited (closing saves the settings).
// Each kind of run is done once untimed first, so the timed starts see
// warm settings and a warm file cache but are still fresh processes. The
// settings the untimed start left are put back before every timed start:
// closing moves the saved place on, and every start must show the same.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "common/win32/handles.h"

namespace {

constexpr const char* kCaption = "Pellanor 2004";
constexpr const char* kVerseClass = "RichEdit20A";
constexpr DWORD kStartTimeoutMs = 60000;
constexpr DWORD kExitTimeoutMs = 30000;

double g_ticksPerMs = 1.0;

LONGLONG ticks() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

double msSince(LONGLONG t0) { return static_cast<double>(ticks() - t0) / g_ticksPerMs; }

struct Stats {
    double median = 0, min = 0, max = 0;
};

Stats summarise(std::vector<double> v) {
    Stats s;
    if (v.empty()) return s;
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    s.median = n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    s.min = v.front();
    s.max = v.back();
    return s;
}

void printStats(const char* what, const std::vector<double>& samples) {
    Stats s = summarise(samples);
    std::printf("  %-46s median %8.1f ms   min %8.1f   max %8.1f\n", what, s.median, s.min, s.max);
}

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

struct Child {
    win32::Handle process, thread;
    DWORD pid = 0;
};

// Starts exe in folder; the command line is the quoted program path and args.
bool startChild(const std::string& exe, const std::string& args, const std::string& folder,
                STARTUPINFOA& si, bool inheritHandles, Child& child) {
    std::string cmd = quoted(exe) + (args.empty() ? "" : " " + args);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, inheritHandles, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &si, &pi)) {
        std::fprintf(stderr, "cannot start %s (error %lu)\n", exe.c_str(), GetLastError());
        return false;
    }
    child.process.reset(pi.hProcess);
    child.thread.reset(pi.hThread);
    child.pid = pi.dwProcessId;
    return true;
}

bool hasEnded(const Child& child) { return WaitForSingleObject(child.process.get(), 0) == WAIT_OBJECT_0; }

// The top-level windows of a process: its main window, and a description of
// all visible ones for when a run goes wrong (a message box, say).
struct WindowSearch {
    DWORD pid = 0;
    HWND main = nullptr;
    std::string visible;
};

BOOL CALLBACK searchWindow(HWND h, LPARAM lp) {
    auto* search = reinterpret_cast<WindowSearch*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (pid != search->pid) return TRUE;
    char title[256] = {}, cls[128] = {};
    GetWindowTextA(h, title, sizeof title);
    GetClassNameA(h, cls, sizeof cls);
    if (!search->main && std::string(title) == kCaption) search->main = h;
    if (IsWindowVisible(h)) search->visible += std::string(" [") + cls + " \"" + title + "\"]";
    return TRUE;
}

WindowSearch windowsOf(DWORD pid) {
    WindowSearch search;
    search.pid = pid;
    EnumWindows(searchWindow, reinterpret_cast<LPARAM>(&search));
    return search;
}

// The first verse counts as shown once the main window is visible (it is
// shown when the load is complete) and its verse box holds text.
bool verseShown(DWORD pid) {
    HWND main = windowsOf(pid).main;
    if (!main || !IsWindowVisible(main)) return false;
    HWND verse = FindWindowExA(main, nullptr, kVerseClass, nullptr);
    DWORD_PTR length = 0;
    return verse &&
           SendMessageTimeoutA(verse, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length) &&
           length > 0;
}

// Ends a run: WM_CLOSE to the main window, then the process must end. A
// process that does not is described and ended, and the run fails.
bool closeAndWait(const Child& child, const char* why) {
    if (HWND main = windowsOf(child.pid).main) PostMessageA(main, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(child.process.get(), kExitTimeoutMs) == WAIT_OBJECT_0 && !why) return true;
    std::string seen = windowsOf(child.pid).visible;
    std::fprintf(stderr, "pellanor.exe run failed: %s; visible windows:%s\n",
                 why ? why : "it did not end after WM_CLOSE", seen.empty() ? " none" : seen.c_str());
    TerminateProcess(child.process.get(), 1);
    WaitForSingleObject(child.process.get(), kExitTimeoutMs);
    return false;
}

struct StartSample {
    double idleMs = 0;
    double verseMs = 0;
};

bool timeStart(const std::string& exe, const std::string& folder, StartSample& sample) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    Child child;
    LONGLONG t0 = ticks();
    if (!startChild(exe, "", folder, si, false, child)) return false;

    std::atomic<double> verseMs{-1};
    std::thread watcher([&] {
        while (msSince(t0) < kStartTimeoutMs && !hasEnded(child)) {
            if (verseShown(child.pid)) {
                verseMs = msSince(t0);
                return;
            }
            Sleep(1);
        }
    });
    DWORD idle = WaitForInputIdle(child.process.get(), kStartTimeoutMs);
    double idleMs = msSince(t0);
    watcher.join();

    const char* why = nullptr;
    if (idle != 0) why = "WaitForInputIdle did not return 0";
    else if (verseMs < 0) why = "the main window never showed a verse";
    if (!closeAndWait(child, why)) return false;
    sample.idleMs = idleMs;
    sample.verseMs = verseMs;
    return true;
}

struct ReadSample {
    double ms = 0;
    unsigned long long bytes = 0;
    unsigned long files = 0;
};

// One run of read_floor.exe (folder empty: it reads nothing). The time runs
// until its result line arrives, the point where its work is done.
bool timeRead(const std::string& reader, const std::string& folder, ReadSample& sample) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    win32::Handle readEnd, writeEnd;
    if (!CreatePipe(readEnd.put(), writeEnd.put(), &sa, 0)) return false;
    SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd.get();
    si.hStdError = writeEnd.get();
    Child child;
    LONGLONG t0 = ticks();
    if (!startChild(reader, folder.empty() ? "" : quoted(folder), folder, si, true, child)) return false;
    writeEnd.reset(); // the pipe ends when the child's copy closes

    std::string line;
    char buf[256];
    DWORD got = 0;
    while (line.find('\n') == std::string::npos &&
           ReadFile(readEnd.get(), buf, sizeof buf, &got, nullptr) && got > 0)
        line.append(buf, got);
    double ms = msSince(t0);
    DWORD code = 1;
    if (WaitForSingleObject(child.process.get(), kExitTimeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(child.process.get(), 1);
        WaitForSingleObject(child.process.get(), kExitTimeoutMs);
    } else {
        GetExitCodeProcess(child.process.get(), &code);
    }
    if (code != 0 || std::sscanf(line.c_str(), "%llu %lu", &sample.bytes, &sample.files) != 2) {
        std::fprintf(stderr, "read_floor.exe failed (exit code %lu, output \"%s\")\n", code, line.c_str());
        return false;
    }
    sample.ms = ms;
    return true;
}

// The program's saved user settings, taken after the untimed start and put
// back before each timed one.
constexpr const char* kUserSettingsKey = "SOFTWARE\\Tamberly, Inc.\\Pellanor\\UserSettings";

struct SavedValue {
    std::string name;
    DWORD type = 0;
    std::vector<BYTE> data;
};

std::vector<SavedValue> takeSettings() {
    std::vector<SavedValue> values;
    win32::RegKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kUserSettingsKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return values;
    for (DWORD i = 0;; ++i) {
        char name[256];
        BYTE data[4096];
        DWORD nameSize = sizeof name, dataSize = sizeof data, type = 0;
        if (RegEnumValueA(key.get(), i, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) break;
        values.push_back({std::string(name, nameSize), type, std::vector<BYTE>(data, data + dataSize)});
    }
    return values;
}

void putBackSettings(const std::vector<SavedValue>& values) {
    RegDeleteTreeA(HKEY_CURRENT_USER, kUserSettingsKey);
    win32::RegKey key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kUserSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr, key.put(),
                        nullptr) != ERROR_SUCCESS)
        return;
    for (const SavedValue& v : values)
        RegSetValueExA(key.get(), v.name.c_str(), 0, v.type, v.data.data(), static_cast<DWORD>(v.data.size()));
}

unsigned long translationsIn(const std::string& folder) {
    unsigned long n = 0;
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((folder + "\\TRANSLATION_*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return 0;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ++n;
    } while (FindNextFileA(h, &found));
    FindClose(h);
    return n;
}

struct Floors {
    std::string reader, richEdit, window;
    std::vector<double> empty, richEditIdle, windowIdle;
};

struct Library {
    std::string label, folder;
    unsigned long long bytes = 0;
    unsigned long files = 0, translations = 0;
    std::vector<double> read, idle, verse, richEdit, window;
};

// One round per timed run, each an empty start, a read, the rich-edit
// floor and a program start in turn, so a change of machine load falls on
// all alike. Round 0 is untimed: the program's first start writes its
// first-run settings, which every later start then begins from.
bool measureLibrary(Floors& floors, int runs, Library& lib) {
    lib.translations = translationsIn(lib.folder);
    std::vector<SavedValue> settings;
    for (int i = 0; i <= runs; ++i) {
        ReadSample none, read;
        StartSample start, richEdit, window;
        if (i > 0) putBackSettings(settings);
        if (!timeRead(floors.reader, "", none) || !timeRead(floors.reader, lib.folder, read) ||
            !timeStart(floors.richEdit, lib.folder, richEdit) || !timeStart(floors.window, lib.folder, window) ||
            !timeStart(lib.folder + "\\pellanor.exe", lib.folder, start))
            return false;
        lib.bytes = read.bytes;
        lib.files = read.files;
        if (i == 0) {
            settings = takeSettings();
            continue;
        }
        floors.empty.push_back(none.ms);
        lib.read.push_back(read.ms);
        lib.richEdit.push_back(richEdit.idleMs);
        lib.window.push_back(window.idleMs);
        lib.idle.push_back(start.idleMs);
        lib.verse.push_back(start.verseMs);
    }
    floors.richEditIdle.insert(floors.richEditIdle.end(), lib.richEdit.begin(), lib.richEdit.end());
    floors.windowIdle.insert(floors.windowIdle.end(), lib.window.begin(), lib.window.end());
    std::printf("%s: %s\n  %lu translations, %lu files, %llu bytes in its TRANSLATION_* folders\n",
                lib.label.c_str(), lib.folder.c_str(), lib.translations, lib.files, lib.bytes);
    printStats("read floor (fresh process reads every file)", lib.read);
    printStats("rich-edit floor (empty program, one rich edit)", lib.richEdit);
    printStats("window floor (the program's window, no library)", lib.window);
    printStats("start to first verse (WaitForInputIdle)", lib.idle);
    printStats("start to verse window seen (cross-check)", lib.verse);
    std::fflush(stdout);
    return true;
}

double median(const std::vector<double>& v) { return summarise(v).median; }

void printTable(const std::vector<Library>& libs, const Floors& floors) {
    std::printf("\n%-10s %5s %10s %6s %8s %12s %9s %12s %7s %7s\n", "library", "trans", "bytes", "files",
                "read ms", "rich-edit ms", "window ms", "first verse", "vs r-e", "vs win");
    for (const Library& lib : libs) {
        const double start = median(lib.idle), richEdit = median(lib.richEdit), window = median(lib.window);
        std::printf("%-10s %5lu %10llu %6lu %8.1f %12.1f %9.1f %12.1f %7.2f %7.2f\n", lib.label.c_str(),
                    lib.translations, lib.bytes, lib.files, median(lib.read), richEdit, window, start,
                    richEdit > 0 ? start / richEdit : 0.0, window > 0 ? start / window : 0.0);
    }
    // Each added translation, where a library holds more than the one before.
    for (size_t i = 1; i < libs.size(); ++i) {
        const Library &a = libs[i - 1], &b = libs[i];
        if (b.translations <= a.translations) continue;
        const double n = static_cast<double>(b.translations - a.translations);
        const double start = (median(b.idle) - median(a.idle)) / n, read = (median(b.read) - median(a.read)) / n;
        std::printf("each translation added from %s to %s: start +%.1f ms, read +%.1f ms, ratio %.2f\n",
                    a.label.c_str(), b.label.c_str(), start, read, read > 0 ? start / read : 0.0);
    }
    const double richEdit = median(floors.richEditIdle), window = median(floors.windowIdle);
    std::printf("(medians; Wine process start floor, an empty program: %.1f ms; over all rounds the rich-edit "
                "floor %.1f ms and the window floor %.1f ms, %.2f times the rich-edit floor)\n",
                median(floors.empty), richEdit, window, richEdit > 0 ? window / richEdit : 0.0);
}

int usage() {
    std::fprintf(stderr,
                 "usage: startup_probe.exe [--runs N] READ_FLOOR_EXE RICHEDIT_FLOOR_EXE WINDOW_FLOOR_EXE "
                 "LABEL=PROGRAM_FOLDER ...\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    LARGE_INTEGER freq;
    QueryPerformanceFrequency(&freq);
    g_ticksPerMs = static_cast<double>(freq.QuadPart) / 1000.0;

    int runs = 10, at = 1;
    if (argc > 2 && std::string(argv[1]) == "--runs") {
        runs = std::atoi(argv[2]);
        at = 3;
    }
    if (runs < 1 || argc - at < 4) return usage();
    Floors floors;
    floors.reader = argv[at++];
    floors.richEdit = argv[at++];
    floors.window = argv[at++];
    std::vector<Library> libs;
    for (; at < argc; ++at) {
        std::string arg = argv[at];
        size_t eq = arg.find('=');
        if (eq == std::string::npos || eq == 0 || eq + 1 == arg.size()) return usage();
        libs.push_back({arg.substr(0, eq), arg.substr(eq + 1)});
    }

    std::printf("%d timed runs each, after one untimed run\n", runs);
    std::fflush(stdout);
    for (Library& lib : libs)
        if (!measureLibrary(floors, runs, lib)) return 1;
    printStats("Wine process start floor (empty program)", floors.empty);
    printTable(libs, floors);
    return 0;
}
