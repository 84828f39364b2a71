// files.cpp
#include "files.h"

#include "handles.h"

namespace win32 {

std::string moduleFolder() {
    char buf[MAX_PATH * 2];
    DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
    std::string path(buf, n < sizeof buf ? n : 0);
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool readWholeFile(const std::string& path, std::string& content) {
    content.clear();
    File f(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(f.get(), &size) || size.QuadPart > 0x40000000) return false;
    content.resize(static_cast<size_t>(size.QuadPart));
    DWORD done = 0;
    size_t at = 0;
    while (at < content.size()) {
        if (!ReadFile(f.get(), &content[at], static_cast<DWORD>(content.size() - at), &done, nullptr))
            return false;
        if (done == 0) break;
        at += done;
    }
    content.resize(at);
    return true;
}

static bool writeAll(HANDLE h, const std::string& bytes) {
    size_t at = 0;
    while (at < bytes.size()) {
        DWORD done = 0;
        if (!WriteFile(h, bytes.data() + at, static_cast<DWORD>(bytes.size() - at), &done, nullptr) ||
            done == 0)
            return false;
        at += done;
    }
    return true;
}

bool replaceFileContents(const std::string& path, const std::string& content) {
    // A file the user marked read-only stays as it is, whatever the file
    // system would let a move over it do.
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return false;
    std::string temp = path + ".new";
    {
        File f(CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!f) return false;
        if (!writeAll(f.get(), content) || !FlushFileBuffers(f.get())) {
            f.reset();
            DeleteFileA(temp.c_str());
            return false;
        }
    }
    if (!MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(temp.c_str());
        return false;
    }
    return true;
}

bool appendToFile(const std::string& path, const std::string& bytes) {
    File f(CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) return false;
    return writeAll(f.get(), bytes);
}

bool fileExists(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool folderExists(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<FoundEntry> findEntries(const std::string& pattern) {
    std::vector<FoundEntry> out;
    WIN32_FIND_DATAA fd;
    FindHandle h(FindFirstFileA(pattern.c_str(), &fd));
    if (!h) return out;
    do {
        std::string name = fd.cFileName;
        if (name == "." || name == "..") continue;
        out.push_back({name, (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileA(h.get(), &fd));
    return out;
}

} // namespace win32
