#include "ui/list_page_views.h"

#include "text/display_text.h"
#include "ui/ui_widgets.h"

#include <QResizeEvent>

namespace kestrix {

namespace {

bool sameRow(const LogRow &a, const LogRow &b)
{
    return a.sender == b.sender && a.subject == b.subject;
}

}  // namespace

bool TextListModel::sync(const std::vector<std::string> &texts)
{
    if (texts == m_texts)
        return false;
    beginResetModel();
    m_texts = texts;
    endResetModel();
    return true;
}

int TextListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_texts.size());
}

QVariant TextListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_texts.size()))
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return displayHeaderText(m_texts[size_t(index.row())]);
    return {};
}

bool LogTableModel::sync(const RejectedLog &log)
{
    const std::vector<LogRow> &rows = log.rows();
    const bool same = sameRow(rows.front(), m_title) && rows.size() - 1 == m_entries.size() &&
                      std::equal(rows.begin() + 1, rows.end(), m_entries.begin(), sameRow);
    if (same)
        return false;
    beginResetModel();
    m_title = rows.front();
    m_entries.assign(rows.begin() + 1, rows.end());
    endResetModel();
    return true;
}

int LogTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

int LogTableModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : 2; }

QVariant LogTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_entries.size()))
        return {};
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    const LogRow &row = m_entries[size_t(index.row())];
    return displayHeaderText(index.column() == 0 ? row.sender : row.subject);
}

QVariant LogTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return fromBytes(section == 0 ? m_title.sender : m_title.subject);
    return {};
}

ColumnListView::ColumnListView(int columns, QWidget *parent)
    : QListView(parent), m_columns(std::max(columns, 1))
{
    setFlow(QListView::TopToBottom);
    setWrapping(true);
    setResizeMode(QListView::Adjust);
    setUniformItemSizes(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void ColumnListView::resizeEvent(QResizeEvent *event)
{
    fitGrid();
    QListView::resizeEvent(event);
}

void ColumnListView::fitGrid()
{
    const int width = std::max(viewport()->width() / m_columns, 1);
    const int height = fontMetrics().height() + 2;
    setGridSize(QSize(width, height));
}

}  // namespace kestrix
