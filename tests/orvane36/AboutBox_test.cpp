// AboutBox_test.cpp
// The About box shown modally: a timer on the test's thread, serviced by
// the box's own modal loop, reads what the box shows and then closes it.
#include "AboutBox.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "common/ui/Dialog.h"
#include "resource.h"

using orvane36::AboutBox;

namespace {

// Runs check(box window) once the box is up, then clicks the given button.
struct Inspection {
    std::function<void(HWND)> check;
    int button = IDOK;
    bool ran = false;
};
Inspection* gInspection = nullptr;

BOOL CALLBACK matchAboutBox(HWND w, LPARAM out) {
    if (ui::getWindowText(w) != "About orvane36") return TRUE;
    *reinterpret_cast<HWND*>(out) = w;
    return FALSE;
}

HWND findAboutBox() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), matchAboutBox, reinterpret_cast<LPARAM>(&found));
    return found;
}

void CALLBACK inspect(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND box = findAboutBox();
    if (!box || !IsWindowVisible(box) || !gInspection || gInspection->ran) return;
    KillTimer(nullptr, timer);
    gInspection->ran = true;
    gInspection->check(box);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(gInspection->button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
}

INT_PTR showAndInspect(Inspection& inspection, HWND owner) {
    gInspection = &inspection;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, inspect);
    const INT_PTR result = AboutBox::show(owner);
    KillTimer(nullptr, timer);
    gInspection = nullptr;
    return result;
}

LOGFONTA fontOf(HWND control) {
    LOGFONTA lf{};
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    if (font) GetObjectA(font, sizeof lf, &lf);
    return lf;
}

} // namespace

TEST(AboutBox, ShowsTheLibrarysTextsAndClosesWithOK) {
    Inspection inspection;
    inspection.check = [](HWND box) {
        EXPECT_EQ(ui::getWindowText(GetDlgItem(box, IDC_ABOUT_PRODUCT)), "orvane36.ocx Orvane control.");
        EXPECT_EQ(ui::getWindowText(GetDlgItem(box, IDC_ABOUT_VERSION)), "Version 6.0");
        EXPECT_EQ(ui::getWindowText(GetDlgItem(box, IDC_ABOUT_MAKER)), "Quennick");
        // The notice string is ".", which keeps the box's own notice.
        const std::string notice = ui::getWindowText(GetDlgItem(box, IDC_ABOUT_NOTICE));
        EXPECT_NE(notice, ".");
        EXPECT_NE(notice.find("Copyright"), std::string::npos) << notice;

        const LOGFONTA name = fontOf(GetDlgItem(box, IDC_ABOUT_MAKER));
        EXPECT_TRUE(name.lfItalic);
        EXPECT_EQ(name.lfWeight, FW_BOLD);
        RECT rc{};
        GetClientRect(GetDlgItem(box, IDC_ABOUT_MAKER), &rc);
        EXPECT_EQ(name.lfHeight, rc.bottom) << "as high as the label";
        const LOGFONTA product = fontOf(GetDlgItem(box, IDC_ABOUT_PRODUCT));
        EXPECT_FALSE(product.lfItalic);
        EXPECT_EQ(product.lfWeight, FW_BOLD);
        EXPECT_EQ(fontOf(GetDlgItem(box, IDC_ABOUT_NOTICE)).lfHeight, 12);
        EXPECT_TRUE(fontOf(GetDlgItem(box, IDC_ABOUT_VERSION)).lfItalic);

        // The version line and the icon are drawn in blue, the rest not.
        HDC dc = GetDC(box);
        SendMessageA(box, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, IDC_ABOUT_VERSION)));
        EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 255));
        SetTextColor(dc, RGB(1, 2, 3));
        SendMessageA(box, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, IDC_ABOUT_ICON)));
        EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 255));
        SendMessageA(box, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, IDC_ABOUT_PRODUCT)));
        EXPECT_NE(GetTextColor(dc), RGB(0, 0, 255));
        ReleaseDC(box, dc);
    };
    EXPECT_EQ(showAndInspect(inspection, nullptr), IDOK);
    EXPECT_TRUE(inspection.ran);
    EXPECT_EQ(findAboutBox(), nullptr) << "the box is gone when show returns";
}

TEST(AboutBox, CancelClosesItAndTheOwnerIsDisabledMeanwhile) {
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(owner);
    Inspection inspection;
    inspection.button = IDCANCEL;
    inspection.check = [owner](HWND box) {
        EXPECT_EQ(GetWindow(box, GW_OWNER), owner);
        EXPECT_FALSE(IsWindowEnabled(owner)) << "modal over its owner";
    };
    EXPECT_EQ(showAndInspect(inspection, owner), IDCANCEL);
    EXPECT_TRUE(inspection.ran);
    EXPECT_TRUE(IsWindowEnabled(owner));
    DestroyWindow(owner);
}
