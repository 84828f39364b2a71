// files.cpp
#include "files.h"

#include <algorithm>
#include <atomic>

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

std::string folderOf(const std::string& path) {
    const size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
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

// "<name>.<8 hex digits>.<suffix>" beside path.
std::function<std::string(std::uint32_t)> besideName(const std::string& path, const char* suffix) {
    const std::string name = path.substr(folderOf(path).size());
    return [name, suffix](std::uint32_t n) {
        static const char hex[] = "0123456789ABCDEF";
        std::string out = name + ".";
        for (int shift = 28; shift >= 0; shift -= 4) out += hex[(n >> shift) & 0xF];
        return out + "." + suffix;
    };
}

// What a replacement has done to one file, so that a failure later in the
// set can undo it.
struct Done {
    std::string temp;   // its temporary file, until moved in
    std::string backup; // the copy of the old file, when one was kept
    bool touched = false; // the file was replaced or removed
    bool hadOld = false;  // a file was there before
};

// What may stop a replacement before anything is written.
bool inTheWay(const std::vector<FileReplacement>& files, ReplaceFailure& failure) {
    using Kind = ReplaceFailure::Step;
    for (const FileReplacement& f : files) {
        failure.path = f.path;
        failure.temp = f.prepared;
        DWORD a = GetFileAttributesA(f.path.c_str());
        if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY)) failure.step = Kind::FolderAtPath;
        // A file the user marked read-only stays as it is, whatever the file
        // system would let a move over it do.
        else if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY)) failure.step = Kind::ReadOnly;
        else continue;
        return true;
    }
    return false;
}

// Writes one file's new content to a temporary file of its own; false with
// failure set (temp names what was made, to be removed).
bool prepare(const FileReplacement& f, std::string& temp, ReplaceFailure& failure) {
    using Kind = ReplaceFailure::Step;
    failure.path = f.path;
    File out = createUniqueFile(folderOf(f.path), besideName(f.path, "new"), 0, temp);
    failure.temp = temp;
    if (!out) {
        failure.error = GetLastError();
        failure.step = Kind::CreateTemp;
        temp.clear();
        return false;
    }
    if (!writeAll(out.get(), f.content) || !FlushFileBuffers(out.get())) {
        failure.error = GetLastError();
        failure.step = Kind::WriteTemp;
        return false;
    }
    return true;
}

// A flushed copy of the old file at path beside it; false (nothing left)
// when it could not be made.
bool keepOld(const std::string& path, std::string& backup) {
    File reserved = createUniqueFile(folderOf(path), besideName(path, "old"), 0, backup);
    if (!reserved) return false;
    reserved.reset();
    if (CopyFileA(path.c_str(), backup.c_str(), FALSE)) {
        File copy(CreateFileA(backup.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr));
        if (copy && FlushFileBuffers(copy.get())) return true;
    }
    const DWORD error = GetLastError();
    DeleteFileA(backup.c_str());
    backup.clear();
    SetLastError(error);
    return false;
}

// Replaces or removes one file, keeping its old copy first when keep; false
// with failure set.
bool commit(const FileReplacement& f, bool keep, Done& done, ReplaceFailure& failure) {
    using Kind = ReplaceFailure::Step;
    failure.path = f.path;
    failure.temp = done.temp;
    done.hadOld = fileExists(f.path);
    if (keep && done.hadOld && f.overwrite && !keepOld(f.path, done.backup)) {
        failure.error = GetLastError();
        failure.step = Kind::Replace;
        return false;
    }
    if (f.remove) {
        if (DeleteFileA(f.path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND) {
            done.touched = done.hadOld;
            return true;
        }
        failure.error = GetLastError();
        failure.step = Kind::Delete;
        return false;
    }
    const DWORD replace = f.overwrite ? MOVEFILE_REPLACE_EXISTING : 0;
    if (MoveFileExA(done.temp.c_str(), f.path.c_str(), replace | MOVEFILE_WRITE_THROUGH)) {
        done.temp.clear();
        done.touched = true;
        return true;
    }
    failure.error = GetLastError();
    failure.step = Kind::Replace;
    return false;
}

// Puts a touched file back as it was: its old copy moved back, or a file
// only added removed. A copy that cannot be moved back stays beside it.
void putBack(const FileReplacement& f, Done& done) {
    if (!done.touched) return;
    if (!done.backup.empty()) {
        if (MoveFileExA(done.backup.c_str(), f.path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            done.backup.clear();
    } else if (!done.hadOld) {
        DeleteFileA(f.path.c_str());
    }
}

} // namespace

File createUniqueFile(const std::string& folder, const std::function<std::string(std::uint32_t)>& nameFor,
                      DWORD share, std::string& path) {
    // Numbers start where another process, or an earlier run, is unlikely to be.
    static std::atomic<std::uint32_t> next{GetTickCount() ^ (GetCurrentProcessId() << 16)};
    for (int attempt = 0; attempt < 256; ++attempt) {
        path = folder + nameFor(next++);
        File f(CreateFileA(path.c_str(), GENERIC_WRITE, share, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (f) return f;
        const DWORD error = GetLastError();
        // A name taken, by a file or a folder, is passed over.
        const bool taken = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ||
                           (error == ERROR_ACCESS_DENIED && folderExists(path));
        SetLastError(error);
        if (!taken) return f;
    }
    return File();
}

bool replaceFiles(const std::vector<FileReplacement>& files, ReplaceFailure* failure) {
    ReplaceFailure local;
    ReplaceFailure& why = failure ? *failure : local;
    why = ReplaceFailure{};
    std::vector<Done> steps(files.size());
    for (size_t i = 0; i < files.size(); ++i) steps[i].temp = files[i].prepared;
    // On failure: the files touched go back, last first, and no temporary
    // file or copy is left.
    auto undo = [&] {
        for (size_t i = files.size(); i-- > 0;) putBack(files[i], steps[i]);
        for (Done& s : steps) {
            if (!s.temp.empty()) DeleteFileA(s.temp.c_str());
            if (!s.backup.empty() && !s.touched) DeleteFileA(s.backup.c_str());
        }
        return false;
    };
    if (inTheWay(files, why)) return undo();
    for (size_t i = 0; i < files.size(); ++i)
        if (!files[i].remove && files[i].prepared.empty() && !prepare(files[i], steps[i].temp, why)) return undo();
    // The last file needs no copy: nothing after it can fail.
    for (size_t i = 0; i < files.size(); ++i)
        if (!commit(files[i], i + 1 < files.size(), steps[i], why)) return undo();
    for (const Done& s : steps)
        if (!s.backup.empty()) DeleteFileA(s.backup.c_str());
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
