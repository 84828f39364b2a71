// engine_runs_test.cpp
// Whole runs: where copies are found and in which order, stop flags,
// EnumComplete, runs asked for from inside events, and the lists a real
// program carries.
#include <gtest/gtest.h>

#include "embedded_lists.h"
#include "engine_fixture.h"
#include "entry_reference.h"
#include "common/win32/handles.h"
#include "file_probe.h"

using namespace orvanescan;
using namespace orvanescan_test;

namespace {

orvane36::MemoryStream listOf(const std::vector<Reference>& refs, bool slave = false) {
    orvane36::FileList list;
    for (const Reference& r : refs) list.push_back(EntryFromReference(r));
    orvane36::MemoryStream s;
    EXPECT_TRUE(orvane36::WriteListBlob(list, s, slave));
    s.rewind();
    return s;
}

} // namespace

TEST_F(EngineTest, EveryCopyInSearchOrderTheFirstIsFound) {
    const std::string found = place("v1", prog);
    place("v2", sys);
    place("v2", win);
    place("special", path2);
    place("none", other);
    Reference r = ref(conflict::kNewerVersion, path_bits::kAll);
    r.fixed = FixedFileInfo{};
    r.otherPaths = other;
    EXPECT_EQ(conflictBits(r), conflict::kNewerVersion);
    const Event& e = events.conflict(0);
    ASSERT_EQ(e.current.copies.size(), 5u);
    EXPECT_TRUE(SameFile(e.foundFile, found));
    EXPECT_EQ(e.current.copies[0].path, e.foundFile);
    const std::vector<std::string> folders = {prog, sys, win, path2, other};
    const std::vector<uint32_t> sources = {1, 2, 4, 8, 16};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_TRUE(SameFile(e.current.copies[i].path, folders[i] + "\\orvfix.dll")) << i;
        EXPECT_EQ(e.current.copies[i].source, sources[i]) << i;
    }
    EXPECT_EQ(e.current.copies[1].versionString, "2.0.0.0");

    // A folder reached twice (PATH names the program folder too) gives
    // one copy; a path-dependent entry looks in the first folder only.
    SetEnvironmentVariableA("PATH", (prog + "\\;" + path2).c_str());
    r.pathBits = path_bits::kProgramFolder | path_bits::kSearchPath;
    EXPECT_EQ(conflictBits(r), conflict::kNewerVersion);
    EXPECT_EQ(events.conflict(0).current.copies.size(), 2u);
    r.pathDependent = true;
    EXPECT_EQ(conflictBits(r), conflict::kNewerVersion);
    EXPECT_EQ(events.conflict(0).current.copies.size(), 1u);
}

TEST_F(EngineTest, OtherPathsExpandVariablesAndAddTheEnginesFolders) {
    SetEnvironmentVariableA("ORVSCAN_TEST_OTHER", other.c_str());
    place("v1", other);
    const std::string user = place("v2", path1);
    Reference r = ref(conflict::kAlwaysWarn, path_bits::kOtherPaths);
    r.otherPaths = "%ORVSCAN_TEST_OTHER%";
    engine.settings.userDirectory = path1;
    EXPECT_EQ(conflictBits(r), conflict::kAlwaysWarn);
    const auto& copies = events.conflict(0).current.copies;
    ASSERT_EQ(copies.size(), 2u);
    EXPECT_TRUE(SameFile(copies[0].path, other + "\\orvfix.dll"));
    EXPECT_TRUE(SameFile(copies[1].path, user));
}

TEST_F(EngineTest, AnApplicationsAppPathsRegistration) {
    // ApplicationName's App Paths entry names the program folder (when
    // nothing closer does) and adds its Path folders to the other paths.
    const std::string key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\orvscantest.exe";
    win32::RegKey k;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, k.put(), nullptr),
              ERROR_SUCCESS);
    const std::string exe = "\"" + win + "\\orvscantest.exe\"";
    const std::string folders = path2 + ";%ORVSCAN_TEST_OTHER%";
    RegSetValueExA(k.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(exe.c_str()),
                   static_cast<DWORD>(exe.size() + 1));
    RegSetValueExA(k.get(), "Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(folders.c_str()),
                   static_cast<DWORD>(folders.size() + 1));
    SetEnvironmentVariableA("ORVSCAN_TEST_OTHER", other.c_str());
    place("v1", win);
    place("v1", other);
    engine.settings.fileCurrentDir.clear();
    engine.settings.applicationName = "orvscantest.exe";
    const auto folder = [&](uint32_t bits) {
        conflictBits(ref(conflict::kAlwaysWarn, bits));
        const auto& copies = events.conflict(0).current.copies;
        return copies.empty() ? std::string() : copies[0].path;
    };
    EXPECT_TRUE(SameFile(folder(path_bits::kProgramFolder), win + "\\orvfix.dll"));
    EXPECT_TRUE(SameFile(folder(path_bits::kOtherPaths), other + "\\orvfix.dll"));
    engine.settings.applicationName.clear();
    EXPECT_EQ(folder(path_bits::kOtherPaths), "");
    k.reset();
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, key.c_str());
}

TEST_F(EngineTest, TheProgramFolderFollowsTheCheckedProgram) {
    // Without FileCurrentDir, a program's lists are looked up beside it.
    engine.settings.fileCurrentDir.clear();
    const std::string host = place("host", prog, "host.exe");
    place("v2", prog);
    SetEnvironmentVariableA("ORVSCAN_TEST_OTHER", other.c_str());
    place("v1", other, "orvother.dll");
    EXPECT_EQ(engine.verifyFile(host, events), ScanEngine::Result::Done);
    EXPECT_EQ(engine.verifyFilePath(), host);
    // orvfix.dll (2.0 wanted) and orvother.dll (1.0 wanted) are there;
    // orvmissing.dll is not, and always warns.
    const auto conflicts = events.conflicts();
    ASSERT_EQ(conflicts.size(), 1u);
    EXPECT_EQ(conflicts[0].referenceFile, "orvmissing.dll");
    EXPECT_EQ(conflicts[0].flags, conflict::kNotFound | conflict::kAlwaysWarn);
    EXPECT_EQ(events.events.back().kind, Event::Complete);

    // FileCurrentDir names the program folder instead.
    events.events.clear();
    engine.settings.fileCurrentDir = sys;
    EXPECT_EQ(engine.verifyFile(host, events), ScanEngine::Result::Done);
    EXPECT_EQ(events.conflicts().size(), 2u);
}

TEST_F(EngineTest, AStopFlagEndsTheRunAfterTheCurrentEvent) {
    auto blob = listOf({ref(conflict::kNotFound, 1, "a.dll"), ref(conflict::kNotFound, 1, "b.dll"),
                        ref(conflict::kNotFound, 1, "c.dll")});
    events.onConflict = [](const Event& e) { return e.referenceFile == "b.dll"; };
    EXPECT_EQ(engine.verifyList(blob, 0, events), ScanEngine::Result::Done);
    ASSERT_EQ(events.events.size(), 3u);
    EXPECT_EQ(events.events[0].referenceFile, "a.dll");
    EXPECT_EQ(events.events[1].referenceFile, "b.dll");
    EXPECT_EQ(events.events[2].kind, Event::Complete);

    // The same for a scan.
    events.events.clear();
    auto again = listOf({ref(0, 1, "a.dll"), ref(0, 1, "b.dll")});
    events.onScan = [](const Event&) { return true; };
    EXPECT_EQ(engine.scanList(again, events), ScanEngine::Result::Done);
    ASSERT_EQ(events.events.size(), 2u);
    EXPECT_EQ(events.events[0].kind, Event::Scan);
    EXPECT_EQ(events.events[1].kind, Event::Complete);
}

TEST_F(EngineTest, EnumCompleteEndsEveryRun) {
    // Nothing conflicting.
    place("v1", prog);
    EXPECT_EQ(conflictBits(ref(conflict::kNotFound)), 0u);
    ASSERT_EQ(events.events.size(), 1u);

    // A program file that is not there: the run still completes, and says
    // why it found nothing.
    events.events.clear();
    EXPECT_EQ(engine.verifyFile(prog + "\\absent.exe", events), ScanEngine::Result::FileUnreadable);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(engine.scanFile(prog + "\\absent.exe", events), ScanEngine::Result::FileUnreadable);
    ASSERT_EQ(events.events.size(), 2u);
    EXPECT_EQ(events.completions(), 2u);

    // A program without lists, and an empty one, complete with nothing.
    events.events.clear();
    EXPECT_EQ(engine.scanFile(fixturePath("v1"), events), ScanEngine::Result::Done);
    const std::string empty = prog + "\\empty.exe";
    win32::File(CreateFileA(empty.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr)).reset();
    EXPECT_EQ(engine.verifyFile(empty, events), ScanEngine::Result::Done);
    EXPECT_EQ(events.events.size(), 2u);
    EXPECT_EQ(events.completions(), 2u);
}

TEST_F(EngineTest, BusyDuringARunFreeAtItsEnd) {
    auto blob = listOf({ref(conflict::kNotFound, 1, "a.dll")});
    const std::string host = place("host", prog, "host.exe");
    ScanEngine::Result nested = ScanEngine::Result::Done;
    events.onConflict = [&](const Event& e) {
        EXPECT_TRUE(e.busy);
        // A run asked for inside an event is refused and raises nothing.
        nested = engine.scanFile(host, events);
        return false;
    };
    bool nestedFromComplete = false;
    events.onComplete = [&] {
        if (nestedFromComplete) return;
        nestedFromComplete = true;
        EXPECT_FALSE(engine.busy());
        // From EnumComplete the next run may start, as the check program
        // starts its scan.
        EXPECT_EQ(engine.scanFile(host, events), ScanEngine::Result::Done);
    };
    EXPECT_EQ(engine.verifyList(blob, 0, events), ScanEngine::Result::Done);
    EXPECT_EQ(nested, ScanEngine::Result::Busy);
    EXPECT_FALSE(engine.busy());
    // Conflict, outer EnumComplete, the nested scan's three files and its
    // EnumComplete, all inside the outer call.
    std::vector<Event::Kind> kinds;
    for (const Event& e : events.events) kinds.push_back(e.kind);
    EXPECT_EQ(kinds, (std::vector<Event::Kind>{Event::Conflict, Event::Complete, Event::Scan, Event::Scan, Event::Scan,
                                               Event::Complete}));
    EXPECT_EQ(engine.scanFilePath(), host);
}

TEST_F(EngineTest, AScanReportsEachListedFileOfEveryList) {
    const std::string host = place("host", prog, "host.exe");
    EXPECT_EQ(engine.scanFile(host, events), ScanEngine::Result::Done);
    ASSERT_EQ(events.events.size(), 4u);
    const Event& fix = events.events[0];
    EXPECT_EQ(fix.referenceFile, "orvfix.dll");
    EXPECT_EQ(fix.flags, conflict::kNotFound | conflict::kOlderVersion);
    EXPECT_EQ(fix.pathFlags, path_bits::kProgramFolder);
    EXPECT_EQ(fix.current.ref.name, "orvfix.dll");
    EXPECT_TRUE(fix.current.copies.empty());
    EXPECT_EQ(events.events[1].referenceFile, "orvmissing.dll");
    EXPECT_EQ(events.events[1].pathFlags, path_bits::kAll);
    EXPECT_EQ(events.events[2].referenceFile, "orvother.dll");   // the second list
    EXPECT_EQ(events.events[2].pathFlags, path_bits::kOtherPaths);
    EXPECT_EQ(events.events[3].kind, Event::Complete);
}

TEST_F(EngineTest, ExtraWarningsApplyToEveryEntry) {
    place("v1", prog, "a.dll");
    place("v1", prog, "b.dll");
    auto blob = listOf({ref(conflict::kNotFound, 1, "a.dll"), ref(conflict::kNotFound, 1, "b.dll")});
    EXPECT_EQ(engine.verifyList(blob, conflict::kAlwaysWarn, events), ScanEngine::Result::Done);
    ASSERT_EQ(events.conflicts().size(), 2u);
    EXPECT_EQ(events.conflicts()[1].flags, conflict::kAlwaysWarn);
}

TEST_F(EngineTest, DamagedListsAreReportedOnlyWhenAsked) {
    auto whole = listOf({ref(conflict::kNotFound, 1, "a.dll"), ref(conflict::kNotFound, 1, "b.dll")});
    std::vector<uint8_t> bytes = whole.take();
    bytes.resize(bytes.size() - 2);
    orvane36::MemoryStream cut(bytes);
    EXPECT_EQ(engine.verifyList(cut, 0, events), ScanEngine::Result::Done);
    ASSERT_EQ(events.conflicts().size(), 1u);   // what could be read is checked
    EXPECT_EQ(events.completions(), 1u);

    engine.settings.readPropErrors = true;
    cut.rewind();
    EXPECT_EQ(engine.verifyList(cut, 0, events), ScanEngine::Result::ListDamaged);
    EXPECT_EQ(events.completions(), 2u);
    cut.rewind();
    EXPECT_EQ(engine.scanList(cut, events), ScanEngine::Result::ListDamaged);
}

TEST(EmbeddedListsInPrograms, TheBuiltProgramCarriesItsTwoLists) {
    const auto bytes = readAll(fixturePath("host"));
    const auto lists = FindEmbeddedLists(bytes);
    ASSERT_EQ(lists.size(), 2u);
    EXPECT_EQ(lists[0].read.status, orvane36::list_status::kMaster);
    EXPECT_EQ(lists[1].read.status, orvane36::list_status::kSlave);
    // Byte for byte the blobs the tool wrote.
    const auto first = readAll(std::string(FIXTURES) + "\\host_list1.bin");
    const auto second = readAll(std::string(FIXTURES) + "\\host_list2.bin");
    ASSERT_EQ(lists[0].length, first.size());
    ASSERT_EQ(lists[1].length, second.size());
    EXPECT_TRUE(std::equal(first.begin(), first.end(), bytes.begin() + static_cast<std::ptrdiff_t>(lists[0].offset)));
    EXPECT_TRUE(std::equal(second.begin(), second.end(), bytes.begin() + static_cast<std::ptrdiff_t>(lists[1].offset)));
    // A module without a list resource carries none.
    EXPECT_TRUE(FindEmbeddedLists(readAll(fixturePath("v1"))).empty());
}

TEST(EngineFacts, DatesAndTexts) {
    const uint64_t t = utcFileTime(2003, 5, 17, 14, 2, 0);
    EXPECT_EQ(t, 126976537200000000ull);
    // Local time round trip through the texts hosts show.
    SYSTEMTIME local;
    FILETIME ft{static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)};
    SYSTEMTIME utc;
    FileTimeToSystemTime(&ft, &utc);
    SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
    char expected[32];
    snprintf(expected, sizeof expected, "%04u-%02u-%02u %02u:%02u:%02u", local.wYear, local.wMonth, local.wDay,
             local.wHour, local.wMinute, local.wSecond);
    EXPECT_EQ(DateText(t), expected);
    EXPECT_EQ(FileTimeFromLocal(local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond), t);
    EXPECT_EQ(DateText(0), "");
    EXPECT_FALSE(FileTimeFromLocal(2003, 2, 30, 0, 0, 0));
    EXPECT_FALSE(FileTimeFromLocal(2003, 13, 1, 0, 0, 0));
    EXPECT_FALSE(FileTimeFromLocal(1600, 1, 1, 0, 0, 0));
}
