// transfer_loops.cpp
// The blocking reference loops: the best plain Winsock programs found for
// the same work as the library's clients.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/win32/handles.h"
#include "transfer_probe.h"

namespace {

void shapeSocket(SOCKET s, const LoopShape& shape) {
    if (shape.receiveBuffer > 0)
        setsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&shape.receiveBuffer),
                   sizeof shape.receiveBuffer);
}

// A connected socket; its receive buffer set before the handshake, where
// the window it offers is decided.
SOCKET connectTo(const std::string& host, const std::string& port, const LoopShape& shape) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0) return INVALID_SOCKET;
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s != INVALID_SOCKET) shapeSocket(s, shape);
    if (s != INVALID_SOCKET && connect(s, found->ai_addr, static_cast<int>(found->ai_addrlen)) != 0) {
        closesocket(s);
        s = INVALID_SOCKET;
    }
    freeaddrinfo(found);
    return s;
}

bool sendAll(SOCKET s, const std::string& text) {
    size_t at = 0;
    while (at < text.size()) {
        int n = send(s, text.data() + at, static_cast<int>(text.size() - at), 0);
        if (n <= 0) return false;
        at += static_cast<size_t>(n);
    }
    return true;
}

// Reads to the end of the connection; each piece goes to sink.piece.
template <typename Sink>
bool readToClose(SOCKET s, const LoopShape& shape, unsigned long long& pieces, Sink&& sink) {
    std::vector<char> buffer(static_cast<size_t>(shape.readSize));
    for (;;) {
        const int n = recv(s, buffer.data(), shape.readSize, 0);
        if (n == 0) return true;
        if (n < 0) return false;
        ++pieces;
        if (!sink.piece(buffer.data(), static_cast<size_t>(n))) return false;
    }
}

bool writeAll(HANDLE file, const char* p, size_t n) {
    DWORD wrote = 0;
    return WriteFile(file, p, static_cast<DWORD>(n), &wrote, nullptr) && wrote == n;
}

// The Content-Length of a response header, or 0.
size_t contentLength(const std::string& header) {
    std::string lower(header);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const size_t at = lower.find("\r\ncontent-length:");
    return at == std::string::npos ? 0 : std::strtoull(lower.c_str() + at + 17, nullptr, 10);
}

// An HTTP/1.0 body to the connection's end, into a file, or appended to a
// string reserved from the announced length.
class HttpBodySink {
public:
    HttpBodySink(HANDLE file, std::string* memory) : m_file(file), m_memory(memory) {}
    bool piece(const char* p, size_t n) {
        if (m_inBody) return body(p, n);
        m_header.append(p, n);
        const size_t end = m_header.find("\r\n\r\n");
        if (end == std::string::npos) return true;
        m_inBody = true;
        if (m_memory) m_memory->reserve(contentLength(m_header));
        const std::string rest = m_header.substr(end + 4);
        return rest.empty() || body(rest.data(), rest.size());
    }
    unsigned long long bytes() const { return m_bytes; }

private:
    bool body(const char* p, size_t n) {
        m_bytes += n;
        if (!m_memory) return writeAll(m_file, p, n);
        m_memory->append(p, n);
        return true;
    }

    HANDLE m_file;
    std::string* m_memory;
    std::string m_header;
    bool m_inBody = false;
    unsigned long long m_bytes = 0;
};

// A reply of an FTP server: its whole text once a line "code blank" came.
std::string ftpReply(SOCKET s) {
    std::string text;
    char c;
    for (;;) {
        if (recv(s, &c, 1, 0) != 1) return text;
        text += c;
        if (c != '\n') continue;
        const size_t lineStart = text.rfind('\n', text.size() - 2);
        const std::string line = text.substr(lineStart == std::string::npos ? 0 : lineStart + 1);
        if (line.size() >= 4 && line[3] == ' ') return text;
    }
}

// Logs in anonymously, binary, and opens a passive data connection for
// command; the data socket, or INVALID_SOCKET with error set.
SOCKET ftpOpen(SOCKET c, const std::string& host, const std::string& command, const LoopShape& shape,
               std::string& error) {
    ftpReply(c);
    for (const char* cmd : {"USER anonymous\r\n", "PASS bench@\r\n", "TYPE I\r\n"}) {
        sendAll(c, cmd);
        ftpReply(c);
    }
    sendAll(c, "PASV\r\n");
    const std::string pasv = ftpReply(c);
    unsigned a[6] = {};
    const size_t open = pasv.find('(');
    if (open == std::string::npos ||
        std::sscanf(pasv.c_str() + open, "(%u,%u,%u,%u,%u,%u)", &a[0], &a[1], &a[2], &a[3], &a[4], &a[5]) != 6) {
        error = "bad PASV reply: " + pasv;
        return INVALID_SOCKET;
    }
    SOCKET d = connectTo(host, std::to_string(a[4] * 256 + a[5]), shape);
    if (d == INVALID_SOCKET) {
        error = "no data connection";
        return INVALID_SOCKET;
    }
    sendAll(c, command + "\r\n");
    const std::string reply = ftpReply(c);
    if (reply.compare(0, 1, "1") != 0) {
        error = "refused: " + reply;
        closesocket(d);
        return INVALID_SOCKET;
    }
    return d;
}

} // namespace

Outcome httpLoop(const std::string& host, const std::string& port, const std::string& path, const std::string& out,
                 bool toMemory, const LoopShape& shape, double& ms) {
    Outcome o;
    const double start = nowMs();
    SOCKET s = connectTo(host, port, shape);
    if (s == INVALID_SOCKET) return {false, 0, "no connection"};
    sendAll(s, "GET " + path + " HTTP/1.0\r\nHost: " + host + "\r\n\r\n");
    std::string memory;
    win32::File file;
    if (!toMemory)
        file.reset(CreateFileA(out.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    HttpBodySink sink(file.get(), toMemory ? &memory : nullptr);
    o.ok = readToClose(s, shape, o.pieces, sink);
    o.bytes = sink.bytes();
    closesocket(s);
    file.reset();
    ms = nowMs() - start;
    if (toMemory) o.ok = o.ok && writeFile(out, memory.data(), memory.size());
    return o;
}

Outcome ftpLoop(const std::string& host, const std::string& port, const std::string& file, const std::string& out,
                double& ms) {
    Outcome o;
    const double start = nowMs();
    SOCKET c = connectTo(host, port, kPlainLoop);
    if (c == INVALID_SOCKET) return {false, 0, "no connection"};
    const SOCKET d = ftpOpen(c, host, "RETR " + file, kBestLoop, o.error);
    if (d == INVALID_SOCKET) {
        closesocket(c);
        return o;
    }
    win32::File f(CreateFileA(out.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    struct {
        HANDLE f;
        unsigned long long* bytes;
        bool piece(const char* p, size_t n) {
            *bytes += n;
            return writeAll(f, p, n);
        }
    } sink{f.get(), &o.bytes};
    o.ok = readToClose(d, kBestLoop, o.pieces, sink);
    f.reset();
    closesocket(d);
    const std::string done = ftpReply(c);
    o.ok = o.ok && done.compare(0, 1, "2") == 0;
    closesocket(c);
    ms = nowMs() - start;
    return o;
}

// The upload as the library's contract makes it: the file read and sent in
// pieces of 4096 bytes, each sent whole before the next is read.
Outcome ftpStoreLoop(const std::string& host, const std::string& port, const std::string& file,
                     const std::string& local, double& ms) {
    constexpr DWORD kPiece = 4096;
    Outcome o;
    const double start = nowMs();
    win32::File f(CreateFileA(local.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) return {false, 0, "cannot open " + local};
    SOCKET c = connectTo(host, port, kPlainLoop);
    const SOCKET d = c == INVALID_SOCKET ? INVALID_SOCKET : ftpOpen(c, host, "STOR " + file, kPlainLoop, o.error);
    if (d == INVALID_SOCKET) {
        if (c != INVALID_SOCKET) closesocket(c);
        if (o.error.empty()) o.error = "no connection";
        return o;
    }
    char piece[kPiece];
    o.ok = true;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(f.get(), piece, kPiece, &got, nullptr)) o.ok = false;
        if (!o.ok || got == 0) break;
        for (DWORD at = 0; at < got && o.ok;) {
            const int n = send(d, piece + at, static_cast<int>(got - at), 0);
            o.ok = n > 0;
            at += n > 0 ? static_cast<DWORD>(n) : 0;
        }
        o.bytes += got;
        ++o.pieces;
    }
    f.reset();
    closesocket(d);
    const std::string done = ftpReply(c);
    o.ok = o.ok && done.compare(0, 1, "2") == 0;
    if (!o.ok && o.error.empty()) o.error = "store failed: " + done;
    closesocket(c);
    ms = nowMs() - start;
    return o;
}
