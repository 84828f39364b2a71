// test_streams.h
// Fakes and a byte builder for the saved-list tests and the fuzz target.
// Expected bytes are spelled out field by field with Bytes, never taken
// from the writers under test.
#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <new>
#include <string_view>
#include <utility>
#include <vector>

#include "common/filelist/blob_stream.h"

namespace orvane36_test {

using orvane36::ByteStream;
using orvane36::MemoryStream;

// Builds little-endian byte images by hand.
class Bytes {
public:
    Bytes& u8(std::initializer_list<int> bs) {
        for (int b : bs) m_b.push_back(static_cast<uint8_t>(b));
        return *this;
    }
    Bytes& le16(uint32_t v) { return u8({int(v & 0xFF), int(v >> 8 & 0xFF)}); }
    Bytes& le32(uint32_t v) {
        return u8({int(v & 0xFF), int(v >> 8 & 0xFF), int(v >> 16 & 0xFF), int(v >> 24 & 0xFF)});
    }
    // Byte by byte: GCC 12 at -O3 misreads vector::insert here as an
    // overflow (-Wstringop-overflow).
    Bytes& ascii(std::string_view s) {
        for (char c : s) m_b.push_back(static_cast<uint8_t>(c));
        return *this;
    }
    Bytes& fill(size_t n, uint8_t b) {
        m_b.resize(m_b.size() + n, b);
        return *this;
    }
    Bytes& append(const std::vector<uint8_t>& more) {
        for (uint8_t b : more) m_b.push_back(b);
        return *this;
    }
    size_t size() const { return m_b.size(); }
    const std::vector<uint8_t>& bytes() const { return m_b; }
    operator std::vector<uint8_t>() const { return m_b; }

private:
    std::vector<uint8_t> m_b;
};

// A stream that cannot tell its length, like a pipe or a host's stream
// without Stat, so readers must not trust counts up front.
class UnsizedStream final : public ByteStream {
public:
    explicit UnsizedStream(std::vector<uint8_t> bytes) : m_inner(std::move(bytes)) {}
    size_t read(void* dest, size_t size) override {
        m_largestRead = std::max(m_largestRead, size);
        return m_inner.read(dest, size);
    }
    size_t write(const void* source, size_t size) override { return m_inner.write(source, size); }
    size_t position() const { return m_inner.position(); }
    size_t largestRead() const { return m_largestRead; }

private:
    MemoryStream m_inner;
    size_t m_largestRead = 0;
};

// Reads normally until the given read call, which throws std::bad_alloc,
// as an allocation inside the stream would.
class OutOfMemoryStream final : public ByteStream {
public:
    OutOfMemoryStream(std::vector<uint8_t> bytes, int failingRead)
        : m_inner(std::move(bytes)), m_failingRead(failingRead) {}
    size_t read(void* dest, size_t size) override {
        if (++m_reads == m_failingRead) throw std::bad_alloc();
        return m_inner.read(dest, size);
    }
    size_t write(const void*, size_t) override { return 0; }
    uint64_t remaining() const override { return m_inner.remaining(); }

private:
    MemoryStream m_inner;
    int m_failingRead;
    int m_reads = 0;
};

// Takes writes, except the listed write calls (1-based), which take a
// short count, as a full host stream would.
class ShortWriteStream final : public ByteStream {
public:
    explicit ShortWriteStream(std::vector<int> failing) : m_failing(std::move(failing)) {}
    size_t read(void*, size_t) override { return 0; }
    size_t write(const void* source, size_t size) override {
        ++m_writes;
        for (int n : m_failing)
            if (n == m_writes) return size / 2;
        return m_inner.write(source, size);
    }
    const std::vector<uint8_t>& bytes() const { return m_inner.bytes(); }
    int writes() const { return m_writes; }

private:
    MemoryStream m_inner;
    std::vector<int> m_failing;
    int m_writes = 0;
};

} // namespace orvane36_test
