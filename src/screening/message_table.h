#pragma once
// The message table (the grid "stringgrid1" as data): row 0 holds the titles, rows 1.. the
// messages; four columns. Each cell keeps its text exactly as received and, beside it, the class
// the classification gave it. The grid paints from here; every reader that wants a row's class
// asks the markers, never the first bytes of the text.

#include "screening/cell_marker.h"
#include "screening/row_verdicts.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace kestrix {

struct TableCell {
    CellMarker marker = CellMarker::None;
    std::string text;
    std::string shown;  // the text people read is decoded from, when not text itself
};

// How the grid shows a row (badge and class shape).
enum class RowClass { Trusted, KnownBad, Blacklisted, Unknown };

class MessageTable {
public:
    enum Column : int { ColNumber = 0, ColSender = 1, ColSubject = 2, ColSizeContent = 3 };
    static constexpr int columnCount = 4;

    // "No", "Sender", "Subject", "Size[byte]/ Content"
    static const std::array<std::string, columnCount> &titles();
    // The never-shown second grid "StringGrid3": "No", "Accepted Sender", "Subject", ...
    static const std::array<std::string, columnCount> &stringGrid3Titles();

    // An empty table: the title row and one blank row.
    MessageTable();

    // Rows including the title row; never below 2 (the grid keeps one row under its titles).
    int rowCount() const { return int(m_rows.size()); }
    // The last row's index (rowCount() - 1).
    int lastRow() const { return rowCount() - 1; }
    void setRowCount(int rows);

    // Empties every cell (titles too); the row count stays.
    void clearCells();
    void writeTitles();

    // Out-of-range reads give an empty unmarked cell.
    const TableCell &cell(int column, int row) const;
    const std::string &text(int column, int row) const { return cell(column, row).text; }
    CellMarker marker(int column, int row) const { return cell(column, row).marker; }
    // A write below the last row extends the table to that row. shown: what the display decoder
    // reads for this cell ("" for the text itself).
    void setCell(int column, int row, std::string_view text, CellMarker marker = CellMarker::None,
                 std::string_view shown = {});
    // The text the display decoder reads for the cell: its shown text, else its text.
    const std::string &shownText(int column, int row) const;
    void setMarker(int column, int row, CellMarker marker);

    // The row's verdicts (row_verdicts.h), written by the table build beside the markers and
    // emptied with them; out-of-range reads give an empty record.
    const RowVerdicts &verdicts(int row) const;
    void setVerdicts(int row, RowVerdicts verdicts);

    // The cell as one text: the five-character marker, then the text.
    std::string displayText(int column, int row) const;

    // Row classes, from the markers only.
    bool isTrusted(int row) const { return marker(ColSender, row) == CellMarker::KNGA; }
    // The known-bad deletion's test: known-bad subject, blacklisted, known-bad sender, or a
    // verdict that counts as bad (trusted rows included; callers exclude them where the rules
    // say so).
    bool isKnownBadOrBlacklisted(int row) const;
    RowClass rowClass(int row) const;

    // Whether the cells are still what the last classification wrote: set by it when done,
    // dropped by any later write to the table.
    bool classified() const { return m_classified; }
    void markClassified() { m_classified = true; }

private:
    std::vector<std::array<TableCell, columnCount>> m_rows;
    std::vector<RowVerdicts> m_verdicts;  // one per row of m_rows
    bool m_classified = false;
};

}  // namespace kestrix
