// zkSocket.h
// The library's one wrapper of a Windows Sockets handle: an IPv4 socket,
// always non-blocking, whose outgoing data goes through a normal and an
// out-of-band queue that are pumped again whenever the socket becomes
// writeable. Clients never create one: zkSockets.CreateSocket and Accept
// make them, and the collection registers them for notification.
//
// Methods that wrap a Windows Sockets call return that call's result (0 or
// a count, -1 for a failure) and raise nothing; misuse (a missing address
// object) raises library error 1.
#pragma once

#include "winsock_names.h"

#include "sockloom6/GlobalFunctions.h"
#include "ScriptDispatch.h"
#include "common/com/com.h"
#include <cstdint>
#include <span>

#include "core/read_buffer.h"
#include "core/read_result.h"
#include "core/send_queue.h"

namespace sockloom {

// The receive buffer the library's own clients give a connection that
// carries a body or a file. Each read takes what has arrived and pays for
// its notice, its checks of the socket and its event; with the 64-128 KiB a
// socket gets by default, a body coming faster than it is written arrives
// in many small pieces, and the sender waits whenever the client is busy.
// 4 MiB (the best plain loop's) lets the sender run ahead while the client
// writes a piece, or makes the array for a body when its header arrives,
// so the pieces are few and the sender seldom stalls.
inline constexpr LONG kBulkReceiveBuffer = 4 * 1024 * 1024;

class zkSocket final : public com::Object<ScriptDispatch<_zkSocket>, com::SupportErrorInfo<_zkSocket>,
                                          com::ProvideClassInfo2<::zkSocket>> {
public:
    ~zkSocket() override;

    HRESULT STDMETHODCALLTYPE get_UserVariable1(LONG* UserVariable1) override;
    HRESULT STDMETHODCALLTYPE put_UserVariable1(LONG UserVariable1) override;
    HRESULT STDMETHODCALLTYPE get_Socket(LONG* Socket) override;
    HRESULT STDMETHODCALLTYPE GetSocketOption(LONG SocketOption, LONG* Result, LONG* rc) override;
    HRESULT STDMETHODCALLTYPE GetTCPOption(LONG SocketOption, LONG* Result, LONG* rc) override;
    HRESULT STDMETHODCALLTYPE SetSocketOption(LONG SocketOption, VARIANT Newvalue, LONG* rc) override;
    HRESULT STDMETHODCALLTYPE SetTCPOption(LONG SocketOption, VARIANT Newvalue, LONG* rc) override;
    HRESULT STDMETHODCALLTYPE get_SocketName(_zkSockName** SocketName) override;
    HRESULT STDMETHODCALLTYPE get_PeerName(_zkSockName** PeerName) override;
    HRESULT STDMETHODCALLTYPE Listen(VARIANT Backlog, LONG* rc) override;
    HRESULT STDMETHODCALLTYPE Accept(_zkSockets** SocketList, _zkSockName** ConnectedName,
                                     _zkSocket** NewSocket) override;
    HRESULT STDMETHODCALLTYPE Bind(_zkSockName** Name, LONG* rc) override;
    HRESULT STDMETHODCALLTYPE GetAvailableData(LONG* Count) override;
    HRESULT STDMETHODCALLTYPE IsOOBAvailable(VARIANT_BOOL* Available) override;
    HRESULT STDMETHODCALLTYPE get_IsReadable(VARIANT_BOOL* IsReadable) override;
    HRESULT STDMETHODCALLTYPE get_IsWriteable(VARIANT_BOOL* IsWriteable) override;
    HRESULT STDMETHODCALLTYPE get_IsExceptionTriggered(VARIANT_BOOL* IsExceptionTriggered) override;
    HRESULT STDMETHODCALLTYPE Connect(_zkSockName** SocketName, LONG* rc) override;
    HRESULT STDMETHODCALLTYPE recv(LONG* BytesRead, LONG* ErrorCode, VARIANT* Data) override;
    HRESULT STDMETHODCALLTYPE recvoob(LONG* BytesRead, LONG* ErrorCode, VARIANT* Data) override;
    HRESULT STDMETHODCALLTYPE recvfrom(LONG* BytesRead, LONG* ErrorCode, _zkSockName** PeerName,
                                       VARIANT* Data) override;
    HRESULT STDMETHODCALLTYPE Send(VARIANT* Buffer, LONG* ErrorCode, LONG* rc) override;
    HRESULT STDMETHODCALLTYPE SendOOB(VARIANT* Buffer, LONG* ErrorCode, LONG* rc) override;
    HRESULT STDMETHODCALLTYPE sendto(VARIANT* Buffer, LONG* ErrorCode, _zkSockName** PeerName, VARIANT_BOOL oob,
                                     LONG* rc) override;
    HRESULT STDMETHODCALLTYPE ShowSocketInfo() override;

    // Private operations of the library.

    // A receive buffer of at least bytes; a larger one already set stays.
    // Call it before the connection is made (or, for a listening socket,
    // accepted), when the window the connection may offer is settled.
    void WidenReceiveBuffer(LONG bytes) noexcept;

    // Closes a handle already held, then makes a non-blocking socket:
    // type 0 or 1 gives a stream, any other type a datagram socket of that
    // type number; protocol 0 means TCP (6), whatever the type. Returns
    // the handle, INVALID_SOCKET when Windows Sockets refuses.
    SOCKET CreateHandle(LONG type, LONG protocol);
    // Adopts a handle made elsewhere (by accept), treated as a stream.
    void SetHandle(SOCKET handle) noexcept;
    // Both queues emptied, the datagram destination forgotten.
    void ClearSendQueue() noexcept;
    // Sends what the queues hold until they are empty or the system
    // refuses (see SendQueues::pump). ErrorCode is written only when a
    // send failed; returns the bytes taken, or the failing send's result.
    LONG PumpSendQueue(LONG& ErrorCode);
    // recv (or recvoob) for the library's own readers: the same calls in
    // the same order, but the bytes land in buffer instead of a new array.
    // Returns the count read (0 when nothing came; ErrorCode as recv
    // reports it). Throws std::bad_alloc before reading when the buffer
    // cannot grow.
    LONG ReadInto(ReadBuffer& buffer, bool outOfBand, LONG& ErrorCode);
    // Send of bytes already in hand, without an array: queued, then the
    // queues pumped; ErrorCode as Send writes it, the same result.
    LONG SendBytes(std::span<const std::uint8_t> bytes, LONG& ErrorCode);

    SOCKET handle() const noexcept { return m_handle; }
    bool isDatagram() const noexcept { return m_SocketKind == 2; }
    // Bytes waiting in the normal and out-of-band queues.
    size_t queuedBytes() const noexcept;

protected:
    void* queryOther(REFIID riid) noexcept override;

private:
    HRESULT getOption(LONG level, LONG option, LONG* Result, LONG* rc) noexcept;
    HRESULT setOption(LONG level, LONG option, const VARIANT& value, LONG* rc) noexcept;
    HRESULT addressOf(int(WINAPI* query)(SOCKET, sockaddr*, int*), _zkSockName** out) noexcept;
    HRESULT queueAndPump(VARIANT* Buffer, LONG* ErrorCode, LONG* rc, bool outOfBand);
    bool selected(int set) const noexcept;
    // The read of recv or recvoob into buffer; requested is what was asked
    // for (a failed datagram read answers that many zeros).
    struct StreamRead {
        ReadReport report;
        LONG requested;
    };
    StreamRead readStream(ReadBuffer& buffer, bool outOfBand);

    LONG m_UserVariable1 = 0;
    SOCKET m_handle = INVALID_SOCKET;
    // 1 stream, 2 datagram, 0 adopted from accept (a stream).
    SHORT m_SocketKind = 0;
    LONG m_MaxDatagram = 0;
    SendQueues m_queues;
    // Where queued datagrams go; null for a connected socket.
    com::ComPtr<_zkSockName> m_SendToName;
    // What recv, recvoob and recvfrom read into before the bytes are
    // copied out to the caller's array.
    ReadBuffer m_readBuffer;
};

template <>
struct OwnId<zkSocket> {
    static constexpr GUID value = {0x21a48655, 0x9736, 0x416d, {0xae, 0xcd, 0x86, 0x10, 0xbc, 0x94, 0x04, 0x01}};
};

}  // namespace sockloom
