#include "screening/message_table.h"

#include <algorithm>

namespace kestrix {

const std::array<std::string, MessageTable::columnCount> &MessageTable::titles()
{
    static const std::array<std::string, columnCount> t{"No", "Sender", "Subject",
                                                        "Size[byte]/ Content"};
    return t;
}

const std::array<std::string, MessageTable::columnCount> &MessageTable::stringGrid3Titles()
{
    static const std::array<std::string, columnCount> t{"No", "Accepted Sender", "Subject",
                                                        "Size[byte]/ Content"};
    return t;
}

MessageTable::MessageTable()
{
    m_rows.resize(2);
    m_verdicts.resize(2);
    writeTitles();
}

void MessageTable::setRowCount(int rows)
{
    m_classified = false;
    m_rows.resize(size_t(std::max(rows, 2)));
    m_verdicts.resize(m_rows.size());
}

void MessageTable::clearCells()
{
    m_classified = false;
    // Texts are emptied rather than freed: a rebuild refills the same cells.
    for (auto &row : m_rows) {
        for (TableCell &cell : row) {
            cell.marker = CellMarker::None;
            cell.text.clear();
            cell.shown.clear();
        }
    }
    for (RowVerdicts &verdicts : m_verdicts)
        verdicts = RowVerdicts{};
}

void MessageTable::writeTitles()
{
    for (int c = 0; c < columnCount; ++c)
        m_rows[0][size_t(c)] = TableCell{CellMarker::None, titles()[size_t(c)], {}};
}

const TableCell &MessageTable::cell(int column, int row) const
{
    static const TableCell empty;
    if (column < 0 || column >= columnCount || row < 0 || row >= rowCount())
        return empty;
    return m_rows[size_t(row)][size_t(column)];
}

void MessageTable::setCell(int column, int row, std::string_view text, CellMarker marker,
                           std::string_view shown)
{
    if (column < 0 || column >= columnCount || row < 0)
        return;
    if (row >= rowCount())
        setRowCount(row + 1);
    m_classified = false;
    TableCell &cell = m_rows[size_t(row)][size_t(column)];
    cell.marker = marker;
    cell.text.assign(text);  // reuses the cell's storage
    cell.shown.assign(shown);
}

const std::string &MessageTable::shownText(int column, int row) const
{
    const TableCell &c = cell(column, row);
    return c.shown.empty() ? c.text : c.shown;
}

void MessageTable::setMarker(int column, int row, CellMarker marker)
{
    if (column < 0 || column >= columnCount || row < 0 || row >= rowCount())
        return;
    m_classified = false;
    m_rows[size_t(row)][size_t(column)].marker = marker;
}

const RowVerdicts &MessageTable::verdicts(int row) const
{
    static const RowVerdicts none;
    if (row < 0 || row >= rowCount())
        return none;
    return m_verdicts[size_t(row)];
}

void MessageTable::setVerdicts(int row, RowVerdicts verdicts)
{
    if (row < 0)
        return;
    if (row >= rowCount())
        setRowCount(row + 1);
    m_classified = false;
    m_verdicts[size_t(row)] = std::move(verdicts);
}

std::string MessageTable::displayText(int column, int row) const
{
    const TableCell &c = cell(column, row);
    return markedText(c.marker, c.text);
}

bool MessageTable::isKnownBadOrBlacklisted(int row) const
{
    const CellMarker subject = marker(ColSubject, row);
    return subject == CellMarker::KNBS || subject == CellMarker::KNBP
        || marker(ColSender, row) == CellMarker::KNBA || verdicts(row).countsAsBad;
}

RowClass MessageTable::rowClass(int row) const
{
    if (isTrusted(row))
        return RowClass::Trusted;
    if (marker(ColSender, row) == CellMarker::KNBA || marker(ColSubject, row) == CellMarker::KNBS)
        return RowClass::KnownBad;
    if (marker(ColSubject, row) == CellMarker::KNBP)
        return RowClass::Blacklisted;
    return RowClass::Unknown;
}

}  // namespace kestrix
