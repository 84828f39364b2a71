// com_registration_test.cpp
// Self-registration of the test server DLL in this prefix's registry:
// every key written, every key removed, and nothing of others' touched.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/com/ptr.h"
#include "common/com/registration.h"
#include "common/win32/handles.h"
#include "tests/support/registry_probe.h"
#include "comtest.h"
#include "server_dll.h"

using com::guidString;

namespace {

using testsupport::keyExists;
using testsupport::value;

void setValue(const std::string& key, const std::string& text) {
    win32::RegKey k;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, k.put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(k.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>(text.size() + 1)),
              ERROR_SUCCESS);
}

const std::string kCounterKey = "CLSID\\" + guidString(CLSID_Counter);
const std::string kControlKey = "CLSID\\" + guidString(kClsidTestControl);
const std::string kLibId = guidString(LIBID_ComTestLib);
const std::string kInterfaceKey = "Interface\\" + guidString(IID_ICounter);
const std::string kEventsKey = "Interface\\" + guidString(DIID__CounterEvents);

// Every key the server writes, for the "all gone" checks.
const std::vector<std::string> kAllKeys = {kCounterKey, kControlKey,   kCounterProgId, kCounterViProgId,
                                           kControlProgId, "TypeLib\\" + kLibId, kInterfaceKey, kEventsKey};

class Registration : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(serverDll().loaded());
        ASSERT_EQ(serverDll().unregisterServer(), S_OK);
    }
    void TearDown() override { serverDll().unregisterServer(); }
};

} // namespace

TEST(GuidString, RegistryForm) {
    EXPECT_EQ(guidString(LIBID_ComTestLib), "{5B1C4D2E-7A60-4E11-9C3B-2F4A6D8E1001}");
}

TEST_F(Registration, WritesEveryKeyOfAClass) {
    ASSERT_EQ(serverDll().registerServer(), S_OK);
    const std::string path = serverDll().path();

    EXPECT_EQ(value(kCounterKey), "ComTest Counter Class");
    EXPECT_EQ(lstrcmpiA(value(kCounterKey + "\\InprocServer32").c_str(), path.c_str()), 0)
        << value(kCounterKey + "\\InprocServer32");
    EXPECT_EQ(value(kCounterKey + "\\InprocServer32", "ThreadingModel"), "Apartment");
    EXPECT_EQ(value(kCounterKey + "\\ProgID"), kCounterProgId);
    EXPECT_EQ(value(kCounterKey + "\\VersionIndependentProgID"), kCounterViProgId);
    EXPECT_TRUE(keyExists(kCounterKey + "\\Programmable"));
    EXPECT_EQ(value(kCounterKey + "\\TypeLib"), kLibId);
    EXPECT_EQ(value(kCounterKey + "\\Version"), "1.2");
    EXPECT_FALSE(keyExists(kCounterKey + "\\Control"));
    EXPECT_FALSE(keyExists(kCounterKey + "\\MiscStatus"));

    EXPECT_EQ(value(kCounterProgId), "ComTest Counter Class");
    EXPECT_EQ(value(std::string(kCounterProgId) + "\\CLSID"), guidString(CLSID_Counter));
    EXPECT_EQ(value(kCounterViProgId), "Counter");
    EXPECT_EQ(value(std::string(kCounterViProgId) + "\\CLSID"), guidString(CLSID_Counter));
    EXPECT_EQ(value(std::string(kCounterViProgId) + "\\CurVer"), kCounterProgId);

    CLSID fromProgId = GUID_NULL;
    EXPECT_EQ(CLSIDFromProgID(L"ComTest.Counter", &fromProgId), S_OK);
    EXPECT_EQ(fromProgId, CLSID_Counter);
}

TEST_F(Registration, WritesTheControlKeys) {
    ASSERT_EQ(serverDll().registerServer(), S_OK);
    EXPECT_EQ(value(kControlKey), "ComTest Control");
    EXPECT_TRUE(keyExists(kControlKey + "\\Control"));
    EXPECT_TRUE(keyExists(kControlKey + "\\Insertable"));
    EXPECT_EQ(lstrcmpiA(value(kControlKey + "\\ToolboxBitmap32").c_str(), (serverDll().path() + ", 1").c_str()), 0);
    EXPECT_EQ(value(kControlKey + "\\MiscStatus"), "0");
    EXPECT_EQ(value(kControlKey + "\\MiscStatus\\1"), "132497");
    EXPECT_EQ(value(kControlKey + "\\Verb\\0"), "P&roperties,0,2");
    EXPECT_EQ(value(kControlKey + "\\Verb\\1"), "&Edit,0,2");
    EXPECT_FALSE(keyExists(kControlKey + "\\Programmable"));
    EXPECT_FALSE(keyExists(kControlKey + "\\VersionIndependentProgID"));
    EXPECT_EQ(value(kControlProgId + std::string("\\CLSID")), guidString(kClsidTestControl));
}

TEST_F(Registration, RegistersTheTypeLibraryAndItsInterfaces) {
    ASSERT_EQ(serverDll().registerServer(), S_OK);
    EXPECT_TRUE(keyExists("TypeLib\\" + kLibId + "\\1.2\\0\\" + testsupport::kTypeLibPlatform));
    EXPECT_EQ(value(kInterfaceKey + "\\TypeLib"), kLibId);
    EXPECT_TRUE(keyExists(kEventsKey));

    com::ComPtr<ITypeLib> lib;
    EXPECT_EQ(LoadRegTypeLib(LIBID_ComTestLib, 1, 2, 0, lib.put()), S_OK);
}

TEST_F(Registration, CreatableThroughTheRegistry) {
    ASSERT_EQ(serverDll().registerServer(), S_OK);
    com::ComPtr<ICounter> counter;
    ASSERT_EQ(CoCreateInstance(CLSID_Counter, nullptr, CLSCTX_INPROC_SERVER, IID_ICounter, counter.putVoid()), S_OK);
    EXPECT_EQ(counter->put_Value(9), S_OK);
    LONG v = 0;
    EXPECT_EQ(counter->get_Value(&v), S_OK);
    EXPECT_EQ(v, 9);
}

TEST_F(Registration, UnregistrationRemovesEveryKeyAndMayRunTwice) {
    ASSERT_EQ(serverDll().registerServer(), S_OK);
    for (const std::string& key : kAllKeys) EXPECT_TRUE(keyExists(key)) << key;
    EXPECT_EQ(serverDll().unregisterServer(), S_OK);
    for (const std::string& key : kAllKeys) EXPECT_FALSE(keyExists(key)) << key;
    EXPECT_EQ(serverDll().unregisterServer(), S_OK) << "nothing left to remove is no failure";
}

TEST_F(Registration, ReRegistrationReplacesTheClassKeyWhole) {
    ASSERT_EQ(serverDll().registerServer(), S_OK);
    setValue(kCounterKey + "\\Leftover", "old");
    ASSERT_EQ(serverDll().registerServer(), S_OK);
    EXPECT_FALSE(keyExists(kCounterKey + "\\Leftover"));
    EXPECT_TRUE(keyExists(kCounterKey + "\\InprocServer32"));
}

TEST_F(Registration, LeavesOthersRegistrationsAlone) {
    const std::string other = "{0BADF00D-0000-0000-0000-000000000001}";
    // A ProgID now naming another class, and an interface key of another
    // library, stay when this server unregisters.
    ASSERT_EQ(serverDll().registerServer(), S_OK);
    setValue(std::string(kCounterProgId) + "\\CLSID", other);
    EXPECT_EQ(serverDll().unregisterServer(), S_OK);
    EXPECT_EQ(value(std::string(kCounterProgId) + "\\CLSID"), other);
    EXPECT_FALSE(keyExists(kCounterViProgId));

    setValue(kInterfaceKey + "\\TypeLib", other);
    EXPECT_EQ(serverDll().unregisterServer(), S_OK);
    EXPECT_EQ(value(kInterfaceKey + "\\TypeLib"), other);

    RegDeleteTreeA(HKEY_CLASSES_ROOT, kCounterProgId);
    RegDeleteTreeA(HKEY_CLASSES_ROOT, kInterfaceKey.c_str());
}

TEST_F(Registration, InterfaceKeysLeftBehindAreRemoved) {
    // Some systems' UnRegisterTypeLib keeps Interface keys: one that still
    // names this library goes with it.
    setValue(kInterfaceKey, "ICounter");
    setValue(kInterfaceKey + "\\TypeLib", kLibId);
    EXPECT_EQ(serverDll().unregisterServer(), S_OK);
    EXPECT_FALSE(keyExists(kInterfaceKey));
}
