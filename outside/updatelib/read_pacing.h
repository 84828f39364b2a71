// read_pacing.h
// How much the transfer worker asks for in one read. A synchronous WinINet
// read returns only once its whole buffer is full, so asking for more than
// has arrived holds back what has come until the rest comes: a slow server's
// bytes must be read as they are ("what has arrived" from the system). But
// the system may count only its own small buffer as arrived, and a read per
// such piece costs more than the piece is worth on a fast connection. So
// the reads grow past what has arrived, doubling up to the buffer, only
// while the data is ahead of the reader: asking what has arrived did not
// wait, and each larger read came back full at once. Any wait, or a read
// that took its time, drops back to what has arrived. What a read may hold
// back is thus at most about twice what arrived at once the time before.
// While the data is ahead there is nothing to learn from asking (the answer
// comes at once and the read is larger anyway), and each question costs as
// much as a read: the next read is then sized without asking (ahead(), grow()).
#pragma once

#include <cstdint>

namespace Tamberly_orvane6 {

class ReadPacer {
public:
    // A wait or a read no longer than this (microseconds) counts as at once:
    // long enough that a busy machine's scheduling delays are not taken for
    // a slow server, short enough that nobody sees the bytes held back.
    static constexpr std::uint32_t kAtOnceUs = 20000;

    // limit: the largest read (the buffer's size, at least 1).
    explicit ReadPacer(std::uint32_t limit) : m_limit(limit < 1 ? 1 : limit) {}

    // The size of the next read. available: what the system says has
    // arrived (at least 1); waitedUs: how long asking that took.
    std::uint32_t next(std::uint32_t available, std::uint32_t waitedUs) {
        m_askWaited = waitedUs > kAtOnceUs;
        if (available > m_limit) available = m_limit;
        if (waitedUs > kAtOnceUs) m_ahead = 0;
        if (waitedUs > kAtOnceUs || available == 0) return available;
        // Data was waiting: try twice what came at once the last time.
        const std::uint32_t base = m_ahead > available ? m_ahead : available;
        const std::uint32_t grown = doubled(base);
        return grown > available ? grown : available;
    }

    // True while the last read came back full at once and no wait came
    // before it: the next may be sized by grow() without asking what has
    // arrived. (After a wait the bytes come as they arrive, one read each.)
    bool ahead() const { return m_ahead != 0 && !m_askWaited; }

    // The size of the next read while ahead(): twice the last, up to the limit.
    std::uint32_t grow() const { return doubled(m_ahead); }

    // Reports the read just made: wanted bytes asked for, got arrived, in tookUs.
    void read(std::uint32_t wanted, std::uint32_t got, std::uint32_t tookUs) {
        m_ahead = (got == wanted && tookUs <= kAtOnceUs) ? wanted : 0;
    }

private:
    std::uint32_t doubled(std::uint32_t n) const { return n > m_limit / 2 ? m_limit : n * 2; }

    std::uint32_t m_limit;
    std::uint32_t m_ahead = 0; // the last read that came back full at once; 0: none
    bool m_askWaited = false;  // the last question about what has arrived waited
};

} // namespace Tamberly_orvane6
