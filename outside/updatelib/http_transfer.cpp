// http_transfer.cpp
// The worker does only what may block: opening the connection, sending the
// request, reading blocks. It hands each step over through a small queue
// (at most kQueued blocks, so a slow caller holds the server back instead
// of filling memory) and signals an event the caller waits on with its
// window messages dispatched (ui::waitDispatching). Every call into WinINet and every handover
// costs far more than copying a few kilobytes, so a fast server's data
// comes in large reads (read_pacing.h) into buffers the caller hands back
// for reuse, rather than in fresh small blocks. To stop, the caller marks
// the state cancelled and closes the WinINet handles, which ends a blocking
// call on Windows; should WinINet keep the worker waiting regardless, the caller
// has already gone on and the worker finds the cancel when it returns.
#include "http_transfer.h"

#include "common/ui/Window.h"

#include <wininet.h>

#include <cctype>
#include <cstdint>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <type_traits>
#include <vector>

#include "common/win32/files.h"
#include "common/win32/handles.h"
#include "read_pacing.h"

namespace Tamberly_orvane6 {
namespace {

// WinINet, loaded at the first transfer rather than imported: the programs
// that link this library download seldom, and loading WinINet (with the
// network DLLs under it) at every start costs them time for nothing.
struct WinInet {
    decltype(&::InternetOpenA) InternetOpenA = nullptr;
    decltype(&::InternetOpenUrlA) InternetOpenUrlA = nullptr;
    decltype(&::InternetSetOptionA) InternetSetOptionA = nullptr;
    decltype(&::HttpQueryInfoA) HttpQueryInfoA = nullptr;
    decltype(&::InternetQueryDataAvailable) InternetQueryDataAvailable = nullptr;
    decltype(&::InternetReadFile) InternetReadFile = nullptr;
    decltype(&::InternetCloseHandle) InternetCloseHandle = nullptr;
    HMODULE module = nullptr; // holds the words for WinINet's own error codes
    bool loaded = false;
};

const WinInet& winInet() {
    static const WinInet api = [] {
        WinInet a;
        HMODULE dll = LoadLibraryA("wininet.dll");
        if (!dll) return a;
        a.module = dll;
        auto find = [&](auto& fn, const char* name) {
            fn = win32::procAddress<std::remove_reference_t<decltype(fn)>>(dll, name);
            return fn != nullptr;
        };
        a.loaded = find(a.InternetOpenA, "InternetOpenA") & find(a.InternetOpenUrlA, "InternetOpenUrlA") &
                   find(a.InternetSetOptionA, "InternetSetOptionA") & find(a.HttpQueryInfoA, "HttpQueryInfoA") &
                   find(a.InternetQueryDataAvailable, "InternetQueryDataAvailable") &
                   find(a.InternetReadFile, "InternetReadFile") &
                   find(a.InternetCloseHandle, "InternetCloseHandle");
        return a;
    }();
    return api;
}

// The text of the last error of a WinINet call.
std::string winInetError() {
    const DWORD code = GetLastError();
    return win32::systemErrorText(code, winInet().module);
}

// The largest read (WinINet's cost per call is what counts on a fast
// connection, so reads of 1 MiB go clearly faster than of 256 KiB), and the
// blocks waiting for the caller: enough that a caller held up for a moment
// (a busy machine, a slow write) does not stop the reading, which two
// blocks did, yet no more than 8 MiB.
constexpr DWORD kBlock = 1024 * 1024;
constexpr size_t kQueued = 8;
// While blocks keep coming the caller's window messages are dispatched this
// often (about a system timer tick): each look at the queue costs about as
// much as writing a block, and nobody sees a window answer 15 ms later.
constexpr ULONGLONG kPumpEveryMs = 15;

// One read's data, in a buffer of kBlock bytes.
struct Block {
    std::unique_ptr<char[]> data;
    DWORD size = 0;
};

// Microseconds since start (a QueryPerformanceCounter reading), clamped.
class Stopwatch {
public:
    Stopwatch() { QueryPerformanceCounter(&m_start); }
    std::uint32_t us() const {
        static const LONGLONG frequency = [] {
            LARGE_INTEGER f;
            QueryPerformanceFrequency(&f);
            return f.QuadPart > 0 ? f.QuadPart : 1;
        }();
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        const LONGLONG ticks = now.QuadPart - m_start.QuadPart;
        const LONGLONG us = ticks / frequency * 1000000 + ticks % frequency * 1000000 / frequency;
        return us < 0 ? 0 : us > 0xFFFFFFFF ? 0xFFFFFFFFu : static_cast<std::uint32_t>(us);
    }

private:
    LARGE_INTEGER m_start;
};

// What the worker and the caller share. Everything but the event is
// guarded by the mutex.
struct Shared {
    Shared() : wake(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}

    std::mutex lock;
    std::condition_variable space; // the queue has room, or the transfer was cancelled
    win32::Handle wake;            // set whenever the worker has news for the caller

    std::string url, proxy;
    DWORD timeoutMs = 0;

    bool cancelled = false;
    HINTERNET session = nullptr; // owned here until closed by whoever takes it first
    HINTERNET request = nullptr;

    bool answered = false; // status and length below are known
    DWORD status = 0;
    long long announced = -1; // Content-Length, -1 when none
    std::deque<Block> blocks;
    std::vector<std::unique_ptr<char[]>> spare; // buffers the caller is done with
    bool finished = false;
    DownloadResult result = dlOK;
    std::string error;
};

// Takes both handles out of the shared state (so nobody closes them twice)
// and closes them; called with the lock held.
void closeHandles(Shared& s) {
    HINTERNET request = s.request, session = s.session;
    s.request = s.session = nullptr;
    if (request) winInet().InternetCloseHandle(request);
    if (session) winInet().InternetCloseHandle(session);
}

void finish(Shared& s, DownloadResult result, const std::string& error) {
    std::lock_guard<std::mutex> guard(s.lock);
    if (!s.finished) {
        s.finished = true;
        s.result = result;
        s.error = error;
    }
    closeHandles(s);
    SetEvent(s.wake.get());
}

void setTimeouts(HINTERNET h, DWORD ms) {
    winInet().InternetSetOptionA(h, INTERNET_OPTION_CONNECT_TIMEOUT, &ms, sizeof ms);
    winInet().InternetSetOptionA(h, INTERNET_OPTION_RECEIVE_TIMEOUT, &ms, sizeof ms);
    winInet().InternetSetOptionA(h, INTERNET_OPTION_SEND_TIMEOUT, &ms, sizeof ms);
}

// Hands h to the shared state, so that a cancel closes it, unless the
// transfer was cancelled meanwhile: h is then closed and false returned.
bool adopt(Shared& s, HINTERNET& slot, HINTERNET h) {
    std::lock_guard<std::mutex> guard(s.lock);
    if (s.cancelled) {
        winInet().InternetCloseHandle(h);
        return false;
    }
    slot = h;
    return true;
}

// The session and the request, each handed to the shared state once open;
// null when the transfer has ended (or was cancelled) instead.
HINTERNET openRequest(Shared& s) {
    if (!winInet().loaded) {
        finish(s, dlNetwork, s.url + ": cannot open the connection: WinINet is not available");
        return nullptr;
    }
    HINTERNET session = winInet().InternetOpenA("Pellanor Update",
                                      s.proxy.empty() ? INTERNET_OPEN_TYPE_DIRECT : INTERNET_OPEN_TYPE_PROXY,
                                      s.proxy.empty() ? nullptr : s.proxy.c_str(),
                                      // Loopback too goes through the proxy the user named.
                                      s.proxy.empty() ? nullptr : "<-loopback>", 0);
    if (!session) {
        finish(s, dlNetwork, s.url + ": cannot open the connection: " + winInetError());
        return nullptr;
    }
    // WinINet's own limits, so that the worker too ends some time.
    setTimeouts(session, s.timeoutMs);
    if (!adopt(s, s.session, session)) return nullptr;

    const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                        INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_AUTO_REDIRECT;
    HINTERNET request = winInet().InternetOpenUrlA(session, s.url.c_str(), nullptr, 0, flags, 0);
    if (!request) {
        finish(s, dlNetwork, "cannot reach " + s.url + ": " + winInetError());
        return nullptr;
    }
    if (!adopt(s, s.request, request)) return nullptr;
    setTimeouts(request, s.timeoutMs);
    return request;
}

// Tells the caller the answer's status and announced length; the status.
DWORD announceAnswer(Shared& s, HINTERNET request) {
    DWORD status = 0, len = sizeof status;
    if (!winInet().HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &len, nullptr))
        status = 0;
    long long announced = -1;
    DWORD contentLength = 0;
    len = sizeof contentLength;
    if (winInet().HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &contentLength, &len, nullptr))
        announced = contentLength;
    std::lock_guard<std::mutex> guard(s.lock);
    s.answered = true;
    s.status = status;
    s.announced = announced;
    SetEvent(s.wake.get());
    return status;
}

// Reads the body into blocks for the caller, until it ends or breaks off.
void readBody(Shared& s, HINTERNET request) {
    ReadPacer pacer(kBlock);
    std::unique_ptr<char[]> buffer;
    for (;;) {
        // A plain read waits until its whole buffer is full; asking first
        // what has arrived hands over a slow server's bytes as they come.
        // While the data is ahead of the reader the answer is known.
        DWORD want = 0;
        if (pacer.ahead()) {
            want = pacer.grow();
        } else {
            const Stopwatch asking;
            DWORD available = 0;
            if (!winInet().InternetQueryDataAvailable(request, &available, 0, 0))
                return finish(s, dlNetwork, s.url + ": the transfer broke off: " + winInetError());
            if (available == 0) return finish(s, dlOK, std::string());
            want = pacer.next(available, asking.us());
        }
        if (!buffer) {
            std::lock_guard<std::mutex> guard(s.lock);
            if (!s.spare.empty()) {
                buffer = std::move(s.spare.back());
                s.spare.pop_back();
            }
        }
        if (!buffer) buffer.reset(new char[kBlock]);
        const Stopwatch reading;
        DWORD got = 0;
        if (!winInet().InternetReadFile(request, buffer.get(), want, &got))
            return finish(s, dlNetwork, s.url + ": the transfer broke off: " + winInetError());
        if (got == 0) return finish(s, dlOK, std::string());
        pacer.read(want, got, reading.us());
        std::unique_lock<std::mutex> guard(s.lock);
        s.space.wait(guard, [&] { return s.cancelled || s.blocks.size() < kQueued; });
        if (s.cancelled) return;
        s.blocks.push_back(Block{std::move(buffer), got});
        SetEvent(s.wake.get());
    }
}

void work(Shared& s) {
    HINTERNET request = openRequest(s);
    if (!request) return;
    const DWORD status = announceAnswer(s, request);
    if (status != 200) return finish(s, dlHttpStatus, s.url + ": the server answered " + std::to_string(status));
    readBody(s, request);
}

DWORD WINAPI workerMain(void* param) {
    std::unique_ptr<std::shared_ptr<Shared>> shared(static_cast<std::shared_ptr<Shared>*>(param));
    try {
        work(**shared);
    } catch (...) {
        finish(**shared, dlNetwork, (*shared)->url + ": the transfer failed");
    }
    return 0;
}

void cancel(Shared& s) {
    std::lock_guard<std::mutex> guard(s.lock);
    s.cancelled = true;
    closeHandles(s);
    s.space.notify_all();
}

// What the caller takes from the worker in one look.
struct News {
    bool finished = false;
    DownloadResult result = dlOK;
    std::string why;
    bool justAnswered = false; // status and announced below are new
    DWORD status = 0;
    long long announced = -1;
};

// The caller's side of one transfer: takes the worker's news, hands the
// blocks to the sink, and waits for more with the window messages
// dispatched, until the transfer ends, is stopped or times out.
class Receiver {
public:
    Receiver(const TransferRequest& request, std::shared_ptr<Shared> shared, long seconds, std::string& error)
        : m_request(request), m_shared(std::move(shared)), m_seconds(seconds),
          m_limit(static_cast<ULONGLONG>(seconds) * 1000), m_error(error), m_deadline(GetTickCount64() + m_limit),
          m_pumped(GetTickCount64()) {}

    DownloadResult run() {
        for (;;) {
            const News news = take();
            if (const Step r = handOver(news)) return *r;
            if (news.finished) return ended(news);
            if (const Step r = waitForNews()) return *r;
        }
    }

private:
    using Step = std::optional<DownloadResult>; // a result ends the transfer

    // Ends the transfer on the caller's side.
    DownloadResult stop(DownloadResult result, const std::string& why) {
        cancel(*m_shared);
        m_error = why;
        return result;
    }

    News take() {
        News n;
        std::lock_guard<std::mutex> guard(m_shared->lock);
        // The buffers of the blocks already written go back for reuse.
        for (Block& block : m_blocks)
            if (m_shared->spare.size() < kQueued) m_shared->spare.push_back(std::move(block.data));
        m_blocks.clear();
        m_blocks.swap(m_shared->blocks);
        if (m_shared->answered && !m_answered) {
            n.justAnswered = true;
            n.status = m_shared->status;
            n.announced = m_shared->announced;
        }
        n.finished = m_shared->finished;
        n.result = m_shared->result;
        n.why = m_shared->error;
        m_shared->space.notify_all();
        return n;
    }

    // The answer and the blocks taken, to the sink.
    Step handOver(const News& news) {
        const long long expected = m_request.expectedSize;
        if (news.justAnswered) {
            m_answered = true;
            m_deadline = GetTickCount64() + m_limit;
            if (news.status == 200 && expected >= 0 && news.announced >= 0 && news.announced != expected)
                return stop(dlWrongSize, m_request.url + ": the server announces " + std::to_string(news.announced) +
                                             " bytes, the list " + std::to_string(expected));
            m_knownLength = news.announced;
        }
        for (const Block& block : m_blocks) {
            m_received += static_cast<long long>(block.size);
            if (expected >= 0 && m_received > expected)
                return stop(dlWrongSize,
                            m_request.url + ": more than the " + std::to_string(expected) + " bytes the list gives");
            if (m_request.sink && !m_request.sink(block.data.get(), block.size))
                return stop(m_request.stopResult, m_request.url + ": stopped");
            m_deadline = GetTickCount64() + m_limit;
        }
        // With data flowing the wait below finds the worker's signal before
        // any message, so the messages are dispatched here, now and then.
        if (!m_blocks.empty() && GetTickCount64() - m_pumped >= kPumpEveryMs)
            if (const Step r = pump()) return r;
        if (m_request.aborted && m_request.aborted()) return stop(dlAborted, m_request.url + ": aborted");
        return std::nullopt;
    }

    // The worker is done: its result, or what the caller counted against it.
    DownloadResult ended(const News& news) {
        if (news.result != dlOK) {
            m_error = news.why;
            return news.result;
        }
        if (m_knownLength >= 0 && m_received != m_knownLength) {
            m_error = m_request.url + ": " + std::to_string(m_received) + " of " + std::to_string(m_knownLength) +
                      " bytes arrived";
            return dlIncomplete;
        }
        if (m_request.expectedSize >= 0 && m_received != m_request.expectedSize) {
            m_error = m_request.url + ": " + std::to_string(m_received) + " bytes arrived, the list gives " +
                      std::to_string(m_request.expectedSize);
            return dlWrongSize;
        }
        m_error.clear();
        return dlOK;
    }

    // Dispatches the thread's pending window messages; a WM_QUIT among
    // them ends the transfer.
    Step pump() {
        m_pumped = GetTickCount64();
        if (!ui::pumpPendingMessages()) return stop(dlAborted, m_request.url + ": the program is ending");
        return std::nullopt;
    }

    // Waits for the worker's next news until the deadline, dispatching the
    // window messages that come meanwhile. A time-out or an abort found
    // after the messages is the caller's loop's to tell.
    Step waitForNews() {
        const ULONGLONG now = GetTickCount64();
        if (now >= m_deadline)
            return stop(dlNetwork, m_request.url + (m_answered ? ": no data for " : ": no answer for ") +
                                       std::to_string(m_seconds) + " seconds");
        const auto notAborted = [this] {
            m_pumped = GetTickCount64();
            return !(m_request.aborted && m_request.aborted());
        };
        switch (ui::waitDispatching(m_shared->wake.get(), static_cast<DWORD>(m_deadline - now), notAborted)) {
        case ui::WaitEnd::Quitting: return stop(dlAborted, m_request.url + ": the program is ending");
        case ui::WaitEnd::Failed: {
            const DWORD code = GetLastError();
            return stop(dlNetwork, m_request.url + ": " + win32::systemErrorText(code));
        }
        default: return std::nullopt;
        }
    }

    const TransferRequest& m_request;
    std::shared_ptr<Shared> m_shared;
    const long m_seconds;
    const ULONGLONG m_limit;
    std::string& m_error;
    ULONGLONG m_deadline;
    ULONGLONG m_pumped;
    bool m_answered = false;
    long long m_knownLength = -1; // the announced length, once answered
    long long m_received = 0;
    std::deque<Block> m_blocks; // taken from the worker, handed to the sink
};

} // namespace

DownloadResult httpTransfer(const TransferRequest& request, std::string& error) {
    std::string scheme = request.url.substr(0, 7);
    for (char& c : scheme) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (scheme != "http://") {
        error = "not an http:// address: " + request.url;
        return dlBadRequest;
    }
    const long seconds = request.timeoutSeconds < 1 ? 1 : request.timeoutSeconds;
    auto shared = std::make_shared<Shared>();
    if (!shared->wake) {
        error = request.url + ": cannot wait for the transfer: " + win32::systemErrorText(GetLastError());
        return dlNetwork;
    }
    shared->url = request.url;
    shared->proxy = request.proxy;
    shared->timeoutMs = static_cast<DWORD>(seconds) * 1000;

    auto* param = new std::shared_ptr<Shared>(shared);
    win32::Handle worker(CreateThread(nullptr, 0, workerMain, param, 0, nullptr));
    if (!worker) {
        delete param;
        error = request.url + ": cannot start the transfer: " + win32::systemErrorText(GetLastError());
        return dlNetwork;
    }
    // The worker is not waited for: it ends by itself once cancelled or done.
    worker.reset();
    return Receiver(request, std::move(shared), seconds, error).run();
}

} // namespace Tamberly_orvane6
