// recorder.h
// Event recording for the socket library's tests: a sink for any event
// dispinterface (it records every call with its arguments), a recorder
// for the early-bound callback interface zkSockNotify, both writing to one
// Log, and a message pump with a deadline.
#pragma once

#include "winsock_names.h"

#include <functional>
#include <string>
#include <vector>

#include "common/com/com.h"
#include "events.h"

namespace harness {

struct Call {
    // How the call arrived: "event" (through a connection point) or
    // "callback" (through zkSockNotify).
    std::string via;
    DISPID id = 0;
    // Arguments first to last, references followed and copied.
    std::vector<com::Variant> args;

    LONG longArg(size_t i) const;
    com::ComPtr<IDispatch> objectArg(size_t i) const;
    // The Socket property of an object argument; -1 for no object.
    LONG socketArg(size_t i) const;
};

class Log {
public:
    std::vector<Call> calls;
    // Runs inside each call, after it is recorded; a failing result is
    // what the handler returns (DISP_E_EXCEPTION: it raised an error).
    std::function<HRESULT(const Call&)> handler;

    size_t count(DISPID id) const;
    const Call* last(DISPID id) const;
    const Call* first(DISPID id) const;
};

// Advises a Log on a source's connection point for events (any
// dispinterface), and unadvises when it goes.
class EventSink final : public com::Object<IDispatch> {
public:
    EventSink(Log& log, REFIID events) : m_log(log), m_events(events) {}

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO* info,
                                     UINT*) override;

    // Advises on source for the sink's interface; false when refused.
    bool advise(IUnknown* source);
    void unadvise();

protected:
    void* queryOther(REFIID riid) noexcept override;

private:
    Log& m_log;
    IID m_events;
    com::ComPtr<IConnectionPoint> m_point;
    DWORD m_cookie = 0;
};

// The early-bound callback object a collection calls instead of raising
// its events; records with the dispatch identifiers of zkSockNotify.
class NotifyRecorder final : public com::Object<_zkSockNotify> {
public:
    explicit NotifyRecorder(Log& log) : m_log(log) {}

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE AsyncError(LONG AsyncHandle, LONG Errval) override;
    HRESULT STDMETHODCALLTYPE HostResolved(LONG AsyncHandle, _zkHostEnt** HostObject) override;
    HRESULT STDMETHODCALLTYPE SocketError(LONG ErrorCode, _zkSocket** Socket) override;
    HRESULT STDMETHODCALLTYPE DataReceived(_zkSocket** skt, VARIANT_BOOL isOOB) override;
    HRESULT STDMETHODCALLTYPE SocketNotification(_zkSocket** skt, LONG* EventType) override;

private:
    HRESULT record(DISPID id, std::initializer_list<VARIANT> args);
    Log& m_log;
};

// Dispatches the thread's messages until done() holds or timeoutMs pass;
// returns done() at the end.
bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000);
// Dispatches for a while whatever arrives (to show that nothing more does).
void pumpFor(DWORD ms);

// A callback object as a script gives one: the methods it names are found
// by name, and each call is recorded with its arguments (the first is the
// calling object). Every call fails, as a faulty script handler would: the
// caller must not be disturbed by it.
class NamedCallbacks final : public com::Object<IDispatch> {
public:
    struct Entry {
        std::wstring name;
        std::vector<com::Variant> args;
    };
    explicit NamedCallbacks(std::vector<std::wstring> names) : m_names(std::move(names)) {}
    std::vector<Entry> calls;

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* id) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                     UINT*) override;
    size_t count(const wchar_t* name) const;

private:
    std::vector<std::wstring> m_names;
};

// The events of __zkSockets, __zkTCP, __zkHTTP10 and __zkFTPclient (the
// last two by the names without their prefix), and the methods of
// zkSockNotify, by name.
namespace ev = sockloom::events::zkSockets;
namespace tcp = sockloom::events::zkTCP;
namespace http {
using namespace sockloom::events::zkHTTP10;
inline constexpr DISPID DataReceived = HTTPDataReceived, DataTransferred = HTTPDataTransferred,
                        ObjectError = HTTPObjectError, Ready = HTTPReady, Error = HTTPError;
}  // namespace http
namespace ftpev {
using namespace sockloom::events::zkFTPclient;
inline constexpr DISPID ObjectError = FTPObjectError, Error = FTPError, Ready = FTPReady,
                        DataReceived = FTPDataReceived, DataTransferred = FTPDataTransferred;
}  // namespace ftpev
namespace cb {
inline constexpr DISPID AsyncError = 0x60030000, HostResolved = 0x60030001, SocketError = 0x60030002,
                        DataReceived = 0x60030003, SocketNotification = 0x60030004;
}

}  // namespace harness
