// frmAddVerse_test.cpp
// The add-verses dialog, hidden: what it shows, add, update, delete and
// sort and what OK writes, how the field rules' refusals reach the user,
// Cancel and the close box, pasting, and its opener.
#include <windows.h>
#include <commctrl.h>
#include <htmlhelp.h>

#include <gtest/gtest.h>

#include <memory>

#include "add_verse_fixture.h"
#include "dialog_driver.h"
#include "dialogs_res.h"
#include "frmAddVerse.h"
#include "layout_checks.h"

using namespace testsupport;
using namespace dialogdriver;

namespace {

TEST_F(AddVerse, OpensEmptyWithoutCreatingFiles) {
    open();
    ASSERT_TRUE(dlg->isOpen());
    EXPECT_EQ(text(h()), "Add Your Own Verses & Inspirational Thoughts");
    EXPECT_TRUE(dlg->rows(0).empty());
    EXPECT_TRUE(dlg->rows(1).empty());
    EXPECT_FALSE(IsWindowEnabled(dlg->cmdDelete[0]));
    EXPECT_FALSE(IsWindowEnabled(dlg->cmdDelete[1]));
    EXPECT_FALSE(IsWindowEnabled(dlg->cmdAdd[1]));
    EXPECT_TRUE(exists(root / "Your Verses"));
    EXPECT_FALSE(exists(versesPath()));
    EXPECT_FALSE(exists(thoughtsPath()));
    EXPECT_TRUE(boxes.boxes.empty());

    ASSERT_EQ(SendMessageA(dlg->comboVerse, CB_GETCOUNT, 0, 0), 67);
    char item[64];
    SendMessageA(dlg->comboVerse, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(item));
    EXPECT_STREQ(item, "Select a Book");
    SendMessageA(dlg->comboVerse, CB_GETLBTEXT, 22, reinterpret_cast<LPARAM>(item));
    EXPECT_STREQ(item, "The Song of Solomon");
    SendMessageA(dlg->comboVerse, CB_GETLBTEXT, 66, reinterpret_cast<LPARAM>(item));
    EXPECT_STREQ(item, "Revelation");
    EXPECT_EQ(text(dlg->comboVerse), "Select a Book");
    EXPECT_EQ(text(dlg->txtVerse[1]), "chapter");
    EXPECT_EQ(text(dlg->txtThought[0]), "Please delete if unused");
    EXPECT_EQ(text(dlg->txtInstructions).rfind("INSTRUCTIONS: \r\n1. Choose whether this is a "
                                               "Scripture Verse or Inspirational Thought.\r\n2. ", 0),
              0u);
    EXPECT_EQ(GetFocus(), dlg->comboVerse);

    click(h(), IDC_AV_HELP);
    ASSERT_EQ(help.size(), 1u);
    EXPECT_EQ(help[0].owner, nullptr);
    EXPECT_EQ(help[0].file, gHelpFile);
    EXPECT_EQ(help[0].command, static_cast<UINT>(HH_HELP_CONTEXT));
    EXPECT_EQ(help[0].data, 1002u);
}

TEST_F(AddVerse, EveryFieldLabelShowsWholeInItsFrame) {
    open();
    const int verseLabels[] = {IDC_AV_LBLVERSE0, IDC_AV_LBLVERSE1, IDC_AV_LBLVERSE2, IDC_AV_LBLVERSE3};
    const int thoughtLabels[] = {IDC_AV_LBLVERSE7, IDC_AV_LBLVERSE6};
    auto check = [&](const int* ids, size_t n, HWND frame) {
        for (size_t i = 0; i < n; ++i) {
            HWND label = GetDlgItem(h(), ids[i]);
            EXPECT_LE(layoutchecks::textHeightNeeded(label), layoutchecks::clientHeight(label))
                << text(label) << ": on one line";
            EXPECT_TRUE(layoutchecks::inside(label, frame)) << text(label);
            if (i > 0) {
                EXPECT_FALSE(layoutchecks::overlap(label, GetDlgItem(h(), ids[i - 1]))) << text(label);
            }
        }
    };
    check(verseLabels, 4, dlg->frameVerse);
    check(thoughtLabels, 2, dlg->frameThought);
}

// The dialog's buttons, row clicks and header reach its lists (verse_lists,
// whose decisions are tested natively), and OK writes what they show.
TEST_F(AddVerse, AddUpdateDeleteSortThenOKWritesBothFilesInListOrder) {
    open();
    verse("John", "3", "16", "KJV", "For God so loved the world");
    click(h(), IDC_AV_ADD0);
    Box b = lastBox();
    EXPECT_EQ(b.text, "Verse Successfully Added");
    EXPECT_EQ(b.caption, "Success");
    EXPECT_EQ(b.flags, static_cast<UINT>(MB_ICONINFORMATION));
    EXPECT_FALSE(gDialogCancelled);
    EXPECT_TRUE(IsWindowEnabled(dlg->cmdDelete[0]));
    verse("Genesis", "1", "1", "WEB", "In the beginning");
    click(h(), IDC_AV_ADD0);
    verse("Amos", "5", "24", "KJV", "Let judgment run down");
    click(h(), IDC_AV_ADD0);
    lastBox();

    // Copy row 1 back, change it, update it.
    dlg->selectRows(0, {1});
    dlg->lvAdded_ItemClick(0, 1);
    EXPECT_EQ(text(dlg->comboVerse), "Genesis");
    EXPECT_EQ(text(dlg->txtVerse[3]), "WEB");
    EXPECT_EQ(text(dlg->txtVerse[4]), "In the beginning");
    EXPECT_TRUE(IsWindowEnabled(dlg->cmdAdd[1]));
    setText(dlg->txtVerse[4], "In the beginning God created");
    click(h(), IDC_AV_ADD1);
    EXPECT_TRUE(boxes.boxes.empty()) << "an update shows no box";

    // Delete the first row.
    dlg->selectRows(0, {0});
    click(h(), IDC_AV_DELETE0);
    b = lastBox();
    EXPECT_EQ(b.text, "1 selected item(s) were successfully deleted.   ");
    EXPECT_EQ(b.caption, "Items Were Deleted");

    // Sort by book through the header, as a click sends it.
    NMLISTVIEW header{};
    header.hdr.hwndFrom = dlg->lvAdded[0];
    header.hdr.idFrom = IDC_AV_LVADDED0;
    header.hdr.code = LVN_COLUMNCLICK;
    header.iItem = -1;
    header.iSubItem = 0;
    SendMessageA(h(), WM_NOTIFY, IDC_AV_LVADDED0, reinterpret_cast<LPARAM>(&header));
    EXPECT_EQ(dlg->rows(0), (Rows{{"Amos", "5", "24", "KJV: Let judgment run down"},
                                  {"Genesis", "1", "1", "WEB: In the beginning God created"}}));

    // Thoughts: one with author and date emptied, one with both.
    click(h(), IDC_AV_OPTION1);
    EXPECT_FALSE(IsWindowVisible(dlg->lvAdded[0]) && IsWindowVisible(dlg->lvAdded[1]));
    thought("", "", "Be still");
    click(h(), IDC_AV_ADD0);
    EXPECT_EQ(lastBox().text, "Inspirational Thought Successfully Added");
    thought("Ann Lee", "p. 4", "Hope does not disappoint");
    click(h(), IDC_AV_ADD0);

    click(h(), IDOK);
    EXPECT_FALSE(dlg->isOpen());
    EXPECT_FALSE(gDialogCancelled);
    EXPECT_EQ(readBytes(versesPath()),
              "Amos\t5\t24\tKJV: Let judgment run down\r\n"
              "Genesis\t1\t1\tWEB: In the beginning God created\r\n");
    EXPECT_EQ(readBytes(thoughtsPath()), "\t\t\tBe still\r\nAnn Lee\tp. 4\t\tHope does not disappoint\r\n");
    EXPECT_FALSE(exists(versesPath() + ".new"));
}

// What the rules decide (verse_entry) reaches the user: one box says why,
// the field the rules name gets the focus, a blank field its default back,
// nothing is added; the rules' error is logged and is the Add's one box.
TEST_F(AddVerse, ARefusedVerseSaysWhyAndFocusesTheField) {
    open();
    struct Case {
        const char* book;
        std::string chapter, verseNumbers, translation, text;
        std::string message;
        HWND* focus;
    };
    const std::string bad = " contains invalid character(s).   \r\nYou can only enter characters from the keyboard";
    const Case cases[] = {
        {"John", "chapter", "1", "KJV", "t",
         "You need to change all of the fields.  The following field has not been changed:  >> chapter <<   ",
         &dlg->txtVerse[1]},
        {"John", "3", "   ", "KJV", "t", "You cannot leave any fields blank.verse", &dlg->txtVerse[2]},
        {"John", "3", "1", "New: KJV", "t",
         "The Translation cannot contain a colon.  Please remove it.   ", &dlg->txtVerse[3]},
        {"John", "3", "1", "KJV", "a\tb", "The linea\tb" + bad, &dlg->txtVerse[4]},
        {"Select a Book", "3", "1", "KJV", "t",
         "You did not select a Book of the Bible.  Please select one now.  ", &dlg->comboVerse},
    };
    for (const Case& c : cases) {
        verse(c.book, c.chapter, c.verseNumbers, c.translation, c.text);
        click(h(), IDC_AV_ADD0);
        EXPECT_EQ(boxes.boxes.size(), 1u) << "one box says why: " << c.message;
        Box b = lastBox();
        EXPECT_EQ(b.text, c.message);
        EXPECT_EQ(b.caption, "Verse Has Not Been Added") << c.message;
        EXPECT_EQ(GetFocus(), *c.focus) << c.message;
        EXPECT_TRUE(dlg->rows(0).empty()) << c.message;
        if (c.focus == &dlg->txtVerse[2]) {
            EXPECT_EQ(text(dlg->txtVerse[2]), "verse") << "a blank field gets its default back";
        }
    }

    for (const char* chapter : {"12", "-3"}) {
        verse("John", chapter, "1", "KJV", "t");
        click(h(), IDC_AV_ADD0);
        EXPECT_EQ(lastBox().caption, "Success") << chapter;
    }
    verse("John", "99999999999", "1", "KJV", "t");
    click(h(), IDC_AV_ADD0);
    EXPECT_EQ(dlg->rows(0).size(), 2u);
    EXPECT_NE(readBytes(root / "error_log.txt").find("An error occurred in function addVerse_testVerses"),
              std::string::npos);
    ASSERT_EQ(boxes.boxes.size(), 1u) << "the refused Add says why";
    Box b = lastBox();
    EXPECT_EQ(b.text, "An error occurred in function addVerse_testVerses");
    EXPECT_EQ(b.caption, "Program Error Occurred....");

    // The verse last added is what the duplicate rule compares with.
    verse("John", "3", "16", "KJV", "For God");
    click(h(), IDC_AV_ADD0);
    lastBox();
    setText(dlg->txtVerse[3], "WEB");
    click(h(), IDC_AV_ADD0);
    b = lastBox();
    EXPECT_EQ(b.text, "The information you just entered is the same as the verse you added the last time.   ");
    EXPECT_EQ(GetFocus(), dlg->txtVerse[1]);
    verse("John", "3", "17", "KJV", "For God sent");
    click(h(), IDC_AV_ADD0);
    verse("John", "3", "16", "KJV", "For God");
    click(h(), IDC_AV_ADD0);
    EXPECT_EQ(lastBox().caption, "Success");
    EXPECT_EQ(dlg->rows(0).size(), 5u);
}

TEST_F(AddVerse, ARefusedThoughtSaysWhyAndEnterPromptsForTheThought) {
    open();
    click(h(), IDC_AV_OPTION1);
    EXPECT_EQ(GetFocus(), dlg->txtThought[0]);
    thought("Please delete if unused", "", "Hope");
    click(h(), IDC_AV_ADD0);
    Box b = lastBox();
    EXPECT_EQ(b.text, "The fields in Step 2 need to be either:\r\n  1. Changed from the default values.\r\n  2. Erased.   ");
    EXPECT_EQ(b.caption, "Inspirational Thought Has Not Been Added");
    EXPECT_EQ(GetFocus(), dlg->txtThought[0]);
    thought("", "", "Hope");
    click(h(), IDC_AV_ADD0);
    EXPECT_EQ(lastBox().caption, "Success");
    click(h(), IDC_AV_ADD0);
    EXPECT_EQ(lastBox().text,
              "The information you just entered is the same as the Inspirational Thought you added the last time.   ");
    EXPECT_EQ(text(dlg->txtThought[2]), "");
    EXPECT_EQ(GetFocus(), dlg->txtThought[2]);

    // Enter with an empty thought fills in the prompt, selected, with the focus.
    focus(h(), dlg->txtThought[0]);
    key(h(), VK_RETURN);
    EXPECT_EQ(text(dlg->txtThought[2]), "Please enter an Inspirational Thought here.");
    EXPECT_EQ(GetFocus(), dlg->txtThought[2]);
    DWORD start = 1, end = 0;
    SendMessageA(dlg->txtThought[2], EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 43u);
    EXPECT_TRUE(dlg->isOpen());
    click(h(), IDC_AV_ADD0);
    EXPECT_EQ(lastBox().caption, "Success");
    EXPECT_EQ(dlg->rows(1).size(), 2u);
}

TEST_F(AddVerse, UpdateRunsTheFieldTestsSoTheFileStaysReadable) {
    open();
    verse("John", "3", "16", "KJV", "For God");
    click(h(), IDC_AV_ADD0);
    lastBox();

    click(h(), IDC_AV_ADD1);
    EXPECT_EQ(lastBox().text, "An error occurred in the function addVerse_cmdAdd_Click.  ") << "no row selected";

    dlg->selectRows(0, {0});
    dlg->lvAdded_ItemClick(0, 0);
    setText(dlg->txtVerse[3], "K:JV");
    click(h(), IDC_AV_ADD1);
    EXPECT_EQ(lastBox().text, "The Translation cannot contain a colon.  Please remove it.   ");
    setText(dlg->txtVerse[3], "KJV");
    setText(dlg->txtVerse[4], "two\r\nlines\twith a tab");
    click(h(), IDC_AV_ADD1);
    EXPECT_EQ(lastBox().caption, "Verse Has Not Been Added");
    EXPECT_FALSE(gDialogCancelled);
    EXPECT_EQ(dlg->rows(0), (Rows{{"John", "3", "16", "KJV: For God"}}));

    // The same entry passes an update (no duplicate test).
    setText(dlg->txtVerse[4], "For God");
    click(h(), IDC_AV_ADD1);
    EXPECT_TRUE(boxes.boxes.empty());
    setText(dlg->txtVerse[4], "For God so loved");
    click(h(), IDC_AV_ADD1);
    click(h(), IDOK);
    EXPECT_EQ(readBytes(versesPath()), "John\t3\t16\tKJV: For God so loved\r\n");
}

// A row clicked fills the fields; Delete takes the rows selected in the
// list view (the messages and the sort are tested natively).
TEST_F(AddVerse, RowClicksFillTheFieldsAndDeleteTakesTheSelectedRows) {
    writeBytes(versesPath(), "Ruth\t1\t16\tKJV: Whither thou goest\r\nAdam\t1\t1\tX: y\r\nacts\t2\t1\tNIV:  two blanks\r\n");
    open();
    dlg->lvAdded_ItemClick(0, 1);
    EXPECT_EQ(lastBox().text, "An error occurred in function frmAddVerse_lvAdded_ItemClick") << "no such book";
    dlg->lvAdded_ItemClick(0, 2);
    EXPECT_EQ(text(dlg->comboVerse), "Acts");
    EXPECT_EQ(text(dlg->txtVerse[3]), "NIV");
    EXPECT_EQ(text(dlg->txtVerse[4]), " two blanks");

    dlg->selectRows(0, {});
    click(h(), IDC_AV_DELETE0);
    EXPECT_EQ(lastBox().caption, "No Items Were Deleted");

    auto books = [&] {
        std::string s;
        for (const auto& r : dlg->rows(0)) s += r[0] + ",";
        return s;
    };
    dlg->selectRows(0, {0, 2});
    click(h(), IDC_AV_DELETE0);
    EXPECT_EQ(lastBox().text, "2 selected item(s) were successfully deleted.   ");
    EXPECT_EQ(books(), "Adam,");
}

TEST_F(AddVerse, CancelAndTheCloseBoxWriteNothing) {
    const std::string before = "Psalms\t46\t10\tKJV: Be still\r\n";
    writeBytes(versesPath(), before);
    open();
    verse("John", "3", "16", "KJV", "For God");
    click(h(), IDC_AV_ADD0);
    click(h(), IDC_AV_CANCEL);
    EXPECT_FALSE(dlg->isOpen());
    EXPECT_TRUE(gDialogCancelled);
    EXPECT_EQ(readBytes(versesPath()), before);

    open();
    click(h(), IDC_AV_ADD0); // refused: still "no change" as far as the files go
    key(h(), VK_ESCAPE);
    EXPECT_TRUE(dlg->isOpen()) << "Escape throws nothing away";
    SendMessageA(h(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(dlg->isOpen());
    EXPECT_FALSE(gDialogCancelled) << "a press of Add leaves it False";
    EXPECT_EQ(readBytes(versesPath()), before);
}

TEST_F(AddVerse, PasteGoesIntoTheFieldThatHadTheFocus) {
    open();
    ShowWindow(h(), SW_SHOWNA);
    SetActiveWindow(h());
    if (GetActiveWindow() != h()) GTEST_SKIP() << "the dialog cannot be made active here";
    ASSERT_TRUE(OpenClipboard(h()));
    EmptyClipboard();
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, 7);
    memcpy(GlobalLock(mem), "Isaiah", 7);
    GlobalUnlock(mem);
    SetClipboardData(CF_TEXT, mem);
    CloseClipboard();

    // The pointer onto the paste button and a click on it, as the mouse sends them.
    focus(h(), dlg->txtVerse[3]); // "translation", all selected
    SendMessageA(dlg->picButton0, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    SendMessageA(dlg->picButton0, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageA(dlg->picButton0, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(text(dlg->txtVerse[3]), "Isaiah");
    pump(h());

    setText(dlg->txtVerse[4], "Hello world");
    focus(h(), dlg->txtVerse[4]);
    SendMessageA(dlg->txtVerse[4], EM_SETSEL, 5, 5);
    dlg->SbcEasy1_MouseEnter("button0");
    dlg->picButton_click(0);
    EXPECT_EQ(text(dlg->txtVerse[4]), "HelloIsaiah world");

    dlg->SbcEasy1_MouseExit("button0");
    dlg->picButton_click(0);
    EXPECT_EQ(text(dlg->txtVerse[4]), "HelloIsaiah world") << "no target once the pointer left";
    ShowWindow(h(), SW_HIDE);
}

// Presses a button of the open add-verses dialog from inside its modal loop.
int gPressId = 0;
VOID CALLBACK pressButton(HWND, UINT, UINT_PTR id, DWORD) {
    HWND d = FindWindowA(nullptr, "Add Your Own Verses & Inspirational Thoughts");
    if (!d) return;
    KillTimer(nullptr, id);
    PostMessageA(d, WM_COMMAND, MAKEWPARAM(gPressId, BN_CLICKED), 0);
}

TEST_F(AddVerse, ShowDialogReportsWhetherTheLibraryMustBeReloaded) {
    gPressId = IDC_AV_CANCEL;
    SetTimer(nullptr, 0, 10, pressButton);
    EXPECT_FALSE(frmAddVerse::showDialog(nullptr));
    EXPECT_TRUE(gDialogCancelled);

    gPressId = IDOK;
    SetTimer(nullptr, 0, 10, pressButton);
    EXPECT_TRUE(frmAddVerse::showDialog(nullptr));
    EXPECT_FALSE(gDialogCancelled);
    EXPECT_FALSE(exists(versesPath())) << "an empty list writes no file";
}

} // namespace
