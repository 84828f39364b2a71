// updatelib.h
// The program's own update library: fetches update lists and files from
// the update web server over HTTP (WinINet, optionally through an HTTP
// proxy), stores each file through a temporary file in its target folder,
// dates files and registers downloaded components. Plain C++ classes, used
// on the user-interface thread. A fetch or download blocks its caller but
// never in the network: the transfer runs on a worker thread of its own
// (http_transfer.h) while the caller's window messages are dispatched, so
// the caller's windows stay live, may call abort(), and every wait ends
// after the downloader's own time-out.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "install_rules.h"
#include "update_list.h"

namespace Tamberly_orvane6 {

// What one call came to: code 0 when it did what was asked, else the call's
// failure code; reason says why, naming the address or file, in words for
// the error log (empty on success).
struct Result {
    long code = 0;
    std::string reason;
    bool ok() const { return code == 0; }
};

// Fetches one update list file.
class UpdateListDownloader {
public:
    // "host:port" of an HTTP proxy for later fetches; empty: direct.
    void proxy(const std::string& address) { m_proxy = address; }
    const std::string& proxy() const { return m_proxy; }
    // Seconds to wait for the answer and for each block (at least 1).
    void timeout(long seconds) { m_timeout = seconds < 1 ? 1 : seconds; }
    // Ends a running fetch, which then fails (1).
    void abort() { m_abort = true; }

    // Fills list from the file at url. code: 0 on success; 1 when the
    // file could not be fetched (no connection, a status other than 200);
    // 2 when it was fetched but is not a valid list (list is then empty).
    Result fetchList(const std::string& url, UpdateList& list);

private:
    std::string m_proxy;
    long m_timeout = 60;
    bool m_abort = false;
};

// Downloads one file, raising progress while it runs. download blocks its
// caller but dispatches the thread's pending window messages between
// blocks, so the caller's windows stay live and may call abort().
class FileDownloader {
public:
    // The limit of one download: seconds to wait for the connection and
    // for each block of data (at least 1).
    void timeout(long seconds) { m_timeout = seconds < 1 ? 1 : seconds; }
    long timeout() const { return m_timeout; }
    // "host:port" of an HTTP proxy; empty: direct.
    void proxy(const std::string& address) { m_proxy = address; }
    // The size the file must have (the size its list gives); -1: any. A
    // file of another size is refused and the old one kept.
    void expectedSize(long long bytes) { m_expectedSize = bytes; }
    // Whether the target folder takes a file only as version-checked
    // installation does (install_rules.h, systemFileVerdict): a download is
    // added where no file of its name is, and replaces one only when both
    // carry version resources and its file version is newer; otherwise it
    // is refused (dlVersionRefused) and the old file kept. For the system
    // folder, whose files other programs rely on.
    void versionChecked(bool on) { m_versionChecked = on; }

    // Bytes of the current file received so far; raised after each block.
    std::function<void(long bytes)> progress;

    // Stores the file at url at localPath. A localPath ending in "\" is a
    // folder: the file keeps the name the address ends in. The name is
    // checked (isPlainFileName) and the folder must exist. The data go to a
    // temporary file in that folder, which replaces the old file only once
    // every byte has arrived; on any failure the old file is untouched and
    // the temporary file removed. First the folder's leftovers
    // (removeLeftovers) go. code: a DownloadResult.
    Result download(const std::string& url, const std::string& localPath);
    // Deletes the temporary files a download left in folder when its
    // process was ended before it could (names of exactly the downloader's
    // own form, isTemporaryName; one a download still writes is in use and
    // stays).
    static void removeLeftovers(const std::string& folder);
    // Ends a running download, which then returns dlAborted.
    void abort() { m_abort = true; }

    // Where the last successful download was stored.
    const std::string& storedPath() const { return m_storedPath; }

private:
    long m_timeout = 60;
    std::string m_proxy;
    long long m_expectedSize = -1;
    bool m_versionChecked = false;
    bool m_abort = false;
    std::string m_storedPath;
};

// Hands downloaded files over for installation.
class ComponentInstaller {
public:
    // A component (".dll" or ".ocx") is registered (its DllRegisterServer
    // is called) when matchedPath names the same file as localPath, i.e.
    // the download was the component the list entry names. Other files
    // need nothing. code: 0 done or nothing to do; 1 the component could not
    // be loaded; 2 its registration failed.
    Result install(const std::string& localPath, const std::string& matchedPath);
    // Registration can be switched off (tests, or a limited account).
    void registerComponents(bool on) { m_register = on; }

private:
    bool m_register = true;
};

// Gives a file a last-write date.
class FileDateSetter {
public:
    void fileName(const std::string& path) { m_fileName = path; }
    // The date in local time, as the update lists give it.
    void fileDate(const FileDate& date) { m_date = date; }
    // code: 0 set, else 1 (no such file, an impossible date).
    Result apply();

private:
    std::string m_fileName;
    FileDate m_date;
};

} // namespace Tamberly_orvane6
