// recorded_fixture.h
// For the tests of the options, tip, first-run, about and copyright
// dialogs: a prepared program folder with the message boxes, the help
// viewer and the shell recorded, and a way to act on a modal dialog while
// its own loop runs.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "dialog_driver.h"
#include "pellanor/win/Module1.h"
#include "seams.h"
#include "win_test_support.h"

namespace testsupport {

class RecordedDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        clearProgramRegistry();
        seams::setProgramFolder(root.path());
        gVerseRoot = root.path(); // where the error log goes
        seams::setHtmlHelp([this](HWND, const std::string&, UINT cmd, DWORD_PTR data) {
            help.push_back({cmd, data});
            return HWND{};
        });
        seams::setShellOpen([this](const std::string& file) { opened.push_back(file); });
        gErrorShown = false;
        gNoErrorLog = false;
    }
    void TearDown() override {
        seams::setProgramFolder("");
        gVerseRoot.clear();
        seams::setHtmlHelp(nullptr);
        seams::setShellOpen(nullptr);
        clearProgramRegistry();
    }

    struct HelpCall {
        UINT command;
        DWORD_PTR data;
    };
    TempDir root;
    BoxRecorder boxes;
    std::vector<HelpCall> help;
    std::vector<std::string> opened;
};

// Acts once on the top-level window with this caption as soon as it shows
// up, so a test can drive a dialog whose modal loop it is waiting in. One
// at a time.
class WhenShown {
public:
    WhenShown(const char* caption, std::function<void(HWND)> act)
        : m_act(std::move(act)),
          m_when([this, caption] { return (m_window = FindWindowA(nullptr, caption)) != nullptr; },
                 [this] { m_act(m_window); }) {}

    // Posts a click of button id to the dialog.
    static void click(HWND dialog, int id) { PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

private:
    std::function<void(HWND)> m_act;
    HWND m_window = nullptr;
    dialogdriver::WhenReady m_when;
};

} // namespace testsupport
