// body_buffer.h
// Bytes of a transfer kept in memory (an HTTP body, an FTP listing or
// download) until they are handed over whole. Bounded: what passes the
// limit, or what cannot be allocated, is refused instead of growing a
// count past 32 bits or ending the process.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace sockloom {

class BodyBuffer {
public:
    // The most a 32-bit count can report.
    static constexpr size_t kMaxBytes = 0x7FFFFFFF;

    explicit BodyBuffer(size_t limit = kMaxBytes) noexcept : m_limit(limit < kMaxBytes ? limit : kMaxBytes) {}

    // Appends piece; false (nothing appended) when the buffer would pass
    // its limit or the memory cannot be had.
    bool append(std::span<const std::uint8_t> piece) noexcept;
    bool append(std::string_view piece) noexcept {
        return append({reinterpret_cast<const std::uint8_t*>(piece.data()), piece.size()});
    }
    void clear() noexcept;
    // Room made up front for a body of a known length (no more than the
    // limit), so it is not grown by doubling; a failure is no error, the
    // bytes are then kept as they come.
    void reserve(size_t expected) noexcept;

    const std::string& bytes() const noexcept { return m_bytes; }
    size_t size() const noexcept { return m_bytes.size(); }
    size_t limit() const noexcept { return m_limit; }

private:
    std::string m_bytes;
    size_t m_limit;
};

}  // namespace sockloom
