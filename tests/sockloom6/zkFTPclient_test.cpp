// zkFTPclient_test.cpp
// The FTP client against servers the test plays itself on loopback
// sockets, for what a real server will not do: replies that arrive
// together or split, a final reply ahead of the data, malformed or
// refused data connections, a server that closes or never answers.
// Real servers: zkFTPclient_server_test.cpp.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fixture.h"
#include "ftp_peer.h"
#include "net_args.h"
#include "zkFTPclient.h"

using namespace harness;
using com::ComPtr;
using namespace ftptest;

namespace {

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
    writeBytes(local, "an older, longer file");
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
    writeBytes(source, upload);
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
    writeBytes(empty, "");
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
    writeBytes(source, upload);
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
