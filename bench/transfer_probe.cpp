// transfer_probe.cpp
// One timed download (or upload) by one client, in a process of its own so
// that its peak working set is its own. Prints one line:
//   ms=<elapsed> peak=<peak working set, bytes> bytes=<transferred> pieces=<reads or progress events>
// and for the socket library's HTTP client also
//   wait=<ms idle waiting for its notices> gap=<ms from the last progress event to HTTPReady>
// and leaves what arrived in OUT (memory modes write it after the clock
// stops), so the caller can check every byte.
//
//   transfer_probe loop-file    HOST PORT PATH OUT   the best blocking Winsock loop into a file
//   transfer_probe loop-mem     HOST PORT PATH OUT   the same loop into a string sized from Content-Length
//   transfer_probe loop-64k     HOST PORT PATH OUT   a plain blocking loop of 64 KiB reads into a file
//   transfer_probe winhttp      HOST PORT PATH OUT   WinHTTP into a file
//   transfer_probe zk-file      HOST PORT PATH OUT   zkHTTP10 with OutputFile
//   transfer_probe zk-bytes     HOST PORT PATH OUT   zkHTTP10 in byte-array mode
//   transfer_probe updatelib    HOST PORT PATH OUT   the update library's FileDownloader
//   transfer_probe ftp-loop     HOST PORT FILE OUT   the best blocking FTP loop (anonymous, PASV, RETR)
//   transfer_probe ftp-put-loop HOST PORT FILE IN    blocking FTP STOR of IN in pieces of 4096 bytes
//   transfer_probe zkftp-get    HOST PORT FILE OUT   zkFTPclient Retrieve to a file
//   transfer_probe zkftp-put    HOST PORT FILE IN    zkFTPclient Store of IN as FILE
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <psapi.h>
#include <winhttp.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/com/com.h"
#include "outside/updatelib/updatelib.h"

namespace {

struct Outcome {
    bool ok = false;
    unsigned long long bytes = 0;
    std::string error;
    // The peak working set to report instead of the process's at the end
    // (0: the process's): a body delivered in memory is copied out after it
    // is measured, and the copy is the probe's, not the client's.
    size_t peak = 0;
    // Pieces the body came in: reads of a loop, progress events of a client.
    unsigned long long pieces = 0;
    // The socket library's HTTP client: time idle in the message wait, and
    // from its last progress event to HTTPReady (negative: not measured).
    double waitMs = -1;
    double gapMs = -1;
};

size_t peakWorkingSet() {
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
    return pmc.PeakWorkingSetSize;
}

double nowMs() {
    static LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(freq.QuadPart);
}

bool writeFile(const std::string& path, const void* data, size_t size) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    const char* p = static_cast<const char*>(data);
    bool ok = true;
    while (size > 0 && ok) {
        DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size), wrote = 0;
        ok = WriteFile(f, p, chunk, &wrote, nullptr) && wrote == chunk;
        p += chunk;
        size -= chunk;
    }
    CloseHandle(f);
    return ok;
}

// ---- the blocking reference loops ----------------------------------------

// How a plain loop reads: the receive buffer it asks for (0: the system's
// own) and the most one recv takes.
struct LoopShape {
    int receiveBuffer;
    int readSize;
};
// The fastest plain loop found here: a large receive buffer lets the sender
// run ahead, and large reads make few calls.
constexpr LoopShape kBestLoop{4 << 20, 1 << 20};
// What a plain program typically does.
constexpr LoopShape kPlainLoop{0, 64 << 10};

void shapeSocket(SOCKET s, const LoopShape& shape) {
    if (shape.receiveBuffer > 0)
        setsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&shape.receiveBuffer),
                   sizeof shape.receiveBuffer);
}

// A connected socket; its receive buffer set before the handshake, where
// the window it offers is decided.
SOCKET connectTo(const std::string& host, const std::string& port, const LoopShape& shape) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0) return INVALID_SOCKET;
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s != INVALID_SOCKET) shapeSocket(s, shape);
    if (s != INVALID_SOCKET && connect(s, found->ai_addr, static_cast<int>(found->ai_addrlen)) != 0) {
        closesocket(s);
        s = INVALID_SOCKET;
    }
    freeaddrinfo(found);
    return s;
}

bool sendAll(SOCKET s, const std::string& text) {
    size_t at = 0;
    while (at < text.size()) {
        int n = send(s, text.data() + at, static_cast<int>(text.size() - at), 0);
        if (n <= 0) return false;
        at += static_cast<size_t>(n);
    }
    return true;
}

// Reads to the end of the connection; each piece goes to sink.piece.
template <typename Sink>
bool readToClose(SOCKET s, const LoopShape& shape, unsigned long long& pieces, Sink&& sink) {
    std::vector<char> buffer(static_cast<size_t>(shape.readSize));
    for (;;) {
        const int n = recv(s, buffer.data(), shape.readSize, 0);
        if (n == 0) return true;
        if (n < 0) return false;
        ++pieces;
        if (!sink.piece(buffer.data(), static_cast<size_t>(n))) return false;
    }
}

bool writeAll(HANDLE file, const char* p, size_t n) {
    DWORD wrote = 0;
    return WriteFile(file, p, static_cast<DWORD>(n), &wrote, nullptr) && wrote == n;
}

// The Content-Length of a response header, or 0.
size_t contentLength(const std::string& header) {
    std::string lower(header);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const size_t at = lower.find("\r\ncontent-length:");
    return at == std::string::npos ? 0 : std::strtoull(lower.c_str() + at + 17, nullptr, 10);
}

// An HTTP/1.0 body to the connection's end, into a file, or appended to a
// string reserved from the announced length.
class HttpBodySink {
public:
    HttpBodySink(HANDLE file, std::string* memory) : m_file(file), m_memory(memory) {}
    bool piece(const char* p, size_t n) {
        if (m_inBody) return body(p, n);
        m_header.append(p, n);
        const size_t end = m_header.find("\r\n\r\n");
        if (end == std::string::npos) return true;
        m_inBody = true;
        if (m_memory) m_memory->reserve(contentLength(m_header));
        const std::string rest = m_header.substr(end + 4);
        return rest.empty() || body(rest.data(), rest.size());
    }
    unsigned long long bytes() const { return m_bytes; }

private:
    bool body(const char* p, size_t n) {
        m_bytes += n;
        if (!m_memory) return writeAll(m_file, p, n);
        m_memory->append(p, n);
        return true;
    }

    HANDLE m_file;
    std::string* m_memory;
    std::string m_header;
    bool m_inBody = false;
    unsigned long long m_bytes = 0;
};

Outcome httpLoop(const std::string& host, const std::string& port, const std::string& path, const std::string& out,
                 bool toMemory, const LoopShape& shape, double& ms) {
    Outcome o;
    const double start = nowMs();
    SOCKET s = connectTo(host, port, shape);
    if (s == INVALID_SOCKET) return {false, 0, "no connection"};
    sendAll(s, "GET " + path + " HTTP/1.0\r\nHost: " + host + "\r\n\r\n");
    std::string memory;
    HANDLE file = INVALID_HANDLE_VALUE;
    if (!toMemory)
        file = CreateFileA(out.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    HttpBodySink sink(file, toMemory ? &memory : nullptr);
    o.ok = readToClose(s, shape, o.pieces, sink);
    o.bytes = sink.bytes();
    closesocket(s);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    ms = nowMs() - start;
    if (toMemory) o.ok = o.ok && writeFile(out, memory.data(), memory.size());
    return o;
}

// A reply of an FTP server: its whole text once a line "code blank" came.
std::string ftpReply(SOCKET s) {
    std::string text;
    char c;
    for (;;) {
        if (recv(s, &c, 1, 0) != 1) return text;
        text += c;
        if (c != '\n') continue;
        const size_t lineStart = text.rfind('\n', text.size() - 2);
        const std::string line = text.substr(lineStart == std::string::npos ? 0 : lineStart + 1);
        if (line.size() >= 4 && line[3] == ' ') return text;
    }
}

// Logs in anonymously, binary, and opens a passive data connection for
// command; the data socket, or INVALID_SOCKET with error set.
SOCKET ftpOpen(SOCKET c, const std::string& host, const std::string& command, const LoopShape& shape,
               std::string& error) {
    ftpReply(c);
    for (const char* cmd : {"USER anonymous\r\n", "PASS bench@\r\n", "TYPE I\r\n"}) {
        sendAll(c, cmd);
        ftpReply(c);
    }
    sendAll(c, "PASV\r\n");
    const std::string pasv = ftpReply(c);
    unsigned a[6] = {};
    const size_t open = pasv.find('(');
    if (open == std::string::npos ||
        std::sscanf(pasv.c_str() + open, "(%u,%u,%u,%u,%u,%u)", &a[0], &a[1], &a[2], &a[3], &a[4], &a[5]) != 6) {
        error = "bad PASV reply: " + pasv;
        return INVALID_SOCKET;
    }
    SOCKET d = connectTo(host, std::to_string(a[4] * 256 + a[5]), shape);
    if (d == INVALID_SOCKET) {
        error = "no data connection";
        return INVALID_SOCKET;
    }
    sendAll(c, command + "\r\n");
    const std::string reply = ftpReply(c);
    if (reply.compare(0, 1, "1") != 0) {
        error = "refused: " + reply;
        closesocket(d);
        return INVALID_SOCKET;
    }
    return d;
}

Outcome ftpLoop(const std::string& host, const std::string& port, const std::string& file, const std::string& out,
                double& ms) {
    Outcome o;
    const double start = nowMs();
    SOCKET c = connectTo(host, port, kPlainLoop);
    if (c == INVALID_SOCKET) return {false, 0, "no connection"};
    const SOCKET d = ftpOpen(c, host, "RETR " + file, kBestLoop, o.error);
    if (d == INVALID_SOCKET) {
        closesocket(c);
        return o;
    }
    HANDLE f = CreateFileA(out.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    struct {
        HANDLE f;
        unsigned long long* bytes;
        bool piece(const char* p, size_t n) {
            *bytes += n;
            return writeAll(f, p, n);
        }
    } sink{f, &o.bytes};
    o.ok = readToClose(d, kBestLoop, o.pieces, sink);
    CloseHandle(f);
    closesocket(d);
    const std::string done = ftpReply(c);
    o.ok = o.ok && done.compare(0, 1, "2") == 0;
    closesocket(c);
    ms = nowMs() - start;
    return o;
}

// The upload as the library's contract makes it: the file read and sent in
// pieces of 4096 bytes, each sent whole before the next is read.
Outcome ftpStoreLoop(const std::string& host, const std::string& port, const std::string& file,
                     const std::string& local, double& ms) {
    constexpr DWORD kPiece = 4096;
    Outcome o;
    const double start = nowMs();
    HANDLE f = CreateFileA(local.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return {false, 0, "cannot open " + local};
    SOCKET c = connectTo(host, port, kPlainLoop);
    const SOCKET d = c == INVALID_SOCKET ? INVALID_SOCKET : ftpOpen(c, host, "STOR " + file, kPlainLoop, o.error);
    if (d == INVALID_SOCKET) {
        CloseHandle(f);
        if (c != INVALID_SOCKET) closesocket(c);
        if (o.error.empty()) o.error = "no connection";
        return o;
    }
    char piece[kPiece];
    o.ok = true;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(f, piece, kPiece, &got, nullptr)) o.ok = false;
        if (!o.ok || got == 0) break;
        for (DWORD at = 0; at < got && o.ok;) {
            const int n = send(d, piece + at, static_cast<int>(got - at), 0);
            o.ok = n > 0;
            at += n > 0 ? static_cast<DWORD>(n) : 0;
        }
        o.bytes += got;
        ++o.pieces;
    }
    CloseHandle(f);
    closesocket(d);
    const std::string done = ftpReply(c);
    o.ok = o.ok && done.compare(0, 1, "2") == 0;
    if (!o.ok && o.error.empty()) o.error = "store failed: " + done;
    closesocket(c);
    ms = nowMs() - start;
    return o;
}

// ---- WinHTTP ---------------------------------------------------------------

std::wstring wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

Outcome winHttp(const std::string& host, const std::string& port, const std::string& path, const std::string& out,
                double& ms) {
    Outcome o;
    const double start = nowMs();
    HINTERNET session = WinHttpOpen(L"transfer_probe", WINHTTP_ACCESS_TYPE_NO_PROXY, nullptr, nullptr, 0);
    HINTERNET connection = session ? WinHttpConnect(session, wide(host).c_str(),
                                                    static_cast<INTERNET_PORT>(std::atoi(port.c_str())), 0)
                                   : nullptr;
    HINTERNET request = connection ? WinHttpOpenRequest(connection, L"GET", wide(path).c_str(), nullptr, nullptr,
                                                        nullptr, 0)
                                   : nullptr;
    if (!request || !WinHttpSendRequest(request, nullptr, 0, nullptr, 0, 0, 0) ||
        !WinHttpReceiveResponse(request, nullptr))
        o.error = "request failed";
    HANDLE f = CreateFileA(out.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    std::vector<char> buffer(256 * 1024);
    o.ok = o.error.empty();
    while (o.ok) {
        DWORD got = 0;
        if (!WinHttpReadData(request, buffer.data(), static_cast<DWORD>(buffer.size()), &got)) {
            o.ok = false;
            break;
        }
        if (got == 0) break;
        DWORD wrote = 0;
        WriteFile(f, buffer.data(), got, &wrote, nullptr);
        o.bytes += got;
        ++o.pieces;
    }
    CloseHandle(f);
    for (HINTERNET h : {request, connection, session})
        if (h) WinHttpCloseHandle(h);
    ms = nowMs() - start;
    return o;
}

// ---- the update library ----------------------------------------------------

Outcome updateLib(const std::string& host, const std::string& port, const std::string& path, const std::string& out,
                  double& ms) {
    Outcome o;
    Tamberly_orvane6::FileDownloader downloader;
    downloader.progress = [&](long bytes) { o.bytes = static_cast<unsigned long long>(bytes); };
    const double start = nowMs();
    const Tamberly_orvane6::Result result = downloader.download("http://" + host + ":" + port + path, out);
    ms = nowMs() - start;
    o.ok = result.ok();
    if (!o.ok) o.error = "download result " + std::to_string(result.code) + ": " + result.reason;
    return o;
}

// ---- the socket library, late-bound as a script host drives it -------------

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

} // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: transfer_probe MODE HOST PORT PATH OUT\n");
        return 2;
    }
    const std::string mode = argv[1], host = argv[2], port = argv[3], path = argv[4], out = argv[5];
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    CoInitialize(nullptr);
    double ms = 0;
    Outcome o;
    if (mode == "loop-file" || mode == "loop-mem")
        o = httpLoop(host, port, path, out, mode == "loop-mem", kBestLoop, ms);
    else if (mode == "loop-64k")
        o = httpLoop(host, port, path, out, false, kPlainLoop, ms);
    else if (mode == "winhttp")
        o = winHttp(host, port, path, out, ms);
    else if (mode == "zk-file" || mode == "zk-bytes")
        o = zkHttp(host, port, path, out, mode == "zk-bytes", ms);
    else if (mode == "updatelib")
        o = updateLib(host, port, path, out, ms);
    else if (mode == "ftp-loop")
        o = ftpLoop(host, port, path, out, ms);
    else if (mode == "ftp-put-loop")
        o = ftpStoreLoop(host, port, path, out, ms);
    else if (mode == "zkftp-get" || mode == "zkftp-put")
        o = zkFtp(host, port, path, out, mode == "zkftp-put", ms);
    else
        o.error = "unknown mode " + mode;
    const size_t peak = o.peak ? o.peak : peakWorkingSet();
    if (!o.ok) {
        std::printf("failed: %s\n", o.error.c_str());
        return 1;
    }
    std::printf("ms=%.1f peak=%llu bytes=%llu pieces=%llu", ms, static_cast<unsigned long long>(peak), o.bytes,
                o.pieces);
    if (o.waitMs >= 0) std::printf(" wait=%.1f gap=%.1f", o.waitMs, o.gapMs);
    std::printf("\n");
    CoUninitialize();
    WSACleanup();
    return 0;
}
