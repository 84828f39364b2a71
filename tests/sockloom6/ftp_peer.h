// ftp_peer.h
// What the FTP client's tests share: the library's error codes, test data,
// and the server's end of a connection that a test plays itself on
// loopback sockets.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "fixture.h"

namespace ftptest {

using namespace harness;
using com::ComPtr;


inline constexpr HRESULT kInvalidParameter = static_cast<HRESULT>(0x80040201);
inline constexpr HRESULT kInvalidState = static_cast<HRESULT>(0x80040202);
inline constexpr HRESULT kHostFile = static_cast<HRESULT>(0x80040203);

inline std::string textOf(const com::Variant& v) {
    std::string s;
    if (FAILED(com::toAnsi(v.get(), s))) return "<no text>";
    return s;
}

// Bytes of every value, so a download that changes one shows it.
inline std::string allBytes(size_t n) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
    return s;
}

// A line as a server's Telnet layer reads it: each command (IAC and the
// byte after it) taken out, a doubled IAC kept as one byte.
inline std::string withoutTelnetCommands(const std::string& raw) {
    std::string line;
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\xFF') {
            line += raw[i];
        } else if (++i < raw.size() && raw[i] == '\xFF') {
            line += raw[i];
        }
    }
    return line;
}

// The server's end of a connection, read line by line while the test
// thread's messages are pumped (the client works meanwhile). Urgent bytes
// are read in line with the rest, as FTP servers read them.
class Peer {
public:
    Peer() = default;
    explicit Peer(PlainSocket s) : m_s(std::move(s)) {
        const BOOL inline_ = TRUE;
        if (m_s) {
            setsockopt(m_s.get(), SOL_SOCKET, SO_OOBINLINE, reinterpret_cast<const char*>(&inline_), sizeof inline_);
        }
    }
    explicit operator bool() const { return static_cast<bool>(m_s); }

    // The next line without its CR LF and its Telnet commands; "<none>"
    // when none came in time.
    std::string line(DWORD ms = 5000) {
        m_raw = rawLine(ms);
        return withoutTelnetCommands(m_raw);
    }
    // The last line as it came, Telnet commands and all.
    const std::string& lastRaw() const { return m_raw; }
    bool closedWithin(DWORD ms) const { return m_s.closedWithin(ms); }

    // True when nothing at all arrives for ms.
    bool quietFor(DWORD ms) {
        pumpFor(ms);
        return m_pending.empty() && !readableWithin(m_s.get(), 0);
    }
    void say(const std::string& text) { m_s.sendAll(text); }
    void close() { m_s.close(); }
    // Everything until the client closes.
    std::string rest(DWORD ms = 5000) {
        std::string all = m_pending;
        m_pending.clear();
        for (;;) {
            const std::string more = m_s.receive(1 << 20, ms);
            if (more.empty()) return all;
            all += more;
        }
    }

private:
    std::string rawLine(DWORD ms) {
        const DWORD start = GetTickCount();
        size_t end;
        while ((end = m_pending.find("\r\n")) == std::string::npos) {
            if (GetTickCount() - start >= ms) return "<none>";
            // Short slices: the pump wakes for messages, not for bytes on
            // this plain socket.
            m_pending += m_s.receive(1, 20);
        }
        std::string l = m_pending.substr(0, end);
        m_pending.erase(0, end + 2);
        return l;
    }

    PlainSocket m_s;
    std::string m_pending;
    std::string m_raw;
};

// "(h1,h2,h3,h4,p1,p2)" for a port, with an address that is not the
// server's: the client must go to the server it talks to all the same.
inline std::string pasvText(u_short port) {
    return "227 Entering Passive Mode (10,9,8,7," + std::to_string(port >> 8) + "," + std::to_string(port & 0xFF) +
           ").\r\n";
}

// A data listener whose connections take little at a time, so an upload
// must wait for the socket, however large the system's buffers grow.
inline PlainSocket slowDataListener(u_short& port) {
    PlainSocket s = PlainSocket::listenLocal(port);
    const int small = 16 * 1024;
    setsockopt(s.get(), SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&small), sizeof small);
    return s;
}

// The port a "PORT h1,h2,h3,h4,p1,p2" line names.
inline u_short portOf(const std::string& line) {
    const size_t last = line.rfind(',');
    const size_t before = line.rfind(',', last - 1);
    if (last == std::string::npos || before == std::string::npos) return 0;
    return static_cast<u_short>(std::stoi(line.substr(before + 1, last - before - 1)) * 256 +
                                std::stoi(line.substr(last + 1)));
}

// A connection to 127.0.0.1:port made from another loopback address.
inline PlainSocket connectFrom(ULONG from, u_short port) {
    PlainSocket s(socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(from);
    if (!s || bind(s.get(), reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) return {};
    a.sin_addr.s_addr = htonl(kLoopback);
    a.sin_port = htons(port);
    if (connect(s.get(), reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) return {};
    return s;
}

}  // namespace ftptest
