// zkFTPclient_transfer.cpp
// The FTP client's transfers: the data connection (passive or active),
// the local file, the socket events, and the events that carry data.
#include "zkFTPclient.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "LocalFile.h"
#include "zkFTPclient_helpers.h"

namespace sockloom {

using namespace GlobalFunctions;
using ftp::Owner;
using ftpclient::ansiOf;
using ftpclient::nameOf;
using ftpclient::startConnect;

namespace {

constexpr int kAddressSize = sizeof(sockaddr_in);

// An optional text argument; empty when it is missing.
std::string optionalText(const VARIANT* v) {
    if (!v || com::isMissing(*v)) return {};
    std::string text;
    if (FAILED(com::toAnsi(*v, text))) return {};
    return text;
}

// The local or peer address of a socket; false when it has none.
bool addressOf(int(WINAPI* query)(SOCKET, sockaddr*, int*), const zkSocket* socket, sockaddr_in& out) {
    out = sockaddr_in{};
    int length = kAddressSize;
    return socket && query(socket->handle(), reinterpret_cast<sockaddr*>(&out), &length) == 0;
}

}  // namespace

// ---- Transfers --------------------------------------------------------------------

HRESULT zkFTPclient::NameList(VARIANT* Directory, LONG* rc) {
    return com::guard([&] { return startTransfer(Transfer::Listing, ftp::nlstCommand(optionalText(Directory)), {}, rc); });
}

HRESULT zkFTPclient::List(VARIANT* Directory, LONG* rc) {
    return com::guard([&] { return startTransfer(Transfer::Listing, ftp::listCommand(optionalText(Directory)), {}, rc); });
}

HRESULT zkFTPclient::Retrieve(BSTR* SourceFile, VARIANT* HostFileName, LONG* rc) {
    return com::guard([&] {
        return startTransfer(Transfer::Retrieve, ftp::retrCommand(ansiOf(SourceFile)), optionalText(HostFileName), rc);
    });
}

HRESULT zkFTPclient::Store(BSTR* SourceFile, VARIANT* HostFileName, LONG* rc) {
    return com::guard([&] {
        return startTransfer(Transfer::Store, ftp::storCommand(ansiOf(SourceFile)), optionalText(HostFileName), rc);
    });
}

HRESULT zkFTPclient::startTransfer(Transfer kind, const std::string& command, const std::string& hostFile, LONG* rc) {
    COM_TRACE("zkFTPclient transfer (state %d)", static_cast<int>(m_state));
    if (!rc) return E_POINTER;
    *rc = 0;
    if (m_state != State::Ready) return RaiseLibError(2, IID__zkFTPclient);
    if (!ftp::argumentSafe(command)) return RaiseLibError(1, IID__zkFTPclient);
    win32::File file;
    std::int64_t size = 0;
    if (kind == Transfer::Retrieve && !hostFile.empty()) {
        DeleteFileA(hostFile.c_str());
        file.reset(CreateFileA(hostFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return RaiseLibError(3, IID__zkFTPclient);
    } else if (kind == Transfer::Store && !hostFile.empty()) {
        file.reset(CreateFileA(hostFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
        LARGE_INTEGER length{};
        if (!file || !GetFileSizeEx(file.get(), &length) || length.QuadPart == 0) {
            return RaiseLibError(3, IID__zkFTPclient);
        }
        size = length.QuadPart;
    }
    m_file = std::move(file);
    m_hostFile = hostFile;
    m_transfer = kind;
    m_count = 0;
    m_bytesLeft = size;
    m_ahead.clear();
    m_aheadAt = 0;
    m_parkedCommand = command;
    m_parkedState = kind == Transfer::Listing    ? State::ListSent
                    : kind == Transfer::Retrieve ? State::RetrSent
                                                 : State::StorSent;
    m_buffer.clear();
    // Every transfer gets a data connection of its own: one left over from
    // the last has done its work, and the server expects a new one.
    const LONG r = openDataConnection({});
    if (r != 0) {
        m_parkedCommand.clear();
        closeLocalFile(kind == Transfer::Retrieve);
        closeDataSocket();
        m_transfer = Transfer::None;
        m_state = State::Ready;
    }
    *rc = r;
    return S_OK;
}

LONG zkFTPclient::openDataConnection(const std::string& replyText) {
    if (m_PassiveMode && replyText.empty()) {
        closeDataSocket();
        m_state = State::PasvSent;
        return sendCommand(std::string(ftp::kPasv), Owner::Step);
    }
    closeDataSocket();
    sockaddr_in local{};
    if (!addressOf(&intgetsockname, m_control.get(), local)) return intWSAGetLastError();
    local.sin_port = 0;
    const com::ComPtr<_zkSockName> localName = nameOf(local);
    if (m_PassiveMode) {
        // Only the port is taken from the reply: the data connection goes to
        // the server we are talking to, never to an address it names.
        const std::optional<ftp::Endpoint> endpoint = ftp::parsePasvReply(replyText);
        if (!endpoint) return -1;
        sockaddr_in peer{};
        if (!addressOf(&intgetpeername, m_control.get(), peer)) return intWSAGetLastError();
        peer.sin_port = inthtons(endpoint->port);
        LONG error = 0;
        m_data = m_tcps->clientSocket(localName.get(), error);
        if (!m_data) return error != 0 ? error : -1;
        widenForDownload(*m_data);
        const LONG connectError = startConnect(*m_data, peer);
        if (connectError == 0) {
            m_state = State::DataConnecting;
            return 0;
        }
        closeDataSocket();
        return connectError;
    }
    _zkSockName* ref = localName.get();
    com::ComPtr<_zkSocket> listening;
    m_tcps->CreateTCPServerSocket(&ref, 0, listening.put());
    // A listening socket that cannot be made fails the transfer's start,
    // rather than leaving a transfer that never begins.
    if (!listening) return intWSAGetLastError() != 0 ? intWSAGetLastError() : -1;
    m_data = own<zkSocket>(listening.get());
    // The accepted connection takes the listening socket's buffer.
    widenForDownload(*m_data);
    sockaddr_in bound{};
    if (!addressOf(&intgetsockname, m_data.get(), bound)) return intWSAGetLastError();
    ftp::Endpoint endpoint;
    std::memcpy(endpoint.address.data(), &bound.sin_addr.s_addr, endpoint.address.size());
    endpoint.port = intntohs(bound.sin_port);
    m_state = State::PortSent;
    return sendCommand(ftp::portCommand(endpoint), Owner::Step);
}

void zkFTPclient::widenForDownload(zkSocket& socket) const noexcept {
    if (m_transfer != Transfer::Store) socket.WidenReceiveBuffer(kBulkReceiveBuffer);
}

LONG zkFTPclient::sendParked() {
    if (m_parkedCommand.empty()) return 0;
    m_state = m_parkedState;
    std::string command;
    command.swap(m_parkedCommand);
    return sendCommand(command, Owner::Step);
}

LONG zkFTPclient::sendFileChunks() {
    for (;;) {
        if (!m_data) {
            if (m_bytesLeft != 0) return -1;
            finishStoreSend();
            return 0;
        }
        // One piece at a time waits in the socket's queue: a slow server
        // never makes the client hold more of the file than one block.
        if (m_data->queuedBytes() > 0) {
            LONG ignored = 0;
            m_data->PumpSendQueue(ignored);
            if (m_data->queuedBytes() > 0) return 0;
        }
        // The data connection closes only once the last bytes went out.
        if (m_bytesLeft == 0) {
            finishStoreSend();
            return 0;
        }
        const size_t size = static_cast<size_t>(std::min<std::int64_t>(kPieceSize, m_bytesLeft));
        const std::uint8_t* piece = nextPiece(size);
        if (!piece) return -1;
        // Handed to the socket as it is: no array is made for the piece.
        LONG error = 0, sent = 0;
        try {
            sent = m_data->SendBytes({piece, size}, error);
        } catch (const std::bad_alloc&) {
            return -1;
        }
        if (sent < 0 && error != kWSAEWOULDBLOCK) return -1;
        m_count += static_cast<std::int64_t>(size);
        m_bytesLeft -= static_cast<std::int64_t>(size);
    }
}

const std::uint8_t* zkFTPclient::nextPiece(size_t size) {
    if (m_aheadAt + size > m_ahead.size()) {
        // A block of whole pieces, or the rest of the file: either is cut
        // into pieces exactly.
        const size_t block = static_cast<size_t>(std::min<std::int64_t>(kReadAhead, m_bytesLeft));
        try {
            m_ahead.resize(block);
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
        DWORD read = 0;
        if (!m_file || !ReadFile(m_file.get(), m_ahead.data(), static_cast<DWORD>(block), &read, nullptr) ||
            read != block) {
            return nullptr;
        }
        m_aheadAt = 0;
    }
    const std::uint8_t* piece = m_ahead.data() + m_aheadAt;
    m_aheadAt += size;
    return piece;
}

void zkFTPclient::finishStoreSend() {
    closeLocalFile(false);
    closeDataSocket();
    m_state = State::StoreFinishing;
}

void zkFTPclient::finishTransfer() {
    if (m_file) {
        closeLocalFile(false);
    } else if (m_state == State::RetrSent || m_state == State::RetrDraining) {
        raiseDataReceived();
    }
    m_transfer = Transfer::None;
    m_state = State::Ready;
    raiseReady();
}

void zkFTPclient::dropTransfer() {
    m_parkedCommand.clear();
    closeLocalFile(m_transfer == Transfer::Retrieve);
    closeDataSocket();
    m_buffer.clear();
    m_transfer = Transfer::None;
}

void zkFTPclient::abandonTransfer(LONG objectError) {
    dropTransfer();
    m_state = State::Ready;
    raiseObjectError(objectError);
}

void zkFTPclient::failConnection() {
    // A download cut off with its connection is no file to keep.
    closeLocalFile(m_transfer == Transfer::Retrieve);
    resetAll(true);
    raiseObjectError(4);
}

// ---- Socket events ------------------------------------------------------------------

void zkFTPclient::tcpConnectComplete(zkSocket& socket) {
    const com::ComPtr<zkFTPclient> self(this);
    if (&socket == m_control.get()) {
        // USER waits for the server's greeting.
        if (m_state == State::Connecting) m_state = State::Connected;
        return;
    }
    if (&socket != m_data.get() || m_state != State::DataConnecting) return;
    if (m_parkedCommand.empty()) {
        m_state = State::Ready;
        raiseReady();
        return;
    }
    if (sendParked() != 0) abandonTransfer(3);
}

void zkFTPclient::tcpDataReceived(zkSocket& socket, std::span<const std::uint8_t> bytes) {
    const com::ComPtr<zkFTPclient> self(this);
    const std::string_view piece(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (&socket == m_control.get()) {
        controlText(piece);
        return;
    }
    if (&socket != m_data.get()) return;
    const bool listing = m_transfer == Transfer::Listing;
    if (m_state == State::ListSent || (listing && m_state == State::RetrDraining)) {
        if (!m_buffer.append(piece)) abandonTransfer(4);
        return;
    }
    if (m_state != State::RetrSent && m_state != State::RetrDraining) return;
    if (m_file) {
        // A full disk or a locked file ends the download; it never passes
        // for a whole file.
        if (!writeWhole(m_file.get(), bytes)) {
            abandonTransfer(4);
            return;
        }
        m_count += static_cast<std::int64_t>(piece.size());
    } else {
        if (!m_buffer.append(piece)) {
            abandonTransfer(4);
            return;
        }
        m_count = static_cast<std::int64_t>(m_buffer.size());
    }
    raise(events::zkFTPclient::FTPDataTransferred, {com::argLong(count32())});
}

void zkFTPclient::tcpSocketClosed(zkSocket& socket) {
    const com::ComPtr<zkFTPclient> self(this);
    if (&socket == m_control.get()) {
        // The server went away without saying so (no 421): whatever was under
        // way cannot finish.
        if (m_state == State::Disconnected) return;
        failConnection();
        return;
    }
    if (&socket != m_data.get()) return;
    closeDataSocket();
    if (m_state == State::RetrDraining) finishTransfer();
}

void zkFTPclient::tcpSocketError(zkSocket* socket, LONG) {
    const com::ComPtr<zkFTPclient> self(this);
    if (m_state == State::Connecting) {
        raiseObjectError(3);
    } else if (m_state == State::StoreSending) {
        raiseObjectError(4);
    } else if (m_state == State::DataConnecting && socket && socket == m_data.get()) {
        // The server refused the passive data connection: the transfer ends
        // here instead of waiting for a connection that never comes.
        abandonTransfer(3);
    }
}

void zkFTPclient::tcpAcceptComplete(zkSocket& listening, zkSocket& accepted) {
    const com::ComPtr<zkFTPclient> self(this);
    com::ComPtr<zkSocket> newSocket(&accepted);
    // Only the server we talk to may bring the data: anyone else who
    // reaches the announced port first is turned away, and the socket
    // goes on listening.
    sockaddr_in from{}, server{};
    if (&listening != m_data.get() || !addressOf(&intgetpeername, newSocket.get(), from) ||
        !addressOf(&intgetpeername, m_control.get(), server) || from.sin_addr.s_addr != server.sin_addr.s_addr) {
        dropSocket(newSocket);
        return;
    }
    // One connection per transfer: the listening socket goes.
    dropSocket(m_data);
    m_data = std::move(newSocket);
    m_dataLinked = true;
    if (m_state == State::StoreSending && sendFileChunks() != 0) abandonTransfer(3);
}

void zkFTPclient::tcpDataSent(zkSocket& socket) {
    const com::ComPtr<zkFTPclient> self(this);
    if (&socket != m_data.get() || m_state != State::StoreSending) return;
    // Upload progress is always an event, even with a callback object.
    fire(events::zkFTPclient::FTPDataTransferred, {com::argLong(count32())});
    if (isCurrent(m_generation) && m_state == State::StoreSending && sendFileChunks() != 0) abandonTransfer(3);
}

// ---- Events -------------------------------------------------------------------------

LONG zkFTPclient::count32() const noexcept {
    return static_cast<LONG>(std::min<std::int64_t>(m_count, 0x7FFFFFFF));
}

void zkFTPclient::raiseDataReceived() {
    com::Bstr text;
    try {
        text = com::Bstr::fromAnsi(m_buffer.bytes());
    } catch (const std::bad_alloc&) {
        abandonTransfer(4);
        return;
    }
    m_buffer.clear();
    BSTR slot = text.release();
    raise(events::zkFTPclient::FTPDataReceived, {com::refBstr(&slot)});
    SysFreeString(slot);
}

}  // namespace sockloom
