// AboutBox.cpp
#include "AboutBox.h"

#include "common/com/module.h"
#include "res_strings.h"
#include "resource.h"

namespace orvane36 {

namespace {

// The string-table notice that means "keep the template's notice".
constexpr char kKeepDefaultNotice[] = ".";
constexpr LONG kNoticeHeight = 12;

LONG clientHeight(HWND control) {
    RECT rc{};
    if (!control || !GetClientRect(control, &rc)) return 0;
    return rc.bottom - rc.top;
}

} // namespace

INT_PTR AboutBox::show(HWND owner) {
    AboutBox box;
    box.productLine = LoadResString(IDS_ABOUT_PRODUCT).value_or("");
    box.versionLine = LoadResString(IDS_ABOUT_VERSION).value_or("");
    std::optional<std::string> notice = LoadResString(IDS_ABOUT_NOTICE);
    if (notice && *notice != kKeepDefaultNotice) box.noticeLine = std::move(notice);
    if (!box.create(owner)) return 0;
    return box.showModal(owner);
}

bool AboutBox::create(HWND owner) { return ui::Dialog::create(IDD_ABOUTBOX, owner, com::moduleHandle()); }

bool AboutBox::OnInit() {
    setItemText(IDC_ABOUT_PRODUCT, productLine);
    setItemText(IDC_ABOUT_VERSION, versionLine);
    if (noticeLine) setItemText(IDC_ABOUT_NOTICE, *noticeLine);

    auto apply = [this](int id, HFONT font) {
        if (font) sendItemMessage(id, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    };
    // Each font is made from the name label's font before any is changed.
    const LONG nameHeight = clientHeight(getItem(IDC_ABOUT_MAKER));
    const LONG versionHeight = clientHeight(getItem(IDC_ABOUT_VERSION));
    HFONT name = deriveFont(IDC_ABOUT_MAKER, nameHeight, FW_BOLD, true, m_nameFont);
    HFONT version = deriveFont(IDC_ABOUT_MAKER, versionHeight, FW_BOLD, true, m_versionFont);
    HFONT product = deriveFont(IDC_ABOUT_MAKER, 0, FW_BOLD, false, m_productFont);
    HFONT notice = deriveFont(IDC_ABOUT_MAKER, kNoticeHeight, FW_NORMAL, false, m_noticeFont);
    apply(IDC_ABOUT_MAKER, name);
    apply(IDC_ABOUT_VERSION, version);
    apply(IDC_ABOUT_PRODUCT, product);
    apply(IDC_ABOUT_NOTICE, notice);
    return true;
}

HFONT AboutBox::deriveFont(int controlId, LONG height, LONG weight, bool italic, win32::Font& owner) const {
    if (owner) return owner.get();
    HFONT base = reinterpret_cast<HFONT>(sendItemMessage(controlId, WM_GETFONT));
    if (!base) base = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    LOGFONTA lf{};
    if (!base || GetObjectA(base, sizeof lf, &lf) != sizeof lf) return nullptr;
    if (height != 0) lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfItalic = italic ? TRUE : FALSE;
    owner.reset(CreateFontIndirectA(&lf));
    return owner.get();
}

bool AboutBox::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg != WM_CTLCOLORSTATIC) return false;
    const HWND control = reinterpret_cast<HWND>(lp);
    if (control != getItem(IDC_ABOUT_ICON) && control != getItem(IDC_ABOUT_VERSION)) return false;
    // The usual background and brush, with the accent as text colour.
    result = defaultProc(msg, wp, lp);
    SetTextColor(reinterpret_cast<HDC>(wp), kAboutAccent);
    return true;
}

} // namespace orvane36
