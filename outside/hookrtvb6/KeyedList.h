// KeyedList.h
// A list of items in the order they were added, each under a unique
// 32-bit key, addressed by position (1 to Count) or found by key. The
// socket library keeps its asynchronous look-ups in progress here, keyed
// by their Windows Sockets task handles. Portable; not thread-safe.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace hookrtvb6 {

template <typename T>
class KeyedList {
public:
    using KeyType = std::int32_t;

    // Appends item under key; false (and nothing added) when the key is
    // already in the list.
    bool Add(T item, KeyType key) {
        if (Find(key) > 0) return false;
        m_entries.push_back({key, std::move(item)});
        return true;
    }

    long Count() const noexcept { return static_cast<long>(m_entries.size()); }

    // Removes the entry at position index; later entries move down one
    // place. False for a position outside 1 to Count.
    bool Remove(long index) {
        if (!valid(index)) return false;
        m_entries.erase(m_entries.begin() + (index - 1));
        return true;
    }

    // The key at position index; 0 for a position outside 1 to Count.
    KeyType Key(long index) const noexcept { return valid(index) ? m_entries[index - 1].key : 0; }

    // The item at position index; null for a position outside 1 to Count.
    T* Item(long index) noexcept { return valid(index) ? &m_entries[index - 1].item : nullptr; }

    // The position of key (1 to Count), or -1 when the key is absent.
    long Find(KeyType key) const noexcept {
        for (size_t i = 0; i < m_entries.size(); ++i) {
            if (m_entries[i].key == key) return static_cast<long>(i) + 1;
        }
        return -1;
    }

    // Removes the entry under key and gives its item back; false when the
    // key is absent (item untouched).
    bool Take(KeyType key, T& item) {
        long at = Find(key);
        if (at < 0) return false;
        item = std::move(m_entries[at - 1].item);
        return Remove(at);
    }

private:
    struct Entry {
        KeyType key;
        T item;
    };
    bool valid(long index) const noexcept { return index >= 1 && index <= Count(); }

    std::vector<Entry> m_entries;
};

}  // namespace hookrtvb6
