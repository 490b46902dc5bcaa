// The message grid's side of the window: the selection commands, the details pane, the
// context menu, "Allow delete of accepted" and the grid's enabling rules.
#include "ui/messages_page.h"

#include "screening/message_table.h"
#include "screening/prompter.h"
#include "screening/screener.h"
#include "text/display_text.h"
#include "text/latin1.h"
#include "ui/grid_paint_rules.h"
#include "ui/message_details.h"
#include "ui/ui_widgets.h"
#include "ui/wrap_grid.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTextCursor>
#include <QToolButton>

namespace kestrix {

void MessagesPage::connectControls()
{
    connect(Button66, &QPushButton::clicked, this, &MessagesPage::selectAllUnknown);
    connect(SelectAllUnknown1, &QAction::triggered, this, &MessagesPage::selectAllUnknown);
    connect(SpeedButton27, &QToolButton::clicked, this, &MessagesPage::selectKnownBad);
    connect(SelectKnownBad1, &QAction::triggered, this, &MessagesPage::selectKnownBad);
    connect(SpeedButton32, &QToolButton::clicked, this, &MessagesPage::previousUnknown);
    connect(SpeedButton33, &QToolButton::clicked, this, &MessagesPage::nextUnknown);
    SpeedButton32->installEventFilter(this);
    SpeedButton33->installEventFilter(this);
    connect(button10, &QPushButton::clicked, this, &MessagesPage::deleteRequested);
    connect(Deleteselectedmails1, &QAction::triggered, this, &MessagesPage::deleteRequested);
    connect(SpeedButton24, &QToolButton::clicked, this, &MessagesPage::readMessageRequested);
    connect(ButtonRead, &QPushButton::clicked, this,
            [this] { readRow(stringgrid1->selectionTop()); });
    // Double-click and Enter on a row, and the menu's item on the row under the pointer.
    connect(stringgrid1, &TWrapGrid::rowChosen, this, &MessagesPage::readRow);
    connect(ReadMessage1, &QAction::triggered, this,
            [this] { readRow(stringgrid1->currentRow()); });
    // The menu's whitelist items run the buttons' commands, also while a button is disabled.
    connect(button7, &QPushButton::clicked, this, &MessagesPage::addToWhitelistRequested);
    connect(AddToWhitelist1, &QAction::triggered, this, &MessagesPage::addToWhitelistRequested);
    connect(SpeedButton31, &QToolButton::clicked, this,
            &MessagesPage::removeFromWhitelistRequested);
    connect(RemoveFromWhitelist1, &QAction::triggered, this,
            &MessagesPage::removeFromWhitelistRequested);

    // The learned score learns from the rows the user marks.
    connect(MarkAsSpam1, &QAction::triggered, this, [this] { markSelection(Judgement::Spam); });
    connect(MarkAsGood1, &QAction::triggered, this, [this] { markSelection(Judgement::Good); });

    connect(stringgrid1, &TWrapGrid::pressed, this, &MessagesPage::gridMousePressed);
    connect(stringgrid1, &TWrapGrid::shiftKeyPressed, this,
            [this] { stringgrid1->setKnownBadSelectMode(false); });
    connect(stringgrid1, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        if (hasMessages())
            PopupMenu2->popup(stringgrid1->viewport()->mapToGlobal(pos));
    });
    connect(SpinEdit3, &QSpinBox::valueChanged, this,
            [this](int height) { stringgrid1->setDefaultRowHeight(height); });
    connect(Splitter1, &QSplitter::splitterMoved, this, &MessagesPage::splitterMoved);
}

void MessagesPage::attachScreener(Screener &screener)
{
    m_screener = &screener;
    stringgrid1->bindKnownBadSelectMode(&screener.grid.knownBadSelectMode);
    stringgrid1->setTable(&screener.messages.messageTable);
    screener.grid.detailsRow = -1;
}

void MessagesPage::detachScreener()
{
    stringgrid1->bindKnownBadSelectMode(nullptr);
    stringgrid1->setTable(nullptr);
}

void MessagesPage::setDiagnosticMode(bool on)
{
    m_diagnosticMode = on;
    if (on)
        SpeedButton24->show();
    else
        SpeedButton24->hide();
}

int MessagesPage::detailsRow() const { return m_screener->grid.detailsRow; }

void MessagesPage::resetDetailsRow() { m_screener->grid.detailsRow = -1; }

bool MessagesPage::hasMessages() const
{
    const MessageTable &table = m_screener->messages.messageTable;
    return table.lastRow() >= 1 && !table.text(MessageTable::ColNumber, 1).empty();
}

bool MessagesPage::rowTrusted(int row) const
{
    return m_screener->messages.messageTable.isTrusted(row);
}

// ---- selection commands ------------------------------------------------------------------

void MessagesPage::selectAllUnknown()
{
    stringgrid1->setKnownBadSelectMode(false);
    stringgrid1->selectRows(1, stringgrid1->lastRow(), 1);
    const bool unknownShown = !Panel3->isHidden();
    button10->setEnabled(unknownShown || m_screener->grid.allowDeleteAccepted);
    button7->setEnabled(unknownShown);
    updateSelectionInfo();
}

void MessagesPage::selectKnownBad()
{
    // Rows are always selected across all four columns, so only the mode changes.
    stringgrid1->setKnownBadSelectMode(true);
    button10->setEnabled(true);
    button7->setEnabled(true);
}

void MessagesPage::nextUnknown()
{
    stringgrid1->setKnownBadSelectMode(false);
    goToUnknown(
        m_screener->messages.nextUnknownRow(stringgrid1->currentRow(), stringgrid1->lastRow()));
}

void MessagesPage::previousUnknown()
{
    stringgrid1->setKnownBadSelectMode(false);
    goToUnknown(m_screener->messages.previousUnknownRow(stringgrid1->currentRow()));
}

void MessagesPage::goToUnknown(int row)
{
    if (row < 1)
        return;
    stringgrid1->setCurrentRow(row);
    stringgrid1->setFocus();
    if (!rowTrusted(row))
        button7->setEnabled(true);
    button10->setEnabled(!rowTrusted(row));
}

void MessagesPage::allowDeleteClicked(bool checked)
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
}

// ---- mouse on the grid and its menu ------------------------------------------------------

void MessagesPage::readRow(int row)
{
    if (!hasMessages() || row < 1 || row > stringgrid1->lastRow())
        return;
    stringgrid1->setKnownBadSelectMode(false);
    stringgrid1->selectRows(row, row, row);
    updateSelectionInfo();
    emit readMessageRequested();
}

void MessagesPage::gridMousePressed(Qt::MouseButton button, int row)
{
    if (!hasMessages())
        return;
    if (button == Qt::LeftButton || button == Qt::RightButton)
        stringgrid1->setKnownBadSelectMode(false);
    prepareContextMenu(button == Qt::RightButton, row);
}

void MessagesPage::prepareContextMenu(bool rightButton, int row)
{
    const bool unknownShown = !Panel3->isHidden();
    if (unknownShown || m_screener->grid.allowDeleteAccepted)
        button10->setEnabled(true);
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
    // Each whitelist item is shown exactly while it is enabled.
    RemoveFromWhitelist1->setVisible(RemoveFromWhitelist1->isEnabled());
    AddToWhitelist1->setVisible(AddToWhitelist1->isEnabled());
    // Unlike the button, the menu's delete item follows the row under the pointer.
    Deleteselectedmails1->setEnabled(!rowTrusted(stringgrid1->currentRow()) ||
                                     !stringgrid1->protectTrusted());
}

// ---- details and bookkeeping -------------------------------------------------------------

void MessagesPage::showDetails(int row)
{
    m_screener->grid.detailsRow = row;
    setBackground(Memo2, colours::cream);
    Memo2->clear();
    const MessageTable &table = m_screener->messages.messageTable;
    const int number = m_screener->messages.numberOfRow(row);
    const DownloadedRow *shown = m_screener->messages.rowOfMessage(number);
    StaticText1->setVisible(number != 0 && hasNoText(shown ? &shown->headerLines : nullptr));

    const ClassShape shape = classShapeFor(rowMarksOf(table, row));
    Label52->setText(L1(shape.caption));
    // The shape's style sheet reaches its child label too, so the letters' colour goes into the
    // same sheet; a palette colour on the label would be overridden.
    Shape2->setStyleSheet(QStringLiteral("QFrame#Shape2 { background: %1; border-radius: 6px; }"
                                         " QLabel#Label52 { color: %2; }")
                              .arg(shape.fill.name(), shape.text.name()));
    // An empty table has no current row to name.
    Shape2->setVisible(m_screener->messages.hasMessages());

    if (shown) {
        // A score and its clues come first with the verdicts; until there are scores, the
        // last line says how far the learning is.
        std::vector<std::string> verdictLines = m_screener->verdictReasons(row);
        std::string learned = m_screener->learnedDetails(row);
        const bool scored = m_screener->profile.learning.scorer().trained();
        if (scored && !learned.empty())
            verdictLines.push_back(learned);
        DetailsText details = detailsText(shown->headerLines, m_screener->messages.newestCode,
                                          m_diagnosticMode, verdictLines);
        if (!scored && !learned.empty())
            details.lines.push_back(learned);
        showDetailsText(details.lines);
    }
    Memo2->moveCursor(QTextCursor::Start);
}

void MessagesPage::markSelection(Judgement side)
{
    updateSelectionInfo();  // the selection as the grid shows it now
    m_screener->markSelected(side);
}

void MessagesPage::showDetailsText(const std::vector<std::string> &lines)
{
    QStringList text;
    for (const std::string &line : lines)
        text << displayHeaderText(line);
    Memo2->setPlainText(text.join(QLatin1Char('\n')));
    const bool virus = !lines.empty() && lines.front() == kVirusHint;
    setBackground(Memo2, virus ? colours::warningOrange : colours::cream);
    Memo2->moveCursor(QTextCursor::Start);
}

void MessagesPage::updateSelectionInfo()
{
    m_screener->updateSelectionInfo(stringgrid1->selectionTop(), stringgrid1->selectionBottom());
}

void MessagesPage::applyGridRules()
{
    const bool allTrusted = m_screener->messages.allTrusted;
    SpeedButton31->setEnabled(button7->isEnabled() || allTrusted);
    const int current = stringgrid1->currentRow();
    SpeedButton32->setEnabled(current > 1);
    SpeedButton33->setEnabled(current < stringgrid1->lastRow());
    Button66->setEnabled((!allTrusted || m_screener->grid.allowDeleteAccepted) && hasMessages() &&
                         !m_connectionOpen);
    updateSelectionInfo();
    if (hasMessages() && current >= 1 && current != m_screener->grid.detailsRow)
        showDetails(current);
    stringgrid1->fitLastColumn();
}


// ---- banners, layout and the arrows' right click -------------------------------------------

void MessagesPage::blinkBanner()
{
    if (Panel3->isHidden())
        return;
    const bool shown = !shape4->isHidden();
    shape4->setVisible(!shown);
    shape5->setVisible(!shown);
}

void MessagesPage::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    fitSplit();
}

void MessagesPage::fitSplit()
{
    const int listHeight = int(height() * m_splitRatio);
    const int available = Splitter1->height() - Splitter1->handleWidth();
    if (available > 0) {
        const int list = std::clamp(listHeight, 0, available);
        Splitter1->setSizes({list, available - list});
    }
    stringgrid1->fitLastColumn();
}

void MessagesPage::splitterMoved()
{
    if (height() > 0)
        m_splitRatio = double(Panel14->height()) / double(height());
}

bool MessagesPage::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == SpeedButton32 || watched == SpeedButton33) &&
        event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::RightButton) {
        auto *button = static_cast<QWidget *>(watched);
        prepareContextMenu(true, 0);  // as a right click on the grid, staying on the row
        PopupMenu2->popup(button->mapToGlobal(QPoint(0, button->height())));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace kestrix
