// zkSockName.h
// A socket address: Port (16-bit) and IpAddress (32-bit IPv4), both kept
// in network byte order exactly as the caller puts them; a new one holds
// 0 and 0. Creatable, and made by the library for the addresses it reports.
#pragma once

#include "winsock_names.h"

#include "ScriptDispatch.h"
#include "common/com/com.h"

namespace sockloom {

class zkSockName final : public com::Object<ScriptDispatch<_zkSockName>, com::SupportErrorInfo<_zkSockName>,
                                            com::ProvideClassInfo2<::zkSockName>> {
public:
    HRESULT STDMETHODCALLTYPE get_Port(SHORT* Port) override;
    HRESULT STDMETHODCALLTYPE put_Port(SHORT Port) override;
    HRESULT STDMETHODCALLTYPE get_IpAddress(LONG* IpAddress) override;
    HRESULT STDMETHODCALLTYPE put_IpAddress(LONG IpAddress) override;

    // A new name holding the address's port and IPv4 address.
    static com::ComPtr<_zkSockName> fromSockAddr(const sockaddr_in& addr);

private:
    SHORT m_Port = 0;
    LONG m_IpAddress = 0;
};

}  // namespace sockloom
