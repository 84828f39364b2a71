// engine_fixture.cpp
#include "engine_fixture.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "common/win32/handles.h"

namespace orvanescan_test {

namespace {

uint64_t fromFileTime(const FILETIME& ft) { return uint64_t(ft.dwHighDateTime) << 32 | ft.dwLowDateTime; }

std::string environment(const char* name) {
    char buf[32768];
    const DWORD n = GetEnvironmentVariableA(name, buf, sizeof buf);
    return n > 0 && n < sizeof buf ? std::string(buf, n) : std::string();
}

void makeFolder(const std::string& path) { ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path; }

} // namespace

std::string fixturePath(const std::string& kind) {
    return std::string(FIXTURES) + (kind == "host" ? "\\orvfix_host.exe" : "\\orvfix_" + kind + ".dll");
}

std::string place(const std::string& kind, const std::string& folder, const std::string& name) {
    const std::string to = folder + "\\" + name;
    EXPECT_TRUE(CopyFileA(fixturePath(kind).c_str(), to.c_str(), FALSE)) << fixturePath(kind) << " -> " << to;
    return to;
}

uint64_t fileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA d;
    EXPECT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &d)) << path;
    return uint64_t(d.nFileSizeHigh) << 32 | d.nFileSizeLow;
}

void setWriteTime(const std::string& path, uint64_t fileTime) {
    win32::File f(CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(f) << path;
    FILETIME ft{static_cast<DWORD>(fileTime), static_cast<DWORD>(fileTime >> 32)};
    ASSERT_TRUE(SetFileTime(f.get(), nullptr, nullptr, &ft));
}

uint64_t writeTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA d;
    EXPECT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &d)) << path;
    return fromFileTime(d.ftLastWriteTime);
}

uint64_t utcFileTime(int year, int month, int day, int hour, int minute, int second) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(year);
    st.wMonth = static_cast<WORD>(month);
    st.wDay = static_cast<WORD>(day);
    st.wHour = static_cast<WORD>(hour);
    st.wMinute = static_cast<WORD>(minute);
    st.wSecond = static_cast<WORD>(second);
    FILETIME ft;
    EXPECT_TRUE(SystemTimeToFileTime(&st, &ft));
    return fromFileTime(ft);
}

std::vector<uint8_t> readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool Recorder::fileConflict(const std::string& referenceFile, const std::string& foundFile, uint32_t flags) {
    events.push_back({Event::Conflict, referenceFile, foundFile, flags, 0, m_engine.busy(), m_engine.current()});
    return onConflict ? onConflict(events.back()) : false;
}

bool Recorder::fileScan(const std::string& referenceFile, uint32_t verifyFlags, uint32_t pathFlags) {
    events.push_back({Event::Scan, referenceFile, {}, verifyFlags, pathFlags, m_engine.busy(), m_engine.current()});
    return onScan ? onScan(events.back()) : false;
}

void Recorder::enumComplete() {
    events.push_back({Event::Complete, {}, {}, 0, 0, m_engine.busy(), {}});
    if (onComplete) onComplete();
}

std::vector<Event> Recorder::conflicts() const {
    std::vector<Event> out;
    for (const Event& e : events) {
        if (e.kind == Event::Conflict) out.push_back(e);
    }
    return out;
}

const Event& Recorder::conflict(size_t i) const {
    for (const Event& e : events) {
        if (e.kind == Event::Conflict && i-- == 0) return e;
    }
    throw std::out_of_range("no such conflict");
}

size_t Recorder::completions() const {
    size_t n = 0;
    for (const Event& e : events) n += e.kind == Event::Complete;
    return n;
}

void EngineTest::SetUp() {
    prog = root / "prog";
    sys = root / "sys";
    win = root / "win";
    path1 = root / "path1";
    path2 = root / "path 2";
    other = root / "other";
    for (const std::string& f : {prog, sys, win, path1, path2, other}) makeFolder(f);
    engine.settings.fileCurrentDir = prog;
    engine.systemFolderOverride = sys;
    engine.windowsFolderOverride = win;
    m_savedPath = environment("PATH");
    SetEnvironmentVariableA("PATH", (path1 + ";\"" + path2 + "\"").c_str());
}

void EngineTest::TearDown() { SetEnvironmentVariableA("PATH", m_savedPath.c_str()); }

Reference EngineTest::ref(uint32_t warnings, uint32_t pathBits, const std::string& name) {
    Reference r;
    r.name = name;
    r.warnings = warnings;
    r.pathBits = pathBits;
    return r;
}

uint32_t EngineTest::conflictBits(const Reference& r) {
    events.events.clear();
    EXPECT_EQ(engine.verifyObject(r, events), ScanEngine::Result::Done);
    EXPECT_EQ(events.completions(), 1u);
    EXPECT_EQ(events.events.back().kind, Event::Complete);
    const auto found = events.conflicts();
    EXPECT_LE(found.size(), 1u);
    return found.empty() ? 0 : found[0].flags;
}

} // namespace orvanescan_test
