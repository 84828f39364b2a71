// frmAddVerse.cpp
// The add-verses dialog: load, the fields, modes, the entry rules' verdicts,
// adding and updating, OK, Cancel, Help and the paste button. The lists are
// in frmAddVerse_lists.cpp, the user files in frmAddVerse_files.cpp.
#include "frmAddVerse.h"

#include <windows.h>
#include <commctrl.h>
#include <htmlhelp.h>

#include <cstdlib>
#include <functional>

#include "pellanor/win/Module1.h"
#include "dataManipulation.h"
#include "dialog_shared.h"
#include "dialogs_res.h"
#include "seams.h"
#include "verse_entry.h"
#include "verse_file.h"

namespace {
using dataManipulation::kErrorCaption;
const char* const kAddError = "An error occurred in the function addVerse_cmdAdd_Click.  ";
const char* const kAddErrorCaption = "Error Adding a Verse";
const char* const kThoughtPrompt = "Please enter an Inspirational Thought here.";
const char* const kPasteTag = "button0";

std::string text(HWND h) { return ui::getWindowText(h); }

// The clipboard's text; empty when it holds none.
std::string clipboardText(HWND owner) {
    std::string out;
    if (!OpenClipboard(owner)) return out;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* p = static_cast<const char*>(GlobalLock(data))) {
            SIZE_T size = GlobalSize(data);
            SIZE_T n = 0;
            while (n < size && p[n] != '\0') ++n;
            out.assign(p, n);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return out;
}

} // namespace

frmAddVerse::frmAddVerse(HWND owner) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    create(IDD_ADDVERSE, owner);
}

frmAddVerse::~frmAddVerse() = default;

bool frmAddVerse::showDialog(HWND owner) {
    gDialogCancelled = true;
    // The owner is disabled before the load, whose boxes (a file set aside
    // or held open) would otherwise leave the main window usable: a
    // second dialog opened meanwhile would lose its verses to this one's OK.
    dialog_shared::showModal<frmAddVerse>(owner);
    return !gDialogCancelled;
}

// ---------------------------------------------------------------- load

bool frmAddVerse::OnInit() {
    txtInstructions = getItem(IDC_AV_INSTRUCTIONS);
    cmdHelp = getItem(IDC_AV_HELP);
    optionItem = {getItem(IDC_AV_OPTION0), getItem(IDC_AV_OPTION1)};
    comboVerse = getItem(IDC_AV_COMBOVERSE);
    for (int i = 0; i < 5; ++i) txtVerse[static_cast<size_t>(i)] = getItem(IDC_AV_TXTVERSE0 + i);
    for (int i = 0; i < 3; ++i) txtThought[static_cast<size_t>(i)] = getItem(IDC_AV_TXTTHOUGHT0 + i);
    frameVerse = getItem(IDC_AV_FRAMEVERSE);
    frameThought = getItem(IDC_AV_FRAMETHOUGHT);
    Frame3 = getItem(IDC_AV_FRAME3);
    Frame4 = getItem(IDC_AV_FRAME4);
    picButton0 = getItem(IDC_AV_PICBUTTON0);
    cmdPaste = getItem(IDC_AV_CMDPASTE);
    cmdAdd = {getItem(IDC_AV_ADD0), getItem(IDC_AV_ADD1)};
    frameAdded = {getItem(IDC_AV_FRAMEADDED0), getItem(IDC_AV_FRAMEADDED1)};
    lvAdded = {getItem(IDC_AV_LVADDED0), getItem(IDC_AV_LVADDED1)};
    cmdDelete = {getItem(IDC_AV_DELETE0), getItem(IDC_AV_DELETE1)};
    cmdOK = getItem(IDOK);
    cmdCancel = getItem(IDC_AV_CANCEL);

    attachFields();
    m_pasteButton.attach(picButton0, kPasteButtonEvent);
    m_pasteButton.setCaption("Paste");
    m_pasteButton.setFont(reinterpret_cast<HFONT>(SendMessageA(hwnd(), WM_GETFONT, 0, 0)));
    SbcEasy1.setMouseEnter([this](const std::string& tag) { SbcEasy1_MouseEnter(tag); });
    SbcEasy1.setMouseExit([this](const std::string& tag) { SbcEasy1_MouseExit(tag); });
    SbcEasy1.attach(hwnd());
    if (picButton0) SbcEasy1.watch(picButton0, kPasteTag);
    if (!Form_Load()) close();
    // Form_Load put the focus where it belongs.
    return false;
}

bool frmAddVerse::Form_Load() {
    action_rule::ActionRule::Action load(gActionRule);
    defaultVerse = verse_entry::verseDefaults();
    defaultThought = verse_entry::thoughtDefaults();
    m_userFolder = gVerseRoot + "\\" + dataManipulation::kUserFolder + "\\";

    ui::setWindowText(txtInstructions, verse_entry::instructionsText());
    ui::setWindowText(txtVerse[0], "book");
    for (size_t i = 1; i < txtVerse.size(); ++i) ui::setWindowText(txtVerse[i], defaultVerse[i]);
    for (size_t i = 0; i < txtThought.size(); ++i) ui::setWindowText(txtThought[i], defaultThought[i]);

    addBooks();
    checkButton(IDC_AV_OPTION0, true);
    optionItem_Click(0);
    LoadTagProperties();
    createTooltips();
    m_helpIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_QUESTION));
    if (cmdHelp && m_helpIcon)
        SendMessageA(cmdHelp, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(m_helpIcon));
    createColumns();

    if (!displayFileInfo()) return false;
    if (!proveWritable()) return false;
    SetTimer(hwnd(), kTimer1, 50, nullptr);
    return true;
}

void frmAddVerse::addBooks() {
    (void)userAction::run({hwnd(), "addVerse_addBooks", kErrorCaption, MB_ICONINFORMATION}, [&] {
                SendMessageA(comboVerse, CB_RESETCONTENT, 0, 0);
                SendMessageA(comboVerse, CB_ADDSTRING, 0,
                             reinterpret_cast<LPARAM>(defaultVerse[0].c_str()));
                for (const char* book : verse_entry::kBooks)
                    SendMessageA(comboVerse, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(book));
                SendMessageA(comboVerse, CB_SETCURSEL, 0, 0);
            });
}

void frmAddVerse::LoadTagProperties() {
    // The paste button's tag is the text the hover events name it by
    // (kPasteTag); nothing else is tagged on this form.
}

void frmAddVerse::createTooltips() {
    addTooltip(picButton0, "Paste from the clipboard");
    addTooltip(cmdAdd[0], "Add new verses or update existing ones.");
    addTooltip(cmdAdd[1], "Add new verses or update existing ones.");
}

// ---------------------------------------------------------------- fields

void frmAddVerse::attachFields() {
    for (size_t i = 0; i < txtVerse.size(); ++i) {
        HWND box = txtVerse[i];
        m_verseFields[i] = std::make_unique<ui::EnterField>();
        m_verseFields[i]->attach(box, IDOK,
                                 {fieldFocused(box, "addVerse_txtVerse_gotfocus"),
                                  [this, box, i] {
                                      return fieldEnter(box, defaultVerse[i], false, "addVerse_txtVerse_keypress");
                                  },
                                  fieldLeft(box, &defaultVerse[i])});
    }
    for (size_t i = 0; i < txtThought.size(); ++i) {
        HWND box = txtThought[i];
        m_thoughtFields[i] = std::make_unique<ui::EnterField>();
        // Enter in any thought field is about the thought; author and date
        // may stay empty, the thought gets its (empty) default back.
        m_thoughtFields[i]->attach(box, IDOK,
                                   {fieldFocused(box, "addVerse_txtThought_gotfocus"),
                                    [this] {
                                        return fieldEnter(txtThought[2], kThoughtPrompt, true,
                                                          "addVerse_txtThought_keypress");
                                    },
                                    fieldLeft(box, i == 2 ? &defaultThought[2] : nullptr)});
    }
}

// A field that gets the focus is the one a paste goes into.
std::function<void()> frmAddVerse::fieldFocused(HWND box, const char* routine) {
    return [this, box, routine] {
        (void)userAction::run({hwnd(), routine, kErrorCaption, MB_ICONINFORMATION}, [&] {
            focusField = box;
        });
    };
}

// Enter: an empty target gets fillIn (and Enter counts as invalid); the
// target's text is selected, and with moveFocus it takes the focus.
bool frmAddVerse::fieldEnter(HWND target, const std::string& fillIn, bool moveFocus, const char* routine) {
    bool valid = true;
    (void)userAction::run({hwnd(), routine, kErrorCaption, MB_ICONINFORMATION}, [&] {
        if (verse_file::trimBlanks(text(target)).empty()) {
            ui::setWindowText(target, fillIn);
            valid = false;
        }
        SendMessageA(target, EM_SETSEL, 0, -1);
        if (moveFocus) focusOn(target);
    });
    return valid;
}

// Leaving a field: an empty one gets restore back (when given).
std::function<void()> frmAddVerse::fieldLeft(HWND box, const std::string* restore) {
    return [this, box, restore] {
        // Only the default text put back in an empty field; the entry is
        // tested again when it is added.
        userAction::logged("frmAddVerse_fieldLeft", [&] {
            if (restore && verse_file::trimBlanks(text(box)).empty()) ui::setWindowText(box, *restore);
        });
        focusField = nullptr;
    };
}

void frmAddVerse::focusOn(HWND control) {
    if (control) gotoDlgCtrl(control);
}

// ---------------------------------------------------------------- modes

bool frmAddVerse::verseMode() const { return isButtonChecked(IDC_AV_OPTION0); }

void frmAddVerse::optionItem_Click(int index) {
    // Which fields show is layout only; the next choice sets it again.
    userAction::logged("frmAddVerse_optionItem_Click", [&] {
        checkButton(IDC_AV_OPTION0, index == 0);
        checkButton(IDC_AV_OPTION1, index != 0);
        bool verse = index == 0;
        const std::vector<int> verseOnly = {IDC_AV_FRAMEVERSE, IDC_AV_COMBOVERSE, IDC_AV_TXTVERSE1,
                                 IDC_AV_TXTVERSE2,  IDC_AV_TXTVERSE3,  IDC_AV_LBLVERSE0,
                                 IDC_AV_LBLVERSE1,  IDC_AV_LBLVERSE2,  IDC_AV_LBLVERSE3,
                                 IDC_AV_FRAME3,     IDC_AV_TXTVERSE4,  IDC_AV_FRAMEADDED0,
                                 IDC_AV_LVADDED0,   IDC_AV_DELETE0};
        const std::vector<int> thoughtOnly = {IDC_AV_FRAMETHOUGHT, IDC_AV_TXTTHOUGHT0, IDC_AV_TXTTHOUGHT1,
                                   IDC_AV_LBLVERSE6,    IDC_AV_LBLVERSE7,   IDC_AV_FRAME4,
                                   IDC_AV_TXTTHOUGHT2,  IDC_AV_FRAMEADDED1, IDC_AV_LVADDED1,
                                   IDC_AV_DELETE1};
        // Hide first, so the focus never rests on a hidden control.
        for (int id : verse ? thoughtOnly : verseOnly) showItem(id, false);
        for (int id : verse ? verseOnly : thoughtOnly) showItem(id, true);
        focusOn(verse ? comboVerse : txtThought[0]);
    });
}

// ---------------------------------------------------------------- rules

// A refused entry's box is this Add's one box: a failure after it is only
// logged.
void frmAddVerse::refuse(const std::string& message, const char* caption) {
    userAction::ownBox(hwnd(), message, caption, MB_ICONINFORMATION);
}

// A rules test that fails unexpectedly reports it and rejects the entry.
bool frmAddVerse::rejectOnFailure(const char* routine, const std::function<bool()>& rules) {
    bool rejected = true;
    const Outcome tested =
        userAction::run({hwnd(), routine, kErrorCaption, MB_ICONINFORMATION}, [&] { rejected = rules(); });
    return failed(tested) || rejected;
}

// What the rules decided, said and done on the dialog's fields (fields and
// defaults are the mode's); true when the entry is rejected.
bool frmAddVerse::applyVerdict(const verse_entry::Verdict& verdict, std::span<const HWND> fields,
                               std::span<const std::string> defaults, const char* routine) {
    using Ruling = verse_entry::Verdict::Ruling;
    if (verdict.ruling == Ruling::Passes) return false;
    if (verdict.ruling == Ruling::Failed) {
        dataManipulation::showMessage(hwnd(), action_rule::failureText(routine), kErrorCaption, MB_ICONINFORMATION);
        return true;
    }
    const bool bookList = verdict.field == verse_entry::kBookList;
    const size_t index = bookList ? 0 : static_cast<size_t>(verdict.field);
    HWND field = bookList ? comboVerse : fields[index];
    refuse(verdict.text, verdict.caption);
    if (verdict.restoreDefault) ui::setWindowText(field, defaults[index]);
    if (verdict.openBookList) PostMessageA(comboVerse, CB_SHOWDROPDOWN, 1, 0);
    focusOn(field);
    return true;
}

verse_entry::VerseEntry frmAddVerse::verseEntry() const {
    verse_entry::VerseEntry entry;
    entry.book = text(comboVerse);
    for (size_t i = 0; i < txtVerse.size(); ++i) entry.fields[i] = text(txtVerse[i]);
    return entry;
}

verse_entry::ThoughtEntry frmAddVerse::thoughtEntry() const {
    verse_entry::ThoughtEntry entry;
    for (size_t i = 0; i < txtThought.size(); ++i) entry.fields[i] = text(txtThought[i]);
    return entry;
}

bool frmAddVerse::testVerses(bool update) {
    const char* routine = "addVerse_testVerses";
    return rejectOnFailure(routine, [&] {
        return applyVerdict(verse_entry::checkVerse(verseEntry(), defaultVerse, lastAdded, update), txtVerse,
                            defaultVerse, routine);
    });
}

bool frmAddVerse::testThoughts(bool update) {
    const char* routine = "addVerse_testThoughts";
    return rejectOnFailure(routine, [&] {
        return applyVerdict(verse_entry::checkThought(thoughtEntry(), defaultThought, lastAdded, update),
                            txtThought, defaultThought, routine);
    });
}

void frmAddVerse::rememberLastAdded() {
    lastAdded = verseMode() ? verse_entry::keyOf(verseEntry()) : verse_entry::keyOf(thoughtEntry());
}

// ---------------------------------------------------------------- add, update, delete

void frmAddVerse::cmdAdd_Click(int index) {
    bool verse = verseMode();
    int list = verse ? 0 : 1;
    // This routine words its failure in its own way.
    (void)userAction::run({}, [&] {
            const verse_entry::Row cells =
                verse ? verse_entry::rowOf(verseEntry()) : verse_entry::rowOf(thoughtEntry());
            if (index == 0) {
                if (verse ? testVerses() : testThoughts()) return;
                EnableWindow(cmdDelete[static_cast<size_t>(list)], TRUE);
                const verse_lists::Box added = m_lists.add(list, cells);
                addRow(list, cells);
                seams::messageBox(hwnd(), added.text, added.caption, MB_ICONINFORMATION);
                rememberLastAdded();
                return;
            }
            // Update overwrites the selected row, under the same tests as Add
            // (but the duplicate test): nothing may reach the file that the
            // reader would split differently or reject.
            MessageBeep(MB_ICONINFORMATION);
            int row = selectedRow(list);
            if (row < 0) throw RowMismatch{};
            if (verse ? testVerses(true) : testThoughts(true)) return;
            EnableWindow(cmdDelete[static_cast<size_t>(list)], TRUE);
            if (!m_lists.update(list, row, cells)) throw RowMismatch{};
            fillRow(list, row, cells);
            ++m_quiet;
            ListView_SetItemState(lvAdded[static_cast<size_t>(list)], row, LVIS_SELECTED, LVIS_SELECTED);
            --m_quiet;
            rememberLastAdded();
        },
        [&] {
            dataManipulation::showMessage(hwnd(), kAddError, kAddErrorCaption, MB_ICONINFORMATION);
        });
    gDialogCancelled = false;
}

// ---------------------------------------------------------------- OK, Cancel, Help

void frmAddVerse::cmdOK_Click() {
    action_rule::ActionRule::Action save(gActionRule);
    SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_APPSTARTING)));
    std::string problem;
    bool saved = false;
    if (failed(userAction::attempt([&] {
            saved = saveUserFiles(problem);
            return Outcome::Ok;
        })))
        problem = "An error occurred in the function addVerse_cmdOK_Click.";
    SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
    if (!saved) {
        // The lists are the only copy of the user's work: stay open with
        // them, so the user can clear the way and press OK again.
        dataManipulation::showMessage(hwnd(), verse_lists::saveFailedText(problem), verse_lists::kSaveFailedCaption,
                                      MB_ICONINFORMATION);
        return;
    }
    gDialogCancelled = false;
    endModal(IDOK);
}

void frmAddVerse::cmdCancel_Click() {
    gDialogCancelled = true;
    endModal(IDCANCEL);
}

void frmAddVerse::cmdHelp_Click() {
    seams::htmlHelp(nullptr, gHelpFile, HH_HELP_CONTEXT, kHelpContext);
    UpdateWindow(hwnd());
}

// ---------------------------------------------------------------- paste button

void frmAddVerse::SbcEasy1_MouseEnter(const std::string& tag) {
    (void)userAction::run({hwnd(), "SbcEasy1_MouseEnter", dataManipulation::kStopCaption, MB_ICONSTOP}, [&] {
                if (GetActiveWindow() != hwnd() || tag.empty() ||
                    tag.find("button") == std::string::npos)
                    return;
                // The click will take the focus from the field: remember it
                // and its selection now.
                if (focusField) {
                    DWORD start = 0, end = 0;
                    SendMessageA(focusField, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                                 reinterpret_cast<LPARAM>(&end));
                    pasteTarget = focusField;
                    pasteSelStart = static_cast<long>(start);
                    pasteSelLength = static_cast<long>(end - start);
                }
                hoverIndex = tag.size() > 6 ? std::atoi(tag.c_str() + 6) : 0;
                m_pasteButton.setState(ui::PictureButton::Hover);
            });
}

void frmAddVerse::SbcEasy1_MouseExit(const std::string&) {
    if (hoverIndex >= 0) m_pasteButton.setState(ui::PictureButton::Up);
    pasteTarget = nullptr;
}

void frmAddVerse::picButton_click(int index) {
    if (index != 0) return;
    (void)userAction::run({hwnd(), "picButton_click", dataManipulation::kExitingCaption, MB_ICONSTOP},
                          [&] { pasteClipboard(); });
}

void frmAddVerse::cmdPaste_Click() {
    (void)userAction::run({hwnd(), "cmdPaste_Click", dataManipulation::kExitingCaption, MB_ICONSTOP},
                          [&] { pasteClipboard(); });
}

// The clipboard's text into the field captured when the pointer entered
// the paste button; the field's default-text rules do not run.
void frmAddVerse::pasteClipboard() {
    if (!pasteTarget) return;
    ui::setWindowText(pasteTarget, verse_entry::pasteInto(text(pasteTarget), clipboardText(hwnd()),
                                                          pasteSelStart, pasteSelLength));
}

// The paste button's pictures through a press of the left button; the
// button tracks the press itself.
void frmAddVerse::picButton_Mouse(const ui::PictureButton::Mouse& mouse) {
    using Event = ui::PictureButton::Mouse::Event;
    switch (mouse.event) {
    case Event::Down: {
        if (mouse.button != 1) return;
        action_rule::ActionRule::Action pressed(gActionRule);
        hoverIndex = -1;
        m_pasteButton.setState(ui::PictureButton::Down);
        return;
    }
    case Event::Move:
        if (!mouse.pressed || !(mouse.button & 1)) return;
        (void)userAction::run({hwnd(), "picbutton_MouseMove", dataManipulation::kStopCaption, MB_ICONSTOP}, [&] {
            RECT rc;
            GetClientRect(picButton0, &rc);
            const bool inside = PtInRect(&rc, POINT{mouse.x, mouse.y}) != FALSE;
            m_pasteButton.setState(inside ? ui::PictureButton::Down : ui::PictureButton::Up);
        });
        return;
    case Event::Up: {
        if (mouse.button != 1 || !mouse.pressed) return;
        action_rule::ActionRule::Action released(gActionRule);
        m_pasteButton.setState(ui::PictureButton::Up);
        if (mouse.click) picButton_click(0);
        return;
    }
    }
}

// ---------------------------------------------------------------- dispatch

bool frmAddVerse::OnCommand(int id, int code, HWND control) {
    // Other notifications of the buttons go on to ui::Dialog.
    return runCommands("frmAddVerse_OnCommand", id, code, control, {
        {IDC_AV_OPTION0, BN_CLICKED, [this] { optionItem_Click(0); }},
        {IDC_AV_OPTION1, BN_CLICKED, [this] { optionItem_Click(1); }},
        {IDC_AV_ADD0, BN_CLICKED, [this] { cmdAdd_Click(0); }},
        {IDC_AV_ADD1, BN_CLICKED, [this] { cmdAdd_Click(1); }},
        {IDC_AV_DELETE0, BN_CLICKED, [this] { cmdDelete_Click(0); }},
        {IDC_AV_DELETE1, BN_CLICKED, [this] { cmdDelete_Click(1); }},
        {IDC_AV_CANCEL, BN_CLICKED, [this] { cmdCancel_Click(); }},
        {IDC_AV_HELP, BN_CLICKED, [this] { cmdHelp_Click(); }},
        {IDC_AV_CMDPASTE, BN_CLICKED, [this] { cmdPaste_Click(); }},
    }, dialog_shared::OtherCodes::Passed);
}

bool frmAddVerse::OnTimer(UINT_PTR id) {
    if (id != kTimer1) return false;
    KillTimer(hwnd(), kTimer1);
    focusOn(comboVerse);
    return true;
}

bool frmAddVerse::OnMessage(UINT msg, WPARAM, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case kPasteButtonEvent:
        picButton_Mouse(*reinterpret_cast<const ui::PictureButton::Mouse*>(lp));
        result = 0;
        return true;
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        if (!item || !m_pasteButton.drawItem(*item)) return false;
        result = TRUE;
        return true;
    }
    case WM_HELP:
        cmdHelp_Click();
        result = TRUE;
        return true;
    default:
        return false;
    }
}
