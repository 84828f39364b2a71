// GlobalFunctions.cpp
#include "sockloom6/GlobalFunctions.h"

#include "common/com/bstr.h"
#include "common/com/errors.h"

namespace sockloom {

ThreadData& threadData() noexcept {
    thread_local ThreadData data;
    return data;
}

HRESULT putText(std::string& field, BSTR value) noexcept {
    return com::guard([&] {
        field = com::toAnsi(com::bstrView(value));
        return S_OK;
    });
}

namespace GlobalFunctions {

namespace {

// The conversion errors (Overflow, Type mismatch) name the library's type
// library as their source in the error info a caller reads.
constexpr wchar_t kErrorSource[] = L"sockloom_v6";

}  // namespace

std::string StringFromAnsiPtr(const char* p) { return p ? std::string(p) : std::string(); }

HRESULT RaiseLibError(unsigned n, REFIID iid) noexcept {
    const wchar_t* description = nullptr;
    switch (n) {
    case 1:
        description = L"Invalid Parameter";
        break;
    case 2:
        description = L"Operation invalid for current object state";
        break;
    case 3:
        description = L"Error accessing specified host file";
        break;
    default:
        break;
    }
    return com::raiseError(com::objectError(0x200 + n), iid, kLibrarySource, description);
}

HRESULT RaiseOverflow(REFIID iid) noexcept {
    return com::raiseError(com::controlError(6), iid, kErrorSource, L"Overflow");
}

HRESULT RaiseTypeMismatch(REFIID iid) noexcept {
    return com::raiseError(com::controlError(13), iid, kErrorSource, L"Type mismatch");
}

HRESULT SockNameToSockAddr(_zkSockName* name, sockaddr_in& out) noexcept {
    out = sockaddr_in{};
    if (!name) return E_POINTER;
    SHORT port = 0;
    LONG address = 0;
    if (HRESULT hr = name->get_Port(&port); FAILED(hr)) return hr;
    if (HRESULT hr = name->get_IpAddress(&address); FAILED(hr)) return hr;
    out.sin_family = AF_INET;
    out.sin_port = static_cast<u_short>(port);
    out.sin_addr.s_addr = static_cast<u_long>(address);
    return S_OK;
}

HRESULT SockAddrToSockName(const sockaddr_in& addr, _zkSockName* name) noexcept {
    if (!name) return E_POINTER;
    if (HRESULT hr = name->put_Port(static_cast<SHORT>(addr.sin_port)); FAILED(hr)) return hr;
    return name->put_IpAddress(static_cast<LONG>(addr.sin_addr.s_addr));
}

}  // namespace GlobalFunctions

}  // namespace sockloom
