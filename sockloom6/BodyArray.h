// BodyArray.h
// A body delivered as a byte array, announced by its length. Memory is
// taken as the bytes come, never much ahead of them: until half the
// announced bytes are in they go into pieces, each no larger than what
// came before it (or one step); then the array's own memory of the whole
// announced length is taken, the pieces are moved into it and let go, and
// the rest is read straight into the array that is handed over at the end.
// A peer that announces much and sends little costs little, and a whole
// body takes its own size and one piece more at its peak.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "common/com/com.h"

namespace sockloom {

class BodyArray {
public:
    // The most memory taken ahead of the bytes that came, beyond as much
    // again as came.
    static constexpr size_t kStep = size_t{1} << 20;
    // How far ahead of the bytes that came the memory is made present
    // before a read: a socket read into pages never touched costs far more
    // than touching them first (the system makes each page during the
    // read), and touching while the next bytes arrive overlaps the two.
    static constexpr size_t kTouchAhead = size_t{8} << 20;
    // The most memory locked at once to make its pages present (a process
    // may lock only a little).
    static constexpr size_t kLockStep = size_t{4} << 20;

    // lockPages false: memory is made present by touching it alone, as
    // where the system lets a process lock none.
    explicit BodyArray(bool lockPages = true) noexcept : m_lockRefused(!lockPages) {}
    ~BodyArray() { clear(); }
    BodyArray(const BodyArray&) = delete;
    BodyArray& operator=(const BodyArray&) = delete;

    // Starts a body of expected bytes, forgetting an earlier one; no memory
    // is taken yet. False, nothing held, for a size past a 32-bit count.
    bool prepare(size_t expected) noexcept;
    // Whether a body was prepared and not yet taken or cleared.
    bool ready() const noexcept { return m_prepared; }
    // Appends piece; bytes past the prepared size are kept aside (a server
    // may send a few more than it announced). False when memory for them
    // cannot be had.
    bool append(std::span<const std::uint8_t> piece) noexcept;
    // Where the next bytes go (empty when the prepared size is reached, or
    // no memory can be had): a reader may put the next piece there and then
    // append that piece, which is then taken where it lies, without a copy.
    // Valid until the next append, prepare, take or clear.
    std::span<std::uint8_t> room() noexcept;
    // Bytes appended so far.
    size_t size() const noexcept { return m_staged + m_filled + m_extra.size(); }
    // The array holding exactly the bytes appended, as a VARIANT; nothing
    // is held afterwards. Throws std::bad_alloc when memory for it cannot
    // be had.
    com::Variant take();
    // Lets everything go.
    void clear() noexcept;

private:
    struct Piece {
        std::unique_ptr<std::uint8_t[]> data;
        size_t capacity = 0;
        size_t filled = 0;
        size_t touched = 0;
    };

    // The unfilled part of memory at base, made present up to kTouchAhead
    // past what is filled, and no further than what is present.
    std::span<std::uint8_t> touchedRoom(std::uint8_t* base, size_t filled, size_t capacity, size_t& touched) noexcept;
    // Makes the pages of count bytes at from present, all of a step at once
    // where the system lets them be locked; otherwise touches them when
    // orTouch (a copy into them touches them anyway). Bytes there may be
    // zeroed.
    void makePresent(std::uint8_t* from, size_t count, bool orTouch) noexcept;

    // Room for more once the last piece is full: a new piece, or the array
    // once the rest is no more than what came. False when no memory.
    bool grow() noexcept;
    // Takes the array's memory for capacity bytes and moves the pieces in.
    bool makeArray(size_t capacity) noexcept;

    bool m_prepared = false;
    size_t m_expected = 0;
    std::vector<Piece> m_pieces;
    // Bytes held in the pieces.
    size_t m_staged = 0;
    // The array's data, from the allocator the system's array functions
    // free it with; null until it is made.
    std::uint8_t* m_array = nullptr;
    size_t m_capacity = 0;
    size_t m_filled = 0;
    size_t m_touched = 0;
    std::string m_extra;
    // The system refused to lock memory once: it is not asked again.
    bool m_lockRefused;
};

}  // namespace sockloom
