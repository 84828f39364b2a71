// BlobSave_test.cpp
// The control's file list loaded and saved through a stream and through a
// property bag (a small in-memory bag that, like a host's, saves an
// object value through its IPersistStream and loads it back into the
// object it is handed).
#include "BlobSave.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "common/com/errors.h"
#include "fake_stream.h"
#include "ocx_test.h"
#include "test_streams.h"

using ocx_test::FakeStream;
using orvane36::FileList;
using orvane36_test::Bytes;

namespace {

constexpr HRESULT kStoredDataError = static_cast<HRESULT>(0x800A0258);

struct StoredObject {
    CLSID clsid = GUID_NULL;
    std::vector<uint8_t> bytes;
};

class MemoryBag final : public com::Object<IPropertyBag> {
public:
    std::map<std::wstring, StoredObject> objects;
    int reads = 0;

    HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override {
        ++reads;
        auto it = objects.find(name);
        if (it == objects.end()) return E_INVALIDARG;
        if (V_VT(value) != VT_UNKNOWN || !V_UNKNOWN(value)) return E_INVALIDARG;
        com::ComPtr<IPersistStream> persist;
        if (FAILED(V_UNKNOWN(value)->QueryInterface(IID_IPersistStream, persist.putVoid()))) return E_NOINTERFACE;
        com::ComPtr<IStream> s = ocx_test::streamOf(it->second.bytes);
        return persist->Load(s.get());
    }
    HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* value) override {
        if (V_VT(value) != VT_UNKNOWN || !V_UNKNOWN(value)) return E_INVALIDARG;
        com::ComPtr<IPersistStream> persist;
        if (FAILED(V_UNKNOWN(value)->QueryInterface(IID_IPersistStream, persist.putVoid()))) return E_NOINTERFACE;
        StoredObject stored;
        if (HRESULT hr = persist->GetClassID(&stored.clsid); FAILED(hr)) return hr;
        com::ComPtr<IStream> s = ocx_test::streamOf({});
        if (HRESULT hr = persist->Save(s.get(), TRUE); FAILED(hr)) return hr;
        stored.bytes = ocx_test::contentsOf(s.get());
        objects[name] = stored;
        return S_OK;
    }
};

// Stands in for the control: a COM object owning a list.
class ListHolder final : public com::Object<IUnknown>, public orvane36::FileListOwner {
public:
    FileList list;
    bool slave = false;
    FileList& ownedFileList() noexcept override { return list; }
    bool savesAsSlave() const noexcept override { return slave; }
    IUnknown* ownerObject() noexcept override { return identity(); }
    ULONG references() {
        AddRef();
        return Release();
    }
};

FileList twoEntries() {
    FileList list(2);
    list[0].entryName = "one.ocx";
    list[0].text1 = "6.0";
    list[1].entryName = "two.dll";
    list[1].versionBuffer = {7, 7};
    return list;
}

FileList markedLast(FileList list) {
    for (size_t i = 0; i < list.size(); ++i) {
        if (i + 1 == list.size())
            list[i].flags |= orvane36::kLastEntry;
        else
            list[i].flags &= ~orvane36::kLastEntry;
    }
    return list;
}

// The description of the error the last call left, or "<none>".
std::wstring lastErrorText() {
    com::ErrorDetails info;
    if (!com::takeErrorInfo(info)) return L"<none>";
    return std::wstring(info.description.view());
}

} // namespace

TEST(FileListStream, SaveThenLoad) {
    com::ComPtr<IStream> s = ocx_test::streamOf({});
    ASSERT_EQ(orvane36::SaveFileList(s.get(), twoEntries(), true), S_OK);
    const std::vector<uint8_t> saved = ocx_test::contentsOf(s.get());
    ASSERT_GE(saved.size(), 28u);
    EXPECT_EQ(std::string(saved.begin(), saved.begin() + 28), "QuennickOrvaneLedgers6MSlv32");

    LARGE_INTEGER zero{};
    s->Seek(zero, STREAM_SEEK_SET, nullptr);
    FileList loaded(1);   // replaced, not added to
    EXPECT_EQ(orvane36::LoadFileList(s.get(), loaded), S_OK);
    EXPECT_EQ(loaded, markedLast(twoEntries()));
}

TEST(FileListStream, NoListSavesTheEmptyPairAndLoadsAsNoListWith600) {
    com::ComPtr<IStream> s = ocx_test::streamOf({});
    ASSERT_EQ(orvane36::SaveFileList(s.get(), {}, false), S_OK);
    EXPECT_EQ(ocx_test::contentsOf(s.get()), Bytes().ascii("QuennickOrvaneLedgers6Mark32").le32(1).le32(1).bytes());

    LARGE_INTEGER zero{};
    s->Seek(zero, STREAM_SEEK_SET, nullptr);
    FileList loaded = twoEntries();
    EXPECT_EQ(orvane36::LoadFileList(s.get(), loaded), kStoredDataError);
    EXPECT_EQ(lastErrorText(), L"Error reading stored file data.");
    EXPECT_TRUE(loaded.empty());
}

TEST(FileListStream, DamagedDataKeepsWhatWasReadAndRaises600) {
    com::ComPtr<IStream> full = ocx_test::streamOf({});
    ASSERT_EQ(orvane36::SaveFileList(full.get(), twoEntries(), false), S_OK);
    std::vector<uint8_t> bytes = ocx_test::contentsOf(full.get());
    bytes.resize(bytes.size() - 3);   // the second record is cut short
    FileList loaded;
    EXPECT_EQ(orvane36::LoadFileList(ocx_test::streamOf(bytes).get(), loaded), kStoredDataError);
    EXPECT_EQ(lastErrorText(), L"Error reading stored file data.");
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_EQ(loaded[0].entryName, "one.ocx");
}

TEST(FileListStream, RunningOutOfMemoryIsAnErrorNotSuccess) {
    com::ComPtr<IStream> full = ocx_test::streamOf({});
    ASSERT_EQ(orvane36::SaveFileList(full.get(), twoEntries(), false), S_OK);
    // The stream runs out of memory reading the marker (read 1), or the
    // second record's header (read 11, after the marker and the first
    // record's eight reads).
    for (auto [failing, kept] : {std::pair{1, 0u}, std::pair{11, 1u}}) {
        com::ComPtr<FakeStream> s = com::make<FakeStream>(ocx_test::contentsOf(full.get()));
        s->failingRead = failing;
        s->readFailure = E_OUTOFMEMORY;
        FileList loaded;
        EXPECT_EQ(orvane36::LoadFileList(s.get(), loaded), kStoredDataError) << "read " << failing;
        EXPECT_EQ(lastErrorText(), L"Error reading stored file data.");
        EXPECT_EQ(loaded.size(), kept) << "read " << failing;
    }
}

TEST(FileListStream, AWriteThatFailsIsReported) {
    com::ComPtr<FakeStream> s = com::make<FakeStream>();
    s->failingWrite = 2;
    EXPECT_EQ(orvane36::SaveFileList(s.get(), twoEntries(), false), STG_E_MEDIUMFULL);
    EXPECT_EQ(orvane36::SaveFileList(nullptr, twoEntries(), false), E_POINTER);
}

TEST(BlobSave, PersistsThroughItsStreamInterface) {
    com::ComPtr<ListHolder> holder = com::make<ListHolder>();
    holder->list = twoEntries();
    const ULONG before = holder->references();
    {
        com::ComPtr<orvane36::BlobSave> blob = com::make<orvane36::BlobSave>(*holder);
        EXPECT_EQ(holder->references(), before + 1) << "the blob holds its control";

        com::ComPtr<IPersistStream> persist = blob.as<IPersistStream>();
        ASSERT_TRUE(persist);
        EXPECT_TRUE(blob.as<IBlobSave>());
        EXPECT_TRUE(blob.as<IPersist>());
        CLSID clsid = GUID_NULL;
        EXPECT_EQ(persist->GetClassID(&clsid), S_OK);
        EXPECT_EQ(clsid, CLSID_BlobSave);
        EXPECT_EQ(persist->IsDirty(), S_OK);

        com::ComPtr<IStream> s = ocx_test::streamOf({});
        EXPECT_EQ(persist->Save(s.get(), TRUE), S_OK);
        ULARGE_INTEGER size{};
        EXPECT_EQ(persist->GetSizeMax(&size), S_OK);
        EXPECT_EQ(size.QuadPart, ocx_test::contentsOf(s.get()).size());

        // A damaged stream: the bag hears success, the blob keeps the 600.
        holder->list.clear();
        com::ComPtr<IStream> bad = ocx_test::streamOf(Bytes().ascii("QuennickOrvaneLedgers6Mark32").le32(5).bytes());
        EXPECT_EQ(persist->Load(bad.get()), S_OK);
        EXPECT_EQ(blob->lastLoadResult(), kStoredDataError);
    }
    EXPECT_EQ(holder->references(), before);
}

TEST(FileListBag, SaveThenLoadThroughAPropertyBag) {
    com::ComPtr<MemoryBag> bag = com::make<MemoryBag>();
    com::ComPtr<ListHolder> saving = com::make<ListHolder>();
    saving->list = twoEntries();
    saving->slave = true;
    ASSERT_EQ(orvane36::SaveFileList(bag.get(), *saving), S_OK);
    ASSERT_EQ(bag->objects.count(L"SelectFiles"), 1u);
    const StoredObject& stored = bag->objects[L"SelectFiles"];
    EXPECT_EQ(stored.clsid, CLSID_BlobSave);
    EXPECT_EQ(std::string(stored.bytes.begin(), stored.bytes.begin() + 28), "QuennickOrvaneLedgers6MSlv32");

    com::ComPtr<ListHolder> loading = com::make<ListHolder>();
    loading->list.resize(5);
    EXPECT_EQ(orvane36::LoadFileList(bag.get(), nullptr, *loading), S_OK);
    EXPECT_EQ(loading->list, markedLast(twoEntries()));
}

TEST(FileListBag, EmptyListAndDamagedValues) {
    com::ComPtr<MemoryBag> bag = com::make<MemoryBag>();
    com::ComPtr<ListHolder> holder = com::make<ListHolder>();
    ASSERT_EQ(orvane36::SaveFileList(bag.get(), *holder), S_OK);
    EXPECT_EQ(bag->objects[L"SelectFiles"].bytes, Bytes().ascii("QuennickOrvaneLedgers6Mark32").le32(1).le32(1).bytes());

    holder->list = twoEntries();
    EXPECT_EQ(orvane36::LoadFileList(bag.get(), nullptr, *holder), kStoredDataError)
        << "an empty stored list loads as no list and reports 600";
    EXPECT_TRUE(holder->list.empty());

    bag->objects[L"SelectFiles"].bytes.resize(10);
    EXPECT_EQ(orvane36::LoadFileList(bag.get(), nullptr, *holder), kStoredDataError);
    EXPECT_EQ(lastErrorText(), L"Error reading stored file data.");

    bag->objects.clear();
    holder->list = twoEntries();
    EXPECT_EQ(orvane36::LoadFileList(bag.get(), nullptr, *holder), E_INVALIDARG) << "the bag's own failure";
    EXPECT_TRUE(holder->list.empty());
}
