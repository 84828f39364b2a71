// frmMain_test.cpp
// The main window, hidden, over prepared program folders and the real
// registry: start-up and shutdown, the verse box, navigation, each shown
// through the window; the rules they follow are tested natively
// (verse_navigation_test, verse_display_test, main_layout_test).
#include "main_window_fixture.h"

#include <cstring>
#include <optional>

#include "main_layout.h"

using namespace testsupport;

namespace {

TEST_F(MainWindow, MissingHelpFileClosesAndSavesNothing) {
    standardLibrary();
    DeleteFileA((root / "help.chm").c_str());
    BoxRecorder boxes;
    start();
    EXPECT_FALSE(form->isOpen());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "Help File is Missing");
    EXPECT_EQ(boxes.boxes[0].text,
              "The help file is missing.  This indicates that the program installation has become corrupt.   "
              "\r\nPlease re-install the program in the Windows Control Panel.   ");
    EXPECT_EQ(userSetting("repeatCounter"), "<missing>");
    EXPECT_EQ(userSetting("newVerseIndex"), "<missing>");
    EXPECT_TRUE(started.empty()) << "a missing help file does not start verify";
    ASSERT_FALSE(help.empty());
    EXPECT_EQ(help.back().command, static_cast<UINT>(HH_CLOSE_ALL));
}

TEST_F(MainWindow, EveryStoredVerseSizeShowsExactlyOneReference) {
    standardLibrary();
    for (long size = 8; size <= 14; ++size) {
        setUserSetting("verseFontSize", std::to_string(size));
        start();
        int shown = 0;
        for (HWND box : form->txtLocation)
            if (GetWindowLongA(box, GWL_STYLE) & WS_VISIBLE) {
                ++shown;
                char text[64] = {};
                GetWindowTextA(box, text, sizeof text);
                EXPECT_NE(text[0], '\0') << size;
            }
        EXPECT_EQ(shown, 1) << "size " << size;
        form.reset();
        gMainForm = nullptr;
        MSG quit;
        while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
}

TEST_F(MainWindow, TwoTranslationsWithNamesEmphasised) {
    standardLibrary();
    BoxRecorder boxes;
    start();
    ASSERT_TRUE(form->isOpen());
    EXPECT_TRUE(form->formLoaded);
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(form->verseBoxText(),
              "King James Version\r\nThou wilt keep him in perfect peace\r\n\r\n"
              "World English Bible\r\nYou will keep whoever's mind is steadfast\r\n\r\n");
    auto runs = boldRuns();
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runText(runs[0]), "King James Version");
    EXPECT_EQ(runText(runs[1]), "World English Bible");
    for (int i = 0; i < 3; ++i) EXPECT_EQ(form->locationText(i), "Isaiah 26:3");
    EXPECT_EQ(form->panelText(2), "Verse 1 of 3");
    EXPECT_EQ(form->panelText(3), "King James Version");
    EXPECT_EQ(form->panelText(4), "Sleep time: 15 min");
    char caption[64];
    GetWindowTextA(form->hwnd(), caption, sizeof caption);
    EXPECT_STREQ(caption, "Pellanor 2004");
}

// The saved topic is gone from the shown translation, from all of them or
// still in another: the topic chosen instead shows in parallel too.
TEST_F(MainWindow, TheTopicChosenForAMissingOneShowsInParallel) {
    addTopic(root, KJV, "Peace and Trust.txt", topicText({"Isaiah\t26\t3\tThou wilt keep him in perfect peace"}));
    addTopic(root, WEB, "Peace and Trust.txt", topicText({"Isaiah\t26\t3\tYou will keep whoever's mind is steadfast"}));
    addTopic(root, WEB, "Hope.txt", topicText({"Isaiah\t26\t3\tA verse of another topic"}));
    for (const char* saved : {"Gone.txt", "Hope.txt"}) {
        setUserSetting("fileName", saved);
        BoxRecorder boxes;
        start();
        ASSERT_TRUE(form->formLoaded);
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].caption, "Topic is Not Available");
        EXPECT_EQ(form->verseBoxText(),
                  "King James Version\r\nThou wilt keep him in perfect peace\r\n\r\n"
                  "World English Bible\r\nYou will keep whoever's mind is steadfast\r\n\r\n")
            << saved;
        ShowWindow(form->hwnd(), SW_HIDE);
        form.reset();
        gMainForm = nullptr;
        MSG quit;
        while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
}

TEST_F(MainWindow, StepsWrapWithinTheTopic) {
    standardLibrary();
    start();
    ASSERT_EQ(form->prevVerse(), Outcome::Ok);
    EXPECT_EQ(gVerseIndex, 3) << "previous on the first verse shows the last";
    ASSERT_EQ(form->nextVerse(), Outcome::Ok);
    EXPECT_EQ(gVerseIndex, 1) << "next on the last verse shows the first";
    EXPECT_EQ(form->panelText(2), "Verse 1 of 3");
    EXPECT_EQ(form->lRepeatCtr[0], 1);
}

TEST_F(MainWindow, UnreadableTopicLeavesEverythingAsItWas) {
    standardLibrary();
    start();
    long hope = -1;
    for (size_t i = 0; i < gTopics.size(); ++i)
        if (gTopics[i].fileName == "Hope.txt") hope = static_cast<long>(i);
    writeBytes(root / (std::string(KJV) + "\\Hope.txt"), "broken line\r\n");
    std::string before = form->verseBoxText();
    long shown = gTopics[0].currentTopic;
    BoxRecorder boxes;
    EXPECT_EQ(form->changeTopics(hope), Outcome::Failed);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "Error Changing Subjects");
    EXPECT_EQ(boxes.boxes[0].flags, static_cast<UINT>(MB_ICONINFORMATION));
    EXPECT_EQ(boxes.boxes[0].text.find("The following error occurred trying to change subjects:\r\n\r\nThe file "), 0u);
    EXPECT_NE(boxes.boxes[0].text.find("\r\n\r\nThe subject will NOT be changed"), std::string::npos);
    EXPECT_EQ(gTopics[0].currentTopic, shown);
    EXPECT_EQ(SendMessageA(form->ComboTopics, CB_GETCURSEL, 0, 0), shown);
    EXPECT_EQ(form->verseBoxText(), before);

    DeleteFileA((root / (std::string(WEB) + "\\Peace and Trust.txt")).c_str());
    boxes.boxes.clear();
    EXPECT_EQ(form->changeTranslations(1), Outcome::Ok);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "Error Changing Translations");
    EXPECT_EQ(gCurTranslation, 0);
    EXPECT_EQ(SendMessageA(form->comboTranslations, CB_GETCURSEL, 0, 0), 0);
}

TEST_F(MainWindow, BadIndexesTakeTheFailurePath) {
    standardLibrary();
    start();
    BoxRecorder boxes;
    long bad = 99;
    EXPECT_EQ(form->changeTopics(bad), Outcome::Failed);
    EXPECT_EQ(form->changeTranslations(-1), Outcome::Failed);
    gVerseIndex = 42;
    EXPECT_EQ(form->displayVerses(), Outcome::Failed);
    ASSERT_EQ(boxes.boxes.size(), 3u);
    EXPECT_EQ(boxes.boxes[0].text, "An error occurred in function changeTopics");
    EXPECT_EQ(boxes.boxes[0].caption, "Program Error Occurred.... ");
    EXPECT_TRUE(IsWindowVisible(form->RichTxtVerse) || !IsWindowVisible(form->hwnd()))
        << "the verse box comes back after a failure";
}

TEST_F(MainWindow, CloseSavesAndNextStartShowsNextVerse) {
    standardLibrary();
    setUserSetting("lRepeatCtr(0)", "2");
    setUserSetting("repeatCounter", "3");
    start();
    ASSERT_TRUE(form->formLoaded);
    form->closeNow();
    EXPECT_FALSE(form->isOpen());
    EXPECT_EQ(userSetting("newVerseIndex"), "1") << "a count of 2 keeps the verse";
    EXPECT_EQ(userSetting("lRepeatCtr(0)"), "1");
    EXPECT_EQ(userSetting("repeatCounter"), "3");
    EXPECT_EQ(userSetting("fileName"), "Peace and Trust.txt");
    EXPECT_EQ(userSetting("translation"), KJV);
    EXPECT_EQ(userSetting("filePath"), root.path());
    EXPECT_EQ(userSetting("First Time Run"), "False");
    EXPECT_EQ(userSetting("parallelTranslation"), "True");
    EXPECT_EQ(help.back().command, static_cast<UINT>(HH_CLOSE_ALL));

    // The second start counts the last showing and moves on.
    resetLibraryState();
    start();
    EXPECT_EQ(gVerseIndex, 1);
    form->closeNow();
    EXPECT_EQ(userSetting("newVerseIndex"), "2");
    EXPECT_EQ(userSetting("lRepeatCtr(0)"), "3") << "reset to the repeat count";
    resetLibraryState();
    start();
    EXPECT_EQ(form->panelText(2), "Verse 2 of 3");
}

TEST_F(MainWindow, WindowPlace) {
    standardLibrary();
    HKEY k;
    RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Tamberly, Inc.\\Pellanor\\Settings", 0, nullptr, 0,
                    KEY_ALL_ACCESS, nullptr, &k, nullptr);
    auto put = [&](const char* n, const char* v) {
        RegSetValueExA(k, n, 0, REG_SZ, reinterpret_cast<const BYTE*>(v), static_cast<DWORD>(strlen(v) + 1));
    };
    put("MainLeft", "0");
    put("MainTop", "3000");
    start();
    RECT designed;
    GetWindowRect(form->hwnd(), &designed);
    EXPECT_NE(designed.top, 200) << "MainLeft 0 keeps the designed place";
    form->closeNow();

    put("MainLeft", "1500");
    put("MainTop", "1200");
    put("MainWidth", "9000");
    put("MainHeight", "6000");
    resetLibraryState();
    start();
    RECT r;
    GetWindowRect(form->hwnd(), &r);
    const std::optional<main_layout::Rect> saved =
        main_layout::savedPlace(1500, 1200, 9000, 6000, ui::twipsPerPixelX(), ui::twipsPerPixelY());
    ASSERT_TRUE(saved);
    EXPECT_EQ(r.left, saved->left);
    EXPECT_EQ(r.top, saved->top);
    EXPECT_EQ(r.right - r.left, saved->width);
    EXPECT_EQ(r.bottom - r.top, saved->height);
    // A minimised close leaves the saved place alone.
    ShowWindow(form->hwnd(), SW_MINIMIZE);
    form->closeNow();
    char buf[32];
    DWORD size = sizeof buf;
    RegQueryValueExA(k, "MainLeft", nullptr, nullptr, reinterpret_cast<BYTE*>(buf), &size);
    EXPECT_STREQ(buf, "1500");
    RegCloseKey(k);
}

// A place saved on a screen that is no longer there comes where the rule
// brings it (main_layout_test); one partly on the screen stays.
TEST_F(MainWindow, WindowPlaceOffEveryScreenComesOntoTheNearest) {
    standardLibrary();
    RECT screen;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &screen, 0));
    const int tx = ui::twipsPerPixelX(), ty = ui::twipsPerPixelY();
    auto put = [](const char* n, long v) {
        registry::saveSetting("Pellanor", "Settings", n, std::to_string(v));
    };
    // Right of the only screen, as a removed second monitor leaves it.
    put("MainLeft", (screen.right + 300) * tx);
    put("MainTop", 150 * ty);
    put("MainWidth", 600 * tx);
    put("MainHeight", 400 * ty);
    start();
    RECT r;
    GetWindowRect(form->hwnd(), &r);
    const main_layout::Rect onto = main_layout::ontoScreen(
        {screen.right + 300, 150, 600, 400},
        {screen.left, screen.top, screen.right - screen.left, screen.bottom - screen.top});
    EXPECT_EQ(r.left, onto.left) << "where the rule brings it";
    EXPECT_EQ(r.top, onto.top);
    EXPECT_EQ(r.right - r.left, onto.width);
    EXPECT_EQ(r.bottom - r.top, onto.height);
    form->closeNow();

    // A place partly on the screen is the user's choice and stays.
    put("MainLeft", (screen.right - 100) * tx);
    put("MainTop", 150 * ty);
    put("MainWidth", 600 * tx);
    resetLibraryState();
    start();
    GetWindowRect(form->hwnd(), &r);
    EXPECT_EQ(r.left, screen.right - 100);
}

TEST_F(MainWindow, FailedFirstVerseStartsVerify) {
    standardLibrary();
    start();
    form->closeNow();
    // A saved index the topic file no longer has once the load reads it.
    resetLibraryState();
    ASSERT_EQ(dataManipulation::findTranslations(), Outcome::Ok);
    bool quiet = false;
    ASSERT_EQ(dataManipulation::loadAllTranslations(nullptr, quiet), Outcome::Ok);
    gVerseIndex = 50;
    form = std::make_unique<frmMain>();
    ASSERT_TRUE(form->create());
    BoxRecorder boxes;
    started.clear();
    form->Form_Load();
    EXPECT_FALSE(form->isOpen());
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0], "\"" + root.path() + "\\verify.exe\"");
}

} // namespace

TEST_F(MainWindow, AccountNameIsLookedUpWhenFirstWanted) {
    standardLibrary();
    gWindowsUser.clear();
    start();
    ASSERT_TRUE(form->formLoaded);
    EXPECT_TRUE(gWindowsUser.empty()) << "the load does not wait for the account look-up";

    char plain[256] = {};
    DWORD size = sizeof plain;
    ASSERT_TRUE(GetUserNameA(plain, &size));
    const std::string name = Module1::windowsUser();
    ASSERT_GE(name.size(), std::strlen(plain));
    EXPECT_EQ(name.substr(name.size() - std::strlen(plain)), plain) << name;
    EXPECT_EQ(gWindowsUser, name);

    // A name already known (the one a logon accepted) is kept.
    gWindowsUser = "OFFICE\\mary";
    EXPECT_EQ(Module1::windowsUser(), "OFFICE\\mary");
    gWindowsUser.clear();
}
