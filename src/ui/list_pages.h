#pragma once
// The list pages: the whitelist (TabSheet4), the rejected-mail log (TabSheet6) and the
// blacklist words (TabSheet7). Each page shows a copy of its list taken at the last sync; what
// their buttons run over the lists is the window's (form1_list_commands.cpp).

#include <QWidget>

#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QTableView;
class QToolButton;

namespace kestrix {

class CaptionPanel;
class LogTableModel;
class RejectedLog;
class TextListModel;

class WhitelistPage : public QWidget {
    Q_OBJECT
public:
    explicit WhitelistPage(QWidget *parent);
    void sync(const std::vector<std::string> &entries);
    std::vector<int> selection() const;  // ListBox4's selected indexes

    QLabel *Label10 = nullptr, *Label13 = nullptr, *Label25 = nullptr;
    QListView *ListBox4 = nullptr;
    QPushButton *button8 = nullptr, *button9 = nullptr, *button4 = nullptr;

private:
    TextListModel *m_model = nullptr;
};

class LogPage : public QWidget {
    Q_OBJECT
public:
    explicit LogPage(QWidget *parent);
    void sync(const RejectedLog &log);
    // The columns follow the grid's width (also while the pointer moves over it).
    void fitLogGrid();
    // StringGrid2's current row in log rows: 0 the title row (no entry current), entries from 1.
    int logCurrentRow() const;
    void setLogCurrentRow(int row);
    void setRowHeight(int height);

    CaptionPanel *Panel13 = nullptr;
    QTableView *StringGrid2 = nullptr;
    QToolButton *SpeedButton8 = nullptr, *SpeedButton29 = nullptr;

private:
    LogTableModel *m_model = nullptr;
};

class BlacklistPage : public QWidget {
    Q_OBJECT
public:
    explicit BlacklistPage(QWidget *parent);
    void sync(const std::vector<std::string> &words);
    // Makes entry `at` the current one, so the user sees where a new word went.
    void showEntry(size_t at);
    int currentEntry() const;  // -1 without one
    // The top bar's "Blacklist" switches the walk over the log on.
    void startLogWalk();

    QLabel *Label49 = nullptr;
    QLineEdit *Edit7 = nullptr;
    QListView *ListBox7 = nullptr;
    QToolButton *SpeedButton10 = nullptr, *SpeedButton9 = nullptr, *SpeedButton28 = nullptr,
                *SpeedButton25 = nullptr, *SpeedButton26 = nullptr;

private:
    TextListModel *m_model = nullptr;
};

}  // namespace kestrix
