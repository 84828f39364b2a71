// main_layout.cpp
#include "main_layout.h"

#include <algorithm>

namespace main_layout {

namespace {
// The top bar (Picture4) and the second row (Frame1), in twips.
constexpr int kBarLeftTw = 3570, kBarTopTw = 30, kBarHeightTw = 735;
constexpr int kRowTopTw = 840, kRowHeightTw = 405;
constexpr int kQuitInsetTw = 300;
constexpr int kPreviousLeftTw = 80, kNextFromRightTw = 1000;
// Pixels: the reference row's gap to the buttons and its least width, the
// verse box's margins.
constexpr int kReferenceGap = 8, kReferenceLeast = 40;
} // namespace

Layout place(const Input& in) {
    const int tx = in.twipsX > 0 ? in.twipsX : 15, ty = in.twipsY > 0 ? in.twipsY : 15;
    const int widthTw = in.windowWidth * tx;
    auto width = [&](int i) { return in.buttons[static_cast<size_t>(i)].width * tx; };
    auto height = [&](int i) { return in.buttons[static_cast<size_t>(i)].height * ty; };
    Layout out;
    for (int i = 0; i < kButtons; ++i) {
        out.buttons[static_cast<size_t>(i)].width = in.buttons[static_cast<size_t>(i)].width;
        out.buttons[static_cast<size_t>(i)].height = in.buttons[static_cast<size_t>(i)].height;
    }

    // Positions in twips from the bar's left edge.
    const int barWidth = widthTw - kBarLeftTw;
    int left[kButtons] = {};
    left[Quit] = barWidth - width(Quit) - kQuitInsetTw;
    left[Info] = left[Quit] - width(Info) - 200;
    left[Options] = left[Info] - width(Options) - 150;
    left[AddVerses] = left[Options] - width(Options) - 125;
    if (in.schedulerShown) {
        left[Scheduler] = left[AddVerses] - width(Scheduler) - 125;
        left[Sleep] = left[Scheduler] - width(Sleep) - 75;
    } else {
        left[Sleep] = left[AddVerses] - width(Sleep) - 125;
    }
    for (int i : {Sleep, Options, AddVerses, Info, Quit, Scheduler}) {
        Rect& r = out.buttons[static_cast<size_t>(i)];
        r.left = (kBarLeftTw + left[i]) / tx;
        r.top = (kBarTopTw + (kBarHeightTw - height(i)) / 2) / ty;
    }
    Rect& prev = out.buttons[Previous];
    prev.left = kPreviousLeftTw / tx;
    prev.top = (kRowTopTw + (kRowHeightTw - height(Previous)) / 2) / ty;
    Rect& next = out.buttons[Next];
    next.left = (widthTw - kNextFromRightTw) / tx;
    next.top = (kRowTopTw + (kRowHeightTw - height(Next)) / 2) / ty;

    const int rowTop = kRowTopTw / ty, rowHeight = kRowHeightTw / ty;
    out.references.left = prev.right() + kReferenceGap;
    out.references.top = rowTop;
    out.references.width = std::max(kReferenceLeast, next.left - kReferenceGap - out.references.left);
    out.references.height = rowHeight;

    out.verse.left = 5;
    out.verse.top = rowTop + rowHeight + 4;
    out.verse.width = std::max(10, in.clientWidth - 10);
    out.verse.height = std::max(20, in.clientHeight - in.comboHeight - 90);
    out.topicList.y = in.clientHeight - in.comboHeight + 2;
    return out;
}

std::optional<Rect> savedPlace(long left, long top, long width, long height, int twipsX, int twipsY) {
    if (left <= 0 || twipsX <= 0 || twipsY <= 0) return std::nullopt;
    return Rect{static_cast<int>(left / twipsX), static_cast<int>(top / twipsY), static_cast<int>(width / twipsX),
                static_cast<int>(height / twipsY)};
}

Rect ontoScreen(const Rect& place, const Rect& work) {
    Rect r;
    r.width = std::min(place.width, work.width);
    r.height = std::min(place.height, work.height);
    r.left = std::clamp(place.left, work.left, work.right() - r.width);
    r.top = std::clamp(place.top, work.top, work.bottom() - r.height);
    return r;
}

} // namespace main_layout
