// dll_test.cpp
// sockloom6.dll as a host meets it: registered with regsvr32 in the
// prefix, found by ProgID, created through the registry and driven late
// bound, with events from its connection point. Leaves the DLL registered
// for the script test that follows.
//   sockloom6_dll_test <path of sockloom6.dll>
#include "winsock_names.h"

#include <objbase.h>

#include <gtest/gtest.h>

#include <string>

#include "common/win32/handles.h"
#include "late_bound.h"
#include "recorder.h"

using namespace harness;
using com::ComPtr;

namespace {

std::string gDll;

// CTest hands over a Unix path; Wine shows / as drive Z:.
std::string windowsPath(std::string path) {
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

DWORD run(const std::string& commandLine) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return ~0u;
    const win32::Handle thread(pi.hThread), process(pi.hProcess);
    WaitForSingleObject(process.get(), 60000);
    DWORD code = ~0u;
    GetExitCodeProcess(process.get(), &code);
    return code;
}

std::string readKey(const std::string& key, const char* value = nullptr) {
    char buffer[1024] = {};
    LONG size = sizeof buffer;
    if (value) {
        HKEY h = nullptr;
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return "<missing>";
        DWORD type = 0, n = sizeof buffer;
        const LONG r = RegQueryValueExA(h, value, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &n);
        RegCloseKey(h);
        return r == ERROR_SUCCESS ? buffer : "<missing>";
    }
    return RegQueryValueA(HKEY_CLASSES_ROOT, key.c_str(), buffer, &size) == ERROR_SUCCESS ? buffer : "<missing>";
}

constexpr char kSocketsClsid[] = "{21A48655-9736-416D-AECD-8610BC940203}";
constexpr char kSockNameClsid[] = "{21A48655-9736-416D-AECD-8610BC940202}";
constexpr char kLibid[] = "{21A48655-9736-416D-AECD-8610BC940001}";

ComPtr<IDispatch> create(const wchar_t* progId) {
    CLSID clsid{};
    if (FAILED(CLSIDFromProgID(progId, &clsid))) return nullptr;
    ComPtr<IDispatch> d;
    CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, d.putVoid());
    return d;
}

}  // namespace

TEST(Dll, UnregistersCleanlyAndRegistersWithRegsvr32) {
    ASSERT_EQ(run("regsvr32.exe /s /u \"" + gDll + "\""), 0u);
    EXPECT_EQ(readKey("sockloom_v6.zkSockets\\CLSID"), "<missing>");
    EXPECT_EQ(readKey(std::string("CLSID\\") + kSocketsClsid), "<missing>");

    ASSERT_EQ(run("regsvr32.exe /s \"" + gDll + "\""), 0u);
    EXPECT_EQ(readKey("sockloom_v6.zkSockets\\CLSID"), kSocketsClsid);
    EXPECT_EQ(readKey("sockloom_v6.zkSockName\\CLSID"), kSockNameClsid);
    const std::string server = std::string("CLSID\\") + kSocketsClsid + "\\InprocServer32";
    EXPECT_EQ(lstrcmpiA(readKey(server).c_str(), gDll.c_str()), 0) << readKey(server);
    EXPECT_EQ(readKey(server, "ThreadingModel"), "Apartment");
    EXPECT_EQ(readKey(std::string("CLSID\\") + kSocketsClsid + "\\ProgID"), "sockloom_v6.zkSockets");
    EXPECT_EQ(readKey(std::string("TypeLib\\") + kLibid + "\\1.2"), "Quennick Winsock Library");
}

TEST(Dll, CreatesByProgIdAndAnswersLateBound) {
    ComPtr<IDispatch> sockets = create(L"sockloom_v6.zkSockets");
    ASSERT_TRUE(sockets);
    ComPtr<IDispatch> util = get(sockets.get(), L"Util").asObject();
    ASSERT_TRUE(util);
    EXPECT_EQ(call(util.get(), L"htons", {com::argLong(80)}).asLong(), 0x5000);
    Result r = call(util.get(), L"htons", {com::argLong(65536)});
    EXPECT_EQ(r.hr, static_cast<HRESULT>(0x800A0006));

    ComPtr<IProvideClassInfo> info;
    ASSERT_EQ(sockets->QueryInterface(IID_IProvideClassInfo, info.putVoid()), S_OK);
    ComPtr<ITypeInfo> type;
    ASSERT_EQ(info->GetClassInfo(type.put()), S_OK);
    BSTR name = nullptr;
    ASSERT_EQ(type->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr), S_OK);
    EXPECT_STREQ(name, L"zkSockets");
    SysFreeString(name);

    ComPtr<IDispatch> address = create(L"sockloom_v6.zkSockName");
    ASSERT_TRUE(address);
    EXPECT_EQ(get(address.get(), L"Port").asLong(), 0);
    EXPECT_EQ(put(address.get(), L"IpAddress", com::argLong(0x0100007F)), S_OK);
    EXPECT_EQ(get(address.get(), L"IpAddress").asLong(), 0x0100007F);
}

TEST(Dll, RaisesEventsThroughItsConnectionPoint) {
    ComPtr<IDispatch> sockets = create(L"sockloom_v6.zkSockets");
    ASSERT_TRUE(sockets);
    Log log;
    ComPtr<EventSink> sink = com::make<EventSink>(log, DIID___zkSockets);
    ASSERT_TRUE(sink->advise(sockets.get()));
    ComPtr<IDispatch> listener = call(sockets.get(), L"CreateSocket", {com::argLong(1), com::argLong(6)}).asObject();
    ComPtr<IDispatch> client = call(sockets.get(), L"CreateSocket", {com::argLong(1), com::argLong(6)}).asObject();
    ASSERT_TRUE(listener && client);
    ComPtr<IDispatch> name = create(L"sockloom_v6.zkSockName");
    put(name.get(), L"IpAddress", com::argLong(static_cast<LONG>(htonl(0x7F000001))));
    ASSERT_EQ(call(listener.get(), L"Bind", {object(name.get())}).asLong(), 0);
    ASSERT_EQ(call(listener.get(), L"Listen", {missing()}).asLong(), 0) << "the backlog's default";
    ComPtr<IDispatch> bound = get(listener.get(), L"SocketName").asObject();
    call(client.get(), L"Connect", {object(bound.get())});
    ASSERT_TRUE(pumpUntil([&] { return log.count(ev::SocketNotification) >= 2; }));
    log.calls.clear();
    sink->unadvise();
}

TEST(Dll, RegistersTheFtpClientAndCarriesItsVersion) {
    EXPECT_EQ(readKey("sockloom_v6.zkFTPclient\\CLSID"), "{21A48655-9736-416D-AECD-8610BC94020D}");
    ComPtr<IDispatch> ftp = create(L"sockloom_v6.zkFTPclient");
    ASSERT_TRUE(ftp);
    EXPECT_EQ(get(ftp.get(), L"State").asLong(), 0);
    EXPECT_EQ(get(ftp.get(), L"User").asText(), "Anonymous");
    Log log;
    ComPtr<EventSink> sink = com::make<EventSink>(log, DIID___zkFTPclient);
    EXPECT_TRUE(sink->advise(ftp.get()));
    sink->unadvise();

    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(gDll.c_str(), &ignored);
    ASSERT_GT(size, 0u) << "a version resource";
    std::string block(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoA(gDll.c_str(), 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    char* text = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\040904B0\\FileVersion",
                               reinterpret_cast<void**>(&text), &length));
    EXPECT_STREQ(text, "1.0.0.0");
}

TEST(Dll, UnloadsOnceItsObjectsAreGone) {
    ComPtr<IDispatch> sockets = create(L"sockloom_v6.zkSockets");
    ASSERT_TRUE(sockets);
    HMODULE dll = GetModuleHandleA("sockloom6.dll");
    ASSERT_TRUE(dll);
    auto canUnload = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        reinterpret_cast<void*>(GetProcAddress(dll, "DllCanUnloadNow")));
    ASSERT_TRUE(canUnload);
    EXPECT_EQ(canUnload(), S_FALSE);
    sockets = nullptr;
    EXPECT_EQ(canUnload(), S_OK);
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 2) return 2;
    gDll = windowsPath(argv[1]);
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
    const int result = RUN_ALL_TESTS();
    CoUninitialize();
    return result;
}
