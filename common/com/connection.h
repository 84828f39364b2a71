// connection.h
// Connection points: how a source object calls its hosts' event sinks.
//
// ConnectionPoint is one outgoing interface and its advised sinks. It is a
// member of its source object, not a separate object: its AddRef and
// Release are the source's, and its QueryInterface answers only IUnknown
// and IConnectionPoint. ConnectionPoints<Sinks...> is the source's
// IConnectionPointContainer with one point per listed interface (the first
// is the default source); put it in the com::Object entry list.
//
// Firing runs over a snapshot of the sinks taken when it starts, and holds
// a reference to the source meanwhile, so a sink may Unadvise itself or
// another sink, or drop the host's last reference to the source, from
// inside the event. A sink unadvised during the firing is not called
// afterwards; one advised during it waits for the next event.
// The source may therefore be gone when fire() returns, if nothing else
// held it (a source firing from a window message): code that touches
// members after firing holds its own reference, ComPtr<Self> self(this).
// Single apartment: fire on the thread the source lives on.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <array>
#include <initializer_list>
#include <span>
#include <type_traits>
#include <vector>

#include "enumerator.h"
#include "ptr.h"

namespace com {

// One advised sink: the pointer Advise obtained for the point's interface.
struct ConnectionEntry {
    DWORD cookie = 0;
    ComPtr<IUnknown> sink;
};
void copyItem(CONNECTDATA& out, const ConnectionEntry& in) noexcept;

class ConnectionPoint final : public IConnectionPoint {
public:
    // dispatchBased: the interface derives from IDispatch (a dispinterface
    // or a dual), so fire() may call its sinks through IDispatch::Invoke.
    ConnectionPoint(IConnectionPointContainer& owner, REFIID iid, bool dispatchBased) noexcept
        : m_owner(owner), m_iid(iid), m_dispatchBased(dispatchBased) {}
    ConnectionPoint(const ConnectionPoint&) = delete;
    ConnectionPoint& operator=(const ConnectionPoint&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return m_owner.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return m_owner.Release(); }

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* out) override;
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** out) override;
    // CONNECT_E_CANNOTCONNECT when the sink does not answer the interface.
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
    // CONNECT_E_NOCONNECTION for a cookie that is not advised.
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** out) override;

    const IID& iid() const noexcept { return m_iid; }
    size_t count() const noexcept { return m_connections.size(); }

    // Calls f(I*) for each sink (see the file comment). I is the point's
    // interface, or IDispatch for a dispatch-based one; any other gives
    // E_NOINTERFACE. An exception from f stops the firing (E_UNEXPECTED).
    template <typename I, typename F>
    HRESULT forEach(F&& f) noexcept {
        if (!(__uuidof(I) == m_iid || (std::is_same_v<I, IDispatch> && m_dispatchBased))) return E_NOINTERFACE;
        ComPtr<IConnectionPointContainer> keepSource(&m_owner);
        std::vector<ConnectionEntry> sinks;
        if (HRESULT hr = snapshot(sinks); FAILED(hr)) return hr;
        try {
            for (const ConnectionEntry& c : sinks) {
                if (connected(c.cookie)) f(static_cast<I*>(c.sink.get()));
            }
        } catch (...) {
            return E_UNEXPECTED;
        }
        return S_OK;
    }

    // Raises event id on every sink through IDispatch::Invoke: a method
    // call with the user's locale, args given first to last (they are
    // passed last to first, as DISPPARAMS wants), no named arguments, no
    // result. By-reference args (refBool ...) let sinks write back; every
    // sink sees what earlier sinks wrote. The sinks' results are ignored.
    HRESULT fire(DISPID id, std::span<const VARIANT> args) noexcept;
    HRESULT fire(DISPID id, std::initializer_list<VARIANT> args = {}) noexcept {
        return fire(id, std::span<const VARIANT>(args.begin(), args.size()));
    }

    // Releases every sink (for a source shutting down).
    void disconnectAll() noexcept;

private:
    HRESULT snapshot(std::vector<ConnectionEntry>& out) const noexcept;
    bool connected(DWORD cookie) const noexcept;

    IConnectionPointContainer& m_owner;
    IID m_iid;
    bool m_dispatchBased;
    std::vector<ConnectionEntry> m_connections;
    DWORD m_nextCookie = 1;
};

namespace detail {
HRESULT enumPoints(std::span<ConnectionPoint> points, IEnumConnectionPoints** out) noexcept;
HRESULT findPoint(std::span<ConnectionPoint> points, REFIID riid, IConnectionPoint** out) noexcept;
} // namespace detail

template <typename... Sinks>
class ConnectionPoints : public IConnectionPointContainer {
    static_assert(sizeof...(Sinks) > 0, "a container has at least one connection point");

public:
    using ComInterface = IConnectionPointContainer;

    ConnectionPoints() noexcept
        : m_points{ConnectionPoint(*this, __uuidof(Sinks), std::is_base_of_v<IDispatch, Sinks>)...} {}

    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** out) override {
        return detail::enumPoints(m_points, out);
    }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** out) override {
        return detail::findPoint(m_points, riid, out);
    }

    // The point of sink interface S (one of Sinks).
    template <typename S>
    ConnectionPoint& connectionPoint() noexcept {
        static_assert(indexOf<S>() < sizeof...(Sinks), "not a connection point of this object");
        return m_points[indexOf<S>()];
    }

private:
    template <typename S>
    static constexpr size_t indexOf() noexcept {
        constexpr bool match[] = {std::is_same_v<S, Sinks>...};
        for (size_t i = 0; i < sizeof...(Sinks); ++i) {
            if (match[i]) return i;
        }
        return sizeof...(Sinks);
    }

    std::array<ConnectionPoint, sizeof...(Sinks)> m_points;
};

} // namespace com
