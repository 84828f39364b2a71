// FrmSysTray.h
// The window that only carries the notification-area icon's image.
#pragma once

#include <windows.h>

#include "common/win32/handles.h"

class FrmSysTray {
public:
    FrmSysTray();
    FrmSysTray(const FrmSysTray&) = delete;
    FrmSysTray& operator=(const FrmSysTray&) = delete;
    HICON icon() const { return m_owned ? m_owned.get() : m_shared; }

private:
    // The program's own small icon; the system's shared one when it is missing.
    win32::Icon m_owned;
    HICON m_shared = nullptr;
};
