#pragma once
// A flat hash index from text to a small value, comparing keys ignoring the case of A to Z.
// Open addressing with linear probing over 8-byte slots, the key texts packed in one buffer:
// a lookup that misses touches one slot, a hit one slot, one entry and its text. Built for the
// rejected-mail log and the whitelist, whose lookups run once per row of a 10,001-row table
// against up to 100,000 entries. With BorrowKeys the index keeps no copy of a key: the caller
// promises that the text a key was first given in stays where it is while the key is indexed
// (the rejected-mail log's texts live in an arena that never moves them).

#include "profiles/case_blind_hash.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace kestrix {

template <typename Value, bool BorrowKeys = false>
class CaseBlindIndex {
public:
    size_t size() const { return m_entries.size(); }

    const Value *find(std::string_view key) const
    {
        const int e = findEntry(key, hashOf(key));
        return e < 0 ? nullptr : &m_entries[size_t(e)].value;
    }
    Value *find(std::string_view key)
    {
        return const_cast<Value *>(static_cast<const CaseBlindIndex *>(this)->find(key));
    }
    bool contains(std::string_view key) const { return find(key) != nullptr; }

    // The value of key, default-constructed when key is new.
    Value &operator[](std::string_view key)
    {
        const uint64_t hash = hashOf(key);
        if (const int e = findEntry(key, hash); e >= 0)
            return m_entries[size_t(e)].value;
        if ((m_entries.size() + 1) * 2 > m_slots.size())
            rehash(m_slots.empty() ? 16 : m_slots.size() * 2);
        Entry entry;
        entry.hash = hash;
        entry.length = uint32_t(key.size());
        if constexpr (BorrowKeys) {
            entry.borrowed = key.data();
        } else {
            entry.offset = uint32_t(m_text.size());
            m_text.append(key);
        }
        m_entries.push_back(std::move(entry));
        placeSlot(hash, uint32_t(m_entries.size()));
        return m_entries.back().value;
    }

    void erase(std::string_view key)
    {
        const uint64_t hash = hashOf(key);
        const size_t slot = findSlot(key, hash);
        if (slot == kNone)
            return;
        const uint32_t entry = m_slots[slot].entry - 1;
        removeSlot(slot);
        m_garbage += m_entries[entry].length;
        // Keep the entries dense: the last one moves into the hole.
        const uint32_t last = uint32_t(m_entries.size() - 1);
        if (entry != last) {
            const size_t lastSlot = slotOfEntry(last);
            m_entries[entry] = std::move(m_entries[last]);
            m_slots[lastSlot].entry = entry + 1;
        }
        m_entries.pop_back();
        if (!BorrowKeys && m_garbage > 4096 && m_garbage * 2 > m_text.size())
            compactText();
    }

    void clear()
    {
        m_slots.clear();
        m_entries.clear();
        m_text.clear();
        m_garbage = 0;
    }

    void reserve(size_t entries)
    {
        size_t wanted = 16;
        while (wanted < entries * 2)
            wanted *= 2;
        if (wanted > m_slots.size())
            rehash(wanted);
        m_entries.reserve(entries);
    }

private:
    static constexpr size_t kNone = size_t(-1);

    struct Slot {
        uint32_t fingerprint = 0;  // high half of the hash
        uint32_t entry = 0;        // entry index + 1; 0 marks an empty slot
    };
    struct OwnKey {
        uint32_t offset = 0;  // of the key text in m_text
    };
    struct BorrowedKey {
        const char *borrowed = nullptr;
    };
    struct Entry : std::conditional_t<BorrowKeys, BorrowedKey, OwnKey> {
        uint64_t hash = 0;
        uint32_t length = 0;
        Value value{};
    };

    // FNV-1a spreads its high bits well but its low bits less so: mix before taking a slot.
    static uint64_t hashOf(std::string_view key)
    {
        uint64_t h = CaseBlindHash{}(key);
        h = (h ^ (h >> 30)) * 0xbf58476d1ce4e5b9ull;
        h = (h ^ (h >> 27)) * 0x94d049bb133111ebull;
        return h ^ (h >> 31);
    }
    static uint32_t fingerprint(uint64_t hash) { return uint32_t(hash >> 32); }
    size_t mask() const { return m_slots.size() - 1; }
    std::string_view keyOf(const Entry &e) const
    {
        if constexpr (BorrowKeys)
            return std::string_view(e.borrowed, e.length);
        else
            return std::string_view(m_text).substr(e.offset, e.length);
    }

    size_t findSlot(std::string_view key, uint64_t hash) const
    {
        if (m_slots.empty())
            return kNone;
        for (size_t i = hash & mask();; i = (i + 1) & mask()) {
            const Slot &s = m_slots[i];
            if (s.entry == 0)
                return kNone;
            if (s.fingerprint == fingerprint(hash)) {
                const Entry &e = m_entries[s.entry - 1];
                if (e.hash == hash && equalsIgnoreCaseAZ(keyOf(e), key))
                    return i;
            }
        }
    }
    int findEntry(std::string_view key, uint64_t hash) const
    {
        const size_t slot = findSlot(key, hash);
        return slot == kNone ? -1 : int(m_slots[slot].entry - 1);
    }
    size_t slotOfEntry(uint32_t entry) const
    {
        for (size_t i = m_entries[entry].hash & mask();; i = (i + 1) & mask()) {
            if (m_slots[i].entry == entry + 1)
                return i;
        }
    }
    void placeSlot(uint64_t hash, uint32_t entryPlusOne)
    {
        size_t i = hash & mask();
        while (m_slots[i].entry != 0)
            i = (i + 1) & mask();
        m_slots[i] = Slot{fingerprint(hash), entryPlusOne};
    }
    // Backward-shift deletion keeps every probe run unbroken without tombstones.
    void removeSlot(size_t hole)
    {
        size_t i = hole;
        while (true) {
            i = (i + 1) & mask();
            if (m_slots[i].entry == 0)
                break;
            const size_t home = m_entries[m_slots[i].entry - 1].hash & mask();
            // Move slot i into the hole unless its home lies cyclically in (hole, i].
            const bool homeBetween = hole <= i ? (hole < home && home <= i) : (hole < home || home <= i);
            if (!homeBetween) {
                m_slots[hole] = m_slots[i];
                hole = i;
            }
        }
        m_slots[hole] = Slot{};
    }
    void rehash(size_t slotCount)
    {
        m_slots.assign(slotCount, Slot{});
        for (uint32_t e = 0; e < m_entries.size(); ++e)
            placeSlot(m_entries[e].hash, e + 1);
    }
    void compactText()
    {
        if constexpr (!BorrowKeys) {
            std::string text;
            text.reserve(m_text.size() - m_garbage);
            for (Entry &e : m_entries) {
                const uint32_t offset = uint32_t(text.size());
                text.append(keyOf(e));
                e.offset = offset;
            }
            m_text = std::move(text);
            m_garbage = 0;
        }
    }

    std::vector<Slot> m_slots;  // a power of two, at most half full
    std::vector<Entry> m_entries;
    std::string m_text;
    size_t m_garbage = 0;  // bytes of m_text no entry uses any more
};

}  // namespace kestrix
