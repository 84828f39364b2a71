// zkSocket_test.cpp
// The socket object through late binding: addresses and options, reads,
// and the send queues, with faults injected through the sockgate table
// (partial sends, would-block, resets) against a real peer on 127.0.0.1.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

#include "fixture.h"
#include "zkSocket.h"

using namespace harness;
using com::ComPtr;

namespace {

constexpr HRESULT kInvalidParameter = static_cast<HRESULT>(0x80040201);
constexpr HRESULT kTypeMismatch = static_cast<HRESULT>(0x800A000D);

size_t queued(IDispatch* socket) { return sockloom::own<sockloom::zkSocket>(socket)->queuedBytes(); }

// Send and its by-reference ErrorCode, as a host calls it.
struct SendResult {
    LONG rc;
    LONG error;
};
SendResult sendVia(IDispatch* socket, const wchar_t* method, const VARIANT& data) {
    LONG error = 0;
    VARIANT buffer = data;
    const LONG rc = call(socket, method, {com::refVariant(&buffer), com::refLong(&error)}).asLong();
    return {rc, error};
}
SendResult sendBytes(IDispatch* socket, const std::string& data) {
    com::Variant v = bytes(data);
    return sendVia(socket, L"Send", v.get());
}

// The sockgate send entry replaced by a script: each call takes the next
// step (n > 0: the real send of at most n bytes; n < 0: fail with error
// -n); with the script empty, sends are real and capped at gCap bytes.
std::deque<int> gScript;
int gCap = 0;
int WINAPI scriptedSend(SOCKET s, const char* buf, int len, int flags) {
    int allow = gCap > 0 ? std::min(len, gCap) : len;
    if (!gScript.empty()) {
        const int step = gScript.front();
        gScript.pop_front();
        if (step < 0) {
            WSASetLastError(-step);
            return SOCKET_ERROR;
        }
        allow = std::min(len, step);
    }
    return sockgate::winsock().send(s, buf, allow, flags);
}

// A library client connected to the test's own peer.
class ConnectedPair : public ::testing::Test {
protected:
    void SetUp() override {
        gScript.clear();
        gCap = 0;
        m_sockets = makeSockets();
        ASSERT_TRUE(m_sockets);
        u_short port = 0;
        PlainSocket listener = PlainSocket::listenLocal(port);
        ASSERT_TRUE(listener);
        m_client = libraryClient(m_sockets.get(), port);
        ASSERT_TRUE(m_client);
        m_peer = listener.acceptWithin(5000);
        ASSERT_TRUE(m_peer);
        ASSERT_TRUE(pumpUntil([&] { return get(m_client.get(), L"IsWriteable").asBool(); }, 5000));
        sockgate::table().send = &scriptedSend;
    }

    GateRestore m_restore;
    ComPtr<IDispatch> m_sockets;
    ComPtr<IDispatch> m_client;
    PlainSocket m_peer;
};

}  // namespace

TEST(zkSocket, IsMadeBoundAndConfiguredThroughTheCollection) {
    ComPtr<IDispatch> sockets = makeSockets();
    ComPtr<IDispatch> s = call(sockets.get(), L"CreateSocket", {com::argLong(1), com::argLong(6)}).asObject();
    ASSERT_TRUE(s);
    EXPECT_NE(get(s.get(), L"Socket").asLong(), -1);
    EXPECT_EQ(get(sockets.get(), L"SocketCount").asLong(), 1);

    ComPtr<IDispatch> any = sockName(0);
    EXPECT_EQ(call(s.get(), L"Bind", {object(any.get())}).asLong(), 0);
    ComPtr<IDispatch> bound = get(s.get(), L"SocketName").asObject();
    ASSERT_TRUE(bound);
    EXPECT_NE(portOf(bound.get()), 0);
    EXPECT_EQ(static_cast<ULONG>(get(bound.get(), L"IpAddress").asLong()), htonl(kLoopback));
    EXPECT_FALSE(get(s.get(), L"PeerName").asObject()) << "not connected: no object";

    LONG value = 0;
    EXPECT_EQ(call(s.get(), L"SetSocketOption", {com::argLong(SO_KEEPALIVE), com::argBool(true)}).asLong(), 0);
    EXPECT_EQ(call(s.get(), L"GetSocketOption", {com::argLong(SO_KEEPALIVE), com::refLong(&value)}).asLong(), 0);
    EXPECT_NE(value, 0);
    value = 0;
    EXPECT_EQ(call(s.get(), L"SetTCPOption", {com::argLong(TCP_NODELAY), com::argLong(1)}).asLong(), 0);
    EXPECT_EQ(call(s.get(), L"GetTCPOption", {com::argLong(TCP_NODELAY), com::refLong(&value)}).asLong(), 0);
    EXPECT_NE(value, 0);
    Text notANumber(L"many");
    EXPECT_EQ(call(s.get(), L"SetSocketOption", {com::argLong(SO_KEEPALIVE), text(notANumber)}).hr, kTypeMismatch);
    EXPECT_TRUE(call(s.get(), L"ShowSocketInfo").ok());
}

TEST(zkSocket, AMissingAddressObjectRaisesInvalidParameterInsteadOfCrashing) {
    ComPtr<IDispatch> sockets = makeSockets();
    ComPtr<IDispatch> s = call(sockets.get(), L"CreateSocket", {com::argLong(1), com::argLong(6)}).asObject();
    ASSERT_TRUE(s);
    for (const wchar_t* method : {L"Bind", L"Connect"}) {
        Result r = call(s.get(), method, {object(nullptr)});
        EXPECT_EQ(r.hr, kInvalidParameter) << method;
        EXPECT_EQ(r.source, L"Quennick Winsock Library");
        EXPECT_EQ(r.description, L"Invalid Parameter");
    }
    IDispatch* name = nullptr;
    EXPECT_EQ(call(s.get(), L"Accept", {object(nullptr), com::refDispatch(&name)}).hr, kInvalidParameter);
    EXPECT_EQ(name, nullptr);
}

TEST(zkSocket, ASocketWithoutHandleHasNothingToRead) {
    ComPtr<sockloom::zkSocket> s = com::make<sockloom::zkSocket>();
    EXPECT_EQ(get(s.get(), L"Socket").asLong(), -1);
    EXPECT_EQ(call(s.get(), L"GetAvailableData").asLong(), 0);
    EXPECT_FALSE(call(s.get(), L"IsOOBAvailable").asBool());
    EXPECT_FALSE(get(s.get(), L"IsReadable").asBool()) << "a failed select says nothing";
}

namespace {

std::vector<int> gAsked;
SOCKET WINAPI refusedSocket(int af, int type, int protocol) {
    gAsked = {af, type, protocol};
    return INVALID_SOCKET;
}

// Linux keeps one urgent byte and Wine inverts SIOCATMARK, so the Windows
// behaviour is played by the gate.
int WINAPI urgentWaiting(SOCKET, long cmd, u_long* arg) {
    if (cmd == static_cast<long>(SIOCATMARK)) *arg = 0;
    return 0;
}
int WINAPI threeUrgentBytes(SOCKET, char* buf, int len, int flags) {
    if (flags != MSG_OOB || len < 3) return SOCKET_ERROR;
    std::copy_n("abc", 3, buf);
    return 3;
}

}  // namespace

TEST(zkSocket, NoProtocolMeansTcpWhateverTheType) {
    GateRestore restore;
    std::vector<int>& asked = gAsked;
    asked.clear();
    sockgate::table().socket = &refusedSocket;
    ComPtr<IDispatch> sockets = makeSockets();
    EXPECT_FALSE(call(sockets.get(), L"CreateSocket", {com::argLong(2), com::argLong(0)}).asObject());
    EXPECT_EQ(asked, (std::vector<int>{AF_INET, 2, 6}));
    call(sockets.get(), L"CreateSocket", {com::argLong(0), com::argLong(0)});
    EXPECT_EQ(asked, (std::vector<int>{AF_INET, 1, 6}));
    EXPECT_EQ(get(sockets.get(), L"SocketCount").asLong(), 0) << "a refused handle adds nothing";
}

TEST(zkSocket, OutOfBandDataIsAskedForAndReadThroughTheGate) {
    GateRestore restore;
    sockgate::table().ioctlsocket = &urgentWaiting;
    sockgate::table().recv = &threeUrgentBytes;
    ComPtr<IDispatch> sockets = makeSockets();
    ComPtr<IDispatch> s = call(sockets.get(), L"CreateSocket", {com::argLong(1), com::argLong(6)}).asObject();
    ASSERT_TRUE(s);
    EXPECT_TRUE(call(s.get(), L"IsOOBAvailable").asBool());
    LONG read = 0, error = -1;
    Result r = call(s.get(), L"recvoob", {com::refLong(&read), com::refLong(&error)});
    EXPECT_EQ(read, 3);
    EXPECT_EQ(error, 0);
    EXPECT_EQ(r.asBytes(), (std::vector<BYTE>{'a', 'b', 'c'}));
}

TEST(zkSocket, DatagramsIncludingAnEmptyOne) {
    ComPtr<IDispatch> sockets = makeSockets();
    ComPtr<IDispatch> s = call(sockets.get(), L"CreateSocket", {com::argLong(2), com::argLong(17)}).asObject();
    ASSERT_TRUE(s);
    ComPtr<IDispatch> any = sockName(0);
    ASSERT_EQ(call(s.get(), L"Bind", {object(any.get())}).asLong(), 0);
    const u_short port = portOf(get(s.get(), L"SocketName").asObject().get());
    u_short peerPort = 0;
    PlainSocket peer = PlainSocket::udpLocal(peerPort);
    ASSERT_TRUE(peer);

    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(kLoopback);
    sendto(peer.get(), "hello", 5, 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    sendto(peer.get(), "", 0, 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    ASSERT_TRUE(pumpUntil([&] { return get(s.get(), L"IsReadable").asBool(); }, 5000));

    LONG read = 0, error = -1;
    ComPtr<IDispatch> from = sockName(1, 1);
    IDispatch* fromRef = from.get();
    Result first = call(s.get(), L"recvfrom", {com::refLong(&read), com::refLong(&error), com::refDispatch(&fromRef)});
    EXPECT_EQ(read, 5);
    EXPECT_EQ(error, 0);
    EXPECT_EQ(first.asBytes(), (std::vector<BYTE>{'h', 'e', 'l', 'l', 'o'}));
    EXPECT_EQ(portOf(from.get()), peerPort);

    ASSERT_TRUE(pumpUntil([&] { return get(s.get(), L"IsReadable").asBool(); }, 5000));
    read = -1;
    error = -1;
    Result empty = call(s.get(), L"recv", {com::refLong(&read), com::refLong(&error)});
    EXPECT_EQ(read, 0);
    EXPECT_EQ(error, 0) << "an empty datagram is no error";
    EXPECT_EQ(empty.value.type(), VT_ARRAY | VT_UI1);
    EXPECT_TRUE(empty.asBytes().empty()) << "delivered as empty, not as a zero byte";

    // And back: sendto names its destination.
    ComPtr<IDispatch> dest = sockName(peerPort);
    IDispatch* destRef = dest.get();
    com::Variant ping = bytes("ping");
    VARIANT pingRef = ping.get();
    error = 0;
    EXPECT_EQ(call(s.get(), L"sendto", {com::refVariant(&pingRef), com::refLong(&error), com::refDispatch(&destRef)})
                  .asLong(),
              4);
    ASSERT_TRUE(readableWithin(peer.get(), 5000));
    char got[8] = {};
    EXPECT_EQ(recv(peer.get(), got, sizeof got, 0), 4);
    EXPECT_EQ(std::string(got, 4), "ping");
}

TEST(zkSocket, OnlyByteArraysAreQueued) {
    ComPtr<IDispatch> sockets = makeSockets();
    ComPtr<IDispatch> s = call(sockets.get(), L"CreateSocket", {com::argLong(1), com::argLong(6)}).asObject();
    ASSERT_TRUE(s);
    Text words(L"text");
    for (const VARIANT& v : {text(words), com::argLong(42)}) {
        for (const wchar_t* method : {L"Send", L"SendOOB"}) {
            const SendResult r = sendVia(s.get(), method, v);
            EXPECT_EQ(r.rc, 0);
            EXPECT_EQ(r.error, WSAEFAULT);
        }
    }
    EXPECT_EQ(queued(s.get()), 0u);
}

TEST_F(ConnectedPair, ReadsWhatArrivedAndReportsWouldBlockWhenNothingHas) {
    LONG read = -1, error = -1;
    Result none = call(m_client.get(), L"recv", {com::refLong(&read), com::refLong(&error)});
    EXPECT_EQ(read, 0);
    EXPECT_EQ(error, WSAEWOULDBLOCK);
    EXPECT_EQ(none.value.type(), VT_EMPTY);

    m_peer.sendAll("hello");
    ASSERT_TRUE(pumpUntil([&] { return call(m_client.get(), L"GetAvailableData").asLong() == 5; }, 5000));
    Result r = call(m_client.get(), L"recv", {com::refLong(&read), com::refLong(&error)});
    EXPECT_EQ(read, 5);
    EXPECT_EQ(error, 0);
    EXPECT_EQ(r.asBytes(), (std::vector<BYTE>{'h', 'e', 'l', 'l', 'o'}));
    ComPtr<IDispatch> peerName = get(m_client.get(), L"PeerName").asObject();
    ASSERT_TRUE(peerName);
}

TEST_F(ConnectedPair, PartialSendsGoOnUntilTheSystemHasTakenEverything) {
    gCap = 7;
    std::string data;
    for (int i = 0; i < 1000; ++i) data += static_cast<char>('a' + i % 26 + (i / 26) % 3);
    const SendResult r = sendBytes(m_client.get(), data);
    EXPECT_EQ(r.rc, 1000);
    EXPECT_EQ(r.error, 0) << "written only when a send failed";
    EXPECT_EQ(queued(m_client.get()), 0u);
    EXPECT_EQ(m_peer.receive(data.size(), 5000), data);
}

TEST_F(ConnectedPair, AnUnsentTailStaysExactlyAndLaterSendsAppendBehindIt) {
    gScript = {3, -WSAEWOULDBLOCK};
    SendResult r = sendBytes(m_client.get(), "abcdefgh");
    EXPECT_EQ(r.rc, 3);
    EXPECT_EQ(r.error, WSAEWOULDBLOCK);
    EXPECT_EQ(queued(m_client.get()), 5u);

    // One datagram-style send at a time: refused while bytes wait.
    ComPtr<IDispatch> dest = sockName(9);
    IDispatch* destRef = dest.get();
    com::Variant x = bytes("x");
    VARIANT xRef = x.get();
    LONG error = 0;
    EXPECT_EQ(
        call(m_client.get(), L"sendto", {com::refVariant(&xRef), com::refLong(&error), com::refDispatch(&destRef)})
            .asLong(),
        0);
    EXPECT_EQ(error, WSAEWOULDBLOCK);

    r = sendBytes(m_client.get(), "XY");
    EXPECT_EQ(r.rc, 7);
    EXPECT_EQ(queued(m_client.get()), 0u);
    EXPECT_EQ(m_peer.receive(10, 5000), "abcdefghXY");
}

TEST_F(ConnectedPair, WouldBlockKeepsTheQueueForTheNextChance) {
    gScript = {-WSAEWOULDBLOCK};
    SendResult r = sendBytes(m_client.get(), "first");
    EXPECT_EQ(r.rc, -1);
    EXPECT_EQ(r.error, WSAEWOULDBLOCK);
    EXPECT_EQ(queued(m_client.get()), 5u);
    r = sendBytes(m_client.get(), "second");
    EXPECT_EQ(r.rc, 11);
    EXPECT_EQ(m_peer.receive(11, 5000), "firstsecond");
}

TEST_F(ConnectedPair, AResetDropsBothQueuesAndOtherErrorsKeepThem) {
    gScript = {-WSAENOBUFS};
    SendResult r = sendBytes(m_client.get(), "kept");
    EXPECT_EQ(r.error, WSAENOBUFS);
    EXPECT_EQ(queued(m_client.get()), 4u);
    gScript = {-WSAECONNRESET};
    com::Variant urgent = bytes("!");
    r = sendVia(m_client.get(), L"SendOOB", urgent.get());
    EXPECT_EQ(r.rc, -1);
    EXPECT_EQ(r.error, WSAECONNRESET);
    EXPECT_EQ(queued(m_client.get()), 0u);
}

namespace {

// Which gate entries ran, in order.
std::vector<std::string> gTrace;
int WINAPI tracedLastError() {
    gTrace.push_back("WSAGetLastError");
    return sockgate::winsock().WSAGetLastError();
}
int WINAPI failingSend(SOCKET, const char*, int, int) {
    gTrace.push_back("send");
    WSASetLastError(WSAENOBUFS);
    return SOCKET_ERROR;
}
int WINAPI failingRecv(SOCKET, char*, int, int) {
    gTrace.push_back("recv");
    WSASetLastError(WSAECONNRESET);
    return SOCKET_ERROR;
}
int WINAPI fiveWaiting(SOCKET, long, u_long* n) {
    gTrace.push_back("ioctlsocket");
    *n = 5;
    WSASetLastError(0);
    return 0;
}

}  // namespace

TEST_F(ConnectedPair, TheErrorIsReadRightAfterTheCallThatFailed) {
    gTrace.clear();
    sockgate::table().WSAGetLastError = &tracedLastError;
    sockgate::table().send = &failingSend;
    const SendResult r = sendBytes(m_client.get(), "abc");
    EXPECT_EQ(r.error, WSAENOBUFS);
    EXPECT_EQ(gTrace, (std::vector<std::string>{"send", "WSAGetLastError"}));

    gTrace.clear();
    sockgate::table().recv = &failingRecv;
    sockgate::table().ioctlsocket = &fiveWaiting;
    LONG read = -1, error = 0;
    Result got = call(m_client.get(), L"recv", {com::refLong(&read), com::refLong(&error)});
    EXPECT_EQ(error, WSAECONNRESET);
    EXPECT_EQ(read, 0);
    EXPECT_EQ(got.asBytes(), (std::vector<BYTE>{0}));
    EXPECT_EQ(gTrace, (std::vector<std::string>{"ioctlsocket", "recv", "WSAGetLastError"}));
}

TEST_F(ConnectedPair, ReadsInOneKeptBufferGiveOnlyTheBytesOfTheirOwnRead) {
    // A large read first, then a small one: the memory is reused, but the
    // array holds the new bytes only, never what the large read left.
    std::string large(70000, '\0');
    for (size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>('A' + i % 23);
    m_peer.sendAll(large);
    std::string got;
    LONG read = 0, error = 0;
    ASSERT_TRUE(pumpUntil(
        [&] {
            if (call(m_client.get(), L"GetAvailableData").asLong() == 0) return got.size() >= large.size();
            Result r = call(m_client.get(), L"recv", {com::refLong(&read), com::refLong(&error)});
            const std::vector<BYTE> piece = r.asBytes();
            EXPECT_EQ(piece.size(), static_cast<size_t>(read));
            got.append(piece.begin(), piece.end());
            return got.size() >= large.size();
        },
        5000));
    EXPECT_EQ(got, large);

    m_peer.sendAll("xyz");
    ASSERT_TRUE(pumpUntil([&] { return call(m_client.get(), L"GetAvailableData").asLong() == 3; }, 5000));
    Result r = call(m_client.get(), L"recv", {com::refLong(&read), com::refLong(&error)});
    EXPECT_EQ(read, 3);
    EXPECT_EQ(r.asBytes(), (std::vector<BYTE>{'x', 'y', 'z'}));

    // The library's own road reads the same bytes into a buffer it keeps.
    sockloom::ReadBuffer buffer;
    m_peer.sendAll("pqrs");
    ASSERT_TRUE(pumpUntil([&] { return call(m_client.get(), L"GetAvailableData").asLong() == 4; }, 5000));
    const ComPtr<sockloom::zkSocket> socket = sockloom::own<sockloom::zkSocket>(m_client.get());
    error = -1;
    ASSERT_EQ(socket->ReadInto(buffer, false, error), 4);
    EXPECT_EQ(error, 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer.view(4).data()), 4), "pqrs");
    EXPECT_EQ(socket->ReadInto(buffer, false, error), 0) << "nothing waiting";
    EXPECT_EQ(error, WSAEWOULDBLOCK);
}

TEST_F(ConnectedPair, BytesInHandAreQueuedAndSentLikeAnArray) {
    const ComPtr<sockloom::zkSocket> socket = sockloom::own<sockloom::zkSocket>(m_client.get());
    gScript = {3, -WSAEWOULDBLOCK};
    const std::string data = "abcdefgh";
    LONG error = 0;
    EXPECT_EQ(socket->SendBytes({reinterpret_cast<const std::uint8_t*>(data.data()), data.size()}, error), 3);
    EXPECT_EQ(error, WSAEWOULDBLOCK);
    EXPECT_EQ(queued(m_client.get()), 5u) << "the tail waits for the next chance";
    EXPECT_EQ(socket->SendBytes({}, error), 5) << "nothing new: the queue is pumped";
    EXPECT_EQ(queued(m_client.get()), 0u);
    EXPECT_EQ(m_peer.receive(data.size(), 5000), data);
}
