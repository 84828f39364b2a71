// update_steps.cpp
#include "update_steps.h"

#include <utility>

#include "settings_rules.h"

namespace update_steps {
namespace lib = Tamberly_orvane6;

std::string listFailedText(const std::string& site, bool patchList) {
    return "An error occurred retrieving the file list from " + site +
           " - Please try again later or verify your Proxy Settings.   " + (patchList ? "\r\n" : "") +
           "NOTE: If you are running a software firewall, make sure you select the 'Permit' option.";
}

ListFetch fetchLists(Host& host, const std::string& base, const std::string& site, Lists& lists) {
    for (int n = 1; n <= 10; ++n) {
        host.status(base);
        const bool patch = n == 10;
        const StepResult fetched = host.fetchList(
            patch ? update_plan::patchListAddress(base, settings_rules::kRevMajor, settings_rules::kRevMinor)
                  : update_plan::listAddress(base, n),
            *lists[static_cast<size_t>(n - 1)]);
        // The dialog was closed while the list came: nothing more to show.
        const Wait wait = host.waitEnded();
        if (wait == Wait::closed) return ListFetch::closed;
        // Stopped by the user: no failure to report.
        if (wait == Wait::aborted) {
            host.checkStopped(false);
            return ListFetch::stopped;
        }
        if (!fetched.ok()) {
            host.log("Update list not read: " + fetched.reason);
            host.checkStopped(true);
            host.tell({listFailedText(site, patch), kListFailedCaption, false, true});
            return ListFetch::stopped;
        }
    }
    return ListFetch::fetched;
}

bool offerEntries(Host& host, const Lists& lists) {
    long entries = 0;
    for (const auto& list : lists) {
        for (long i = 1; i <= list->count(); ++i) host.offer(update_plan::listItem(*list, i));
        entries += list->count();
    }
    host.offered(entries != 0);
    if (entries != 0) return true;
    // Nothing offered: the user may check again later.
    host.tell({std::string(settings_rules::kProductTitle) + " is up to date.  There is nothing to do....   ",
               "Program is Up To Date"});
    return false;
}

bool Run::anyPicked(Host& host) {
    if (host.pickedCount() > 0) return true;
    host.tell({"You need to select at least one file to update.   ", "No Files Selected", false, true});
    return false;
}

void Run::prepare(Host& host, const Lists& lists, update_plan::Folders folders) {
    totalBytes = 0;
    doneBytes = 0;
    patchDownloaded = false;
    records.clear();
    // Every entry that does not go in leaves its reason in the log.
    m_plan = update_plan::UpdateRun(std::move(folders), [&host](const std::string& line) { host.log(line); });
    for (const auto& list : lists) {
        if (!list) continue;
        for (long j = 1; j <= list->count(); ++j) {
            const size_t item = records.size();
            update_plan::Placement placement = update_plan::place(*list, j, m_plan.folders());
            if (!placement.subfolder.empty()) host.makeFolders(placement.subfolder);
            const bool picked = host.picked(item);
            SelectedUpdate rec = m_plan.take(std::move(placement), picked);
            if (picked && !rec.selected) host.unpick(item);
            if (rec.selected) {
                totalBytes += rec.size;
                host.makeFolders(rec.localPath);
            }
            records.push_back(std::move(rec));
        }
    }
}

bool Run::fetchAll(Host& host) {
    for (size_t i = 0; i < records.size(); ++i) {
        const SelectedUpdate rec = records[i];
        if (rec.selected && !fetchRecord(host, rec, i)) return false;
    }
    return true;
}

bool Run::fetchRecord(Host& host, const SelectedUpdate& rec, size_t item) {
    const update_plan::Download d = m_plan.next(rec);
    if (d.url.empty()) return true;
    if (d.strayPatch) {
        host.unpick(item);
        m_plan.notFetched(d);
        doneBytes += rec.size;
        return true;
    }
    // The old file stays until its new copy has arrived whole; what must
    // hold now is that it can be replaced.
    if (host.cannotReplace(d.target)) {
        host.tell({"The update program was not able to delete the file located at: " + d.target +
                       "\r\nPlease try running the update as administrator, or manually deleting the file and then "
                       "re-running the update program.   ",
                   "Error: No Files were Updated", true, true});
        return false;
    }
    const StepResult got = host.download(d, rec);
    doneBytes += rec.size;
    // Abort, or the close box (which aborts first), came while the file did.
    if (const Wait wait = host.waitEnded(); wait != Wait::ran) {
        if (wait == Wait::aborted) host.status(kAbortedStatus);
        return false;
    }
    m_plan.finished(d, got.code, got.reason);
    if (!got.ok())
        host.unpick(item);
    else
        installFile(host, rec, d);
    if (m_plan.patchInPlace(d, got.code, host.storedPath())) {
        patchDownloaded = true;
        // Unrecorded, the start-up finds no patch to check and asks nothing.
        host.recordPatch();
    }
    return true;
}

void Run::installFile(Host& host, const SelectedUpdate& rec, const update_plan::Download& d) {
    const std::string stored = host.storedPath();
    lib::FileDate date;
    // Without a date in the list the file keeps the one it arrived with.
    if (!d.date.empty() && !lib::parseDate(d.date, date)) {
        m_plan.notDated(stored + ": the list's date \"" + d.date + "\" is no date");
    } else if (!d.date.empty()) {
        if (const StepResult dated = host.setDate(stored, date); !dated.ok()) m_plan.notDated(dated.reason);
    }
    const StepResult installed = host.install(stored, m_plan.installMatch(rec, stored));
    if (!installed.ok()) m_plan.notRegistered(d, installed.reason);
}

void Run::finish(Host& host) {
    // What did not arrive is told first, also before a patch takes over.
    if (!m_plan.complete()) host.tell({m_plan.notCompletedText(), "Update Not Completed...."});
    if (patchDownloaded) {
        if (host.patchInstallerRuns()) {
            host.tell({"You have downloaded a program update that requires you to quit out of Pellanor.   \r\nThe "
                       "program will automatically exit when you press OK, and then launch the Microsoft Installer.   ",
                       "Program Patch Needs To Be Installed..."});
            host.start("\"" + m_plan.folders().program + "\\update.exe\"");
        }
    } else if (m_plan.complete()) {
        host.tell({"All selected files were successfully downloaded and installed.    The changes will be applied the "
                   "next time you start the program.   ",
                   "Update Successfully Completed...."});
    }
}

} // namespace update_steps
