// frmOptions.cpp
// The options dialog: load, the three validated number fields, the live
// text-size preview on the main window, OK and Cancel.
#include "frmOptions.h"

#include <windows.h>
#include <commctrl.h>
#include <htmlhelp.h>

#include "pellanor/win/Module1.h"
#include "dataManipulation.h"
#include "dialog_shared.h"
#include "frmMain.h"
#include "frmOptions_res.h"
#include "frmTip.h"
#include "options_rules.h"
#include "seams.h"

using dataManipulation::kErrorCaption;
using options_rules::fontSizeIndex;
using options_rules::fontSizeText;
using options_rules::kFontSizes;
using options_rules::kRepeatMax;
using options_rules::kSnoozeMax;
using options_rules::kSnoozeMin;

namespace {

const char* const kWrongDataCaption = "Incorrect Data was Entered";
const char* const kSleepNotNumeric = "You can only enter numeric values for the Sleep time.  The value will be reset.  ";
const char* const kRepeatNotNumeric =
    "You can only enter numeric values for the Repeat count.  The value will be reset.  ";

// Posted by a field that lost the focus: its validation runs once the focus
// has settled, so a message box or the focus going back to the field never
// happens inside the focus change itself. wParam: 0 snooze, 1 and 2 repeat.
constexpr UINT kValidateField = WM_APP + 0x130;

// The main window previews a size while the dialog is up; nothing when
// there is no main window.
void previewSize(long size, bool references) {
    if (gMainForm) gMainForm->setVerseFontSize(size, references);
}

struct LoadFailed {};

} // namespace

frmOptions::frmOptions(HWND owner) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    create(IDD_OPTIONS, owner);
}

frmOptions::~frmOptions() {
    for (HWND field : {txtSnooze[0], txtRepeat[0], txtRepeat[1]})
        if (field && IsWindow(field)) RemoveWindowSubclass(field, fieldClickProc, 0);
}

void frmOptions::showDialog(HWND owner) { dialog_shared::showModal<frmOptions>(owner); }

// ---------------------------------------------------------------- load

bool frmOptions::OnInit() {
    comboTranslation = getItem(IDC_OPT_TRANSLATION);
    chkAlert = {getItem(IDC_OPT_ALERT0), getItem(IDC_OPT_ALERT1), getItem(IDC_OPT_ALERT2)};
    txtSnooze = {getItem(IDC_OPT_SNOOZE0)};
    UpDownSnooze = {getItem(IDC_OPT_UPDOWNSNOOZE0)};
    frameSleep = getItem(IDC_OPT_FRAMESLEEP);
    comboFontSize = getItem(IDC_OPT_FONTSIZE);
    cmdShowTip = getItem(IDC_OPT_SHOWTIP);
    txtRepeat = {getItem(IDC_OPT_REPEAT0), getItem(IDC_OPT_REPEAT1)};
    UpDownRepeat = {getItem(IDC_OPT_UPDOWNREPEAT0), getItem(IDC_OPT_UPDOWNREPEAT1)};
    cmdOK = getItem(IDOK);
    cmdCancel = getItem(IDCANCEL);
    cmdHelp = getItem(IDC_OPT_HELP);
    m_helpButton.attach(cmdHelp);
    attachFields();
    Form_Load();
    return true;
}

void frmOptions::Form_Load() {
    (void)userAction::run({}, [&] {
        if (gForceOptions) {
            EnableWindow(cmdCancel, FALSE);
            gForceOptions = false;
        }
        chosenTranslation = gCurTranslation;

        SendMessageA(UpDownRepeat[0], UDM_SETRANGE32, 1, kRepeatMax[0]);
        SendMessageA(UpDownRepeat[1], UDM_SETRANGE32, 1, kRepeatMax[1]);
        SendMessageA(UpDownSnooze[0], UDM_SETRANGE32, kSnoozeMin, kSnoozeMax);
        ui::setWindowText(frameSleep, "Sleep Time (" + std::to_string(kSnoozeMin) + " to" + " " +
                                          std::to_string(kSnoozeMax) + " minutes)");

        SendMessageA(comboFontSize, CB_RESETCONTENT, 0, 0);
        for (long size : kFontSizes)
            SendMessageA(comboFontSize, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(fontSizeText(size).c_str()));
        // A stored size the list does not offer (9, 11, 13) stays as it is:
        // nothing is selected and OK keeps it.
        int sizeIndex = fontSizeIndex(gVerseFontSize);
        if (sizeIndex >= 0) {
            SendMessageA(comboFontSize, CB_SETCURSEL, static_cast<WPARAM>(sizeIndex), 0);
            comboFontSize_Click();
        }

        SendMessageA(comboTranslation, CB_RESETCONTENT, 0, 0);
        size_t count = gTranslations.empty() ? 0 : static_cast<size_t>(gTranslations[0].count);
        if (count > gTranslations.size()) count = gTranslations.size();
        for (size_t i = 0; i < count; ++i)
            SendMessageA(comboTranslation, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(gTranslations[i].name.c_str()));
        SendMessageA(comboTranslation, CB_SETCURSEL, static_cast<WPARAM>(gCurTranslation), 0);
        comboTranslation_Click();

        checkButton(IDC_OPT_ALERT0, gVisualAlert);
        checkButton(IDC_OPT_ALERT1, gAudioAlert);
        checkButton(IDC_OPT_ALERT2, gDesktopAlert);

        ui::setWindowText(txtSnooze[0], std::to_string(gSnoozeTime));
        ui::setWindowText(txtRepeat[0], std::to_string(gRepeatCount[0]));
        ui::setWindowText(txtRepeat[1], std::to_string(gRepeatCount[1]));

        m_helpButton.setIcon(LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_QUESTION)), 16);
    }, [&] {
        dataManipulation::showMessage(hwnd(), "An error occurred loading the Options Dialog", kErrorCaption,
                                      MB_ICONSTOP);
    });
}

void frmOptions::attachFields() {
    struct Names {
        const char* gotFocus;
        const char* keyPress;
        const char* lostFocus;
    };
    const Names snooze{"option_txtSnooze_gotfocus",
                       "option_txtSnooze_keypress",
                       "option_txtSnooze_lostfocus"};
    const Names repeat{"option_txtRepeat_gotfocus",
                       "option_txtRepeat_keypress",
                       "option_txtRepeat_lostfocus"};
    const std::array<HWND, 3> fields{txtSnooze[0], txtRepeat[0], txtRepeat[1]};
    for (size_t f = 0; f < fields.size(); ++f) {
        const Names& names = f == 0 ? snooze : repeat;
        auto validate = [this, f] { return f == 0 ? testSleep(0) : testRepeat(static_cast<int>(f) - 1); };
        auto field = std::make_unique<ui::EnterField>();
        field->attach(fields[f], IDOK,
                      {[this, names] {
                           (void)userAction::run({hwnd(), names.gotFocus, kErrorCaption, MB_ICONINFORMATION},
                                   [] {});
                       },
                       [this, names, validate, box = fields[f]] {
                           bool valid = false;
                           (void)userAction::run({hwnd(), names.keyPress, kErrorCaption, MB_ICONINFORMATION}, [&] {
                               SendMessageA(box, EM_SETSEL, 0, -1);
                               valid = !validate();
                           });
                           return valid;
                       },
                       [this, names, f] {
                           (void)userAction::run({hwnd(), names.lostFocus, kErrorCaption, MB_ICONINFORMATION}, [&] {
                               PostMessageA(hwnd(), kValidateField, f, 0);
                           });
                       }});
        m_fields[f] = std::move(field);
        SetWindowSubclass(fields[f], fieldClickProc, 0, reinterpret_cast<DWORD_PTR>(this));
    }
}

// A click into a number field selects its whole text, so typing replaces it.
LRESULT CALLBACK frmOptions::fieldClickProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                            DWORD_PTR refData) {
    LRESULT r = DefSubclassProc(hwnd, msg, wp, lp);
    if (msg != WM_LBUTTONUP) return r;
    auto* self = reinterpret_cast<frmOptions*>(refData);
    const char* name = hwnd == self->txtSnooze[0] ? "option_txtSnooze_click"
                                                  : "option_txtRepeat_click";
    (void)userAction::run({self->hwnd(), name, kErrorCaption, MB_ICONINFORMATION}, [&] {
        if (GetFocus() != hwnd) SetFocus(hwnd);
        SendMessageA(hwnd, EM_SETSEL, 0, -1);
    });
    return r;
}

// ---------------------------------------------------------------- validation

void frmOptions::refocus(HWND field) {
    if (GetFocus() != field) gotoDlgCtrl(field);
    SendMessageA(field, EM_SETSEL, 0, -1);
}

bool frmOptions::testSleep(int index) {
    bool replaced = false;
    (void)userAction::run({hwnd(), "option_testSleep", kErrorCaption, MB_ICONINFORMATION}, [&] {
        HWND box = txtSnooze[0];
        const options_rules::Entry e = options_rules::sleepEntry(ui::getWindowText(box), gSnoozeTime);
        if (e.notNumeric) seams::messageBox(hwnd(), kSleepNotNumeric, kWrongDataCaption, MB_ICONINFORMATION);
        replaced = e.replaced;
        if (!replaced) return;
        ui::setWindowText(box, e.text);
        refocus(txtSnooze.at(static_cast<size_t>(index)));
    });
    return replaced;
}

bool frmOptions::testRepeat(int index) {
    bool replaced = false;
    (void)userAction::run({hwnd(), "option_testRepeat", kErrorCaption, MB_ICONINFORMATION}, [&] {
        if (index < 0 || index > 1) return;
        size_t i = static_cast<size_t>(index);
        HWND box = txtRepeat[i];
        const options_rules::Entry e = options_rules::repeatEntry(i, ui::getWindowText(box), gRepeatCount[i]);
        if (e.notNumeric) seams::messageBox(hwnd(), kRepeatNotNumeric, kWrongDataCaption, MB_ICONINFORMATION);
        replaced = e.replaced;
        if (!replaced) return;
        ui::setWindowText(box, e.text);
        refocus(box);
    });
    return replaced;
}

// ---------------------------------------------------------------- handlers

void frmOptions::comboFontSize_Click() {
    (void)userAction::run({hwnd(), "option_comboFontSize_click", kErrorCaption, MB_ICONINFORMATION}, [&] {
                LRESULT index = SendMessageA(comboFontSize, CB_GETCURSEL, 0, 0);
                if (index < 0 || index >= static_cast<LRESULT>(kFontSizes.size())) return;
                previewSize(kFontSizes[static_cast<size_t>(index)], true);
            });
}

void frmOptions::comboTranslation_Click() {
    (void)userAction::run({hwnd(), "option_comboTranslation_click", kErrorCaption, MB_ICONINFORMATION}, [&] {
                LRESULT index = SendMessageA(comboTranslation, CB_GETCURSEL, 0, 0);
                chosenTranslation = index < 0 ? 0 : static_cast<long>(index);
            });
}

void frmOptions::cmdOK_Click() {
    // A field is validated when it is left; one that holds a wrong entry
    // all the same is put right first, and the dialog stays open.
    if (testSleep(0) || testRepeat(0) || testRepeat(1)) return;
    (void)userAction::run({hwnd(), "option_cmdOK_Click", kErrorCaption, MB_ICONINFORMATION}, [&] {
        options_rules::Fields fields;
        fields.snooze = ui::getWindowText(txtSnooze[0]);
        for (size_t i = 0; i < txtRepeat.size(); ++i) fields.repeat[i] = ui::getWindowText(txtRepeat[i]);
        fields.sizeIndex = static_cast<long>(SendMessageA(comboFontSize, CB_GETCURSEL, 0, 0));
        fields.translation = chosenTranslation;
        fields.alerts = {IsDlgButtonChecked(hwnd(), IDC_OPT_ALERT0) != BST_UNCHECKED,
                         IsDlgButtonChecked(hwnd(), IDC_OPT_ALERT1) != BST_UNCHECKED,
                         IsDlgButtonChecked(hwnd(), IDC_OPT_ALERT2) != BST_UNCHECKED};
        options_rules::Settings settings{gSnoozeTime, gRepeatCount, gVerseFontSize, gChosenTranslation,
                                         {gVisualAlert, gAudioAlert, gDesktopAlert}};
        const bool sizeChosen = options_rules::applyOk(fields, settings);
        gSnoozeTime = settings.snoozeTime;
        gRepeatCount = settings.repeatCount;
        gVerseFontSize = settings.verseFontSize;
        gChosenTranslation = settings.chosenTranslation;
        gVisualAlert = settings.alerts[0];
        gAudioAlert = settings.alerts[1];
        gDesktopAlert = settings.alerts[2];
        gDialogCancelled = false;

        // One reference box shows, by text size.
        if (gMainForm && sizeChosen) gMainForm->showReferenceBoxFor(gVerseFontSize);
    });
    endModal(IDOK);
}

void frmOptions::cmdCancel_Click() {
    userAction::logged("frmOptions_cmdCancel_Click", [] { previewSize(gVerseFontSize, true); });
    endModal(IDCANCEL);
}

void frmOptions::OnCancel() {
    // Escape follows the Cancel button: not while it is disabled.
    if (cmdCancel && IsWindowEnabled(cmdCancel)) cmdCancel_Click();
}

void frmOptions::Form_QueryUnload() {
    // Every close shows the saved size again; the reference boxes too, so
    // the close box never leaves them at a size that was not chosen.
    userAction::logged("frmOptions_Form_QueryUnload", [] { previewSize(gVerseFontSize, true); });
}

void frmOptions::cmdShowTip_Click() {
    userAction::logged("frmOptions_cmdShowTip_Click", [&] { frmTip::showDialog(hwnd()); });
}

void frmOptions::cmdHelp_Click() {
    userAction::logged("frmOptions_cmdHelp_Click", [&] {
        seams::htmlHelp(nullptr, gHelpFile, HH_HELP_CONTEXT, kHelpContext);
        UpdateWindow(hwnd());
    });
}

// ---------------------------------------------------------------- dispatch

bool frmOptions::OnCommand(int id, int code, HWND control) {
    return runCommands("frmOptions_OnCommand", id, code, control, {
        {IDC_OPT_FONTSIZE, CBN_SELCHANGE, [this] { comboFontSize_Click(); }},
        {IDC_OPT_TRANSLATION, CBN_SELCHANGE, [this] { comboTranslation_Click(); }},
        {IDC_OPT_SHOWTIP, BN_CLICKED, [this] { cmdShowTip_Click(); }},
        {IDC_OPT_HELP, BN_CLICKED, [this] { cmdHelp_Click(); }},
    });
}

bool frmOptions::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case kValidateField:
        if (wp == 0) testSleep(0);
        else testRepeat(static_cast<int>(wp) - 1);
        result = 0;
        return true;
    case WM_HELP:
        cmdHelp_Click();
        result = TRUE;
        return true;
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        if (!item || !m_helpButton.drawItem(*item)) return false;
        result = TRUE;
        return true;
    }
    default:
        return false;
    }
}
