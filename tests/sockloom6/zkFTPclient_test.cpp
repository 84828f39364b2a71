// zkFTPclient_test.cpp
// The FTP client against a real FTP server (pyftpdlib on 127.0.0.1, the
// registered DLL driven late-bound with an event sink, in passive and
// active mode), and against servers the test plays itself on loopback
// sockets for what a real server will not do: replies that arrive
// together or split, a final reply ahead of the data, malformed or
// refused data connections, a server that closes or never answers.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fixture.h"
#include "net_args.h"
#include "zkFTPclient.h"

using namespace harness;
using com::ComPtr;

namespace {

constexpr HRESULT kInvalidParameter = static_cast<HRESULT>(0x80040201);
constexpr HRESULT kInvalidState = static_cast<HRESULT>(0x80040202);
constexpr HRESULT kHostFile = static_cast<HRESULT>(0x80040203);

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string tempPath(const char* name) {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + name;
}

std::wstring wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

std::string textOf(const com::Variant& v) {
    std::string s;
    if (FAILED(com::toAnsi(v.get(), s))) return "<no text>";
    return s;
}

// Bytes of every value, so a download that changes one shows it.
std::string allBytes(size_t n) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
    return s;
}

// A line as a server's Telnet layer reads it: each command (IAC and the
// byte after it) taken out, a doubled IAC kept as one byte.
std::string withoutTelnetCommands(const std::string& raw) {
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
std::string pasvText(u_short port) {
    return "227 Entering Passive Mode (10,9,8,7," + std::to_string(port >> 8) + "," + std::to_string(port & 0xFF) +
           ").\r\n";
}

// A data listener whose connections take little at a time, so an upload
// must wait for the socket, however large the system's buffers grow.
PlainSocket slowDataListener(u_short& port) {
    PlainSocket s = PlainSocket::listenLocal(port);
    const int small = 16 * 1024;
    setsockopt(s.get(), SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&small), sizeof small);
    return s;
}

// The port a "PORT h1,h2,h3,h4,p1,p2" line names.
u_short portOf(const std::string& line) {
    const size_t last = line.rfind(',');
    const size_t before = line.rfind(',', last - 1);
    if (last == std::string::npos || before == std::string::npos) return 0;
    return static_cast<u_short>(std::stoi(line.substr(before + 1, last - before - 1)) * 256 +
                                std::stoi(line.substr(last + 1)));
}

// A connection to 127.0.0.1:port made from another loopback address.
PlainSocket connectFrom(ULONG from, u_short port) {
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

// What the library hands to send, and whether as urgent data.
struct Sent {
    std::string bytes;
    bool urgent;
};
std::vector<Sent> gSent;
int WINAPI recordedSend(SOCKET s, const char* buf, int len, int flags) {
    const int r = sockgate::winsock().send(s, buf, len, flags);
    if (r > 0) gSent.push_back({std::string(buf, static_cast<size_t>(r)), (flags & MSG_OOB) != 0});
    return r;
}

class FtpClient : public ::testing::Test {
protected:
    void SetUp() override {
        m_object = com::make<sockloom::zkFTPclient>();
        ASSERT_TRUE(m_object);
        m_object->QueryInterface(IID_IDispatch, m_ftp.putVoid());
        m_sink = com::make<EventSink>(m_log, DIID___zkFTPclient);
        ASSERT_TRUE(m_sink->advise(m_ftp.get()));
        m_listener = PlainSocket::listenLocal(m_port);
        ASSERT_TRUE(m_listener);
    }
    void TearDown() override {
        call(m_ftp.get(), L"Disconnect");
        m_sink->unadvise();
    }

    LONG connect() {
        put(m_ftp.get(), L"Port", com::argLong(m_port));
        Text site(L"127.0.0.1");
        return call(m_ftp.get(), L"Connect", {text(site)}).asLong();
    }
    LONG state() { return get(m_ftp.get(), L"State").asLong(); }
    bool waitFor(DISPID id, size_t n = 1, DWORD ms = 10000) {
        return pumpUntil([&] { return m_log.count(id) >= n; }, ms);
    }
    // Connects and logs on as Anonymous against the test's own server.
    Peer logOn() {
        EXPECT_EQ(connect(), 0);
        Peer p(m_listener.acceptWithin(5000));
        p.say("220 ready\r\n");
        EXPECT_EQ(p.line(), "USER Anonymous");
        p.say("230 in\r\n");
        EXPECT_TRUE(waitFor(ftpev::Ready));
        m_log.calls.clear();
        return p;
    }
    Result list() { return call(m_ftp.get(), L"List", {missing()}); }
    Result retrieveToMemory(const wchar_t* name) {
        Text n(name);
        return call(m_ftp.get(), L"Retrieve", {text(n), missing()});
    }
    Result retrieveToFile(const std::string& name, const std::string& local) {
        return call(m_ftp.get(), L"Retrieve", {text(Text(wide(name).c_str())), text(Text(wide(local).c_str()))});
    }
    // After logOn: a passive download of name into local under way, some of
    // it written; the data connection's server end is returned.
    Peer downloadUnderWay(Peer& p, const std::string& name, const std::string& local) {
        EXPECT_EQ(retrieveToFile(name, local).asLong(), 0);
        EXPECT_EQ(p.line(), "PASV");
        u_short dataPort = 0;
        PlainSocket dataListener = PlainSocket::listenLocal(dataPort);
        p.say(pasvText(dataPort));
        Peer data(dataListener.acceptWithin(5000));
        EXPECT_TRUE(data);
        EXPECT_EQ(p.line(), "RETR " + name);
        p.say("150 Opening BINARY mode data connection\r\n");
        data.say(allBytes(5000));
        EXPECT_TRUE(waitFor(ftpev::DataTransferred));
        EXPECT_TRUE(exists(local));
        return data;
    }

    ComPtr<sockloom::zkFTPclient> m_object;
    ComPtr<IDispatch> m_ftp;
    Log m_log;
    ComPtr<EventSink> m_sink;
    PlainSocket m_listener;
    u_short m_port = 0;
};

}  // namespace

TEST_F(FtpClient, WaitsForTheGreetingAndTakesRepliesThatArriveTogetherOrSplit) {
    put(m_ftp.get(), L"User", text(Text(L"anna")));
    put(m_ftp.get(), L"Password", text(Text(L"pw")));
    EXPECT_EQ(connect(), 0);
    Peer p(m_listener.acceptWithin(5000));
    ASSERT_TRUE(p);
    EXPECT_TRUE(p.quietFor(300)) << "USER waits for the greeting";
    EXPECT_EQ(state(), 2);
    // The greeting and the answer to USER in one read.
    p.say("220 ready\r\n331 Password please\r\n");
    EXPECT_EQ(p.line(), "USER anna");
    EXPECT_EQ(p.line(), "PASS pw");
    // A multi-line 230 split across reads, ending only on "230 ".
    p.say("230-Welcome\r\n230-to the");
    EXPECT_TRUE(p.quietFor(200));
    p.say(" site\r\n230x not the end\r\n");
    pumpFor(200);
    EXPECT_EQ(m_log.count(ftpev::Ready), 0u) << "the reply is still open";
    p.say("230 Logged in\r\n");
    ASSERT_TRUE(waitFor(ftpev::Ready));
    EXPECT_EQ(m_log.count(ftpev::Ready), 1u);
    EXPECT_EQ(state(), 1);
    EXPECT_TRUE(p.quietFor(200)) << "nothing more is sent";
}

TEST_F(FtpClient, AListingWaitsForItsDataEvenWhenTheFinalReplyComesFirst) {
    Peer p = logOn();
    EXPECT_EQ(list().asLong(), 0);
    EXPECT_EQ(p.line(), "PASV");
    u_short dataPort = 0;
    PlainSocket dataListener = PlainSocket::listenLocal(dataPort);
    p.say(pasvText(dataPort));
    Peer data(dataListener.acceptWithin(5000));
    ASSERT_TRUE(data) << "the data connection goes to the control connection's peer";
    EXPECT_EQ(p.line(), "LIST");
    p.say("150 Here it comes\r\n");
    data.say("first line\r\n");
    p.say("226 Transfer complete\r\n");
    pumpFor(300);
    EXPECT_EQ(m_log.count(ftpev::DataReceived), 0u) << "not cut short by the early 226";
    data.say("second line\r\n");
    data.close();
    ASSERT_TRUE(waitFor(ftpev::Ready));
    ASSERT_EQ(m_log.count(ftpev::DataReceived), 1u);
    EXPECT_EQ(textOf(m_log.first(ftpev::DataReceived)->args[0]), "first line\r\nsecond line\r\n");
    EXPECT_EQ(state(), 1);

    // The next transfer gets a fresh data connection.
    m_log.calls.clear();
    EXPECT_EQ(call(m_ftp.get(), L"NameList", {text(Text(L"pub"))}).asLong(), 0);
    EXPECT_EQ(p.line(), "PASV");
}

TEST_F(FtpClient, BinaryThenRetrieveInActiveModePairsEachReplyWithItsCommand) {
    put(m_ftp.get(), L"PassiveMode", com::argBool(false));
    Peer p = logOn();
    call(m_ftp.get(), L"Binary");
    EXPECT_EQ(retrieveToMemory(L"file.bin").asLong(), 0);
    EXPECT_EQ(p.line(), "type i");
    const std::string port = p.line();
    ASSERT_EQ(port.rfind("PORT 127,0,0,1,", 0), 0u) << port;
    p.say("200 Type set to I\r\n");
    EXPECT_TRUE(p.quietFor(300)) << "the answer to TYPE is not taken for the answer to PORT";
    p.say("200 PORT command successful\r\n");
    EXPECT_EQ(p.line(), "RETR file.bin");
    PlainSocket data = PlainSocket::connectLocal(portOf(port));
    ASSERT_TRUE(data);
    p.say("150 Opening BINARY mode data connection\r\n");
    const std::string content = allBytes(70000);
    data.sendAll(content);
    data.close();
    p.say("226 Transfer complete\r\n");
    ASSERT_TRUE(waitFor(ftpev::Ready));
    ASSERT_EQ(m_log.count(ftpev::DataReceived), 1u);
    EXPECT_EQ(textOf(m_log.first(ftpev::DataReceived)->args[0]), content);
    EXPECT_EQ(m_log.last(ftpev::DataTransferred)->longArg(0), 70000);
}

TEST_F(FtpClient, AbortEndsADownloadAndItsOwnReplyIsNotTakenForTheDownloads) {
    Peer p = logOn();
    EXPECT_EQ(retrieveToMemory(L"long.bin").asLong(), 0);
    EXPECT_EQ(p.line(), "PASV");
    u_short dataPort = 0;
    PlainSocket dataListener = PlainSocket::listenLocal(dataPort);
    p.say(pasvText(dataPort));
    Peer data(dataListener.acceptWithin(5000));
    EXPECT_EQ(p.line(), "RETR long.bin");
    p.say("150 Opening data connection\r\n");
    data.say("part of it");
    pumpFor(100);
    EXPECT_EQ(call(m_ftp.get(), L"Abort").asLong(), 0);
    EXPECT_EQ(p.line(), "ABOR");
    data.close();
    p.say("426 Connection closed; transfer aborted\r\n226 Abort successful\r\n");
    ASSERT_TRUE(waitFor(ftpev::Ready));
    pumpFor(100);
    ASSERT_EQ(m_log.count(ftpev::Error), 1u);
    EXPECT_EQ(textOf(m_log.first(ftpev::Error)->args[0]), "426");
    EXPECT_EQ(m_log.count(ftpev::DataReceived), 0u) << "an aborted download is not delivered as whole";
    EXPECT_EQ(m_log.count(ftpev::Ready), 1u);
    EXPECT_EQ(state(), 1);
}

// A server busy sending (vsftpd) reads ABOR only when told urgently, and
// may finish the transfer first: the client stops on its own side at once,
// and the abort ends only with the abort's own reply.
TEST_F(FtpClient, AbortLetsGoOfTheDownloadAtOnceAndEndsWithTheAbortsOwnReply) {
    GateRestore restore;
    gSent.clear();
    sockgate::table().send = &recordedSend;
    Peer p = logOn();
    const std::string local = tempPath("sockloom_ftp_abort.bin");
    Peer data = downloadUnderWay(p, "long.bin", local);
    const size_t progress = m_log.count(ftpev::DataTransferred);

    EXPECT_EQ(call(m_ftp.get(), L"Abort").asLong(), 0);
    EXPECT_FALSE(exists(local)) << "the part download is deleted at once";
    EXPECT_TRUE(data.closedWithin(3000)) << "the data connection is closed before the server answers";
    EXPECT_EQ(p.line(), "ABOR");
    EXPECT_EQ(p.lastRaw(), "\xFF\xF4\xFF\xF2" "ABOR") << "Telnet interrupt and Synch come first";
    // The Synch's mark goes as urgent data, and only it.
    std::string urgent, all;
    for (const Sent& each : gSent) {
        all += each.bytes;
        if (each.urgent) urgent += each.bytes;
    }
    EXPECT_EQ(urgent, "\xF2");
    EXPECT_NE(all.find("\xFF\xF4\xFF\xF2" "ABOR\r\n"), std::string::npos);

    p.say("426 Failure writing network stream.\r\n");
    pumpFor(300);
    EXPECT_EQ(state(), 2) << "the aborted command's reply is not the abort's";
    EXPECT_EQ(m_log.count(ftpev::Ready), 0u);
    p.say("225 No transfer to ABOR.\r\n");
    ASSERT_TRUE(waitFor(ftpev::Ready));
    pumpFor(100);
    ASSERT_EQ(m_log.count(ftpev::Error), 1u);
    EXPECT_EQ(textOf(m_log.first(ftpev::Error)->args[0]), "426");
    EXPECT_EQ(m_log.count(ftpev::DataTransferred), progress) << "no progress after Abort";
    EXPECT_EQ(m_log.count(ftpev::DataReceived) + m_log.count(ftpev::ObjectError), 0u);
    EXPECT_EQ(state(), 1);
    EXPECT_FALSE(exists(local));

    // The next command gets its own reply.
    m_log.calls.clear();
    EXPECT_EQ(call(m_ftp.get(), L"chDir", {text(Text(L"sub"))}).asLong(), 0);
    EXPECT_EQ(p.line(), "CWD sub");
    p.say("250 Directory changed\r\n");
    ASSERT_TRUE(waitFor(ftpev::Ready));
    EXPECT_EQ(state(), 1);
}

// The control connection's end, whether the server closes it or sends
// lines that are no replies, ends a download; the part of it is deleted.
TEST_F(FtpClient, ALostOrBrokenControlConnectionLeavesNoPartDownload) {
    {
        Peer p = logOn();
        const std::string local = tempPath("sockloom_ftp_lost.bin");
        Peer data = downloadUnderWay(p, "file.bin", local);
        p.close();
        ASSERT_TRUE(waitFor(ftpev::ObjectError));
        EXPECT_EQ(m_log.first(ftpev::ObjectError)->longArg(0), 4);
        EXPECT_EQ(state(), 0);
        EXPECT_FALSE(exists(local)) << "closed and deleted";
    }
    // A greeting without a reply code: no FTP server, nothing to wait for.
    m_log.calls.clear();
    EXPECT_EQ(connect(), 0);
    {
        Peer p(m_listener.acceptWithin(5000));
        p.say("ABC hello\r\n");
        ASSERT_TRUE(waitFor(ftpev::ObjectError));
        EXPECT_EQ(m_log.first(ftpev::ObjectError)->longArg(0), 4);
        EXPECT_EQ(state(), 0);
        EXPECT_TRUE(p.closedWithin(3000));
        EXPECT_EQ(m_log.count(ftpev::Ready), 0u);
    }
    // Nor later, where a reply is owed; a download under way is deleted.
    m_log.calls.clear();
    {
        Peer p = logOn();
        const std::string local = tempPath("sockloom_ftp_broken.bin");
        Peer data = downloadUnderWay(p, "file.bin", local);
        p.say("hello there\r\n");
        ASSERT_TRUE(waitFor(ftpev::ObjectError));
        EXPECT_EQ(m_log.first(ftpev::ObjectError)->longArg(0), 4);
        EXPECT_EQ(state(), 0);
        EXPECT_TRUE(p.closedWithin(3000));
        EXPECT_FALSE(exists(local));
    }
}

// With PORT, whoever reaches the announced port first is not taken for
// the server.
TEST_F(FtpClient, ActiveModeTakesTheDataConnectionOnlyFromTheServer) {
    put(m_ftp.get(), L"PassiveMode", com::argBool(false));
    Peer p = logOn();
    EXPECT_EQ(list().asLong(), 0);
    const std::string port = p.line();
    ASSERT_EQ(port.rfind("PORT 127,0,0,1,", 0), 0u) << port;
    Peer rogue(connectFrom(0x7F000002, portOf(port)));
    ASSERT_TRUE(rogue) << "a peer bound to 127.0.0.2";
    rogue.say("ROGUE DATA FROM 127.0.0.2");
    EXPECT_TRUE(rogue.closedWithin(3000)) << "turned away";
    p.say("200 PORT command successful\r\n");
    EXPECT_EQ(p.line(), "LIST");
    PlainSocket data = PlainSocket::connectLocal(portOf(port));
    ASSERT_TRUE(data) << "still listening";
    p.say("150 Here comes the listing\r\n");
    data.sendAll("the server's listing\r\n");
    data.close();
    p.say("226 Directory send OK.\r\n");
    ASSERT_TRUE(waitFor(ftpev::Ready));
    ASSERT_EQ(m_log.count(ftpev::DataReceived), 1u);
    EXPECT_EQ(textOf(m_log.first(ftpev::DataReceived)->args[0]), "the server's listing\r\n");
}

TEST_F(FtpClient, BrokenDataConnectionsEndTheTransferWithAnError) {
    Peer p = logOn();
    // Six numbers, but not each from 0 to 255.
    EXPECT_EQ(list().asLong(), 0);
    EXPECT_EQ(p.line(), "PASV");
    p.say("227 Entering Passive Mode (127,0,0,1,300,10)\r\n");
    ASSERT_TRUE(waitFor(ftpev::ObjectError));
    EXPECT_EQ(m_log.first(ftpev::ObjectError)->longArg(0), 3);
    EXPECT_EQ(state(), 1);

    // A data connection the server refuses.
    m_log.calls.clear();
    u_short closedPort = 0;
    PlainSocket::listenLocal(closedPort);  // bound and closed again at once
    EXPECT_EQ(list().asLong(), 0);
    EXPECT_EQ(p.line(), "PASV");
    p.say(pasvText(closedPort));
    ASSERT_TRUE(waitFor(ftpev::ObjectError));
    EXPECT_EQ(m_log.first(ftpev::ObjectError)->longArg(0), 3);
    EXPECT_EQ(state(), 1);

    // A 4xx and no 2xx.
    m_log.calls.clear();
    u_short dataPort = 0;
    PlainSocket dataListener = PlainSocket::listenLocal(dataPort);
    EXPECT_EQ(list().asLong(), 0);
    EXPECT_EQ(p.line(), "PASV");
    p.say(pasvText(dataPort));
    Peer data(dataListener.acceptWithin(5000));
    EXPECT_EQ(p.line(), "LIST");
    p.say("425 Cannot open data connection\r\n");
    ASSERT_TRUE(waitFor(ftpev::Ready));
    ASSERT_EQ(m_log.count(ftpev::Error), 1u);
    EXPECT_EQ(textOf(m_log.first(ftpev::Error)->args[0]), "425");
    EXPECT_EQ(state(), 1);
}

TEST_F(FtpClient, ARefusedDownloadLeavesNoLocalFile) {
    Peer p = logOn();
    const std::string local = tempPath("sockloom_ftp_refused.bin");
    writeFile(local, "an older, longer file");
    EXPECT_EQ(call(m_ftp.get(), L"Retrieve", {text(Text(L"missing.txt")), text(Text(wide(local).c_str()))}).asLong(),
              0);
    EXPECT_EQ(p.line(), "PASV");
    u_short dataPort = 0;
    PlainSocket dataListener = PlainSocket::listenLocal(dataPort);
    p.say(pasvText(dataPort));
    Peer data(dataListener.acceptWithin(5000));
    EXPECT_EQ(p.line(), "RETR missing.txt");
    p.say("550 No such file\r\n");
    ASSERT_TRUE(waitFor(ftpev::Error));
    pumpFor(100);
    EXPECT_EQ(textOf(m_log.first(ftpev::Error)->args[0]), "550");
    EXPECT_EQ(m_log.count(ftpev::Ready), 0u) << "an error, not a finished transfer";
    EXPECT_EQ(state(), 1);
    EXPECT_FALSE(exists(local));
    EXPECT_EQ(data.rest(2000), "") << "the data connection was closed";
}

TEST_F(FtpClient, AnUploadIsPacedAndItsDataConnectionClosesOnlyWhenDrained) {
    const std::string upload = allBytes(12 * 1024 * 1024 + 1808);
    const std::string source = tempPath("sockloom_ftp_paced.bin");
    writeFile(source, upload);
    Peer p = logOn();
    EXPECT_EQ(call(m_ftp.get(), L"Store", {text(Text(L"paced.bin")), text(Text(wide(source).c_str()))}).asLong(), 0);
    EXPECT_EQ(p.line(), "PASV");
    u_short dataPort = 0;
    PlainSocket dataListener = slowDataListener(dataPort);
    p.say(pasvText(dataPort));
    Peer data(dataListener.acceptWithin(5000));
    ASSERT_TRUE(data);
    EXPECT_EQ(p.line(), "STOR paced.bin");
    p.say("150 Ok to send data\r\n");
    // The server does not read yet: the client waits for the socket.
    pumpFor(500);
    const Call* progress = m_log.last(ftpev::DataTransferred);
    EXPECT_TRUE(progress == nullptr || progress->longArg(0) < static_cast<LONG>(upload.size()));
    EXPECT_EQ(state(), 2);
    // Everything arrives, and only then the data connection closes.
    const std::string got = data.rest(20000);
    EXPECT_EQ(got.size(), upload.size());
    EXPECT_EQ(got == upload, true) << "byte-exact";
    ASSERT_GE(m_log.count(ftpev::DataTransferred), 1u) << "progress while the socket waited";
    EXPECT_EQ(m_log.last(ftpev::DataTransferred)->longArg(0) % 4096, 0) << "whole pieces handed over";
    p.say("226 Transfer complete\r\n");
    ASSERT_TRUE(waitFor(ftpev::Ready));
    EXPECT_EQ(state(), 1);
    DeleteFileA(source.c_str());
}

TEST_F(FtpClient, LineBreaksAndNulsInArgumentsAreRefused) {
    Peer p = logOn();
    EXPECT_EQ(call(m_ftp.get(), L"chDir", {text(Text(L"pub\r\nDELE x"))}).hr, kInvalidParameter);
    EXPECT_EQ(retrieveToMemory(L"a\nb").hr, kInvalidParameter);
    EXPECT_EQ(call(m_ftp.get(), L"List", {text(Text(L"x\rSTOR y"))}).hr, kInvalidParameter);
    const wchar_t withNul[] = {L'a', 0, L'b', 0};
    com::Bstr nul(withNul, 3);
    EXPECT_EQ(call(m_ftp.get(), L"Store", {text(nul.get()), missing()}).hr, kInvalidParameter);
    EXPECT_EQ(put(m_ftp.get(), L"User", text(Text(L"x\r\nDELE y"))), kInvalidParameter);
    EXPECT_EQ(put(m_ftp.get(), L"Password", text(Text(L"x\ny"))), kInvalidParameter);
    EXPECT_EQ(state(), 1);
    EXPECT_TRUE(p.quietFor(200)) << "nothing went to the server";
}

TEST_F(FtpClient, MisuseRaisesTheLibraryErrors) {
    EXPECT_EQ(put(m_ftp.get(), L"Port", com::argLong(0)), kInvalidParameter);
    EXPECT_EQ(put(m_ftp.get(), L"Port", com::argLong(65536)), kInvalidParameter);
    EXPECT_EQ(put(m_ftp.get(), L"Port", com::argLong(65535)), S_OK);
    EXPECT_EQ(get(m_ftp.get(), L"Port").asLong(), 65535);
    EXPECT_EQ(get(m_ftp.get(), L"User").asText(), "Anonymous");
    EXPECT_TRUE(get(m_ftp.get(), L"PassiveMode").asBool());
    EXPECT_EQ(state(), 0);
    EXPECT_EQ(list().hr, kInvalidState);
    EXPECT_EQ(call(m_ftp.get(), L"Abort").hr, kInvalidState);
    EXPECT_EQ(call(m_ftp.get(), L"chDirParent").hr, kInvalidState);

    Peer p = logOn();
    EXPECT_EQ(put(m_ftp.get(), L"PassiveMode", com::argBool(false)), kInvalidState);
    EXPECT_EQ(call(m_ftp.get(), L"Abort").hr, kInvalidState) << "ready: nothing to abort";
    const std::string empty = tempPath("sockloom_ftp_empty.bin");
    writeFile(empty, "");
    EXPECT_EQ(call(m_ftp.get(), L"Store", {text(Text(L"x")), text(Text(wide(empty).c_str()))}).hr, kHostFile);
    EXPECT_EQ(call(m_ftp.get(), L"Store", {text(Text(L"x")), text(Text(L"Z:\\no\\such\\file"))}).hr, kHostFile);
    EXPECT_EQ(state(), 1);
    DeleteFileA(empty.c_str());
}

TEST_F(FtpClient, ClosingWordsAndSilenceAreHandled) {
    // 421: object error 4 and disconnected.
    Peer p = logOn();
    EXPECT_EQ(call(m_ftp.get(), L"chDir", {text(Text(L"pub"))}).asLong(), 0);
    EXPECT_EQ(p.line(), "CWD pub");
    p.say("421 Service not available, closing\r\n");
    ASSERT_TRUE(waitFor(ftpev::ObjectError));
    EXPECT_EQ(m_log.first(ftpev::ObjectError)->longArg(0), 4);
    EXPECT_EQ(state(), 0);

    // Closed without a word in the middle of a listing: an error, not a hang.
    m_log.calls.clear();
    p = logOn();
    EXPECT_EQ(list().asLong(), 0);
    EXPECT_EQ(p.line(), "PASV");
    p.close();
    ASSERT_TRUE(waitFor(ftpev::ObjectError));
    EXPECT_EQ(m_log.first(ftpev::ObjectError)->longArg(0), 4);
    EXPECT_EQ(state(), 0);

    // A server that never answers: busy and silent until Disconnect.
    m_log.calls.clear();
    EXPECT_EQ(connect(), 0);
    Peer mute(m_listener.acceptWithin(5000));
    ASSERT_TRUE(mute);
    EXPECT_TRUE(mute.quietFor(500));
    EXPECT_TRUE(m_log.calls.empty());
    EXPECT_EQ(state(), 2);
    EXPECT_EQ(call(m_ftp.get(), L"Disconnect").asLong(), 0);
    EXPECT_EQ(state(), 0);
    EXPECT_EQ(mute.rest(2000), "") << "the connection is closed";
}

TEST_F(FtpClient, AnInMemoryDownloadPastItsLimitEndsWithAnError) {
    m_object->setMemoryLimit(16);
    Peer p = logOn();
    EXPECT_EQ(retrieveToMemory(L"big").asLong(), 0);
    EXPECT_EQ(p.line(), "PASV");
    u_short dataPort = 0;
    PlainSocket dataListener = PlainSocket::listenLocal(dataPort);
    p.say(pasvText(dataPort));
    Peer data(dataListener.acceptWithin(5000));
    EXPECT_EQ(p.line(), "RETR big");
    p.say("150 go\r\n");
    data.say(std::string(40, 'x'));
    ASSERT_TRUE(waitFor(ftpev::ObjectError));
    EXPECT_EQ(m_log.first(ftpev::ObjectError)->longArg(0), 4);
    EXPECT_EQ(m_log.count(ftpev::DataReceived), 0u);
    EXPECT_EQ(state(), 1);
}

TEST_F(FtpClient, ACallbackObjectGetsTheEventsByNameButUploadProgressStaysAnEvent) {
    auto callbacks = com::make<harness::NamedCallbacks>(
        std::vector<std::wstring>{L"FTPReady", L"FTPDataReceived", L"FTPDataTransferred"});
    ASSERT_EQ(putRef(m_ftp.get(), L"CallBackObject", callbacks.get()), S_OK);
    EXPECT_EQ(connect(), 0);
    Peer p(m_listener.acceptWithin(5000));
    p.say("220 ready\r\n");
    EXPECT_EQ(p.line(), "USER Anonymous");
    p.say("230 in\r\n");
    ASSERT_TRUE(pumpUntil([&] { return callbacks->count(L"FTPReady") == 1; }));
    EXPECT_TRUE(m_log.calls.empty()) << "no events while a callback object is set";
    const auto& ready = callbacks->calls.back();
    ASSERT_EQ(ready.args.size(), 2u);
    ComPtr<IUnknown> self, sender;
    m_ftp->QueryInterface(IID_IUnknown, self.putVoid());
    ready.args[0].get().pdispVal->QueryInterface(IID_IUnknown, sender.putVoid());
    EXPECT_EQ(self.get(), sender.get()) << "the client itself comes first";

    const std::string upload = allBytes(12 * 1024 * 1024);
    const std::string source = tempPath("sockloom_ftp_callback.bin");
    writeFile(source, upload);
    EXPECT_EQ(call(m_ftp.get(), L"Store", {text(Text(L"cb.bin")), text(Text(wide(source).c_str()))}).asLong(), 0);
    EXPECT_EQ(p.line(), "PASV");
    u_short dataPort = 0;
    PlainSocket dataListener = slowDataListener(dataPort);
    p.say(pasvText(dataPort));
    Peer data(dataListener.acceptWithin(5000));
    EXPECT_EQ(p.line(), "STOR cb.bin");
    p.say("150 go\r\n");
    pumpFor(300);
    EXPECT_EQ(data.rest(20000).size(), upload.size());
    p.say("226 stored\r\n");
    ASSERT_TRUE(pumpUntil([&] { return callbacks->count(L"FTPReady") == 2; }));
    EXPECT_GE(m_log.count(ftpev::DataTransferred), 1u) << "upload progress is always an event";
    EXPECT_EQ(m_log.count(ftpev::Ready), 0u);
    EXPECT_EQ(callbacks->count(L"FTPDataTransferred"), 0u);
    putRef(m_ftp.get(), L"CallBackObject", nullptr);
    DeleteFileA(source.c_str());
}

TEST_F(FtpClient, AnswersForItsEarlierInterfaces) {
    const GUID dispatch10 = sockloom::IID__zkFTPclient_1_0, dispatch11 = sockloom::IID__zkFTPclient_1_1;
    for (const GUID& iid : {dispatch10, dispatch11}) {
        ComPtr<IDispatch> old;
        ASSERT_EQ(m_ftp->QueryInterface(iid, old.putVoid()), S_OK);
        EXPECT_EQ(get(old.get(), L"State").asLong(), 0);
    }
    // A sink of each old event interface hears the events.
    Log log10, log11;
    ComPtr<EventSink> sink10 = com::make<EventSink>(log10, __uuidof(__zkFTPclient_1_0));
    ComPtr<EventSink> sink11 = com::make<EventSink>(log11, __uuidof(__zkFTPclient_1_1));
    ASSERT_TRUE(sink10->advise(m_ftp.get()));
    ASSERT_TRUE(sink11->advise(m_ftp.get()));
    Peer p = logOn();
    EXPECT_EQ(log10.count(ftpev::Ready), 1u);
    EXPECT_EQ(log11.count(ftpev::Ready), 1u);
    sink10->unadvise();
    sink11->unadvise();
}

// ---- Against a real FTP server -------------------------------------------------------

namespace {

u_short realServerPort() { return static_cast<u_short>(std::stoi("0" + readFile(gFtpFolder + "\\port"))); }
std::string realServerFile(const std::string& name) { return gFtpFolder + "\\root\\" + name; }

// The registered DLL, as a host creates it.
ComPtr<IDispatch> createRegistered() {
    CLSID clsid{};
    if (FAILED(CLSIDFromProgID(L"sockloom_v6.zkFTPclient", &clsid))) return nullptr;
    ComPtr<IDispatch> d;
    CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, d.putVoid());
    return d;
}

class RealServer : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        m_ftp = createRegistered();
        ASSERT_TRUE(m_ftp) << "sockloom_v6.zkFTPclient is registered and creatable";
        m_sink = com::make<EventSink>(m_log, DIID___zkFTPclient);
        ASSERT_TRUE(m_sink->advise(m_ftp.get()));
        ASSERT_EQ(put(m_ftp.get(), L"PassiveMode", com::argBool(GetParam())), S_OK);
        put(m_ftp.get(), L"Port", com::argLong(realServerPort()));
    }
    void TearDown() override {
        call(m_ftp.get(), L"Disconnect");
        m_sink->unadvise();
    }
    bool logOn(const wchar_t* password) {
        put(m_ftp.get(), L"User", text(Text(L"tester")));
        put(m_ftp.get(), L"Password", text(Text(password)));
        EXPECT_EQ(call(m_ftp.get(), L"Connect", {text(Text(L"127.0.0.1"))}).asLong(), 0);
        return pumpUntil([&] { return m_log.count(ftpev::Ready) + m_log.count(ftpev::Error) > 0; });
    }
    // Waits for the end of an operation: FTPReady, or an error.
    bool finished() {
        return pumpUntil([&] {
            return m_log.count(ftpev::Ready) + m_log.count(ftpev::Error) + m_log.count(ftpev::ObjectError) > 0;
        });
    }
    LONG state() { return get(m_ftp.get(), L"State").asLong(); }

    Log m_log;
    ComPtr<IDispatch> m_ftp;
    ComPtr<EventSink> m_sink;
};

}  // namespace

TEST_P(RealServer, ListsRetrievesAndStoresByteExact) {
    const std::string small = "hello from the server\r\n";
    const std::string binary = allBytes(150000);
    writeFile(realServerFile("small.txt"), small);
    writeFile(realServerFile("binary.bin"), binary);
    CreateDirectoryA(realServerFile("sub").c_str(), nullptr);

    ASSERT_TRUE(logOn(L"secret"));
    ASSERT_EQ(m_log.count(ftpev::Ready), 1u);
    EXPECT_EQ(state(), 1);

    // Binary, then at once a download into a longer existing file.
    m_log.calls.clear();
    const std::string local = tempPath(GetParam() ? "sockloom_ftp_p.bin" : "sockloom_ftp_a.bin");
    writeFile(local, std::string(200000, 'z'));
    call(m_ftp.get(), L"Binary");
    ASSERT_EQ(call(m_ftp.get(), L"Retrieve", {text(Text(L"binary.bin")), text(Text(wide(local).c_str()))}).asLong(), 0);
    ASSERT_TRUE(finished());
    EXPECT_EQ(m_log.count(ftpev::Error) + m_log.count(ftpev::ObjectError), 0u);
    EXPECT_EQ(readFile(local) == binary, true) << "the file holds exactly the download";
    EXPECT_EQ(m_log.last(ftpev::DataTransferred)->longArg(0), 150000);

    // Listings.
    m_log.calls.clear();
    ASSERT_EQ(call(m_ftp.get(), L"NameList", {missing()}).asLong(), 0);
    ASSERT_TRUE(finished());
    ASSERT_EQ(m_log.count(ftpev::DataReceived), 1u);
    const std::string names = textOf(m_log.first(ftpev::DataReceived)->args[0]);
    EXPECT_NE(names.find("small.txt"), std::string::npos) << names;
    EXPECT_NE(names.find("binary.bin"), std::string::npos) << names;
    m_log.calls.clear();
    ASSERT_EQ(call(m_ftp.get(), L"List", {missing()}).asLong(), 0);
    ASSERT_TRUE(finished());
    ASSERT_EQ(m_log.count(ftpev::DataReceived), 1u);
    const std::string listing = textOf(m_log.first(ftpev::DataReceived)->args[0]);
    EXPECT_NE(listing.find("150000"), std::string::npos) << listing;

    // Into memory.
    m_log.calls.clear();
    ASSERT_EQ(call(m_ftp.get(), L"Retrieve", {text(Text(L"small.txt")), missing()}).asLong(), 0);
    ASSERT_TRUE(finished());
    ASSERT_EQ(m_log.count(ftpev::DataReceived), 1u);
    EXPECT_EQ(textOf(m_log.first(ftpev::DataReceived)->args[0]), small);

    // Upload in pieces paced by the data socket.
    m_log.calls.clear();
    const std::string upload = allBytes(10000) + allBytes(123457);
    const std::string source = tempPath("sockloom_ftp_up.bin");
    writeFile(source, upload);
    ASSERT_EQ(call(m_ftp.get(), L"Store", {text(Text(L"up.bin")), text(Text(wide(source).c_str()))}).asLong(), 0);
    ASSERT_TRUE(finished());
    EXPECT_EQ(m_log.count(ftpev::Error) + m_log.count(ftpev::ObjectError), 0u);
    EXPECT_EQ(readFile(realServerFile("up.bin")) == upload, true) << "the server holds exactly the upload";
    // Progress comes with each DataSent, when the socket had to wait.
    LONG previous = 0;
    for (const Call& c : m_log.calls) {
        if (c.id != ftpev::DataTransferred) continue;
        EXPECT_GE(c.longArg(0), previous);
        EXPECT_LE(c.longArg(0), static_cast<LONG>(upload.size()));
        previous = c.longArg(0);
    }

    // Folders.
    m_log.calls.clear();
    ASSERT_EQ(call(m_ftp.get(), L"chDir", {text(Text(L"sub"))}).asLong(), 0);
    ASSERT_TRUE(finished());
    EXPECT_EQ(m_log.count(ftpev::Ready), 1u);
    m_log.calls.clear();
    ASSERT_EQ(call(m_ftp.get(), L"chDirParent").asLong(), 0);
    ASSERT_TRUE(finished());
    EXPECT_EQ(m_log.count(ftpev::Ready), 1u);

    // A missing file: 550, no local file left, ready without FTPReady.
    m_log.calls.clear();
    ASSERT_EQ(call(m_ftp.get(), L"Retrieve", {text(Text(L"missing.txt")), text(Text(wide(local).c_str()))}).asLong(),
              0);
    ASSERT_TRUE(finished());
    pumpFor(200);
    ASSERT_EQ(m_log.count(ftpev::Error), 1u);
    EXPECT_EQ(textOf(m_log.first(ftpev::Error)->args[0]), "550");
    EXPECT_EQ(m_log.count(ftpev::Ready), 0u);
    EXPECT_EQ(state(), 1);
    EXPECT_FALSE(exists(local));

    EXPECT_EQ(call(m_ftp.get(), L"Disconnect").asLong(), 0);
    EXPECT_EQ(state(), 0);
    DeleteFileA(source.c_str());
}

TEST_P(RealServer, AWrongPasswordIsError530AndLeavesTheObjectReady) {
    ASSERT_TRUE(logOn(L"wrong"));
    ASSERT_EQ(m_log.count(ftpev::Error), 1u);
    EXPECT_EQ(textOf(m_log.first(ftpev::Error)->args[0]), "530");
    EXPECT_EQ(m_log.count(ftpev::Ready), 0u);
    EXPECT_EQ(state(), 1);
}

INSTANTIATE_TEST_SUITE_P(Modes, RealServer, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& i) { return i.param ? "Passive" : "Active"; });

// ---- Against vsftpd, sending at a limited rate ------------------------------------

namespace {

class Vsftpd : public RealServer {
protected:
    void SetUp() override {
        RealServer::SetUp();
        put(m_ftp.get(), L"Port",
            com::argLong(static_cast<LONG>(std::stoi("0" + readFile(gVsftpdFolder + "\\port")))));
    }
    // How often the server's log says a download of big.bin ended so.
    static size_t logged(const char* ending) {
        const std::string log = readFile(gVsftpdFolder + "\\vsftpd.log");
        const std::string line = std::string(ending) + ": Client \"127.0.0.1\", \"/big.bin\"";
        size_t n = 0;
        for (size_t at = log.find(line); at != std::string::npos; at = log.find(line, at + 1)) ++n;
        return n;
    }
    bool logOnAnonymously() {
        put(m_ftp.get(), L"User", text(Text(L"anonymous")));
        EXPECT_EQ(call(m_ftp.get(), L"Connect", {text(Text(L"127.0.0.1"))}).asLong(), 0);
        return pumpUntil([&] { return m_log.count(ftpev::Ready) + m_log.count(ftpev::Error) > 0; });
    }
};

}  // namespace

// vsftpd reads its control connection only between transfers unless told
// urgently, and takes its time over a large file: Abort must stop the
// download on the client's side, and the replies that follow (426, then
// 225 or 226) must end the abort and nothing after it.
TEST_P(Vsftpd, AbortStopsADownloadUnderWayAndTheNextCommandGetsItsOwnReplies) {
    const size_t failedBefore = logged("FAIL DOWNLOAD");
    ASSERT_TRUE(logOnAnonymously());
    ASSERT_EQ(m_log.count(ftpev::Ready), 1u);
    m_log.calls.clear();
    const std::string local = tempPath(GetParam() ? "sockloom_vsftpd_p.bin" : "sockloom_vsftpd_a.bin");
    call(m_ftp.get(), L"Binary");
    ASSERT_EQ(call(m_ftp.get(), L"Retrieve", {text(Text(L"big.bin")), text(Text(wide(local).c_str()))}).asLong(), 0);
    ASSERT_TRUE(pumpUntil(
        [&] {
            const Call* c = m_log.last(ftpev::DataTransferred);
            return (c && c->longArg(0) >= 100000) || m_log.count(ftpev::Ready) + m_log.count(ftpev::ObjectError) > 0;
        },
        20000));
    ASSERT_EQ(m_log.count(ftpev::Ready) + m_log.count(ftpev::Error) + m_log.count(ftpev::ObjectError), 0u);
    const size_t progress = m_log.count(ftpev::DataTransferred);
    ASSERT_LT(m_log.last(ftpev::DataTransferred)->longArg(0), 8388608) << "the abort lands mid-transfer";

    EXPECT_EQ(call(m_ftp.get(), L"Abort").asLong(), 0);
    EXPECT_FALSE(exists(local)) << "the part download is deleted";
    ASSERT_TRUE(pumpUntil([&] { return m_log.count(ftpev::Ready) + m_log.count(ftpev::ObjectError) > 0; }, 20000));
    pumpFor(300);
    EXPECT_EQ(m_log.count(ftpev::DataTransferred), progress) << "nothing more arrives after Abort";
    EXPECT_EQ(m_log.count(ftpev::Ready), 1u);
    EXPECT_EQ(m_log.count(ftpev::DataReceived) + m_log.count(ftpev::ObjectError), 0u);
    for (const Call& c : m_log.calls) {
        if (c.id == ftpev::Error) {
            EXPECT_EQ(textOf(c.args[0]), "426") << "only the aborted transfer's reply";
        }
    }
    EXPECT_EQ(state(), 1);
    EXPECT_FALSE(exists(local));
    EXPECT_EQ(logged("FAIL DOWNLOAD"), failedBefore + 1) << "the server stopped sending";
    EXPECT_EQ(logged("OK DOWNLOAD"), 0u);

    // Ready for the next command, whose replies are its own.
    m_log.calls.clear();
    ASSERT_EQ(call(m_ftp.get(), L"Retrieve", {text(Text(L"small.txt")), missing()}).asLong(), 0);
    ASSERT_TRUE(finished());
    EXPECT_EQ(m_log.count(ftpev::Error) + m_log.count(ftpev::ObjectError), 0u);
    ASSERT_EQ(m_log.count(ftpev::DataReceived), 1u);
    EXPECT_EQ(textOf(m_log.first(ftpev::DataReceived)->args[0]), "a small file from vsftpd\r\n");
    EXPECT_EQ(state(), 1);
}

INSTANTIATE_TEST_SUITE_P(Modes, Vsftpd, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& i) { return i.param ? "Passive" : "Active"; });
