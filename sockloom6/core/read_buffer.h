// read_buffer.h
// Memory a socket reads into, kept from one read to the next. It grows to
// the largest piece asked for and is never shrunk or cleared, so a steady
// stream of reads makes no fresh, zero-filled memory for every piece (a
// client that falls behind reads pieces of a megabyte or more, and fresh
// blocks of that size cost a mapping each).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace sockloom {

class ReadBuffer {
public:
    // Room for at least size bytes (at least one); what it holds before
    // the read is unspecified. A larger request moves the memory, so any
    // view taken earlier is then stale. Throws std::bad_alloc.
    char* room(size_t size);
    // The first count bytes of the room last given (count no more than
    // was asked for).
    std::span<const std::uint8_t> view(size_t count) const noexcept {
        return {reinterpret_cast<const std::uint8_t*>(m_last), count};
    }
    size_t capacity() const noexcept { return m_capacity; }
    // Memory of the reader's own that room() gives instead while a request
    // fits in it, so the bytes land where they are wanted and need no copy;
    // an empty span ends the loan.
    void lend(std::span<std::uint8_t> memory) noexcept { m_lent = memory; }
    // Bytes of the memory lent now (0: none).
    size_t lent() const noexcept { return m_lent.size(); }

private:
    std::unique_ptr<char[]> m_data;
    size_t m_capacity = 0;
    std::span<std::uint8_t> m_lent;
    char* m_last = nullptr;
};

}  // namespace sockloom
