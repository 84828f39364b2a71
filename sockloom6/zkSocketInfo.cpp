// zkSocketInfo.cpp
#include "zkSocketInfo.h"

#include <string_view>

#include "GlobalFunctions.h"

namespace sockloom {

using namespace GlobalFunctions;

namespace {

const WSADATA& data() noexcept { return threadData().gWinsockData; }

template <size_t N>
HRESULT fixedText(const char (&field)[N], BSTR* out) noexcept {
    return com::guard([&] { return com::ansiToBstr(TrimAtNull(std::string_view(field, N)), out); });
}

} // namespace

HRESULT zkSocketInfo::get_CurrentVersion(SHORT* CurrentVersion) {
    if (!CurrentVersion) return E_POINTER;
    *CurrentVersion = static_cast<SHORT>(data().wVersion);
    return S_OK;
}

HRESULT zkSocketInfo::get_HighVersion(SHORT* HighVersion) {
    if (!HighVersion) return E_POINTER;
    *HighVersion = static_cast<SHORT>(data().wHighVersion);
    return S_OK;
}

HRESULT zkSocketInfo::get_Description(BSTR* Description) { return fixedText(data().szDescription, Description); }

HRESULT zkSocketInfo::get_SystemStatus(BSTR* SystemStatus) { return fixedText(data().szSystemStatus, SystemStatus); }

HRESULT zkSocketInfo::get_MaxSockets(LONG* MaxSockets) {
    if (!MaxSockets) return E_POINTER;
    *MaxSockets = UnsignedWord(static_cast<std::int16_t>(data().iMaxSockets));
    return S_OK;
}

HRESULT zkSocketInfo::get_MaxUDPDatagramSize(LONG* MaxUDPDatagramSize) {
    if (!MaxUDPDatagramSize) return E_POINTER;
    *MaxUDPDatagramSize = UnsignedWord(static_cast<std::int16_t>(data().iMaxUdpDg));
    return S_OK;
}

HRESULT zkSocketInfo::get_VendorInfo(BSTR* VendorInfo) {
    return com::guard([&] { return com::ansiToBstr(StringFromAnsiPtr(data().lpVendorInfo), VendorInfo); });
}

} // namespace sockloom
