// OrvaneScanObject.cpp
#include "OrvaneScanObject.h"

#include <algorithm>
#include <climits>

#include "common/com/bstr.h"
#include "common/com/safearray.h"
#include "common/com/variant.h"
#include "engine/file_probe.h"
#include "guid_text.h"
#include "version_info.h"

namespace orvanescan {

namespace {

// Errors the engine raises, with the automation numbers hosts know.
struct EngineError {
    unsigned number;
    const wchar_t* text;
};
constexpr EngineError kBadArgument{5, L"Invalid procedure call or argument"};
constexpr EngineError kBadIndex{9, L"Subscript out of range"};
constexpr EngineError kFileNotFound{53, L"File not found"};
constexpr EngineError kFileAccess{75, L"Path/File access error"};
constexpr EngineError kListUnreadable{600, L"Error reading stored file data."};
constexpr EngineError kBusy{601, L"Invalid operating during file verification or scan."};

HRESULT raise(const EngineError& e) {
    return com::raiseError(com::controlError(e.number), IID_IOrvaneScan, kErrorSource, e.text);
}

HRESULT answer(LONG* out, LONG value) {
    if (!out) return E_POINTER;
    *out = value;
    return S_OK;
}

HRESULT answer(BSTR* out, const std::string& text) { return com::ansiToBstr(text, out); }

HRESULT answer(VARIANT_BOOL* out, bool value) {
    if (!out) return E_POINTER;
    *out = com::toVariantBool(value);
    return S_OK;
}

HRESULT answerBytes(SAFEARRAY** out, const std::vector<uint8_t>& bytes) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return com::guard([&] {
        *out = com::SafeArray::fromBytes(bytes).release();
        return S_OK;
    });
}

LONG lowPart(uint64_t v) { return static_cast<LONG>(static_cast<uint32_t>(v)); }
LONG highPart(uint64_t v) { return static_cast<LONG>(static_cast<uint32_t>(v >> 32)); }
LONG sizeValue(uint64_t v) { return static_cast<LONG>(std::min<uint64_t>(v, LONG_MAX)); }

std::string versionOf(const std::optional<FixedFileInfo>& fixed) {
    return fixed ? VersionText(fixed->fileVersionMS, fixed->fileVersionLS) : std::string();
}

LONG flagsOf(const std::optional<FixedFileInfo>& fixed) {
    return fixed ? static_cast<LONG>(fixed->buildFlags()) : 0;
}

std::string textOf(BSTR b) { return com::toAnsi(com::bstrView(b)); }

// An automation stream read as the list's bytes, only as far as the list
// goes.
class SequentialStream final : public orvane36::ByteStream {
public:
    explicit SequentialStream(ISequentialStream* stream) : m_stream(stream) {}
    size_t read(void* dest, size_t size) override {
        size_t total = 0;
        while (total < size) {
            ULONG got = 0;
            const ULONG ask = static_cast<ULONG>(std::min<size_t>(size - total, 1 << 20));
            if (FAILED(m_stream->Read(static_cast<BYTE*>(dest) + total, ask, &got)) || got == 0) break;
            total += got;
        }
        return total;
    }
    size_t write(const void*, size_t) override { return 0; }

private:
    ISequentialStream* m_stream;
};

com::ComPtr<ISequentialStream> streamOf(IUnknown* fileList) {
    com::ComPtr<ISequentialStream> stream;
    if (fileList) {
        if (FAILED(fileList->QueryInterface(IID_IStream, stream.putVoid())))
            fileList->QueryInterface(IID_ISequentialStream, stream.putVoid());
    }
    return stream;
}

// A text slot for a by-reference event argument: a sink may replace the
// text, and the slot frees whatever it holds at the end.
BSTR* holdText(com::Bstr& slot, const std::string& text) {
    com::Bstr value = com::Bstr::fromAnsi(text);
    BSTR* p = slot.put();
    *p = value.release();
    return p;
}

} // namespace

// --- the latest event's file ---

HRESULT OrvaneScanObject::get_RefVersion(BSTR* value) { return answer(value, versionOf(m_engine.current().ref.fixed)); }

HRESULT OrvaneScanObject::get_FoundVersion(BSTR* value) {
    const CopyFacts* found = m_engine.current().found();
    return answer(value, found ? versionOf(found->fixed) : std::string());
}

HRESULT OrvaneScanObject::get_RefFlags(LONG* value) { return answer(value, flagsOf(m_engine.current().ref.fixed)); }

HRESULT OrvaneScanObject::get_FoundFlags(LONG* value) {
    const CopyFacts* found = m_engine.current().found();
    return answer(value, found ? flagsOf(found->fixed) : 0);
}

HRESULT OrvaneScanObject::get_RefDateLow(LONG* value) { return answer(value, lowPart(m_engine.current().ref.date)); }

HRESULT OrvaneScanObject::get_RefDateHigh(LONG* value) { return answer(value, highPart(m_engine.current().ref.date)); }

HRESULT OrvaneScanObject::get_RefDateString(BSTR* value) {
    return com::guard([&] { return answer(value, DateText(m_engine.current().ref.date)); });
}

HRESULT OrvaneScanObject::get_FoundDateString(BSTR* value) {
    return com::guard([&] {
        const CopyFacts* found = m_engine.current().found();
        return answer(value, found ? DateText(found->date) : std::string());
    });
}

HRESULT OrvaneScanObject::get_OtherCount(LONG* value) {
    return answer(value, static_cast<LONG>(m_engine.current().copies.size()));
}

HRESULT OrvaneScanObject::get_FoundVersionBuffer(SAFEARRAY** value) {
    const CopyFacts* found = m_engine.current().found();
    return answerBytes(value, found ? found->versionBuffer : std::vector<uint8_t>());
}

HRESULT OrvaneScanObject::get_RefVersionBuffer(SAFEARRAY** value) {
    return answerBytes(value, m_engine.current().ref.versionBuffer);
}

HRESULT OrvaneScanObject::get_FoundSize(LONG* value) {
    const CopyFacts* found = m_engine.current().found();
    return answer(value, found ? sizeValue(found->size) : 0);
}

HRESULT OrvaneScanObject::get_RefSize(LONG* value) {
    return answer(value, sizeValue(m_engine.current().ref.size));
}

HRESULT OrvaneScanObject::get_FoundDateLow(LONG* value) {
    const CopyFacts* found = m_engine.current().found();
    return answer(value, found ? lowPart(found->date) : 0);
}

HRESULT OrvaneScanObject::get_FoundDateHigh(LONG* value) {
    const CopyFacts* found = m_engine.current().found();
    return answer(value, found ? highPart(found->date) : 0);
}

template <typename F>
HRESULT OrvaneScanObject::withCopy(SHORT index, F answerCopy) {
    const auto& copies = m_engine.current().copies;
    if (index < 0 || static_cast<size_t>(index) >= copies.size()) return raise(kBadIndex);
    return com::guard([&] { return answerCopy(copies[static_cast<size_t>(index)]); });
}

HRESULT OrvaneScanObject::OtherFile(SHORT index, BSTR* value) {
    return withCopy(index, [&](const CopyFacts& c) { return answer(value, c.path); });
}

HRESULT OrvaneScanObject::OtherVersion(SHORT index, BSTR* value) {
    return withCopy(index, [&](const CopyFacts& c) { return answer(value, versionOf(c.fixed)); });
}

HRESULT OrvaneScanObject::OtherFlags(SHORT index, LONG* value) {
    return withCopy(index, [&](const CopyFacts& c) { return answer(value, flagsOf(c.fixed)); });
}

HRESULT OrvaneScanObject::OtherDateLow(SHORT index, LONG* value) {
    return withCopy(index, [&](const CopyFacts& c) { return answer(value, lowPart(c.date)); });
}

HRESULT OrvaneScanObject::OtherDateHigh(SHORT index, LONG* value) {
    return withCopy(index, [&](const CopyFacts& c) { return answer(value, highPart(c.date)); });
}

HRESULT OrvaneScanObject::OtherDateString(SHORT index, BSTR* value) {
    return withCopy(index, [&](const CopyFacts& c) { return answer(value, DateText(c.date)); });
}

HRESULT OrvaneScanObject::OtherSource(SHORT index, LONG* value) {
    return withCopy(index, [&](const CopyFacts& c) { return answer(value, static_cast<LONG>(c.source)); });
}

HRESULT OrvaneScanObject::OtherSize(SHORT index, LONG* value) {
    return withCopy(index, [&](const CopyFacts& c) { return answer(value, sizeValue(c.size)); });
}

HRESULT OrvaneScanObject::OtherVersionString(SHORT index, BSTR* value) {
    return withCopy(index, [&](const CopyFacts& c) { return answer(value, c.versionString); });
}

HRESULT OrvaneScanObject::get_RefGUID(BSTR* value) {
    return com::guard([&] { return answer(value, GuidText(m_engine.current().ref.typeLib.guid)); });
}

HRESULT OrvaneScanObject::get_RefTypeLibVersion(LONG* value) {
    return answer(value, static_cast<LONG>(m_engine.current().ref.typeLib.version));
}

HRESULT OrvaneScanObject::get_RefTypeLibLCID(LONG* value) {
    return answer(value, static_cast<LONG>(m_engine.current().ref.typeLib.lcid));
}

HRESULT OrvaneScanObject::get_FoundGUID(BSTR* value) {
    return com::guard([&] {
        const auto& r = m_engine.current().registration;
        return answer(value, r ? GuidText(r->id.guid) : std::string());
    });
}

HRESULT OrvaneScanObject::get_FoundTypeLibVersion(LONG* value) {
    const auto& r = m_engine.current().registration;
    return answer(value, r ? static_cast<LONG>(r->id.version) : 0);
}

HRESULT OrvaneScanObject::get_FoundTypeLibLCID(LONG* value) {
    const auto& r = m_engine.current().registration;
    return answer(value, r ? static_cast<LONG>(r->id.lcid) : 0);
}

HRESULT OrvaneScanObject::get_RefVersionString(BSTR* value) {
    return answer(value, m_engine.current().ref.versionString);
}

HRESULT OrvaneScanObject::get_FoundVersionString(BSTR* value) {
    const CopyFacts* found = m_engine.current().found();
    return answer(value, found ? found->versionString : std::string());
}

HRESULT OrvaneScanObject::get_PathRefFileName(BSTR* value) { return answer(value, m_engine.current().expectedPath); }

// --- runs ---

HRESULT OrvaneScanObject::resultOf(ScanEngine::Result result) {
    switch (result) {
    case ScanEngine::Result::Done:
        return S_OK;
    case ScanEngine::Result::Busy:
        return raise(kBusy);
    case ScanEngine::Result::ListDamaged:
        return raise(kListUnreadable);
    case ScanEngine::Result::FileUnreadable: {
        const DWORD error = GetLastError();
        return raise(error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? kFileNotFound : kFileAccess);
    }
    case ScanEngine::Result::OutOfMemory:
        return E_OUTOFMEMORY;
    }
    return E_UNEXPECTED;
}

HRESULT OrvaneScanObject::get_VerifyFile(BSTR* value) { return answer(value, m_engine.verifyFilePath()); }

HRESULT OrvaneScanObject::put_VerifyFile(BSTR value) {
    COM_TRACE("OrvaneScan::put_VerifyFile");
    return com::guard([&] {
        com::ComPtr<OrvaneScanObject> self(this);
        return resultOf(m_engine.verifyFile(textOf(value), *this));
    });
}

HRESULT OrvaneScanObject::get_ScanFile(BSTR* value) { return answer(value, m_engine.scanFilePath()); }

HRESULT OrvaneScanObject::put_ScanFile(BSTR value) {
    COM_TRACE("OrvaneScan::put_ScanFile");
    return com::guard([&] {
        com::ComPtr<OrvaneScanObject> self(this);
        return resultOf(m_engine.scanFile(textOf(value), *this));
    });
}

HRESULT OrvaneScanObject::VerifyList(IUnknown* fileList, LONG options) {
    COM_TRACE("OrvaneScan::VerifyList(%ld)", static_cast<long>(options));
    auto stream = streamOf(fileList);
    if (!stream) return raise(kBadArgument);
    return com::guard([&] {
        com::ComPtr<OrvaneScanObject> self(this);
        SequentialStream blob(stream.get());
        return resultOf(m_engine.verifyList(blob, static_cast<uint32_t>(options), *this));
    });
}

HRESULT OrvaneScanObject::ScanList(IUnknown* fileList) {
    COM_TRACE("OrvaneScan::ScanList");
    auto stream = streamOf(fileList);
    if (!stream) return raise(kBadArgument);
    return com::guard([&] {
        com::ComPtr<OrvaneScanObject> self(this);
        SequentialStream blob(stream.get());
        return resultOf(m_engine.scanList(blob, *this));
    });
}

HRESULT OrvaneScanObject::IsBusy(SHORT* busy) {
    if (!busy) return E_POINTER;
    *busy = m_engine.busy() ? -1 : 0;
    return S_OK;
}

HRESULT OrvaneScanObject::VerifyObjectFile(BSTR name, BSTR guid, LONG warns, SHORT path, LONG verMS, LONG verLS,
                                           LONG size, SHORT year, SHORT month, SHORT day, SHORT hour, SHORT minute,
                                           SHORT second) {
    return verifyObject(name, guid, warns, path, verMS, verLS, nullptr, nullptr, 0, size, year, month, day, hour,
                        minute, second);
}

HRESULT OrvaneScanObject::VerifyObjectFile2(BSTR name, BSTR guid, LONG warns, LONG path, LONG verMS, LONG verLS,
                                            BSTR versionString, BSTR referenceFile, LONG typeLibVer, LONG size,
                                            SHORT year, SHORT month, SHORT day, SHORT hour, SHORT minute,
                                            SHORT second) {
    return verifyObject(name, guid, warns, path, verMS, verLS, versionString, referenceFile, typeLibVer, size, year,
                        month, day, hour, minute, second);
}

HRESULT OrvaneScanObject::verifyObject(BSTR name, BSTR guid, LONG warns, LONG path, LONG verMS, LONG verLS,
                                       BSTR versionString, BSTR referenceFile, LONG typeLibVer, LONG size,
                                       SHORT year, SHORT month, SHORT day, SHORT hour, SHORT minute, SHORT second) {
    COM_TRACE("OrvaneScan::VerifyObjectFile");
    return com::guard([&]() -> HRESULT {
        com::ComPtr<OrvaneScanObject> self(this);
        Reference ref;
        ref.name = textOf(name);
        const auto libGuid = GuidFromText(textOf(guid));
        if (!libGuid) return raise(kBadArgument);
        ref.typeLib.guid = *libGuid;
        ref.typeLib.version = static_cast<uint32_t>(typeLibVer);
        const uint32_t bits = static_cast<uint32_t>(path) & path_bits::kAll;
        ref.pathBits = bits != 0 ? bits : path_bits::kDefault;
        const uint32_t warnings = static_cast<uint32_t>(warns) & conflict::kAll;
        ref.warnings = warnings != 0 ? warnings : conflict::kDefaultWarnings;
        if (verMS != 0 || verLS != 0) {
            FixedFileInfo fixed;
            fixed.fileVersionMS = static_cast<uint32_t>(verMS);
            fixed.fileVersionLS = static_cast<uint32_t>(verLS);
            ref.fixed = fixed;
        }
        ref.size = static_cast<uint32_t>(std::max<LONG>(size, 0));
        if (year != 0) {
            auto date = FileTimeFromLocal(year, month, day != 0 ? day : 1, hour, minute, second);
            if (!date) return raise(kBadArgument);
            ref.date = *date;
        }
        ref.versionString = textOf(versionString);
        // A reference copy supplies what the arguments leave out.
        if (const std::string reference = textOf(referenceFile); !reference.empty()) {
            auto copy = ProbeFile(reference, 0);
            if (!copy) return raise(kFileNotFound);
            if (!ref.fixed) {
                ref.fixed = copy->fixed;
                ref.versionBuffer = copy->versionBuffer;
            }
            if (ref.size == 0) ref.size = static_cast<uint32_t>(std::min<uint64_t>(copy->size, UINT32_MAX));
            if (ref.date == 0) ref.date = copy->date;
            if (ref.versionString.empty()) ref.versionString = copy->versionString;
        }
        return resultOf(m_engine.verifyObject(ref, *this));
    });
}

HRESULT OrvaneScanObject::ResetVerifyMethod() {
    m_engine.reset();
    return S_OK;
}

// --- settings ---

HRESULT OrvaneScanObject::get_FileCurrentDir(BSTR* value) { return answer(value, m_engine.settings.fileCurrentDir); }

HRESULT OrvaneScanObject::put_FileCurrentDir(BSTR value) {
    return com::guard([&] {
        m_engine.settings.fileCurrentDir = textOf(value);
        return S_OK;
    });
}

HRESULT OrvaneScanObject::get_ReadPropErrors(VARIANT_BOOL* value) {
    return answer(value, m_engine.settings.readPropErrors);
}

HRESULT OrvaneScanObject::put_ReadPropErrors(VARIANT_BOOL value) {
    m_engine.settings.readPropErrors = value != VARIANT_FALSE;
    return S_OK;
}

HRESULT OrvaneScanObject::get_Delay(VARIANT_BOOL* value) { return answer(value, m_engine.settings.delay); }

HRESULT OrvaneScanObject::put_Delay(VARIANT_BOOL value) {
    m_engine.settings.delay = value != VARIANT_FALSE;
    return S_OK;
}

HRESULT OrvaneScanObject::get_ApplicationName(BSTR* value) {
    return answer(value, m_engine.settings.applicationName);
}

HRESULT OrvaneScanObject::put_ApplicationName(BSTR value) {
    return com::guard([&] {
        m_engine.settings.applicationName = textOf(value);
        return S_OK;
    });
}

HRESULT OrvaneScanObject::get_UserDirectory(BSTR* value) { return answer(value, m_engine.settings.userDirectory); }

HRESULT OrvaneScanObject::put_UserDirectory(BSTR value) {
    return com::guard([&] {
        m_engine.settings.userDirectory = textOf(value);
        return S_OK;
    });
}

// --- events ---

bool OrvaneScanObject::fileConflict(const std::string& referenceFile, const std::string& foundFile, uint32_t flags) {
    com::Bstr reference;
    com::Bstr found;
    BSTR* referenceArg = holdText(reference, referenceFile);
    BSTR* foundArg = holdText(found, foundFile);
    LONG flagsArg = static_cast<LONG>(flags);
    VARIANT_BOOL stop = VARIANT_FALSE;
    connectionPoint<IOrvaneScanEvents>().fire(
        1, {com::refBstr(referenceArg), com::refBstr(foundArg), com::refLong(&flagsArg), com::refBool(&stop)});
    return stop != VARIANT_FALSE;
}

bool OrvaneScanObject::fileScan(const std::string& referenceFile, uint32_t verifyFlags, uint32_t pathFlags) {
    com::Bstr reference;
    BSTR* referenceArg = holdText(reference, referenceFile);
    LONG verifyArg = static_cast<LONG>(verifyFlags);
    LONG pathArg = static_cast<LONG>(pathFlags);
    VARIANT_BOOL stop = VARIANT_FALSE;
    connectionPoint<IOrvaneScanEvents>().fire(
        2, {com::refBstr(referenceArg), com::refLong(&verifyArg), com::refLong(&pathArg), com::refBool(&stop)});
    return stop != VARIANT_FALSE;
}

void OrvaneScanObject::enumComplete() { connectionPoint<IOrvaneScanEvents>().fire(3); }

} // namespace orvanescan
