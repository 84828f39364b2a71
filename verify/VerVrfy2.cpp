// VerVrfy2.cpp
#include "VerVrfy2.h"

#include <algorithm>

#include "common/com/variant.h"
#include "common/win32/program_seams.h"
#include "orvane_ids.h"
#include "register_run.h"
#include "verify_res.h"

namespace {

// The saved stream: the slave marker and the empty-list pair 1, 1; the
// version word; the extent (847 x 847 HIMETRIC); then Slave True,
// VerifyMode 0, Delay False, PathFilter 6, FileFilter 3 and two texts
// saved as none.
constexpr BYTE kOrvane1Data[] = {
    'Q', 'u', 'e', 'n', 'n', 'i', 'c', 'k', 'O', 'r', 'v', 'a', 'n', 'e', 'L', 'e', 'd', 'g', 'e', 'r',
    's', '6', 'M', 'S', 'l', 'v', '3', '2',
    0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00,
    0x02, 0x02, 0x00, 0x00,
    0x4F, 0x03, 0x00, 0x00, 0x4F, 0x03, 0x00, 0x00,
    0x0B, 0x00, 0xFF, 0xFF,
    0x03, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x0B, 0x00, 0x00, 0x00,
    0x02, 0x00, 0x06, 0x00,
    0x02, 0x00, 0x03, 0x00,
    0x08, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x08, 0x00, 0x00, 0x00, 0x00, 0x00,
};

// The error a form shows when a control on it cannot be made.
constexpr HRESULT kCannotCreateObject = static_cast<HRESULT>(0x800A01AD);

// Event arguments: the control passes them by reference, last first.
std::string textArg(const VARIANT& v) {
    std::string s;
    if (FAILED(com::toAnsi(v, s))) s.clear();
    return s;
}

LONG longArg(const VARIANT& v) {
    LONG n = 0;
    if (FAILED(com::toLong(v, n))) n = 0;
    return n;
}

// Where a stop flag is written back; null when the caller passed a value.
VARIANT_BOOL* boolRef(VARIANT& v) {
    if (v.vt == (VT_BOOL | VT_BYREF)) return v.pboolVal;
    if (v.vt == (VT_VARIANT | VT_BYREF) && v.pvarVal && v.pvarVal->vt == VT_BOOL) return &v.pvarVal->boolVal;
    return nullptr;
}

} // namespace

std::span<const BYTE> orvane1SavedData() { return kOrvane1Data; }

VerVrfy2::VerVrfy2() = default;

VerVrfy2::~VerVrfy2() {
    if (VerVrfyControl::gRegisterTarget == this) VerVrfyControl::gRegisterTarget = nullptr;
}

bool VerVrfy2::load(HWND owner) {
    m_loadError.reset();
    if (!create(IDD_VERVRFY2, owner)) {
        if (!m_loadError) m_loadError.emplace(HRESULT_FROM_WIN32(GetLastError()), std::string());
        return false;
    }
    return !m_loadError;
}

bool VerVrfy2::OnInit() {
    ConflictListBox = getItem(IDC_VV_CONFLICTLIST);
    DetailText = getItem(IDC_VV_DETAILTEXT);
    Label1 = getItem(IDC_VV_LABEL1);
    Label2 = getItem(IDC_VV_LABEL2);
    cmdRegister = getItem(IDC_VV_REGISTER);
    m_registerButton.attach(cmdRegister);
    m_registerButton.setFace(ui::PictureButton::Face::Colour);
    m_registerButton.setBackColor(cmdRegisterBackColor);
    ExitBut = getItem(IDC_VV_EXIT);
    VerVrfyControl::gRegisterTarget = this;

    HRESULT hr = Orvane1.create(orvane::kClsid, hwnd(), orvane1SavedData(), orvane::kEventsIid,
                                [this](DISPID id, DISPPARAMS& params) { return Orvane1_Event(id, params); });
    if (FAILED(hr)) {
        m_loadError.emplace(hr == REGDB_E_CLASSNOTREG ? kCannotCreateObject : hr,
                            "ActiveX component can't create object");
        return true;
    }
    m_loaded = true;
    Form_Load();
    return true;
}

void VerVrfy2::Form_Load() {
    VerVrfyControl::setMousePointer(13);
    UpdateWindow(hwnd());
    VerVrfyControl::gRegisterHintShown = false;
    listTabs = {64, 128, 192};
    textTabs = {88, 176, 264};
    if (colorCountOf && colorCountOf(hwnd()) == 2) {
        whiteBackground = true;
        if (!m_white) m_white.reset(CreateSolidBrush(RGB(255, 255, 255)));
        InvalidateRect(hwnd(), nullptr, TRUE);
    }
    SendMessageA(DetailText, EM_SETREADONLY, TRUE, 0);
    Form_Resize();

    try {
        VerVrfyControl::startVerify(Orvane1.control());
    } catch (const latebound::ControlError& e) {
        // The check could not be made: nothing may claim that the files
        // are fine. The caller reports the error and ends the program.
        m_loadError = e;
        VerVrfyControl::setMousePointer(0);
        return;
    }
    VerVrfyControl::fillConflictList(0, ConflictListBox);

    VerVrfyControl::setMousePointer(0);
    seams::flashWindow(hwnd());
    seams::informationSound();
    if (IsIconic(hwnd())) ShowWindow(hwnd(), SW_RESTORE);
}

void VerVrfy2::Form_Resize() {
    layout();
    SendMessageA(ConflictListBox, LB_SETTABSTOPS, listTabs.size(), reinterpret_cast<LPARAM>(listTabs.data()));
    SendMessageA(DetailText, EM_SETTABSTOPS, textTabs.size(), reinterpret_cast<LPARAM>(textTabs.data()));
}

void VerVrfy2::layout() {
    if (!ConflictListBox) return;
    RECT client{};
    GetClientRect(hwnd(), &client);
    RECT unit{7, 9, 14, 4};   // margin, label height, button height, gap (dialog units)
    MapDialogRect(hwnd(), &unit);
    const int margin = unit.left, label = unit.top, button = unit.right, gap = unit.bottom;
    const int width = std::max(0, static_cast<int>(client.right) - 2 * margin);
    const int bottom = static_cast<int>(client.bottom) - margin - button;
    const int space = std::max(0, bottom - gap - margin - 2 * (label + gap));
    const int listHeight = space * 3 / 10;
    int y = margin;
    MoveWindow(Label1, margin, y, width, label, TRUE);
    y += label + gap;
    MoveWindow(ConflictListBox, margin, y, width, listHeight, TRUE);
    y += listHeight + gap;
    MoveWindow(Label2, margin, y, width, label, TRUE);
    y += label + gap;
    MoveWindow(DetailText, margin, y, width, std::max(0, bottom - gap - y), TRUE);
    RECT reg{0, 0, 90, 0}, exit{0, 0, 60, 0};
    MapDialogRect(hwnd(), &reg);
    MapDialogRect(hwnd(), &exit);
    MoveWindow(cmdRegister, margin, bottom, reg.right, button, TRUE);
    MoveWindow(ExitBut, margin + width - exit.right, bottom, exit.right, button, TRUE);
}

void VerVrfy2::ConflictListBox_Click() {
    disableRegisterButton();
    const LRESULT n = SendMessageA(ConflictListBox, LB_GETCURSEL, 0, 0);
    if (n == LB_ERR) return;
    ui::setWindowText(DetailText, VerVrfyControl::conflictDetail(static_cast<int>(n) + 1));
}

void VerVrfy2::cmdRegister_Click() {
    const std::string path = VerVrfyControl::gRegisterPath;
    if (!path.empty()) {
        // No second run while this one goes on: the window stays live.
        disableRegisterButton();
        // Quoted, so a folder with blanks in its name registers the right
        // file; waited for, so that success is only claimed when it is so.
        DWORD exitCode = 1;
        const bool registered = registerRun::runHidden("regsvr32 /s \"" + path + "\"", exitCode) && exitCode == 0;
        // Closed while the command ran: nobody left to tell.
        if (!hwnd()) return;
        if (registered) {
            seams::messageBox(hwnd(),
                              "The file was successfully registered.  If any other files are in the list, please "
                              "register any others that need to be registered.",
                              "Program was Registered", MB_ICONINFORMATION);
        } else {
            seams::messageBox(hwnd(),
                              "The file could not be registered.  Please re-install the program using the Windows "
                              "Control Panel.  ",
                              "Program was not Registered", MB_ICONEXCLAMATION);
        }
    }
    disableRegisterButton();
}

void VerVrfy2::ExitBut_Click() { close(); }

void VerVrfy2::enableRegisterButton() {
    EnableWindow(cmdRegister, TRUE);
    setRegisterColor(kRegisterColor);
}

void VerVrfy2::disableRegisterButton() {
    EnableWindow(cmdRegister, FALSE);
    setRegisterColor(kButtonFace);
}

void VerVrfy2::setRegisterColor(DWORD color) {
    cmdRegisterBackColor = color;
    m_registerButton.setBackColor(color);
    InvalidateRect(cmdRegister, nullptr, TRUE);
}

HRESULT VerVrfy2::Orvane1_Event(DISPID id, DISPPARAMS& params) {
    VARIANT* a = params.rgvarg;
    try {
        switch (id) {
        case orvane::event::FileConflict: {
            if (params.cArgs < 4 || !a) return DISP_E_BADPARAMCOUNT;
            VARIANT_BOOL local = VARIANT_FALSE;
            VARIANT_BOOL* stop = boolRef(a[0]);
            Orvane1_FileConflict(textArg(a[3]), textArg(a[2]), longArg(a[1]), stop ? *stop : local);
            return S_OK;
        }
        case orvane::event::FileScan: {
            if (params.cArgs < 4 || !a) return DISP_E_BADPARAMCOUNT;
            VARIANT_BOOL local = VARIANT_FALSE;
            VARIANT_BOOL* stop = boolRef(a[0]);
            Orvane1_FileScan(textArg(a[3]), longArg(a[2]), longArg(a[1]), stop ? *stop : local);
            return S_OK;
        }
        case orvane::event::EnumComplete:
            Orvane1_EnumComplete();
            return S_OK;
        default:
            return DISP_E_MEMBERNOTFOUND;
        }
    } catch (const latebound::ControlError& e) {
        return e.hr();
    }
}

void VerVrfy2::Orvane1_FileConflict(const std::string& referenceFile, const std::string& foundFile, LONG flags,
                                    VARIANT_BOOL& stopVerify) {
    VerVrfyControl::addConflict(referenceFile, foundFile, flags, stopVerify, Orvane1.control());
}

void VerVrfy2::Orvane1_FileScan(const std::string& referenceFile, LONG verifyFlags, LONG pathFlags,
                                VARIANT_BOOL& stopScan) {
    VerVrfyControl::onFileScan(referenceFile, verifyFlags, pathFlags, stopScan);
}

void VerVrfy2::Orvane1_EnumComplete() { VerVrfyControl::onEnumComplete(Orvane1.control()); }

bool VerVrfy2::OnCommand(int id, int code, HWND control) {
    switch (id) {
    case IDC_VV_CONFLICTLIST:
        if (code == LBN_SELCHANGE) ConflictListBox_Click();
        return true;
    case IDC_VV_REGISTER:
        if (code == BN_CLICKED) cmdRegister_Click();
        return true;
    case IDC_VV_EXIT:
        if (code == BN_CLICKED) ExitBut_Click();
        return true;
    default:
        return ui::Dialog::OnCommand(id, code, control);
    }
}

bool VerVrfy2::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_SIZE:
        Form_Resize();
        return false;
    case WM_SETCURSOR:
        if (HCURSOR c = VerVrfyControl::pointerCursor()) {
            SetCursor(c);
            result = TRUE;
            return true;
        }
        return false;
    case WM_CTLCOLORDLG:
        if (!whiteBackground || !m_white) return false;
        result = reinterpret_cast<LRESULT>(m_white.get());
        return true;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
        if (!whiteBackground || !m_white || reinterpret_cast<HWND>(lp) != DetailText) return false;
        SetBkColor(reinterpret_cast<HDC>(wp), RGB(255, 255, 255));
        result = reinterpret_cast<LRESULT>(m_white.get());
        return true;
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        if (!item || !m_registerButton.drawItem(*item)) return false;
        result = TRUE;
        return true;
    }
    default:
        return false;
    }
}

void VerVrfy2::onClose() {
    Orvane1.destroy();
    if (VerVrfyControl::gRegisterTarget == this) VerVrfyControl::gRegisterTarget = nullptr;
}
