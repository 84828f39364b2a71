// pellanor_list_test.cpp
// pellanor.exe's file list against the real build: it names every DLL the
// program imports and the project's own components, the system's copies
// meet its versions here, and the program carries it.
#include <windows.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "embedded_lists.h"
#include "engine_fixture.h"
#include "entry_reference.h"

using namespace orvanescan;
using namespace orvanescan_test;

namespace {

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(tolower(c)); });
    return s;
}

// The names of the DLLs a program imports, from its import directory.
std::set<std::string> importsOf(const std::string& program) {
    std::set<std::string> names;
    HMODULE image = LoadLibraryExA(program.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    EXPECT_TRUE(image) << program;
    if (!image) return names;
    const auto* base = reinterpret_cast<const BYTE*>(image);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name != 0; ++d) {
        names.insert(lower(reinterpret_cast<const char*>(base + d->Name)));
    }
    FreeLibrary(image);
    return names;
}

std::vector<Reference> pellanorList() {
    const auto bytes = readAll(PELLANOR_LIST_BIN);
    SpanStream s(bytes);
    const orvane36::ListRead r = orvane36::ReadListBlob(s);
    EXPECT_EQ(r.status, orvane36::list_status::kMaster);
    std::vector<Reference> refs;
    for (const auto& e : r.list) refs.push_back(ReferenceFromEntry(e));
    return refs;
}

} // namespace

TEST(PellanorList, NamesEveryImportedDllAndTheComponents) {
    std::set<std::string> listed;
    for (const Reference& r : pellanorList()) listed.insert(lower(r.name));
    const std::set<std::string> imports = importsOf(PELLANOR_EXE);
    EXPECT_GE(imports.size(), 3u);
    for (const std::string& dll : imports) EXPECT_TRUE(listed.count(dll)) << dll << " is imported but not listed";
    EXPECT_TRUE(listed.count("sockloom6.dll"));
    EXPECT_TRUE(listed.count("orvane36.ocx"));
}

TEST(PellanorList, TheSystemMeetsItsVersionsAndOnlyTheComponentsAreMissing) {
    TempDir empty;
    ScanEngine engine;
    engine.settings.fileCurrentDir = empty.path();
    Recorder events(engine);
    const auto bytes = readAll(PELLANOR_LIST_BIN);
    SpanStream blob(bytes);
    ASSERT_EQ(engine.verifyList(blob, 0, events), ScanEngine::Result::Done);
    // The components are not beside the program here, nor in the system
    // folder; every system DLL is there and new enough.
    std::vector<std::string> conflicting;
    for (const Event& e : events.conflicts()) {
        conflicting.push_back(lower(e.referenceFile));
        EXPECT_EQ(e.flags, conflict::kNotFound) << e.referenceFile;
    }
    EXPECT_EQ(conflicting, (std::vector<std::string>{"sockloom6.dll", "orvane36.ocx"}));
    // Every system entry names a minimum version, so there is something to
    // compare where the file has a version resource.
    for (const Reference& r : pellanorList()) {
        EXPECT_TRUE(r.fixed) << r.name;
        EXPECT_TRUE(r.warnings & conflict::kNotFound) << r.name;
    }
}

TEST(PellanorList, TheProgramCarriesIt) {
    if (!PELLANOR_CARRIES_LIST) GTEST_SKIP() << "pellanor.exe is not built with pellanor_filelist.rc yet";
    const auto list = readAll(PELLANOR_LIST_BIN);
    const auto program = readAll(PELLANOR_EXE);
    const auto found = FindEmbeddedLists(program);
    ASSERT_EQ(found.size(), 1u);
    ASSERT_EQ(found[0].length, list.size());
    EXPECT_TRUE(std::equal(list.begin(), list.end(), program.begin() + static_cast<std::ptrdiff_t>(found[0].offset)));
}
