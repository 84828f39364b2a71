// zkSockets_test.cpp
// The collection's notifications, recorded from its events and from an
// early-bound callback object: connect, accept, data and close on real
// loopback connections; hand-posted notices (through the window the
// collection registered with the gate) for the cases a real network does
// not produce on demand; a 64 MB send to a slow reader; and what its
// destruction leaves in the thread's queue.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "fixture.h"
#include "zkSocket.h"

using namespace harness;
using com::ComPtr;

namespace {

// The window and message every socket was registered with, learned from
// the gate's WSAAsyncSelect (which still does the real work).
HWND gWindow = nullptr;
u_int gMessage = 0;
long gEvents = -1;
int WINAPI recordedAsyncSelect(SOCKET s, HWND hWnd, u_int msg, long events) {
    if (msg != 0) {
        gWindow = hWnd;
        gMessage = msg;
        gEvents = events;
    }
    return sockgate::winsock().WSAAsyncSelect(s, hWnd, msg, events);
}

class Collection : public ::testing::Test {
protected:
    void SetUp() override {
        gWindow = nullptr;
        sockgate::table().WSAAsyncSelect = &recordedAsyncSelect;
        m_sockets = makeSockets();
        ASSERT_TRUE(m_sockets);
        m_sink = com::make<EventSink>(m_log, DIID___zkSockets);
        ASSERT_TRUE(m_sink->advise(m_sockets.get()));
    }
    void TearDown() override { m_sink->unadvise(); }

    bool waitFor(DISPID id, LONG socket, LONG value, DWORD ms = 10000) {
        return pumpUntil([&] { return find(id, socket, value) != nullptr; }, ms);
    }
    const Call* find(DISPID id, LONG socket, LONG value) const {
        for (const Call& c : m_log.calls) {
            if (c.id == id && c.socketArg(0) == socket && c.longArg(1) == value) return &c;
        }
        return nullptr;
    }
    size_t indexOf(const Call* c) const { return static_cast<size_t>(c - m_log.calls.data()); }
    void post(LONG handle, int event, int error = 0) {
        ASSERT_TRUE(gWindow);
        PostMessageA(gWindow, 0x501, static_cast<WPARAM>(static_cast<ULONG>(handle)), MAKELPARAM(event, error));
    }

    // A connection accepted by a library listener from the test's own peer.
    void acceptPeer(ComPtr<IDispatch>& accepted, PlainSocket& peer) {
        u_short port = 0;
        m_listener = libraryListener(m_sockets.get(), port);
        ASSERT_TRUE(m_listener);
        peer = PlainSocket::connectLocal(port);
        ASSERT_TRUE(peer);
        ASSERT_TRUE(waitFor(ev::SocketNotification, socketOf(m_listener), FD_ACCEPT));
        IDispatch* name = nullptr;
        accepted = call(m_listener.get(), L"Accept", {object(m_sockets.get()), com::refDispatch(&name)}).asObject();
        if (name) name->Release();
        ASSERT_TRUE(accepted);
    }
    static LONG socketOf(const ComPtr<IDispatch>& s) { return get(s.get(), L"Socket").asLong(); }

    // An accepted connection holding three bytes nobody has read, its own
    // FD_READ notice already handled, and an empty log.
    void unreadData(ComPtr<IDispatch>& accepted, PlainSocket& peer) {
        acceptPeer(accepted, peer);
        peer.sendAll("abc");
        ASSERT_TRUE(pumpUntil([&] { return call(accepted.get(), L"GetAvailableData").asLong() == 3; }));
        pumpFor(100);
        m_log.calls.clear();
    }

    GateRestore m_restore;
    Log m_log;
    ComPtr<IDispatch> m_sockets;
    ComPtr<EventSink> m_sink;
    ComPtr<IDispatch> m_listener;
};

std::string readAll(IDispatch* socket) {
    LONG read = 0, error = 0;
    Result r = call(socket, L"recv", {com::refLong(&read), com::refLong(&error)});
    const std::vector<BYTE> b = read > 0 ? r.asBytes() : std::vector<BYTE>{};
    return std::string(b.begin(), b.end());
}

}  // namespace

TEST_F(Collection, ConnectAcceptDataAndCloseArriveAsEvents) {
    u_short port = 0;
    ComPtr<IDispatch> listener = libraryListener(m_sockets.get(), port);
    ASSERT_TRUE(listener);
    EXPECT_EQ(gMessage, 0x501u);
    EXPECT_EQ(gEvents, 63) << "every network event";
    ComPtr<IDispatch> client = libraryClient(m_sockets.get(), port);
    ASSERT_TRUE(client);
    ASSERT_TRUE(waitFor(ev::SocketNotification, socketOf(client), FD_CONNECT));
    ASSERT_TRUE(waitFor(ev::SocketNotification, socketOf(listener), FD_ACCEPT));

    IDispatch* nameRef = nullptr;
    ComPtr<IDispatch> accepted =
        call(listener.get(), L"Accept", {object(m_sockets.get()), com::refDispatch(&nameRef)}).asObject();
    ComPtr<IDispatch> name;
    name = com::ComPtr<IDispatch>::attach(nameRef);
    ASSERT_TRUE(accepted);
    ASSERT_TRUE(name);
    EXPECT_EQ(portOf(name.get()), portOf(get(client.get(), L"SocketName").asObject().get()));
    EXPECT_EQ(get(m_sockets.get(), L"SocketCount").asLong(), 3) << "the accepted socket joined the list";

    com::Variant hello = bytes("hello");
    VARIANT helloRef = hello.get();
    LONG error = 0;
    EXPECT_EQ(call(client.get(), L"Send", {com::refVariant(&helloRef), com::refLong(&error)}).asLong(), 5);
    ASSERT_TRUE(pumpUntil([&] { return m_log.count(ev::DataReceived) > 0; }));
    const Call* data = m_log.first(ev::DataReceived);
    EXPECT_EQ(data->socketArg(0), socketOf(accepted));
    EXPECT_FALSE(data->longArg(1)) << "no out-of-band data";
    EXPECT_EQ(readAll(accepted.get()), "hello");
    EXPECT_GE(m_log.count(ev::DataSent), 1u) << "FD_WRITE after the connection was made";

    VARIANT position = com::argDispatch(client.get());
    Result gone = call(m_sockets.get(), L"DestroySocket", {com::refVariant(&position)});
    EXPECT_EQ(gone.value.type(), VT_EMPTY);
    m_log.calls.clear();  // the log holds the sockets it saw
    client = nullptr;     // the last reference: the socket closes
    EXPECT_TRUE(waitFor(ev::SocketNotification, socketOf(accepted), FD_CLOSE));
    EXPECT_EQ(m_log.count(ev::SocketError), 0u);
}

TEST_F(Collection, DataComesBeforeTheCloseWhenThePeerClosesWithUnreadData) {
    ComPtr<IDispatch> accepted;
    PlainSocket peer;
    acceptPeer(accepted, peer);
    std::string got;
    m_log.handler = [&](const Call& c) {
        if (c.id == ev::DataReceived) got += readAll(accepted.get());
        return S_OK;
    };
    std::string sent;
    for (int i = 0; i < 3000; ++i) sent += static_cast<char>('0' + i % 43);
    peer.sendAll(sent);
    peer.close();
    ASSERT_TRUE(waitFor(ev::SocketNotification, socketOf(accepted), FD_CLOSE));
    EXPECT_EQ(got, sent);
    EXPECT_LT(indexOf(m_log.last(ev::DataReceived)), indexOf(m_log.last(ev::SocketNotification)));
}

TEST_F(Collection, ACloseNoticeFirstReportsAnErrorThenDrainsTheUnreadData) {
    ComPtr<IDispatch> accepted;
    PlainSocket peer;
    unreadData(accepted, peer);

    // A handler that does not read: the drain reports once and stops.
    post(socketOf(accepted), FD_CLOSE);
    ASSERT_TRUE(waitFor(ev::SocketNotification, socketOf(accepted), FD_CLOSE));
    EXPECT_EQ(m_log.count(ev::DataReceived), 1u);

    // With an error: SocketError first, then the drain, then the close.
    m_log.calls.clear();
    std::string got;
    m_log.handler = [&](const Call& c) {
        if (c.id == ev::DataReceived) got += readAll(accepted.get());
        return S_OK;
    };
    post(socketOf(accepted), FD_CLOSE, WSAECONNABORTED);
    ASSERT_TRUE(waitFor(ev::SocketNotification, socketOf(accepted), FD_CLOSE));
    ASSERT_EQ(m_log.calls.size(), 3u);
    EXPECT_EQ(m_log.calls[0].id, ev::SocketError);
    EXPECT_EQ(m_log.calls[0].longArg(0), WSAECONNABORTED);
    EXPECT_EQ(m_log.calls[0].socketArg(1), socketOf(accepted));
    EXPECT_EQ(m_log.calls[1].id, ev::DataReceived);
    EXPECT_EQ(got, "abc");
}

TEST_F(Collection, AHandlerThatRaisesAnErrorEndsTheNotice) {
    ComPtr<IDispatch> accepted;
    PlainSocket peer;
    unreadData(accepted, peer);
    m_log.handler = [](const Call& c) { return c.id == ev::DataReceived ? E_FAIL : S_OK; };
    post(socketOf(accepted), FD_CLOSE);
    ASSERT_TRUE(pumpUntil([&] { return m_log.count(ev::DataReceived) == 1; }));
    pumpFor(200);
    EXPECT_EQ(m_log.count(ev::SocketNotification), 0u);
}

namespace {

// Two sockets whose handles differ only above bit 15.
constexpr SOCKET kHigh = 0x10044;
constexpr SOCKET kLow = 0x00044;
int gMade = 0;
SOCKET WINAPI fakeSocket(int, int, int) { return gMade++ == 0 ? kHigh : kLow; }
int WINAPI fakeIoctl(SOCKET, long, u_long*) { return 0; }
int WINAPI fakeClose(SOCKET) { return 0; }
int WINAPI fakeAsyncSelect(SOCKET s, HWND hWnd, u_int msg, long events) {
    recordedAsyncSelect(INVALID_SOCKET, hWnd, msg, events);
    return s == kHigh || s == kLow ? 0 : SOCKET_ERROR;
}

}  // namespace

TEST_F(Collection, ANoticeFindsItsSocketByTheWholeHandle) {
    gMade = 0;
    sockgate::table().socket = &fakeSocket;
    sockgate::table().ioctlsocket = &fakeIoctl;
    sockgate::table().closesocket = &fakeClose;
    sockgate::table().WSAAsyncSelect = &fakeAsyncSelect;
    ComPtr<IDispatch> high = call(m_sockets.get(), L"CreateSocket", {com::argLong(1), com::argLong(6)}).asObject();
    ComPtr<IDispatch> low = call(m_sockets.get(), L"CreateSocket", {com::argLong(1), com::argLong(6)}).asObject();
    ASSERT_EQ(socketOf(high), 0x10044);
    ASSERT_EQ(socketOf(low), 0x44);

    post(0x10044, FD_CONNECT);
    post(0x44, FD_ACCEPT);
    post(0x55, FD_READ, WSAECONNRESET);
    ASSERT_TRUE(pumpUntil([&] { return m_log.calls.size() == 3; }));
    EXPECT_EQ(m_log.calls[0].socketArg(0), 0x10044);
    EXPECT_EQ(m_log.calls[0].longArg(1), FD_CONNECT);
    EXPECT_EQ(m_log.calls[1].socketArg(0), 0x44);
    EXPECT_EQ(m_log.calls[1].longArg(1), FD_ACCEPT);
    EXPECT_EQ(m_log.calls[2].id, ev::SocketError);
    EXPECT_EQ(m_log.calls[2].longArg(0), WSAECONNRESET);
    EXPECT_EQ(m_log.calls[2].socketArg(1), -1) << "a handle not in the list: no socket object";
    pumpFor(100);
    EXPECT_EQ(m_log.calls.size(), 3u) << "an error notice for another event ends at SocketError";
}

TEST_F(Collection, DestroySocketTakesAPositionOrASocketOfTheList) {
    ComPtr<IDispatch> s[3];
    for (auto& one : s) one = call(m_sockets.get(), L"CreateSocket", {com::argLong(1), com::argLong(6)}).asObject();
    ComPtr<IDispatch> other = makeSockets();
    ComPtr<IDispatch> stranger = call(other.get(), L"CreateSocket", {com::argLong(1), com::argLong(6)}).asObject();

    auto destroy = [&](VARIANT v) { return call(m_sockets.get(), L"DestroySocket", {com::refVariant(&v)}); };
    auto refused = [](const Result& r) { return r.value.type() == VT_I2 && r.value.get().iVal == -1; };
    EXPECT_TRUE(refused(destroy(com::argDispatch(stranger.get()))));
    EXPECT_TRUE(refused(destroy(com::argDispatch(nullptr))));
    EXPECT_TRUE(refused(destroy(com::argLong(0))));
    EXPECT_TRUE(refused(destroy(com::argLong(4)))) << "a position past the end";
    EXPECT_TRUE(refused(destroy(com::argLong(-1))));
    EXPECT_EQ(get(m_sockets.get(), L"SocketCount").asLong(), 3);

    EXPECT_EQ(destroy(com::argLong(1)).value.type(), VT_EMPTY);
    EXPECT_TRUE(refused(destroy(com::argDispatch(s[0].get()))));
    EXPECT_EQ(destroy(com::argLong(1)).value.type(), VT_EMPTY) << "the second moved to position 1";
    EXPECT_TRUE(refused(destroy(com::argDispatch(s[1].get()))));
    EXPECT_EQ(destroy(com::argDispatch(s[2].get())).value.type(), VT_EMPTY);
    EXPECT_EQ(get(m_sockets.get(), L"SocketCount").asLong(), 0);
    EXPECT_NE(socketOf(s[0]), -1) << "taken out of the list, not closed while referenced";
}

TEST_F(Collection, ACallbackObjectTakesTheNotificationsButDataSentStaysAnEvent) {
    Log callbacks;
    ComPtr<NotifyRecorder> recorder = com::make<NotifyRecorder>(callbacks);
    ASSERT_EQ(putRef(m_sockets.get(), L"CallBackObject", recorder.get()), S_OK);
    EXPECT_EQ(get(m_sockets.get(), L"CallBackObject").asObject().get(), static_cast<IDispatch*>(recorder.get()));

    u_short port = 0;
    ComPtr<IDispatch> listener = libraryListener(m_sockets.get(), port);
    ComPtr<IDispatch> client = libraryClient(m_sockets.get(), port);
    ASSERT_TRUE(pumpUntil([&] { return callbacks.count(cb::SocketNotification) >= 2 && m_log.count(ev::DataSent); }));
    EXPECT_EQ(m_log.count(ev::SocketNotification), 0u);
    EXPECT_EQ(callbacks.first(cb::SocketNotification)->via, "callback");

    // An object that is not a zkSockNotify is refused, not trusted.
    EXPECT_TRUE(FAILED(putRef(m_sockets.get(), L"CallBackObject", m_sink.get())));
    EXPECT_EQ(get(m_sockets.get(), L"CallBackObject").asObject().get(), static_cast<IDispatch*>(recorder.get()));
    EXPECT_EQ(putRef(m_sockets.get(), L"CallBackObject", nullptr), S_OK);
    EXPECT_FALSE(get(m_sockets.get(), L"CallBackObject").asObject());
    post(socketOf(client), FD_CONNECT);
    EXPECT_TRUE(waitFor(ev::SocketNotification, socketOf(client), FD_CONNECT)) << "events flow again";
}

namespace {

BYTE pattern(size_t i) { return static_cast<BYTE>(i + (i >> 8) * 5 + (i >> 16) * 13); }

}  // namespace

TEST_F(Collection, SixtyFourMegabytesReachASlowReaderWholeAndInOrder) {
    constexpr size_t kSize = 64u << 20;
    u_short port = 0;
    PlainSocket listener = PlainSocket::listenLocal(port);
    ASSERT_TRUE(listener);
    std::atomic<size_t> received{0};
    std::atomic<size_t> firstWrong{kSize};
    std::atomic<bool> finished{false};
    std::thread reader([&] {
        struct Finish {
            std::atomic<bool>& flag;
            ~Finish() { flag = true; }
        } finish{finished};
        PlainSocket peer(accept(listener.get(), nullptr, nullptr));
        // A sender that stalls must not hold the reader for good.
        const DWORD patience = 10000;
        setsockopt(peer.get(), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&patience), sizeof patience);
        std::vector<char> buffer(16384);
        int reads = 0;
        for (;;) {
            const int n = recv(peer.get(), buffer.data(), static_cast<int>(buffer.size()), 0);
            if (n <= 0) return;
            const size_t at = received;
            for (int i = 0; i < n; ++i) {
                if (static_cast<BYTE>(buffer[i]) != pattern(at + i) && firstWrong == kSize) firstWrong = at + i;
            }
            received = at + static_cast<size_t>(n);
            if (received == kSize) return;
            if (++reads % 32 == 0) Sleep(1);  // slow: the sender must wait on it
        }
    });

    ComPtr<IDispatch> client = libraryClient(m_sockets.get(), port);
    ASSERT_TRUE(pumpUntil([&] { return get(client.get(), L"IsWriteable").asBool(); }));
    com::SafeArray array = com::SafeArray::vector(VT_UI1, kSize);
    {
        com::SafeArrayAccess access(array.get());
        ASSERT_TRUE(access.ok());
        BYTE* p = static_cast<BYTE*>(access.data());
        for (size_t i = 0; i < kSize; ++i) p[i] = pattern(i);
    }
    VARIANT data;
    VariantInit(&data);
    data.vt = VT_ARRAY | VT_UI1;
    data.parray = array.get();
    LONG error = 0;
    const LONG first = call(client.get(), L"Send", {com::refVariant(&data), com::refLong(&error)}).asLong();
    array.reset();
    EXPECT_GT(first, 0);
    EXPECT_LT(static_cast<size_t>(first), kSize) << "a slow reader makes the system refuse part of it";
    EXPECT_EQ(error, WSAEWOULDBLOCK);

    pumpUntil([&] { return finished.load(); }, 240000);
    const bool done = received == kSize;
    reader.join();
    EXPECT_TRUE(done) << received << " of " << kSize << " bytes arrived";
    EXPECT_EQ(firstWrong, kSize) << "first byte out of order at " << firstWrong;
    if (client) {
        EXPECT_EQ(sockloom::own<sockloom::zkSocket>(client.get())->queuedBytes(), 0u);
    }
    EXPECT_GT(m_log.count(ev::DataSent), 1u);
}

TEST(CollectionLifetime, DestructionLeavesOtherWindowsMessagesAndTheQuitRequest) {
    HWND other = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_TRUE(other);
    ComPtr<IDispatch> sockets = makeSockets();
    ComPtr<IDispatch> s = call(sockets.get(), L"CreateSocket", {com::argLong(1), com::argLong(6)}).asObject();
    ASSERT_TRUE(s);
    s = nullptr;
    PostMessageA(other, WM_APP + 7, 1, 2);
    PostQuitMessage(42);
    sockets = nullptr;

    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, other, WM_APP + 7, WM_APP + 7, PM_REMOVE)) << "another window's message stays";
    bool quit = false;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quit = true;
            EXPECT_EQ(msg.wParam, 42u);
        }
    }
    EXPECT_TRUE(quit) << "the quit request is left for the thread's own loop";
    DestroyWindow(other);
}
