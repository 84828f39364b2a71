// core_test.cpp
// The portable rules of reads, the buffers bytes are read and kept in,
// conversions and the decoding of the library's window messages.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/body_buffer.h"
#include "core/conversions.h"
#include "core/read_buffer.h"
#include "core/read_result.h"

using namespace sockloom;

TEST(ReadReport, StreamsDatagramsAndOutOfBandEachShapeTheirResult) {
    ReadReport r = readReport(ReadCall::recv, false, 5, 0);
    EXPECT_EQ(r.BytesRead, 5);
    EXPECT_EQ(r.value, ReadValue::Bytes);

    r = readReport(ReadCall::recv, false, -1, 10054);
    EXPECT_EQ(r.ErrorCode, 10054);
    EXPECT_EQ(r.BytesRead, 0);
    EXPECT_EQ(r.value, ReadValue::OneZeroByte);

    r = readReport(ReadCall::recv, false, 0, 10054);
    EXPECT_EQ(r.ErrorCode, 0) << "a result of 0 is no failure: an older error is not reported";

    r = readReport(ReadCall::recv, true, 0, 10054);
    EXPECT_EQ(r.ErrorCode, 0);
    EXPECT_EQ(r.value, ReadValue::NoBytes) << "an empty datagram is delivered as empty";
    EXPECT_EQ(readReport(ReadCall::recvfrom, true, 0, 0).value, ReadValue::NoBytes);

    r = readReport(ReadCall::recvfrom, true, -1, 10040);
    EXPECT_EQ(r.ErrorCode, 10040);
    EXPECT_EQ(r.value, ReadValue::ZeroFilledBuffer);

    r = readReport(ReadCall::recvoob, false, -1, 10035);
    EXPECT_EQ(r.ErrorCode, 10035);
    EXPECT_EQ(r.value, ReadValue::Nothing);

    r = nothingWaitingReport(-1, 10035);
    EXPECT_EQ(r.ErrorCode, 10035);
    EXPECT_EQ(r.value, ReadValue::Nothing);
    EXPECT_EQ(nothingWaitingReport(0, 10035).ErrorCode, 0);
}

TEST(Conversions, PortBitsTakeEveryPortAndEveryShort) {
    EXPECT_EQ(portBits(65535), 0xFFFF);
    EXPECT_EQ(portBits(0), 0);
    EXPECT_EQ(portBits(-1), 0xFFFF);
    EXPECT_EQ(portBits(-32768), 0x8000);
    EXPECT_FALSE(portBits(65536));
    EXPECT_FALSE(portBits(-32769));
}

TEST(Conversions, TrimAtNullAndUnsignedWord) {
    EXPECT_EQ(TrimAtNull(std::string("host\0\0\0", 7)), "host");
    EXPECT_EQ(TrimAtNull(std::string("\0host", 5)), "");
    EXPECT_EQ(TrimAtNull("no terminator"), "");
    EXPECT_EQ(UnsignedWord(-1), 65535);
    EXPECT_EQ(UnsignedWord(-32768), 32768);
    EXPECT_EQ(UnsignedWord(1), 1);
}

TEST(Conversions, ASocketHandleIsTakenWholeFromTheMessage) {
    const SocketNotice n = decodeSocketMessage(0x10044, (10053 << 16) | 32);
    EXPECT_EQ(n.handle, 0x10044u) << "not cut to 16 bits";
    EXPECT_EQ(n.event, 32);
    EXPECT_EQ(n.error, 10053);
    const LookupNotice l = decodeLookupMessage(0xDEAE, static_cast<std::intptr_t>(0x2AF90000u));
    EXPECT_EQ(l.task, 0xDEAE);
    EXPECT_EQ(l.error, 11001);
}

TEST(BodyBuffer, RefusesWhatPassesItsLimitAndKeepsWhatItHad) {
    BodyBuffer b(10);
    EXPECT_TRUE(b.append(std::string_view("12345")));
    EXPECT_TRUE(b.append(std::string_view("67890")));
    EXPECT_FALSE(b.append(std::string_view("x"))) << "one byte past the limit";
    EXPECT_EQ(b.bytes(), "1234567890") << "a refused piece adds nothing";
    b.clear();
    EXPECT_EQ(b.size(), 0u);
    EXPECT_FALSE(b.append(std::string_view("12345678901")));
    EXPECT_TRUE(b.append(std::string_view("")));
    EXPECT_EQ(BodyBuffer().limit(), 0x7FFFFFFFu) << "never more than a 32-bit count";
    EXPECT_EQ(BodyBuffer(SIZE_MAX).limit(), 0x7FFFFFFFu);
}

TEST(BodyBuffer, RoomMadeUpFrontChangesNeitherTheLimitNorTheBytes) {
    BodyBuffer b(10);
    b.reserve(1000);
    EXPECT_FALSE(b.append(std::string(11, 'x'))) << "the limit holds after a larger reserve";
    EXPECT_TRUE(b.append(std::string_view("abc")));
    b.reserve(5);
    EXPECT_EQ(b.bytes(), "abc");
}

TEST(ReadBuffer, GrowsToTheLargestReadAndKeepsItsMemoryForSmallerOnes) {
    ReadBuffer b;
    char* first = b.room(1000);
    ASSERT_NE(first, nullptr);
    EXPECT_GE(b.capacity(), 1000u);
    std::memset(first, 'a', 1000);
    EXPECT_EQ(b.room(10), first) << "a smaller read makes no fresh memory";
    EXPECT_EQ(b.room(1000), first);
    EXPECT_EQ(b.view(3).size(), 3u);
    EXPECT_EQ(b.view(3)[0], 'a');

    // Reads creeping upwards move the memory a few times, not every time.
    int moves = 0;
    char* at = b.room(1001);
    for (size_t size = 1002; size < 100000; size += 100) {
        char* next = b.room(size);
        if (next != at) ++moves;
        at = next;
        at[size - 1] = 'z';  // the whole room is there to write
    }
    EXPECT_LT(moves, 12);
    EXPECT_GE(b.capacity(), 99902u);

    ReadBuffer empty;
    EXPECT_NE(empty.room(0), nullptr) << "a zero-length read still has somewhere to point";
}

TEST(ReadBuffer, LentMemoryTakesTheReadsThatFitInIt) {
    ReadBuffer b;
    char* own = b.room(16);
    std::uint8_t lent[8] = {};
    b.lend(lent);
    char* at = b.room(8);
    EXPECT_EQ(at, reinterpret_cast<char*>(lent));
    at[0] = 'x';
    EXPECT_EQ(b.view(1).data(), lent) << "the view is of the memory read into";
    EXPECT_EQ(b.room(9), own) << "a read too large for the loan uses the buffer's own memory";
    EXPECT_EQ(b.view(1).data(), reinterpret_cast<const std::uint8_t*>(own));
    b.lend({});
    EXPECT_EQ(b.room(4), own) << "the loan has ended";
}
