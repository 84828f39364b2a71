// frmMain_buttons.cpp
// The main window's shape and button bar: layout, the eight picture buttons
// with their pictures, sound, auto-repeat and tooltips, the combo boxes'
// selections, and the reload after the add-verses dialog.
#include <windows.h>
#include <commctrl.h>

#include <stdexcept>

#include "pellanor/win/Module1.h"
#include "ToolTips.h"
#include "button_tips.h"
#include "held_button.h"
#include "dataManipulation.h"
#include "frmMain.h"
#include "main_layout.h"
#include "registry.h"
#include "seams.h"
#include "settings_rules.h"
#include "verse_display.h"

using dataManipulation::kStopCaption;

namespace {

constexpr UINT kPicButtonEvent = WM_APP + 0x20;

const char* const kButtonNames[frmMain::kButtons] = {"Sleep", "Options", "Add Verses", "Info",
                                                     "Quit", "Previous", "Next", "Scheduler"};
constexpr int kButtonId0 = 200;

} // namespace

void frmMain::createButtons() {
    HINSTANCE inst = GetModuleHandleA(nullptr);
    static const char* const kinds[3] = {"UP", "DOWN", "HOVER"};
    for (int i = 0; i < kButtons; ++i) {
        ui::PictureButton& button = m_picButtons[static_cast<size_t>(i)];
        button.setFace(ui::PictureButton::Face::Pictures);
        for (int k = 0; k < 3; ++k) {
            std::string name = "BUTTON" + std::to_string(i) + "_" + kinds[k];
            win32::Bitmap& image = m_buttonImages[static_cast<size_t>(i)][static_cast<size_t>(k)];
            image.reset(static_cast<HBITMAP>(LoadImageA(inst, name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
            button.setPicture(static_cast<ui::PictureButton::State>(k), image.get());
        }
        SIZE size = i == 5 || i == 6 ? SIZE{40, 24} : SIZE{48, 40};
        if (HBITMAP up = m_buttonImages[static_cast<size_t>(i)][0].get()) {
            BITMAP bm;
            GetObjectA(up, sizeof bm, &bm);
            size = SIZE{bm.bmWidth, bm.bmHeight};
        }
        // Buttons start disabled; the load enables them once it completed.
        picButton[static_cast<size_t>(i)] =
            button.create(hwnd(), kButtonId0 + i, kButtonNames[i], WS_CHILD | WS_VISIBLE | WS_DISABLED, size,
                          kPicButtonEvent);
        setButtonPicture(i, 0);
    }
}

void frmMain::setButtonPicture(int index, int which) {
    if (index < 0 || index >= kButtons || which < 0 || which > 2) return;
    m_picButtons[static_cast<size_t>(index)].setState(static_cast<ui::PictureButton::State>(which));
}

int frmMain::buttonPicture(int index) const {
    if (index < 0 || index >= kButtons) return -1;
    const ui::PictureButton& button = m_picButtons[static_cast<size_t>(index)];
    return button.picture(button.state()) ? button.state() : -1;
}

void frmMain::LoadTagProperties() {
    (void)userAction::run({hwnd(), "LoadTagProperties", kStopCaption, MB_ICONSTOP}, [&] {
        for (int i = 0; i < kButtons; ++i) picButtonTag[static_cast<size_t>(i)] = "button" + std::to_string(i);
    });
}

std::string frmMain::buttonTipText(int index) const { return button_tips::tagText(index, gSchedulerTime); }

void frmMain::closeComboLists() {
    PostMessageA(ComboTopics, CB_SHOWDROPDOWN, 0, 0);
    PostMessageA(comboTranslations, CB_SHOWDROPDOWN, 0, 0);
}

HWND frmMain::toolTipWindow() const { return m_toolTipForm ? m_toolTipForm->hwnd() : nullptr; }

// The tip's window is made when the first tip shows; until then there is
// nothing to hide.
void frmMain::showToolTipText() {
    if (!m_toolTipForm) {
        if (tipText.empty()) return;
        auto form = std::make_unique<ToolTipForm>();
        if (!form->create(hwnd())) return;
        m_toolTipForm = std::move(form);
    }
    ToolTips::showToolTip(*m_toolTipForm, tipText);
}

// Nothing may stay over a menu, a combo list or the empty desktop: the tip
// goes, and the delay that would bring it back is stopped.
void frmMain::hideToolTips() {
    TimerTooltips.setEnabled(false);
    tipText.clear();
    showToolTipText();
    if (m_tooltips) SendMessageA(m_tooltips, TTM_POP, 0, 0);
}

void frmMain::picButton_MouseDown(int index, int button, int, int, int) {
    (void)userAction::run({hwnd(), "picbutton_MouseDown", kStopCaption, MB_ICONSTOP}, [&] {
        closeComboLists();
        hideToolTips();
        hoverButton = -1;
        setButtonPicture(index, 1);
        if (m_heldButton.press(index, button)) tmrPrevNext.setEnabled(true);
    });
}

void frmMain::picButton_MouseUp(int index, int, int, int, int) {
    (void)userAction::run({hwnd(), "picButton_MouseUp", kStopCaption, MB_ICONSTOP}, [&] {
        tmrPrevNext.setEnabled(false);
        m_heldButton.release();
        tmrPrevNext.setInterval(m_heldButton.interval());
        setButtonPicture(index, 0);
    });
}

void frmMain::picButton_MouseMove(int index, int button, int, int x, int y) {
    (void)userAction::run({hwnd(), "picbutton_MouseMove", kStopCaption, MB_ICONSTOP}, [&] {
        if (button != 1) return;
        RECT r;
        GetClientRect(picButton[static_cast<size_t>(index)], &r);
        setButtonPicture(index, held_button::pointerOver(x, y, r.right, r.bottom) ? 1 : 0);
    });
}

// Each repeat of a held Previous or Next is an action of its own; the step
// reports its own failure. Repeats that come while its box is open wait,
// and a failed step ends the repeat: the box took the mouse, so the button
// will not see it let go.
void frmMain::tmrPrevNext_Timer() {
    if (m_inTimerTick) return;
    const int button = m_heldButton.tick();
    tmrPrevNext.setInterval(m_heldButton.interval());
    Outcome step = Outcome::Ok;
    m_inTimerTick = true;
    if (button == held_button::kPrevious) step = prevVerse();
    else if (button == held_button::kNext) step = nextVerse();
    m_inTimerTick = false;
    // The button may have been let go while the step's box was open.
    if (failed(step)) m_heldButton.stepFailed();
    if (!m_heldButton.running()) {
        tmrPrevNext.setInterval(m_heldButton.interval());
        tmrPrevNext.setEnabled(false);
    }
}

void frmMain::picButton_Click(int index) {
    if (!m_heldButton.clickCounts(index)) return;
    (void)userAction::run({hwnd(), "picButton_click", dataManipulation::kExitingCaption, MB_ICONSTOP},
        [&] {
            switch (index) {
            case 0:
                sleepButton();
                break;
            case 1:
                showOptionsMenu();
                break;
            case 2:
                addVersesButton();
                break;
            case 3:
                showHelpMenu();
                break;
            case 4:
                close();
                break;
            case 5:
                throwOnFailure(prevVerse());
                break;
            case 6:
                throwOnFailure(nextVerse());
                break;
            case 7:
                schedulerButton();
                break;
            }
        },
        [&] {
            SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
            close();
        });
}

void frmMain::TimerTooltips_Timer() {
    (void)userAction::run({hwnd(), "TimerTooltips_Timer", kStopCaption, MB_ICONSTOP}, [&] {
        TimerTooltips.setEnabled(false);
        showToolTipText();
    });
}

void frmMain::SbcEasy1_MouseEnter(const std::string& tag) {
    (void)userAction::run({hwnd(), "SbcEasy1_MouseEnter", kStopCaption, MB_ICONSTOP}, [&] {
        if (tag.find("frameNoCombo") != std::string::npos) closeComboLists();
        HWND active = GetActiveWindow();
        if (!active || active != hwnd() || tag.empty()) return;
        TimerTooltips.setEnabled(true);
        tipText.clear();
        if (tag.find("button") == std::string::npos) return;
        closeComboLists();
        if (buttonSoundsOn && !gButtonSound.empty())
            seams::playSoundImage(gButtonSound.data());
        long n = 0;
        hoverButton = settings_rules::parseLong(tag.substr(6), n) ? static_cast<int>(n) : -1;
        if (hoverButton >= 0 && hoverButton <= 7) {
            tipText = buttonTipText(hoverButton);
            setButtonPicture(hoverButton, 2);
        }
    });
}

void frmMain::SbcEasy1_MouseExit(const std::string&) {
    // The report names the step that failed and the button.
    int step = 0;
    (void)userAction::run({}, [&] {
            step = 1;
            tmrPrevNext.setEnabled(false);
            step = 2;
            step = 3;
            if (hoverButton >= 0) setButtonPicture(hoverButton, 0);
            step = 4;
            tipText.clear();
            step = 5;
            TimerTooltips.setEnabled(false);
            step = 6;
            showToolTipText();
            step = 7;
        },
        [&] {
            dataManipulation::showMessage(hwnd(),
                                          action_rule::failureText("SbcEasy1_MouseExit - line" +
                                                                   verse_display::statusNumber(step) + "  " +
                                                                   verse_display::statusNumber(hoverButton)),
                                          kStopCaption, MB_ICONSTOP);
        });
}

void frmMain::ComboTopics_Click() {
    (void)userAction::run({hwnd(), "comboTopics_click", kStopCaption, MB_ICONSTOP}, [&] {
        long i = static_cast<long>(SendMessageA(ComboTopics, CB_GETCURSEL, 0, 0));
        // Each step has reported its own failure; the rest is skipped.
        if (i >= 0 && !gTopics.empty() && i != gTopics[0].currentTopic) {
            if (failed(changeTopics(i))) return;
            if (failed(UpdateStatusBar())) return;
            (void)displayVerses();
        }
    });
}

void frmMain::comboTranslations_Click() {
    (void)userAction::run({hwnd(), "comboTranslations_click", kStopCaption, MB_ICONSTOP}, [&] {
        long i = static_cast<long>(SendMessageA(comboTranslations, CB_GETCURSEL, 0, 0));
        if (i >= 0 && i != gCurTranslation) {
            if (failed(changeTranslations(i))) return;
            if (failed(displayVerses())) return;
            if (failed(rebuildTopics())) return;
            // The verse number and translation panels follow the change.
            (void)UpdateStatusBar();
        }
    });
}

void frmMain::addVersesButton() {
    gDialogCancelled = true;
    if (openAddVerseDialog) openAddVerseDialog(hwnd());
    SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_APPSTARTING)));
    if (!gDialogCancelled && failed(addYourVerses())) {
        if (!gTopics.empty()) {
            gTopics[0].currentTopic = 0;
            long first = 0;
            if (succeeded(changeTopics(first)) && succeeded(UpdateStatusBar())) (void)displayVerses();
        }
    }
    SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
}

Outcome frmMain::rebuildTopics() {
    return userAction::run({hwnd(), "rebuildTopics", kStopCaption, MB_ICONSTOP}, [&] {
        SendMessageA(ComboTopics, CB_RESETCONTENT, 0, 0);
        for (const TopicRecord& t : gTopics)
            SendMessageA(ComboTopics, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>((" " + t.name).c_str()));
        long k = currentTopicIndex();
        if (k < 0) throw std::out_of_range("topic");
        SetWindowTextA(ComboTopics, (" " + gTopics[static_cast<size_t>(k)].name).c_str());
    });
}

Outcome frmMain::addYourVerses() {
    return userAction::run({hwnd(), "addYourVerses", kStopCaption, MB_ICONSTOP}, [&] {
        registry::saveSetting(settings_rules::settings::newVerseIndex, std::to_string(gVerseIndex));
        long k = currentTopicIndex();
        if (k >= 0)
            registry::saveSetting(settings_rules::settings::fileName, gTopics[static_cast<size_t>(k)].fileName);
        bool quiet = true;
        (void)dataManipulation::loadAllTranslations(hwnd(), quiet);
        if (gCurTranslation < 0 || gCurTranslation >= static_cast<long>(gTranslations.size()))
            throw std::out_of_range("translation");
        gTopics = gTranslations[static_cast<size_t>(gCurTranslation)].topics;
        parallelFollowsShownTopic();
        // Each step reports its own failure; the verses were added either way.
        if (failed(rebuildTopics()) || failed(UpdateStatusBar())) return;
        (void)displayVerses();
    });
}

void frmMain::SubClassMain_WndMessage(HWND, UINT msg, WPARAM, LPARAM lp, LRESULT& result, bool& suppress) {
    (void)userAction::run({hwnd(), "SubClassMain_WndMessage", kStopCaption, MB_ICONSTOP}, [&] {
        if (msg == WM_GETMINMAXINFO) {
            MINMAXINFO info = *reinterpret_cast<MINMAXINFO*>(lp);
            info.ptMinTrackSize.x = main_layout::kMinTrackWidth;
            info.ptMinTrackSize.y = main_layout::kMinTrackHeight;
            *reinterpret_cast<MINMAXINFO*>(lp) = info;
            result = 0;
            suppress = true;
        }
    });
}

namespace {
void comboOrStatusMessage(HWND combo, UINT msg, LRESULT& result, bool& suppress) {
    if (msg == WM_SETFONT) {
        result = 1;
        suppress = true;
    } else if (combo && msg == WM_LBUTTONDOWN) {
        PostMessageA(combo, CB_SHOWDROPDOWN, 1, 0);
        result = 1;
        suppress = true;
    }
}
} // namespace

void frmMain::SubClassSB_WndMessage(HWND, UINT msg, WPARAM, LPARAM, LRESULT& result, bool& suppress) {
    (void)userAction::run({hwnd(), "SubClassSB_WndMessage", kStopCaption, MB_ICONSTOP}, [&] {
        comboOrStatusMessage(nullptr, msg, result, suppress);
    });
}

void frmMain::SubClassCBtopic_WndMessage(HWND, UINT msg, WPARAM, LPARAM, LRESULT& result, bool& suppress) {
    (void)userAction::run({hwnd(), "SubClassCBtopic_WndMessage", kStopCaption, MB_ICONSTOP}, [&] {
        comboOrStatusMessage(ComboTopics, msg, result, suppress);
    });
}

void frmMain::SubClassCBtranslation_WndMessage(HWND, UINT msg, WPARAM, LPARAM, LRESULT& result, bool& suppress) {
    (void)userAction::run({hwnd(), "SubClassCBtranslation_WndMessage", kStopCaption, MB_ICONSTOP}, [&] {
        comboOrStatusMessage(comboTranslations, msg, result, suppress);
    });
}

LRESULT frmMain::picButtonEvent(WPARAM id, LPARAM lp) {
    int index = static_cast<int>(id) - kButtonId0;
    if (index < 0 || index >= kButtons) return 0;
    const auto& m = *reinterpret_cast<const ui::PictureButton::Mouse*>(lp);
    switch (m.event) {
    case ui::PictureButton::Mouse::Event::Down:
        picButton_MouseDown(index, m.button, m.shift, m.x, m.y);
        break;
    case ui::PictureButton::Mouse::Event::Move:
        picButton_MouseMove(index, m.button, m.shift, m.x, m.y);
        break;
    case ui::PictureButton::Mouse::Event::Up:
        picButton_MouseUp(index, m.button, m.shift, m.x, m.y);
        if (m.click) picButton_Click(index);
        break;
    }
    return 0;
}

UINT frmMain::picButtonEventMessage() { return kPicButtonEvent; }
