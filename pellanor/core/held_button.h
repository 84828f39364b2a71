// held_button.h
// A picture button under the mouse: Previous and Next repeat their step
// while the left button holds them down, the pressed picture shows while
// the pointer stays over the button, and a right click does nothing.
// Portable, so the timing and the rules are checked without a window; the
// window runs its timer at interval() while running().
#pragma once

namespace held_button {

// Buttons as the main window numbers them, and the mouse buttons.
inline constexpr int kPrevious = 5, kNext = 6;
inline constexpr int kLeft = 1, kRight = 2;
// The first repeat comes half a second after the press, the next ones
// every 300 ms.
inline constexpr unsigned kFirstDelayMs = 500;
inline constexpr unsigned kRepeatMs = 300;

class Repeat {
public:
    // A press of button (0 to 7) with mouseButton. True when it starts the
    // repeat: the left button on Previous or Next.
    bool press(int button, int mouseButton);
    // The button let go: the repeat ends, the next press waits the first
    // delay again.
    void release();
    // A tick of the repeat: the button whose step is taken now (Previous
    // or Next), the next tick coming after kRepeatMs; -1 when nothing
    // repeats, which ends the repeat.
    int tick();
    // The step of a tick failed: the repeat ends. Its box took the mouse,
    // so the button will not see it let go.
    void stepFailed();
    bool running() const { return m_button == kPrevious || m_button == kNext; }
    unsigned interval() const { return m_interval; }
    // Whether the click that comes with the release of button is taken:
    // not after a press with the right button, nor for a button that is
    // not one of the eight.
    bool clickCounts(int button) const;

private:
    void end();
    int m_button = -1;
    int m_pressedWith = 0;
    unsigned m_interval = kFirstDelayMs;
};

// Whether a pointer at (x, y) in a button of width by height is over it,
// so that the pressed picture shows: the left edge counts as outside, the
// top edge as inside.
bool pointerOver(int x, int y, int width, int height);

} // namespace held_button
