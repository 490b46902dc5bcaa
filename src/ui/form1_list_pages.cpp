// The list pages: the whitelist (TabSheet4), the rejected-mail log (TabSheet6) and the blacklist
// words (TabSheet7), their controls and what each control runs. The commands themselves are in
// form1_list_commands.cpp.
#include "ui/form1.h"

#include "screening/list_commands.h"
#include "ui/list_page_views.h"
#include "ui/ui_widgets.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
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

void TForm1::buildListPages()
{
    // ---- whitelist ----------------------------------------------------------------------
    {
        auto *column = new QVBoxLayout(TabSheet4);
        column->setContentsMargins(8, 8, 8, 8);
        auto *header = named(new QFrame(TabSheet4), "Image10");
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

        column->addWidget(new QLabel(L1("Whitelist of accepted addresses"), TabSheet4));
        auto *body = new QHBoxLayout;
        m_whitelistModel = new TextListModel(this);
        ListBox4 = named(new QListView(TabSheet4), "ListBox4");
        ListBox4->setModel(m_whitelistModel);
        ListBox4->setSelectionMode(QAbstractItemView::ExtendedSelection);
        ListBox4->setUniformItemSizes(true);
        ListBox4->setEditTriggers(QAbstractItemView::NoEditTriggers);
        body->addWidget(ListBox4, 1);
        auto *buttons = new QVBoxLayout;
        button8 = pageButton("button8", "Delete Address", nullptr, TabSheet4);
        button9 = pageButton("button9", "Load", "Load file of Accepted addresses", TabSheet4);
        button4 = pageButton("button4", "Save", "Save file of accepted addresses", TabSheet4);
        buttons->addWidget(button8);
        buttons->addSpacing(12);
        buttons->addWidget(button9);
        buttons->addWidget(button4);
        buttons->addStretch(1);
        body->addLayout(buttons);
        column->addLayout(body, 1);
    }

    // ---- rejected-mail log --------------------------------------------------------------
    {
        auto *column = new QVBoxLayout(TabSheet6);
        column->setContentsMargins(8, 8, 8, 8);
        Panel13 = named(new CaptionPanel(L1("Logfile of deleted e-mails"), TabSheet6), "Panel13");
        column->addWidget(Panel13);
        m_logModel = new LogTableModel(this);
        StringGrid2 = named(new QTableView(TabSheet6), "StringGrid2");
        StringGrid2->setModel(m_logModel);
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
        SpeedButton8 = raisedButton("SpeedButton8", "Clear log file", nullptr, TabSheet6);
        SpeedButton29 = raisedButton("SpeedButton29", "Delete Line", nullptr, TabSheet6);
        buttons->addWidget(SpeedButton8);
        buttons->addWidget(SpeedButton29);
        buttons->addStretch(1);
        column->addLayout(buttons);
    }

    // ---- blacklist words ----------------------------------------------------------------
    {
        auto *column = new QVBoxLayout(TabSheet7);
        column->setContentsMargins(8, 8, 8, 8);
        Label49 = named(new QLabel(L1(kBlacklistExplanation), TabSheet7), "Label49");
        Label49->setWordWrap(true);
        column->addWidget(Label49);
        auto *editRow = new QHBoxLayout;
        Edit7 = named(new QLineEdit(TabSheet7), "Edit7");
        SpeedButton10 = raisedButton("SpeedButton10", "&Add as new Item", nullptr, TabSheet7);
        SpeedButton9 = raisedButton("SpeedButton9", "Delete Item ", nullptr, TabSheet7);
        SpeedButton28 = raisedButton("SpeedButton28", "C", "Clear Edit Field", TabSheet7);
        SpeedButton25 = raisedButton("SpeedButton25", "<", nullptr, TabSheet7);
        SpeedButton26 = raisedButton("SpeedButton26", ">", nullptr, TabSheet7);
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
        m_blacklistModel = new TextListModel(this);
        ListBox7 = named(new ColumnListView(4, TabSheet7), "ListBox7");
        ListBox7->setModel(m_blacklistModel);
        ListBox7->setSelectionMode(QAbstractItemView::ExtendedSelection);
        ListBox7->setEditTriggers(QAbstractItemView::NoEditTriggers);
        column->addWidget(ListBox7, 1);
    }

    connectListPages();
}

void TForm1::connectListPages()
{
    connect(button8, &QPushButton::clicked, this, &TForm1::button8Click);
    connect(button9, &QPushButton::clicked, this, &TForm1::button9Click);
    connect(button4, &QPushButton::clicked, this, &TForm1::button4Click);

    connect(SpeedButton8, &QToolButton::clicked, this, &TForm1::clearLogClick);
    connect(SpeedButton29, &QToolButton::clicked, this, &TForm1::deleteLogLineClick);
    connect(this, &TForm1::deletedCountResetRequested, this, &TForm1::resetDeletedCountClick);
    // The log grid's columns follow its width, also while the pointer moves over it.
    new EventWatcher(StringGrid2, {QEvent::Resize}, [this] { fitLogGrid(); });
    new EventWatcher(StringGrid2->viewport(), {QEvent::MouseMove}, [this] { fitLogGrid(); });
    // The row height of the messages grid is the log grid's too.
    connect(SpinEdit3, &QSpinBox::valueChanged, this,
            [this](int height) { StringGrid2->verticalHeader()->setDefaultSectionSize(height); });
    connect(CheckBox4, &QCheckBox::toggled, this, &TForm1::logRejectedChanged);

    connect(SpeedButton10, &QToolButton::clicked, this, &TForm1::addBlacklistItem);
    connect(Edit7, &QLineEdit::returnPressed, this, &TForm1::addBlacklistItem);
    connect(SpeedButton9, &QToolButton::clicked, this, &TForm1::deleteBlacklistItem);
    connect(SpeedButton28, &QToolButton::clicked, Edit7, &QLineEdit::clear);
    connect(SpeedButton26, &QToolButton::clicked, this, [this] { walkLog(true); });
    connect(SpeedButton25, &QToolButton::clicked, this, [this] { walkLog(false); });
    connect(SpeedButton7, &QToolButton::clicked, this, [this] {
        SpeedButton25->setEnabled(true);
        SpeedButton26->setEnabled(true);
        Edit7->clear();
    });

    // The page control's own next/previous-page keys.
    auto *next = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), this);
    auto *previous = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), this);
    connect(next, &QShortcut::activated, this, [this] { stepPage(+1); });
    connect(previous, &QShortcut::activated, this, [this] { stepPage(-1); });
}

}  // namespace kestrix
