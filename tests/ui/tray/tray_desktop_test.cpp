// The real tray: the window and its tray icon on an X server (Xvfb) with a tray host (trayer)
// and a window manager (openbox), clicked with xdotool like a user would. A check started from
// the tray runs against a throw-away Dovecot; the window hides again after it unless mail from
// unknown senders came in (also when nothing new came in), and hiding it from the configuration
// page leaves that page so that queued checks run. Minimising hides the window without leaving a frame behind, and the
// tray brings it back in its normal state. The program itself (a separate process) ends on
// "&Exit" after its window was closed to the tray, and without a tray host its close ends it.
#include "screening/screener.h"
#include "screening/tray_control.h"
#include "support/dovecot_server.h"
#include "support/window_fixture.h"
#include "support/x_desktop_main.h"
#include "ui/form1.h"
#include "ui/tray_icon.h"
#include "ui/ui_widgets.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <memory>

using namespace kestrix;
using test::DovecotServer;
using test::XDesktop;

namespace {

XDesktop *g_desktop = nullptr;  // the desktop of the in-process window (tray and openbox)

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The visible windows of a program (by its window class).
QStringList visibleWindows(XDesktop &desktop, const QString &windowClass)
{
    return desktop
        .run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                         QStringLiteral("--class"), windowClass})
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// The tray icon of a program: its small visible window, docked in the tray host ("" until
// the tray host shows it).
QString trayIconWindow(XDesktop &desktop, const QString &windowClass)
{
    for (const QString &window : visibleWindows(desktop, windowClass)) {
        const QString geometry = desktop.run(QStringLiteral("xdotool"),
                                             {QStringLiteral("getwindowgeometry"), window});
        const QString size = geometry.section(QStringLiteral("Geometry: "), 1).trimmed();
        const int width = size.section(QLatin1Char('x'), 0, 0).toInt();
        const int height = size.section(QLatin1Char('x'), 1, 1).toInt();
        if (width > 0 && width <= 48 && height > 0 && height <= 48)
            return window.trimmed();
    }
    return {};
}

// Clicks on the tray icon of a program with the given mouse button.
bool clickTrayIcon(XDesktop &desktop, const QString &windowClass, int button)
{
    QString icon;
    if (!QTest::qWaitFor([&] { return !(icon = trayIconWindow(desktop, windowClass)).isEmpty(); },
                         15000))
        return false;
    desktop.run(QStringLiteral("xdotool"),
                {QStringLiteral("mousemove"), QStringLiteral("--window"), icon,
                 QStringLiteral("8"), QStringLiteral("8"), QStringLiteral("click"),
                 QString::number(button)});
    return true;
}

QString ownClass() { return QCoreApplication::applicationName(); }

// Right-clicks the icon until the menu is open. Right after the window was hidden the window
// manager is still moving the focus, which can close a menu the moment it opens; a user would
// simply click again.
bool openTrayMenu(XDesktop &desktop, const QString &windowClass, const std::function<bool()> &open)
{
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (!clickTrayIcon(desktop, windowClass, 3))
            return false;
        if (QTest::qWaitFor(open, 2000))
            return true;
    }
    return false;
}

// A profile file with the account of the Dovecot; every other setting keeps its default.
QByteArray profileFor(const DovecotServer &dovecot)
{
    return "0\r\n" + QByteArray::fromStdString(dovecot.host()) + "\r\n" +
           QByteArray::number(dovecot.port()) + "\r\n" + QByteArray::fromStdString(dovecot.user()) +
           "\r\n";
}

bool holdsSender(const Screener &screener, const char *name)
{
    for (const DownloadedRow &row : screener.messages.rows)
        if (row.sender.find(name) != std::string::npos)
            return true;
    return false;
}

}  // namespace

class TrayDesktopTest : public QObject {
    Q_OBJECT

private slots:
    void clickChecksAndHidesAgainUnlessUnknownSenders();
    void minimiseHidesWithoutAFrameAndTheTrayRestoresNormal();
    void menuOffersHideOnlyWhileShownAndStartsTheMailTool();
    void exitFromTheTrayEndsTheProgramAfterCloseToTray();
    void withoutATrayHostCloseEndsTheProgramAndSaves();
};

void TrayDesktopTest::clickChecksAndHidesAgainUnlessUnknownSenders()
{
    if (!DovecotServer::available())
        QSKIP("Dovecot is not installed");
    QVERIFY(QSystemTrayIcon::isSystemTrayAvailable());
    DovecotServer::Options account;
    account.password = "Qz7-pass-4711";
    DovecotServer dovecot({DovecotServer::makeMessage("Alice <alice@example.org>", "Lunch")},
                          account);
    QTemporaryDir data;
    writeFile(data.filePath(QStringLiteral("default.ini")), profileFor(dovecot));
    writeFile(data.filePath(QStringLiteral("default.acc")), "Alice <alice@example.org>\r\n");

    test::WindowFixture run(data.path());
    TForm1 &form = run.form;
    WindowController &controller = run.controller;
    controller.start(std::nullopt);
    form.createTrayIcon();
    QVERIFY(form.trayIcon());
    form.Timer1->setInterval(300);  // the hide-again step, shortened
    Screener &screener = controller.screener();
    QCOMPARE(screener.profile.settings.TrayAction, 1);
    form.topBar->Edit4->setText(QString::fromStdString(dovecot.password()));

    // Hidden in the tray, all mail trusted: a click shows the window, checks, hides again.
    QVERIFY(!form.isVisible());
    QVERIFY(clickTrayIcon(*g_desktop, ownClass(), 1));
    QTRY_VERIFY(form.isVisible());
    QCOMPARE(form.activePage(), form.messagesPage);
    QTRY_VERIFY_WITH_TIMEOUT(screener.messages.hasMessages() && screener.dispatcher.pendingCommand == cmdIdle &&
                                 !screener.dispatcher.dispatching(),
                             20000);
    QCOMPARE(int(screener.messages.rows.size()), 1);
    QTRY_VERIFY_WITH_TIMEOUT(!form.isVisible(), 10000);
    QVERIFY(!form.hideAfterCheck());

    // Nothing to look at (the mail was fetched elsewhere): the window hides again all the same.
    dovecot.removeMessage(1);
    QVERIFY(clickTrayIcon(*g_desktop, ownClass(), 1));
    QTRY_VERIFY(form.isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!form.isVisible(), 20000);
    QCOMPARE(int(screener.messages.rows.size()), 0);

    // Hidden from the configuration page: the page is left, so queued checks still run.
    form.showFromTray();
    form.showConfigAccounts();
    form.HideWindow();
    QTRY_VERIFY(!form.isVisible());
    QVERIFY(form.activePage() != form.configPage);
    screener.dispatcher.pendingCommand = cmdCheckNewMail;
    QTRY_VERIFY_WITH_TIMEOUT(screener.dispatcher.pendingCommand == cmdIdle && !screener.dispatcher.dispatching(), 20000);

    // Mail from an unknown sender arrives: the window stays after the check.
    dovecot.addMessage(DovecotServer::makeMessage("Mallory <m@prize.example>", "You won"));
    QVERIFY(clickTrayIcon(*g_desktop, ownClass(), 1));
    QTRY_VERIFY(form.isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!screener.dispatcher.dispatching() && screener.dispatcher.pendingCommand == cmdIdle &&
                                 holdsSender(screener, "Mallory"),
                             20000);
    QTRY_VERIFY(!form.Timer1->isActive());
    QVERIFY(form.messagesPage->Panel3->isVisible());
    QVERIFY(form.isVisible());
    form.exitProgram();
}

void TrayDesktopTest::minimiseHidesWithoutAFrameAndTheTrayRestoresNormal()
{
    test::WindowFixture run;
    TForm1 &form = run.form;
    run.controller.start(std::nullopt);
    form.createTrayIcon();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const unsigned long window = form.winId();
    QTRY_COMPARE(g_desktop->mapState(window), QStringLiteral("IsViewable"));

    g_desktop->run(QStringLiteral("xdotool"),
                   {QStringLiteral("windowminimize"), QString::number(window)});
    QTRY_VERIFY(!form.isVisible());
    // Not merely iconified behind an empty frame: the window is off the screen.
    QTRY_COMPARE(g_desktop->mapState(window), QStringLiteral("IsUnMapped"));

    QVERIFY(clickTrayIcon(*g_desktop, ownClass(), 1));
    QTRY_VERIFY(form.isVisible());
    QTRY_VERIFY(!form.isMinimized());
    QTRY_COMPARE(g_desktop->mapState(window), QStringLiteral("IsViewable"));
    QVERIFY(g_desktop->run(QStringLiteral("xprop"),
                           {QStringLiteral("-id"), QString::number(window),
                            QStringLiteral("WM_STATE")})
                .contains(QStringLiteral("Normal")));
    form.exitProgram();
}

void TrayDesktopTest::menuOffersHideOnlyWhileShownAndStartsTheMailTool()
{
    QTemporaryDir data;
    // The mail program records that it ran.
    const QString mailTool = data.filePath(QStringLiteral("mailtool.sh"));
    const QString record = data.filePath(QStringLiteral("ran"));
    writeFile(mailTool, "#!/bin/sh\necho \"$@\" > '" + record.toLocal8Bit() + "'\n");
    QFile::setPermissions(mailTool, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    test::WindowFixture run(data.path());
    TForm1 &form = run.form;
    WindowController &controller = run.controller;
    controller.start(std::nullopt);
    form.createTrayIcon();
    TTBNArea &tray = *form.trayIcon();
    QStringList captions;
    for (QAction *item : tray.PopupMenu1->actions())
        if (item->isVisible())
            captions << (item->isSeparator() ? QStringLiteral("-") : item->text());
    QCOMPARE(captions, (QStringList{QStringLiteral("&Hide"), QStringLiteral("&Show"),
                                    QStringLiteral("&Get Messages"), QStringLiteral("-"),
                                    QStringLiteral("Mailtool"), QStringLiteral("-"),
                                    QStringLiteral("&Exit")}));
    QVERIFY(!tray.Mailtool1->isEnabled());

    form.configPage->Edit5->setText(mailTool);
    form.configPage->Edit6->setText(QStringLiteral("-compose"));
    form.configPage->CheckBox3->setChecked(true);
    form.configPage->updateMailToolButtons();
    QVERIFY(tray.Mailtool1->isEnabled());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    // Right click: the menu opens with "&Hide" while the window is shown.
    QVERIFY(openTrayMenu(*g_desktop, ownClass(), [&] { return tray.PopupMenu1->isVisible(); }));
    QVERIFY(tray.Hide1->isVisible());
    g_desktop->run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Escape")});
    QTRY_VERIFY(!tray.PopupMenu1->isVisible());

    // "Mailtool" starts the program and, with HideOnMailTool, hides the window.
    tray.Mailtool1->trigger();
    QTRY_VERIFY(QFile::exists(record));
    QTRY_VERIFY(!form.isVisible());
    QFile ran(record);
    QVERIFY(ran.open(QIODevice::ReadOnly));
    QCOMPARE(ran.readAll(), QByteArray("-compose\n"));

    QVERIFY(openTrayMenu(*g_desktop, ownClass(), [&] { return tray.PopupMenu1->isVisible(); }));
    QVERIFY(!tray.Hide1->isVisible());
    g_desktop->run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Escape")});
    form.exitProgram();
}

namespace {

// The program as a user starts it, on a desktop of its own, in a fresh data folder.
struct ProgramRun {
    explicit ProgramRun(XDesktop &desktop, const QString &dataDir)
    {
        QProcessEnvironment env = desktop.environment();
        env.insert(QStringLiteral("KESTRIX_DIR"), dataDir);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(KESTRIX_PROGRAM), {});
    }
    ~ProgramRun()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
    bool ended(int limitMs = 10000)
    {
        return process.state() == QProcess::NotRunning || process.waitForFinished(limitMs);
    }
    QProcess process;
};

QString mainWindowOf(XDesktop &desktop)
{
    return desktop
        .run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                         QStringLiteral("--name"), QStringLiteral("Version 3.0.2")})
        .section(QLatin1Char('\n'), 0, 0)
        .trimmed();
}

// The window manager's close (Alt+F4 on the active window), repeated until it took effect: a
// key sent before the window manager has given the window the focus goes nowhere.
void closeByWindowManager(XDesktop &desktop, const QString &window,
                          const std::function<bool()> &closed)
{
    for (int attempt = 0; attempt < 10 && !closed(); ++attempt) {
        desktop.run(QStringLiteral("xdotool"),
                    {QStringLiteral("windowactivate"), QStringLiteral("--sync"), window});
        desktop.run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("alt+F4")});
        if (QTest::qWaitFor(closed, 2000))
            return;
    }
}

}  // namespace

void TrayDesktopTest::exitFromTheTrayEndsTheProgramAfterCloseToTray()
{
    XDesktop desktop({true, true});
    QTemporaryDir data;
    ProgramRun program(desktop, data.path());
    QString window;
    QTRY_VERIFY_WITH_TIMEOUT(!(window = mainWindowOf(desktop)).isEmpty(), 15000);
    closeByWindowManager(desktop, window, [&] {
        return desktop.mapState(window.toULong()) == QStringLiteral("IsUnMapped");
    });
    QVERIFY(program.process.state() == QProcess::Running);  // only hidden to the tray

    // Right click on the icon; the menu is open when a second window of the program shows.
    QVERIFY(openTrayMenu(desktop, QStringLiteral("kestrix"), [&] {
        return visibleWindows(desktop, QStringLiteral("kestrix")).size() >= 2;
    }));
    // "e" chooses "&Exit" once the menu has the keyboard.
    for (int attempt = 0; attempt < 10 && program.process.state() != QProcess::NotRunning;
         ++attempt) {
        desktop.run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("e")});
        program.ended(1500);
    }
    QVERIFY2(program.ended(), "the program still runs after \"&Exit\"");
    QCOMPARE(program.process.exitCode(), 0);
    QVERIFY(QFile::exists(data.filePath(QStringLiteral("Kestrix.pro"))));
    QVERIFY(QFile::exists(data.filePath(QStringLiteral("default.ini"))));
}

void TrayDesktopTest::withoutATrayHostCloseEndsTheProgramAndSaves()
{
    XDesktop desktop({true, false});
    QTemporaryDir data;
    ProgramRun program(desktop, data.path());
    QString window;
    QTRY_VERIFY_WITH_TIMEOUT(!(window = mainWindowOf(desktop)).isEmpty(), 15000);
    closeByWindowManager(desktop, window,
                         [&] { return program.process.state() == QProcess::NotRunning; });
    QVERIFY2(program.ended(), "the program still runs after its window was closed");
    QCOMPARE(program.process.exitCode(), 0);
    QVERIFY(QFile::exists(data.filePath(QStringLiteral("Kestrix.pro"))));
    QVERIFY(QFile::exists(data.filePath(QStringLiteral("default.ini"))));
}

int main(int argc, char **argv)
{
    return runOnXDesktop(argc, argv, g_desktop, [&] {
        TrayDesktopTest test;
        return QTest::qExec(&test, argc, argv);
    });
}

#include "tray_desktop_test.moc"
