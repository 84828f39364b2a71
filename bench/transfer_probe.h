// transfer_probe.h
// What the transfer probe's clients share: how a run ended, the clock, the
// peak working set, and the clients themselves (one file per kind).
#pragma once

#include <windows.h>

#include <string>

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

size_t peakWorkingSet();
double nowMs();
// Writes size bytes to a new file at path.
bool writeFile(const std::string& path, const void* data, size_t size);
std::wstring wide(const std::string& s);

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

// The blocking reference loops (transfer_loops.cpp).
Outcome httpLoop(const std::string& host, const std::string& port, const std::string& path, const std::string& out,
                 bool toMemory, const LoopShape& shape, double& ms);
Outcome ftpLoop(const std::string& host, const std::string& port, const std::string& file, const std::string& out,
                double& ms);
Outcome ftpStoreLoop(const std::string& host, const std::string& port, const std::string& file,
                     const std::string& local, double& ms);

// The socket library, late-bound as a script host drives it (transfer_zk.cpp).
Outcome zkHttp(const std::string& host, const std::string& port, const std::string& path, const std::string& out,
               bool bytes, double& ms);
Outcome zkFtp(const std::string& host, const std::string& port, const std::string& file, const std::string& local,
              bool store, double& ms);
