// frmMain_display.cpp
// The main window's verse display, status bar and navigation through
// verses, topics and translations.
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <iterator>
#include <stdexcept>

#include "pellanor/win/Module1.h"
#include "common/win32/handles.h"
#include "button_tips.h"
#include "dataManipulation.h"
#include "frmMain.h"
#include "seams.h"
#include "settings_rules.h"
#include "status_panels.h"
#include "verse_display.h"
#include "verse_navigation.h"

using dataManipulation::kStopCaption;

namespace {

// Measures texts in a window's own font (the default GUI font when it has
// none set).
class TextMeasure {
public:
    explicit TextMeasure(HWND h) : m_hwnd(h), m_dc(GetDC(h)) {
        if (!m_dc) return;
        auto font = reinterpret_cast<HFONT>(SendMessageA(h, WM_GETFONT, 0, 0));
        m_old = SelectObject(m_dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    }
    ~TextMeasure() {
        if (!m_dc) return;
        SelectObject(m_dc, m_old);
        ReleaseDC(m_hwnd, m_dc);
    }
    TextMeasure(const TextMeasure&) = delete;
    TextMeasure& operator=(const TextMeasure&) = delete;
    explicit operator bool() const { return m_dc != nullptr; }
    int width(const std::string& text) const {
        SIZE size{0, 0};
        GetTextExtentPoint32A(m_dc, text.c_str(), static_cast<int>(text.size()), &size);
        return static_cast<int>(size.cx);
    }

private:
    HWND m_hwnd;
    HDC m_dc;
    HGDIOBJ m_old = nullptr;
};

// Topic files as the program reads them: a damaged one is logged once.
bool readTopic(const std::string& path, VerseArray& verses, long& lineCount, std::string& message) {
    long index = 1, flags = 0;
    std::string caption;
    return succeeded(dataManipulation::loadVerseFile(path, lineCount, nullptr, index, message, caption, flags, verses));
}

std::string windowText(HWND h) {
    int n = GetWindowTextLengthA(h);
    std::string s(static_cast<size_t>(n) + 1, '\0');
    int got = GetWindowTextA(h, s.data(), n + 1);
    s.resize(static_cast<size_t>(got > 0 ? got : 0));
    return s;
}

} // namespace

verse_navigation::Library frmMain::library() {
    return {gTranslations, gCurTranslation, gTopics, gVerses, gVerseIndex,
            gVerseRoot, gParallelTranslation, lRepeatCtr, gRepeatCount};
}

std::string frmMain::verseBoxText() const { return windowText(RichTxtVerse); }

std::string frmMain::locationText(int element) const {
    return element >= 0 && element < 3 ? windowText(txtLocation[static_cast<size_t>(element)]) : std::string();
}

std::string frmMain::panelText(int panel) const {
    char buf[512] = {};
    LRESULT r = SendMessageA(StatusBar1, SB_GETTEXTLENGTHA, static_cast<WPARAM>(panel - 1), 0);
    if (LOWORD(r) >= sizeof buf) return {};
    SendMessageA(StatusBar1, SB_GETTEXTA, static_cast<WPARAM>(panel - 1), reinterpret_cast<LPARAM>(buf));
    std::string s = buf;
    // The last panel is right-aligned with leading TABs.
    while (!s.empty() && s[0] == '\t') s.erase(0, 1);
    return s;
}

void frmMain::setPanel(int panel, const std::string& text) {
    std::string t = panel == 4 ? "\t\t" + text : text;
    SendMessageA(StatusBar1, SB_SETTEXTA, static_cast<WPARAM>(panel - 1), reinterpret_cast<LPARAM>(t.c_str()));
}

Outcome frmMain::displayVerses() {
    const Outcome shown = userAction::run({hwnd(), "displayVerses", kStopCaption, MB_ICONSTOP}, [&] {
        const VerseRecord v = verse_navigation::verseAt(gVerses, gVerseIndex);
        std::string reference = verse_display::referenceText(v);
        for (HWND box : txtLocation) SetWindowTextA(box, reference.c_str());
        ShowWindow(RichTxtVerse, SW_HIDE);

        const verse_display::VerseBox box =
            verse_display::verseBox(gTranslations, gCurTranslation, gTopics, gVerseIndex, v, gParallelTranslation);
        SetWindowTextA(RichTxtVerse, "");
        SetWindowTextA(RichTxtVerse, box.text.c_str());
        if (box.userTopic) {
            setPanel(3, box.translationPanel);
            return;
        }
        for (const auto& [from, to] : box.names) {
            CHARRANGE range{from, to};
            SendMessageA(RichTxtVerse, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
            CHARFORMAT2A cf{};
            cf.cbSize = sizeof cf;
            cf.dwMask = CFM_BOLD | CFM_COLOR;
            cf.dwEffects = CFE_BOLD;
            cf.crTextColor = kNameColour;
            SendMessageA(RichTxtVerse, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
        }
        CHARRANGE start{0, 0};
        SendMessageA(RichTxtVerse, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&start));
    });
    ShowWindow(RichTxtVerse, SW_SHOWNA);
    return shown;
}

Outcome frmMain::UpdateStatusBar() {
    return userAction::run({hwnd(), "UpdateStatusBar", kStopCaption, MB_ICONSTOP}, [&] {
        const verse_display::TopicStatus topic = verse_display::topicStatus(gTopics, gVerseIndex);
        SetWindowTextA(ComboTopics, topic.topicList.c_str());
        setPanel(2, topic.versePanel);
        const verse_display::TranslationStatus translation =
            verse_display::translationStatus(gVerses, gVerseIndex, gTranslations, gCurTranslation);
        setPanel(3, translation.translationPanel);
        SetWindowTextA(comboTranslations, translation.translationList.c_str());
        setPanel(4, verse_display::sleepPanelText(gSnoozeTime));
        sizeStatusPanels();
    });
}

// The panels are as wide as their text in the status bar's font (panel 2
// as wide as the topic's largest verse number makes it, panel 3 as its
// longest translation name with the combo's button), never narrower than
// the designed 85 and 150 pixels; the last panel ends before the size grip.
// A narrow window takes the room from the lists first (status_panels::allot),
// down to a few letters of their names, so that the verse count and the
// sleep time still show whole; a list narrower than its name shows it with
// an ellipsis, and the topic list's open part keeps the width of the longest
// name. The translation combo lies over panel 3 and moves with it.
void frmMain::sizeStatusPanels() {
    if (!StatusBar1 || !ComboTopics || !comboTranslations) return;
    RECT client;
    GetClientRect(hwnd(), &client);
    // A panel's borders and the space the control keeps around its text.
    const int padding = 4 * GetSystemMetrics(SM_CXEDGE) + 6;
    const int button = GetSystemMetrics(SM_CXVSCROLL);
    // The start of a name and the ellipsis, with the list's button.
    const char* const kLeast = " Aaa...";
    long k = currentTopicIndex();
    long count = k >= 0 ? gTopics[static_cast<size_t>(k)].verseCount : 0;

    status_panels::Needs needs;
    needs.topicDesigned = kTopicComboWidth;
    needs.countDesigned = 85;
    needs.translationDesigned = 150;
    {
        TextMeasure bar(StatusBar1);
        if (!bar) return;
        needs.countText = bar.width(verse_display::versePanelText(count, count)) + padding;
        needs.translationText = bar.width(panelText(3)) + padding;
        for (const TranslationRecord& t : gTranslations)
            needs.translationText = std::max(needs.translationText, bar.width(" " + t.name) + button + padding);
        needs.translationLeast = bar.width(kLeast) + button + padding;
        needs.sleepText = bar.width(panelText(4)) + padding;
    }
    // The topic names in the topic box's own font, with its button.
    int needLongest = 0;
    {
        TextMeasure box(ComboTopics);
        for (size_t i = 0; box && i < gTopics.size(); ++i) {
            int need = box.width(" " + gTopics[i].name) + button + padding;
            needLongest = std::max(needLongest, need);
            if (static_cast<long>(i) == k) needs.topicText = need;
        }
        needs.topicLeast = box ? box.width(kLeast) + button + padding : button + padding;
    }
    needs.available = status_panels::availableWidth(static_cast<int>(client.right), button,
                                                    (GetWindowLongPtrA(StatusBar1, GWL_STYLE) & SBARS_SIZEGRIP) != 0,
                                                    IsZoomed(hwnd()) != FALSE);
    const status_panels::Widths widths = status_panels::allot(needs);

    RECT combo;
    GetWindowRect(ComboTopics, &combo);
    if (combo.right - combo.left != widths.topic)
        SetWindowPos(ComboTopics, nullptr, 0, 0, widths.topic, kListHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageA(ComboTopics, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(std::max(widths.topic, needLongest)), 0);
    std::array<int, 4> edges = status_panels::partEdges(widths, needs.available);
    int before[4] = {};
    SendMessageA(StatusBar1, SB_GETPARTS, 4, reinterpret_cast<LPARAM>(before));
    if (std::equal(edges.begin(), edges.end(), std::begin(before))) return;
    SendMessageA(StatusBar1, SB_SETPARTS, 4, reinterpret_cast<LPARAM>(edges.data()));
    InvalidateRect(StatusBar1, nullptr, TRUE);
    RECT p3{};
    SendMessageA(StatusBar1, SB_GETRECT, 2, reinterpret_cast<LPARAM>(&p3));
    SetWindowPos(comboTranslations, HWND_TOP, p3.left, client.bottom - m_comboHeight + 2,
                 p3.right - p3.left + 2, kListHeight, SWP_NOACTIVATE);
}

// An edit field cuts a name too long for it without a sign, or shows its
// end once the text was selected. Its own painting is kept while the user
// may be typing in it (focus) and when the name fits.
bool frmMain::paintCutListName(HWND edit) {
    if (!edit || GetFocus() == edit || !IsWindowEnabled(edit)) return false;
    const std::string name = windowText(edit);
    RECT text{};
    SendMessageA(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
    {
        TextMeasure measure(edit);
        if (!measure || measure.width(name) <= text.right - text.left) return false;
    }
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(edit, &ps);
    if (!dc) return false;
    auto font = reinterpret_cast<HFONT>(SendMessageA(edit, WM_GETFONT, 0, 0));
    HGDIOBJ oldFont = SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    // The colours the field asks its combo box (and so this window) for.
    auto brush = reinterpret_cast<HBRUSH>(
        SendMessageA(GetParent(edit), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(edit)));
    RECT client;
    GetClientRect(edit, &client);
    FillRect(dc, &client, brush ? brush : GetSysColorBrush(COLOR_WINDOW));
    SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, name.c_str(), static_cast<int>(name.size()), &text,
              DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(dc, oldFont);
    EndPaint(edit, &ps);
    return true;
}

Outcome frmMain::prepStatusBar() {
    return userAction::run({hwnd(), "prepStatusBar", kStopCaption, MB_ICONSTOP}, [&] {
        SendMessageA(StatusBar1, SB_SETMINHEIGHT, static_cast<WPARAM>(m_comboHeight), 0);
        SendMessageA(StatusBar1, WM_SIZE, 0, 0);
        int edges[4] = {1, 2, 3, -1};
        SendMessageA(StatusBar1, SB_SETPARTS, 4, reinterpret_cast<LPARAM>(edges));
        for (int p = 1; p <= 4; ++p) setPanel(p, "");
        sizeStatusPanels();
        addTooltips();
        PostMessageA(StatusBar1, SB_SETBKCOLOR, 0, 0xFFFFFF);

        SendMessageA(ComboTopics, CB_RESETCONTENT, 0, 0);
        for (const TopicRecord& t : gTopics)
            SendMessageA(ComboTopics, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>((" " + t.name).c_str()));
        const TopicRecord& shown = verse_navigation::topicAt(gTopics, verse_navigation::shownTopic(gTopics));
        SetWindowTextA(ComboTopics, (" " + shown.name).c_str());

        SendMessageA(comboTranslations, CB_RESETCONTENT, 0, 0);
        long count = gTranslations.empty() ? 0 : gTranslations[0].count;
        for (long i = 0; i < count; ++i)
            SendMessageA(comboTranslations, CB_ADDSTRING, 0,
                         reinterpret_cast<LPARAM>((" " + verse_navigation::translationAt(gTranslations, i).name).c_str()));
        SetWindowTextA(comboTranslations, (" " + verse_navigation::translationAt(gTranslations, gCurTranslation).name).c_str());
        Form_Resize();
    });
}

// The tips ask for their text as they are about to show (listTipText), so that
// none shows while a list is open: a tip lies just below the pointer, where
// the list drops.
void frmMain::addTooltips() {
    if (!m_tooltips) return;
    auto add = [&](HWND owner, UINT_PTR id, UINT flags) {
        TOOLINFOA ti{};
        ti.cbSize = sizeof ti;
        ti.uFlags = flags | TTF_SUBCLASS;
        ti.hwnd = owner;
        ti.uId = id;
        ti.lpszText = LPSTR_TEXTCALLBACKA;
        if (!(flags & TTF_IDISHWND)) SendMessageA(owner, SB_GETRECT, id - 1, reinterpret_cast<LPARAM>(&ti.rect));
        SendMessageA(m_tooltips, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
    };
    for (HWND combo : {ComboTopics, comboTranslations}) {
        add(hwnd(), reinterpret_cast<UINT_PTR>(combo), TTF_IDISHWND);
        // A drop-down combo's edit field takes the pointer; it carries the tip too.
        if (HWND edit = ChildWindowFromPoint(combo, POINT{15, 15}); edit && edit != combo)
            add(hwnd(), reinterpret_cast<UINT_PTR>(edit), TTF_IDISHWND);
    }
    for (UINT_PTR panel = 1; panel <= 4; ++panel) add(StatusBar1, panel, 0);
}

const char* frmMain::listTipText(UINT_PTR tool, bool isWindow) const {
    for (HWND combo : {ComboTopics, comboTranslations})
        if (SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0)) return "";
    if (!isWindow) return tool <= 4 ? button_tips::panelTip(static_cast<int>(tool)) : "";
    HWND h = reinterpret_cast<HWND>(tool);
    if (h == ComboTopics || GetParent(h) == ComboTopics) return button_tips::kTopicListTip;
    if (h == comboTranslations || GetParent(h) == comboTranslations) return button_tips::kTranslationListTip;
    return "";
}

bool frmMain::onTipNotify(LPARAM lp) {
    auto* header = reinterpret_cast<NMHDR*>(lp);
    if (!header || header->hwndFrom != m_tooltips || !m_tooltips) return false;
    if (header->code == TTN_GETDISPINFOA) {
        auto* info = reinterpret_cast<NMTTDISPINFOA*>(lp);
        info->hinst = nullptr;
        info->lpszText = const_cast<char*>(listTipText(header->idFrom, (info->uFlags & TTF_IDISHWND) != 0));
        return true;
    }
    if (header->code == TTN_GETDISPINFOW) {
        // The tip asks in UTF-16 when the window answered so: the texts
        // are plain ASCII.
        auto* info = reinterpret_cast<NMTTDISPINFOW*>(lp);
        const char* text = listTipText(header->idFrom, (info->uFlags & TTF_IDISHWND) != 0);
        size_t i = 0;
        for (; text[i] && i + 1 < std::size(info->szText); ++i) info->szText[i] = static_cast<wchar_t>(text[i]);
        info->szText[i] = L'\0';
        info->hinst = nullptr;
        info->lpszText = info->szText;
        return true;
    }
    return false;
}

Outcome frmMain::nextVerse() {
    return userAction::run({hwnd(), "nextVerse", kStopCaption, MB_ICONSTOP}, [&] {
        verse_navigation::Library shown = library();
        verse_navigation::nextVerse(shown);
        throwOnFailure(displayVerses());
        throwOnFailure(UpdateStatusBar());
    });
}

Outcome frmMain::prevVerse() {
    return userAction::run({hwnd(), "prevVerse", kStopCaption, MB_ICONSTOP}, [&] {
        verse_navigation::Library shown = library();
        verse_navigation::previousVerse(shown);
        throwOnFailure(displayVerses());
        throwOnFailure(UpdateStatusBar());
    });
}

Outcome frmMain::getNewVerseIndex() {
    return userAction::run({hwnd(), "getNewVerseIndex", kStopCaption, MB_ICONSTOP}, [&] {
        verse_navigation::Library shown = library();
        verse_navigation::OrderStep step = verse_navigation::nextInOrder(shown);
        using Kind = verse_navigation::OrderStep::Kind;
        if (step.kind == Kind::NextVerse) return;
        if (step.kind == Kind::NextTopic) throwOnFailure(changeTopics(step.topic));
        throwOnFailure(UpdateStatusBar());
        throwOnFailure(displayVerses());
    });
}

void frmMain::loadParallelTranslations(const std::string& fileName) {
    verse_navigation::Library shown = library();
    verse_navigation::loadParallel(shown, fileName, readTopic);
}

void frmMain::parallelFollowsShownTopic() {
    verse_navigation::Library shown = library();
    verse_navigation::parallelFollowsShownTopic(shown, readTopic);
}

Outcome frmMain::changeTopics(long& topicIndex) {
    return userAction::run({hwnd(), "changeTopics", kStopCaption, MB_ICONSTOP}, [&] {
        verse_navigation::Library shown = library();
        const verse_navigation::Change change = verse_navigation::changeTopic(shown, topicIndex, readTopic);
        if (!change.done) {
            dataManipulation::showMessage(hwnd(), verse_navigation::changeTopicFailureText(change.message),
                                          verse_navigation::kChangeTopicCaption, MB_ICONINFORMATION);
            SendMessageA(ComboTopics, CB_SETCURSEL, static_cast<WPARAM>(gTopics[0].currentTopic), 0);
            return Outcome::Failed;
        }
        return Outcome::Ok;
    });
}

Outcome frmMain::changeTranslations(long translationIndex) {
    return userAction::run({hwnd(), "changeTranslations", kStopCaption, MB_ICONSTOP}, [&] {
        verse_navigation::Library shown = library();
        const verse_navigation::Change change = verse_navigation::changeTranslation(shown, translationIndex, readTopic);
        if (!change.done) {
            dataManipulation::showMessage(hwnd(), verse_navigation::changeTranslationFailureText(change.message),
                                          verse_navigation::kChangeTranslationCaption, MB_ICONINFORMATION);
            SendMessageA(comboTranslations, CB_SETCURSEL, static_cast<WPARAM>(gCurTranslation), 0);
        }
    });
}

namespace {

// The reference boxes' font at a size: their own face and weight. The fonts
// live as long as the program, so a box may keep one after the dialog.
HFONT referenceFont(HWND box, long size) {
    static std::map<long, win32::Font> fonts;
    auto found = fonts.find(size);
    if (found != fonts.end()) return found->second.get();
    LOGFONTA lf{};
    HFONT current = reinterpret_cast<HFONT>(SendMessageA(box, WM_GETFONT, 0, 0));
    if (!current || GetObjectA(current, sizeof lf, &lf) != sizeof lf) {
        lf = LOGFONTA{};
        lf.lfWeight = FW_BOLD;
        lf.lfCharSet = DEFAULT_CHARSET;
        lf.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
        std::strcpy(lf.lfFaceName, "Arial");
    }
    HDC dc = GetDC(nullptr);
    int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc) ReleaseDC(nullptr, dc);
    lf.lfHeight = -MulDiv(static_cast<int>(size), dpi, 72);
    lf.lfWidth = 0;
    HFONT font = CreateFontIndirectA(&lf);
    if (font) fonts.emplace(size, win32::Font(font));
    return font;
}

} // namespace

// The verse box's text and its text to come at size points.
void frmMain::sizeVerseBox(long size) {
    CHARFORMAT2A cf{};
    cf.cbSize = sizeof cf;
    cf.dwMask = CFM_SIZE;
    cf.yHeight = size * 20;
    SendMessageA(RichTxtVerse, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&cf));
    SendMessageA(RichTxtVerse, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf));
}

void frmMain::setVerseFontSize(long size, bool references) {
    sizeVerseBox(size);
    if (references)
        for (HWND box : txtLocation)
            if (HFONT font = box ? referenceFont(box, size) : nullptr)
                SendMessageA(box, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (hwnd()) {
        InvalidateRect(hwnd(), nullptr, TRUE);
        UpdateWindow(hwnd());
    }
}
