// res_strings.h
// Texts of the library's string table, and the delimited text list the
// control keeps its browsing names in. The table is read from the module
// that holds this code (orvane36.ocx, or a test program that embeds the
// same resources).
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace orvane36 {

// Modes of LoadResString.
inline constexpr int kResStringPlain = 0;
// Every "~" becomes NUL, so one entry can hold several NUL-separated texts.
inline constexpr int kResStringSplit = 1;

// The ANSI text of string-table entry id, read through a 512-byte buffer
// (longer entries are cut to 511 characters); none when the entry is
// missing or empty.
std::optional<std::string> LoadResString(UINT id, int mode = kResStringPlain);

// The same text in UTF-16, converted from the system's ANSI code page;
// none when the entry is missing or empty, or holds a byte the code page
// does not define. Used for error descriptions.
std::optional<std::wstring> LoadResStringW(UINT id);

// A list of texts kept in one buffer: each item followed by the delimiter,
// then a terminating NUL (so with NUL as delimiter the buffer ends in two
// NULs). No buffer is the empty list. An item that contains the delimiter
// counts as several items, as a reader of the buffer would see it.
class TextList {
public:
    explicit TextList(char delimiter) noexcept : m_delimiter(delimiter) {}

    size_t count() const noexcept;
    // Item i, counted from 0; none past the last.
    std::optional<std::string> item(size_t index) const;
    // Appends text; a missing text appends nothing.
    void append(std::optional<std::string_view> text);
    void clear() noexcept { m_buffer.reset(); }

    char delimiter() const noexcept { return m_delimiter; }
    // The buffer as described above (terminator included); none when empty.
    const std::optional<std::string>& buffer() const noexcept { return m_buffer; }

private:
    char m_delimiter;
    std::optional<std::string> m_buffer;
};

} // namespace orvane36
