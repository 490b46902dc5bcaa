// The message grid's side of the window: the selection commands, the details pane, the
// context menu, "Allow delete of accepted" and the grid's enabling rules.
#include "ui/form1.h"

#include "screening/tray_control.h"

#include "screening/header_store.h"
#include "screening/message_table.h"
#include "screening/pending_command.h"
#include "screening/prompter.h"
#include "screening/screener.h"
#include "text/display_text.h"
#include "text/latin1.h"
#include "ui/grid_paint_rules.h"
#include "ui/message_details.h"
#include "ui/ui_widgets.h"
#include "ui/wrap_grid.h"

#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTextCursor>
#include <QTimer>
#include <QToolButton>

namespace kestrix {

void TForm1::connectMessagesPage()
{
    connect(Button66, &QPushButton::clicked, this, &TForm1::selectAllUnknown);
    connect(SelectAllUnknown1, &QAction::triggered, this, &TForm1::selectAllUnknown);
    connect(SpeedButton27, &QToolButton::clicked, this, &TForm1::selectKnownBad);
    connect(SelectKnownBad1, &QAction::triggered, this, &TForm1::selectKnownBad);
    connect(SpeedButton32, &QToolButton::clicked, this, &TForm1::previousUnknown);
    connect(SpeedButton33, &QToolButton::clicked, this, &TForm1::nextUnknown);
    SpeedButton32->installEventFilter(this);
    SpeedButton33->installEventFilter(this);
    connect(button10, &QPushButton::clicked, this, &TForm1::Button10Click);
    connect(Deleteselectedmails1, &QAction::triggered, this, &TForm1::Button10Click);
    connect(SpeedButton24, &QToolButton::clicked, this, [this] { queueCommand(cmdReadMessage); });
    // The menu's whitelist items run the buttons' commands, also while a button is disabled.
    connect(button7, &QPushButton::clicked, this, &TForm1::AddToWhitelistClick);
    connect(AddToWhitelist1, &QAction::triggered, this, &TForm1::AddToWhitelistClick);
    connect(SpeedButton31, &QToolButton::clicked, this, &TForm1::RemoveFromWhitelistClick);
    connect(RemoveFromWhitelist1, &QAction::triggered, this, &TForm1::RemoveFromWhitelistClick);

    connect(stringgrid1, &TWrapGrid::pressed, this, &TForm1::gridMousePressed);
    connect(stringgrid1, &TWrapGrid::shiftKeyPressed, this,
            [this] { stringgrid1->setKnownBadSelectMode(false); });
    connect(stringgrid1, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        if (hasMessages())
            PopupMenu2->popup(stringgrid1->viewport()->mapToGlobal(pos));
    });
    connect(SpinEdit3, &QSpinBox::valueChanged, this,
            [this](int height) { stringgrid1->setDefaultRowHeight(height); });
    connect(Splitter1, &QSplitter::splitterMoved, this, &TForm1::splitterMoved);
}

void TForm1::attachScreener(Screener &screener)
{
    m_screener = &screener;
    Timer2->start();
    Timer4->start();
    stringgrid1->bindKnownBadSelectMode(&screener.knownBadSelectMode);
    stringgrid1->setTable(&screener.messageTable);
    screener.detailsRow = -1;
    attachTrayControl(screener);
    connect(this, &TForm1::commandQueued, this,
            [&screener](int code) { screener.pendingCommand = PendingCommand(code); });
    connect(CheckBox1, &QCheckBox::toggled, this,
            [&screener](bool checked) { screener.allowDeleteAccepted = checked; });
    // The counts a page shows are read each time it is shown, and the list pages show the
    // lists as they are now.
    connect(this, &TForm1::pageShown, this, [this, &screener](const QString &page) {
        if (page == QLatin1String("TabSheet1"))
            screener.showStartPageCounts();
        else if (page == QLatin1String("TabSheet4"))
            screener.TabSheet4Show();
        else if (page == QLatin1String("TabSheet6"))
            screener.showLogCount();
        syncListPages();
    });
    showPageWidget(TabSheet1);
    refreshTick();
    Timer3->start();
}

void TForm1::detachScreener()
{
    hide();
    const QList<QTimer *> timers = findChildren<QTimer *>();
    for (QTimer *timer : timers)
        timer->stop();
    stringgrid1->bindKnownBadSelectMode(nullptr);
    stringgrid1->setTable(nullptr);
    if (m_screener)
        m_screener->NewMailFound = nullptr;
    m_trayControl.reset();
}

int TForm1::detailsRow() const { return m_screener->detailsRow; }

void TForm1::resetDetailsRow() { m_screener->detailsRow = -1; }

bool TForm1::hasMessages() const
{
    const MessageTable &table = m_screener->messageTable;
    return table.lastRow() >= 1 && !table.text(MessageTable::ColNumber, 1).empty();
}

bool TForm1::rowTrusted(int row) const { return m_screener->messageTable.isTrusted(row); }

// ---- selection commands ------------------------------------------------------------------

void TForm1::selectAllUnknown()
{
    stringgrid1->setKnownBadSelectMode(false);
    stringgrid1->selectRows(1, stringgrid1->lastRow(), 1);
    button10->setEnabled(false);
    button7->setEnabled(false);
    const bool unknownShown = !Panel3->isHidden();
    if (unknownShown || CheckBox1->isChecked())
        button10->setEnabled(true);
    if (unknownShown)
        button7->setEnabled(true);
    Deleteselectedmails1->setEnabled(button10->isEnabled());
    updateSelectionInfo();
}

void TForm1::selectKnownBad()
{
    // Rows are always selected across all four columns, so only the mode changes.
    stringgrid1->setKnownBadSelectMode(true);
    button10->setEnabled(true);
    Deleteselectedmails1->setEnabled(true);
    button7->setEnabled(true);
}

void TForm1::nextUnknown()
{
    stringgrid1->setKnownBadSelectMode(false);
    goToUnknown(m_screener->nextUnknownRow(stringgrid1->currentRow(), stringgrid1->lastRow()));
}

void TForm1::previousUnknown()
{
    stringgrid1->setKnownBadSelectMode(false);
    goToUnknown(m_screener->previousUnknownRow(stringgrid1->currentRow()));
}

void TForm1::goToUnknown(int row)
{
    if (row < 1)
        return;
    stringgrid1->setCurrentRow(row);
    stringgrid1->setFocus();
    if (!rowTrusted(row))
        button7->setEnabled(true);
    button10->setEnabled(!rowTrusted(row));
}

void TForm1::allowDeleteClicked(bool checked)
{
    if (checked) {
        Button66->setText(L1("Select all"));
        button10->setText(L1("Delete selected"));
        stringgrid1->setProtectTrusted(false);
        m_screener->prompter().message(
            Prompter::Kind::Warning,
            "Selected E-MAILs from accepted Sender Addresses can be deleted now !");
        Button66->setEnabled(true);
        button10->setEnabled(true);
    } else {
        Button66->setText(L1("Select all unknown"));
        button10->setText(L1("Delete selected unknown"));
        stringgrid1->setProtectTrusted(true);
    }
    Deleteselectedmails1->setEnabled(button10->isEnabled());
}

// ---- mouse on the grid and its menu ------------------------------------------------------

void TForm1::gridMousePressed(Qt::MouseButton button, int row)
{
    if (!hasMessages())
        return;
    if (button == Qt::LeftButton || button == Qt::RightButton)
        stringgrid1->setKnownBadSelectMode(false);
    prepareContextMenu(button == Qt::RightButton, row);
}

void TForm1::prepareContextMenu(bool rightButton, int row)
{
    const bool unknownShown = !Panel3->isHidden();
    if (unknownShown || CheckBox1->isChecked())
        button10->setEnabled(true);
    Deleteselectedmails1->setEnabled(button10->isEnabled());
    if (unknownShown)
        button7->setEnabled(true);
    if (rightButton) {
        if (row >= 1)
            stringgrid1->setCurrentRow(row);
        // A trusted row offers removal when its sender is really on the list; any other row
        // offers adding.
        const int current = stringgrid1->currentRow();
        const bool trusted = rowTrusted(current);
        const bool remove = trusted && m_screener->whitelistHoldsSender(current);
        // A hidden action reports itself disabled, so it is shown before it is enabled.
        for (auto [item, on] : {std::pair{RemoveFromWhitelist1, remove},
                                std::pair{AddToWhitelist1, !trusted}}) {
            item->setVisible(on);
            item->setEnabled(on);
        }
    }
    SelectKnownBad1->setEnabled(SpeedButton27->isEnabled());
    SelectAllUnknown1->setEnabled(Button66->isEnabled());
    // Each whitelist item is shown exactly while it is enabled.
    RemoveFromWhitelist1->setVisible(RemoveFromWhitelist1->isEnabled());
    AddToWhitelist1->setVisible(AddToWhitelist1->isEnabled());
    Deleteselectedmails1->setEnabled(!rowTrusted(stringgrid1->currentRow()) ||
                                     !stringgrid1->protectTrusted());
}

// ---- details and bookkeeping -------------------------------------------------------------

void TForm1::showDetails(int row)
{
    m_screener->detailsRow = row;
    setBackground(Memo2, colours::cream);
    Memo2->clear();
    const MessageTable &table = m_screener->messageTable;
    const auto parsed = parseDecimal(table.text(MessageTable::ColNumber, row));
    const int number = parsed && *parsed >= INT32_MIN && *parsed <= INT32_MAX ? int(*parsed) : -1;
    const HeaderRecord *record = number != -1 ? m_screener->headerStore.find(number) : nullptr;
    StaticText1->setVisible(number != -1 && hasNoText(record ? &record->lines : nullptr));

    const ClassShape shape = classShapeFor(rowMarksOf(table, row));
    Label52->setText(L1(shape.caption));
    // The shape's style sheet reaches its child label too, so the letters' colour goes into the
    // same sheet; a palette colour on the label would be overridden.
    Shape2->setStyleSheet(QStringLiteral("QFrame#Shape2 { background: %1; border-radius: 6px; }"
                                         " QLabel#Label52 { color: %2; }")
                              .arg(shape.fill.name(), shape.text.name()));
    Shape2->show();

    if (record && !record->lines.empty()) {
        const DetailsText details = detailsText(record->lines, m_screener->newestCode, diagnosticMode());
        showDetailsText(details.lines);
    }
    Memo2->moveCursor(QTextCursor::Start);
}

void TForm1::showDetailsText(const std::vector<std::string> &lines)
{
    QStringList text;
    for (const std::string &line : lines)
        text << displayHeaderText(line);
    Memo2->setPlainText(text.join(QLatin1Char('\n')));
    const bool virus = !lines.empty() && lines.front() == kVirusHint;
    setBackground(Memo2, virus ? colours::warningOrange : colours::cream);
    Memo2->moveCursor(QTextCursor::Start);
}

void TForm1::updateSelectionInfo()
{
    const int top = stringgrid1->selectionTop();
    const int bottom = stringgrid1->selectionBottom();
    m_screener->selTop = top;
    m_screener->selBottom = bottom;
    // An empty table has no selection to count, whatever the grid's cursor says.
    Label6->setText(!hasMessages() ? QString()
                    : top == bottom ? QString::number(top)
                                    : QString::number(top) + QLatin1Char('-') +
                                          QString::number(bottom));
    SpeedButton24->setEnabled(top == bottom);
}

void TForm1::applyGridRules()
{
    const bool allTrusted = m_screener->allTrusted;
    SpeedButton31->setEnabled(button7->isEnabled() || allTrusted);
    const int current = stringgrid1->currentRow();
    SpeedButton32->setEnabled(current > 1);
    SpeedButton33->setEnabled(current < stringgrid1->lastRow());
    Button66->setEnabled((!allTrusted || CheckBox1->isChecked()) && hasMessages() &&
                         !m_connectionOpen);
    updateSelectionInfo();
    if (hasMessages() && current >= 1 && current != m_screener->detailsRow)
        showDetails(current);
}

}  // namespace kestrix
