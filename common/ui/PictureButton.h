// PictureButton.h
// The one picture button of the programs. A button is up, pressed (down)
// or under the pointer (hover), and may be disabled or have the focus; its
// face is one of three kinds:
//
//   Pictures  a bitmap for each state, stretched over the button (the main
//             window's bar); without the state's bitmap, a raised plate
//             with the caption in the GUI font, so it still says what it does
//   Push      the system's push-button frame (hot while hovered) with an
//             icon and/or a caption centred on it; both move a pixel down
//             and right while pressed
//   Colour    a plate of a colour with a raised edge, sunken while pressed,
//             and the caption (greyed while disabled)
//
// Push and Colour draw a focus rectangle when the button has the focus.
//
// A button is either a window of its own (create: it takes the mouse and
// tells its parent about it, see Mouse) or an owner-drawn button or static
// of a dialog template (attach: the dialog hands WM_DRAWITEM to drawItem;
// a button control's own pressed state counts as Down). An attached static
// given a notify message takes the mouse as a window of its own does.
// Pictures, icons and fonts are borrowed: the owner keeps them alive as
// long as the button.
#pragma once

#include <windows.h>

#include <array>
#include <string>

namespace ui {

class PictureButton {
public:
    enum State : int { Up = 0, Down = 1, Hover = 2 };
    enum class Face { Pictures, Push, Colour };

    // What the button sends its parent when it takes the mouse (a window
    // made by create, a control attached with a notify message): message
    // `notify`, wParam the control id, lParam a const Mouse*.
    struct Mouse {
        enum class Event { Down, Up, Move } event;
        int button; // 1 left, 2 right, 4 middle (for Move: the buttons held)
        int shift;  // 1 shift, 2 control
        int x, y;     // pixels in the button
        bool click;   // Up inside the button after a press on it
        bool pressed; // Move, Up: during, or ending, a press on the button
    };

    PictureButton() = default;
    // A window of its own that outlives the object is cut loose from it.
    ~PictureButton();
    PictureButton(const PictureButton&) = delete;
    PictureButton& operator=(const PictureButton&) = delete;

    // A child window of its own (hand cursor), hidden unless style holds
    // WS_VISIBLE; null when it could not be made. The window goes with its
    // parent.
    HWND create(HWND parent, int id, const char* caption, DWORD style, SIZE size, UINT notify);
    // A template's owner-drawn control. With a notify message it also takes
    // the control's mouse presses and tells its parent as create's window
    // does; its other messages go on to the control.
    void attach(HWND control, UINT notify = 0);
    HWND hwnd() const { return m_hwnd; }

    void setFace(Face face) { m_face = face; }
    // Face::Pictures: the bitmap of each state (null: none for that state).
    void setPicture(State state, HBITMAP picture) { m_pictures[static_cast<size_t>(state)] = picture; }
    HBITMAP picture(State state) const { return m_pictures[static_cast<size_t>(state)]; }
    // Face::Push: an icon drawn size by size pixels in the middle.
    void setIcon(HICON icon, int size) {
        m_icon = icon;
        m_iconSize = size;
    }
    // The text drawn on the face; by default the window's text.
    void setCaption(const std::string& caption) {
        m_caption = caption;
        m_ownCaption = true;
    }
    // Font of the caption on Push; null: the one the drawing context has.
    void setFont(HFONT font) { m_font = font; }
    // Face::Colour: an OLE colour (the high bit names a system colour, as
    // 0x8000000F the button face), read when the button is drawn.
    void setBackColor(DWORD oleColor) { m_back = oleColor; }

    // Redraws when the state changes.
    void setState(State state);
    State state() const { return m_state; }

    // WM_DRAWITEM: draws and returns true when the item is this button.
    bool drawItem(const DRAWITEMSTRUCT& item) const;
    // The face in rc for a state.
    void paint(HDC dc, RECT rc, State state, bool disabled, bool focused) const;

private:
    static LRESULT CALLBACK windowProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK controlProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR self);
    LRESULT onMessage(UINT msg, WPARAM wp, LPARAM lp);
    // Press tracking and the parent's notice; false for other messages.
    bool onMouse(UINT msg, WPARAM wp, LPARAM lp);
    void release();
    std::string caption() const;
    void paintPictures(HDC dc, const RECT& rc, State state) const;
    void paintPush(HDC dc, RECT rc, State state) const;
    void paintColour(HDC dc, RECT rc, State state, bool disabled) const;

    HWND m_hwnd = nullptr;
    bool m_ownWindow = false;
    bool m_tracking = false; // an attached control's mouse is ours
    UINT m_notify = 0;
    Face m_face = Face::Push;
    State m_state = Up;
    std::array<HBITMAP, 3> m_pictures{};
    HICON m_icon = nullptr;
    int m_iconSize = 0;
    std::string m_caption;
    bool m_ownCaption = false;
    HFONT m_font = nullptr;
    DWORD m_back = 0x8000000F;
};

} // namespace ui
