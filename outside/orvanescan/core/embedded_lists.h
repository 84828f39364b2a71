// embedded_lists.h
// Finding the file lists a program carries. A list is a FileListBlob
// stored anywhere in the program file (in its resources, or in the saved
// form data of a control): the reader looks for the 28-byte markers and
// reads a list after each.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "common/filelist/blob_stream.h"
#include "common/filelist/file_list.h"

namespace orvanescan {

// Reads from bytes it does not own; the bytes outlive the stream.
class SpanStream final : public orvane36::ByteStream {
public:
    explicit SpanStream(std::span<const uint8_t> bytes) : m_bytes(bytes) {}
    size_t read(void* dest, size_t size) override;
    size_t write(const void*, size_t) override { return 0; }
    uint64_t remaining() const override { return m_bytes.size() - m_pos; }
    size_t position() const { return m_pos; }

private:
    std::span<const uint8_t> m_bytes;
    size_t m_pos = 0;
};

struct EmbeddedList {
    size_t offset = 0;        // of the marker
    size_t length = 0;        // bytes the reading consumed, marker included
    orvane36::ListRead read;  // entries and status as ReadListBlob gives them
};

// Every list in bytes, in file order. A marker after which not even one
// entry can be read is the marker text standing alone (a program that
// only knows it) or a list saved empty: it is skipped. A list that breaks
// off after some entries is kept with those entries and its failed status.
// Searching goes on after the bytes a list took.
std::vector<EmbeddedList> FindEmbeddedLists(std::span<const uint8_t> bytes);

} // namespace orvanescan
