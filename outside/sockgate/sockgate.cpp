// sockgate.cpp
#include "sockgate.h"

namespace sockgate {

namespace {

constexpr Table kWinsock = {
    .socket = &::socket,
    .closesocket = &::closesocket,
    .bind = &::bind,
    .listen = &::listen,
    .accept = &::accept,
    .connect = &::connect,
    .recv = &::recv,
    .recvfrom = &::recvfrom,
    .send = &::send,
    .sendto = &::sendto,
    .select = &::select,
    .ioctlsocket = &::ioctlsocket,
    .getsockopt = &::getsockopt,
    .setsockopt = &::setsockopt,
    .getsockname = &::getsockname,
    .getpeername = &::getpeername,
    .gethostbyname = &::gethostbyname,
    .gethostbyaddr = &::gethostbyaddr,
    .gethostname = &::gethostname,
    .getservbyname = &::getservbyname,
    .getservbyport = &::getservbyport,
    .getprotobyname = &::getprotobyname,
    .getprotobynumber = &::getprotobynumber,
    .inet_addr = &::inet_addr,
    .inet_ntoa = &::inet_ntoa,
    .htonl = &::htonl,
    .htons = &::htons,
    .ntohl = &::ntohl,
    .ntohs = &::ntohs,
    .WSAStartup = &::WSAStartup,
    .WSACleanup = &::WSACleanup,
    .WSAGetLastError = &::WSAGetLastError,
    .WSAAsyncSelect = &::WSAAsyncSelect,
    .WSAAsyncGetHostByName = &::WSAAsyncGetHostByName,
    .WSAAsyncGetHostByAddr = &::WSAAsyncGetHostByAddr,
    .WSACancelAsyncRequest = &::WSACancelAsyncRequest,
};

Table gTable = kWinsock;

}  // namespace

Table& table() noexcept { return gTable; }
const Table& winsock() noexcept { return kWinsock; }
void restore() noexcept { gTable = kWinsock; }

}  // namespace sockgate

using sockgate::table;

SOCKET WINAPI intsocket(int af, int type, int protocol) { return table().socket(af, type, protocol); }
int WINAPI intclosesocket(SOCKET s) { return table().closesocket(s); }
int WINAPI intbind(SOCKET s, const sockaddr* name, int namelen) { return table().bind(s, name, namelen); }
int WINAPI intlisten(SOCKET s, int backlog) { return table().listen(s, backlog); }
SOCKET WINAPI intaccept(SOCKET s, sockaddr* addr, int* addrlen) { return table().accept(s, addr, addrlen); }
int WINAPI intconnect(SOCKET s, const sockaddr* name, int namelen) { return table().connect(s, name, namelen); }
int WINAPI intrecv(SOCKET s, char* buf, int len, int flags) { return table().recv(s, buf, len, flags); }
int WINAPI intrecvfrom(SOCKET s, char* buf, int len, int flags, sockaddr* from, int* fromlen) {
    return table().recvfrom(s, buf, len, flags, from, fromlen);
}
int WINAPI intsend(SOCKET s, const char* buf, int len, int flags) { return table().send(s, buf, len, flags); }
int WINAPI intsendto(SOCKET s, const char* buf, int len, int flags, const sockaddr* to, int tolen) {
    return table().sendto(s, buf, len, flags, to, tolen);
}
int WINAPI intselect(int nfds, fd_set* readfds, fd_set* writefds, fd_set* exceptfds, const PTIMEVAL timeout) {
    return table().select(nfds, readfds, writefds, exceptfds, timeout);
}
int WINAPI intioctlsocket(SOCKET s, long cmd, u_long* argp) { return table().ioctlsocket(s, cmd, argp); }
int WINAPI intgetsockopt(SOCKET s, int level, int optname, char* optval, int* optlen) {
    return table().getsockopt(s, level, optname, optval, optlen);
}
int WINAPI intsetsockopt(SOCKET s, int level, int optname, const char* optval, int optlen) {
    return table().setsockopt(s, level, optname, optval, optlen);
}
int WINAPI intgetsockname(SOCKET s, sockaddr* name, int* namelen) { return table().getsockname(s, name, namelen); }
int WINAPI intgetpeername(SOCKET s, sockaddr* name, int* namelen) { return table().getpeername(s, name, namelen); }
hostent* WINAPI intgethostbyname(const char* name) { return table().gethostbyname(name); }
hostent* WINAPI intgethostbyaddr(const char* addr, int len, int type) { return table().gethostbyaddr(addr, len, type); }
int WINAPI intgethostname(char* name, int namelen) { return table().gethostname(name, namelen); }
servent* WINAPI intgetservbyname(const char* name, const char* proto) { return table().getservbyname(name, proto); }
servent* WINAPI intgetservbyport(int port, const char* proto) { return table().getservbyport(port, proto); }
protoent* WINAPI intgetprotobyname(const char* name) { return table().getprotobyname(name); }
protoent* WINAPI intgetprotobynumber(int number) { return table().getprotobynumber(number); }
unsigned long WINAPI intinet_addr(const char* cp) { return table().inet_addr(cp); }
char* WINAPI intinet_ntoa(in_addr in) { return table().inet_ntoa(in); }
u_long WINAPI inthtonl(u_long hostlong) { return table().htonl(hostlong); }
u_short WINAPI inthtons(u_short hostshort) { return table().htons(hostshort); }
u_long WINAPI intntohl(u_long netlong) { return table().ntohl(netlong); }
u_short WINAPI intntohs(u_short netshort) { return table().ntohs(netshort); }
int WINAPI intWSAStartup(WORD wVersionRequested, WSADATA* lpWSAData) {
    return table().WSAStartup(wVersionRequested, lpWSAData);
}
int WINAPI intWSACleanup() { return table().WSACleanup(); }
int WINAPI intWSAGetLastError() { return table().WSAGetLastError(); }
int WINAPI intWSAAsyncSelect(SOCKET s, HWND hWnd, u_int wMsg, long lEvent) {
    return table().WSAAsyncSelect(s, hWnd, wMsg, lEvent);
}
HANDLE WINAPI intWSAAsyncGetHostByName(HWND hWnd, u_int wMsg, const char* name, char* buf, int buflen) {
    return table().WSAAsyncGetHostByName(hWnd, wMsg, name, buf, buflen);
}
HANDLE WINAPI intWSAAsyncGetHostByAddr(HWND hWnd, u_int wMsg, const char* addr, int len, int type, char* buf,
                                       int buflen) {
    return table().WSAAsyncGetHostByAddr(hWnd, wMsg, addr, len, type, buf, buflen);
}
int WINAPI intWSACancelAsyncRequest(HANDLE hAsyncTaskHandle) { return table().WSACancelAsyncRequest(hAsyncTaskHandle); }
