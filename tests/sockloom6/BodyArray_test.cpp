// BodyArray_test.cpp
// A byte-array body written into the array that is handed over: exactly
// the bytes appended, whether the server sent what it announced, a few
// more, or fewer.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "BodyArray.h"

using sockloom::BodyArray;

namespace {

std::span<const std::uint8_t> bytesOf(const std::string& s) {
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

std::string taken(BodyArray& body) {
    const com::Variant v = body.take();
    EXPECT_EQ(v.type(), VT_ARRAY | VT_UI1);
    std::vector<BYTE> out;
    EXPECT_EQ(com::toBytes(v.get(), out), S_OK);
    return std::string(out.begin(), out.end());
}

}  // namespace

TEST(BodyArray, HoldsExactlyTheBytesAppendedInPieces) {
    BodyArray body;
    EXPECT_FALSE(body.ready());
    ASSERT_TRUE(body.prepare(10));
    EXPECT_TRUE(body.append(bytesOf("0123")));
    EXPECT_TRUE(body.append(bytesOf("")));
    EXPECT_TRUE(body.append(bytesOf(std::string("45\0" "789", 6))));
    EXPECT_EQ(body.size(), 10u);
    EXPECT_EQ(taken(body), std::string("012345\0" "789", 10));
    EXPECT_FALSE(body.ready()) << "nothing is held after the hand-over";
    EXPECT_EQ(body.size(), 0u);
}

TEST(BodyArray, MoreOrFewerBytesThanPreparedGiveAnArrayOfWhatCame) {
    BodyArray body;
    ASSERT_TRUE(body.prepare(5));
    EXPECT_TRUE(body.append(bytesOf("abc")));
    EXPECT_TRUE(body.append(bytesOf("de\r\n")));
    EXPECT_EQ(body.size(), 7u);
    EXPECT_EQ(taken(body), "abcde\r\n") << "a closing CR LF past the announced length is kept";

    ASSERT_TRUE(body.prepare(8));
    EXPECT_TRUE(body.append(bytesOf("abc")));
    EXPECT_EQ(taken(body), "abc");

    ASSERT_TRUE(body.prepare(0));
    EXPECT_EQ(taken(body), "");

    // A new preparation forgets what an earlier one held.
    ASSERT_TRUE(body.prepare(3));
    EXPECT_TRUE(body.append(bytesOf("abcdef")));
    ASSERT_TRUE(body.prepare(3));
    EXPECT_TRUE(body.append(bytesOf("xyz")));
    EXPECT_EQ(taken(body), "xyz");
}

TEST(BodyArray, APieceReadIntoItsRoomIsKeptWhereItLies) {
    BodyArray body;
    EXPECT_TRUE(body.room().empty());
    ASSERT_TRUE(body.prepare(6));
    ASSERT_TRUE(body.append(bytesOf("ab")));
    std::span<std::uint8_t> room = body.room();
    ASSERT_EQ(room.size(), 4u);
    std::memcpy(room.data(), "cdef", 4);
    ASSERT_TRUE(body.append(room.first(3)));
    EXPECT_EQ(body.room().size(), 1u);
    EXPECT_EQ(body.room().data(), room.data() + 3);
    ASSERT_TRUE(body.append(bytesOf("Fgh")));
    EXPECT_TRUE(body.room().empty()) << "a full array has no room; the rest is kept aside";
    EXPECT_EQ(taken(body), "abcdeFgh");
    EXPECT_TRUE(body.room().empty());
}

TEST(BodyArray, WithoutAnArrayNothingIsAcceptedAndAnImpossibleSizeIsRefused) {
    BodyArray body;
    EXPECT_FALSE(body.append(bytesOf("a")));
    EXPECT_FALSE(body.prepare(size_t{0x80000000})) << "past what a 32-bit count holds";
    EXPECT_FALSE(body.ready());
    ASSERT_TRUE(body.prepare(4));
    body.clear();
    EXPECT_FALSE(body.ready());
    EXPECT_FALSE(body.append(bytesOf("a")));
}
