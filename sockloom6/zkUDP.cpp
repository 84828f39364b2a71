// zkUDP.cpp
#include "zkUDP.h"

#include "RefArg.h"
#include "events.h"
#include "zkSockName.h"

namespace sockloom {

using namespace GlobalFunctions;

HRESULT zkUDP::get_SocketsObject(_zkSockets** SocketsObject) { return m_owned.give(SocketsObject); }

HRESULT zkUDP::bound(_zkSockName** localaddr, bool server, _zkSocket** NewSocket) {
    if (!NewSocket) return E_POINTER;
    *NewSocket = nullptr;
    return com::guard([&] {
        HRESULT hr = S_OK;
        LONG error = 0;
        com::ComPtr<zkSocket> socket = m_owned.bound(2, 17, localaddr, hr, error);
        if (!socket) return hr;
        if (server) markServer(*socket);
        *NewSocket = socket.detach();
        return S_OK;
    });
}

HRESULT zkUDP::CreateUDPServerSocket(_zkSockName** localaddr, LONG, _zkSocket** NewSocket) {
    return bound(localaddr, true, NewSocket);
}

HRESULT zkUDP::CreateUDPClientSocket(_zkSockName** localaddr, _zkSocket** NewSocket) {
    return bound(localaddr, false, NewSocket);
}

HRESULT zkUDP::DestroyUDPSocket(_zkSocket** skt) {
    m_owned.destroy(skt ? *skt : nullptr);
    return S_OK;
}

HRESULT zkUDP::get_InternalEarlyBound(VARIANT_BOOL* InternalEarlyBound) {
    return give(InternalEarlyBound, com::toVariantBool(m_owned.earlyBound()));
}

HRESULT zkUDP::put_InternalEarlyBound(VARIANT_BOOL InternalEarlyBound) {
    m_owned.setEarlyBound(InternalEarlyBound != VARIANT_FALSE);
    return S_OK;
}

void zkUDP::notifyDataReceived(_zkSocket* Socket) {
    const com::ComPtr<zkUDP> self(this);
    const com::ComPtr<zkSocket> socket = librarySocket(Socket);
    if (!socket) return;
    com::ComPtr<_zkSockName> from = zkSockName::fromSockAddr(sockaddr_in{});
    _zkSockName* fromRef = from.get();
    LONG read = 0, error = 0;
    com::Variant data;
    if (FAILED(socket->recvfrom(&read, &error, &fromRef, data.put())) || error != 0) return;
    RefArg<IDispatch> s(Socket);
    RefArg<IDispatch> source(from.get());
    VARIANT slot;
    data.releaseTo(&slot);
    connectionPoint<__zkUDP>().fire(events::zkUDP::DataReceived, {com::refDispatch(s.address()),
                                                                 com::refDispatch(source.address()),
                                                                 com::refVariant(&slot)});
    VariantClear(&slot);
}

}  // namespace sockloom
