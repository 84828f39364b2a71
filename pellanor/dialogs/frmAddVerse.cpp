// frmAddVerse.cpp
// The add-verses dialog: load, modes, adding, updating, deleting, sorting,
// pasting and writing the two user files.
#include "frmAddVerse.h"

#include <windows.h>
#include <commctrl.h>
#include <htmlhelp.h>

#include <algorithm>
#include <cstdlib>
#include <functional>

#include "GlobalFunctions.h"
#include "Module1.h"
#include "common/win32/files.h"
#include "common/win32/handles.h"
#include "dataManipulation.h"
#include "dialog_shared.h"
#include "dialogs_res.h"
#include "seams.h"
#include "settings_rules.h"
#include "verse_entry.h"
#include "verse_file.h"

namespace {

using dataManipulation::guarded;
using dataManipulation::kErrorCaption;
using dialog_shared::kCrLf;
const char* const kFileNames[2] = {"Your Verses.txt", "Your Inspirational Thoughts.txt"};
const char* const kVerseCaption = "Verse Has Not Been Added";
const char* const kThoughtCaption = "Inspirational Thought Has Not Been Added";
const char* const kAddError = "An error occurred in the function addVerse_cmdAdd_Click.  ";
const char* const kAddErrorCaption = "Error Adding a Verse";
const char* const kThoughtPrompt = "Please enter an Inspirational Thought here.";
const char* const kPasteTag = "button0";

std::string trim(const std::string& s) { return settings_rules::trimBlanks(s); }

std::string text(HWND h) { return ui::getWindowText(h); }

std::string controlCodeText(const std::string& line) {
    return "The line" + line + " contains invalid character(s).   " + kCrLf +
           "You can only enter characters from the keyboard";
}

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

// A rules test that fails unexpectedly reports it and rejects the entry.
bool rejectOnFailure(HWND owner, const char* routine, const std::function<bool()>& rules) {
    try {
        return rules();
    } catch (...) {
        return dataManipulation::reportFailure(owner, routine, kErrorCaption, MB_ICONINFORMATION);
    }
}

// Thrown where a row does not fit the fields.
struct RowMismatch {};

} // namespace

frmAddVerse::frmAddVerse(HWND owner) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    create(IDD_ADDVERSE, owner);
}

frmAddVerse::~frmAddVerse() {
    if (picButton0 && IsWindow(picButton0))
        RemoveWindowSubclass(picButton0, pasteButtonProc, 0);
}

bool frmAddVerse::showDialog(HWND owner) {
    gDialogCancelled = true;
    // The owner is disabled before the load, whose boxes (a file set aside
    // or held open) would otherwise leave the main window usable: a
    // second dialog opened meanwhile would lose its verses to this one's OK.
    ui::showModalForm<frmAddVerse>(owner);
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
    m_pasteButton.attach(picButton0);
    m_pasteButton.setCaption("Paste");
    m_pasteButton.setFont(reinterpret_cast<HFONT>(SendMessageA(hwnd(), WM_GETFONT, 0, 0)));
    if (picButton0) SetWindowSubclass(picButton0, pasteButtonProc, 0, reinterpret_cast<DWORD_PTR>(this));
    SbcEasy1.setMouseEnter([this](const std::string& tag) { SbcEasy1_MouseEnter(tag); });
    SbcEasy1.setMouseExit([this](const std::string& tag) { SbcEasy1_MouseExit(tag); });
    SbcEasy1.attach(hwnd());
    if (picButton0) SbcEasy1.watch(picButton0, kPasteTag);
    if (!Form_Load()) close();
    // Form_Load put the focus where it belongs.
    return false;
}

bool frmAddVerse::Form_Load() {
    gErrorShown = false;
    defaultVerse = {"Select a Book", "chapter", "verse", "translation", ""};
    defaultThought = {"Please delete if unused", "Please delete if unused", ""};
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
    guarded(hwnd(), "addVerse_addBooks", kErrorCaption,
            MB_ICONINFORMATION, [&] {
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
    gErrorShown = false;
}

void frmAddVerse::createTooltips() {
    addTooltip(picButton0, "Paste from the clipboard");
    addTooltip(cmdAdd[0], "Add new verses or update existing ones.");
    addTooltip(cmdAdd[1], "Add new verses or update existing ones.");
}

void frmAddVerse::createColumns() {
    struct Column {
        const char* header;
        int widthTwips;
    };
    const Column verses[] = {{"Book", 1000}, {"Chapter", 500}, {"Verse", 500}, {"Text", 5000}};
    const Column thoughts[] = {{"Author", 1000}, {"Date/Page", 1000}, {"Inspirational Thought", 5000}};
    auto make = [&](HWND list, const Column* columns, int count) {
        if (!list) return;
        ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
        for (int i = 0; i < count; ++i) {
            LVCOLUMNA c{};
            c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
            c.pszText = const_cast<char*>(columns[i].header);
            c.cx = columns[i].widthTwips / ui::twipsPerPixelX();
            c.iSubItem = i;
            SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&c));
        }
    };
    make(lvAdded[0], verses, 4);
    make(lvAdded[1], thoughts, 3);
}

bool frmAddVerse::displayFileInfo() {
    bool ok = true;
    guarded(hwnd(), "formAddVerse_displayFileInfo", kErrorCaption,
            MB_ICONSTOP, [&] {
                for (int index = 0; index < 2 && ok; ++index)
                    ok = loadUserFile(index, m_userFolder + kFileNames[index]);
            });
    return ok;
}

bool frmAddVerse::loadUserFile(int index, const std::string& path) {
    if (!win32::fileExists(path)) return true;
    long lines = 0, indexToCheck = 1, flags = 0;
    std::string message, caption;
    VerseArray verses;
    if (dataManipulation::loadVerseFile(path, lines, hwnd(), indexToCheck, message, caption, flags,
                                        verses))
        return setFileAside(path);
    EnableWindow(cmdDelete[static_cast<size_t>(index)], TRUE);
    for (size_t i = 1; i < verses.size(); ++i) {
        const VerseRecord& v = verses[i];
        if (index == 0)
            addRow(0, {v.book, v.chapter, v.verse, v.translation + ": " + v.text});
        else
            addRow(1, {v.book, v.chapter, v.text});
    }
    return true;
}

// OK replaces each file by its list, so a file whose entries the reader
// could not show would be lost: move it out of the way first, under a name
// no topic search matches, and say where it went. False when it could not
// be moved (the dialog then closes rather than risk it).
bool frmAddVerse::setFileAside(const std::string& path) {
    std::string content;
    if (win32::readWholeFile(path, content) &&
        content.find_first_not_of(" \r\n") == std::string::npos)
        return true; // only blanks: nothing to keep
    SYSTEMTIME st;
    GetLocalTime(&st);
    for (int attempt = 1; attempt <= 50; ++attempt) {
        std::string target = verse_entry::setAsideName(path, st.wYear, st.wMonth, st.wDay, st.wHour,
                                                       st.wMinute, st.wSecond, attempt);
        if (MoveFileExA(path.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
            setAside.push_back(target);
            seams::messageBox(hwnd(),
                              "The file " + path + " could not be read, so it has been set aside as " +
                                  target + "   " + kCrLf + kCrLf +
                                  "Nothing in it has been changed.  Please see HELP for the file "
                                  "format, correct the file and give it back its name, or add its "
                                  "entries again here.   ",
                              "Your File Has Been Set Aside", MB_ICONINFORMATION);
            return true;
        }
        DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) break;
    }
    fileCannotBeOpened(path);
    return false;
}

void frmAddVerse::fileCannotBeOpened(const std::string& path) {
    dataManipulation::showMessage(
        hwnd(),
        "I am not able to open the file" + path + "    " + kCrLf + kCrLf +
            "This is generally caused when the file has been opened by another program.   " +
            kCrLf + "Please close the other program and try adding verses again.   ",
        "File Could Not Be Opened", MB_ICONSTOP);
}

// Opens each existing user file for appending and closes it unchanged: a
// file another program holds ends the dialog before the user's work could
// be lost at OK. Missing files are not created here.
bool frmAddVerse::proveWritable() {
    for (const char* name : kFileNames) {
        std::string path = m_userFolder + name;
        GlobalFunctions::makePath(path);
        if (!win32::fileExists(path)) continue;
        win32::File f(CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (f) continue;
        fileCannotBeOpened(path);
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- fields

void frmAddVerse::attachFields() {
    for (size_t i = 0; i < txtVerse.size(); ++i) {
        auto field = std::make_unique<ui::EnterField>();
        HWND box = txtVerse[i];
        field->attach(
            box, IDOK,
            {[this, box] {
                 guarded(hwnd(), "addVerse_txtVerse_gotfocus",
                         kErrorCaption, MB_ICONINFORMATION, [&] {
                             gErrorShown = false;
                             focusField = box;
                         });
             },
             [this, box, i] {
                 bool valid = true;
                 guarded(hwnd(), "addVerse_txtVerse_keypress",
                         kErrorCaption, MB_ICONINFORMATION, [&] {
                             gErrorShown = false;
                             if (trim(text(box)).empty()) {
                                 ui::setWindowText(box, defaultVerse[i]);
                                 valid = false;
                             }
                             SendMessageA(box, EM_SETSEL, 0, -1);
                         });
                 return valid;
             },
             [this, box, i] {
                 try {
                     if (trim(text(box)).empty()) ui::setWindowText(box, defaultVerse[i]);
                 } catch (...) {
                     // Only the default text put back in an empty field; the entry is
                     // tested again when it is added.
                 }
                 focusField = nullptr;
             }});
        m_verseFields[i] = std::move(field);
    }
    for (size_t i = 0; i < txtThought.size(); ++i) {
        auto field = std::make_unique<ui::EnterField>();
        HWND box = txtThought[i];
        field->attach(
            box, IDOK,
            {[this, box] {
                 guarded(hwnd(), "addVerse_txtThought_gotfocus",
                         kErrorCaption, MB_ICONINFORMATION, [&] {
                             gErrorShown = false;
                             focusField = box;
                         });
             },
             [this] {
                 bool valid = true;
                 guarded(hwnd(), "addVerse_txtThought_keypress",
                         kErrorCaption, MB_ICONINFORMATION, [&] {
                             gErrorShown = false;
                             HWND thought = txtThought[2];
                             if (trim(text(thought)).empty()) {
                                 ui::setWindowText(thought, kThoughtPrompt);
                                 valid = false;
                             }
                             SendMessageA(thought, EM_SETSEL, 0, -1);
                             focusOn(thought);
                         });
                 return valid;
             },
             [this, box, i] {
                 try {
                     // Author and date may stay empty; the thought gets its
                     // (empty) default back.
                     if (i == 2 && trim(text(box)).empty()) ui::setWindowText(box, defaultThought[2]);
                 } catch (...) {
                     // Only the default text put back in an empty field; the entry is
                     // tested again when it is added.
                 }
                 focusField = nullptr;
             }});
        m_thoughtFields[i] = std::move(field);
    }
}

void frmAddVerse::focusOn(HWND control) {
    if (control) gotoDlgCtrl(control);
}

// ---------------------------------------------------------------- modes

bool frmAddVerse::verseMode() const { return isButtonChecked(IDC_AV_OPTION0); }

void frmAddVerse::optionItem_Click(int index) {
    try {
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
    } catch (...) {
        // Which fields show is layout only; the next choice sets it again.
    }
}

// ---------------------------------------------------------------- rules

void frmAddVerse::reject(const std::string& message, const char* caption, HWND field) {
    seams::messageBox(hwnd(), message, caption, MB_ICONINFORMATION);
    focusOn(field);
}

bool frmAddVerse::testVerses(bool update) {
    return rejectOnFailure(hwnd(), "addVerse_testVerses",
                           [&] { return verseRulesFail(update); });
}

// An entry longer than a topic-file line may be would make the file the
// reader refuses; it is refused here first (before the other rules, whose
// messages quote the field).
bool frmAddVerse::entryTooLong(const std::string& line, const char* caption, HWND field) {
    size_t length = line.size() - 2; // without the line end
    if (length <= verse_file::kMaxLineBytes) return false;
    reject("This entry is too long to be kept.  With all of its fields it can have at most " +
               std::to_string(verse_file::kMaxLineBytes) + " characters, and it has " + std::to_string(length) +
               ".  Please shorten it.   ",
           caption, field);
    return true;
}

bool frmAddVerse::verseRulesFail(bool update) {
    if (entryTooLong(verse_entry::verseLine(text(comboVerse), text(txtVerse[1]), text(txtVerse[2]),
                                            text(txtVerse[3]) + ": " + text(txtVerse[4])),
                     kVerseCaption, txtVerse[4]))
        return true;
    for (size_t i = 0; i < txtVerse.size(); ++i) {
        std::string value = text(txtVerse[i]);
        std::string trimmed = trim(value);
        if (trimmed == defaultVerse[i]) {
            reject("You need to change all of the fields.  The following field has not been "
                   "changed:  >> " + defaultVerse[i] + " <<   ",
                   kVerseCaption, txtVerse[i]);
            return true;
        }
        if (trimmed.empty()) {
            seams::messageBox(hwnd(), "You cannot leave any fields blank." + defaultVerse[i],
                              kVerseCaption, MB_ICONINFORMATION);
            ui::setWindowText(txtVerse[i], defaultVerse[i]);
            focusOn(txtVerse[i]);
            return true;
        }
        if (GlobalFunctions::testForControlCodes(value, hwnd())) {
            reject(controlCodeText(value), kVerseCaption, txtVerse[i]);
            return true;
        }
    }
    // The colon separates translation and text in the file.
    if (text(txtVerse[3]).find(':') != std::string::npos) {
        reject("The Translation cannot contain a colon.  Please remove it.   ", kVerseCaption,
               txtVerse[3]);
        return true;
    }
    if (text(comboVerse) == defaultVerse[0]) {
        seams::messageBox(hwnd(), "You did not select a Book of the Bible.  Please select one now.  ",
                          kVerseCaption, MB_ICONINFORMATION);
        PostMessageA(comboVerse, CB_SHOWDROPDOWN, 1, 0);
        focusOn(comboVerse);
        return true;
    }
    switch (verse_entry::checkChapter(text(txtVerse[1]))) {
    case verse_entry::Chapter::Passes:
        break;
    case verse_entry::Chapter::NotNumeric:
        reject("You can only enter a numeric value in the Chapter field in Step 2.   ", kVerseCaption,
               txtVerse[1]);
        return true;
    case verse_entry::Chapter::OutOfRange:
        dataManipulation::reportFailure(hwnd(), "addVerse_testVerses",
                                      kErrorCaption, MB_ICONINFORMATION);
        return true;
    }
    if (!update) {
        std::array<std::string, 5> entry{text(comboVerse), text(txtVerse[1]), text(txtVerse[2]),
                                         text(txtVerse[4]), ""};
        if (entry == lastAdded) {
            reject("The information you just entered is the same as the verse you added the last "
                   "time.   ",
                   kVerseCaption, txtVerse[1]);
            return true;
        }
    }
    return false;
}

bool frmAddVerse::testThoughts(bool update) {
    return rejectOnFailure(hwnd(), "addVerse_testThoughts",
                           [&] { return thoughtRulesFail(update); });
}

bool frmAddVerse::thoughtRulesFail(bool update) {
    if (entryTooLong(verse_entry::thoughtLine(text(txtThought[0]), text(txtThought[1]), text(txtThought[2])),
                     kThoughtCaption, txtThought[2]))
        return true;
    for (size_t i = 0; i < txtThought.size(); ++i) {
        std::string value = text(txtThought[i]);
        if (trim(value) == defaultThought[i]) {
            if (i == 2)
                reject("You need to enter your Inspirational Thought in Step 3.  ", kThoughtCaption,
                       txtThought[i]);
            else
                reject(std::string("The fields in Step 2 need to be either:") + kCrLf +
                           "  1. Changed from the default values." + kCrLf + "  2. Erased.   ",
                       kThoughtCaption, txtThought[i]);
            return true;
        }
        if (GlobalFunctions::testForControlCodes(value, hwnd())) {
            reject(controlCodeText(value), kThoughtCaption, txtThought[i]);
            return true;
        }
    }
    if (!update) {
        std::array<std::string, 5> entry{text(txtThought[0]), text(txtThought[1]),
                                         text(txtThought[2]), "", ""};
        if (entry == lastAdded) {
            seams::messageBox(hwnd(),
                              "The information you just entered is the same as the Inspirational "
                              "Thought you added the last time.   ",
                              kThoughtCaption, MB_ICONINFORMATION);
            ui::setWindowText(txtThought[2], defaultThought[2]);
            focusOn(txtThought[2]);
            return true;
        }
    }
    return false;
}

void frmAddVerse::rememberLastAdded() {
    if (verseMode())
        lastAdded = {text(comboVerse), text(txtVerse[1]), text(txtVerse[2]), text(txtVerse[4]), ""};
    else
        lastAdded = {text(txtThought[0]), text(txtThought[1]), text(txtThought[2]), "", ""};
}

// ---------------------------------------------------------------- add, update, delete

void frmAddVerse::cmdAdd_Click(int index) {
    gErrorShown = false;
    bool verse = verseMode();
    int list = verse ? 0 : 1;
    // This routine words its failure in its own way, so it reports it
    // itself rather than through guarded.
    try {
        [&] {
            std::vector<std::string> cells =
                verse ? std::vector<std::string>{text(comboVerse), text(txtVerse[1]), text(txtVerse[2]),
                                                 text(txtVerse[3]) + ": " + text(txtVerse[4])}
                      : std::vector<std::string>{text(txtThought[0]), text(txtThought[1]),
                                                 text(txtThought[2])};
            if (index == 0) {
                if (verse ? testVerses() : testThoughts()) return;
                EnableWindow(cmdDelete[static_cast<size_t>(list)], TRUE);
                addRow(list, cells);
                seams::messageBox(hwnd(),
                                  verse ? "Verse Successfully Added"
                                        : "Inspirational Thought Successfully Added",
                                  "Success", MB_ICONINFORMATION);
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
            fillRow(list, row, cells);
            ++m_quiet;
            ListView_SetItemState(lvAdded[static_cast<size_t>(list)], row, LVIS_SELECTED, LVIS_SELECTED);
            --m_quiet;
            rememberLastAdded();
        }();
    } catch (...) {
        dataManipulation::showMessage(hwnd(), kAddError, kAddErrorCaption, MB_ICONINFORMATION);
    }
    gDialogCancelled = false;
}

void frmAddVerse::cmdDelete_Click(int index) {
    HWND list = lvAdded[static_cast<size_t>(index)];
    guarded(hwnd(), "frmAddVerse_cmdDelete_Click",
            dataManipulation::kProgramErrorCaption, MB_ICONINFORMATION, [&] {
                int count = rowCount(index);
                if (count == 0) return;
                int removed = 0;
                ++m_quiet;
                for (int row = count - 1; row >= 0; --row) {
                    if (ListView_GetSelectedCount(list) == 0) break;
                    if (ListView_GetItemState(list, row, LVIS_SELECTED) & LVIS_SELECTED) {
                        ListView_DeleteItem(list, row);
                        ++removed;
                    }
                }
                --m_quiet;
                if (removed > 0) {
                    if (rowCount(index) == 0) {
                        HWND button = cmdDelete[static_cast<size_t>(index)];
                        if (GetFocus() == button) focusOn(list);
                        EnableWindow(button, FALSE);
                    }
                    seams::messageBox(hwnd(),
                                      std::to_string(removed) +
                                          " selected item(s) were successfully deleted.   ",
                                      "Items Were Deleted", MB_ICONINFORMATION);
                } else {
                    seams::messageBox(
                        hwnd(),
                        std::string("You need to select at least one item before pressing the "
                                    "delete button.   ") +
                            kCrLf +
                            "In order to select items, you can simply click on a single item, "
                            "CTRL-click to select multiple items.   " +
                            kCrLf +
                            "You can also drag the mouse over the left column to select multiple "
                            "items.  ",
                        "No Items Were Deleted", MB_ICONINFORMATION);
                }
            });
    gDialogCancelled = false;
}

void frmAddVerse::lvAdded_ItemClick(int index, int row) {
    guarded(hwnd(), "frmAddVerse_lvAdded_ItemClick",
            dataManipulation::kProgramErrorCaption, MB_ICONINFORMATION, [&] {
                if (row < 0 || row >= rowCount(index)) throw RowMismatch{};
                if (index == 0) {
                    std::string book = cellText(0, row, 0);
                    LRESULT at = SendMessageA(comboVerse, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                              reinterpret_cast<LPARAM>(book.c_str()));
                    if (at == CB_ERR) throw RowMismatch{};
                    SendMessageA(comboVerse, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
                    ui::setWindowText(txtVerse[1], cellText(0, row, 1));
                    ui::setWindowText(txtVerse[2], cellText(0, row, 2));
                    std::string translation, verseText;
                    if (!verse_entry::splitTranslation(cellText(0, row, 3), translation, verseText))
                        throw RowMismatch{};
                    ui::setWindowText(txtVerse[3], translation);
                    ui::setWindowText(txtVerse[4], verseText);
                } else {
                    for (int sub = 0; sub < 3; ++sub)
                        ui::setWindowText(txtThought[static_cast<size_t>(sub)], cellText(1, row, sub));
                }
                EnableWindow(cmdAdd[1], TRUE);
            });
}

void frmAddVerse::lvAdded_ColumnClick(int index, int column) {
    HWND list = lvAdded[static_cast<size_t>(index)];
    size_t i = static_cast<size_t>(index);
    if (column == sortColumn[i]) {
        sortDescending[i] = !sortDescending[i];
    } else {
        sortDescending[i] = false;
        sortColumn[i] = column;
    }
    size_t key = static_cast<size_t>(column - 1);
    struct Row {
        std::vector<std::string> cells;
        UINT state;
    };
    std::vector<Row> all;
    std::vector<std::vector<std::string>> current = rows(index);
    for (size_t r = 0; r < current.size(); ++r)
        all.push_back({current[r], ListView_GetItemState(list, static_cast<int>(r),
                                                         LVIS_SELECTED | LVIS_FOCUSED)});
    if (key >= (index == 0 ? 4u : 3u)) return;
    // Text order without regard to case, as the user reads it.
    auto compare = [](const std::string& a, const std::string& b) {
        return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) -
               CSTR_EQUAL;
    };
    bool descending = sortDescending[i];
    std::stable_sort(all.begin(), all.end(), [&](const Row& a, const Row& b) {
        int c = compare(a.cells[key], b.cells[key]);
        return descending ? c > 0 : c < 0;
    });
    ++m_quiet;
    for (size_t r = 0; r < all.size(); ++r) {
        fillRow(index, static_cast<int>(r), all[r].cells);
        ListView_SetItemState(list, static_cast<int>(r), all[r].state, LVIS_SELECTED | LVIS_FOCUSED);
    }
    --m_quiet;
}

// ---------------------------------------------------------------- OK, Cancel, Help

namespace {

// The system's own words for an error, without the line end it ends with.
std::string systemMessage(DWORD error) {
    char* text = nullptr;
    DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string out = n && text ? std::string(text, n) : "Windows error " + std::to_string(error) + ".";
    if (text) LocalFree(text);
    while (!out.empty() && (out.back() == '\r' || out.back() == '\n' || out.back() == ' ')) out.pop_back();
    return out;
}

bool writeWhole(HANDLE file, const std::string& content) {
    size_t done = 0;
    while (done < content.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(content.size() - done, 1u << 20));
        DWORD written = 0;
        if (!WriteFile(file, content.data() + done, chunk, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return FlushFileBuffers(file) != 0;
}

} // namespace

std::string frmAddVerse::userFileContent(int index) const {
    std::string content;
    for (const auto& r : rows(index))
        content += index == 0 ? verse_entry::verseLine(r[0], r[1], r[2], r[3])
                              : verse_entry::thoughtLine(r[0], r[1], r[2]);
    return content;
}

// Both files are written whole to temporary files beside them before either
// is replaced, so a folder in the way, a file that cannot be made or a full
// disk leaves both files as they were. problem names what failed and where.
bool frmAddVerse::saveUserFiles(std::string& problem) {
    struct Target {
        std::string path, temp, content;
        bool remove = false;
    };
    std::vector<Target> targets;
    for (int index = 0; index < 2; ++index) {
        Target t;
        t.path = m_userFolder + kFileNames[index];
        t.temp = t.path + ".new";
        t.content = userFileContent(index);
        t.remove = t.content.empty();
        targets.push_back(std::move(t));
    }
    GlobalFunctions::makePath(targets[0].path);
    if (!win32::folderExists(m_userFolder.substr(0, m_userFolder.size() - 1))) {
        problem = "The folder " + m_userFolder + " could not be created.";
        return false;
    }
    for (const Target& t : targets) {
        DWORD a = GetFileAttributesA(t.path.c_str());
        if (a == INVALID_FILE_ATTRIBUTES) continue;
        if (a & FILE_ATTRIBUTE_DIRECTORY) {
            problem = "A folder " + t.path + " is where the file belongs.";
            return false;
        }
        if (a & FILE_ATTRIBUTE_READONLY) {
            problem = "The file " + t.path + " is read-only.";
            return false;
        }
    }
    auto dropTemps = [&] {
        for (const Target& t : targets)
            if (!t.remove && win32::fileExists(t.temp)) DeleteFileA(t.temp.c_str());
    };
    for (const Target& t : targets) {
        if (t.remove) continue;
        if (win32::folderExists(t.temp)) {
            dropTemps();
            problem = "A folder " + t.temp + " is in the way of saving " + t.path + ".";
            return false;
        }
        win32::File f(CreateFileA(t.temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!f) {
            DWORD error = GetLastError();
            dropTemps();
            problem = "The file " + t.temp + " could not be created.  " + systemMessage(error);
            return false;
        }
        if (!writeWhole(f.get(), t.content)) {
            DWORD error = GetLastError();
            f.reset();
            dropTemps();
            problem = "The file " + t.temp + " could not be written.  " + systemMessage(error);
            return false;
        }
    }
    for (const Target& t : targets) {
        if (t.remove) {
            if (!DeleteFileA(t.path.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) {
                DWORD error = GetLastError();
                dropTemps();
                problem = "The file " + t.path + " could not be deleted.  " + systemMessage(error);
                return false;
            }
            continue;
        }
        if (!MoveFileExA(t.temp.c_str(), t.path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            DWORD error = GetLastError();
            dropTemps();
            problem = "The file " + t.path + " could not be replaced.  " + systemMessage(error);
            return false;
        }
    }
    return true;
}

void frmAddVerse::cmdOK_Click() {
    SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_APPSTARTING)));
    gErrorShown = false;
    std::string problem;
    bool saved = false;
    try {
        saved = saveUserFiles(problem);
    } catch (...) {
        problem = "An error occurred in the function addVerse_cmdOK_Click.";
    }
    SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
    if (!saved) {
        // The lists are the only copy of the user's work: stay open with
        // them, so the user can clear the way and press OK again.
        dataManipulation::showMessage(hwnd(),
                                      "Your verses and thoughts could not be saved.   " + std::string(kCrLf) +
                                          kCrLf + problem + "   " + kCrLf + kCrLf +
                                          "Your changes are still here.  Please correct this and press OK "
                                          "again, or press Cancel to leave without saving them.   ",
                                      kAddErrorCaption, MB_ICONINFORMATION);
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
    guarded(hwnd(), "SbcEasy1_MouseEnter", dataManipulation::kStopCaption,
            MB_ICONSTOP, [&] {
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
    gErrorShown = false;
    if (index != 0) return;
    guarded(hwnd(), "picButton_click",
            dataManipulation::kExitingCaption, MB_ICONSTOP, [&] { pasteClipboard(); });
}

void frmAddVerse::cmdPaste_Click() {
    gErrorShown = false;
    guarded(hwnd(), "cmdPaste_Click",
            dataManipulation::kExitingCaption, MB_ICONSTOP, [&] { pasteClipboard(); });
}

// The clipboard's text into the field captured when the pointer entered
// the paste button; the field's default-text rules do not run.
void frmAddVerse::pasteClipboard() {
    if (!pasteTarget) return;
    ui::setWindowText(pasteTarget, verse_entry::pasteInto(text(pasteTarget), clipboardText(hwnd()),
                                                          pasteSelStart, pasteSelLength));
}

LRESULT CALLBACK frmAddVerse::pasteButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                              DWORD_PTR refData) {
    auto* self = reinterpret_cast<frmAddVerse*>(refData);
    try {
        auto inside = [&] {
            RECT rc;
            GetClientRect(hwnd, &rc);
            POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
            return PtInRect(&rc, pt) != FALSE;
        };
        switch (msg) {
        case WM_MOUSEMOVE:
            if (self->m_pressed && (wp & MK_LBUTTON)) {
                try {
                    self->m_pasteButton.setState(inside() ? ui::PictureButton::Down : ui::PictureButton::Up);
                } catch (...) {
                    dataManipulation::reportFailure(self->hwnd(), "picbutton_MouseMove",
                                                  dataManipulation::kStopCaption, MB_ICONSTOP);
                }
            }
            break;
        case WM_LBUTTONDOWN:
            gErrorShown = false;
            SetCapture(hwnd);
            self->m_pressed = true;
            self->hoverIndex = -1;
            self->m_pasteButton.setState(ui::PictureButton::Down);
            return 0;
        case WM_LBUTTONUP:
            if (self->m_pressed) {
                self->m_pressed = false;
                ReleaseCapture();
                gErrorShown = false;
                self->m_pasteButton.setState(ui::PictureButton::Up);
                if (inside()) self->picButton_click(0);
            }
            return 0;
        case WM_CAPTURECHANGED:
            self->m_pressed = false;
            break;
        case WM_NCDESTROY:
            RemoveWindowSubclass(hwnd, pasteButtonProc, 0);
            break;
        default:
            break;
        }
    } catch (...) {
        // The button's pictures only; no exception may leave the subclass
        // procedure, and the click itself is reported by picButton_click.
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

// ---------------------------------------------------------------- list rows

int frmAddVerse::rowCount(int index) const {
    return static_cast<int>(ListView_GetItemCount(lvAdded[static_cast<size_t>(index)]));
}

std::string frmAddVerse::cellText(int index, int row, int sub) const {
    HWND list = lvAdded[static_cast<size_t>(index)];
    std::vector<char> buf(256);
    for (;;) {
        LVITEMA it{};
        it.iSubItem = sub;
        it.pszText = buf.data();
        it.cchTextMax = static_cast<int>(buf.size());
        LRESULT n = SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&it));
        if (n < static_cast<LRESULT>(buf.size()) - 1 || buf.size() >= (1u << 24))
            return std::string(buf.data(), n > 0 ? static_cast<size_t>(n) : 0);
        buf.resize(buf.size() * 4);
    }
}

std::vector<std::vector<std::string>> frmAddVerse::rows(int index) const {
    std::vector<std::vector<std::string>> out;
    int columns = index == 0 ? 4 : 3;
    for (int r = 0; r < rowCount(index); ++r) {
        std::vector<std::string> cells;
        for (int c = 0; c < columns; ++c) cells.push_back(cellText(index, r, c));
        out.push_back(std::move(cells));
    }
    return out;
}

void frmAddVerse::fillRow(int index, int row, const std::vector<std::string>& cells) {
    HWND list = lvAdded[static_cast<size_t>(index)];
    for (size_t c = 0; c < cells.size(); ++c) {
        std::vector<char> buf(cells[c].begin(), cells[c].end());
        buf.push_back('\0');
        LVITEMA it{};
        it.iSubItem = static_cast<int>(c);
        it.pszText = buf.data();
        SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&it));
    }
}

int frmAddVerse::addRow(int index, const std::vector<std::string>& cells) {
    HWND list = lvAdded[static_cast<size_t>(index)];
    std::vector<char> buf(cells[0].begin(), cells[0].end());
    buf.push_back('\0');
    LVITEMA it{};
    it.mask = LVIF_TEXT;
    it.iItem = rowCount(index);
    it.pszText = buf.data();
    ++m_quiet;
    int row = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&it)));
    if (row >= 0) fillRow(index, row, cells);
    --m_quiet;
    return row;
}

int frmAddVerse::selectedRow(int index) const {
    HWND list = lvAdded[static_cast<size_t>(index)];
    int focused = ListView_GetNextItem(list, -1, LVNI_FOCUSED);
    if (focused >= 0 && (ListView_GetItemState(list, focused, LVIS_SELECTED) & LVIS_SELECTED))
        return focused;
    return ListView_GetNextItem(list, -1, LVNI_SELECTED);
}

void frmAddVerse::selectRows(int index, const std::vector<int>& rowIndexes) {
    HWND list = lvAdded[static_cast<size_t>(index)];
    ++m_quiet;
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    for (int r : rowIndexes)
        ListView_SetItemState(list, r, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    --m_quiet;
}

// ---------------------------------------------------------------- dispatch

bool frmAddVerse::OnCommand(int id, int code, HWND control) {
    if (code != BN_CLICKED) return ui::Dialog::OnCommand(id, code, control);
    switch (id) {
    case IDC_AV_OPTION0: optionItem_Click(0); return true;
    case IDC_AV_OPTION1: optionItem_Click(1); return true;
    case IDC_AV_ADD0: cmdAdd_Click(0); return true;
    case IDC_AV_ADD1: cmdAdd_Click(1); return true;
    case IDC_AV_DELETE0: cmdDelete_Click(0); return true;
    case IDC_AV_DELETE1: cmdDelete_Click(1); return true;
    case IDC_AV_CANCEL: cmdCancel_Click(); return true;
    case IDC_AV_HELP: cmdHelp_Click(); return true;
    case IDC_AV_CMDPASTE: cmdPaste_Click(); return true;
    default: return ui::Dialog::OnCommand(id, code, control);
    }
}

bool frmAddVerse::OnNotify(int, NMHDR* header, LRESULT& result) {
    if (!header) return false;
    int index = header->hwndFrom == lvAdded[0] ? 0 : header->hwndFrom == lvAdded[1] ? 1 : -1;
    if (index < 0) return false;
    switch (header->code) {
    case NM_CLICK: {
        auto* activate = reinterpret_cast<NMITEMACTIVATE*>(header);
        if (activate->iItem >= 0) lvAdded_ItemClick(index, activate->iItem);
        result = 0;
        return true;
    }
    case LVN_COLUMNCLICK:
        lvAdded_ColumnClick(index, reinterpret_cast<NMLISTVIEW*>(header)->iSubItem + 1);
        result = 0;
        return true;
    case LVN_ITEMCHANGED: {
        // A row chosen with the keyboard counts as clicked; a mouse click
        // arrives as NM_CLICK, and the dialog's own changes count as neither.
        auto* change = reinterpret_cast<NMLISTVIEW*>(header);
        UINT now = change->uNewState, before = change->uOldState;
        if (m_quiet == 0 && change->iItem >= 0 && (change->uChanged & LVIF_STATE) &&
            (now & LVIS_FOCUSED) && (now & LVIS_SELECTED) && !(before & LVIS_FOCUSED) &&
            GetKeyState(VK_LBUTTON) >= 0)
            lvAdded_ItemClick(index, change->iItem);
        result = 0;
        return true;
    }
    default:
        return false;
    }
}

bool frmAddVerse::OnTimer(UINT_PTR id) {
    if (id != kTimer1) return false;
    KillTimer(hwnd(), kTimer1);
    focusOn(comboVerse);
    return true;
}

bool frmAddVerse::OnMessage(UINT msg, WPARAM, LPARAM lp, LRESULT& result) {
    switch (msg) {
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
