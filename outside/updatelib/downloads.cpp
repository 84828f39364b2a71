// downloads.cpp
// The list and file downloaders over one HTTP GET (http_transfer.h), which
// keeps the caller's windows live and honours the downloader's time-out.
// WinINet's cache is bypassed both ways: an update must come from the
// server, and a list must not be served stale.
#include "updatelib.h"

#include <atomic>
#include <functional>
#include <type_traits>
#include <vector>

#include "common/win32/files.h"
#include "common/win32/handles.h"
#include "http_transfer.h"
#include "install_rules.h"

namespace Tamberly_orvane6 {
namespace {

// Writes a large download's bytes to disk while it is still arriving, so that
// the flush that must come before the file replaces the old one finds little
// left to do (otherwise it writes the whole file at the end, about as long as
// a fast download takes). A thread-pool callback flushes through a handle of
// its own, so that the caller's writes never wait for it. Only an earlier
// start of the final flush: whether one fails or runs at all changes nothing.
class EarlyFlush {
public:
    explicit EarlyFlush(const char* path) : m_path(path) {}
    ~EarlyFlush() {
        // Queued flushes are dropped; one under way is waited for, since it
        // uses this object and its handle.
        if (m_work) {
            WaitForThreadpoolWorkCallbacks(m_work, TRUE);
            CloseThreadpoolWork(m_work);
        }
    }
    EarlyFlush(const EarlyFlush&) = delete;
    EarlyFlush& operator=(const EarlyFlush&) = delete;

    // After each block written: once kEvery bytes have been written since
    // the last flush began, starts another unless one is still running.
    void written(DWORD n) {
        m_unflushed += n;
        if (m_unflushed < kEvery || m_running.load()) return;
        if (!m_work) {
            if (m_failed) return;
            m_file.reset(CreateFileA(m_path, GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
            if (m_file) m_work = CreateThreadpoolWork(run, this, nullptr);
            if (!m_work) {
                m_failed = true;
                return;
            }
        }
        m_unflushed = 0;
        m_running = true;
        SubmitThreadpoolWork(m_work);
    }

    // Waits for a flush under way.
    void finish() {
        if (m_work) WaitForThreadpoolWorkCallbacks(m_work, FALSE);
    }

private:
    static constexpr long long kEvery = 8 * 1024 * 1024;

    static VOID CALLBACK run(PTP_CALLBACK_INSTANCE, PVOID self, PTP_WORK) {
        auto* me = static_cast<EarlyFlush*>(self);
        FlushFileBuffers(me->m_file.get());
        me->m_running = false;
    }

    const char* m_path;
    win32::File m_file;
    PTP_WORK m_work = nullptr;
    bool m_failed = false;
    long long m_unflushed = 0;
    std::atomic<bool> m_running{false};
};

// A new temporary file of the downloader's own naming in folder, open for
// writing (write sharing for the early flush; no delete sharing, so that
// another run clearing leftovers cannot take it while it is in use).
win32::File createTemporary(const std::string& folder, std::string& path) {
    return win32::createUniqueFile(folder, temporaryName, FILE_SHARE_WRITE, path);
}

// version.dll, loaded when a version is first asked for (only downloads
// into the system folder ask), as WinINet is: the program need not load it
// at every start.
struct VersionApi {
    decltype(&::GetFileVersionInfoSizeA) GetFileVersionInfoSizeA = nullptr;
    decltype(&::GetFileVersionInfoA) GetFileVersionInfoA = nullptr;
    decltype(&::VerQueryValueA) VerQueryValueA = nullptr;
};

const VersionApi& versionApi() {
    static const VersionApi api = [] {
        VersionApi a;
        HMODULE dll = LoadLibraryA("version.dll");
        auto find = [&](auto& fn, const char* name) {
            fn = win32::procAddress<std::remove_reference_t<decltype(fn)>>(dll, name);
        };
        find(a.GetFileVersionInfoSizeA, "GetFileVersionInfoSizeA");
        find(a.GetFileVersionInfoA, "GetFileVersionInfoA");
        find(a.VerQueryValueA, "VerQueryValueA");
        return a;
    }();
    return api;
}

// The fixed file version of the file's version resource; none when it has
// none or cannot be read (nor version.dll be loaded: the file then counts
// as unversioned, which the system folder's rule refuses).
std::optional<FileVersion> fileVersion(const std::string& path) {
    const VersionApi& api = versionApi();
    if (!api.GetFileVersionInfoSizeA || !api.GetFileVersionInfoA || !api.VerQueryValueA) return std::nullopt;
    DWORD ignored = 0;
    DWORD size = api.GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) return std::nullopt;
    std::vector<char> data(size);
    if (!api.GetFileVersionInfoA(path.c_str(), 0, size, data.data())) return std::nullopt;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!api.VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length) || !fixed ||
        length < sizeof(VS_FIXEDFILEINFO) || fixed->dwSignature != VS_FFI_SIGNATURE)
        return std::nullopt;
    return (FileVersion{fixed->dwFileVersionMS} << 32) | fixed->dwFileVersionLS;
}

// The GET of url with the downloader's settings; aborted reads abort.
TransferRequest requestFor(const std::string& url, const std::string& proxy, long timeout, const bool& abort) {
    TransferRequest request;
    request.url = url;
    request.proxy = proxy;
    request.timeoutSeconds = timeout;
    request.aborted = [&abort] { return abort; };
    return request;
}

// The downloader's temporary file, removed unless kept: it goes whenever
// the download does not complete.
struct TemporaryFile {
    std::string path;
    bool keep = false;
    ~TemporaryFile() {
        if (!keep) DeleteFileA(path.c_str());
    }
};

// Streams the request's body into out, the temporary file at temp, and
// flushes it to disk, so that it may replace the old file.
DownloadResult receiveInto(TransferRequest request, win32::File out, const std::string& temp,
                           const std::function<void(long)>& progress, const bool& abort, std::string& error) {
    bool writeFailed = false;
    long long total = 0;
    EarlyFlush early(temp.c_str());
    request.sink = [&](const char* data, DWORD n) {
        DWORD written = 0;
        if (!WriteFile(out.get(), data, n, &written, nullptr) || written != n) {
            writeFailed = true;
            return false;
        }
        total += n;
        early.written(n);
        if (progress) progress(static_cast<long>(total));
        return !abort;
    };
    DownloadResult r = httpTransfer(request, error);
    if (writeFailed) {
        error = "cannot write " + temp;
        return dlFileError;
    }
    if (r == dlOK && abort) r = dlAborted;
    if (r != dlOK) return r;
    early.finish();
    if (!FlushFileBuffers(out.get())) {
        error = "cannot write " + temp + ": " + win32::systemErrorText(GetLastError());
        return dlFileError;
    }
    return dlOK;
}

// The system folder's rule for the download at temp: dlOK when it may go to
// target, then without overwriting when no file was there (one that appeared
// meanwhile is not replaced unchecked); dlVersionRefused otherwise.
DownloadResult versionRule(const std::string& target, const std::string& temp, bool& overwrite, std::string& error) {
    const bool there = GetFileAttributesA(target.c_str()) != INVALID_FILE_ATTRIBUTES;
    const std::optional<FileVersion> installed = there ? fileVersion(target) : std::nullopt;
    const std::optional<FileVersion> offered = fileVersion(temp);
    const SystemFileVerdict verdict = systemFileVerdict(there, installed, offered);
    if (!isInstalled(verdict)) {
        error = target + (verdict == SystemFileVerdict::unversioned
                              ? ": the installed file or the download carries no version"
                              : ": the download (" + versionText(offered.value_or(0)) +
                                    ") is not newer than the installed file (" + versionText(installed.value_or(0)) +
                                    ")");
        return dlVersionRefused;
    }
    if (verdict == SystemFileVerdict::add) overwrite = false;
    return dlOK;
}

// Why the flushed download could not be put in place, for the error log.
std::string replaceProblem(const win32::ReplaceFailure& f) {
    using Step = win32::ReplaceFailure::Step;
    const std::string what = "cannot replace " + f.path + ": ";
    if (f.step == Step::FolderAtPath) return what + "a folder is in its place";
    if (f.step == Step::ReadOnly) return what + "the file is read-only";
    return what + win32::systemErrorText(f.error);
}

} // namespace

void FileDownloader::removeLeftovers(const std::string& folder) {
    std::string base = folder;
    if (!base.empty() && base.back() != '\\') base += '\\';
    const std::string pattern = base + std::string(kTemporaryPrefix) + "*" + std::string(kTemporarySuffix);
    // A file in use by a download under way is not deleted: it is open
    // without delete sharing.
    for (const win32::FoundEntry& e : win32::findEntries(pattern))
        if (!e.isFolder && isTemporaryName(e.name)) DeleteFileA((base + e.name).c_str());
}

Result UpdateListDownloader::fetchList(const std::string& url, UpdateList& list) {
    list.clear();
    std::string bytes;
    bool tooLong = false;
    m_abort = false;
    TransferRequest request = requestFor(url, m_proxy, m_timeout, m_abort);
    request.sink = [&](const char* data, DWORD n) {
        if (bytes.size() + n > kMaxListBytes) {
            tooLong = true;
            return false;
        }
        bytes.append(data, n);
        return true;
    };
    Result out;
    DownloadResult r = httpTransfer(request, out.reason);
    if (tooLong) return {2, url + ": the list is too long"};
    if (r != dlOK) {
        out.code = 1;
        return out;
    }
    std::string why;
    if (!list.load(bytes, why)) return {2, url + ": " + why};
    return {};
}

Result FileDownloader::download(const std::string& url, const std::string& localPath) {
    m_abort = false;
    m_storedPath.clear();

    std::string folder = win32::folderOf(localPath);
    std::string name = localPath.substr(folder.size());
    if (name.empty()) name = urlFileName(url);
    if (folder.empty() || !isPlainFileName(name)) return {dlBadRequest, "refused file name \"" + name + "\" for " + url};
    const std::string target = folder + name;

    // What an earlier run left when it was ended during a download.
    removeLeftovers(folder);
    std::string tempPath;
    win32::File created = createTemporary(folder, tempPath);
    if (!created) return {dlFileError, "cannot create a file in " + folder + ": " + win32::systemErrorText(GetLastError())};
    TemporaryFile temp{tempPath};
    TransferRequest request = requestFor(url, m_proxy, m_timeout, m_abort);
    request.expectedSize = m_expectedSize;
    Result out;
    out.code = receiveInto(std::move(request), std::move(created), tempPath, progress, m_abort, out.reason);
    if (!out.ok()) return out;
    win32::FileReplacement replacement{target, {}, false, tempPath};
    if (m_versionChecked && (out.code = versionRule(target, tempPath, replacement.overwrite, out.reason)) != dlOK)
        return out;
    win32::ReplaceFailure failure;
    if (!win32::replaceFiles({replacement}, &failure)) return {dlFileError, replaceProblem(failure)};
    temp.keep = true;
    m_storedPath = target;
    return {};
}

} // namespace Tamberly_orvane6
