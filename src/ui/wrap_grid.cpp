#include "ui/wrap_grid.h"

#include "screening/message_table.h"
#include "text/display_text.h"
#include "ui/ui_widgets.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace kestrix {

// ---- model -------------------------------------------------------------------------------

void MessageTableModel::setTable(const MessageTable *table)
{
    beginResetModel();
    m_table = table;
    m_rows = table ? table->lastRow() : 0;
    endResetModel();
}

void MessageTableModel::refresh()
{
    beginResetModel();
    m_rows = m_table ? m_table->lastRow() : 0;
    endResetModel();
}

// A download appends row after row: the views insert the new rows and keep their scroll
// position and selection, where a reset would lay out every row again.
void MessageTableModel::grew()
{
    const int rows = m_table ? m_table->lastRow() : 0;
    if (rows < m_rows) {
        refresh();
        return;
    }
    if (m_rows > 0)
        emit dataChanged(index(m_rows - 1, 0), index(m_rows - 1, MessageTable::columnCount - 1));
    if (rows == m_rows)
        return;
    beginInsertRows({}, m_rows, rows - 1);
    m_rows = rows;
    endInsertRows();
}

int MessageTableModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_table)
        return 0;
    return m_rows;
}

int MessageTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : MessageTable::columnCount;
}

QVariant MessageTableModel::data(const QModelIndex &index, int role) const
{
    if (!m_table || !index.isValid() || index.row() >= m_table->lastRow())
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        // The text without its marker: the class travels beside it. Senders and subjects are
        // shown as people read them; the table keeps the bytes.
        const std::string &text = m_table->text(index.column(), index.row() + 1);
        if (index.column() == MessageTable::ColSender || index.column() == MessageTable::ColSubject)
            return displayHeaderText(m_table->shownText(index.column(), index.row() + 1));
        return QString::fromLatin1(text.data(), qsizetype(text.size()));
    }
    return {};
}

QVariant MessageTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= MessageTable::columnCount)
        return {};
    const std::string title = m_table ? m_table->text(section, 0)
                                      : MessageTable::titles()[size_t(section)];
    return QString::fromLatin1(title.data(), qsizetype(title.size()));
}

RowMarks rowMarksOf(const MessageTable &table, int row)
{
    RowMarks marks;
    const CellMarker sender = table.marker(MessageTable::ColSender, row);
    const CellMarker subject = table.marker(MessageTable::ColSubject, row);
    marks.trusted = sender == CellMarker::KNGA;
    marks.knownBadSender = sender == CellMarker::KNBA;
    marks.knownBadSubject = subject == CellMarker::KNBS;
    marks.blacklisted = subject == CellMarker::KNBP;
    const RowVerdicts &verdicts = table.verdicts(row);
    marks.hasVerdict = verdicts.any();
    if (marks.hasVerdict)
        marks.verdict = verdicts.first();
    marks.verdictBad = verdicts.countsAsBad;
    marks.learned = verdicts.learned;
    return marks;
}

PaintRowInput paintInputOf(const MessageTable &table, int row)
{
    PaintRowInput input;
    input.row = row;
    input.cls = rowMarksOf(table, row);
    input.senderEmpty = table.text(MessageTable::ColSender, row).empty();
    input.sizeEmpty = table.text(MessageTable::ColSizeContent, row).empty();
    return input;
}

// ---- painter -----------------------------------------------------------------------------

namespace {

class WrapGridDelegate : public QStyledItemDelegate {
public:
    explicit WrapGridDelegate(TWrapGrid *grid) : QStyledItemDelegate(grid), m_grid(grid) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        const int row = index.row() + 1;
        const RowPaintDecision d = m_grid->decision(row);
        const QRect cell = option.rect;
        const QColor fill = d.highlighted ? colours::highlight : colours::cream;
        painter->save();
        painter->fillRect(cell, fill);
        painter->setClipRect(cell);
        const QString text = index.data(Qt::DisplayRole).toString();
        const int lineHeight = option.fontMetrics.height();
        QRect textRect(cell.left(), cell.top() + 2, cell.width(), lineHeight);

        if (index.column() == 0) {
            int badgeRight = cell.left();
            if (d.badge != Badge::None) {
                const QString badge = QString::fromLatin1(badgeText(d.badge));
                const int w = option.fontMetrics.horizontalAdvance(badge);
                const QRect box(m_grid->viewport()->rect().left(), cell.top() + 2, w,
                                cell.height() - 4);
                painter->fillRect(box, badgeFill(d.badge));
                painter->setPen(badgeTextColour(d.badge));
                painter->drawText(box, Qt::AlignCenter, badge);
                badgeRight = box.right() + 1;
            }
            painter->setPen(Qt::black);
            const QRect numberRect(badgeRight, cell.top() + 2,
                                   cell.right() - 2 - badgeRight, lineHeight);
            painter->drawText(numberRect, Qt::AlignRight | Qt::AlignTop, text);
            if (d.numberRightLine) {
                painter->setPen(colours::silver);
                painter->drawLine(cell.right(), cell.top(), cell.right(), cell.bottom());
            }
        } else {
            const bool warn = d.verdictColour && index.column() == MessageTable::ColSender;
            painter->setPen(warn ? colours::purple : QColor(Qt::black));
            painter->drawText(textRect, Qt::AlignLeft | Qt::AlignTop, text);
            painter->setPen(colours::silver);
            if (d.topEdgeLine)
                painter->drawLine(cell.left(), cell.top(), cell.right() + 1, cell.top());
            if (d.bottomEdgeLine)
                painter->drawLine(cell.left(), cell.bottom(), cell.right() + 1, cell.bottom());
        }
        painter->restore();
    }

private:
    TWrapGrid *m_grid;
};

}  // namespace

// ---- grid --------------------------------------------------------------------------------

TWrapGrid::TWrapGrid(QWidget *parent) : QTableView(parent), m_model(this)
{
    setModel(&m_model);
    setItemDelegate(new WrapGridDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setWordWrap(false);
    setContextMenuPolicy(Qt::CustomContextMenu);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(5);
    verticalHeader()->setDefaultSectionSize(20);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setStyleSheet(QStringLiteral(
        "QHeaderView::section { background: rgb(192,192,192); color: black; border: none;"
        " border-right: 1px solid black; padding: 1px 2px; }"));
    setBackground(viewport(), colours::cream);
    QFont gridFont = font();
    gridFont.setPointSize(9);
    setFont(gridFont);
    setStartColumnWidths();
}

void TWrapGrid::setTable(const MessageTable *table)
{
    m_model.setTable(table);
    if (m_model.rowCount() > 0)
        selectRows(1, 1, 1);
}

void TWrapGrid::refresh()
{
    // Like a string grid, the grid always has a current row and a selection: both are kept
    // where they were, within the new row count.
    const int current = currentRow();
    const int top = selectionTop();
    const int bottom = selectionBottom();
    m_model.refresh();
    if (m_model.rowCount() == 0)
        return;
    fitNumberColumn();
    if (top >= 1)
        selectRows(top, bottom, current);
    else
        selectRows(1, 1, 1);
}

void TWrapGrid::grew()
{
    // Inserted rows keep the selection where it was; an empty grid gets its first row.
    const bool hadRows = m_model.rowCount() > 0;
    m_model.grew();
    if (!hadRows && m_model.rowCount() > 0)
        selectRows(1, 1, 1);
    fitNumberColumn();
}

// The number column is never narrower than a badge beside the largest number: numbers from
// 1000 up would otherwise hide behind the badge. A wider column chosen by the user stays.
void TWrapGrid::fitNumberColumn()
{
    const MessageTable *t = table();
    const int rows = m_model.rowCount();
    if (!t || rows == 0)
        return;
    const QFontMetrics metrics(font());
    int badge = 0;
    for (Badge b : {Badge::KnownBad, Badge::Unknown, Badge::Blacklisted})
        badge = std::max(badge, metrics.horizontalAdvance(QString::fromLatin1(badgeText(b))));
    // Rows are in message order, so the last row holds the largest number.
    const std::string &largest = t->text(MessageTable::ColNumber, rows);
    const int needed = badge + metrics.horizontalAdvance(QString::fromLatin1(largest.c_str())) + 6;
    if (columnWidth(0) < needed) {
        setColumnWidth(0, needed);
        fitLastColumn();
    }
}

void TWrapGrid::setProtectTrusted(bool on)
{
    m_protectTrusted = on;
    viewport()->update();
}

bool TWrapGrid::setKnownBadSelectMode(bool on)
{
    if (*m_knownBadSelectMode == on)
        return false;
    *m_knownBadSelectMode = on;
    viewport()->update();
    return true;
}

int TWrapGrid::lastRow() const
{
    const MessageTable *t = table();
    return t ? t->lastRow() : 1;
}

int TWrapGrid::currentRow() const
{
    const QModelIndex index = currentIndex();
    return index.isValid() ? index.row() + 1 : 0;
}

void TWrapGrid::setCurrentRow(int row)
{
    if (row < 1 || row > m_model.rowCount())
        return;
    selectRows(row, row, row);
}

int TWrapGrid::selectionTop() const
{
    int top = -1;
    for (const QItemSelectionRange &range : selectionModel()->selection())
        if (top < 0 || range.top() + 1 < top)
            top = range.top() + 1;
    return top;
}

int TWrapGrid::selectionBottom() const
{
    int bottom = -1;
    for (const QItemSelectionRange &range : selectionModel()->selection())
        bottom = std::max(bottom, range.bottom() + 1);
    return bottom;
}

void TWrapGrid::selectRows(int top, int bottom, int current)
{
    const int rows = m_model.rowCount();
    if (rows == 0)
        return;
    top = std::clamp(top, 1, rows);
    bottom = std::clamp(bottom, top, rows);
    const QItemSelection range(m_model.index(top - 1, 0),
                               m_model.index(bottom - 1, MessageTable::columnCount - 1));
    selectionModel()->setCurrentIndex(m_model.index(std::clamp(current, 1, rows) - 1, 0),
                                      QItemSelectionModel::NoUpdate);
    selectionModel()->select(range, QItemSelectionModel::ClearAndSelect);
    viewport()->update();
}

void TWrapGrid::setTopRow(int row)
{
    if (row >= 1 && row <= m_model.rowCount())
        scrollTo(m_model.index(row - 1, 0), QAbstractItemView::PositionAtTop);
}

void TWrapGrid::fitLastColumn()
{
    const int width = viewport()->width() - columnWidth(0) - columnWidth(1) - columnWidth(2) - 2;
    if (width > 0 && width != columnWidth(3))
        setColumnWidth(3, width);
}

void TWrapGrid::setStartColumnWidths()
{
    setColumnWidth(0, 44);
    setColumnWidth(1, 280);
    setColumnWidth(2, 250);
    setColumnWidth(3, 20);
    fitLastColumn();
}

void TWrapGrid::resizeEvent(QResizeEvent *event)
{
    QTableView::resizeEvent(event);
    fitLastColumn();
}

void TWrapGrid::setDefaultRowHeight(int height)
{
    verticalHeader()->setDefaultSectionSize(height);
}

GridPaintState TWrapGrid::paintState() const
{
    GridPaintState state;
    state.selTop = selectionTop();
    state.selBottom = selectionBottom();
    state.protectTrusted = m_protectTrusted;
    state.knownBadSelectMode = *m_knownBadSelectMode;
    return state;
}

RowPaintDecision TWrapGrid::decision(int row) const
{
    const MessageTable *t = table();
    if (!t)
        return {};
    return decideRowPaint(paintInputOf(*t, row), paintState());
}

void TWrapGrid::mousePressEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    emit pressed(event->button(), index.isValid() ? index.row() + 1 : 0);
    QTableView::mousePressEvent(event);
}

void TWrapGrid::mouseReleaseEvent(QMouseEvent *event)
{
    QTableView::mouseReleaseEvent(event);
    viewport()->update();
}

void TWrapGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTableView::mouseDoubleClickEvent(event);
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && index.isValid())
        emit rowChosen(index.row() + 1);
}

void TWrapGrid::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        && event->modifiers() == Qt::NoModifier && currentRow() >= 1) {
        emit rowChosen(currentRow());
        return;
    }
    if (event->modifiers() == Qt::ShiftModifier)
        emit shiftKeyPressed();
    QTableView::keyPressEvent(event);
    // The view only makes sure the row is visible, which may leave the first row partly under
    // the header: the ends of the table show it whole.
    if (event->modifiers() & Qt::ControlModifier) {
        if (event->key() == Qt::Key_Home)
            scrollToTop();
        else if (event->key() == Qt::Key_End)
            scrollToBottom();
    }
}

void TWrapGrid::keyReleaseEvent(QKeyEvent *event)
{
    QTableView::keyReleaseEvent(event);
    viewport()->update();
}

}  // namespace kestrix
