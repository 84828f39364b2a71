// http10.h
// The HTTP/1.0 client's protocol work, apart from sockets and COM: where a
// URL (or a proxy) points, the request text, and the reading of a response
// fed piece by piece as it arrives. Bytes in, results out; portable, so it
// is tested natively, split at every byte.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace sockloom::http {

// Where a request goes: host (name or dotted address), port in host
// order, and the path the request line carries.
struct Target {
    std::string host;
    std::uint16_t port = 80;
    std::string path;
};

// The target of url, or of proxy when one is set (the request line then
// carries the whole url). No value for a malformed text: the bare scheme
// prefix, a host beginning or ending with ':', a port that is not a number
// from 1 to 65535, a path with no host, a proxy holding a '/', or CR or LF
// anywhere (they would end the request line early).
std::optional<Target> parseTarget(std::string_view url, std::string_view proxy);

struct Request {
    std::string operation;
    std::string path;
    std::string host;
    std::string headers;
    std::string data;
    std::string contentType;
};

// Whether a text may stand inside one request line (operation, content
// type): no CR and no LF.
bool lineSafe(std::string_view text) noexcept;
// Whether the caller's headers may go into the request: lines separated
// by CR LF (a closing CR LF allowed), none of them empty and no lone CR
// or LF, so nothing in them ends the header block early or starts a
// second request.
bool headersSafe(std::string_view headers) noexcept;

// The request bytes, each line ending in CR LF: the request line, Accept,
// Host, Accept-Language, the caller's headers, and with data its length,
// type, an empty line and the data; then the closing empty line.
std::string buildRequest(const Request& r);

// What one piece of a response brought.
struct PieceResult {
    // The header's end arrived with this piece.
    bool headerCompleted = false;
    // The status does not begin with "2": the transfer fails with this
    // code and reason; the rest of the piece is not body. A status line
    // without a blank examines nothing.
    bool failed = false;
    // The header's end lies past kMaxHeader (however the bytes were cut
    // into pieces): the response did not arrive whole, and the transfer is
    // to end. The header keeps what came within the limit.
    bool tooLong = false;
    std::string code;
    std::string reason;
    // Body bytes of this piece (a view into the piece fed).
    std::span<const std::uint8_t> body;
};

class ResponseParser {
public:
    // The header is kept whole until its blank line; a header longer than
    // this, blank line included, fails the transfer (a server cannot make
    // the client hold an endless header).
    static constexpr size_t kMaxHeader = 1 << 20;

    PieceResult feed(std::span<const std::uint8_t> piece);
    void reset() noexcept;

    // The header received so far; when complete, the status line to the
    // blank line inclusive.
    const std::string& header() const noexcept { return m_header; }
    bool headerComplete() const noexcept { return m_complete; }
    // From the first Content-Length line; 0 when absent.
    std::int32_t contentLength() const noexcept { return m_contentLength; }
    // Whether that line gave a number (0 included).
    bool lengthAnnounced() const noexcept { return m_lengthAnnounced; }

private:
    void examine(PieceResult& out);

    std::string m_header;
    bool m_complete = false;
    std::int32_t m_contentLength = 0;
    bool m_lengthAnnounced = false;
};

// A body is refused only when it is longer than announced by more than 4
// (servers that add a closing CR LF pass). A contentLength of 0 counts as
// none announced unless zeroAnnounced says the server sent "0".
bool bodyTooLong(std::int32_t contentLength, std::int64_t received, bool zeroAnnounced = false) noexcept;

// Whether a response is whole once its header has arrived, without waiting
// for the server's close: the answer to HEAD, or an announced length of 0.
bool wholeWithHeader(bool lengthAnnounced, std::int32_t contentLength, bool headRequest) noexcept;

// How a response ended when the server closed the connection.
enum class Ending {
    Complete,
    // Before the header's blank line: no response to speak of.
    NoResponse,
    // Fewer body bytes than Content-Length announced.
    Short,
    // More than announced plus 4 (see bodyTooLong).
    TooLong,
};
// bodyExpected is false for a HEAD request, whose Content-Length
// describes a body that is never sent.
Ending responseEnding(bool headerComplete, std::int32_t contentLength, std::int64_t bodyBytes,
                      bool bodyExpected = true) noexcept;

}  // namespace sockloom::http
