// BodyArray.h
// A body delivered as a byte array, written piece by piece straight into
// the array that is handed over at the end. Sized once from the length
// the server announced, so a large body is neither grown by doubling nor
// copied into a second array when it is complete: it takes its own size
// in memory, once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "common/com/com.h"

namespace sockloom {

class BodyArray {
public:
    // Makes a zero-based byte array of expected bytes (at least one);
    // false, nothing held, when the memory cannot be had.
    bool prepare(size_t expected) noexcept;
    // Whether an array is held.
    bool ready() const noexcept { return static_cast<bool>(m_array); }
    // Appends piece; bytes past the prepared size are kept aside (a server
    // may send a few more than it announced). False when they cannot be.
    bool append(std::span<const std::uint8_t> piece) noexcept;
    // The part of the array not yet filled (empty when none): a reader may
    // put the next piece there and then append that piece, which is then
    // taken where it lies, without a copy. Valid until the next prepare,
    // take or clear.
    std::span<std::uint8_t> room() noexcept;
    // Bytes appended so far.
    size_t size() const noexcept { return m_filled + m_extra.size(); }
    // The array holding exactly the bytes appended, as a VARIANT; nothing
    // is held afterwards. Throws std::bad_alloc when a size other than the
    // prepared one cannot be had.
    com::Variant take();
    // Lets the array go.
    void clear() noexcept;

private:
    com::SafeArray m_array;
    // The array's bytes: it is never resized while it is held here.
    std::uint8_t* m_data = nullptr;
    size_t m_capacity = 0;
    size_t m_filled = 0;
    std::string m_extra;
};

}  // namespace sockloom
