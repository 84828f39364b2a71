// startup_e2e_test.cpp
// Starts the real pellanor.exe in prepared program folders and watches
// what it shows and leaves behind.
#include <gtest/gtest.h>

#include "Module1.h"
#include "library_fixture.h"
#include "win_test_support.h"

using namespace testsupport;

namespace {

class Startup : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(gArgs.empty()) << "pass the path of pellanor.exe";
        clearProgramRegistry();
        exe = root / "pellanor.exe";
        ASSERT_TRUE(CopyFileA(fromUnixPath(gArgs[0]).c_str(), exe.c_str(), FALSE));
    }
    void TearDown() override {
        if (process) {
            TerminateProcess(process, 99);
            CloseHandle(process);
        }
        clearProgramRegistry();
    }
    void start() {
        process = startProgram(exe, root.path());
        ASSERT_NE(process, nullptr);
    }
    // Waits for the program to end; its exit code, or -1 on timeout.
    long finish(DWORD timeoutMs = 20000) {
        if (WaitForSingleObject(process, timeoutMs) != WAIT_OBJECT_0) return -1;
        DWORD code = 0;
        GetExitCodeProcess(process, &code);
        CloseHandle(process);
        process = nullptr;
        return static_cast<long>(code);
    }
    // Finds the program's message box by caption, returns its text and
    // presses its OK button.
    std::string answerBox(const char* caption) {
        HWND box = waitForWindow(caption, 20000, GetProcessId(process));
        if (!box) return "<no box>";
        std::string text = messageBoxText(box);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        return text;
    }

    TempDir root;
    std::string exe;
    HANDLE process = nullptr;
};

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

TEST_F(Startup, SecondCopyEndsAtOnce) {
    // Without translation folders a first copy would show a box; a second
    // copy must leave before it looks.
    HANDLE mutex = CreateMutexA(nullptr, TRUE, Module1::kInstanceMutexName);
    ASSERT_NE(mutex, nullptr);
    start();
    EXPECT_EQ(finish(10000), 0);
    CloseHandle(mutex);
    EXPECT_FALSE(exists(root / "error_log.txt"));
}

TEST_F(Startup, GoodLibraryLoadsWithoutAWord) {
    addTopic(root, "TRANSLATION_King James Version", "Peace and Trust.txt", verses(3));
    addTopic(root, "TRANSLATION_World English Bible", "Peace and Trust.txt", verses(3));
    start();
    EXPECT_EQ(finish(), 0);
    EXPECT_FALSE(exists(root / "error_log.txt"));
}

} // namespace
