// frmAddVerse_files_test.cpp
// The add-verses dialog and the user files: existing files fill the lists,
// a rejected file is set aside, a file another program holds ends the
// load, and a failing save keeps the files and the dialog.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "add_verse_fixture.h"
#include "common/win32/files.h"
#include "common/win32/handles.h"
#include "dialogs_res.h"
#include "frmAddVerse.h"

using namespace testsupport;
using namespace dialogdriver;

namespace {

TEST_F(AddVerse, ExistingFilesFillTheListsAndOKWithAnEmptyListDeletesItsFile) {
    writeBytes(versesPath(), "Psalms\t46\t10\tKJV: Be still, and know\r\n  \r\nJohn\t1\t1\tWEB: In the beginning\r\n");
    writeBytes(thoughtsPath(), "Ann\t\t\tA thought\r\n");
    open();
    EXPECT_EQ(dlg->rows(0), (Rows{{"Psalms", "46", "10", "KJV: Be still, and know"},
                                  {"John", "1", "1", "WEB: In the beginning"}}));
    EXPECT_EQ(dlg->rows(1), (Rows{{"Ann", "", "A thought"}}));
    EXPECT_TRUE(IsWindowEnabled(dlg->cmdDelete[0]));

    // Deleting the only thought disables its button; OK then removes the file.
    click(h(), IDC_AV_OPTION1);
    dlg->selectRows(1, {0});
    click(h(), IDC_AV_DELETE1);
    EXPECT_FALSE(IsWindowEnabled(dlg->cmdDelete[1]));
    lastBox();
    click(h(), IDC_AV_DELETE1 /* on an empty list: no message */);
    EXPECT_TRUE(boxes.boxes.empty());
    click(h(), IDOK);
    EXPECT_EQ(readBytes(versesPath()),
              "Psalms\t46\t10\tKJV: Be still, and know\r\nJohn\t1\t1\tWEB: In the beginning\r\n");
    EXPECT_FALSE(exists(thoughtsPath()));
}

TEST_F(AddVerse, ARejectedFileIsSetAsideNotOverwritten) {
    const std::string bad = "Psalms\t46\tBe still\r\nJohn\t3\t16\tKJV: For God\r\n";
    writeBytes(versesPath(), bad);
    open();
    ASSERT_TRUE(dlg->isOpen());
    EXPECT_TRUE(dlg->rows(0).empty());
    EXPECT_FALSE(IsWindowEnabled(dlg->cmdDelete[0]));
    ASSERT_EQ(dlg->setAside.size(), 1u);
    const std::string aside = dlg->setAside[0];
    EXPECT_EQ(aside.rfind(versesPath() + ".rejected-", 0), 0u) << aside;
    Box b = lastBox();
    EXPECT_EQ(b.caption, "Your File Has Been Set Aside");
    EXPECT_NE(b.text.find(aside), std::string::npos) << "the user is told where it went";
    // Neither the long name nor the short one matches a topic search.
    WIN32_FIND_DATAA fd;
    HANDLE found = FindFirstFileA((root / "Your Verses\\*.txt").c_str(), &fd);
    EXPECT_EQ(found, INVALID_HANDLE_VALUE) << "found " << fd.cFileName;
    if (found != INVALID_HANDLE_VALUE) FindClose(found);
    char shortName[MAX_PATH] = {};
    if (GetShortPathNameA(aside.c_str(), shortName, sizeof shortName)) {
        std::string s = shortName;
        ASSERT_GE(s.size(), 4u);
        EXPECT_NE(_stricmp(s.substr(s.size() - 4).c_str(), ".txt"), 0) << s;
    }

    verse("Mark", "1", "1", "KJV", "The beginning of the gospel");
    click(h(), IDC_AV_ADD0);
    click(h(), IDOK);
    EXPECT_EQ(readBytes(versesPath()), "Mark\t1\t1\tKJV: The beginning of the gospel\r\n");
    EXPECT_EQ(readBytes(aside), bad) << "the user's own lines survive";
}

TEST_F(AddVerse, AFileAnotherProgramHoldsEndsTheLoad) {
    writeBytes(versesPath(), "Psalms\t46\t10\tKJV: Be still\r\n");
    win32::File held(CreateFileA(versesPath().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                 OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    open();
    held.reset();
    EXPECT_FALSE(dlg->isOpen());
    Box b = lastBox();
    EXPECT_EQ(b.caption, "File Could Not Be Opened");
    EXPECT_EQ(b.text, "I am not able to open the file" + versesPath() +
                          "    \r\n\r\nThis is generally caused when the file has been opened by "
                          "another program.   \r\nPlease close the other program and try adding "
                          "verses again.   ");
    EXPECT_EQ(b.flags, static_cast<UINT>(MB_ICONSTOP));
    EXPECT_EQ(readBytes(versesPath()), "Psalms\t46\t10\tKJV: Be still\r\n");
}

// A save that cannot complete names what is in the way, leaves both files
// as they were and keeps the dialog open with the user's work; once the
// way is clear, OK saves it.
TEST_F(AddVerse, AFailingSaveKeepsTheFilesAndTheDialogWithItsEdits) {
    const std::string before = "Psalms\t46\t10\tKJV: Be still\r\n";
    const std::string thoughtsBefore = "\t\t\tOld thought\r\n";
    writeBytes(versesPath(), before);
    writeBytes(thoughtsPath(), thoughtsBefore);
    const std::string saved = before + "John\t3\t16\tKJV: For God\r\n";

    // The verses file held by another program, which lets nobody else
    // read it. A folder named as a temporary file of the save could be is
    // not in its way, nor touched: temporary files get names of their own.
    open();
    const std::string namedLikeATemporary = versesPath() + ".new";
    CreateDirectoryA(namedLikeATemporary.c_str(), nullptr);
    verse("John", "3", "16", "KJV", "For God");
    click(h(), IDC_AV_ADD0);
    lastBox();
    win32::File verses(CreateFileA(versesPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(verses);
    click(h(), IDOK);
    verses.reset();
    Box b = lastBox();
    EXPECT_EQ(b.caption, "Error Adding a Verse");
    EXPECT_NE(b.text.find("The file " + versesPath() + " could not be replaced."), std::string::npos) << b.text;
    ASSERT_TRUE(dlg->isOpen()) << "the edits are not thrown away";
    EXPECT_EQ(dlg->rows(0).size(), 2u);
    EXPECT_EQ(readBytes(versesPath()), before);
    EXPECT_EQ(readBytes(thoughtsPath()), thoughtsBefore);
    click(h(), IDOK);
    EXPECT_FALSE(dlg->isOpen());
    EXPECT_TRUE(exists(namedLikeATemporary));
    RemoveDirectoryA(namedLikeATemporary.c_str());
    EXPECT_FALSE(gDialogCancelled);
    EXPECT_EQ(readBytes(versesPath()), saved);
    EXPECT_EQ(readBytes(thoughtsPath()), thoughtsBefore);

    // A target made read-only while the dialog was open.
    open();
    SetFileAttributesA(versesPath().c_str(), FILE_ATTRIBUTE_READONLY);
    dlg->selectRows(0, {0});
    click(h(), IDC_AV_DELETE0);
    lastBox();
    click(h(), IDOK);
    b = lastBox();
    EXPECT_EQ(b.caption, "Error Adding a Verse");
    EXPECT_NE(b.text.find("The file " + versesPath() + " is read-only."), std::string::npos) << b.text;
    EXPECT_TRUE(dlg->isOpen());
    EXPECT_EQ(readBytes(versesPath()), saved);
    EXPECT_FALSE(exists(versesPath() + ".new"));
    SetFileAttributesA(versesPath().c_str(), FILE_ATTRIBUTE_NORMAL);
    click(h(), IDOK);
    EXPECT_FALSE(dlg->isOpen());
    EXPECT_EQ(readBytes(versesPath()), "John\t3\t16\tKJV: For God\r\n");

    // The second file held open by another program, so that it cannot be
    // replaced once the first is removed: the first is put back, neither
    // file changes, and no temporary file is left behind.
    open();
    dlg->selectRows(0, {0});
    click(h(), IDC_AV_DELETE0);
    lastBox();
    thought("", "", "New thought");
    dlg->optionItem_Click(1);
    click(h(), IDC_AV_ADD0);
    lastBox();
    win32::File holder(CreateFileA(thoughtsPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                   nullptr));
    ASSERT_TRUE(holder);
    click(h(), IDOK);
    holder.reset();
    b = lastBox();
    EXPECT_NE(b.text.find("The file " + thoughtsPath() + " could not be replaced."), std::string::npos) << b.text;
    EXPECT_TRUE(dlg->isOpen());
    EXPECT_EQ(readBytes(versesPath()), "John\t3\t16\tKJV: For God\r\n") << "not deleted half-way";
    EXPECT_EQ(readBytes(thoughtsPath()), thoughtsBefore);
    std::vector<std::string> left;
    for (const win32::FoundEntry& e : win32::findEntries(root / "Your Verses\\*")) left.push_back(e.name);
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"Your Inspirational Thoughts.txt", "Your Verses.txt"}))
        << "no temporary file or old copy is left";
    click(h(), IDOK);
    EXPECT_FALSE(dlg->isOpen());
    EXPECT_FALSE(exists(versesPath()));
    EXPECT_EQ(readBytes(thoughtsPath()), thoughtsBefore + "\t\t\tNew thought\r\n");
}

} // namespace
