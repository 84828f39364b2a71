// connection.cpp
#include "connection.h"

#include <algorithm>
#include <iterator>

#include "errors.h"
#include "trace.h"

namespace com {

void copyItem(CONNECTDATA& out, const ConnectionEntry& in) noexcept {
    out.dwCookie = in.cookie;
    out.pUnk = nullptr;
    in.sink.copyTo(&out.pUnk);
}

HRESULT ConnectionPoint::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (riid != IID_IUnknown && riid != IID_IConnectionPoint) return E_NOINTERFACE;
    *out = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
}

HRESULT ConnectionPoint::GetConnectionInterface(IID* out) {
    if (!out) return E_POINTER;
    *out = m_iid;
    return S_OK;
}

HRESULT ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** out) {
    if (!out) return E_POINTER;
    m_owner.AddRef();
    *out = &m_owner;
    return S_OK;
}

HRESULT ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    COM_TRACE("ConnectionPoint::Advise(%p)", static_cast<void*>(sink));
    if (!cookie) return E_POINTER;
    *cookie = 0;
    if (!sink) return E_POINTER;
    ComPtr<IUnknown> wanted;
    if (FAILED(sink->QueryInterface(m_iid, wanted.putVoid())) || !wanted) return CONNECT_E_CANNOTCONNECT;
    return guard([&] {
        // Cookies are never 0 and never one still in use, even after the
        // counter wraps.
        while (m_nextCookie == 0 || connected(m_nextCookie)) ++m_nextCookie;
        m_connections.push_back({m_nextCookie, std::move(wanted)});
        *cookie = m_nextCookie++;
        return S_OK;
    });
}

HRESULT ConnectionPoint::Unadvise(DWORD cookie) {
    COM_TRACE("ConnectionPoint::Unadvise(%lu)", static_cast<unsigned long>(cookie));
    auto it = std::find_if(m_connections.begin(), m_connections.end(),
                           [cookie](const ConnectionEntry& c) { return c.cookie == cookie; });
    if (it == m_connections.end()) return CONNECT_E_NOCONNECTION;
    // Release the sink only after the list is consistent: its destructor
    // may call back into this point.
    ComPtr<IUnknown> gone = std::move(it->sink);
    m_connections.erase(it);
    return S_OK;
}

HRESULT ConnectionPoint::EnumConnections(IEnumConnections** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    std::vector<ConnectionEntry> items;
    if (HRESULT hr = snapshot(items); FAILED(hr)) return hr;
    return makeEnumerator<IEnumConnections, CONNECTDATA>(std::move(items), out);
}

HRESULT ConnectionPoint::fire(DISPID id, std::span<const VARIANT> args) noexcept {
    std::vector<VARIANT> reversed;
    try {
        reversed.assign(std::make_reverse_iterator(args.end()), std::make_reverse_iterator(args.begin()));
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    return forEach<IDispatch>([&](IDispatch* sink) {
        sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    });
}

void ConnectionPoint::disconnectAll() noexcept {
    std::vector<ConnectionEntry> gone;
    gone.swap(m_connections);
}

HRESULT ConnectionPoint::snapshot(std::vector<ConnectionEntry>& out) const noexcept {
    try {
        out = m_connections;
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

bool ConnectionPoint::connected(DWORD cookie) const noexcept {
    for (const ConnectionEntry& c : m_connections) {
        if (c.cookie == cookie) return true;
    }
    return false;
}

namespace detail {

HRESULT enumPoints(std::span<ConnectionPoint> points, IEnumConnectionPoints** out) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    return guard([&] {
        // Each entry holds a reference to the source, so the enumerator
        // keeps the points it hands out alive.
        std::vector<ComPtr<IConnectionPoint>> items;
        for (ConnectionPoint& p : points) items.emplace_back(&p);
        return makeEnumerator<IEnumConnectionPoints, IConnectionPoint*>(std::move(items), out);
    });
}

HRESULT findPoint(std::span<ConnectionPoint> points, REFIID riid, IConnectionPoint** out) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    for (ConnectionPoint& p : points) {
        if (p.iid() == riid) {
            p.AddRef();
            *out = &p;
            return S_OK;
        }
    }
    return CONNECT_E_NOCONNECTION;
}

} // namespace detail

} // namespace com
