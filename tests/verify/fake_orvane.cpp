// fake_orvane.cpp
#include "fake_orvane.h"

#include <olectl.h>

#include <algorithm>
#include <span>

#include "common/com/bstr.h"
#include "common/com/connection.h"
#include "common/com/object.h"
#include "common/com/variant.h"
#include "verify/orvane_ids.h"

namespace fake {

namespace {

namespace id = orvane::dispid;

class Dispatch : public IDispatch {
public:
    using ComInterface = IDispatch;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return DISP_E_UNKNOWNNAME;
    }
};

HRESULT fail(EXCEPINFO* e, HRESULT hr, const wchar_t* text) {
    if (!e) return hr;
    *e = EXCEPINFO{};
    e->scode = hr;
    e->bstrDescription = SysAllocString(text);
    return DISP_E_EXCEPTION;
}

class FakeOrvane final : public com::Object<Dispatch, IConnectionPointContainer, IPersistStreamInit, IOleObject> {
public:
    FakeOrvane(const Script& script, Record& record)
        : m_script(script), m_record(record), m_point(*this, orvane::kEventsIid, true) {}

    // IDispatch
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* p, VARIANT* result,
                                     EXCEPINFO* e, UINT*) override {
        if (flags & DISPATCH_PROPERTYPUT) {
            if (!p || p->cArgs != 1) return DISP_E_BADPARAMCOUNT;
            return put(member, p->rgvarg[0], e);
        }
        if (!result) return E_POINTER;
        VariantInit(result);
        return get(member, p, *result, e);
    }

    // IConnectionPointContainer
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** out) override {
        return com::detail::enumPoints(std::span(&m_point, 1), out);
    }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** out) override {
        return com::detail::findPoint(std::span(&m_point, 1), riid, out);
    }

    // IPersistStreamInit
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* out) override {
        *out = orvane::kClsid;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE IsDirty() override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE Load(IStream* stream) override {
        m_record.siteBeforeLoad = m_site != nullptr;
        BYTE buf[256];
        ULONG got = 0;
        while (SUCCEEDED(stream->Read(buf, sizeof buf, &got)) && got > 0)
            m_record.loadedData.insert(m_record.loadedData.end(), buf, buf + got);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Save(IStream*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InitNew() override {
        m_record.initNew = true;
        return S_OK;
    }

    // IOleObject: siting and the status bits; the rest is not needed.
    HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override {
        m_site = com::ComPtr<IOleClientSite>(site);
        if (!site) return S_OK;
        com::ComPtr<IDispatch> ambient = m_site.as<IDispatch>();
        DISPPARAMS none{};
        com::Variant mode;
        bool user = false;
        if (ambient && SUCCEEDED(ambient->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, 0, DISPATCH_PROPERTYGET, &none,
                                                 mode.put(), nullptr, nullptr)))
            com::toBool(mode.get(), user);
        m_record.userMode = user;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** out) override { return m_site.copyTo(out); }
    HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Close(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DoVerb(LONG, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT) override {
        m_record.calls.push_back("DoVerb");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Update() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE IsUpToDate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* out) override { return GetClassID(out); }
    HRESULT STDMETHODCALLTYPE GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetExtent(DWORD, SIZEL*) override { return E_FAIL; }
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD, DWORD* status) override {
        *status = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_INVISIBLEATRUNTIME;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

private:
    HRESULT put(DISPID member, const VARIANT& value, EXCEPINFO* e) {
        std::string text;
        com::toAnsi(value, text);
        switch (member) {
        case id::VerifyFile:
            m_record.calls.push_back("put VerifyFile " + text);
            return runVerify(e);
        case id::ScanFile:
            m_record.calls.push_back("put ScanFile " + text);
            return runScan(e);
        case id::VerifyMode:
            m_record.calls.push_back("put VerifyMode " + text);
            if (text == "2") return runVerify(e);
            if (text == "3") return runScan(e);
            return S_OK;
        default:
            return DISP_E_MEMBERNOTFOUND;
        }
    }

    // A run inside a run is refused, as the engine does; EnumComplete
    // comes after the run, when the next may start.
    struct Nesting {
        explicit Nesting(FakeOrvane& o) : o(o) {
            ++o.m_depth;
            if (o.m_depth > o.m_record.maxNesting) o.m_record.maxNesting = o.m_depth;
        }
        ~Nesting() { --o.m_depth; }
        FakeOrvane& o;
    };

    HRESULT runVerify(EXCEPINFO* e) {
        if (m_busy) return fail(e, static_cast<HRESULT>(0x800A0259), L"Invalid operating during file verification or scan.");
        com::ComPtr<FakeOrvane> self(this);
        Nesting nest(*this);
        m_busy = true;
        for (size_t i = 0; i < m_script.conflicts.size(); ++i) {
            m_current = static_cast<int>(i);
            const Conflict& c = m_script.conflicts[i];
            com::Bstr ref = com::Bstr::fromAnsi(c.referenceFile);
            com::Bstr found = com::Bstr::fromAnsi(c.foundFile);
            BSTR refRaw = ref.get(), foundRaw = found.get();
            LONG flags = c.flags;
            VARIANT_BOOL stop = VARIANT_FALSE;
            m_point.fire(orvane::event::FileConflict,
                         {com::refBstr(&refRaw), com::refBstr(&foundRaw), com::refLong(&flags), com::refBool(&stop)});
            m_record.stopAfterEvent.push_back(stop != VARIANT_FALSE);
            if (stop) break;
        }
        m_busy = false;
        ++m_record.enumCompletes;
        m_point.fire(orvane::event::EnumComplete);
        if (FAILED(m_script.verifyFailure)) {
            std::wstring text = com::toWide(m_script.verifyFailureText);
            return fail(e, m_script.verifyFailure, text.c_str());
        }
        return S_OK;
    }

    HRESULT runScan(EXCEPINFO* e) {
        if (m_busy) return fail(e, static_cast<HRESULT>(0x800A0259), L"Invalid operating during file verification or scan.");
        com::ComPtr<FakeOrvane> self(this);
        Nesting nest(*this);
        m_busy = true;
        for (const std::string& file : m_script.embeddedFiles) {
            com::Bstr ref = com::Bstr::fromAnsi(file);
            BSTR refRaw = ref.get();
            LONG verifyFlags = 0xD884, pathFlags = 9;
            VARIANT_BOOL stop = VARIANT_FALSE;
            ++m_record.fileScansRaised;
            m_point.fire(orvane::event::FileScan,
                         {com::refBstr(&refRaw), com::refLong(&verifyFlags), com::refLong(&pathFlags), com::refBool(&stop)});
            m_record.stopAfterEvent.push_back(stop != VARIANT_FALSE);
            if (stop) break;
        }
        m_busy = false;
        ++m_record.enumCompletes;
        m_point.fire(orvane::event::EnumComplete);
        if (FAILED(m_script.scanFailure)) {
            std::wstring text = com::toWide(m_script.scanFailureText);
            return fail(e, m_script.scanFailure, text.c_str());
        }
        return S_OK;
    }

    static HRESULT text(VARIANT& out, const std::string& s) { return com::Variant::fromAnsi(s).releaseTo(&out); }
    static HRESULT number(VARIANT& out, LONG n) { return com::Variant::fromLong(n).releaseTo(&out); }

    HRESULT get(DISPID member, DISPPARAMS* p, VARIANT& out, EXCEPINFO* e) {
        if (m_current < 0) return number(out, 0);
        const Conflict& c = m_script.conflicts[static_cast<size_t>(m_current)];
        if (std::find(c.failMembers.begin(), c.failMembers.end(), member) != c.failMembers.end())
            return fail(e, static_cast<HRESULT>(0x800A0005), L"Invalid procedure call or argument");
        switch (member) {
        case id::RefVersion: return text(out, c.refVersion);
        case id::RefDateString: return text(out, c.refDateString);
        case id::RefDateLow: return number(out, c.refDateLow);
        case id::RefDateHigh: return number(out, c.refDateHigh);
        case id::RefSize: return number(out, c.refSize);
        case id::RefFlags: return number(out, c.refFlags);
        case id::RefGUID: return text(out, c.refGUID);
        case id::RefTypeLibLCID: return number(out, c.refTypeLibLCID);
        case id::RefTypeLibVersion: return number(out, c.refTypeLibVersion);
        case id::RefVersionString: return text(out, c.refVersionString);
        case id::OtherCount: return number(out, static_cast<LONG>(c.others.size()));
        case id::FoundVersion: return text(out, c.found.version);
        case id::FoundDateString: return text(out, c.found.dateString);
        case id::FoundDateLow: return number(out, c.found.dateLow);
        case id::FoundDateHigh: return number(out, c.found.dateHigh);
        case id::FoundSize: return number(out, c.found.size);
        case id::FoundFlags: return number(out, c.found.flags);
        case id::FoundGUID: return text(out, c.foundGUID);
        case id::FoundTypeLibLCID: return number(out, c.foundTypeLibLCID);
        case id::FoundTypeLibVersion: return number(out, c.foundTypeLibVersion);
        case id::FoundVersionString: return text(out, c.found.versionString);
        default: break;
        }
        // The indexed members.
        if (!p || p->cArgs != 1) return DISP_E_BADPARAMCOUNT;
        const VARIANT& arg = p->rgvarg[0];
        if (arg.vt != (VT_I2 | VT_BYREF)) m_record.indexByReference = false;
        SHORT index = 0;
        if (FAILED(com::toShort(arg, index))) return DISP_E_TYPEMISMATCH;
        if (index < 0 || static_cast<size_t>(index) >= c.others.size() || index == c.failOtherIndex)
            return fail(e, static_cast<HRESULT>(0x800A0009), L"Subscript out of range");
        const Copy& o = c.others[static_cast<size_t>(index)];
        switch (member) {
        case id::OtherFile: return text(out, o.path);
        case id::OtherVersion: return text(out, o.version);
        case id::OtherDateString: return text(out, o.dateString);
        case id::OtherDateLow: return number(out, o.dateLow);
        case id::OtherDateHigh: return number(out, o.dateHigh);
        case id::OtherSize: return number(out, o.size);
        case id::OtherFlags: return number(out, o.flags);
        case id::OtherVersionString: return text(out, o.versionString);
        default: return DISP_E_MEMBERNOTFOUND;
        }
    }

    const Script& m_script;
    Record& m_record;
    com::ConnectionPoint m_point;
    com::ComPtr<IOleClientSite> m_site;
    int m_current = -1;
    int m_depth = 0;
    bool m_busy = false;
};

class Factory final : public com::Object<IClassFactory> {
public:
    Factory(const Script& script, Record& record, HRESULT failure)
        : m_script(script), m_record(record), m_failure(failure) {}
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        if (FAILED(m_failure)) return m_failure;
        return com::make<FakeOrvane>(m_script, m_record)->QueryInterface(riid, out);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    const Script& m_script;
    Record& m_record;
    HRESULT m_failure;
};

} // namespace

Registration::Registration(const Script& script, Record& record, HRESULT createFailure) {
    m_factory = com::ComPtr<IClassFactory>(com::make<Factory>(script, record, createFailure).get());
    CoRegisterClassObject(orvane::kClsid, m_factory.get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &m_cookie);
}

Registration::~Registration() {
    if (m_cookie) CoRevokeClassObject(m_cookie);
}

} // namespace fake
