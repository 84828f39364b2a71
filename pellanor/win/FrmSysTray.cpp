// FrmSysTray.cpp
#include "FrmSysTray.h"

FrmSysTray::FrmSysTray() {
    m_icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), "APPICON", IMAGE_ICON,
                                           GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    m_owned = m_icon != nullptr;
    if (!m_icon) m_icon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
}

FrmSysTray::~FrmSysTray() {
    if (m_owned) DestroyIcon(m_icon);
}
