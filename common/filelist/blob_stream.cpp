// blob_stream.cpp
#include "blob_stream.h"

#include <algorithm>
#include <cstring>

namespace orvane36 {

namespace {
// Slice size for blocks read from a stream of unknown length.
constexpr size_t kReadSlice = 64 * 1024;
} // namespace

size_t MemoryStream::read(void* dest, size_t size) {
    size_t n = std::min(size, m_bytes.size() - m_pos);
    if (n != 0) std::memcpy(dest, m_bytes.data() + m_pos, n);
    m_pos += n;
    return n;
}

size_t MemoryStream::write(const void* source, size_t size) {
    if (size == 0) return 0;
    if (m_bytes.size() - m_pos < size) m_bytes.resize(m_pos + size);
    std::memcpy(m_bytes.data() + m_pos, source, size);
    m_pos += size;
    return size;
}

bool readExact(ByteStream& stream, void* dest, size_t size) {
    return size == 0 || stream.read(dest, size) == size;
}

bool writeExact(ByteStream& stream, const void* source, size_t size) {
    return size == 0 || stream.write(source, size) == size;
}

bool readUint16(ByteStream& stream, uint16_t& value) {
    uint8_t b[2];
    if (!readExact(stream, b, 2)) return false;
    value = uint16_t(b[0] | b[1] << 8);
    return true;
}

bool readUint32(ByteStream& stream, uint32_t& value) {
    uint8_t b[4];
    if (!readExact(stream, b, 4)) return false;
    value = loadLe32(b);
    return true;
}

bool writeUint16(ByteStream& stream, uint16_t value) {
    const uint8_t b[2] = {uint8_t(value), uint8_t(value >> 8)};
    return writeExact(stream, b, 2);
}

bool writeUint32(ByteStream& stream, uint32_t value) {
    uint8_t b[4];
    storeLe32(b, value);
    return writeExact(stream, b, 4);
}

bool skipBytes(ByteStream& stream, size_t size) {
    uint8_t scratch[512];
    while (size != 0) {
        size_t n = std::min(size, sizeof scratch);
        if (!readExact(stream, scratch, n)) return false;
        size -= n;
    }
    return true;
}

bool readBlock(ByteStream& stream, uint32_t count, uint32_t limit, std::vector<uint8_t>& out) {
    out.clear();
    if (count > limit || count > stream.remaining()) return false;
    if (stream.remaining() != ByteStream::kUnknownSize) {
        out.resize(count);
        return readExact(stream, out.data(), count);
    }
    while (out.size() < count) {
        size_t have = out.size();
        size_t n = std::min<size_t>(count - have, kReadSlice);
        out.resize(have + n);
        if (!readExact(stream, out.data() + have, n)) return false;
    }
    return true;
}

} // namespace orvane36
