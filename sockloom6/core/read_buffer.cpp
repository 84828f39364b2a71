// read_buffer.cpp
#include "read_buffer.h"

namespace sockloom {

char* ReadBuffer::room(size_t size) {
    if (size == 0) size = 1;
    if (!m_lent.empty() && size <= m_lent.size()) {
        m_last = reinterpret_cast<char*>(m_lent.data());
        return m_last;
    }
    if (size > m_capacity) {
        // Pieces grow a little at a time while the reader falls behind:
        // half again at least, so that costs a few moves, not one a read.
        const size_t grown = m_capacity + m_capacity / 2;
        const size_t wanted = size > grown ? size : grown;
        // Not value-initialised: the read overwrites what it uses.
        std::unique_ptr<char[]> bigger(new char[wanted]);
        m_data = std::move(bigger);
        m_capacity = wanted;
    }
    m_last = m_data.get();
    return m_last;
}

}  // namespace sockloom
