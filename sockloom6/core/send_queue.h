// send_queue.h
// The outgoing side of one socket: a normal and an out-of-band queue of
// bytes, and the pump that hands them to the system. Portable: the system
// is reached through SendChannel, so the bookkeeping is tested natively
// against fakes.
//
// The pump keeps sending until the queues are empty or the system refuses
// (would block, or an error). That matters: Windows Sockets announces
// FD_WRITE again only after a send that would have blocked, so a pump that
// stopped after a partial send could wait for an FD_WRITE that never comes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace sockloom {

// Windows Sockets error numbers the queues act on.
inline constexpr int kWSAEFAULT = 10014;
inline constexpr int kWSAEWOULDBLOCK = 10035;
inline constexpr int kWSAEMSGSIZE = 10040;
inline constexpr int kWSAENETRESET = 10052;
inline constexpr int kWSAECONNABORTED = 10053;
inline constexpr int kWSAECONNRESET = 10054;
inline constexpr int kWSAESHUTDOWN = 10058;

// Bytes waiting to be sent, the first to send at the front. Sent bytes are
// dropped from the front without moving the rest each time, so a large
// queue drained in many partial sends costs linear time.
class ByteQueue {
public:
    bool empty() const noexcept { return count() == 0; }
    size_t count() const noexcept { return m_bytes.size() - m_start; }
    // The bytes still to send (count() of them).
    const std::uint8_t* data() const noexcept { return m_bytes.data() + m_start; }

    void append(std::span<const std::uint8_t> bytes);
    // Drops the first n bytes (n at most count()).
    void consume(size_t n) noexcept;
    void clear() noexcept;

private:
    std::vector<std::uint8_t> m_bytes;
    size_t m_start = 0;
};

// One call of the system's send: result is its return value (bytes taken,
// or -1), error the Windows Sockets error read right after a failing call
// (0 when it did not fail).
struct SendOutcome {
    int result = 0;
    int error = 0;
};

// How the pump reaches the system: the owner sends to the connected peer,
// or to its stored destination when hasDestination() is set.
class SendChannel {
public:
    virtual SendOutcome send(const std::uint8_t* bytes, int count, bool outOfBand) = 0;

protected:
    ~SendChannel() = default;
};

struct PumpResult {
    // Bytes the system took during this pump; when it took none, the
    // result of the send that failed (0 or -1), or 0 when nothing waited.
    int result = 0;
    // The error of a send that failed, when one did.
    std::optional<int> error;
};

class SendQueues {
public:
    ByteQueue& normal() noexcept { return m_normal; }
    ByteQueue& outOfBand() noexcept { return m_oob; }
    // Bytes waiting in both queues.
    size_t count() const noexcept { return m_normal.count() + m_oob.count(); }
    bool empty() const noexcept { return m_normal.empty() && m_oob.empty(); }

    // Whether the queues go to a stored destination (a datagram socket's
    // sendto) instead of the connected peer; forgotten whenever the queues
    // are left empty.
    bool hasDestination() const noexcept { return m_toName; }
    void setDestination(bool toName) noexcept { m_toName = toName; }

    // Both queues emptied and the destination forgotten.
    void clear() noexcept;

    // Sends the out-of-band queue first, then the normal one, until both
    // are empty or the system refuses:
    // - all of a queue taken: it is emptied (the normal queue by clear()),
    //   and the pump goes on;
    // - part of a stream queue taken: exactly the unsent tail stays, and
    //   the pump sends it at once;
    // - part of a datagram taken (a destination is set): the datagram is
    //   dropped and the error reported;
    // - refused with a reset, abort or shutdown: both queues are cleared;
    //   a datagram refused for any reason but would-block is dropped, as it
    //   would be refused again; anything else keeps the queue for the next
    //   FD_WRITE.
    PumpResult pump(SendChannel& channel);

private:
    ByteQueue m_normal;
    ByteQueue m_oob;
    bool m_toName = false;
};

}  // namespace sockloom
