// zkTCP.h
// The TCP façade most clients use: owns one zkSockets, makes listening
// and client stream sockets in it, reads arriving data itself and turns
// the collection's notifications into a small set of events.
//
// The collection reaches this object through a relay (see SockRelay): as
// its early-bound callback (zkSockNotify) when InternalEarlyBound is set,
// else as a sink of its events. The relay holds this object weakly, so
// the collection's reference does not keep the façade alive for ever.
//
// What zkUDP (zkUDP.h) shares with it comes first: the notification
// target and forwarder, the relay and the owned collection.
//
// zkTCP's own events go to its connection point, or, for the library's
// clients that own one privately (zkHTTP10), to a C++ listener instead.
#pragma once

#include "winsock_names.h"

#include <cstdint>
#include <span>
#include <vector>

#include "sockloom6/GlobalFunctions.h"
#include "ScriptDispatch.h"
#include "common/com/com.h"
#include "zkHostEnt.h"
#include "zkSocket.h"
#include "zkSockets.h"

namespace sockloom {

// What a zkSockets notifies, as the façades handle it.
class SockNotifyTarget {
public:
    virtual void notifyAsyncError(LONG AsyncHandle, LONG Errval) = 0;
    virtual void notifyHostResolved(LONG AsyncHandle, _zkHostEnt* HostObject) = 0;
    virtual void notifySocketError(LONG ErrorCode, _zkSocket* Socket) = 0;
    virtual void notifyDataReceived(_zkSocket* Socket) = 0;
    virtual void notifySocketNotification(_zkSocket* Socket, LONG EventType) = 0;
    virtual void notifyDataSent(_zkSocket* Socket) = 0;

protected:
    ~SockNotifyTarget() = default;
};

// zkSockNotify handed on to a SockNotifyTarget (none: the calls do
// nothing). The relay below uses it, and so do zkTCP and zkUDP, which
// answer the callback interface themselves, so that a façade can be any
// collection's callback object.
class SockNotifyForwarder : public ScriptDispatch<_zkSockNotify> {
public:
    HRESULT STDMETHODCALLTYPE AsyncError(LONG AsyncHandle, LONG Errval) override;
    HRESULT STDMETHODCALLTYPE HostResolved(LONG AsyncHandle, _zkHostEnt** HostObject) override;
    HRESULT STDMETHODCALLTYPE SocketError(LONG ErrorCode, _zkSocket** Socket) override;
    HRESULT STDMETHODCALLTYPE DataReceived(_zkSocket** skt, VARIANT_BOOL isOOB) override;
    HRESULT STDMETHODCALLTYPE SocketNotification(_zkSocket** skt, LONG* EventType) override;

protected:
    ~SockNotifyForwarder() = default;
    virtual SockNotifyTarget* notifyTarget() noexcept = 0;
};

// The object a façade hands its collection: zkSockNotify for the
// early-bound road, and the __zkSockets event sink (every event of it,
// through one table) for the other. Forwards to its target until detached.
class SockRelay final : public com::Object<SockNotifyForwarder> {
public:
    explicit SockRelay(SockNotifyTarget& target) noexcept : m_target(&target) {}
    void detach() noexcept { m_target = nullptr; }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* excep, UINT* argErr) override;

protected:
    void* queryOther(REFIID riid) noexcept override;
    SockNotifyTarget* notifyTarget() noexcept override { return m_target; }

private:
    SockNotifyTarget* m_target;
};

// The collection, its relay and the event-sink connection, shared by
// zkTCP and zkUDP.
class OwnedSockets {
public:
    OwnedSockets() = default;
    OwnedSockets(const OwnedSockets&) = delete;
    OwnedSockets& operator=(const OwnedSockets&) = delete;
    ~OwnedSockets();

    // WSAStartup 1.1 into the thread's data, a new collection, and the
    // relay advised on its events.
    HRESULT init(SockNotifyTarget& target);
    zkSockets* sockets() const noexcept { return m_sockets.get(); }
    // The SocketsObject property.
    HRESULT give(_zkSockets** out) const noexcept;
    bool earlyBound() const;
    void setEarlyBound(bool on);
    // The socket made (and kept in the collection) or null.
    com::ComPtr<zkSocket> create(LONG type, LONG protocol);
    // One made and bound to localaddr; else null (the socket taken out
    // again), hr the failure a misused Bind raised and error the Windows
    // Sockets error.
    com::ComPtr<zkSocket> bound(LONG type, LONG protocol, _zkSockName** localaddr, HRESULT& hr, LONG& error);
    void destroy(_zkSocket* socket);

private:
    com::ComPtr<zkSockets> m_sockets;
    com::ComPtr<SockRelay> m_relay;
    com::ComPtr<IConnectionPoint> m_point;
    DWORD m_cookie = 0;
    bool m_started = false;
};

// Bit 1 of UserVariable1 marks a server socket.
void markServer(zkSocket& socket);
// The library's socket behind an interface pointer handed in; null for
// any other object.
com::ComPtr<zkSocket> librarySocket(IUnknown* p) noexcept;

// What zkTCP tells a C++ owner instead of raising its events.
class TcpListener {
public:
    // bytes are zkTCP's own read buffer: valid during the call only, and
    // only until the listener lets messages in (raises an event), since a
    // nested read may reuse the memory. Never empty.
    virtual void tcpDataReceived(zkSocket& socket, std::span<const std::uint8_t> bytes) = 0;
    virtual void tcpConnectComplete(zkSocket& socket) = 0;
    virtual void tcpSocketClosed(zkSocket& socket) = 0;
    virtual void tcpSocketError(zkSocket* socket, LONG ErrorCode) = 0;
    virtual void tcpAsyncError(LONG AsyncHandle, LONG Errval) = 0;
    virtual void tcpHostResolved(LONG AsyncHandle, _zkHostEnt* host) = 0;
    // listening: the socket that accepted; accepted: the new connection,
    // already in the collection.
    virtual void tcpAcceptComplete(zkSocket& listening, zkSocket& accepted) {
        static_cast<void>(listening);
        static_cast<void>(accepted);
    }
    virtual void tcpDataSent(zkSocket& socket) { static_cast<void>(socket); }
    // Where the next piece of socket's data should be read, if the listener
    // keeps it in memory of its own (empty: zkTCP's buffer). A piece that
    // does not fit is read into zkTCP's buffer as usual.
    virtual std::span<std::uint8_t> tcpReadRoom(zkSocket& socket) {
        static_cast<void>(socket);
        return {};
    }

protected:
    ~TcpListener() = default;
};

class zkTCP final : public com::Object<ScriptDispatch<_zkTCP>, com::SupportErrorInfo<_zkTCP>,
                                       com::ProvideClassInfo2<::zkTCP, __zkTCP>, com::ConnectionPoints<__zkTCP>,
                                       SockNotifyForwarder>,
                    private SockNotifyTarget {
public:
    HRESULT init() { return m_owned.init(*this); }
    ~zkTCP() override = default;

    HRESULT STDMETHODCALLTYPE get_SocketsObject(_zkSockets** SocketsObject) override;
    HRESULT STDMETHODCALLTYPE CreateTCPServerSocket(_zkSockName** localaddr, LONG Backlog,
                                                    _zkSocket** NewSocket) override;
    HRESULT STDMETHODCALLTYPE CreateTCPClientSocket(_zkSockName** localaddr, VARIANT* ErrorCode,
                                                    _zkSocket** NewSocket) override;
    HRESULT STDMETHODCALLTYPE DestroyTCPSocket(_zkSocket** skt) override;
    HRESULT STDMETHODCALLTYPE WSAAsyncGetHostByAddress(LONG netaddr, LONG* AsyncHandle) override;
    HRESULT STDMETHODCALLTYPE WSAAsyncGetHostByName(BSTR HostName, LONG* AsyncHandle) override;
    HRESULT STDMETHODCALLTYPE get_InternalEarlyBound(VARIANT_BOOL* InternalEarlyBound) override;
    HRESULT STDMETHODCALLTYPE put_InternalEarlyBound(VARIANT_BOOL InternalEarlyBound) override;

    // The library's own clients: events go to listener (null: back to the
    // connection point).
    void setListener(TcpListener* listener) noexcept { m_listener = listener; }
    zkSockets* sockets() const noexcept { return m_owned.sockets(); }
    // A client socket bound to localaddr; null with errorCode set.
    com::ComPtr<zkSocket> clientSocket(_zkSockName* localaddr, LONG& errorCode);

protected:
    SockNotifyTarget* notifyTarget() noexcept override { return this; }

private:
    void notifyAsyncError(LONG AsyncHandle, LONG Errval) override;
    void notifyHostResolved(LONG AsyncHandle, _zkHostEnt* HostObject) override;
    void notifySocketError(LONG ErrorCode, _zkSocket* Socket) override;
    void notifyDataReceived(_zkSocket* Socket) override;
    void notifySocketNotification(_zkSocket* Socket, LONG EventType) override;
    void notifyDataSent(_zkSocket* Socket) override;

    OwnedSockets m_owned;
    TcpListener* m_listener = nullptr;
    // The listener's bytes are read here, one buffer reused for every
    // piece; a read nested inside a listener's call uses one of its own.
    ReadBuffer m_readBuffer;
    bool m_reading = false;
};

}  // namespace sockloom
