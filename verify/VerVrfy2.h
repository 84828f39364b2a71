// VerVrfy2.h
// The conflict window. Loading it hosts the version-check control Orvane1
// (from the window's saved data: a slave with an empty list) and runs the
// whole check; the window then lists the conflicting files, shows the
// details of the one picked, and registers a component on request.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <array>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "ControlHost.h"
#include "VerVrfyControl.h"
#include "common/ui/Dialog.h"
#include "common/ui/PictureButton.h"
#include "common/win32/handles.h"
#include "verify/late_bound.h"

// Orvane1's saved form data: a slave control with an empty file list and
// default settings (82 bytes).
std::span<const BYTE> orvane1SavedData();

class VerVrfy2 : public ui::Dialog, public VerVrfyControl::RegisterTarget {
public:
    VerVrfy2();
    ~VerVrfy2() override;

    // Loads the window without showing it: hosts Orvane1, then Form_Load
    // runs the check. False when the window or the control could not be
    // made, or the control failed the check: loadError says why.
    bool load(HWND owner = nullptr);
    const std::optional<latebound::ControlError>& loadError() const { return m_loadError; }

    void Form_Load();
    void Form_Resize();
    void ConflictListBox_Click();
    void cmdRegister_Click();
    void ExitBut_Click();

    // Orvane1's events (the control's arguments, by reference).
    HRESULT Orvane1_Event(DISPID id, DISPPARAMS& params);
    void Orvane1_FileConflict(const std::string& referenceFile, const std::string& foundFile, LONG flags,
                              VARIANT_BOOL& stopVerify);
    void Orvane1_FileScan(const std::string& referenceFile, LONG verifyFlags, LONG pathFlags,
                          VARIANT_BOOL& stopScan);
    void Orvane1_EnumComplete();

    // RegisterTarget
    void enableRegisterButton() override;
    HWND ownerWindow() override { return hwnd(); }

    HWND ConflictListBox = nullptr;
    HWND DetailText = nullptr;
    HWND Label1 = nullptr;
    HWND Label2 = nullptr;
    HWND cmdRegister = nullptr;
    HWND ExitBut = nullptr;
    host::ControlHost Orvane1;

    // The register button's colour as an OLE colour (0x8000000F: the
    // system's button face).
    DWORD cmdRegisterBackColor = kInitialRegisterColor;
    // True when the window and the detail box are white (two-colour display).
    bool whiteBackground = false;
    std::array<int, 3> listTabs{};
    std::array<int, 3> textTabs{};
    // The display's colour count (tests put in a two-colour display).
    std::function<long(HWND)> colorCountOf = VerVrfyControl::colorCount;

    static constexpr DWORD kInitialRegisterColor = 0x00E0E0E0;
    static constexpr DWORD kRegisterColor = 0x0080C0FF;
    static constexpr DWORD kButtonFace = 0x8000000F;

protected:
    bool OnInit() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void OnOK() override {}
    void OnCancel() override { ExitBut_Click(); }
    void onClose() override;

private:
    void disableRegisterButton();
    void setRegisterColor(DWORD color);
    void layout();

    std::optional<latebound::ControlError> m_loadError;
    bool m_loaded = false;
    win32::Brush m_white;
    // The register button: its caption on cmdRegisterBackColor.
    ui::PictureButton m_registerButton;
};
