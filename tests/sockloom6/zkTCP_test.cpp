// zkTCP_test.cpp
// The TCP and UDP façades on real loopback sockets: the test's own peers
// (plain blocking sockets) against zkTCP's client and listening sockets,
// the order of their events, failures to make sockets, both notification
// roads of the owned collection, and datagrams including an empty one.
#include <gtest/gtest.h>

#include <string>

#include "common/com/module.h"
#include "fixture.h"
#include "zkTCP.h"
#include "zkUDP.h"

using namespace harness;
using com::ComPtr;

namespace {

ComPtr<IDispatch> makeTCP() {
    ComPtr<IDispatch> d;
    com::createInstance<sockloom::zkTCP>(IID_IDispatch, d.putVoid());
    return d;
}

ComPtr<IDispatch> makeUDP() {
    ComPtr<IDispatch> d;
    com::createInstance<sockloom::zkUDP>(IID_IDispatch, d.putVoid());
    return d;
}

std::string textOf(const com::Variant& v) {
    std::vector<BYTE> b;
    if (FAILED(com::toBytes(v.get(), b))) return "<not bytes>";
    return std::string(b.begin(), b.end());
}

LONG socketOf(const ComPtr<IDispatch>& s) { return s ? get(s.get(), L"Socket").asLong() : -1; }

class Tcp : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        m_tcp = makeTCP();
        ASSERT_TRUE(m_tcp);
        m_sink = com::make<EventSink>(m_log, DIID___zkTCP);
        ASSERT_TRUE(m_sink->advise(m_tcp.get()));
        ASSERT_TRUE(SUCCEEDED(put(m_tcp.get(), L"InternalEarlyBound", com::argBool(GetParam()))));
        ASSERT_EQ(get(m_tcp.get(), L"InternalEarlyBound").asBool(), GetParam());
    }
    void TearDown() override { m_sink->unadvise(); }

    ComPtr<IDispatch> client(u_short port) {
        ComPtr<IDispatch> any = sockName(0, 0);
        ComPtr<IDispatch> s = call(m_tcp.get(), L"CreateTCPClientSocket", {object(any.get())}).asObject();
        if (!s) return nullptr;
        ComPtr<IDispatch> to = sockName(port);
        call(s.get(), L"Connect", {object(to.get())});
        return s;
    }
    size_t indexOf(DISPID id) const {
        const Call* c = m_log.first(id);
        return c ? static_cast<size_t>(c - m_log.calls.data()) : SIZE_MAX;
    }

    Log m_log;
    ComPtr<IDispatch> m_tcp;
    ComPtr<EventSink> m_sink;
};

}  // namespace

TEST_P(Tcp, ClientConnectsSendsReceivesAndSeesTheClose) {
    u_short port = 0;
    PlainSocket listener = PlainSocket::listenLocal(port);
    ASSERT_TRUE(listener);
    ComPtr<IDispatch> s = client(port);
    ASSERT_TRUE(s);
    PlainSocket peer = listener.acceptWithin(5000);
    ASSERT_TRUE(peer);
    ASSERT_TRUE(pumpUntil([&] { return m_log.count(tcp::ConnectComplete) == 1; }));
    EXPECT_EQ(m_log.first(tcp::ConnectComplete)->socketArg(0), socketOf(s));

    LONG error = 0;
    com::Variant out = bytes("hello");
    EXPECT_EQ(call(s.get(), L"Send", {com::refVariant(const_cast<VARIANT*>(&out.get())), com::refLong(&error)}).asLong(),
              5);
    EXPECT_EQ(peer.receive(5, 5000), "hello");

    // The echo, and a close with data still unread.
    peer.sendAll("hello back");
    ASSERT_TRUE(pumpUntil([&] { return m_log.count(tcp::DataReceived) >= 1; }));
    peer.sendAll("!");
    peer.close();
    ASSERT_TRUE(pumpUntil([&] { return m_log.count(tcp::SocketClosed) == 1; }));
    std::string received;
    for (const Call& c : m_log.calls) {
        if (c.id == tcp::DataReceived) {
            EXPECT_EQ(c.socketArg(0), socketOf(s));
            received += textOf(c.args[1]);
        }
    }
    EXPECT_EQ(received, "hello back!");
    const size_t closedAt = indexOf(tcp::SocketClosed);
    for (size_t i = closedAt; i < m_log.calls.size(); ++i) EXPECT_NE(m_log.calls[i].id, tcp::DataReceived);
    EXPECT_LT(indexOf(tcp::ConnectComplete), indexOf(tcp::DataReceived));
}

TEST_P(Tcp, ServerAcceptsAndHearsItsPeer) {
    ComPtr<IDispatch> any = sockName(0);
    ComPtr<IDispatch> server = call(m_tcp.get(), L"CreateTCPServerSocket", {object(any.get()), com::argLong(5)}).asObject();
    ASSERT_TRUE(server);
    EXPECT_EQ(get(server.get(), L"UserVariable1").asLong() & 1, 1);
    ComPtr<IDispatch> name = get(server.get(), L"SocketName").asObject();
    PlainSocket peer = PlainSocket::connectLocal(portOf(name.get()));
    ASSERT_TRUE(peer);
    ASSERT_TRUE(pumpUntil([&] { return m_log.count(tcp::AcceptComplete) == 1; }));
    const Call* accept = m_log.first(tcp::AcceptComplete);
    EXPECT_EQ(accept->socketArg(0), socketOf(server));
    ComPtr<IDispatch> accepted = accept->objectArg(1);
    ASSERT_TRUE(accepted);
    sockaddr_in mine{};
    int n = sizeof mine;
    getsockname(peer.get(), reinterpret_cast<sockaddr*>(&mine), &n);
    EXPECT_EQ(portOf(accept->objectArg(2).get()), ntohs(mine.sin_port)) << "the peer's address";
    EXPECT_EQ(get(get(m_tcp.get(), L"SocketsObject").asObject().get(), L"SocketCount").asLong(), 2);
    EXPECT_EQ(m_log.count(tcp::ConnectComplete), 0u) << "nothing for the listening socket";

    peer.sendAll("abc");
    peer.close();
    ASSERT_TRUE(pumpUntil([&] { return m_log.count(tcp::SocketClosed) == 1; }));
    ASSERT_EQ(m_log.count(tcp::DataReceived), 1u);
    EXPECT_EQ(m_log.first(tcp::DataReceived)->socketArg(0), socketOf(accepted));
    EXPECT_EQ(textOf(m_log.first(tcp::DataReceived)->args[1]), "abc");
    EXPECT_LT(indexOf(tcp::DataReceived), indexOf(tcp::SocketClosed));

    call(m_tcp.get(), L"DestroyTCPSocket", {object(accepted.get())});
    EXPECT_EQ(get(get(m_tcp.get(), L"SocketsObject").asObject().get(), L"SocketCount").asLong(), 1);
}

TEST_P(Tcp, RefusedConnectionIsASocketErrorOnly) {
    u_short port = 0;
    { PlainSocket gone = PlainSocket::listenLocal(port); }
    ComPtr<IDispatch> s = client(port);
    ASSERT_TRUE(s);
    ASSERT_TRUE(pumpUntil([&] { return m_log.count(tcp::SocketError) == 1; }));
    EXPECT_EQ(m_log.first(tcp::SocketError)->longArg(1), 10061);
    pumpFor(200);
    EXPECT_EQ(m_log.count(tcp::ConnectComplete), 0u);
}

INSTANTIATE_TEST_SUITE_P(BothRoads, Tcp, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "EarlyBound" : "Events"; });

TEST(TcpSockets, FailedBindsGiveNoObjectAndTheError) {
    u_short port = 0;
    PlainSocket taken = PlainSocket::listenLocal(port);
    ASSERT_TRUE(taken);
    ComPtr<IDispatch> t = makeTCP();
    ComPtr<IDispatch> sockets = get(t.get(), L"SocketsObject").asObject();
    ComPtr<IDispatch> busy = sockName(port);
    EXPECT_FALSE(call(t.get(), L"CreateTCPServerSocket", {object(busy.get())}).asObject());
    VARIANT error;
    VariantInit(&error);
    error.vt = VT_I4;
    EXPECT_FALSE(call(t.get(), L"CreateTCPClientSocket", {object(busy.get()), com::refVariant(&error)}).asObject());
    EXPECT_EQ(error.lVal, 10048);
    EXPECT_EQ(get(sockets.get(), L"SocketCount").asLong(), 0) << "failed sockets leave the collection";
}

TEST(TcpSockets, EarlyBindingOnAndOffKeepsTheEventsFlowing) {
    ComPtr<IDispatch> t = makeTCP();
    Log log;
    ComPtr<EventSink> sink = com::make<EventSink>(log, DIID___zkTCP);
    ASSERT_TRUE(sink->advise(t.get()));
    ComPtr<IDispatch> sockets = get(t.get(), L"SocketsObject").asObject();
    put(t.get(), L"InternalEarlyBound", com::argBool(true));
    EXPECT_TRUE(get(sockets.get(), L"CallBackObject").asObject());
    put(t.get(), L"InternalEarlyBound", com::argBool(false));
    EXPECT_FALSE(get(sockets.get(), L"CallBackObject").asObject());
    u_short port = 0;
    PlainSocket listener = PlainSocket::listenLocal(port);
    ComPtr<IDispatch> any = sockName(0, 0);
    ComPtr<IDispatch> s = call(t.get(), L"CreateTCPClientSocket", {object(any.get())}).asObject();
    ComPtr<IDispatch> to = sockName(port);
    call(s.get(), L"Connect", {object(to.get())});
    EXPECT_TRUE(pumpUntil([&] { return log.count(tcp::ConnectComplete) == 1; }));
    sink->unadvise();
}

TEST(TcpSockets, ReleasingTheFacadeEndsItsCollection) {
    // The collection's callback must not keep its owner alive.
    const LONG before = com::liveObjects();
    {
        ComPtr<IDispatch> t = makeTCP();
        put(t.get(), L"InternalEarlyBound", com::argBool(true));
        ComPtr<IDispatch> any = sockName(0, 0);
        call(t.get(), L"CreateTCPClientSocket", {object(any.get())});
        EXPECT_GT(com::liveObjects(), before);
    }
    EXPECT_EQ(com::liveObjects(), before);
}

TEST(Udp, DatagramsIncludingAnEmptyOneArriveWithTheirSource) {
    ComPtr<IDispatch> u = makeUDP();
    ASSERT_TRUE(u);
    Log log;
    ComPtr<EventSink> sink = com::make<EventSink>(log, DIID___zkUDP);
    ASSERT_TRUE(sink->advise(u.get()));
    ComPtr<IDispatch> any = sockName(0);
    ComPtr<IDispatch> server = call(u.get(), L"CreateUDPServerSocket", {object(any.get())}).asObject();
    ASSERT_TRUE(server);
    EXPECT_EQ(get(server.get(), L"UserVariable1").asLong(), 1);
    const u_short to = portOf(get(server.get(), L"SocketName").asObject().get());
    u_short from = 0;
    PlainSocket peer = PlainSocket::udpLocal(from);
    sockaddr_in dest{};
    dest.sin_family = AF_INET;
    dest.sin_port = htons(to);
    dest.sin_addr.s_addr = htonl(kLoopback);
    ASSERT_EQ(sendto(peer.get(), "ping", 4, 0, reinterpret_cast<sockaddr*>(&dest), sizeof dest), 4);
    ASSERT_EQ(sendto(peer.get(), "", 0, 0, reinterpret_cast<sockaddr*>(&dest), sizeof dest), 0);
    ASSERT_TRUE(pumpUntil([&] { return log.count(1) == 2; }));
    EXPECT_EQ(log.calls[0].socketArg(0), socketOf(server));
    EXPECT_EQ(portOf(log.calls[0].objectArg(1).get()), from);
    EXPECT_EQ(textOf(log.calls[0].args[2]), "ping");
    EXPECT_EQ(textOf(log.calls[1].args[2]), "") << "an empty datagram is an empty array";

    ComPtr<IDispatch> plain = call(u.get(), L"CreateUDPClientSocket", {object(any.get())}).asObject();
    ASSERT_TRUE(plain);
    EXPECT_EQ(get(plain.get(), L"UserVariable1").asLong(), 0);
    call(u.get(), L"DestroyUDPSocket", {object(plain.get())});
    EXPECT_EQ(get(get(u.get(), L"SocketsObject").asObject().get(), L"SocketCount").asLong(), 1);
    sink->unadvise();
}

TEST(TcpSockets, AFacadeCanBeAnotherCollectionsCallbackObject) {
    ComPtr<IDispatch> t = makeTCP();
    Log log;
    ComPtr<EventSink> sink = com::make<EventSink>(log, DIID___zkTCP);
    ASSERT_TRUE(sink->advise(t.get()));
    ComPtr<IUnknown> notify;
    ASSERT_EQ(t->QueryInterface(IID__zkSockNotify, notify.putVoid()), S_OK) << "the callback interface it declares";
    ComPtr<IUnknown> self, back;
    t->QueryInterface(IID_IUnknown, self.putVoid());
    notify->QueryInterface(IID_IUnknown, back.putVoid());
    EXPECT_EQ(self.get(), back.get()) << "one object, one identity";

    // A collection of its own with the zkTCP as its callback object: the
    // façade reads the data and raises its own events.
    ComPtr<IDispatch> sockets = makeSockets();
    ASSERT_EQ(putRef(sockets.get(), L"CallBackObject", t.get()), S_OK);
    u_short port = 0;
    PlainSocket listener = PlainSocket::listenLocal(port);
    ComPtr<IDispatch> client = libraryClient(sockets.get(), port);
    ASSERT_TRUE(client);
    PlainSocket peer = listener.acceptWithin(5000);
    ASSERT_TRUE(peer);
    ASSERT_TRUE(pumpUntil([&] { return log.count(tcp::ConnectComplete) == 1; }));
    peer.sendAll("via callback");
    ASSERT_TRUE(pumpUntil([&] { return log.count(tcp::DataReceived) == 1; }));
    EXPECT_EQ(textOf(log.first(tcp::DataReceived)->args[1]), "via callback");
    peer.close();
    ASSERT_TRUE(pumpUntil([&] { return log.count(tcp::SocketClosed) == 1; }));
    putRef(sockets.get(), L"CallBackObject", nullptr);
    sink->unadvise();

    ComPtr<IDispatch> u = makeUDP();
    ComPtr<IUnknown> udpNotify;
    EXPECT_EQ(u->QueryInterface(IID__zkSockNotify, udpNotify.putVoid()), S_OK);
}
