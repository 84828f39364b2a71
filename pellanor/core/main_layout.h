// main_layout.h
// Where the main window's controls go for a window size: the button bar
// along the top, Previous and Next with the reference row between them, and
// the verse box. The bar and the rows are designed in twips; the window
// turns them into pixels here, so the numbers are checked without a window.
// Portable: sizes in, rectangles (client pixels) out.
#pragma once

#include <array>
#include <optional>

namespace main_layout {

struct Size {
    int width = 0, height = 0;
};

struct Point {
    int x = 0, y = 0;
};

struct Rect {
    int left = 0, top = 0, width = 0, height = 0;
    int right() const { return left + width; }
    int bottom() const { return top + height; }
};

// The picture buttons in the order of their indexes.
enum Button : int { Sleep, Options, AddVerses, Info, Quit, Previous, Next, Scheduler };
inline constexpr int kButtons = 8;

// The window's designed size (twips), the one it is made with.
inline constexpr int kDesignWidthTw = 9000;
inline constexpr int kDesignHeightTw = 6600;
// The smallest size the user can drag the window to (pixels).
inline constexpr int kMinTrackWidth = 510;
inline constexpr int kMinTrackHeight = 200;
// The line under the button bar (twips from the top).
inline constexpr int kSeparatorTw = 780;

struct Input {
    int clientWidth = 0, clientHeight = 0;
    int windowWidth = 0;              // the whole window, frame included
    int twipsX = 15, twipsY = 15;     // twips per pixel
    std::array<Size, kButtons> buttons{};  // each button's own size (its picture's)
    bool schedulerShown = false;      // the Scheduler button takes its place in the bar
    int comboHeight = 21;             // the closed lists' height
};

struct Layout {
    // Every button keeps its size; a hidden Scheduler is still placed, at
    // the bar's left end.
    std::array<Rect, kButtons> buttons{};
    Rect references;  // each of the three reference boxes (one is shown)
    Rect verse;
    // The topic list's place, at the left of the status bar; the
    // translation list lies at the same height over panel 3.
    Point topicList;
};

// The buttons of the top bar pack against its right end, Quit 300 twips in,
// each the designed gap from the next (using the Options button's width
// where the bar has always used it); Previous sits at the left of the
// second row and Next 1000 twips from the window's right edge. The
// reference boxes fill the row between them, 8 pixels clear of each and at
// least 40 wide; the verse box fills the window below them, 5 pixels from
// either side, above the status bar.
Layout place(const Input& in);

// The window's place as saved (twips) in pixels; none when the saved left
// edge is 0 or less, which keeps the designed place.
std::optional<Rect> savedPlace(long left, long top, long width, long height, int twipsX, int twipsY);

// A place on no screen (saved on a screen that is gone) brought into the
// nearest screen's work area: no larger than it, moved no further than it
// must.
Rect ontoScreen(const Rect& place, const Rect& work);

} // namespace main_layout
