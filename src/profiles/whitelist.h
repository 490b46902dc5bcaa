#pragma once
// The profile's trusted senders: whole sender texts, kept in a stable case-insensitive order.
// Membership ignores the case of A to Z and needs the whole text; it is answered from an index,
// so a table of 10,001 rows against thousands of entries stays fast.

#include "profiles/case_blind_index.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrix {

class Whitelist {
public:
    const std::vector<std::string> &entries() const { return m_entries; }
    size_t size() const { return m_entries.size(); }
    bool empty() const { return m_entries.empty(); }

    // True when an entry equals text, ignoring the case of A to Z.
    bool contains(std::string_view text) const;

    // Inserts at the sorted place (duplicates are the caller's concern, as with a file).
    void add(const std::string &text);
    // Removes one entry equal to text ignoring case; false when there is none.
    bool removeOne(std::string_view text);
    void removeAt(size_t index);
    // Replaces every entry (sorted on the way in); a file may bring duplicates.
    void assign(std::vector<std::string> entries);
    void clear();

    // Tells this content from every other one in the process: a new stamp at each change, so
    // what was worked out from the entries is reused until the stamp moves.
    std::uint64_t revision() const { return m_revision; }

private:
    void changed();
    void rebuildIndex();
    void indexAdd(const std::string &text);
    void indexRemove(std::string_view text);
    std::vector<std::string> m_entries;
    // entry text (compared ignoring A-Z case) -> how many entries hold it
    CaseBlindIndex<int> m_index;
    std::uint64_t m_revision = 0;
};

}  // namespace kestrix
