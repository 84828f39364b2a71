// version_info_test.cpp
// Version resources laid out by hand, as GetFileVersionInfo returns them.
#include "version_info.h"

#include <gtest/gtest.h>

#include "test_streams.h"

using namespace orvanescan;
using orvane36_test::Bytes;

namespace {

// A block: length, value length, type, UTF-16 key, padding, value,
// padding, children. Lengths are filled in from what follows.
Bytes block(std::u16string_view key, uint16_t type, const std::vector<uint8_t>& value, uint16_t valueLength,
            const std::vector<uint8_t>& children) {
    Bytes body;
    for (char16_t c : key) body.le16(c);
    body.le16(0);
    while ((body.size() + 6) % 4) body.u8({0});
    body.append(value);
    while ((body.size() + 6) % 4) body.u8({0});
    body.append(children);
    Bytes b;
    b.le16(static_cast<uint32_t>(body.size() + 6)).le16(valueLength).le16(type).append(body.bytes());
    return b;
}

std::vector<uint8_t> utf16z(std::u16string_view text) {
    Bytes b;
    for (char16_t c : text) b.le16(c);
    b.le16(0);
    return b;
}

std::vector<uint8_t> fixedInfo(uint32_t ms, uint32_t ls, uint32_t flags) {
    Bytes b;
    b.le32(kFixedInfoSignature).le32(0x00010000).le32(ms).le32(ls).le32(ms).le32(ls);
    b.le32(0x3F).le32(flags).le32(0x00040004).le32(2).le32(0).le32(0).le32(0);
    return b;
}

std::vector<uint8_t> stringValue(std::u16string_view key, std::u16string_view value) {
    return block(key, 1, utf16z(value), static_cast<uint16_t>(value.size() + 1), {});
}

std::vector<uint8_t> resource(std::vector<uint8_t> fixed, std::vector<uint8_t> strings) {
    std::vector<uint8_t> table = block(u"040904b0", 1, {}, 0, strings);
    std::vector<uint8_t> sfi = block(u"StringFileInfo", 1, {}, 0, table);
    const auto fixedLength = static_cast<uint16_t>(fixed.size());
    return block(u"VS_VERSION_INFO", 0, fixed, fixedLength, sfi);
}

} // namespace

TEST(VersionInfo, ReadsTheFixedPartAndTheStringTable) {
    Bytes strings;
    strings.append(stringValue(u"CompanyName", u"Tamberly")).append(stringValue(u"FileVersion", u"2.5 beta"));
    auto info = ParseVersionInfo(resource(fixedInfo(0x00020005, 0x00030004, 0x21), strings));
    ASSERT_TRUE(info);
    ASSERT_TRUE(info->fixed);
    EXPECT_EQ(info->fixed->fileVersion(), 0x0002000500030004ull);
    EXPECT_EQ(info->fixed->buildFlags(), 0x21u);
    ASSERT_EQ(info->tables.size(), 1u);
    EXPECT_EQ(info->tables[0].key, u"040904b0");
    EXPECT_EQ(FindVersionString(*info, u"FileVersion"), u"2.5 beta");
    EXPECT_EQ(FindVersionString(*info, u"CompanyName"), u"Tamberly");
    EXPECT_FALSE(FindVersionString(*info, u"ProductVersion"));
    EXPECT_EQ(VersionText(0x00020005, 0x00030004), "2.5.3.4");
}

TEST(VersionInfo, OnlyValidBuildFlagsCount) {
    std::vector<uint8_t> fixed = fixedInfo(1, 0, 0x01);
    fixed[6 * 4] = 0x02;   // the mask says only bit 1 is meaningful
    auto info = ParseVersionInfo(resource(fixed, {}));
    ASSERT_TRUE(info && info->fixed);
    EXPECT_EQ(info->fixed->buildFlags(), 0u);
}

TEST(VersionInfo, AnUnsignedFixedPartIsNoVersion) {
    std::vector<uint8_t> fixed = fixedInfo(1, 0, 0);
    fixed[0] = 0;
    auto info = ParseVersionInfo(resource(fixed, stringValue(u"FileVersion", u"1.0")));
    ASSERT_TRUE(info);
    EXPECT_FALSE(info->fixed);
    EXPECT_EQ(FindVersionString(*info, u"FileVersion"), u"1.0");
}

TEST(VersionInfo, OtherBlocksAreNotVersionResources) {
    EXPECT_FALSE(ParseVersionInfo({}));
    EXPECT_FALSE(ParseVersionInfo(block(u"VS_VERSION_INFX", 0, fixedInfo(1, 0, 0), 52, {}).bytes()));
    // An old 16-bit resource: no type word, ANSI key.
    Bytes old;
    old.le16(40).le16(0).ascii("VS_VERSION_INFO").u8({0}).fill(20, 0);
    EXPECT_FALSE(ParseVersionInfo(old.bytes()));
}

TEST(VersionInfo, DamagedLengthsStayInsideTheBuffer) {
    std::vector<uint8_t> bytes = resource(fixedInfo(0x00010000, 0, 0), stringValue(u"FileVersion", u"1.0"));
    // A root claiming more than there is cannot be read.
    std::vector<uint8_t> longer = bytes;
    longer[0] = 0xFF;
    longer[1] = 0x7F;
    EXPECT_FALSE(ParseVersionInfo(longer));
    // A cut buffer loses the children but keeps nothing half-read: here
    // the root's own length still fits only when the tail is present.
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        std::vector<uint8_t> part(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut));
        EXPECT_FALSE(ParseVersionInfo(part)) << cut;
    }
    // A child whose length overruns its parent ends the children there.
    std::vector<uint8_t> badChild = bytes;
    const size_t sfiAt = 40 + 52;
    badChild[sfiAt] = 0xF0;
    auto info = ParseVersionInfo(badChild);
    ASSERT_TRUE(info);
    EXPECT_TRUE(info->fixed);
    EXPECT_TRUE(info->tables.empty());
}

TEST(VersionInfo, StringValueLengthsInBytesStillRead) {
    // Some writers count a string value's length in bytes: the text still
    // ends at its terminator inside the block.
    std::vector<uint8_t> s = block(u"FileVersion", 1, utf16z(u"3.1"), 8, {});
    auto info = ParseVersionInfo(resource(fixedInfo(1, 0, 0), s));
    ASSERT_TRUE(info);
    EXPECT_EQ(FindVersionString(*info, u"FileVersion"), u"3.1");
}
