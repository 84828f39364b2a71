// zkProtEnt.cpp
#include "zkProtEnt.h"

#include "records.h"

namespace sockloom {

HRESULT zkProtEnt::get_Name(BSTR* Name) { return com::ansiToBstr(m_Name, Name); }

HRESULT zkProtEnt::put_Name(BSTR Name) {
    return com::guard([&] {
        m_Name = com::toAnsi(com::bstrView(Name));
        return S_OK;
    });
}

HRESULT zkProtEnt::get_AliasCount(SHORT* AliasCount) {
    if (!AliasCount) return E_POINTER;
    *AliasCount = static_cast<SHORT>(m_aliases.size());
    return S_OK;
}

HRESULT zkProtEnt::get_Protocol(SHORT* Protocol) {
    if (!Protocol) return E_POINTER;
    *Protocol = m_number;
    return S_OK;
}

HRESULT zkProtEnt::get_Alias(SHORT index, BSTR* Alias) { return aliasAt(m_aliases, index, Alias, IID__zkProtEnt); }

void zkProtEnt::LookupByName(const std::string& name) {
    if (const protoent* record = intgetprotobyname(name.c_str())) {
        LoadFromProtoEnt(record);
    } else {
        m_Name.clear();
    }
}

void zkProtEnt::LookupByNumber(SHORT number) {
    if (const protoent* record = intgetprotobynumber(number)) {
        LoadFromProtoEnt(record);
    } else {
        m_Name.clear();
    }
}

void zkProtEnt::LoadFromProtoEnt(const protoent* record) {
    const RecordMemory memory;
    m_Name = memory.text(record->p_name);
    m_aliases = readAliases(memory, record->p_aliases);
    m_number = record->p_proto;
}

} // namespace sockloom
