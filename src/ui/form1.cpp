// TForm1: putting the pages and bars together and wiring them, the Screener's attachment,
// navigation between pages, the main button, closing, and the size rules on resize.
#include "ui/form1.h"

#include "desktop/update_check.h"
#include "screening/diagnostic_mode.h"
#include "screening/pending_command.h"
#include "screening/prompter.h"
#include "screening/screener.h"
#include "screening/tray_control.h"
#include "text/latin1.h"
#include "ui/app_icon.h"
#include "ui/config_page.h"
#include "ui/grid_paint_rules.h"
#include "ui/help_page.h"
#include "ui/list_pages.h"
#include "ui/messages_page.h"
#include "ui/start_page.h"
#include "ui/status_bar.h"
#include "ui/top_bar.h"
#include "ui/tray_icon.h"
#include "ui/ui_widgets.h"
#include "ui/wrap_grid.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QStackedWidget>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace kestrix {

namespace {

// The share of the messages page the message list takes in the window's design.
constexpr double kDesignSplitRatio = 0.6;

}  // namespace

TForm1::TForm1(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(L1("Form1"));
    setWindowTitle(fromBytes(mainWindowCaption()));
    setWindowIcon(appIcon());
    // The window's default font is 8-point sans serif; the grid and the details pane use 9.
    QFont windowFont(QStringLiteral("Sans Serif"), 8);
    windowFont.setStyleHint(QFont::SansSerif);
    setFont(windowFont);

    auto *central = new QWidget(this);
    central->setObjectName(L1("Form1Client"));
    QPalette silver = central->palette();
    silver.setColor(QPalette::Window, colours::silver.lighter(118));
    central->setPalette(silver);
    central->setAutoFillBackground(true);
    setCentralWidget(central);

    topBar = new TopBar(this);
    buildPages();
    statusArea = new StatusBar(this);

    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(topBar);
    column->addWidget(PageControl1, 1);
    column->addWidget(statusArea);

    Timer3 = new QTimer(this);
    Timer3->setObjectName(L1("Timer3"));
    Timer3->setInterval(70);
    connect(Timer3, &QTimer::timeout, this, &TForm1::refreshTick);
    Timer5 = new QTimer(this);
    Timer5->setObjectName(L1("Timer5"));
    Timer5->setInterval(200);
    Timer5->setSingleShot(true);
    connect(Timer5, &QTimer::timeout, this, &TForm1::sizeGuard);
    createTimers();

    connectTopBar();
    connectPages();
    connectListPages();

    messagesPage->setSplitRatio(kDesignSplitRatio);
    resize(761, 526);
    PageControl1->setCurrentWidget(startPage);
}

TForm1::~TForm1() { m_trayControl.reset(); }

void TForm1::attachScreener(Screener &screener)
{
    m_screener = &screener;
    Timer2->start();
    Timer4->start();
    messagesPage->attachScreener(screener);
    attachTrayControl(screener);
    connect(this, &TForm1::commandQueued, this,
            [&screener](int code) { screener.dispatcher.pendingCommand = PendingCommand(code); });
    connect(statusArea->CheckBox1, &QCheckBox::toggled, this,
            [&screener](bool checked) { screener.grid.allowDeleteAccepted = checked; });
    // The counts a page shows are read each time it is shown, and the list pages show the
    // lists as they are now.
    connect(this, &TForm1::pageShown, this, [this, &screener](const QString &page) {
        if (page == QLatin1String("TabSheet1"))
            screener.lists.showStartPageCounts();
        else if (page == QLatin1String("TabSheet4"))
            screener.lists.TabSheet4Show();
        else if (page == QLatin1String("TabSheet6"))
            screener.lists.showLogCount();
        syncListPages();
    });
    showPageWidget(startPage);
    refreshTick();
    Timer3->start();
}

void TForm1::detachScreener()
{
    hide();
    const QList<QTimer *> timers = findChildren<QTimer *>();
    for (QTimer *timer : timers)
        timer->stop();
    messagesPage->detachScreener();
    m_trayControl.reset();
}

void TForm1::buildPages()
{
    PageControl1 = named(new QStackedWidget(this), "PageControl1");
    startPage = new StartPage(PageControl1);
    messagesPage = new MessagesPage(PageControl1);
    whitelistPage = new WhitelistPage(PageControl1);
    configPage = new ConfigPage(PageControl1);
    logPage = new LogPage(PageControl1);
    blacklistPage = new BlacklistPage(PageControl1);
    deletedMailPage = new DeletedMailPage(PageControl1);
    TabSheet2 = named(new QWidget(PageControl1), "TabSheet2");
    for (QWidget *page : std::initializer_list<QWidget *>{
             startPage, messagesPage, whitelistPage, configPage, logPage, blacklistPage,
             deletedMailPage, TabSheet2})
        PageControl1->addWidget(page);
}

void TForm1::connectTopBar()
{
    TopBar &bar = *topBar;
    connect(bar.SpeedButton3, &QToolButton::clicked, this, [this] { showPageWidget(startPage); });
    connect(bar.SpeedButton4, &QToolButton::clicked, this,
            [this] { showPageWidget(messagesPage); });
    connect(bar.SpeedButton17, &QToolButton::clicked, this, &TForm1::showConfigAccounts);
    connect(bar.SpeedButton18, &QToolButton::clicked, this,
            [this] { showPageWidget(whitelistPage); });
    connect(bar.SpeedButton19, &QToolButton::clicked, this, [this] { showPageWidget(logPage); });
    connect(bar.SpeedButton7, &QToolButton::clicked, this, [this] {
        blacklistPage->startLogWalk();
        showPageWidget(blacklistPage);
    });
    connect(bar.SpeedButton6, &QToolButton::clicked, this,
            [this] { queueCommand(cmdStartMailTool); });
    connect(bar.SpeedButton13, &QToolButton::clicked, this, &TForm1::HideWindow);
    connect(bar.SpeedButton20, &QToolButton::clicked, this, &TForm1::updateCheckRequested);
    connect(bar.SpeedButton21, &QToolButton::clicked, this, [this] {
        // The HTML help page beside the program or where the installation put it, in the
        // desktop's browser; the status line says so when there is none to open.
        if (helpPagePath().isEmpty())
            statusArea->statustext->setText(
                QStringLiteral("No help page to open (kestrix-help.html)"));
        else if (!openHelpPage())
            statusArea->statustext->setText(
                QStringLiteral("No web browser could be started to show the help page ")
                + helpPagePath());
    });

    connect(bar.Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(bar.SpeedButton30, &QToolButton::clicked, this, &TForm1::SpeedButton30Click);
    connect(bar.Edit4, &QLineEdit::returnPressed, this, [this] {
        if (topBar->Button1->isEnabled())
            Button1Click();
    });
    bar.Edit4->installEventFilter(this);
    connect(bar.SpeedButton12, &QToolButton::clicked, this, [this] {
        if (!m_busy)
            emit profileSwitchRequested(-1);
    });
    connect(bar.SpeedButton15, &QToolButton::clicked, this, [this] {
        if (!m_busy)
            emit profileSwitchRequested(+1);
    });
    for (ClickLabel *label : {bar.Label28, bar.Label29, bar.Label32, bar.Label30})
        connect(label, &ClickLabel::clicked, this, &TForm1::showConfigAccounts);
    connect(bar.SpeedButton1, &QToolButton::clicked, this, &TForm1::ProgramExit);
}

// What one page or bar asks of another, or of the Screener.
void TForm1::connectPages()
{
    StatusBar &status = *statusArea;
    connect(status.StaticText2, &ClickLabel::clicked, this, &TForm1::updateCheckRequested);
    connect(status.CheckBox1, &QCheckBox::toggled, messagesPage, &MessagesPage::allowDeleteClicked);
    connect(startPage->Label21, &ClickLabel::clicked, this, &TForm1::deletedCountResetRequested);

    connect(messagesPage, &MessagesPage::deleteRequested, this, &TForm1::Button10Click);
    connect(messagesPage, &MessagesPage::addToWhitelistRequested, this,
            &TForm1::AddToWhitelistClick);
    connect(messagesPage, &MessagesPage::removeFromWhitelistRequested, this,
            &TForm1::RemoveFromWhitelistClick);
    connect(messagesPage, &MessagesPage::readMessageRequested, this,
            [this] { queueCommand(cmdReadMessage); });

    ConfigPage &config = *configPage;
    const auto showAccount = [this] { topBar->showAccount(configPage->accountText()); };
    connect(&config, &ConfigPage::accountChanged, this, showAccount);
    connect(&config, &ConfigPage::diagnosticModeChanged, this, [this](bool on) {
        messagesPage->setDiagnosticMode(on);
        if (on)
            configPage->SpeedButton11->show();
    });
    connect(&config, &ConfigPage::mailToolChanged, this, &TForm1::mailToolChanged);
    connect(&config, &ConfigPage::statusText, status.statustext, &QLabel::setText);
    connect(&config, &ConfigPage::portRefused, this, &TForm1::portRefused);
    connect(&config, &ConfigPage::deletedCountResetRequested, this,
            &TForm1::deletedCountResetRequested);
}

// ---- pages -------------------------------------------------------------------------------

QWidget *TForm1::activePage() const { return PageControl1->currentWidget(); }

void TForm1::showPageWidget(QWidget *page)
{
    PageControl1->setCurrentWidget(page);
    if (page == startPage)
        startPage->showLocalIp();
    emit pageShown(page->objectName());
}

void TForm1::showConfigAccounts()
{
    configPage->showAccounts();
    showPageWidget(configPage);
}

void TForm1::setLocalIp(const std::string &ip)
{
    startPage->setLocalIp(ip);
    if (activePage() == startPage)
        startPage->showLocalIp();
}

void TForm1::setConnectionOpen(bool open) { messagesPage->setConnectionOpen(open); }

// ---- main button and friends ------------------------------------------------------------

void TForm1::queueCommand(int code) { emit commandQueued(code); }

// The main button, "/ All" and the delete button only queue: the Screener decides by its mode.
void TForm1::Button1Click() { m_screener->dispatcher.Button1Click(); }

void TForm1::SpeedButton30Click() { m_screener->dispatcher.SpeedButton30Click(); }

void TForm1::Button10Click()
{
    stayShownAfterCheck();
    m_screener->dispatcher.Button10Click();
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == topBar->Edit4 && event->type() == QEvent::KeyRelease)
        statusArea->SpeedButton2->setEnabled(!topBar->Edit4->text().isEmpty());
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::portRefused(const std::string &text)
{
    statusArea->statustext->setText(fromBytes(text));
    m_screener->prompter().message(Prompter::Kind::Warning, text);
}

void TForm1::mailToolChanged(bool present)
{
    topBar->SpeedButton6->setEnabled(present);
    if (m_tray)
        m_tray->setMailToolEnabled(present);
}

void TForm1::setBusy(bool busy)
{
    if (busy == m_busy)
        return;
    m_busy = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

// ---- closing and hiding ------------------------------------------------------------------

bool TForm1::trayIconPresent() const
{
    return m_trayIconPresent && QSystemTrayIcon::isSystemTrayAvailable();
}

void TForm1::ProgramExit()
{
    if (m_busy)
        return;
    m_exiting = true;
    close();
}

void TForm1::HideWindow()
{
    // Without a tray icon a hidden window could not be brought back: minimise instead.
    if (trayIconPresent())
        hide();
    else
        showMinimized();
}

void TForm1::closeEvent(QCloseEvent *event)
{
    if (!m_exiting && trayIconPresent()) {
        // The window's own close only hides it; the tray icon brings it back.
        hide();
        event->ignore();
        return;
    }
    // Closing by the window itself acts as "Program Exit", which waits while a command runs.
    if (!m_exiting && m_screener->dispatcher.dispatching()) {
        event->ignore();
        return;
    }
    m_exiting = true;
    for (QTimer *timer : {Timer1, Timer2, Timer3, Timer4, Timer5, Timer6, Poller})
        timer->stop();
    emit aboutToExit();
    event->accept();
}

void TForm1::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    // Minimised with a tray: the window is hidden to the tray. Its minimised state stays until
    // the tray shows it again (showFromTray), because taking the state away maps the window
    // again on X11 and left an empty frame on screen while the program thought it hidden.
    if (event->type() == QEvent::WindowStateChange && isMinimized() && trayIconPresent())
        QTimer::singleShot(0, this, [this] {
            if (isMinimized())
                hide();
        });
}

// Queued commands wait while the configuration page is shown, and a hidden window is never
// left by the user: hiding it leaves that page, so the automatic checks go on.
void TForm1::hideEvent(QHideEvent *event)
{
    QMainWindow::hideEvent(event);
    if (!m_exiting && activePage() == configPage)
        showPageWidget(messagesPage);
}

// ---- layout ------------------------------------------------------------------------------

void TForm1::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    fitLayout();
    Timer5->start();
}

void TForm1::fitLayout() { messagesPage->fitSplit(); }

// The window never stays narrower than the top bar's "Help" button or lower than 450 pixels.
void TForm1::sizeGuard()
{
    Timer5->stop();
    const QToolButton *help = topBar->SpeedButton21;
    const int helpRight = help->mapTo(this, QPoint(help->width(), 0)).x();
    const int minWidth = helpRight + 10;
    QSize size = this->size();
    if (size.width() < minWidth)
        size.setWidth(minWidth);
    if (size.height() < 450)
        size.setHeight(450);
    if (size != this->size())
        resize(size);
}

}  // namespace kestrix
