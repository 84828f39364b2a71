// res_strings.cpp
#include "res_strings.h"

#include <algorithm>

#include "common/com/module.h"

namespace orvane36 {

namespace {
constexpr int kBufferSize = 512;
} // namespace

std::optional<std::string> LoadResString(UINT id, int mode) {
    char buffer[kBufferSize];
    const int length = LoadStringA(com::moduleHandle(), id, buffer, kBufferSize);
    if (length <= 0) return std::nullopt;
    std::string text(buffer, static_cast<size_t>(length));
    if (mode == kResStringSplit) std::replace(text.begin(), text.end(), '~', '\0');
    return text;
}

std::optional<std::wstring> LoadResStringW(UINT id) {
    const std::optional<std::string> text = LoadResString(id);
    if (!text) return std::nullopt;
    const int size = static_cast<int>(text->size());
    const int units = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text->data(), size, nullptr, 0);
    if (units <= 0) return std::nullopt;
    std::wstring wide(static_cast<size_t>(units), L'\0');
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text->data(), size, wide.data(), units) != units)
        return std::nullopt;
    return wide;
}

size_t TextList::count() const noexcept {
    if (!m_buffer || m_buffer->size() < 2) return 0;
    // Every item ends in a delimiter; the last byte is the terminator.
    return static_cast<size_t>(std::count(m_buffer->begin(), m_buffer->end() - 1, m_delimiter));
}

std::optional<std::string> TextList::item(size_t index) const {
    if (!m_buffer) return std::nullopt;
    const std::string_view items(m_buffer->data(), m_buffer->size() - 1);
    size_t start = 0;
    for (;;) {
        const size_t end = items.find(m_delimiter, start);
        if (end == std::string_view::npos) return std::nullopt;
        if (index-- == 0) return std::string(items.substr(start, end - start));
        start = end + 1;
    }
}

void TextList::append(std::optional<std::string_view> text) {
    if (!text) return;
    std::string grown;
    if (m_buffer) grown.assign(*m_buffer, 0, m_buffer->size() - 1);
    grown.append(*text);
    grown.push_back(m_delimiter);
    grown.push_back('\0');
    m_buffer = std::move(grown);
}

} // namespace orvane36
