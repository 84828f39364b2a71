// frmMain.h
// The main window: finishes the start-up that Main begins, shows the verse
// with its reference and the parallel translations, steps through verses,
// topics and translations, and saves the settings when it closes.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "FormTimer.h"
#include "outcome.h"
#include "settings_rules.h"
#include "action_rule.h"
#include "held_button.h"
#include "main_layout.h"
#include "verse_navigation.h"
#include "outside/subclass/SbcEasy.h"
#include "outside/subclass/SubClass.h"
#include "common/ui/PictureButton.h"
#include "common/ui/Window.h"
#include "common/win32/handles.h"

class ToolTipForm;
class FrmSysTray;

class frmMain : public ui::Window {
public:
    frmMain();
    ~frmMain() override;

    // Creates the hidden window with its controls; false when it could not.
    bool create();

    // Runs the load steps. The window may close itself here (help file
    // missing, failure path); isOpen() tells.
    void Form_Load();

    // Verse display and navigation; each has reported its own failure.
    Outcome displayVerses();
    Outcome nextVerse();
    Outcome prevVerse();
    Outcome getNewVerseIndex();
    Outcome changeTopics(long& topicIndex);
    Outcome changeTranslations(long translationIndex);
    Outcome prepStatusBar();
    Outcome UpdateStatusBar();

    // Lays the controls out for the current client size.
    void Form_Resize();
    // Shows the one reference box whose height suits the verse size.
    void showReferenceBoxFor(long verseSize);
    // Puts size (points) on the verse box and, with references, on the
    // three reference boxes, then repaints: a dialog's preview of a size.
    // The reference boxes' fonts live as long as the program, so a box may
    // keep one after the dialog has gone.
    void setVerseFontSize(long size, bool references);

    // Sleep, wake-up and the notification area.
    void sleepButton();
    void schedulerButton();
    Outcome sendToSysTray();
    void SysTrayMouseEventHandler();
    void mnuRCPrestore();
    void mnuRCPsend_Click();
    void mnuRCPquit_Click();
    void timerVerse_Timer();
    void timerSchedule_Timer();

    // Picture buttons, tooltips and combo boxes.
    void LoadTagProperties();
    void picButton_MouseDown(int index, int button, int shift, int x, int y);
    void picButton_MouseUp(int index, int button, int shift, int x, int y);
    void picButton_MouseMove(int index, int button, int shift, int x, int y);
    void picButton_Click(int index);
    void tmrPrevNext_Timer();
    void TimerTooltips_Timer();
    void SbcEasy1_MouseEnter(const std::string& tag);
    void SbcEasy1_MouseExit(const std::string& tag);
    void ComboTopics_Click();
    void comboTranslations_Click();
    Outcome addYourVerses();
    Outcome rebuildTopics();
    void addVersesButton();
    // The picture a button shows: 0 up, 1 pressed, 2 hover, -1 none loaded.
    int buttonPicture(int index) const;
    // Tag text of a picture button's tooltip ("/text/style/").
    std::string buttonTipText(int index) const;
    // Handlers for the messages of the main window, the status bar and the
    // combo boxes' edit fields; set suppress to keep the message from the
    // window's own handling, with result as its answer.
    void SubClassMain_WndMessage(HWND h, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result, bool& suppress);
    void SubClassSB_WndMessage(HWND h, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result, bool& suppress);
    void SubClassCBtopic_WndMessage(HWND h, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result, bool& suppress);
    void SubClassCBtranslation_WndMessage(HWND h, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result, bool& suppress);

    // What the window shows, for the program's own callers and tests.
    std::string verseBoxText() const;
    std::string panelText(int panel) const; // 1..4
    std::string locationText(int element) const;
    // The picture buttons' tooltip window (present once the load made it).
    HWND toolTipWindow() const;

    // Menus and updates.
    enum MenuItem : UINT {
        mnuOptions = 0x401, mnuParallel, mnuAutoStart, mnuSchedule,
        mnuHelp = 0x411, mnuUpdates, mnuButtonSounds, mnuContact, mnuCopyrights, mnuLordJesus, mnuAbout,
        mnuRCPsend = 0x421, mnuRCPquit,
    };
    HMENU mnuPopUpOptions = nullptr;
    HMENU mnuPopupHelp = nullptr;
    void showOptionsMenu();
    void showHelpMenu();
    bool menuCommand(UINT id);
    bool runMenuCommand(UINT id);
    bool menuChecked(UINT item);
    bool menuEnabled(UINT item);
    bool menuPresent(UINT item);
    // False when the run could not offer the button sounds (no sound device,
    // limited access): their stored choice is then kept as it is.
    bool buttonSoundsOffered();
    void mnuOptions_Click();
    void mnuParallel_Click();
    void mnuAutoStart_Click();
    void mnuSchedule_Click();
    void mnuHelp_Click();
    void mnuUpdates_Click();
    void mnuButtonSounds_Click();
    void mnuContact_Click();
    void mnuCopyrights_Click();
    void mnuLordJesus_Click();
    void mnuAbout_Click();
    Outcome checkForUpdates();
    Outcome checkRevisions(bool& updateStarted, bool& newVersion);
    Outcome handleFailedPatchInstall(bool& updateStarted);

    // The dialogs the menus and buttons open, each modal over the owner.
    // One not set here belongs to a dialog the program does not have yet.
    std::function<void(HWND)> openOptionsDialog;
    std::function<void(HWND)> openScheduleDialog;
    std::function<void(HWND)> openAboutDialog;
    std::function<void(HWND)> openCopyrightsDialog;
    std::function<void(HWND)> openUpdateDialog;
    std::function<void(HWND)> openLogonDialog;
    std::function<void(HWND)> openAddVerseDialog;
    std::function<void(HWND)> openTipDialog;
    std::function<void(HWND)> openFirstTimeDialog;

    // Form-level state.
    bool formLoaded = false;
    std::array<long, 2> lRepeatCtr{1, 1};
    bool buttonSoundsOn = false;

    std::string tipText;
    int hoverButton = -1;

    // Timers (identifiers are the WM_TIMER ids).
    FormTimer timerVerse{1, 30000};
    FormTimer timerSchedule{2, 15000};
    FormTimer TimerTooltips{3, 1000};
    FormTimer tmrPrevNext{4, 500};

    // The components that deliver the messages of the main window, the
    // status bar and the combo boxes' edit fields, and report the pointer
    // entering and leaving the buttons.
    outside::SubClass SubClassMain;
    outside::SubClass SubClassSB;
    outside::SubClass SubClassCBtopic;
    outside::SubClass SubClassCBtranslation;
    outside::SbcEasy SbcEasy1;

    // Controls.
    static constexpr int kButtons = main_layout::kButtons;
    std::array<HWND, kButtons> picButton{};
    std::array<std::string, kButtons> picButtonTag;
    HWND RichTxtVerse = nullptr;
    std::array<HWND, 3> txtLocation{};
    HWND StatusBar1 = nullptr;
    HWND ComboTopics = nullptr;
    HWND comboTranslations = nullptr;

    static constexpr const char* kCaption = settings_rules::kProductTitle;
    static constexpr const char* kClassName = "PellanorMainWindow";
    // Emphasis of translation names in the verse box.
    static constexpr COLORREF kNameColour = RGB(0, 0, 128);

protected:
    LRESULT handleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void onClose() override;
    void onDestroyed() override;

private:
    void Form_QueryUnload();
    void Form_Unload();
    // The load's and the unload's steps, each named for what it does.
    bool loadInOrder();
    HCURSOR showLoadDefaults();
    bool findHelpFile();
    void readWindowsVersion();
    void watchWindowAndControls();
    bool showTopicLists();
    void restoreWindowPlace();
    void applyUserSettings();
    void applyStartupChoices();
    bool showFirstVerse();
    void checkAccessSoundAndRevisions(bool& newVersion);
    void startSoundCheck();
    void settleSoundCheck();
    bool showFirstRunOrTip(bool& newVersion);
    void showUpdateHelp(bool newVersion);
    void readyTrayAndButtons();
    void releaseTrayAndTimers();
    void saveWindowPlace();
    void countThisShowing();
    std::string currentTopicFile() const;
    void failurePath();
    void bringOntoScreen();
    Outcome wakeUp(const char* routine, const char* caption, bool stopSchedule);
    Outcome alertsAndVerseStep();
    void setButtonPicture(int index, int which);
    void createButtons();
    void closeComboLists();
    void hideToolTips();
    void showToolTipText();
    void createMenus();
    void attachSubclasses();
    bool firstRun(bool& newVersion);
    void setAutoStart(bool on);
    void destroyMenus();
    void checkMenu(UINT item, bool on);
    LRESULT picButtonEvent(WPARAM id, LPARAM lp);
    static UINT picButtonEventMessage();
    void applyVerseFont();
    void sizeVerseBox(long size);
    void setPanel(int panel, const std::string& text);
    // Paints a list box's edit field whose name is wider than the field: the
    // name cut with an ellipsis. False (the field paints itself) when the
    // name fits, or while the field has the focus or is disabled.
    bool paintCutListName(HWND edit);
    void sizeStatusPanels();
    // The library as the program-wide variables hold it, with this
    // window's repeat counters.
    verse_navigation::Library library();
    void loadParallelTranslations(const std::string& fileName);
    // After the library was read, the other translations hold the topic
    // saved at the last close; where another topic is shown (the saved one
    // was gone), they load that one for the parallel view.
    void parallelFollowsShownTopic();
    friend class frmMainTestAccess;
    void createControls();
    void addTooltips();
    // The text of the status bar's and the lists' tip about to show (tool:
    // a window, or a panel 1 to 4); none while a list is open.
    const char* listTipText(UINT_PTR tool, bool isWindow) const;
    // Steps of the window procedure; true when the message was answered.
    bool onTipNotify(LPARAM lp);
    bool onCommand(WPARAM wp, LPARAM lp);
    // While a list is open it holds the mouse, so the pointer entering the
    // verse frame, a button or the status bar is not reported: a short
    // timer watches the pointer instead, and closes the lists when it has
    // left the list and its box for the rest of the window. A pointer that
    // has not moved since the list opened (opened from the keyboard, say)
    // has entered nothing.
    void watchOpenList();
    static constexpr UINT_PTR kListWatchTimer = 6;
    static constexpr UINT kListWatchMs = 100;
    POINT m_listWatchFrom{};
    void onTimer(WPARAM id);
    void paintSeparator();
    long currentTopicIndex() const;

    // Watch the list boxes' edit fields for painting (paintCutListName).
    outside::SubClass m_topicNamePaint;
    outside::SubClass m_translationNamePaint;
    std::unique_ptr<ToolTipForm> m_toolTipForm;
    std::unique_ptr<FrmSysTray> m_sysTrayForm;
    std::array<std::array<win32::Bitmap, 3>, kButtons> m_buttonImages;
    std::array<ui::PictureButton, kButtons> m_picButtons;
    // The press of Previous or Next that repeats, and the mouse button of
    // the last press.
    held_button::Repeat m_heldButton;
    bool m_inTimerTick = false;
    bool m_unloaded = false;
    // Boxes are held from the question whether the session may end until
    // it ends or is called off.
    std::optional<action_rule::ActionRule::BoxesHeld> m_sessionEnding;
    HMENU m_rcPopup = nullptr;
    win32::Font m_uiFont;
    win32::Font m_locationFont;
    HWND m_tooltips = nullptr;
    int m_comboHeight = 21;
    // While the load's steps change what the layout depends on, the hidden
    // window is not laid out; the step after them lays it out once.
    bool m_layoutHeld = false;
    // The sizes and state the controls were last laid out for: a WM_SIZE
    // that changes none of them (the first showing) leaves them as they are.
    struct LaidOutFor {
        LONG clientWidth = -1, clientHeight = -1, windowWidth = -1;
        bool zoomed = false;
        bool operator==(const LaidOutFor&) const = default;
    };
    LaidOutFor m_laidOutFor;
    LaidOutFor currentGeometry() const;
    // The start-up's check of the sound devices, still to run; and the
    // saved Button Sounds choice it applies.
    static constexpr UINT_PTR kSoundCheckTimer = 5;
    // The topic list's designed width, and the height the lists drop to
    // (pixels).
    static constexpr int kTopicComboWidth = 170;
    static constexpr int kListHeight = 240;
    static constexpr UINT kSoundCheckDelayMs = 1000;
    bool m_soundCheckPending = false;
    bool m_buttonSoundsSetting = false;
};
