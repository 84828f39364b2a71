// file_list_test.cpp
#include "common/filelist/file_list.h"

#include <gtest/gtest.h>

#include "test_streams.h"

using namespace orvane36;
using orvane36_test::Bytes;

namespace {

// A stored header laid out field by field; references reserved (0).
void header(Bytes& b, uint32_t flags, int32_t value1, int32_t bufferLength, int32_t value7,
            int32_t entryFlags) {
    b.le32(88).le32(6).le32(flags);
    b.le32(static_cast<uint32_t>(value1)).le32(0).le32(0).le32(0).le32(0);
    b.le32(0).le32(0).le32(static_cast<uint32_t>(bufferLength));
    b.le32(0).le32(static_cast<uint32_t>(value7)).le32(static_cast<uint32_t>(entryFlags));
    b.le32(0).le32(0).fill(24, 0);
}

// Three entries, the middle one path-dependent, as a master stores them.
std::vector<uint8_t> threeEntryBlob() {
    Bytes b;
    b.ascii("QuennickOrvaneLedgers6Mark32");
    header(b, 0x00090000, 0, 2, 0, 0);
    b.le32(8).ascii("one.ocx").u8({0}).le32(2).u8({1, 2}).le32(8).ascii("1.0.0.1").u8({0}).le32(0);
    header(b, 0x00090010, 0, 0, 0x1234, 2);
    b.le32(8).ascii("two.dll").u8({0}).le32(0).le32(0).le32(0);
    header(b, 0x80090000, 100, 0, 0, 0);
    b.le32(10).ascii("three.exe").u8({0}).le32(0).le32(0).le32(7).ascii("{GUID}").u8({0});
    return b;
}

FileList threeEntries() {
    FileList list(3);
    list[0].entryName = "one.ocx";
    list[0].versionBuffer = {1, 2};
    list[0].text1 = "1.0.0.1";
    list[1].entryName = "two.dll";
    list[1].flags = 0x00090010;
    list[1].entryValue7 = 0x1234;
    list[1].entryFlags = kPathDependent;
    list[2].entryName = "three.exe";
    list[2].flags = 0x80090000;
    list[2].entryValue1 = 100;
    list[2].text2 = "{GUID}";
    return list;
}

ListRead readBlob(const std::vector<uint8_t>& bytes, size_t* consumed = nullptr) {
    MemoryStream s(bytes);
    ListRead r = ReadListBlob(s);
    if (consumed) *consumed = s.position();
    return r;
}

std::vector<uint8_t> writeBlob(const FileList& list, bool slave) {
    MemoryStream s;
    EXPECT_TRUE(WriteListBlob(list, s, slave));
    return s.bytes();
}

} // namespace

TEST(ListBlob, EmptyListIsMarkerAndTwoOnes) {
    Bytes master, slave;
    master.ascii("QuennickOrvaneLedgers6Mark32").le32(1).le32(1);
    slave.ascii("QuennickOrvaneLedgers6MSlv32").le32(1).le32(1);
    EXPECT_EQ(writeBlob({}, false), master.bytes());
    EXPECT_EQ(writeBlob({}, true), slave.bytes());

    for (const auto& bytes : {master.bytes(), slave.bytes()}) {
        size_t consumed = 0;
        ListRead r = readBlob(bytes, &consumed);
        EXPECT_TRUE(r.list.empty()) << "an empty list loads as no list";
        EXPECT_EQ(r.status, list_status::kEmptyList);
        EXPECT_TRUE(r.failed());
        EXPECT_EQ(consumed, 36u) << "the pair is consumed, so the properties follow";
    }
}

TEST(ListBlob, ThreeEntriesRoundTrip) {
    size_t consumed = 0;
    std::vector<uint8_t> blob = threeEntryBlob();
    blob.push_back(0x77);   // whatever follows the list stays unread
    ListRead r = readBlob(blob, &consumed);
    EXPECT_EQ(r.status, list_status::kMaster);
    EXPECT_FALSE(r.failed());
    EXPECT_EQ(consumed, blob.size() - 1);
    EXPECT_EQ(r.list, threeEntries());
    EXPECT_EQ(writeBlob(r.list, false), threeEntryBlob());
}

TEST(ListBlob, MarkerSetsStatusAndUnknownMarkerStillReads) {
    std::vector<uint8_t> blob = threeEntryBlob();
    const std::string_view slave = kSlaveMarker;
    std::copy(slave.begin(), slave.end(), blob.begin());
    EXPECT_EQ(readBlob(blob).status, list_status::kSlave);

    std::fill(blob.begin(), blob.begin() + 28, uint8_t{'Z'});
    ListRead r = readBlob(blob);
    EXPECT_EQ(r.status, list_status::kNoMarker);
    EXPECT_FALSE(r.failed());
    EXPECT_EQ(r.list, threeEntries());
}

TEST(ListBlob, WriterMarksOnlyTheLastRecord) {
    FileList list = threeEntries();
    list[0].flags |= kLastEntry;
    list[2].flags &= ~kLastEntry;
    std::vector<uint8_t> blob = writeBlob(list, false);
    EXPECT_EQ(blob, threeEntryBlob()) << "flags 0x80090000 moved to the last record";
    EXPECT_EQ(readBlob(blob).list.size(), 3u);
}

TEST(ListBlob, BadRecordEndsTheReadWithTheEntriesSoFar) {
    const std::vector<uint8_t> good = threeEntryBlob();
    // Offset of the second record: marker, first header and its sections.
    const size_t second = 28 + 88 + 12 + 6 + 12 + 4;
    ASSERT_EQ(loadLe32(good.data() + second), 88u);
    for (uint32_t size : {31u, 32768u}) {
        std::vector<uint8_t> bad = good;
        storeLe32(bad.data() + second, size);
        ListRead r = readBlob(bad);
        EXPECT_EQ(r.status, list_status::kError) << size;
        ASSERT_EQ(r.list.size(), 1u);
        EXPECT_EQ(r.list[0].entryName, "one.ocx");
    }
    std::vector<uint8_t> format5 = good;
    storeLe32(format5.data() + second + 4, 5);
    ListRead r = readBlob(format5);
    EXPECT_EQ(r.status, list_status::kError);
    EXPECT_EQ(r.list.size(), 1u);
    EXPECT_TRUE(r.failed());

    // A section count of 0x7FFFFFFF in the third record.
    std::vector<uint8_t> huge = good;
    const size_t third = second + 88 + 12 + 4 + 4 + 4;
    const size_t thirdName = third + 88;
    ASSERT_EQ(loadLe32(huge.data() + thirdName), 10u);
    storeLe32(huge.data() + thirdName, 0x7FFFFFFF);
    r = readBlob(huge);
    EXPECT_EQ(r.status, list_status::kError);
    EXPECT_EQ(r.list.size(), 2u);
}

TEST(ListBlob, ShortDataIsAnError) {
    const std::vector<uint8_t> good = threeEntryBlob();
    ListRead r = readBlob({good.begin(), good.begin() + 27});
    EXPECT_EQ(r.status, list_status::kError);
    EXPECT_TRUE(r.list.empty());
    // Ends after the second record: no last flag was seen.
    r = readBlob({good.begin(), good.begin() + 28 + 122 + 112});
    EXPECT_EQ(r.status, list_status::kError);
    EXPECT_EQ(r.list.size(), 2u);
}

TEST(ListBlob, OutOfMemoryIsAFailureThatKeepsTheEntriesRead) {
    // Reads: the marker; nine for the first record (lead, header, then a
    // count and a body per section, text2 having none); then the failure
    // strikes inside the second record.
    orvane36_test::OutOfMemoryStream s(threeEntryBlob(), 1 + 9 + 2);
    ListRead r = ReadListBlob(s);
    EXPECT_EQ(r.status, list_status::kOutOfMemory);
    EXPECT_TRUE(r.failed()) << "entries were lost, so the data counts as unreadable";
    ASSERT_EQ(r.list.size(), 1u);
    EXPECT_EQ(r.list[0].entryName, "one.ocx");
}

TEST(ListBlob, ShortWritesFail) {
    for (int failing : {1, 2, 3}) {
        orvane36_test::ShortWriteStream s({failing});
        EXPECT_FALSE(WriteListBlob(threeEntries(), s, false)) << failing;
        orvane36_test::ShortWriteStream e({failing});
        EXPECT_FALSE(WriteListBlob({}, e, true)) << failing;
    }
}

TEST(ListToStream, HoldsTheBlobOfTheChosenMarker) {
    auto stream = ListToStream(threeEntries(), true);
    ASSERT_TRUE(stream.has_value());
    std::vector<uint8_t> want = threeEntryBlob();
    const std::string_view slave = kSlaveMarker;
    std::copy(slave.begin(), slave.end(), want.begin());
    EXPECT_EQ(*stream, want);
}

TEST(ListToArray, PathDependentEntriesFollowTheOthers) {
    FileList list = threeEntries();
    list[0].flags |= kLastEntry;   // a stale last flag is cleared in the copy
    const std::vector<uint8_t> array = ListToArray(list);
    ASSERT_GE(array.size(), 3u * 88);
    // Headers: first, third, second; only the last carries bit 31.
    EXPECT_EQ(loadLe32(array.data() + 0 + 8), 0x00090000u);
    EXPECT_EQ(loadLe32(array.data() + 88 + 8), 0x00090000u);
    EXPECT_EQ(loadLe32(array.data() + 88 + 12), 100u);
    EXPECT_EQ(loadLe32(array.data() + 176 + 8), 0x80090010u);
    EXPECT_EQ(loadLe32(array.data() + 176 + 52), 2u);
    for (size_t at : {0u, 88u, 176u}) EXPECT_EQ(loadLe32(array.data() + at), 88u);
    // References point at the copies inside the array (contents are read
    // back whole by ArrayToList below).
    const uint32_t name = loadLe32(array.data() + 88 + 32);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(array.data() + name)), "three.exe");
    EXPECT_EQ(loadLe32(array.data() + 88 + 56), 0u) << "a missing text has no reference";
    EXPECT_TRUE(ListToArray({}).empty());
}

TEST(ArrayToList, ReadsBackTheArrayAtAnyAddress) {
    FileList want = threeEntries();
    want = {want[0], want[2], want[1]};
    want[0].flags = 0x00090000;
    want[1].flags = 0x00090000;
    want[2].flags = 0x80090010;

    std::vector<uint8_t> array = ListToArray(threeEntries());
    ListRead r = ArrayToList(array, 0);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.list, want);

    ASSERT_TRUE(RelocateArray(array, 0x00400000));
    EXPECT_EQ(loadLe32(array.data() + 32), 0x00400000u + 3 * 88);
    r = ArrayToList(array, 0x00400000);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.list, want);

    r = ArrayToList(array, 0);
    EXPECT_EQ(r.status, list_status::kError) << "references outside the array are refused";
    EXPECT_TRUE(r.list.empty());
}

TEST(ArrayToList, StopsAfterTheLastFlagAndRefusesRunaways) {
    ListRead missing = ArrayToList({}, 0);
    EXPECT_EQ(missing.status, 0);
    EXPECT_TRUE(missing.list.empty());

    // Two bare headers, the first flagged: only it is copied, flag kept.
    Bytes two;
    header(two, 0x80000000, 1, 0, 0, 0);
    header(two, 0x80000000, 2, 0, 0, 0);
    ListRead r = ArrayToList(two.bytes(), 0);
    EXPECT_EQ(r.status, 0);
    ASSERT_EQ(r.list.size(), 1u);
    EXPECT_EQ(r.list[0].flags, 0x80000000u);
    EXPECT_FALSE(r.list[0].entryName.has_value());

    // No last flag before the end: the headers read so far, status -1.
    Bytes open;
    header(open, 0, 1, 0, 0, 0);
    open.fill(40, 0);
    r = ArrayToList(open.bytes(), 0);
    EXPECT_EQ(r.status, list_status::kError);
    EXPECT_EQ(r.list.size(), 1u);
    std::vector<uint8_t> unterminated = open.bytes();
    EXPECT_FALSE(RelocateArray(unterminated, 0x1000));

    // A text running off the end, a buffer past the end, a negative length.
    std::vector<uint8_t> array = ListToArray(threeEntries());
    array.resize(array.size() - 1);   // drops the NUL of the last text
    EXPECT_EQ(ArrayToList(array, 0).status, list_status::kError);

    array = ListToArray(threeEntries());
    storeLe32(array.data() + 40, 0x7FFFFFFF);
    EXPECT_EQ(ArrayToList(array, 0).status, list_status::kError);
    storeLe32(array.data() + 40, 0xFFFFFFFF);
    EXPECT_EQ(ArrayToList(array, 0).status, list_status::kError);
}
