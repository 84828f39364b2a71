// zkHostEnt.cpp
#include "zkHostEnt.h"

#include <cstring>

namespace sockloom {

using namespace GlobalFunctions;

HRESULT zkHostEnt::get_Name(BSTR* Name) { return com::ansiToBstr(m_Name, Name); }

HRESULT zkHostEnt::put_Name(BSTR Name) { return putText(m_Name, Name); }

HRESULT zkHostEnt::gethostbyname(BSTR HostName) {
    return com::guard([&] {
        lookupByName(com::toAnsi(com::bstrView(HostName)));
        return S_OK;
    });
}

HRESULT zkHostEnt::gethostbyaddress(LONG netaddr) {
    return com::guard([&] {
        lookupByAddress(netaddr);
        return S_OK;
    });
}

HRESULT zkHostEnt::get_AliasCount(SHORT* AliasCount) { return give(AliasCount, static_cast<SHORT>(m_aliases.size())); }

HRESULT zkHostEnt::get_Alias(SHORT index, BSTR* Alias) { return aliasAt(m_aliases, index, Alias, IID__zkHostEnt); }

HRESULT zkHostEnt::get_AddressCount(SHORT* AddressCount) {
    return give(AddressCount, static_cast<SHORT>(m_addresses.size()));
}

HRESULT zkHostEnt::get_Address(SHORT index, LONG* Address) {
    if (!Address) return E_POINTER;
    *Address = 0;
    if (index < 1 || static_cast<size_t>(index) > m_addresses.size()) return RaiseLibError(1, IID__zkHostEnt);
    *Address = m_addresses[static_cast<size_t>(index) - 1];
    return S_OK;
}

void zkHostEnt::lookupByName(const std::string& name) {
    if (const hostent* record = intgethostbyname(name.c_str())) {
        LoadFromHostEnt(RecordMemory(), record);
    } else {
        m_Name.clear();
    }
}

void zkHostEnt::lookupByAddress(LONG netaddr) {
    if (const hostent* record = intgethostbyaddr(reinterpret_cast<const char*>(&netaddr), 4, AF_INET)) {
        LoadFromHostEnt(RecordMemory(), record);
    } else {
        m_Name.clear();
    }
}

char* zkHostEnt::AllocAsyncBuffer() {
    m_buffer.assign(kAsyncBufferSize, '\0');
    return m_buffer.data();
}

void zkHostEnt::LoadFromAsyncBuffer() {
    if (m_buffer.size() < sizeof(hostent)) {
        m_Name.clear();
        return;
    }
    LoadFromHostEnt(RecordMemory(m_buffer.data(), m_buffer.size()), reinterpret_cast<const hostent*>(m_buffer.data()));
}

void zkHostEnt::LoadFromHostEnt(const RecordMemory& memory, const hostent* record) {
    m_aliases.clear();
    m_Name = memory.text(memory.pointerAt(&record->h_name));
    m_aliases = readAliases(memory, memory.pointerAt(&record->h_aliases));
    m_addressType = record->h_addrtype;
    if (m_addressType != AF_INET) return;
    m_addressLength = record->h_length;
    m_addresses.clear();
    char* const* list = memory.pointerAt(&record->h_addr_list);
    for (char* const* slot = list; slot && m_addresses.size() < kMaxListEntries; ++slot) {
        char* address = memory.pointerAt(slot);
        if (!address || !memory.readable(address, 4)) break;
        LONG value = 0;
        std::memcpy(&value, address, 4);
        m_addresses.push_back(value);
    }
}

}  // namespace sockloom
