// SbcEasy.cpp
#include "SbcEasy.h"

#include <algorithm>
#include <utility>

namespace outside {

namespace {

void trackLeave(HWND hwnd, DWORD flags) {
    TRACKMOUSEEVENT tme{};
    tme.cbSize = sizeof(tme);
    tme.dwFlags = flags;
    tme.hwndTrack = hwnd;
    tme.dwHoverTime = HOVER_DEFAULT;
    TrackMouseEvent(&tme);
}

} // namespace

SbcEasy::~SbcEasy() = default;

bool SbcEasy::attach(HWND container, const std::string& containerTag) {
    detach();
    if (container == nullptr || !IsWindow(container)) return false;
    m_container = container;
    if (addEntry(container, containerTag)) return true;
    m_container = nullptr;
    return false;
}

bool SbcEasy::watch(HWND control, const std::string& tag) {
    if (m_container == nullptr || control == nullptr || !IsChild(m_container, control)) return false;
    if (Entry* e = find(control)) {
        e->tag = tag;
        return true;
    }
    return addEntry(control, tag);
}

void SbcEasy::unwatch(HWND control) {
    if (control != nullptr && control == m_container) {
        detach();
        return;
    }
    if (find(control) == nullptr) return;
    if (m_current == control && !leaveCurrent()) return;
    erase(control);
}

void SbcEasy::detach() {
    if (m_current != nullptr && !leaveCurrent()) return;
    m_entries.clear();
    m_container = nullptr;
}

bool SbcEasy::addEntry(HWND hwnd, const std::string& tag) {
    auto e = std::make_unique<Entry>();
    e->hwnd = hwnd;
    e->tag = tag;
    // The entry's SubClass dies with this object, so `this` outlives every
    // call of the handler it starts (a callback that destroys this object is
    // caught by raise()).
    e->sub.setHandler([this](HWND h, UINT msg, WPARAM wp, LPARAM lp, LRESULT&, bool&) {
        onMessage(h, msg, wp, lp);
    });
    if (!e->sub.setHWnd(hwnd)) return false;
    m_entries.push_back(std::move(e));
    return true;
}

SbcEasy::Entry* SbcEasy::find(HWND hwnd) {
    auto it = std::find_if(m_entries.begin(), m_entries.end(),
                           [hwnd](const auto& e) { return e->hwnd == hwnd; });
    return it == m_entries.end() ? nullptr : it->get();
}

void SbcEasy::erase(HWND hwnd) {
    std::erase_if(m_entries, [hwnd](const auto& e) { return e->hwnd == hwnd; });
}

void SbcEasy::onMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_MOUSEMOVE:
        if (hwnd != m_current) enter(hwnd);
        break;
    case WM_MOUSELEAVE:
        // A leave of a control already left (the pointer went straight on
        // to another one) was reported then.
        if (hwnd == m_current) leaveCurrent();
        break;
    // A hidden control gets no WM_MOUSELEAVE until the pointer moves. Hiding
    // by ShowWindow may come without a position change (under a hidden
    // parent), and by SetWindowPos without WM_SHOWWINDOW.
    case WM_SHOWWINDOW:
        if (hwnd == m_current && wp == FALSE) leaveCurrent();
        break;
    case WM_WINDOWPOSCHANGED:
        if (hwnd == m_current && (reinterpret_cast<const WINDOWPOS*>(lp)->flags & SWP_HIDEWINDOW))
            leaveCurrent();
        break;
    case WM_NCDESTROY:
        // The container's controls are gone by now (children go first).
        if (hwnd == m_container) {
            detach();
        } else {
            if (hwnd == m_current && !leaveCurrent()) return;
            erase(hwnd);
        }
        break;
    default:
        break;
    }
}

void SbcEasy::enter(HWND hwnd) {
    if (!leaveCurrent()) return;
    const Entry* e = find(hwnd); // a MouseExit callback may have unwatched it
    if (e == nullptr) return;
    m_current = hwnd;
    m_tag = e->tag;
    trackLeave(hwnd, TME_LEAVE);
    raise(m_onEnter, m_tag);
}

bool SbcEasy::leaveCurrent() {
    // A loop, because a MouseExit callback may itself move the pointer into
    // another control; that one is left too before anything new is entered.
    while (HWND old = m_current) {
        m_current = nullptr;
        // A WM_MOUSELEAVE still due for it must not end a later stay.
        trackLeave(old, TME_LEAVE | TME_CANCEL);
        if (!raise(m_onExit, m_tag)) return false;
    }
    return true;
}

bool SbcEasy::raise(const Callback& callback, const std::string& tag) {
    if (!callback) return true;
    std::weak_ptr<int> alive = m_alive;
    // Copies: the callback may replace the callbacks, the tag or this object.
    Callback call = callback;
    const std::string text = tag;
    try {
        call(text);
    } catch (...) {
        // Nothing may leave a window procedure.
    }
    return !alive.expired();
}

} // namespace outside
