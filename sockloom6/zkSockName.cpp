// zkSockName.cpp
#include "zkSockName.h"

#include "sockloom6/GlobalFunctions.h"

namespace sockloom {

HRESULT zkSockName::get_Port(SHORT* Port) { return give(Port, m_Port); }

HRESULT zkSockName::put_Port(SHORT Port) {
    m_Port = Port;
    return S_OK;
}

HRESULT zkSockName::get_IpAddress(LONG* IpAddress) { return give(IpAddress, m_IpAddress); }

HRESULT zkSockName::put_IpAddress(LONG IpAddress) {
    m_IpAddress = IpAddress;
    return S_OK;
}

com::ComPtr<_zkSockName> zkSockName::fromSockAddr(const sockaddr_in& addr) {
    com::ComPtr<zkSockName> name = com::make<zkSockName>();
    name->m_Port = static_cast<SHORT>(addr.sin_port);
    name->m_IpAddress = static_cast<LONG>(addr.sin_addr.s_addr);
    return name;
}

}  // namespace sockloom
