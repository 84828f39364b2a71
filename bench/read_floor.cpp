// read_floor.cpp
// The floor under the start-up figures: a program that does only what no
// start-up can avoid. Without an argument it ends at once, which measures a
// bare process start. Given a program folder, it reads every file of the
// folder's TRANSLATION_* folders, with the same find and read calls the
// verse reminder uses, and writes "<bytes> <files>" to its standard output
// (the driver hands it a pipe). A GUI-subsystem program that imports only
// kernel32 (and the C runtime), so it pays for nothing the reading does
// not need; the exit code is 1 when a file could not be read.
#include <windows.h>

#include <string>

#include "common/win32/files.h"

namespace {

struct Totals {
    unsigned long long bytes = 0;
    unsigned long files = 0;
    bool ok = true;
};

Totals readLibrary(const std::string& root) {
    Totals t;
    std::string content;
    for (const win32::FoundEntry& folder : win32::findEntries(root + "\\TRANSLATION_*.*")) {
        if (!folder.isFolder) continue;
        std::string dir = root + "\\" + folder.name + "\\";
        for (const win32::FoundEntry& file : win32::findEntries(dir + "*")) {
            if (file.isFolder) continue;
            if (!win32::readWholeFile(dir + file.name, content)) {
                t.ok = false;
                continue;
            }
            t.bytes += content.size();
            ++t.files;
        }
    }
    return t;
}

// The one argument, a folder, with blanks and quotes around it removed.
std::string folderArgument(const char* cmdLine) {
    std::string s = cmdLine ? cmdLine : "";
    size_t first = s.find_first_not_of(" \t\"");
    size_t last = s.find_last_not_of(" \t\"");
    return first == std::string::npos ? std::string() : s.substr(first, last - first + 1);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR cmdLine, int) {
    std::string root = folderArgument(cmdLine);
    Totals t = root.empty() ? Totals{} : readLibrary(root);
    std::string line = std::to_string(t.bytes) + " " + std::to_string(t.files) + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line.data(), static_cast<DWORD>(line.size()),
              &written, nullptr);
    return t.ok ? 0 : 1;
}
