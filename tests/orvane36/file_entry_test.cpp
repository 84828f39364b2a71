// file_entry_test.cpp
#include "common/filelist/file_entry.h"

#include <gtest/gtest.h>

#include "test_streams.h"

using namespace orvane36;
using orvane36_test::Bytes;
using orvane36_test::UnsizedStream;

namespace {

// A filled-in entry and, spelled out field by field, the bytes it stores as.
FileEntry sampleEntry() {
    FileEntry e;
    e.flags = 0x00090001;
    e.entryValue1 = 1;
    e.entryValue2 = 2;
    e.entryValue3 = 3;
    e.entryValue4 = 4;
    e.entryValue5 = -5;
    e.entryName = "comctl32.ocx";
    e.versionBuffer = {0xAA, 0xBB, 0xCC};
    e.entryValue6 = 6;
    e.entryValue7 = 7;
    e.entryFlags = 0x12;
    e.text1 = "6.0";
    for (size_t i = 0; i < e.entryBlock.size(); ++i) e.entryBlock[i] = static_cast<uint8_t>(i + 1);
    return e;
}

std::vector<uint8_t> sampleBytes() {
    Bytes b;
    b.le32(88).le32(6).le32(0x00090001);
    b.le32(1).le32(2).le32(3).le32(4).le32(0xFFFFFFFB);
    b.le32(0).le32(0);            // name and buffer references: reserved
    b.le32(3);                    // bufferLength
    b.le32(6).le32(7).le32(0x12);
    b.le32(0).le32(0);            // text references: reserved
    for (int i = 1; i <= 24; ++i) b.u8({i});
    EXPECT_EQ(b.size(), 88u);
    b.le32(13).ascii("comctl32.ocx").u8({0});
    b.le32(3).u8({0xAA, 0xBB, 0xCC});
    b.le32(4).ascii("6.0").u8({0});
    b.le32(0);
    return b;
}

// Lead of a stored record: headerSize and format.
Bytes lead(uint32_t size, uint32_t format) {
    Bytes b;
    b.le32(size).le32(format);
    return b;
}

EntryRead readFrom(const std::vector<uint8_t>& bytes, FileEntry& e, size_t* consumed = nullptr) {
    MemoryStream s(bytes);
    EntryRead r = ReadFileEntry(e, s);
    if (consumed) *consumed = s.position();
    return r;
}

} // namespace

TEST(FileEntryFormat, NewEntryDefaultsAndStoredBytes) {
    FileEntry e;
    e.entryName = "a.dll";
    MemoryStream out;
    ASSERT_TRUE(WriteFileEntry(e, out));
    Bytes expected;
    expected.le32(88).le32(6).le32(0x00090000).fill(88 - 12, 0);
    expected.le32(6).ascii("a.dll").u8({0}).le32(0).le32(0).le32(0);
    EXPECT_EQ(out.bytes(), expected.bytes());
}

TEST(FileEntryFormat, EveryFieldRoundTrips) {
    MemoryStream out;
    ASSERT_TRUE(WriteFileEntry(sampleEntry(), out));
    EXPECT_EQ(out.bytes(), sampleBytes());

    FileEntry read;
    size_t consumed = 0;
    ASSERT_EQ(readFrom(sampleBytes(), read, &consumed), EntryRead::Read);
    EXPECT_EQ(consumed, sampleBytes().size());
    EXPECT_EQ(read, sampleEntry());
    EXPECT_EQ(read.bufferLength(), 3);
    EXPECT_FALSE(read.text2.has_value()) << "count 0 is a missing text";
}

TEST(FileEntryFormat, ReservedReferencesAndStoredLengthAreIgnored) {
    std::vector<uint8_t> bytes = sampleBytes();
    for (size_t off : {32u, 36u, 56u, 60u}) storeLe32(bytes.data() + off, 0xDEADBEEF);
    storeLe32(bytes.data() + 40, 999);   // bufferLength comes from the section
    FileEntry read;
    ASSERT_EQ(readFrom(bytes, read), EntryRead::Read);
    EXPECT_EQ(read, sampleEntry());
}

TEST(FileEntryHeaderSize, ShortHeaderKeepsTheEntrysOwnValues) {
    // headerSize 32: flags and entryValue1..5 are stored, nothing after.
    Bytes b = lead(32, 6);
    b.le32(0x80000004).le32(11).le32(12).le32(13).le32(14).le32(15);
    b.le32(4).ascii("x.o").u8({0}).le32(0).le32(0).le32(0);
    b.ascii("NEXT");
    FileEntry e;
    e.entryValue6 = 77;
    e.entryBlock[23] = 9;
    size_t consumed = 0;
    ASSERT_EQ(readFrom(b, e, &consumed), EntryRead::Read);
    EXPECT_EQ(consumed, b.size() - 4) << "the record ends before what follows";
    EXPECT_EQ(e.headerSize, 32);
    EXPECT_EQ(e.flags, 0x80000004u);
    EXPECT_EQ(e.entryValue1, 11);
    EXPECT_EQ(e.entryValue5, 15);
    EXPECT_EQ(e.entryValue6, 77);
    EXPECT_EQ(e.entryValue7, 0);
    EXPECT_EQ(e.entryBlock[23], 9);
    EXPECT_EQ(e.entryName, "x.o");
    MemoryStream out;
    ASSERT_TRUE(WriteFileEntry(e, out));
    EXPECT_EQ(loadLe32(out.bytes().data()), 88u) << "written with the size it has";
}

TEST(FileEntryHeaderSize, OddSizeFillsFieldsBytewise) {
    // headerSize 45 ends one byte into entryValue6: its low byte is stored,
    // the other three keep the entry's value.
    Bytes b = lead(45, 6);
    b.le32(0).fill(20, 0).le32(0).le32(0).le32(0).u8({0xAB});
    b.le32(0).le32(0).le32(0).le32(0);
    FileEntry e;
    e.entryValue6 = 0x11223344;
    ASSERT_EQ(readFrom(b, e), EntryRead::Read);
    EXPECT_EQ(e.entryValue6, 0x112233AB);
    EXPECT_EQ(e.flags, 0u);
}

TEST(FileEntryHeaderSize, LongHeaderIsReadAndDroppedPastItsRecord) {
    for (uint32_t size : {200u, 32767u}) {
        SCOPED_TRACE(size);
        std::vector<uint8_t> rec = sampleBytes();
        Bytes b;
        b.le32(size);
        b.append(std::vector<uint8_t>(rec.begin() + 4, rec.begin() + 88));
        b.fill(size - 88, 0xEE);
        b.append(std::vector<uint8_t>(rec.begin() + 88, rec.end()));
        FileEntry e;
        size_t consumed = 0;
        ASSERT_EQ(readFrom(b, e, &consumed), EntryRead::Read);
        EXPECT_EQ(consumed, b.size());
        EXPECT_EQ(e.headerSize, static_cast<int32_t>(size));
        FileEntry want = sampleEntry();
        want.headerSize = static_cast<int32_t>(size);
        EXPECT_EQ(e, want) << "bytes past the 88th land nowhere";
    }
}

TEST(FileEntryHeaderSize, OutOfRangeSizesAndFormatsAreErrors) {
    struct Case { uint32_t size, format; EntryRead want; };
    for (Case c : {Case{31, 6, EntryRead::Error}, Case{32768, 6, EntryRead::Error},
                   Case{0x80000058, 6, EntryRead::Error}, Case{88, 5, EntryRead::Error},
                   Case{88, 7, EntryRead::Error}, Case{1, 1, EntryRead::EmptyList},
                   Case{1, 6, EntryRead::Error}, Case{88, 1, EntryRead::Error}}) {
        SCOPED_TRACE(testing::Message() << c.size << "/" << c.format);
        Bytes b = lead(c.size, c.format);
        b.fill(200, 0);
        FileEntry e;
        size_t consumed = 0;
        EXPECT_EQ(readFrom(b, e, &consumed), c.want);
        EXPECT_EQ(consumed, 8u) << "nothing past the lead is taken";
    }
}

TEST(FileEntrySections, ShortDataIsAnError) {
    const std::vector<uint8_t> whole = sampleBytes();
    // Cut inside the lead, the header, a count and a section body.
    for (size_t cut : {size_t{3}, size_t{50}, size_t{90}, size_t{95}, whole.size() - 1}) {
        SCOPED_TRACE(cut);
        FileEntry e;
        EXPECT_EQ(readFrom({whole.begin(), whole.begin() + cut}, e), EntryRead::Error);
        UnsizedStream s({whole.begin(), whole.begin() + cut});
        EXPECT_EQ(ReadFileEntry(e, s), EntryRead::Error);
    }
}

TEST(FileEntrySections, CountsAreCheckedAgainstTheDataAndTheCap) {
    // Name count refused on the count alone, before anything is read.
    for (uint32_t count : {0x7FFFFFFFu, 0xFFFFFFFFu, kMaxSectionBytes + 1}) {
        SCOPED_TRACE(count);
        Bytes b = lead(88, 6);
        b.fill(80, 0).le32(count).fill(64, 'x');
        FileEntry e;
        size_t consumed = 0;
        EXPECT_EQ(readFrom(b, e, &consumed), EntryRead::Error);
        EXPECT_EQ(consumed, 92u);
        UnsizedStream s(b);
        EXPECT_EQ(ReadFileEntry(e, s), EntryRead::Error);
        EXPECT_EQ(s.position(), 92u);
    }
    // A buffer count at the cap: read whole when the data holds it; when it
    // does not, a sized stream refuses the count and an unsized one is read
    // in slices, never asking for the whole count at once.
    Bytes full = lead(88, 6);
    full.fill(80, 0).le32(0).le32(kMaxSectionBytes).fill(kMaxSectionBytes, 0x5A).le32(0).le32(0);
    UnsizedStream whole(full);
    FileEntry e;
    ASSERT_EQ(ReadFileEntry(e, whole), EntryRead::Read);
    EXPECT_EQ(e.bufferLength(), static_cast<int32_t>(kMaxSectionBytes));
    EXPECT_EQ(e.versionBuffer.back(), 0x5A);

    std::vector<uint8_t> cut(full.bytes().begin(), full.bytes().begin() + 96 + 1000);
    size_t consumed = 0;
    EXPECT_EQ(readFrom(cut, e, &consumed), EntryRead::Error);
    EXPECT_EQ(consumed, 96u);
    UnsizedStream s(cut);
    EXPECT_EQ(ReadFileEntry(e, s), EntryRead::Error);
    EXPECT_LT(s.largestRead(), size_t{kMaxSectionBytes});
}

TEST(FileEntrySections, TextsAlwaysEndInNul) {
    Bytes b = lead(88, 6);
    b.fill(80, 0);
    b.le32(3).ascii("abc");                  // no terminator
    b.le32(0);
    b.le32(6).ascii("ab").u8({0}).ascii("cd").u8({0});   // stops at the first NUL
    b.le32(1).u8({0});                       // present but empty
    FileEntry e;
    ASSERT_EQ(readFrom(b, e), EntryRead::Read);
    EXPECT_EQ(e.entryName, "abc");
    EXPECT_EQ(e.text1, "ab");
    ASSERT_TRUE(e.text2.has_value());
    EXPECT_EQ(*e.text2, "");

    MemoryStream out;
    ASSERT_TRUE(WriteFileEntry(e, out));
    Bytes want;
    want.le32(4).ascii("abc").u8({0}).le32(0).le32(3).ascii("ab").u8({0}).le32(1).u8({0});
    EXPECT_EQ(std::vector<uint8_t>(out.bytes().begin() + 88, out.bytes().end()), want.bytes());
}
