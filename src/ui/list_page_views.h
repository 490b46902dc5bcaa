#pragma once
// The item models and views of the list pages. Each model shows a copy of its list taken at the
// last sync, so a view never paints from a list that another command is changing, and a sync
// that finds the list unchanged keeps the view's selection and current row.

#include "profiles/rejected_log.h"

#include <QAbstractListModel>
#include <QAbstractTableModel>
#include <QListView>

#include <string>
#include <vector>

namespace kestrix {

// One text per row: the whitelist (ListBox4) and the blacklist words (ListBox7), shown through
// the display decoder (the list keeps the bytes).
class TextListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;
    // Takes the list when it differs from what the model shows; true when it did.
    bool sync(const std::vector<std::string> &texts);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

private:
    std::vector<std::string> m_texts;
};

// The rejected-mail log (StringGrid2): the title row as the header, item row i is log row i + 1.
class LogTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    bool sync(const RejectedLog &log);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    static constexpr LogRow kTitle{"Sender", "Subject"};
    const RejectedLog *m_log = nullptr;  // the Screener's, which lives as long as the window
    std::uint64_t m_revision = 0;
    int m_rowCount = 0;
};

// A list box shown in a fixed number of columns: the entries run down a column and on into the
// next, each column a fixed share of the width (ListBox7's four columns).
class ColumnListView : public QListView {
    Q_OBJECT
public:
    ColumnListView(int columns, QWidget *parent = nullptr);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void fitGrid();
    int m_columns;
};

}  // namespace kestrix
