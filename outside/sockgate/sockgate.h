// sockgate.h
// The Winsock interface of the socket library. Each function is "int"
// followed by the name of a Windows Sockets 1.1 function and takes exactly
// that function's arguments and returns exactly its result; nothing else
// is offered.
//
// Every call goes through one table, whose entries start out as the real
// Winsock functions of wsock32.dll. A test replaces single entries to
// inject faults (a partial send, a would-block, a socket handle above
// 0xFFFF) and puts the real ones back with restore(). The table is plain
// data for the calling thread's use: replace entries only while no other
// thread is in the library.
//
// This header brings in <winsock.h>: code that also includes the socket
// library's type library header must undefine the Winsock names that the
// library's enumerations reuse first (see sockloom6/winsock_names.h).
#pragma once

#include <winsock.h>

namespace sockgate {

struct Table {
    decltype(&::socket) socket;
    decltype(&::closesocket) closesocket;
    decltype(&::bind) bind;
    decltype(&::listen) listen;
    decltype(&::accept) accept;
    decltype(&::connect) connect;
    decltype(&::recv) recv;
    decltype(&::recvfrom) recvfrom;
    decltype(&::send) send;
    decltype(&::sendto) sendto;
    decltype(&::select) select;
    decltype(&::ioctlsocket) ioctlsocket;
    decltype(&::getsockopt) getsockopt;
    decltype(&::setsockopt) setsockopt;
    decltype(&::getsockname) getsockname;
    decltype(&::getpeername) getpeername;
    decltype(&::gethostbyname) gethostbyname;
    decltype(&::gethostbyaddr) gethostbyaddr;
    decltype(&::gethostname) gethostname;
    decltype(&::getservbyname) getservbyname;
    decltype(&::getservbyport) getservbyport;
    decltype(&::getprotobyname) getprotobyname;
    decltype(&::getprotobynumber) getprotobynumber;
    decltype(&::inet_addr) inet_addr;
    decltype(&::inet_ntoa) inet_ntoa;
    decltype(&::htonl) htonl;
    decltype(&::htons) htons;
    decltype(&::ntohl) ntohl;
    decltype(&::ntohs) ntohs;
    decltype(&::WSAStartup) WSAStartup;
    decltype(&::WSACleanup) WSACleanup;
    decltype(&::WSAGetLastError) WSAGetLastError;
    decltype(&::WSAAsyncSelect) WSAAsyncSelect;
    decltype(&::WSAAsyncGetHostByName) WSAAsyncGetHostByName;
    decltype(&::WSAAsyncGetHostByAddr) WSAAsyncGetHostByAddr;
    decltype(&::WSACancelAsyncRequest) WSACancelAsyncRequest;
};

// The live table every int* function calls through.
Table& table() noexcept;
// The real Winsock functions, for a replacement that wraps one of them.
const Table& winsock() noexcept;
// Puts every entry of the live table back to the real Winsock.
void restore() noexcept;

}  // namespace sockgate

SOCKET WINAPI intsocket(int af, int type, int protocol);
int WINAPI intclosesocket(SOCKET s);
int WINAPI intbind(SOCKET s, const sockaddr* name, int namelen);
int WINAPI intlisten(SOCKET s, int backlog);
SOCKET WINAPI intaccept(SOCKET s, sockaddr* addr, int* addrlen);
int WINAPI intconnect(SOCKET s, const sockaddr* name, int namelen);
int WINAPI intrecv(SOCKET s, char* buf, int len, int flags);
int WINAPI intrecvfrom(SOCKET s, char* buf, int len, int flags, sockaddr* from, int* fromlen);
int WINAPI intsend(SOCKET s, const char* buf, int len, int flags);
int WINAPI intsendto(SOCKET s, const char* buf, int len, int flags, const sockaddr* to, int tolen);
int WINAPI intselect(int nfds, fd_set* readfds, fd_set* writefds, fd_set* exceptfds, const PTIMEVAL timeout);
int WINAPI intioctlsocket(SOCKET s, long cmd, u_long* argp);
int WINAPI intgetsockopt(SOCKET s, int level, int optname, char* optval, int* optlen);
int WINAPI intsetsockopt(SOCKET s, int level, int optname, const char* optval, int optlen);
int WINAPI intgetsockname(SOCKET s, sockaddr* name, int* namelen);
int WINAPI intgetpeername(SOCKET s, sockaddr* name, int* namelen);
hostent* WINAPI intgethostbyname(const char* name);
hostent* WINAPI intgethostbyaddr(const char* addr, int len, int type);
int WINAPI intgethostname(char* name, int namelen);
servent* WINAPI intgetservbyname(const char* name, const char* proto);
servent* WINAPI intgetservbyport(int port, const char* proto);
protoent* WINAPI intgetprotobyname(const char* name);
protoent* WINAPI intgetprotobynumber(int number);
unsigned long WINAPI intinet_addr(const char* cp);
char* WINAPI intinet_ntoa(in_addr in);
u_long WINAPI inthtonl(u_long hostlong);
u_short WINAPI inthtons(u_short hostshort);
u_long WINAPI intntohl(u_long netlong);
u_short WINAPI intntohs(u_short netshort);
int WINAPI intWSAStartup(WORD wVersionRequested, WSADATA* lpWSAData);
int WINAPI intWSACleanup();
int WINAPI intWSAGetLastError();
int WINAPI intWSAAsyncSelect(SOCKET s, HWND hWnd, u_int wMsg, long lEvent);
HANDLE WINAPI intWSAAsyncGetHostByName(HWND hWnd, u_int wMsg, const char* name, char* buf, int buflen);
HANDLE WINAPI intWSAAsyncGetHostByAddr(HWND hWnd, u_int wMsg, const char* addr, int len, int type, char* buf,
                                       int buflen);
int WINAPI intWSACancelAsyncRequest(HANDLE hAsyncTaskHandle);
