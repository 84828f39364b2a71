// zkSocket.cpp
#include "zkSocket.h"

#include <algorithm>
#include <vector>

#include "core/read_result.h"
#include "zkSockName.h"
#include "zkSockets.h"

namespace sockloom {

using namespace GlobalFunctions;

namespace {

constexpr int kAddressSize = sizeof(sockaddr_in);
// What a datagram socket reads when Windows Sockets reports no maximum
// (Winsock 2 leaves iMaxUdpDg 0): the largest UDP payload.
constexpr LONG kLargestDatagram = 65507;
constexpr int kOutOfBandBuffer = 8192;

enum SelectSet { kRead, kWrite, kExcept };

// Sends through sockgate to the connected peer, or to a destination; the
// error is read at once after a failing call, before anything else can
// overwrite it.
class GateChannel final : public SendChannel {
public:
    GateChannel(SOCKET handle, const sockaddr_in* to) noexcept : m_handle(handle), m_to(to) {}

    SendOutcome send(const std::uint8_t* bytes, int count, bool outOfBand) override {
        const char* data = reinterpret_cast<const char*>(bytes);
        const int flags = outOfBand ? MSG_OOB : 0;
        const int r =
            m_to ? intsendto(m_handle, data, count, flags, reinterpret_cast<const sockaddr*>(m_to), kAddressSize)
                 : intsend(m_handle, data, count, flags);
        return {r, r == SOCKET_ERROR ? intWSAGetLastError() : 0};
    }

private:
    SOCKET m_handle;
    const sockaddr_in* m_to;
};

// The caller's object behind a by-reference object argument, or null.
_zkSockName* named(_zkSockName** name) noexcept { return name ? *name : nullptr; }

// Replaces an [in, out] object argument with a new reference.
template <typename I>
void replaceRef(I** slot, com::ComPtr<I> value) noexcept {
    if (!slot) return;
    if (*slot) (*slot)->Release();
    *slot = value.detach();
}

// The value of a read, as its ReadValue says: bytes are the count read,
// requested what the read asked for.
HRESULT readValue(ReadValue shape, std::span<const std::uint8_t> bytes, LONG requested, VARIANT* out) {
    com::Variant v;
    switch (shape) {
    case ReadValue::Nothing:
        break;
    case ReadValue::Bytes:
        v = com::Variant::fromBytes({reinterpret_cast<const BYTE*>(bytes.data()), bytes.size()});
        break;
    case ReadValue::NoBytes:
        v = com::Variant::fromBytes({});
        break;
    case ReadValue::OneZeroByte: {
        const BYTE zero = 0;
        v = com::Variant::fromBytes({&zero, 1});
        break;
    }
    case ReadValue::ZeroFilledBuffer: {
        const std::vector<BYTE> zeros(requested > 0 ? static_cast<size_t>(requested) : 1, 0);
        v = com::Variant::fromBytes(zeros);
        break;
    }
    }
    return v.releaseTo(out);
}

// The one-dimensional byte array a by-reference VARIANT holds, or null.
// hasArray tells a byte array (possibly a null SAFEARRAY pointer, which
// stands for an empty one) from anything else.
SAFEARRAY* byteArrayOf(const VARIANT& v, bool& hasArray) noexcept {
    hasArray = false;
    if (!com::isByteArray(v)) return nullptr;
    const VARIANT& d = com::deref(v);
    SAFEARRAY* a = d.vt == (VT_ARRAY | VT_UI1) ? d.parray : (d.pparray ? *d.pparray : nullptr);
    if (a && SafeArrayGetDim(a) != 1) return nullptr;
    hasArray = true;
    return a;
}

}  // namespace

zkSocket::~zkSocket() {
    if (m_handle != INVALID_SOCKET) intclosesocket(m_handle);
    m_handle = INVALID_SOCKET;
}

void* zkSocket::queryOther(REFIID riid) noexcept { return riid == OwnId<zkSocket>::value ? this : nullptr; }

size_t zkSocket::queuedBytes() const noexcept { return m_queues.count(); }

HRESULT zkSocket::get_UserVariable1(LONG* UserVariable1) { return give(UserVariable1, m_UserVariable1); }

HRESULT zkSocket::put_UserVariable1(LONG UserVariable1) {
    m_UserVariable1 = UserVariable1;
    return S_OK;
}

HRESULT zkSocket::get_Socket(LONG* Socket) { return give(Socket, static_cast<LONG>(m_handle)); }

HRESULT zkSocket::getOption(LONG level, LONG option, LONG* Result, LONG* rc) noexcept {
    if (!Result || !rc) return E_POINTER;
    LONG value = *Result;
    int length = sizeof value;
    *rc = intgetsockopt(m_handle, level, option, reinterpret_cast<char*>(&value), &length);
    if (*rc == 0) *Result = value;
    return S_OK;
}

HRESULT zkSocket::setOption(LONG level, LONG option, const VARIANT& value, LONG* rc) noexcept {
    if (!rc) return E_POINTER;
    LONG v = 0;
    if (HRESULT hr = com::toLong(value, v); FAILED(hr)) {
        return hr == DISP_E_OVERFLOW ? RaiseOverflow(IID__zkSocket) : RaiseTypeMismatch(IID__zkSocket);
    }
    *rc = intsetsockopt(m_handle, level, option, reinterpret_cast<const char*>(&v), sizeof v);
    return S_OK;
}

void zkSocket::WidenReceiveBuffer(LONG bytes) noexcept {
    LONG size = 0;
    int length = sizeof size;
    if (intgetsockopt(m_handle, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<char*>(&size), &length) == 0 && size >= bytes) {
        return;
    }
    intsetsockopt(m_handle, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&bytes), sizeof bytes);
}

HRESULT zkSocket::GetSocketOption(LONG SocketOption, LONG* Result, LONG* rc) {
    return getOption(SOL_SOCKET, SocketOption, Result, rc);
}

HRESULT zkSocket::GetTCPOption(LONG SocketOption, LONG* Result, LONG* rc) {
    return getOption(IPPROTO_TCP, SocketOption, Result, rc);
}

HRESULT zkSocket::SetSocketOption(LONG SocketOption, VARIANT Newvalue, LONG* rc) {
    return setOption(SOL_SOCKET, SocketOption, Newvalue, rc);
}

HRESULT zkSocket::SetTCPOption(LONG SocketOption, VARIANT Newvalue, LONG* rc) {
    return setOption(IPPROTO_TCP, SocketOption, Newvalue, rc);
}

HRESULT zkSocket::addressOf(int(WINAPI* query)(SOCKET, sockaddr*, int*), _zkSockName** out) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    return com::guard([&] {
        sockaddr_in address{};
        int length = kAddressSize;
        if (query(m_handle, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            *out = zkSockName::fromSockAddr(address).detach();
        }
        return S_OK;
    });
}

HRESULT zkSocket::get_SocketName(_zkSockName** SocketName) { return addressOf(&intgetsockname, SocketName); }

HRESULT zkSocket::get_PeerName(_zkSockName** PeerName) { return addressOf(&intgetpeername, PeerName); }

HRESULT zkSocket::Listen(VARIANT Backlog, LONG* rc) {
    if (!rc) return E_POINTER;
    LONG backlog = 1;
    if (!com::isMissing(Backlog)) {
        if (HRESULT hr = com::toLong(Backlog, backlog); FAILED(hr)) {
            return hr == DISP_E_OVERFLOW ? RaiseOverflow(IID__zkSocket) : RaiseTypeMismatch(IID__zkSocket);
        }
    }
    *rc = intlisten(m_handle, backlog);
    return S_OK;
}

HRESULT zkSocket::Accept(_zkSockets** SocketList, _zkSockName** ConnectedName, _zkSocket** NewSocket) {
    COM_TRACE("zkSocket::Accept(handle %lu)", static_cast<unsigned long>(m_handle));
    if (!NewSocket) return E_POINTER;
    *NewSocket = nullptr;
    // The new socket must join a collection of this library to be heard
    // from; Nothing or a foreign object is refused before anything is
    // accepted.
    com::ComPtr<zkSockets> list = own<zkSockets>(SocketList ? *SocketList : nullptr);
    if (!list) return RaiseLibError(1, IID__zkSocket);
    return com::guard([&] {
        sockaddr_in peer{};
        int length = kAddressSize;
        const SOCKET h = intaccept(m_handle, reinterpret_cast<sockaddr*>(&peer), &length);
        if (h == INVALID_SOCKET) return S_OK;
        com::ComPtr<zkSocket> accepted = com::make<zkSocket>();
        accepted->SetHandle(h);
        replaceRef(ConnectedName, zkSockName::fromSockAddr(peer));
        list->AddSocket(accepted);
        *NewSocket = accepted.detach();
        return S_OK;
    });
}

HRESULT zkSocket::Bind(_zkSockName** Name, LONG* rc) {
    if (!rc) return E_POINTER;
    sockaddr_in address{};
    if (FAILED(SockNameToSockAddr(named(Name), address))) return RaiseLibError(1, IID__zkSocket);
    *rc = intbind(m_handle, reinterpret_cast<const sockaddr*>(&address), kAddressSize);
    return S_OK;
}

HRESULT zkSocket::Connect(_zkSockName** SocketName, LONG* rc) {
    if (!rc) return E_POINTER;
    sockaddr_in address{};
    if (FAILED(SockNameToSockAddr(named(SocketName), address))) return RaiseLibError(1, IID__zkSocket);
    *rc = intconnect(m_handle, reinterpret_cast<const sockaddr*>(&address), kAddressSize);
    return S_OK;
}

HRESULT zkSocket::GetAvailableData(LONG* Count) {
    if (!Count) return E_POINTER;
    *Count = 0;
    if (m_handle == INVALID_SOCKET) return S_OK;
    u_long n = 0;
    if (intioctlsocket(m_handle, FIONREAD, &n) == 0) *Count = static_cast<LONG>(n);
    return S_OK;
}

HRESULT zkSocket::IsOOBAvailable(VARIANT_BOOL* Available) {
    if (!Available) return E_POINTER;
    *Available = VARIANT_FALSE;
    if (m_handle == INVALID_SOCKET) return S_OK;
    // SIOCATMARK answers "no urgent data waiting" with a non-zero value.
    u_long atMark = 1;
    if (intioctlsocket(m_handle, SIOCATMARK, &atMark) == 0 && atMark == 0) *Available = VARIANT_TRUE;
    return S_OK;
}

bool zkSocket::selected(int set) const noexcept {
    fd_set fds;
    fds.fd_count = 1;
    fds.fd_array[0] = m_handle;
    timeval zero{0, 0};
    const int r = intselect(0, set == kRead ? &fds : nullptr, set == kWrite ? &fds : nullptr,
                            set == kExcept ? &fds : nullptr, &zero);
    // A failed select leaves the set as it was: it says nothing.
    return r > 0 && fds.fd_count != 0;
}

HRESULT zkSocket::get_IsReadable(VARIANT_BOOL* IsReadable) {
    return give(IsReadable, com::toVariantBool(selected(kRead)));
}

HRESULT zkSocket::get_IsWriteable(VARIANT_BOOL* IsWriteable) {
    return give(IsWriteable, com::toVariantBool(selected(kWrite)));
}

HRESULT zkSocket::get_IsExceptionTriggered(VARIANT_BOOL* IsExceptionTriggered) {
    return give(IsExceptionTriggered, com::toVariantBool(selected(kExcept)));
}

zkSocket::StreamRead zkSocket::readStream(ReadBuffer& buffer, bool outOfBand) {
    if (outOfBand) {
        const LONG size = isDatagram() && m_MaxDatagram > 0 ? m_MaxDatagram : kOutOfBandBuffer;
        char* into = buffer.room(static_cast<size_t>(size));
        const int r = intrecv(m_handle, into, size, MSG_OOB);
        return {readReport(ReadCall::recvoob, isDatagram(), r, r == SOCKET_ERROR ? intWSAGetLastError() : 0), size};
    }
    LONG size = m_MaxDatagram;
    if (!isDatagram()) {
        GetAvailableData(&size);
        // A stream read takes no more than the reader lent, so the bytes
        // land where it wants them; the rest waits for the next notice.
        if (buffer.lent() > 0 && static_cast<size_t>(size) > buffer.lent()) {
            size = static_cast<LONG>(std::min<size_t>(buffer.lent(), 0x7FFFFFFF));
        }
    }
    char* into = buffer.room(size > 0 ? static_cast<size_t>(size) : 1);
    if (size <= 0) {
        const int r = intrecv(m_handle, into, 0, 0);
        return {nothingWaitingReport(r, r == SOCKET_ERROR ? intWSAGetLastError() : 0), size};
    }
    const int r = intrecv(m_handle, into, size, 0);
    return {readReport(ReadCall::recv, isDatagram(), r, r == SOCKET_ERROR ? intWSAGetLastError() : 0), size};
}

LONG zkSocket::ReadInto(ReadBuffer& buffer, bool outOfBand, LONG& ErrorCode) {
    const StreamRead read = readStream(buffer, outOfBand);
    ErrorCode = read.report.ErrorCode;
    return read.report.BytesRead;
}

HRESULT zkSocket::recv(LONG* BytesRead, LONG* ErrorCode, VARIANT* Data) {
    if (!BytesRead || !ErrorCode || !Data) return E_POINTER;
    VariantInit(Data);
    return com::guard([&] {
        const StreamRead read = readStream(m_readBuffer, false);
        *BytesRead = read.report.BytesRead;
        *ErrorCode = read.report.ErrorCode;
        return readValue(read.report.value, m_readBuffer.view(static_cast<size_t>(read.report.BytesRead)),
                         read.requested, Data);
    });
}

HRESULT zkSocket::recvoob(LONG* BytesRead, LONG* ErrorCode, VARIANT* Data) {
    if (!BytesRead || !ErrorCode || !Data) return E_POINTER;
    VariantInit(Data);
    return com::guard([&] {
        const StreamRead read = readStream(m_readBuffer, true);
        *BytesRead = read.report.BytesRead;
        *ErrorCode = read.report.ErrorCode;
        return readValue(read.report.value, m_readBuffer.view(static_cast<size_t>(read.report.BytesRead)),
                         read.requested, Data);
    });
}

HRESULT zkSocket::recvfrom(LONG* BytesRead, LONG* ErrorCode, _zkSockName** PeerName, VARIANT* Data) {
    if (!BytesRead || !ErrorCode || !Data) return E_POINTER;
    VariantInit(Data);
    return com::guard([&] {
        LONG size = m_MaxDatagram;
        if (!isDatagram()) GetAvailableData(&size);
        char* into = m_readBuffer.room(size > 0 ? static_cast<size_t>(size) : 1);
        ReadReport report{};
        if (size <= 0) {
            const int r = intrecv(m_handle, into, 0, 0);
            report = nothingWaitingReport(r, r == SOCKET_ERROR ? intWSAGetLastError() : 0);
        } else {
            sockaddr_in from{};
            int length = kAddressSize;
            const int r = intrecvfrom(m_handle, into, size, 0, reinterpret_cast<sockaddr*>(&from), &length);
            report = readReport(ReadCall::recvfrom, isDatagram(), r, r == SOCKET_ERROR ? intWSAGetLastError() : 0);
            if (r == SOCKET_ERROR) from = sockaddr_in{};
            if (_zkSockName* peer = named(PeerName)) SockAddrToSockName(from, peer);
        }
        *BytesRead = report.BytesRead;
        *ErrorCode = report.ErrorCode;
        return readValue(report.value, m_readBuffer.view(static_cast<size_t>(report.BytesRead)), size, Data);
    });
}

HRESULT zkSocket::queueAndPump(VARIANT* Buffer, LONG* ErrorCode, LONG* rc, bool outOfBand) {
    COM_TRACE("zkSocket send (handle %lu, out of band %d)", static_cast<unsigned long>(m_handle), outOfBand ? 1 : 0);
    if (!ErrorCode || !rc) return E_POINTER;
    *rc = 0;
    bool hasArray = false;
    SAFEARRAY* array = Buffer ? byteArrayOf(*Buffer, hasArray) : nullptr;
    if (!hasArray) {
        *ErrorCode = kWSAEFAULT;
        return S_OK;
    }
    const ULONG count = com::elementCount(array);
    if (count > 0) {
        com::SafeArrayAccess access(array);
        if (!access.ok()) return access.result();
        ByteQueue& q = outOfBand ? m_queues.outOfBand() : m_queues.normal();
        q.append({static_cast<const std::uint8_t*>(access.data()), count});
    }
    *rc = PumpSendQueue(*ErrorCode);
    return S_OK;
}

LONG zkSocket::SendBytes(std::span<const std::uint8_t> bytes, LONG& ErrorCode) {
    if (!bytes.empty()) m_queues.normal().append(bytes);
    return PumpSendQueue(ErrorCode);
}

HRESULT zkSocket::Send(VARIANT* Buffer, LONG* ErrorCode, LONG* rc) {
    return com::guard([&] { return queueAndPump(Buffer, ErrorCode, rc, false); });
}

HRESULT zkSocket::SendOOB(VARIANT* Buffer, LONG* ErrorCode, LONG* rc) {
    return com::guard([&] { return queueAndPump(Buffer, ErrorCode, rc, true); });
}

HRESULT zkSocket::sendto(VARIANT* Buffer, LONG* ErrorCode, _zkSockName** PeerName, VARIANT_BOOL oob, LONG* rc) {
    if (!ErrorCode || !rc) return E_POINTER;
    // One datagram at a time: its destination is the queue's.
    if (!m_queues.empty()) {
        *ErrorCode = kWSAEWOULDBLOCK;
        *rc = 0;
        return S_OK;
    }
    m_SendToName = com::ComPtr<_zkSockName>(named(PeerName));
    m_queues.setDestination(m_SendToName != nullptr);
    const HRESULT hr = com::guard([&] { return queueAndPump(Buffer, ErrorCode, rc, oob != VARIANT_FALSE); });
    // The destination belongs to the queued datagram only.
    if (m_queues.empty()) ClearSendQueue();
    return hr;
}

HRESULT zkSocket::ShowSocketInfo() {
    // A debugging aid: reads the socket's state and shows nothing.
    VARIANT_BOOL flag = VARIANT_FALSE;
    LONG value = 0, rc = 0;
    get_IsExceptionTriggered(&flag);
    get_IsReadable(&flag);
    get_IsWriteable(&flag);
    GetSocketOption(SO_ACCEPTCONN, &value, &rc);
    GetSocketOption(SO_LINGER, &value, &rc);
    return S_OK;
}

SOCKET zkSocket::CreateHandle(LONG type, LONG protocol) {
    if (m_handle != INVALID_SOCKET) {
        intclosesocket(m_handle);
        m_handle = INVALID_SOCKET;
    }
    if (type == 0 || type == 1) {
        m_SocketKind = 1;
        type = SOCK_STREAM;
    } else {
        m_SocketKind = 2;
        m_MaxDatagram = UnsignedWord(static_cast<std::int16_t>(threadData().gWinsockData.iMaxUdpDg));
        if (m_MaxDatagram == 0) m_MaxDatagram = kLargestDatagram;
    }
    if (protocol == 0) protocol = IPPROTO_TCP;
    m_handle = intsocket(AF_INET, type, protocol);
    if (m_handle != INVALID_SOCKET) {
        u_long nonBlocking = 1;
        intioctlsocket(m_handle, FIONBIO, &nonBlocking);
    }
    return m_handle;
}

void zkSocket::SetHandle(SOCKET handle) noexcept {
    m_handle = handle;
    m_SocketKind = 0;
}

void zkSocket::ClearSendQueue() noexcept {
    m_queues.clear();
    m_SendToName = nullptr;
}

LONG zkSocket::PumpSendQueue(LONG& ErrorCode) {
    sockaddr_in to{};
    const bool toName = m_queues.hasDestination() && SUCCEEDED(SockNameToSockAddr(m_SendToName.get(), to));
    if (m_queues.hasDestination() && !toName) {
        // The destination object cannot be read: the datagram cannot go.
        ClearSendQueue();
        ErrorCode = kWSAEFAULT;
        return SOCKET_ERROR;
    }
    GateChannel channel(m_handle, toName ? &to : nullptr);
    const PumpResult r = m_queues.pump(channel);
    if (!m_queues.hasDestination()) m_SendToName = nullptr;
    if (r.error) ErrorCode = *r.error;
    return r.result;
}

}  // namespace sockloom
