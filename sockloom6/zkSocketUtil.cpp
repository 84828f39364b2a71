// zkSocketUtil.cpp
#include "zkSocketUtil.h"

#include <string>
#include <string_view>
#include <vector>

#include "sockloom6/GlobalFunctions.h"
#include "zkHostEnt.h"
#include "zkProtEnt.h"
#include "zkServEnt.h"

namespace sockloom {

using namespace GlobalFunctions;

namespace {

std::string ansi(BSTR text) { return com::toAnsi(com::bstrView(text)); }

// Runs a look-up on a new result object and hands it out when it found
// something (a non-empty Name), else no object.
template <typename Result, typename Interface, typename Lookup>
HRESULT lookup(Interface** out, Lookup&& run) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    return com::guard([&] {
        com::ComPtr<Result> result = com::make<Result>();
        run(*result);
        if (!result->name().empty()) *out = result.detach();
        return S_OK;
    });
}

}  // namespace

HRESULT zkSocketUtil::inet_addr(BSTR cp, LONG* addr) {
    if (!addr) return E_POINTER;
    return com::guard([&] {
        *addr = static_cast<LONG>(intinet_addr(ansi(cp).c_str()));
        return S_OK;
    });
}

HRESULT zkSocketUtil::inet_ntoa(LONG addr, BSTR* text) {
    in_addr a{};
    a.s_addr = static_cast<u_long>(addr);
    return com::guard([&] { return com::ansiToBstr(StringFromAnsiPtr(intinet_ntoa(a)), text); });
}

HRESULT zkSocketUtil::htonl(LONG hostlong, LONG* netlong) {
    if (!netlong) return E_POINTER;
    *netlong = static_cast<LONG>(inthtonl(static_cast<u_long>(hostlong)));
    return S_OK;
}

HRESULT zkSocketUtil::htons(LONG hostshort, SHORT* netshort) {
    if (!netshort) return E_POINTER;
    const auto bits = portBits(hostshort);
    if (!bits) return RaiseOverflow(IID__zkSocketUtil);
    *netshort = static_cast<SHORT>(inthtons(*bits));
    return S_OK;
}

HRESULT zkSocketUtil::ntohl(LONG netlong, LONG* hostlong) {
    if (!hostlong) return E_POINTER;
    *hostlong = static_cast<LONG>(intntohl(static_cast<u_long>(netlong)));
    return S_OK;
}

HRESULT zkSocketUtil::ntohs(SHORT netshort, SHORT* hostshort) {
    if (!hostshort) return E_POINTER;
    *hostshort = static_cast<SHORT>(intntohs(static_cast<u_short>(netshort)));
    return S_OK;
}

HRESULT zkSocketUtil::getservbyname(BSTR ServiceName, BSTR Protocol, _zkServEnt** Service) {
    return lookup<zkServEnt>(Service, [&](zkServEnt& s) { s.LookupByName(ansi(ServiceName), ansi(Protocol)); });
}

HRESULT zkSocketUtil::getservbyport(SHORT ServicePort, BSTR Protocol, _zkServEnt** Service) {
    return lookup<zkServEnt>(Service, [&](zkServEnt& s) { s.LookupByPort(ServicePort, ansi(Protocol)); });
}

HRESULT zkSocketUtil::gethostbyname(BSTR HostName, _zkHostEnt** Host) {
    return lookup<zkHostEnt>(Host, [&](zkHostEnt& h) { h.lookupByName(ansi(HostName)); });
}

HRESULT zkSocketUtil::gethostbyaddress(LONG hostaddress, _zkHostEnt** Host) {
    return lookup<zkHostEnt>(Host, [&](zkHostEnt& h) { h.lookupByAddress(hostaddress); });
}

HRESULT zkSocketUtil::getprotobyname(BSTR ProtocolName, _zkProtEnt** Protocol) {
    return lookup<zkProtEnt>(Protocol, [&](zkProtEnt& p) { p.LookupByName(ansi(ProtocolName)); });
}

HRESULT zkSocketUtil::getprotobynumber(SHORT ProtocolNumber, _zkProtEnt** Protocol) {
    return lookup<zkProtEnt>(Protocol, [&](zkProtEnt& p) { p.LookupByNumber(ProtocolNumber); });
}

HRESULT zkSocketUtil::gethostname(BSTR* HostName) {
    return com::guard([&] {
        std::vector<char> buffer(1024, '\0');
        std::string name;
        if (intgethostname(buffer.data(), 1023) == 0) name = TrimAtNull(std::string_view(buffer.data(), buffer.size()));
        return com::ansiToBstr(name, HostName);
    });
}

HRESULT zkSocketUtil::StringFromByteArray(VARIANT* vr, BSTR* text) {
    if (!text) return E_POINTER;
    *text = nullptr;
    return com::guard([&] {
        std::vector<BYTE> bytes;
        // An empty VARIANT (a read that returned nothing) is no text.
        if (vr && com::deref(*vr).vt != VT_EMPTY) {
            if (!com::isByteArray(*vr) || FAILED(com::toBytes(*vr, bytes))) return RaiseTypeMismatch(IID__zkSocketUtil);
        }
        return com::ansiToBstr(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), text);
    });
}

HRESULT zkSocketUtil::ByteArrayFromString(BSTR Source, VARIANT* bytes) {
    if (!bytes) return E_POINTER;
    VariantInit(bytes);
    return com::guard([&] {
        const std::string text = ansi(Source);
        return com::Variant::fromBytes({reinterpret_cast<const BYTE*>(text.data()), text.size()}).releaseTo(bytes);
    });
}

}  // namespace sockloom
