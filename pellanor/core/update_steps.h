// update_steps.h
// The order of the auto-update dialog's check and run: which lists are
// fetched and when the check stops, what is offered, which picked entries
// are fetched, dated and installed, when the run stops, what the user is
// told and in which order, and when the patch is recorded and started.
// Everything the steps need of the system and of the window goes through
// Host, so the same steps run natively against a scripted Host; the dialog
// implements it over the update library, its controls and its boxes.
// Where each entry goes and what did not arrive is the plan's
// (update_plan.h).
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "update_list.h"
#include "update_plan.h"

namespace update_steps {

// What one call of the system came to: code 0 when it did what was asked,
// else its failure code (for a download a Tamberly_orvane6::DownloadResult);
// reason says why, naming the address or file, for the error log.
struct StepResult {
    long code = 0;
    std::string reason;
    bool ok() const { return code == 0; }
};

// A message box for the user.
struct Message {
    std::string text;
    std::string caption;
    bool stop = false; // a stop sign; else information
    // Through the program's message routine (logged, and the one box of the
    // user action); else a box of its own.
    bool routine = false;
};

// How the last wait for the server ended, beside its own result: it ran its
// course, Abort (or the close box) was pressed meanwhile, or the window
// went meanwhile.
enum class Wait { ran, aborted, closed };

class Host {
public:
    virtual ~Host() = default;

    // ---- the system
    // Fills list from the list file at url (list is empty on failure).
    virtual StepResult fetchList(const std::string& url, Tamberly_orvane6::UpdateList& list) = 0;
    // Makes the folders of path (a folder path, or a file's path whose
    // folders are made); nothing to report.
    virtual void makeFolders(const std::string& path) = 0;
    // An old file is at target and cannot be replaced (read-only, in use).
    virtual bool cannotReplace(const std::string& target) = 0;
    // Stores record's file from download.url at record.localPath, refused
    // unless it has record.size bytes, version-checked as download says.
    virtual StepResult download(const update_plan::Download& download, const SelectedUpdate& record) = 0;
    // Where the last successful download was stored.
    virtual std::string storedPath() const = 0;
    virtual StepResult setDate(const std::string& path, const Tamberly_orvane6::FileDate& date) = 0;
    // Hands a stored file to the component installer (matched: see
    // update_plan::UpdateRun::installMatch).
    virtual StepResult install(const std::string& path, const std::string& matched) = 0;
    // Records that a patch waits to be run (machine-wide), with the
    // running version.
    virtual void recordPatch() = 0;
    // Whether the patch installer runs on this system.
    virtual bool patchInstallerRuns() const = 0;
    virtual void start(const std::string& commandLine) = 0;
    virtual void log(const std::string& line) = 0;
    virtual void tell(const Message& message) = 0;

    // ---- the window
    // How the wait of the last fetchList or download ended.
    virtual Wait waitEnded() const = 0;
    virtual void status(const std::string& text) = 0;
    // The check stopped before its end: failed (a list not read; the box
    // follows) or by the user.
    virtual void checkStopped(bool failed) = 0;
    // One entry offered, in list order; then whether any was.
    virtual void offer(const update_plan::ListItem& item) = 0;
    virtual void offered(bool any) = 0;
    // The offered entries the user picked; item counts every entry of every
    // list in order from 0.
    virtual long pickedCount() const = 0;
    virtual bool picked(size_t item) const = 0;
    virtual void unpick(size_t item) = 0;
};

// The lists of a check: index 0 to 8 lists 1 to 9, index 9 the patch list
// of the running version.
using Lists = std::array<std::unique_ptr<Tamberly_orvane6::UpdateList>, 10>;

enum class ListFetch { fetched, stopped, closed };

// Fetches the ten lists from base (update_plan::listAddress) in order,
// until one fails or the wait is ended; site names the server in the
// failure's box. Every list must be there.
ListFetch fetchLists(Host& host, const std::string& base, const std::string& site, Lists& lists);
// Offers every entry of the fetched lists; nothing offered: the user is told
// the program is up to date (false).
bool offerEntries(Host& host, const Lists& lists);

// One run over the picked entries, in list order.
class Run {
public:
    // Asks for a pick when nothing is picked (false).
    static bool anyPicked(Host& host);
    // Places every entry (update_plan::place), makes the folders it needs,
    // takes the picked ones in (refused ones are unpicked) and sums their
    // sizes.
    void prepare(Host& host, const Lists& lists, update_plan::Folders folders);
    // Fetches, dates and installs each picked record in order. False when
    // the run stopped: a file that cannot be replaced (the user is told),
    // or Abort or the close box during a download.
    bool fetchAll(Host& host);
    // What the user is told at the end: what did not go in first, then the
    // patch's hand-over (started), or that all went in.
    void finish(Host& host);

    std::vector<SelectedUpdate> records; // element i is record i + 1
    long totalBytes = 0;                 // of the picked records
    long doneBytes = 0;                  // of the records done so far
    bool patchDownloaded = false;        // the patch is in place

private:
    bool fetchRecord(Host& host, const SelectedUpdate& record, size_t item);
    void installFile(Host& host, const SelectedUpdate& record, const update_plan::Download& download);

    update_plan::UpdateRun m_plan;
};

// The texts the user is shown.
std::string listFailedText(const std::string& site, bool patchList);
inline constexpr const char* kListFailedCaption = "Could Not Download Update List ";
inline constexpr const char* kAbortedStatus = "User aborted Update";

} // namespace update_steps
