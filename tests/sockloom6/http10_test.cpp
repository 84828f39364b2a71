// http10_test.cpp
// The HTTP/1.0 client's protocol core: targets from URLs and proxies, the
// request bytes, and responses fed whole and split at every byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/http10.h"
#include "http10_feed.h"

using namespace sockloom::http;

namespace {

std::span<const std::uint8_t> bytesOf(std::string_view s) {
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

using http10_feed::Outcome;

// Everything one response gives when fed in pieces of the given size.
Outcome feedIn(std::string_view response, size_t pieceSize) {
    const Outcome o = http10_feed::feed(response, http10_feed::cutsEvery(response.size(), pieceSize));
    EXPECT_LE(o.completions, 1) << "the header completes once";
    return o;
}

}  // namespace

TEST(HttpTarget, HostPortAndPathComeFromTheUrl) {
    auto t = parseTarget("http://host:8080/a/b", "");
    ASSERT_TRUE(t);
    EXPECT_EQ(t->host, "host");
    EXPECT_EQ(t->port, 8080);
    EXPECT_EQ(t->path, "/a/b");

    t = parseTarget("HTTP://example", "");
    ASSERT_TRUE(t);
    EXPECT_EQ(t->host, "example");
    EXPECT_EQ(t->port, 80);
    EXPECT_EQ(t->path, "/");

    t = parseTarget("10.1.2.3/x?y=1", "");
    ASSERT_TRUE(t) << "the scheme is optional";
    EXPECT_EQ(t->host, "10.1.2.3");
    EXPECT_EQ(t->path, "/x?y=1");
}

TEST(HttpTarget, MalformedTextsAreRefused) {
    for (const char* bad : {"http://", "host:", ":80", "http://host:/a", "/path", "host:http", "host:0", "host:65536",
                            "host:80x"}) {
        EXPECT_FALSE(parseTarget(bad, "")) << bad;
    }
    EXPECT_FALSE(parseTarget("http://a/b", "proxy/x")) << "a proxy holding a path";
    EXPECT_TRUE(parseTarget("host:65535", ""));
}

TEST(HttpTarget, AProxyCarriesTheWholeUrl) {
    const auto t = parseTarget("http://far.example/a/b", "proxy:3128");
    ASSERT_TRUE(t);
    EXPECT_EQ(t->host, "proxy");
    EXPECT_EQ(t->port, 3128);
    EXPECT_EQ(t->path, "http://far.example/a/b");
}

TEST(HttpRequest, GetHasTheFixedLinesAndTheCallersHeaders) {
    Request r{.operation = "GET", .path = "/a", .host = "h", .headers = "X-One: 1", .data = "", .contentType = "t"};
    EXPECT_EQ(buildRequest(r),
              "GET /a HTTP/1.0\r\nAccept: */*\r\nHost: h\r\nAccept-Language: en\r\nX-One: 1\r\n\r\n");
    r.headers = "X-One: 1\r\n";
    EXPECT_EQ(buildRequest(r), "GET /a HTTP/1.0\r\nAccept: */*\r\nHost: h\r\nAccept-Language: en\r\nX-One: 1\r\n\r\n")
        << "headers already ending in CR LF get no second one";
}

TEST(HttpRequest, PostAnnouncesExactlyTheBytesThatFollow) {
    Request r{.operation = "POST", .path = "/f", .host = "h", .headers = "", .data = "a=1", .contentType = "ct"};
    const std::string head = "POST /f HTTP/1.0\r\nAccept: */*\r\nHost: h\r\nAccept-Language: en\r\n";
    EXPECT_EQ(buildRequest(r), head + "Content-Length: 5\r\nContent-type: ct\r\n\r\na=1\r\n\r\n");
    // Data already ending in CR LF is sent as it is, and announced so.
    r.data = "a=1\r\n";
    EXPECT_EQ(buildRequest(r), head + "Content-Length: 5\r\nContent-type: ct\r\n\r\na=1\r\n\r\n");
}

TEST(HttpResponse, EverySplitGivesTheSameHeaderBodyAndLength) {
    const std::string response =
        "HTTP/1.0 200 OK\r\nServer: a b\r\ncontent-LENGTH:  11\r\nContent-Length: 99\r\n\r\nhello world";
    for (size_t piece = 1; piece <= response.size(); ++piece) {
        const Outcome o = feedIn(response, piece);
        ASSERT_TRUE(o.completed()) << piece;
        EXPECT_FALSE(o.failed) << piece;
        EXPECT_EQ(o.body, "hello world") << piece;
        EXPECT_EQ(o.header, response.substr(0, response.size() - 11)) << piece;
        EXPECT_EQ(o.contentLength, 11) << "the first Content-Length counts; piece " << piece;
    }
}

TEST(HttpResponse, AFailedStatusGivesCodeAndReasonAndNoBody) {
    const std::string response = "HTTP/1.0 404 Not Found\r\nContent-Length: 3\r\n\r\nabc";
    for (size_t piece = 1; piece <= response.size(); ++piece) {
        const Outcome o = feedIn(response, piece);
        EXPECT_TRUE(o.failed) << piece;
        EXPECT_EQ(o.code, "404");
        EXPECT_EQ(o.reason, "Not Found");
        EXPECT_EQ(o.body, "");
    }
}

TEST(HttpResponse, MalformedStatusLinesFail) {
    // A status line without a blank examines nothing: no failure, no
    // length, the rest is body. A blank further down changes nothing.
    Outcome o = feedIn("garbage\r\nServer: a b\r\nContent-Length: 2\r\n\r\nbody", 4);
    EXPECT_FALSE(o.failed);
    EXPECT_TRUE(o.completed());
    EXPECT_EQ(o.contentLength, 0) << "nothing of the header examined";
    EXPECT_EQ(o.body, "body");
    o = feedIn("HTTP/1.0 \r\n\r\n", 100);
    EXPECT_TRUE(o.failed) << "an empty status";
    o = feedIn("HTTP/1.0 301\r\n\r\n", 100);
    EXPECT_TRUE(o.failed);
    EXPECT_EQ(o.code, "301");
    EXPECT_EQ(o.reason, "");
}

TEST(HttpResponse, LengthsThatAreNoNumberOrHugeStayBounded) {
    EXPECT_EQ(feedIn("HTTP/1.0 200 OK\r\nContent-Length: x\r\n\r\n", 7).contentLength, 0);
    EXPECT_EQ(feedIn("HTTP/1.0 200 OK\r\nContent-Length: 99999999999999999999\r\n\r\n", 7).contentLength, INT32_MAX);
    EXPECT_EQ(feedIn("HTTP/1.0 200 OK\r\nX-Content-Length: 5\r\n\r\n", 7).contentLength, 0)
        << "only a header line of that name";
}

TEST(HttpResponse, AnEndlessHeaderFailsInsteadOfGrowing) {
    ResponseParser p;
    const std::string chunk(64 * 1024 + 7, 'a');
    PieceResult last;
    for (int i = 0; i < 40 && !last.tooLong; ++i) last = p.feed(bytesOf(chunk));
    EXPECT_TRUE(last.tooLong);
    // The server said nothing of the kind: the response broke off, and no
    // status is made up for it.
    EXPECT_FALSE(last.failed);
    EXPECT_EQ(last.code, "");
    EXPECT_EQ(last.reason, "");
    EXPECT_EQ(p.header().size(), ResponseParser::kMaxHeader) << "what came within the limit is kept";
}

TEST(HttpResponse, AHeaderEndingPastItsLimitFailsHoweverItIsCut) {
    // Whole, in pieces, or with the blank line just past the limit: the
    // same failure, the same header kept.
    for (const size_t size : {ResponseParser::kMaxHeader + 1, ResponseParser::kMaxHeader + 4096}) {
        const std::string status = "HTTP/1.0 404 Not Found\r\n";
        const std::string response =
            status + "X: " + std::string(size - status.size() - 7, 'x') + "\r\n\r\nbody";
        const Outcome whole = feedIn(response, response.size());
        EXPECT_TRUE(whole.tooLong) << size;
        EXPECT_FALSE(whole.failed) << "no status is read from a broken header";
        EXPECT_EQ(whole.header.size(), ResponseParser::kMaxHeader);
        for (const size_t piece : {size_t{1000}, size_t{65536}, ResponseParser::kMaxHeader - 3}) {
            EXPECT_EQ(feedIn(response, piece), whole) << size << " in pieces of " << piece;
        }
    }
    // A header of exactly the limit is read.
    const std::string status = "HTTP/1.0 200 OK\r\n";
    const std::string atLimit =
        status + "X: " + std::string(ResponseParser::kMaxHeader - status.size() - 7, 'x') + "\r\n\r\n";
    const Outcome o = feedIn(atLimit + "b", atLimit.size() + 1);
    EXPECT_FALSE(o.tooLong);
    EXPECT_TRUE(o.completed());
    EXPECT_EQ(o.body, "b");
}

TEST(HttpResponse, AnAnnouncedEmptyBodyAndTheAnswerToHeadAreWholeWithTheHeader) {
    ResponseParser p;
    const std::string zero = "HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n";
    p.feed(bytesOf(zero));
    EXPECT_TRUE(p.lengthAnnounced());
    EXPECT_EQ(p.contentLength(), 0);
    EXPECT_TRUE(wholeWithHeader(p.lengthAnnounced(), p.contentLength(), false));
    EXPECT_TRUE(bodyTooLong(0, 5, true)) << "more than 4 bytes past an announced 0";
    EXPECT_FALSE(bodyTooLong(0, 4, true));

    for (const char* none : {"HTTP/1.0 200 OK\r\n\r\n", "HTTP/1.0 200 OK\r\nContent-Length: x\r\n\r\n"}) {
        p.reset();
        p.feed(bytesOf(none));
        EXPECT_FALSE(p.lengthAnnounced()) << none;
        EXPECT_FALSE(wholeWithHeader(p.lengthAnnounced(), p.contentLength(), false)) << "only the close ends it";
        EXPECT_TRUE(wholeWithHeader(p.lengthAnnounced(), p.contentLength(), true)) << "HEAD";
    }
    p.reset();
    p.feed(bytesOf("HTTP/1.0 200 OK\r\nContent-Length: 7\r\n\r\n"));
    EXPECT_FALSE(wholeWithHeader(p.lengthAnnounced(), p.contentLength(), false));
    EXPECT_TRUE(wholeWithHeader(p.lengthAnnounced(), p.contentLength(), true));
}

TEST(HttpResponse, BodyLengthCheckAllowsFourExtraBytes) {
    EXPECT_FALSE(bodyTooLong(0, 1000)) << "no length announced";
    EXPECT_FALSE(bodyTooLong(10, 14));
    EXPECT_TRUE(bodyTooLong(10, 15));
    EXPECT_FALSE(bodyTooLong(10, 3)) << "a shorter body is accepted";
}

TEST(HttpRequestSafety, LineBreaksCannotEndALineOrTheHeaderEarly) {
    EXPECT_FALSE(parseTarget("http://host/a\r\nX: y", ""));
    EXPECT_FALSE(parseTarget("http://host/a\nb", ""));
    EXPECT_FALSE(parseTarget("http://host/a", "proxy\r:80"));
    EXPECT_TRUE(lineSafe("POST"));
    EXPECT_FALSE(lineSafe("GET / HTTP/1.0\r\nGET"));
    EXPECT_FALSE(lineSafe("text/plain\n"));

    EXPECT_TRUE(headersSafe(""));
    EXPECT_TRUE(headersSafe("X-A: 1"));
    EXPECT_TRUE(headersSafe("X-A: 1\r\nX-B: 2\r\n")) << "several lines, a closing CR LF";
    for (const char* bad : {"\r\n", "X-A: 1\r\n\r\n", "X-A: 1\r\n\r\nGET /x HTTP/1.0", "\r\nX-A: 1",
                            "X-A: 1\nX-B: 2", "X-A: 1\rX-B", "X-A: 1\r\n\r\n\r\n", "X-A: 1\n\n"}) {
        EXPECT_FALSE(headersSafe(bad)) << bad;
    }
}

TEST(HttpResponseEnding, ShortAndMissingResponsesAreNotComplete) {
    EXPECT_EQ(responseEnding(false, 0, 0), Ending::NoResponse);
    EXPECT_EQ(responseEnding(true, 0, 0), Ending::Complete) << "no length announced";
    EXPECT_EQ(responseEnding(true, 0, 5000), Ending::Complete);
    EXPECT_EQ(responseEnding(true, 10, 10), Ending::Complete);
    EXPECT_EQ(responseEnding(true, 10, 14), Ending::Complete) << "a closing CR LF or two passes";
    EXPECT_EQ(responseEnding(true, 10, 15), Ending::TooLong);
    EXPECT_EQ(responseEnding(true, 10, 9), Ending::Short);
    EXPECT_EQ(responseEnding(true, 10, 0), Ending::Short);
    EXPECT_EQ(responseEnding(true, INT32_MAX, 65536), Ending::Short);
    EXPECT_EQ(responseEnding(true, 10, 0, false), Ending::Complete) << "HEAD: the length is not sent";
    EXPECT_EQ(responseEnding(false, 10, 0, false), Ending::NoResponse);
}
