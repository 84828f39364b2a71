// LocalFile.h
// The local file of a download: how the HTTP and FTP clients write the
// pieces that arrive.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <span>

namespace sockloom {

// The most one write hands the file system. A piece can be as large as
// the receive buffer (several megabytes) when the body comes faster than it
// is written; written at once, it lets the file system take new memory for
// the file in blocks as large. Measured on a virtual machine, such writes
// (2 MiB and more, on 2 MiB boundaries) at times cost ten times their copy,
// all of it in the copy into the file's new memory, and slowed whole
// downloads threefold; writes of 1 MiB, as the best plain loop makes,
// never did. The pieces and their events stay as they arrive.
inline constexpr size_t kMostWrittenAtOnce = 1024 * 1024;

// Writes all of bytes at the file's position, in writes of at most
// kMostWrittenAtOnce; false when the file takes fewer (a full disk, a
// locked file).
bool writeWhole(HANDLE file, std::span<const std::uint8_t> bytes) noexcept;

}  // namespace sockloom
