// async_lookup_test.cpp
// Asynchronous host look-ups: real ones on the loopback name and on a
// name that cannot resolve, and, through the gate, the life of a look-up's
// buffer when it is cancelled or its collection goes first.
#include <gtest/gtest.h>

#include <cstring>

#include "fixture.h"

using namespace harness;
using com::ComPtr;

namespace {

class Lookups : public ::testing::Test {
protected:
    void SetUp() override {
        m_sockets = makeSockets();
        ASSERT_TRUE(m_sockets);
        m_sink = com::make<EventSink>(m_log, DIID___zkSockets);
        ASSERT_TRUE(m_sink->advise(m_sockets.get()));
    }
    void TearDown() override {
        if (m_sink) m_sink->unadvise();
    }
    LONG byName(const wchar_t* name) {
        Text n(name);
        return call(m_sockets.get(), L"WSAAsyncGetHostByName", {text(n)}).asLong();
    }
    bool answered(LONG task) {
        return pumpUntil([&] {
            for (const Call& c : m_log.calls) {
                if ((c.id == ev::HostResolved || c.id == ev::AsyncError) && c.longArg(0) == task) return true;
            }
            return false;
        });
    }

    GateRestore m_restore;
    Log m_log;
    ComPtr<IDispatch> m_sockets;
    ComPtr<EventSink> m_sink;
};

// A look-up the test completes by hand: the gate records where Windows
// Sockets would write and post.
HWND gWindow = nullptr;
u_int gMessage = 0;
char* gBuffer = nullptr;
int gBufferSize = 0;
int gCancelled = 0;
constexpr LONG kTask = 0x4242;
HANDLE WINAPI heldLookup(HWND hWnd, u_int msg, const char*, char* buf, int buflen) {
    gWindow = hWnd;
    gMessage = msg;
    gBuffer = buf;
    gBufferSize = buflen;
    return reinterpret_cast<HANDLE>(static_cast<INT_PTR>(kTask));
}
HANDLE WINAPI refusedLookup(HWND, u_int, const char*, char*, int) {
    WSASetLastError(WSAENOBUFS);
    return nullptr;
}
// As under Wine: reports success and cancels nothing.
int WINAPI uselessCancel(HANDLE) {
    ++gCancelled;
    return 0;
}

void holdLookups() {
    gWindow = nullptr;
    gBuffer = nullptr;
    gCancelled = 0;
    sockgate::table().WSAAsyncGetHostByName = &heldLookup;
    sockgate::table().WSACancelAsyncRequest = &uselessCancel;
}

// Writes a host record into the look-up buffer as Windows Sockets does:
// pointers into the same buffer. outside: the name points elsewhere.
void writeRecord(bool outside) {
    ASSERT_TRUE(gBuffer);
    std::memset(gBuffer, 0, static_cast<size_t>(gBufferSize));
    auto* h = reinterpret_cast<hostent*>(gBuffer);
    char** aliases = reinterpret_cast<char**>(gBuffer + 64);
    char** addresses = reinterpret_cast<char**>(gBuffer + 96);
    char* text = gBuffer + 160;
    char* bytes = gBuffer + 400;
    h->h_name = outside ? reinterpret_cast<char*>(gBuffer + gBufferSize + 64) : std::strcpy(text, "gate.example");
    aliases[0] = std::strcpy(text + 32, "one");
    aliases[1] = std::strcpy(text + 48, "two");
    h->h_aliases = aliases;
    h->h_addrtype = AF_INET;
    h->h_length = 4;
    for (int i = 0; i < 3; ++i) {
        const unsigned char a[4] = {10, 0, 0, static_cast<unsigned char>(i + 1)};
        std::memcpy(bytes + 4 * i, a, 4);
        addresses[i] = bytes + 4 * i;
    }
    h->h_addr_list = outside ? reinterpret_cast<char**>(gBuffer - 4096) : addresses;
}

void complete(int error = 0) { PostMessageA(gWindow, gMessage, kTask, MAKELPARAM(0, error)); }

}  // namespace

TEST_F(Lookups, LocalhostResolves) {
    const LONG task = byName(L"localhost");
    ASSERT_NE(task, 0);
    ASSERT_TRUE(answered(task));
    const Call* c = m_log.first(ev::HostResolved);
    ASSERT_TRUE(c) << "AsyncError " << (m_log.first(ev::AsyncError) ? m_log.first(ev::AsyncError)->longArg(1) : 0);
    EXPECT_EQ(c->longArg(0), task);
    ComPtr<IDispatch> host = c->objectArg(1);
    ASSERT_TRUE(host);
    EXPECT_FALSE(get(host.get(), L"Name").asText().empty());
    const LONG count = get(host.get(), L"AddressCount").asLong();
    bool loopback = false;
    for (SHORT i = 1; i <= count; ++i) {
        loopback |= static_cast<ULONG>(get(host.get(), L"Address", {com::argShort(i)}).asLong()) == htonl(kLoopback);
    }
    EXPECT_TRUE(loopback);
}

TEST_F(Lookups, ANameThatDoesNotResolveGivesAsyncError) {
    const LONG task = byName(L"no-such-host.invalid");
    ASSERT_NE(task, 0);
    ASSERT_TRUE(answered(task));
    const Call* c = m_log.first(ev::AsyncError);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->longArg(0), task);
    EXPECT_NE(c->longArg(1), 0);
    EXPECT_EQ(m_log.count(ev::HostResolved), 0u);
}

TEST_F(Lookups, TheRecordIsReadFromTheBufferAndNothingOutsideIt) {
    holdLookups();
    ASSERT_EQ(byName(L"gate.example"), kTask);
    EXPECT_EQ(gMessage, 0x500u);
    EXPECT_EQ(gBufferSize, 1024);
    writeRecord(false);
    complete();
    ASSERT_TRUE(answered(kTask));
    ComPtr<IDispatch> host = m_log.first(ev::HostResolved)->objectArg(1);
    ASSERT_TRUE(host);
    EXPECT_EQ(get(host.get(), L"Name").asText(), "gate.example");
    EXPECT_EQ(get(host.get(), L"AliasCount").asLong(), 2);
    EXPECT_EQ(get(host.get(), L"Alias", {com::argShort(2)}).asText(), "two");
    ASSERT_EQ(get(host.get(), L"AddressCount").asLong(), 3);
    for (SHORT i = 1; i <= 3; ++i) {
        EXPECT_EQ(static_cast<ULONG>(get(host.get(), L"Address", {com::argShort(i)}).asLong()),
                  htonl(0x0A000000u + static_cast<ULONG>(i)));
    }

    m_log.calls.clear();
    ASSERT_EQ(byName(L"gate.example"), kTask);
    writeRecord(true);
    complete();
    ASSERT_TRUE(answered(kTask));
    host = m_log.first(ev::HostResolved)->objectArg(1);
    ASSERT_TRUE(host);
    EXPECT_EQ(get(host.get(), L"Name").asText(), "") << "a name outside the buffer is not read";
    EXPECT_EQ(get(host.get(), L"AddressCount").asLong(), 0);
}

TEST_F(Lookups, ACancelledLookUpKeepsItsBufferUntilItsCompletionArrives) {
    holdLookups();
    const LONG before = com::liveObjects();
    ASSERT_EQ(byName(L"slow.example"), kTask);
    EXPECT_EQ(com::liveObjects(), before + 1) << "the look-up's zkHostEnt";
    ASSERT_EQ(call(m_sockets.get(), L"CancelAsyncRequest", {com::argLong(kTask)}).hr, S_OK);
    EXPECT_EQ(gCancelled, 1);
    pumpFor(50);
    EXPECT_EQ(com::liveObjects(), before + 1) << "Windows Sockets may still write the buffer";
    writeRecord(false);  // as Wine's worker does after a cancel
    complete();
    ASSERT_TRUE(answered(kTask));
    const Call* c = m_log.first(ev::AsyncError);
    ASSERT_TRUE(c) << "no longer pending";
    EXPECT_EQ(c->longArg(1), 0);
    m_log.calls.clear();
    EXPECT_EQ(com::liveObjects(), before) << "freed once the completion arrived";
    EXPECT_EQ(call(m_sockets.get(), L"CancelAsyncRequest", {com::argLong(kTask)}).hr, S_OK) << "not pending: nothing";
    EXPECT_EQ(gCancelled, 1);
}

TEST_F(Lookups, ACollectionThatGoesFirstLeavesItsWindowToTheLookUp) {
    holdLookups();
    ASSERT_EQ(byName(L"slow.example"), kTask);
    const LONG locks = com::moduleLocks();
    const LONG live = com::liveObjects();
    m_sink->unadvise();
    m_sink = nullptr;
    m_sockets = nullptr;
    EXPECT_EQ(gCancelled, 1);
    EXPECT_TRUE(IsWindow(gWindow)) << "waiting for the completion message";
    EXPECT_EQ(com::moduleLocks(), locks + 1) << "the module stays while its window does";
    EXPECT_LT(com::liveObjects(), live);
    writeRecord(false);
    complete();
    ASSERT_TRUE(pumpUntil([&] { return !IsWindow(gWindow); }, 5000));
    EXPECT_EQ(com::moduleLocks(), locks);
}

TEST_F(Lookups, ALookUpThatCannotStartGivesHandleZero) {
    sockgate::table().WSAAsyncGetHostByName = &refusedLookup;
    EXPECT_EQ(byName(L"anything"), 0);
}
