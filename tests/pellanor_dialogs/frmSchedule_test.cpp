// frmSchedule_test.cpp
// The scheduling dialog, hidden, with its Task Scheduler behind the
// recording fake and the Windows logon answered through the seam (Wine
// accepts every password).
#include <windows.h>

#include <htmlhelp.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "pellanor/win/Module1.h"
#include "dialog_driver.h"
#include "fake_task_service.h"
#include "frmMain.h"
#include "frmSchedule.h"
#include "frmSchedule_res.h"
#include "registry.h"
#include "seams.h"
#include "settings_rules.h"
#include "win_test_support.h"

using namespace testsupport;
using namespace dialogdriver;
using fakesched::FakeStore;
using fakesched::FakeTaskService;

namespace {

std::string setting(const char* name) {
    return registry::getSetting(settings_rules::kProgramTitle, settings_rules::kUserSettings, name, "(none)");
}

class Schedule : public ::testing::Test {
protected:
    void SetUp() override {
        clearProgramRegistry();
        gNoErrorLog = true;
        gErrorShown = false;
        gIsWinNT = true;
        gWindowsUser = "OFFICE\\mary";
        gUseWindowsScheduler = false;
        gSchedulerEnabled = true;
        gSchedulerTime = "7:15 PM";
        store = std::make_shared<FakeStore>();
        seams::setLogonUser([this](const std::string& user, const std::string& domain, const std::string& pw) {
            logons.push_back({user, domain, pw});
            return accept;
        });
        seams::setStartProcess([this](const std::string& commandLine, int) {
            started.push_back(commandLine);
            return true;
        });
        seams::setHtmlHelp([this](HWND owner, const std::string&, UINT command, DWORD_PTR data) {
            helps.push_back({owner, command, data});
            return HWND{};
        });
    }
    void TearDown() override {
        dlg.reset();
        seams::setLogonUser(nullptr);
        seams::setStartProcess(nullptr);
        seams::setHtmlHelp(nullptr);
        gMainForm = nullptr;
        clearProgramRegistry();
    }
    void open() {
        auto s = store;
        dlg = std::make_unique<frmSchedule>(nullptr, [s, this](std::unique_ptr<taskscheduler::TaskCollection>& out) {
            ++factoryCalls;
            if (FAILED(factoryResult)) return factoryResult;
            out = std::make_unique<FakeTaskService>(s);
            return S_OK;
        });
        ASSERT_TRUE(dlg->isOpen());
        pump(h());
    }
    HWND h() const { return dlg->hwnd(); }
    void ok() {
        dlg->cmdOK_Click();
        if (dlg->isOpen()) pump(h());
    }
    bool visible(int id) const { return (GetWindowLongA(GetDlgItem(h(), id), GWL_STYLE) & WS_VISIBLE) != 0; }
    bool checked(int i) const { return SendMessageA(dlg->chkSchedule[static_cast<size_t>(i)], BM_GETCHECK, 0, 0) == BST_CHECKED; }
    void chooseWindowsTab(const std::string& password) {
        dlg->selectTab(1);
        setText(dlg->txtUserName[1], password);
    }

    struct Logon {
        std::string user, domain, password;
    };
    struct Help {
        HWND owner;
        UINT command;
        DWORD_PTR data;
    };
    std::vector<Logon> logons;
    std::vector<std::string> started;
    std::vector<Help> helps;
    bool accept = true;
    HRESULT factoryResult = S_OK;
    int factoryCalls = 0;
    std::shared_ptr<FakeStore> store;
    BoxRecorder boxes;
    std::unique_ptr<frmSchedule> dlg;
};

TEST_F(Schedule, LoadShowsOwnSchedulerAndDefaultsForTheWindowsTab) {
    open();
    EXPECT_EQ(text(h()), "Select the Scheduling Method and Time");
    EXPECT_EQ(SendMessageA(dlg->comboTime[0], CB_GETCOUNT, 0, 0), 48);
    EXPECT_EQ(SendMessageA(dlg->comboTime[1], CB_GETCOUNT, 0, 0), 48);
    EXPECT_EQ(text(dlg->comboTime[0]), "7:15 PM");
    EXPECT_EQ(dlg->lastValidTime[0], 19 * 3600 + 15 * 60);
    EXPECT_TRUE(checked(0));
    EXPECT_EQ(text(dlg->comboTime[1]), "8:00 AM") << "no task for this user";
    EXPECT_TRUE(checked(1));
    EXPECT_EQ(text(dlg->txtUserName[0]), "OFFICE\\mary");
    EXPECT_EQ(text(dlg->txtUserName[1]), "");
    EXPECT_EQ(dlg->taskName, "mary_Pellanor");
    EXPECT_TRUE(visible(IDC_SCH_COMBO0));
    EXPECT_FALSE(visible(IDC_SCH_COMBO1));
    EXPECT_FALSE(visible(IDC_SCH_FRAME4));

    dlg->selectTab(1);
    EXPECT_FALSE(visible(IDC_SCH_COMBO0));
    EXPECT_FALSE(visible(IDC_SCH_FRAME7));
    EXPECT_TRUE(visible(IDC_SCH_COMBO1));
    EXPECT_TRUE(visible(IDC_SCH_USER1));
    EXPECT_TRUE(visible(IDC_SCH_FRAME4));
    EXPECT_TRUE(dlg->formLoaded);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(Schedule, ExistingTaskGivesTimeAndStateWithOrWithoutDomain) {
    store->addStored("Backup Job", "C:\\backup\\run", 3, 0, 0);
    store->addStored("MARY_Pellanor", "C:\\x\\pellanor", 9, 0, 0); // another case: not this user's
    store->addStored("mary_Pellanor", "C:\\x\\pellanor", 6, 30, taskscheduler::kFlagDisabled);
    gUseWindowsScheduler = true;
    gSchedulerEnabled = false;
    for (const char* user : {"OFFICE\\mary", "mary"}) {
        gWindowsUser = user;
        store->asked.clear();
        open();
        // Another program's task, damaged or not, is never read.
        EXPECT_EQ(store->enumerations, 0) << "only the program's own task is asked for";
        EXPECT_EQ(store->asked, std::vector<std::string>{"mary_Pellanor"});
        EXPECT_TRUE(visible(IDC_SCH_COMBO1)) << "the Windows tab opens";
        EXPECT_EQ(text(dlg->comboTime[1]), frmScheduleRules::timeText(6 * 3600 + 30 * 60)) << user;
        EXPECT_NE(text(dlg->comboTime[1]).find("6:30"), std::string::npos);
        EXPECT_EQ(dlg->lastValidTime[1], 6 * 3600 + 30 * 60);
        EXPECT_FALSE(checked(1)) << "the task is disabled";
        EXPECT_FALSE(checked(0)) << "own scheduler off";
        dlg.reset();
    }
}

TEST_F(Schedule, TaskTheSchedulerCannotReadBackLoadsWithoutTimeAndOKUpdatesIt) {
    auto stored = store->addStored("mary_Pellanor", "C:\\x\\pellanor", 6, 30, taskscheduler::kFlagDisabled);
    stored->list->countResult = E_NOTIMPL;
    stored->pathResult = E_NOTIMPL;
    gUseWindowsScheduler = true;
    open();
    EXPECT_TRUE(boxes.boxes.empty()) << "no load error";
    EXPECT_TRUE(started.empty()) << "verify is not started";
    EXPECT_EQ(text(dlg->comboTime[1]), "8:00 AM") << "no time known";
    EXPECT_TRUE(checked(1));
    EXPECT_TRUE(IsWindowEnabled(dlg->cmdOK));

    chooseWindowsTab("s3cret");
    setText(dlg->comboTime[1], "7:00 AM");
    ok();
    EXPECT_TRUE(boxes.boxes.empty()) << "the task was updated, not refused as a duplicate";
    EXPECT_FALSE(dlg->isOpen());
    ASSERT_EQ(store->stored.size(), 1u);
    EXPECT_TRUE(store->made.empty()) << "no second task of that name";
    EXPECT_EQ(stored->saves, 1);
    EXPECT_EQ(stored->path, seams::programFolder() + "\\pellanor_schedule_dialog_test");
    ASSERT_FALSE(stored->list->items.empty());
    EXPECT_EQ(stored->list->items.back()->start.wHour, 7) << "a trigger holds the chosen time";
    EXPECT_EQ(stored->flagWord, taskscheduler::kFlagInteractive) << "enabled again";
    EXPECT_EQ(setting("useTheWindowsScheduler"), "True");
}

TEST_F(Schedule, TaskWithAnUnreadableTriggerTimeLoadsAsNoTimeKnown) {
    class NoStart : public fakesched::FakeTrigger {
    public:
        HRESULT startTime(SYSTEMTIME&) const override { return E_UNEXPECTED; }
    };
    auto stored = store->addStored("mary_Pellanor", "C:\\x\\pellanor", 6, 30, taskscheduler::kFlagDisabled);
    stored->list->items[0] = std::make_shared<NoStart>();
    open();
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_TRUE(started.empty());
    EXPECT_EQ(text(dlg->comboTime[1]), "8:00 AM");
    EXPECT_EQ(dlg->lastValidTime[1], 8 * 3600);
    EXPECT_TRUE(checked(1));
}

// The dialog over the Task Scheduler of the test prefix, as the program
// runs it: once a task of the user's is stored, the dialog opens without
// an error and OK updates that task.
TEST_F(Schedule, RealTaskSchedulerOpensAndUpdatesAStoredTask) {
    std::unique_ptr<taskscheduler::TaskCollection> real;
    ASSERT_EQ(taskscheduler::createTaskCollection(real), S_OK);
    real->remove("mary_Pellanor");
    for (int round = 0; round < 2; ++round) {
        dlg = std::make_unique<frmSchedule>(nullptr);
        ASSERT_TRUE(dlg->isOpen());
        pump(h());
        EXPECT_TRUE(boxes.boxes.empty()) << "round " << round;
        EXPECT_TRUE(started.empty()) << "round " << round;
        chooseWindowsTab("s3cret");
        setText(dlg->comboTime[1], "6:30 AM");
        ok();
        EXPECT_TRUE(boxes.boxes.empty()) << "round " << round << ": " << (boxes.boxes.empty() ? "" : boxes.boxes[0].caption);
        EXPECT_FALSE(dlg->isOpen());
        dlg.reset();
        std::vector<std::shared_ptr<taskscheduler::Task>> all;
        ASSERT_EQ(real->refresh(), S_OK);
        ASSERT_EQ(real->tasks(all), S_OK);
        EXPECT_EQ(std::count_if(all.begin(), all.end(), [](const auto& t) { return t->name() == "mary_Pellanor"; }), 1);
        EXPECT_EQ(setting("useTheWindowsScheduler"), "True");
    }
    EXPECT_EQ(real->remove("mary_Pellanor"), S_OK);
}

TEST_F(Schedule, TypedTimesAreCheckedWhenLeavingTheBox) {
    open();
    focus(h(), dlg->comboTime[0]);
    setText(dlg->comboTime[0], "9:45 pm");
    focus(h(), dlg->cmdCancel);
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(text(dlg->comboTime[0]), "9:45 PM") << "upper-cased and accepted";
    EXPECT_EQ(dlg->lastValidTime[0], 21 * 3600 + 45 * 60);
    EXPECT_TRUE(dlg->timeValid);

    focus(h(), dlg->comboTime[0]);
    setText(dlg->comboTime[0], "20:00");
    focus(h(), dlg->cmdCancel);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "You need to enter either AM or PM after the time");
    EXPECT_EQ(boxes.boxes[0].caption, "Timer Error...");
    EXPECT_EQ(boxes.boxes[0].flags, static_cast<UINT>(MB_ICONINFORMATION));
    EXPECT_EQ(boxes.boxes[0].owner, h());
    EXPECT_EQ(text(dlg->comboTime[0]), frmScheduleRules::timeText(21 * 3600 + 45 * 60)) << "last accepted back";
    EXPECT_EQ(GetParent(GetFocus()), dlg->comboTime[0]) << "the focus stays in the box";
    EXPECT_FALSE(dlg->timeValid);

    ok();
    EXPECT_TRUE(dlg->isOpen()) << "OK does nothing after a refused time";
    EXPECT_EQ(setting("TamberlyschedulerTime"), "(none)");

    bool cancel = false;
    setText(dlg->comboTime[0], "noon");
    dlg->comboTime_Validate(0, cancel);
    EXPECT_TRUE(cancel);
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[1].text,
              "If you are going to enter the time, it needs to be formatted as follows 'hh:mm AM/PM'    ");
    EXPECT_EQ(boxes.boxes[1].caption, "The time was formatted incorrectly");

    setText(dlg->comboTime[0], "6:05 am");
    cancel = false;
    dlg->comboTime_Validate(0, cancel);
    EXPECT_FALSE(cancel);
    ok();
    EXPECT_FALSE(dlg->isOpen()) << "OK works once a time is accepted";
    EXPECT_EQ(setting("TamberlyschedulerTime"), "6:05 AM");
}

TEST_F(Schedule, EnterInATimeBoxChecksItThenPressesOK) {
    open();
    focus(h(), dlg->comboTime[0]);
    EXPECT_EQ(defaultId(h()), 0) << "OK is not the default while the box has the focus";
    setText(dlg->comboTime[0], "");
    type(h(), "7:00 pm");
    key(h(), VK_RETURN);
    EXPECT_TRUE(dlg->isOpen()) << "the first Enter only checks the time";
    EXPECT_EQ(text(dlg->comboTime[0]), "7:00 PM");
    EXPECT_EQ(defaultId(h()), IDOK);
    key(h(), VK_RETURN);
    EXPECT_FALSE(dlg->isOpen());
    EXPECT_EQ(setting("TamberlyschedulerTime"), "7:00 PM");
}

// What OK stores and when is schedule_choice's (tested natively); these
// show the dialog's boxes reach it and what it decided reaches the
// program-wide variables and the registry.
TEST_F(Schedule, OwnSchedulerSavesTheBoxAsTyped) {
    gUseWindowsScheduler = true;
    open();
    dlg->selectTab(0);
    SendMessageA(dlg->chkSchedule[0], BM_SETCHECK, BST_UNCHECKED, 0);
    setText(dlg->comboTime[0], "10:30 PM");
    ok();
    EXPECT_FALSE(dlg->isOpen());
    EXPECT_FALSE(gSchedulerEnabled);
    EXPECT_EQ(gSchedulerTime, "10:30 PM");
    EXPECT_EQ(setting("TamberlyschedulerTime"), "10:30 PM");
    EXPECT_TRUE(store->stored.empty());
}

TEST_F(Schedule, BlankOrRefusedPasswordSavesNothingAndChangesNoChoice) {
    open();
    chooseWindowsTab("   ");
    ok();
    EXPECT_TRUE(logons.empty()) << "a blank password is not even tried";
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "Windows Password Required");
    EXPECT_EQ(boxes.boxes[0].text,
              "The Windows Scheduler requires you to enter a Windows Password.   \r\n"
              "If you do not enter a password when starting Windows, please click the Help button for more "
              "info.    ");
    EXPECT_EQ(text(dlg->txtUserName[1]), "zxqmwrtkvbn");
    EXPECT_EQ(GetFocus(), dlg->txtUserName[1]);
    DWORD start = 1, end = 0;
    SendMessageA(dlg->txtUserName[1], EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 11u);

    accept = false;
    setText(dlg->txtUserName[0], "  OFFICE\\mary ");
    setText(dlg->txtUserName[1], " wrong ");
    ok();
    ASSERT_EQ(logons.size(), 1u);
    EXPECT_EQ(logons[0].user, "mary");
    EXPECT_EQ(logons[0].domain, "OFFICE");
    EXPECT_EQ(logons[0].password, "wrong") << "trimmed";
    EXPECT_EQ(boxes.boxes.size(), 2u);
    EXPECT_TRUE(dlg->isOpen());
    EXPECT_FALSE(gUseWindowsScheduler) << "the choice waits for an accepted password";
    EXPECT_EQ(gWindowsUser, "OFFICE\\mary");
    EXPECT_TRUE(store->stored.empty());
}

TEST_F(Schedule, AcceptedPasswordCreatesThenUpdatesOneDailyTask) {
    open();
    chooseWindowsTab(" s3cret ");
    setText(dlg->txtUserName[0], "OFFICE\\mary ");
    setText(dlg->comboTime[1], "6:30 AM");
    ok();
    EXPECT_FALSE(dlg->isOpen());
    ASSERT_EQ(logons.size(), 1u);
    EXPECT_EQ(gWindowsUser, "OFFICE\\mary") << "the trimmed name that was accepted";

    ASSERT_EQ(store->stored.size(), 1u);
    auto task = store->stored[0];
    // The task takes the name and password the logon accepted.
    EXPECT_EQ(task->taskName, "mary_Pellanor");
    EXPECT_EQ(task->account, "mary") << "without the domain";
    EXPECT_EQ(task->password, "s3cret");
    EXPECT_EQ(task->comment, "Pellanor 2004 Program Scheduler");
    EXPECT_EQ(task->path, seams::programFolder() + "\\pellanor_schedule_dialog_test");
    EXPECT_EQ(task->flagWord, taskscheduler::kFlagInteractive);
    ASSERT_EQ(task->list->items.size(), 1u);
    EXPECT_EQ(task->list->items[0]->type, taskscheduler::kTriggerDaily);
    EXPECT_EQ(task->list->items[0]->start.wHour, 6);
    EXPECT_EQ(task->list->items[0]->start.wMinute, 30);
    SYSTEMTIME today{};
    GetLocalTime(&today);
    EXPECT_EQ(task->list->items[0]->begin.wDay, today.wDay);
    EXPECT_EQ(task->saves, 1);

    EXPECT_TRUE(gUseWindowsScheduler);
    EXPECT_EQ(setting("useTheWindowsScheduler"), "True");

    // Again, box unchecked and another time: the same task is updated.
    open();
    EXPECT_EQ(text(dlg->comboTime[1]), frmScheduleRules::timeText(6 * 3600 + 30 * 60));
    chooseWindowsTab("s3cret");
    setText(dlg->comboTime[1], "9:00 PM");
    SendMessageA(dlg->chkSchedule[1], BM_SETCHECK, BST_UNCHECKED, 0);
    ok();
    EXPECT_FALSE(dlg->isOpen());
    ASSERT_EQ(store->stored.size(), 1u) << "no second task";
    EXPECT_EQ(store->made.size(), 1u);
    EXPECT_EQ(task->saves, 2);
    ASSERT_EQ(task->list->items.size(), 1u) << "its first trigger is reused";
    EXPECT_EQ(task->list->items[0]->start.wHour, 21);
    EXPECT_EQ(task->flagWord, taskscheduler::kFlagInteractive | taskscheduler::kFlagDisabled);
    EXPECT_EQ(store->enumerations, 0) << "OK too asks for its own task alone";
    EXPECT_TRUE(std::all_of(store->asked.begin(), store->asked.end(),
                            [](const std::string& n) { return n == "mary_Pellanor"; }));
}

TEST_F(Schedule, FailedTaskIsReportedAndNothingSaved) {
    store->saveResult = E_ACCESSDENIED;
    open();
    chooseWindowsTab("s3cret");
    ok();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "Schedule was Not Created....");
    EXPECT_EQ(boxes.boxes[0].text,
              "Unable to create a Scheduled Task with the name: mary_Pellanor.   \r\n"
              "This is probably because a task with the same name already exists.  You will need to delete the "
              "existing scheduled task before you will be able to set up a new schedule.  ");
    EXPECT_TRUE(dlg->isOpen());
    EXPECT_EQ(setting("useTheWindowsScheduler"), "(none)");

    // A task of that name without a program cannot be reused or added.
    store->saveResult = S_OK;
    store->addStored("mary_Pellanor", "", 8, 0, 0);
    boxes.boxes.clear();
    gErrorShown = false;
    ok();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "Schedule was Not Created....");
    EXPECT_TRUE(dlg->isOpen());
}

TEST_F(Schedule, FailedLoadStartsVerifyAndStillOpens) {
    factoryResult = REGDB_E_CLASSNOTREG;
    open();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "An error occurred loading the frmSchedule Dialog");
    EXPECT_EQ(boxes.boxes[0].caption, "Program Error Occurred....");
    EXPECT_EQ(boxes.boxes[0].flags, static_cast<UINT>(MB_ICONSTOP));
    ASSERT_EQ(started.size(), 1u);
    EXPECT_NE(started[0].find("verify.exe"), std::string::npos);
    EXPECT_TRUE(dlg->formLoaded);
    EXPECT_EQ(text(dlg->comboTime[1]), "8:00 AM");

    // OK on the Windows tab tries the scheduler again and says it failed.
    boxes.boxes.clear();
    chooseWindowsTab("s3cret");
    ok();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "Schedule was Not Created....");
    EXPECT_EQ(factoryCalls, 2);
    EXPECT_TRUE(dlg->isOpen());
}

TEST_F(Schedule, WithoutTheNTFamilyTheWindowsTabAlwaysWantsAPassword) {
    gIsWinNT = false;
    open();
    EXPECT_FALSE(IsWindowEnabled(dlg->txtUserName[0]));
    EXPECT_FALSE(IsWindowEnabled(dlg->txtUserName[1]));
    dlg->selectTab(1);
    ok();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "Windows Password Required");
    EXPECT_TRUE(logons.empty());
    EXPECT_TRUE(dlg->isOpen());
}

TEST_F(Schedule, EveryCloseSetsTheVerseSizeBack) {
    ASSERT_TRUE(LoadLibraryA("riched20.dll"));
    frmMain main;
    main.RichTxtVerse = CreateWindowExA(0, RICHEDIT_CLASSA, "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                        GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(main.RichTxtVerse);
    gMainForm = &main;
    gVerseFontSize = 12;
    auto sizeNow = [&] {
        CHARFORMAT2A cf{};
        cf.cbSize = sizeof cf;
        cf.dwMask = CFM_SIZE;
        SendMessageA(main.RichTxtVerse, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf));
        return cf.yHeight;
    };
    auto preview = [&] {
        CHARFORMAT2A cf{};
        cf.cbSize = sizeof cf;
        cf.dwMask = CFM_SIZE;
        cf.yHeight = 14 * 20;
        SendMessageA(main.RichTxtVerse, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf));
    };

    preview();
    open();
    setText(dlg->txtUserName[1], "typed");
    dlg->cmdCancel_Click();
    pump(h());
    EXPECT_FALSE(dlg->isOpen());
    EXPECT_EQ(sizeNow(), 12 * 20);
    EXPECT_TRUE(setting("useTheWindowsScheduler") == "(none)") << "Cancel saves nothing";

    preview();
    open();
    SendMessageA(h(), WM_CLOSE, 0, 0);
    pump(h());
    EXPECT_FALSE(dlg->isOpen());
    EXPECT_EQ(sizeNow(), 12 * 20);

    dlg.reset();
    gMainForm = nullptr;
    DestroyWindow(main.RichTxtVerse);
    main.RichTxtVerse = nullptr;
}

TEST_F(Schedule, HelpOpensItsTopicWithoutOwnerFromButtonAndF1) {
    open();
    click(h(), IDC_SCH_HELP);
    ASSERT_EQ(helps.size(), 1u);
    EXPECT_EQ(helps[0].owner, nullptr);
    EXPECT_EQ(helps[0].command, static_cast<UINT>(HH_HELP_CONTEXT));
    EXPECT_EQ(helps[0].data, 1014u);
    HELPINFO info{};
    info.cbSize = sizeof info;
    SendMessageA(h(), WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(helps.size(), 2u);
}

} // namespace
