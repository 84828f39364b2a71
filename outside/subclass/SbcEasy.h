// SbcEasy.h
// Reports the mouse pointer entering and leaving the controls of a window.
// Each watched control carries a text tag ("button3", "frameNoCombo"); the
// owner hears MouseEnter(tag) and MouseExit(tag) and can read the tag of the
// control last entered.
//
// Promises, whatever order the system's mouse messages come in:
// - every MouseEnter is followed by exactly one MouseExit of the same
//   control before the next MouseEnter, also when the pointer jumps straight
//   from one control to another, and when the entered control is hidden,
//   destroyed or no longer watched while the pointer is in it;
// - no event is raised from the destructor.
//
// A control is entered on its first WM_MOUSEMOVE and left on WM_MOUSELEAVE
// (asked for with TrackMouseEvent). Only the control's own client area
// counts: the pointer over a child window of it has left it, and a control
// that lets mouse messages through to its parent (a static control without
// SS_NOTIFY) is never entered.
//
// Threading: everything, callbacks included, runs on the thread that owns
// the windows; the object is used from that thread only.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "SubClass.h"

namespace outside {

class SbcEasy {
public:
    // Raised with the tag of the control entered or left. A callback may
    // watch or unwatch controls, destroy windows, or destroy this object.
    // It must not throw (an exception is swallowed).
    using Callback = std::function<void(const std::string& tag)>;

    SbcEasy() = default;
    ~SbcEasy();
    SbcEasy(const SbcEasy&) = delete;
    SbcEasy& operator=(const SbcEasy&) = delete;

    void setMouseEnter(Callback onEnter) { m_onEnter = std::move(onEnter); }
    void setMouseExit(Callback onExit) { m_onExit = std::move(onExit); }

    // Takes the window whose controls are watched; it is watched itself,
    // under containerTag. Replaces any earlier container and drops its
    // controls. False when the window cannot be watched.
    bool attach(HWND container, const std::string& containerTag = {});
    // Watches a control under a tag: the control must lie inside the
    // container (a child or grandchild). Watching it again changes its tag.
    bool watch(HWND control, const std::string& tag);
    // Stops watching a control (MouseExit first when the pointer is in it).
    void unwatch(HWND control);
    // Drops the container and every control (MouseExit first, as above).
    void detach();

    // The tag of the control last entered; empty before the first entry. It
    // keeps its value after the exit, and during MouseExit it is the tag of
    // the control being left.
    const std::string& tag() const { return m_tag; }
    // The control the pointer is in now, or nullptr.
    HWND current() const { return m_current; }
    HWND container() const { return m_container; }

private:
    struct Entry {
        HWND hwnd = nullptr;
        std::string tag;
        SubClass sub;
    };

    bool addEntry(HWND hwnd, const std::string& tag);
    Entry* find(HWND hwnd);
    void erase(HWND hwnd);
    void onMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void enter(HWND hwnd);
    // Raises MouseExit for the current control (and for any a callback
    // entered meanwhile). False when a callback destroyed this object.
    bool leaveCurrent();
    // Calls a callback; false when it destroyed this object.
    bool raise(const Callback& callback, const std::string& tag);

    Callback m_onEnter, m_onExit;
    HWND m_container = nullptr;
    HWND m_current = nullptr;
    std::string m_tag;
    std::vector<std::unique_ptr<Entry>> m_entries; // the container first
    // Expires with the object: how code running on its behalf learns that
    // a callback destroyed it.
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};

} // namespace outside
