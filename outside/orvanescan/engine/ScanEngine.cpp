// ScanEngine.cpp
#include "ScanEngine.h"

#include <windows.h>

#include <new>

#include "common/win32/files.h"
#include "embedded_lists.h"
#include "entry_reference.h"
#include "file_probe.h"

namespace orvanescan {

namespace {

// Marks the engine busy for a scope; cleared before EnumComplete.
class BusyScope {
public:
    explicit BusyScope(bool& flag) : m_flag(flag) { m_flag = true; }
    ~BusyScope() { m_flag = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& m_flag;
};

std::string folderSetting(const std::string& folder) {
    return folder.empty() ? folder : FullPath(ExpandText(folder));
}

std::string systemFolder() {
    char buf[MAX_PATH];
    const UINT n = GetSystemDirectoryA(buf, sizeof buf);
    return n > 0 && n < sizeof buf ? std::string(buf, n) : std::string();
}

std::string windowsFolder() {
    char buf[MAX_PATH];
    const UINT n = GetWindowsDirectoryA(buf, sizeof buf);
    return n > 0 && n < sizeof buf ? std::string(buf, n) : std::string();
}

std::string environmentPath() {
    const DWORD n = GetEnvironmentVariableA("PATH", nullptr, 0);
    if (n == 0) return {};
    std::string value(n, '\0');
    const DWORD got = GetEnvironmentVariableA("PATH", value.data(), n);
    value.resize(got < n ? got : 0);
    return value;
}

} // namespace

std::string FolderOf(const std::string& path) {
    const size_t cut = path.find_last_of("\\/");
    if (cut == std::string::npos) return {};
    // Keep the root's separator: the folder of "C:\x.exe" is "C:\".
    return path.substr(0, cut == 2 && path[1] == ':' ? cut + 1 : cut);
}

SearchFolders ScanEngine::searchFolders(const std::string& contextFolder) const {
    SearchFolders f;
    const AppPath app = ReadAppPath(settings.applicationName);
    f.program = folderSetting(settings.fileCurrentDir);
    if (f.program.empty()) f.program = contextFolder;
    if (f.program.empty()) f.program = app.folder;
    if (f.program.empty()) f.program = win32::moduleFolder();
    f.system = systemFolderOverride.empty() ? systemFolder() : systemFolderOverride;
    f.windows = windowsFolderOverride.empty() ? windowsFolder() : windowsFolderOverride;
    f.searchPath = environmentPath();
    for (const std::string& folder : app.folders) f.otherPaths.push_back(ExpandText(folder));
    if (!settings.userDirectory.empty()) f.otherPaths.push_back(folderSetting(settings.userDirectory));
    return f;
}

CurrentFile ScanEngine::check(const Reference& ref, const SearchFolders& folders) const {
    CurrentFile c;
    c.ref = ref;
    c.ref.otherPaths = ExpandText(ref.otherPaths);
    const auto candidates = CandidatePaths(c.ref, folders);
    if (!candidates.empty()) c.expectedPath = FullPath(candidates.front().path);
    for (const Candidate& candidate : candidates) {
        auto copy = ProbeFile(candidate.path, candidate.source);
        if (!copy) continue;
        bool seen = false;
        for (const CopyFacts& other : c.copies) seen = seen || SameFile(other.path, copy->path);
        if (!seen) c.copies.push_back(std::move(*copy));
    }
    Findings findings;
    findings.found = c.found();
    const std::string foundPath = c.found() ? c.found()->path : std::string();
    if (ref.typeLib.hasGuid()) {
        findings.registrations = ReadRegistrations(ref.typeLib, foundPath);
        c.registration = ChooseRegistration(findings.registrations);
    }
    if (ref.warnings & conflict::kInMemory) findings.loadedElsewhere = LoadedElsewhere(ref.name, foundPath);
    c.flags = ComputeConflicts(c.ref, findings);
    return c;
}

ScanEngine::Lists ScanEngine::listsOf(orvane36::ByteStream& blob) {
    orvane36::ListRead read = orvane36::ReadListBlob(blob);
    return {std::move(read.list), read.failed()};
}

bool ScanEngine::listsOfFile(const std::string& path, Lists& lists) {
    MappedFile file;
    if (!file.open(path)) return false;
    for (EmbeddedList& found : FindEmbeddedLists(file.bytes())) {
        lists.damaged = lists.damaged || found.read.failed();
        for (orvane36::FileEntry& e : found.read.list) lists.entries.push_back(std::move(e));
    }
    return true;
}

ScanEngine::Result ScanEngine::finish(Result result, EngineEvents& events) {
    events.enumComplete();
    return result;
}

ScanEngine::Result ScanEngine::runVerify(const std::vector<Reference>& refs, const std::string& contextFolder,
                                         bool damaged, EngineEvents& events) {
    Result result = damaged && settings.readPropErrors ? Result::ListDamaged : Result::Done;
    try {
        BusyScope busy(m_busy);
        const SearchFolders folders = searchFolders(contextFolder);
        for (const Reference& ref : refs) {
            CurrentFile c = check(ref, folders);
            if (c.flags == 0) continue;
            m_current = std::move(c);
            // Copies: a handler may reset the engine inside the event.
            const std::string name = m_current.ref.name;
            const std::string found = m_current.found() ? m_current.found()->path : std::string();
            if (events.fileConflict(name, found, m_current.flags)) break;
        }
    } catch (const std::bad_alloc&) {
        result = Result::OutOfMemory;
    }
    return finish(result, events);
}

ScanEngine::Result ScanEngine::runScan(const std::vector<orvane36::FileEntry>& entries, bool damaged,
                                       EngineEvents& events) {
    Result result = damaged && settings.readPropErrors ? Result::ListDamaged : Result::Done;
    try {
        BusyScope busy(m_busy);
        for (const orvane36::FileEntry& entry : entries) {
            m_current = CurrentFile{};
            m_current.ref = ReferenceFromEntry(entry);
            const std::string name = m_current.ref.name;
            if (events.fileScan(name, m_current.ref.warnings, m_current.ref.pathBits)) break;
        }
    } catch (const std::bad_alloc&) {
        result = Result::OutOfMemory;
    }
    return finish(result, events);
}

ScanEngine::Result ScanEngine::verifyList(orvane36::ByteStream& blob, uint32_t extraWarnings,
                                          EngineEvents& events) {
    if (m_busy) return Result::Busy;
    Lists lists = listsOf(blob);
    std::vector<Reference> refs;
    for (const orvane36::FileEntry& e : lists.entries) {
        refs.push_back(ReferenceFromEntry(e));
        refs.back().warnings |= extraWarnings & conflict::kAll;
    }
    return runVerify(refs, {}, lists.damaged, events);
}

ScanEngine::Result ScanEngine::scanList(orvane36::ByteStream& blob, EngineEvents& events) {
    if (m_busy) return Result::Busy;
    Lists lists = listsOf(blob);
    return runScan(lists.entries, lists.damaged, events);
}

bool ScanEngine::openProgram(const std::string& path, Lists& lists, EngineEvents& events) {
    if (listsOfFile(path, lists)) return true;
    // The run still completes; GetLastError keeps why it found nothing.
    const DWORD error = GetLastError();
    finish(Result::FileUnreadable, events);
    SetLastError(error);
    return false;
}

ScanEngine::Result ScanEngine::verifyFile(const std::string& path, EngineEvents& events) {
    if (m_busy) return Result::Busy;
    m_verifyFile = path;
    Lists lists;
    if (!openProgram(path, lists, events)) return Result::FileUnreadable;
    std::vector<Reference> refs;
    for (const orvane36::FileEntry& e : lists.entries) refs.push_back(ReferenceFromEntry(e));
    return runVerify(refs, FolderOf(FullPath(path)), lists.damaged, events);
}

ScanEngine::Result ScanEngine::scanFile(const std::string& path, EngineEvents& events) {
    if (m_busy) return Result::Busy;
    m_scanFile = path;
    Lists lists;
    if (!openProgram(path, lists, events)) return Result::FileUnreadable;
    return runScan(lists.entries, lists.damaged, events);
}

ScanEngine::Result ScanEngine::verifyObject(const Reference& ref, EngineEvents& events) {
    if (m_busy) return Result::Busy;
    return runVerify({ref}, {}, false, events);
}

void ScanEngine::reset() {
    m_current = CurrentFile{};
    m_verifyFile.clear();
    m_scanFile.clear();
}

} // namespace orvanescan
