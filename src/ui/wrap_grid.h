#pragma once
// TWrapGrid: the message grid. It shows the message table with a painter of its own: a class
// badge per row, and a highlight that follows the screener's purpose (trusted rows are not shown
// selected while they are protected; the known-bad selection mode highlights every known-bad
// and blacklisted row). Row numbers here are the table's: 0 is the title row, data from 1.

#include "ui/grid_paint_rules.h"

#include <QAbstractTableModel>
#include <QTableView>

namespace kestrix {

class MessageTable;

// The table as an item model: one item row per table row below the titles.
class MessageTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    void setTable(const MessageTable *table);
    const MessageTable *table() const { return m_table; }
    void refresh();
    // Rows were appended (the rows before are unchanged, but the last one may have been filled).
    void grew();

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const MessageTable *m_table = nullptr;
    int m_rows = 0;  // the rows the views know of (the table's rows at the last notice)
};

// The class of a table row as the painter needs it, from the markers.
RowMarks rowMarksOf(const MessageTable &table, int row);
PaintRowInput paintInputOf(const MessageTable &table, int row);

class TWrapGrid : public QTableView {
    Q_OBJECT
public:
    explicit TWrapGrid(QWidget *parent = nullptr);

    void setTable(const MessageTable *table);
    const MessageTable *table() const { return m_model.table(); }
    void refresh();  // the table changed as a whole
    void grew();     // rows were appended

    bool protectTrusted() const { return m_protectTrusted; }
    void setProtectTrusted(bool on);
    bool knownBadSelectMode() const { return *m_knownBadSelectMode; }
    // Keeps the flag in the screening state instead of the grid, so both see one value.
    void bindKnownBadSelectMode(bool *flag) { m_knownBadSelectMode = flag ? flag : &m_ownKnownBadSelectMode; }
    // Returns whether the flag changed (a change repaints).
    bool setKnownBadSelectMode(bool on);

    // Table rows: the last row, the current row (0 when none), the selection's ends (-1 none).
    int lastRow() const;
    int currentRow() const;
    void setCurrentRow(int row);
    int selectionTop() const;
    int selectionBottom() const;
    void selectRows(int top, int bottom, int current);
    void setTopRow(int row);
    void setDefaultRowHeight(int height);
    // The last column takes the width the first three leave.
    void fitLastColumn();
    // Widens the number column to a badge beside the largest number shown.
    void fitNumberColumn();
    // The widths every profile starts with: 44, 280 and 250 pixels, the last column the rest.
    void setStartColumnWidths();

    // The painter's decision for a data row, as it stands now.
    RowPaintDecision decision(int row) const;
    GridPaintState paintState() const;

signals:
    // A mouse press on the grid (before the view handles it), with the table row under the
    // pointer (0 when it is no data row).
    void pressed(Qt::MouseButton button, int row);
    void shiftKeyPressed();
    // A double-click on a data row, or Enter on the current row: the row is to be read.
    void rowChosen(int row);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    MessageTableModel m_model;
    bool m_protectTrusted = true;
    bool m_ownKnownBadSelectMode = false;
    bool *m_knownBadSelectMode = &m_ownKnownBadSelectMode;
};

}  // namespace kestrix
