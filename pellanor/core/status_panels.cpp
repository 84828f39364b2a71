// status_panels.cpp
#include "status_panels.h"

#include <algorithm>

namespace status_panels {

namespace {

// Takes up to `over` from `width`, not below `least`; returns what it took.
int giveWay(int& width, int least, int over) {
    int given = std::min(over, width - least);
    if (given <= 0) return 0;
    width -= given;
    return given;
}

} // namespace

Widths allot(const Needs& n) {
    Widths w;
    w.topic = std::max(n.topicDesigned, n.topicLeast);
    w.count = std::max(n.countDesigned, n.countText);
    w.translation = std::max(n.translationDesigned, std::max(n.translationText, n.translationLeast));
    const int topicText = std::max(n.topicText, n.topicLeast);
    const int translationText = std::max(n.translationText, n.translationLeast);
    auto over = [&] { return w.topic - kTopicOverlap + w.count + w.translation + n.sleepText - n.available; };

    // Room beyond the texts.
    int o = over();
    o -= giveWay(w.translation, translationText, o);
    o -= giveWay(w.count, n.countText, o);
    o -= giveWay(w.topic, topicText, o);

    // The lists below their names, a pixel at a time from the one with more
    // above its least, so the two end up giving alike.
    while (o > 0) {
        int topicSpare = w.topic - n.topicLeast, translationSpare = w.translation - n.translationLeast;
        if (topicSpare <= 0 && translationSpare <= 0) break;
        --(topicSpare >= translationSpare ? w.topic : w.translation);
        --o;
    }
    w.sleep = n.available - (w.topic - kTopicOverlap + w.count + w.translation);
    return w;
}

int availableWidth(int barWidth, int gripWidth, bool hasGrip, bool zoomed) {
    return barWidth - (hasGrip && !zoomed ? gripWidth : 0);
}

std::array<int, 4> partEdges(const Widths& w, int available) {
    std::array<int, 4> edges{};
    edges[0] = w.topic - kTopicOverlap;
    edges[1] = edges[0] + w.count;
    edges[2] = edges[1] + w.translation;
    edges[3] = std::max(edges[2] + 1, available);
    return edges;
}

} // namespace status_panels
