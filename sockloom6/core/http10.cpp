// http10.cpp
#include "http10.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace sockloom::http {

namespace {

constexpr std::string_view kScheme = "http://";
constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kBlankLine = "\r\n\r\n";

bool startsWithNoCase(std::string_view text, std::string_view prefix) noexcept {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
    }
    return true;
}

bool endsWithCrLf(std::string_view text) noexcept { return text.size() >= 2 && text.substr(text.size() - 2) == kCrLf; }

}  // namespace

std::optional<Target> parseTarget(std::string_view url, std::string_view proxy) {
    if (!lineSafe(url) || !lineSafe(proxy)) return std::nullopt;
    const bool viaProxy = !proxy.empty();
    std::string_view rest = viaProxy ? proxy : url;
    if (rest.size() > 6 && startsWithNoCase(rest, kScheme)) {
        if (rest.size() == kScheme.size()) return std::nullopt;
        rest.remove_prefix(kScheme.size());
    }
    Target t;
    const size_t slash = rest.find('/');
    std::string_view host = rest;
    if (slash == std::string_view::npos) {
        t.path = "/";
    } else {
        if (viaProxy || slash == 0) return std::nullopt;
        host = rest.substr(0, slash);
        t.path = std::string(rest.substr(slash));
    }
    if (viaProxy) t.path = std::string(url);
    const size_t colon = host.find(':');
    if (colon != std::string_view::npos) {
        if (colon == 0 || colon == host.size() - 1) return std::nullopt;
        const std::string_view digits = host.substr(colon + 1);
        unsigned port = 0;
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
        // A port that is no number, or none a connection can use, would
        // silently become another one.
        if (ec != std::errc() || end != digits.data() + digits.size() || port == 0 || port > 65535) {
            return std::nullopt;
        }
        t.port = static_cast<std::uint16_t>(port);
        host = host.substr(0, colon);
    }
    t.host = std::string(host);
    return t;
}

bool lineSafe(std::string_view text) noexcept { return text.find_first_of("\r\n") == std::string_view::npos; }

bool headersSafe(std::string_view headers) noexcept {
    if (headers.empty()) return true;
    if (headers.ends_with(kCrLf)) headers.remove_suffix(kCrLf.size());
    while (true) {
        const size_t end = headers.find(kCrLf);
        const std::string_view line = headers.substr(0, end);
        if (line.empty() || !lineSafe(line)) return false;
        if (end == std::string_view::npos) return true;
        headers.remove_prefix(end + kCrLf.size());
    }
}

std::string buildRequest(const Request& r) {
    std::string text;
    text.reserve(128 + r.headers.size() + r.data.size());
    text.append(r.operation).append(" ").append(r.path).append(" HTTP/1.0\r\n");
    text.append("Accept: */*\r\n");
    text.append("Host: ").append(r.host).append("\r\n");
    text.append("Accept-Language: en\r\n");
    if (!r.headers.empty()) {
        text.append(r.headers);
        if (!endsWithCrLf(text)) text.append(kCrLf);
    }
    if (!r.data.empty()) {
        // The length announced is what follows the empty line, so data that
        // already ends in CR LF is not announced 2 bytes longer than sent.
        const size_t sent = r.data.size() + (endsWithCrLf(r.data) ? 0 : 2);
        text.append("Content-Length: ").append(std::to_string(sent)).append("\r\n");
        text.append("Content-type: ").append(r.contentType).append("\r\n");
        text.append(kCrLf);
        text.append(r.data);
        if (!endsWithCrLf(text)) text.append(kCrLf);
    }
    text.append(kCrLf);
    return text;
}

void ResponseParser::reset() noexcept {
    m_header.clear();
    m_complete = false;
    m_contentLength = 0;
    m_lengthAnnounced = false;
}

PieceResult ResponseParser::feed(std::span<const std::uint8_t> piece) {
    PieceResult out;
    if (m_complete) {
        out.body = piece;
        return out;
    }
    // The blank line may straddle the previous piece and this one.
    const size_t searchFrom = m_header.size() >= 3 ? m_header.size() - 3 : 0;
    m_header.append(reinterpret_cast<const char*>(piece.data()), piece.size());
    const size_t end = m_header.find(kBlankLine, searchFrom);
    if (end == std::string::npos) {
        if (m_header.size() > kMaxHeader) {
            m_header.resize(kMaxHeader);
            out.tooLong = true;
        }
        return out;
    }
    const size_t headerSize = end + kBlankLine.size();
    // The same limit as for a header still without its end, so a header
    // sent in one burst fares as one that trickles in.
    if (headerSize > kMaxHeader) {
        m_header.resize(kMaxHeader);
        out.tooLong = true;
        return out;
    }
    const size_t bodyStart = piece.size() - (m_header.size() - headerSize);
    m_header.resize(headerSize);
    m_complete = true;
    out.headerCompleted = true;
    examine(out);
    if (!out.failed) out.body = piece.subspan(bodyStart);
    return out;
}

void ResponseParser::examine(PieceResult& out) {
    // Only the status line is examined: a blank further down (in
    // "Server: a b") says nothing about the status.
    const std::string_view line = std::string_view(m_header).substr(0, m_header.find(kCrLf));
    const size_t blank = line.find(' ');
    if (blank == std::string_view::npos) return;
    out.code = std::string(line.substr(blank + 1, 3));
    if (out.code.empty() || out.code[0] != '2') {
        out.failed = true;
        out.reason = blank + 5 <= line.size() ? std::string(line.substr(blank + 5)) : std::string();
        return;
    }
    out.code.clear();
    // The first Content-Length header line, its name in any case.
    size_t at = m_header.find(kCrLf);
    while (at != std::string::npos && at + 2 < m_header.size()) {
        const std::string_view rest = std::string_view(m_header).substr(at + 2);
        if (startsWithNoCase(rest, "content-length")) {
            const std::string_view value = rest.substr(0, rest.find(kCrLf));
            const size_t colon = value.find(':');
            if (colon == std::string_view::npos) return;
            size_t i = colon + 1;
            while (i < value.size() && (value[i] == ' ' || value[i] == '\t')) ++i;
            std::int64_t n = 0;
            m_lengthAnnounced = i < value.size() && value[i] >= '0' && value[i] <= '9';
            while (i < value.size() && value[i] >= '0' && value[i] <= '9' && n <= INT32_MAX) {
                n = n * 10 + (value[i] - '0');
                ++i;
            }
            m_contentLength = static_cast<std::int32_t>(std::min<std::int64_t>(n, INT32_MAX));
            return;
        }
        at = m_header.find(kCrLf, at + 2);
    }
}

bool bodyTooLong(std::int32_t contentLength, std::int64_t received, bool zeroAnnounced) noexcept {
    return (contentLength > 0 || zeroAnnounced) && contentLength < received - 4;
}

bool wholeWithHeader(bool lengthAnnounced, std::int32_t contentLength, bool headRequest) noexcept {
    return headRequest || (lengthAnnounced && contentLength == 0);
}

Ending responseEnding(bool headerComplete, std::int32_t contentLength, std::int64_t bodyBytes,
                      bool bodyExpected) noexcept {
    if (!headerComplete) return Ending::NoResponse;
    if (bodyTooLong(contentLength, bodyBytes)) return Ending::TooLong;
    if (bodyExpected && contentLength > 0 && bodyBytes < contentLength) return Ending::Short;
    return Ending::Complete;
}

}  // namespace sockloom::http
