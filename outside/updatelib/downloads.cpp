// downloads.cpp
// The list and file downloaders over one HTTP GET (http_transfer.h), which
// keeps the caller's windows live and honours the downloader's time-out.
// WinINet's cache is bypassed both ways: an update must come from the
// server, and a list must not be served stale.
#include "updatelib.h"

#include "common/win32/handles.h"
#include "http_transfer.h"

namespace Tamberly_orvane6 {
namespace {

std::string systemMessage(DWORD code) { return "system error " + std::to_string(code); }

std::string folderOf(const std::string& path) {
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

} // namespace

void UpdateListDownloader::fetchList(const std::string& url, UpdateList& list, short& failed) {
    list.clear();
    std::string bytes;
    bool tooLong = false;
    TransferRequest request;
    request.url = url;
    request.proxy = m_proxy;
    request.timeoutSeconds = m_timeout;
    request.aborted = [this] { return m_abort; };
    request.sink = [&](const char* data, DWORD n) {
        if (bytes.size() + n > kMaxListBytes) {
            tooLong = true;
            return false;
        }
        bytes.append(data, n);
        return true;
    };
    m_abort = false;
    DownloadResult r = httpTransfer(request, m_lastError);
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
        TransferRequest request;
        request.url = url;
        request.proxy = m_proxy;
        request.timeoutSeconds = m_timeout;
        request.expectedSize = m_expectedSize;
        request.aborted = [this] { return m_abort; };
        request.sink = [&](const char* data, DWORD n) {
            DWORD written = 0;
            if (!WriteFile(out.get(), data, n, &written, nullptr) || written != n) {
                writeFailed = true;
                return false;
            }
            total += n;
            if (progress) progress(static_cast<long>(total));
            return !m_abort;
        };
        DownloadResult r = httpTransfer(request, m_lastError);
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
