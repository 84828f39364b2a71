// GlobalFunctions.h
// Module routines every class of the library shares: the per-thread
// Windows Sockets data, text from ANSI pointers, the library's one way of
// raising an automation error, and the conversions between a zkSockName
// and the Windows Sockets address.
#pragma once

#include "winsock_names.h"

#include <string>

#include "common/com/ptr.h"
#include "core/conversions.h"

namespace sockloom {

// Module data, one copy for each thread that uses the library.
struct ThreadData {
    // wsock32.dll, loaded by the thread's first zkSockets and never freed.
    HMODULE gWinsockModule = nullptr;
    // Filled by the most recent WSAStartup of version 1.1 on the thread.
    WSADATA gWinsockData{};
};
ThreadData& threadData() noexcept;

// The private interface identifier a library object answers with its
// C++ object (see own()).
template <typename T>
struct OwnId;

// The library's own object behind p, or null for null or a foreign object
// (one that does not answer T's private identifier), so an object a caller
// hands back can be trusted with the library's private operations.
template <typename T>
com::ComPtr<T> own(IUnknown* p) noexcept {
    if (!p) return nullptr;
    void* raw = nullptr;
    if (FAILED(p->QueryInterface(OwnId<T>::value, &raw)) || !raw) return nullptr;
    return com::ComPtr<T>::attach(static_cast<T*>(raw));
}

// Fills an [out, retval] parameter; E_POINTER for a null one.
template <typename T, typename V>
HRESULT give(T* out, V value) noexcept {
    if (!out) return E_POINTER;
    *out = static_cast<T>(value);
    return S_OK;
}

// Stores the ANSI form of a text property's new value.
HRESULT putText(std::string& field, BSTR value) noexcept;

namespace GlobalFunctions {

using sockloom::TrimAtNull;
using sockloom::UnsignedWord;

inline constexpr wchar_t kLibrarySource[] = L"Quennick Winsock Library";

// Empty for a null pointer, else the NUL-terminated text.
std::string StringFromAnsiPtr(const char* p);

// Library error n: 0x80040200 + n with the library's source and the
// description of its table (1 "Invalid Parameter", 2 "Operation invalid
// for current object state", 3 "Error accessing specified host file",
// others none). Returns the HRESULT for the failing method to return.
HRESULT RaiseLibError(unsigned n, REFIID iid) noexcept;
// The run-time errors of conversions: 6 "Overflow", 13 "Type mismatch".
HRESULT RaiseOverflow(REFIID iid) noexcept;
HRESULT RaiseTypeMismatch(REFIID iid) noexcept;

// The 16-byte IPv4 address of a zkSockName: family AF_INET, Port and
// IpAddress unchanged (both are kept in network order), 8 zero bytes.
// Fails (without raising) when the object cannot be read.
HRESULT SockNameToSockAddr(_zkSockName* name, sockaddr_in& out) noexcept;
// Port := sin_port, IpAddress := sin_addr.
HRESULT SockAddrToSockName(const sockaddr_in& addr, _zkSockName* name) noexcept;

}  // namespace GlobalFunctions

}  // namespace sockloom
