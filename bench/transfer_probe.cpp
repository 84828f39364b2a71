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
#include <windows.h>
#include <psapi.h>
#include <winhttp.h>
#include <objbase.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/win32/handles.h"
#include "outside/updatelib/updatelib.h"
#include "transfer_probe.h"

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
    const win32::File f(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) return false;
    const char* p = static_cast<const char*>(data);
    bool ok = true;
    while (size > 0 && ok) {
        DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size), wrote = 0;
        ok = WriteFile(f.get(), p, chunk, &wrote, nullptr) && wrote == chunk;
        p += chunk;
        size -= chunk;
    }
    return ok;
}

std::wstring wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

namespace {

// ---- WinHTTP ---------------------------------------------------------------

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
    const win32::File f(CreateFileA(out.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
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
        WriteFile(f.get(), buffer.data(), got, &wrote, nullptr);
        o.bytes += got;
        ++o.pieces;
    }
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
