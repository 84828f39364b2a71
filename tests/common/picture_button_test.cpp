// picture_button_test.cpp
// The shared picture button: what each face draws in each state (read back
// from a memory bitmap), and what a button window of its own tells its
// parent about the mouse.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "common/ui/PictureButton.h"
#include "common/win32/handles.h"

using ui::PictureButton;

namespace {

constexpr int kW = 60, kH = 24;

// A memory canvas the faces are drawn on.
class Canvas {
public:
    Canvas() {
        HDC screen = GetDC(nullptr);
        m_dc.reset(CreateCompatibleDC(screen));
        m_bmp.reset(CreateCompatibleBitmap(screen, kW, kH));
        ReleaseDC(nullptr, screen);
        m_old = SelectObject(m_dc.get(), m_bmp.get());
        RECT all{0, 0, kW, kH};
        FillRect(m_dc.get(), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
    ~Canvas() { SelectObject(m_dc.get(), m_old); }
    HDC dc() const { return m_dc.get(); }
    COLORREF at(int x, int y) const { return GetPixel(m_dc.get(), x, y); }
    bool has(COLORREF c) const {
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                if (at(x, y) == c) return true;
        return false;
    }
    std::vector<COLORREF> pixels() const {
        std::vector<COLORREF> out;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) out.push_back(at(x, y));
        return out;
    }

private:
    win32::MemoryDC m_dc;
    win32::Bitmap m_bmp;
    HGDIOBJ m_old;
};

win32::Bitmap solid(COLORREF c) {
    HDC screen = GetDC(nullptr);
    win32::Bitmap b(CreateCompatibleBitmap(screen, 4, 4));
    win32::MemoryDC dc(CreateCompatibleDC(screen));
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc.get(), b.get());
    win32::Brush brush(CreateSolidBrush(c));
    RECT r{0, 0, 4, 4};
    FillRect(dc.get(), &r, brush.get());
    SelectObject(dc.get(), old);
    return b;
}

std::vector<COLORREF> drawn(const PictureButton& b, PictureButton::State s, bool disabled = false,
                            bool focused = false) {
    Canvas c;
    b.paint(c.dc(), RECT{0, 0, kW, kH}, s, disabled, focused);
    return c.pixels();
}

constexpr RECT kAll{0, 0, kW, kH};

TEST(PictureButtonFace, PicturesStretchTheStatesBitmapOrFallBackToAPlate) {
    win32::Bitmap red = solid(RGB(255, 0, 0)), green = solid(RGB(0, 255, 0));
    PictureButton b;
    b.setFace(PictureButton::Face::Pictures);
    b.setPicture(PictureButton::Up, red.get());
    b.setPicture(PictureButton::Down, green.get());
    b.setCaption("Go");
    Canvas up, down, hover;
    b.paint(up.dc(), kAll, PictureButton::Up, false, false);
    b.paint(down.dc(), kAll, PictureButton::Down, false, true);
    b.paint(hover.dc(), kAll, PictureButton::Hover, false, false);
    // Corner to corner: the picture covers the whole button, no focus mark.
    for (POINT p : {POINT{0, 0}, POINT{kW - 1, kH - 1}, POINT{3, 3}}) {
        EXPECT_EQ(up.at(p.x, p.y), RGB(255, 0, 0));
        EXPECT_EQ(down.at(p.x, p.y), RGB(0, 255, 0));
    }
    // No hover picture: a raised plate of the button face.
    EXPECT_EQ(hover.at(kW / 2, 2), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(hover.at(0, 0), GetSysColor(COLOR_3DLIGHT));
    EXPECT_EQ(hover.at(kW - 1, kH - 1), GetSysColor(COLOR_3DDKSHADOW));
}

TEST(PictureButtonFace, PushIsHotUnderThePointerAndShiftsItsContentWhilePressed) {
    PictureButton b; // Push is the default face
    b.setCaption("MMMM");
    EXPECT_NE(drawn(b, PictureButton::Up), drawn(b, PictureButton::Down));
    Canvas c;
    b.paint(c.dc(), kAll, PictureButton::Hover, false, false);
    EXPECT_TRUE(c.has(GetSysColor(COLOR_HOTLIGHT))) << "the caption takes the hot colour";
    Canvas plain;
    b.paint(plain.dc(), kAll, PictureButton::Up, false, false);
    if (GetSysColor(COLOR_HOTLIGHT) != GetSysColor(COLOR_BTNTEXT)) {
        EXPECT_FALSE(plain.has(GetSysColor(COLOR_HOTLIGHT)));
    }

    // An icon alone (no caption): it moves one pixel down and right.
    PictureButton icon;
    HICON question = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_QUESTION));
    ASSERT_NE(question, nullptr);
    icon.setIcon(question, 16);
    Canvas a, p;
    icon.paint(a.dc(), kAll, PictureButton::Up, false, false);
    icon.paint(p.dc(), kAll, PictureButton::Down, false, false);
    const int x0 = (kW - 16) / 2, y0 = (kH - 16) / 2;
    for (int y = 2; y < 14; ++y)
        for (int x = 2; x < 14; ++x) ASSERT_EQ(a.at(x0 + x, y0 + y), p.at(x0 + x + 1, y0 + y + 1)) << x << "," << y;
}

TEST(PictureButtonFace, ColourPlateSinksWhilePressedAndGreysItsCaptionWhenDisabled) {
    PictureButton b;
    b.setFace(PictureButton::Face::Colour);
    b.setCaption("Register");
    b.setBackColor(0x0080C0FF);
    Canvas up, down, off;
    b.paint(up.dc(), kAll, PictureButton::Up, false, false);
    b.paint(down.dc(), kAll, PictureButton::Down, false, false);
    b.paint(off.dc(), kAll, PictureButton::Up, true, false);
    EXPECT_EQ(up.at(3, 3), RGB(0xFF, 0xC0, 0x80));
    EXPECT_EQ(up.at(0, 0), GetSysColor(COLOR_3DLIGHT)) << "raised";
    EXPECT_EQ(down.at(0, 0), GetSysColor(COLOR_3DSHADOW)) << "sunken";
    EXPECT_TRUE(up.has(GetSysColor(COLOR_BTNTEXT)));
    EXPECT_TRUE(off.has(GetSysColor(COLOR_GRAYTEXT)));
    // A system colour is read when drawn.
    b.setBackColor(0x8000000F);
    Canvas face;
    b.paint(face.dc(), kAll, PictureButton::Up, false, false);
    EXPECT_EQ(face.at(3, 3), GetSysColor(COLOR_BTNFACE));
    // The focus rectangle lies three pixels in.
    EXPECT_NE(drawn(b, PictureButton::Up, false, true), drawn(b, PictureButton::Up, false, false));
}

// The parent of the windows below: keeps what the buttons tell it.
std::vector<PictureButton::Mouse> gHeard;
constexpr UINT kNotify = WM_APP + 7;

LRESULT CALLBACK parentProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kNotify) {
        EXPECT_EQ(wp, 42u);
        gHeard.push_back(*reinterpret_cast<const PictureButton::Mouse*>(lp));
        return 0;
    }
    return DefWindowProcA(h, msg, wp, lp);
}

class PictureButtonWindow : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSA wc{};
        wc.lpfnWndProc = parentProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "PictureButtonTestParent";
        RegisterClassA(&wc);
        parent = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr,
                                 wc.hInstance, nullptr);
        ASSERT_NE(parent, nullptr);
        button.setFace(PictureButton::Face::Pictures);
        ASSERT_NE(button.create(parent, 42, "Next", WS_CHILD | WS_VISIBLE, SIZE{40, 24}, kNotify), nullptr);
        gHeard.clear();
    }
    void TearDown() override {
        if (parent) DestroyWindow(parent);
    }
    void send(UINT msg, WPARAM wp, int x, int y) { SendMessageA(button.hwnd(), msg, wp, MAKELPARAM(x, y)); }

    HWND parent = nullptr;
    PictureButton button;
};

TEST_F(PictureButtonWindow, TellsItsParentOfPressesMovesAndClicks) {
    RECT r;
    GetClientRect(button.hwnd(), &r);
    EXPECT_EQ(r.right, 40);
    EXPECT_EQ(r.bottom, 24);
    EXPECT_EQ(GetDlgCtrlID(button.hwnd()), 42);

    send(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, 5, 6);
    EXPECT_EQ(GetCapture(), button.hwnd());
    send(WM_MOUSEMOVE, MK_LBUTTON | MK_CONTROL, -3, 6);
    send(WM_LBUTTONUP, 0, 5, 6);
    EXPECT_NE(GetCapture(), button.hwnd());
    ASSERT_EQ(gHeard.size(), 3u);
    EXPECT_EQ(gHeard[0].event, PictureButton::Mouse::Event::Down);
    EXPECT_EQ(gHeard[0].button, 1);
    EXPECT_EQ(gHeard[0].shift, 1);
    EXPECT_EQ(gHeard[0].x, 5);
    EXPECT_EQ(gHeard[0].y, 6);
    EXPECT_EQ(gHeard[1].event, PictureButton::Mouse::Event::Move);
    EXPECT_EQ(gHeard[1].button, 1) << "the buttons held";
    EXPECT_EQ(gHeard[1].shift, 2);
    EXPECT_EQ(gHeard[1].x, -3) << "signed, outside to the left";
    EXPECT_EQ(gHeard[2].event, PictureButton::Mouse::Event::Up);
    EXPECT_TRUE(gHeard[2].click);

    // Released outside, or without a press on the button: no click.
    gHeard.clear();
    send(WM_RBUTTONDOWN, MK_RBUTTON, 5, 5);
    send(WM_RBUTTONUP, 0, 50, 5);
    send(WM_MBUTTONUP, 0, 5, 5);
    ASSERT_EQ(gHeard.size(), 3u);
    EXPECT_EQ(gHeard[0].button, 2);
    EXPECT_FALSE(gHeard[1].click);
    EXPECT_EQ(gHeard[2].button, 4);
    EXPECT_FALSE(gHeard[2].click);
}

TEST_F(PictureButtonWindow, StateFollowsTheCallerAndTheObjectLetsGoOfAGoneWindow) {
    EXPECT_EQ(button.state(), PictureButton::Up);
    button.setState(PictureButton::Hover);
    EXPECT_EQ(button.state(), PictureButton::Hover);
    send(WM_LBUTTONDOWN, MK_LBUTTON, 5, 5);
    EXPECT_EQ(button.state(), PictureButton::Hover) << "the parent decides the picture";
    send(WM_LBUTTONUP, 0, 5, 5);

    DRAWITEMSTRUCT other{};
    other.hwndItem = parent;
    EXPECT_FALSE(button.drawItem(other));

    DestroyWindow(parent);
    parent = nullptr;
    EXPECT_EQ(button.hwnd(), nullptr);
    button.setState(PictureButton::Down);
    EXPECT_EQ(button.state(), PictureButton::Down);
}

TEST(PictureButtonItem, AButtonControlsOwnPressCountsAsDown) {
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(parent, nullptr);
    HWND owned = CreateWindowExA(0, "BUTTON", "Register", WS_CHILD | BS_OWNERDRAW, 0, 0, kW, kH, parent, nullptr,
                                 nullptr, nullptr);
    ASSERT_NE(owned, nullptr);
    PictureButton b;
    b.attach(owned);
    b.setFace(PictureButton::Face::Colour);
    b.setBackColor(RGB(10, 200, 30));
    Canvas plain, pressed;
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_BUTTON;
    item.hwndItem = owned;
    item.rcItem = kAll;
    item.hDC = plain.dc();
    EXPECT_TRUE(b.drawItem(item));
    item.hDC = pressed.dc();
    item.itemState = ODS_SELECTED;
    EXPECT_TRUE(b.drawItem(item));
    EXPECT_EQ(plain.at(3, 3), RGB(10, 200, 30));
    EXPECT_EQ(plain.at(0, 0), GetSysColor(COLOR_3DLIGHT));
    EXPECT_EQ(pressed.at(0, 0), GetSysColor(COLOR_3DSHADOW));
    DestroyWindow(parent);
}

} // namespace
