// startup_e2e_test.cpp
// Starts the real pellanor.exe in prepared program folders and watches
// what it shows and leaves behind.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "pellanor/win/Module1.h"
#include "common/win32/handles.h"
#include "registry.h"
#include "e2e_fixture.h"
#include "library_fixture.h"
#include "win_test_support.h"

using namespace testsupport;

namespace {

using Startup = RunningProgram;

TEST_F(Startup, NoTranslationFoldersShowsMissingBoxAndLogsIt) {
    start();
    std::string text = answerBox("Folders Containing the Scriptures are Missing");
    EXPECT_EQ(text.find("The folders containing the scripture verses have been deleted."), 0u) << text;
    EXPECT_EQ(finish(), 1);
    std::string log = readBytes(root / "error_log.txt");
    ASSERT_FALSE(log.empty());
    // date TAB time TAB text CR LF
    size_t t1 = log.find('\t'), t2 = log.find('\t', t1 + 1);
    ASSERT_NE(t2, std::string::npos);
    EXPECT_GT(t1, 0u);
    EXPECT_GT(t2, t1 + 1);
    EXPECT_EQ(log.find("The folders containing the scripture verses have been deleted.  "), t2 + 1);
    EXPECT_EQ(log.substr(log.size() - 5), "<<<\r\n");
}

TEST_F(Startup, FoldersWithoutTopicFilesEndSilently) {
    CreateDirectoryA((root / "TRANSLATION_King James Version").c_str(), nullptr);
    start();
    EXPECT_EQ(finish(), 1);
    EXPECT_FALSE(exists(root / "error_log.txt"));
}

TEST_F(Startup, CorruptCurrentTranslation) {
    addTopic(root, "TRANSLATION_King James Version", "Peace and Trust.txt", "bad line\r\n");
    addTopic(root, "TRANSLATION_World English Bible", "Peace and Trust.txt", verses(3));
    setUserSetting("translation", "TRANSLATION_King James Version");
    start();
    std::string text = answerBox("Verse Files are Corrupt");
    EXPECT_EQ(text, "All of the files in the folder TRANSLATION_King James Version are corrupt.  "
                    "Please remove the folder.   ");
    EXPECT_EQ(finish(), 1);
    EXPECT_NE(readBytes(root / "error_log.txt").find("could not be parsed.  Line 1 failed.  "),
              std::string::npos);
}

// Every topic file of the current translation held open by another program
// (without sharing, as an editor or a backup tool may): the program ends
// telling the user to close that program, logs it, and leaves the folder
// alone.
TEST_F(Startup, ATranslationHeldOpenIsNotCalledCorrupt) {
    const char* const kjv = "TRANSLATION_King James Version";
    fromDist({std::string(kjv) + "\\Peace and Trust.txt", std::string(kjv) + "\\Hope.txt",
              "TRANSLATION_World English Bible\\Peace and Trust.txt", "help.chm"});
    setUserSetting("translation", kjv);
    returningUser();
    HeldFiles held;
    for (const char* name : {"Peace and Trust.txt", "Hope.txt"})
        ASSERT_TRUE(held.hold(root / (std::string(kjv) + "\\" + name)));
    start();
    std::string text = answerBox("Error: File Could Not Be Opened");
    long code = finish();
    held.release();
    const std::string expected =
        "The files in the folder TRANSLATION_King James Version could not be opened.  \r\n"
        "This is usually caused by another program having the files open already.  Please close the other "
        "program and re-start this one.  ";
    EXPECT_EQ(text, expected);
    EXPECT_EQ(code, 1);
    std::string log = readBytes(root / "error_log.txt");
    EXPECT_NE(log.find("\t" + expected + "\r\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("corrupt"), std::string::npos) << log;
    EXPECT_TRUE(exists(root / (std::string(kjv) + "\\Hope.txt")));
}

TEST_F(Startup, SecondCopyEndsAtOnce) {
    // Without translation folders a first copy would show a box; a second
    // copy must leave before it looks.
    win32::Handle mutex(CreateMutexA(nullptr, TRUE, Module1::kInstanceMutexName));
    ASSERT_TRUE(mutex);
    start();
    EXPECT_EQ(finish(10000), 0);
    mutex.reset();
    EXPECT_FALSE(exists(root / "error_log.txt"));
}

TEST_F(Startup, MissingHelpFileEndsAfterItsOwnBox) {
    addTopic(root, "TRANSLATION_King James Version", "Peace and Trust.txt", verses(3));
    start();
    std::string text = answerBox("Help File is Missing");
    EXPECT_EQ(text.find("The help file is missing."), 0u) << text;
    EXPECT_EQ(finish(), 1);
    std::string log = readBytes(root / "error_log.txt");
    EXPECT_NE(log.find("The help file is missing."), std::string::npos);
    EXPECT_NE(log.find("A program error occurred - please run the program again."), std::string::npos)
        << "the start-up failure is logged without a second box";
    EXPECT_EQ(registry::getSetting("Pellanor", "UserSettings", "newVerseIndex", "none"), "none");
}

// The shipped library: the first verse of "Peace and Trust" in both
// translations, read from the running program; closing saves the settings.
TEST_F(Startup, ShowsTheFirstVerseAndSavesAtClose) {
    ASSERT_GE(gArgs.size(), 2u) << "pass the program folder";
    std::string dist = fromUnixPath(gArgs[1]);
    for (const char* t : {"TRANSLATION_King James Version", "TRANSLATION_World English Bible"}) {
        std::string file = std::string(t) + "\\Peace and Trust.txt";
        writeBytes(root / file, readBytes(dist + "\\" + file));
    }
    writeBytes(root / "help.chm", readBytes(dist + "\\help.chm"));
    returningUser();
    start();
    HWND main = mainWindowReady();
    ASSERT_NE(main, nullptr);
    HWND verse = waitForFilledChild(main, "RichEdit20A", 20000);
    ASSERT_NE(verse, nullptr);
    char text[4096] = {};
    SendMessageA(verse, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    std::string shown = text;
    EXPECT_EQ(shown.find("King James Version\r\nThou wilt keep him in perfect peace"), 0u) << shown;
    EXPECT_NE(shown.find("\r\n\r\nWorld English Bible\r\nYou will keep whoever"), std::string::npos) << shown;
    HWND status = FindWindowExA(main, nullptr, "msctls_statusbar32", nullptr);
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(remoteStatusText(status, 1), "Verse 1 of 27");
    EXPECT_EQ(remoteStatusText(status, 2), "King James Version");
    EXPECT_EQ(remoteStatusText(status, 3), "\t\tSleep time: 15 min");
    RECT bar, sleepPanel = remoteStatusRect(status, 3);
    GetClientRect(status, &bar);
    EXPECT_LE(sleepPanel.right, bar.right - GetSystemMetrics(SM_CXVSCROLL)) << "the sleep time is clear of the grip";
    EXPECT_GT(sleepPanel.right, sleepPanel.left);
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(finish(), 0);
    EXPECT_EQ(registry::getSetting("Pellanor", "UserSettings", "newVerseIndex", "none"), "2");
    EXPECT_EQ(registry::getSetting("Pellanor", "UserSettings", "fileName", "none"), "Peace and Trust.txt");
    EXPECT_EQ(registry::getSetting("Pellanor", "UserSettings", "translation", "none"),
              "TRANSLATION_King James Version");
    EXPECT_NE(registry::getSetting("Pellanor", "Settings", "MainWidth", "none"), "none");
    EXPECT_FALSE(exists(root / "error_log.txt"));
}

// Sleep pressed on the running program: the window leaves the desktop and,
// with the snooze value 999, comes back about 1.5 seconds later.
TEST_F(Startup, SleepButtonSendsToTheTrayAndWakes) {
    ASSERT_GE(gArgs.size(), 2u) << "pass the program folder";
    std::string dist = fromUnixPath(gArgs[1]);
    std::string file = "TRANSLATION_King James Version\\Peace and Trust.txt";
    writeBytes(root / file, readBytes(dist + "\\" + file));
    writeBytes(root / "help.chm", readBytes(dist + "\\help.chm"));
    setUserSetting("snoozeTime", "999");
    returningUser();
    start();
    HWND main = waitForWindow("Pellanor 2004", 20000, GetProcessId(process));
    ASSERT_NE(main, nullptr);
    // The load enables the buttons when it completes.
    HWND sleep = nullptr;
    for (DWORD t0 = GetTickCount(); GetTickCount() - t0 < 10000; Sleep(20))
        if ((sleep = GetDlgItem(main, 200)) && IsWindowEnabled(sleep) && IsWindowVisible(main)) break;
    ASSERT_NE(sleep, nullptr);
    ASSERT_TRUE(IsWindowEnabled(sleep));
    PostMessageA(sleep, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageA(sleep, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    DWORD pressed = GetTickCount();
    bool left = false;
    while (GetTickCount() - pressed < 5000 && !(left = !IsWindowVisible(main))) Sleep(20);
    EXPECT_TRUE(left) << "the window leaves the desktop";
    bool back = false;
    while (GetTickCount() - pressed < 10000 && !(back = IsWindowVisible(main) != FALSE)) Sleep(20);
    DWORD took = GetTickCount() - pressed;
    EXPECT_TRUE(back) << "and comes back";
    EXPECT_GE(took, 1000u);
    EXPECT_LE(took, 6000u);
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(finish(), 0);
}

// The next topic's file held open by another program when the verse order
// reaches it: a wake-up shows the one box that says so; Quit shows none and
// the program ends. Each failure is logged.
TEST_F(Startup, ATopicHeldOpenElsewhereGivesAWakeUpOneBoxAndHoldsUpNoQuit) {
    fromDist({"help.chm"});
    lastVerseBeforeHope(root);
    setUserSetting("snoozeTime", "999");
    returningUser();
    start();
    HWND main = mainWindowReady();
    ASSERT_NE(main, nullptr);
    HeldFiles held;
    ASSERT_TRUE(held.hold(root / "TRANSLATION_King James Version\\Hope.txt"));
    clickButton(main, 0); // Sleep; snooze 999 wakes it 1.5 s later
    for (DWORD t0 = GetTickCount(); IsWindowVisible(main) && GetTickCount() - t0 < 5000;) Sleep(20);
    ASSERT_FALSE(IsWindowVisible(main));
    for (DWORD t0 = GetTickCount(); !IsWindowVisible(main) && GetTickCount() - t0 < 10000;) Sleep(20);
    ASSERT_TRUE(IsWindowVisible(main));
    EXPECT_EQ(answerBoxes(pid(), main, 1500), std::vector<std::string>{"Error Changing Subjects"});
    std::string log = readBytes(root / "error_log.txt");
    EXPECT_NE(log.find("The following error occurred trying to change subjects:"), std::string::npos) << log;
    EXPECT_NE(log.find("An error occurred in function getNewVerseIndex"), std::string::npos) << log;

    clickButton(main, 4); // Quit: the close takes the same step again
    EXPECT_EQ(finish(10000), 0) << "no box holds up the close";
    log = readBytes(root / "error_log.txt");
    size_t first = log.find("An error occurred in function getNewVerseIndex");
    EXPECT_NE(log.find("An error occurred in function getNewVerseIndex", first + 1), std::string::npos) << log;
    EXPECT_EQ(registry::getSetting("Pellanor", "UserSettings", "newVerseIndex", "none"), "3");
}

// The add-verses dialog of the running program: a verse added and saved
// becomes a topic; a save that cannot complete leaves the old file whole
// and the dialog open with the new verse.
TEST_F(Startup, AddedVerseBecomesATopicAndAFailedSaveKeepsTheFile) {
    ASSERT_GE(gArgs.size(), 2u) << "pass the program folder";
    std::string dist = fromUnixPath(gArgs[1]);
    std::string file = "TRANSLATION_King James Version\\Peace and Trust.txt";
    writeBytes(root / file, readBytes(dist + "\\" + file));
    writeBytes(root / "help.chm", readBytes(dist + "\\help.chm"));
    returningUser();
    start();
    DWORD pid = GetProcessId(process);
    HWND main = waitForWindow("Pellanor 2004", 20000, pid);
    ASSERT_NE(main, nullptr);
    HWND add = nullptr;
    for (DWORD t0 = GetTickCount(); GetTickCount() - t0 < 10000; Sleep(20))
        if ((add = GetDlgItem(main, 202)) && IsWindowEnabled(add) && IsWindowVisible(main)) break;
    ASSERT_NE(add, nullptr);
    HWND topics = GetDlgItem(main, 130); // the topic list
    ASSERT_NE(topics, nullptr);
    LRESULT topicsBefore = SendMessageA(topics, CB_GETCOUNT, 0, 0);

    auto addVerse = [&](const char* chapter, const char* text) -> HWND {
        PostMessageA(add, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        PostMessageA(add, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        HWND dlg = waitForWindow("Add Your Own Verses & Inspirational Thoughts", 10000, pid);
        if (!dlg) return nullptr;
        Sleep(300);
        SendMessageA(GetDlgItem(dlg, 1021), CB_SETCURSEL, 43, 0); // John
        SendMessageA(GetDlgItem(dlg, 1041), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(chapter));
        SendMessageA(GetDlgItem(dlg, 1042), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("16"));
        SendMessageA(GetDlgItem(dlg, 1043), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("KJV"));
        SendMessageA(GetDlgItem(dlg, 1044), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
        PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(1080, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, 1080)));
        answerBoxes(pid, dlg);
        return dlg;
    };

    HWND dlg = addVerse("3", "For God so loved the world");
    ASSERT_NE(dlg, nullptr);
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, IDOK)));
    for (DWORD t0 = GetTickCount(); IsWindow(dlg) && GetTickCount() - t0 < 10000;) Sleep(20);
    answerBoxes(pid, main);
    const std::string saved = "John\t3\t16\tKJV: For God so loved the world\r\n";
    EXPECT_EQ(readBytes(root / "Your Verses\\Your Verses.txt"), saved);
    EXPECT_EQ(SendMessageA(topics, CB_GETCOUNT, 0, 0), topicsBefore + 1) << "the new user topic is listed";

    // A verses file made read-only makes the save fail.
    SetFileAttributesA((root / "Your Verses\\Your Verses.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    dlg = addVerse("4", "God is a Spirit");
    ASSERT_NE(dlg, nullptr);
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, IDOK)));
    std::vector<std::string> captions = answerBoxes(pid, main, 1500);
    EXPECT_NE(std::find(captions.begin(), captions.end(), "Error Adding a Verse"), captions.end());
    EXPECT_EQ(readBytes(root / "Your Verses\\Your Verses.txt"), saved) << "the old file is whole";
    // The dialog stays with the new verse; with the way clear, OK saves it.
    ASSERT_TRUE(IsWindow(dlg) && IsWindowVisible(dlg)) << "the edits are kept";
    SetFileAttributesA((root / "Your Verses\\Your Verses.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, IDOK)));
    for (DWORD t0 = GetTickCount(); IsWindow(dlg) && GetTickCount() - t0 < 10000;) Sleep(20);
    answerBoxes(pid, main);
    EXPECT_EQ(readBytes(root / "Your Verses\\Your Verses.txt"), saved + "John\t4\t16\tKJV: God is a Spirit\r\n");
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(finish(), 0);
}

// A topic file with ten megabytes on one line is a damaged file: the start
// goes on with another topic at once and the line is logged.
TEST_F(Startup, AHugeLineInTheCurrentTopicIsADamagedLine) {
    fromDist({"TRANSLATION_King James Version\\Peace and Trust.txt", "help.chm"});
    writeBytes(root / "TRANSLATION_King James Version\\Long.txt",
               "Isaiah\t26\t3\t" + std::string(10u << 20, 'x') + "\r\n");
    setUserSetting("fileName", "Long.txt");
    returningUser();
    start();
    std::vector<std::string> captions = answerBoxes(pid(), nullptr, 1500);
    EXPECT_EQ(captions, (std::vector<std::string>{"Topic is Not Available", "Errors Were Identified in the Verse Files"}));
    HWND main = mainWindowReady();
    ASSERT_NE(main, nullptr) << "the start completes";
    HWND topics = GetDlgItem(main, 130);
    EXPECT_EQ(SendMessageA(topics, CB_GETCOUNT, 0, 0), 1) << "only the sound topic is listed";
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(finish(), 0);
    EXPECT_NE(readBytes(root / "error_log.txt").find("Long.txt could not be parsed.  Line 1 failed.  "),
              std::string::npos);
}

// A verse of the user's own written without a blank after the
// translation's colon: shown whole, and kept whole through the dialog.
TEST_F(Startup, AUserVerseWithoutBlankAfterTheColonKeepsItsText) {
    fromDist({"TRANSLATION_King James Version\\Peace and Trust.txt", "help.chm"});
    writeBytes(root / "Your Verses\\Your Verses.txt", "John\t11\t35\tKJV:Jesus wept\r\n");
    returningUser();
    start();
    HWND main = mainWindowReady();
    ASSERT_NE(main, nullptr);
    HWND topics = GetDlgItem(main, 130);
    LRESULT user = SendMessageA(topics, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                reinterpret_cast<LPARAM>(" Your Verses"));
    ASSERT_NE(user, CB_ERR);
    SendMessageA(topics, CB_SETCURSEL, static_cast<WPARAM>(user), 0);
    SendMessageA(main, WM_COMMAND, MAKEWPARAM(130, CBN_SELCHANGE), reinterpret_cast<LPARAM>(topics));
    HWND verse = FindWindowExA(main, nullptr, "RichEdit20A", nullptr);
    char text[256] = {};
    SendMessageA(verse, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "Jesus wept");

    clickButton(main, 2); // Add verses
    HWND dlg = waitForWindow("Add Your Own Verses & Inspirational Thoughts", 10000, pid());
    ASSERT_NE(dlg, nullptr);
    Sleep(300);
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, IDOK)));
    for (DWORD t0 = GetTickCount(); IsWindow(dlg) && GetTickCount() - t0 < 10000;) Sleep(20);
    EXPECT_FALSE(IsWindow(dlg));
    EXPECT_EQ(readBytes(root / "Your Verses\\Your Verses.txt"), "John\t11\t35\tKJV: Jesus wept\r\n")
        << "the colon gets its blank, the text keeps its first letter";
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(finish(), 0);
}

// The place saved while a second screen stood right of this one.
TEST_F(Startup, AWindowSavedOnAScreenThatIsGoneOpensOnThisOne) {
    fromDist({"TRANSLATION_King James Version\\Peace and Trust.txt", "help.chm"});
    returningUser();
    RECT screen;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &screen, 0));
    HKEY k;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Tamberly, Inc.\\Pellanor\\Settings", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &k, nullptr),
              ERROR_SUCCESS);
    auto put = [&](const char* n, long v) {
        std::string text = std::to_string(v);
        RegSetValueExA(k, n, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), static_cast<DWORD>(text.size() + 1));
    };
    put("MainLeft", (screen.right + 200) * 15);
    put("MainTop", 100 * 15);
    put("MainWidth", 620 * 15);
    put("MainHeight", 450 * 15);
    RegCloseKey(k);
    start();
    HWND main = mainWindowReady();
    ASSERT_NE(main, nullptr);
    RECT r;
    GetWindowRect(main, &r);
    RECT seen;
    EXPECT_TRUE(IntersectRect(&seen, &r, &screen) && EqualRect(&seen, &r)) << "the whole window is on the screen";
    EXPECT_EQ(r.right - r.left, 620);
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(finish(), 0);
}

} // namespace
