#include "ui/list_page_views.h"

#include "text/display_text.h"
#include "ui/ui_widgets.h"

#include <QResizeEvent>

namespace kestrix {

namespace {

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
    // Nothing is copied (a log of 100,000 entries would be held twice): the rows are read from
    // the log, and its revision tells when they changed.
    if (m_log == &log && m_revision == log.revision())
        return false;
    beginResetModel();
    m_log = &log;
    m_revision = log.revision();
    m_rowCount = log.rowCount() - 1;
    endResetModel();
    return true;
}

int LogTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rowCount;
}

int LogTableModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : 2; }

QVariant LogTableModel::data(const QModelIndex &index, int role) const
{
    // Until the next sync the log may have fewer rows than the model says.
    if (!m_log || !index.isValid() || index.row() + 1 >= m_log->rowCount())
        return {};
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    const LogRow &row = m_log->rows()[size_t(index.row()) + 1];
    return displayHeaderText(index.column() == 0 ? row.sender : row.subject);
}

QVariant LogTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return fromBytes(std::string(section == 0 ? kTitle.sender : kTitle.subject));
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
