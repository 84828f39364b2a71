// FrmSysTray.h
// The window that only carries the notification-area icon's image.
#pragma once

#include <windows.h>

class FrmSysTray {
public:
    FrmSysTray();
    ~FrmSysTray();
    FrmSysTray(const FrmSysTray&) = delete;
    FrmSysTray& operator=(const FrmSysTray&) = delete;
    HICON icon() const { return m_icon; }

private:
    HICON m_icon = nullptr;
    bool m_owned = false;
};
