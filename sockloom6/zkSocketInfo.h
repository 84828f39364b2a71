// zkSocketInfo.h
// The Windows Sockets start-up data of the calling thread (the WSADATA of
// its latest WSAStartup of version 1.1), read-only. Made only by zkSockets.
#pragma once

#include "winsock_names.h"

#include "ScriptDispatch.h"
#include "common/com/com.h"

namespace sockloom {

class zkSocketInfo final : public com::Object<ScriptDispatch<_zkSocketInfo>, com::SupportErrorInfo<_zkSocketInfo>,
                                              com::ProvideClassInfo2<::zkSocketInfo>> {
public:
    HRESULT STDMETHODCALLTYPE get_CurrentVersion(SHORT* CurrentVersion) override;
    HRESULT STDMETHODCALLTYPE get_HighVersion(SHORT* HighVersion) override;
    HRESULT STDMETHODCALLTYPE get_Description(BSTR* Description) override;
    HRESULT STDMETHODCALLTYPE get_SystemStatus(BSTR* SystemStatus) override;
    HRESULT STDMETHODCALLTYPE get_MaxSockets(LONG* MaxSockets) override;
    HRESULT STDMETHODCALLTYPE get_MaxUDPDatagramSize(LONG* MaxUDPDatagramSize) override;
    HRESULT STDMETHODCALLTYPE get_VendorInfo(BSTR* VendorInfo) override;
};

}  // namespace sockloom
