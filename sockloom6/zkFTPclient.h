// zkFTPclient.h
// An FTP client over the object's own zkTCP: log-on, folder changes,
// listings, downloads (to a file or into memory) and uploads, over a
// passive (PASV, we connect) or active (PORT, we listen) data connection.
// Every operation only starts work and returns; progress, errors and the
// end come as events (or late-bound calls on CallBackObject), all on the
// creating thread's message loop. No QUIT: Disconnect closes the sockets.
//
// The protocol itself (replies, commands, the reply state machine) is in
// core/ftp_control; this class turns its steps into socket, file and
// event work. Each reply is paired with the command that owes it, so
// commands sent beside a transfer (Ascii, Binary, Abort) never have their
// replies taken for the transfer's.
//
// FTPObjectError codes: 1 the site cannot be resolved; 2 the control
// connection cannot start after the look-up; 3 a command or file data
// cannot be sent, the control connection cannot be made, or a data
// connection cannot be made or is refused; 4 the server closed the
// control connection (with 421 or without a word) or sent a line without
// a reply code where a reply was owed, a socket error while storing, or a
// download that cannot be kept (the local file refused the bytes, or the
// in-memory limit was passed).
//
// Abort during a transfer closes the data connection and the local file
// at once (a part download is deleted), then sends the Telnet interrupt
// and Synch before ABOR; the object stays busy until the server's reply
// to ABOR, so the aborted command's last reply and the abort's are never
// taken for a later command's.
#pragma once

#include "winsock_names.h"

#include <cstdint>
#include <string>

#include "CallBack.h"
#include "EarlierVersions.h"
#include "ScriptDispatch.h"
#include "common/com/com.h"
#include "common/win32/handles.h"
#include "core/body_buffer.h"
#include "core/ftp_control.h"
#include "events.h"
#include "zkTCP.h"

namespace sockloom {

class zkFTPclient final
    : public com::Object<CallBackDispatch<_zkFTPclient>, com::SupportErrorInfo<_zkFTPclient>,
                         com::ProvideClassInfo2<::zkFTPclient, __zkFTPclient>,
                         com::ConnectionPoints<__zkFTPclient, __zkFTPclient_1_0, __zkFTPclient_1_1>>,
      private TcpListener {
public:
    // Upload pieces, each handed to the data socket whole.
    static constexpr size_t kPieceSize = 4096;
    // What an upload reads of its file at once: whole pieces.
    static constexpr size_t kReadAhead = 64 * kPieceSize;

    HRESULT init();
    ~zkFTPclient() override;

    HRESULT STDMETHODCALLTYPE get_User(BSTR* User) override;
    HRESULT STDMETHODCALLTYPE put_User(BSTR User) override;
    HRESULT STDMETHODCALLTYPE put_Password(BSTR Password) override;
    HRESULT STDMETHODCALLTYPE get_Account(BSTR* Account) override;
    HRESULT STDMETHODCALLTYPE put_Account(BSTR Account) override;
    HRESULT STDMETHODCALLTYPE get_State(SHORT* State) override;
    HRESULT STDMETHODCALLTYPE get_PassiveMode(VARIANT_BOOL* PassiveMode) override;
    HRESULT STDMETHODCALLTYPE put_PassiveMode(VARIANT_BOOL* PassiveMode) override;
    HRESULT STDMETHODCALLTYPE NameList(VARIANT* Directory, LONG* rc) override;
    HRESULT STDMETHODCALLTYPE List(VARIANT* Directory, LONG* rc) override;
    HRESULT STDMETHODCALLTYPE chDir(BSTR* Directory, LONG* rc) override;
    HRESULT STDMETHODCALLTYPE chDirParent(LONG* rc) override;
    HRESULT STDMETHODCALLTYPE Retrieve(BSTR* SourceFile, VARIANT* HostFileName, LONG* rc) override;
    HRESULT STDMETHODCALLTYPE Store(BSTR* SourceFile, VARIANT* HostFileName, LONG* rc) override;
    HRESULT STDMETHODCALLTYPE Abort(LONG* rc) override;
    HRESULT STDMETHODCALLTYPE Disconnect(LONG* rc) override;
    HRESULT STDMETHODCALLTYPE Connect(BSTR* site, LONG* rc) override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Ascii() override;
    HRESULT STDMETHODCALLTYPE Binary() override;
    HRESULT STDMETHODCALLTYPE get_Port(LONG* Port) override;
    HRESULT STDMETHODCALLTYPE put_Port(LONG Port) override;

    // In-memory listings and downloads stop at this many bytes (object
    // error 4); the most a 32-bit count reports unless lowered (tests).
    void setMemoryLimit(size_t bytes) noexcept { m_buffer = BodyBuffer(bytes); }

protected:
    void* queryOther(REFIID riid) noexcept override;

private:
    using State = ftp::State;
    enum class Transfer { None, Listing, Retrieve, Store };

    void tcpDataReceived(zkSocket& socket, std::span<const std::uint8_t> bytes) override;
    void tcpConnectComplete(zkSocket& socket) override;
    void tcpSocketClosed(zkSocket& socket) override;
    void tcpSocketError(zkSocket* socket, LONG ErrorCode) override;
    void tcpAsyncError(LONG AsyncHandle, LONG Errval) override;
    void tcpHostResolved(LONG AsyncHandle, _zkHostEnt* host) override;
    void tcpAcceptComplete(zkSocket& listening, zkSocket& accepted) override;
    void tcpDataSent(zkSocket& socket) override;

    // Puts of User and Account: stored below state 4 and when ready; when
    // ready the command goes out at once.
    HRESULT putLogOnText(std::string& field, BSTR value, State next, std::string (*command)(std::string_view));
    // A command to the control socket: 0 when sent or queued, else the
    // Windows Sockets error (-1 for an empty or unsafe text). owner says
    // whose reply the server will send.
    LONG sendCommand(const std::string& text, ftp::Owner owner);
    // Ascii and Binary.
    HRESULT sendAside(std::string_view command);
    // chDir and chDirParent.
    HRESULT changeFolder(const std::string& command, LONG* rc);
    HRESULT startTransfer(Transfer kind, const std::string& command, const std::string& hostFile, LONG* rc);
    LONG connectControl(ULONG address);
    LONG openDataConnection(const std::string& replyText);
    // A data socket about to carry a download gets a bulk receive buffer.
    void widenForDownload(zkSocket& socket) const noexcept;
    LONG sendParked();
    // 0, or -1 when a piece could not be read or sent.
    LONG sendFileChunks();
    // The next size bytes of the upload, from the block read ahead (a new
    // block read when it is used up); null when the file cannot give them.
    const std::uint8_t* nextPiece(size_t size);
    void finishStoreSend();
    void finishTransfer();
    void closeDataSocket();
    void closeLocalFile(bool deleteIt);
    // What a transfer holds let go: parked command, data connection,
    // buffer, and the local file (a part download deleted).
    void dropTransfer();
    // A transfer that cannot go on: what it holds let go, ready again.
    void abandonTransfer(LONG objectError);
    // The control connection cannot be trusted or is gone: a part download
    // deleted, everything reset, object error 4.
    void failConnection();
    // The Telnet interrupt and Synch, then ABOR; the result of sending ABOR.
    LONG sendAbort();
    void dropSocket(com::ComPtr<zkSocket>& socket);
    // Resets; remake: a fresh control socket (not at destruction).
    void resetAll(bool remake);

    void controlText(std::string_view bytes);
    void handleReply(const ftp::Reply& reply);
    // The steps of the state machine; false when a send failed (state 10
    // and object error 3 reported).
    bool run(const std::vector<ftp::Step>& steps);
    bool isCurrent(std::uint64_t generation) const noexcept { return generation == m_generation; }

    void raise(const events::Event& event, std::initializer_list<VARIANT> args) { raiseEvent(*this, event, args); }
    void fire(const events::Event& event, std::initializer_list<VARIANT> args) { fireEvent(*this, event, args); }
    void raiseObjectError(LONG code) { raise(events::zkFTPclient::FTPObjectError, {com::argLong(code)}); }
    void raiseReady() { raise(events::zkFTPclient::FTPReady, {com::argLong(0)}); }
    void raiseDataReceived();
    LONG count32() const noexcept;

    com::ComPtr<zkTCP> m_tcps;
    std::string m_User = "Anonymous";
    std::string m_Password;
    std::string m_Account;
    LONG m_Port = 21;
    bool m_PassiveMode = true;

    com::ComPtr<zkSocket> m_control;
    com::ComPtr<zkSocket> m_data;
    bool m_dataLinked = false;
    State m_state = State::Disconnected;
    LONG m_task = 0;

    // Control text not yet split, and the busy flag that keeps reply
    // handling from running twice at once when a handler lets messages in.
    std::string m_controlText;
    bool m_busy = false;
    ftp::ReplyReader m_reader;
    ftp::ReplyRouter m_router;
    // Counts resets, so reply handling under way stops after one.
    std::uint64_t m_generation = 0;

    // The transfer command waiting for its data connection.
    std::string m_parkedCommand;
    State m_parkedState = State::Disconnected;
    Transfer m_transfer = Transfer::None;

    BodyBuffer m_buffer;
    std::string m_hostFile;
    win32::File m_file;
    std::int64_t m_count = 0;
    std::int64_t m_bytesLeft = 0;
    // The upload read a block at a time, its pieces cut from the block: a
    // piece then costs its send and no read of its own.
    std::vector<std::uint8_t> m_ahead;
    size_t m_aheadAt = 0;
};

}  // namespace sockloom
