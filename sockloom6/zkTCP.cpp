// zkTCP.cpp
// zkTCP and what it shares with zkUDP: the owned collection and its relay.
#include "zkTCP.h"

#include <algorithm>
#include <iterator>
#include <new>

#include "RefArg.h"
#include "events.h"
#include "zkSockName.h"

namespace sockloom {

using namespace GlobalFunctions;

namespace {

constexpr LONG kServerBit = 1;

IDispatch* asDispatch(_zkSocket* s) noexcept { return s; }

// The object of a by-reference or plain object argument of an event.
IUnknown* objectOf(const VARIANT& v) noexcept {
    const VARIANT& d = com::deref(v);
    if (d.vt == VT_DISPATCH) return d.pdispVal;
    if (d.vt == VT_UNKNOWN) return d.punkVal;
    if (d.vt == (VT_BYREF | VT_DISPATCH)) return d.ppdispVal ? *d.ppdispVal : nullptr;
    return nullptr;
}

template <typename I>
com::ComPtr<I> objectAs(const VARIANT& v, REFIID iid) noexcept {
    com::ComPtr<I> out;
    if (IUnknown* u = objectOf(v)) u->QueryInterface(iid, out.putVoid());
    return out;
}

LONG longOf(const VARIANT& v) noexcept {
    LONG n = 0;
    com::toLong(v, n);
    return n;
}

// Marks the shared read buffer lent out for one listener call, nested or
// not, and puts the mark back as it was however the call ends.
class ReadingFlag {
public:
    explicit ReadingFlag(bool& flag) noexcept : m_flag(flag), m_was(flag) { m_flag = true; }
    ~ReadingFlag() { m_flag = m_was; }
    ReadingFlag(const ReadingFlag&) = delete;
    ReadingFlag& operator=(const ReadingFlag&) = delete;

private:
    bool& m_flag;
    bool m_was;
};

// The arguments of an event, first to last (they arrive last to first).
struct EventArgs {
    const DISPPARAMS& params;
    const VARIANT& operator[](UINT i) const noexcept { return params.rgvarg[params.cArgs - 1 - i]; }
};

// The collection's events as the relay hands them on.
struct Relayed {
    events::Event event;
    void (*deliver)(SockNotifyTarget& target, const EventArgs& a);
};

constexpr Relayed kRelayed[] = {
    {events::zkSockets::AsyncError,
     [](SockNotifyTarget& t, const EventArgs& a) { t.notifyAsyncError(longOf(a[0]), longOf(a[1])); }},
    {events::zkSockets::HostResolved,
     [](SockNotifyTarget& t, const EventArgs& a) {
         t.notifyHostResolved(longOf(a[0]), objectAs<_zkHostEnt>(a[1], IID__zkHostEnt).get());
     }},
    {events::zkSockets::SocketError,
     [](SockNotifyTarget& t, const EventArgs& a) {
         t.notifySocketError(longOf(a[0]), objectAs<_zkSocket>(a[1], IID__zkSocket).get());
     }},
    {events::zkSockets::DataReceived,
     [](SockNotifyTarget& t, const EventArgs& a) {
         t.notifyDataReceived(objectAs<_zkSocket>(a[0], IID__zkSocket).get());
     }},
    {events::zkSockets::SocketNotification,
     [](SockNotifyTarget& t, const EventArgs& a) {
         t.notifySocketNotification(objectAs<_zkSocket>(a[0], IID__zkSocket).get(), longOf(a[1]));
     }},
    {events::zkSockets::DataSent,
     [](SockNotifyTarget& t, const EventArgs& a) { t.notifyDataSent(objectAs<_zkSocket>(a[0], IID__zkSocket).get()); }},
};
static_assert(std::size(kRelayed) == std::size(events::zkSockets::all), "every event of the collection is relayed");

}  // namespace

// ---- SockRelay --------------------------------------------------------------

void* SockRelay::queryOther(REFIID riid) noexcept {
    // The collection's sinks are asked for the event interface.
    return riid == DIID___zkSockets ? static_cast<IDispatch*>(this) : nullptr;
}

HRESULT SockNotifyForwarder::AsyncError(LONG AsyncHandle, LONG Errval) {
    if (SockNotifyTarget* t = notifyTarget()) t->notifyAsyncError(AsyncHandle, Errval);
    return S_OK;
}

HRESULT SockNotifyForwarder::HostResolved(LONG AsyncHandle, _zkHostEnt** HostObject) {
    if (SockNotifyTarget* t = notifyTarget()) t->notifyHostResolved(AsyncHandle, HostObject ? *HostObject : nullptr);
    return S_OK;
}

HRESULT SockNotifyForwarder::SocketError(LONG ErrorCode, _zkSocket** Socket) {
    if (SockNotifyTarget* t = notifyTarget()) t->notifySocketError(ErrorCode, Socket ? *Socket : nullptr);
    return S_OK;
}

HRESULT SockNotifyForwarder::DataReceived(_zkSocket** skt, VARIANT_BOOL) {
    if (SockNotifyTarget* t = notifyTarget()) t->notifyDataReceived(skt ? *skt : nullptr);
    return S_OK;
}

HRESULT SockNotifyForwarder::SocketNotification(_zkSocket** skt, LONG* EventType) {
    if (SockNotifyTarget* t = notifyTarget()) {
        t->notifySocketNotification(skt ? *skt : nullptr, EventType ? *EventType : 0);
    }
    return S_OK;
}

HRESULT SockRelay::Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                          EXCEPINFO* excep, UINT* argErr) {
    const auto relayed = std::find_if(std::begin(kRelayed), std::end(kRelayed),
                                      [id](const Relayed& r) { return r.event.id == id; });
    if (relayed == std::end(kRelayed)) {
        return ScriptDispatch<_zkSockNotify>::Invoke(id, riid, lcid, flags, params, result, excep, argErr);
    }
    if (!params) return E_INVALIDARG;
    if (params->cArgs < relayed->event.arguments) return DISP_E_BADPARAMCOUNT;
    if (m_target) relayed->deliver(*m_target, EventArgs{*params});
    return S_OK;
}

// ---- OwnedSockets -----------------------------------------------------------

HRESULT OwnedSockets::init(SockNotifyTarget& target) {
    m_started = intWSAStartup(MAKEWORD(1, 1), &threadData().gWinsockData) == 0;
    m_sockets = com::make<zkSockets>();
    if (!m_sockets) return E_OUTOFMEMORY;
    m_relay = com::make<SockRelay>(target);
    com::ComPtr<IConnectionPointContainer> container;
    HRESULT hr = m_sockets->QueryInterface(IID_IConnectionPointContainer, container.putVoid());
    if (SUCCEEDED(hr)) hr = container->FindConnectionPoint(DIID___zkSockets, m_point.put());
    if (SUCCEEDED(hr)) hr = m_point->Advise(static_cast<IDispatch*>(m_relay.get()), &m_cookie);
    return hr;
}

OwnedSockets::~OwnedSockets() {
    if (m_relay) m_relay->detach();
    if (m_point && m_cookie) m_point->Unadvise(m_cookie);
    m_point = nullptr;
    if (m_sockets) m_sockets->putref_CallBackObject(nullptr);
    m_sockets = nullptr;
    m_relay = nullptr;
    if (m_started) intWSACleanup();
}

HRESULT OwnedSockets::give(_zkSockets** out) const noexcept {
    if (!out) return E_POINTER;
    *out = m_sockets.get();
    if (*out) (*out)->AddRef();
    return S_OK;
}

bool OwnedSockets::earlyBound() const {
    com::ComPtr<_zkSockNotify> callback;
    if (m_sockets) m_sockets->get_CallBackObject(callback.put());
    return callback != nullptr;
}

void OwnedSockets::setEarlyBound(bool on) {
    if (m_sockets) m_sockets->putref_CallBackObject(on ? m_relay.get() : nullptr);
}

com::ComPtr<zkSocket> OwnedSockets::create(LONG type, LONG protocol) {
    com::ComPtr<_zkSocket> made;
    if (!m_sockets || FAILED(m_sockets->CreateSocket(type, protocol, made.put()))) return nullptr;
    return librarySocket(made.get());
}

com::ComPtr<zkSocket> OwnedSockets::bound(LONG type, LONG protocol, _zkSockName** localaddr, HRESULT& hr,
                                          LONG& error) {
    com::ComPtr<zkSocket> socket = create(type, protocol);
    if (!socket) {
        error = intWSAGetLastError();
        return nullptr;
    }
    LONG rc = -1;
    hr = socket->Bind(localaddr, &rc);
    if (SUCCEEDED(hr) && rc == 0) return socket;
    // Read before the socket goes: closing it may change the error.
    if (rc != 0) error = intWSAGetLastError();
    destroy(socket.get());
    return nullptr;
}

com::ComPtr<zkSocket> librarySocket(IUnknown* p) noexcept { return own<zkSocket>(p); }

void markServer(zkSocket& socket) {
    LONG flags = 0;
    socket.get_UserVariable1(&flags);
    socket.put_UserVariable1(flags | kServerBit);
}

void OwnedSockets::destroy(_zkSocket* socket) {
    if (!m_sockets || !socket) return;
    VARIANT which = com::argDispatch(asDispatch(socket));
    VARIANT rc;
    VariantInit(&rc);
    m_sockets->DestroySocket(&which, &rc);
    VariantClear(&rc);
}

// ---- zkTCP --------------------------------------------------------------------

HRESULT zkTCP::get_SocketsObject(_zkSockets** SocketsObject) { return m_owned.give(SocketsObject); }

HRESULT zkTCP::CreateTCPServerSocket(_zkSockName** localaddr, LONG Backlog, _zkSocket** NewSocket) {
    if (!NewSocket) return E_POINTER;
    *NewSocket = nullptr;
    return com::guard([&] {
        HRESULT hr = S_OK;
        LONG error = 0;
        com::ComPtr<zkSocket> socket = m_owned.bound(1, 6, localaddr, hr, error);
        if (!socket) return hr;
        LONG rc = -1;
        if (hr = socket->Listen(com::argLong(Backlog), &rc); FAILED(hr) || rc != 0) {
            m_owned.destroy(socket.get());
            return hr;
        }
        markServer(*socket);
        *NewSocket = socket.detach();
        return S_OK;
    });
}

com::ComPtr<zkSocket> zkTCP::clientSocket(_zkSockName* localaddr, LONG& errorCode) {
    HRESULT hr = S_OK;
    _zkSockName* name = localaddr;
    com::ComPtr<zkSocket> socket = m_owned.bound(1, 6, &name, hr, errorCode);
    if (!socket && errorCode == 0) errorCode = kWSAEFAULT;
    return socket;
}

HRESULT zkTCP::CreateTCPClientSocket(_zkSockName** localaddr, VARIANT* ErrorCode, _zkSocket** NewSocket) {
    if (!NewSocket) return E_POINTER;
    *NewSocket = nullptr;
    return com::guard([&] {
        LONG error = 0;
        com::ComPtr<zkSocket> socket = clientSocket(localaddr ? *localaddr : nullptr, error);
        if (socket) {
            *NewSocket = socket.detach();
        } else if (ErrorCode && !com::isMissing(*ErrorCode)) {
            // Written into the caller's variable, whatever it held.
            VARIANT& target = (ErrorCode->vt == (VT_BYREF | VT_VARIANT) && ErrorCode->pvarVal) ? *ErrorCode->pvarVal
                                                                                                : *ErrorCode;
            if (target.vt == (VT_BYREF | VT_I4) && target.plVal) {
                *target.plVal = error;
            } else if (!(target.vt & VT_BYREF)) {
                VariantClear(&target);
                target.vt = VT_I4;
                target.lVal = error;
            }
        }
        return S_OK;
    });
}

HRESULT zkTCP::DestroyTCPSocket(_zkSocket** skt) {
    m_owned.destroy(skt ? *skt : nullptr);
    return S_OK;
}

HRESULT zkTCP::WSAAsyncGetHostByAddress(LONG netaddr, LONG* AsyncHandle) {
    if (!sockets()) return give(AsyncHandle, 0);
    return sockets()->WSAAsyncGetHostByAddress(netaddr, AsyncHandle);
}

HRESULT zkTCP::WSAAsyncGetHostByName(BSTR HostName, LONG* AsyncHandle) {
    if (!sockets()) return give(AsyncHandle, 0);
    return sockets()->WSAAsyncGetHostByName(HostName, AsyncHandle);
}

HRESULT zkTCP::get_InternalEarlyBound(VARIANT_BOOL* InternalEarlyBound) {
    return give(InternalEarlyBound, com::toVariantBool(m_owned.earlyBound()));
}

HRESULT zkTCP::put_InternalEarlyBound(VARIANT_BOOL InternalEarlyBound) {
    m_owned.setEarlyBound(InternalEarlyBound != VARIANT_FALSE);
    return S_OK;
}

void zkTCP::notifyAsyncError(LONG AsyncHandle, LONG Errval) {
    const com::ComPtr<zkTCP> self(this);
    if (m_listener) return m_listener->tcpAsyncError(AsyncHandle, Errval);
    connectionPoint<__zkTCP>().fire(events::zkTCP::AsyncError, {com::argLong(AsyncHandle), com::argLong(Errval)});
}

void zkTCP::notifyHostResolved(LONG AsyncHandle, _zkHostEnt* HostObject) {
    const com::ComPtr<zkTCP> self(this);
    if (m_listener) return m_listener->tcpHostResolved(AsyncHandle, HostObject);
    RefArg<IDispatch> host(HostObject);
    connectionPoint<__zkTCP>().fire(events::zkTCP::HostResolved,
                                    {com::argLong(AsyncHandle), com::refDispatch(host.address())});
}

void zkTCP::notifySocketError(LONG ErrorCode, _zkSocket* Socket) {
    const com::ComPtr<zkTCP> self(this);
    if (m_listener) return m_listener->tcpSocketError(librarySocket(Socket).get(), ErrorCode);
    RefArg<IDispatch> s(asDispatch(Socket));
    connectionPoint<__zkTCP>().fire(events::zkTCP::SocketError,
                                    {com::refDispatch(s.address()), com::argLong(ErrorCode)});
}

void zkTCP::notifyDataReceived(_zkSocket* Socket) {
    const com::ComPtr<zkTCP> self(this);
    const com::ComPtr<zkSocket> socket = librarySocket(Socket);
    if (!socket) return;
    VARIANT_BOOL oob = VARIANT_FALSE;
    socket->IsOOBAvailable(&oob);
    if (m_listener) {
        // The library's own clients take the bytes where they were read:
        // no array is made and no copy of the piece.
        ReadBuffer nested;
        ReadBuffer& buffer = m_reading ? nested : m_readBuffer;
        const ReadingFlag reading(m_reading);
        if (oob == VARIANT_FALSE) buffer.lend(m_listener->tcpReadRoom(*socket));
        LONG read = 0, error = 0;
        try {
            read = socket->ReadInto(buffer, oob != VARIANT_FALSE, error);
        } catch (const std::bad_alloc&) {
            // Nothing was read: the bytes wait for the next notice.
            read = 0;
        }
        buffer.lend({});
        if (read > 0 && m_listener) m_listener->tcpDataReceived(*socket, buffer.view(static_cast<size_t>(read)));
        return;
    }
    LONG read = 0, error = 0;
    com::Variant data;
    const HRESULT hr = oob ? socket->recvoob(&read, &error, data.put()) : socket->recv(&read, &error, data.put());
    if (FAILED(hr) || read == 0) return;
    RefArg<IDispatch> s(asDispatch(Socket));
    // The slot is the handlers' to change; what it holds after is ours.
    VARIANT slot;
    data.releaseTo(&slot);
    connectionPoint<__zkTCP>().fire(events::zkTCP::DataReceived,
                                    {com::refDispatch(s.address()), com::refVariant(&slot)});
    VariantClear(&slot);
}

void zkTCP::notifySocketNotification(_zkSocket* Socket, LONG EventType) {
    const com::ComPtr<zkTCP> self(this);
    const com::ComPtr<zkSocket> socket = librarySocket(Socket);
    if (!socket) return;
    LONG flags = 0;
    socket->get_UserVariable1(&flags);
    const bool server = (flags & kServerBit) != 0;
    RefArg<IDispatch> s(asDispatch(Socket));
    switch (EventType) {
    case FD_ACCEPT: {
        if (!server) return;
        com::ComPtr<_zkSockets> list(sockets());
        _zkSockets* listRef = list.get();
        com::ComPtr<_zkSockName> name = zkSockName::fromSockAddr(sockaddr_in{});
        _zkSockName* nameRef = name.detach();
        com::ComPtr<_zkSocket> accepted;
        socket->Accept(&listRef, &nameRef, accepted.put());
        RefArg<IDispatch> nameSlot(nameRef);
        if (nameRef) nameRef->Release();
        if (!accepted) return;
        if (m_listener) {
            if (const com::ComPtr<zkSocket> made = librarySocket(accepted.get())) {
                m_listener->tcpAcceptComplete(*socket, *made);
            }
            return;
        }
        RefArg<IDispatch> newSlot(asDispatch(accepted.get()));
        connectionPoint<__zkTCP>().fire(events::zkTCP::AcceptComplete,
                                        {com::refDispatch(s.address()), com::refDispatch(newSlot.address()),
                                         com::refDispatch(nameSlot.address())});
        break;
    }
    case FD_CONNECT:
        if (server) return;
        if (m_listener) return m_listener->tcpConnectComplete(*socket);
        connectionPoint<__zkTCP>().fire(events::zkTCP::ConnectComplete, {com::refDispatch(s.address())});
        break;
    case FD_CLOSE:
        if (m_listener) return m_listener->tcpSocketClosed(*socket);
        connectionPoint<__zkTCP>().fire(events::zkTCP::SocketClosed, {com::refDispatch(s.address())});
        break;
    default:
        break;
    }
}

void zkTCP::notifyDataSent(_zkSocket* Socket) {
    const com::ComPtr<zkTCP> self(this);
    if (m_listener) {
        if (const com::ComPtr<zkSocket> socket = librarySocket(Socket)) m_listener->tcpDataSent(*socket);
        return;
    }
    RefArg<IDispatch> s(asDispatch(Socket));
    connectionPoint<__zkTCP>().fire(events::zkTCP::DataSent, {com::refDispatch(s.address())});
}

}  // namespace sockloom
