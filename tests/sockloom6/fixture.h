// fixture.h
// What the socket library's in-process tests share: library objects made
// as a host makes them, the test's own plain sockets on 127.0.0.1 (free
// ports only), and a guard that puts the real Winsock back into the
// sockgate table after a test that injected faults.
#pragma once

#include "winsock_names.h"

#include <string>

#include "common/com/com.h"
#include "late_bound.h"
#include "recorder.h"
#include "win_test_support.h"

namespace harness {

inline constexpr ULONG kLoopback = 0x7F000001;  // 127.0.0.1, host order

// A new zkSockets (through the class factory path a host uses).
com::ComPtr<IDispatch> makeSockets();
// A new zkSockName holding port and address given in host order.
com::ComPtr<IDispatch> sockName(u_short port, ULONG address = kLoopback);
// The port of a zkSockName, in host order.
u_short portOf(IDispatch* name);

// A stream socket of the collection bound to 127.0.0.1 on a free port and
// listening; port receives the port.
com::ComPtr<IDispatch> libraryListener(IDispatch* sockets, u_short& port);
// A stream socket of the collection, connecting to 127.0.0.1:port.
com::ComPtr<IDispatch> libraryClient(IDispatch* sockets, u_short port);

// A blocking socket of the test's own, closed when it goes.
class PlainSocket {
public:
    PlainSocket() = default;
    explicit PlainSocket(SOCKET s) : m_s(s) {}
    ~PlainSocket() { close(); }
    PlainSocket(PlainSocket&& o) noexcept : m_s(o.m_s) { o.m_s = INVALID_SOCKET; }
    PlainSocket& operator=(PlainSocket&& o) noexcept;
    PlainSocket(const PlainSocket&) = delete;
    PlainSocket& operator=(const PlainSocket&) = delete;

    SOCKET get() const { return m_s; }
    explicit operator bool() const { return m_s != INVALID_SOCKET; }
    void close();

    static PlainSocket listenLocal(u_short& port);
    static PlainSocket connectLocal(u_short port);
    static PlainSocket udpLocal(u_short& port);
    // Accepts one connection within ms milliseconds.
    PlainSocket acceptWithin(DWORD ms) const;
    void sendAll(const std::string& data) const;
    // True when the other end closes (or resets) the connection within ms,
    // while the thread's messages are dispatched; what arrives meanwhile
    // is read and dropped.
    bool closedWithin(DWORD ms) const;
    // Reads until n bytes arrived, the peer closed, or ms passed, while
    // dispatching the thread's messages (the library works meanwhile).
    std::string receive(size_t n, DWORD ms) const;

private:
    SOCKET m_s = INVALID_SOCKET;
};

bool readableWithin(SOCKET s, DWORD ms);

// A file in the temporary folder under a name of this process's own: the
// test programs run side by side in one prefix and must not open each
// other's files.
std::string tempPath(const char* name);
using testsupport::exists;
using testsupport::readBytes;
using testsupport::writeBytes;
// A path as the library's text arguments take it (ASCII).
inline std::wstring wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

// Puts every sockgate entry back to the real Winsock when it goes.
struct GateRestore {
    GateRestore() = default;
    ~GateRestore() { sockgate::restore(); }
    GateRestore(const GateRestore&) = delete;
    GateRestore& operator=(const GateRestore&) = delete;
};

}  // namespace harness
