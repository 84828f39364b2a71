// http10_feed.h
// What one response gives the HTTP/1.0 response reader when it is fed in
// pieces: shared by the core's tests and its fuzz target, which compare
// the outcomes of different splits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/http10.h"

namespace http10_feed {

struct Outcome {
    // How many pieces completed the header (one at most, when sound).
    int completions = 0;
    bool failed = false;
    // The header passed its limit (the client ends the transfer there).
    bool tooLong = false;
    std::string code, reason, body, header;
    std::int32_t contentLength = -1;

    bool completed() const noexcept { return completions > 0; }
    bool operator==(const Outcome&) const = default;
};

// Where a text of size bytes is cut into pieces of pieceSize bytes.
inline std::vector<size_t> cutsEvery(size_t size, size_t pieceSize) {
    std::vector<size_t> cuts;
    for (size_t at = pieceSize; at < size; at += pieceSize) cuts.push_back(at);
    return cuts;
}

// Feeds response cut at cuts (ascending), to the end or the first failure
// (a failed status or a header past its limit).
inline Outcome feed(std::string_view response, const std::vector<size_t>& cuts) {
    sockloom::http::ResponseParser p;
    Outcome o;
    size_t at = 0;
    for (size_t i = 0; i <= cuts.size() && !o.failed && !o.tooLong; ++i) {
        const size_t end = i < cuts.size() ? cuts[i] : response.size();
        const std::string_view piece = response.substr(at, end - at);
        at = end;
        const sockloom::http::PieceResult r =
            p.feed({reinterpret_cast<const std::uint8_t*>(piece.data()), piece.size()});
        if (r.headerCompleted) ++o.completions;
        o.tooLong = r.tooLong;
        if (r.failed) {
            o.failed = true;
            o.code = r.code;
            o.reason = r.reason;
        }
        o.body.append(reinterpret_cast<const char*>(r.body.data()), r.body.size());
    }
    o.header = p.header();
    o.contentLength = p.contentLength();
    return o;
}

}  // namespace http10_feed
