// zkFTPclient.cpp
// The object, its properties, the control connection and its commands,
// and the replies that drive it. The data connection and transfers are
// in zkFTPclient_transfer.cpp.
#include "zkFTPclient.h"

#include <string>
#include <vector>

#include "zkFTPclient_helpers.h"

namespace sockloom {

using namespace GlobalFunctions;
using ftp::Owner;
using ftp::Step;
using ftpclient::ansiOf;
using ftpclient::nameOf;
using ftpclient::startConnect;

LONG ftpclient::startConnect(zkSocket& socket, const sockaddr_in& to) {
    const com::ComPtr<_zkSockName> name = nameOf(to);
    _zkSockName* ref = name.get();
    LONG r = -1;
    const HRESULT hr = socket.Connect(&ref, &r);
    const LONG error = SUCCEEDED(hr) && r == 0 ? 0 : intWSAGetLastError();
    if (SUCCEEDED(hr) && (r == 0 || error == kWSAEWOULDBLOCK)) return 0;
    return error != 0 ? error : -1;
}

HRESULT zkFTPclient::init() {
    m_tcps = com::make<zkTCP>();
    if (!m_tcps) return E_OUTOFMEMORY;
    m_tcps->setListener(this);
    m_tcps->put_InternalEarlyBound(VARIANT_TRUE);
    const com::ComPtr<_zkSockName> any = nameOf(sockaddr_in{});
    LONG error = 0;
    m_control = m_tcps->clientSocket(any.get(), error);
    return S_OK;
}

zkFTPclient::~zkFTPclient() {
    resetAll(false);
    if (m_tcps) {
        m_tcps->put_InternalEarlyBound(VARIANT_FALSE);
        m_tcps->setListener(nullptr);
    }
    m_tcps = nullptr;
}

void* zkFTPclient::queryOther(REFIID riid) noexcept {
    if (riid == IID__zkFTPclient_1_0 || riid == IID__zkFTPclient_1_1) return static_cast<_zkFTPclient*>(this);
    return nullptr;
}

// ---- Properties ---------------------------------------------------------------

HRESULT zkFTPclient::get_User(BSTR* User) {
    return com::guard([&] { return com::ansiToBstr(m_User, User); });
}

HRESULT zkFTPclient::putLogOnText(std::string& field, BSTR value, State next,
                                  std::string (*command)(std::string_view)) {
    return com::guard([&] {
        const std::string text = com::toAnsi(com::bstrView(value));
        // A line break would smuggle a second command to the server.
        if (!ftp::argumentSafe(text)) return RaiseLibError(1, IID__zkFTPclient);
        if (m_state < State::Connected) {
            field = text;
        } else if (m_state == State::Ready) {
            field = text;
            m_state = next;
            if (sendCommand(command(field), Owner::Step) != 0) {
                m_state = State::Ready;
                raiseObjectError(3);
            }
        }
        return S_OK;
    });
}

HRESULT zkFTPclient::put_User(BSTR User) { return putLogOnText(m_User, User, State::UserSent, &ftp::userCommand); }

HRESULT zkFTPclient::put_Password(BSTR Password) {
    return com::guard([&] {
        std::string text = com::toAnsi(com::bstrView(Password));
        if (!ftp::argumentSafe(text)) return RaiseLibError(1, IID__zkFTPclient);
        m_Password = std::move(text);
        return S_OK;
    });
}

HRESULT zkFTPclient::get_Account(BSTR* Account) {
    return com::guard([&] { return com::ansiToBstr(m_Account, Account); });
}

HRESULT zkFTPclient::put_Account(BSTR Account) {
    return putLogOnText(m_Account, Account, State::AcctSent, &ftp::acctCommand);
}

HRESULT zkFTPclient::get_State(SHORT* State) { return give(State, ftp::publicState(m_state)); }

HRESULT zkFTPclient::get_PassiveMode(VARIANT_BOOL* PassiveMode) {
    return give(PassiveMode, com::toVariantBool(m_PassiveMode));
}

HRESULT zkFTPclient::put_PassiveMode(VARIANT_BOOL* PassiveMode) {
    if (!PassiveMode) return E_POINTER;
    if (m_state != State::Disconnected) return RaiseLibError(2, IID__zkFTPclient);
    m_PassiveMode = *PassiveMode != VARIANT_FALSE;
    return S_OK;
}

HRESULT zkFTPclient::get_Port(LONG* Port) { return give(Port, m_Port); }

HRESULT zkFTPclient::put_Port(LONG Port) {
    if (Port < 1 || Port > 65535) return RaiseLibError(1, IID__zkFTPclient);
    m_Port = Port;
    return S_OK;
}

// ---- Connection and commands ---------------------------------------------------

HRESULT zkFTPclient::Connect(BSTR* site, LONG* rc) {
    COM_TRACE("zkFTPclient::Connect (state %d)", static_cast<int>(m_state));
    if (!rc) return E_POINTER;
    *rc = 0;
    return com::guard([&] {
        const std::string host = ansiOf(site);
        // A new connection owes nothing yet and has no half reply.
        m_reader.reset();
        m_router.reset();
        m_controlText.clear();
        const unsigned long address = intinet_addr(host.c_str());
        if (address == INADDR_NONE) {
            m_state = State::Resolving;
            const com::Bstr name = com::Bstr::fromAnsi(host);
            LONG task = 0;
            m_tcps->WSAAsyncGetHostByName(name.get(), &task);
            m_task = task;
            if (task == 0) {
                *rc = intWSAGetLastError();
                m_state = State::Disconnected;
            }
            return S_OK;
        }
        m_state = State::AddressKnown;
        *rc = connectControl(address);
        return S_OK;
    });
}

LONG zkFTPclient::connectControl(ULONG address) {
    if (m_state != State::AddressKnown) return -1;
    if (!m_control) {
        m_state = State::Disconnected;
        return kWSAEFAULT;
    }
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = address;
    to.sin_port = inthtons(static_cast<u_short>(m_Port));
    const LONG error = startConnect(*m_control, to);
    if (error == 0) {
        m_state = State::Connecting;
        m_router.expect(Owner::Greeting);
        return 0;
    }
    m_state = State::Disconnected;
    return error;
}

LONG zkFTPclient::sendCommand(const std::string& text, Owner owner) {
    const std::optional<std::string> bytes = ftp::commandBytes(text);
    if (!bytes || !m_control) return -1;
    VARIANT buffer;
    com::Variant::fromBytes({reinterpret_cast<const BYTE*>(bytes->data()), bytes->size()}).releaseTo(&buffer);
    LONG error = 0, sent = 0;
    const HRESULT hr = m_control->Send(&buffer, &error, &sent);
    VariantClear(&buffer);
    if (SUCCEEDED(hr) && (sent > 0 || error == kWSAEWOULDBLOCK || (sent == 0 && error == 0))) {
        m_router.expect(owner);
        return 0;
    }
    // A command that could not go must not go later, ahead of others, once
    // the connection exists.
    m_control->ClearSendQueue();
    return error != 0 ? error : -1;
}

HRESULT zkFTPclient::sendAside(std::string_view command) {
    return com::guard([&] {
        if (sendCommand(std::string(command), Owner::Aside) != 0) raiseObjectError(3);
        return S_OK;
    });
}

HRESULT zkFTPclient::Ascii() { return sendAside(ftp::kTypeAscii); }

HRESULT zkFTPclient::Binary() { return sendAside(ftp::kTypeBinary); }

HRESULT zkFTPclient::changeFolder(const std::string& command, LONG* rc) {
    if (!rc) return E_POINTER;
    *rc = 0;
    if (m_state != State::Ready) return RaiseLibError(2, IID__zkFTPclient);
    if (!ftp::argumentSafe(command)) return RaiseLibError(1, IID__zkFTPclient);
    return com::guard([&] {
        *rc = sendCommand(command, Owner::Step);
        if (*rc == 0) m_state = State::CwdSent;
        return S_OK;
    });
}

HRESULT zkFTPclient::chDir(BSTR* Directory, LONG* rc) {
    return com::guard([&] { return changeFolder(ftp::cwdCommand(ansiOf(Directory)), rc); });
}

HRESULT zkFTPclient::chDirParent(LONG* rc) { return changeFolder(std::string(ftp::kCdup), rc); }

HRESULT zkFTPclient::Abort(LONG* rc) {
    if (!rc) return E_POINTER;
    *rc = 0;
    if (m_state == State::Disconnected || m_state == State::Ready) return RaiseLibError(2, IID__zkFTPclient);
    return com::guard([&] {
        if (!ftp::isTransferState(m_state)) {
            *rc = sendCommand(std::string(ftp::kAbort), Owner::Aside);
            return S_OK;
        }
        // The transfer ends here, whatever the server does next: nothing
        // more is read into the local file or raised as progress, and a
        // part download is not kept.
        dropTransfer();
        m_state = State::Aborting;
        *rc = sendAbort();
        if (*rc != 0) m_state = State::Ready;
        return S_OK;
    });
}

LONG zkFTPclient::sendAbort() {
    if (!m_control) return -1;
    auto bytesOf = [](std::string_view text) {
        return std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    };
    LONG error = 0;
    if (m_control->SendBytes(bytesOf(ftp::kTelnetInterrupt), error) == SOCKET_ERROR && error != kWSAEWOULDBLOCK) {
        m_control->ClearSendQueue();
        return error != 0 ? error : -1;
    }
    // Urgent bytes go ahead of any still waiting in the queue: then the
    // mark goes in line, without the urgency.
    if (m_control->queuedBytes() == 0) {
        VARIANT mark;
        com::Variant::fromBytes(bytesOf(ftp::kTelnetDataMark)).releaseTo(&mark);
        LONG sent = 0;
        m_control->SendOOB(&mark, &error, &sent);
        VariantClear(&mark);
    } else {
        m_control->SendBytes(bytesOf(ftp::kTelnetDataMark), error);
    }
    return sendCommand(std::string(ftp::kAbort), Owner::Abort);
}

HRESULT zkFTPclient::Disconnect(LONG* rc) {
    if (!rc) return E_POINTER;
    *rc = 0;
    return com::guard([&] {
        resetAll(true);
        return S_OK;
    });
}

HRESULT zkFTPclient::Reset() {
    return com::guard([&] {
        resetAll(true);
        return S_OK;
    });
}

void zkFTPclient::resetAll(bool remake) {
    ++m_generation;
    if (m_task != 0) {
        if (zkSockets* s = m_tcps ? m_tcps->sockets() : nullptr) s->CancelAsyncRequest(m_task);
        m_task = 0;
    }
    closeLocalFile(false);
    closeDataSocket();
    dropSocket(m_control);
    if (remake && m_tcps) {
        const com::ComPtr<_zkSockName> any = nameOf(sockaddr_in{});
        LONG error = 0;
        m_control = m_tcps->clientSocket(any.get(), error);
    }
    m_reader.reset();
    m_router.reset();
    m_controlText.clear();
    m_parkedCommand.clear();
    m_transfer = Transfer::None;
    m_buffer.clear();
    m_state = State::Disconnected;
}

void zkFTPclient::dropSocket(com::ComPtr<zkSocket>& socket) {
    if (!socket) return;
    _zkSocket* s = socket.get();
    if (m_tcps) m_tcps->DestroyTCPSocket(&s);
    socket = nullptr;
}

void zkFTPclient::closeDataSocket() {
    dropSocket(m_data);
    m_dataLinked = false;
}

void zkFTPclient::closeLocalFile(bool deleteIt) {
    const bool wasOpen = static_cast<bool>(m_file);
    m_file.reset();
    std::vector<std::uint8_t>().swap(m_ahead);
    m_aheadAt = 0;
    if (wasOpen && deleteIt && !m_hostFile.empty()) DeleteFileA(m_hostFile.c_str());
}

// ---- Replies ------------------------------------------------------------------------

void zkFTPclient::controlText(std::string_view bytes) {
    m_controlText.append(bytes);
    if (m_busy) {
        // A handler is letting messages in; a server that keeps talking
        // meanwhile cannot make the text grow without end.
        if (m_controlText.size() > ftp::ReplyReader::kMaxPending) failConnection();
        return;
    }
    const com::ComPtr<zkFTPclient> self(this);
    m_busy = true;
    while (!m_controlText.empty()) {
        // The text taken belongs to the connection of this generation.
        const std::uint64_t generation = m_generation;
        std::string text;
        text.swap(m_controlText);
        const ftp::ReplyBatch batch = m_reader.feed(text);
        if (batch.overflow) {
            failConnection();
            continue;
        }
        for (const ftp::Reply& reply : batch.replies) {
            if (!isCurrent(generation)) break;
            handleReply(reply);
        }
    }
    m_busy = false;
}

void zkFTPclient::handleReply(const ftp::Reply& reply) {
    // Where a reply is owed, a line without a code means the peer is no FTP
    // server (or lost its way): waiting for a reply would wait for ever.
    if (!ftp::hasReplyCode(reply) && m_router.owed() > 0) {
        failConnection();
        return;
    }
    const Owner owner = m_router.route(reply);
    if (owner == Owner::Abort && m_state == State::Aborting) {
        run(ftp::handleAbortReply(reply));
        return;
    }
    if (!ftp::drivesState(owner, reply)) return;
    ftp::Context c;
    c.user = m_User;
    c.password = m_Password;
    c.account = m_Account;
    c.passiveMode = m_PassiveMode;
    c.dataSocketOpen = m_data != nullptr;
    c.dataLinked = m_dataLinked;
    c.commandParked = !m_parkedCommand.empty();
    run(ftp::handleReplies(m_state, {reply}, c));
}

bool zkFTPclient::run(const std::vector<Step>& steps) {
    const std::uint64_t generation = m_generation;
    for (const Step& s : steps) {
        // A handler may have reset the object or started something new.
        if (!isCurrent(generation)) return true;
        bool ok = true;
        switch (s.kind) {
        case Step::Kind::SetState:
            m_state = static_cast<State>(s.number);
            if (m_state == State::Ready) m_transfer = Transfer::None;
            break;
        case Step::Kind::Send:
            ok = sendCommand(s.text, Owner::Step) == 0;
            break;
        case Step::Kind::SendParked:
            ok = sendParked() == 0;
            break;
        case Step::Kind::OpenDataConnection:
            ok = openDataConnection(s.text) == 0;
            break;
        case Step::Kind::SendFileChunks:
            ok = sendFileChunks() == 0;
            break;
        case Step::Kind::FinishTransfer:
            finishTransfer();
            break;
        case Step::Kind::DeliverData:
            raiseDataReceived();
            break;
        case Step::Kind::DropParked:
            m_parkedCommand.clear();
            break;
        case Step::Kind::CloseLocalFile:
            closeLocalFile(false);
            break;
        case Step::Kind::DeleteLocalFile:
            if (m_transfer == Transfer::Retrieve && !m_hostFile.empty()) DeleteFileA(m_hostFile.c_str());
            break;
        case Step::Kind::CloseDataSocket:
            closeDataSocket();
            break;
        case Step::Kind::FtpError: {
            const com::Bstr code = com::Bstr::fromAnsi(s.code);
            const com::Bstr text = com::Bstr::fromAnsi(s.text);
            raise(events::zkFTPclient::FTPError, {com::argBstr(code.get()), com::argBstr(text.get())});
            break;
        }
        case Step::Kind::Ready:
            raiseReady();
            break;
        case Step::Kind::ObjectError:
            raiseObjectError(s.number);
            break;
        case Step::Kind::Reset:
            closeLocalFile(m_transfer == Transfer::Retrieve);
            resetAll(true);
            break;
        }
        if (!ok) {
            if (m_transfer != Transfer::None) {
                abandonTransfer(3);
            } else {
                m_state = State::Ready;
                raiseObjectError(3);
            }
            return false;
        }
    }
    return true;
}

// ---- Socket events: the host look-up ---------------------------------------------

void zkFTPclient::tcpHostResolved(LONG AsyncHandle, _zkHostEnt* host) {
    if (m_state != State::Resolving || AsyncHandle != m_task || m_task == 0) return;
    m_task = 0;
    SHORT count = 0;
    LONG address = 0;
    if (host && SUCCEEDED(host->get_AddressCount(&count)) && count > 0 && SUCCEEDED(host->get_Address(1, &address))) {
        m_state = State::AddressKnown;
        if (connectControl(static_cast<ULONG>(address)) != 0) raiseObjectError(2);
        return;
    }
    m_state = State::Disconnected;
    raiseObjectError(1);
}

void zkFTPclient::tcpAsyncError(LONG AsyncHandle, LONG) {
    if (m_state != State::Resolving || AsyncHandle != m_task || m_task == 0) return;
    m_task = 0;
    m_state = State::Disconnected;
    raiseObjectError(1);
}

}  // namespace sockloom
