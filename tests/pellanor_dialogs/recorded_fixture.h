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
#include <vector>

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
// up, polled by a thread timer, so a test can drive a dialog whose modal
// loop it is waiting in. One at a time.
class WhenShown {
public:
    WhenShown(const char* caption, std::function<void(HWND)> act) : m_caption(caption), m_act(std::move(act)) {
        current() = this;
        m_timer = SetTimer(nullptr, 0, 20, poll);
    }
    ~WhenShown() {
        if (m_timer) KillTimer(nullptr, m_timer);
        current() = nullptr;
    }
    WhenShown(const WhenShown&) = delete;
    WhenShown& operator=(const WhenShown&) = delete;

    // Posts a click of button id to the dialog.
    static void click(HWND dialog, int id) { PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

private:
    static WhenShown*& current() {
        static WhenShown* self = nullptr;
        return self;
    }
    static VOID CALLBACK poll(HWND, UINT, UINT_PTR, DWORD) {
        WhenShown* self = current();
        if (!self || !self->m_timer) return;
        HWND window = FindWindowA(nullptr, self->m_caption);
        if (!window) return;
        KillTimer(nullptr, self->m_timer);
        self->m_timer = 0;
        self->m_act(window);
    }

    const char* m_caption;
    std::function<void(HWND)> m_act;
    UINT_PTR m_timer = 0;
};

} // namespace testsupport
