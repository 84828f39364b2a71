// OrvaneAutoUpdate.h
// The auto-update dialog: fetches the nine update lists and the patch list
// of the running version from the update server, lets the user pick the
// offered files and downloads them into place through the update library,
// dating each file and handing it to the component installer. A download
// that holds "update.exe" is recorded in the machine-wide key and started
// when the dialog ends; the main window then closes (gPatchDownloaded).
//
// Which entry goes where, which is refused and why, and whether a patch is
// in place is the update plan's (update_plan.h); the dialog translates
// between it and the controls, the registry and the downloads.
//
// The update server is the per-user setting "updateServer" (section
// "Settings", "host" or "host:port"), kDefaultUpdateServer when missing or
// not a plain host name.
//
// Every destination a list names must lie in the program folder, but for a
// bare file name, which goes into the Windows system folder itself; an
// entry that names another place is refused, the run goes on with the
// others and the user is told at its end. An old file is replaced only once
// its new copy has arrived whole and has the size its list gives. The
// system folder takes a file only as version-checked installation does
// (FileDownloader::versionChecked): a new one, or a newer version of the
// one there; anything else is not installed, nor registered. A patch is
// fetched only as the program folder's update.exe, the file the hand-over
// starts.
//
// Every list, file and registration that fails leaves its reason in the
// error log; the user is told what did not go in at the end of the run.
//
// The state of a check and of a run is the dialog's own: Abort and the
// close box, which run while a list or a file is awaited in a nested
// message loop, act on the dialog they belong to, and a run whose window
// went meanwhile ends without touching it.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <array>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "dialog_shared.h"
#include "common/win32/handles.h"
#include "outside/updatelib/updatelib.h"
#include "settings_rules.h"
#include "update_plan.h"

namespace OrvaneAutoUpdateMod {

inline constexpr const char* kDefaultUpdateServer = settings_rules::settings::updateServer.defaultText;
inline constexpr const char* kListPath = "/autoUpdate/pellanor/orvaneUpdateList";
inline constexpr const char* kServerSetting = settings_rules::settings::updateServer.name;
inline constexpr int kHelpContext = 1003;
inline constexpr int kUpdateClip = 256;

// The update server from the setting, or the default.
std::string updateServer();

} // namespace OrvaneAutoUpdateMod

class OrvaneAutoUpdate : public dialog_shared::CommandDialog {
public:
    explicit OrvaneAutoUpdate(HWND owner);
    ~OrvaneAutoUpdate() override;

    // What the main window's update menu calls: the dialog, modal over owner.
    static void showDialog(HWND owner);

    void StartVerifyBut_Click();
    void UpdateBut_Click();
    void cmdSelect_Click(int index);
    void abortBut_Click();
    void exitBut_Click();
    void chkProxy_Click();
    void cmdHelp_Click();
    void orvaneftp_progress(long bytes);
    void prepFileLists();
    void addListItem(HWND list, const std::string& name, const std::string& text);

    HWND cmdHelp = nullptr, StartVerifyBut = nullptr, List1 = nullptr, ProgressBar1 = nullptr;
    HWND lblFilename = nullptr, lblBytes = nullptr, UpdateBut = nullptr, exitBut = nullptr;
    HWND abortBut = nullptr, chkProxy = nullptr, txtProxyServer = nullptr, StatusLab = nullptr;
    std::array<HWND, 2> cmdSelect{};
    IDispatch* animation = nullptr; // the animation control, driven late-bound (one reference)

    long totalBytes = 0;
    long doneBytes = 0;
    long widestItem = 0;

    // Index 0 to 8: lists 1 to 9; index 9: the patch list of this version.
    std::array<std::unique_ptr<Tamberly_orvane6::UpdateList>, 10> updateLists;
    std::string updateListBase;
    std::vector<SelectedUpdate> selectedUpdates; // element i is record i + 1
    std::string systemDir;                       // ends in "\"; empty when unknown
    bool downloading = false;                    // a file download is running
    bool updateAbort = false;                    // Abort or the close box since the check began

    // The component installer registers downloaded components unless a
    // test switches that off.
    static inline bool registerComponents = true;
    // The longest wait for the update server, for a list or a file: for the
    // answer and for each block of data (seconds; tests shorten it).
    static inline long timeoutSeconds = 60;

protected:
    bool OnInit() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void OnOK() override {}
    void OnCancel() override { exitBut_Click(); }
    void onClose() override; // Form_Unload

private:
    enum class ListFetch { fetched, stopped, closed };

    void Form_Load();
    void setStatus(const std::string& text);
    // The check's steps: fetching the ten lists, then offering their entries.
    ListFetch fetchLists(const std::string& site);
    void offerEntries();
    // The update's steps: the set-up, one picked record (false: the run
    // stops), a stored file's date and installation, the end.
    void beginRun();
    bool updateRecord(const SelectedUpdate& record, size_t item);
    void installFile(const SelectedUpdate& record, const update_plan::Download& download);
    void finishRun();
    void stopRun();
    // Animation module: open a clip by number, play it, close it; each
    // through one late-bound call on the control (at most two arguments),
    // which says whether it went (value: a property read as a number).
    bool aviCall(DISPID id, WORD flags, std::initializer_list<LONG_PTR> args = {}, LONG* value = nullptr);
    void openAVI(long clip);
    void playAVI();
    void closeAVI();
    void showAnimation(bool show);

    std::unique_ptr<Tamberly_orvane6::FileDownloader> orvaneftp;
    // The list downloader while a check runs, so Abort and the close box reach it.
    std::unique_ptr<Tamberly_orvane6::UpdateListDownloader> m_listDownloader;
    // The plan of the run under way (or the last): refusals, failures, the
    // installer's match.
    update_plan::UpdateRun m_run;
    std::unique_ptr<Tamberly_orvane6::ComponentInstaller> m_installer;
    win32::Font m_boldFont;
    HICON m_helpIcon = nullptr;
    win32::Brush m_whiteBrush;
    win32::Brush m_greyBrush;
};
