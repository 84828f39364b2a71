// frmMain.cpp
// The main window's life: creation, the load steps, layout and messages.
#include "frmMain.h"

#include <windows.h>
#include <commctrl.h>
#include <htmlhelp.h>
#include <richedit.h>

#include <optional>
#include <stdexcept>

#include "pellanor/win/GlobalFunctions.h"
#include "pellanor/win/Module1.h"
#include "dataManipulation.h"
#include "registry.h"
#include "seams.h"
#include "sysTray.h"
#include "FrmSysTray.h"
#include "ToolTips.h"
#include "main_layout.h"
#include "main_menus.h"
#include "settings_rules.h"

namespace {

enum ControlId : int {
    IDC_VERSE = 100,
    IDC_LOCATION0 = 110,
    IDC_STATUS = 120,
    IDC_TOPICS = 130,
    IDC_TRANSLATIONS = 131,
};

struct HoldLayout {
    explicit HoldLayout(bool& held) : held(held) { held = true; }
    ~HoldLayout() { held = false; }
    HoldLayout(const HoldLayout&) = delete;
    HoldLayout& operator=(const HoldLayout&) = delete;
    bool& held;
};

int twToPxX(int tw) { return tw / ui::twipsPerPixelX(); }
int twToPxY(int tw) { return tw / ui::twipsPerPixelY(); }

} // namespace

frmMain::frmMain() = default;

frmMain::~frmMain() {
    // However the window goes, its unload runs (tray icon, hook, settings).
    closeNow();
}

bool frmMain::create() {
    static bool richEditLoaded = LoadLibraryA("riched20.dll") != nullptr;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    if (!richEditLoaded) return false;

    int w = twToPxX(main_layout::kDesignWidthTw), h = twToPxY(main_layout::kDesignHeightTw);
    int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), "APPICON");
    if (!ui::Window::create(kClassName, kCaption, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0,
                            x < 0 ? 0 : x, y < 0 ? 0 : y, w, h, nullptr, icon))
        return false;
    createControls();
    createButtons();
    createMenus();
    for (FormTimer* t : {&timerVerse, &timerSchedule, &TimerTooltips, &tmrPrevNext}) t->attach(hwnd());
    return RichTxtVerse && StatusBar1 && ComboTopics && comboTranslations;
}

void frmMain::createControls() {
    HINSTANCE inst = GetModuleHandleA(nullptr);
    NONCLIENTMETRICSA ncm{};
    ncm.cbSize = sizeof ncm;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
    m_uiFont.reset(CreateFontIndirectA(&ncm.lfMessageFont));

    auto child = [&](DWORD ex, const char* cls, DWORD style, int id, int width = 10, int height = 10) {
        HWND h = CreateWindowExA(ex, cls, "", WS_CHILD | style, 0, 0, width, height, hwnd(),
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), inst, nullptr);
        if (h && m_uiFont) SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(m_uiFont.get()), FALSE);
        return h;
    };
    RichTxtVerse = child(WS_EX_CLIENTEDGE, RICHEDIT_CLASSA,
                         WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL |
                             ES_NOHIDESEL,
                         IDC_VERSE);
    for (int i = 0; i < 3; ++i)
        txtLocation[static_cast<size_t>(i)] =
            child(WS_EX_CLIENTEDGE, "EDIT", ES_CENTER | ES_READONLY | ES_AUTOHSCROLL, IDC_LOCATION0 + i);
    StatusBar1 = child(0, STATUSCLASSNAMEA, WS_VISIBLE | WS_CLIPSIBLINGS | CCS_BOTTOM | SBARS_SIZEGRIP, IDC_STATUS);
    // The lists drop below the window's bottom edge; give them room.
    ComboTopics = child(0, "COMBOBOX", WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL,
                        IDC_TOPICS, kTopicComboWidth, kListHeight);
    comboTranslations = child(0, "COMBOBOX", WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL,
                              IDC_TRANSLATIONS, 150, kListHeight);
    // The closed height of a drop-down combo is its selection field's.
    m_comboHeight = static_cast<int>(SendMessageA(ComboTopics, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0)) + 6;
    if (RichTxtVerse) SendMessageA(RichTxtVerse, EM_SETBKGNDCOLOR, 0, GetSysColor(COLOR_WINDOW));
    m_tooltips = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd(),
                                 nullptr, inst, nullptr);
}

long frmMain::currentTopicIndex() const {
    if (gTopics.empty()) return -1;
    long k = gTopics[0].currentTopic;
    return k >= 0 && static_cast<size_t>(k) < gTopics.size() ? k : -1;
}

void frmMain::Form_Load() {
    // A failed load says nothing of its own: the start-up check takes over.
    (void)userAction::run({}, [&] {
        const HCURSOR previousCursor = showLoadDefaults();
        if (loadInOrder()) formLoaded = true;
        SetCursor(previousCursor ? previousCursor : LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
    }, [&] { failurePath(); });
}

// The load's steps in the order the program has always taken them. False
// where a step ended the load (it has said why, and closed the window or
// handed over to verify).
bool frmMain::loadInOrder() {
    if (!findHelpFile()) return false;
    readWindowsVersion();
    // The account name is looked up when first wanted (Module1::windowsUser),
    // not here.
    watchWindowAndControls();
    // The tip's own window is made when a tip is first shown.
    timerVerse.setEnabled(false);
    {
        // The lists, the saved place and the font each change the layout:
        // the hidden window is laid out once, by the start-up choices.
        HoldLayout hold(m_layoutHeld);
        if (!showTopicLists()) return false;
        restoreWindowPlace();
        applyUserSettings();
    }
    applyStartupChoices();
    parallelFollowsShownTopic();
    if (!showFirstVerse()) return false;
    bool newVersion = false;
    checkAccessSoundAndRevisions(newVersion);
    if (!showFirstRunOrTip(newVersion)) return false;
    showUpdateHelp(newVersion);
    readyTrayAndButtons();
    return true;
}

HCURSOR frmMain::showLoadDefaults() {
    formLoaded = false;
    // The window stays hidden until the load has put the first verse in the
    // box, so the box is left empty meanwhile: text set here would only be
    // laid out, restyled by the font and cleared again unseen.
    HCURSOR previousCursor = SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_APPSTARTING)));
    SetWindowTextA(hwnd(), kCaption);
    return previousCursor;
}

// The help file belongs to a complete installation.
bool frmMain::findHelpFile() {
    std::string helpFile = seams::programFolder() + "\\help.chm";
    if (GetFileAttributesA(helpFile.c_str()) == INVALID_FILE_ATTRIBUTES) {
        dataManipulation::showMessage(
            hwnd(),
            "The help file is missing.  This indicates that the program installation has become "
            "corrupt.   \r\nPlease re-install the program in the Windows Control Panel.   ",
            "Help File is Missing", MB_ICONSTOP);
        closeNow();
        return false;
    }
    gHelpFile = helpFile;
    return true;
}

// A failure is ignored: the family then stays as it was.
void frmMain::readWindowsVersion() {
    gOSVersion = OSVERSIONINFOEXA{};
    gOSVersion.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXA);
    GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&gOSVersion));
    if (gOSVersion.dwMajorVersion >= 5) gIsWinNT = true;
    else if (gOSVersion.dwMajorVersion == 4 && gOSVersion.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) gIsWinNT = false;
    else if (gOSVersion.dwPlatformId == VER_PLATFORM_WIN32_NT) gIsWinNT = true;
}

// The subclass components watch the window, the combo boxes' edit fields
// and the status bar; the buttons are tagged first.
void frmMain::watchWindowAndControls() {
    LoadTagProperties();
    attachSubclasses();
}

// Topics of the current translation, the status bar and the lists.
bool frmMain::showTopicLists() {
    if (gCurTranslation < 0 || gCurTranslation >= static_cast<long>(gTranslations.size()))
        throw std::out_of_range("translation");
    gTopics = gTranslations[static_cast<size_t>(gCurTranslation)].topics;
    if (failed(prepStatusBar())) {
        failurePath();
        return false;
    }
    return true;
}

// The saved place, only when the window was not at the left edge.
void frmMain::restoreWindowPlace() {
    namespace settings = settings_rules::settings;
    long left = 0;
    settings_rules::parseLong(registry::getSetting(settings::mainLeft), left);
    if (left <= 0) return;
    long top = 1000, width = 6500, height = 6500;
    settings_rules::parseLong(registry::getSetting(settings::mainTop), top);
    settings_rules::parseLong(registry::getSetting(settings::mainWidth), width);
    settings_rules::parseLong(registry::getSetting(settings::mainHeight), height);
    const std::optional<main_layout::Rect> place =
        main_layout::savedPlace(left, top, width, height, ui::twipsPerPixelX(), ui::twipsPerPixelY());
    if (!place) return;
    MoveWindow(hwnd(), place->left, place->top, place->width, place->height, FALSE);
    bringOntoScreen();
}

// User settings and the verse font.
void frmMain::applyUserSettings() {
    registry::readUserSettings(lRepeatCtr);
    checkMenu(mnuParallel, gParallelTranslation);
    applyVerseFont();
}

// Start with Windows and the scheduler.
void frmMain::applyStartupChoices() {
    gAutoStart = registry::readAutoStart();
    checkMenu(mnuAutoStart, gAutoStart);
    registry::readSchedulerSettings();
    ShowWindow(picButton[7], gSchedulerEnabled || gUseWindowsScheduler ? SW_SHOWNA : SW_HIDE);
    Form_Resize();
}

bool frmMain::showFirstVerse() {
    SetWindowTextA(RichTxtVerse, "");
    if (gForceOptions && openOptionsDialog) openOptionsDialog(hwnd());
    if (failed(UpdateStatusBar()) || failed(displayVerses())) {
        failurePath();
        return false;
    }
    return true;
}

// Limited access greys what needs the machine-wide key; otherwise the
// button sound (when there is a sound device) and the revision check.
void frmMain::checkAccessSoundAndRevisions(bool& newVersion) {
    gLimitedAccess = registry::seeIfRestrictedUser();
    if (gLimitedAccess) {
        const main_menus::Offer offer = main_menus::offer(true, 0, false);
        buttonSoundsOn = offer.soundsOn;
        if (!offer.soundsEnabled) EnableMenuItem(mnuPopupHelp, mnuButtonSounds, MF_BYCOMMAND | MF_GRAYED);
        if (!offer.updatesEnabled) EnableMenuItem(mnuPopupHelp, mnuUpdates, MF_BYCOMMAND | MF_GRAYED);
        return;
    }
    startSoundCheck();
    bool updateStarted = false;
    // Its failure has been reported; the load goes on.
    (void)checkRevisions(updateStarted, newVersion);
}

// Asking for the sound devices loads the system's audio drivers, which takes
// about as long as showing the verse. Nothing needs the answer before the
// pointer reaches a button, the information menu is read or the settings
// are saved, so the check waits until the window is shown and idle: a
// one-shot timer set at the end of the load, whose message comes only when
// the window has nothing else to do. It runs on the window's own thread;
// each reader settles it first (running it then, when it has not run).
void frmMain::startSoundCheck() {
    m_buttonSoundsSetting = registry::getBoolean(settings_rules::settings::buttonSounds);
    m_soundCheckPending = true;
}

void frmMain::settleSoundCheck() {
    if (!m_soundCheckPending) return;
    m_soundCheckPending = false;
    KillTimer(hwnd(), kSoundCheckTimer);
    const main_menus::Offer offer = main_menus::offer(false, seams::soundDeviceCount(), m_buttonSoundsSetting);
    buttonSoundsOn = offer.soundsOn;
    if (!offer.soundsItem) {
        // The item and the separator above it go.
        int pos = -1;
        for (int i = 0; i < GetMenuItemCount(mnuPopupHelp); ++i)
            if (GetMenuItemID(mnuPopupHelp, i) == mnuButtonSounds) pos = i;
        if (pos > 0) {
            RemoveMenu(mnuPopupHelp, static_cast<UINT>(pos), MF_BYPOSITION);
            RemoveMenu(mnuPopupHelp, static_cast<UINT>(pos - 1), MF_BYPOSITION);
        }
    } else {
        gButtonSound.clear();
        if (HRSRC res = FindResourceA(nullptr, "BUTTON01", "WAVE")) {
            HGLOBAL data = LoadResource(nullptr, res);
            const char* bytes = data ? static_cast<const char*>(LockResource(data)) : nullptr;
            if (bytes) gButtonSound.assign(bytes, bytes + SizeofResource(nullptr, res));
        }
        checkMenu(mnuButtonSounds, buttonSoundsOn);
    }
}

// The first-run dialog on a first run, else the tip of the day when the
// user keeps it. False when the first run ended the load.
bool frmMain::showFirstRunOrTip(bool& newVersion) {
    namespace settings = settings_rules::settings;
    gFirstTimeRun = registry::getBoolean(settings::firstTimeRun);
    if (gFirstTimeRun && openFirstTimeDialog) return firstRun(newVersion);
    if (!gFirstTimeRun && openTipDialog && registry::getSetting(settings::showTipsAtStartup) == "1")
        openTipDialog(hwnd());
    return true;
}

// After an update the help opens on what changed.
void frmMain::showUpdateHelp(bool newVersion) {
    if (gLimitedAccess || !newVersion) return;
    seams::htmlHelp(nullptr, gHelpFile, HH_HELP_CONTEXT, 1015);
    ShowWindow(hwnd(), SW_SHOW);
    SetForegroundWindow(hwnd());
}

// The tray carrier, the buttons.
void frmMain::readyTrayAndButtons() {
    if (!m_sysTrayForm) m_sysTrayForm = std::make_unique<FrmSysTray>();
    for (HWND b : picButton) EnableWindow(b, TRUE);
    if (m_soundCheckPending) SetTimer(hwnd(), kSoundCheckTimer, kSoundCheckDelayMs, nullptr);
}

void frmMain::bringOntoScreen() {
    RECT r;
    GetWindowRect(hwnd(), &r);
    if (MonitorFromRect(&r, MONITOR_DEFAULTTONULL)) return;
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoA(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &info)) return;
    const RECT& work = info.rcWork;
    const main_layout::Rect place = main_layout::ontoScreen(
        {r.left, r.top, r.right - r.left, r.bottom - r.top},
        {work.left, work.top, work.right - work.left, work.bottom - work.top});
    MoveWindow(hwnd(), place.left, place.top, place.width, place.height, FALSE);
}

void frmMain::failurePath() {
    GlobalFunctions::runVerify();
    closeNow();
}

void frmMain::applyVerseFont() {
    sizeVerseBox(gVerseFontSize);

    m_locationFont.reset();
    HDC dc = GetDC(hwnd());
    int height = -MulDiv(gVerseFontSize, GetDeviceCaps(dc, LOGPIXELSY), 72);
    ReleaseDC(hwnd(), dc);
    m_locationFont.reset(CreateFontA(height, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                     DEFAULT_PITCH | FF_SWISS, "Arial"));
    for (HWND box : txtLocation) SendMessageA(box, WM_SETFONT, reinterpret_cast<WPARAM>(m_locationFont.get()), TRUE);
    showReferenceBoxFor(gVerseFontSize);
    Form_Resize();
}

void frmMain::showReferenceBoxFor(long verseSize) {
    auto shown = static_cast<size_t>(settings_rules::referenceBoxFor(verseSize));
    for (size_t i = 0; i < txtLocation.size(); ++i) ShowWindow(txtLocation[i], i == shown ? SW_SHOWNA : SW_HIDE);
}

frmMain::LaidOutFor frmMain::currentGeometry() const {
    RECT client{}, outer{};
    GetClientRect(hwnd(), &client);
    GetWindowRect(hwnd(), &outer);
    return LaidOutFor{client.right, client.bottom, outer.right - outer.left, IsZoomed(hwnd()) != FALSE};
}

void frmMain::Form_Resize() {
    if (!hwnd() || IsIconic(hwnd()) || m_layoutHeld) return;
    m_laidOutFor = currentGeometry();
    SendMessageA(StatusBar1, WM_SIZE, 0, 0);
    main_layout::Input in;
    in.clientWidth = m_laidOutFor.clientWidth;
    in.clientHeight = m_laidOutFor.clientHeight;
    in.windowWidth = m_laidOutFor.windowWidth;
    in.twipsX = ui::twipsPerPixelX();
    in.twipsY = ui::twipsPerPixelY();
    for (size_t i = 0; i < picButton.size(); ++i) {
        RECT r;
        GetWindowRect(picButton[i], &r);
        in.buttons[i] = {static_cast<int>(r.right - r.left), static_cast<int>(r.bottom - r.top)};
    }
    // The button's own visibility, whether or not the window is shown yet.
    in.schedulerShown = (GetWindowLongPtrA(picButton[7], GWL_STYLE) & WS_VISIBLE) != 0;
    in.comboHeight = m_comboHeight;
    const main_layout::Layout laid = main_layout::place(in);

    // The topic combo lies over panel 1, the translation combo over panel 3.
    SetWindowPos(ComboTopics, HWND_TOP, laid.topicList.x, laid.topicList.y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    sizeStatusPanels();
    RECT p3{};
    SendMessageA(StatusBar1, SB_GETRECT, 2, reinterpret_cast<LPARAM>(&p3));
    SetWindowPos(comboTranslations, HWND_TOP, p3.left, laid.topicList.y,
                 p3.right - p3.left + 2, kListHeight, SWP_NOACTIVATE);

    for (size_t i = 0; i < picButton.size(); ++i)
        SetWindowPos(picButton[i], nullptr, laid.buttons[i].left, laid.buttons[i].top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    // The reference row (Frame1) between Previous and Next, and the verse
    // box below it.
    const main_layout::Rect& refs = laid.references;
    for (HWND box : txtLocation) MoveWindow(box, refs.left, refs.top, refs.width, refs.height, TRUE);
    const main_layout::Rect& verse = laid.verse;
    MoveWindow(RichTxtVerse, verse.left, verse.top, verse.width, verse.height, TRUE);
    if (m_tooltips) {
        for (int part = 0; part < 4; ++part) {
            TOOLINFOA ti{};
            ti.cbSize = sizeof ti;
            ti.hwnd = StatusBar1;
            ti.uId = static_cast<UINT_PTR>(part + 1);
            SendMessageA(StatusBar1, SB_GETRECT, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(&ti.rect));
            SendMessageA(m_tooltips, TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&ti));
        }
    }
    // Moved controls and panels leave their old pictures behind unless the
    // whole window paints again.
    RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

LRESULT frmMain::handleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == picButtonEventMessage()) return picButtonEvent(wp, lp);
    switch (msg) {
    case WM_SIZE:
        (void)userAction::run({hwnd(), "Resize", dataManipulation::kErrorCaption, MB_ICONSTOP}, [&] {
            if (currentGeometry() != m_laidOutFor) Form_Resize();
        });
        return 0;
    case WM_TIMER:
        onTimer(wp);
        return 0;
    case WM_ENTERMENULOOP:
        // No tip over an open menu, nor one brought back while it is open.
        hideToolTips();
        if (m_tooltips) SendMessageA(m_tooltips, TTM_ACTIVATE, FALSE, 0);
        return defaultProc(msg, wp, lp);
    case WM_EXITMENULOOP:
        if (m_tooltips) SendMessageA(m_tooltips, TTM_ACTIVATE, TRUE, 0);
        return defaultProc(msg, wp, lp);
    case WM_COMMAND:
        return onCommand(wp, lp) ? 0 : defaultProc(msg, wp, lp);
    case WM_NOTIFY:
        return onTipNotify(lp) ? 0 : defaultProc(msg, wp, lp);
    case WM_QUERYENDSESSION:
        // Closing is never refused, for a log-off or shutdown either; until
        // the session's end is called off, no box may hold it up.
        Form_QueryUnload();
        if (!m_sessionEnding) m_sessionEnding.emplace(gActionRule);
        return TRUE;
    case WM_ENDSESSION:
        // The session ends: the process goes once this returns, with no
        // WM_CLOSE before it, so the unload runs here.
        if (wp) Form_Unload();
        else m_sessionEnding.reset();
        return 0;
    case WM_PAINT:
        paintSeparator();
        return 0;
    default:
        return defaultProc(msg, wp, lp);
    }
}

void frmMain::onTimer(WPARAM id) {
    // A tick is an action of its own, even while another waits on a box.
    action_rule::ActionRule::Level tick(gActionRule);
    if (id == timerVerse.id()) timerVerse_Timer();
    else if (id == timerSchedule.id()) timerSchedule_Timer();
    else if (id == TimerTooltips.id()) TimerTooltips_Timer();
    else if (id == tmrPrevNext.id()) tmrPrevNext_Timer();
    else if (id == kSoundCheckTimer) settleSoundCheck();
    else if (id == kListWatchTimer) watchOpenList();
}

void frmMain::watchOpenList() {
    HWND open = nullptr;
    for (HWND combo : {ComboTopics, comboTranslations})
        if (SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0)) open = combo;
    if (!open) {
        KillTimer(hwnd(), kListWatchTimer);
        return;
    }
    POINT p;
    if (!GetCursorPos(&p) || (p.x == m_listWatchFrom.x && p.y == m_listWatchFrom.y)) return;
    m_listWatchFrom = p;
    // The window under the pointer, whoever holds the mouse: the open list
    // (wherever it dropped) and other windows over this one are not this
    // window's children.
    HWND under = WindowFromPoint(p);
    if (!under || (under != hwnd() && !IsChild(hwnd(), under))) return;
    for (HWND combo : {ComboTopics, comboTranslations})
        if (under == combo || IsChild(combo, under)) return;
    closeComboLists();
}

bool frmMain::onCommand(WPARAM wp, LPARAM lp) {
    const auto from = reinterpret_cast<HWND>(lp);
    if ((HIWORD(wp) == CBN_DROPDOWN || HIWORD(wp) == CBN_CLOSEUP) && (from == ComboTopics || from == comboTranslations)) {
        // Nor over an open combo list.
        bool open = HIWORD(wp) == CBN_DROPDOWN;
        if (open) hideToolTips();
        if (m_tooltips) SendMessageA(m_tooltips, TTM_ACTIVATE, open ? FALSE : TRUE, 0);
        // The watch ends on its next tick once no list is open.
        if (open && GetCursorPos(&m_listWatchFrom)) SetTimer(hwnd(), kListWatchTimer, kListWatchMs, nullptr);
        return true;
    }
    if (HIWORD(wp) == CBN_SELCHANGE && from == ComboTopics) {
        ComboTopics_Click();
        return true;
    }
    if (HIWORD(wp) == CBN_SELCHANGE && from == comboTranslations) {
        comboTranslations_Click();
        return true;
    }
    return lp == 0 && menuCommand(LOWORD(wp));
}

// Line1: the separator under the top button bar.
void frmMain::paintSeparator() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd(), &ps);
    RECT client;
    GetClientRect(hwnd(), &client);
    int y = twToPxY(main_layout::kSeparatorTw);
    win32::Pen pen(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW)));
    HGDIOBJ old = SelectObject(dc, pen.get());
    MoveToEx(dc, 0, y, nullptr);
    LineTo(dc, client.right, y);
    SelectObject(dc, old);
    EndPaint(hwnd(), &ps);
}

bool frmMain::firstRun(bool& newVersion) {
    gAgreementAccepted = false;
    openFirstTimeDialog(hwnd());
    if (!gAgreementAccepted) {
        seams::messageBox(hwnd(),
                          "You did not accept the user agreement, so the program will now close.   ",
                          "License Agreement Declined by User", MB_ICONINFORMATION);
        closeNow();
        return false;
    }
    registry::saveSetting(settings_rules::settings::firstTimeRun, "False");
    setAutoStart(gAutoStartChoice);
    (void)registry::writeLastUpdate(true);
    newVersion = false;
    seams::htmlHelp(nullptr, gHelpFile, HH_HELP_CONTEXT, 1015);
    ShowWindow(hwnd(), SW_SHOW);
    SetForegroundWindow(hwnd());
    return true;
}

void frmMain::attachSubclasses() {
    auto route = [this](void (frmMain::*handler)(HWND, UINT, WPARAM, LPARAM, LRESULT&, bool&)) {
        return [this, handler](HWND h, UINT m, WPARAM w, LPARAM l, LRESULT& r, bool& s) { (this->*handler)(h, m, w, l, r, s); };
    };
    SubClassMain.setHandler(route(&frmMain::SubClassMain_WndMessage));
    SubClassMain.setHWnd(hwnd());
    SubClassCBtopic.setHandler(route(&frmMain::SubClassCBtopic_WndMessage));
    SubClassCBtopic.setHWnd(ChildWindowFromPoint(ComboTopics, POINT{15, 15}));
    SubClassCBtranslation.setHandler(route(&frmMain::SubClassCBtranslation_WndMessage));
    SubClassCBtranslation.setHWnd(ChildWindowFromPoint(comboTranslations, POINT{15, 15}));
    auto paintCut = [this](HWND h, UINT m, WPARAM, LPARAM, LRESULT& r, bool& s) {
        if (m == WM_PAINT && paintCutListName(h)) {
            r = 0;
            s = true;
        }
    };
    m_topicNamePaint.setHandler(paintCut);
    m_topicNamePaint.setHWnd(SubClassCBtopic.hWnd());
    m_translationNamePaint.setHandler(paintCut);
    m_translationNamePaint.setHWnd(SubClassCBtranslation.hWnd());
    SubClassSB.setHandler(route(&frmMain::SubClassSB_WndMessage));
    SubClassSB.setHWnd(StatusBar1);

    // Entering a button may play its sound.
    SbcEasy1.setMouseEnter([this](const std::string& tag) {
        settleSoundCheck();
        SbcEasy1_MouseEnter(tag);
    });
    SbcEasy1.setMouseExit([this](const std::string& tag) { SbcEasy1_MouseExit(tag); });
    // The window's background stands for the verse frame and the top bar.
    SbcEasy1.attach(hwnd(), "frameNoCombo");
    SbcEasy1.watch(StatusBar1, "frameNoCombo");
    for (int i = 0; i < kButtons; ++i)
        SbcEasy1.watch(picButton[static_cast<size_t>(i)], picButtonTag[static_cast<size_t>(i)]);
}
