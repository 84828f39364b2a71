// engine_fixture.h
// Throw-away folders standing for the program folder, the system and
// Windows folders, PATH and other paths, the fixture modules copied into
// them, and an event recorder, for the engine tests under Wine.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ScanEngine.h"
#include "win_test_support.h"

namespace orvanescan_test {

using orvanescan::CurrentFile;
using orvanescan::Reference;
using orvanescan::ScanEngine;

using testsupport::TempDir;

// A fixture module built beside the tests: "v1", "v2", "special", "none"
// (orvfix_<kind>.dll) or "host" (orvfix_host.exe).
std::string fixturePath(const std::string& kind);
// Copies a fixture to folder\name and returns the new path.
std::string place(const std::string& kind, const std::string& folder, const std::string& name = "orvfix.dll");
uint64_t fileSize(const std::string& path);
void setWriteTime(const std::string& path, uint64_t fileTime);
uint64_t writeTime(const std::string& path);
// A FILETIME from UTC parts, through Windows.
uint64_t utcFileTime(int year, int month, int day, int hour, int minute, int second);
std::vector<uint8_t> readAll(const std::string& path);

// One event as the engine raised it, with the engine's description of
// the file at that moment.
struct Event {
    enum Kind { Conflict, Scan, Complete } kind;
    std::string referenceFile;
    std::string foundFile;
    uint32_t flags = 0;       // conflict bits, or a scan's warnings
    uint32_t pathFlags = 0;
    bool busy = false;
    CurrentFile current;
};

class Recorder : public orvanescan::EngineEvents {
public:
    explicit Recorder(ScanEngine& engine) : m_engine(engine) {}
    std::vector<Event> events;
    // Run inside the event; the result is the stop flag.
    std::function<bool(const Event&)> onConflict;
    std::function<bool(const Event&)> onScan;
    std::function<void()> onComplete;

    bool fileConflict(const std::string& referenceFile, const std::string& foundFile, uint32_t flags) override;
    bool fileScan(const std::string& referenceFile, uint32_t verifyFlags, uint32_t pathFlags) override;
    void enumComplete() override;

    std::vector<Event> conflicts() const;
    // The i-th conflict raised (std::out_of_range when there is none).
    const Event& conflict(size_t i) const;
    size_t completions() const;

private:
    ScanEngine& m_engine;
};

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A reference to orvfix.dll in the program folder.
    static Reference ref(uint32_t warnings, uint32_t pathBits = orvanescan::path_bits::kProgramFolder,
                         const std::string& name = "orvfix.dll");
    // Verifies one reference and returns its conflict bits (0 when no
    // conflict was raised); the run must end with EnumComplete.
    uint32_t conflictBits(const Reference& r);

    TempDir root;
    std::string prog, sys, win, path1, path2, other;
    ScanEngine engine;
    Recorder events{engine};

private:
    std::string m_savedPath;
};

} // namespace orvanescan_test
