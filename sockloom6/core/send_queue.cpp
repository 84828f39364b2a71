// send_queue.cpp
#include "send_queue.h"

#include <algorithm>
#include <climits>

namespace sockloom {

void ByteQueue::append(std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) return;
    // Reclaim the sent front before growing, once it is the larger part.
    if (m_start > 0 && m_start >= m_bytes.size() / 2) {
        m_bytes.erase(m_bytes.begin(), m_bytes.begin() + static_cast<std::ptrdiff_t>(m_start));
        m_start = 0;
    }
    m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
}

void ByteQueue::consume(size_t n) noexcept {
    m_start += std::min(n, count());
    if (m_start == m_bytes.size()) clear();
}

void ByteQueue::clear() noexcept {
    m_bytes.clear();
    m_bytes.shrink_to_fit();
    m_start = 0;
}

void SendQueues::clear() noexcept {
    m_normal.clear();
    m_oob.clear();
    m_toName = false;
}

namespace {

bool dropsConnection(int error) noexcept {
    return error == kWSAENETRESET || error == kWSAECONNABORTED || error == kWSAECONNRESET || error == kWSAESHUTDOWN;
}

}  // namespace

PumpResult SendQueues::pump(SendChannel& channel) {
    PumpResult r;
    long long taken = 0;
    // A finished or dropped normal queue takes the destination with it.
    auto drop = [this](bool oob) {
        if (oob) {
            m_oob.clear();
        } else {
            clear();
        }
    };
    for (;;) {
        const bool oob = !m_oob.empty();
        ByteQueue& q = oob ? m_oob : m_normal;
        if (q.empty()) break;
        const int count = static_cast<int>(std::min<size_t>(q.count(), INT_MAX));
        const SendOutcome out = channel.send(q.data(), count, oob);
        if (out.result >= count) {
            taken += count;
            drop(oob);
            continue;
        }
        if (out.result > 0) {
            taken += out.result;
            if (!m_toName) {
                q.consume(static_cast<size_t>(out.result));
                continue;
            }
            // A datagram cut short cannot be completed by sending the rest.
            r.error = out.error != 0 ? out.error : kWSAEMSGSIZE;
            drop(oob);
            break;
        }
        r.error = out.error;
        if (dropsConnection(out.error)) {
            clear();
        } else if (m_toName && out.error != kWSAEWOULDBLOCK) {
            drop(oob);
        }
        if (taken == 0) r.result = out.result;
        break;
    }
    if (taken > 0) r.result = static_cast<int>(std::min<long long>(taken, INT_MAX));
    if (empty()) m_toName = false;
    return r;
}

}  // namespace sockloom
