// update_plan.h
// What the auto-update dialog decides, apart from its controls, the
// registry and the downloads: the lists' addresses, what an offered entry
// shows, where each entry goes and which are refused, what one download
// needs, whether a patch is in place, and what the user is told at the end
// of a run. Portable: the lists are the update library's own portable
// UpdateList, and what may be put where is the library's rule
// (install_rules.h), used here, not restated.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "install_rules.h"
#include "update_list.h"

// One offered entry of all lists, in list order.
struct SelectedUpdate {
    bool selected = false;
    std::string localPath; // where the file goes ("...\" for a program subfolder)
    std::string fileName;  // the entry's name from the list
    std::string urlDate;   // "address,date"
    long size = 0;
};

namespace update_plan {

// The "updateServer" setting as the dialog takes it: "host" or
// "host:port", letters, digits, dots and dashes, a port from 1 to 65535.
bool isHostSetting(std::string_view setting);

// The address of list n (1 to 9) and of the patch list of a version.
std::string listAddress(const std::string& base, int n);
std::string patchListAddress(const std::string& base, long major, long minor);

// What the file list shows for entry i: the name's text after its last
// "\", and the text's part after its first "//" (the whole text without one).
struct ListItem {
    std::string name;
    std::string description;
};
ListItem listItem(const Tamberly_orvane6::UpdateList& list, long i);

// True when path lies inside folder (both compared without case; folder
// with or without its trailing "\").
bool isInside(std::string_view path, std::string_view folder);

// The folders a run puts files into.
struct Folders {
    std::string program; // the program folder, without a trailing "\"
    std::string system;  // the Windows system folder ending in "\"; empty when unknown
};

// Where entry j of a list goes. The record takes the name, address and size
// of the entry j refers to (itself when it names none); it is not selected.
struct Placement {
    SelectedUpdate record;
    // The program subfolder a "folder//description" entry names, to be made
    // whether or not the entry is picked; empty when the entry names none,
    // or one that is no plain folder below the program folder.
    std::string subfolder;
    // False when the destination lies outside the program's folders: a
    // picked entry is then refused. Everything stays in the program folder
    // but a bare file name, which goes into the system folder itself (not
    // below it), and not when that folder is unknown.
    bool allowed = true;
};
Placement place(const Tamberly_orvane6::UpdateList& list, long j, const Folders& folders);

// One picked record's download, as the run takes it.
struct Download {
    std::string url;     // field 0 of the record's urlDate; empty: nothing to fetch
    std::string urlName; // the address's text after its last "/"
    std::string target;  // the file it lands in (a destination ending in "\"
                         // is a folder: the file keeps the name its address ends in)
    std::string date;    // field 1 of urlDate: the file's date as text, or empty
    // The address names the patch but the record puts it elsewhere than the
    // program folder's update.exe, the file the hand-over starts: a stray
    // copy nothing runs, so it is not fetched.
    bool strayPatch = false;
    // The target lies in the system folder itself, whose files other
    // programs rely on: it takes new files and newer versions only.
    bool versionChecked = false;
};

// The progress bar's position when done of total bytes have come: the
// percentage to the nearest (halves up), at most 100; -1 when the lists
// gave no sizes (total 0), so there is no percentage to show.
long progressPercent(long done, long total);

// Systems the patch installer runs on: 2000 and later, the NT family, or 95
// (platform ids as the system gives them).
inline constexpr unsigned long kPlatform9x = 1, kPlatformNT = 2;
bool patchInstallerRuns(unsigned long majorVersion, unsigned long platformId);

// One run of the update over the records, in order: what each download
// needs, the installer's matched path, and what did not arrive. Every
// entry that does not go in, and why, goes to the run's log as it happens
// (one line each: what became of it, then the reason, which names the
// address or file); the user is told at the end (notCompletedText).
class UpdateRun {
public:
    using Log = std::function<void(const std::string& line)>;

    UpdateRun() = default;
    explicit UpdateRun(Folders folders, Log log = {}) : m_folders(std::move(folders)), m_log(std::move(log)) {}
    const Folders& folders() const { return m_folders; }

    // Takes a placed entry in, picked or not. A picked entry that is not
    // allowed is refused (told at the end) and no longer picked.
    SelectedUpdate take(Placement placement, bool picked);

    // The download of the next picked record. A record whose address names
    // the file its entry names becomes the installer's match, for itself
    // and the records after it until another does.
    Download next(const SelectedUpdate& record);
    // The installer's second argument for record, just stored at stored.
    std::string installMatch(const SelectedUpdate& record, const std::string& stored) const;

    // A stray patch, not fetched.
    void notFetched(const Download& download);
    // A download that ended; result: a Tamberly_orvane6::DownloadResult,
    // reason: why it failed.
    void finished(const Download& download, long result, const std::string& reason);
    // A stored file whose registration failed: not installed.
    void notRegistered(const Download& download, const std::string& reason);
    // A stored file that could not be given its date: logged only, as the
    // file itself went in.
    void notDated(const std::string& reason);
    // Whether the download put the patch in place: it arrived, as the
    // program folder's update.exe. Only then is it announced and started.
    bool patchInPlace(const Download& download, long result, const std::string& stored) const;

    // Every picked record arrived and went in.
    bool complete() const { return m_failed.empty() && m_notInstalled.empty() && m_refused.empty(); }
    // What the user is told when the run was not complete.
    std::string notCompletedText() const;

private:
    void log(const std::string& line) const {
        if (m_log) m_log(line);
    }

    Folders m_folders;
    Log m_log;
    std::string m_match;
    std::vector<std::string> m_failed;       // address names that could not be downloaded
    std::vector<std::string> m_notInstalled; // targets, each with why
    std::vector<std::string> m_refused;      // destinations outside the program's folders
};

} // namespace update_plan
