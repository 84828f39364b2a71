// send_queue_test.cpp
// The send queues against a scripted system: what stays queued, what is
// reported, and that the pump keeps going until the system refuses.
#include <gtest/gtest.h>

#include <deque>
#include <string>

#include "core/send_queue.h"

using namespace sockloom;

namespace {

// Takes what each step allows (all when the script is empty); a negative
// step refuses with that error.
class ScriptedChannel final : public SendChannel {
public:
    std::deque<int> script;
    std::string wire;    // every byte taken, in order
    std::string urgent;  // the out-of-band bytes among them
    int calls = 0;

    SendOutcome send(const std::uint8_t* bytes, int count, bool outOfBand) override {
        ++calls;
        int take = count;
        if (!script.empty()) {
            const int step = script.front();
            script.pop_front();
            if (step < 0) return {-1, -step};
            take = std::min(step, count);
        }
        const std::string taken(reinterpret_cast<const char*>(bytes), static_cast<size_t>(take));
        wire += taken;
        if (outOfBand) urgent += taken;
        return {take, 0};
    }
};

void queue(ByteQueue& q, const std::string& s) {
    q.append({reinterpret_cast<const std::uint8_t*>(s.data()), s.size()});
}

std::string contents(const ByteQueue& q) { return std::string(reinterpret_cast<const char*>(q.data()), q.count()); }

}  // namespace

TEST(SendQueues, PartialSendsContinueUntilEverythingIsTaken) {
    SendQueues q;
    ScriptedChannel system;
    system.script = {2, 3, 1};
    queue(q.normal(), "abcdefghij");
    const PumpResult r = q.pump(system);
    EXPECT_EQ(r.result, 10);
    EXPECT_FALSE(r.error);
    EXPECT_EQ(system.wire, "abcdefghij");
    EXPECT_EQ(system.calls, 4);
    EXPECT_TRUE(q.empty());
}

TEST(SendQueues, WouldBlockKeepsExactlyTheUnsentTailAndNewBytesGoBehindIt) {
    SendQueues q;
    ScriptedChannel system;
    system.script = {4, -kWSAEWOULDBLOCK};
    queue(q.normal(), "abcdefghij");
    PumpResult r = q.pump(system);
    EXPECT_EQ(r.result, 4) << "the bytes taken, though the last send failed";
    EXPECT_EQ(r.error, kWSAEWOULDBLOCK);
    EXPECT_EQ(contents(q.normal()), "efghij");

    queue(q.normal(), "XYZ");
    EXPECT_EQ(contents(q.normal()), "efghijXYZ");
    system.script = {-kWSAEWOULDBLOCK};
    r = q.pump(system);
    EXPECT_EQ(r.result, -1) << "nothing taken: the failing send's result";
    EXPECT_EQ(contents(q.normal()), "efghijXYZ");
    r = q.pump(system);
    EXPECT_EQ(r.result, 9);
    EXPECT_EQ(system.wire, "abcdefghijXYZ");
}

TEST(SendQueues, OutOfBandGoesFirst) {
    SendQueues q;
    ScriptedChannel system;
    queue(q.normal(), "normal");
    queue(q.outOfBand(), "!");
    EXPECT_EQ(q.pump(system).result, 7);
    EXPECT_EQ(system.wire, "!normal");
    EXPECT_EQ(system.urgent, "!");
}

TEST(SendQueues, ConnectionErrorsDropBothQueuesOtherErrorsKeepThem) {
    for (int error : {kWSAENETRESET, kWSAECONNABORTED, kWSAECONNRESET, kWSAESHUTDOWN}) {
        SendQueues q;
        ScriptedChannel system;
        system.script = {-error};
        queue(q.normal(), "abc");
        queue(q.outOfBand(), "!");
        const PumpResult r = q.pump(system);
        EXPECT_EQ(r.error, error);
        EXPECT_TRUE(q.empty()) << error;
    }
    SendQueues q;
    ScriptedChannel system;
    system.script = {-10057};  // not connected yet: wait for FD_WRITE
    queue(q.normal(), "abc");
    EXPECT_EQ(q.pump(system).error, 10057);
    EXPECT_EQ(contents(q.normal()), "abc");
}

TEST(SendQueues, ADatagramIsSentWholeOrDropped) {
    SendQueues q;
    ScriptedChannel system;
    q.setDestination(true);
    queue(q.normal(), "datagram");
    system.script = {-kWSAEWOULDBLOCK};
    q.pump(system);
    EXPECT_EQ(q.normal().count(), 8u) << "would-block keeps it for FD_WRITE";
    EXPECT_TRUE(q.hasDestination());

    system.script = {3};
    PumpResult r = q.pump(system);
    EXPECT_EQ(r.result, 3);
    EXPECT_EQ(r.error, kWSAEMSGSIZE);
    EXPECT_TRUE(q.empty()) << "a cut datagram is not completed by sending the rest";
    EXPECT_FALSE(q.hasDestination()) << "the destination goes with the queue";

    q.setDestination(true);
    queue(q.outOfBand(), "x");
    system.script = {-10045};  // refused outright: it would be refused again
    r = q.pump(system);
    EXPECT_EQ(r.error, 10045);
    EXPECT_TRUE(q.empty());
}

TEST(SendQueues, NothingQueuedSendsNothing) {
    SendQueues q;
    ScriptedChannel system;
    const PumpResult r = q.pump(system);
    EXPECT_EQ(r.result, 0);
    EXPECT_FALSE(r.error);
    EXPECT_EQ(system.calls, 0);
}

TEST(ByteQueue, AManyTimesConsumedQueueKeepsItsOrder) {
    ByteQueue q;
    std::string expected;
    for (int round = 0; round < 200; ++round) {
        const std::string chunk(37, static_cast<char>('A' + round % 26));
        queue(q, chunk);
        expected += chunk;
        q.consume(29);
        expected.erase(0, 29);
        ASSERT_EQ(contents(q), expected) << round;
    }
    q.consume(q.count() + 5);
    EXPECT_TRUE(q.empty());
}
