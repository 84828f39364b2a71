// zkSocketInfo.cpp
#include "zkSocketInfo.h"

#include <string_view>

#include "sockloom6/GlobalFunctions.h"

namespace sockloom {

using namespace GlobalFunctions;

namespace {

const WSADATA& data() noexcept { return threadData().gWinsockData; }

template <size_t N>
HRESULT fixedText(const char (&field)[N], BSTR* out) noexcept {
    return com::guard([&] { return com::ansiToBstr(TrimAtNull(std::string_view(field, N)), out); });
}

}  // namespace

HRESULT zkSocketInfo::get_CurrentVersion(SHORT* CurrentVersion) {
    return give(CurrentVersion, static_cast<SHORT>(data().wVersion));
}

HRESULT zkSocketInfo::get_HighVersion(SHORT* HighVersion) {
    return give(HighVersion, static_cast<SHORT>(data().wHighVersion));
}

HRESULT zkSocketInfo::get_Description(BSTR* Description) { return fixedText(data().szDescription, Description); }

HRESULT zkSocketInfo::get_SystemStatus(BSTR* SystemStatus) { return fixedText(data().szSystemStatus, SystemStatus); }

HRESULT zkSocketInfo::get_MaxSockets(LONG* MaxSockets) {
    return give(MaxSockets, UnsignedWord(static_cast<std::int16_t>(data().iMaxSockets)));
}

HRESULT zkSocketInfo::get_MaxUDPDatagramSize(LONG* MaxUDPDatagramSize) {
    return give(MaxUDPDatagramSize, UnsignedWord(static_cast<std::int16_t>(data().iMaxUdpDg)));
}

HRESULT zkSocketInfo::get_VendorInfo(BSTR* VendorInfo) {
    return com::guard([&] { return com::ansiToBstr(StringFromAnsiPtr(data().lpVendorInfo), VendorInfo); });
}

}  // namespace sockloom
