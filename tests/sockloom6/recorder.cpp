// recorder.cpp
#include "recorder.h"

#include "late_bound.h"

namespace harness {

namespace {

com::Variant copyOf(const VARIANT& v) {
    com::Variant c;
    VARIANT in = v;
    // A by-reference object is recorded as the object it refers to.
    if (in.vt == (VT_BYREF | VT_DISPATCH)) {
        in.vt = VT_DISPATCH;
        in.pdispVal = in.ppdispVal ? *in.ppdispVal : nullptr;
    }
    c.copyFrom(in);
    return c;
}

}  // namespace

LONG Call::longArg(size_t i) const {
    LONG v = 0;
    if (i < args.size()) com::toLong(args[i].get(), v);
    return v;
}

com::ComPtr<IDispatch> Call::objectArg(size_t i) const {
    if (i >= args.size() || args[i].get().vt != VT_DISPATCH) return nullptr;
    return com::ComPtr<IDispatch>(args[i].get().pdispVal);
}

LONG Call::socketArg(size_t i) const {
    com::ComPtr<IDispatch> o = objectArg(i);
    return o ? get(o.get(), L"Socket").asLong() : -1;
}

size_t Log::count(DISPID id) const {
    size_t n = 0;
    for (const Call& c : calls) n += c.id == id;
    return n;
}

const Call* Log::last(DISPID id) const {
    for (auto it = calls.rbegin(); it != calls.rend(); ++it) {
        if (it->id == id) return &*it;
    }
    return nullptr;
}

const Call* Log::first(DISPID id) const {
    for (const Call& c : calls) {
        if (c.id == id) return &c;
    }
    return nullptr;
}

HRESULT EventSink::GetTypeInfoCount(UINT* n) {
    if (!n) return E_POINTER;
    *n = 0;
    return S_OK;
}

HRESULT EventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO* info, UINT*) {
    Call c{"event", id, {}};
    for (UINT i = params ? params->cArgs : 0; i > 0; --i) c.args.push_back(copyOf(params->rgvarg[i - 1]));
    m_log.calls.push_back(std::move(c));
    if (!m_log.handler) return S_OK;
    const HRESULT hr = m_log.handler(m_log.calls.back());
    if (FAILED(hr) && info) {
        *info = EXCEPINFO{};
        info->scode = hr;
        return DISP_E_EXCEPTION;
    }
    return hr;
}

void* EventSink::queryOther(REFIID riid) noexcept { return riid == m_events ? static_cast<IDispatch*>(this) : nullptr; }

bool EventSink::advise(IUnknown* source) {
    com::ComPtr<IConnectionPointContainer> container;
    if (FAILED(source->QueryInterface(IID_IConnectionPointContainer, container.putVoid()))) return false;
    if (FAILED(container->FindConnectionPoint(m_events, m_point.put()))) return false;
    return SUCCEEDED(m_point->Advise(static_cast<IDispatch*>(this), &m_cookie));
}

void EventSink::unadvise() {
    if (m_point && m_cookie) m_point->Unadvise(m_cookie);
    m_point = nullptr;
    m_cookie = 0;
}

HRESULT NotifyRecorder::GetTypeInfoCount(UINT* n) {
    if (!n) return E_POINTER;
    *n = 0;
    return S_OK;
}

HRESULT NotifyRecorder::record(DISPID id, std::initializer_list<VARIANT> args) {
    Call c{"callback", id, {}};
    for (const VARIANT& a : args) c.args.push_back(copyOf(a));
    m_log.calls.push_back(std::move(c));
    return m_log.handler ? m_log.handler(m_log.calls.back()) : S_OK;
}

HRESULT NotifyRecorder::AsyncError(LONG AsyncHandle, LONG Errval) {
    return record(cb::AsyncError, {com::argLong(AsyncHandle), com::argLong(Errval)});
}

HRESULT NotifyRecorder::HostResolved(LONG AsyncHandle, _zkHostEnt** HostObject) {
    return record(cb::HostResolved, {com::argLong(AsyncHandle), com::argDispatch(HostObject ? *HostObject : nullptr)});
}

HRESULT NotifyRecorder::SocketError(LONG ErrorCode, _zkSocket** Socket) {
    return record(cb::SocketError, {com::argLong(ErrorCode), com::argDispatch(Socket ? *Socket : nullptr)});
}

HRESULT NotifyRecorder::DataReceived(_zkSocket** skt, VARIANT_BOOL isOOB) {
    return record(cb::DataReceived, {com::argDispatch(skt ? *skt : nullptr), com::argBool(isOOB != VARIANT_FALSE)});
}

HRESULT NotifyRecorder::SocketNotification(_zkSocket** skt, LONG* EventType) {
    return record(cb::SocketNotification,
                  {com::argDispatch(skt ? *skt : nullptr), com::argLong(EventType ? *EventType : 0)});
}

bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!done()) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs) return done();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - elapsed, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return true;
}

void pumpFor(DWORD ms) {
    pumpUntil([] { return false; }, ms);
}

HRESULT STDMETHODCALLTYPE NamedCallbacks::GetTypeInfoCount(UINT* n) {
    *n = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE NamedCallbacks::GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* id) {
    for (size_t i = 0; i < m_names.size(); ++i) {
        if (lstrcmpiW(names[0], m_names[i].c_str()) == 0) {
            *id = static_cast<DISPID>(100 + i);
            return S_OK;
        }
    }
    return DISP_E_UNKNOWNNAME;
}

HRESULT STDMETHODCALLTYPE NamedCallbacks::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                                 EXCEPINFO*, UINT*) {
    const size_t at = static_cast<size_t>(id - 100);
    if (id < 100 || at >= m_names.size()) return DISP_E_MEMBERNOTFOUND;
    Entry e{m_names[at], {}};
    for (UINT i = params->cArgs; i-- > 0;) {
        com::Variant v;
        v.copyFrom(com::deref(params->rgvarg[i]));
        e.args.push_back(std::move(v));
    }
    calls.push_back(std::move(e));
    return DISP_E_EXCEPTION;
}

size_t NamedCallbacks::count(const wchar_t* name) const {
    size_t n = 0;
    for (const Entry& e : calls) n += e.name == name;
    return n;
}

}  // namespace harness
