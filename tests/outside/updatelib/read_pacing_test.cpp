// read_pacing_test.cpp
// The size of each read of a transfer: what has arrived while data comes
// slowly, larger reads only while the data is ahead of the reader.
#include <gtest/gtest.h>

#include <vector>

#include "read_pacing.h"

using namespace Tamberly_orvane6;

namespace {

constexpr std::uint32_t kLimit = 1024 * 1024;
constexpr std::uint32_t kQuick = 100;                        // an ask or read that did not wait
constexpr std::uint32_t kWaited = ReadPacer::kAtOnceUs + 1; // one that did

// A server far ahead: every ask finds 8 KiB at once, every read comes back
// full at once. Returns the sizes asked for.
std::vector<std::uint32_t> fastReads(ReadPacer& pacer, int reads) {
    std::vector<std::uint32_t> sizes;
    for (int i = 0; i < reads; ++i) {
        const std::uint32_t want = pacer.next(8192, kQuick);
        pacer.read(want, want, kQuick);
        sizes.push_back(want);
    }
    return sizes;
}

TEST(ReadPacer, ASlowServerIsReadExactlyAsItArrives) {
    ReadPacer pacer(kLimit);
    // A byte a second, then 4 KiB pieces 50 ms apart: each ask waits.
    for (std::uint32_t available : {1u, 1u, 1u, 4096u, 4096u, 4096u}) {
        const std::uint32_t want = pacer.next(available, 50000);
        EXPECT_EQ(want, available);
        pacer.read(want, want, kQuick);
    }
    // Even after the reads had grown, a wait drops straight back.
    fastReads(pacer, 10);
    EXPECT_EQ(pacer.next(1, kWaited), 1u);
}

TEST(ReadPacer, GrowsByDoublingToTheLimitWhileTheDataIsAhead) {
    ReadPacer pacer(kLimit);
    const auto sizes = fastReads(pacer, 12);
    EXPECT_EQ(sizes.front(), 16384u) << "no more than twice what had arrived at first";
    for (size_t i = 1; i < sizes.size(); ++i) EXPECT_LE(sizes[i], 2 * sizes[i - 1]) << i;
    EXPECT_EQ(sizes.back(), kLimit);
    EXPECT_EQ(fastReads(pacer, 3), (std::vector<std::uint32_t>{kLimit, kLimit, kLimit})) << "never past the limit";

    ReadPacer odd(100000); // a limit that is no power of two is reached, not passed
    const auto oddSizes = fastReads(odd, 8);
    EXPECT_EQ(oddSizes.back(), 100000u);
    for (std::uint32_t s : oddSizes) EXPECT_LE(s, 100000u);
    EXPECT_EQ(odd.next(500000, kWaited), 100000u) << "what has arrived is read at most up to the limit";
}

TEST(ReadPacer, AReadThatWaitedOrCameShortStartsOverFromWhatHasArrived) {
    ReadPacer pacer(kLimit);
    fastReads(pacer, 12);
    std::uint32_t want = pacer.next(8192, kQuick);
    pacer.read(want, want, kWaited); // the server fell behind during the read
    EXPECT_EQ(pacer.next(8192, kQuick), 16384u);

    fastReads(pacer, 12);
    want = pacer.next(8192, kQuick);
    pacer.read(want, want / 2, kQuick); // the body ended
    EXPECT_EQ(pacer.next(8192, kQuick), 16384u);
}

TEST(ReadPacer, WhileTheDataIsAheadTheNextReadIsSizedWithoutAsking) {
    ReadPacer pacer(kLimit);
    EXPECT_FALSE(pacer.ahead()) << "the first read asks what has arrived";
    std::uint32_t want = pacer.next(8192, kQuick);
    pacer.read(want, want, kQuick);
    ASSERT_TRUE(pacer.ahead());
    EXPECT_EQ(pacer.grow(), 2 * want) << "as large as asking would have made it";
    EXPECT_EQ(pacer.grow(), pacer.next(8192, kQuick));

    // Read after read without asking: doubling, never past the limit.
    std::uint32_t last = want;
    for (int i = 0; i < 12 && pacer.ahead(); ++i) {
        want = pacer.grow();
        EXPECT_LE(want, 2 * last);
        EXPECT_LE(want, kLimit);
        pacer.read(want, want, kQuick);
        last = want;
    }
    EXPECT_EQ(last, kLimit);

    // A read that took its time, or came back short, asks again.
    pacer.read(kLimit, kLimit, kWaited);
    EXPECT_FALSE(pacer.ahead());
    // So does one of bytes that had to be waited for, however quick: a
    // byte a second is read a byte at a time.
    for (int i = 0; i < 3; ++i) {
        want = pacer.next(1, 1000000);
        EXPECT_EQ(want, 1u);
        pacer.read(want, want, kQuick);
        EXPECT_FALSE(pacer.ahead()) << i;
    }
    fastReads(pacer, 3);
    ASSERT_TRUE(pacer.ahead());
    pacer.read(kLimit, 100, kQuick);
    EXPECT_FALSE(pacer.ahead());
}

} // namespace
