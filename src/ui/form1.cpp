// TForm1: construction, navigation between pages, the main button, the password and account
// fields, closing, and the layout rules on resize.
#include "ui/form1.h"

#include "screening/diagnostic_mode.h"
#include "screening/pending_command.h"
#include "screening/prompter.h"
#include "screening/screener.h"
#include "screening/update_check.h"
#include "screening/tray_control.h"
#include "text/latin1.h"
#include "ui/app_icon.h"
#include "ui/grid_paint_rules.h"
#include "ui/help_page.h"
#include "ui/port_validator.h"
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

    buildTopBar();
    buildPages();
    buildStatusBar();

    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(Panel8);
    column->addWidget(PageControl1, 1);
    column->addWidget(ProgressBar1);
    column->addWidget(Panel9);

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
    connectMessagesPage();
    connectConfigPage();
    connectMailToolPage();
    // The description box and the list/details split follow their own panels' sizes.
    Panel10->installEventFilter(this);
    TabSheet3->installEventFilter(this);

    m_splitRatio = kDesignSplitRatio;
    resize(761, 526);
    PageControl1->setCurrentWidget(TabSheet1);
}

TForm1::~TForm1() { m_trayControl.reset(); }

void TForm1::buildPages()
{
    PageControl1 = named(new QStackedWidget(this), "PageControl1");
    const auto page = [this](const char *name) {
        auto *w = named(new QWidget(PageControl1), name);
        PageControl1->addWidget(w);
        return w;
    };
    TabSheet1 = page("TabSheet1");
    TabSheet3 = page("TabSheet3");
    TabSheet4 = page("TabSheet4");
    TabSheet5 = page("TabSheet5");
    TabSheet6 = page("TabSheet6");
    TabSheet7 = page("TabSheet7");
    TabSheet2 = page("TabSheet2");  // holds nothing visible; never shown
    buildStartPage();
    buildMessagesPage();
    buildConfigPage();
    buildListPages();
}

void TForm1::connectTopBar()
{
    connect(SpeedButton3, &QToolButton::clicked, this, [this] { showPageWidget(TabSheet1); });
    connect(SpeedButton4, &QToolButton::clicked, this, [this] { showPageWidget(TabSheet3); });
    connect(SpeedButton17, &QToolButton::clicked, this, &TForm1::showConfigAccounts);
    connect(SpeedButton18, &QToolButton::clicked, this, [this] { showPageWidget(TabSheet4); });
    connect(SpeedButton19, &QToolButton::clicked, this, [this] { showPageWidget(TabSheet6); });
    connect(SpeedButton7, &QToolButton::clicked, this, [this] { showPageWidget(TabSheet7); });
    connect(SpeedButton6, &QToolButton::clicked, this, [this] { queueCommand(cmdStartMailTool); });
    connect(SpeedButton13, &QToolButton::clicked, this, &TForm1::HideWindow);
    connect(SpeedButton20, &QToolButton::clicked, this, &TForm1::updateCheckRequested);
    connect(SpeedButton21, &QToolButton::clicked, this, [this] {
        // The HTML help page beside the program or where the installation put it, in the
        // desktop's browser; the status line says so when there is none to open.
        if (!openHelpPage())
            statustext->setText(QStringLiteral("No help page to open (kestrix-help.html)"));
    });

    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(SpeedButton30, &QToolButton::clicked, this, &TForm1::SpeedButton30Click);
    connect(Edit4, &QLineEdit::returnPressed, this, [this] {
        if (Button1->isEnabled())
            Button1Click();
    });
    Edit4->installEventFilter(this);
    connect(SpeedButton12, &QToolButton::clicked, this, [this] {
        if (!m_busy)
            emit profileSwitchRequested(-1);
    });
    connect(SpeedButton15, &QToolButton::clicked, this, [this] {
        if (!m_busy)
            emit profileSwitchRequested(+1);
    });
    for (ClickLabel *label : {Label28, Label29, Label32, Label30})
        connect(label, &ClickLabel::clicked, this, &TForm1::showConfigAccounts);
    connect(SpeedButton1, &QToolButton::clicked, this, &TForm1::ProgramExit);
    connect(StaticText2, &ClickLabel::clicked, this, &TForm1::updateCheckRequested);
    connect(Label21, &ClickLabel::clicked, this, &TForm1::deletedCountResetRequested);
    connect(CheckBox1, &QCheckBox::toggled, this, &TForm1::allowDeleteClicked);
}

void TForm1::connectConfigPage()
{
    connect(Button13, &QPushButton::clicked, this, &TForm1::configPrevious);
    connect(Button11, &QPushButton::clicked, this, &TForm1::configNext);
    connect(Edit1, &QLineEdit::textChanged, this, &TForm1::updateAccountLabel);
    connect(Edit3, &QLineEdit::textChanged, this, [this] {
        updateAccountLabel();
        userIdChanged();
    });
    Edit2->setValidator(new PortValidator(Edit2));
    Edit2->installEventFilter(this);
    connect(Edit2, &QLineEdit::textEdited, this, [this](const QString &text) {
        if (PortValidator::usable(text))
            m_acceptedPort = text;
    });
    connect(button16, &QPushButton::clicked, this, &TForm1::deletedCountResetRequested);
}

// ---- pages -------------------------------------------------------------------------------

QWidget *TForm1::activePage() const { return PageControl1->currentWidget(); }

void TForm1::showPageWidget(QWidget *page)
{
    PageControl1->setCurrentWidget(page);
    if (page == TabSheet1)
        Label15->setText(QString::fromLatin1(m_localIp.data(), qsizetype(m_localIp.size())));
    emit pageShown(page->objectName());
}

void TForm1::showConfigAccounts()
{
    PageControl2->setCurrentWidget(TabSheet8);
    showPageWidget(TabSheet5);
}

void TForm1::configPrevious()
{
    const int index = PageControl2->currentIndex();
    if (index > 0)
        PageControl2->setCurrentIndex(index - 1);
}

void TForm1::configNext()
{
    const int index = PageControl2->currentIndex();
    if (index < PageControl2->count() - 1)
        PageControl2->setCurrentIndex(index + 1);
}

void TForm1::setLocalIp(const std::string &ip)
{
    m_localIp = ip;
    if (activePage() == TabSheet1)
        Label15->setText(QString::fromLatin1(ip.data(), qsizetype(ip.size())));
}

// ---- main button and friends ------------------------------------------------------------

void TForm1::queueCommand(int code) { emit commandQueued(code); }

// The main button, "/ All" and the delete button only queue: the Screener decides by its mode.
void TForm1::Button1Click() { m_screener->Button1Click(); }

void TForm1::SpeedButton30Click() { m_screener->SpeedButton30Click(); }

void TForm1::Button10Click()
{
    // The user is at work in the window: it no longer hides itself after a tray check.
    hideAfterCheck = false;
    m_screener->Button10Click();
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == Panel10 || watched == TabSheet3) && event->type() == QEvent::Resize)
        fitLayout();
    if (watched == shape1 && event->type() == QEvent::Hide)
        setBackground(shape1, colours::green);
    if (watched == Edit2 && event->type() == QEvent::FocusOut)
        portLeft();
    if (watched == Edit4 && event->type() == QEvent::KeyRelease)
        SpeedButton2->setEnabled(!Edit4->text().isEmpty());
    if ((watched == SpeedButton32 || watched == SpeedButton33) &&
        event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::RightButton) {
        auto *button = static_cast<QWidget *>(watched);
        prepareContextMenu(true, 0);  // as a right click on the grid, staying on the row
        PopupMenu2->popup(button->mapToGlobal(QPoint(0, button->height())));
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::updateAccountLabel()
{
    Label30->setText(Edit3->text() + QLatin1Char('@') + Edit1->text());
}

bool TForm1::diagnosticMode() const
{
    return isDiagnosticUser(toBytes(Edit3->text()));
}

void TForm1::userIdChanged()
{
    if (diagnosticMode()) {
        SpeedButton24->show();
        SpeedButton11->show();
    } else {
        SpeedButton24->hide();
    }
}

// The validator refuses keystrokes that cannot make a port; what it lets stand while typing
// ("0") is put back to the last usable port when the field is left, with one message.
void TForm1::portLeft()
{
    if (m_refusingPort || Edit2->text().isEmpty() || PortValidator::usable(Edit2->text()))
        return;
    m_refusingPort = true;
    Edit2->setText(m_acceptedPort);
    const std::string refusal = "The port must be a number from 1 to 65535 !";
    statustext->setText(L1(refusal.c_str()));
    m_screener->prompter().message(Prompter::Kind::Warning, refusal);
    m_refusingPort = false;
}

int TForm1::selectedProfileIndex() const { return ComboBox1->currentIndex(); }

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
    if (!m_exiting && m_screener->dispatching()) {
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

// ---- layout ------------------------------------------------------------------------------

void TForm1::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    fitLayout();
    Timer5->start();
}

void TForm1::fitLayout()
{
    Memo1->resize(std::min(460, std::max(100, Panel10->width() - 16)),
                  std::min(200, std::max(60, Panel10->height() - 16)));
    Memo1->move(Panel10->width() / 2 - Memo1->width() / 2,
                Panel10->height() / 2 - Memo1->height() / 2);
    const int pageHeight = TabSheet3->height();
    const int listHeight = int(pageHeight * m_splitRatio);
    const int available = Splitter1->height() - Splitter1->handleWidth();
    if (available > 0) {
        const int list = std::clamp(listHeight, 0, available);
        Splitter1->setSizes({list, available - list});
    }
    fitLastColumn();
}

void TForm1::splitterMoved()
{
    if (TabSheet3->height() > 0)
        m_splitRatio = double(Panel14->height()) / double(TabSheet3->height());
}

// The window never stays narrower than the top bar's "Help" button or lower than 450 pixels.
void TForm1::sizeGuard()
{
    Timer5->stop();
    const int helpRight = SpeedButton21->mapTo(this, QPoint(SpeedButton21->width(), 0)).x();
    const int minWidth = helpRight + 10;
    QSize size = this->size();
    if (size.width() < minWidth)
        size.setWidth(minWidth);
    if (size.height() < 450)
        size.setHeight(450);
    if (size != this->size())
        resize(size);
}

void TForm1::fitLastColumn() { stringgrid1->fitLastColumn(); }

}  // namespace kestrix
