// frmAbout.h
// The about box: product title and the running version, the maker's web
// and support mail addresses (a click opens them), and the maker's
// commitment. F1 opens the help at the program's purpose.
#pragma once

#include <windows.h>

#include <string>

#include "dialog_shared.h"

class frmAbout : public dialog_shared::CommandDialog {
public:
    explicit frmAbout(HWND owner);

    // What the main window's menu opens: the dialog, modal over owner.
    static void showDialog(HWND owner);

    // Handlers, public so that tests act as the user does.
    void cmdOK_Click();
    void cmdCommittment_Click();
    void Label3_Click();
    void Label5_Click();

    HWND lblTitle = nullptr;
    HWND lblVersion = nullptr;
    HWND picIcon = nullptr;
    HWND Label3 = nullptr;
    HWND Label5 = nullptr;
    HWND cmdCommittment = nullptr;
    HWND cmdOK = nullptr;

    static constexpr const char* kCaption = "About Pellanor";
    static constexpr int kHelpContext = 1009;
    // "Version " and the three numbers joined by ".".
    static std::string versionText(long major, long minor, long revision);
    static std::string commitmentText();

protected:
    bool OnInit() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void OnOK() override { cmdOK_Click(); }

private:
    void Form_Load();
};
