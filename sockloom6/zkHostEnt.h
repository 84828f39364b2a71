// zkHostEnt.h
// A host record: official name, aliases and IPv4 addresses (network
// order), copied out of what Windows Sockets returned so it stays valid
// after the call. Made by the library, never by a client: by the blocking
// look-ups of zkSocketUtil and its own methods, and for each asynchronous
// look-up, whose 1025-byte buffer it owns until the look-up is over.
#pragma once

#include "winsock_names.h"

#include <string>
#include <vector>

#include "sockloom6/GlobalFunctions.h"
#include "ScriptDispatch.h"
#include "common/com/com.h"
#include "records.h"

namespace sockloom {

class zkHostEnt final : public com::Object<ScriptDispatch<_zkHostEnt>, com::SupportErrorInfo<_zkHostEnt>,
                                           com::ProvideClassInfo2<::zkHostEnt>> {
public:
    HRESULT STDMETHODCALLTYPE get_Name(BSTR* Name) override;
    HRESULT STDMETHODCALLTYPE put_Name(BSTR Name) override;
    HRESULT STDMETHODCALLTYPE gethostbyname(BSTR HostName) override;
    HRESULT STDMETHODCALLTYPE gethostbyaddress(LONG netaddr) override;
    HRESULT STDMETHODCALLTYPE get_AliasCount(SHORT* AliasCount) override;
    HRESULT STDMETHODCALLTYPE get_Alias(SHORT index, BSTR* Alias) override;
    HRESULT STDMETHODCALLTYPE get_AddressCount(SHORT* AddressCount) override;
    HRESULT STDMETHODCALLTYPE get_Address(SHORT index, LONG* Address) override;

    // The look-ups behind the methods: copy the record found, or only
    // empty Name when there is none (the other fields keep what they held).
    void lookupByName(const std::string& name);
    void lookupByAddress(LONG netaddr);

    // Makes the 1025-byte buffer an asynchronous look-up fills (announced
    // to Windows Sockets as 1024 bytes) and returns its first byte.
    char* AllocAsyncBuffer();
    // Copies the record Windows Sockets wrote at the start of the buffer
    // (its pointers point into the same buffer).
    void LoadFromAsyncBuffer();

    const std::string& name() const noexcept { return m_Name; }

    static constexpr size_t kAsyncBufferSize = 1025;

private:
    void LoadFromHostEnt(const RecordMemory& memory, const hostent* record);

    std::string m_Name;
    std::vector<std::string> m_aliases;
    SHORT m_addressType = 0;
    SHORT m_addressLength = 0;
    std::vector<LONG> m_addresses;
    std::vector<char> m_buffer;
};

}  // namespace sockloom
