// text_fields.cpp
#include "text_fields.h"

namespace OrvaneAutoUpdateMod {

std::string afterLast(std::string_view text, std::string_view delimiter) {
    if (delimiter.empty()) return std::string(text);
    size_t last = std::string_view::npos;
    size_t from = 0;
    for (;;) {
        size_t hit = text.find(delimiter, from);
        if (hit == std::string_view::npos) break;
        last = hit;
        from = hit + 1;
    }
    if (last == std::string_view::npos) return std::string(text);
    return std::string(text.substr(last + delimiter.size()));
}

std::string getField(std::string_view text, long n, std::string_view delimiter) {
    if (text.empty() || n < 0) return {};
    if (delimiter.empty()) return n == 0 ? std::string(text) : std::string();
    size_t start = 0;
    for (long field = 0;; ++field) {
        size_t end = text.find(delimiter, start);
        if (field == n)
            return std::string(text.substr(start, end == std::string_view::npos ? text.npos : end - start));
        if (end == std::string_view::npos) return {};
        start = end + delimiter.size();
    }
}

} // namespace OrvaneAutoUpdateMod

namespace ToolTips {

std::string getTipField(std::string_view text, long n) {
    size_t p = text.find('/');
    if (p == std::string_view::npos) return {};
    size_t start = 0;
    for (long i = 0; i < n; ++i) {
        start = p + 1;
        p = text.find('/', start);
        if (p == std::string_view::npos) return kTipFieldError;
    }
    return std::string(text.substr(start, p - start));
}

} // namespace ToolTips

namespace text_rules {

bool hasControlCodes(std::string_view ansiText) {
    for (unsigned char c : ansiText)
        if (c < 32 || c > 122) return true;
    return false;
}

std::string logLine(std::string_view date, std::string_view time, std::string_view text) {
    std::string s;
    s.reserve(date.size() + time.size() + text.size() + 4);
    s.append(date).append("\t").append(time).append("\t").append(text).append("\r\n");
    return s;
}

std::string lower(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return r;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && lower(a) == lower(b);
}

} // namespace text_rules
