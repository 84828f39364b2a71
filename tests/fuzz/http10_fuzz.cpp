// http10_fuzz.cpp
// The HTTP/1.0 core under arbitrary bytes. The input holds up to seven
// fields separated by 0x01: URL, proxy, operation, headers, data, content
// type, and last the response. The first byte chooses the piece size and
// a split point; inputs reach past the header's 1 MiB limit.
// - URL parser: a target never carries CR or LF, and its port is not 0.
// - Request builder: with parts that pass the safety checks, the first
//   blank line of the request ends the header block, the data follows it
//   unchanged, and no lone CR or LF stands in the header.
// - Response reader: fed whole, in pieces, or split at any one byte, it
//   gives the same header, status, length and body, and fails a header
//   past its limit the same way.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/http10.h"
#include "http10_feed.h"

using namespace sockloom::http;
using http10_feed::feed;
using http10_feed::Outcome;

namespace {

bool hasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

void checkRequest(const Request& r) {
    const std::string text = buildRequest(r);
    const size_t blank = text.find("\r\n\r\n");
    if (blank == std::string::npos) __builtin_trap();
    const std::string_view head = std::string_view(text).substr(0, blank + 2);
    for (size_t i = 0; i < head.size(); ++i) {
        if (head[i] == '\r' && (i + 1 >= head.size() || head[i + 1] != '\n')) __builtin_trap();
        if (head[i] == '\n' && (i == 0 || head[i - 1] != '\r')) __builtin_trap();
    }
    const std::string_view after = std::string_view(text).substr(blank + 4);
    if (r.data.empty()) {
        if (!after.empty()) __builtin_trap();
        return;
    }
    const bool closed = r.data.size() >= 2 && r.data.substr(r.data.size() - 2) == "\r\n";
    if (after != r.data + (closed ? "" : "\r\n") + "\r\n") __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // Pieces of 1 to 16 bytes, larger in proportion for inputs near the
    // header's limit, so those run as often as the rest.
    const std::size_t piece = (static_cast<std::size_t>(data[0] % 16) + 1) * (1 + size / 4096);
    const std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
    std::vector<std::string_view> fields;
    std::string_view rest = input;
    while (fields.size() < 6) {
        const size_t sep = rest.find('\x01');
        if (sep == std::string_view::npos) break;
        fields.push_back(rest.substr(0, sep));
        rest.remove_prefix(sep + 1);
    }
    const std::string_view response = rest;
    fields.resize(6);

    const auto target = parseTarget(fields[0], fields[1]);
    if (target) {
        if (hasLineBreak(target->host) || hasLineBreak(target->path) || target->port == 0) __builtin_trap();
        const Request r{.operation = std::string(fields[2]),
                        .path = target->path,
                        .host = target->host,
                        .headers = std::string(fields[3]),
                        .data = std::string(fields[4]),
                        .contentType = std::string(fields[5])};
        if (!r.operation.empty() && lineSafe(r.operation) && lineSafe(r.contentType) && headersSafe(r.headers)) {
            checkRequest(r);
        }
    }

    const Outcome whole = feed(response, {});
    if (!(feed(response, http10_feed::cutsEvery(response.size(), piece)) == whole)) __builtin_trap();
    const size_t cut = response.empty() ? 0 : (data[0] * 31u) % (response.size() + 1);
    if (!(feed(response, {cut}) == whole)) __builtin_trap();
    if (whole.body.size() > response.size()) __builtin_trap();
    return 0;
}
