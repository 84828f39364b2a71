// verify_fixture.h
// What the Windows tests of verify share: OLE on the test thread, the fake
// control registered under the control's class, recorded message boxes,
// alerts and registration runs, and the conflict window's list lines.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "common/win32/program_seams.h"
#include "fake_orvane.h"
#include "verify/VerVrfyControl.h"
#include "verify/register_run.h"
#include "win_test_support.h"

class VerifyTest : public ::testing::Test {
public:
    // The lines of a list box.
    static std::vector<std::string> listLines(HWND list) {
        std::vector<std::string> lines;
        const LRESULT n = SendMessageA(list, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < n; ++i) {
            std::string s(static_cast<size_t>(SendMessageA(list, LB_GETTEXTLEN, i, 0)) + 1, '\0');
            const LRESULT got = SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(s.data()));
            s.resize(got > 0 ? static_cast<size_t>(got) : 0);
            lines.push_back(s);
        }
        return lines;
    }

protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        VerVrfyControl::gTargetFile = "C:\\Pellanor\\pellanor.exe";
        VerVrfyControl::gRegisterPath.clear();
        seams::setAlertObserver([this](const char* kind, HWND) { alerts.push_back(kind); });
        registerRun::setRunHidden([this](const std::string& cmd, DWORD& code) {
            commands.push_back(cmd);
            code = registerExitCode;
            return registerStarts;
        });
    }
    void TearDown() override {
        fakeClass.reset();
        seams::setAlertObserver(nullptr);
        registerRun::setRunHidden(nullptr);
        OleUninitialize();
    }
    // Registers the fake control with the script as it is now.
    void registerFake(HRESULT createFailure = S_OK) {
        fakeClass = std::make_unique<fake::Registration>(script, record, createFailure);
    }


    fake::Script script;
    fake::Record record;
    std::unique_ptr<fake::Registration> fakeClass;
    testsupport::BoxRecorder boxes;
    std::vector<std::string> alerts;
    std::vector<std::string> commands;
    DWORD registerExitCode = 0;
    bool registerStarts = true;
};
