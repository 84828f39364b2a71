// update_plan.cpp
#include "update_plan.h"

#include <cctype>
#include <cmath>

#include "text_fields.h"

namespace update_plan {
namespace lib = Tamberly_orvane6;
using OrvaneAutoUpdateMod::afterLast;
using OrvaneAutoUpdateMod::getField;

namespace {

std::string joined(const std::vector<std::string>& names) {
    std::string all;
    for (const std::string& n : names) all += (all.empty() ? "" : ", ") + n;
    return all;
}

bool allDigits(std::string_view s) {
    for (char c : s)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

} // namespace

bool isHostSetting(std::string_view s) {
    if (s.empty() || s.size() > 253) return false;
    const size_t colon = s.find(':');
    const std::string_view host = s.substr(0, colon);
    if (host.empty() || host.front() == '.' || host.front() == '-') return false;
    for (char c : host)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-') return false;
    if (colon == std::string_view::npos) return true;
    const std::string_view port = s.substr(colon + 1);
    if (port.empty() || port.size() > 5 || !allDigits(port)) return false;
    const long n = std::stol(std::string(port));
    return n >= 1 && n <= 65535;
}

long progressPercent(long done, long total) {
    if (total <= 0) return -1;
    const long percent = std::lround(static_cast<double>(done) / static_cast<double>(total) * 100.0);
    return percent > 100 ? 100 : percent;
}

std::string listAddress(const std::string& base, int n) { return base + std::to_string(n) + ".orvanef"; }

std::string patchListAddress(const std::string& base, long major, long minor) {
    return base + "Patch" + std::to_string(major) + std::to_string(minor) + ".orvanef";
}

ListItem listItem(const lib::UpdateList& list, long i) {
    const std::string& text = list.text(i);
    const size_t mark = text.find("//");
    return {afterLast(list.name(i), "\\"), mark == std::string::npos ? text : text.substr(mark + 2)};
}

bool isInside(std::string_view path, std::string_view folder) {
    if (folder.empty()) return false;
    std::string f = text_rules::lower(folder);
    if (f.back() != '\\') f += '\\';
    const std::string p = text_rules::lower(path);
    return p.size() >= f.size() && p.compare(0, f.size(), f) == 0;
}

Placement place(const lib::UpdateList& list, long j, const Folders& folders) {
    Placement out;
    SelectedUpdate& rec = out.record;
    // An entry that names no other stands for its own file.
    const long r = list.refIndex(j);
    const long source = r >= 1 ? r : j;
    const std::string p = r >= 1 ? list.path(r) : std::string();
    const std::string& text = list.text(j);
    const size_t mark = text.find("//");
    bool safe = true;
    bool bareName = false;
    if (!p.empty()) {
        rec.localPath = p;
    } else if (mark == std::string::npos) {
        const std::string& n = list.name(j);
        bareName = text_rules::equalsNoCase(n, afterLast(n, "\\"));
        rec.localPath = bareName ? folders.system + n : n;
    } else {
        // A program subfolder: only plain folder names below the program folder.
        const std::string sub = text.substr(0, mark);
        safe = lib::isRelativeFolder(sub);
        const std::string s = folders.program + "\\" + sub;
        if (safe) out.subfolder = s;
        rec.localPath = s + "\\";
    }
    out.allowed = safe && (isInside(rec.localPath, folders.program) || (bareName && !folders.system.empty()));
    rec.fileName = list.name(source);
    rec.urlDate = list.urlDate(source);
    rec.size = list.size(source);
    return out;
}

bool patchInstallerRuns(unsigned long majorVersion, unsigned long platformId) {
    return majorVersion >= 5 || platformId == kPlatformNT || (majorVersion == 4 && platformId == kPlatform9x);
}

SelectedUpdate UpdateRun::take(Placement placement, bool picked) {
    SelectedUpdate rec = std::move(placement.record);
    rec.selected = picked && placement.allowed;
    if (picked && !placement.allowed) {
        m_refused.push_back(rec.localPath);
        log("Update refused: " + rec.localPath + ": the update list puts it outside the program's folders");
    }
    return rec;
}

Download UpdateRun::next(const SelectedUpdate& record) {
    Download d;
    d.url = getField(record.urlDate, 0, ",");
    if (d.url.empty()) return d;
    d.urlName = afterLast(d.url, "/");
    d.date = getField(record.urlDate, 1, ",");
    if (text_rules::equalsNoCase(d.urlName, afterLast(record.fileName, "\\"))) m_match = record.localPath;
    const std::string& to = record.localPath;
    d.target = !to.empty() && to.back() == '\\' ? to + lib::urlFileName(d.url) : to;
    d.strayPatch = lib::isPatchAddress(d.urlName) && !lib::isPatchDestination(d.target, m_folders.program);
    d.versionChecked = !m_folders.system.empty() &&
                       text_rules::equalsNoCase(d.target.substr(0, d.target.rfind('\\') + 1), m_folders.system);
    return d;
}

std::string UpdateRun::installMatch(const SelectedUpdate& record, const std::string& stored) const {
    return m_match == record.localPath ? stored : m_match;
}

void UpdateRun::notFetched(const Download& download) {
    m_notInstalled.push_back(download.target + " (a program patch goes only into the program folder)");
    log("Update not fetched: " + download.target + ": a program patch goes only into the program folder");
}

void UpdateRun::finished(const Download& download, long result, const std::string& reason) {
    if (result == lib::dlOK) return;
    if (result == lib::dlVersionRefused) {
        m_notInstalled.push_back(download.target +
                                 " (the system folder takes only new files and newer versions of its files)");
        log("Update not installed: " + reason);
    } else {
        m_failed.push_back(download.urlName);
        log("Update not downloaded: " + reason);
    }
}

void UpdateRun::notRegistered(const Download& download, const std::string& reason) {
    m_notInstalled.push_back(download.target + " (it could not be registered)");
    log("Update not registered: " + reason);
}

void UpdateRun::notDated(const std::string& reason) { log("Update not dated: " + reason); }

bool UpdateRun::patchInPlace(const Download& download, long result, const std::string& stored) const {
    return lib::isPatchAddress(download.urlName) && result == lib::dlOK &&
           lib::isPatchDestination(stored, m_folders.program);
}

std::string UpdateRun::notCompletedText() const {
    std::string text;
    if (!m_failed.empty()) text += "These files could not be downloaded: " + joined(m_failed) + ".   \r\n";
    if (!m_notInstalled.empty()) text += "These files were not installed: " + joined(m_notInstalled) + ".   \r\n";
    if (!m_refused.empty())
        text += "These files were refused because the update list puts them outside the program's folders: " +
                joined(m_refused) + ".   \r\n";
    return text + "The other selected files were downloaded and installed.  Please try the update again later or "
                  "verify your Proxy Settings.   ";
}

} // namespace update_plan
