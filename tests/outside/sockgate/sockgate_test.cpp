// sockgate_test.cpp
// Every int* function reaches the real Winsock until its table entry is
// replaced, and only that entry; restore() puts the real ones back.
#include <gtest/gtest.h>

#include <cstring>

#include "sockgate.h"

namespace {

class Gate : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(intWSAStartup(MAKEWORD(1, 1), &m_data), 0); }
    void TearDown() override {
        sockgate::restore();
        intWSACleanup();
    }
    WSADATA m_data{};
};

int gSends = 0;
int WINAPI countedSend(SOCKET s, const char* buf, int len, int flags) {
    ++gSends;
    return sockgate::winsock().send(s, buf, len > 1 ? 1 : len, flags);
}

}  // namespace

TEST_F(Gate, StartsWithTheRealWinsock) {
    EXPECT_EQ(m_data.wVersion, MAKEWORD(1, 1));
    EXPECT_EQ(std::memcmp(&sockgate::table(), &sockgate::winsock(), sizeof(sockgate::Table)), 0);
    EXPECT_EQ(intinet_addr("127.0.0.1"), htonl(0x7F000001));
    EXPECT_STREQ(intinet_ntoa(in_addr{{{127, 0, 0, 1}}}), "127.0.0.1");
    EXPECT_EQ(inthtons(0x1234), 0x3412);
    EXPECT_EQ(intntohl(inthtonl(0x01020304)), 0x01020304u);
    char name[256] = {};
    EXPECT_EQ(intgethostname(name, sizeof name), 0);
    EXPECT_NE(name[0], '\0');
}

TEST_F(Gate, ALoopbackConnectionThroughTheGate) {
    const SOCKET listener = intsocket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    ASSERT_NE(listener, INVALID_SOCKET);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = intinet_addr("127.0.0.1");
    ASSERT_EQ(intbind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    int n = sizeof a;
    ASSERT_EQ(intgetsockname(listener, reinterpret_cast<sockaddr*>(&a), &n), 0);
    ASSERT_EQ(intlisten(listener, 1), 0);
    const SOCKET client = intsocket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    ASSERT_EQ(intconnect(client, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    const SOCKET server = intaccept(listener, nullptr, nullptr);
    ASSERT_NE(server, INVALID_SOCKET);

    // One entry replaced: sends go one byte at a time, receives stay real.
    gSends = 0;
    sockgate::table().send = &countedSend;
    EXPECT_EQ(intsend(client, "abc", 3, 0), 1);
    EXPECT_EQ(gSends, 1);
    EXPECT_EQ(sockgate::table().recv, sockgate::winsock().recv);
    char got[4] = {};
    EXPECT_EQ(intrecv(server, got, sizeof got, 0), 1);
    EXPECT_EQ(got[0], 'a');

    sockgate::restore();
    EXPECT_EQ(intsend(client, "bc", 2, 0), 2);
    EXPECT_EQ(gSends, 1) << "the real entry is back";
    u_long waiting = 0;
    for (int i = 0; i < 100 && waiting < 2; ++i) {
        intioctlsocket(server, FIONREAD, &waiting);
        if (waiting < 2) Sleep(10);
    }
    EXPECT_EQ(waiting, 2u);
    intclosesocket(server);
    intclosesocket(client);
    intclosesocket(listener);
    EXPECT_EQ(intclosesocket(listener), SOCKET_ERROR);
    EXPECT_EQ(intWSAGetLastError(), WSAENOTSOCK);
}
