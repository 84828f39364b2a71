// engine_conflicts_test.cpp
// Each conflict bit the engine raises, from real modules with their own
// version resources, sizes and dates, and from real registry entries.
#include <gtest/gtest.h>

#include "engine_fixture.h"
#include "entry_reference.h"
#include "file_probe.h"
#include "guid_text.h"

using namespace orvanescan;
using namespace orvanescan_test;

namespace {

FixedFileInfo version(uint32_t ms, uint32_t ls = 0) {
    FixedFileInfo f;
    f.fileVersionMS = ms;
    f.fileVersionLS = ls;
    return f;
}

} // namespace

TEST_F(EngineTest, AMissingFileIsNotFound) {
    Reference r = ref(conflict::kAll, path_bits::kAll);
    r.fixed = version(0x00010000);
    EXPECT_EQ(conflictBits(r), conflict::kNotFound | conflict::kAlwaysWarn);
    const Event& e = events.conflict(0);
    EXPECT_EQ(e.referenceFile, "orvfix.dll");
    EXPECT_EQ(e.foundFile, "");
    EXPECT_TRUE(e.current.copies.empty());
    EXPECT_TRUE(SameFile(e.current.expectedPath, prog + "\\orvfix.dll"));
}

TEST_F(EngineTest, VersionsFromTheFilesOwnResource) {
    const std::string copy = place("v1", prog);
    Reference r = ref(conflict::kOlderVersion | conflict::kNewerVersion);
    r.fixed = version(0x00020000);
    EXPECT_EQ(conflictBits(r), conflict::kOlderVersion);
    const Event& e = events.conflict(0);
    EXPECT_TRUE(SameFile(e.foundFile, copy));
    ASSERT_EQ(e.current.copies.size(), 1u);
    const CopyFacts& found = e.current.copies[0];
    ASSERT_TRUE(found.fixed);
    EXPECT_EQ(found.fixed->fileVersion(), 0x0001000000000000ull);
    EXPECT_EQ(found.versionString, "1.0.0.0");
    // The buffer is the resource itself, without GetFileVersionInfo's
    // scratch space: its first word is its length.
    ASSERT_GE(found.versionBuffer.size(), 6u);
    EXPECT_EQ(found.versionBuffer[0] | found.versionBuffer[1] << 8, static_cast<int>(found.versionBuffer.size()));

    r.fixed = version(0x00000005);
    EXPECT_EQ(conflictBits(r), conflict::kNewerVersion);
    r.fixed = version(0x00010000);
    EXPECT_EQ(conflictBits(r), 0u);
    EXPECT_TRUE(events.conflicts().empty());
}

TEST_F(EngineTest, DatesAreTheFilesLastWriteTime) {
    const std::string copy = place("v1", prog);
    const uint64_t when = utcFileTime(2003, 5, 17, 14, 2, 0);
    setWriteTime(copy, when);
    const uint64_t hour = 3600ull * 10000000;
    Reference r = ref(conflict::kOlderDate | conflict::kNewerDate);
    r.date = when + hour;
    EXPECT_EQ(conflictBits(r), conflict::kOlderDate);
    EXPECT_EQ(events.conflict(0).current.copies.at(0).date, when);
    r.date = when - hour;
    EXPECT_EQ(conflictBits(r), conflict::kNewerDate);
    r.date = when + 10000000;   // a second apart: the same time
    EXPECT_EQ(conflictBits(r), 0u);
}

TEST_F(EngineTest, SizesAreTheFilesOwn) {
    const uint64_t size = fileSize(place("v1", prog));
    Reference r = ref(conflict::kLargerSize | conflict::kSmallerSize);
    r.size = static_cast<uint32_t>(size - 1);
    EXPECT_EQ(conflictBits(r), conflict::kLargerSize);
    r.size = static_cast<uint32_t>(size + 1);
    EXPECT_EQ(conflictBits(r), conflict::kSmallerSize);
    r.size = static_cast<uint32_t>(size);
    EXPECT_EQ(conflictBits(r), 0u);
}

TEST_F(EngineTest, DebugAndSpecialBuilds) {
    place("special", prog);
    EXPECT_EQ(conflictBits(ref(conflict::kSpecialBuild | conflict::kOlderVersion)), conflict::kSpecialBuild);
    EXPECT_EQ(events.conflict(0).current.copies.at(0).fixed->buildFlags(), 0x21u);
    place("v2", prog);
    EXPECT_EQ(conflictBits(ref(conflict::kSpecialBuild)), 0u);
}

TEST_F(EngineTest, AModuleWithoutVersionResource) {
    place("none", prog);
    Reference r = ref(conflict::kAll & ~conflict::kAlwaysWarn);
    r.fixed = version(0x00010000);
    r.versionString = "1.0";
    EXPECT_EQ(conflictBits(r), conflict::kNoVersionInfo);
    const CopyFacts& found = events.conflict(0).current.copies.at(0);
    EXPECT_TRUE(found.versionBuffer.empty());
    EXPECT_EQ(found.versionString, "");
}

TEST_F(EngineTest, VersionTexts) {
    place("v1", prog);   // "1.0.0.0"
    Reference r = ref(conflict::kOlderVersionString | conflict::kNewerVersionString);
    r.versionString = "1.5";
    EXPECT_EQ(conflictBits(r), conflict::kOlderVersionString);
    r.versionString = "0.9.9";
    EXPECT_EQ(conflictBits(r), conflict::kNewerVersionString);
    r.versionString = "1";
    EXPECT_EQ(conflictBits(r), 0u);
}

TEST_F(EngineTest, AlwaysWarnEvenWhenEverythingMatches) {
    place("v1", prog);
    Reference r = ref(conflict::kAlwaysWarn | conflict::kOlderVersion);
    r.fixed = version(0x00010000);
    EXPECT_EQ(conflictBits(r), conflict::kAlwaysWarn);
}

TEST_F(EngineTest, AnotherCopyLoadedInThisProcess) {
    place("v1", prog, "orvmem.dll");
    const std::string loaded = place("v2", other, "orvmem.dll");
    const Reference r = ref(conflict::kInMemory, path_bits::kProgramFolder, "orvmem.dll");
    EXPECT_EQ(conflictBits(r), 0u);
    HMODULE module = LoadLibraryA(loaded.c_str());
    ASSERT_TRUE(module);
    EXPECT_EQ(conflictBits(r), conflict::kInMemory);
    // The found copy itself being loaded is no conflict.
    engine.settings.fileCurrentDir = other;
    EXPECT_EQ(conflictBits(r), 0u);
    FreeLibrary(module);
}

namespace {

const char* const kOwnPlatform = sizeof(void*) == 8 ? "win64" : "win32";
const char* const kOtherPlatform = sizeof(void*) == 8 ? "win32" : "win64";

// A type library's registration in HKEY_CLASSES_ROOT, removed afterwards.
class TypeLibKeys {
public:
    explicit TypeLibKeys(const std::string& guid) : m_key("TypeLib\\" + guid) { RegDeleteTreeA(HKEY_CLASSES_ROOT, m_key.c_str()); }
    ~TypeLibKeys() { RegDeleteTreeA(HKEY_CLASSES_ROOT, m_key.c_str()); }
    // Under this process's platform unless another is named.
    void add(const std::string& version, const std::string& lcid, const std::string& path,
             const char* platform = kOwnPlatform) {
        const std::string sub = m_key + "\\" + version + "\\" + lcid + "\\" + platform;
        win32::RegKey k;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, sub.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, k.put(), nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(k.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                                 static_cast<DWORD>(path.size() + 1)),
                  ERROR_SUCCESS);
    }
    void addFlags(const std::string& version) {
        win32::RegKey k;
        const std::string sub = m_key + "\\" + version + "\\FLAGS";
        ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, sub.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, k.put(), nullptr),
                  ERROR_SUCCESS);
    }

private:
    std::string m_key;
};

constexpr char kTestLib[] = "{5B1C4D2E-7A60-4E11-9C3B-2F4A6D8E2002}";
constexpr uint32_t kTypeLibBits =
    conflict::kNotRegistered | conflict::kOlderTypeLib | conflict::kNewerTypeLib | conflict::kNoTypeLib;

} // namespace

TEST_F(EngineTest, TypeLibraryRegistration) {
    TypeLibKeys keys(kTestLib);
    const std::string copy = place("v1", prog);
    Reference r = ref(kTypeLibBits);
    r.typeLib.guid = *GuidFromText(kTestLib);
    r.typeLib.version = 0x00010002;

    EXPECT_EQ(conflictBits(r), conflict::kNotRegistered | conflict::kNoTypeLib);
    EXPECT_FALSE(events.conflict(0).current.registration);

    // Registered elsewhere, in a newer version.
    keys.add("1.a", "0", other + "\\orvfix.dll");
    keys.addFlags("1.a");
    EXPECT_EQ(conflictBits(r), conflict::kNotRegistered | conflict::kNewerTypeLib);

    // Registered at the found copy (in an 8.3-free spelling of its own):
    // that registration is the one compared.
    keys.add("1.1", "409", copy);
    EXPECT_EQ(conflictBits(r), conflict::kOlderTypeLib);
    const auto& reg = events.conflict(0).current.registration;
    ASSERT_TRUE(reg);
    EXPECT_EQ(reg->id.version, 0x00010001u);
    EXPECT_EQ(reg->id.lcid, 0x409u);

    keys.add("1.2", "0", copy);
    EXPECT_EQ(conflictBits(r), 0u);
}

TEST_F(EngineTest, TypeLibraryRegisteredForTheOtherBitness) {
    TypeLibKeys keys(kTestLib);
    const std::string copy = place("v1", prog);
    Reference r = ref(kTypeLibBits);
    r.typeLib.guid = *GuidFromText(kTestLib);
    r.typeLib.version = 0x00010002;

    // A 64-bit process falls back to the 32-bit registration, as its
    // oleaut32 does; a 32-bit process reads its own only.
    keys.add("1.2", "0", copy, kOtherPlatform);
    const uint32_t expected = sizeof(void*) == 8 ? 0u : conflict::kNotRegistered | conflict::kNoTypeLib;
    EXPECT_EQ(conflictBits(r), expected);

    // Where both exist, the process's own platform names the file.
    keys.add("1.2", "0", other + "\\orvfix.dll");
    EXPECT_EQ(conflictBits(r), conflict::kNotRegistered);
}

TEST_F(EngineTest, ListEntriesAskForWhatTheyName) {
    // The same comparisons reached through a list entry's fields.
    const std::string copy = place("v1", sys);
    setWriteTime(copy, utcFileTime(2001, 1, 1, 0, 0, 0));
    Reference r = ref(conflict::kNotFound | conflict::kOlderVersion | conflict::kOlderDate,
                      path_bits::kSystemFolder);
    r.date = utcFileTime(2002, 1, 1, 0, 0, 0);
    // The stored version resource, as a list editor takes it from the
    // version it wants (here 2.0).
    r.versionBuffer = ProbeFile(fixturePath("v2"), 0)->versionBuffer;
    orvane36::FileList list{orvanescan::EntryFromReference(r)};
    orvane36::MemoryStream blob;
    ASSERT_TRUE(orvane36::WriteListBlob(list, blob, false));
    blob.rewind();
    EXPECT_EQ(engine.verifyList(blob, 0, events), ScanEngine::Result::Done);
    ASSERT_EQ(events.conflicts().size(), 1u);
    EXPECT_EQ(events.conflicts()[0].flags, conflict::kOlderDate | conflict::kOlderVersion);
    EXPECT_EQ(events.conflicts()[0].current.ref.versionBuffer, r.versionBuffer);
    EXPECT_TRUE(SameFile(events.conflicts()[0].foundFile, copy));
}
