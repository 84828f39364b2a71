// malloc_spy.cpp
#include "malloc_spy.h"

MallocSpy::MallocSpy() { m_registered = SUCCEEDED(CoRegisterMallocSpy(this)); }

MallocSpy::~MallocSpy() {
    if (m_registered) CoRevokeMallocSpy();
}

HRESULT MallocSpy::QueryInterface(REFIID riid, void** out) {
    if (riid == IID_IUnknown || riid == IID_IMallocSpy) {
        *out = static_cast<IMallocSpy*>(this);
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

void* MallocSpy::PostAlloc(void* p) {
    if (p) ++m_allocs;
    return p;
}

void* MallocSpy::PreFree(void* p, BOOL spyed) {
    // Blocks allocated before registration (spyed false) are not ours.
    if (p && spyed) ++m_frees;
    return p;
}
