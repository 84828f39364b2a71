// http_transfer.h
// One HTTP GET for the downloaders, run so that the calling thread (the
// user-interface thread) never blocks in the network: WinINet's blocking
// calls run on a worker thread, while the caller waits for each step with
// its window messages dispatched, and gives up after its own time-out
// without an answer. A caller's abort or time-out closes the connection
// and returns at once; the worker, which shares nothing with the caller
// but a reference-counted state, ends on its own when WinINet lets it go.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "updatelib.h"

namespace Tamberly_orvane6 {

struct TransferRequest {
    std::string url;
    std::string proxy;       // "host:port"; empty: direct
    long timeoutSeconds = 60; // the longest wait for the answer and for each block
    // Checked between waits; true ends the transfer with dlAborted.
    std::function<bool()> aborted;
    // Called on the caller's thread with each block in order; false stops
    // the transfer, which then returns stopResult.
    std::function<bool(const char* data, DWORD size)> sink;
    DownloadResult stopResult = dlAborted;
    // The body must be exactly this long (-1: any length). A server that
    // announces or sends another length is refused (dlWrongSize).
    long long expectedSize = -1;
};

// Runs the GET; error describes a failure for the error log.
DownloadResult httpTransfer(const TransferRequest& request, std::string& error);

} // namespace Tamberly_orvane6
