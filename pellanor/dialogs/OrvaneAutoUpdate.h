// OrvaneAutoUpdate.h
// The auto-update dialog: fetches the nine update lists and the patch list
// of the running version from the update server, lets the user pick the
// offered files and downloads them into place through the update library,
// dating each file and handing it to the component installer. A download
// that holds "update.exe" is recorded in the machine-wide key and started
// when the dialog ends; the main window then closes (gPatchDownloaded).
//
// Which entry goes where, which is refused and why, and whether a patch is
// in place is the update plan's (update_plan.h); the order of the check and
// the run, and what the user is told when, is update_steps.h's. The dialog
// is their Host: it translates between them and the controls, the
// registry, the boxes and the update library.
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
#include "update_steps.h"

namespace OrvaneAutoUpdateMod {

inline constexpr const char* kDefaultUpdateServer = settings_rules::settings::updateServer.defaultText;
inline constexpr const char* kListPath = "/autoUpdate/pellanor/orvaneUpdateList";
inline constexpr const char* kServerSetting = settings_rules::settings::updateServer.name;
inline constexpr int kHelpContext = 1003;
inline constexpr int kUpdateClip = 256;

// The update server from the setting, or the default.
std::string updateServer();

} // namespace OrvaneAutoUpdateMod

class OrvaneAutoUpdate : public dialog_shared::CommandDialog, private update_steps::Host {
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

    long widestItem = 0;

    // Index 0 to 8: lists 1 to 9; index 9: the patch list of this version.
    update_steps::Lists updateLists;
    std::string updateListBase;
    // The run under way (or the last): the records, their bytes, the patch.
    update_steps::Run updateRun;
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
    void Form_Load();
    void setStatus(const std::string& text);
    // The update's window around its steps: the set-up, the end, a stop.
    void beginRun();
    void finishRun();
    void stopRun();

    // update_steps::Host
    update_steps::StepResult fetchList(const std::string& url, Tamberly_orvane6::UpdateList& list) override;
    void makeFolders(const std::string& path) override;
    bool cannotReplace(const std::string& target) override;
    update_steps::StepResult download(const update_plan::Download& download, const SelectedUpdate& record) override;
    std::string storedPath() const override;
    update_steps::StepResult setDate(const std::string& path, const Tamberly_orvane6::FileDate& date) override;
    update_steps::StepResult install(const std::string& path, const std::string& matched) override;
    void recordPatch() override;
    bool patchInstallerRuns() const override;
    void start(const std::string& commandLine) override;
    void log(const std::string& line) override;
    void tell(const update_steps::Message& message) override;
    update_steps::Wait waitEnded() const override;
    void status(const std::string& text) override { setStatus(text); }
    void checkStopped(bool failed) override;
    void offer(const update_plan::ListItem& item) override { addListItem(List1, item.name, item.description); }
    void offered(bool any) override;
    long pickedCount() const override;
    bool picked(size_t item) const override;
    void unpick(size_t item) override;

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
    std::unique_ptr<Tamberly_orvane6::ComponentInstaller> m_installer;
    win32::Font m_boldFont;
    HICON m_helpIcon = nullptr;
    win32::Brush m_whiteBrush;
    win32::Brush m_greyBrush;
};
