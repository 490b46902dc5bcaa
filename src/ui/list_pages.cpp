// The list pages: the whitelist (TabSheet4), the rejected-mail log (TabSheet6) and the blacklist
// words (TabSheet7), their controls and the views of the lists.
#include "ui/list_pages.h"

#include "screening/list_commands.h"
#include "ui/list_page_views.h"
#include "ui/ui_widgets.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include <functional>

namespace kestrix {

namespace {

// Runs a callback for chosen events of one object, without taking part in its handling.
class EventWatcher : public QObject {
public:
    EventWatcher(QObject *watched, std::initializer_list<QEvent::Type> types,
                 std::function<void()> callback)
        : QObject(watched), m_types(types), m_callback(std::move(callback))
    {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        for (QEvent::Type type : m_types)
            if (event->type() == type)
                m_callback();
        return false;
    }

private:
    std::vector<QEvent::Type> m_types;
    std::function<void()> m_callback;
};

QPushButton *pageButton(const char *name, const char *caption, const char *hint, QWidget *parent)
{
    auto *button = named(new QPushButton(L1(caption), parent), name, hint);
    button->setAutoDefault(false);
    return button;
}

QToolButton *raisedButton(const char *name, const char *caption, const char *hint,
                          QWidget *parent)
{
    QToolButton *button = makeSpeedButton(name, caption, hint, parent);
    button->setAutoRaise(false);
    return button;
}

}  // namespace

WhitelistPage::WhitelistPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(L1("TabSheet4"));
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(8, 8, 8, 8);
    auto *header = named(new QFrame(this), "Image10");
    header->setStyleSheet(QStringLiteral(
        "QFrame#Image10 { background: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
        " stop:0 rgb(228,232,240), stop:1 rgb(204,210,222)); }"));
    auto *headerRow = new QHBoxLayout(header);
    Label25 = named(new QLabel(L1("0 trusted addresses"), header), "Label25");
    Label13 = named(new QLabel(L1("0 trusted addresses"), header), "Label13");
    Label10 = named(new QLabel(header), "Label10");
    QFont bold = Label25->font();
    bold.setBold(true);
    Label25->setFont(bold);
    headerRow->addWidget(Label25);
    headerRow->addStretch(1);
    headerRow->addWidget(Label10);
    headerRow->addWidget(Label13);
    column->addWidget(header);

    column->addWidget(new QLabel(L1("Whitelist of accepted addresses"), this));
    auto *body = new QHBoxLayout;
    m_model = new TextListModel(this);
    ListBox4 = named(new QListView(this), "ListBox4");
    ListBox4->setModel(m_model);
    ListBox4->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListBox4->setUniformItemSizes(true);
    ListBox4->setEditTriggers(QAbstractItemView::NoEditTriggers);
    body->addWidget(ListBox4, 1);
    auto *buttons = new QVBoxLayout;
    button8 = pageButton("button8", "Delete Address", nullptr, this);
    button9 = pageButton("button9", "Load", "Load file of Accepted addresses", this);
    button4 = pageButton("button4", "Save", "Save file of accepted addresses", this);
    buttons->addWidget(button8);
    buttons->addSpacing(12);
    buttons->addWidget(button9);
    buttons->addWidget(button4);
    buttons->addStretch(1);
    body->addLayout(buttons);
    column->addLayout(body, 1);
}

void WhitelistPage::sync(const std::vector<std::string> &entries) { m_model->sync(entries); }

std::vector<int> WhitelistPage::selection() const
{
    std::vector<int> rows;
    for (const QModelIndex &index : ListBox4->selectionModel()->selectedRows())
        rows.push_back(index.row());
    return rows;
}

LogPage::LogPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(L1("TabSheet6"));
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(8, 8, 8, 8);
    Panel13 = named(new CaptionPanel(L1("Logfile of deleted e-mails"), this), "Panel13");
    column->addWidget(Panel13);
    m_model = new LogTableModel(this);
    StringGrid2 = named(new QTableView(this), "StringGrid2");
    StringGrid2->setModel(m_model);
    StringGrid2->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGrid2->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid2->verticalHeader()->hide();
    StringGrid2->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    StringGrid2->verticalHeader()->setDefaultSectionSize(20);
    StringGrid2->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    StringGrid2->horizontalHeader()->setStretchLastSection(false);
    // The fitting rule decides the widths, down to nothing in a very narrow window.
    StringGrid2->horizontalHeader()->setMinimumSectionSize(0);
    StringGrid2->horizontalHeader()->resizeSection(0, kLogSenderColumnStart);
    StringGrid2->horizontalHeader()->resizeSection(1, kLogSubjectColumnStart);
    StringGrid2->setWordWrap(false);
    StringGrid2->viewport()->setMouseTracking(true);
    column->addWidget(StringGrid2, 1);
    auto *buttons = new QHBoxLayout;
    SpeedButton8 = raisedButton("SpeedButton8", "Clear log file", nullptr, this);
    SpeedButton29 = raisedButton("SpeedButton29", "Delete Line", nullptr, this);
    buttons->addWidget(SpeedButton8);
    buttons->addWidget(SpeedButton29);
    buttons->addStretch(1);
    column->addLayout(buttons);
    // The log grid's columns follow its width, also while the pointer moves over it.
    new EventWatcher(StringGrid2, {QEvent::Resize}, [this] { fitLogGrid(); });
    new EventWatcher(StringGrid2->viewport(), {QEvent::MouseMove}, [this] { fitLogGrid(); });
}

void LogPage::sync(const RejectedLog &log) { m_model->sync(log); }

void LogPage::setRowHeight(int height)
{
    StringGrid2->verticalHeader()->setDefaultSectionSize(height);
}

int LogPage::logCurrentRow() const
{
    const QModelIndex current = StringGrid2->currentIndex();
    return current.isValid() ? current.row() + 1 : 0;
}

void LogPage::setLogCurrentRow(int row)
{
    QItemSelectionModel *selection = StringGrid2->selectionModel();
    if (row < 1 || row > m_model->rowCount()) {
        selection->clear();
        return;
    }
    const QModelIndex index = m_model->index(row - 1, 0);
    selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                          QItemSelectionModel::Rows);
    StringGrid2->scrollTo(index);
}

void LogPage::fitLogGrid()
{
    // A hidden grid has no width of its own yet; fitting it then would narrow the columns for
    // good.
    if (!StringGrid2->isVisible())
        return;
    QHeaderView *header = StringGrid2->horizontalHeader();
    const LogColumnWidths widths = fitLogColumns(StringGrid2->width(), header->sectionSize(0));
    if (header->sectionSize(0) != widths.sender)
        header->resizeSection(0, widths.sender);
    if (header->sectionSize(1) != widths.subject)
        header->resizeSection(1, widths.subject);
}

BlacklistPage::BlacklistPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(L1("TabSheet7"));
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(8, 8, 8, 8);
    Label49 = named(new QLabel(L1(kBlacklistExplanation), this), "Label49");
    Label49->setWordWrap(true);
    column->addWidget(Label49);
    auto *editRow = new QHBoxLayout;
    Edit7 = named(new QLineEdit(this), "Edit7");
    SpeedButton10 = raisedButton("SpeedButton10", "&Add as new Item", nullptr, this);
    SpeedButton9 = raisedButton("SpeedButton9", "Delete Item ", nullptr, this);
    SpeedButton28 = raisedButton("SpeedButton28", "C", "Clear Edit Field", this);
    SpeedButton25 = raisedButton("SpeedButton25", "<", nullptr, this);
    SpeedButton26 = raisedButton("SpeedButton26", ">", nullptr, this);
    // The walk over the log is switched on by the top bar's "Blacklist" button.
    SpeedButton25->setEnabled(false);
    SpeedButton26->setEnabled(false);
    editRow->addWidget(Edit7, 1);
    editRow->addWidget(SpeedButton28);
    editRow->addWidget(SpeedButton25);
    editRow->addWidget(SpeedButton26);
    editRow->addWidget(SpeedButton10);
    editRow->addWidget(SpeedButton9);
    column->addLayout(editRow);
    m_model = new TextListModel(this);
    ListBox7 = named(new ColumnListView(4, this), "ListBox7");
    ListBox7->setModel(m_model);
    ListBox7->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListBox7->setEditTriggers(QAbstractItemView::NoEditTriggers);
    column->addWidget(ListBox7, 1);
    connect(SpeedButton28, &QToolButton::clicked, Edit7, &QLineEdit::clear);
}

void BlacklistPage::sync(const std::vector<std::string> &words) { m_model->sync(words); }

void BlacklistPage::showEntry(size_t at)
{
    const QModelIndex index = m_model->index(int(at), 0);
    ListBox7->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    ListBox7->scrollTo(index);
}

int BlacklistPage::currentEntry() const
{
    const QModelIndex current = ListBox7->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void BlacklistPage::startLogWalk()
{
    SpeedButton25->setEnabled(true);
    SpeedButton26->setEnabled(true);
    Edit7->clear();
}

}  // namespace kestrix
