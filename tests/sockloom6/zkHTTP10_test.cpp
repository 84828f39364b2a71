// zkHTTP10_test.cpp
// The HTTP/1.0 client against a server the test plays itself on a
// loopback socket, in the same thread while the messages are pumped: the
// request bytes, text and byte bodies, bodies into a file, failed and
// malformed statuses, a body longer than announced, refused connections,
// and the errors of misuse.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

#include "fixture.h"
#include "zkHTTP10.h"

using namespace harness;
using com::ComPtr;

namespace {

std::string ansiOf(const com::Variant& v) {
    std::string s;
    if (FAILED(com::toAnsi(v.get(), s))) return "<no text>";
    return s;
}

int gLookups = 0;
HANDLE WINAPI countedLookup(HWND hWnd, u_int msg, const char* name, char* buf, int buflen) {
    ++gLookups;
    return sockgate::winsock().WSAAsyncGetHostByName(hWnd, msg, name, buf, buflen);
}
HANDLE WINAPI refusedLookup(HWND, u_int, const char*, char*, int) {
    WSASetLastError(WSAENOBUFS);
    return nullptr;
}

class Http : public ::testing::Test {
protected:
    void SetUp() override {
        com::createInstance<sockloom::zkHTTP10>(IID_IDispatch, m_http.putVoid());
        ASSERT_TRUE(m_http);
        m_sink = com::make<EventSink>(m_log, DIID___zkHTTP10);
        ASSERT_TRUE(m_sink->advise(m_http.get()));
        m_listener = PlainSocket::listenLocal(m_port);
        ASSERT_TRUE(m_listener);
    }
    void TearDown() override { m_sink->unadvise(); }

    std::wstring url(const std::wstring& path = L"/doc") const {
        return L"http://127.0.0.1:" + std::to_wstring(m_port) + path;
    }

    // Starts a request; the result of Execute2.
    Result execute(const std::wstring& target, const wchar_t* operation = nullptr, const wchar_t* data = nullptr,
                   const wchar_t* file = nullptr) {
        Text u(target.c_str()), op(operation ? operation : L""), d(data ? data : L""), f(file ? file : L"");
        return call(m_http.get(), L"Execute2",
                    {text(u), operation ? text(op) : missing(), data ? text(d) : missing(), missing(),
                     file ? text(f) : missing()});
    }

    // Plays the server once: takes the connection, reads the request
    // (header and announced body), answers, closes; returns the request.
    std::string serve(const std::string& response) {
        PlainSocket peer = m_listener.acceptWithin(5000);
        EXPECT_TRUE(peer);
        if (!peer) return {};
        std::string request;
        while (request.find("\r\n\r\n") == std::string::npos) {
            const std::string more = peer.receive(1, 5000);
            if (more.empty()) break;
            request += more;
        }
        const size_t at = request.find("Content-Length: ");
        if (at != std::string::npos) {
            const size_t want = request.find("\r\n\r\n") + 4 + std::stoul(request.substr(at + 16)) + 2;
            while (request.size() < want) {
                const std::string more = peer.receive(want - request.size(), 5000);
                if (more.empty()) break;
                request += more;
            }
        }
        peer.sendAll(response);
        return request;
    }

    // Takes the connection and reads the request's header.
    PlainSocket acceptRequest() {
        PlainSocket peer = m_listener.acceptWithin(5000);
        EXPECT_TRUE(peer);
        std::string request;
        while (peer && request.find("\r\n\r\n") == std::string::npos) {
            const std::string more = peer.receive(1, 5000);
            if (more.empty()) break;
            request += more;
        }
        return peer;
    }

    bool ready() { return pumpUntil([&] { return m_log.count(http::Ready) >= 1; }); }

    Log m_log;
    ComPtr<IDispatch> m_http;
    ComPtr<EventSink> m_sink;
    PlainSocket m_listener;
    u_short m_port = 0;
};

}  // namespace

TEST_F(Http, GetDeliversHeaderAndTextBody) {
    EXPECT_EQ(execute(url()).asLong(), 0);
    const std::string header = "HTTP/1.0 200 OK\r\nContent-Length: 11\r\nServer: test\r\n\r\n";
    const std::string request = serve(header + "hello world");
    EXPECT_EQ(request, "GET /doc HTTP/1.0\r\nAccept: */*\r\nHost: 127.0.0.1\r\nAccept-Language: en\r\n\r\n");
    ASSERT_TRUE(ready());
    ASSERT_EQ(m_log.count(http::DataReceived), 1u);
    EXPECT_EQ(ansiOf(m_log.first(http::DataReceived)->args[0]), "hello world");
    EXPECT_EQ(m_log.last(http::DataTransferred)->longArg(0), 11);
    EXPECT_EQ(m_log.last(http::Ready)->longArg(0), 0);
    EXPECT_EQ(get(m_http.get(), L"HTTPHeader").asText(), header);
    EXPECT_EQ(m_log.count(http::Error) + m_log.count(http::ObjectError), 0u);

    // The address is kept: a second request to the same URL goes at once.
    m_log.calls.clear();
    EXPECT_EQ(execute(url()).asLong(), 0);
    serve("HTTP/1.0 204 No Content\r\n\r\n");
    ASSERT_TRUE(ready());
    EXPECT_EQ(ansiOf(m_log.first(http::DataReceived)->args[0]), "");
}

TEST_F(Http, BodyWithoutLengthEndsAtCloseAsBytes) {
    put(m_http.get(), L"RetrieveMode", com::argLong(1));
    EXPECT_EQ(execute(url()).asLong(), 0);
    const std::string body("a\0b\r\n\r\nc", 8);
    serve("HTTP/1.0 200 OK\r\n\r\n" + body);
    ASSERT_TRUE(ready());
    ASSERT_EQ(m_log.count(http::DataReceived), 1u);
    std::vector<BYTE> got;
    ASSERT_TRUE(SUCCEEDED(com::toBytes(m_log.first(http::DataReceived)->args[0].get(), got)));
    EXPECT_EQ(std::string(got.begin(), got.end()), body);
}

TEST_F(Http, AnAnnouncedByteArrayBodyArrivesWholeWhateverItsPiecesAndTail) {
    put(m_http.get(), L"RetrieveMode", com::argLong(1));
    auto bodyOf = [&] {
        std::vector<BYTE> got;
        EXPECT_TRUE(SUCCEEDED(com::toBytes(m_log.first(http::DataReceived)->args[0].get(), got)));
        return std::string(got.begin(), got.end());
    };
    // Large enough to come in many reads.
    std::string body(300000, '\0');
    for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>(i * 7 + i / 251);
    EXPECT_EQ(execute(url()).asLong(), 0);
    {
        PlainSocket peer = acceptRequest();
        ASSERT_TRUE(peer);
        peer.sendAll("HTTP/1.0 200 OK\r\nContent-Length: 300000\r\n\r\n");
        // In slices, letting the client read between them, so neither side
        // waits on a full socket buffer.
        for (size_t at = 0; at < body.size(); at += 20000) {
            peer.sendAll(body.substr(at, 20000));
            pumpFor(5);
        }
    }
    ASSERT_TRUE(ready());
    ASSERT_EQ(m_log.count(http::DataReceived), 1u);
    EXPECT_EQ(bodyOf(), body);
    EXPECT_EQ(m_log.last(http::DataTransferred)->longArg(0), 300000);

    // A server that closes the body with a CR LF it did not announce: the
    // bytes are delivered as they came, as before.
    m_log.calls.clear();
    EXPECT_EQ(execute(url()).asLong(), 0);
    serve("HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nabcde\r\n");
    ASSERT_TRUE(ready());
    ASSERT_EQ(m_log.count(http::DataReceived), 1u);
    EXPECT_EQ(bodyOf(), "abcde\r\n");

    // HEAD announces a length it never sends: an empty array.
    m_log.calls.clear();
    EXPECT_EQ(execute(url(), L"HEAD").asLong(), 0);
    serve("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\n");
    ASSERT_TRUE(ready());
    ASSERT_EQ(m_log.count(http::DataReceived), 1u);
    EXPECT_EQ(bodyOf(), "");
    EXPECT_EQ(m_log.count(http::ObjectError), 0u);
}

// A fast server's body waits in the client's socket and comes in pieces of
// megabytes: each is kept whole, into a file or into the announced array.
TEST_F(Http, ABodyThatWaitedWholeInTheSocketArrivesWholeInAFileAndInAnArray) {
    std::string body(3 * 1024 * 1024 + 1234, '\0');
    for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>(i * 13 + i / 4099);
    const std::string path = tempPath("sockloom_http_whole.bin");
    const std::wstring widePath = wide(path);
    for (const bool toFile : {true, false}) {
        m_log.calls.clear();
        put(m_http.get(), L"RetrieveMode", com::argLong(toFile ? 0 : 1));
        EXPECT_EQ(execute(url(), nullptr, nullptr, toFile ? widePath.c_str() : nullptr).asLong(), 0);
        PlainSocket peer = acceptRequest();
        ASSERT_TRUE(peer);
        // The whole response is handed to the system before the client
        // reads (as far as the buffers on the way hold it).
        std::atomic<bool> sent{false};
        std::thread server([&] {
            peer.sendAll("HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
            peer.close();
            sent = true;
        });
        for (int waited = 0; !sent && waited < 3000; waited += 10) Sleep(10);
        const bool done = ready();
        server.join();
        ASSERT_TRUE(done) << (toFile ? "file" : "array");
        EXPECT_EQ(m_log.count(http::ObjectError), 0u);
        ASSERT_NE(m_log.last(http::DataTransferred), nullptr);
        EXPECT_EQ(m_log.last(http::DataTransferred)->longArg(0), static_cast<LONG>(body.size()));
        if (toFile) {
            EXPECT_EQ(m_log.count(http::DataReceived), 0u);
            EXPECT_EQ(readBytes(path) == body, true) << "the file holds exactly the body";
        } else {
            ASSERT_EQ(m_log.count(http::DataReceived), 1u);
            std::vector<BYTE> got;
            ASSERT_TRUE(SUCCEEDED(com::toBytes(m_log.first(http::DataReceived)->args[0].get(), got)));
            EXPECT_EQ(std::string(got.begin(), got.end()) == body, true) << "the array holds exactly the body";
        }
    }
    DeleteFileA(path.c_str());
}

TEST_F(Http, FailedAndMalformedStatusesAreHttpErrors) {
    struct Case {
        const char* response;
        const char* code;
        const char* reason;
    };
    const Case cases[] = {
        {"HTTP/1.0 404 Not Found\r\nContent-Length: 3\r\n\r\nabc", "404", "Not Found"},
        {"HTTP/1.0 301 Moved Permanently\r\nLocation: http://x/\r\n\r\n", "301", "Moved Permanently"},
    };
    for (const Case& c : cases) {
        m_log.calls.clear();
        EXPECT_EQ(execute(url()).asLong(), 0);
        serve(c.response);
        ASSERT_TRUE(ready()) << c.response;
        ASSERT_EQ(m_log.count(http::Error), 1u) << c.response;
        EXPECT_EQ(ansiOf(m_log.first(http::Error)->args[0]), c.code);
        EXPECT_EQ(ansiOf(m_log.first(http::Error)->args[1]), c.reason);
        EXPECT_EQ(m_log.count(http::DataReceived), 0u);
    }
    // A status line without a blank examines nothing: the body arrives.
    m_log.calls.clear();
    EXPECT_EQ(execute(url()).asLong(), 0);
    serve("garbage\r\nServer: a b\r\n\r\nbody");
    ASSERT_TRUE(ready());
    EXPECT_EQ(m_log.count(http::Error), 0u);
    ASSERT_EQ(m_log.count(http::DataReceived), 1u);
    EXPECT_EQ(ansiOf(m_log.first(http::DataReceived)->args[0]), "body");
}

TEST_F(Http, PostSendsDataWithItsLengthAndABodyTooLongFails) {
    EXPECT_EQ(execute(url(L"/form"), L"POST", L"a=1").asLong(), 0);
    const std::string request = serve("HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\n0123456789");
    EXPECT_NE(request.find("POST /form HTTP/1.0\r\n"), std::string::npos);
    EXPECT_NE(request.find("\r\nContent-Length: 5\r\nContent-type: application/x-www-form-urlencoded\r\n\r\na=1\r\n\r\n"),
              std::string::npos);
    ASSERT_TRUE(ready());
    ASSERT_EQ(m_log.count(http::ObjectError), 1u);
    EXPECT_EQ(m_log.first(http::ObjectError)->longArg(0), 4);
    EXPECT_EQ(m_log.count(http::DataReceived), 0u);
}

TEST_F(Http, BodyGoesIntoTheFileAndAFailureDeletesIt) {
    const std::string path = tempPath("sockloom_http_test.bin");
    const std::wstring widePath = wide(path);
    EXPECT_EQ(execute(url(), nullptr, nullptr, widePath.c_str()).asLong(), 0);
    serve("HTTP/1.0 200 OK\r\n\r\nfile body");
    ASSERT_TRUE(ready());
    EXPECT_EQ(m_log.count(http::DataReceived), 0u);
    EXPECT_EQ(readBytes(path), "file body");

    m_log.calls.clear();
    EXPECT_EQ(execute(url(), nullptr, nullptr, widePath.c_str()).asLong(), 0);
    serve("HTTP/1.0 500 Oops\r\n\r\n");
    ASSERT_TRUE(ready());
    EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES) << "a failed transfer leaves no file";
}

TEST_F(Http, MisuseRaisesTheLibraryErrors) {
    EXPECT_EQ(put(m_http.get(), L"RetrieveMode", com::argLong(2)), static_cast<HRESULT>(0x80040201));
    Text bad(L"http://");
    EXPECT_EQ(put(m_http.get(), L"URL", text(bad)), static_cast<HRESULT>(0x80040204));
    EXPECT_EQ(execute(L":80/x").hr, static_cast<HRESULT>(0x80040204));
    Text proxy(L"proxy/x");
    EXPECT_EQ(put(m_http.get(), L"Proxy", text(proxy)), static_cast<HRESULT>(0x80040204));
    Text fine(L"http://h:8080/a");
    EXPECT_EQ(put(m_http.get(), L"URL", text(fine)), S_OK);
    EXPECT_EQ(get(m_http.get(), L"URL").asText(), "http://h:8080/a");

    EXPECT_EQ(execute(url()).asLong(), 0);
    const Result busy = execute(url());
    EXPECT_EQ(busy.hr, static_cast<HRESULT>(0x80040202));
    EXPECT_EQ(busy.description, L"Operation invalid for current object state");
    call(m_http.get(), L"Reset");
    EXPECT_EQ(execute(url()).asLong(), 0) << "idle again after Reset";
    call(m_http.get(), L"Reset");
}

TEST_F(Http, RefusedConnectionIsObjectErrorFive) {
    m_listener.close();
    EXPECT_EQ(execute(url()).asLong(), 0);
    ASSERT_TRUE(pumpUntil([&] { return m_log.count(http::ObjectError) == 1; }));
    EXPECT_EQ(m_log.first(http::ObjectError)->longArg(0), 5);
}

TEST_F(Http, ACallbackObjectGetsTheEventsByNameInsteadOfTheSinks) {
    auto callbacks = com::make<harness::NamedCallbacks>(
        std::vector<std::wstring>{L"HTTPDataReceived", L"HTTPDataTransferred", L"HTTPReady"});
    ASSERT_TRUE(SUCCEEDED(putRef(m_http.get(), L"CallBackObject", callbacks.get())));
    EXPECT_EQ(execute(url()).asLong(), 0);
    serve("HTTP/1.0 200 OK\r\n\r\nabc");
    ASSERT_TRUE(pumpUntil([&] { return !callbacks->calls.empty() && callbacks->calls.back().name == L"HTTPReady"; }));
    EXPECT_TRUE(m_log.calls.empty()) << "no events while a callback object is set";
    const auto& received = callbacks->calls[callbacks->calls.size() - 2];
    EXPECT_EQ(received.name, L"HTTPDataReceived");
    ASSERT_EQ(received.args.size(), 2u);
    ComPtr<IUnknown> self, sender;
    m_http->QueryInterface(IID_IUnknown, self.putVoid());
    received.args[0].get().pdispVal->QueryInterface(IID_IUnknown, sender.putVoid());
    EXPECT_EQ(self.get(), sender.get()) << "the object itself comes first";
    EXPECT_EQ(ansiOf(received.args[1]), "abc");
    // HTTPError is not handled by this object: the call is skipped.
    callbacks->calls.clear();
    EXPECT_EQ(execute(url()).asLong(), 0);
    serve("HTTP/1.0 404 Gone\r\n\r\n");
    ASSERT_TRUE(pumpUntil([&] { return !callbacks->calls.empty(); }));
    EXPECT_EQ(callbacks->calls.back().name, L"HTTPReady");
    putRef(m_http.get(), L"CallBackObject", nullptr);
}

TEST_F(Http, AHostNameIsLookedUpOnceAndAnUnstartableLookUpIsReturned) {
    GateRestore restore;
    gLookups = 0;
    sockgate::table().WSAAsyncGetHostByName = &countedLookup;
    const std::wstring byName = L"http://localhost:" + std::to_wstring(m_port) + L"/n";
    for (int i = 0; i < 2; ++i) {
        m_log.calls.clear();
        EXPECT_EQ(execute(byName).asLong(), 0);
        const std::string request = serve("HTTP/1.0 200 OK\r\n\r\nx");
        EXPECT_NE(request.find("\r\nHost: localhost\r\n"), std::string::npos);
        ASSERT_TRUE(ready());
        EXPECT_EQ(ansiOf(m_log.first(http::DataReceived)->args[0]), "x");
    }
    EXPECT_EQ(gLookups, 1) << "the address is kept for the same URL";

    sockgate::table().WSAAsyncGetHostByName = &refusedLookup;
    Text changed(L"http://localhost:1/");
    put(m_http.get(), L"URL", text(changed));
    EXPECT_EQ(execute(L"").asLong(), WSAENOBUFS);
    EXPECT_EQ(execute(L"").asLong(), WSAENOBUFS) << "idle again after the refusal";
}

TEST_F(Http, ThroughAProxyTheRequestLineCarriesTheWholeUrl) {
    const std::wstring proxyText = L"127.0.0.1:" + std::to_wstring(m_port);
    Text proxy(proxyText.c_str());
    ASSERT_EQ(put(m_http.get(), L"Proxy", text(proxy)), S_OK);
    EXPECT_EQ(execute(L"http://far.example/a/b").asLong(), 0);
    const std::string request = serve("HTTP/1.0 200 OK\r\n\r\n");
    EXPECT_EQ(request.substr(0, request.find("\r\n")), "GET http://far.example/a/b HTTP/1.0");
    EXPECT_NE(request.find("\r\nHost: 127.0.0.1\r\n"), std::string::npos) << "the proxy's host";
    ASSERT_TRUE(ready());
}
