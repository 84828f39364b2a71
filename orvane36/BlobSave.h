// BlobSave.h
// How the control's file list is loaded and saved: from and to a stream
// (the FileListBlob at the head of the control's saved stream), and
// through a property bag, where the list travels as the object value
// "SelectFiles" of class BlobSave, whose stream content is the same blob.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include "common/com/object.h"
#include "common/com/ptr.h"
#include "common/filelist/file_list.h"
#include "orvane36.h"

namespace orvane36 {

// What the loaders need of the control: its list (empty: no list), the
// flag that picks the blob's marker, and the COM object a BlobSave keeps
// alive while it holds the owner.
class FileListOwner {
public:
    virtual FileList& ownedFileList() noexcept = 0;
    virtual bool savesAsSlave() const noexcept = 0;
    virtual IUnknown* ownerObject() noexcept = 0;

protected:
    ~FileListOwner() = default;
};

// Stream case of the control's list load: frees the list, reads the blob
// from the stream's position and keeps what was read. Unreadable data, an
// empty stored list and running out of memory all raise error 600 (the
// entries read before the failure stay).
HRESULT LoadFileList(IStream* stream, FileList& list) noexcept;

// Writes the blob (marker by slave; an empty list as the marker and the
// pair 1, 1). The stream's failure, or STG_E_MEDIUMFULL for a short write.
HRESULT SaveFileList(IStream* stream, const FileList& list, bool slave) noexcept;

// Property-bag case: reads or writes "SelectFiles" as a BlobSave bound to
// owner. The result is the bag's failure, else the blob's own load or save
// result, so a damaged stored list reports 600 here too.
HRESULT LoadFileList(IPropertyBag* bag, IErrorLog* log, FileListOwner& owner) noexcept;
HRESULT SaveFileList(IPropertyBag* bag, FileListOwner& owner) noexcept;

inline constexpr wchar_t kSelectFilesProperty[] = L"SelectFiles";

// Carries the owner's list through a property bag. Load and Save always
// answer success to the bag, which would otherwise drop the control's
// other properties; their real results are kept for the caller.
class BlobSave final : public com::Object<IBlobSave, IPersistStream> {
public:
    explicit BlobSave(FileListOwner& owner) noexcept;

    HRESULT lastLoadResult() const noexcept { return m_loadResult; }
    HRESULT lastSaveResult() const noexcept { return m_saveResult; }

    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* out) override;
    HRESULT STDMETHODCALLTYPE IsDirty() override;
    HRESULT STDMETHODCALLTYPE Load(IStream* stream) override;
    HRESULT STDMETHODCALLTYPE Save(IStream* stream, BOOL clearDirty) override;
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;

private:
    FileListOwner& m_owner;
    com::ComPtr<IUnknown> m_keepOwner;
    HRESULT m_loadResult = S_OK;
    HRESULT m_saveResult = S_OK;
};

} // namespace orvane36
