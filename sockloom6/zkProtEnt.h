// zkProtEnt.h
// A protocol record (name, number, aliases) copied out of what Windows
// Sockets returned. Made by zkSocketUtil's protocol look-ups.
#pragma once

#include "winsock_names.h"

#include <string>
#include <vector>

#include "ScriptDispatch.h"
#include "common/com/com.h"

namespace sockloom {

class zkProtEnt final : public com::Object<ScriptDispatch<_zkProtEnt>, com::SupportErrorInfo<_zkProtEnt>,
                                           com::ProvideClassInfo2<::zkProtEnt>> {
public:
    HRESULT STDMETHODCALLTYPE get_Name(BSTR* Name) override;
    HRESULT STDMETHODCALLTYPE put_Name(BSTR Name) override;
    HRESULT STDMETHODCALLTYPE get_AliasCount(SHORT* AliasCount) override;
    HRESULT STDMETHODCALLTYPE get_Protocol(SHORT* Protocol) override;
    HRESULT STDMETHODCALLTYPE get_Alias(SHORT index, BSTR* Alias) override;

    // Blocking look-ups; nothing found empties only Name.
    void LookupByName(const std::string& name);
    void LookupByNumber(SHORT number);

    const std::string& name() const noexcept { return m_Name; }

private:
    void LoadFromProtoEnt(const protoent* record);

    std::string m_Name;
    SHORT m_number = 0;
    std::vector<std::string> m_aliases;
};

}  // namespace sockloom
