// malloc_spy.h
// Counts the COM task allocator's allocations and frees (BSTRs, SAFEARRAYs
// and their data) while registered, so a test can show that what the
// helpers allocate is freed exactly once. Needs OANOCACHE=1 in the
// environment, or freed BSTRs stay in oleaut32's cache uncounted.
#pragma once

#include <windows.h>
#include <objidl.h>

class MallocSpy final : public IMallocSpy {
public:
    MallocSpy();  // registers
    ~MallocSpy(); // revokes
    MallocSpy(const MallocSpy&) = delete;
    MallocSpy& operator=(const MallocSpy&) = delete;

    bool registered() const { return m_registered; }
    // Allocations not yet freed since registration.
    long outstanding() const { return m_allocs - m_frees; }
    long allocs() const { return m_allocs; }
    long frees() const { return m_frees; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T size) override { return size; }
    void* STDMETHODCALLTYPE PostAlloc(void* p) override;
    void* STDMETHODCALLTYPE PreFree(void* p, BOOL spyed) override;
    void STDMETHODCALLTYPE PostFree(BOOL) override {}
    SIZE_T STDMETHODCALLTYPE PreRealloc(void* p, SIZE_T size, void** newP, BOOL) override {
        *newP = p;
        return size;
    }
    void* STDMETHODCALLTYPE PostRealloc(void* p, BOOL) override { return p; }
    void* STDMETHODCALLTYPE PreGetSize(void* p, BOOL) override { return p; }
    SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T size, BOOL) override { return size; }
    void* STDMETHODCALLTYPE PreDidAlloc(void* p, BOOL) override { return p; }
    int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int actual) override { return actual; }
    void STDMETHODCALLTYPE PreHeapMinimize() override {}
    void STDMETHODCALLTYPE PostHeapMinimize() override {}

private:
    long m_allocs = 0;
    long m_frees = 0;
    bool m_registered = false;
};
