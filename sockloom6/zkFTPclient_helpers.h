// zkFTPclient_helpers.h
// What both source files of zkFTPclient use: zkFTPclient.cpp (the
// control connection and its replies) and zkFTPclient_transfer.cpp (the
// data connection and transfers).
#pragma once

#include <string>

#include "common/com/com.h"
#include "zkSockName.h"
#include "zkSocket.h"

namespace sockloom::ftpclient {

inline std::string ansiOf(BSTR* text) { return text ? com::toAnsi(com::bstrView(*text)) : std::string(); }

inline com::ComPtr<_zkSockName> nameOf(const sockaddr_in& address) { return zkSockName::fromSockAddr(address); }

// Starts the socket's connection to an address: 0 when it is made or under
// way, otherwise the error (-1 when the system names none).
LONG startConnect(zkSocket& socket, const sockaddr_in& to);

}  // namespace sockloom::ftpclient
