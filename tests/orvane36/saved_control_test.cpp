// saved_control_test.cpp
#include "saved_control.h"

#include <gtest/gtest.h>

#include <cctype>

#include "test_streams.h"

using namespace orvane36;
using orvane36_test::Bytes;

namespace {

std::vector<uint8_t> fromHex(std::string_view hex) {
    std::vector<uint8_t> out;
    int high = -1;
    for (char c : hex) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) continue;
        int v = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : (std::tolower(c) - 'a' + 10);
        if (high < 0) high = v;
        else out.push_back(static_cast<uint8_t>(high << 4 | v)), high = -1;
    }
    return out;
}

// A slave control with an empty list and default settings.
const std::vector<uint8_t> kSlaveDefaults = [] {
    Bytes b;
    b.ascii("QuennickOrvaneLedgers6MSlv32");
    b.append(fromHex("01000000 01000000"      // empty list
                     "02020000"               // version
                     "4F030000 4F030000"      // 847 x 847
                     "0B00 FFFF"              // Slave true
                     "0300 00000000"          // VerifyMode 0
                     "0B00 0000"              // Delay false
                     "0200 0600"              // PathFilter 6
                     "0200 0300"              // FileFilter 3
                     "0800 00000000"          // FileFilterExt none
                     "0800 00000000"));       // OtherPaths none
    return b.bytes();
}();

ControlLoad load(const std::vector<uint8_t>& bytes) {
    MemoryStream s(bytes);
    return ReadControlStream(s);
}

// The properties part of a stream: the empty master list, version, extent.
Bytes prologue(uint32_t version = 0x202) {
    Bytes b;
    b.ascii("QuennickOrvaneLedgers6Mark32").le32(1).le32(1).le32(version);
    if (version <= 0x202) b.le32(847).le32(847);
    return b;
}

} // namespace

TEST(SavedStream, SlaveWithEmptyListSaves82Bytes) {
    ASSERT_EQ(kSlaveDefaults.size(), 82u);
    ControlProperties props;
    props.slave = kVariantTrue;
    MemoryStream out;
    ASSERT_TRUE(WriteControlStream({}, props, out));
    EXPECT_EQ(out.bytes(), kSlaveDefaults);

    ControlLoad l = load(kSlaveDefaults);
    EXPECT_TRUE(l.fileList.list.empty());
    EXPECT_TRUE(l.fileList.failed()) << "an empty stored list is reported, the load goes on";
    ASSERT_TRUE(l.headerRead);
    EXPECT_TRUE(l.header.hasExtent);
    EXPECT_EQ(l.header.width, 847);
    EXPECT_EQ(l.header.height, 847);
    EXPECT_EQ(l.propertiesRead, 7u);
    EXPECT_EQ(l.properties, props);
}

TEST(SavedStream, ListAndTextsRoundTrip) {
    FileList list(1);
    list[0].entryName = "mscomctl.ocx";
    list[0].flags = 0x80090000;
    ControlProperties props;
    props.verifyMode = 1;
    props.delay = kVariantTrue;
    props.pathFilter = 99;
    props.fileFilter = 8;
    props.fileFilterExt = u"ocx;d\u00e9";
    props.otherPaths = u"";

    MemoryStream out;
    ASSERT_TRUE(WriteControlStream(list, props, out));
    const std::vector<uint8_t>& bytes = out.bytes();
    ASSERT_EQ(std::string(bytes.begin(), bytes.begin() + 28), "QuennickOrvaneLedgers6Mark32");
    Bytes tail;
    tail.le16(8).le32(14).le16('o').le16('c').le16('x').le16(';').le16('d').le16(0xE9).le16(0);
    tail.le16(8).le32(2).le16(0);
    ASSERT_GE(bytes.size(), tail.size());
    EXPECT_EQ(std::vector<uint8_t>(bytes.end() - tail.size(), bytes.end()), tail.bytes());

    ControlLoad l = load(bytes);
    EXPECT_EQ(l.fileList.status, list_status::kMaster);
    EXPECT_EQ(l.fileList.list, list);
    EXPECT_EQ(l.propertiesRead, 7u);
    EXPECT_EQ(l.properties, props);
    ASSERT_TRUE(l.properties.otherPaths.has_value()) << "an empty text is not a missing one";
}

TEST(SavedStream, NewerVersionWordHasNoExtent) {
    Bytes b = prologue(0x203);
    b.le16(11).le16(0).le16(3).le32(2);
    ControlLoad l = load(b);
    ASSERT_TRUE(l.headerRead);
    EXPECT_FALSE(l.header.hasExtent);
    EXPECT_EQ(l.header.version, 0x203u);
    EXPECT_EQ(l.propertiesRead, 2u);
    EXPECT_EQ(l.properties.verifyMode, 2);

    Bytes older = prologue(0x201);
    ControlLoad o = load(older);
    EXPECT_TRUE(o.header.hasExtent) << "an older word still carries the extent";
}

TEST(SavedStream, ReadingStopsAtThePropertyThatCannotBeRead) {
    // VerifyMode stored as a 16-bit integer: Slave is read, the rest not.
    Bytes wrongType = prologue();
    wrongType.le16(11).le16(0xFFFF).le16(2).le16(3).le16(11).le16(0);
    ControlLoad l = load(wrongType);
    EXPECT_EQ(l.propertiesRead, 1u);
    EXPECT_EQ(l.properties.slave, kVariantTrue);
    EXPECT_EQ(l.properties.verifyMode, 0);
    EXPECT_EQ(l.properties.delay, kVariantFalse);

    // Data ending inside PathFilter.
    Bytes cut = prologue();
    cut.le16(11).le16(0).le16(3).le32(1).le16(11).le16(0xFFFF).le16(2).u8({7});
    l = load(cut);
    EXPECT_EQ(l.propertiesRead, 3u);
    EXPECT_EQ(l.properties.delay, kVariantTrue);
    EXPECT_EQ(l.properties.pathFilter, 6);

    // Nothing after the list.
    Bytes none;
    none.ascii("QuennickOrvaneLedgers6Mark32").le32(1).le32(1).le16(2);
    l = load(none);
    EXPECT_FALSE(l.headerRead);
    EXPECT_EQ(l.propertiesRead, 0u);
}

TEST(SavedStream, BadTextCountsEndTheReadingWithoutAllocating) {
    Bytes head = prologue();
    head.le16(11).le16(0).le16(3).le32(0).le16(11).le16(0).le16(2).le16(6).le16(2).le16(3);
    for (uint32_t count : {3u, 0x7FFFFFFFu, 0xFFFFFFFEu, kMaxTextBytes + 2, 40u}) {
        SCOPED_TRACE(count);
        Bytes b = head;
        b.le16(8).le32(count).fill(20, 'a');
        ControlLoad l = load(b);
        EXPECT_EQ(l.propertiesRead, 5u);
        EXPECT_FALSE(l.properties.fileFilterExt.has_value());

        orvane36_test::UnsizedStream s(b);
        l = ReadControlStream(s);
        EXPECT_EQ(l.propertiesRead, 5u);
        EXPECT_LE(s.largestRead(), 64u * 1024);
    }
}

TEST(SavedStream, StoredTextsAreCutAtTheirFirstNul) {
    Bytes b = prologue();
    b.le16(11).le16(0).le16(3).le32(0).le16(11).le16(0).le16(2).le16(6).le16(2).le16(3);
    b.le16(8).le32(4).le16('a').le16('b');                        // no terminator
    b.le16(8).le32(8).le16('c').le16(0).le16('d').le16(0);        // inner NUL
    ControlLoad l = load(b);
    ASSERT_EQ(l.propertiesRead, 7u);
    EXPECT_EQ(l.properties.fileFilterExt, u"ab");
    EXPECT_EQ(l.properties.otherPaths, u"c");

    MemoryStream out;
    ControlProperties p;
    p.otherPaths = std::u16string(u"x\0y", 3);
    ASSERT_TRUE(WriteControlStream({}, p, out));
    Bytes want;
    want.le16(8).le32(4).le16('x').le16(0);
    EXPECT_EQ(std::vector<uint8_t>(out.bytes().end() - 10, out.bytes().end()), want.bytes());
}

TEST(SavedStream, FailedListWriteDoesNotStopTheProperties) {
    orvane36_test::ShortWriteStream s({1});   // the marker
    ASSERT_TRUE(WriteControlStream({}, ControlProperties{}, s));
    Bytes want;
    want.le32(0x202).le32(847).le32(847).le16(11).le16(0);
    ASSERT_GE(s.bytes().size(), want.size());
    EXPECT_EQ(std::vector<uint8_t>(s.bytes().begin(), s.bytes().begin() + want.size()),
              want.bytes());

    // Writes: marker and the pair (1-3), version and extent (4-6), then a
    // type and a value per property (7-20).
    orvane36_test::ShortWriteStream version({4});
    EXPECT_FALSE(WriteControlStream({}, ControlProperties{}, version));
    orvane36_test::ShortWriteStream last({20});
    EXPECT_FALSE(WriteControlStream({}, ControlProperties{}, last)) << "OtherPaths' count";
    EXPECT_EQ(last.writes(), 20);
}
