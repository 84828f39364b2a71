// Orvane_persist_test.cpp
// The control saved to and loaded from a stream (whose bytes are the
// saved-stream format the core writes) and a property bag, damaged stored
// lists, and the slave flag a load brings back.
#include "Orvane.h"

#include <gtest/gtest.h>

#include "ThreadMaster.h"
#include "control_host.h"
#include "saved_control.h"

using namespace ocx_test;
using Control = orvane36::Orvane;

namespace {

// No engine: the control keeps Delay itself, so nothing but the control's
// own code is in the bytes.
com::ComPtr<Control> designControl() {
    com::ComPtr<Control> c = com::make<Control>(kMissingEngineClsid);
    return c;
}

orvane36::FileList twoFiles() {
    orvane36::FileList list(2);
    list[0].entryName = "alpha.ocx";
    list[0].entryValue1 = 17;
    list[1].entryName = "beta.dll";
    list[1].entryFlags = 0x02;
    list[1].versionBuffer = std::vector<uint8_t>{1, 2, 3};
    return list;
}

void configure(Control& c) {
    c.fileList() = twoFiles();
    c.put_VerifyMode(orvOnLoad);
    c.put_Delay(VARIANT_TRUE);
    c.put_PathFilter(21);
    c.put_FileFilter(9);
    com::Bstr ext = com::Bstr::fromAnsi("*.tlb");
    c.put_FileFilterExt(ext.get());
}

void expectConfigured(Control& c) {
    ASSERT_EQ(c.fileList().size(), 2u);
    EXPECT_EQ(c.fileList()[0].entryName, "alpha.ocx");
    EXPECT_EQ(c.fileList()[0].entryValue1, 17);
    EXPECT_EQ(c.fileList()[1].versionBuffer, (std::vector<uint8_t>{1, 2, 3}));
    enumVerifyMode mode = orvNone;
    c.get_VerifyMode(&mode);
    EXPECT_EQ(mode, orvOnLoad);
    VARIANT_BOOL delay = VARIANT_FALSE;
    c.get_Delay(&delay);
    EXPECT_EQ(delay, VARIANT_TRUE);
    SHORT n = 0;
    c.get_PathFilter(&n);
    EXPECT_EQ(n, 21);
    c.get_FileFilter(&n);
    EXPECT_EQ(n, 9);
    BSTR text = nullptr;
    c.get_FileFilterExt(&text);
    EXPECT_EQ(com::Bstr::attach(text).view(), L"*.tlb");
    text = reinterpret_cast<BSTR>(1);
    c.get_OtherPaths(&text);
    EXPECT_EQ(text, nullptr);
    EXPECT_FALSE(c.isLoading());
}

} // namespace

TEST(ControlPersistence, StreamBytesAreTheSavedFormat) {
    auto c = designControl();
    configure(*c);
    EXPECT_TRUE(c->isDirty());
    com::ComPtr<IStream> s = streamOf({});
    ASSERT_EQ(c->Save(s.get(), TRUE), S_OK);
    EXPECT_FALSE(c->isDirty());

    orvane36::ControlProperties props;
    props.verifyMode = 1;
    props.delay = orvane36::kVariantTrue;
    props.pathFilter = 21;
    props.fileFilter = 9;
    props.fileFilterExt = u"*.tlb";
    orvane36::MemoryStream golden;
    ASSERT_TRUE(orvane36::WriteControlStream(twoFiles(), props, golden));
    EXPECT_EQ(contentsOf(s.get()), golden.bytes());
    ULARGE_INTEGER size{};
    c->GetSizeMax(&size);
    EXPECT_EQ(size.QuadPart, golden.bytes().size());

    auto back = designControl();
    LARGE_INTEGER zero{};
    s->Seek(zero, STREAM_SEEK_SET, nullptr);
    ASSERT_EQ(back->Load(s.get()), S_OK);
    expectConfigured(*back);
    EXPECT_EQ(positionOf(s.get()), golden.bytes().size()) << "reads exactly its own bytes";
}

TEST(ControlPersistence, ASlaveWithDefaultsSaves82Bytes) {
    auto master = designControl();
    auto slave = designControl();
    ASSERT_TRUE(slave->isSlave());
    com::ComPtr<IStream> s = streamOf({});
    ASSERT_EQ(slave->Save(s.get(), TRUE), S_OK);
    const std::vector<uint8_t> bytes = contentsOf(s.get());
    ASSERT_EQ(bytes.size(), 82u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 28), "QuennickOrvaneLedgers6MSlv32");
    EXPECT_EQ(bytes[28], 1);
    EXPECT_EQ(bytes[32], 1);
    // Slave true is saved as the boolean -1 right after the extent.
    EXPECT_EQ(bytes[48], 0x0B);
    EXPECT_EQ(bytes[50], 0xFF);
    EXPECT_EQ(bytes[51], 0xFF);
    // Loading it gives no list, raises 600 for the empty list, and still
    // reads every property.
    auto back = designControl();
    back->fileList() = twoFiles();
    back->put_PathFilter(1);
    s = streamOf(bytes);
    SetErrorInfo(0, nullptr);
    EXPECT_EQ(back->Load(s.get()), S_OK);
    com::ErrorDetails details;
    ASSERT_TRUE(com::takeErrorInfo(details));
    EXPECT_EQ(details.description.view(), L"Error reading stored file data.");
    EXPECT_TRUE(back->fileList().empty());
    SHORT n = 0;
    back->get_PathFilter(&n);
    EXPECT_EQ(n, 6);
    EXPECT_TRUE(back->isSlave());
}

TEST(ControlPersistence, SavedMasterLoadedBesideAMasterBecomesSlave) {
    auto first = designControl();
    com::ComPtr<IStream> s = streamOf({});
    first->Save(s.get(), TRUE);
    auto second = designControl();
    LARGE_INTEGER zero{};
    s->Seek(zero, STREAM_SEEK_SET, nullptr);
    second->Load(s.get());
    EXPECT_TRUE(second->isSlave()) << "the thread already has its master";
    // The master loading its own data stays master.
    s->Seek(zero, STREAM_SEEK_SET, nullptr);
    first->Load(s.get());
    EXPECT_FALSE(first->isSlave());
}

TEST(ControlPersistence, AVersionWordBeyondOursSkipsTheExtentAndABadPropertyStopsTheRest) {
    auto source = designControl();
    configure(*source);
    com::ComPtr<IStream> s = streamOf({});
    source->Save(s.get(), TRUE);
    std::vector<uint8_t> bytes = contentsOf(s.get());
    // Damage the FileFilter entry's type (after list, version, extent,
    // Slave 4, VerifyMode 6, Delay 4, PathFilter 4).
    const size_t listEnd = bytes.size() - (4 + 8 + 4 + 6 + 4 + 4 + 4 + 6 + 4 + 2 + 12);
    const size_t fileFilterAt = listEnd + 4 + 8 + 4 + 6 + 4 + 4;
    ASSERT_EQ(bytes[fileFilterAt], 0x02);
    bytes[fileFilterAt] = 0x03;
    auto back = designControl();
    back->Load(streamOf(bytes).get());
    SHORT n = 0;
    back->get_PathFilter(&n);
    EXPECT_EQ(n, 21) << "read before the damage";
    back->get_FileFilter(&n);
    EXPECT_EQ(n, 3) << "the default stays";
    BSTR text = reinterpret_cast<BSTR>(1);
    back->get_FileFilterExt(&text);
    EXPECT_EQ(text, nullptr) << "nothing after the damage is read";
}

TEST(ControlPersistence, PropertyBagRoundTrip) {
    auto c = designControl();
    configure(*c);
    auto bag = com::make<TestBag>();
    ASSERT_EQ(c->Save(bag.get(), TRUE, TRUE), S_OK);
    const std::vector<std::wstring> order = {L"SelectFiles", L"Slave",      L"VerifyMode", L"Delay",
                                             L"PathFilter",  L"FileFilter", L"FileFilterExt", L"OtherPaths"};
    EXPECT_EQ(bag->order, order);
    EXPECT_TRUE(bag->values[L"SelectFiles"].isObject);
    EXPECT_EQ(bag->values[L"SelectFiles"].clsid, CLSID_BlobSave);
    EXPECT_EQ(V_VT(&bag->values[L"PathFilter"].value.get()), VT_I2);
    EXPECT_EQ(V_VT(&bag->values[L"VerifyMode"].value.get()), VT_I4);

    auto back = designControl();
    ASSERT_EQ(back->Load(bag.get(), nullptr), S_OK);
    expectConfigured(*back);
    EXPECT_FALSE(back->isDirty());
}

TEST(ControlPersistence, BagValuesArriveInAnyAutomationType) {
    auto bag = com::make<TestBag>();
    auto put = [&](const wchar_t* name, com::Variant v) {
        VARIANT raw = v.get();
        bag->Write(name, &raw);
    };
    put(L"PathFilter", com::Variant::fromAnsi("12"));
    put(L"FileFilter", com::Variant::fromLong(5));
    auto c = designControl();
    // No SelectFiles and no Slave value: the list is empty and reading
    // stops at the first missing property, keeping the defaults.
    c->Load(bag.get(), nullptr);
    SHORT n = 0;
    c->get_PathFilter(&n);
    EXPECT_EQ(n, 6);
    put(L"Slave", com::Variant::fromBool(false));
    put(L"VerifyMode", com::Variant::fromShort(1));
    put(L"Delay", com::Variant::fromBool(false));
    c->Load(bag.get(), nullptr);
    c->get_PathFilter(&n);
    EXPECT_EQ(n, 12);
    c->get_FileFilter(&n);
    EXPECT_EQ(n, 5);
}
