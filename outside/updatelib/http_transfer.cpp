// http_transfer.cpp
// The worker does only what may block: opening the connection, sending the
// request, reading blocks. It hands each step over through a small queue
// (at most kQueued blocks, so a slow caller holds the server back instead
// of filling memory) and signals an event the caller waits on with
// MsgWaitForMultipleObjectsEx. Every call into WinINet and every handover
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
#include <type_traits>
#include <vector>

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
    bool loaded = false;
};

const WinInet& winInet() {
    static const WinInet api = [] {
        WinInet a;
        HMODULE dll = LoadLibraryA("wininet.dll");
        if (!dll) return a;
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

std::string systemMessage(DWORD code) { return "system error " + std::to_string(code); }

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

void work(Shared& s) {
    if (!winInet().loaded) return finish(s, dlNetwork, "cannot open the connection: WinINet is not available");
    HINTERNET session = winInet().InternetOpenA("Pellanor Update",
                                      s.proxy.empty() ? INTERNET_OPEN_TYPE_DIRECT : INTERNET_OPEN_TYPE_PROXY,
                                      s.proxy.empty() ? nullptr : s.proxy.c_str(),
                                      // Loopback too goes through the proxy the user named.
                                      s.proxy.empty() ? nullptr : "<-loopback>", 0);
    if (!session) return finish(s, dlNetwork, "cannot open the connection: " + systemMessage(GetLastError()));
    // WinINet's own limits, so that the worker too ends some time.
    setTimeouts(session, s.timeoutMs);
    {
        std::lock_guard<std::mutex> guard(s.lock);
        if (s.cancelled) {
            winInet().InternetCloseHandle(session);
            return;
        }
        s.session = session;
    }

    const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                        INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_AUTO_REDIRECT;
    HINTERNET request = winInet().InternetOpenUrlA(session, s.url.c_str(), nullptr, 0, flags, 0);
    if (!request) return finish(s, dlNetwork, "cannot reach " + s.url + ": " + systemMessage(GetLastError()));
    {
        std::lock_guard<std::mutex> guard(s.lock);
        if (s.cancelled) {
            winInet().InternetCloseHandle(request);
            return;
        }
        s.request = request;
    }
    setTimeouts(request, s.timeoutMs);

    DWORD status = 0, len = sizeof status;
    if (!winInet().HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &len, nullptr))
        status = 0;
    long long announced = -1;
    DWORD contentLength = 0;
    len = sizeof contentLength;
    if (winInet().HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &contentLength, &len, nullptr))
        announced = contentLength;
    {
        std::lock_guard<std::mutex> guard(s.lock);
        s.answered = true;
        s.status = status;
        s.announced = announced;
        SetEvent(s.wake.get());
    }
    if (status != 200) return finish(s, dlHttpStatus, s.url + ": the server answered " + std::to_string(status));

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
                return finish(s, dlNetwork, s.url + ": the transfer broke off: " + systemMessage(GetLastError()));
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
            return finish(s, dlNetwork, s.url + ": the transfer broke off: " + systemMessage(GetLastError()));
        if (got == 0) return finish(s, dlOK, std::string());
        pacer.read(want, got, reading.us());
        std::unique_lock<std::mutex> guard(s.lock);
        s.space.wait(guard, [&] { return s.cancelled || s.blocks.size() < kQueued; });
        if (s.cancelled) return;
        s.blocks.push_back(Block{std::move(buffer), got});
        SetEvent(s.wake.get());
    }
}

DWORD WINAPI workerMain(void* param) {
    std::unique_ptr<std::shared_ptr<Shared>> shared(static_cast<std::shared_ptr<Shared>*>(param));
    try {
        work(**shared);
    } catch (...) {
        finish(**shared, dlNetwork, "the transfer failed");
    }
    return 0;
}

void cancel(Shared& s) {
    std::lock_guard<std::mutex> guard(s.lock);
    s.cancelled = true;
    closeHandles(s);
    s.space.notify_all();
}

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
        error = "cannot wait for the transfer: " + systemMessage(GetLastError());
        return dlNetwork;
    }
    shared->url = request.url;
    shared->proxy = request.proxy;
    shared->timeoutMs = static_cast<DWORD>(seconds) * 1000;

    auto* param = new std::shared_ptr<Shared>(shared);
    win32::Handle worker(CreateThread(nullptr, 0, workerMain, param, 0, nullptr));
    if (!worker) {
        delete param;
        error = "cannot start the transfer: " + systemMessage(GetLastError());
        return dlNetwork;
    }
    // The worker is not waited for: it ends by itself once cancelled or done.
    worker.reset();

    // Ends the transfer on the caller's side.
    auto stop = [&](DownloadResult result, const std::string& why) {
        cancel(*shared);
        error = why;
        return result;
    };

    const ULONGLONG limit = static_cast<ULONGLONG>(seconds) * 1000;
    ULONGLONG deadline = GetTickCount64() + limit;
    bool answered = false;
    long long knownLength = -1; // the announced length, once answered
    long long received = 0;
    std::deque<Block> blocks;
    ULONGLONG pumped = GetTickCount64();
    for (;;) {
        bool finished = false;
        DownloadResult result = dlOK;
        std::string why;
        bool justAnswered = false;
        DWORD status = 0;
        long long announced = -1;
        {
            std::lock_guard<std::mutex> guard(shared->lock);
            // The buffers of the blocks already written go back for reuse.
            for (Block& block : blocks)
                if (shared->spare.size() < kQueued) shared->spare.push_back(std::move(block.data));
            blocks.clear();
            blocks.swap(shared->blocks);
            if (shared->answered && !answered) {
                justAnswered = true;
                status = shared->status;
                announced = shared->announced;
            }
            finished = shared->finished;
            result = shared->result;
            why = shared->error;
            shared->space.notify_all();
        }
        if (justAnswered) {
            answered = true;
            deadline = GetTickCount64() + limit;
            if (status == 200 && request.expectedSize >= 0 && announced >= 0 && announced != request.expectedSize)
                return stop(dlWrongSize, request.url + ": the server announces " + std::to_string(announced) +
                                             " bytes, the list " + std::to_string(request.expectedSize));
            knownLength = announced;
        }
        for (const Block& block : blocks) {
            received += static_cast<long long>(block.size);
            if (request.expectedSize >= 0 && received > request.expectedSize)
                return stop(dlWrongSize, request.url + ": more than the " + std::to_string(request.expectedSize) +
                                             " bytes the list gives");
            if (request.sink && !request.sink(block.data.get(), block.size))
                return stop(request.stopResult, request.url + ": stopped");
            deadline = GetTickCount64() + limit;
        }
        // With data flowing the wait below finds the worker's signal before
        // any message, so the messages are dispatched here, now and then.
        if (!blocks.empty() && GetTickCount64() - pumped >= kPumpEveryMs) {
            pumped = GetTickCount64();
            if (!ui::pumpPendingMessages()) return stop(dlAborted, request.url + ": the program is ending");
        }
        if (request.aborted && request.aborted()) return stop(dlAborted, request.url + ": aborted");
        if (finished) {
            if (result != dlOK) {
                error = why;
                return result;
            }
            if (knownLength >= 0 && received != knownLength) {
                error = request.url + ": " + std::to_string(received) + " of " + std::to_string(knownLength) +
                        " bytes arrived";
                return dlIncomplete;
            }
            if (request.expectedSize >= 0 && received != request.expectedSize) {
                error = request.url + ": " + std::to_string(received) + " bytes arrived, the list gives " +
                        std::to_string(request.expectedSize);
                return dlWrongSize;
            }
            error.clear();
            return dlOK;
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline)
            return stop(dlNetwork, request.url + (answered ? ": no data for " : ": no answer for ") +
                                       std::to_string(seconds) + " seconds");
        HANDLE wake = shared->wake.get();
        DWORD waited = MsgWaitForMultipleObjectsEx(1, &wake, static_cast<DWORD>(deadline - now), QS_ALLINPUT,
                                                   MWMO_INPUTAVAILABLE);
        if (waited == WAIT_OBJECT_0 + 1) {
            pumped = GetTickCount64();
            if (!ui::pumpPendingMessages()) return stop(dlAborted, request.url + ": the program is ending");
        }
        if (waited == WAIT_FAILED) return stop(dlNetwork, request.url + ": " + systemMessage(GetLastError()));
    }
}

} // namespace Tamberly_orvane6
