// ole_streams_test.cpp
// The file list over OLE carriers: an IStream as the core's byte stream,
// the memory stream handed to the scan engine, and the dialog's array.
#include "common/filelist/ole_streams.h"

#include <gtest/gtest.h>

#include <new>

#include "fake_stream.h"
#include "ocx_test.h"
#include "test_streams.h"

using ocx_test::FakeStream;
using orvane36::FileEntry;
using orvane36::FileList;
using orvane36::OleByteStream;
using orvane36_test::Bytes;
namespace ole = orvane36::ole;
namespace list_status = orvane36::list_status;

namespace {

// Three entries, the middle one path-dependent.
FileList threeEntries() {
    FileList list(3);
    list[0].entryName = "one.ocx";
    list[0].versionBuffer = {1, 2, 3};
    list[0].text1 = "1.0.0.1";
    list[1].entryName = "two.dll";
    list[1].entryFlags = orvane36::kPathDependent;
    list[1].entryValue7 = 0x1234;
    list[2].entryName = "three.exe";
    list[2].text2 = "{GUID}";
    list[2].flags = 0x80090000;   // stale: in array order this entry is not the last
    return list;
}

uint32_t le32At(const uint8_t* p) { return orvane36::loadLe32(p); }

} // namespace

TEST(OleByteStream, ReadsWritesAndKnowsWhatIsLeft) {
    com::ComPtr<IStream> s = ocx_test::streamOf({1, 2, 3, 4, 5});
    OleByteStream in(s.get());
    EXPECT_EQ(in.remaining(), 5u);
    uint8_t buf[8] = {};
    EXPECT_EQ(in.read(buf, 2), 2u);
    EXPECT_EQ(buf[1], 2);
    EXPECT_EQ(in.remaining(), 3u);
    EXPECT_EQ(in.read(buf, 8), 3u) << "a short read stops at the end";
    EXPECT_EQ(buf[2], 5);
    EXPECT_EQ(in.remaining(), 0u);
    EXPECT_EQ(in.read(buf, 1), 0u);

    const uint8_t more[] = {9, 8};
    EXPECT_EQ(in.write(more, 2), 2u);
    EXPECT_EQ(ocx_test::contentsOf(s.get()), (std::vector<uint8_t>{1, 2, 3, 4, 5, 9, 8}));
    EXPECT_EQ(in.failure(), S_OK);
}

TEST(OleByteStream, FailuresOfTheStream) {
    com::ComPtr<FakeStream> failing = com::make<FakeStream>(std::vector<uint8_t>{1, 2, 3});
    failing->failingRead = 1;
    OleByteStream in(failing.get());
    uint8_t buf[3] = {};
    EXPECT_EQ(in.read(buf, 3), 0u);
    EXPECT_EQ(in.failure(), E_FAIL);

    com::ComPtr<FakeStream> starved = com::make<FakeStream>(std::vector<uint8_t>{1, 2, 3});
    starved->failingRead = 1;
    starved->readFailure = E_OUTOFMEMORY;
    OleByteStream oom(starved.get());
    EXPECT_THROW(oom.read(buf, 3), std::bad_alloc) << "so the list reader reports running out of memory";

    com::ComPtr<FakeStream> full = com::make<FakeStream>();
    full->failingWrite = 1;
    OleByteStream out(full.get());
    EXPECT_EQ(out.write(buf, 3), 0u);
    EXPECT_EQ(out.failure(), STG_E_MEDIUMFULL);

    com::ComPtr<FakeStream> unsized = com::make<FakeStream>(std::vector<uint8_t>{1});
    unsized->refuseStat = true;
    EXPECT_EQ(OleByteStream(unsized.get()).remaining(), orvane36::ByteStream::kUnknownSize);
}

TEST(OleListToStream, HoldsTheBlobFromItsStart) {
    FileList list(1);
    list[0].entryName = "a.ocx";
    com::ComPtr<IStream> s = ole::ListToStream(list, false);
    ASSERT_TRUE(s);
    EXPECT_EQ(ocx_test::positionOf(s.get()), 0u) << "the engine reads from the current position";
    Bytes expected;
    expected.ascii("QuennickOrvaneLedgers6Mark32");
    expected.le32(88).le32(6).le32(0x80090000).fill(20, 0).le32(0).le32(0).le32(0);
    expected.le32(0).le32(0).le32(0).le32(0).le32(0).fill(24, 0);
    expected.le32(6).ascii("a.ocx").u8({0}).le32(0).le32(0).le32(0);
    EXPECT_EQ(ocx_test::contentsOf(s.get()), expected.bytes());

    com::ComPtr<IStream> empty = ole::ListToStream({}, true);
    ASSERT_TRUE(empty);
    EXPECT_EQ(ocx_test::contentsOf(empty.get()),
              Bytes().ascii("QuennickOrvaneLedgers6MSlv32").le32(1).le32(1).bytes());
}

TEST(OleListToArray, PathDependentEntriesLastWithLiveReferences) {
    com::SafeArray array = ole::ListToArray(threeEntries());
    ASSERT_TRUE(array);
    VARTYPE vt = VT_EMPTY;
    ASSERT_EQ(SafeArrayGetVartype(array.get(), &vt), S_OK);
    EXPECT_EQ(vt, VT_UI1);
    com::SafeArrayAccess data(array.get());
    ASSERT_TRUE(data.ok());
    const auto* base = static_cast<const uint8_t*>(data.data());
    const ULONG size = com::elementCount(array.get());
    ASSERT_GE(size, 3u * 88u);

    const char* expectedNames[] = {"one.ocx", "three.exe", "two.dll"};
    for (int i = 0; i < 3; ++i) {
        const uint8_t* header = base + i * 88;
        EXPECT_EQ(le32At(header), 88u);
        EXPECT_EQ(le32At(header + 8) & 0x80000000u, i == 2 ? 0x80000000u : 0u) << "only the last is flagged";
        // The name reference is a live address inside the array.
        const uintptr_t name = le32At(header + 32);
        ASSERT_GE(name, reinterpret_cast<uintptr_t>(base) + 3 * 88);
        ASSERT_LT(name, reinterpret_cast<uintptr_t>(base) + size);
        EXPECT_STREQ(reinterpret_cast<const char*>(name), expectedNames[i]);
    }
    // The first element's version buffer, by its reference and length.
    const auto* buffer = reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(le32At(base + 36)));
    ASSERT_EQ(le32At(base + 40), 3u);
    EXPECT_EQ(buffer[0], 1);
    EXPECT_EQ(buffer[2], 3);

    EXPECT_FALSE(ole::ListToArray({})) << "no list gives no array";
}

TEST(OleArrayToList, RoundTripInArrayOrder) {
    const FileList list = threeEntries();
    com::SafeArray array = ole::ListToArray(list);
    ASSERT_TRUE(array);
    const orvane36::ListRead back = ole::ArrayToList(array.get());
    EXPECT_EQ(back.status, 0);
    ASSERT_EQ(back.list.size(), 3u);
    FileEntry one = list[0], three = list[2], two = list[1];
    one.flags &= ~orvane36::kLastEntry;
    two.flags |= orvane36::kLastEntry;   // the copy of the last keeps its flag
    three.flags &= ~orvane36::kLastEntry;
    EXPECT_EQ(back.list[0], one);
    EXPECT_EQ(back.list[1], three);
    EXPECT_EQ(back.list[2], two);
}

TEST(OleArrayToList, MissingForeignAndMovedArrays) {
    const orvane36::ListRead none = ole::ArrayToList(nullptr);
    EXPECT_EQ(none.status, 0);
    EXPECT_TRUE(none.list.empty());

    com::SafeArray longs = com::SafeArray::vector(VT_I4, 40);
    EXPECT_EQ(ole::ArrayToList(longs.get()).status, list_status::kError);

    // A copy has its data elsewhere: its references point into the
    // original, outside the copy, and are refused rather than followed.
    com::SafeArray array = ole::ListToArray(threeEntries());
    ASSERT_TRUE(array);
    SAFEARRAY* raw = nullptr;
    ASSERT_EQ(SafeArrayCopy(array.get(), &raw), S_OK);
    com::SafeArray copy(raw);
    const orvane36::ListRead moved = ole::ArrayToList(copy.get());
    EXPECT_EQ(moved.status, list_status::kError);
    EXPECT_TRUE(moved.list.empty());
}
