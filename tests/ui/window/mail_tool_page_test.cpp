// The "&E-Mail Client" sub-page on the real widgets: "Mail Tool" and the tray item follow
// whether Edit5 names an executable file, the desktop's default is filled in (by the button and
// when the tab is chosen with no path), "Test Mail Tool Settings" starts the program at once and
// tells a failure in the status line, and "Mail Tool" runs through the dispatcher and hides the
// window with HideOnMailTool.
#include "screening/pending_command.h"
#include "screening/screener.h"
#include "ui/form1.h"
#include "support/window_fixture.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace kestrix;

namespace {

void writeScript(const QString &path, const QByteArray &text, bool executable = true)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
    file.close();
    if (executable)
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A mail program that writes its arguments, one per line, to `record`.
QByteArray recordingScript(const QString &record)
{
    return "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > '" + record.toLocal8Bit() +
           ".tmp'\nmv '" + record.toLocal8Bit() + ".tmp' '" + record.toLocal8Bit() + "'\n";
}

}  // namespace

class MailToolPageTest : public QObject {
    Q_OBJECT

private slots:
    void buttonsFollowWhetherThePathNamesAProgram()
    {
        QTemporaryDir dir;
        // The window with its Screener: the window's timers query it from the first tick on.
        test::WindowFixture window;
        TForm1 &form = window.form;
        const QString program = dir.filePath(QStringLiteral("mailer"));
        const QString plain = dir.filePath(QStringLiteral("notes.txt"));
        writeScript(program, "#!/bin/sh\n");
        writeScript(plain, "text", false);
        QVERIFY(!form.topBar->SpeedButton6->isEnabled());  // disabled at start
        const struct {
            QString path;
            bool enabled;
        } cases[] = {{program, true}, {plain, false}, {dir.path(), false},
                     {dir.filePath(QStringLiteral("none")), false}, {QString(), false},
                     {program, true}};
        for (const auto &c : cases) {
            form.configPage->Edit5->setText(c.path);
            emit form.configPage->Edit5->editingFinished();
            QVERIFY2(form.topBar->SpeedButton6->isEnabled() == c.enabled, qPrintable(c.path));
        }
        // A profile whose path names no program loads with the button off.
        ProfileSettings settings;
        settings.MailToolPath = plain.toStdString();
        form.showSettings(settings);
        QVERIFY(!form.topBar->SpeedButton6->isEnabled());
        settings.MailToolPath = program.toStdString();
        form.showSettings(settings);
        QVERIFY(form.topBar->SpeedButton6->isEnabled());
    }

    void defaultMailToolFromTheDesktop()
    {
        QTemporaryDir dir;
        const QString bin = dir.filePath(QStringLiteral("bin"));
        const QString apps = dir.filePath(QStringLiteral("share/applications"));
        QVERIFY(QDir().mkpath(bin) && QDir().mkpath(apps));
        writeScript(bin + QStringLiteral("/xdg-mime"), "#!/bin/sh\necho kmailer.desktop\n");
        writeScript(bin + QStringLiteral("/kmailer"), "#!/bin/sh\n");
        writeScript(apps + QStringLiteral("/kmailer.desktop"),
                    "[Desktop Entry]\nType=Application\nExec=kmailer %u\n", false);
        const QByteArray savedPath = qgetenv("PATH");
        const QByteArray savedHome = qgetenv("XDG_DATA_HOME");
        qputenv("PATH", bin.toLocal8Bit() + ":/usr/bin:/bin");
        qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("share")).toLocal8Bit());

        // The window with its Screener: the window's timers query it from the first tick on.
        test::WindowFixture window;
        TForm1 &form = window.form;
        form.configPage->Edit5->setText(QStringLiteral("/somewhere/else"));
        QTest::mouseClick(form.configPage->SpeedButton22, Qt::LeftButton);
        QCOMPARE(form.configPage->Edit5->text(), bin + QStringLiteral("/kmailer"));
        QVERIFY(form.topBar->SpeedButton6->isEnabled());

        // Choosing the sub-page by its tab looks only while no path is set.
        const int tab = form.configPage->PageControl2->indexOf(form.configPage->TabSheet10);
        form.configPage->Edit5->setText(QStringLiteral("/kept/as/typed"));
        emit form.configPage->PageControl2->tabBarClicked(tab);
        QCOMPARE(form.configPage->Edit5->text(), QStringLiteral("/kept/as/typed"));
        form.configPage->Edit5->clear();
        emit form.configPage->PageControl2->tabBarClicked(tab);
        QCOMPARE(form.configPage->Edit5->text(), bin + QStringLiteral("/kmailer"));

        // No handler: the field is emptied.
        writeScript(bin + QStringLiteral("/xdg-mime"), "#!/bin/sh\nexit 0\n");
        QTest::mouseClick(form.configPage->SpeedButton22, Qt::LeftButton);
        QCOMPARE(form.configPage->Edit5->text(), QString());
        QVERIFY(!form.topBar->SpeedButton6->isEnabled());

        qputenv("PATH", savedPath);
        if (savedHome.isNull())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", savedHome);
    }

    void testButtonStartsAtOnceAndTellsFailures()
    {
        QTemporaryDir dir;
        const QString program = dir.filePath(QStringLiteral("mail tool"));
        const QString record = dir.filePath(QStringLiteral("record"));
        writeScript(program, recordingScript(record));
        // The window with its Screener: the window's timers query it from the first tick on.
        test::WindowFixture window;
        TForm1 &form = window.form;
        form.show();
        form.configPage->Edit5->setText(program);
        form.configPage->Edit6->setText(QStringLiteral("-compose 'to=a b'"));
        QTest::mouseClick(form.configPage->SpeedButton23, Qt::LeftButton);
        QTRY_VERIFY(QFile::exists(record));
        QCOMPARE(readFile(record), QByteArray("-compose\nto=a b\n"));
        QVERIFY(form.isVisible());  // the test start never hides the window
        QCOMPARE(form.statusArea->statustext->text(), QString());

        form.configPage->Edit5->setText(dir.filePath(QStringLiteral("missing")));
        QTest::mouseClick(form.configPage->SpeedButton23, Qt::LeftButton);
        QVERIFY2(form.statusArea->statustext->text().startsWith(QStringLiteral("Mail tool could not be started: ")),
                 qPrintable(form.statusArea->statustext->text()));
        QVERIFY(form.statusArea->statustext->text().contains(QStringLiteral("missing")));
    }

    void mailToolRunsThroughTheDispatcherAndHides()
    {
        QTemporaryDir dir;
        const QString program = dir.filePath(QStringLiteral("mailer"));
        const QString record = dir.filePath(QStringLiteral("record"));
        writeScript(program, recordingScript(record));
        test::WindowFixture window;
        TForm1 &form = window.form;
        window.controller.start(std::nullopt);
        form.show();
        Screener &screener = window.screener();
        form.configPage->Edit5->setText(program);
        form.configPage->Edit6->setText(QStringLiteral("-mail"));
        form.configPage->CheckBox3->setChecked(true);
        emit form.configPage->Edit5->editingFinished();
        QVERIFY(form.topBar->SpeedButton6->isEnabled());
        QCOMPARE(screener.profile.settings.MailToolPath, program.toStdString());
        QVERIFY(screener.profile.settings.HideOnMailTool);

        QTest::mouseClick(form.topBar->SpeedButton6, Qt::LeftButton);
        QCOMPARE(screener.dispatcher.pendingCommand, cmdStartMailTool);
        // One dispatcher tick starts it and hides the window (minimised without a tray).
        QTRY_VERIFY(screener.dispatcher.pendingCommand == cmdIdle);
        QVERIFY(!form.isVisible() || form.isMinimized());
        QTRY_VERIFY(QFile::exists(record));
        QCOMPARE(readFile(record), QByteArray("-mail\n"));
        QVERIFY(form.Timer2->isActive());

        // A program that cannot start is ignored: the command still ends.
        form.showNormal();
        form.configPage->CheckBox3->setChecked(false);
        form.configPage->Edit5->setText(dir.filePath(QStringLiteral("gone")));
        screener.dispatcher.pendingCommand = cmdStartMailTool;
        QTRY_VERIFY(screener.dispatcher.pendingCommand == cmdIdle);
        QVERIFY(form.isVisible() && !form.isMinimized());
        QVERIFY(form.Timer2->isActive());
        form.ProgramExit();
    }
};

QTEST_MAIN(MailToolPageTest)
#include "mail_tool_page_test.moc"
