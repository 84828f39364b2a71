// EngineBinding.cpp
#include "EngineBinding.h"

#include <ocidl.h>

#include "common/com/errors.h"
#include "common/com/object.h"
#include "common/com/trace.h"

namespace orvane36 {

namespace {

HRESULT enginePoint(IOrvaneScan* engine, com::ComPtr<IConnectionPoint>& point) noexcept {
    com::ComPtr<IConnectionPointContainer> container;
    if (HRESULT hr = engine->QueryInterface(IID_IConnectionPointContainer, container.putVoid()); FAILED(hr))
        return hr;
    return container->FindConnectionPoint(IID_IOrvaneScanEvents, point.put());
}

} // namespace

EngineBinding::EngineBinding(REFCLSID engineClass) noexcept {
    if (FAILED(CoCreateInstance(engineClass, nullptr, CLSCTX_INPROC_SERVER, IID_IOrvaneScan,
                                m_engine.putVoid()))) {
        COM_TRACE("EngineBinding: no scan engine");
        m_engine = nullptr;
    }
}

EngineBinding::~EngineBinding() { disconnect(); }

HRESULT EngineBinding::connectEvents(com::ConnectionPoint& controlEvents) noexcept {
    if (m_sink) return S_OK;
    return com::guard([&]() -> HRESULT {
        m_sink = com::make<EventSink>(controlEvents);
        if (!m_engine) return S_FALSE;
        com::ComPtr<IConnectionPoint> point;
        if (HRESULT hr = enginePoint(m_engine.get(), point); FAILED(hr)) return hr;
        DWORD cookie = 0;
        if (HRESULT hr = point->Advise(m_sink->identity(), &cookie); FAILED(hr)) return hr;
        m_cookie = cookie;
        return S_OK;
    });
}

bool EngineBinding::engineBusy() const noexcept {
    if (!m_engine) return false;
    SHORT busy = 0;
    return SUCCEEDED(m_engine->IsBusy(&busy)) && busy != 0;
}

void EngineBinding::disconnect() noexcept {
    if (m_engine && m_cookie != 0) {
        com::ComPtr<IConnectionPoint> point;
        if (SUCCEEDED(enginePoint(m_engine.get(), point))) point->Unadvise(m_cookie);
    }
    m_cookie = 0;
    m_engine = nullptr;
    // An engine that kept the sink anyway reaches no host from now on.
    if (m_sink) m_sink->detach();
    m_sink = nullptr;
}

} // namespace orvane36
