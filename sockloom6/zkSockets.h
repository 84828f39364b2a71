// zkSockets.h
// The socket factory and collection: starts Windows Sockets for its
// thread, makes sockets and keeps them in a list (positions 1 to
// SocketCount), and turns the window messages Windows Sockets posts for
// them into events, or into calls on an early-bound callback object
// (zkSockNotify) when one is set. DataSent is always an event.
//
// Everything happens on the thread that created it, driven by that
// thread's message loop. A handler that raises an error (a callback that
// fails, an event sink whose handler raised) ends the handling of that
// message, except for DataSent.
#pragma once

#include "winsock_names.h"

#include <vector>

#include "sockloom6/GlobalFunctions.h"
#include "ScriptDispatch.h"
#include "common/com/com.h"
#include "zkAsyncSocket.h"
#include "zkSocket.h"
#include "zkSocketInfo.h"
#include "zkSocketUtil.h"

namespace sockloom {

class zkSockets final
    : public com::Object<ScriptDispatch<_zkSockets>, com::SupportErrorInfo<_zkSockets>,
                         com::ProvideClassInfo2<::zkSockets, __zkSockets>, com::ConnectionPoints<__zkSockets>>,
      private AsyncSocketEvents {
public:
    // Loads wsock32.dll for the thread (once), starts Windows Sockets 1.1
    // and makes the info, util and hidden-window objects.
    HRESULT init();
    ~zkSockets() override;

    HRESULT STDMETHODCALLTYPE get_CallBackObject(_zkSockNotify** CallBackObject) override;
    HRESULT STDMETHODCALLTYPE putref_CallBackObject(_zkSockNotify* CallBackObject) override;
    HRESULT STDMETHODCALLTYPE get_SocketCount(LONG* SocketCount) override;
    HRESULT STDMETHODCALLTYPE get_SocketData(_zkSocketInfo** SocketData) override;
    HRESULT STDMETHODCALLTYPE get_Util(_zkSocketUtil** Util) override;
    HRESULT STDMETHODCALLTYPE CreateSocket(LONG SocketOption, LONG ProtocolOption, _zkSocket** NewSocket) override;
    HRESULT STDMETHODCALLTYPE DestroySocket(VARIANT* sktval, VARIANT* rc) override;
    HRESULT STDMETHODCALLTYPE WSAAsyncGetHostByAddress(LONG netaddr, LONG* AsyncHandle) override;
    HRESULT STDMETHODCALLTYPE WSAAsyncGetHostByName(BSTR HostName, LONG* AsyncHandle) override;
    HRESULT STDMETHODCALLTYPE CancelAsyncRequest(LONG AsyncHandle) override;

    // Puts a socket at the end of the list and registers it for all six
    // network events (also how zkSocket.Accept adds the accepted socket).
    void AddSocket(com::ComPtr<zkSocket> socket);

protected:
    void* queryOther(REFIID riid) noexcept override;

private:
    void m_Async_AsyncError(LONG AsyncHandle, LONG Errval) override;
    void m_Async_HostResolved(LONG AsyncHandle, zkHostEnt& HostObject) override;
    void m_Async_SocketMessage(WPARAM wParam, LPARAM lParam) override;

    // "Report": the callback object's method when one is set, else the
    // event. A failure means the handler raised an error.
    HRESULT reportAsyncError(LONG AsyncHandle, LONG Errval);
    HRESULT reportHostResolved(LONG AsyncHandle, zkHostEnt& HostObject);
    HRESULT reportSocketError(LONG ErrorCode, zkSocket* socket);
    HRESULT reportDataReceived(zkSocket& socket, bool isOOB);
    HRESULT reportSocketNotification(zkSocket& socket, LONG EventType);
    void raiseDataSent(zkSocket& socket);
    HRESULT raiseEvent(DISPID id, std::initializer_list<VARIANT> args);
    void socketClosed(zkSocket& socket);

    com::ComPtr<zkSocket> findSocket(std::uintptr_t handle) const noexcept;

    com::ComPtr<_zkSockNotify> m_CallBackObject;
    std::vector<com::ComPtr<zkSocket>> m_sockets;
    com::ComPtr<zkSocketInfo> m_SocketData;
    com::ComPtr<zkSocketUtil> m_Util;
    zkAsyncSocket::Ptr m_Async;
    bool m_started = false;
};

template <>
struct OwnId<zkSockets> {
    static constexpr GUID value = {0x21a48655, 0x9736, 0x416d, {0xae, 0xcd, 0x86, 0x10, 0xbc, 0x94, 0x04, 0x02}};
};

}  // namespace sockloom
