// BodyArray_test.cpp
// A byte-array body written into the array that is handed over: exactly
// the bytes appended, whether the server sent what it announced, a few
// more, or fewer; memory taken as the bytes come; and an array the
// system's array functions resize and destroy like one of their own.
#include <gtest/gtest.h>

#include <algorithm>
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

TEST(BodyArray, MemoryIsTakenAsTheBytesComeAndTheWholeBodyArrivesIntact) {
    // Pages made present by locking them, and by touching them where the
    // system lets none be locked: neither clears a byte that came.
    for (const bool lockPages : {true, false}) {
        SCOPED_TRACE(lockPages ? "pages locked" : "pages touched");
        BodyArray body(lockPages);
        const size_t announced = 40 * BodyArray::kStep + 12345;
        ASSERT_TRUE(body.prepare(announced));
        std::string sent;
        size_t pieces = 0;
        while (sent.size() < announced) {
            // Never more room than what came, or one step.
            const std::span<std::uint8_t> room = body.room();
            ASSERT_FALSE(room.empty()) << sent.size();
            EXPECT_LE(room.size(), std::max(sent.size(), BodyArray::kStep)) << sent.size();
            // Alternately read into the room and handed over from elsewhere.
            const size_t n = std::min<size_t>({room.size(), announced - sent.size(), 300000 + pieces * 7});
            std::string piece(n, '\0');
            for (size_t i = 0; i < n; ++i) piece[i] = static_cast<char>((sent.size() + i) * 31 + (sent.size() + i) / 977);
            if (pieces++ % 2 == 0) {
                std::memcpy(room.data(), piece.data(), n);
                ASSERT_TRUE(body.append(room.first(n)));
            } else {
                ASSERT_TRUE(body.append(bytesOf(piece)));
            }
            sent += piece;
            ASSERT_EQ(body.size(), sent.size());
        }
        EXPECT_TRUE(body.room().empty());
        ASSERT_TRUE(body.append(bytesOf("\r\n")));
        EXPECT_TRUE(taken(body) == sent + "\r\n") << "the whole body, in order, and the bytes past it";
    }
}

TEST(BodyArray, TheArrayHandedOverIsTheSystemsToResizeAndDestroy) {
    BodyArray body;
    ASSERT_TRUE(body.prepare(3 * BodyArray::kStep));
    const std::string bytes(3 * BodyArray::kStep, 'q');
    ASSERT_TRUE(body.append(bytesOf(bytes)));
    com::Variant v = body.take();
    ASSERT_EQ(v.type(), VT_ARRAY | VT_UI1);
    SAFEARRAY* array = v.get().parray;
    EXPECT_EQ(SafeArrayGetDim(array), 1u);
    EXPECT_EQ(SafeArrayGetElemsize(array), 1u);
    VARTYPE vt = VT_EMPTY;
    EXPECT_EQ(SafeArrayGetVartype(array, &vt), S_OK);
    EXPECT_EQ(vt, VT_UI1);
    // As a host's ReDim Preserve does: larger, then smaller, the bytes kept.
    SAFEARRAYBOUND larger{static_cast<ULONG>(bytes.size() + 10), 0};
    ASSERT_EQ(SafeArrayRedim(array, &larger), S_OK);
    SAFEARRAYBOUND smaller{5, 0};
    ASSERT_EQ(SafeArrayRedim(array, &smaller), S_OK);
    std::vector<BYTE> out;
    ASSERT_EQ(com::toBytes(v.get(), out), S_OK);
    EXPECT_EQ(std::string(out.begin(), out.end()), "qqqqq");
    com::Variant copy;
    EXPECT_EQ(VariantCopy(copy.put(), const_cast<VARIANT*>(&v.get())), S_OK);
    // Both destroyed by VariantClear when they go.
}
