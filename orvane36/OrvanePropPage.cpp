// OrvanePropPage.cpp
#include "OrvanePropPage.h"

#include <array>
#include <new>
#include <utility>

#include "Orvane.h"
#include "OrvanePropPage_res.h"
#include "common/com/bstr.h"
#include "common/com/errors.h"
#include "common/com/module.h"
#include "common/filelist/ole_streams.h"
#include "common/win32/handles.h"
#include "res_strings.h"
#include "resource.h"
#include "thread_control_list.h"

namespace orvane36 {

namespace {

struct FilterBox {
    int id;
    SHORT bit;
};
constexpr std::array<FilterBox, 5> kPathBoxes{{{IDC_CURRENT_DIR, 1},
                                                {IDC_SYSTEM_DIR, 2},
                                                {IDC_WINDOWS_DIR, 4},
                                                {IDC_PATH_ENV, 8},
                                                {IDC_OTHER_PATH, 16}}};
constexpr std::array<FilterBox, 4> kFileBoxes{{{IDC_OCX, 1}, {IDC_DLL, 2}, {IDC_EXE, 4}, {IDC_OTHER_FILES, 8}}};
constexpr SHORT kOtherPathBit = 16;
constexpr SHORT kOtherFilesBit = 8;

// Every control of the page but the multi-selection text.
constexpr int kPageControls[] = {IDC_GROUP_SELECT, IDC_GROUP_PATHS, IDC_CURRENT_DIR, IDC_SYSTEM_DIR, IDC_WINDOWS_DIR,
                                 IDC_PATH_ENV, IDC_OTHER_PATH, IDC_PATH_LABEL, IDC_OTHER_PATH_TEXT, IDC_GROUP_FILES,
                                 IDC_OCX, IDC_DLL, IDC_EXE, IDC_OTHER_FILES, IDC_EXT_LABEL, IDC_OTHER_FILES_TEXT,
                                 IDC_SELECT_FILES, IDC_SLAVE, IDC_READPROPERRORS, IDC_DELAY,
                                 IDC_VERIFYMODE_LABEL, IDC_VERIFYMODE};

SelectFilesDialogFn selectFilesDialog() noexcept {
    return win32::procAddress<SelectFilesDialogFn>(GetModuleHandleA("orvdesign36.dll"),
                                                   MAKEINTRESOURCEA(kOrdinalSelectFilesDialog));
}

VARIANT_BOOL boolOf(bool b) noexcept { return b ? VARIANT_TRUE : VARIANT_FALSE; }

} // namespace

class OrvanePropPage::PageDialog final : public ui::Dialog {
public:
    explicit PageDialog(OrvanePropPage& page) noexcept : m_page(page) {}
    ~PageDialog() override { closeNow(); }

    using ui::Dialog::checkButton;
    using ui::Dialog::enableItem;
    using ui::Dialog::getItem;
    using ui::Dialog::getItemText;
    using ui::Dialog::isButtonChecked;
    using ui::Dialog::sendItemMessage;
    using ui::Dialog::setItemText;
    using ui::Dialog::showItem;

protected:
    bool OnCommand(int id, int code, HWND) override { return m_page.onCommand(id, code); }
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
        return m_page.onMessage(msg, wp, lp, result);
    }
    // A page has no OK or Cancel of its own: the frame's buttons do that.
    void OnOK() override {}
    void OnCancel() override {}

private:
    OrvanePropPage& m_page;
};

OrvanePropPage::OrvanePropPage() noexcept = default;
OrvanePropPage::~OrvanePropPage() = default;

HWND OrvanePropPage::window() const noexcept { return m_dialog ? m_dialog->hwnd() : nullptr; }

HRESULT OrvanePropPage::SetPageSite(IPropertyPageSite* site) {
    m_site = com::ComPtr<IPropertyPageSite>(site);
    return S_OK;
}

HRESULT OrvanePropPage::GetPageInfo(PROPPAGEINFO* info) {
    if (!info) return E_POINTER;
    return com::guard([&]() -> HRESULT {
        auto taskText = [](UINT id) -> LPOLESTR {
            const std::wstring w = com::toWide(LoadResString(id).value_or(""));
            auto* p = static_cast<LPOLESTR>(CoTaskMemAlloc((w.size() + 1) * sizeof(wchar_t)));
            if (p) std::copy(w.c_str(), w.c_str() + w.size() + 1, p);
            return p;
        };
        info->cb = sizeof(PROPPAGEINFO);
        info->pszTitle = taskText(IDS_PAGE_TITLE);
        info->pszHelpFile = taskText(IDS_PAGE_HELPFILE);
        info->pszDocString = taskText(IDS_PAGE_DOCSTRING);
        info->dwHelpContext = kPageHelpContext;
        // The template's 260 by 105 dialog units in the system font's units.
        const LONG units = GetDialogBaseUnits();
        info->size.cx = MulDiv(260, LOWORD(units), 4);
        info->size.cy = MulDiv(105, HIWORD(units), 8);
        if (!info->pszTitle || !info->pszHelpFile || !info->pszDocString) {
            CoTaskMemFree(info->pszTitle);
            CoTaskMemFree(info->pszHelpFile);
            CoTaskMemFree(info->pszDocString);
            info->pszTitle = info->pszHelpFile = info->pszDocString = nullptr;
            return E_OUTOFMEMORY;
        }
        return S_OK;
    });
}

HRESULT OrvanePropPage::SetObjects(ULONG count, IUnknown** objects) {
    return com::guard([&]() -> HRESULT {
        m_control = nullptr;
        m_object = nullptr;
        if (count == 1 && objects && objects[0]) {
            com::ComPtr<IOrvaneInternal> internal;
            void* object = nullptr;
            if (SUCCEEDED(objects[0]->QueryInterface(IID_IOrvaneInternal, internal.putVoid())) &&
                SUCCEEDED(internal->GetControl(&object)) && object &&
                SUCCEEDED(objects[0]->QueryInterface(IID_IOrvane, m_control.putVoid()))) {
                m_object = static_cast<Orvane*>(object);
            } else {
                m_control = nullptr;
            }
        }
        if (m_dialog) {
            showForSelection();
            if (m_object) TransferData();
        }
        return S_OK;
    });
}

HRESULT OrvanePropPage::Activate(HWND parent, LPCRECT rect, BOOL) {
    return com::guard([&]() -> HRESULT {
        if (m_dialog) return E_UNEXPECTED;
        auto dialog = std::make_unique<PageDialog>(*this);
        if (!dialog->create(IDD_ORVANE_PROPPAGE, parent, com::moduleHandle())) return E_FAIL;
        m_dialog = std::move(dialog);
        if (rect) Move(rect);
        showForSelection();
        if (m_object) TransferData();
        return S_OK;
    });
}

HRESULT OrvanePropPage::Deactivate() {
    m_dialog.reset();
    return S_OK;
}

HRESULT OrvanePropPage::Show(UINT cmd) {
    if (!m_dialog) return E_UNEXPECTED;
    ShowWindow(m_dialog->hwnd(), static_cast<int>(cmd));
    return S_OK;
}

HRESULT OrvanePropPage::Move(LPCRECT rect) {
    if (!rect) return E_POINTER;
    if (!m_dialog) return E_UNEXPECTED;
    MoveWindow(m_dialog->hwnd(), rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, TRUE);
    return S_OK;
}

HRESULT OrvanePropPage::TranslateAccelerator(MSG* msg) {
    if (!msg) return E_POINTER;
    if (m_dialog && IsDialogMessageA(m_dialog->hwnd(), msg)) return S_OK;
    return S_FALSE;
}

HRESULT OrvanePropPage::EditProperty(DISPID id) {
    if (!m_dialog) return E_UNEXPECTED;
    int target = 0;
    switch (id) {
    case dispid::kSelectFiles: target = IDC_SELECT_FILES; break;
    case dispid::kPathFilter: target = IDC_CURRENT_DIR; break;
    case dispid::kFileFilter: target = IDC_OCX; break;
    case dispid::kSlave: target = IDC_SLAVE; break;
    case dispid::kDelay: target = IDC_DELAY; break;
    case dispid::kVerifyMode: target = IDC_VERIFYMODE; break;
    default: return E_NOTIMPL;
    }
    SetFocus(m_dialog->getItem(target));
    return S_OK;
}

void OrvanePropPage::showForSelection() {
    const bool one = m_object != nullptr;
    for (int id : kPageControls) m_dialog->showItem(id, one);
    m_dialog->showItem(IDC_NO_MULTI_SELECT, !one);
}

void OrvanePropPage::markDirty() {
    if (m_filling) return;
    m_dirty = true;
    if (m_site) m_site->OnStatusChange(PROPPAGESTATUS_DIRTY | PROPPAGESTATUS_VALIDATE);
}

void OrvanePropPage::TransferData() {
    if (!m_dialog || !m_object) return;
    m_filling = true;
    PageDialog& d = *m_dialog;
    d.sendItemMessage(IDC_VERIFYMODE, CB_RESETCONTENT);
    const TextList& names = m_object->verifyModeNames();
    for (size_t i = 0; i < names.count(); ++i) {
        const std::string name = names.item(i).value_or("");
        d.sendItemMessage(IDC_VERIFYMODE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    VARIANT_BOOL b = VARIANT_FALSE;
    m_control->get_Slave(&b);
    d.checkButton(IDC_SLAVE, b != VARIANT_FALSE);
    b = VARIANT_FALSE;
    m_control->get_ReadPropErrors(&b);
    d.checkButton(IDC_READPROPERRORS, b != VARIANT_FALSE);
    enumVerifyMode mode = orvNone;
    m_control->get_VerifyMode(&mode);
    d.sendItemMessage(IDC_VERIFYMODE, CB_SETCURSEL, static_cast<WPARAM>(static_cast<LONG>(mode)));
    b = VARIANT_FALSE;
    m_control->get_Delay(&b);
    d.checkButton(IDC_DELAY, b != VARIANT_FALSE);

    BSTR text = nullptr;
    m_control->get_FileFilterExt(&text);
    const com::Bstr ext = com::Bstr::attach(text);
    text = nullptr;
    m_control->get_OtherPaths(&text);
    const com::Bstr paths = com::Bstr::attach(text);
    d.setItemText(IDC_OTHER_FILES_TEXT, ext.toAnsi());
    d.setItemText(IDC_OTHER_PATH_TEXT, paths.toAnsi());

    SHORT n = 0;
    m_pathFilter = SUCCEEDED(m_control->get_PathFilter(&n)) ? n : 0;
    n = 0;
    m_fileFilter = SUCCEEDED(m_control->get_FileFilter(&n)) ? n : 0;
    m_fileFilterExt = ext.empty() ? std::nullopt : std::optional<std::string>(ext.toAnsi());
    m_otherPaths = paths.empty() ? std::nullopt : std::optional<std::string>(paths.toAnsi());
    showFilters();
    m_filling = false;
}

void OrvanePropPage::showFilters() {
    PageDialog& d = *m_dialog;
    const bool wasFilling = std::exchange(m_filling, true);
    for (const FilterBox& box : kPathBoxes) d.checkButton(box.id, (m_pathFilter & box.bit) != 0);
    for (const FilterBox& box : kFileBoxes) d.checkButton(box.id, (m_fileFilter & box.bit) != 0);
    d.enableItem(IDC_OTHER_FILES_TEXT, (m_fileFilter & kOtherFilesBit) != 0);
    d.enableItem(IDC_OTHER_PATH_TEXT, (m_pathFilter & kOtherPathBit) != 0);
    m_filling = wasFilling;
}

void OrvanePropPage::readControls() {
    PageDialog& d = *m_dialog;
    m_pathFilter = 0;
    for (const FilterBox& box : kPathBoxes)
        if (d.isButtonChecked(box.id)) m_pathFilter = static_cast<SHORT>(m_pathFilter | box.bit);
    m_fileFilter = 0;
    for (const FilterBox& box : kFileBoxes)
        if (d.isButtonChecked(box.id)) m_fileFilter = static_cast<SHORT>(m_fileFilter | box.bit);
    // The whole text: an overlong one is refused by the control rather
    // than cut short without a word.
    const std::string ext = d.getItemText(IDC_OTHER_FILES_TEXT);
    const std::string paths = d.getItemText(IDC_OTHER_PATH_TEXT);
    m_fileFilterExt = ext.empty() ? std::nullopt : std::optional<std::string>(ext);
    m_otherPaths = paths.empty() ? std::nullopt : std::optional<std::string>(paths);
}

HRESULT OrvanePropPage::Apply() {
    m_dirty = false;
    if (!m_dialog || !m_control) return S_OK;
    return com::guard([&]() -> HRESULT {
        readControls();
        PageDialog& d = *m_dialog;
        // The first six results are not looked at: one refused setting
        // must not keep the others from the control.
        m_control->put_Slave(boolOf(d.isButtonChecked(IDC_SLAVE)));
        m_control->put_ReadPropErrors(boolOf(d.isButtonChecked(IDC_READPROPERRORS)));
        const LRESULT line = d.sendItemMessage(IDC_VERIFYMODE, CB_GETCURSEL);
        if (line != CB_ERR) m_control->put_VerifyMode(static_cast<enumVerifyMode>(line));
        m_control->put_Delay(boolOf(d.isButtonChecked(IDC_DELAY)));
        m_control->put_FileFilter(m_fileFilter);
        m_control->put_PathFilter(m_pathFilter);
        int failedBox = 0;
        const com::Bstr ext = com::Bstr::fromAnsi(m_fileFilterExt.value_or(""));
        if (FAILED(m_control->put_FileFilterExt(ext.get()))) {
            failedBox = IDC_OTHER_FILES_TEXT;
        } else {
            const com::Bstr paths = com::Bstr::fromAnsi(m_otherPaths.value_or(""));
            if (FAILED(m_control->put_OtherPaths(paths.get()))) failedBox = IDC_OTHER_PATH_TEXT;
        }
        if (failedBox == 0) return S_OK;
        TransferData();
        SetFocus(d.getItem(failedBox));
        return E_FAIL;
    });
}

void OrvanePropPage::onOtherToggle(int checkId, int editId, const std::optional<std::string>& copy) {
    markDirty();
    PageDialog& d = *m_dialog;
    d.sendItemMessage(editId, EM_SETSEL, 0, -1);
    if (d.isButtonChecked(checkId)) {
        d.enableItem(editId, true);
        const bool wasFilling = std::exchange(m_filling, true);
        d.setItemText(editId, copy.value_or(""));
        m_filling = wasFilling;
    } else {
        d.enableItem(editId, false);
    }
}

bool OrvanePropPage::onCommand(int id, int code) {
    if (!m_dialog) return false;
    switch (id) {
    case IDC_SELECT_FILES:
        if (code == BN_CLICKED) OnSelectFiles();
        return true;
    case IDC_OTHER_PATH:
        if (code == BN_CLICKED) onOtherToggle(IDC_OTHER_PATH, IDC_OTHER_PATH_TEXT, m_otherPaths);
        return true;
    case IDC_OTHER_FILES:
        if (code == BN_CLICKED) onOtherToggle(IDC_OTHER_FILES, IDC_OTHER_FILES_TEXT, m_fileFilterExt);
        return true;
    case IDC_VERIFYMODE:
        if (code == CBN_SELCHANGE) markDirty();
        return true;
    case IDC_OTHER_PATH_TEXT:
    case IDC_OTHER_FILES_TEXT:
        if (code == EN_CHANGE) markDirty();
        return true;
    case IDC_CURRENT_DIR:
    case IDC_SYSTEM_DIR:
    case IDC_WINDOWS_DIR:
    case IDC_PATH_ENV:
    case IDC_OCX:
    case IDC_DLL:
    case IDC_EXE:
    case IDC_SLAVE:
    case IDC_READPROPERRORS:
    case IDC_DELAY:
        if (code == BN_CLICKED) markDirty();
        return true;
    default:
        return false;
    }
}

void OrvanePropPage::OnSelectFiles() {
    HWND frame = GetAncestor(m_dialog->hwnd(), GA_ROOT);
    const bool wasActive = frame && GetActiveWindow() == frame;
    if (frame) EnableWindow(frame, FALSE);
    if (SelectFilesDialogFn dialog = selectFilesDialog(); dialog && m_object) {
        com::SafeArray files = ole::ListToArray(m_object->fileList());
        readControls();
        const DWORD filters = (static_cast<DWORD>(static_cast<WORD>(m_fileFilter)) << 16) |
                              static_cast<WORD>(m_pathFilter);
        const std::string ext = m_fileFilterExt.value_or("");
        const std::string paths = m_otherPaths.value_or("");
        dialog(m_dialog->hwnd(), filters, ext.c_str(), paths.c_str(), 0, files.get());
    }
    if (frame) {
        EnableWindow(frame, TRUE);
        if (wasActive) SetActiveWindow(frame);
    }
}

bool OrvanePropPage::onMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case kMsgListArray:
        // The dialog's question is answered with nothing yet.
        if (m_object) {
            const com::SafeArray unused = ole::ListToArray(m_object->fileList());
        }
        result = 0;
        return true;
    case kMsgNewList:
        // Takes effect on the control at once, not at Apply.
        if (m_object) {
            ListRead read = ole::ArrayToList(reinterpret_cast<SAFEARRAY*>(lp));
            m_object->fileList() = std::move(read.list);
            m_object->changed(dispid::kSelectFiles);
        }
        result = 0;
        return true;
    case kMsgFilters:
        m_pathFilter = static_cast<SHORT>(LOWORD(static_cast<DWORD>(lp)));
        m_fileFilter = static_cast<SHORT>(HIWORD(static_cast<DWORD>(lp)));
        showFilters();
        markDirty();
        result = 0;
        return true;
    case kMsgFileFilterExt:
    case kMsgOtherPaths: {
        const char* text = reinterpret_cast<const char*>(lp);
        std::optional<std::string> copy;
        if (text && *text) copy = text;
        const int box = msg == kMsgFileFilterExt ? IDC_OTHER_FILES_TEXT : IDC_OTHER_PATH_TEXT;
        (msg == kMsgFileFilterExt ? m_fileFilterExt : m_otherPaths) = copy;
        const bool wasFilling = std::exchange(m_filling, true);
        m_dialog->setItemText(box, copy.value_or(""));
        m_filling = wasFilling;
        showFilters();
        markDirty();
        result = 0;
        return true;
    }
    case WM_STYLECHANGING:
        // Tabbing must reach the page's controls from the frame.
        if (wp == static_cast<WPARAM>(GWL_EXSTYLE) && lp)
            reinterpret_cast<STYLESTRUCT*>(lp)->styleNew |= WS_EX_CONTROLPARENT;
        return false;
    default:
        return false;
    }
}

} // namespace orvane36
