// frmAddVerse_lists.cpp
// The add-verses dialog's two lists: their columns and rows, deleting rows,
// copying a row back into the fields, sorting by a column, and the lists'
// notifications.
#include "frmAddVerse.h"

#include <commctrl.h>

#include <optional>

#include "pellanor/win/Module1.h"
#include "dataManipulation.h"
#include "dialog_shared.h"
#include "seams.h"
#include "verse_entry.h"


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

void frmAddVerse::cmdDelete_Click(int index) {
    HWND list = lvAdded[static_cast<size_t>(index)];
    (void)userAction::run(
        {hwnd(), "frmAddVerse_cmdDelete_Click", dataManipulation::kProgramErrorCaption, MB_ICONINFORMATION}, [&] {
            std::vector<int> selected;
            for (int row = ListView_GetNextItem(list, -1, LVNI_SELECTED); row >= 0;
                 row = ListView_GetNextItem(list, row, LVNI_SELECTED))
                selected.push_back(row);
            const std::optional<verse_lists::Box> box = m_lists.remove(index, selected);
            if (!box) return;
            ++m_quiet;
            for (auto row = selected.rbegin(); row != selected.rend(); ++row) ListView_DeleteItem(list, *row);
            --m_quiet;
            if (!selected.empty() && m_lists.rows(index).empty()) {
                HWND button = cmdDelete[static_cast<size_t>(index)];
                if (GetFocus() == button) focusOn(list);
                EnableWindow(button, FALSE);
            }
            seams::messageBox(hwnd(), box->text, box->caption, MB_ICONINFORMATION);
        });
    gDialogCancelled = false;
}

void frmAddVerse::lvAdded_ItemClick(int index, int row) {
    (void)userAction::run(
        {hwnd(), "frmAddVerse_lvAdded_ItemClick", dataManipulation::kProgramErrorCaption, MB_ICONINFORMATION}, [&] {
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
                if (!verse_entry::splitTranslation(cellText(0, row, 3), translation, verseText)) throw RowMismatch{};
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
    std::vector<UINT> states;
    for (int r = 0; r < rowCount(index); ++r)
        states.push_back(ListView_GetItemState(list, r, LVIS_SELECTED | LVIS_FOCUSED));
    // Text order without regard to case, as the user reads it.
    auto compare = [](const std::string& a, const std::string& b) {
        return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) - CSTR_EQUAL;
    };
    const std::vector<size_t> order = m_lists.headerClick(index, column, compare);
    const verse_lists::Rows& sorted = m_lists.rows(index);
    ++m_quiet;
    for (size_t r = 0; r < order.size() && r < states.size(); ++r) {
        fillRow(index, static_cast<int>(r), sorted[r]);
        ListView_SetItemState(list, static_cast<int>(r), states[order[r]], LVIS_SELECTED | LVIS_FOCUSED);
    }
    --m_quiet;
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
