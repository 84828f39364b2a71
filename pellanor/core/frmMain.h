// frmMain.h
// The main window: finishes the start-up that Main begins, shows the verse
// with its reference and the parallel translations, steps through verses,
// topics and translations, and saves the settings when it closes.
#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "common/ui/Window.h"

class frmMain : public ui::Window {
public:
    frmMain();
    ~frmMain() override;

    // Creates the hidden window with its controls; false when it could not.
    bool create();

    // Runs the load steps. The window may close itself here (help file
    // missing, failure path); isOpen() tells.
    void Form_Load();

    // Verse display and navigation; each returns true when it failed.
    bool displayVerses();
    bool nextVerse();
    bool prevVerse();
    bool getNewVerseIndex();
    bool changeTopics(long& topicIndex);
    bool changeTranslations(long translationIndex);
    bool prepStatusBar();
    bool UpdateStatusBar();

    // Lays the controls out for the current client size.
    void Form_Resize();

    // What the window shows, for the program's own callers and tests.
    std::string verseBoxText() const;
    std::string panelText(int panel) const; // 1..4
    std::string locationText(int element) const;

    // Form-level state.
    bool formLoaded = false;
    std::array<long, 2> lRepeatCtr{1, 1};
    bool buttonSoundsOn = false;

    // Controls.
    HWND RichTxtVerse = nullptr;
    std::array<HWND, 3> txtLocation{};
    HWND StatusBar1 = nullptr;
    HWND ComboTopics = nullptr;
    HWND comboTranslations = nullptr;

    static constexpr const char* kCaption = "Pellanor 2004";
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
    void failurePath();
    void applyVerseFont();
    void setPanel(int panel, const std::string& text);
    bool loadParallelTranslations(const std::string& fileName);
    void createControls();
    void addTooltips();
    long currentTopicIndex() const;

    HFONT m_uiFont = nullptr;
    HFONT m_locationFont = nullptr;
    HWND m_tooltips = nullptr;
    int m_comboHeight = 21;
};
