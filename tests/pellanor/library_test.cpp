// library_test.cpp
// The verse library against real folders and the real registry.
#include <windows.h>
#include <htmlhelp.h>

#include <gtest/gtest.h>

#include <stdexcept>

#include "pellanor/win/GlobalFunctions.h"
#include "common/win32/files.h"
#include "common/win32/handles.h"
#include "pellanor/win/Module1.h"
#include "dataManipulation.h"
#include "library_fixture.h"
#include "seams.h"
#include "verse_file.h"
#include "verse_library.h"

using namespace testsupport;

namespace {

const char* const KJV = "TRANSLATION_King James Version";
const char* const WEB = "TRANSLATION_World English Bible";

class Library : public ::testing::Test {
protected:
    void SetUp() override {
        clearProgramRegistry();
        resetLibraryState();
        seams::setProgramFolder(root.path());
        seams::setHtmlHelp([this](HWND, const std::string& file, UINT cmd, DWORD_PTR data) {
            helpCalls.push_back({file, cmd, data});
            return HWND{};
        });
    }
    void TearDown() override {
        seams::setProgramFolder("");
        seams::setHtmlHelp(nullptr);
        clearProgramRegistry();
    }
    Outcome loadAll() {
        bool quiet = false;
        return dataManipulation::loadAllTranslations(nullptr, quiet);
    }
    std::string log() { return readBytes(root / "error_log.txt"); }

    struct HelpCall {
        std::string file;
        UINT command;
        DWORD_PTR data;
    };
    TempDir root;
    std::vector<HelpCall> helpCalls;
};

// Which entries are translations, and the words for none, are decided
// natively (verse_library_test); here the two ways the program cannot go
// on: no entry at all is told and logged, entries without topic files end
// it silently.
TEST_F(Library, NoTranslationEntryShowsMissingFoldersAndEmptyEntriesEndSilently) {
    {
        BoxRecorder boxes;
        EXPECT_EQ(dataManipulation::findTranslations(), Outcome::Failed);
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].caption, verse_library::kMissingFoldersCaption);
        EXPECT_EQ(boxes.boxes[0].flags, static_cast<UINT>(MB_ICONSTOP));
        EXPECT_EQ(boxes.boxes[0].text, verse_library::missingFoldersText());
        EXPECT_NE(log().find("\t" + verse_library::missingFoldersText() + "\r\n"), std::string::npos);
    }
    DeleteFileA((root / "error_log.txt").c_str());
    resetLibraryState();

    CreateDirectoryA((root / "TRANSLATION_Empty").c_str(), nullptr);
    writeBytes(root / "TRANSLATION_Empty\\readme.doc", "x");
    CreateDirectoryA((root / "TRANSLATION_Empty\\sub.txt").c_str(), nullptr);
    writeBytes(root / "TRANSLATION_file.txt", "a file, not a folder");
    BoxRecorder boxes;
    EXPECT_EQ(dataManipulation::findTranslations(), Outcome::Failed);
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(log(), "");
}

// Which translation is picked is decided natively (verse_library_test);
// here the saved one comes from the registry, and when it is gone the
// first is saved there.
TEST_F(Library, TheSavedTranslationIsReadAndTheFirstSavedWhenItIsGone) {
    addTopic(root, KJV, "Peace and Trust.txt", verses(3));
    addTopic(root, WEB, "Peace and Trust.txt", verses(3));
    setUserSetting("translation", "translation_world english BIBLE");
    ASSERT_EQ(dataManipulation::findTranslations(), Outcome::Ok);
    ASSERT_EQ(gTranslations.size(), 2u);
    EXPECT_EQ(gTranslations[static_cast<size_t>(gCurTranslation)].folder, WEB);
    EXPECT_EQ(gVerseRoot, root.path());

    setUserSetting("translation", "TRANSLATION_Gone");
    ASSERT_EQ(dataManipulation::findTranslations(), Outcome::Ok);
    EXPECT_EQ(gCurTranslation, 0);
    char buf[256];
    DWORD size = sizeof buf;
    ASSERT_EQ(RegGetValueA(HKEY_CURRENT_USER, "SOFTWARE\\Tamberly, Inc.\\Pellanor\\UserSettings",
                           "translation", RRF_RT_REG_SZ, nullptr, buf, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(buf, gTranslations[0].folder);
}

TEST_F(Library, MissingSavedTopicPicksFirstWithInformationBox) {
    addTopic(root, KJV, "Hope.txt", verses(3, "hope"));
    setUserSetting("fileName", "Gone.txt");
    setUserSetting("newVerseIndex", "2");
    ASSERT_EQ(dataManipulation::findTranslations(), Outcome::Ok);
    BoxRecorder boxes;
    ASSERT_EQ(loadAll(), Outcome::Ok);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "Topic is Not Available");
    EXPECT_EQ(boxes.boxes[0].flags, static_cast<UINT>(MB_ICONINFORMATION));
    EXPECT_EQ(gVerseIndex, 1);
    EXPECT_EQ(gTranslations[0].topics[0].currentTopic, 0);
    ASSERT_EQ(verseCountOf(gVerses), 3);
    EXPECT_EQ(gVerses[3].text, "hope verse 3");
}

TEST_F(Library, CorruptCurrentTranslationEndsWithDirectBox) {
    addTopic(root, KJV, "Bad.txt", "only\ttwo\ttabs\r\n");
    addTopic(root, KJV, "Empty.txt", "\r\n  \r\n");
    addTopic(root, WEB, "Peace and Trust.txt", verses(2));
    setUserSetting("translation", KJV);
    ASSERT_EQ(dataManipulation::findTranslations(), Outcome::Ok);
    long before = gCurTranslation;
    BoxRecorder boxes;
    EXPECT_EQ(loadAll(), Outcome::Failed);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "Verse Files are Corrupt");
    EXPECT_EQ(boxes.boxes[0].text, std::string("All of the files in the folder ") + KJV +
                                       " are corrupt.  Please remove the folder.   ");
    EXPECT_EQ(gCurTranslation, before);
    EXPECT_NE(log().find("Bad.txt could not be parsed.  Line 1 failed.  \r\n"), std::string::npos)
        << "the bad line is logged without a box";
}

TEST_F(Library, FailedFilesAreListedOnceAndHelpOpens) {
    addTopic(root, KJV, "Peace and Trust.txt", verses(2));
    addTopic(root, KJV, "Broken.txt", "a\tb\tc\td\r\nthree\tfields\tonly\r\n");
    addTopic(root, WEB, "Peace and Trust.txt", verses(2));
    writeBytes(root / "Your Verses\\Your Verses.txt", "John\t3\t16\tno colon\r\n");
    writeBytes(root / "Your Verses\\Your Inspirational Thoughts.txt",
               "Augustine\tConfessions\t\tOur heart is restless.\r\n");
    ASSERT_EQ(dataManipulation::findTranslations(), Outcome::Ok);
    gHelpFile = root / "help.chm";
    BoxRecorder boxes;
    ASSERT_EQ(loadAll(), Outcome::Ok);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "Errors Were Identified in the Verse Files");
    const std::string& t = boxes.boxes[0].text;
    EXPECT_EQ(t.find("The following files have errors."), 0u);
    std::string yv = root.path() + "\\Your Verses\\Your Verses.txt   \r\n";
    EXPECT_NE(t.find(root.path() + "\\" + KJV + "\\Broken.txt   \r\n"), std::string::npos);
    EXPECT_NE(t.find(yv), std::string::npos);
    ASSERT_EQ(helpCalls.size(), 1u);
    EXPECT_EQ(helpCalls[0].command, static_cast<UINT>(HH_HELP_CONTEXT));
    EXPECT_EQ(helpCalls[0].data, 1001u);
}

// Start-up reads a user file once per translation, and the library again
// after the add-verses dialog: a damaged file is one log entry, once.
TEST_F(Library, ADamagedFileIsOneLogEntryOncePerRun) {
    addTopic(root, KJV, "Peace and Trust.txt", verses(2));
    std::string damaged = "a\tb\tc\td\r\n";
    for (int i = 0; i < 5000; ++i) damaged += "no tabs on this line\r\n";
    addTopic(root, KJV, "Damaged.txt", damaged);
    addTopic(root, WEB, "Peace and Trust.txt", verses(2));
    writeBytes(root / "Your Verses\\Your Verses.txt", "John\t3\t16\tKJV: For God\r\nthree\tfields\tonly\r\n");
    BoxRecorder boxes;
    {
        // One file read alone, as the main window reads a topic: the
        // failure is the caller's to show, the report is the run's.
        long lines = 0, index = 1, flags = 0;
        std::string msg, cap;
        VerseArray v;
        EXPECT_EQ(dataManipulation::loadVerseFile(root / (std::string(KJV) + "\\Damaged.txt"), lines, nullptr, index,
                                                  msg, cap, flags, v),
                  Outcome::Failed);
        EXPECT_EQ(cap, "Error: File Could Not Be Opened");
        EXPECT_TRUE(boxes.boxes.empty());
        EXPECT_FALSE(gErrorShown);
    }
    ASSERT_EQ(dataManipulation::findTranslations(), Outcome::Ok);
    ASSERT_EQ(loadAll(), Outcome::Ok);
    const std::string expected =
        "The file " + root.path() + "\\" + KJV +
        "\\Damaged.txt could not be parsed.  Line 2 failed, the first of 5000 lines that failed.  \r\n";
    const std::string user =
        "The file " + root.path() + "\\Your Verses\\Your Verses.txt could not be parsed.  Line 2 failed.  \r\n";
    std::string l = log();
    size_t reports = 0;
    for (size_t at = l.find("could not be parsed"); at != std::string::npos; at = l.find("could not be parsed", at + 1))
        ++reports;
    EXPECT_EQ(reports, 2u) << l.substr(0, 2000);
    EXPECT_NE(l.find(expected), std::string::npos);
    EXPECT_NE(l.find(user), std::string::npos);
    ASSERT_EQ(boxes.boxes.size(), 1u) << "the files are still listed";
    bool quiet = true;
    ASSERT_EQ(dataManipulation::loadAllTranslations(nullptr, quiet), Outcome::Ok);
    EXPECT_EQ(log(), l) << "read again in the same run, nothing new is logged";
}

// A file another program holds open is intact: the user is told to close
// that program, never that the file is damaged and must be deleted.
TEST_F(Library, AFileHeldOpenElsewhereIsNotCalledDamaged) {
    addTopic(root, KJV, "Peace and Trust.txt", verses(2));
    addTopic(root, WEB, "Peace and Trust.txt", verses(2));
    const std::string yv = root / "Your Verses\\Your Verses.txt";
    writeBytes(yv, "John\t3\t16\tKJV: For God\r\n");
    HeldFiles held;
    ASSERT_TRUE(held.hold(yv));
    ASSERT_EQ(dataManipulation::findTranslations(), Outcome::Ok);
    gHelpFile = root / "help.chm";
    BoxRecorder boxes;
    ASSERT_EQ(loadAll(), Outcome::Ok);
    const std::string heldText = verse_file::openFailureText(yv) + "\r\n";
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "Error: File Could Not Be Opened");
    EXPECT_EQ(boxes.boxes[0].text, heldText) << "listed once, in the reader's words";
    EXPECT_TRUE(helpCalls.empty()) << "the file format is not the matter";

    // Beside a damaged file: the damaged one under the repair advice, the
    // held one after it and not among them.
    addTopic(root, KJV, "Broken.txt", "three\tfields\tonly\r\n");
    resetLibraryState();
    ASSERT_EQ(dataManipulation::findTranslations(), Outcome::Ok);
    gHelpFile = root / "help.chm";
    boxes.boxes.clear();
    ASSERT_EQ(loadAll(), Outcome::Ok);
    held.release();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "Errors Were Identified in the Verse Files");
    const std::string& t = boxes.boxes[0].text;
    const std::string broken = root.path() + "\\" + KJV + "\\Broken.txt   \r\n";
    EXPECT_EQ(t.find("The following files have errors."), 0u);
    ASSERT_NE(t.find(broken), std::string::npos);
    EXPECT_EQ(t.substr(t.find(broken) + broken.size()), "\r\n" + heldText);
    EXPECT_EQ(helpCalls.size(), 1u);
}

// Every topic of the current translation held open by another program: the
// files are intact, so the user is told to close that program (and it is
// logged), never that the folder is corrupt and must be removed. A damaged
// file beside the held ones does not make the folder corrupt either.
TEST_F(Library, ATranslationHeldOpenElsewhereIsNotCalledCorrupt) {
    addTopic(root, KJV, "Hope.txt", verses(2));
    addTopic(root, KJV, "Peace and Trust.txt", verses(2));
    addTopic(root, WEB, "Peace and Trust.txt", verses(2));
    setUserSetting("translation", KJV);
    HeldFiles held;
    for (const char* name : {"Hope.txt", "Peace and Trust.txt"})
        ASSERT_TRUE(held.hold(root / (std::string(KJV) + "\\" + name)));
    const std::string heldText = std::string("The files in the folder ") + KJV +
                                 " could not be opened.  \r\nThis is usually caused by another program having "
                                 "the files open already.  Please close the other program and re-start this one.  ";
    auto expectHeldBox = [&](const BoxRecorder& boxes) {
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].caption, "Error: File Could Not Be Opened");
        EXPECT_EQ(boxes.boxes[0].text, heldText);
        EXPECT_EQ(boxes.boxes[0].flags, static_cast<UINT>(MB_ICONSTOP));
        EXPECT_NE(log().find("\t" + heldText + "\r\n"), std::string::npos) << log();
        EXPECT_EQ(log().find("corrupt"), std::string::npos);
    };
    ASSERT_EQ(dataManipulation::findTranslations(), Outcome::Ok);
    {
        BoxRecorder boxes;
        EXPECT_EQ(loadAll(), Outcome::Failed) << "no topic to show: the program ends";
        expectHeldBox(boxes);
    }

    addTopic(root, KJV, "Broken.txt", "three\tfields\tonly\r\n");
    DeleteFileA((root / "error_log.txt").c_str());
    resetLibraryState();
    ASSERT_EQ(dataManipulation::findTranslations(), Outcome::Ok);
    {
        BoxRecorder boxes;
        EXPECT_EQ(loadAll(), Outcome::Failed);
        held.release();
        expectHeldBox(boxes);
    }
}

// The load's refusal is tested natively (verse_library_test); here both
// entry points fail, and the one box names the routine.
TEST_F(Library, BadCurrentTranslationIndexFailsInsteadOfReading) {
    addTopic(root, KJV, "Peace and Trust.txt", verses(2));
    ASSERT_EQ(dataManipulation::findTranslations(), Outcome::Ok);
    gCurTranslation = 5;
    BoxRecorder boxes;
    EXPECT_EQ(loadAll(), Outcome::Failed);
    TopicList topics;
    long index = 1, failed = 0;
    std::vector<std::string> failedFiles, unopenedFiles;
    VerseArray first;
    EXPECT_EQ(dataManipulation::getFileListing(nullptr, topics, index, failedFiles, failed, true, first,
                                                unopenedFiles), Outcome::Failed);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "An error occurred in function getFileListing");
}

TEST_F(Library, ShowMessageShowsFirstBoxAndLogsBoth) {
    gVerseRoot = root.path();
    BoxRecorder boxes(IDRETRY);
    EXPECT_EQ(dataManipulation::showMessage(nullptr, "first", "A", MB_OK), IDRETRY);
    EXPECT_EQ(dataManipulation::showMessage(nullptr, "second", "B", MB_OK), 0);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    std::string l = log();
    // date TAB time TAB text CR LF, twice
    size_t firstEnd = l.find("\r\n");
    ASSERT_NE(firstEnd, std::string::npos);
    std::string line = l.substr(0, firstEnd);
    size_t t1 = line.find('\t'), t2 = line.find('\t', t1 + 1);
    ASSERT_NE(t2, std::string::npos);
    EXPECT_GT(t1, 0u);
    EXPECT_GT(t2, t1 + 1);
    EXPECT_EQ(line.substr(t2 + 1), "first");
    EXPECT_EQ(l.substr(firstEnd + 2).substr(l.substr(firstEnd + 2).rfind('\t') + 1), "second\r\n");
}

TEST_F(Library, UnwritableLogTurnsLoggingOffButKeepsTheAnswer) {
    gVerseRoot = root.path();
    // A folder where the log file should be makes every append fail.
    CreateDirectoryA((root / "error_log.txt").c_str(), nullptr);
    BoxRecorder boxes(IDYES);
    EXPECT_EQ(dataManipulation::showMessage(nullptr, "asked", "Q", MB_YESNO), IDYES)
        << "the answer of a box the user saw stands";
    EXPECT_TRUE(gNoErrorLog);
    gNoErrorLog = false;
    EXPECT_EQ(dataManipulation::showMessage(nullptr, "no box", "Q", MB_OK), -1);
    EXPECT_TRUE(gNoErrorLog);
    EXPECT_EQ(dataManipulation::showMessage(nullptr, "later", "Q", MB_OK), 0) << "logging stays off";
    EXPECT_EQ(boxes.boxes.size(), 1u);
}

TEST_F(Library, FailedRoutineIsReportedOnceWithItsNameAndPutBack) {
    gVerseRoot = root.path();
    BoxRecorder boxes;
    int putBack = 0;
    EXPECT_EQ(userAction::run({nullptr, "quiet_routine", dataManipulation::kErrorCaption, MB_ICONINFORMATION},
                              [] {}, [&] { ++putBack; }),
              Outcome::Ok);
    EXPECT_TRUE(boxes.boxes.empty()) << "a body that ends normally reports nothing";
    EXPECT_EQ(putBack, 0);

    EXPECT_EQ(userAction::run({nullptr, "failing_routine", dataManipulation::kStopCaption, MB_ICONSTOP},
        [] { throw std::runtime_error("x"); }, [&] { ++putBack; throw 1; }), Outcome::Failed);
    EXPECT_EQ(putBack, 1) << "what the handler puts back runs before the report";
    ASSERT_EQ(boxes.boxes.size(), 1u) << "a failing put-back does not hide the report";
    EXPECT_EQ(boxes.boxes[0].text, "An error occurred in function failing_routine");
    EXPECT_EQ(boxes.boxes[0].caption, "Program Error Occurred.... ");
    EXPECT_EQ(boxes.boxes[0].flags, static_cast<UINT>(MB_ICONSTOP));

    // Later failures in the same user action are logged, not shown again.
    EXPECT_EQ(dataManipulation::showMessage(nullptr, action_rule::failureText("second_routine"),
                                            dataManipulation::kErrorCaption, MB_ICONINFORMATION), 0);
    EXPECT_EQ(boxes.boxes.size(), 1u);
    std::string l = log();
    EXPECT_NE(l.find("\tAn error occurred in function failing_routine\r\n"), std::string::npos);
    EXPECT_NE(l.find("\tAn error occurred in function second_routine\r\n"), std::string::npos);
}

// One box per user action: an action run inside another joins it; a modal
// form or a tick starts a level of its own and gives the interrupted
// action back its state; the user's answer lets the next box show.
TEST_F(Library, NestedActionsShowOneBoxAndLevelsStandAlone) {
    gVerseRoot = root.path();
    BoxRecorder boxes;
    using dataManipulation::kErrorCaption;
    auto failing = [](const char* routine) {
        return [routine] {
            (void)userAction::run({nullptr, routine, kErrorCaption, MB_OK}, [] { throw 1; });
        };
    };
    (void)userAction::run({nullptr, "outer", kErrorCaption, MB_OK}, [&] {
        failing("inner")();
        EXPECT_EQ(boxes.boxes.size(), 1u) << "the inner action's failure is the action's box";
        failing("second inner")();
        EXPECT_EQ(boxes.boxes.size(), 1u) << "a nested action clears nothing";
        {
            action_rule::ActionRule::Level modal(gActionRule);
            failing("in the modal form")();
            EXPECT_EQ(boxes.boxes.size(), 2u) << "an action of a new level shows its own box";
        }
        EXPECT_TRUE(gErrorShown) << "the interrupted action goes on as it was";
        gActionRule.answered();
        failing("after the answer")();
        EXPECT_EQ(boxes.boxes.size(), 3u);
        throw 2;
    });
    ASSERT_EQ(boxes.boxes.size(), 3u) << "the outer failure is only logged";
    EXPECT_EQ(boxes.boxes[0].text, "An error occurred in function inner");
    EXPECT_EQ(boxes.boxes[1].text, "An error occurred in function in the modal form");
    EXPECT_NE(log().find("\tAn error occurred in function outer\r\n"), std::string::npos);
    failing("next action")();
    EXPECT_EQ(boxes.boxes.size(), 4u) << "the next action shows its box";
}

TEST_F(Library, SmallFileRoutines) {
    std::string deep = root / "a\\b c\\d\\file.txt";
    EXPECT_EQ(GlobalFunctions::makePath(deep), Outcome::Ok);
    EXPECT_TRUE(exists(root / "a\\b c\\d"));
    EXPECT_FALSE(exists(deep)) << "the file name is dropped";
    EXPECT_EQ(GlobalFunctions::makePath(root / "x\\y\\"), Outcome::Ok);
    EXPECT_TRUE(exists(root / "x\\y"));

    // A whole-file write goes through a temporary file, and a read-only
    // target is left alone.
    std::string owned = root / "owned.txt";
    EXPECT_TRUE(win32::replaceFiles({{owned, "first\r\n"}}));
    EXPECT_TRUE(win32::replaceFiles({{owned, "second\r\n"}}));
    EXPECT_EQ(readBytes(owned), "second\r\n");
    EXPECT_FALSE(exists(owned + ".new"));
    SetFileAttributesA(owned.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(win32::replaceFiles({{owned, "third\r\n"}}));
    SetFileAttributesA(owned.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(readBytes(owned), "second\r\n");
    // The system's words for an error go into a sentence: no line end, and
    // a code the system has no words for is named.
    EXPECT_EQ(win32::systemErrorText(0x2000FFFF), "Windows error 536936447.");
    EXPECT_NE(win32::systemErrorText(ERROR_ACCESS_DENIED).back(), '\n');

    writeBytes(root / "gone.txt", "x");
    EXPECT_EQ(GlobalFunctions::deleteFile(root / "gone.txt"), Outcome::Ok);
    EXPECT_EQ(GlobalFunctions::deleteFile(root / "gone.txt"), Outcome::Failed) << "a missing file is not deleted";

    gErrorShown = false;
    EXPECT_FALSE(GlobalFunctions::testForControlCodes("Psalm 23: The LORD & me", nullptr));
    EXPECT_TRUE(gErrorShown) << "the test silences the caller's next box";
    EXPECT_TRUE(GlobalFunctions::testForControlCodes("{x}", nullptr));
    EXPECT_TRUE(GlobalFunctions::testForControlCodes("line\r\nbreak", nullptr));
}

TEST_F(Library, RunVerifyStartsItFromTheProgramFolder) {
    std::vector<std::pair<std::string, int>> started;
    seams::setStartProcess([&](const std::string& cmd, int show) {
        started.push_back({cmd, show});
        return true;
    });
    GlobalFunctions::runVerify();
    seams::setStartProcess(nullptr);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].first, "\"" + root.path() + "\\verify.exe\"");
    EXPECT_EQ(started[0].second, SW_SHOWNORMAL);
}

} // namespace
