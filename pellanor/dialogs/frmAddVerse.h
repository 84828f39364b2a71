// frmAddVerse.h
// The dialog in which users keep their own verses and inspirational
// thoughts. It shows "Your Verses\Your Verses.txt" and "Your Verses\Your
// Inspirational Thoughts.txt" (under gVerseRoot) as two lists; the user adds
// entries from the fields (each tested against fixed rules), copies a row
// back into the fields and updates it, deletes rows, pastes clipboard text
// into a field, sorts a list by a column. OK writes both files whole, in
// list order; Cancel and the close box write nothing. When OK cannot save,
// the dialog says what is in the way and stays open with the lists.
//
// gDialogCancelled: Cancel sets it True; OK, every press of Add or Update
// and every press of a Delete button set it False; the close box leaves it.
//
// A user file the reader rejects is set aside (renamed, never deleted)
// when the dialog opens, and the user is told where it went, so that OK
// cannot overwrite verses the reader could not show.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "outside/subclass/SbcEasy.h"
#include "dialog_shared.h"
#include "common/ui/PictureButton.h"
#include "EnterField.h"
#include "verse_entry.h"
#include "verse_lists.h"

class frmAddVerse : public dialog_shared::CommandDialog {
public:
    // Creates the dialog (hidden) over owner and runs its load. When the
    // load closed it (a user file that cannot be written), isOpen() is false
    // and showModal returns at once.
    explicit frmAddVerse(HWND owner);
    ~frmAddVerse() override;

    // What the main window's add-verses button does: sets gDialogCancelled,
    // shows the dialog modally over owner, and answers true when the dialog
    // left gDialogCancelled False (the verse library must be reloaded).
    static bool showDialog(HWND owner);

    // Handlers, public so that tests act as the user does.
    void optionItem_Click(int index);
    void cmdAdd_Click(int index);
    void cmdDelete_Click(int index);
    void lvAdded_ItemClick(int index, int row);
    void lvAdded_ColumnClick(int index, int column); // column: 1-based
    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdHelp_Click();
    void SbcEasy1_MouseEnter(const std::string& tag);
    void SbcEasy1_MouseExit(const std::string& tag);
    // The paste button's mouse, as the picture button reports it.
    void picButton_Mouse(const ui::PictureButton::Mouse& mouse);
    void picButton_click(int index);
    void cmdPaste_Click();

    // True = rejected (message shown, focus on the offending field). The
    // duplicate test is left out for an update.
    bool testVerses(bool update = false);
    bool testThoughts(bool update = false);

    // The rows of lvAdded(index) in list order: text and sub-items.
    std::vector<std::vector<std::string>> rows(int index) const;
    // Selects exactly the given rows of lvAdded(index).
    void selectRows(int index, const std::vector<int>& rowIndexes);

    // Controls.
    HWND txtInstructions = nullptr;
    HWND cmdHelp = nullptr;
    std::array<HWND, 2> optionItem{};
    HWND comboVerse = nullptr;
    std::array<HWND, 5> txtVerse{};
    std::array<HWND, 3> txtThought{};
    HWND frameVerse = nullptr, frameThought = nullptr, Frame3 = nullptr, Frame4 = nullptr;
    HWND picButton0 = nullptr;
    HWND cmdPaste = nullptr;
    std::array<HWND, 2> cmdAdd{};
    std::array<HWND, 2> frameAdded{};
    std::array<HWND, 2> lvAdded{};
    std::array<HWND, 2> cmdDelete{};
    HWND cmdOK = nullptr, cmdCancel = nullptr;
    outside::SbcEasy SbcEasy1; // the pointer entering and leaving the paste button

    // Dialog state.
    std::array<std::string, 5> defaultVerse;
    std::array<std::string, 3> defaultThought;
    verse_entry::Key lastAdded;
    HWND focusField = nullptr;
    HWND pasteTarget = nullptr;
    long pasteSelStart = 0, pasteSelLength = 0;
    int hoverIndex = -1;

    // Files set aside at load (full paths), for the caller's information.
    std::vector<std::string> setAside;

    static constexpr UINT_PTR kTimer1 = 1;
    static constexpr UINT kPasteButtonEvent = WM_APP + 1;
    static constexpr int kHelpContext = 1002;

protected:
    bool OnInit() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(int id, NMHDR* header, LRESULT& result) override;
    bool OnTimer(UINT_PTR id) override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void OnOK() override { cmdOK_Click(); }
    // Escape does not throw away what was added; only the Cancel button does.
    void OnCancel() override {}

private:
    bool Form_Load();
    void addBooks();
    void LoadTagProperties();
    // Fills both lists; false when a rejected file could not be set aside.
    bool displayFileInfo();
    bool loadUserFile(int index, const std::string& path);
    bool setFileAside(const std::string& path);
    bool proveWritable();
    void fileCannotBeOpened(const std::string& path);
    void createColumns();
    void createTooltips();
    void attachFields();
    std::function<void()> fieldFocused(HWND box, const char* routine);
    bool fieldEnter(HWND target, const std::string& fillIn, bool moveFocus, const char* routine);
    std::function<void()> fieldLeft(HWND box, const std::string* restore);
    void fillRow(int index, int row, const std::vector<std::string>& cells);
    int addRow(int index, const std::vector<std::string>& cells);
    int selectedRow(int index) const;
    std::string cellText(int index, int row, int sub) const;
    int rowCount(int index) const;
    bool saveUserFiles(std::string& problem);
    bool verseMode() const;
    void focusOn(HWND control);
    void rememberLastAdded();
    verse_entry::VerseEntry verseEntry() const;
    verse_entry::ThoughtEntry thoughtEntry() const;
    void refuse(const std::string& text, const char* caption);
    bool rejectOnFailure(const char* routine, const std::function<bool()>& rules);
    bool applyVerdict(const verse_entry::Verdict& verdict, std::span<const HWND> fields,
                      std::span<const std::string> defaults, const char* routine);
    void pasteClipboard();

    // Thrown where a row does not fit the fields.
    struct RowMismatch {};

    std::string m_userFolder;
    // What the lists hold; the list views show it.
    verse_lists::Lists m_lists;
    std::array<std::unique_ptr<ui::EnterField>, 5> m_verseFields;
    std::array<std::unique_ptr<ui::EnterField>, 3> m_thoughtFields;
    HICON m_helpIcon = nullptr;
    // "Paste" on a push button, hot under the pointer.
    ui::PictureButton m_pasteButton;
    int m_quiet = 0; // the dialog itself is changing rows: no click events
};
