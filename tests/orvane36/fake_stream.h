// fake_stream.h
// An IStream over memory that fails on request: a chosen Read or Write
// call returns a chosen HRESULT (and moves no bytes), and Stat can be
// refused, as a host's stream may do.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <cstdint>
#include <vector>

#include "common/com/object.h"
#include "ocx_test.h"

namespace ocx_test {

class FakeStream final : public com::Object<IStream> {
public:
    explicit FakeStream(const std::vector<uint8_t>& bytes = {}) : m_inner(streamOf(bytes)) {}

    int failingRead = 0;      // 1-based call number, 0 for none
    HRESULT readFailure = E_FAIL;
    int failingWrite = 0;
    HRESULT writeFailure = STG_E_MEDIUMFULL;
    bool refuseStat = false;
    int reads = 0;
    int writes = 0;

    std::vector<uint8_t> contents() const { return contentsOf(m_inner.get()); }

    HRESULT STDMETHODCALLTYPE Read(void* pv, ULONG cb, ULONG* got) override {
        if (++reads == failingRead) {
            if (got) *got = 0;
            return readFailure;
        }
        return m_inner->Read(pv, cb, got);
    }
    HRESULT STDMETHODCALLTYPE Write(const void* pv, ULONG cb, ULONG* put) override {
        if (++writes == failingWrite) {
            if (put) *put = 0;
            return writeFailure;
        }
        return m_inner->Write(pv, cb, put);
    }
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* pos) override {
        return m_inner->Seek(move, origin, pos);
    }
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER size) override { return m_inner->SetSize(size); }
    HRESULT STDMETHODCALLTYPE CopyTo(IStream* to, ULARGE_INTEGER cb, ULARGE_INTEGER* r, ULARGE_INTEGER* w) override {
        return m_inner->CopyTo(to, cb, r, w);
    }
    HRESULT STDMETHODCALLTYPE Commit(DWORD flags) override { return m_inner->Commit(flags); }
    HRESULT STDMETHODCALLTYPE Revert() override { return m_inner->Revert(); }
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG* st, DWORD flags) override {
        return refuseStat ? E_NOTIMPL : m_inner->Stat(st, flags);
    }
    HRESULT STDMETHODCALLTYPE Clone(IStream** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }

private:
    com::ComPtr<IStream> m_inner;
};

} // namespace ocx_test
