// main_window_fixture.h
// A prepared program folder, the real registry and the main window, hidden,
// with the message boxes, help, process starts and alerts recorded.
#pragma once

#include <windows.h>
#include <htmlhelp.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <memory>

#include "pellanor/win/GlobalFunctions.h"
#include "pellanor/win/Module1.h"
#include "dataManipulation.h"
#include "frmMain.h"
#include "library_fixture.h"
#include "registry.h"
#include "seams.h"

namespace testsupport {


inline const char* const KJV = "TRANSLATION_King James Version";
inline const char* const WEB = "TRANSLATION_World English Bible";

inline std::string userSetting(const char* name) {
    return registry::getSetting("Pellanor", "UserSettings", name, "<missing>");
}

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        clearProgramRegistry();
        resetLibraryState();
        gParallelTranslation = true;
        seams::setProgramFolder(root.path());
        seams::setHtmlHelp([this](HWND, const std::string&, UINT cmd, DWORD_PTR data) {
            help.push_back({cmd, data});
            return HWND{};
        });
        seams::setStartProcess([this](const std::string& cmd, int) {
            started.push_back(cmd);
            return true;
        });
        seams::setAlertObserver([this](const char* kind, HWND) { alerts.push_back(kind); });
        seams::setNotifyIcon([this](DWORD message, NOTIFYICONDATAA* data) {
            tray.push_back({message, data->szTip, data->cbSize, data->uCallbackMessage});
            return TRUE;
        });
        seams::setTimeOfDay([this] { return now; });
        writeBytes(root / "help.chm", "placeholder");
        // The machine-wide key of an installation that ran this version
        // before, so the load is neither limited nor a first start after an
        // update.
        GlobalFunctions::saveVersionNumbers();
    }
    void TearDown() override {
        if (form && form->isOpen()) ShowWindow(form->hwnd(), SW_HIDE);
        form.reset();
        gMainForm = nullptr;
        // The main window ends the message loop when it goes; not here.
        MSG quit;
        while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        seams::setProgramFolder("");
        seams::setHtmlHelp(nullptr);
        seams::setStartProcess(nullptr);
        seams::setAlertObserver(nullptr);
        seams::setNotifyIcon(nullptr);
        seams::setTimeOfDay(nullptr);
        seams::setSoundDeviceCount(nullptr);
        clearProgramRegistry();
    }

    // Two translations of "Peace and Trust" (3 verses) and "Hope" (2 verses);
    // the second lacks Hope and has no verse 3 of Peace and Trust.
    void standardLibrary() {
        addTopic(root, KJV, "Peace and Trust.txt",
                 topicText({"Isaiah\t26\t3\tThou wilt keep him in perfect peace",
                            "John\t14\t27\tPeace I leave with you", "Psalms\t4\t8\tI will both lay me down"}));
        addTopic(root, KJV, "Hope.txt", topicText({"Romans\t15\t13\tNow the God of hope", "Psalms\t42\t11\tHope thou in God"}));
        addTopic(root, WEB, "Peace and Trust.txt",
                 topicText({"Isaiah\t26\t3\tYou will keep whoever's mind is steadfast",
                            "John\t14\t27\tPeace I leave with you; my peace"}));
    }

    // Finds and loads the library, creates the window and runs its load.
    void start() {
        ASSERT_EQ(dataManipulation::findTranslations(), Outcome::Ok);
        bool quiet = false;
        ASSERT_EQ(dataManipulation::loadAllTranslations(nullptr, quiet), Outcome::Ok);
        form = std::make_unique<frmMain>();
        gMainForm = form.get();
        ASSERT_TRUE(form->create());
        form->Form_Load();
    }

    // Bold runs of the verse box, as [start, end) positions in its text.
    std::vector<std::pair<long, long>> boldRuns() {
        std::vector<std::pair<long, long>> runs;
        HWND re = form->RichTxtVerse;
        GETTEXTLENGTHEX len{GTL_NUMCHARS, CP_ACP};
        long n = static_cast<long>(SendMessageA(re, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&len), 0));
        long runStart = -1;
        for (long i = 0; i <= n; ++i) {
            bool bold = false;
            if (i < n) {
                CHARRANGE r{i, i + 1};
                SendMessageA(re, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
                CHARFORMAT2A cf{};
                cf.cbSize = sizeof cf;
                SendMessageA(re, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
                bold = (cf.dwMask & CFM_BOLD) && (cf.dwEffects & CFE_BOLD);
                if (bold) {
                    EXPECT_EQ(cf.crTextColor, frmMain::kNameColour) << "at " << i;
                }
            }
            if (bold && runStart < 0) runStart = i;
            if (!bold && runStart >= 0) {
                runs.push_back({runStart, i});
                runStart = -1;
            }
        }
        return runs;
    }
    // The text as the rich edit counts it: one CR per line end.
    std::string richText() {
        GETTEXTEX gt{};
        gt.cb = 4096;
        gt.flags = GT_DEFAULT;
        gt.codepage = CP_ACP;
        char buf[4096] = {};
        SendMessageA(form->RichTxtVerse, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&gt), reinterpret_cast<LPARAM>(buf));
        return buf;
    }
    std::string runText(std::pair<long, long> run) {
        return richText().substr(static_cast<size_t>(run.first), static_cast<size_t>(run.second - run.first));
    }

    struct HelpCall {
        UINT command;
        DWORD_PTR data;
    };
    struct TrayCall {
        DWORD message;
        std::string tip;
        DWORD size;
        UINT callback;
    };
    std::vector<std::string> alerts;
    std::vector<TrayCall> tray;
    long now = 12 * 3600;
    TempDir root;
    std::unique_ptr<frmMain> form;
    std::vector<HelpCall> help;
    std::vector<std::string> started;
};

// Runs the thread's messages for ms milliseconds.
inline void pumpFor(DWORD ms) {
    MSG m;
    for (DWORD t0 = GetTickCount(); GetTickCount() - t0 < ms; Sleep(10))
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
}

// A window's place on the screen.
inline RECT rectOf(HWND h) {
    RECT r;
    GetWindowRect(h, &r);
    return r;
}

} // namespace testsupport
