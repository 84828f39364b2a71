// SelectFiles.cpp
// The Select Files dialog (ordinal 6): shows the control's list by file
// name, adds files picked with the common Open dialog (offering the kinds
// the page's file filter names) and removes entries. OK hands the new list
// to the page as an array (WM_USER + 3) and confirms the filters
// (WM_USER + 4); Cancel sends nothing.
#include <windows.h>
#include <commdlg.h>

#include <string>
#include <utility>

#include "SelectFiles_res.h"
#include "common/filelist/ole_streams.h"
#include "thread_control_list.h"

namespace {

HMODULE thisModule() noexcept {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&thisModule), &module);
    return module;
}

struct SelectState {
    HWND page = nullptr;
    DWORD filters = 0;
    std::string extensions;
    orvane36::FileList list;
};

void fillList(HWND dialog, const SelectState& state) {
    SendDlgItemMessageA(dialog, IDC_SF_LIST, LB_RESETCONTENT, 0, 0);
    for (const orvane36::FileEntry& e : state.list) {
        const std::string name = e.entryName.value_or("");
        SendDlgItemMessageA(dialog, IDC_SF_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
}

// "Files\0*.ocx;*.dll\0\0" from the file kinds in the high word.
std::string openFilter(const SelectState& state) {
    const WORD kinds = HIWORD(state.filters);
    std::string patterns;
    auto add = [&](const std::string& p) { patterns += (patterns.empty() ? "" : ";") + p; };
    if (kinds & 1) add("*.ocx");
    if (kinds & 2) add("*.dll");
    if (kinds & 4) add("*.exe");
    if ((kinds & 8) && !state.extensions.empty()) add(state.extensions);
    if (patterns.empty()) patterns = "*.*";
    std::string filter = "Files";
    filter.push_back('\0');
    filter += patterns;
    filter.push_back('\0');
    filter.push_back('\0');
    return filter;
}

void addFile(HWND dialog, SelectState& state) {
    char path[MAX_PATH] = "";
    const std::string filter = openFilter(state);
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = dialog;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = path;
    ofn.nMaxFile = MAX_PATH;
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetOpenFileNameA(&ofn)) return;
    orvane36::FileEntry entry;
    // The list names components; the scan engine finds them by its search order.
    entry.entryName = std::string(path + ofn.nFileOffset);
    state.list.push_back(std::move(entry));
    fillList(dialog, state);
}

INT_PTR CALLBACK selectFilesProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    auto* state = reinterpret_cast<SelectState*>(GetWindowLongPtrA(dialog, DWLP_USER));
    try {
        switch (msg) {
        case WM_INITDIALOG:
            SetWindowLongPtrA(dialog, DWLP_USER, lp);
            fillList(dialog, *reinterpret_cast<SelectState*>(lp));
            return TRUE;
        case WM_COMMAND:
            if (!state) return FALSE;
            switch (LOWORD(wp)) {
            case IDC_SF_ADD:
                addFile(dialog, *state);
                return TRUE;
            case IDC_SF_REMOVE: {
                const LRESULT sel = SendDlgItemMessageA(dialog, IDC_SF_LIST, LB_GETCURSEL, 0, 0);
                if (sel != LB_ERR && static_cast<size_t>(sel) < state->list.size()) {
                    state->list.erase(state->list.begin() + sel);
                    fillList(dialog, *state);
                }
                return TRUE;
            }
            case IDOK: {
                com::SafeArray array = orvane36::ole::ListToArray(state->list);
                SendMessageA(state->page, WM_USER + 3, 0, reinterpret_cast<LPARAM>(array.get()));
                SendMessageA(state->page, WM_USER + 4, 0, static_cast<LPARAM>(MAKELONG(LOWORD(state->filters),
                                                                                        HIWORD(state->filters))));
                EndDialog(dialog, IDOK);
                return TRUE;
            }
            case IDCANCEL:
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            default:
                return FALSE;
            }
        default:
            return FALSE;
        }
    } catch (...) {
        return FALSE;
    }
}

} // namespace

extern "C" LONG WINAPI SelectFilesDialog(HWND page, DWORD filters, const char* fileFilterExt, const char*, LONG,
                                         SAFEARRAY* files) {
    try {
        SelectState state;
        state.page = page;
        state.filters = filters;
        state.extensions = fileFilterExt ? fileFilterExt : "";
        state.list = orvane36::ole::ArrayToList(files).list;
        return static_cast<LONG>(DialogBoxParamA(thisModule(), MAKEINTRESOURCEA(IDD_SELECT_FILES), page,
                                                 selectFilesProc, reinterpret_cast<LPARAM>(&state)));
    } catch (...) {
        return IDCANCEL;
    }
}
