// body_buffer.cpp
#include "body_buffer.h"

#include <new>

namespace sockloom {

bool BodyBuffer::append(std::span<const std::uint8_t> piece) noexcept {
    if (piece.size() > m_limit - m_bytes.size()) return false;
    try {
        m_bytes.append(reinterpret_cast<const char*>(piece.data()), piece.size());
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

void BodyBuffer::reserve(size_t expected) noexcept {
    if (expected > m_limit) expected = m_limit;
    try {
        m_bytes.reserve(expected);
    } catch (const std::exception&) {
    }
}

void BodyBuffer::clear() noexcept {
    // Memory of a large transfer is given back, not kept for the next.
    std::string().swap(m_bytes);
}

}  // namespace sockloom
