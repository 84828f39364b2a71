// OrvaneAutoUpdate.cpp
#include "OrvaneAutoUpdate.h"

#include <commctrl.h>
#include <htmlhelp.h>

#include <cmath>

#include "pellanor/win/GlobalFunctions.h"
#include "pellanor/win/Module1.h"
#include "OrvaneAutoUpdate_res.h"
#include "common/com/dispatch_call.h"
#include "common/ui/Window.h"
#include "outside/ccrpani/ccrpAnimation.h"
#include "dataManipulation.h"
#include "registry.h"
#include "seams.h"
#include "settings_rules.h"
#include "text_fields.h"

using namespace OrvaneAutoUpdateMod;
namespace lib = Tamberly_orvane6;
using dataManipulation::kProgramErrorCaption;
using dataManipulation::reportFailure;

namespace {

constexpr const char* kDownloadingStatus = "Downloading the files from the Internet.... Please Wait";

std::string joined(const std::vector<std::string>& names) {
    std::string all;
    for (const std::string& n : names) all += (all.empty() ? "" : ", ") + n;
    return all;
}

void setPointer(bool busy) {
    SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(busy ? IDC_APPSTARTING : IDC_ARROW)));
}

// One late-bound call on the animation control; throws on failure so the
// calling routine decides whether that matters.
// Arguments are pointer-wide, so a module handle passes whole in a 64-bit
// process.
VARIANT invoke(IDispatch* control, DISPID id, WORD flags, std::initializer_list<LONG_PTR> args = {}) {
    if (!control) throw lib::Error("no animation control");
    std::vector<VARIANT> v(args.size());
    size_t i = 0;
    for (LONG_PTR a : args) {
        VARIANT& x = v[i++];
        VariantInit(&x);
        if (sizeof(LONG_PTR) == 8) {
            x.vt = VT_I8;
            x.llVal = a;
        } else {
            x.vt = VT_I4;
            x.lVal = static_cast<LONG>(a);
        }
    }
    VARIANT result;
    VariantInit(&result);
    HRESULT hr = com::callByDispid(control, id, flags, v.data(), v.size(), &result, nullptr);
    if (FAILED(hr)) throw lib::Error("animation call failed");
    return result;
}

// The file a record's download lands in: a destination ending in "\" is a
// folder, and the file keeps the name its address ends in.
std::string targetOf(const std::string& localPath, const std::string& urlName) {
    return !localPath.empty() && localPath.back() == '\\' ? localPath + urlName : localPath;
}

// Whether the old file at path can be replaced: not read-only, and openable
// for deletion (what replacing it takes).
bool canReplace(const std::string& path) {
    DWORD attrs = GetFileAttributesA(path.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES) return true;
    if (attrs & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) return false;
    HANDLE h = CreateFileA(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

bool fileFound(const std::string& path) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(path.c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return false;
    FindClose(h);
    return true;
}

// Systems the patch installer runs on: 2000 and later, the NT family, or 95.
bool patchInstallerRuns() {
    OSVERSIONINFOEXA v = gOSVersion;
    if (v.dwMajorVersion == 0) {
        v.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
        GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&v));
    }
    return v.dwMajorVersion >= 5 || v.dwPlatformId == VER_PLATFORM_WIN32_NT ||
           (v.dwMajorVersion == 4 && v.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS);
}

} // namespace

OrvaneAutoUpdate::OrvaneAutoUpdate(HWND owner) { create(IDD_AUTOUPDATE, owner); }

OrvaneAutoUpdate::~OrvaneAutoUpdate() {
    if (isOpen()) closeNow();
    if (animation) animation->Release();
    if (m_boldFont) DeleteObject(m_boldFont);
    if (m_whiteBrush) DeleteObject(m_whiteBrush);
    if (m_greyBrush) DeleteObject(m_greyBrush);
}

void OrvaneAutoUpdate::showDialog(HWND owner) {
    OrvaneAutoUpdate dialog(owner);
    dialog.showModal(owner);
}

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
    gErrorShown = false;
    try {
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
        gSystemDir = n > 0 && n < MAX_PATH ? std::string(dir, n) + "\\" : std::string();
        gUpdateListBase = "http://" + updateServer() + kListPath;

        HFONT font = reinterpret_cast<HFONT>(SendMessageA(hwnd(), WM_GETFONT, 0, 0));
        LOGFONTA lf{};
        if (font && GetObjectA(font, sizeof lf, &lf)) {
            lf.lfWeight = FW_BOLD;
            m_boldFont = CreateFontIndirectA(&lf);
            sendItemMessage(IDC_AU_INFOTITLE, WM_SETFONT, reinterpret_cast<WPARAM>(m_boldFont), TRUE);
        }
        m_whiteBrush = CreateSolidBrush(RGB(255, 255, 255));
        m_greyBrush = CreateSolidBrush(GetSysColor(COLOR_INACTIVEBORDER));
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
    } catch (...) {
        reportFailure(hwnd(), "OrvaneautoUpdate_form_load", kProgramErrorCaption, MB_ICONINFORMATION);
    }
}

void OrvaneAutoUpdate::onClose() {
    // Form_Unload: a running update stops; the lists go.
    abortBut_Click();
    try {
        // A check still running fills the lists; it lets them go itself.
        if (!m_listDownloader)
            for (auto& list : gUpdateLists) list.reset();
    } catch (...) {
        // The dialog is closing; the lists go with the process at worst.
    }
}

bool OrvaneAutoUpdate::OnCommand(int id, int code, HWND control) {
    switch (id) {
    case IDC_AU_STARTVERIFY: StartVerifyBut_Click(); return true;
    case IDC_AU_UPDATE: UpdateBut_Click(); return true;
    case IDC_AU_SELECT0: cmdSelect_Click(0); return true;
    case IDC_AU_SELECT1: cmdSelect_Click(1); return true;
    case IDC_AU_ABORT: abortBut_Click(); return true;
    case IDC_AU_EXIT: exitBut_Click(); return true;
    case IDC_AU_CHKPROXY:
        if (code == BN_CLICKED) chkProxy_Click();
        return true;
    case IDC_AU_HELP: cmdHelp_Click(); return true;
    default: return ui::Dialog::OnCommand(id, code, control);
    }
}

bool OrvaneAutoUpdate::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    // The proxy box is white while it can be typed in, grey otherwise.
    if ((msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORSTATIC) && reinterpret_cast<HWND>(lp) == txtProxyServer) {
        bool on = IsWindowEnabled(txtProxyServer) != FALSE;
        HDC dc = reinterpret_cast<HDC>(wp);
        SetBkColor(dc, on ? RGB(255, 255, 255) : GetSysColor(COLOR_INACTIVEBORDER));
        result = reinterpret_cast<LRESULT>(on ? m_whiteBrush : m_greyBrush);
        return true;
    }
    return false;
}

// ---------------------------------------------------------------- small handlers

void OrvaneAutoUpdate::setStatus(const std::string& text) { setItemText(IDC_AU_STATUS, text); }

void OrvaneAutoUpdate::exitBut_Click() {
    try {
        endModal(IDCANCEL);
    } catch (...) {
        // The dialog is ending anyway; nothing the user could act on.
    }
}

void OrvaneAutoUpdate::chkProxy_Click() {
    try {
        bool on = isButtonChecked(IDC_AU_CHKPROXY);
        enableItem(IDC_AU_PROXYSERVER, on);
        if (on) {
            gotoDlgCtrl(txtProxyServer);
            SendMessageA(txtProxyServer, EM_SETSEL, 0, -1);
        }
        InvalidateRect(txtProxyServer, nullptr, TRUE);
    } catch (...) {
        // Only the look of the proxy field; the choice itself is kept.
    }
}

void OrvaneAutoUpdate::cmdHelp_Click() {
    try {
        seams::htmlHelp(nullptr, gHelpFile, HH_HELP_CONTEXT, kHelpContext);
        UpdateWindow(hwnd());
    } catch (...) {
        // Help that cannot open is its own answer; the dialog goes on.
    }
}

void OrvaneAutoUpdate::cmdSelect_Click(int index) {
    gErrorShown = false;
    try {
        SendMessageA(List1, LB_SETSEL, index == 1 ? TRUE : FALSE, -1);
        SendMessageA(List1, LB_SETCARETINDEX, 0, FALSE);
    } catch (...) {
        reportFailure(hwnd(), "OrvaneautoUpdate_cmdSelect_Click", kProgramErrorCaption, MB_ICONINFORMATION);
    }
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
    gErrorShown = false;
    const std::string site = updateServer();
    try {
        gUpdateAbort = false;
        for (auto& list : gUpdateLists) list = std::make_unique<lib::UpdateList>();
        m_listDownloader = std::make_unique<lib::UpdateListDownloader>();
        auto& downloader = m_listDownloader;
        downloader->timeout(timeoutSeconds);

        SendMessageA(List1, LB_RESETCONTENT, 0, 0);
        widestItem = 0;
        SendMessageA(List1, LB_SETHORIZONTALEXTENT, 0, 0);
        setStatus("Downloading the update list from " + site);
        if (isButtonChecked(IDC_AU_CHKPROXY)) downloader->proxy(getItemText(IDC_AU_PROXYSERVER));
        setPointer(true);
        enableItem(IDC_AU_STARTVERIFY, false);
        enableItem(IDC_AU_EXIT, false);

        const std::string failure = "An error occurred retrieving the file list from " + site +
                                    " - Please try again later or verify your Proxy Settings.   ";
        const std::string note = "NOTE: If you are running a software firewall, make sure you select the 'Permit' option.";
        bool fetched = true;
        for (int n = 1; n <= 10 && fetched; ++n) {
            setStatus(gUpdateListBase);
            UpdateWindow(StatusLab);
            short failed = 0;
            const bool patch = n == 10;
            downloader->fetchList(patch ? patchListAddress(gUpdateListBase, settings_rules::kRevMajor,
                                                           settings_rules::kRevMinor)
                                        : listAddress(gUpdateListBase, n),
                                  *gUpdateLists[static_cast<size_t>(n - 1)], failed);
            // The dialog was closed while the list came: nothing more to show.
            if (!hwnd()) {
                m_listDownloader.reset();
                for (auto& list : gUpdateLists) list.reset();
                setPointer(false);
                return;
            }
            // Stopped by the user: no failure to report.
            if (gUpdateAbort) {
                enableItem(IDC_AU_STARTVERIFY, true);
                fetched = false;
                break;
            }
            if (failed != 0) {
                setPointer(false);
                enableItem(IDC_AU_STARTVERIFY, true);
                dataManipulation::showMessage(hwnd(), failure + (patch ? "\r\n" : "") + note,
                                              "Could Not Download Update List ", MB_ICONINFORMATION);
                fetched = false;
            }
        }
        m_listDownloader.reset();

        if (fetched) {
            setPointer(false);
            enableItem(IDC_AU_EXIT, true);
            long entries = 0;
            for (auto& list : gUpdateLists) {
                for (long i = 1; i <= list->count(); ++i) {
                    const std::string& text = list->text(i);
                    size_t mark = text.find("//");
                    addListItem(List1, afterLast(list->name(i), "\\"),
                                mark == std::string::npos ? text : text.substr(mark + 2));
                }
                entries += list->count();
            }
            if (entries == 0) {
                enableItem(IDC_AU_UPDATE, false);
                // Nothing offered: the user may check again later.
                enableItem(IDC_AU_STARTVERIFY, true);
                seams::messageBox(hwnd(), std::string(kProductName) + " is up to date.  There is nothing to do....   ",
                                  "Program is Up To Date", MB_ICONINFORMATION);
            } else {
                enableItem(IDC_AU_SELECT0, true);
                enableItem(IDC_AU_SELECT1, true);
                enableItem(IDC_AU_UPDATE, true);
                gotoDlgCtrl(UpdateBut);
                setDefId(IDC_AU_UPDATE);
                enableItem(IDC_AU_STARTVERIFY, false);
                cmdSelect_Click(1);
            }
        }
        enableItem(IDC_AU_EXIT, true);
        setPointer(false);
        setStatus("");
    } catch (...) {
        m_listDownloader.reset();
        reportFailure(hwnd(), "OrvaneautoUpdate_StartVerifyBut_Click.   ", kProgramErrorCaption, MB_ICONINFORMATION);
        enableItem(IDC_AU_STARTVERIFY, true);
        enableItem(IDC_AU_EXIT, true);
        setPointer(false);
        setStatus("");
        GlobalFunctions::runVerify(hwnd());
    }
}

// ---------------------------------------------------------------- update

void OrvaneAutoUpdate::prepFileLists() {
    try {
        totalBytes = 0;
        doneBytes = 0;
        gSelectedUpdates.clear();
        m_refused.clear();
        const std::string programFolder = seams::programFolder();
        for (auto& listPtr : gUpdateLists) {
            if (!listPtr) continue;
            const lib::UpdateList& list = *listPtr;
            for (long j = 1; j <= list.count(); ++j) {
                SelectedUpdate rec;
                const long k = static_cast<long>(gSelectedUpdates.size()) + 1;
                // An entry that names no other stands for its own file.
                long r = list.refIndex(j);
                const long source = r >= 1 ? r : j;
                std::string p = r >= 1 ? list.path(r) : std::string();
                const std::string& text = list.text(j);
                size_t mark = text.find("//");
                bool safe = true;
                bool bareName = false;
                if (!p.empty()) {
                    rec.localPath = p;
                } else if (mark == std::string::npos) {
                    const std::string& n = list.name(j);
                    bareName = text_rules::equalsNoCase(n, afterLast(n, "\\"));
                    rec.localPath = bareName ? gSystemDir + n : n;
                } else {
                    // A program subfolder: only plain folder names below the
                    // program folder.
                    std::string sub = text.substr(0, mark);
                    safe = lib::isRelativeFolder(sub);
                    std::string s = programFolder + "\\" + sub;
                    if (safe) GlobalFunctions::makePath(s);
                    rec.localPath = s + "\\";
                }
                // Only a bare file name may go to the system folder, and only
                // into it, not below it; everything else stays in the
                // program folder.
                safe = safe && (isInside(rec.localPath, programFolder) || (bareName && !gSystemDir.empty()));
                rec.selected = SendMessageA(List1, LB_GETSEL, static_cast<WPARAM>(k - 1), 0) > 0;
                if (rec.selected && !safe) {
                    rec.selected = false;
                    SendMessageA(List1, LB_SETSEL, FALSE, k - 1);
                    m_refused.push_back(rec.localPath);
                }
                if (rec.selected) {
                    totalBytes += list.size(source);
                    GlobalFunctions::makePath(rec.localPath);
                }
                rec.fileName = list.name(source);
                rec.urlDate = list.urlDate(source);
                rec.size = list.size(source);
                gSelectedUpdates.push_back(std::move(rec));
            }
        }
    } catch (...) {
        reportFailure(hwnd(), "OrvaneautoUpdate_prepFileLists", kProgramErrorCaption, MB_ICONINFORMATION);
    }
}

void OrvaneAutoUpdate::openAVI(long clip) {
    try {
        VARIANT v = invoke(animation, ccrpani::kDispPlaying, DISPATCH_PROPERTYGET);
        VARIANT n;
        VariantInit(&n);
        if (SUCCEEDED(VariantChangeType(&n, &v, 0, VT_I4)) && n.lVal > 0)
            invoke(animation, ccrpani::kDispStop, DISPATCH_METHOD);
        VariantClear(&v);
        if (clip == 69) {
            invoke(animation, ccrpani::kDispOpenResource, DISPATCH_METHOD,
                   {reinterpret_cast<LONG_PTR>(GetModuleHandleA(nullptr)), 69});
        } else if (ccrpani::isStandardClip(clip)) {
            invoke(animation, ccrpani::kDispOpenSystem, DISPATCH_METHOD, {clip});
        }
    } catch (...) {
        // The animation is decoration: without it the update runs the same.
    }
}

void OrvaneAutoUpdate::playAVI() {
    try {
        invoke(animation, ccrpani::kDispPlay, DISPATCH_METHOD);
    } catch (...) {
        // The animation is decoration: without it the update runs the same.
    }
}

void OrvaneAutoUpdate::closeAVI() {
    try {
        invoke(animation, ccrpani::kDispClose, DISPATCH_METHOD);
    } catch (...) {
        // The animation is decoration: without it the update runs the same.
    }
}

void OrvaneAutoUpdate::showAnimation(bool show) {
    try {
        invoke(animation, ccrpani::kDispVisible, DISPATCH_PROPERTYPUT, {show ? -1L : 0L});
    } catch (...) {
        // The animation is decoration; the file list shows either way.
    }
    if (List1) ShowWindow(List1, show ? SW_HIDE : SW_SHOWNA);
}

void OrvaneAutoUpdate::stopRun() {
    // The status line no longer says a download is running.
    if (getItemText(IDC_AU_STATUS) == kDownloadingStatus) setStatus("");
    m_installer.reset();
    orvaneftp.reset();
    showItem(IDC_AU_ABORT, false);
    showItem(IDC_AU_EXIT, true);
    enableItem(IDC_AU_EXIT, true);
    enableItem(IDC_AU_STARTVERIFY, true);
    showAnimation(false);
    closeAVI();
    setPointer(false);
}

void OrvaneAutoUpdate::UpdateBut_Click() {
    gErrorShown = false;
    try {
        if (SendMessageA(List1, LB_GETSELCOUNT, 0, 0) <= 0) {
            dataManipulation::showMessage(hwnd(), "You need to select at least one file to update.   ",
                                          "No Files Selected", MB_ICONINFORMATION);
            return;
        }
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

        const std::string programFolder = seams::programFolder();
        std::string installerArg;
        std::string urlName;
        std::vector<std::string> failedFiles;
        std::vector<std::string> notInstalled;
        for (size_t i = 0; i < gSelectedUpdates.size(); ++i) {
            const SelectedUpdate rec = gSelectedUpdates[i];
            if (!rec.selected) continue;
            const std::string url = getField(rec.urlDate, 0, ",");
            long result = -1;
            if (!url.empty()) {
                urlName = afterLast(url, "/");
                if (text_rules::equalsNoCase(urlName, afterLast(rec.fileName, "\\"))) installerArg = rec.localPath;
                const std::string target = targetOf(rec.localPath, lib::urlFileName(url));
                // The hand-over starts the program folder's update.exe only;
                // a patch put anywhere else would be a stray copy nothing
                // runs, so it is not fetched.
                if (lib::isPatchAddress(urlName) && !lib::isPatchDestination(target, programFolder)) {
                    SendMessageA(List1, LB_SETSEL, FALSE, static_cast<LPARAM>(i));
                    notInstalled.push_back(target + " (a program patch goes only into the program folder)");
                    doneBytes += rec.size;
                    continue;
                }

                // The old file stays until its new copy has arrived whole;
                // what must hold now is that it can be replaced.
                if (fileFound(target) && !canReplace(target)) {
                    dataManipulation::showMessage(
                        hwnd(),
                        "The update program was not able to delete the file located at: " + target +
                            "\r\nPlease try running the update as administrator, or manually deleting the file "
                            "and then re-running the update program.   ",
                        "Error: No Files were Updated", MB_ICONSTOP);
                    stopRun();
                    return;
                }
                setItemText(IDC_AU_FILENAME, "File: " + urlName);
                gDownloading = true;
                orvaneftp->timeout(timeoutSeconds);
                // A file of another size than its list gives is no update.
                orvaneftp->expectedSize(rec.size);
                // Other programs rely on the system folder's files: it takes
                // new files and newer versions only.
                orvaneftp->versionChecked(!gSystemDir.empty() &&
                                          text_rules::equalsNoCase(target.substr(0, target.rfind('\\') + 1),
                                                                   gSystemDir));
                orvaneftp->download(url, rec.localPath, result);
                gDownloading = false;
                doneBytes += rec.size;
                if (gUpdateAbort) {
                    setStatus("User aborted Update");
                    stopRun();
                    return;
                }
                if (result != 0) {
                    SendMessageA(List1, LB_SETSEL, FALSE, static_cast<LPARAM>(i));
                    if (result == lib::dlVersionRefused)
                        notInstalled.push_back(target + " (the system folder takes only new files and newer "
                                                        "versions of its files)");
                    else
                        failedFiles.push_back(urlName);
                } else {
                    const std::string stored = orvaneftp->storedPath();
                    lib::FileDate date;
                    std::string dateText = getField(rec.urlDate, 1, ",");
                    if (!dateText.empty() && lib::parseDate(dateText, date)) {
                        lib::FileDateSetter setter;
                        setter.fileName(stored);
                        setter.fileDate(date);
                        long dateResult = 0;
                        setter.apply(dateResult);
                    }
                    long installed = 0;
                    m_installer->install(stored, installerArg == rec.localPath ? stored : installerArg, installed);
                }
            }
            // Only a patch that really arrived, as the file the hand-over
            // starts, is announced and started.
            if (lib::isPatchAddress(urlName) && result == 0 &&
                lib::isPatchDestination(orvaneftp->storedPath(), programFolder)) {
                gPatchDownloaded = true;
                registry::regWrite(HKEY_LOCAL_MACHINE, registry::machineKeyPath(), "patchExecuted",
                                   std::string("true"), REG_SZ);
                GlobalFunctions::saveVersionNumbers();
            }
        }

        showAnimation(false);
        closeAVI();
        setPointer(false);
        // What did not arrive is told first, also before a patch takes over.
        const bool complete = failedFiles.empty() && m_refused.empty() && notInstalled.empty();
        if (!complete) {
            std::string text;
            if (!failedFiles.empty()) text += "These files could not be downloaded: " + joined(failedFiles) + ".   \r\n";
            if (!notInstalled.empty()) text += "These files were not installed: " + joined(notInstalled) + ".   \r\n";
            if (!m_refused.empty())
                text += "These files were refused because the update list puts them outside the program's "
                        "folders: " + joined(m_refused) + ".   \r\n";
            seams::messageBox(hwnd(),
                              text + "The other selected files were downloaded and installed.  Please try the "
                                     "update again later or verify your Proxy Settings.   ",
                              "Update Not Completed....", MB_ICONINFORMATION);
        }
        if (gPatchDownloaded) {
            if (patchInstallerRuns()) {
                seams::messageBox(hwnd(),
                                  "You have downloaded a program update that requires you to quit out of Pellanor.   "
                                  "\r\nThe program will automatically exit when you press OK, and then launch the "
                                  "Microsoft Installer.   ",
                                  "Program Patch Needs To Be Installed...", MB_ICONINFORMATION);
                seams::startProcess("\"" + seams::programFolder() + "\\update.exe\"", SW_SHOWNORMAL);
            }
        } else if (complete) {
            seams::messageBox(hwnd(),
                              "All selected files were successfully downloaded and installed.    The changes will be "
                              "applied the next time you start the program.   ",
                              "Update Successfully Completed....", MB_ICONINFORMATION);
        }
        m_installer.reset();
        orvaneftp.reset();
        endModal(IDOK);
    } catch (...) {
        reportFailure(hwnd(), "OrvaneautoUpdate_UpdateBut_Click", kProgramErrorCaption, MB_ICONINFORMATION);
        gDownloading = false;
        stopRun();
        GlobalFunctions::runVerify(hwnd());
    }
}

void OrvaneAutoUpdate::orvaneftp_progress(long bytes) {
    try {
        const long done = bytes + doneBytes;
        // A list that gives no sizes has no percentage to show.
        if (totalBytes > 0) {
            long percent = std::lround(static_cast<double>(done) / static_cast<double>(totalBytes) * 100.0);
            SendMessageA(ProgressBar1, PBM_SETPOS, static_cast<WPARAM>(percent > 100 ? 100 : percent), 0);
        }
        showItem(IDC_AU_BYTES, true);
        setItemText(IDC_AU_BYTES, "Received " + std::to_string(done) + " bytes of " + std::to_string(totalBytes));
    } catch (...) {
        reportFailure(hwnd(), "OrvaneautoUpdate_orvaneftp_progress", kProgramErrorCaption, MB_ICONINFORMATION);
    }
}

void OrvaneAutoUpdate::abortBut_Click() {
    try {
        if (!hwnd()) return;
        ui::setWindowText(hwnd(), "Aborting, Please Wait....");
        showItem(IDC_AU_ABORT, false);
        showItem(IDC_AU_EXIT, false);
        UpdateWindow(hwnd());
        setPointer(true);
        cmdSelect_Click(0);
        gUpdateAbort = true;
        if (m_listDownloader) m_listDownloader->abort();
        if (gDownloading && orvaneftp) {
            orvaneftp->abort();
            ui::pumpPendingMessages();
        }
        closeAVI();
        showItem(IDC_AU_EXIT, true);
        setStatus("Update was Aborted");
        ui::setWindowText(hwnd(), std::string(kProductName) + " Auto Update");
        setPointer(false);
    } catch (...) {
        reportFailure(hwnd(), "OrvaneautoUpdate_AbortBut_Click", kProgramErrorCaption, MB_ICONINFORMATION);
    }
}
