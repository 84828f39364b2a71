// filelist_tool_test.cpp
// The lists make_filelist.py wrote at build time from the fixture
// manifests, read back through the list reader and the entry mapping.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "embedded_lists.h"
#include "entry_reference.h"
#include "guid_text.h"
#include "version_info.h"

using namespace orvanescan;

namespace {

std::vector<uint8_t> readFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

orvane36::ListRead readList(const char* path, size_t* length = nullptr) {
    const std::vector<uint8_t> bytes = readFile(path);
    SpanStream s(bytes);
    orvane36::ListRead r = orvane36::ReadListBlob(s);
    if (length) *length = bytes.size() - s.position();
    return r;
}

} // namespace

TEST(FileListTool, WritesAMasterListWithEveryField) {
    size_t left = 1;
    const orvane36::ListRead r = readList(HOST_LIST1_BIN, &left);
    EXPECT_EQ(r.status, orvane36::list_status::kMaster);
    EXPECT_EQ(left, 0u);   // nothing after the last record
    ASSERT_EQ(r.list.size(), 2u);
    EXPECT_FALSE(r.list[0].isLast());
    EXPECT_TRUE(r.list[1].isLast());

    const Reference plain = ReferenceFromEntry(r.list[0]);
    EXPECT_EQ(plain.name, "orvfix.dll");
    EXPECT_EQ(plain.pathBits, path_bits::kProgramFolder);
    EXPECT_EQ(plain.warnings, conflict::kNotFound | conflict::kOlderVersion);
    ASSERT_TRUE(plain.fixed);
    EXPECT_EQ(plain.fixed->fileVersion(), 0x0002000000000000ull);
    EXPECT_EQ(plain.fixed->buildFlags(), 0u);
    EXPECT_EQ(plain.size, 0u);
    EXPECT_EQ(plain.date, 0u);
    EXPECT_FALSE(plain.typeLib.hasGuid());
    EXPECT_EQ(r.list[0].text1, std::nullopt);

    const Reference full = ReferenceFromEntry(r.list[1]);
    EXPECT_EQ(full.name, "orvmissing.dll");
    EXPECT_EQ(full.pathBits, path_bits::kAll);
    EXPECT_TRUE(full.pathDependent);
    EXPECT_EQ(full.warnings, conflict::kNotFound | conflict::kAlwaysWarn);
    EXPECT_EQ(GuidText(full.typeLib.guid), "{5B1C4D2E-7A60-4E11-9C3B-2F4A6D8E2001}");
    EXPECT_EQ(full.typeLib.version, 0x00010002u);
    EXPECT_EQ(full.typeLib.lcid, 0x409u);
    EXPECT_EQ(full.versionString, "1.0 beta");
    EXPECT_EQ(full.size, 12345u);
    EXPECT_EQ(full.date, 126976537200000000ull);   // 2003-05-17 14:02:00 UTC
    EXPECT_EQ(full.otherPaths, "C:\\nowhere;%WINDIR%");
    EXPECT_TRUE(full.versionBuffer.empty());
    // Values the engine does not read stay 0.
    EXPECT_EQ(r.list[1].entryValue5, 0);
    EXPECT_EQ(r.list[1].entryValue6, 0);
    EXPECT_EQ(r.list[1].entryValue7, 0);
}

TEST(FileListTool, WritesASlaveListWhenAsked) {
    const orvane36::ListRead r = readList(HOST_LIST2_BIN);
    EXPECT_EQ(r.status, orvane36::list_status::kSlave);
    ASSERT_EQ(r.list.size(), 1u);
    const Reference ref = ReferenceFromEntry(r.list[0]);
    EXPECT_EQ(ref.name, "orvother.dll");
    EXPECT_EQ(ref.pathBits, path_bits::kOtherPaths);
    EXPECT_EQ(ref.otherPaths, "%ORVSCAN_TEST_OTHER%");
    // The version resource the tool builds is one the reader accepts.
    auto info = ParseVersionInfo(ref.versionBuffer);
    ASSERT_TRUE(info && info->fixed);
    EXPECT_EQ(info->fixed->fileVersion(), 0x0001000000000000ull);
}
