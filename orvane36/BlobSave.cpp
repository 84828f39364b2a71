// BlobSave.cpp
#include "BlobSave.h"

#include <new>

#include "common/com/errors.h"
#include "common/com/trace.h"
#include "common/com/variant.h"
#include "common/filelist/ole_streams.h"
#include "control_error.h"

namespace orvane36 {

HRESULT LoadFileList(IStream* stream, FileList& list) noexcept {
    list.clear();
    if (!stream) return E_POINTER;
    try {
        OleByteStream in(stream);
        ListRead read = ReadListBlob(in);
        list = std::move(read.list);
        if (read.failed()) return RaiseControlError(control_error::kStoredDataUnreadable);
        return S_OK;
    } catch (...) {
        // Running out of memory outside a record (the marker, or the
        // stream's own allocation) ends the read the same way.
        return RaiseControlError(control_error::kStoredDataUnreadable);
    }
}

HRESULT SaveFileList(IStream* stream, const FileList& list, bool slave) noexcept {
    if (!stream) return E_POINTER;
    try {
        OleByteStream out(stream);
        if (WriteListBlob(list, out, slave)) return S_OK;
        return FAILED(out.failure()) ? out.failure() : STG_E_MEDIUMFULL;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

namespace {

// Runs call(blob, value) with a new BlobSave bound to owner, held in value
// as the object a bag reads into or writes. The bag may replace what
// value holds; the Variant releases whatever it holds in the end.
template <typename Call>
HRESULT withBlob(FileListOwner& owner, Call call) noexcept {
    return com::guard([&]() -> HRESULT {
        com::ComPtr<BlobSave> blob = com::make<BlobSave>(owner);
        com::Variant value;
        VARIANT* raw = value.put();
        V_VT(raw) = VT_UNKNOWN;
        V_UNKNOWN(raw) = blob->identity();
        blob->AddRef();
        return call(*blob, raw);
    });
}

} // namespace

HRESULT LoadFileList(IPropertyBag* bag, IErrorLog* log, FileListOwner& owner) noexcept {
    owner.ownedFileList().clear();
    if (!bag) return E_POINTER;
    return withBlob(owner, [&](BlobSave& blob, VARIANT* value) {
        const HRESULT hr = bag->Read(kSelectFilesProperty, value, log);
        return FAILED(hr) ? hr : blob.lastLoadResult();
    });
}

HRESULT SaveFileList(IPropertyBag* bag, FileListOwner& owner) noexcept {
    if (!bag) return E_POINTER;
    return withBlob(owner, [&](BlobSave& blob, VARIANT* value) {
        const HRESULT hr = bag->Write(kSelectFilesProperty, value);
        return FAILED(hr) ? hr : blob.lastSaveResult();
    });
}

BlobSave::BlobSave(FileListOwner& owner) noexcept : m_owner(owner), m_keepOwner(owner.ownerObject()) {}

HRESULT BlobSave::GetClassID(CLSID* out) {
    if (!out) return E_POINTER;
    *out = CLSID_BlobSave;
    return S_OK;
}

// The list has no change tracking of its own: always worth saving.
HRESULT BlobSave::IsDirty() { return S_OK; }

HRESULT BlobSave::Load(IStream* stream) {
    COM_TRACE("BlobSave::Load");
    m_loadResult = LoadFileList(stream, m_owner.ownedFileList());
    return S_OK;
}

HRESULT BlobSave::Save(IStream* stream, BOOL) {
    COM_TRACE("BlobSave::Save");
    m_saveResult = SaveFileList(stream, m_owner.ownedFileList(), m_owner.savesAsSlave());
    return S_OK;
}

HRESULT BlobSave::GetSizeMax(ULARGE_INTEGER* size) {
    if (!size) return E_POINTER;
    size->QuadPart = 0;
    return com::guard([&]() -> HRESULT {
        MemoryStream measure;
        if (!WriteListBlob(m_owner.ownedFileList(), measure, m_owner.savesAsSlave())) return E_FAIL;
        size->QuadPart = measure.bytes().size();
        return S_OK;
    });
}

} // namespace orvane36
