// zkServEnt.h
// A service record (name, protocol, port, aliases) copied out of what
// Windows Sockets returned. Made by zkSocketUtil's service look-ups.
#pragma once

#include "winsock_names.h"

#include <string>
#include <vector>

#include "ScriptDispatch.h"
#include "common/com/com.h"

namespace sockloom {

class zkServEnt final : public com::Object<ScriptDispatch<_zkServEnt>, com::SupportErrorInfo<_zkServEnt>,
                                           com::ProvideClassInfo2<::zkServEnt>> {
public:
    HRESULT STDMETHODCALLTYPE get_Name(BSTR* Name) override;
    HRESULT STDMETHODCALLTYPE put_Name(BSTR Name) override;
    HRESULT STDMETHODCALLTYPE get_Protocol(BSTR* Protocol) override;
    HRESULT STDMETHODCALLTYPE put_Protocol(BSTR Protocol) override;
    // ntohs of the port as Windows Sockets stores it.
    HRESULT STDMETHODCALLTYPE get_Port(SHORT* Port) override;
    HRESULT STDMETHODCALLTYPE get_AliasCount(SHORT* AliasCount) override;
    HRESULT STDMETHODCALLTYPE get_Alias(SHORT index, BSTR* Alias) override;

    // Blocking look-ups; an empty protocol asks for any protocol. Nothing
    // found empties only Name.
    void LookupByName(const std::string& name, const std::string& protocol);
    // port in host order; converted with htons for the call.
    void LookupByPort(SHORT port, const std::string& protocol);

    const std::string& name() const noexcept { return m_Name; }

private:
    void LoadFromServEnt(const servent* record);

    std::string m_Name;
    std::string m_Protocol;
    SHORT m_port = 0;
    std::vector<std::string> m_aliases;
};

}  // namespace sockloom
