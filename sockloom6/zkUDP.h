// zkUDP.h
// The UDP façade: owns one zkSockets, makes datagram sockets bound to a
// local address in it, and reads each arriving datagram itself, raising
// it with the address it came from. The collection reaches it as it
// reaches zkTCP (see zkTCP.h: OwnedSockets, SockRelay).
#pragma once

#include "winsock_names.h"

#include "ScriptDispatch.h"
#include "common/com/com.h"
#include "zkTCP.h"

namespace sockloom {

class zkUDP final : public com::Object<ScriptDispatch<_zkUDP>, com::SupportErrorInfo<_zkUDP>,
                                       com::ProvideClassInfo2<::zkUDP, __zkUDP>, com::ConnectionPoints<__zkUDP>,
                                       SockNotifyForwarder>,
                    private SockNotifyTarget {
public:
    HRESULT init() { return m_owned.init(*this); }
    ~zkUDP() override = default;

    HRESULT STDMETHODCALLTYPE get_SocketsObject(_zkSockets** SocketsObject) override;
    HRESULT STDMETHODCALLTYPE CreateUDPServerSocket(_zkSockName** localaddr, LONG Backlog,
                                                    _zkSocket** NewSocket) override;
    HRESULT STDMETHODCALLTYPE CreateUDPClientSocket(_zkSockName** localaddr, _zkSocket** NewSocket) override;
    HRESULT STDMETHODCALLTYPE DestroyUDPSocket(_zkSocket** skt) override;
    HRESULT STDMETHODCALLTYPE get_InternalEarlyBound(VARIANT_BOOL* InternalEarlyBound) override;
    HRESULT STDMETHODCALLTYPE put_InternalEarlyBound(VARIANT_BOOL InternalEarlyBound) override;

protected:
    SockNotifyTarget* notifyTarget() noexcept override { return this; }

private:
    HRESULT bound(_zkSockName** localaddr, bool server, _zkSocket** NewSocket);
    void notifyAsyncError(LONG, LONG) override {}
    void notifyHostResolved(LONG, _zkHostEnt*) override {}
    void notifySocketError(LONG, _zkSocket*) override {}
    void notifyDataReceived(_zkSocket* Socket) override;
    void notifySocketNotification(_zkSocket*, LONG) override {}
    void notifyDataSent(_zkSocket*) override {}

    OwnedSockets m_owned;
};

}  // namespace sockloom
