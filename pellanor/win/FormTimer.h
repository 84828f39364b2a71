// FormTimer.h
// A timer of a form, as the form designer gives it: an interval and an
// enabled state, ticking as WM_TIMER with its own identifier. Tests read its
// state and call the form's handler to fire a tick.
#pragma once

#include <windows.h>

class FormTimer {
public:
    FormTimer(UINT_PTR id, UINT interval) : m_id(id), m_interval(interval) {}
    void attach(HWND owner) { m_owner = owner; }
    UINT_PTR id() const { return m_id; }
    UINT interval() const { return m_interval; }
    bool enabled() const { return m_enabled; }
    void setEnabled(bool on) {
        m_enabled = on;
        if (!m_owner) return;
        if (on) SetTimer(m_owner, m_id, m_interval, nullptr);
        else KillTimer(m_owner, m_id);
    }
    // Changing the interval of a running timer restarts its period.
    void setInterval(UINT ms) {
        m_interval = ms;
        if (m_enabled && m_owner) SetTimer(m_owner, m_id, m_interval, nullptr);
    }

private:
    UINT_PTR m_id;
    UINT m_interval;
    bool m_enabled = false;
    HWND m_owner = nullptr;
};
