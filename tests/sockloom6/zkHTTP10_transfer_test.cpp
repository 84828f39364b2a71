// zkHTTP10_transfer_test.cpp
// HTTP transfers that fail, each reported as a failure and never as a
// complete transfer: a full disk (a 64 KiB tmpfs), a body shorter than
// announced, no response at all, a body past the memory limit or far past
// its length, a header past its limit however it arrives, a connection
// that cannot start; a whole announced body, an empty one and the answer
// to HEAD that the server does not follow with a close; the memory a
// header alone makes the client take; requests with no address or whose
// parts would smuggle a line break; and the events of the class's version
// 1.0 interface.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "common/win32/handles.h"
#include "fixture.h"
#include "net_args.h"
#include "zkHTTP10.h"

#include <psapi.h>

using namespace harness;
using com::ComPtr;

namespace {

constexpr HRESULT kInvalidParameter = static_cast<HRESULT>(0x80040201);
constexpr HRESULT kInvalidState = static_cast<HRESULT>(0x80040202);
constexpr HRESULT kMalformedUrl = static_cast<HRESULT>(0x80040204);

// The larger of the process's committed private memory and its working
// set: the first is what Windows charges for memory taken, the second what
// Wine reports for memory touched.
size_t processMemory() {
    PROCESS_MEMORY_COUNTERS_EX pmc{};
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc);
    return std::max<size_t>(pmc.PrivateUsage, pmc.WorkingSetSize);
}

class HttpTransfer : public ::testing::Test {
protected:
    void SetUp() override {
        m_object = com::make<sockloom::zkHTTP10>();
        ASSERT_TRUE(m_object);
        m_object->QueryInterface(IID_IDispatch, m_http.putVoid());
        m_sink = com::make<EventSink>(m_log, DIID___zkHTTP10);
        ASSERT_TRUE(m_sink->advise(m_http.get()));
        m_listener = PlainSocket::listenLocal(m_port);
        ASSERT_TRUE(m_listener);
    }
    void TearDown() override {
        call(m_http.get(), L"Reset");
        m_sink->unadvise();
    }

    std::wstring url() const { return L"http://127.0.0.1:" + std::to_wstring(m_port) + L"/doc"; }

    Result execute(const std::string& file = {}, const wchar_t* operation = nullptr, const wchar_t* headers = nullptr) {
        const std::wstring f(file.begin(), file.end());
        Text u(url().c_str()), op(operation ? operation : L""), h(headers ? headers : L""), out(f.c_str());
        return call(m_http.get(), L"Execute2",
                    {text(u), operation ? text(op) : missing(), missing(), headers ? text(h) : missing(),
                     file.empty() ? missing() : text(out)});
    }
    // Takes the connection and reads the request's header.
    PlainSocket accept(std::string& request) {
        PlainSocket peer = m_listener.acceptWithin(5000);
        EXPECT_TRUE(peer);
        while (peer && request.find("\r\n\r\n") == std::string::npos) {
            const std::string more = peer.receive(1, 5000);
            if (more.empty()) break;
            request += more;
        }
        return peer;
    }
    void serve(const std::string& response) {
        std::string request;
        PlainSocket peer = accept(request);
        peer.sendAll(response);
    }
    bool ready() { return pumpUntil([&] { return m_log.count(http::Ready) >= 1; }); }
    void expectFailedTransfer(const char* what) {
        ASSERT_TRUE(ready()) << what;
        ASSERT_EQ(m_log.count(http::ObjectError), 1u) << what;
        EXPECT_EQ(m_log.first(http::ObjectError)->longArg(0), 4) << what;
        EXPECT_EQ(m_log.count(http::DataReceived), 0u) << what;
        EXPECT_LT(m_log.first(http::ObjectError) - m_log.calls.data(), m_log.first(http::Ready) - m_log.calls.data())
            << "the error comes before HTTPReady";
    }

    ComPtr<sockloom::zkHTTP10> m_object;
    ComPtr<IDispatch> m_http;
    Log m_log;
    ComPtr<EventSink> m_sink;
    PlainSocket m_listener;
    u_short m_port = 0;
};

}  // namespace

TEST_F(HttpTransfer, AFullDiskEndsTheTransferWithAnError) {
    if (exists(gFullDiskFolder + "\\.not-mounted")) GTEST_SKIP() << "no tmpfs could be mounted on this machine";
    const std::string file = gFullDiskFolder + "\\body.bin";
    EXPECT_EQ(execute(file).asLong(), 0);
    std::string request;
    PlainSocket peer = accept(request);
    peer.sendAll("HTTP/1.0 200 OK\r\nContent-Length: 200000\r\n\r\n");
    const std::string chunk(20000, 'b');
    for (int i = 0; i < 10 && m_log.count(http::Ready) == 0; ++i) {
        peer.sendAll(chunk);
        pumpFor(20);
    }
    peer.close();
    expectFailedTransfer("disk full");
    EXPECT_LT(m_log.last(http::DataTransferred) ? m_log.last(http::DataTransferred)->longArg(0) : 0, 200000)
        << "no count past what was written";
    EXPECT_FALSE(exists(file)) << "the half-written file is deleted";
}

TEST_F(HttpTransfer, ShortBodiesAndMissingResponsesAreNotComplete) {
    execute();
    serve("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nonly forty bytes of the hundred announced");
    expectFailedTransfer("short body in memory");

    m_log.calls.clear();
    const std::string file = tempPath("sockloom_http_short.bin");
    execute(file);
    serve("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nshort");
    expectFailedTransfer("short body into a file");
    EXPECT_FALSE(exists(file));

    m_log.calls.clear();
    execute();
    serve("");
    expectFailedTransfer("closed before any response");

    m_log.calls.clear();
    execute();
    serve("HTTP/1.0 200 OK\r\nContent-Le");
    expectFailedTransfer("closed inside the header");

    // HEAD announces a length it never sends.
    m_log.calls.clear();
    execute({}, L"HEAD");
    serve("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\n");
    ASSERT_TRUE(ready());
    EXPECT_EQ(m_log.count(http::ObjectError), 0u);
    EXPECT_EQ(m_log.count(http::DataReceived), 1u);
}

TEST_F(HttpTransfer, ABodyPastTheMemoryLimitEndsWithAnError) {
    m_object->setMemoryLimit(16);
    execute();
    serve("HTTP/1.0 200 OK\r\n\r\n" + std::string(40, 'y'));
    expectFailedTransfer("past the limit");

    // Byte arrays with an announced length are read into the array that is
    // delivered; the limit holds for them all the same.
    put(m_http.get(), L"RetrieveMode", com::argLong(1));
    m_log.calls.clear();
    execute();
    serve("HTTP/1.0 200 OK\r\nContent-Length: 40\r\n\r\n" + std::string(40, 'y'));
    expectFailedTransfer("announced past the limit");

    m_log.calls.clear();
    execute();
    serve("HTTP/1.0 200 OK\r\nContent-Length: 14\r\n\r\n" + std::string(18, 'y'));
    expectFailedTransfer("within the limit as announced, past it as sent");

    m_log.calls.clear();
    execute();
    serve("HTTP/1.0 200 OK\r\nContent-Length: 16\r\n\r\n" + std::string(16, 'y'));
    ASSERT_TRUE(ready());
    EXPECT_EQ(m_log.count(http::ObjectError), 0u);
    ASSERT_EQ(m_log.count(http::DataReceived), 1u);
    std::vector<BYTE> got;
    ASSERT_EQ(com::toBytes(m_log.first(http::DataReceived)->args[0].get(), got), S_OK);
    EXPECT_EQ(got, std::vector<BYTE>(16, 'y')) << "a body of exactly the limit passes";
}

TEST_F(HttpTransfer, AConnectionThatCannotStartLeavesNoFileOpen) {
    m_listener.close();
    const std::string file = tempPath("sockloom_http_refused.bin");
    EXPECT_EQ(execute(file).asLong(), 0);
    ASSERT_TRUE(pumpUntil([&] { return m_log.count(http::ObjectError) == 1; }));
    EXPECT_EQ(m_log.first(http::ObjectError)->longArg(0), 5);
    EXPECT_FALSE(exists(file)) << "closed and deleted when the error is raised";
    // The state waits for Reset, as before.
    EXPECT_EQ(execute(file).hr, kInvalidState);
    pumpFor(200);
    EXPECT_EQ(m_log.count(http::Ready), 0u);
    call(m_http.get(), L"Reset");
    EXPECT_FALSE(exists(file));
}

TEST_F(HttpTransfer, AHeaderPastItsLimitIsABrokenTransferNotAStatus) {
    execute();
    std::string request;
    PlainSocket peer = accept(request);
    const std::string status = "HTTP/1.0 200 OK\r\n";
    peer.sendAll(status);
    const std::string line = "X-Filler: " + std::string(1000, 'f') + "\r\n";
    std::string slice;
    while (slice.size() < 20000) slice += line;
    for (size_t sent = 0; sent < (size_t{1} << 20) + 100000 && m_log.count(http::Ready) == 0; sent += slice.size()) {
        peer.sendAll(slice);
        pumpFor(5);
    }
    expectFailedTransfer("header past its limit");
    EXPECT_EQ(m_log.count(http::Error), 0u) << "the server sent no such status";
    const std::string header = get(m_http.get(), L"HTTPHeader").asText();
    EXPECT_EQ(header.size(), size_t{1} << 20) << "what was read within the limit";
    EXPECT_EQ(header.substr(0, status.size()), status);
}

TEST_F(HttpTransfer, AHeaderPastItsLimitInOneBurstIsABrokenTransferToo) {
    // The whole response handed to the system at once, before the client
    // reads: it finds the header's end in a large read. Two MiB of header,
    // and one just past the limit, whose end comes in the read that passes
    // the limit however the bytes are cut.
    auto header = [](size_t size) {
        std::string h;
        while (h.size() + 1002 + 100 < size) h += "X-Filler: " + std::string(990, 'f') + "\r\n";
        return h + "X-Last: " + std::string(size - h.size() - 12, 'l') + "\r\n\r\n";
    };
    for (const size_t size : {size_t{2} << 20, (size_t{1} << 20) + 100}) {
        for (const std::string status : {"HTTP/1.0 200 OK\r\n", "HTTP/1.0 404 Not Found\r\n"}) {
            const std::string what = status + std::to_string(size);
            m_log.calls.clear();
            execute();
            std::string request;
            PlainSocket peer = accept(request);
            std::atomic<bool> sent{false};
            std::thread server([&] {
                peer.sendAll(status + header(size - status.size()) + "body");
                sent = true;
            });
            for (int waited = 0; !sent && waited < 3000; waited += 10) Sleep(10);
            const bool done = ready();
            server.join();
            ASSERT_TRUE(done) << what;
            expectFailedTransfer(what.c_str());
            EXPECT_EQ(m_log.count(http::Error), 0u) << "not the server's status: " << what;
            EXPECT_EQ(get(m_http.get(), L"HTTPHeader").asText().size(), size_t{1} << 20) << what;
        }
    }
}

TEST_F(HttpTransfer, AnEmptyBodyAndTheAnswerToHeadEndWithTheHeader) {
    const std::string file = tempPath("sockloom_http_empty.bin");
    // Connections the server leaves open; each must be closed by the client.
    for (const std::string& output : {std::string(), file}) {
        m_log.calls.clear();
        execute(output);
        std::string request;
        PlainSocket peer = accept(request);
        peer.sendAll("HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n");
        ASSERT_TRUE(ready()) << "an empty body, the connection left open";
        EXPECT_EQ(m_log.count(http::ObjectError) + m_log.count(http::Error), 0u);
        EXPECT_TRUE(peer.closedWithin(3000)) << "the client closed it";
        if (output.empty()) {
            ASSERT_EQ(m_log.count(http::DataReceived), 1u);
            std::string body = "?";
            com::toAnsi(m_log.first(http::DataReceived)->args[0].get(), body);
            EXPECT_EQ(body, "");
        } else {
            EXPECT_EQ(m_log.count(http::DataReceived), 0u);
            // Closed: another writer may have it at once.
            const win32::File h(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
            EXPECT_TRUE(h) << "the file is closed";
            if (h) {
                EXPECT_EQ(GetFileSize(h.get(), nullptr), 0u);
            }
        }
    }
    DeleteFileA(file.c_str());

    for (const char* header : {"HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\n", "HTTP/1.0 200 OK\r\n\r\n"}) {
        m_log.calls.clear();
        execute({}, L"HEAD");
        std::string request;
        PlainSocket peer = accept(request);
        EXPECT_EQ(request.substr(0, 5), "HEAD ");
        peer.sendAll(header);
        ASSERT_TRUE(ready()) << "the answer to HEAD, left open: " << header;
        EXPECT_EQ(m_log.count(http::ObjectError), 0u);
        EXPECT_EQ(m_log.count(http::DataReceived), 1u);
        EXPECT_EQ(get(m_http.get(), L"HTTPHeader").asText(), header);
        EXPECT_TRUE(peer.closedWithin(3000));
    }

    // An empty body announced and more sent: past its length, as for any.
    m_log.calls.clear();
    execute();
    serve("HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\nunannounced bytes");
    expectFailedTransfer("an empty body announced, more sent");
}

TEST_F(HttpTransfer, AHeaderAloneMakesTheClientTakeLittleMemory) {
    // A large length announced and a few bytes sent: the memory grows as
    // the bytes come, not with the announcement.
    put(m_http.get(), L"RetrieveMode", com::argLong(1));
    pumpFor(50);
    const size_t before = processMemory();
    execute();
    std::string request;
    PlainSocket peer = accept(request);
    peer.sendAll("HTTP/1.0 200 OK\r\nContent-Length: 200000000\r\n\r\n0123456789");
    ASSERT_TRUE(pumpUntil([&] { return m_log.count(http::DataTransferred) >= 1; }));
    pumpFor(100);
    EXPECT_EQ(m_log.last(http::DataTransferred)->longArg(0), 10);
    const size_t taken = processMemory() - std::min(processMemory(), before);
    EXPECT_LT(taken, size_t{32} << 20) << "bytes taken for a 10-byte body announced as 200 MB";
    peer.close();
    expectFailedTransfer("the body ended short of its announced length");
}

TEST_F(HttpTransfer, ABodyFarPastItsLengthEndsAtOnce) {
    const std::string file = tempPath("sockloom_http_far.bin");
    for (const std::string& output : {std::string(), file}) {
        m_log.calls.clear();
        execute(output);
        std::string request;
        PlainSocket peer = accept(request);
        // Ten announced, and more coming for as long as the client reads.
        peer.sendAll("HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\n0123456789" + std::string(60000, 'x'));
        expectFailedTransfer(output.empty() ? "far past its length, in memory" : "far past its length, to a file");
        EXPECT_TRUE(peer.closedWithin(3000)) << "the client closed the connection";
        const Call* progress = m_log.last(http::DataTransferred);
        EXPECT_LE(progress ? progress->longArg(0) : 0, 14) << "nothing past the length is counted";
        EXPECT_FALSE(exists(file));
    }
}

TEST_F(HttpTransfer, AWholeAnnouncedBodyEndsTheResponseWithoutAClose) {
    execute();
    std::string request;
    PlainSocket peer = accept(request);
    peer.sendAll("HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nhello");
    ASSERT_TRUE(ready()) << "the server keeps the connection open";
    ASSERT_EQ(m_log.count(http::DataReceived), 1u);
    std::string body;
    com::toAnsi(m_log.first(http::DataReceived)->args[0].get(), body);
    EXPECT_EQ(body, "hello");
    EXPECT_EQ(m_log.count(http::ObjectError) + m_log.count(http::Error), 0u);
    EXPECT_TRUE(peer.closedWithin(3000)) << "the client closed it";

    // Into a file, the body in two pieces: complete with the last.
    m_log.calls.clear();
    const std::string file = tempPath("sockloom_http_whole.bin");
    execute(file);
    std::string second;
    PlainSocket filePeer = accept(second);
    filePeer.sendAll("HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nhel");
    pumpFor(300);
    EXPECT_EQ(m_log.count(http::Ready), 0u) << "not before the last byte";
    filePeer.sendAll("lo");
    ASSERT_TRUE(ready());
    EXPECT_EQ(m_log.count(http::ObjectError), 0u);
    EXPECT_EQ(readBytes(file), "hello");
    EXPECT_TRUE(filePeer.closedWithin(3000));
    DeleteFileA(file.c_str());

    // Without a length, only the close ends the body.
    m_log.calls.clear();
    execute();
    std::string third;
    PlainSocket open = accept(third);
    open.sendAll("HTTP/1.0 200 OK\r\n\r\nhello");
    pumpFor(500);
    EXPECT_EQ(m_log.count(http::Ready), 0u);
    open.close();
    ASSERT_TRUE(ready());
    ASSERT_EQ(m_log.count(http::DataReceived), 1u);
}

TEST_F(HttpTransfer, ARequestWithNoAddressIsRefusedAtOnce) {
    // A new object whose URL was never set; the same after the URL was
    // emptied, and through a proxy.
    ComPtr<IDispatch> fresh;
    com::createInstance<sockloom::zkHTTP10>(IID_IDispatch, fresh.putVoid());
    ASSERT_TRUE(fresh);
    Log log;
    ComPtr<EventSink> sink = com::make<EventSink>(log, DIID___zkHTTP10);
    ASSERT_TRUE(sink->advise(fresh.get()));
    const std::string file = tempPath("sockloom_http_nowhere.bin");
    const std::wstring wideFile(file.begin(), file.end());
    Text out(wideFile.c_str());
    EXPECT_EQ(call(fresh.get(), L"Execute2", {missing(), missing(), missing(), missing(), text(out)}).hr,
              kMalformedUrl);
    EXPECT_EQ(call(fresh.get(), L"Execute2", {text(Text(L""))}).hr, kMalformedUrl);
    EXPECT_FALSE(exists(file)) << "no output file made";

    EXPECT_EQ(put(fresh.get(), L"URL", text(Text(url().c_str()))), S_OK);
    EXPECT_EQ(put(fresh.get(), L"URL", text(Text(L""))), S_OK);
    EXPECT_EQ(call(fresh.get(), L"Execute2", {missing()}).hr, kMalformedUrl);
    const std::wstring proxy = L"127.0.0.1:" + std::to_wstring(m_port);
    EXPECT_EQ(put(fresh.get(), L"Proxy", text(Text(proxy.c_str()))), S_OK);
    EXPECT_EQ(call(fresh.get(), L"Execute2", {missing()}).hr, kMalformedUrl);
    pumpFor(300);
    EXPECT_TRUE(log.calls.empty()) << "no events: nothing was started";
    EXPECT_FALSE(readableWithin(m_listener.get(), 0)) << "no connection was made";

    // Not left busy: a request with an address goes.
    EXPECT_EQ(put(fresh.get(), L"Proxy", text(Text(L""))), S_OK);
    EXPECT_EQ(call(fresh.get(), L"Execute2", {text(Text(url().c_str()))}).asLong(), 0);
    serve("HTTP/1.0 200 OK\r\n\r\nfine");
    EXPECT_TRUE(pumpUntil([&] { return log.count(http::Ready) == 1; }));
    EXPECT_EQ(log.count(http::ObjectError), 0u);
    sink->unadvise();
}

TEST_F(HttpTransfer, LineBreaksCannotSmuggleASecondRequest) {
    EXPECT_EQ(put(m_http.get(), L"URL", text(Text(L"http://h/a\r\nX: y"))), kMalformedUrl);
    EXPECT_EQ(call(m_http.get(), L"Execute2", {text(Text(L"http://h/a\nb"))}).hr, kMalformedUrl);
    EXPECT_EQ(execute({}, L"GET / HTTP/1.0\r\nGET").hr, kInvalidParameter);
    EXPECT_EQ(execute({}, nullptr, L"X-A: 1\r\n\r\nGET /other HTTP/1.0").hr, kInvalidParameter);
    EXPECT_EQ(execute({}, nullptr, L"X-A: 1\nX-B: 2").hr, kInvalidParameter);
    pumpFor(100);
    EXPECT_FALSE(readableWithin(m_listener.get(), 0)) << "no connection was made";

    // Several header lines are fine.
    EXPECT_EQ(execute({}, nullptr, L"X-A: 1\r\nX-B: 2").asLong(), 0);
    std::string request;
    PlainSocket peer = accept(request);
    EXPECT_NE(request.find("\r\nX-A: 1\r\nX-B: 2\r\n\r\n"), std::string::npos) << request;
    peer.sendAll("HTTP/1.0 200 OK\r\n\r\n");
    peer.close();
    ASSERT_TRUE(ready());
}

TEST_F(HttpTransfer, ClientsOfVersionOneGetTheEvents) {
    ComPtr<IDispatch> old;
    ASSERT_EQ(m_http->QueryInterface(sockloom::IID__zkHTTP10_1_0, old.putVoid()), S_OK);
    Log log10;
    ComPtr<EventSink> sink10 = com::make<EventSink>(log10, __uuidof(__zkHTTP10_1_0));
    ASSERT_TRUE(sink10->advise(m_http.get()));
    execute();
    serve("HTTP/1.0 200 OK\r\n\r\nabc");
    ASSERT_TRUE(ready());
    EXPECT_EQ(log10.count(http::Ready), 1u);
    ASSERT_EQ(log10.count(http::DataReceived), 1u);
    std::string body;
    com::toAnsi(log10.first(http::DataReceived)->args[0].get(), body);
    EXPECT_EQ(body, "abc");
    sink10->unadvise();
}
