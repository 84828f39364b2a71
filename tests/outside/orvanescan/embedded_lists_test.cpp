// embedded_lists_test.cpp
// Lists found by their markers among other bytes, as a program file holds
// them.
#include "embedded_lists.h"

#include <gtest/gtest.h>

#include "test_streams.h"

using namespace orvanescan;
using orvane36::FileEntry;
using orvane36::FileList;
using orvane36_test::Bytes;

namespace {

FileList entries(std::initializer_list<const char*> names) {
    FileList list;
    for (const char* n : names) {
        FileEntry e;
        e.entryName = n;
        list.push_back(e);
    }
    return list;
}

std::vector<uint8_t> blob(const FileList& list, bool slave) {
    orvane36::MemoryStream s;
    EXPECT_TRUE(orvane36::WriteListBlob(list, s, slave));
    return s.take();
}

std::vector<std::string> names(const EmbeddedList& l) {
    std::vector<std::string> out;
    for (const FileEntry& e : l.read.list) out.push_back(*e.entryName);
    return out;
}

} // namespace

TEST(EmbeddedLists, FindsEveryListAmongOtherBytes) {
    const auto first = blob(entries({"a.dll", "b.ocx"}), false);
    const auto second = blob(entries({"c.dll"}), true);
    Bytes file;
    file.ascii("MZ").fill(100, 0x90).append(first).fill(7, 0).append(second).ascii("tail");
    const auto lists = FindEmbeddedLists(file.bytes());
    ASSERT_EQ(lists.size(), 2u);
    EXPECT_EQ(lists[0].offset, 102u);
    EXPECT_EQ(lists[0].length, first.size());
    EXPECT_EQ(lists[0].read.status, orvane36::list_status::kMaster);
    EXPECT_EQ(names(lists[0]), (std::vector<std::string>{"a.dll", "b.ocx"}));
    EXPECT_EQ(lists[1].offset, 102u + first.size() + 7);
    EXPECT_EQ(lists[1].read.status, orvane36::list_status::kSlave);
    EXPECT_EQ(names(lists[1]), (std::vector<std::string>{"c.dll"}));
}

TEST(EmbeddedLists, TheMarkerTextAloneIsNoList) {
    Bytes file;
    // As a program that only knows the markers holds them: NUL-terminated
    // strings side by side, then code.
    file.fill(33, 0xCC).ascii(orvane36::kMasterMarker).u8({0}).ascii(orvane36::kSlaveMarker).u8({0});
    file.fill(64, 0x55);
    EXPECT_TRUE(FindEmbeddedLists(file.bytes()).empty());
    // A list saved empty (marker, 1, 1) holds nothing to check either.
    EXPECT_TRUE(FindEmbeddedLists(blob({}, true)).empty());
    // Nor does a marker cut off at the end, or its prefix.
    const std::string_view cut = orvane36::kMasterMarker.substr(0, 27);
    Bytes end;
    end.ascii(cut);
    EXPECT_TRUE(FindEmbeddedLists(end.bytes()).empty());
    EXPECT_TRUE(FindEmbeddedLists({}).empty());
}

TEST(EmbeddedLists, ADamagedListKeepsWhatWasRead) {
    auto bytes = blob(entries({"a.dll", "b.dll"}), false);
    bytes.resize(bytes.size() - 3);   // the second record breaks off
    Bytes file;
    file.fill(5, 0).append(bytes);
    const auto lists = FindEmbeddedLists(file.bytes());
    ASSERT_EQ(lists.size(), 1u);
    EXPECT_EQ(names(lists[0]), (std::vector<std::string>{"a.dll"}));
    EXPECT_TRUE(lists[0].read.failed());
}

TEST(EmbeddedLists, AMarkerInsideAListIsNotASecondList) {
    // A text of the list that happens to hold the marker is read as part
    // of the list, not as a list of its own.
    FileList list = entries({"a.dll"});
    list[0].text1 = std::string(orvane36::kMasterMarker);
    list.push_back(entries({"b.dll"})[0]);
    const auto lists = FindEmbeddedLists(blob(list, false));
    ASSERT_EQ(lists.size(), 1u);
    EXPECT_EQ(names(lists[0]), (std::vector<std::string>{"a.dll", "b.dll"}));
}
