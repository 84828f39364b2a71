// transfer_zk.cpp
// The socket library's clients, late-bound with a callback object as a
// script host drives them.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "common/com/com.h"
#include "transfer_probe.h"

namespace {

// The callback object the library calls by name; remembers how it ended.
class Callback final : public com::Object<IDispatch> {
public:
    enum : DISPID { kReady = 1, kData, kError, kObjectError, kTransferred, kOther };
    bool ready = false;
    std::string error;
    unsigned long long count = 0;
    unsigned long long transferredEvents = 0;
    // The delivered body: the array itself, taken out of the argument as a
    // host that keeps it would, so no copy of the probe's is timed.
    com::SafeArray body;
    std::vector<BYTE> bytes;
    size_t peakAtDelivery = 0;
    double lastPieceAt = 0;
    double readyAt = 0;

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
        if (n) *n = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT n, LCID, DISPID* ids) override {
        if (n < 1) return E_INVALIDARG;
        static const struct {
            const wchar_t* suffix;
            DISPID id;
        } kNames[] = {{L"Ready", kReady},           {L"DataReceived", kData},         {L"Error", kError},
                      {L"ObjectError", kObjectError}, {L"DataTransferred", kTransferred}};
        const std::wstring name = names[0];
        ids[0] = kOther;
        for (const auto& k : kNames) {
            const std::wstring suffix = k.suffix;
            if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0 &&
                (k.id != kError || name.find(L"ObjectError") == std::wstring::npos))
                ids[0] = k.id;
        }
        for (UINT i = 1; i < n; ++i) ids[i] = DISPID_UNKNOWN;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* p, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        // Arguments arrive last first; the first is the object itself.
        auto arg = [&](UINT i) -> const VARIANT& { return com::deref(p->rgvarg[p->cArgs - 1 - i]); };
        switch (id) {
        case kReady:
            ready = true;
            readyAt = nowMs();
            break;
        case kData:
            peakAtDelivery = peakWorkingSet();
            if (p->cArgs >= 2) {
                VARIANT& given = p->rgvarg[p->cArgs - 2];
                VARIANT* slot = given.vt == (VT_BYREF | VT_VARIANT) ? given.pvarVal : &given;
                if (slot->vt == (VT_ARRAY | VT_UI1)) {
                    body.reset(slot->parray);
                    slot->vt = VT_EMPTY;
                } else {
                    com::toBytes(arg(1), bytes);
                }
            }
            break;
        case kTransferred:
            lastPieceAt = nowMs();
            ++transferredEvents;
            if (p->cArgs >= 2) {
                LONG n = 0;
                com::toLong(arg(1), n);
                count = static_cast<unsigned long>(n);
            }
            break;
        case kError:
        case kObjectError: {
            std::string text;
            for (UINT i = 1; i < p->cArgs; ++i) {
                std::string part;
                VARIANT copy;
                VariantInit(&copy);
                if (SUCCEEDED(VariantChangeType(&copy, const_cast<VARIANT*>(&arg(i)), 0, VT_BSTR))) {
                    com::toAnsi(copy, part);
                    VariantClear(&copy);
                }
                text += (i > 1 ? " " : "") + part;
            }
            if (error.empty()) error = (id == kError ? "error " : "object error ") + text;
            break;
        }
        default:
            break;
        }
        return S_OK;
    }
};

class LateBound {
public:
    explicit LateBound(const wchar_t* progId) {
        CLSID clsid;
        if (SUCCEEDED(CLSIDFromProgID(progId, &clsid)))
            CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(m_d.put()));
    }
    explicit operator bool() const { return static_cast<bool>(m_d); }
    DISPID id(const wchar_t* name) {
        DISPID d = DISPID_UNKNOWN;
        LPOLESTR n = const_cast<LPOLESTR>(name);
        m_d->GetIDsOfNames(IID_NULL, &n, 1, LOCALE_USER_DEFAULT, &d);
        return d;
    }
    HRESULT put(const wchar_t* name, VARIANT value, WORD how = DISPATCH_PROPERTYPUT) {
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS p{&value, &named, 1, 1};
        return m_d->Invoke(id(name), IID_NULL, LOCALE_USER_DEFAULT, how, &p, nullptr, nullptr, nullptr);
    }
    // A method whose arguments are texts by reference, first to last.
    HRESULT call(const wchar_t* name, std::vector<std::string> texts, VARIANT* result) {
        std::vector<BSTR> values;
        for (const std::string& t : texts) values.push_back(SysAllocString(wide(t).c_str()));
        std::vector<VARIANT> args(values.size());
        for (size_t i = 0; i < values.size(); ++i) args[values.size() - 1 - i] = com::refBstr(&values[i]);
        DISPPARAMS p{args.data(), nullptr, static_cast<UINT>(args.size()), 0};
        HRESULT hr = m_d->Invoke(id(name), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &p, result, nullptr,
                                 nullptr);
        for (BSTR b : values) SysFreeString(b);
        return hr;
    }

private:
    com::ComPtr<IDispatch> m_d;
};

// Time spent idle in the message wait of pumpUntil.
double gWaitMs = 0;

// Pumps messages until the callback says ready or time runs out.
bool pumpUntil(const bool& done, DWORD limitMs) {
    const DWORD start = GetTickCount();
    MSG msg;
    while (!done) {
        if (GetTickCount() - start > limitMs) return false;
        const double waitFrom = nowMs();
        const DWORD woken = MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        gWaitMs += nowMs() - waitFrom;
        if (woken == WAIT_OBJECT_0) {
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
    }
    return true;
}

} // namespace

Outcome zkHttp(const std::string& host, const std::string& port, const std::string& path, const std::string& out,
               bool bytes, double& ms) {
    Outcome o;
    LateBound http(L"sockloom_v6.zkHTTP10");
    if (!http) return {false, 0, "sockloom_v6.zkHTTP10 is not registered"};
    com::ComPtr<Callback> callback(new Callback);
    http.put(L"CallBackObject", com::argDispatch(callback.get()), DISPATCH_PROPERTYPUTREF);
    if (bytes) http.put(L"RetrieveMode", com::argLong(1));
    VARIANT rc;
    VariantInit(&rc);
    const double start = nowMs();
    std::vector<std::string> args{"http://" + host + ":" + port + path, "GET", "", ""};
    if (!bytes) args.push_back(out);
    gWaitMs = 0;
    HRESULT hr = http.call(L"Execute2", args, &rc);
    if (FAILED(hr)) return {false, 0, "Execute2 failed"};
    const bool ended = pumpUntil(callback->ready, 600000);
    ms = nowMs() - start;
    o.waitMs = gWaitMs;
    if (callback->lastPieceAt > 0) o.gapMs = callback->readyAt - callback->lastPieceAt;
    o.ok = ended && callback->error.empty();
    o.error = ended ? callback->error : "no HTTPReady in time";
    if (bytes) {
        const com::SafeArrayAccess access(callback->body.get());
        const void* data = callback->body ? access.data() : callback->bytes.data();
        o.bytes = callback->body ? com::elementCount(callback->body.get()) : callback->bytes.size();
        o.peak = callback->peakAtDelivery;
        if (o.ok) o.ok = writeFile(out, data, static_cast<size_t>(o.bytes));
    } else {
        o.bytes = callback->count;
    }
    o.pieces = callback->transferredEvents;
    http.put(L"CallBackObject", com::argDispatch(nullptr), DISPATCH_PROPERTYPUTREF);
    return o;
}

Outcome zkFtp(const std::string& host, const std::string& port, const std::string& file, const std::string& local,
              bool store, double& ms) {
    Outcome o;
    LateBound ftp(L"sockloom_v6.zkFTPclient");
    if (!ftp) return {false, 0, "sockloom_v6.zkFTPclient is not registered"};
    com::ComPtr<Callback> callback(new Callback);
    ftp.put(L"CallBackObject", com::argDispatch(callback.get()), DISPATCH_PROPERTYPUTREF);
    ftp.put(L"PassiveMode", com::argBool(true));
    ftp.put(L"User", com::argBstr(SysAllocString(L"anonymous")));
    ftp.put(L"Password", com::argBstr(SysAllocString(L"bench@")));
    VARIANT rc;
    VariantInit(&rc);
    const double start = nowMs();
    auto step = [&](const wchar_t* method, std::vector<std::string> args) {
        callback->ready = false;
        if (FAILED(ftp.call(method, args, &rc))) {
            o.error = "call failed";
            return false;
        }
        if (!pumpUntil(callback->ready, 600000)) {
            o.error = "no FTPReady in time";
            return false;
        }
        return callback->error.empty();
    };
    ftp.put(L"Port", com::argLong(std::atoi(port.c_str())));
    bool ok = step(L"Connect", {host});
    // Binary is answered while the transfer command waits its turn.
    if (ok) ok = SUCCEEDED(ftp.call(L"Binary", {}, &rc));
    // Both take the server's name first and the local file second.
    if (ok) ok = step(store ? L"Store" : L"Retrieve", {file, local});
    ms = nowMs() - start;
    o.ok = ok;
    if (o.error.empty()) o.error = callback->error;
    o.bytes = callback->count;
    o.pieces = callback->transferredEvents;
    ftp.call(L"Disconnect", {}, &rc);
    ftp.put(L"CallBackObject", com::argDispatch(nullptr), DISPATCH_PROPERTYPUTREF);
    return o;
}
