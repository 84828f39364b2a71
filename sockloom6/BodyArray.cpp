// BodyArray.cpp
#include "BodyArray.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace sockloom {

bool BodyArray::prepare(size_t expected) noexcept {
    clear();
    if (expected > 0x7FFFFFFF) return false;
    m_expected = expected;
    m_prepared = true;
    return true;
}

bool BodyArray::makeArray(size_t capacity) noexcept {
    // The data of an array made by SafeArrayCreate would be zero-filled,
    // touching all of it while the pieces are still held; memory from the
    // task allocator (which SafeArrayDestroy frees it with) is touched only
    // as the bytes are written.
    auto* array = static_cast<std::uint8_t*>(CoTaskMemAlloc(capacity > 0 ? capacity : 1));
    if (!array) return false;
    size_t at = 0;
    for (Piece& p : m_pieces) {
        makePresent(array + at, p.filled, false);
        std::memcpy(array + at, p.data.get(), p.filled);
        at += p.filled;
        // Given back at once, so the peak stays near the body's own size.
        p.data.reset();
    }
    m_pieces.clear();
    m_array = array;
    m_capacity = capacity;
    m_filled = at;
    m_touched = at;
    m_staged = 0;
    return true;
}

void BodyArray::makePresent(std::uint8_t* from, size_t count, bool orTouch) noexcept {
    static const size_t page = [] {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        return static_cast<size_t>(info.dwPageSize > 0 ? info.dwPageSize : 4096);
    }();
    // Locking a range brings all its pages in at once, for less than a
    // fault for each page; the lock is let go at once, only the pages'
    // presence is wanted. Whole pages only, so that no page shared with
    // other memory is locked or unlocked.
    const auto start = reinterpret_cast<std::uintptr_t>(from);
    const std::uintptr_t end = start + count;
    const std::uintptr_t first = (start + page - 1) / page * page;
    const std::uintptr_t last = end / page * page;
    std::uintptr_t at = first;
    while (!m_lockRefused && at < last) {
        const size_t n = std::min<std::uintptr_t>(last - at, kLockStep);
        void* p = reinterpret_cast<void*>(at);
        if (!VirtualLock(p, n)) {
            m_lockRefused = true;
            break;
        }
        VirtualUnlock(p, n);
        at += n;
    }
    if (!orTouch) return;
    auto zero = [](std::uintptr_t a, std::uintptr_t b) {
        if (b > a) std::memset(reinterpret_cast<void*>(a), 0, b - a);
    };
    if (last <= first) return zero(start, end);
    // The parts of pages at either end, and what could not be locked.
    zero(start, first);
    zero(at, last);
    zero(last, end);
}

std::span<std::uint8_t> BodyArray::touchedRoom(std::uint8_t* base, size_t filled, size_t capacity,
                                               size_t& touched) noexcept {
    const size_t wanted = std::min(capacity, filled + kTouchAhead);
    if (touched < wanted) {
        makePresent(base + touched, wanted - touched, true);
        touched = wanted;
    }
    return {base + filled, touched - filled};
}

bool BodyArray::grow() noexcept {
    const size_t rest = m_expected - m_staged;
    if (rest <= std::max(m_staged, kStep)) return makeArray(m_expected);
    // Doubling what came, and no further than half the announced length,
    // where the array takes over: then no more than half the body is moved.
    const size_t half = m_expected - m_expected / 2;
    const size_t size = std::max<size_t>(1, std::min(std::max(m_staged, kStep), half > m_staged ? half - m_staged : 1));
    try {
        m_pieces.reserve(m_pieces.size() + 1);
    } catch (const std::exception&) {
        return false;
    }
    Piece p;
    p.data.reset(new (std::nothrow) std::uint8_t[size]);
    if (!p.data) return false;
    p.capacity = size;
    m_pieces.push_back(std::move(p));
    return true;
}

std::span<std::uint8_t> BodyArray::room() noexcept {
    if (!m_prepared) return {};
    if (m_array) {
        if (m_filled >= m_expected) return {};
        return touchedRoom(m_array, m_filled, m_expected, m_touched);
    }
    if (!m_pieces.empty() && m_pieces.back().filled < m_pieces.back().capacity) {
        Piece& p = m_pieces.back();
        return touchedRoom(p.data.get(), p.filled, p.capacity, p.touched);
    }
    if (m_staged >= m_expected || !grow()) return {};
    return room();
}

bool BodyArray::append(std::span<const std::uint8_t> piece) noexcept {
    if (!m_prepared) return false;
    while (!piece.empty()) {
        const std::span<std::uint8_t> into = room();
        if (into.empty()) {
            // Short of the prepared size: no memory could be had.
            if (m_staged + m_filled < m_expected) return false;
            try {
                m_extra.append(reinterpret_cast<const char*>(piece.data()), piece.size());
            } catch (const std::exception&) {
                return false;
            }
            return true;
        }
        const size_t n = std::min(piece.size(), into.size());
        // A piece read into room() is already in place.
        if (piece.data() != into.data()) std::memcpy(into.data(), piece.data(), n);
        if (m_array) {
            m_filled += n;
        } else {
            m_pieces.back().filled += n;
            m_staged += n;
        }
        piece = piece.subspan(n);
    }
    return true;
}

com::Variant BodyArray::take() {
    if (!m_prepared) return com::Variant::fromBytes({});
    const size_t total = size();
    if (total == 0) {
        clear();
        return com::Variant::fromBytes({});
    }
    if (total > 0x7FFFFFFF) throw std::bad_alloc();
    // Only when the server sent other than it announced: the array takes
    // the size of what came.
    if (!m_array && !makeArray(total)) throw std::bad_alloc();
    if (total > m_capacity) {
        void* larger = CoTaskMemRealloc(m_array, total);
        if (!larger) throw std::bad_alloc();
        m_array = static_cast<std::uint8_t*>(larger);
        m_capacity = total;
    }
    std::memcpy(m_array + m_filled, m_extra.data(), m_extra.size());
    SAFEARRAY* array = nullptr;
    if (FAILED(SafeArrayAllocDescriptorEx(VT_UI1, 1, &array))) throw std::bad_alloc();
    array->rgsabound[0].lLbound = 0;
    array->rgsabound[0].cElements = static_cast<ULONG>(total);
    array->pvData = m_array;
    m_array = nullptr;
    clear();
    com::Variant v;
    VARIANT* out = v.put();
    out->vt = VT_ARRAY | VT_UI1;
    out->parray = array;
    return v;
}

void BodyArray::clear() noexcept {
    m_prepared = false;
    m_expected = 0;
    m_pieces.clear();
    m_staged = 0;
    if (m_array) CoTaskMemFree(m_array);
    m_array = nullptr;
    m_capacity = 0;
    m_filled = 0;
    m_touched = 0;
    std::string().swap(m_extra);
}

}  // namespace sockloom
