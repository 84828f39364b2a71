// zkFTPclient_server_test.cpp
// The FTP client, the registered DLL driven late-bound with an event sink,
// against real FTP servers on 127.0.0.1: pyftpdlib in passive and active
// mode, and vsftpd sending at a limited rate.
#include <gtest/gtest.h>

#include <string>

#include "fixture.h"
#include "ftp_peer.h"
#include "net_args.h"
#include "zkFTPclient.h"

using namespace harness;
using com::ComPtr;
using namespace ftptest;

namespace {

u_short realServerPort() { return static_cast<u_short>(std::stoi("0" + readBytes(gFtpFolder + "\\port"))); }
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
    writeBytes(realServerFile("small.txt"), small);
    writeBytes(realServerFile("binary.bin"), binary);
    CreateDirectoryA(realServerFile("sub").c_str(), nullptr);

    ASSERT_TRUE(logOn(L"secret"));
    ASSERT_EQ(m_log.count(ftpev::Ready), 1u);
    EXPECT_EQ(state(), 1);

    // Binary, then at once a download into a longer existing file.
    m_log.calls.clear();
    const std::string local = tempPath(GetParam() ? "sockloom_ftp_p.bin" : "sockloom_ftp_a.bin");
    writeBytes(local, std::string(200000, 'z'));
    call(m_ftp.get(), L"Binary");
    ASSERT_EQ(call(m_ftp.get(), L"Retrieve", {text(Text(L"binary.bin")), text(Text(wide(local).c_str()))}).asLong(), 0);
    ASSERT_TRUE(finished());
    EXPECT_EQ(m_log.count(ftpev::Error) + m_log.count(ftpev::ObjectError), 0u);
    EXPECT_EQ(readBytes(local) == binary, true) << "the file holds exactly the download";
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
    writeBytes(source, upload);
    ASSERT_EQ(call(m_ftp.get(), L"Store", {text(Text(L"up.bin")), text(Text(wide(source).c_str()))}).asLong(), 0);
    ASSERT_TRUE(finished());
    EXPECT_EQ(m_log.count(ftpev::Error) + m_log.count(ftpev::ObjectError), 0u);
    EXPECT_EQ(readBytes(realServerFile("up.bin")) == upload, true) << "the server holds exactly the upload";
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
            com::argLong(static_cast<LONG>(std::stoi("0" + readBytes(gVsftpdFolder + "\\port")))));
    }
    // How often the server's log says a download of big.bin ended so.
    static size_t logged(const char* ending) {
        const std::string log = readBytes(gVsftpdFolder + "\\vsftpd.log");
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
