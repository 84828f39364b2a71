// OrvaneAutoUpdate.cpp
#include "OrvaneAutoUpdate.h"
#include "dialog_shared.h"

#include <commctrl.h>
#include <htmlhelp.h>

#include "pellanor/win/GlobalFunctions.h"
#include "pellanor/win/Module1.h"
#include "OrvaneAutoUpdate_res.h"
#include "common/ui/Window.h"
#include "common/win32/handles.h"
#include "outside/ccrpani/ccrpAnimation.h"
#include "dataManipulation.h"
#include "registry.h"
#include "seams.h"
#include "settings_rules.h"
#include "update_plan.h"

using namespace OrvaneAutoUpdateMod;
namespace lib = Tamberly_orvane6;
using dataManipulation::kProgramErrorCaption;

namespace {

constexpr const char* kDownloadingStatus = "Downloading the files from the Internet.... Please Wait";

void setPointer(bool busy) {
    SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(busy ? IDC_APPSTARTING : IDC_ARROW)));
}

// Whether the old file at path can be replaced: not read-only, and openable
// for deletion (what replacing it takes).
bool canReplace(const std::string& path) {
    DWORD attrs = GetFileAttributesA(path.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES) return true;
    if (attrs & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) return false;
    win32::File h(CreateFileA(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(h);
}

bool fileFound(const std::string& path) {
    WIN32_FIND_DATAA fd;
    win32::FindHandle h(FindFirstFileA(path.c_str(), &fd));
    return static_cast<bool>(h);
}

// The plan takes the platform ids as the system gives them.
static_assert(update_plan::kPlatform9x == VER_PLATFORM_WIN32_WINDOWS && update_plan::kPlatformNT == VER_PLATFORM_WIN32_NT);

bool patchInstallerRuns() {
    OSVERSIONINFOEXA v = gOSVersion;
    if (v.dwMajorVersion == 0) {
        v.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
        GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&v));
    }
    return update_plan::patchInstallerRuns(v.dwMajorVersion, v.dwPlatformId);
}

} // namespace

OrvaneAutoUpdate::OrvaneAutoUpdate(HWND owner) { create(IDD_AUTOUPDATE, owner); }

OrvaneAutoUpdate::~OrvaneAutoUpdate() {
    if (isOpen()) closeNow();
    if (animation) animation->Release();
}

// The main window is disabled before the load, so a box the load shows
// leaves nothing of it to use.
void OrvaneAutoUpdate::showDialog(HWND owner) { dialog_shared::showModal<OrvaneAutoUpdate>(owner); }

// ---------------------------------------------------------------- load

bool OrvaneAutoUpdate::OnInit() {
    cmdHelp = getItem(IDC_AU_HELP);
    StartVerifyBut = getItem(IDC_AU_STARTVERIFY);
    List1 = getItem(IDC_AU_LIST1);
    ProgressBar1 = getItem(IDC_AU_PROGRESS);
    lblFilename = getItem(IDC_AU_FILENAME);
    lblBytes = getItem(IDC_AU_BYTES);
    cmdSelect = {getItem(IDC_AU_SELECT0), getItem(IDC_AU_SELECT1)};
    UpdateBut = getItem(IDC_AU_UPDATE);
    exitBut = getItem(IDC_AU_EXIT);
    abortBut = getItem(IDC_AU_ABORT);
    chkProxy = getItem(IDC_AU_CHKPROXY);
    txtProxyServer = getItem(IDC_AU_PROXYSERVER);
    StatusLab = getItem(IDC_AU_STATUS);
    Form_Load();
    return true;
}

void OrvaneAutoUpdate::Form_Load() {
    (void)userAction::run({hwnd(), "OrvaneautoUpdate_form_load", kProgramErrorCaption, MB_ICONINFORMATION}, [&] {
        SetWindowLongPtrA(List1, GWL_STYLE, GetWindowLongPtrA(List1, GWL_STYLE) | WS_HSCROLL);
        // The frame is measured again for the new style, and the list shows
        // the bar only once an item is wider than the list.
        SetWindowPos(List1, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        SendMessageA(List1, LB_SETHORIZONTALEXTENT, 0, 0);
        m_helpIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_QUESTION));
        if (cmdHelp && m_helpIcon)
            SendMessageA(cmdHelp, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(m_helpIcon));

        char dir[MAX_PATH + 1];
        UINT n = GetSystemDirectoryA(dir, MAX_PATH);
        systemDir = n > 0 && n < MAX_PATH ? std::string(dir, n) + "\\" : std::string();
        updateListBase = "http://" + updateServer() + kListPath;

        HFONT font = reinterpret_cast<HFONT>(SendMessageA(hwnd(), WM_GETFONT, 0, 0));
        LOGFONTA lf{};
        if (font && GetObjectA(font, sizeof lf, &lf)) {
            lf.lfWeight = FW_BOLD;
            m_boldFont.reset(CreateFontIndirectA(&lf));
            sendItemMessage(IDC_AU_INFOTITLE, WM_SETFONT, reinterpret_cast<WPARAM>(m_boldFont.get()), TRUE);
        }
        m_whiteBrush.reset(CreateSolidBrush(RGB(255, 255, 255)));
        m_greyBrush.reset(CreateSolidBrush(GetSysColor(COLOR_INACTIVEBORDER)));
        SendMessageA(ProgressBar1, PBM_SETRANGE32, 0, 100);
        setItemText(IDC_AU_PROXYSERVER, "Enter the proxy address here");

        // The animation takes the list's place while files download.
        RECT rc;
        GetWindowRect(List1, &rc);
        MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&rc), 2);
        if (auto* a = ccrpani::ccrpAnimation::create(hwnd(), rc.left, rc.top, rc.right - rc.left,
                                                     rc.bottom - rc.top, IDC_AU_ANIMATION)) {
            a->center(true);
            a->autoSize(true);
            a->backColor(RGB(255, 255, 255));
            animation = a; // the reference create gave
            // Made after the template's controls, it would lie beneath the
            // Step 2 frame; it belongs above it.
            SetWindowPos(a->hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
    });
}

void OrvaneAutoUpdate::onClose() {
    // Form_Unload: a running update stops; the lists go.
    abortBut_Click();
    // A check still running fills the lists; it lets them go itself. The
    // dialog is closing; the lists go with the process at worst.
    userAction::logged("OrvaneAutoUpdate_onClose", [&] {
        if (!m_listDownloader)
            for (auto& list : updateLists) list.reset();
    });
}

bool OrvaneAutoUpdate::OnCommand(int id, int code, HWND control) {
    using dialog_shared::kAnyCode;
    return runCommands("OrvaneAutoUpdate_OnCommand", id, code, control, {
        {IDC_AU_STARTVERIFY, kAnyCode, [this] { StartVerifyBut_Click(); }},
        {IDC_AU_UPDATE, kAnyCode, [this] { UpdateBut_Click(); }},
        {IDC_AU_SELECT0, kAnyCode, [this] { cmdSelect_Click(0); }},
        {IDC_AU_SELECT1, kAnyCode, [this] { cmdSelect_Click(1); }},
        {IDC_AU_ABORT, kAnyCode, [this] { abortBut_Click(); }},
        {IDC_AU_EXIT, kAnyCode, [this] { exitBut_Click(); }},
        {IDC_AU_CHKPROXY, BN_CLICKED, [this] { chkProxy_Click(); }},
        {IDC_AU_HELP, kAnyCode, [this] { cmdHelp_Click(); }},
    });
}

bool OrvaneAutoUpdate::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    // The proxy box is white while it can be typed in, grey otherwise.
    if ((msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORSTATIC) && reinterpret_cast<HWND>(lp) == txtProxyServer) {
        bool on = IsWindowEnabled(txtProxyServer) != FALSE;
        HDC dc = reinterpret_cast<HDC>(wp);
        SetBkColor(dc, on ? RGB(255, 255, 255) : GetSysColor(COLOR_INACTIVEBORDER));
        result = reinterpret_cast<LRESULT>(on ? m_whiteBrush.get() : m_greyBrush.get());
        return true;
    }
    return false;
}

// ---------------------------------------------------------------- small handlers

void OrvaneAutoUpdate::setStatus(const std::string& text) { setItemText(IDC_AU_STATUS, text); }

void OrvaneAutoUpdate::exitBut_Click() {
    // The dialog is ending anyway; nothing the user could act on.
    (void)userAction::run({}, [&] {
        endModal(IDCANCEL);
    }, {});
}

void OrvaneAutoUpdate::chkProxy_Click() {
    // Only the look of the proxy field; the choice itself is kept.
    (void)userAction::run({}, [&] {
        bool on = isButtonChecked(IDC_AU_CHKPROXY);
        enableItem(IDC_AU_PROXYSERVER, on);
        if (on) {
            gotoDlgCtrl(txtProxyServer);
            SendMessageA(txtProxyServer, EM_SETSEL, 0, -1);
        }
        InvalidateRect(txtProxyServer, nullptr, TRUE);
    }, {});
}

void OrvaneAutoUpdate::cmdHelp_Click() {
    // Help that cannot open is its own answer; the dialog goes on.
    (void)userAction::run({}, [&] {
        seams::htmlHelp(nullptr, gHelpFile, HH_HELP_CONTEXT, kHelpContext);
        UpdateWindow(hwnd());
    }, {});
}

void OrvaneAutoUpdate::cmdSelect_Click(int index) {
    (void)userAction::run({hwnd(), "OrvaneautoUpdate_cmdSelect_Click", kProgramErrorCaption, MB_ICONINFORMATION}, [&] {
        SendMessageA(List1, LB_SETSEL, index == 1 ? TRUE : FALSE, -1);
        SendMessageA(List1, LB_SETCARETINDEX, 0, FALSE);
    });
}

void OrvaneAutoUpdate::addListItem(HWND list, const std::string& name, const std::string& text) {
    std::string item = name + ":   " + text;
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    HDC dc = GetDC(list);
    if (!dc) return;
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(hwnd(), WM_GETFONT, 0, 0)));
    std::string measured = "  " + item;
    SIZE size{};
    GetTextExtentPoint32A(dc, measured.c_str(), static_cast<int>(measured.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(list, dc);
    // The dialog measures in pixels already: no twips to convert.
    if (size.cx > widestItem) {
        widestItem = size.cx;
        SendMessageA(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widestItem), 0);
    }
}

// ---------------------------------------------------------------- check for updates

void OrvaneAutoUpdate::StartVerifyBut_Click() {
    const std::string site = updateServer();
    (void)userAction::run({}, [&] {
        updateAbort = false;
        for (auto& list : updateLists) list = std::make_unique<lib::UpdateList>();
        m_listDownloader = std::make_unique<lib::UpdateListDownloader>();
        m_listDownloader->timeout(timeoutSeconds);

        SendMessageA(List1, LB_RESETCONTENT, 0, 0);
        widestItem = 0;
        SendMessageA(List1, LB_SETHORIZONTALEXTENT, 0, 0);
        setStatus("Downloading the update list from " + site);
        if (isButtonChecked(IDC_AU_CHKPROXY)) m_listDownloader->proxy(getItemText(IDC_AU_PROXYSERVER));
        setPointer(true);
        enableItem(IDC_AU_STARTVERIFY, false);
        enableItem(IDC_AU_EXIT, false);

        const update_steps::ListFetch fetch = update_steps::fetchLists(*this, updateListBase, site, updateLists);
        if (fetch == update_steps::ListFetch::closed) {
            // Nothing of the window is left to put back.
            m_listDownloader.reset();
            for (auto& list : updateLists) list.reset();
            setPointer(false);
            return;
        }
        m_listDownloader.reset();
        if (fetch == update_steps::ListFetch::fetched) {
            setPointer(false);
            enableItem(IDC_AU_EXIT, true);
            (void)update_steps::offerEntries(*this, updateLists);
        }
        enableItem(IDC_AU_EXIT, true);
        setPointer(false);
        setStatus("");
    }, [&] {
        m_listDownloader.reset();
        dataManipulation::showMessage(hwnd(), action_rule::failureText("OrvaneautoUpdate_StartVerifyBut_Click.   "),
                                      kProgramErrorCaption, MB_ICONINFORMATION);
        enableItem(IDC_AU_STARTVERIFY, true);
        enableItem(IDC_AU_EXIT, true);
        setPointer(false);
        setStatus("");
        GlobalFunctions::runVerify();
    });
}

// ---------------------------------------------------------------- update

void OrvaneAutoUpdate::prepFileLists() {
    (void)userAction::run({hwnd(), "OrvaneautoUpdate_prepFileLists", kProgramErrorCaption, MB_ICONINFORMATION}, [&] {
        updateRun.prepare(*this, updateLists, {seams::programFolder(), systemDir});
    });
}

void OrvaneAutoUpdate::stopRun() {
    m_installer.reset();
    orvaneftp.reset();
    // The window went while a file came: nothing of it is left to put back.
    if (!hwnd()) return;
    // The status line no longer says a download is running.
    if (getItemText(IDC_AU_STATUS) == kDownloadingStatus) setStatus("");
    showItem(IDC_AU_ABORT, false);
    showItem(IDC_AU_EXIT, true);
    enableItem(IDC_AU_EXIT, true);
    enableItem(IDC_AU_STARTVERIFY, true);
    showAnimation(false);
    closeAVI();
    setPointer(false);
}

void OrvaneAutoUpdate::UpdateBut_Click() {
    (void)userAction::run({}, [&] {
        if (!update_steps::Run::anyPicked(*this)) return;
        beginRun();
        if (!updateRun.fetchAll(*this)) {
            stopRun();
            return;
        }
        finishRun();
    }, [&] {
        dataManipulation::showMessage(hwnd(), action_rule::failureText("OrvaneautoUpdate_UpdateBut_Click"),
                                      kProgramErrorCaption, MB_ICONINFORMATION);
        downloading = false;
        stopRun();
        GlobalFunctions::runVerify();
    });
}

void OrvaneAutoUpdate::beginRun() {
    enableItem(IDC_AU_CHKPROXY, false);
    enableItem(IDC_AU_PROXYSERVER, false);
    showItem(IDC_AU_ABORT, true);
    showItem(IDC_AU_EXIT, false);
    SendMessageA(ProgressBar1, PBM_SETPOS, 0, 0);
    prepFileLists();
    setStatus(kDownloadingStatus);
    enableItem(IDC_AU_SELECT0, false);
    enableItem(IDC_AU_SELECT1, false);
    enableItem(IDC_AU_UPDATE, false);
    setPointer(true);
    UpdateWindow(hwnd());
    orvaneftp = std::make_unique<lib::FileDownloader>();
    orvaneftp->progress = [this](long bytes) { orvaneftp_progress(bytes); };
    // Files come through the same proxy as the lists.
    if (isButtonChecked(IDC_AU_CHKPROXY)) orvaneftp->proxy(getItemText(IDC_AU_PROXYSERVER));
    m_installer = std::make_unique<lib::ComponentInstaller>();
    m_installer->registerComponents(registerComponents);
    openAVI(kUpdateClip);
    playAVI();
    showAnimation(true);
    gPatchDownloaded = false;
}

void OrvaneAutoUpdate::finishRun() {
    showAnimation(false);
    closeAVI();
    setPointer(false);
    updateRun.finish(*this);
    m_installer.reset();
    orvaneftp.reset();
    endModal(IDOK);
}

// ---------------------------------------------------------------- the steps' host

update_steps::StepResult OrvaneAutoUpdate::fetchList(const std::string& url, lib::UpdateList& list) {
    UpdateWindow(StatusLab);
    const lib::Result fetched = m_listDownloader->fetchList(url, list);
    return {fetched.code, fetched.reason};
}

void OrvaneAutoUpdate::makeFolders(const std::string& path) { (void)GlobalFunctions::makePath(path); }

bool OrvaneAutoUpdate::cannotReplace(const std::string& target) { return fileFound(target) && !canReplace(target); }

update_steps::StepResult OrvaneAutoUpdate::download(const update_plan::Download& d, const SelectedUpdate& rec) {
    setItemText(IDC_AU_FILENAME, "File: " + d.urlName);
    downloading = true;
    orvaneftp->timeout(timeoutSeconds);
    // A file of another size than its list gives is no update.
    orvaneftp->expectedSize(rec.size);
    orvaneftp->versionChecked(d.versionChecked);
    const lib::Result got = orvaneftp->download(d.url, rec.localPath);
    downloading = false;
    return {got.code, got.reason};
}

std::string OrvaneAutoUpdate::storedPath() const { return orvaneftp->storedPath(); }

update_steps::StepResult OrvaneAutoUpdate::setDate(const std::string& path, const lib::FileDate& date) {
    lib::FileDateSetter setter;
    setter.fileName(path);
    setter.fileDate(date);
    const lib::Result dated = setter.apply();
    return {dated.code, dated.reason};
}

update_steps::StepResult OrvaneAutoUpdate::install(const std::string& path, const std::string& matched) {
    const lib::Result installed = m_installer->install(path, matched);
    return {installed.code, installed.reason};
}

void OrvaneAutoUpdate::recordPatch() {
    gPatchDownloaded = true;
    (void)registry::regWrite(HKEY_LOCAL_MACHINE, registry::machineKeyPath(), "patchExecuted", std::string("true"),
                             REG_SZ);
    GlobalFunctions::saveVersionNumbers();
}

bool OrvaneAutoUpdate::patchInstallerRuns() const { return ::patchInstallerRuns(); }

void OrvaneAutoUpdate::start(const std::string& commandLine) { seams::startProcess(commandLine, SW_SHOWNORMAL); }

void OrvaneAutoUpdate::log(const std::string& line) { (void)dataManipulation::logMessage(line); }

void OrvaneAutoUpdate::tell(const update_steps::Message& m) {
    const UINT flags = m.stop ? MB_ICONSTOP : MB_ICONINFORMATION;
    if (m.routine)
        dataManipulation::showMessage(hwnd(), m.text, m.caption, flags);
    else
        seams::messageBox(hwnd(), m.text, m.caption, flags);
}

update_steps::Wait OrvaneAutoUpdate::waitEnded() const {
    if (!hwnd()) return update_steps::Wait::closed;
    return updateAbort ? update_steps::Wait::aborted : update_steps::Wait::ran;
}

void OrvaneAutoUpdate::checkStopped(bool failed) {
    if (failed) setPointer(false);
    enableItem(IDC_AU_STARTVERIFY, true);
}

void OrvaneAutoUpdate::offered(bool any) {
    if (!any) {
        enableItem(IDC_AU_UPDATE, false);
        enableItem(IDC_AU_STARTVERIFY, true);
        return;
    }
    enableItem(IDC_AU_SELECT0, true);
    enableItem(IDC_AU_SELECT1, true);
    enableItem(IDC_AU_UPDATE, true);
    gotoDlgCtrl(UpdateBut);
    setDefId(IDC_AU_UPDATE);
    enableItem(IDC_AU_STARTVERIFY, false);
    cmdSelect_Click(1);
}

long OrvaneAutoUpdate::pickedCount() const { return static_cast<long>(SendMessageA(List1, LB_GETSELCOUNT, 0, 0)); }

bool OrvaneAutoUpdate::picked(size_t item) const { return SendMessageA(List1, LB_GETSEL, item, 0) > 0; }

void OrvaneAutoUpdate::unpick(size_t item) { SendMessageA(List1, LB_SETSEL, FALSE, static_cast<LPARAM>(item)); }

void OrvaneAutoUpdate::orvaneftp_progress(long bytes) {
    (void)userAction::run(
        {hwnd(), "OrvaneautoUpdate_orvaneftp_progress", kProgramErrorCaption, MB_ICONINFORMATION}, [&] {
            const long done = bytes + updateRun.doneBytes;
            const long totalBytes = updateRun.totalBytes;
            if (const long percent = update_plan::progressPercent(done, totalBytes); percent >= 0)
                SendMessageA(ProgressBar1, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
            showItem(IDC_AU_BYTES, true);
            setItemText(IDC_AU_BYTES, "Received " + std::to_string(done) + " bytes of " + std::to_string(totalBytes));
        });
}

void OrvaneAutoUpdate::abortBut_Click() {
    (void)userAction::run({hwnd(), "OrvaneautoUpdate_AbortBut_Click", kProgramErrorCaption, MB_ICONINFORMATION}, [&] {
        if (!hwnd()) return;
        ui::setWindowText(hwnd(), "Aborting, Please Wait....");
        showItem(IDC_AU_ABORT, false);
        showItem(IDC_AU_EXIT, false);
        UpdateWindow(hwnd());
        setPointer(true);
        cmdSelect_Click(0);
        updateAbort = true;
        if (m_listDownloader) m_listDownloader->abort();
        if (downloading && orvaneftp) {
            orvaneftp->abort();
            ui::pumpPendingMessages();
        }
        closeAVI();
        showItem(IDC_AU_EXIT, true);
        setStatus("Update was Aborted");
        ui::setWindowText(hwnd(), std::string(settings_rules::kProductTitle) + " Auto Update");
        setPointer(false);
    });
}
