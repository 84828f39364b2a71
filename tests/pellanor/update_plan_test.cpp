// update_plan_test.cpp
// The update plan: the lists' addresses, where each entry goes and which
// are refused, what a run fetches and how it ends.
#include "update_plan.h"

#include <gtest/gtest.h>

#include "text_fields.h"

using namespace update_plan;
using OrvaneAutoUpdateMod::afterLast;
using OrvaneAutoUpdateMod::getField;

namespace {

const Folders kFolders{"C:\\Prog", "C:\\windows\\system32\\"};

Tamberly_orvane6::UpdateList listOf(const std::string& lines) {
    Tamberly_orvane6::UpdateList list;
    std::string error;
    EXPECT_TRUE(list.load("ORVANEF 1\r\n" + lines, error)) << error;
    return list;
}

// name, size, url, refIndex, path, text
std::string entry(const std::string& name, const std::string& url, const std::string& text,
                  const std::string& ref = "", const std::string& path = "", const std::string& size = "1") {
    return name + "\t" + size + "\t" + url + "\t\t" + ref + "\t" + path + "\t" + text + "\r\n";
}

TEST(UpdatePlan, PatchListAddressCarriesTheVersion) {
    EXPECT_EQ(patchListAddress("http://h/l", 2, 0), "http://h/lPatch20.orvanef");
    EXPECT_EQ(patchListAddress("http://h/l", 1, 5), "http://h/lPatch15.orvanef");
    EXPECT_EQ(listAddress("http://h/l", 9), "http://h/l9.orvanef");
    EXPECT_EQ(afterLast("a\\b\\c.txt", "\\"), "c.txt");
    EXPECT_EQ(afterLast("plain", "\\"), "plain");
    EXPECT_EQ(getField("http://h/a,2004-01-01", 1, ","), "2004-01-01");
    EXPECT_EQ(getField("http://h/a,", 1, ","), "");
    EXPECT_EQ(getField("x", 3, ","), "");
}

TEST(UpdatePlan, EachEntryGoesWhereItsNameSaysOrIsRefused) {
    const auto list = listOf(entry("comp.ocx", "http://h/comp.ocx", "Bare name") +
                             entry("C:\\PROG\\sub\\x.txt", "http://h/x.txt", "Folder part") +
                             entry("Hope.txt", "http://h/Hope.txt", "TRANSLATION_New//New translation") +
                             entry("x.txt", "http://h/x.txt", "..\\..//Climbs out") +
                             entry("C:\\windows\\win.ini", "http://h/win.ini", "Outside") +
                             entry("services", "http://h/s", "Below the system folder", "", "C:\\windows\\system32\\drivers\\services") +
                             entry("C:\\Program\\y.txt", "http://h/y.txt", "Beside the program folder") +
                             entry("b.dll", "http://h/b.dll", "Refers to the first", "1", "", "7"));
    const Placement bare = place(list, 1, kFolders);
    EXPECT_EQ(bare.record.localPath, "C:\\windows\\system32\\comp.ocx");
    EXPECT_TRUE(bare.allowed);
    EXPECT_FALSE(bare.record.selected);
    EXPECT_EQ(bare.record.urlDate, "http://h/comp.ocx,");
    EXPECT_EQ(place(list, 2, kFolders).record.localPath, "C:\\PROG\\sub\\x.txt");
    EXPECT_TRUE(place(list, 2, kFolders).allowed) << "the program folder's case does not matter";
    const Placement sub = place(list, 3, kFolders);
    EXPECT_EQ(sub.subfolder, "C:\\Prog\\TRANSLATION_New");
    EXPECT_EQ(sub.record.localPath, "C:\\Prog\\TRANSLATION_New\\");
    EXPECT_TRUE(sub.allowed);
    const Placement climbs = place(list, 4, kFolders);
    EXPECT_EQ(climbs.subfolder, "") << "no folder is made for a path that climbs out";
    EXPECT_FALSE(climbs.allowed);
    for (long j : {5L, 6L, 7L}) EXPECT_FALSE(place(list, j, kFolders).allowed) << j;
    // Entry 8 names entry 1's file, which has no explicit path.
    const Placement ref = place(list, 8, kFolders);
    EXPECT_EQ(ref.record.fileName, "comp.ocx");
    EXPECT_EQ(ref.record.size, 1);
    EXPECT_EQ(ref.record.localPath, "C:\\windows\\system32\\b.dll");
    // Without a known system folder a bare name has nowhere to go.
    EXPECT_FALSE(place(list, 1, {"C:\\Prog", ""}).allowed);
    EXPECT_EQ(listItem(list, 3).name, "Hope.txt");
    EXPECT_EQ(listItem(list, 3).description, "New translation");
    EXPECT_EQ(listItem(list, 2).name, "x.txt");
    EXPECT_EQ(listItem(list, 2).description, "Folder part");
}

TEST(UpdatePlan, ARunFetchesEachPickedFileAndTellsWhatDidNotArrive) {
    const auto list = listOf(entry("x.ocx", "http://h/f/x.ocx", "A control") +
                             entry("C:\\Prog\\notes.txt", "http://h/f/n.txt?v=2", "Notes") +
                             entry("update.exe", "http://h/f/update.exe", "Patches//Patch in a subfolder") +
                             entry("C:\\Prog\\update.exe", "http://h/f/update.exe", "Patch") +
                             entry("C:\\elsewhere.txt", "http://h/f/e.txt", "Outside"));
    std::vector<std::string> log;
    UpdateRun run(kFolders, [&](const std::string& line) { log.push_back(line); });
    std::vector<SelectedUpdate> recs;
    for (long j = 1; j <= list.count(); ++j) recs.push_back(run.take(place(list, j, kFolders), j != 2));
    EXPECT_FALSE(recs[1].selected) << "not picked";
    EXPECT_FALSE(recs[4].selected) << "refused";
    EXPECT_TRUE(recs[0].selected);

    const Download comp = run.next(recs[0]);
    EXPECT_EQ(comp.url, "http://h/f/x.ocx");
    EXPECT_EQ(comp.target, "C:\\windows\\system32\\x.ocx");
    EXPECT_TRUE(comp.versionChecked);
    EXPECT_FALSE(comp.strayPatch);
    EXPECT_EQ(run.installMatch(recs[0], comp.target), comp.target) << "the address names the entry's file";
    run.finished(comp, Tamberly_orvane6::dlVersionRefused, "C:\\windows\\system32\\x.ocx: not newer");
    // Its address names another file: the match stays the control's.
    const Download notes = run.next(recs[1]);
    EXPECT_FALSE(notes.versionChecked);
    EXPECT_EQ(run.installMatch(recs[1], notes.target), comp.target);
    run.finished(notes, Tamberly_orvane6::dlNetwork, "http://h/f/n.txt?v=2: no answer");

    const Download stray = run.next(recs[2]);
    EXPECT_EQ(stray.target, "C:\\Prog\\Patches\\update.exe") << "a folder destination keeps the address's name";
    EXPECT_TRUE(stray.strayPatch);
    run.notFetched(stray);
    const Download patch = run.next(recs[3]);
    EXPECT_FALSE(patch.strayPatch);
    EXPECT_TRUE(run.patchInPlace(patch, Tamberly_orvane6::dlOK, "C:\\Prog\\update.exe"));
    EXPECT_FALSE(run.patchInPlace(patch, Tamberly_orvane6::dlNetwork, "C:\\Prog\\update.exe"));
    EXPECT_FALSE(run.patchInPlace(notes, Tamberly_orvane6::dlOK, "C:\\Prog\\update.exe"));
    run.finished(patch, Tamberly_orvane6::dlOK, "");

    EXPECT_FALSE(run.complete());
    EXPECT_EQ(run.notCompletedText(),
              "These files could not be downloaded: n.txt?v=2.   \r\n"
              "These files were not installed: C:\\windows\\system32\\x.ocx (the system folder takes only new files "
              "and newer versions of its files), C:\\Prog\\Patches\\update.exe (a program patch goes only into the "
              "program folder).   \r\n"
              "These files were refused because the update list puts them outside the program's folders: "
              "C:\\elsewhere.txt.   \r\n"
              "The other selected files were downloaded and installed.  Please try the update again later or verify "
              "your Proxy Settings.   ");
    // A file that arrived but would not register did not go in; one that
    // could not be dated did.
    run.notRegistered(patch, "C:\\Prog\\update.exe: cannot be loaded");
    run.notDated("C:\\Prog\\update.exe: no such date");
    EXPECT_NE(run.notCompletedText().find("C:\\Prog\\Patches\\update.exe (a program patch goes only into the program "
                                          "folder), C:\\Prog\\update.exe (it could not be registered).   \r\n"),
              std::string::npos)
        << run.notCompletedText();
    // Every entry that did not go in left its reason in the log, as it came.
    EXPECT_EQ(log, (std::vector<std::string>{
                       "Update refused: C:\\elsewhere.txt: the update list puts it outside the program's folders",
                       "Update not installed: C:\\windows\\system32\\x.ocx: not newer",
                       "Update not downloaded: http://h/f/n.txt?v=2: no answer",
                       "Update not fetched: C:\\Prog\\Patches\\update.exe: a program patch goes only into the program "
                       "folder",
                       "Update not registered: C:\\Prog\\update.exe: cannot be loaded",
                       "Update not dated: C:\\Prog\\update.exe: no such date"}));
    EXPECT_TRUE(UpdateRun(kFolders).complete());
    EXPECT_TRUE(run.next(SelectedUpdate{true, "C:\\Prog\\a.txt", "a.txt", ",2004-01-01", 1}).url.empty());
}

TEST(UpdatePlan, ServerSettingMustBeAHostName) {
    EXPECT_FALSE(isHostSetting("evil/path?x"));
    EXPECT_FALSE(isHostSetting("host.example:99999"));
    EXPECT_TRUE(isHostSetting("updates.example.org:8080"));
}

// A bare name is picked into the system folder itself; a patch only counts
// as the program folder's update.exe, so a bare one there is a stray.
TEST(UpdatePlan, BareNamesGoIntoTheSystemFolderAndABarePatchIsAStray) {
    const auto list = listOf(entry("comp.ocx", "http://h/comp.ocx", "Bare name") +
                             entry("update.exe", "http://h/f/update.exe", "Bare patch"));
    UpdateRun run(kFolders);
    const SelectedUpdate comp = run.take(place(list, 1, kFolders), true);
    EXPECT_TRUE(comp.selected);
    EXPECT_EQ(comp.localPath, "C:\\windows\\system32\\comp.ocx");
    const Download patch = run.next(run.take(place(list, 2, kFolders), true));
    EXPECT_EQ(patch.target, "C:\\windows\\system32\\update.exe");
    EXPECT_TRUE(patch.strayPatch);
    EXPECT_FALSE(run.patchInPlace(patch, Tamberly_orvane6::dlOK, patch.target));
}

TEST(UpdatePlan, ProgressIsThePercentageOfTheSelection) {
    EXPECT_EQ(progressPercent(99, 200), 50) << "49.5 rounds up";
    EXPECT_EQ(progressPercent(1050, 200), 100) << "never past the end";
    EXPECT_EQ(progressPercent(0, 200), 0);
    EXPECT_EQ(progressPercent(60, 0), -1) << "a list without sizes has no percentage";
}

TEST(UpdatePlan, PatchInstallerRunsOn95AndTheNtFamilyAndLater) {
    EXPECT_TRUE(patchInstallerRuns(5, kPlatform9x));
    EXPECT_TRUE(patchInstallerRuns(3, kPlatformNT));
    EXPECT_TRUE(patchInstallerRuns(4, kPlatform9x));
    EXPECT_FALSE(patchInstallerRuns(3, kPlatform9x));
    EXPECT_FALSE(patchInstallerRuns(4, 0));
}

} // namespace
