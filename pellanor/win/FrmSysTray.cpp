// FrmSysTray.cpp
#include "FrmSysTray.h"

FrmSysTray::FrmSysTray() {
    m_owned.reset(static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), "APPICON", IMAGE_ICON,
                                                GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0)));
    if (!m_owned) m_shared = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
}
