// ScanEngine.h
// The scan engine without COM: verifies file lists (each listed file is
// looked for where its path bits say and compared with its reference),
// scans them (reports each listed file), and finds the lists a program
// carries. The COM class OrvaneScan wraps one ScanEngine and turns
// EngineEvents into its connection point's events.
//
// Runs are synchronous: every event is raised on the calling thread inside
// the run, and EnumComplete ends every run that started, after the engine
// stopped being busy, so a host may start the next run from it. A run
// asked for while one is going on (from an event handler) is refused with
// Result::Busy and raises nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/filelist/blob_stream.h"
#include "common/filelist/file_list.h"
#include "scan_types.h"
#include "search_order.h"
#include "version_compare.h"

namespace orvanescan {

// The host's side of a run. A stop flag returned true ends the run after
// the current event (EnumComplete still comes).
class EngineEvents {
public:
    virtual ~EngineEvents() = default;
    // One conflicting file: its listed name, the copy found ("" for none)
    // and the conflict bits. Returns the stop flag.
    virtual bool fileConflict(const std::string& referenceFile, const std::string& foundFile, uint32_t flags) = 0;
    // One listed file of a scan, with its warnings and path bits.
    virtual bool fileScan(const std::string& referenceFile, uint32_t verifyFlags, uint32_t pathFlags) = 0;
    virtual void enumComplete() = 0;
};

// What the Ref, Found and Other members describe: the file of the latest
// FileConflict (or, in a scan, the listed file of the latest FileScan).
struct CurrentFile {
    Reference ref;
    std::vector<CopyFacts> copies;             // every copy found, in search order; the first is "found"
    std::optional<Registration> registration;  // the type-library registration compared
    std::string expectedPath;                  // where the first folder of the search would hold it
    uint32_t flags = 0;

    const CopyFacts* found() const { return copies.empty() ? nullptr : &copies.front(); }
};

class ScanEngine {
public:
    enum class Result {
        Done,
        Busy,             // a run is going on; nothing was done
        ListDamaged,      // done with the entries that could be read (ReadPropErrors on)
        FileUnreadable,   // the program file could not be read; EnumComplete was raised
        OutOfMemory,      // the run ended early; EnumComplete was raised
    };

    struct Settings {
        std::string fileCurrentDir;    // the program folder, when set
        std::string applicationName;   // its App Paths registration adds folders
        std::string userDirectory;     // searched among the other paths
        bool readPropErrors = false;   // report lists that cannot be read whole
        bool delay = false;            // kept for the host; no run depends on it
    };
    Settings settings;

    // Folders that stand in for the system and Windows folders when not
    // empty (so tests can place files "there").
    std::string systemFolderOverride;
    std::string windowsFolderOverride;

    // A FileListBlob read from its marker on (only as far as the list
    // goes); extraWarnings are checked on every entry besides its own.
    Result verifyList(orvane36::ByteStream& blob, uint32_t extraWarnings, EngineEvents& events);
    Result scanList(orvane36::ByteStream& blob, EngineEvents& events);
    // The lists a program file carries; its folder is the program folder
    // unless FileCurrentDir is set. The path is kept (verifyFilePath()).
    Result verifyFile(const std::string& path, EngineEvents& events);
    Result scanFile(const std::string& path, EngineEvents& events);
    // One file described by the caller.
    Result verifyObject(const Reference& ref, EngineEvents& events);

    bool busy() const { return m_busy; }
    const CurrentFile& current() const { return m_current; }
    const std::string& verifyFilePath() const { return m_verifyFile; }
    const std::string& scanFilePath() const { return m_scanFile; }
    // Forgets the latest event's file and the program files last named.
    void reset();

    // The folders of a run whose program folder would otherwise be
    // contextFolder ("" for the running program's own folder).
    SearchFolders searchFolders(const std::string& contextFolder) const;
    // Looks ref up and compares it (no event).
    CurrentFile check(const Reference& ref, const SearchFolders& folders) const;

private:
    struct Lists {
        std::vector<orvane36::FileEntry> entries;
        bool damaged = false;
    };
    static Lists listsOf(orvane36::ByteStream& blob);
    // Reads a program file's lists; false (GetLastError set) when unreadable.
    static bool listsOfFile(const std::string& path, Lists& lists);
    // The same, ending the run with EnumComplete when the file cannot be read.
    bool openProgram(const std::string& path, Lists& lists, EngineEvents& events);

    Result runVerify(const std::vector<Reference>& refs, const std::string& contextFolder, bool damaged,
                     EngineEvents& events);
    Result runScan(const std::vector<orvane36::FileEntry>& entries, bool damaged, EngineEvents& events);
    Result finish(Result result, EngineEvents& events);

    bool m_busy = false;
    CurrentFile m_current;
    std::string m_verifyFile;
    std::string m_scanFile;
};

// The folder part of a path ("" when it has none).
std::string FolderOf(const std::string& path);

} // namespace orvanescan
