// status_panels.h
// How the main window's status bar shares its width among its four panels:
// the topic list's box (panel 1), the verse count (2), the translation
// list's box (3) and the sleep time (4). Portable: widths in pixels, the
// texts already measured by the caller.
#pragma once

#include <array>

namespace status_panels {

// What each panel would like and how far it can give way. A "text" width is
// what shows the panel's text whole (for a list's box, the shown name with
// the box's button); "least" is the narrowest a list's box may get, where
// it still shows its button and the start of its name with an ellipsis.
struct Needs {
    int available = 0;          // the bar's width, less the size grip
    int topicDesigned = 0;      // the topic box's designed width
    int topicText = 0;
    int topicLeast = 0;
    int countDesigned = 0;      // panel 2's designed width
    int countText = 0;
    int translationDesigned = 0;
    int translationText = 0;
    int translationLeast = 0;
    int sleepText = 0;          // panel 4, right-aligned after the others
};

struct Widths {
    int topic = 0;        // the topic box (panel 1 ends 3 pixels before it does)
    int count = 0;
    int translation = 0;
    int sleep = 0;        // what is left for panel 4; less than its text only
                          // when even the lists at their least leave no room
};

// A panel 1 that ends this far inside the topic box, so the box hides its
// border.
inline constexpr int kTopicOverlap = 3;

// The verse count and the translation take their designed width or their
// text's, whichever is wider; the topic box keeps its designed width (a
// longer name shows cut). The sleep time takes the rest.
// Where the four do not fit, they give way in this order: the room beyond
// the texts (translation, then verse count, then topic); then the two list
// boxes below their names, the one with more above its least first, down to
// their least. The verse count and the sleep time keep their texts whole
// whenever that leaves room for them.
Widths allot(const Needs& needs);

// The width the panels share: the bar's, less the size grip where the bar
// shows one (not while the window is maximised).
int availableWidth(int barWidth, int gripWidth, bool hasGrip, bool zoomed);

// The right edges of the four parts as the status bar takes them: panel 1
// ends kTopicOverlap inside the topic box, panel 4 at the available width,
// and no part is narrower than a pixel at its end.
std::array<int, 4> partEdges(const Widths& widths, int available);

} // namespace status_panels
