// zkSocketUtil_test.cpp
// Blocking look-ups and conversions through zkSockets.Util: byte order,
// address text, host, service and protocol records (crafted ones through
// the gate where the answer must be exact), and the library's error for
// an index out of range.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "fixture.h"

using namespace harness;
using com::ComPtr;

namespace {

constexpr HRESULT kInvalidParameter = static_cast<HRESULT>(0x80040201);
constexpr HRESULT kOverflow = static_cast<HRESULT>(0x800A0006);

class Util : public ::testing::Test {
protected:
    void SetUp() override {
        m_sockets = makeSockets();
        ASSERT_TRUE(m_sockets);
        m_util = get(m_sockets.get(), L"Util").asObject();
        ASSERT_TRUE(m_util);
    }
    Result u(const wchar_t* name, std::initializer_list<VARIANT> args = {}) { return call(m_util.get(), name, args); }

    GateRestore m_restore;
    ComPtr<IDispatch> m_sockets;
    ComPtr<IDispatch> m_util;
};

// A host record with three addresses and two aliases, then none.
char gName[] = "three.example";
char gAlias1[] = "first", gAlias2[] = "second";
char* gAliases[] = {gAlias1, gAlias2, nullptr};
char gBytes[12] = {10, 0, 0, 1, 10, 0, 0, 2, 10, 0, 0, 3};
char* gAddresses[] = {gBytes, gBytes + 4, gBytes + 8, nullptr};
hostent gHost = {gName, gAliases, AF_INET, 4, gAddresses};
int gHostCalls = 0;
hostent* WINAPI threeAddressesThenNone(const char*) { return gHostCalls++ == 0 ? &gHost : nullptr; }

// A service found whatever protocol is asked; records what was asked.
char gService[] = "gate-ftp";
char gProto[] = "tcp";
char* gNoAliases[] = {nullptr};
servent gServ{};
bool gAnyProtocol = false;
int gAskedPort = -1;
servent* service(int port) {
    gServ.s_name = gService;
    gServ.s_aliases = gNoAliases;
    gServ.s_proto = gProto;
    gServ.s_port = static_cast<short>(port);
    return &gServ;
}
servent* WINAPI serviceByName(const char*, const char* proto) {
    gAnyProtocol = proto == nullptr;
    return service(htons(21));
}
servent* WINAPI serviceByPort(int port, const char*) {
    gAskedPort = port;
    return service(port);
}

}  // namespace

TEST_F(Util, ByteOrderTakesEveryPortNumber) {
    EXPECT_EQ(u(L"htons", {com::argLong(80)}).asLong(), 0x5000);
    EXPECT_EQ(u(L"htons", {com::argLong(65535)}).asLong(), -1) << "0xFFFF as a 16-bit value";
    EXPECT_EQ(u(L"htons", {com::argLong(-32768)}).asLong(), 0x80);
    for (LONG outside : {65536L, -32769L}) {
        Result r = u(L"htons", {com::argLong(outside)});
        EXPECT_EQ(r.hr, kOverflow) << outside;
        EXPECT_EQ(r.description, L"Overflow");
    }
    EXPECT_EQ(u(L"ntohs", {com::argShort(0x5000)}).asLong(), 80);
    EXPECT_EQ(static_cast<ULONG>(u(L"htonl", {com::argLong(0x01020304)}).asLong()), 0x04030201u);
    EXPECT_EQ(static_cast<ULONG>(u(L"ntohl", {com::argLong(0x04030201)}).asLong()), 0x01020304u);
}

TEST_F(Util, AddressText) {
    Text dotted(L"127.0.0.1"), junk(L"not an address");
    EXPECT_EQ(static_cast<ULONG>(u(L"inet_addr", {text(dotted)}).asLong()), htonl(kLoopback));
    EXPECT_EQ(u(L"inet_addr", {text(junk)}).asLong(), -1);
    EXPECT_EQ(u(L"inet_ntoa", {com::argLong(static_cast<LONG>(htonl(kLoopback)))}).asText(), "127.0.0.1");
}

TEST_F(Util, TextAndBytesRoundTripEveryByte) {
    std::string all;
    for (int i = 1; i < 256; ++i) all += static_cast<char>(i);
    com::Variant b = bytes(all);
    VARIANT ref = b.get();
    Result text = u(L"StringFromByteArray", {com::refVariant(&ref)});
    ASSERT_TRUE(text.ok());
    Result back = u(L"ByteArrayFromString", {text.value.get()});
    EXPECT_EQ(back.value.type(), VT_ARRAY | VT_UI1);
    const std::vector<BYTE> got = back.asBytes();
    EXPECT_EQ(std::string(got.begin(), got.end()), all);

    VARIANT nothing;
    VariantInit(&nothing);
    EXPECT_EQ(u(L"StringFromByteArray", {com::refVariant(&nothing)}).asText(), "");
    VARIANT number = com::argLong(5);
    EXPECT_EQ(u(L"StringFromByteArray", {com::refVariant(&number)}).hr, static_cast<HRESULT>(0x800A000D));
}

TEST_F(Util, LocalHostByNameAndTheIndexErrors) {
    Text localhost(L"localhost"), nowhere(L"no-such-host.invalid");
    ComPtr<IDispatch> host = u(L"gethostbyname", {text(localhost)}).asObject();
    ASSERT_TRUE(host);
    EXPECT_GE(get(host.get(), L"AddressCount").asLong(), 1);
    EXPECT_EQ(static_cast<ULONG>(get(host.get(), L"Address", {com::argShort(1)}).asLong()), htonl(kLoopback));
    for (const wchar_t* member : {L"Alias", L"Address"}) {
        Result r = get(host.get(), member, {com::argShort(0)});
        EXPECT_EQ(r.hr, kInvalidParameter) << member;
        EXPECT_EQ(r.source, L"Quennick Winsock Library");
        EXPECT_EQ(r.description, L"Invalid Parameter");
    }
    const SHORT past = static_cast<SHORT>(get(host.get(), L"AddressCount").asLong() + 1);
    EXPECT_EQ(get(host.get(), L"Address", {com::argShort(past)}).hr, kInvalidParameter);
    EXPECT_FALSE(u(L"gethostbyname", {text(nowhere)}).asObject()) << "not found: no object";
}

TEST_F(Util, AHostRecordIsCopiedInOrderAndKeptWhenALaterLookUpFails) {
    gHostCalls = 0;
    sockgate::table().gethostbyname = &threeAddressesThenNone;
    Text name(L"three.example");
    ComPtr<IDispatch> host = u(L"gethostbyname", {text(name)}).asObject();
    ASSERT_TRUE(host);
    EXPECT_EQ(get(host.get(), L"Name").asText(), "three.example");
    ASSERT_EQ(get(host.get(), L"AddressCount").asLong(), 3);
    for (SHORT i = 1; i <= 3; ++i) {
        EXPECT_EQ(static_cast<ULONG>(get(host.get(), L"Address", {com::argShort(i)}).asLong()),
                  htonl(0x0A000000u + static_cast<ULONG>(i)));
    }
    EXPECT_EQ(get(host.get(), L"Address", {com::argShort(4)}).hr, kInvalidParameter);
    EXPECT_EQ(get(host.get(), L"AliasCount").asLong(), 2);
    EXPECT_EQ(get(host.get(), L"Alias", {com::argShort(1)}).asText(), "first");

    // Copies, not pointers into Windows Sockets' storage.
    std::strcpy(gName, "other.example");
    EXPECT_EQ(get(host.get(), L"Name").asText(), "three.example");
    std::strcpy(gName, "three.example");

    ASSERT_TRUE(call(host.get(), L"gethostbyname", {text(name)}).ok());
    EXPECT_EQ(get(host.get(), L"Name").asText(), "") << "not found: the name is emptied";
    EXPECT_EQ(get(host.get(), L"AddressCount").asLong(), 3) << "the rest stays";
    EXPECT_EQ(get(host.get(), L"AliasCount").asLong(), 2);
}

TEST_F(Util, ServicesAskForAnyProtocolAndConvertThePort) {
    sockgate::table().getservbyname = &serviceByName;
    sockgate::table().getservbyport = &serviceByPort;
    Text ftp(L"ftp"), none(L""), tcp(L"tcp");
    ComPtr<IDispatch> byName = u(L"getservbyname", {text(ftp), text(none)}).asObject();
    ASSERT_TRUE(byName);
    EXPECT_TRUE(gAnyProtocol) << "an empty protocol is passed as no protocol";
    EXPECT_EQ(get(byName.get(), L"Port").asLong(), 21);
    EXPECT_EQ(get(byName.get(), L"Protocol").asText(), "tcp");

    ComPtr<IDispatch> byPort = u(L"getservbyport", {com::argShort(21), text(tcp)}).asObject();
    ASSERT_TRUE(byPort);
    EXPECT_EQ(gAskedPort, htons(21)) << "converted to network order for the call";
    EXPECT_EQ(get(byPort.get(), L"Port").asLong(), 21);
    EXPECT_EQ(get(byPort.get(), L"Alias", {com::argShort(1)}).hr, kInvalidParameter);
}

TEST_F(Util, RealServicesProtocolsAndTheHostName) {
    sockgate::restore();
    Text http(L"http"), tcp(L"tcp"), udp(L"udp"), none(L"");
    ComPtr<IDispatch> service = u(L"getservbyname", {text(http), text(none)}).asObject();
    ASSERT_TRUE(service);
    EXPECT_EQ(get(service.get(), L"Port").asLong(), 80);

    ComPtr<IDispatch> protocol = u(L"getprotobyname", {text(tcp)}).asObject();
    ASSERT_TRUE(protocol);
    EXPECT_EQ(get(protocol.get(), L"Protocol").asLong(), 6);
    protocol = u(L"getprotobynumber", {com::argShort(17)}).asObject();
    ASSERT_TRUE(protocol);
    EXPECT_EQ(get(protocol.get(), L"Name").asText(), "udp");

    char expected[256] = {};
    ASSERT_EQ(gethostname(expected, sizeof expected), 0);
    const std::string name = u(L"gethostname").asText();
    EXPECT_EQ(name, expected);
    EXPECT_EQ(name.find('\0'), std::string::npos);
}

TEST_F(Util, SocketInfoShowsTheStartUpData) {
    ComPtr<IDispatch> info = get(m_sockets.get(), L"SocketData").asObject();
    ASSERT_TRUE(info);
    EXPECT_EQ(get(info.get(), L"CurrentVersion").asLong(), 0x0101);
    EXPECT_GE(get(info.get(), L"HighVersion").asLong(), 0x0101);
    EXPECT_FALSE(get(info.get(), L"Description").asText().empty());
    EXPECT_GT(get(info.get(), L"MaxSockets").asLong(), 0) << "read as unsigned";
    EXPECT_GT(get(info.get(), L"MaxUDPDatagramSize").asLong(), 0);
    EXPECT_TRUE(get(info.get(), L"VendorInfo").ok());
}
