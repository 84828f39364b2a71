// entry_reference_test.cpp
// What each field of a list entry asks the engine to compare, and the
// GUID texts of type-library references.
#include "entry_reference.h"

#include <gtest/gtest.h>

#include "guid_text.h"
#include "test_streams.h"

using namespace orvanescan;
using orvane36::FileEntry;
using orvane36_test::Bytes;

TEST(EntryReference, ReadsEveryFieldItUses) {
    FileEntry e;
    e.flags = 0x80000000 | (0x12u << 16) | 0x5;   // last, system + other paths, other bits kept
    e.entryValue1 = static_cast<int32_t>(conflict::kNotFound | conflict::kLargerSize);
    e.entryValue2 = 4096;
    e.entryValue3 = static_cast<int32_t>(0x89ABCDEF);
    e.entryValue4 = 0x01C3301A;
    e.entryName = "sub\\x.ocx";
    e.entryFlags = orvane36::kPathDependent | 0x100;
    e.text1 = "6.0.81";
    e.text2 = "C:\\A;%APPDATA%\\B";
    Bytes block;
    block.u8({0xED, 0xF2, 0x69, 0xE8, 0x05, 0x13, 0xD2, 0x11, 0xA7, 0x30, 0x00, 0x00, 0x1C, 0x1A, 0xD1, 0xF8});
    block.le32(0x00060002).le32(0x409);
    std::copy(block.bytes().begin(), block.bytes().end(), e.entryBlock.begin());

    const Reference ref = ReferenceFromEntry(e);
    EXPECT_EQ(ref.name, "sub\\x.ocx");
    EXPECT_EQ(ref.pathBits, path_bits::kSystemFolder | path_bits::kOtherPaths);
    EXPECT_TRUE(ref.pathDependent);
    EXPECT_EQ(ref.warnings, conflict::kNotFound | conflict::kLargerSize);
    EXPECT_EQ(ref.size, 4096u);
    EXPECT_EQ(ref.date, 0x01C3301A89ABCDEFull);
    EXPECT_EQ(ref.versionString, "6.0.81");
    EXPECT_EQ(ref.otherPaths, "C:\\A;%APPDATA%\\B");
    EXPECT_EQ(GuidText(ref.typeLib.guid), "{E869F2ED-1305-11D2-A730-00001C1AD1F8}");
    EXPECT_EQ(ref.typeLib.version, 0x00060002u);
    EXPECT_EQ(ref.typeLib.lcid, 0x409u);
    EXPECT_FALSE(ref.fixed);

    // Back to an entry: the same reference, with the default flags' other
    // bits and the list's own bits left to the list.
    const Reference again = ReferenceFromEntry(EntryFromReference(ref));
    EXPECT_EQ(again.name, ref.name);
    EXPECT_EQ(again.pathBits, ref.pathBits);
    EXPECT_EQ(again.warnings, ref.warnings);
    EXPECT_EQ(again.date, ref.date);
    EXPECT_EQ(again.typeLib, ref.typeLib);
    EXPECT_EQ(again.otherPaths, ref.otherPaths);
}

TEST(EntryReference, ANewEntryMeansTheDefaults) {
    const Reference ref = ReferenceFromEntry(FileEntry{});
    EXPECT_EQ(ref.name, "");
    EXPECT_EQ(ref.pathBits, path_bits::kDefault);
    EXPECT_EQ(ref.warnings, conflict::kDefaultWarnings);
    EXPECT_FALSE(ref.pathDependent);
    EXPECT_EQ(ref.size, 0u);
    EXPECT_EQ(ref.date, 0u);
    EXPECT_FALSE(ref.typeLib.hasGuid());
    // The default flags 0x00090000 are exactly the default path bits.
    EXPECT_EQ(EntryFromReference(ref).flags, orvane36::kDefaultFlags);
    // Warning bits past the last conflict bit mean nothing.
    FileEntry e;
    e.entryValue1 = static_cast<int32_t>(0xFFFE0000);
    EXPECT_EQ(WarningsOf(e), conflict::kDefaultWarnings);
}

TEST(EntryReference, TheVersionComesFromTheStoredResource) {
    Bytes b;
    b.le16(92).le16(52).le16(0);
    for (char16_t c : std::u16string_view(u"VS_VERSION_INFO")) b.le16(c);
    b.le16(0).le16(0);
    b.le32(0xFEEF04BD).le32(0x10000).le32(0x00050001).le32(0x0A280000).le32(0).le32(0);
    b.le32(0x3F).le32(0).le32(4).le32(2).le32(0).le32(0).le32(0);
    FileEntry e;
    e.versionBuffer = b;
    const Reference ref = ReferenceFromEntry(e);
    ASSERT_TRUE(ref.fixed);
    EXPECT_EQ(ref.fixed->fileVersion(), 0x000500010A280000ull);
    EXPECT_EQ(ref.versionBuffer, e.versionBuffer);
}

TEST(GuidTexts, RoundTripAndRefuseWhatIsNoGuid) {
    const auto g = GuidFromText("{8f9f1cb3-0E26-11D2-A722-00001C1AD1F8}");
    ASSERT_TRUE(g);
    EXPECT_EQ((*g)[0], 0xB3);
    EXPECT_EQ((*g)[3], 0x8F);
    EXPECT_EQ((*g)[8], 0xA7);
    EXPECT_EQ(GuidText(*g), "{8F9F1CB3-0E26-11D2-A722-00001C1AD1F8}");
    EXPECT_EQ(GuidFromText(""), (std::array<uint8_t, 16>{}));
    EXPECT_EQ(GuidText({}), "");
    EXPECT_FALSE(GuidFromText("8F9F1CB3-0E26-11D2-A722-00001C1AD1F8"));
    EXPECT_FALSE(GuidFromText("{8F9F1CB3-0E26-11D2-A722-00001C1AD1FG}"));
    EXPECT_FALSE(GuidFromText("{8F9F1CB3+0E26-11D2-A722-00001C1AD1F8}"));
    EXPECT_EQ(TypeLibVersionFromKey("6.0"), 0x00060000u);
    EXPECT_EQ(TypeLibVersionFromKey("a.1f"), 0x000A001Fu);
    EXPECT_FALSE(TypeLibVersionFromKey("6"));
    EXPECT_FALSE(TypeLibVersionFromKey("10000.0"));
    EXPECT_FALSE(TypeLibVersionFromKey("FLAGS"));
}
