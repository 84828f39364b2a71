// OrvaneScanObject.h
// The COM class OrvaneScan: IOrvaneScan over one ScanEngine, with a
// connection point for IOrvaneScanEvents. Events are raised through each
// sink's IDispatch (DISPIDs 1 to 3, arguments by reference), so a sink
// that only answers dispatch calls works too, and a stop flag a sink
// writes is seen by the next sink and by the engine.
//
// Every member that runs a verification or scan holds a reference to the
// object until it returns, since a host may drop its own from a handler.
#pragma once

#include <windows.h>

#include "ScanEngine.h"
#include "common/com/connection.h"
#include "common/com/errors.h"
#include "common/com/object.h"
#include "common/com/typeinfo.h"
#include "orvanescan.h"

namespace orvanescan {

inline constexpr wchar_t kErrorSource[] = L"OrvaneScan";

class OrvaneScanObject final
    : public com::Object<com::Dispatch<IOrvaneScan>, com::SupportErrorInfo<IOrvaneScan>,
                         com::ProvideClassInfo2<OrvaneScan, IOrvaneScanEvents>,
                         com::ConnectionPoints<IOrvaneScanEvents>>,
      private EngineEvents {
public:
    // The engine itself, for tests that move its stand-in folders.
    ScanEngine& engine() noexcept { return m_engine; }

    // The latest event's file.
    HRESULT STDMETHODCALLTYPE get_RefVersion(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_FoundVersion(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_RefFlags(LONG* value) override;
    HRESULT STDMETHODCALLTYPE get_FoundFlags(LONG* value) override;
    HRESULT STDMETHODCALLTYPE get_RefDateLow(LONG* value) override;
    HRESULT STDMETHODCALLTYPE get_RefDateHigh(LONG* value) override;
    HRESULT STDMETHODCALLTYPE get_RefDateString(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_FoundDateString(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_OtherCount(LONG* value) override;
    HRESULT STDMETHODCALLTYPE get_FoundVersionBuffer(SAFEARRAY** value) override;
    HRESULT STDMETHODCALLTYPE get_RefVersionBuffer(SAFEARRAY** value) override;
    HRESULT STDMETHODCALLTYPE get_FoundSize(LONG* value) override;
    HRESULT STDMETHODCALLTYPE get_RefSize(LONG* value) override;
    HRESULT STDMETHODCALLTYPE get_FoundDateLow(LONG* value) override;
    HRESULT STDMETHODCALLTYPE get_FoundDateHigh(LONG* value) override;
    HRESULT STDMETHODCALLTYPE OtherFile(SHORT index, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE OtherVersion(SHORT index, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE OtherFlags(SHORT index, LONG* value) override;
    HRESULT STDMETHODCALLTYPE OtherDateLow(SHORT index, LONG* value) override;
    HRESULT STDMETHODCALLTYPE OtherDateHigh(SHORT index, LONG* value) override;
    HRESULT STDMETHODCALLTYPE OtherDateString(SHORT index, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE OtherSource(SHORT index, LONG* value) override;
    HRESULT STDMETHODCALLTYPE OtherSize(SHORT index, LONG* value) override;
    HRESULT STDMETHODCALLTYPE OtherVersionString(SHORT index, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_RefGUID(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_RefTypeLibVersion(LONG* value) override;
    HRESULT STDMETHODCALLTYPE get_RefTypeLibLCID(LONG* value) override;
    HRESULT STDMETHODCALLTYPE get_FoundGUID(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_FoundTypeLibVersion(LONG* value) override;
    HRESULT STDMETHODCALLTYPE get_FoundTypeLibLCID(LONG* value) override;
    HRESULT STDMETHODCALLTYPE get_RefVersionString(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_FoundVersionString(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_PathRefFileName(BSTR* value) override;

    // Runs.
    HRESULT STDMETHODCALLTYPE get_VerifyFile(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_VerifyFile(BSTR value) override;
    HRESULT STDMETHODCALLTYPE get_ScanFile(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_ScanFile(BSTR value) override;
    HRESULT STDMETHODCALLTYPE VerifyList(IUnknown* fileList, LONG options) override;
    HRESULT STDMETHODCALLTYPE ScanList(IUnknown* fileList) override;
    HRESULT STDMETHODCALLTYPE IsBusy(SHORT* busy) override;
    HRESULT STDMETHODCALLTYPE VerifyObjectFile(BSTR name, BSTR guid, LONG warns, SHORT path, LONG verMS, LONG verLS,
                                               LONG size, SHORT year, SHORT month, SHORT day, SHORT hour,
                                               SHORT minute, SHORT second) override;
    HRESULT STDMETHODCALLTYPE VerifyObjectFile2(BSTR name, BSTR guid, LONG warns, LONG path, LONG verMS, LONG verLS,
                                                BSTR versionString, BSTR referenceFile, LONG typeLibVer, LONG size,
                                                SHORT year, SHORT month, SHORT day, SHORT hour, SHORT minute,
                                                SHORT second) override;
    HRESULT STDMETHODCALLTYPE ResetVerifyMethod() override;

    // Settings.
    HRESULT STDMETHODCALLTYPE get_FileCurrentDir(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_FileCurrentDir(BSTR value) override;
    HRESULT STDMETHODCALLTYPE get_ReadPropErrors(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_ReadPropErrors(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_Delay(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_Delay(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_ApplicationName(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_ApplicationName(BSTR value) override;
    HRESULT STDMETHODCALLTYPE get_UserDirectory(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_UserDirectory(BSTR value) override;

private:
    bool fileConflict(const std::string& referenceFile, const std::string& foundFile, uint32_t flags) override;
    bool fileScan(const std::string& referenceFile, uint32_t verifyFlags, uint32_t pathFlags) override;
    void enumComplete() override;

    // The HRESULT and error information of a run's result.
    HRESULT resultOf(ScanEngine::Result result);
    // Copy index of the latest event's file, or error 9 when out of range.
    template <typename F>
    HRESULT withCopy(SHORT index, F answer);
    HRESULT verifyObject(BSTR name, BSTR guid, LONG warns, LONG path, LONG verMS, LONG verLS, BSTR versionString,
                         BSTR referenceFile, LONG typeLibVer, LONG size, SHORT year, SHORT month, SHORT day,
                         SHORT hour, SHORT minute, SHORT second);

    ScanEngine m_engine;
};

} // namespace orvanescan
