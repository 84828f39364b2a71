// fixture.cpp
#include "fixture.h"

#include "zkSockName.h"
#include "zkSockets.h"

namespace harness {

com::ComPtr<IDispatch> makeSockets() {
    com::ComPtr<IDispatch> d;
    com::createInstance<sockloom::zkSockets>(IID_IDispatch, d.putVoid());
    return d;
}

com::ComPtr<IDispatch> sockName(u_short port, ULONG address) {
    com::ComPtr<IDispatch> d;
    com::createInstance<sockloom::zkSockName>(IID_IDispatch, d.putVoid());
    put(d.get(), L"Port", com::argShort(static_cast<SHORT>(htons(port))));
    put(d.get(), L"IpAddress", com::argLong(static_cast<LONG>(htonl(address))));
    return d;
}

u_short portOf(IDispatch* name) { return ntohs(static_cast<u_short>(get(name, L"Port").asLong())); }

com::ComPtr<IDispatch> libraryListener(IDispatch* sockets, u_short& port) {
    com::ComPtr<IDispatch> s = call(sockets, L"CreateSocket", {com::argLong(1), com::argLong(6)}).asObject();
    if (!s) return nullptr;
    com::ComPtr<IDispatch> any = sockName(0);
    if (call(s.get(), L"Bind", {object(any.get())}).asLong() != 0) return nullptr;
    if (call(s.get(), L"Listen", {com::argLong(5)}).asLong() != 0) return nullptr;
    com::ComPtr<IDispatch> bound = get(s.get(), L"SocketName").asObject();
    port = bound ? portOf(bound.get()) : 0;
    return s;
}

com::ComPtr<IDispatch> libraryClient(IDispatch* sockets, u_short port) {
    com::ComPtr<IDispatch> s = call(sockets, L"CreateSocket", {com::argLong(1), com::argLong(6)}).asObject();
    if (!s) return nullptr;
    com::ComPtr<IDispatch> to = sockName(port);
    call(s.get(), L"Connect", {object(to.get())});
    return s;
}

PlainSocket& PlainSocket::operator=(PlainSocket&& o) noexcept {
    if (this != &o) {
        close();
        m_s = o.m_s;
        o.m_s = INVALID_SOCKET;
    }
    return *this;
}

void PlainSocket::close() {
    if (m_s != INVALID_SOCKET) closesocket(m_s);
    m_s = INVALID_SOCKET;
}

namespace {

sockaddr_in local(u_short port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(kLoopback);
    return a;
}

u_short boundPort(SOCKET s) {
    sockaddr_in a{};
    int n = sizeof a;
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &n);
    return ntohs(a.sin_port);
}

}  // namespace

PlainSocket PlainSocket::listenLocal(u_short& port) {
    PlainSocket s(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    sockaddr_in a = local(0);
    if (bind(s.get(), reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(s.get(), 5) != 0) return {};
    port = boundPort(s.get());
    return s;
}

PlainSocket PlainSocket::connectLocal(u_short port) {
    PlainSocket s(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    sockaddr_in a = local(port);
    if (connect(s.get(), reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) return {};
    return s;
}

PlainSocket PlainSocket::udpLocal(u_short& port) {
    PlainSocket s(socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    sockaddr_in a = local(0);
    if (bind(s.get(), reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) return {};
    port = boundPort(s.get());
    return s;
}

bool readableWithin(SOCKET s, DWORD ms) {
    fd_set set;
    set.fd_count = 1;
    set.fd_array[0] = s;
    timeval t{static_cast<long>(ms / 1000), static_cast<long>((ms % 1000) * 1000)};
    return select(0, &set, nullptr, nullptr, &t) > 0;
}

PlainSocket PlainSocket::acceptWithin(DWORD ms) const {
    if (!pumpUntil([&] { return readableWithin(m_s, 0); }, ms)) return {};
    return PlainSocket(accept(m_s, nullptr, nullptr));
}

void PlainSocket::sendAll(const std::string& data) const {
    size_t sent = 0;
    while (sent < data.size()) {
        const int n = send(m_s, data.data() + sent, static_cast<int>(data.size() - sent), 0);
        if (n <= 0) return;
        sent += static_cast<size_t>(n);
    }
}

bool PlainSocket::closedWithin(DWORD ms) const {
    bool closed = false;
    pumpUntil(
        [&] {
            while (!closed && readableWithin(m_s, 0)) {
                char buffer[4096];
                if (recv(m_s, buffer, sizeof buffer, 0) <= 0) closed = true;
            }
            return closed;
        },
        ms);
    return closed;
}

std::string PlainSocket::receive(size_t n, DWORD ms) const {
    std::string got;
    bool closed = false;
    pumpUntil(
        [&] {
            while (!closed && got.size() < n && readableWithin(m_s, 0)) {
                char buffer[4096];
                const int r = recv(m_s, buffer, sizeof buffer, 0);
                if (r <= 0) {
                    closed = true;
                    break;
                }
                got.append(buffer, static_cast<size_t>(r));
            }
            return closed || got.size() >= n;
        },
        ms);
    return got;
}

std::string tempPath(const char* name) {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + std::to_string(GetCurrentProcessId()) + "_" + name;
}

}  // namespace harness
