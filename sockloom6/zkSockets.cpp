// zkSockets.cpp
#include "zkSockets.h"

#include <algorithm>

#include "RefArg.h"
#include "core/conversions.h"
#include "events.h"
#include "zkHostEnt.h"
#include "zkSocket.h"
#include "zkSocketInfo.h"
#include "zkSocketUtil.h"

namespace sockloom {

using namespace GlobalFunctions;

namespace {

_zkSocket* iface(zkSocket* s) noexcept { return s; }
IDispatch* dispatch(zkSocket* s) noexcept { return s ? static_cast<IDispatch*>(static_cast<_zkSocket*>(s)) : nullptr; }

// The object a VARIANT holds (following references), or null.
IUnknown* objectIn(const VARIANT& v) noexcept {
    const VARIANT& d = com::deref(v);
    switch (d.vt) {
    case VT_DISPATCH:
        return d.pdispVal;
    case VT_UNKNOWN:
        return d.punkVal;
    case VT_BYREF | VT_DISPATCH:
        return d.ppdispVal ? *d.ppdispVal : nullptr;
    case VT_BYREF | VT_UNKNOWN:
        return d.ppunkVal ? *d.ppunkVal : nullptr;
    default:
        return nullptr;
    }
}

bool holdsObject(const VARIANT& v) noexcept {
    const VARTYPE t = static_cast<VARTYPE>(com::deref(v).vt & ~VT_BYREF);
    return t == VT_DISPATCH || t == VT_UNKNOWN;
}

}  // namespace

HRESULT zkSockets::init() {
    ThreadData& thread = threadData();
    if (!thread.gWinsockModule) thread.gWinsockModule = LoadLibraryA("wsock32.dll");
    // Counted per successful start, so this object's WSACleanup never
    // ends another's Windows Sockets.
    m_started = intWSAStartup(MAKEWORD(1, 1), &thread.gWinsockData) == 0;
    m_SocketData = com::make<zkSocketInfo>();
    m_Util = com::make<zkSocketUtil>();
    m_Async = zkAsyncSocket::create(*this);
    if (!m_Async) return HRESULT_FROM_WIN32(GetLastError());
    return S_OK;
}

zkSockets::~zkSockets() {
    // Each socket closes when its last reference goes.
    m_sockets.clear();
    m_Async.reset();
    m_Util = nullptr;
    m_SocketData = nullptr;
    if (m_started) intWSACleanup();
}

void* zkSockets::queryOther(REFIID riid) noexcept { return riid == OwnId<zkSockets>::value ? this : nullptr; }

HRESULT zkSockets::get_CallBackObject(_zkSockNotify** CallBackObject) {
    return m_CallBackObject.copyTo(CallBackObject);
}

HRESULT zkSockets::putref_CallBackObject(_zkSockNotify* CallBackObject) {
    COM_TRACE("zkSockets::putref_CallBackObject(%p)", static_cast<void*>(CallBackObject));
    // Asked for the interface rather than trusting the pointer: a late-bound
    // caller may hand over any object.
    com::ComPtr<_zkSockNotify> callback;
    if (CallBackObject && FAILED(CallBackObject->QueryInterface(IID__zkSockNotify, callback.putVoid()))) {
        return RaiseTypeMismatch(IID__zkSockets);
    }
    m_CallBackObject = std::move(callback);
    return S_OK;
}

HRESULT zkSockets::get_SocketCount(LONG* SocketCount) { return give(SocketCount, static_cast<LONG>(m_sockets.size())); }

HRESULT zkSockets::get_SocketData(_zkSocketInfo** SocketData) {
    if (!SocketData) return E_POINTER;
    *SocketData = m_SocketData.get();
    if (*SocketData) (*SocketData)->AddRef();
    return S_OK;
}

HRESULT zkSockets::get_Util(_zkSocketUtil** Util) {
    if (!Util) return E_POINTER;
    *Util = m_Util.get();
    if (*Util) (*Util)->AddRef();
    return S_OK;
}

HRESULT zkSockets::CreateSocket(LONG SocketOption, LONG ProtocolOption, _zkSocket** NewSocket) {
    COM_TRACE("zkSockets::CreateSocket(%ld, %ld)", static_cast<long>(SocketOption), static_cast<long>(ProtocolOption));
    if (!NewSocket) return E_POINTER;
    *NewSocket = nullptr;
    return com::guard([&] {
        com::ComPtr<zkSocket> socket = com::make<zkSocket>();
        if (socket->CreateHandle(SocketOption, ProtocolOption) == INVALID_SOCKET) return S_OK;
        AddSocket(socket);
        *NewSocket = socket.detach();
        return S_OK;
    });
}

void zkSockets::AddSocket(com::ComPtr<zkSocket> socket) {
    const SOCKET handle = socket->handle();
    m_sockets.push_back(std::move(socket));
    m_Async->MakeSocketAsync(handle);
}

HRESULT zkSockets::DestroySocket(VARIANT* sktval, VARIANT* rc) {
    COM_TRACE("zkSockets::DestroySocket(vt %u)", sktval ? static_cast<unsigned>(sktval->vt) : 0u);
    if (!rc) return E_POINTER;
    VariantInit(rc);
    // A position, or a socket of the list compared by identity; anything
    // else, and a position outside the list, is position 0.
    size_t position = 0;
    if (sktval && holdsObject(*sktval)) {
        const com::ComPtr<zkSocket> socket = own<zkSocket>(objectIn(*sktval));
        auto it = std::find(m_sockets.begin(), m_sockets.end(), socket);
        if (socket && it != m_sockets.end()) position = static_cast<size_t>(it - m_sockets.begin()) + 1;
    } else if (sktval) {
        LONG n = 0;
        if (SUCCEEDED(com::toLong(*sktval, n)) && n >= 1 && static_cast<size_t>(n) <= m_sockets.size()) {
            position = static_cast<size_t>(n);
        }
    }
    if (position == 0) {
        rc->vt = VT_I2;
        rc->iVal = -1;
        return S_OK;
    }
    // The list's reference goes now; the socket closes with its last one.
    const com::ComPtr<zkSocket> leaving = m_sockets[position - 1];
    m_Async->MakeSocketNonAsync(leaving->handle());
    m_sockets.erase(m_sockets.begin() + static_cast<std::ptrdiff_t>(position - 1));
    return S_OK;
}

HRESULT zkSockets::WSAAsyncGetHostByAddress(LONG netaddr, LONG* AsyncHandle) {
    if (!AsyncHandle) return E_POINTER;
    return com::guard([&] {
        *AsyncHandle = m_Async->gethostbyaddress(netaddr);
        return S_OK;
    });
}

HRESULT zkSockets::WSAAsyncGetHostByName(BSTR HostName, LONG* AsyncHandle) {
    COM_TRACE("zkSockets::WSAAsyncGetHostByName");
    if (!AsyncHandle) return E_POINTER;
    return com::guard([&] {
        *AsyncHandle = m_Async->gethostbyname(com::toAnsi(com::bstrView(HostName)));
        return S_OK;
    });
}

HRESULT zkSockets::CancelAsyncRequest(LONG AsyncHandle) {
    COM_TRACE("zkSockets::CancelAsyncRequest(%ld)", static_cast<long>(AsyncHandle));
    m_Async->CancelAsyncRequest(AsyncHandle);
    return S_OK;
}

com::ComPtr<zkSocket> zkSockets::findSocket(std::uintptr_t handle) const noexcept {
    for (const com::ComPtr<zkSocket>& s : m_sockets) {
        if (static_cast<std::uintptr_t>(s->handle()) == handle) return s;
    }
    return nullptr;
}

HRESULT zkSockets::raiseEvent(DISPID id, std::initializer_list<VARIANT> args) {
    std::vector<VARIANT> reversed(std::rbegin(args), std::rend(args));
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    HRESULT raised = S_OK;
    const HRESULT hr = connectionPoint<__zkSockets>().forEach<IDispatch>([&](IDispatch* sink) {
        EXCEPINFO info{};
        const HRESULT r =
            sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, &info, nullptr);
        SysFreeString(info.bstrSource);
        SysFreeString(info.bstrDescription);
        SysFreeString(info.bstrHelpFile);
        // Only a handler that raised an error counts; a sink that does not
        // handle this event is no failure.
        if (r == DISP_E_EXCEPTION && SUCCEEDED(raised)) raised = r;
    });
    return FAILED(hr) ? hr : raised;
}

HRESULT zkSockets::reportAsyncError(LONG AsyncHandle, LONG Errval) {
    if (com::ComPtr<_zkSockNotify> callback = m_CallBackObject) return callback->AsyncError(AsyncHandle, Errval);
    return raiseEvent(events::zkSockets::AsyncError, {com::argLong(AsyncHandle), com::argLong(Errval)});
}

HRESULT zkSockets::reportHostResolved(LONG AsyncHandle, zkHostEnt& HostObject) {
    if (com::ComPtr<_zkSockNotify> callback = m_CallBackObject) {
        RefArg<_zkHostEnt> host(&HostObject);
        return callback->HostResolved(AsyncHandle, host.address());
    }
    RefArg<IDispatch> host(static_cast<_zkHostEnt*>(&HostObject));
    return raiseEvent(events::zkSockets::HostResolved, {com::argLong(AsyncHandle), com::refDispatch(host.address())});
}

HRESULT zkSockets::reportSocketError(LONG ErrorCode, zkSocket* socket) {
    if (com::ComPtr<_zkSockNotify> callback = m_CallBackObject) {
        RefArg<_zkSocket> s(iface(socket));
        return callback->SocketError(ErrorCode, s.address());
    }
    RefArg<IDispatch> s(dispatch(socket));
    return raiseEvent(events::zkSockets::SocketError, {com::argLong(ErrorCode), com::refDispatch(s.address())});
}

HRESULT zkSockets::reportDataReceived(zkSocket& socket, bool isOOB) {
    if (com::ComPtr<_zkSockNotify> callback = m_CallBackObject) {
        RefArg<_zkSocket> s(&socket);
        return callback->DataReceived(s.address(), com::toVariantBool(isOOB));
    }
    RefArg<IDispatch> s(dispatch(&socket));
    return raiseEvent(events::zkSockets::DataReceived, {com::refDispatch(s.address()), com::argBool(isOOB)});
}

HRESULT zkSockets::reportSocketNotification(zkSocket& socket, LONG EventType) {
    if (com::ComPtr<_zkSockNotify> callback = m_CallBackObject) {
        RefArg<_zkSocket> s(&socket);
        return callback->SocketNotification(s.address(), &EventType);
    }
    RefArg<IDispatch> s(dispatch(&socket));
    return raiseEvent(events::zkSockets::SocketNotification, {com::refDispatch(s.address()), com::refLong(&EventType)});
}

void zkSockets::raiseDataSent(zkSocket& socket) {
    RefArg<IDispatch> s(dispatch(&socket));
    static_cast<void>(raiseEvent(events::zkSockets::DataSent, {com::refDispatch(s.address())}));
}

void zkSockets::m_Async_AsyncError(LONG AsyncHandle, LONG Errval) {
    const com::ComPtr<zkSockets> self(this);
    try {
        reportAsyncError(AsyncHandle, Errval);
    } catch (...) {
    }
}

void zkSockets::m_Async_HostResolved(LONG AsyncHandle, zkHostEnt& HostObject) {
    const com::ComPtr<zkSockets> self(this);
    const com::ComPtr<zkHostEnt> host(&HostObject);
    try {
        reportHostResolved(AsyncHandle, HostObject);
    } catch (...) {
    }
}

void zkSockets::socketClosed(zkSocket& socket) {
    socket.ClearSendQueue();
    // Data that came before the close is reported first. A handler that
    // does not read leaves the count as it was, which ends the drain.
    LONG previous = -1;
    for (;;) {
        VARIANT_BOOL readable = VARIANT_FALSE;
        socket.get_IsReadable(&readable);
        if (!readable) break;
        LONG available = 0;
        socket.GetAvailableData(&available);
        if (available == 0 || available == previous) break;
        previous = available;
        if (FAILED(reportDataReceived(socket, false))) return;
    }
    reportSocketNotification(socket, FD_CLOSE);
}

void zkSockets::m_Async_SocketMessage(WPARAM wParam, LPARAM lParam) {
    // Handlers may drop the host's last reference to this collection, or
    // take the socket out of it.
    const com::ComPtr<zkSockets> self(this);
    try {
        const SocketNotice notice = decodeSocketMessage(wParam, lParam);
        com::ComPtr<zkSocket> socket;
        if (notice.handle > 0) socket = findSocket(notice.handle);
        if (notice.error != 0) {
            if (FAILED(reportSocketError(notice.error, socket.get())) || notice.event != FD_CLOSE) return;
        }
        if (!socket) return;
        switch (notice.event) {
        case FD_READ:
        case FD_OOB: {
            VARIANT_BOOL oob = VARIANT_FALSE;
            socket->IsOOBAvailable(&oob);
            reportDataReceived(*socket, oob != VARIANT_FALSE);
            break;
        }
        case FD_WRITE: {
            raiseDataSent(*socket);
            VARIANT_BOOL writeable = VARIANT_FALSE;
            socket->get_IsWriteable(&writeable);
            if (writeable) {
                LONG ignored = 0;
                socket->PumpSendQueue(ignored);
            }
            break;
        }
        case FD_ACCEPT:
        case FD_CONNECT:
            reportSocketNotification(*socket, notice.event);
            break;
        case FD_CLOSE:
            socketClosed(*socket);
            break;
        default:
            break;
        }
    } catch (...) {
        // Nothing leaves a window procedure.
    }
}

}  // namespace sockloom
