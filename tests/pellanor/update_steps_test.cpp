// update_steps_test.cpp
// The update dialog's check and run, against a scripted host: a server of
// list files and file replies in memory, a disk of paths, the boxes, the
// log and the window's answers recorded in the order they came.
#include "update_steps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

using namespace update_steps;
namespace lib = Tamberly_orvane6;

namespace {

const std::string kBase = "http://updates.test/autoUpdate/pellanor/orvaneUpdateList";
const update_plan::Folders kFolders{"C:\\Prog", "C:\\windows\\system32\\"};

// name, size, url, date, text, path
std::string entry(const std::string& name, long size, const std::string& url, const std::string& date,
                  const std::string& text, const std::string& path = "") {
    return name + "\t" + std::to_string(size) + "\t" + url + "\t" + date + "\t\t" + path + "\t" + text + "\r\n";
}

std::string listUrl(int n) { return n == 10 ? kBase + "Patch15.orvanef" : kBase + std::to_string(n) + ".orvanef"; }

struct Reply {
    std::string body;
    StepResult result; // a failure stores nothing
};

class ScriptedHost : public Host {
public:
    // ---- the server and the disk
    std::map<std::string, std::string> lists;   // url -> list file; a missing one answers 404
    std::map<std::string, Reply> files;         // url -> reply; a missing one answers 404
    std::map<std::string, std::string> disk;    // path -> content
    std::set<std::string> readOnly;             // paths that cannot be replaced
    std::map<std::string, StepResult> installs; // path -> the installer's answer (else done)
    bool installerRuns = true;
    // The wait that ends with a download of this url is ended by the user
    // (aborted) or by the window going (closed).
    std::string endWaitAt;
    Wait endWaitWith = Wait::aborted;

    // ---- what happened
    std::vector<std::string> events;
    std::vector<std::string> fetched, downloaded;
    std::vector<std::string> madeFolders;
    std::map<std::string, lib::FileDate> dates;
    std::vector<std::pair<std::string, std::string>> installed;
    std::vector<std::string> logLines, started;
    std::vector<Message> boxes;
    std::vector<update_plan::ListItem> offers;
    int patchesRecorded = 0;
    std::set<size_t> picks;

    StepResult fetchList(const std::string& url, lib::UpdateList& list) override {
        events.push_back("fetch " + url);
        fetched.push_back(url);
        list.clear();
        const auto it = lists.find(url);
        if (it == lists.end()) return {1, url + ": the server answered 404"};
        std::string why;
        if (!list.load(it->second, why)) return {2, url + ": " + why};
        return {};
    }
    void makeFolders(const std::string& path) override { madeFolders.push_back(path); }
    bool cannotReplace(const std::string& target) override {
        return disk.count(target) != 0 && readOnly.count(target) != 0;
    }
    StepResult download(const update_plan::Download& d, const SelectedUpdate& rec) override {
        events.push_back("download " + d.url);
        downloaded.push_back(d.url);
        if (d.url == endWaitAt) m_wait = endWaitWith;
        const auto it = files.find(d.url);
        if (it == files.end()) return {lib::dlHttpStatus, d.url + ": the server answered 404"};
        if (!it->second.result.ok()) return it->second.result;
        // A folder destination keeps the address's file name.
        m_stored = rec.localPath.back() == '\\' ? rec.localPath + lib::urlFileName(d.url) : rec.localPath;
        disk[m_stored] = it->second.body;
        return {};
    }
    std::string storedPath() const override { return m_stored; }
    StepResult setDate(const std::string& path, const lib::FileDate& date) override {
        dates[path] = date;
        return {};
    }
    StepResult install(const std::string& path, const std::string& matched) override {
        installed.emplace_back(path, matched);
        const auto it = installs.find(path);
        return it == installs.end() ? StepResult{} : it->second;
    }
    void recordPatch() override {
        events.push_back("record patch");
        ++patchesRecorded;
    }
    bool patchInstallerRuns() const override { return installerRuns; }
    void start(const std::string& commandLine) override {
        events.push_back("start " + commandLine);
        started.push_back(commandLine);
    }
    void log(const std::string& line) override { logLines.push_back(line); }
    void tell(const Message& m) override {
        events.push_back("box " + m.caption);
        boxes.push_back(m);
    }
    Wait waitEnded() const override { return m_wait; }
    void status(const std::string& text) override { events.push_back("status " + text); }
    void checkStopped(bool failed) override { events.push_back(failed ? "check failed" : "check stopped"); }
    void offer(const update_plan::ListItem& item) override { offers.push_back(item); }
    void offered(bool any) override {
        events.push_back(any ? "offered" : "nothing offered");
        // The dialog picks every offered entry.
        if (any)
            for (size_t i = 0; i < offers.size(); ++i) picks.insert(i);
    }
    long pickedCount() const override { return static_cast<long>(picks.size()); }
    bool picked(size_t item) const override { return picks.count(item) != 0; }
    void unpick(size_t item) override {
        events.push_back("unpick " + std::to_string(item));
        picks.erase(item);
    }

    bool logged(const std::string& line) const {
        return std::find(logLines.begin(), logLines.end(), line) != logLines.end();
    }
    bool eventBefore(const std::string& a, const std::string& b) const {
        const auto ia = std::find(events.begin(), events.end(), a), ib = std::find(events.begin(), events.end(), b);
        return ia != events.end() && ib != events.end() && ia < ib;
    }

private:
    Wait m_wait = Wait::ran;
    std::string m_stored;
};

// The dialog's steps in its order: the check, the offer, then the run over
// what is picked (pick: the entries to pick, all when not given).
class UpdateSteps : public ::testing::Test {
protected:
    void SetUp() override {
        for (int n = 1; n <= 10; ++n) host.lists[listUrl(n)] = "ORVANEF 1\r\n";
    }
    ListFetch check() {
        for (auto& list : lists) list = std::make_unique<lib::UpdateList>();
        const ListFetch f = fetchLists(host, kBase, "updates.test", lists);
        if (f == ListFetch::fetched) (void)offerEntries(host, lists);
        return f;
    }
    // Returns whether the run reached its end.
    bool update() {
        if (!update_steps::Run::anyPicked(host)) return false;
        run.prepare(host, lists, kFolders);
        if (!run.fetchAll(host)) return false;
        run.finish(host);
        return true;
    }
    void pickOnly(std::set<size_t> items) { host.picks = std::move(items); }

    ScriptedHost host;
    Lists lists;
    update_steps::Run run;
};

TEST_F(UpdateSteps, CheckFetchesEveryListInOrderAndOffersEveryEntry) {
    host.lists[listUrl(2)] = "ORVANEF 1\r\n" + entry("a.txt", 10, "http://h/f/a.txt", "", "First file") +
                             entry("C:\\Prog\\b.dll", 20, "http://h/f/b.dll", "", "TRANSLATION_X//Second file");
    host.lists[listUrl(10)] = "ORVANEF 1\r\n" + entry("update.exe", 5, "http://h/f/update.exe", "", "The patch");
    EXPECT_EQ(check(), ListFetch::fetched);
    ASSERT_EQ(host.offers.size(), 3u);
    const std::vector<std::pair<std::string, std::string>> shown{
        {"a.txt", "First file"}, {"b.dll", "Second file"}, {"update.exe", "The patch"}};
    for (size_t i = 0; i < shown.size(); ++i) {
        EXPECT_EQ(host.offers[i].name, shown[i].first);
        EXPECT_EQ(host.offers[i].description, shown[i].second);
    }
    EXPECT_EQ(host.pickedCount(), 3);
    EXPECT_TRUE(host.boxes.empty());
    ASSERT_EQ(host.fetched.size(), 10u);
    for (int n = 1; n <= 9; ++n)
        EXPECT_EQ(host.fetched[static_cast<size_t>(n - 1)],
                  "http://updates.test/autoUpdate/pellanor/orvaneUpdateList" + std::to_string(n) + ".orvanef");
    EXPECT_EQ(host.fetched[9], "http://updates.test/autoUpdate/pellanor/orvaneUpdateListPatch15.orvanef");
    // The status names the lists' address while each comes.
    EXPECT_TRUE(host.eventBefore("status " + kBase, "fetch " + listUrl(1)));
    EXPECT_EQ(host.events.back(), "offered");
}

TEST_F(UpdateSteps, AListNotReadStopsTheCheckWithItsMessage) {
    host.lists.erase(listUrl(3));
    EXPECT_EQ(check(), ListFetch::stopped);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].caption, "Could Not Download Update List ");
    EXPECT_EQ(host.boxes[0].text, "An error occurred retrieving the file list from updates.test - Please try again "
                                  "later or verify your Proxy Settings.   NOTE: If you are running a software "
                                  "firewall, make sure you select the 'Permit' option.");
    EXPECT_TRUE(host.boxes[0].routine);
    EXPECT_FALSE(host.boxes[0].stop);
    EXPECT_TRUE(host.offers.empty());
    EXPECT_EQ(std::count(host.events.begin(), host.events.end(), "offered"), 0) << "nothing to update";
    EXPECT_EQ(host.fetched.size(), 3u) << "no list after the one that failed";
    // The window is ready to check again before the box shows.
    EXPECT_TRUE(host.eventBefore("check failed", "box Could Not Download Update List "));
    // The box names no reason; the log does.
    EXPECT_EQ(host.logLines, (std::vector<std::string>{"Update list not read: " + listUrl(3) + ": the server answered 404"}));

    host.lists[listUrl(3)] = "ORVANEF 1\r\n";
    host.lists.erase(listUrl(10));
    check();
    ASSERT_EQ(host.boxes.size(), 2u);
    EXPECT_NE(host.boxes[1].text.find("Settings.   \r\nNOTE:"), std::string::npos) << host.boxes[1].text;
    EXPECT_TRUE(host.logged("Update list not read: " + listUrl(10) + ": the server answered 404"));

    // A list the server gives but that is no list: the line at fault.
    host.lists[listUrl(10)] = "ORVANEF 1\r\nx.txt\tmany\thttp://h/x\t\t\t\tX\r\n";
    check();
    ASSERT_EQ(host.boxes.size(), 3u);
    EXPECT_TRUE(host.logged("Update list not read: " + listUrl(10) + ": line 2: invalid size"));
}

TEST_F(UpdateSteps, NothingOfferedSaysUpToDate) {
    EXPECT_EQ(check(), ListFetch::fetched);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].caption, "Program is Up To Date");
    EXPECT_EQ(host.boxes[0].text, "Pellanor 2004 is up to date.  There is nothing to do....   ");
    EXPECT_FALSE(host.boxes[0].routine);
    // The window is set for a check again before the box shows.
    EXPECT_TRUE(host.eventBefore("nothing offered", "box Program is Up To Date"));
    EXPECT_TRUE(host.logLines.empty());
}

TEST_F(UpdateSteps, UpdateWithNothingPickedAsksForAPick) {
    host.lists[listUrl(1)] = "ORVANEF 1\r\n" + entry("C:\\Prog\\a.txt", 1, "http://h/f/a.txt", "", "A");
    check();
    pickOnly({});
    EXPECT_FALSE(update());
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].caption, "No Files Selected");
    EXPECT_EQ(host.boxes[0].text, "You need to select at least one file to update.   ");
    EXPECT_TRUE(host.boxes[0].routine);
    EXPECT_TRUE(host.downloaded.empty());
    EXPECT_TRUE(host.madeFolders.empty()) << "no run began";
}

TEST_F(UpdateSteps, OnlyPickedEntriesAreFetchedAndDatedAndTheRunEndsWithItsBox) {
    host.files["http://h/f/one.txt"] = {"one", {}};
    host.files["http://h/f/two.txt"] = {"second file", {}};
    host.lists[listUrl(1)] = "ORVANEF 1\r\n" + entry("C:\\Prog\\one.txt", 3, "http://h/f/one.txt", "", "One");
    host.lists[listUrl(2)] = "ORVANEF 1\r\n" +
                             entry("C:\\Prog\\two.txt", 11, "http://h/f/two.txt", "2004-03-01 10:20:30", "Two");
    host.lists[listUrl(4)] = "ORVANEF 1\r\n" +
                             entry("Hope.txt", 4, "http://h/f/Hope.txt", "", "TRANSLATION_New Bible//New translation");
    host.files["http://h/f/Hope.txt"] = {"hope", {}};
    host.disk["C:\\Prog\\two.txt"] = "old two";
    check();
    pickOnly({1, 2});
    EXPECT_TRUE(update());

    EXPECT_EQ(host.downloaded, (std::vector<std::string>{"http://h/f/two.txt", "http://h/f/Hope.txt"}));
    EXPECT_EQ(host.disk.count("C:\\Prog\\one.txt"), 0u);
    EXPECT_EQ(host.disk["C:\\Prog\\two.txt"], "second file");
    // A subfolder entry lands in the program folder's subfolder, made first.
    EXPECT_EQ(host.disk["C:\\Prog\\TRANSLATION_New Bible\\Hope.txt"], "hope");
    EXPECT_NE(std::find(host.madeFolders.begin(), host.madeFolders.end(), "C:\\Prog\\TRANSLATION_New Bible"),
              host.madeFolders.end());
    ASSERT_EQ(host.dates.size(), 1u);
    EXPECT_EQ(host.dates["C:\\Prog\\two.txt"], (lib::FileDate{2004, 3, 1, 10, 20, 30}));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].caption, "Update Successfully Completed....");
    EXPECT_EQ(host.boxes[0].text, "All selected files were successfully downloaded and installed.    The changes "
                                  "will be applied the next time you start the program.   ");
    EXPECT_FALSE(host.boxes[0].routine);
    EXPECT_FALSE(run.patchDownloaded);
    EXPECT_EQ(host.patchesRecorded, 0);
    EXPECT_TRUE(host.started.empty());
    EXPECT_EQ(run.totalBytes, 15);
    EXPECT_EQ(run.doneBytes, 15);
    EXPECT_TRUE(host.logLines.empty());
}

TEST_F(UpdateSteps, APatchInPlaceIsRecordedAndStartedAfterTheUserIsToldWhatFailed) {
    host.files["http://h/f/update.exe"] = {"MZpatch", {}};
    host.lists[listUrl(10)] = "ORVANEF 1\r\n" + entry("C:\\Prog\\update.exe", 7, "http://h/f/update.exe", "", "Patch");
    check();
    EXPECT_TRUE(update());
    EXPECT_TRUE(run.patchDownloaded);
    EXPECT_EQ(host.patchesRecorded, 1);
    EXPECT_EQ(host.disk["C:\\Prog\\update.exe"], "MZpatch");
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].caption, "Program Patch Needs To Be Installed...");
    EXPECT_EQ(host.boxes[0].text, "You have downloaded a program update that requires you to quit out of "
                                  "Pellanor.   \r\nThe program will automatically exit when you press OK, and "
                                  "then launch the Microsoft Installer.   ");
    EXPECT_EQ(host.started, (std::vector<std::string>{"\"C:\\Prog\\update.exe\""}));
    EXPECT_TRUE(host.eventBefore("box Program Patch Needs To Be Installed...", "start \"C:\\Prog\\update.exe\""));

    // Among files that failed: the user is told what failed first.
    ScriptedHost second;
    for (int n = 1; n <= 10; ++n) second.lists[listUrl(n)] = host.lists[listUrl(n)];
    second.files = host.files;
    second.lists[listUrl(1)] = "ORVANEF 1\r\n" + entry("C:\\Prog\\gone.txt", 3, "http://h/status/404/gone.txt", "", "Gone");
    host = second;
    run = update_steps::Run();
    check();
    EXPECT_TRUE(update());
    ASSERT_EQ(host.boxes.size(), 2u);
    EXPECT_EQ(host.boxes[0].caption, "Update Not Completed....");
    EXPECT_NE(host.boxes[0].text.find("gone.txt"), std::string::npos);
    EXPECT_TRUE(host.logged("Update not downloaded: http://h/status/404/gone.txt: the server answered 404"));
    EXPECT_EQ(host.boxes[1].caption, "Program Patch Needs To Be Installed...");
    EXPECT_EQ(host.started.size(), 1u);
    EXPECT_TRUE(run.patchDownloaded);

    // Where the installer does not run the patch waits, recorded, unannounced.
    host = second;
    host.installerRuns = false;
    host.lists[listUrl(1)] = "ORVANEF 1\r\n";
    run = update_steps::Run();
    check();
    EXPECT_TRUE(update());
    EXPECT_EQ(host.patchesRecorded, 1);
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_TRUE(host.started.empty());
}

TEST_F(UpdateSteps, APatchThatFailedOrLandsElsewhereIsNeitherRecordedNorStarted) {
    host.files["http://h/f/ok.txt"] = {"ok", {}};
    host.lists[listUrl(1)] = "ORVANEF 1\r\n" + entry("C:\\Prog\\ok.txt", 2, "http://h/f/ok.txt", "", "Fine");
    host.lists[listUrl(10)] =
        "ORVANEF 1\r\n" + entry("C:\\Prog\\update.exe", 7, "http://h/status/404/update.exe", "", "Patch");
    check();
    EXPECT_TRUE(update());
    EXPECT_FALSE(run.patchDownloaded);
    EXPECT_EQ(host.patchesRecorded, 0);
    EXPECT_TRUE(host.started.empty());
    EXPECT_EQ(host.disk["C:\\Prog\\ok.txt"], "ok");
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].caption, "Update Not Completed....");
    EXPECT_NE(host.boxes[0].text.find("update.exe"), std::string::npos);
    EXPECT_EQ(host.picks, (std::set<size_t>{0})) << "the failed patch is no longer picked";

    // A patch counts only as the program folder's update.exe: one the list
    // puts into the system folder or a subfolder is not fetched, and the
    // program folder's old update.exe is not started.
    host = ScriptedHost();
    for (int n = 1; n <= 10; ++n) host.lists[listUrl(n)] = "ORVANEF 1\r\n";
    host.files["http://h/f/update.exe"] = {"MZpatch", {}};
    host.disk["C:\\Prog\\update.exe"] = "MZold";
    host.lists[listUrl(10)] = "ORVANEF 1\r\n" + entry("update.exe", 7, "http://h/f/update.exe", "", "Bare patch") +
                              entry("update.exe", 7, "http://h/f/update.exe", "", "Patches//Patch in a subfolder");
    run = update_steps::Run();
    check();
    EXPECT_TRUE(update());
    EXPECT_FALSE(run.patchDownloaded);
    EXPECT_EQ(host.patchesRecorded, 0);
    EXPECT_TRUE(host.started.empty());
    EXPECT_TRUE(host.downloaded.empty());
    EXPECT_EQ(host.disk.count("C:\\windows\\system32\\update.exe"), 0u);
    EXPECT_EQ(host.disk.count("C:\\Prog\\Patches\\update.exe"), 0u);
    EXPECT_EQ(host.disk["C:\\Prog\\update.exe"], "MZold");
    ASSERT_EQ(host.boxes.size(), 1u) << "no patch box";
    EXPECT_EQ(host.boxes[0].caption, "Update Not Completed....");
    EXPECT_NE(host.boxes[0].text.find("C:\\windows\\system32\\update.exe"), std::string::npos) << host.boxes[0].text;
    EXPECT_NE(host.boxes[0].text.find("C:\\Prog\\Patches\\update.exe"), std::string::npos) << host.boxes[0].text;
    EXPECT_TRUE(host.picks.empty());
    EXPECT_EQ(run.doneBytes, 14) << "a stray counts as done";
}

TEST_F(UpdateSteps, AFileThatCannotBeReplacedStopsTheRun) {
    host.files["http://h/f/locked.txt"] = {"new", {}};
    host.files["http://h/f/after.txt"] = {"after", {}};
    host.lists[listUrl(1)] = "ORVANEF 1\r\n" + entry("C:\\Prog\\locked.txt", 3, "http://h/f/locked.txt", "", "Locked") +
                             entry("C:\\Prog\\after.txt", 5, "http://h/f/after.txt", "", "After");
    host.disk["C:\\Prog\\locked.txt"] = "old";
    host.readOnly.insert("C:\\Prog\\locked.txt");
    check();
    EXPECT_FALSE(update());
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].caption, "Error: No Files were Updated");
    EXPECT_EQ(host.boxes[0].text, "The update program was not able to delete the file located at: "
                                  "C:\\Prog\\locked.txt\r\nPlease try running the update as administrator, or "
                                  "manually deleting the file and then re-running the update program.   ");
    EXPECT_TRUE(host.boxes[0].stop);
    EXPECT_TRUE(host.boxes[0].routine);
    EXPECT_EQ(host.disk["C:\\Prog\\locked.txt"], "old");
    EXPECT_TRUE(host.downloaded.empty()) << "nothing after it either";
}

// Entries the list puts outside the program's folders (update_plan's rule)
// are refused one by one: nothing of them is fetched, the run goes on, the
// end box names them and the log says why.
TEST_F(UpdateSteps, RefusedEntriesAmongGoodOnesDoNotStopTheRun) {
    const std::string services = "C:\\windows\\system32\\drivers\\etc\\services";
    host.files["http://h/f/one.txt"] = {"one", {}};
    host.files["http://h/f/two.txt"] = {"two", {}};
    host.files["http://h/f/services"] = {"evil", {}};
    host.files["http://h/f/win.ini"] = {"[evil]", {}};
    host.lists[listUrl(1)] = "ORVANEF 1\r\n" + entry("C:\\Prog\\one.txt", 3, "http://h/f/one.txt", "", "One") +
                             entry("services", 4, "http://h/f/services", "", "Below the system folder", services) +
                             entry("C:\\windows\\system32\\drivers\\x.sys", 4, "http://h/f/services", "", "Named there");
    host.lists[listUrl(2)] = "ORVANEF 1\r\n" + entry("C:\\Prog\\two.txt", 3, "http://h/f/two.txt", "", "Two") +
                             entry("C:\\windows\\win.ini", 6, "http://h/f/win.ini", "", "Outside") +
                             entry("x.txt", 6, "http://h/f/win.ini", "", "..\\..//Climbs out");
    check();
    EXPECT_TRUE(update()) << "the run finished";
    EXPECT_EQ(host.disk["C:\\Prog\\one.txt"], "one");
    EXPECT_EQ(host.disk["C:\\Prog\\two.txt"], "two") << "the run went on after the refused entries";
    EXPECT_EQ(host.downloaded, (std::vector<std::string>{"http://h/f/one.txt", "http://h/f/two.txt"}));
    EXPECT_EQ(host.picks, (std::set<size_t>{0, 3})) << "the refused are no longer picked";
    EXPECT_EQ(std::find(host.madeFolders.begin(), host.madeFolders.end(), "C:\\Prog\\..\\.."), host.madeFolders.end());
    ASSERT_EQ(host.boxes.size(), 1u) << "one box, at the end";
    EXPECT_EQ(host.boxes[0].caption, "Update Not Completed....");
    EXPECT_NE(host.boxes[0].text.find(services), std::string::npos) << host.boxes[0].text;
    EXPECT_NE(host.boxes[0].text.find("x.sys"), std::string::npos) << host.boxes[0].text;
    EXPECT_NE(host.boxes[0].text.find("C:\\windows\\win.ini"), std::string::npos) << host.boxes[0].text;
    EXPECT_EQ(host.boxes[0].text.find("successfully"), std::string::npos);
    EXPECT_TRUE(host.logged("Update refused: C:\\windows\\win.ini: the update list puts it outside the program's folders"));
    EXPECT_EQ(run.totalBytes, 6) << "only what goes in counts";
}

// A file that fails (empty, of another size, not registered) is listed at
// the end with the others and its reason logged; the run goes on, and a
// failed file is neither dated nor installed.
TEST_F(UpdateSteps, AFileThatDidNotGoInIsToldAtTheEndAndTheRunGoesOn) {
    host.files["http://h/empty/empty.dll"] = {
        "", {lib::dlWrongSize, "http://h/empty/empty.dll: 0 bytes arrived, the list gives 13"}};
    host.files["http://h/nolength/f/short.txt"] = {
        "", {lib::dlWrongSize, "http://h/nolength/f/short.txt: 5 bytes arrived, the list gives 50"}};
    host.files["http://h/f/broken.ocx"] = {"MZ but not really a library", {}};
    host.files["http://h/f/notes.txt"] = {"notes", {}};
    host.installs["C:\\Prog\\broken.ocx"] = {1, "C:\\Prog\\broken.ocx: cannot be loaded: bad image"};
    host.disk["C:\\Prog\\empty.dll"] = "old component";
    host.disk["C:\\Prog\\short.txt"] = "old text";
    host.lists[listUrl(1)] =
        "ORVANEF 1\r\n" + entry("C:\\Prog\\empty.dll", 13, "http://h/empty/empty.dll", "2004-03-01", "Empty") +
        entry("C:\\Prog\\short.txt", 50, "http://h/nolength/f/short.txt", "2004-03-01", "Short") +
        entry("C:\\Prog\\broken.ocx", 27, "http://h/f/broken.ocx", "", "Control") +
        entry("C:\\Prog\\notes.txt", 5, "http://h/f/notes.txt", "2004-02-30", "Notes");
    check();
    EXPECT_TRUE(update());
    EXPECT_EQ(host.disk["C:\\Prog\\empty.dll"], "old component");
    EXPECT_EQ(host.disk["C:\\Prog\\short.txt"], "old text");
    EXPECT_EQ(host.disk["C:\\Prog\\broken.ocx"], "MZ but not really a library") << "it arrived";
    EXPECT_EQ(host.disk["C:\\Prog\\notes.txt"], "notes");
    EXPECT_TRUE(host.dates.empty()) << "neither the failed files nor one with no date";
    EXPECT_EQ(host.installed, (std::vector<std::pair<std::string, std::string>>{
                                  {"C:\\Prog\\broken.ocx", "C:\\Prog\\broken.ocx"},
                                  {"C:\\Prog\\notes.txt", "C:\\Prog\\notes.txt"}}));
    EXPECT_EQ(host.picks, (std::set<size_t>{2, 3}));
    ASSERT_EQ(host.boxes.size(), 1u);
    const std::string& end = host.boxes[0].text;
    EXPECT_EQ(host.boxes[0].caption, "Update Not Completed....");
    EXPECT_NE(end.find("These files could not be downloaded: empty.dll, short.txt."), std::string::npos) << end;
    EXPECT_NE(end.find("These files were not installed: C:\\Prog\\broken.ocx (it could not be registered)"),
              std::string::npos) << end;
    EXPECT_EQ(end.find("notes.txt"), std::string::npos) << end;
    EXPECT_EQ(host.logLines,
              (std::vector<std::string>{
                  "Update not downloaded: http://h/empty/empty.dll: 0 bytes arrived, the list gives 13",
                  "Update not downloaded: http://h/nolength/f/short.txt: 5 bytes arrived, the list gives 50",
                  "Update not registered: C:\\Prog\\broken.ocx: cannot be loaded: bad image",
                  "Update not dated: C:\\Prog\\notes.txt: the list's date \"2004-02-30\" is no date"}));
}

// Abort, or the close box, while a file comes ends the run there: no box,
// nothing after it fetched; only a window still there says so.
TEST_F(UpdateSteps, AWaitEndedByTheUserStopsTheRunQuietly) {
    host.files["http://h/f/big.bin"] = {"new", {}};
    host.lists[listUrl(1)] = "ORVANEF 1\r\n" + entry("C:\\Prog\\big.bin", 3, "http://h/slow/f/big.bin", "", "Big") +
                             entry("C:\\Prog\\next.txt", 1, "http://h/f/big.bin", "", "Next");
    host.disk["C:\\Prog\\big.bin"] = "old";
    host.endWaitAt = "http://h/slow/f/big.bin";
    host.files["http://h/slow/f/big.bin"] = {"", {lib::dlAborted, "http://h/slow/f/big.bin: aborted"}};
    check();
    EXPECT_FALSE(update());
    EXPECT_EQ(host.events.back(), "status User aborted Update");
    EXPECT_EQ(host.disk["C:\\Prog\\big.bin"], "old");
    EXPECT_EQ(host.disk.count("C:\\Prog\\next.txt"), 0u);
    EXPECT_EQ(host.downloaded.size(), 1u);
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_TRUE(host.logLines.empty()) << "a stop the user chose is no failure";

    ScriptedHost closed;
    closed.lists = host.lists;
    closed.files = host.files;
    closed.endWaitAt = host.endWaitAt;
    closed.endWaitWith = Wait::closed;
    host = closed;
    run = update_steps::Run();
    check();
    EXPECT_FALSE(update());
    EXPECT_NE(host.events.back(), "status User aborted Update") << "no window to tell";
    EXPECT_TRUE(host.boxes.empty());
}

} // namespace
