// zkServEnt.cpp
#include "zkServEnt.h"

#include "sockloom6/GlobalFunctions.h"
#include "records.h"

namespace sockloom {

namespace {

const char* anyProtocolIfEmpty(const std::string& protocol) noexcept {
    return protocol.empty() ? nullptr : protocol.c_str();
}

}  // namespace

HRESULT zkServEnt::get_Name(BSTR* Name) { return com::ansiToBstr(m_Name, Name); }

HRESULT zkServEnt::put_Name(BSTR Name) { return putText(m_Name, Name); }

HRESULT zkServEnt::get_Protocol(BSTR* Protocol) { return com::ansiToBstr(m_Protocol, Protocol); }

HRESULT zkServEnt::put_Protocol(BSTR Protocol) { return putText(m_Protocol, Protocol); }

HRESULT zkServEnt::get_Port(SHORT* Port) {
    return give(Port, static_cast<SHORT>(intntohs(static_cast<u_short>(m_port))));
}

HRESULT zkServEnt::get_AliasCount(SHORT* AliasCount) { return give(AliasCount, static_cast<SHORT>(m_aliases.size())); }

HRESULT zkServEnt::get_Alias(SHORT index, BSTR* Alias) { return aliasAt(m_aliases, index, Alias, IID__zkServEnt); }

void zkServEnt::LookupByName(const std::string& name, const std::string& protocol) {
    if (const servent* record = intgetservbyname(name.c_str(), anyProtocolIfEmpty(protocol))) {
        LoadFromServEnt(record);
    } else {
        m_Name.clear();
    }
}

void zkServEnt::LookupByPort(SHORT port, const std::string& protocol) {
    const int netPort = inthtons(static_cast<u_short>(port));
    if (const servent* record = intgetservbyport(netPort, anyProtocolIfEmpty(protocol))) {
        LoadFromServEnt(record);
    } else {
        m_Name.clear();
    }
}

void zkServEnt::LoadFromServEnt(const servent* record) {
    const RecordMemory memory;
    m_Name = memory.text(record->s_name);
    m_aliases = readAliases(memory, record->s_aliases);
    m_port = record->s_port;
    m_Protocol = memory.text(record->s_proto);
}

}  // namespace sockloom
