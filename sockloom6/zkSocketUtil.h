// zkSocketUtil.h
// The blocking Windows Sockets database questions (host, service and
// protocol by name or number, the local host name), byte-order and
// address-text conversions, and text to byte-array conversions through
// the system's ANSI code page. Reached as zkSockets.Util.
#pragma once

#include "winsock_names.h"

#include "ScriptDispatch.h"
#include "common/com/com.h"

namespace sockloom {

class zkSocketUtil final : public com::Object<ScriptDispatch<_zkSocketUtil>, com::SupportErrorInfo<_zkSocketUtil>,
                                              com::ProvideClassInfo2<::zkSocketUtil>> {
public:
    HRESULT STDMETHODCALLTYPE inet_addr(BSTR cp, LONG* addr) override;
    HRESULT STDMETHODCALLTYPE inet_ntoa(LONG addr, BSTR* text) override;
    HRESULT STDMETHODCALLTYPE htonl(LONG hostlong, LONG* netlong) override;
    // Every port number 0 to 65535 converts (by its low 16 bits); values
    // outside -32768 to 65535 raise the overflow error.
    HRESULT STDMETHODCALLTYPE htons(LONG hostshort, SHORT* netshort) override;
    HRESULT STDMETHODCALLTYPE ntohl(LONG netlong, LONG* hostlong) override;
    HRESULT STDMETHODCALLTYPE ntohs(SHORT netshort, SHORT* hostshort) override;
    // The look-ups return no object when nothing is found.
    HRESULT STDMETHODCALLTYPE getservbyname(BSTR ServiceName, BSTR Protocol, _zkServEnt** Service) override;
    HRESULT STDMETHODCALLTYPE getservbyport(SHORT ServicePort, BSTR Protocol, _zkServEnt** Service) override;
    HRESULT STDMETHODCALLTYPE gethostbyname(BSTR HostName, _zkHostEnt** Host) override;
    HRESULT STDMETHODCALLTYPE gethostbyaddress(LONG hostaddress, _zkHostEnt** Host) override;
    HRESULT STDMETHODCALLTYPE getprotobyname(BSTR ProtocolName, _zkProtEnt** Protocol) override;
    HRESULT STDMETHODCALLTYPE getprotobynumber(SHORT ProtocolNumber, _zkProtEnt** Protocol) override;
    HRESULT STDMETHODCALLTYPE gethostname(BSTR* HostName) override;
    HRESULT STDMETHODCALLTYPE StringFromByteArray(VARIANT* vr, BSTR* text) override;
    HRESULT STDMETHODCALLTYPE ByteArrayFromString(BSTR Source, VARIANT* bytes) override;
};

}  // namespace sockloom
