// update_dialog_fixture.h
// For the auto-update dialog's tests: the dialog, hidden, against the test
// update server on 127.0.0.1 (the "updateServer" setting points it there),
// over a prepared program folder, with the message boxes, the help viewer
// and the started programs recorded.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "pellanor/win/Module1.h"
#include "OrvaneAutoUpdate.h"
#include "OrvaneAutoUpdate_res.h"
#include "dialog_driver.h"
#include "registry.h"
#include "seams.h"
#include "server_fixture.h"
#include "settings_rules.h"
#include "win_test_support.h"

namespace update_dialog_test {

using namespace testsupport;
using namespace dialogdriver;
using namespace OrvaneAutoUpdateMod;

inline std::string listFile(int n) {
    return n == 10 ? "autoUpdate/pellanor/orvaneUpdateListPatch15.orvanef"
                   : "autoUpdate/pellanor/orvaneUpdateList" + std::to_string(n) + ".orvanef";
}

inline std::string entry(const std::string& name, long size, const std::string& address, const std::string& date,
                         const std::string& text, const std::string& path = "") {
    return name + "\t" + std::to_string(size) + "\t" + address + "\t" + date + "\t\t" + path + "\t" + text + "\r\n";
}

class UpdateDialog : public ::testing::Test {
protected:
    void SetUp() override {
        updtest::setServerFolder(gArgs.back());
        clearProgramRegistry();
        registry::saveSetting(settings_rules::kProgramTitle, "Settings", kServerSetting, updtest::hostPort());
        seams::setProgramFolder(prog.path());
        seams::setStartProcess([this](const std::string& cmd, int show) {
            started.push_back(cmd);
            shows.push_back(show);
            return true;
        });
        seams::setHtmlHelp([this](HWND owner, const std::string&, UINT cmd, DWORD_PTR data) {
            help.push_back({owner, cmd, data});
            return static_cast<HWND>(nullptr);
        });
        gErrorShown = false;
        // Failures leave their reasons in the program folder's error log.
        gVerseRoot = prog.path();
        gNoErrorLog = false;
        gPatchDownloaded = false;
        gOSVersion = {};
        gOSVersion.dwMajorVersion = 5;
        gOSVersion.dwPlatformId = VER_PLATFORM_WIN32_NT;
        OrvaneAutoUpdate::registerComponents = false;
        OrvaneAutoUpdate::timeoutSeconds = 30;
        for (int n = 1; n <= 10; ++n) lists[n] = "ORVANEF 1\r\n";
    }
    void TearDown() override {
        dlg.reset();
        seams::setProgramFolder("");
        seams::setStartProcess(nullptr);
        seams::setHtmlHelp(nullptr);
        gVerseRoot.clear();
        clearProgramRegistry();
    }
    void publish() {
        for (auto& [n, body] : lists) {
            std::string p = updtest::serverRoot() + "\\" + listFile(n);
            for (char& c : p)
                if (c == '/') c = '\\';
            if (body == "MISSING")
                DeleteFileA(p.c_str());
            else
                updtest::serve(listFile(n), body);
        }
    }
    void open() {
        publish();
        dlg = std::make_unique<OrvaneAutoUpdate>(nullptr);
        ASSERT_TRUE(dlg->isOpen());
        pump(h());
    }
    void check() {
        click(h(), IDC_AU_STARTVERIFY);
    }
    HWND h() const { return dlg->hwnd(); }
    std::string log() const { return readBytes(prog / "error_log.txt"); }
    bool logged(const std::string& part) const { return log().find(part) != std::string::npos; }
    HWND item(int id) const { return GetDlgItem(h(), id); }
    bool enabled(int id) const { return IsWindowEnabled(item(id)) != FALSE; }
    bool visible(int id) const { return (GetWindowLongA(item(id), GWL_STYLE) & WS_VISIBLE) != 0; }
    std::vector<std::string> items() const {
        std::vector<std::string> r;
        LRESULT n = SendMessageA(dlg->List1, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < n; ++i) {
            char buf[512] = {};
            SendMessageA(dlg->List1, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf));
            r.push_back(buf);
        }
        return r;
    }
    void selectOnly(int index) {
        click(h(), IDC_AU_SELECT0);
        SendMessageA(dlg->List1, LB_SETSEL, TRUE, index);
    }
    bool horizontalBarShown() const {
        SCROLLBARINFO info{};
        info.cbSize = sizeof info;
        return GetScrollBarInfo(dlg->List1, OBJID_HSCROLL, &info) &&
               !(info.rgstate[0] & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN));
    }
    void pressAbort() {
        SendMessageA(h(), WM_COMMAND, MAKEWPARAM(IDC_AU_ABORT, BN_CLICKED), reinterpret_cast<LPARAM>(item(IDC_AU_ABORT)));
    }
    std::string machineValue(const std::string& name) {
        std::string v;
        if (failed(registry::regRead(HKEY_LOCAL_MACHINE, registry::machineKeyPath(), name, v))) return "<missing>";
        return v;
    }

    struct Help {
        HWND owner;
        UINT command;
        DWORD_PTR data;
    };
    TempDir prog;
    std::map<int, std::string> lists;
    std::vector<std::string> started;
    std::vector<int> shows;
    std::vector<Help> help;
    BoxRecorder boxes;
    std::unique_ptr<OrvaneAutoUpdate> dlg;
};


} // namespace update_dialog_test
