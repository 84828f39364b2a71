// frmSchedule.cpp
#include "frmSchedule.h"

#include <commctrl.h>
#include <htmlhelp.h>

#include <stdexcept>

#include "common/win32/secret.h"
#include "pellanor/win/GlobalFunctions.h"
#include "pellanor/win/Module1.h"
#include "dataManipulation.h"
#include "dialog_shared.h"
#include "frmLogin.h"
#include "frmMain.h"
#include "frmSchedule_res.h"
#include "registry.h"
#include "schedule_choice.h"
#include "schedule_rules.h"
#include "seams.h"
#include "settings_rules.h"

namespace {

using frmScheduleRules::check;
using dataManipulation::kErrorCaption;
using frmScheduleRules::normalPointer;

constexpr long kEightAM = 8 * 3600;

// The frames of each tab and the controls they hold.
constexpr int kTab0Controls[] = {IDC_SCH_FRAME7, IDC_SCH_CHK0, IDC_SCH_FRAME5, IDC_SCH_COMBO0};
constexpr int kTab1Controls[] = {IDC_SCH_FRAME3, IDC_SCH_COMBO1, IDC_SCH_FRAME9, IDC_SCH_CHK1,
                                 IDC_SCH_FRAME4, IDC_SCH_LABEL0, IDC_SCH_USER0, IDC_SCH_LABEL1,
                                 IDC_SCH_USER1,  IDC_SCH_LABEL3};

} // namespace

// ---------------------------------------------------------------- the dialog

frmSchedule::frmSchedule(HWND owner, TaskServiceFactory factory) : m_factory(std::move(factory)) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TAB_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    create(IDD_SCHEDULE, owner);
}

frmSchedule::~frmSchedule() = default;

void frmSchedule::showDialog(HWND owner) { dialog_shared::showModal<frmSchedule>(owner); }

bool frmSchedule::OnInit() {
    SSTab1 = getItem(IDC_SCH_TAB);
    chkSchedule = {getItem(IDC_SCH_CHK0), getItem(IDC_SCH_CHK1)};
    comboTime = {getItem(IDC_SCH_COMBO0), getItem(IDC_SCH_COMBO1)};
    txtUserName = {getItem(IDC_SCH_USER0), getItem(IDC_SCH_USER1)};
    cmdOK = getItem(IDOK);
    cmdCancel = getItem(IDCANCEL);
    cmdHelp = getItem(IDC_SCH_HELP);

    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>("Use Pellanor Scheduler");
    SendMessageA(SSTab1, TCM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    item.pszText = const_cast<char*>("Use the Windows Task Scheduler");
    SendMessageA(SSTab1, TCM_INSERTITEMA, 1, reinterpret_cast<LPARAM>(&item));
    SendMessageA(txtUserName[1], EM_SETPASSWORDCHAR, '*', 0);
    attachFields();
    Form_Load();
    return true;
}

void frmSchedule::Form_Load() {
    formLoaded = false;
    timeValid = true;
    (void)userAction::run({}, [&] {
        const auto times = frmScheduleRules::timeList();
        for (size_t i = 0; i < 2; ++i) {
            for (const std::string& t : times)
                SendMessageA(comboTime[i], CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t.c_str()));
            ui::setWindowText(comboTime[i], "8:00 AM");
            lastValidTime[i] = kEightAM;
            SendMessageA(chkSchedule[i], BM_SETCHECK, BST_CHECKED, 0);
        }
        selectTab(gUseWindowsScheduler ? 1 : 0);
        if (!gSchedulerEnabled) SendMessageA(chkSchedule[0], BM_SETCHECK, BST_UNCHECKED, 0);
        // A stored time that is no time of day leaves the box at 8:00 AM.
        if (long stored = schedule_rules::parseTimeOfDay(gSchedulerTime); stored >= 0) {
            ui::setWindowText(comboTime[0], gSchedulerTime);
            lastValidTime[0] = stored;
        }
        if (gIsWinNT) {
            ui::setWindowText(txtUserName[0], Module1::windowsUser());
            ui::setWindowText(txtUserName[1], "");
        } else {
            EnableWindow(txtUserName[0], FALSE);
            EnableWindow(txtUserName[1], FALSE);
        }
        taskName = frmScheduleRules::taskNameFor(Module1::windowsUser());
        m_helpIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_QUESTION));
        if (cmdHelp && m_helpIcon)
            SendMessageA(cmdHelp, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(m_helpIcon));
        createTooltips();
        findExistingTask();
    }, [&] {
        dataManipulation::showMessage(hwnd(), "An error occurred loading the frmSchedule Dialog", kErrorCaption,
                                      MB_ICONSTOP);
        GlobalFunctions::runVerify();
    });
    formLoaded = true;
}

bool frmSchedule::makeTaskService() {
    if (!taskService && m_factory) {
        std::unique_ptr<taskscheduler::TaskCollection> made;
        if (SUCCEEDED(m_factory(made))) taskService = std::move(made);
    }
    return taskService != nullptr;
}

void frmSchedule::findExistingTask() {
    using namespace taskscheduler;
    if (!makeTaskService()) throw std::runtime_error("task service");
    // Only the program's own task is asked for: another program's task is
    // none of the dialog's business, and reading a damaged one could stop it.
    std::shared_ptr<Task> task;
    check(taskService->find(taskName, task));
    if (!task || task->name() != taskName) return;
    // What the scheduler cannot read back of the task is simply not
    // known: the tab keeps its defaults, and OK sets it all afresh.
    long seconds = 0;
    if (!frmScheduleRules::firstStartTime(*task, seconds)) return;
    ui::setWindowText(comboTime[1], frmScheduleRules::timeText(seconds));
    lastValidTime[1] = seconds;
    DWORD flags = 0;
    if (SUCCEEDED(task->flags(flags)))
        SendMessageA(chkSchedule[1], BM_SETCHECK, (flags & kFlagDisabled) ? BST_UNCHECKED : BST_CHECKED, 0);
}

void frmSchedule::attachFields() {
    // The text boxes follow the Enter rule through ui::EnterField; the time
    // boxes are combo boxes whose edit field it cannot watch, so the dialog
    // applies the same rule to them itself (comboTime_Focus, OnOK).
    for (int i = 0; i < 2; ++i) {
        auto field = std::make_unique<ui::EnterField>();
        field->attach(txtUserName[static_cast<size_t>(i)], IDOK,
                      {[this, i] {
                           (void)userAction::run(
                               {hwnd(), "frmSchedule_txtUserName_gotfocus", kErrorCaption, MB_ICONINFORMATION},
                               [&] {
                                   if (i == 1) SendMessageA(txtUserName[1], EM_SETPASSWORDCHAR, '*', 0);
                               },
                               normalPointer);
                       },
                       // Enter only makes OK the default, so the next Enter presses it.
                       [this] {
                           (void)userAction::run(
                               {hwnd(), "frmSchedule_txtUserName_keypress", kErrorCaption, MB_ICONINFORMATION}, [] {},
                               normalPointer);
                           return true;
                       },
                       {}});
        m_fields[static_cast<size_t>(i)] = std::move(field);
    }
}

void frmSchedule::createTooltips() {
    addTooltip(txtUserName[0],
               "This is your Windows User Name - click help if you do not enter a  Windows User Name.");
    addTooltip(txtUserName[1], "This is your Windows Password - click help if you do not enter a Windows Password.");
    addTooltip(cmdHelp, "Help....");
}

int frmSchedule::currentTab() const {
    return static_cast<int>(SendMessageA(SSTab1, TCM_GETCURSEL, 0, 0)) == 1 ? 1 : 0;
}

void frmSchedule::selectTab(int tab) {
    SendMessageA(SSTab1, TCM_SETCURSEL, tab == 1 ? 1 : 0, 0);
    SSTab1_Click();
}

void frmSchedule::SSTab1_Click() {
    bool windows = currentTab() == 1;
    for (int id : kTab0Controls) showItem(id, !windows);
    for (int id : kTab1Controls) showItem(id, windows);
}

// ---------------------------------------------------------------- handlers

void frmSchedule::comboTime_Validate(int index, bool& cancel) {
    if (!formLoaded) return;
    (void)userAction::run({hwnd(), "frmSchedule_comboTime_validate", kErrorCaption, MB_ICONINFORMATION}, [&] {
        timeValid = false;
        HWND box = comboTime[static_cast<size_t>(index)];
        const schedule_rules::TypedTime typed = schedule_rules::checkTypedTime(ui::getWindowText(box));
        ui::setWindowText(box, typed.text);
        if (typed.refusal) {
            cancel = true;
            seams::messageBox(hwnd(), typed.refusal, typed.caption, MB_ICONINFORMATION);
            ui::setWindowText(box, frmScheduleRules::timeText(lastValidTime[static_cast<size_t>(index)]));
            SendMessageA(box, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
            return;
        }
        lastValidTime[static_cast<size_t>(index)] = typed.seconds;
        timeValid = true;
    }, normalPointer);
}

void frmSchedule::comboTime_Click() {
    (void)userAction::run(
        {hwnd(), "frmSchedule_combotime_click", kErrorCaption, MB_ICONINFORMATION}, [] {}, normalPointer);
}

void frmSchedule::chkSchedule_Click() {
    (void)userAction::run(
        {hwnd(), "frmSchedule_chkSchedule_Click", kErrorCaption, MB_ICONINFORMATION}, [] {}, normalPointer);
}

namespace {
// The Windows tab's logon and task, as the dialog does them, with the
// password read from its box at OK; the copy the logon trims is wiped after
// the task.
class DialogSteps : public schedule_choice::WindowsSteps {
public:
    DialogSteps(frmSchedule& dialog, const win32::Secret& typed, std::function<void()> refuse,
                std::function<bool()> makeService)
        : m_dialog(dialog), m_typed(typed), m_refuse(std::move(refuse)), m_makeService(std::move(makeService)) {}
    ~DialogSteps() override { secureWipe(m_password); }
    bool logon() override {
        m_user = ui::getWindowText(m_dialog.txtUserName[0]);
        m_password = m_typed.text();
        return succeeded(GlobalFunctions::testPassword(m_user, m_password, m_dialog.hwnd()));
    }
    void passwordRefused() override {
        secureWipe(m_password);
        m_refuse();
    }
    // The task gets the name and password the logon accepted (trimmed), so
    // that it runs with what was proven and is found again at load.
    bool createTask(const std::string& time, bool enabled) override {
        Outcome made = Outcome::Failed;
        if (m_makeService())
            made = GlobalFunctions::createScheduledTask(m_dialog.hwnd(), *m_dialog.taskService, time, enabled ? 1 : 0,
                                                       m_user, m_password);
        else
            frmScheduleRules::reportTaskNotCreated(m_dialog.hwnd(), frmScheduleRules::taskNameFor(m_user));
        secureWipe(m_password);
        return succeeded(made);
    }

private:
    frmSchedule& m_dialog;
    const win32::Secret& m_typed;
    std::function<void()> m_refuse;
    std::function<bool()> m_makeService;
    std::string m_user, m_password;
};
} // namespace

void frmSchedule::cmdOK_Click() {
    if (!timeValid) return;
    (void)userAction::run({hwnd(), "frmSchedule_cmdOK_Click", kErrorCaption, MB_ICONINFORMATION}, [&] {
        int tab = currentTab();
        chosenTime = ui::getWindowText(comboTime[static_cast<size_t>(tab)]);
        schedule_choice::Choice choice;
        choice.windowsTab = tab == 1;
        choice.checked = SendMessageA(chkSchedule[static_cast<size_t>(tab)], BM_GETCHECK, 0, 0) == BST_CHECKED;
        choice.time = chosenTime;
        win32::Secret typed;
        if (choice.windowsTab) {
            win32::readWindowText(txtUserName[1], typed);
            choice.passwordBlank = schedule_choice::blankPassword(typed.text());
        }
        schedule_choice::Scheduler scheduler{gUseWindowsScheduler, gSchedulerEnabled, gSchedulerTime};
        DialogSteps steps(*this, typed, [this] { passwordRefusal(); }, [this] { return makeTaskService(); });
        // The user was told of a refusal or a failed task; the dialog stays
        // open with nothing saved.
        if (schedule_choice::applyOk(choice, scheduler, registry::programSettings(), steps) !=
            schedule_choice::Applied::Saved)
            return;
        gUseWindowsScheduler = scheduler.useWindowsScheduler;
        gSchedulerEnabled = scheduler.enabled;
        gSchedulerTime = scheduler.time;
        endModal(IDOK);
    }, normalPointer);
    normalPointer();
}

void frmSchedule::passwordRefusal() {
    seams::messageBox(hwnd(),
                      "The Windows Scheduler requires you to enter a Windows Password.   \r\n"
                      "If you do not enter a password when starting Windows, please click the Help button for "
                      "more info.    ",
                      "Windows Password Required", MB_ICONINFORMATION);
    ui::setWindowText(txtUserName[1], kPasswordFiller);
    gotoDlgCtrl(txtUserName[1]);
    SendMessageA(txtUserName[1], EM_SETSEL, 0, -1);
}

void frmSchedule::cmdCancel_Click() { endModal(IDCANCEL); }

void frmSchedule::cmdHelp_Click() {
    seams::htmlHelp(nullptr, gHelpFile, HH_HELP_CONTEXT, kHelpContext);
    // The help window took the focus; give it back to the dialog.
    if (hwnd()) SetForegroundWindow(hwnd());
}

void frmSchedule::Form_QueryUnload() {
    // The saved verse size goes back on the main window, whatever an
    // earlier live preview left there.
    if (gMainForm) gMainForm->setVerseFontSize(gVerseFontSize, false);
    // Overwrite the password box's text in place before it goes.
    HWND box = txtUserName[1];
    int n = box ? GetWindowTextLengthA(box) : 0;
    if (n > 0) SetWindowTextA(box, std::string(static_cast<size_t>(n), '*').c_str());
    if (box) SetWindowTextA(box, "");
}

// ---------------------------------------------------------------- dispatch

bool frmSchedule::OnCommand(int id, int code, HWND control) {
    using dialog_shared::kAnyCode;
    return runCommands("frmSchedule_OnCommand", id, code, control, {
        {IDC_SCH_HELP, BN_CLICKED, [this] { cmdHelp_Click(); }},
        {IDC_SCH_CHK0, BN_CLICKED, [this] { chkSchedule_Click(); }},
        {IDC_SCH_CHK1, BN_CLICKED, [this] { chkSchedule_Click(); }},
        {IDC_SCH_COMBO0, kAnyCode, [this, code] { comboTime_Command(0, code); }},
        {IDC_SCH_COMBO1, kAnyCode, [this, code] { comboTime_Command(1, code); }},
    });
}

void frmSchedule::comboTime_Command(int index, int code) {
    if (code == CBN_SELCHANGE) comboTime_Click();
    if (code == CBN_SELCHANGE || code == CBN_EDITCHANGE) m_enterDone[static_cast<size_t>(index)] = false;
    if (code == CBN_SETFOCUS || code == CBN_KILLFOCUS) comboTime_Focus(index, code == CBN_SETFOCUS);
}

int frmSchedule::focusedTimeBox() const {
    HWND focus = GetFocus();
    for (int i = 0; i < 2; ++i) {
        HWND box = comboTime[static_cast<size_t>(i)];
        if (focus && (focus == box || IsChild(box, focus))) return i;
    }
    return -1;
}

void frmSchedule::comboTime_Focus(int index, bool gotFocus) {
    if (gotFocus) {
        // While a time box has the focus, Enter checks the time.
        action_rule::ActionRule::Action entered(gActionRule);
        m_enterDone[static_cast<size_t>(index)] = false;
        setDefId(0);
        return;
    }
    setDefId(IDOK);
    // Only a move to another control of the dialog checks the time; a
    // message box or another program taking the focus does not.
    HWND to = GetFocus();
    if (!to || !IsChild(hwnd(), to)) return;
    bool cancel = false;
    comboTime_Validate(index, cancel);
    if (cancel)
        PostMessageA(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(comboTime[static_cast<size_t>(index)]), TRUE);
}

void frmSchedule::OnOK() {
    // Enter in a time box checks the time; a valid time makes OK the
    // default, so the next Enter presses it.
    int index = focusedTimeBox();
    if (index >= 0 && !m_enterDone[static_cast<size_t>(index)]) {
        bool cancel = false;
        comboTime_Validate(index, cancel);
        if (!cancel) {
            m_enterDone[static_cast<size_t>(index)] = true;
            setDefId(IDOK);
        }
        return;
    }
    cmdOK_Click();
}

bool frmSchedule::OnNotify(int, NMHDR* header, LRESULT& result) {
    if (!header || header->hwndFrom != SSTab1 || header->code != TCN_SELCHANGE) return false;
    SSTab1_Click();
    result = 0;
    return true;
}

bool frmSchedule::OnMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) {
    if (msg != WM_HELP) return false;
    cmdHelp_Click();
    result = TRUE;
    return true;
}
