#pragma once
// The rejected-mail log: senders and subjects (lower-cased) of mail deleted earlier. Row 0 is the
// title row ("Sender", "Subject"); entries are rows 1 and up. A row whose two cells are empty is a
// deleted entry: it stays until the log is written, which drops it.
//
// The known-bad lookups behave as a linear search of the whole column, title row included, that
// counts only when its first match is an entry row: a sender equal to "Sender" (or a subject
// equal to "Subject") in any letter case is therefore never known bad. Deleted entries (both cells
// empty) are skipped. The lookups are answered from indexes kept beside the rows.

#include "profiles/case_blind_index.h"
#include "profiles/text_arena.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrix {

// The texts of a row live in the log's arena: valid until the log is cleared or reloaded.
struct LogRow {
    std::string_view sender;
    std::string_view subject;
};

// Both cells empty: an entry deleted since the log was read; it is dropped when the log is
// written and takes no part in any lookup.
inline bool isDeletedEntry(const LogRow &row) { return row.sender.empty() && row.subject.empty(); }

class RejectedLog {
public:
    RejectedLog();  // the title row and nothing else
    RejectedLog(const RejectedLog &other);
    RejectedLog &operator=(const RejectedLog &other);
    RejectedLog(RejectedLog &&) noexcept = default;
    RejectedLog &operator=(RejectedLog &&) noexcept = default;

    // All rows, the title row at index 0.
    const std::vector<LogRow> &rows() const { return m_rows; }
    int rowCount() const { return int(m_rows.size()); }

    bool isKnownBadSender(std::string_view sender) const;
    bool isKnownBadSubject(std::string_view subject) const;

    // Records a deleted message: lower-cases both texts outside their encoded words
    // (lowerOutsideEncodedWords); appends a row when the sender is not in the sender column, or
    // else when the subject is not in the subject column (both ignoring case, title row
    // included).
    void appendRejected(std::string_view sender, std::string_view subject);
    // Appends a row as it stands (used by the file reader's own rule and by tests).
    void appendRow(std::string_view sender, std::string_view subject);
    // Empties both cells of every entry row whose sender equals the sender in the log's form
    // (lowerOutsideEncodedWords) exactly.
    void clearSender(std::string_view sender);
    // Empties both cells of entry row r (r >= 1).
    void clearRow(int r);
    // Back to the title row only.
    void clear();
    // Room for this many rows without rehashing the indexes (a file reader knows its line count).
    void reserve(size_t rows);
    // The title row and one empty entry row, as after a profile load.
    void resetToEmptyRow();

    // true when the column holds text (ignoring case), title row included.
    bool senderColumnHas(std::string_view text) const;
    bool subjectColumnHas(std::string_view text) const;

    // Changes whenever the rows change, and differs between logs: a view that copied nothing
    // knows by it whether it must read the rows again.
    std::uint64_t revision() const { return m_revision; }

private:
    void indexRow(int r);
    void unindexRow(int r);

    // The entry rows of one sender text, chained through m_next/m_prev in row order.
    struct SenderRows {
        int count = 0;
        int head = -1;
        int tail = -1;
    };

    void touch();

    std::vector<LogRow> m_rows;
    TextArena m_texts;  // the entry rows' texts; cleared rows leave theirs until clear()
    // Entry rows only (the title row is answered from m_rows[0]). Keys compare ignoring A-Z case
    // and are the rows' own texts in the arena.
    CaseBlindIndex<SenderRows, true> m_senders;
    std::vector<int> m_next;  // per row: the next entry row with the same sender, -1 at the end
    std::vector<int> m_prev;  // per row: the previous one, -1 at the start
    // subject text -> how many entry rows hold it
    CaseBlindIndex<int, true> m_subjects;
    std::uint64_t m_revision = 0;
};

}  // namespace kestrix
