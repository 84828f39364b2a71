// files.cpp
#include "files.h"

#include <algorithm>

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

namespace {

// Writes all bytes, a bounded chunk per call.
bool writeAll(HANDLE h, const std::string& bytes) {
    size_t at = 0;
    while (at < bytes.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - at, 1u << 20));
        DWORD done = 0;
        if (!WriteFile(h, bytes.data() + at, chunk, &done, nullptr) || done == 0) return false;
        at += done;
    }
    return true;
}

std::string tempFor(const FileReplacement& f) { return f.prepared.empty() ? f.path + ".new" : f.prepared; }

// Removes the temporary files left: the caller's prepared ones only when
// nothing of the others was written yet.
void dropTemps(const std::vector<FileReplacement>& files, bool preparedOnly) {
    for (const FileReplacement& f : files)
        if (!f.remove && (!preparedOnly || !f.prepared.empty()) && fileExists(tempFor(f)))
            DeleteFileA(tempFor(f).c_str());
}

// What may stop a replacement before anything is written.
bool inTheWay(const std::vector<FileReplacement>& files, ReplaceFailure& failure) {
    using Step = ReplaceFailure::Step;
    for (const FileReplacement& f : files) {
        failure.path = f.path;
        failure.temp = tempFor(f);
        DWORD a = GetFileAttributesA(f.path.c_str());
        if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY)) failure.step = Step::FolderAtPath;
        // A file the user marked read-only stays as it is, whatever the file
        // system would let a move over it do.
        else if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY)) failure.step = Step::ReadOnly;
        else continue;
        return true;
    }
    return false;
}

// Writes one file's temporary file; false with failure set.
bool prepare(const FileReplacement& f, ReplaceFailure& failure) {
    using Step = ReplaceFailure::Step;
    failure.path = f.path;
    failure.temp = tempFor(f);
    if (folderExists(failure.temp)) {
        failure.step = Step::FolderAtTemp;
        return false;
    }
    File out(CreateFileA(failure.temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                         nullptr));
    if (!out) {
        failure.error = GetLastError();
        failure.step = Step::CreateTemp;
        return false;
    }
    if (!writeAll(out.get(), f.content) || !FlushFileBuffers(out.get())) {
        failure.error = GetLastError();
        failure.step = Step::WriteTemp;
        return false;
    }
    return true;
}

// Puts one prepared file in place, or removes it; false with failure set.
bool commit(const FileReplacement& f, ReplaceFailure& failure) {
    failure.path = f.path;
    failure.temp = tempFor(f);
    if (f.remove) {
        if (DeleteFileA(f.path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND) return true;
        failure.error = GetLastError();
        failure.step = ReplaceFailure::Step::Delete;
        return false;
    }
    const DWORD replace = f.overwrite ? MOVEFILE_REPLACE_EXISTING : 0;
    if (MoveFileExA(failure.temp.c_str(), f.path.c_str(), replace | MOVEFILE_WRITE_THROUGH)) return true;
    failure.error = GetLastError();
    failure.step = ReplaceFailure::Step::Replace;
    return false;
}

} // namespace

bool replaceFiles(const std::vector<FileReplacement>& files, ReplaceFailure* failure) {
    ReplaceFailure local;
    ReplaceFailure& why = failure ? *failure : local;
    why = ReplaceFailure{};
    if (inTheWay(files, why)) {
        dropTemps(files, true);
        return false;
    }
    for (const FileReplacement& f : files) {
        if (f.remove || !f.prepared.empty() || prepare(f, why)) continue;
        dropTemps(files, false);
        return false;
    }
    for (const FileReplacement& f : files) {
        if (commit(f, why)) continue;
        dropTemps(files, false);
        return false;
    }
    return true;
}

std::string systemErrorText(DWORD code, HMODULE messageModule) {
    char* text = nullptr;
    DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    if (messageModule) flags |= FORMAT_MESSAGE_FROM_HMODULE;
    DWORD n = FormatMessageA(flags, messageModule, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string out = n && text ? std::string(text, n) : "Windows error " + std::to_string(code) + ".";
    if (text) LocalFree(text);
    while (!out.empty() && (out.back() == '\r' || out.back() == '\n' || out.back() == ' ')) out.pop_back();
    return out;
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
