// EarlierVersions.h
// The interfaces of earlier versions that zkHTTP10 (1.0) and zkFTPclient
// (1.0 and 1.1) still answer. A client built against them asks for their
// dispatch interface, which the class answers with its current one (the
// members and dispatch identifiers are the same), and advises a sink that
// answers only the old event interface: each class keeps a connection
// point for every old event interface and raises its events there too.
#pragma once

#include <windows.h>
#include <oaidl.h>

namespace sockloom {

// Dispatch interfaces: identifiers only.
inline constexpr GUID IID__zkHTTP10_1_0 = {0x21a48655, 0x9736, 0x416d, {0xae, 0xcd, 0x86, 0x10, 0xbc, 0x94, 0x03, 0x01}};
inline constexpr GUID IID__zkFTPclient_1_0 = {
    0x21a48655, 0x9736, 0x416d, {0xae, 0xcd, 0x86, 0x10, 0xbc, 0x94, 0x03, 0x03}};
inline constexpr GUID IID__zkFTPclient_1_1 = {
    0x21a48655, 0x9736, 0x416d, {0xae, 0xcd, 0x86, 0x10, 0xbc, 0x94, 0x03, 0x05}};

}  // namespace sockloom

// Event interfaces: types, so that connection points can be kept for them.
MIDL_INTERFACE("21a48655-9736-416d-aecd-8610bc940302")
__zkHTTP10_1_0 : public IDispatch{};
MIDL_INTERFACE("21a48655-9736-416d-aecd-8610bc940304")
__zkFTPclient_1_0 : public IDispatch{};
MIDL_INTERFACE("21a48655-9736-416d-aecd-8610bc940306")
__zkFTPclient_1_1 : public IDispatch{};
#ifdef __CRT_UUID_DECL
__CRT_UUID_DECL(__zkHTTP10_1_0, 0x21a48655, 0x9736, 0x416d, 0xae, 0xcd, 0x86, 0x10, 0xbc, 0x94, 0x03, 0x02)
__CRT_UUID_DECL(__zkFTPclient_1_0, 0x21a48655, 0x9736, 0x416d, 0xae, 0xcd, 0x86, 0x10, 0xbc, 0x94, 0x03, 0x04)
__CRT_UUID_DECL(__zkFTPclient_1_1, 0x21a48655, 0x9736, 0x416d, 0xae, 0xcd, 0x86, 0x10, 0xbc, 0x94, 0x03, 0x06)
#endif
