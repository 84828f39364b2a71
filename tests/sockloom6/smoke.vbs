' smoke.vbs
' The socket library from a script host: creation by ProgID, properties,
' methods with by-reference arguments, and an error's number and source.
' Wine's cscript ends a script that fails with code 0 and no word, so the
' runner also wants the closing line; the result code is the number of
' failed checks.
Option Explicit

Dim failures
failures = 0

Sub Check(ok, what)
    If Not ok Then
        failures = failures + 1
        WScript.Echo "FAILED: " & what
    End If
End Sub

Dim sockets, util, info, host, name, s, r
Set sockets = CreateObject("sockloom_v6.zkSockets")
Set util = sockets.Util
Set info = sockets.SocketData
Check info.CurrentVersion = 257, "CurrentVersion is 1.1"
Check Len(info.Description) > 0, "Description"
Check util.htons(80) = 20480, "htons(80)"
Check util.htons(65535) = -1, "htons(65535)"
Check util.inet_ntoa(util.inet_addr("127.0.0.1")) = "127.0.0.1", "inet_addr and inet_ntoa"

Set name = CreateObject("sockloom_v6.zkSockName")
name.Port = util.htons(0)
name.IpAddress = util.inet_addr("127.0.0.1")
Set s = sockets.CreateSocket(1, 6)
Check sockets.SocketCount = 1, "SocketCount"
Check s.Bind(name) = 0, "Bind"
Check s.Listen() = 0, "Listen with the default backlog"
Check util.ntohs(s.SocketName.Port) <> 0, "a port was chosen"

Set host = util.gethostbyname("localhost")
Check util.inet_ntoa(host.Address(1)) = "127.0.0.1", "localhost resolves"

On Error Resume Next
r = host.Alias(0)
Check Err.Number = &H80040201, "Alias(0) raises 0x80040201"
Check Err.Source = "Quennick Winsock Library", "the library's error source"
Check Err.Description = "Invalid Parameter", "the library's error description"
Err.Clear
r = util.htons(65536)
Check Err.Number = 6, "htons(65536) overflows"
Err.Clear
On Error GoTo 0

r = sockets.DestroySocket(s)
Check IsEmpty(r), "DestroySocket gives Empty"
Check sockets.SocketCount = 0, "SocketCount after DestroySocket"
r = sockets.DestroySocket(5)
Check r = -1, "DestroySocket of a position past the end"

Dim tcp, udp, web, server, busy, client, errcode
Set tcp = CreateObject("sockloom_v6.zkTCP")
Set name = CreateObject("sockloom_v6.zkSockName")
name.IpAddress = util.inet_addr("127.0.0.1")
Set server = tcp.CreateTCPServerSocket(name)
Check Not server Is Nothing, "a TCP server socket"
Set busy = server.SocketName
errcode = 0
Set client = tcp.CreateTCPClientSocket(busy, errcode)
Check client Is Nothing, "no client socket on a port in use"
Check errcode = 10048, "the bind error reaches the script's variable"
tcp.InternalEarlyBound = True
Check tcp.InternalEarlyBound, "InternalEarlyBound"
Set udp = CreateObject("sockloom_v6.zkUDP")
Check udp.SocketsObject.SocketCount = 0, "a new zkUDP has no sockets"
Set web = CreateObject("sockloom_v6.zkHTTP10")
web.RetrieveMode = 1
Check web.RetrieveMode = 1, "RetrieveMode"
web.URL = "http://example.invalid:8080/a"
Check web.URL = "http://example.invalid:8080/a", "URL"
On Error Resume Next
web.URL = "http://"
Check Err.Number = &H80040204, "a bare scheme is a malformed URL"
Err.Clear
On Error GoTo 0

Dim ftp
Set ftp = CreateObject("sockloom_v6.zkFTPclient")
Check ftp.State = 0, "a new zkFTPclient is disconnected"
Check ftp.User = "Anonymous", "the default user"
Check ftp.PassiveMode, "passive mode by default"
ftp.Port = 2121
Check ftp.Port = 2121, "Port"
On Error Resume Next
ftp.Port = 0
Check Err.Number = &H80040201, "port 0 is an invalid parameter"
Err.Clear
ftp.List
Check Err.Number = &H80040202, "no listing while disconnected"
Err.Clear
On Error GoTo 0

If failures = 0 Then WScript.Echo "sockloom6 smoke: all checks passed"
WScript.Quit failures
