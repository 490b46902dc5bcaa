#pragma once
// The stored header lines of the downloaded messages, one record per message in download order.
// Lookups by message number return the first record in store order with that number; an index
// keeps them fast and is rebuilt after any change.

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kestrix {

// lines[0] "id:" + message code, lines[1] "Size: " + bytes + " byte", then the header lines.
struct HeaderRecord {
    int number = -1;  // -1: free
    std::vector<std::string> lines;
};

class HeaderStore {
public:
    size_t size() const { return m_records.size(); }
    bool empty() const { return m_records.empty(); }
    const std::vector<HeaderRecord> &records() const { return m_records; }

    const HeaderRecord &at(size_t index) const { return m_records.at(index); }
    // Mutable access; the number index is rebuilt at the next lookup.
    HeaderRecord &at(size_t index);

    // Appends a record for message number with no lines; returns its index.
    size_t append(int number);
    void clear();

    // The first record in store order whose number is n; nullptr for none and for n = -1.
    const HeaderRecord *find(int number) const;

    // The size and content text of message n: "1834 / text/plain; charset=iso-8859-1",
    // "1834 /N.A." without a content line, "N.A." without a record.
    std::string sizeContentText(int number) const;

private:
    void rebuildIndex() const;

    std::vector<HeaderRecord> m_records;
    mutable std::unordered_map<int, size_t> m_firstByNumber;
    mutable bool m_indexValid = true;
};

// A message number as a downloaded row holds it; -1 (no record) when the text is not a
// decimal number that fits a signed 32-bit value.
int messageNumberOf(std::string_view text);

// The size and content text of one record's lines (see HeaderStore::sizeContentText).
std::string sizeContentText(const std::vector<std::string> &lines);

}  // namespace kestrix
