// zkProtEnt.cpp
#include "zkProtEnt.h"

#include "sockloom6/GlobalFunctions.h"
#include "records.h"

namespace sockloom {

HRESULT zkProtEnt::get_Name(BSTR* Name) { return com::ansiToBstr(m_Name, Name); }

HRESULT zkProtEnt::put_Name(BSTR Name) { return putText(m_Name, Name); }

HRESULT zkProtEnt::get_AliasCount(SHORT* AliasCount) { return give(AliasCount, static_cast<SHORT>(m_aliases.size())); }

HRESULT zkProtEnt::get_Protocol(SHORT* Protocol) { return give(Protocol, m_number); }

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

}  // namespace sockloom
