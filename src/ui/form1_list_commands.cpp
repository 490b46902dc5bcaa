// What the controls of the list pages run: the whitelist commands of the message page, its grid
// menu and the whitelist page, the blacklist words and the walk over the log, the log page's
// commands, and the page control's own page change. The lists live in the Screener; the views
// are brought up to date after each command and by the refresh tick.
#include "ui/form1.h"

#include "screening/list_commands.h"
#include "screening/screener.h"
#include "ui/list_page_views.h"
#include "ui/ui_widgets.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QStackedWidget>
#include <QTableView>
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

// ---- whitelist ---------------------------------------------------------------------------

void TForm1::AddToWhitelistClick()
{
    // The selection as the grid shows it now, not as the last refresh tick saw it.
    updateSelectionInfo();
    const ProfilePaths files = currentFiles(m_profileFiles);
    m_screener->AddToWhitelist(files.whitelist);
    // The user is at work in the window: it no longer hides itself after a tray check.
    hideAfterCheck = false;
    syncListPages();
}

void TForm1::RemoveFromWhitelistClick()
{
    updateSelectionInfo();
    m_screener->RemoveFromWhitelist();
    syncListPages();
}

std::vector<int> TForm1::whitelistSelection() const
{
    std::vector<int> rows;
    for (const QModelIndex &index : ListBox4->selectionModel()->selectedRows())
        rows.push_back(index.row());
    return rows;
}

void TForm1::button8Click()
{
    // The selection must name the entries the list holds now.
    syncListPages();
    const ProfilePaths files = currentFiles(m_profileFiles);
    m_screener->deleteWhitelistAddresses(whitelistSelection(), files.whitelist);
    syncListPages();
}

void TForm1::button9Click()
{
    const ProfilePaths files = currentFiles(m_profileFiles);
    m_screener->loadWhitelist(files.whitelist);
    syncListPages();
}

void TForm1::button4Click()
{
    const ProfilePaths files = currentFiles(m_profileFiles);
    m_screener->saveWhitelist(files.whitelist);
}

// ---- blacklist words ---------------------------------------------------------------------

void TForm1::addBlacklistItem()
{
    const size_t at = m_screener->addBlacklistWord(Edit7->text().toLatin1().toStdString());
    syncListPages();
    // The new entry becomes the current one, so the user sees where it went.
    const QModelIndex index = m_blacklistModel->index(int(at), 0);
    ListBox7->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    ListBox7->scrollTo(index);
}

void TForm1::deleteBlacklistItem()
{
    // A list that changed behind the view loses its current entry here, so nothing is deleted
    // that the user did not see.
    syncListPages();
    const QModelIndex current = ListBox7->currentIndex();
    if (m_screener->deleteBlacklistWord(current.isValid() ? current.row() : -1))
        syncListPages();
}

void TForm1::walkLog(bool forward)
{
    syncListPages();
    const RejectedLog &log = m_screener->rejectedLog;
    const LogStep step =
        forward ? nextLogRow(log, logCurrentRow()) : previousLogRow(log, logCurrentRow());
    setLogCurrentRow(step.row);
    if (step.row >= 1)
        Edit7->setText(fromBytes(step.text));
}

// ---- rejected-mail log -------------------------------------------------------------------

int TForm1::logCurrentRow() const
{
    const QModelIndex current = StringGrid2->currentIndex();
    return current.isValid() ? current.row() + 1 : 0;
}

void TForm1::setLogCurrentRow(int row)
{
    QItemSelectionModel *selection = StringGrid2->selectionModel();
    if (row < 1 || row > m_logModel->rowCount()) {
        selection->clear();
        return;
    }
    const QModelIndex index = m_logModel->index(row - 1, 0);
    selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                          QItemSelectionModel::Rows);
    StringGrid2->scrollTo(index);
}

void TForm1::clearLogClick()
{
    const ProfilePaths files = currentFiles(m_profileFiles);
    if (m_screener->clearLogFile(files.log))
        syncListPages();
}

void TForm1::deleteLogLineClick()
{
    syncListPages();
    const int row = logCurrentRow();
    if (m_screener->deleteLogLine(row)) {
        syncListPages();
        setLogCurrentRow(row);
    }
}

void TForm1::resetDeletedCountClick()
{
    m_screener->resetDeletedCount();
}

void TForm1::fitLogGrid()
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

void TForm1::logRejectedChanged(bool on)
{
    SpeedButton19->setVisible(on);
    if (!on && activePage() == TabSheet6)
        showPageWidget(TabSheet1);
}

// ---- keeping the views up to date --------------------------------------------------------

void TForm1::syncListPages()
{
    m_whitelistModel->sync(m_screener->whitelist.entries());
    m_blacklistModel->sync(m_screener->blacklist.words());
    m_logModel->sync(m_screener->rejectedLog);
    const ProfilePaths files = currentFiles(m_profileFiles);
    Label10->setText(QFileInfo(files.whitelist).fileName());
}

void TForm1::applyListPageRules()
{
    fitLogGrid();
    // Only the page in view: deletions and profile loads change the lists behind it.
    QWidget *page = activePage();
    if (page == TabSheet4)
        m_whitelistModel->sync(m_screener->whitelist.entries());
    else if (page == TabSheet7)
        m_blacklistModel->sync(m_screener->blacklist.words());
    else if (page == TabSheet6)
        m_logModel->sync(m_screener->rejectedLog);
}

// ---- the page control's own page change ----------------------------------------------------

void TForm1::stepPage(int direction)
{
    // The pages in the page control's order; the hidden lists' page is never shown, and the
    // log page only while it is switched on.
    std::vector<QWidget *> pages;
    for (int i = 0; i < PageControl1->count(); ++i) {
        QWidget *page = PageControl1->widget(i);
        if (page == TabSheet2 || (page == TabSheet6 && !CheckBox4->isChecked()))
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
    if (page == TabSheet6)
        m_screener->showLogCount();
    else if (page == TabSheet4)
        m_screener->whitelistPageChanged();
    else if (page == TabSheet3)
        m_screener->buildMessageTable(false);
}

}  // namespace kestrix
