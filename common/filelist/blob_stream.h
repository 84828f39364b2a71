// blob_stream.h
// The byte streams the control's saved data is read from and written to.
// The file-list format and the saved stream see only ByteStream; the COM
// layer wraps an IStream in it, and in-memory hand-overs use MemoryStream.
// All integers on the wire are little-endian, whatever the host.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace orvane36 {

class ByteStream {
public:
    static constexpr uint64_t kUnknownSize = UINT64_MAX;

    virtual ~ByteStream() = default;
    // Reads up to size bytes into dest and returns how many arrived. Fewer
    // than asked means the end of the data or a failure; readers treat both
    // as "the record is short".
    virtual size_t read(void* dest, size_t size) = 0;
    // Writes size bytes and returns how many were taken; fewer is a failure.
    // May throw std::bad_alloc, like any allocation.
    virtual size_t write(const void* source, size_t size) = 0;
    // Bytes between the position and the end, or kUnknownSize when the
    // stream cannot tell. Readers use it to refuse a count the data cannot
    // hold before they allocate anything.
    virtual uint64_t remaining() const { return kUnknownSize; }
};

// A growable buffer with one position shared by reads and writes.
class MemoryStream final : public ByteStream {
public:
    MemoryStream() = default;
    explicit MemoryStream(std::vector<uint8_t> bytes) : m_bytes(std::move(bytes)) {}

    size_t read(void* dest, size_t size) override;
    // Overwrites from the position on and grows the buffer as needed.
    size_t write(const void* source, size_t size) override;
    uint64_t remaining() const override { return m_bytes.size() - m_pos; }

    void rewind() { m_pos = 0; }
    size_t position() const { return m_pos; }
    const std::vector<uint8_t>& bytes() const { return m_bytes; }
    std::vector<uint8_t> take() { m_pos = 0; return std::move(m_bytes); }

private:
    std::vector<uint8_t> m_bytes;
    size_t m_pos = 0;
};

inline uint32_t loadLe32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline void storeLe32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

// Each returns false when the stream gives or takes fewer bytes than asked.
bool readExact(ByteStream& stream, void* dest, size_t size);
bool writeExact(ByteStream& stream, const void* source, size_t size);
bool readUint16(ByteStream& stream, uint16_t& value);
bool readUint32(ByteStream& stream, uint32_t& value);
bool writeUint16(ByteStream& stream, uint16_t value);
bool writeUint32(ByteStream& stream, uint32_t value);

// Consumes and drops size bytes.
bool skipBytes(ByteStream& stream, size_t size);

// Reads a counted block of exactly count bytes into out. The count is
// refused at once when it exceeds limit or the bytes the stream says are
// left; when the stream cannot tell, the block is read in slices so that
// memory grows only with bytes that really arrive.
bool readBlock(ByteStream& stream, uint32_t count, uint32_t limit, std::vector<uint8_t>& out);

} // namespace orvane36
