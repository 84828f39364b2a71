// enumerator.h
// SnapshotEnumerator: an IEnumXxx over a copy of the items taken when it
// was made, so changes to the source (an Unadvise during enumeration)
// never move its cursor. Clones share the copy. Items handed out are the
// caller's (AddRef'd interfaces, copied VARIANTs), as the IEnumXxx
// contracts require.
//
// Item is the element type of IEnumXxx::Next; Stored what the snapshot
// keeps. A `copyItem(Item&, const Stored&)` overload, found by argument
// lookup, makes one handed-out item (three are below).
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <memory>
#include <vector>

#include "object.h"
#include "ptr.h"
#include "variant.h"

namespace com {

template <typename IEnum, typename Item, typename Stored>
class SnapshotEnumerator final : public Object<IEnum> {
public:
    using Items = std::shared_ptr<const std::vector<Stored>>;

    explicit SnapshotEnumerator(Items items, size_t position = 0) noexcept
        : m_items(std::move(items)), m_position(position) {}

    HRESULT STDMETHODCALLTYPE Next(ULONG count, Item* out, ULONG* fetched) override {
        if (fetched) *fetched = 0;
        if (!out || (count != 1 && !fetched)) return E_POINTER;
        ULONG n = 0;
        while (n < count && m_position < m_items->size()) copyItem(out[n++], (*m_items)[m_position++]);
        if (fetched) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        size_t left = m_items->size() - m_position;
        m_position += count < left ? count : left;
        return count <= left ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        m_position = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnum** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        return guard([&] {
            ComPtr<SnapshotEnumerator> copy(new SnapshotEnumerator(m_items, m_position));
            return copy->QueryInterface(__uuidof(IEnum), reinterpret_cast<void**>(out));
        });
    }

private:
    Items m_items;
    size_t m_position;
};

// Makes an enumerator over items (moved into the shared snapshot).
template <typename IEnum, typename Item, typename Stored>
HRESULT makeEnumerator(std::vector<Stored>&& items, IEnum** out) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    return guard([&] {
        auto shared = std::make_shared<const std::vector<Stored>>(std::move(items));
        ComPtr<SnapshotEnumerator<IEnum, Item, Stored>> e(new SnapshotEnumerator<IEnum, Item, Stored>(shared));
        return e->QueryInterface(__uuidof(IEnum), reinterpret_cast<void**>(out));
    });
}

template <typename I>
void copyItem(I*& out, const ComPtr<I>& in) noexcept {
    in.copyTo(&out);
}

inline void copyItem(VARIANT& out, const Variant& in) noexcept {
    VariantInit(&out);
    VariantCopy(&out, const_cast<VARIANT*>(&in.get()));
}

} // namespace com
