// What the controls of the list pages run: the whitelist commands of the message page, its grid
// menu and the whitelist page, the blacklist words and the walk over the log, the log page's
// commands, and the page control's own page change. The lists live in the Screener; the views
// are brought up to date after each command and by the refresh tick.
#include "ui/form1.h"

#include "screening/list_commands.h"
#include "screening/screener.h"
#include "ui/config_page.h"
#include "ui/list_pages.h"
#include "ui/messages_page.h"
#include "ui/start_page.h"
#include "ui/top_bar.h"
#include "ui/ui_widgets.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QKeySequence>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QToolButton>

#include <algorithm>
#include <functional>

namespace kestrix {

namespace {

// The current profile's files; without a profile (a window not yet started) no paths, so any
// write fails with a message rather than landing in the working folder.
ProfilePaths currentFiles(const std::function<ProfilePaths()> &profileFiles)
{
    return profileFiles ? profileFiles() : ProfilePaths{};
}

}  // namespace

void TForm1::connectListPages()
{
    WhitelistPage &white = *whitelistPage;
    connect(white.button8, &QPushButton::clicked, this, &TForm1::button8Click);
    connect(white.button9, &QPushButton::clicked, this, &TForm1::button9Click);
    connect(white.button4, &QPushButton::clicked, this, &TForm1::button4Click);

    connect(logPage->SpeedButton8, &QToolButton::clicked, this, &TForm1::clearLogClick);
    connect(logPage->SpeedButton29, &QToolButton::clicked, this, &TForm1::deleteLogLineClick);
    connect(this, &TForm1::deletedCountResetRequested, this, &TForm1::resetDeletedCountClick);
    // The row height of the messages grid is the log grid's too.
    connect(messagesPage->SpinEdit3, &QSpinBox::valueChanged, logPage, &LogPage::setRowHeight);
    connect(configPage->CheckBox4, &QCheckBox::toggled, this, &TForm1::logRejectedChanged);

    BlacklistPage &black = *blacklistPage;
    connect(black.SpeedButton10, &QToolButton::clicked, this, &TForm1::addBlacklistItem);
    connect(black.Edit7, &QLineEdit::returnPressed, this, &TForm1::addBlacklistItem);
    connect(black.SpeedButton9, &QToolButton::clicked, this, &TForm1::deleteBlacklistItem);
    connect(black.SpeedButton26, &QToolButton::clicked, this, [this] { walkLog(true); });
    connect(black.SpeedButton25, &QToolButton::clicked, this, [this] { walkLog(false); });

    // The page control's own next/previous-page keys.
    auto *next = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), this);
    auto *previous = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), this);
    connect(next, &QShortcut::activated, this, [this] { stepPage(+1); });
    connect(previous, &QShortcut::activated, this, [this] { stepPage(-1); });
}

// ---- whitelist ---------------------------------------------------------------------------

void TForm1::AddToWhitelistClick()
{
    // The selection as the grid shows it now, not as the last refresh tick saw it.
    messagesPage->updateSelectionInfo();
    const ProfilePaths files = currentFiles(m_profileFiles);
    m_screener->AddToWhitelist(files.whitelist);
    stayShownAfterCheck();
    syncListPages();
}

void TForm1::RemoveFromWhitelistClick()
{
    messagesPage->updateSelectionInfo();
    m_screener->RemoveFromWhitelist();
    syncListPages();
}

void TForm1::button8Click()
{
    // The selection must name the entries the list holds now.
    syncListPages();
    const ProfilePaths files = currentFiles(m_profileFiles);
    m_screener->deleteWhitelistAddresses(whitelistPage->selection(), files.whitelist);
    syncListPages();
}

void TForm1::button9Click()
{
    const ProfilePaths files = currentFiles(m_profileFiles);
    m_screener->lists.loadWhitelist(files.whitelist);
    syncListPages();
}

void TForm1::button4Click()
{
    const ProfilePaths files = currentFiles(m_profileFiles);
    m_screener->lists.saveWhitelist(files.whitelist);
}

// ---- blacklist words ---------------------------------------------------------------------

void TForm1::addBlacklistItem()
{
    const size_t at = m_screener->lists.addBlacklistWord(typedBytes(blacklistPage->Edit7->text()));
    syncListPages();
    blacklistPage->showEntry(at);
}

void TForm1::deleteBlacklistItem()
{
    // A list that changed behind the view loses its current entry here, so nothing is deleted
    // that the user did not see.
    syncListPages();
    if (m_screener->lists.deleteBlacklistWord(blacklistPage->currentEntry()))
        syncListPages();
}

void TForm1::walkLog(bool forward)
{
    syncListPages();
    const RejectedLog &log = m_screener->profile.rejectedLog;
    const LogStep step =
        forward ? nextLogRow(log, logPage->logCurrentRow())
                : previousLogRow(log, logPage->logCurrentRow());
    logPage->setLogCurrentRow(step.row);
    if (step.row >= 1)
        blacklistPage->Edit7->setText(fromBytes(step.text));
}

// ---- rejected-mail log -------------------------------------------------------------------

void TForm1::clearLogClick()
{
    const ProfilePaths files = currentFiles(m_profileFiles);
    if (m_screener->lists.clearLogFile(files.log))
        syncListPages();
}

void TForm1::deleteLogLineClick()
{
    syncListPages();
    const int row = logPage->logCurrentRow();
    if (m_screener->lists.deleteLogLine(row)) {
        syncListPages();
        logPage->setLogCurrentRow(row);
    }
}

void TForm1::resetDeletedCountClick()
{
    m_screener->lists.resetDeletedCount();
}

void TForm1::logRejectedChanged(bool on)
{
    topBar->SpeedButton19->setVisible(on);
    if (!on && activePage() == logPage)
        showPageWidget(startPage);
}

// ---- keeping the views up to date --------------------------------------------------------

void TForm1::syncListPages()
{
    whitelistPage->sync(m_screener->profile.whitelist.entries());
    blacklistPage->sync(m_screener->profile.blacklist.words());
    logPage->sync(m_screener->profile.rejectedLog);
    const ProfilePaths files = currentFiles(m_profileFiles);
    whitelistPage->Label10->setText(QFileInfo(files.whitelist).fileName());
}

void TForm1::applyListPageRules()
{
    logPage->fitLogGrid();
    // Only the page in view: deletions and profile loads change the lists behind it.
    QWidget *page = activePage();
    if (page == whitelistPage)
        whitelistPage->sync(m_screener->profile.whitelist.entries());
    else if (page == blacklistPage)
        blacklistPage->sync(m_screener->profile.blacklist.words());
    else if (page == logPage)
        logPage->sync(m_screener->profile.rejectedLog);
}

// ---- the page control's own page change ----------------------------------------------------

void TForm1::stepPage(int direction)
{
    // The pages in the page control's order; the hidden lists' page is never shown, and the
    // log page only while it is switched on.
    std::vector<QWidget *> pages;
    for (int i = 0; i < PageControl1->count(); ++i) {
        QWidget *page = PageControl1->widget(i);
        if (page == TabSheet2 || (page == logPage && !configPage->CheckBox4->isChecked()))
            continue;
        pages.push_back(page);
    }
    const auto at = std::find(pages.begin(), pages.end(), activePage());
    const int count = int(pages.size());
    const int from = at == pages.end() ? 0 : int(at - pages.begin());
    showPageWidget(pages[size_t(((from + direction) % count + count) % count)]);
    PageControl1Change();
}

void TForm1::PageControl1Change()
{
    QWidget *page = activePage();
    if (page == logPage)
        m_screener->lists.showLogCount();
    else if (page == whitelistPage)
        m_screener->lists.whitelistPageChanged();
    else if (page == messagesPage)
        m_screener->buildMessageTable(false);
}

}  // namespace kestrix
