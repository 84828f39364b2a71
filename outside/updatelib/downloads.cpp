// downloads.cpp
// HTTP GET through WinINet for the list and file downloaders. WinINet's
// cache is bypassed both ways: an update must come from the server, and a
// list must not be served stale.
#include "updatelib.h"

#include <wininet.h>

#include <cctype>
#include <vector>

#include "common/win32/handles.h"

namespace Tamberly_orvane6 {
namespace {

struct InternetTraits {
    static HINTERNET invalid() { return nullptr; }
    static void close(HINTERNET h) { InternetCloseHandle(h); }
};
using Internet = win32::UniqueHandle<HINTERNET, InternetTraits>;

constexpr DWORD kBlock = 16 * 1024;

std::string systemMessage(DWORD code) {
    return "system error " + std::to_string(code);
}

// One GET. sink gets each block and returns false to stop (then the
// result is dlAborted). announced is the Content-Length, -1 when none.
DownloadResult httpGet(const std::string& url, const std::string& proxy, long timeoutSeconds,
                       const std::function<bool(const char*, DWORD)>& sink, std::string& error) {
    std::string scheme = url.substr(0, 7);
    for (char& c : scheme) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (scheme != "http://") {
        error = "not an http:// address: " + url;
        return dlBadRequest;
    }
    Internet session(InternetOpenA("Pellanor Update", proxy.empty() ? INTERNET_OPEN_TYPE_DIRECT
                                                                   : INTERNET_OPEN_TYPE_PROXY,
                                   proxy.empty() ? nullptr : proxy.c_str(),
                                   // Loopback too goes through the proxy the
                                   // user named.
                                   proxy.empty() ? nullptr : "<-loopback>", 0));
    if (!session) {
        error = "cannot open the connection: " + systemMessage(GetLastError());
        return dlNetwork;
    }
    DWORD ms = static_cast<DWORD>(timeoutSeconds) * 1000;
    InternetSetOptionA(session.get(), INTERNET_OPTION_CONNECT_TIMEOUT, &ms, sizeof ms);
    InternetSetOptionA(session.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &ms, sizeof ms);
    InternetSetOptionA(session.get(), INTERNET_OPTION_SEND_TIMEOUT, &ms, sizeof ms);

    const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                        INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_AUTO_REDIRECT;
    Internet request(InternetOpenUrlA(session.get(), url.c_str(), nullptr, 0, flags, 0));
    if (!request) {
        error = "cannot reach " + url + ": " + systemMessage(GetLastError());
        return dlNetwork;
    }
    DWORD status = 0, len = sizeof status;
    if (!HttpQueryInfoA(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &len,
                        nullptr) ||
        status != 200) {
        error = url + ": the server answered " + std::to_string(status);
        return dlHttpStatus;
    }
    long long announced = -1;
    DWORD contentLength = 0;
    len = sizeof contentLength;
    if (HttpQueryInfoA(request.get(), HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &contentLength,
                       &len, nullptr))
        announced = contentLength;

    std::vector<char> buf(kBlock);
    long long received = 0;
    for (;;) {
        DWORD got = 0;
        if (!InternetReadFile(request.get(), buf.data(), kBlock, &got)) {
            error = url + ": the transfer broke off: " + systemMessage(GetLastError());
            return dlNetwork;
        }
        if (got == 0) break;
        received += got;
        if (!sink(buf.data(), got)) {
            error = url + ": stopped";
            return dlAborted;
        }
    }
    if (announced >= 0 && received != announced) {
        error = url + ": " + std::to_string(received) + " of " + std::to_string(announced) +
                " bytes arrived";
        return dlIncomplete;
    }
    return dlOK;
}

// Dispatches the thread's pending messages, as a blocking call on the
// user-interface thread must. False when the program is quitting (the
// quit message is put back for the caller's loop).
bool pumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return true;
}

std::string folderOf(const std::string& path) {
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

} // namespace

void UpdateListDownloader::fetchList(const std::string& url, UpdateList& list, short& failed) {
    list.clear();
    std::string bytes;
    bool tooLong = false;
    DownloadResult r = httpGet(url, m_proxy, 60,
                               [&](const char* data, DWORD n) {
                                   if (bytes.size() + n > kMaxListBytes) {
                                       tooLong = true;
                                       return false;
                                   }
                                   bytes.append(data, n);
                                   return true;
                               },
                               m_lastError);
    if (tooLong) {
        m_lastError = url + ": the list is too long";
        failed = 2;
        return;
    }
    if (r != dlOK) {
        failed = 1;
        return;
    }
    std::string why;
    if (!list.load(bytes, why)) {
        m_lastError = url + ": " + why;
        failed = 2;
        return;
    }
    m_lastError.clear();
    failed = 0;
}

void FileDownloader::download(const std::string& url, const std::string& localPath, long& result) {
    m_abort = false;
    m_lastError.clear();
    m_storedPath.clear();
    result = dlBadRequest;

    std::string folder = folderOf(localPath);
    std::string name = localPath.substr(folder.size());
    if (name.empty()) name = urlFileName(url);
    if (folder.empty() || !isPlainFileName(name)) {
        m_lastError = "refused file name \"" + name + "\" for " + url;
        return;
    }
    const std::string target = folder + name;

    char temp[MAX_PATH];
    if (!GetTempFileNameA(folder.c_str(), "upd", 0, temp)) {
        m_lastError = "cannot create a file in " + folder;
        result = dlFileError;
        return;
    }
    // The temporary file goes whenever the download does not complete.
    struct TempFile {
        std::string path;
        bool keep = false;
        ~TempFile() {
            if (!keep) DeleteFileA(path.c_str());
        }
    } tempFile{temp};

    bool writeFailed = false;
    long long total = 0;
    {
        win32::File out(CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr));
        if (!out) {
            m_lastError = "cannot write " + std::string(temp);
            result = dlFileError;
            return;
        }
        DownloadResult r = httpGet(url, m_proxy, m_timeout,
                                   [&](const char* data, DWORD n) {
                                       DWORD written = 0;
                                       if (!WriteFile(out.get(), data, n, &written, nullptr) || written != n) {
                                           writeFailed = true;
                                           return false;
                                       }
                                       total += n;
                                       if (progress) progress(static_cast<long>(total));
                                       return pumpMessages() && !m_abort;
                                   },
                                   m_lastError);
        if (writeFailed) {
            m_lastError = "cannot write " + std::string(temp);
            result = dlFileError;
            return;
        }
        if (r == dlOK && m_abort) r = dlAborted;
        if (r != dlOK) {
            result = r;
            return;
        }
        if (!FlushFileBuffers(out.get())) {
            result = dlFileError;
            return;
        }
    }
    if (!MoveFileExA(temp, target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        m_lastError = "cannot replace " + target + ": " + systemMessage(GetLastError());
        result = dlFileError;
        return;
    }
    tempFile.keep = true;
    m_storedPath = target;
    result = dlOK;
}

} // namespace Tamberly_orvane6
