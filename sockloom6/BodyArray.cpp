// BodyArray.cpp
#include "BodyArray.h"

#include <cstring>
#include <new>

namespace sockloom {

bool BodyArray::prepare(size_t expected) noexcept {
    clear();
    if (expected == 0) expected = 1;
    if (expected > 0x7FFFFFFF) return false;
    try {
        m_array = com::SafeArray::vector(VT_UI1, static_cast<ULONG>(expected));
    } catch (const std::exception&) {
        return false;
    }
    {
        com::SafeArrayAccess access(m_array.get());
        if (!access.ok()) {
            clear();
            return false;
        }
        m_data = static_cast<std::uint8_t*>(access.data());
    }
    m_capacity = expected;
    return true;
}

std::span<std::uint8_t> BodyArray::room() noexcept {
    if (!m_array || m_filled >= m_capacity) return {};
    return {m_data + m_filled, m_capacity - m_filled};
}

bool BodyArray::append(std::span<const std::uint8_t> piece) noexcept {
    if (!m_array) return false;
    const size_t room = m_capacity - m_filled;
    const size_t inArray = piece.size() < room ? piece.size() : room;
    if (inArray > 0) {
        // A piece read into room() is already in place.
        if (piece.data() != m_data + m_filled) std::memcpy(m_data + m_filled, piece.data(), inArray);
        m_filled += inArray;
    }
    if (inArray == piece.size()) return true;
    try {
        m_extra.append(reinterpret_cast<const char*>(piece.data()) + inArray, piece.size() - inArray);
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

com::Variant BodyArray::take() {
    if (!m_array) return com::Variant::fromBytes({});
    const size_t total = size();
    if (total != m_capacity) {
        // Only when the server sent other than it announced: the array
        // takes the size of what came.
        if (total > 0x7FFFFFFF) throw std::bad_alloc();
        SAFEARRAYBOUND bound{static_cast<ULONG>(total), 0};
        if (FAILED(SafeArrayRedim(m_array.get(), &bound))) throw std::bad_alloc();
        if (!m_extra.empty()) {
            com::SafeArrayAccess access(m_array.get());
            if (!access.ok()) throw std::bad_alloc();
            std::memcpy(static_cast<std::uint8_t*>(access.data()) + m_filled, m_extra.data(), m_extra.size());
        }
    }
    com::Variant v;
    VARIANT* out = v.put();
    out->vt = VT_ARRAY | VT_UI1;
    out->parray = m_array.release();
    clear();
    return v;
}

void BodyArray::clear() noexcept {
    m_array.reset();
    m_data = nullptr;
    m_capacity = 0;
    m_filled = 0;
    std::string().swap(m_extra);
}

}  // namespace sockloom
