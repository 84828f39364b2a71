// task_xml.cpp
#include "task_xml.h"

#include <cstdint>

namespace taskscheduler::task_xml {

namespace {

char asciiOrMark(std::uint32_t c) { return c < 0x80 ? static_cast<char>(c) : '?'; }

std::string fromUtf16(std::string_view bytes, bool bigEndian) {
    std::string out;
    out.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        auto lo = static_cast<unsigned char>(bytes[bigEndian ? i + 1 : i]);
        auto hi = static_cast<unsigned char>(bytes[bigEndian ? i : i + 1]);
        std::uint32_t unit = lo | (static_cast<std::uint32_t>(hi) << 8);
        // The second half of a surrogate pair adds no character of its own.
        if (unit >= 0xDC00 && unit <= 0xDFFF) continue;
        out.push_back(asciiOrMark(unit));
    }
    return out;
}

std::string fromUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        auto b = static_cast<unsigned char>(c);
        // Continuation bytes belong to the character their lead byte began.
        if ((b & 0xC0) == 0x80) continue;
        out.push_back(asciiOrMark(b));
    }
    return out;
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// An element name as XML allows it in ASCII (a prefix included).
bool isName(std::string_view name) {
    auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':'; };
    if (name.empty() || !letter(name[0])) return false;
    for (char c : name)
        if (!letter(c) && !(c >= '0' && c <= '9') && c != '-' && c != '.') return false;
    return true;
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && isSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && isSpace(s.back())) s.remove_suffix(1);
    return s;
}

// An element's local name: a namespace prefix does not change what it is.
std::string_view localName(std::string_view name) {
    size_t colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

// Where the text from at ends with end, past it; npos when it never does.
size_t skipPast(std::string_view xml, size_t at, std::string_view end) {
    size_t found = xml.find(end, at);
    return found == std::string_view::npos ? found : found + end.size();
}

// The '>' that closes a start tag, past quoted attribute values.
size_t tagEnd(std::string_view xml, size_t at) {
    char quote = 0;
    for (size_t i = at; i < xml.size(); ++i) {
        char c = xml[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return i;
        } else if (c == '<') {
            return std::string_view::npos;
        }
    }
    return std::string_view::npos;
}

} // namespace

std::string fileText(std::string_view bytes) {
    auto at = [&](size_t i) { return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0x100u; };
    if (at(0) == 0xFF && at(1) == 0xFE) return fromUtf16(bytes.substr(2), false);
    if (at(0) == 0xFE && at(1) == 0xFF) return fromUtf16(bytes.substr(2), true);
    if (at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF) return fromUtf8(bytes.substr(3));
    // Without a mark, the zero bytes of ASCII characters tell UTF-16.
    if (bytes.size() >= 2 && at(0) != 0 && at(1) == 0) return fromUtf16(bytes, false);
    if (bytes.size() >= 2 && at(0) == 0 && at(1) != 0) return fromUtf16(bytes, true);
    return fromUtf8(bytes);
}

bool readTriggers(std::string_view xml, std::vector<StoredTrigger>& out) {
    std::vector<std::string_view> open; // local names of the open elements
    std::vector<StoredTrigger> found;
    bool rootSeen = false;
    // The element being read is Task / Triggers / <trigger> / StartBoundary.
    auto inTriggers = [&] { return open.size() == 2 && open[0] == "Task" && open[1] == "Triggers"; };
    auto inBoundary = [&] {
        return open.size() == 4 && open[0] == "Task" && open[1] == "Triggers" && open[3] == "StartBoundary";
    };
    size_t i = 0;
    while (i < xml.size()) {
        if (xml[i] != '<') {
            size_t next = xml.find('<', i);
            if (next == std::string_view::npos) next = xml.size();
            std::string_view text = xml.substr(i, next - i);
            if (inBoundary()) found.back().startBoundary += std::string(trimmed(text));
            else if (open.empty() && !trimmed(text).empty()) return false; // text outside the root
            i = next;
            continue;
        }
        std::string_view rest = xml.substr(i);
        if (rest.starts_with("<?")) {
            i = skipPast(xml, i + 2, "?>");
        } else if (rest.starts_with("<!--")) {
            i = skipPast(xml, i + 4, "-->");
        } else if (rest.starts_with("<![CDATA[")) {
            size_t end = xml.find("]]>", i + 9);
            if (end == std::string_view::npos) return false;
            if (inBoundary()) found.back().startBoundary += std::string(trimmed(xml.substr(i + 9, end - i - 9)));
            i = end + 3;
        } else if (rest.starts_with("<!")) {
            i = skipPast(xml, i + 2, ">");
        } else if (rest.starts_with("</")) {
            size_t end = tagEnd(xml, i + 2);
            if (end == std::string_view::npos || open.empty()) return false;
            std::string_view closing = trimmed(xml.substr(i + 2, end - i - 2));
            if (!isName(closing) || localName(closing) != open.back()) return false;
            open.pop_back();
            i = end + 1;
        } else {
            size_t end = tagEnd(xml, i + 1);
            if (end == std::string_view::npos) return false;
            std::string_view inside = xml.substr(i + 1, end - i - 1);
            bool empty = !inside.empty() && inside.back() == '/';
            if (empty) inside.remove_suffix(1);
            size_t nameEnd = 0;
            while (nameEnd < inside.size() && !isSpace(inside[nameEnd])) ++nameEnd;
            if (!isName(inside.substr(0, nameEnd))) return false;
            std::string_view name = localName(inside.substr(0, nameEnd));
            if (name.empty()) return false;
            if (open.empty()) {
                // One root element, and it is a task.
                if (rootSeen || name != "Task") return false;
                rootSeen = true;
            }
            if (inTriggers()) found.push_back(StoredTrigger{std::string(name), {}});
            if (!empty) open.push_back(name);
            i = end + 1;
        }
        if (i == std::string_view::npos) return false;
    }
    if (!rootSeen || !open.empty()) return false;
    out = std::move(found);
    return true;
}

} // namespace taskscheduler::task_xml
