// registration_test.cpp
// orvane36.ocx registered with regsvr32 in this prefix: every key it
// writes, its type library found through the registry, and every key
// (Interface keys included) gone again after unregistration.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/com/bstr.h"
#include "common/com/ptr.h"
#include "common/com/registration.h"
#include "common/win32/handles.h"
#include "tests/support/registry_probe.h"
#include "ocx_test.h"
#include "orvane36.h"

using com::guidString;

namespace {

using testsupport::keyExists;
using testsupport::value;

bool samePath(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

// Runs regsvr32 with the arguments and returns its exit code (-1 when it
// could not be run or did not end).
DWORD regsvr32(const std::string& args) {
    std::string command = "regsvr32.exe " + args + " \"" + ocx_test::gOcxPath + "\"";
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return static_cast<DWORD>(-1);
    win32::Handle process(pi.hProcess), thread(pi.hThread);
    if (WaitForSingleObject(process.get(), 60000) != WAIT_OBJECT_0) return static_cast<DWORD>(-1);
    DWORD code = static_cast<DWORD>(-1);
    GetExitCodeProcess(process.get(), &code);
    return code;
}

const std::string kControl = "CLSID\\" + guidString(CLSID_Orvane);
const std::string kPage = "CLSID\\" + guidString(CLSID_OrvanePropPage);
const std::string kLibId = guidString(LIBID_orvane36Lib);
// The system's proxies: for dual interfaces, and for dispatch-only ones.
const std::string kDualProxy = "{00020424-0000-0000-C000-000000000046}";
const std::string kDispatchProxy = "{00020420-0000-0000-C000-000000000046}";
struct RegisteredInterface {
    GUID iid;
    std::string name;
    std::string proxy;
};
const std::vector<RegisteredInterface> kInterfaces = {{IID_IOrvane, "IOrvane", kDualProxy},
                                                      {DIID__OrvaneEvents, "_OrvaneEvents", kDispatchProxy},
                                                      {IID_IEventSink, "IEventSink", kDualProxy}};

std::vector<std::string> everyKey() {
    std::vector<std::string> keys = {kControl,
                                     kPage,
                                     "orvane36.Orvane.6",
                                     "orvane36.Orvane",
                                     "OrvanePropPage.OrvanePropPage.1",
                                     "OrvanePropPage.OrvanePropPage",
                                     "TypeLib\\" + kLibId};
    for (const RegisteredInterface& i : kInterfaces) keys.push_back("Interface\\" + guidString(i.iid));
    return keys;
}

class Registration : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(ocx_test::gOcxPath.empty()) << "start the test with the path of orvane36.ocx";
        ASSERT_EQ(regsvr32("/s"), 0u);
    }
    void TearDown() override { regsvr32("/u /s"); }
};

} // namespace

TEST_F(Registration, TheControlClass) {
    const std::string& path = ocx_test::gOcxPath;
    EXPECT_EQ(value(kControl), "Quennick Orvane 6 Control");
    EXPECT_EQ(value(kControl + "\\ProgID"), "orvane36.Orvane.6");
    EXPECT_EQ(value(kControl + "\\VersionIndependentProgID"), "orvane36.Orvane");
    EXPECT_TRUE(keyExists(kControl + "\\Programmable"));
    EXPECT_TRUE(samePath(value(kControl + "\\InprocServer32"), path)) << value(kControl + "\\InprocServer32");
    EXPECT_EQ(value(kControl + "\\InprocServer32", "ThreadingModel"), "Apartment");
    EXPECT_TRUE(keyExists(kControl + "\\Control"));
    EXPECT_TRUE(keyExists(kControl + "\\Insertable"));
    EXPECT_TRUE(samePath(value(kControl + "\\ToolboxBitmap32"), path + ", 1"));
    EXPECT_EQ(value(kControl + "\\MiscStatus"), "0");
    EXPECT_EQ(value(kControl + "\\MiscStatus\\1"), "132497");
    EXPECT_EQ(value(kControl + "\\TypeLib"), "{E869F2ED-1305-11D2-A730-00001C1AD1F8}");
    EXPECT_EQ(value(kControl + "\\Version"), "6.0");
    EXPECT_EQ(value(kControl + "\\Verb\\0"), "P&roperties,0,2");

    EXPECT_EQ(value("orvane36.Orvane.6"), "Quennick Orvane 6 Control");
    EXPECT_EQ(value("orvane36.Orvane.6\\CLSID"), "{E869F2FB-1305-11D2-A730-00001C1AD1F8}");
    EXPECT_EQ(value("orvane36.Orvane"), "Orvane");
    EXPECT_EQ(value("orvane36.Orvane\\CurVer"), "orvane36.Orvane.6");

    CLSID fromProgId = GUID_NULL;
    EXPECT_EQ(CLSIDFromProgID(L"orvane36.Orvane", &fromProgId), S_OK);
    EXPECT_EQ(fromProgId, CLSID_Orvane);
}

TEST_F(Registration, ThePropertyPageClass) {
    EXPECT_EQ(value(kPage), "Quennick Orvane Property Page");
    EXPECT_TRUE(keyExists(kPage + "\\Programmable"));
    EXPECT_TRUE(samePath(value(kPage + "\\InprocServer32"), ocx_test::gOcxPath));
    EXPECT_EQ(value(kPage + "\\InprocServer32", "ThreadingModel"), "Apartment");
    EXPECT_FALSE(keyExists(kPage + "\\Control"));
    EXPECT_FALSE(keyExists(kPage + "\\TypeLib"));

    EXPECT_EQ(value("OrvanePropPage.OrvanePropPage.1"), "Quennick Orvane Property Page");
    EXPECT_EQ(value("OrvanePropPage.OrvanePropPage.1\\CLSID"), "{B88992DF-1493-11D2-A734-00001C1AD1F8}");
    EXPECT_EQ(value("OrvanePropPage.OrvanePropPage"), "Quennick Orvane Property Page");
    EXPECT_EQ(value("OrvanePropPage.OrvanePropPage\\CurVer"), "OrvanePropPage.OrvanePropPage.1");
}

TEST_F(Registration, TheTypeLibraryAndItsInterfaces) {
    EXPECT_EQ(value("TypeLib\\" + kLibId + "\\6.0"), "Quennick Orvane 6 Control");
    EXPECT_TRUE(samePath(value("TypeLib\\" + kLibId + "\\6.0\\0\\" + testsupport::kTypeLibPlatform), ocx_test::gOcxPath));
    for (const RegisteredInterface& i : kInterfaces) {
        const std::string key = "Interface\\" + guidString(i.iid);
        EXPECT_EQ(value(key), i.name);
        EXPECT_EQ(value(key + "\\TypeLib"), kLibId) << i.name;
        EXPECT_EQ(value(key + "\\ProxyStubClsid32"), i.proxy) << i.name;
    }

    com::ComPtr<ITypeLib> lib;
    ASSERT_EQ(LoadRegTypeLib(LIBID_orvane36Lib, 6, 0, 0, lib.put()), S_OK);
    com::Bstr name;
    ASSERT_EQ(lib->GetDocumentation(-1, name.put(), nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(name.view(), L"orvane36Lib");
    com::Bstr path;
    ASSERT_EQ(QueryPathOfRegTypeLib(LIBID_orvane36Lib, 6, 0, 0, path.put()), S_OK);
    EXPECT_TRUE(samePath(path.toAnsi(), ocx_test::gOcxPath));
}

TEST_F(Registration, UnregistrationRemovesEveryKeyAndMayRunTwice) {
    for (const std::string& key : everyKey()) EXPECT_TRUE(keyExists(key)) << key;
    // A version left by an older install goes with the library's key.
    win32::RegKey older;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, ("TypeLib\\" + kLibId + "\\5.0").c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, older.put(), nullptr),
              ERROR_SUCCESS);
    older.reset();

    EXPECT_EQ(regsvr32("/u /s"), 0u);
    for (const std::string& key : everyKey()) EXPECT_FALSE(keyExists(key)) << key;
    com::ComPtr<ITypeLib> lib;
    EXPECT_NE(LoadRegTypeLib(LIBID_orvane36Lib, 6, 0, 0, lib.put()), S_OK);

    EXPECT_EQ(regsvr32("/u /s"), 0u) << "the type library key is already missing: still success";
}

TEST(Exports, AnswerThroughLoadLibrary) {
    ASSERT_FALSE(ocx_test::gOcxPath.empty());
    win32::Module ocx(LoadLibraryA(ocx_test::gOcxPath.c_str()));
    ASSERT_TRUE(ocx);
    using CanUnload = HRESULT(STDAPICALLTYPE*)();
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    auto canUnload = reinterpret_cast<CanUnload>(reinterpret_cast<void*>(GetProcAddress(ocx.get(), "DllCanUnloadNow")));
    auto getClass =
        reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(ocx.get(), "DllGetClassObject")));
    ASSERT_TRUE(canUnload && getClass);
    EXPECT_TRUE(GetProcAddress(ocx.get(), "DllRegisterServer"));
    EXPECT_TRUE(GetProcAddress(ocx.get(), "DllUnregisterServer"));
    EXPECT_EQ(canUnload(), S_OK) << "nothing of it is alive";
    void* factory = reinterpret_cast<void*>(1);
    EXPECT_EQ(getClass(CLSID_BlobSave, IID_IClassFactory, &factory), CLASS_E_CLASSNOTAVAILABLE)
        << "the helper objects are made only by the control";
    EXPECT_EQ(factory, nullptr);
}
