// The main window's controls: the main button's captions and enabled states as the account is
// typed, the password field's keys, the configuration sub-page walk, the port field, the View
// by control names, the size guard, the settings round trip and closing without a tray.
#include "ui/control_glossary.h"
#include "support/window_fixture.h"
#include "screening/screener.h"
#include "ui/form1.h"
#include "ui/form2_update.h"
#include "ui/ui_widgets.h"
#include "ui/wrap_grid.h"
#include "screening/pending_command.h"

#include <QApplication>
#include <QDir>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QCheckBox>
#include <QFocusEvent>
#include <QHeaderView>
#include <QComboBox>
#include <QLabel>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <algorithm>

using namespace kestrix;
using kestrix::test::WindowFixture;

class WindowControlsTest : public QObject {
    Q_OBJECT

private:
    static void typeInto(QLineEdit *edit, const char *text)
    {
        edit->setFocus();
        QTest::keyClicks(edit, QString::fromLatin1(text));
    }

private slots:
    void mainButtonFollowsAccountAndPassword()
    {
        WindowFixture w;
        TForm1 &form = w.form;
        form.refreshTick();
        QCOMPARE(form.topBar->Button1->text(), QStringLiteral("Configure"));
        QVERIFY(form.topBar->Button1->isEnabled());
        QVERIFY(!form.topBar->Edit4->isEnabled());
        QVERIFY(!form.topBar->Label4->isEnabled());
        QVERIFY(!form.topBar->SpeedButton4->isEnabled());  // "Messages" needs an account

        typeInto(form.configPage->Edit1, "pop.example.org");
        typeInto(form.configPage->Edit3, "joe");
        form.refreshTick();
        QCOMPARE(form.topBar->Label30->text(), QStringLiteral("joe@pop.example.org"));
        // Port keeps "110"; with host and user filled the caption turns at the next tick.
        QCOMPARE(form.topBar->Button1->text(), QStringLiteral("Get Mail Headers: New"));
        QVERIFY(!form.topBar->Button1->isEnabled());
        QVERIFY(!form.topBar->SpeedButton30->isEnabled());
        QVERIFY(form.topBar->Edit4->isEnabled());
        QVERIFY(form.topBar->SpeedButton4->isEnabled());
        QCOMPARE(form.topBar->Label4->palette().color(QPalette::WindowText), QColor(0, 0, 128));

        typeInto(form.topBar->Edit4, "secret");
        form.refreshTick();
        QVERIFY(form.topBar->Button1->isEnabled());
        QVERIFY(form.topBar->SpeedButton30->isEnabled());
        QCOMPARE(form.topBar->Edit4->echoMode(), QLineEdit::Password);
        QCOMPARE(form.topBar->Label4->palette().color(QPalette::WindowText), QColor(Qt::black));
        QVERIFY(form.statusArea->SpeedButton2->isEnabled());  // key release with a password

        // Emptying the user id brings "Configure" back, enabled, and locks the password field.
        form.configPage->Edit3->clear();
        form.refreshTick();
        QCOMPARE(form.topBar->Button1->text(), QStringLiteral("Configure"));
        QVERIFY(form.topBar->Button1->isEnabled());
        QVERIFY(!form.topBar->Edit4->isEnabled());
        QVERIFY(!form.topBar->SpeedButton17->isEnabled());
    }

    void enterInPasswordField()
    {
        WindowFixture w;
        TForm1 &form = w.form;
        Screener &screener = w.screener();
        form.configPage->Edit1->setText(QStringLiteral("pop.example.org"));
        form.configPage->Edit3->setText(QStringLiteral("joe"));
        form.refreshTick();
        form.topBar->Edit4->setText(QStringLiteral("x"));
        form.topBar->Button1->setEnabled(false);  // as between a key and the next tick
        QTest::keyClick(form.topBar->Edit4, Qt::Key_Return);
        QCOMPARE(screener.dispatcher.pendingCommand, cmdIdle);
        QCOMPARE(form.activePage(), form.startPage);

        form.refreshTick();
        QVERIFY(form.topBar->Button1->isEnabled());
        QTest::keyClick(form.topBar->Edit4, Qt::Key_Return);
        QCOMPARE(screener.dispatcher.pendingCommand, cmdGetHeaders);
        QCOMPARE(form.activePage(), form.messagesPage);
        QVERIFY(form.statusArea->SpeedButton2->isEnabled());
        QVERIFY(form.topBar->SpeedButton6->isEnabled());
    }

    void mainButtonModes()
    {
        WindowFixture w;
        TForm1 &form = w.form;
        Screener &screener = w.screener();
        form.Button1Click();  // "Configure"
        QCOMPARE(form.activePage(), form.configPage);
        QCOMPARE(form.configPage->PageControl2->currentWidget(), form.configPage->TabSheet8);
        QCOMPARE(screener.dispatcher.pendingCommand, cmdIdle);

        screener.setMainButtonMode(MainButtonMode::GetNew);
        QCOMPARE(form.topBar->Button1->text(), QStringLiteral("Get Mail Headers: New"));
        w.prompter.expectMessage(Prompter::Kind::Information, "Password has not been specified !");
        form.Button1Click();  // no password
        QCOMPARE(w.prompter.pending(), size_t(0));
        QCOMPARE(screener.dispatcher.pendingCommand, cmdIdle);
        QVERIFY(!form.statusArea->SpeedButton2->isEnabled());

        screener.setMainButtonMode(MainButtonMode::Continue);
        QCOMPARE(form.topBar->Button1->text(), QStringLiteral("Continue..."));
        form.Button1Click();
        QCOMPARE(form.activePage(), form.messagesPage);
        QCOMPARE(screener.dispatcher.pendingCommand, cmdReclassify);

        // "/ All" resets the marks first, then acts as the main button.
        screener.dispatcher.pendingCommand = cmdIdle;
        screener.profile.settings.resumeCode = "12";
        screener.setMainButtonMode(MainButtonMode::Process);
        QCOMPARE(form.topBar->Button1->text(), QStringLiteral("Process Suspicuous Mails"));
        form.SpeedButton30Click();
        QCOMPARE(screener.profile.settings.resumeCode, std::string("-1"));
        QCOMPARE(screener.dispatcher.pendingCommand, cmdReclassify);
    }

    void configurationSubPageWalk()
    {
        WindowFixture w;
        TForm1 &form = w.form;
        form.showConfigAccounts();
        form.refreshTick();
        QVERIFY(!form.configPage->Button13->isEnabled());
        QVERIFY(form.configPage->Button11->isEnabled());
        form.configPage->configPrevious();  // nothing before "&Accounts"
        QCOMPARE(form.configPage->PageControl2->currentWidget(), form.configPage->TabSheet8);

        const QList<QWidget *> order{form.configPage->TabSheet9, form.configPage->TabSheet10, form.configPage->TabSheet11,
                                     form.configPage->TabSheet12, form.configPage->TabSheet13};
        for (QWidget *expected : order) {
            QTest::mouseClick(form.configPage->Button11, Qt::LeftButton);
            QCOMPARE(form.configPage->PageControl2->currentWidget(), expected);
        }
        form.refreshTick();
        QVERIFY(form.configPage->Button13->isEnabled());
        QVERIFY(!form.configPage->Button11->isEnabled());
        form.configPage->configNext();  // nothing after "Auto Check for Updates"
        QCOMPARE(form.configPage->PageControl2->currentWidget(), form.configPage->TabSheet13);
        QCOMPARE(form.configPage->PageControl2->tabText(0), QStringLiteral("&Accounts"));
        QCOMPARE(form.configPage->PageControl2->tabPosition(), QTabWidget::South);
        for (int i = 0; i < 5; ++i)
            QTest::mouseClick(form.configPage->Button13, Qt::LeftButton);
        QCOMPARE(form.configPage->PageControl2->currentWidget(), form.configPage->TabSheet8);
    }

    // Keystrokes that cannot make a port are refused quietly; what the field shows is what the
    // connection uses. Leaving the field with "0" puts back the last usable port, with one
    // message.
    void portFieldAndSettingAgree()
    {
        WindowFixture w;
        TForm1 &form = w.form;
        w.controller.start(std::nullopt);
        QCOMPARE(form.configPage->Edit2->text(), QStringLiteral("110"));
        const struct {
            const char *typed;
            const char *shown;
        } cases[] = {
            {"70000", "7000"}, {"110000", "11000"}, {"99x5", "995"},
            {"-1", "1"},       {"65535", "65535"},  {"65536", "6553"},
        };
        for (const auto &c : cases) {
            form.configPage->Edit2->setFocus();
            form.configPage->Edit2->selectAll();
            QTest::keyClick(form.configPage->Edit2, Qt::Key_Backspace);
            QTest::keyClicks(form.configPage->Edit2, QString::fromLatin1(c.typed));
            QCOMPARE(form.configPage->Edit2->text(), QString::fromLatin1(c.shown));
            QCOMPARE(w.screener().profile.settings.Port, std::string(c.shown));
        }
        QVERIFY(w.prompter.asked.empty());

        form.configPage->Edit2->selectAll();
        QTest::keyClicks(form.configPage->Edit2, QStringLiteral("0"));
        QCOMPARE(w.screener().profile.settings.Port, std::string("0"));
        QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
        w.prompter.expectMessage(Prompter::Kind::Warning,
                                 "The port must be a number from 1 to 65535 !");
        QApplication::sendEvent(form.configPage->Edit2, &leave);
        QCOMPARE(w.prompter.pending(), size_t(0));
        QCOMPARE(form.configPage->Edit2->text(), QStringLiteral("6553"));
        QCOMPARE(w.screener().profile.settings.Port, std::string("6553"));

        // Emptying the field is allowed: it only turns the main button to "Configure".
        form.configPage->Edit2->selectAll();
        QTest::keyClick(form.configPage->Edit2, Qt::Key_Backspace);
        QApplication::sendEvent(form.configPage->Edit2, &leave);
        QCOMPARE(form.configPage->Edit2->text(), QString());
        QCOMPARE(w.prompter.asked.size(), size_t(1));
    }

    // The arrow buttons draw their arrows at rest, not only under the mouse.
    void arrowButtonsShowTheirArrows()
    {
        WindowFixture w;
        TForm1 &form = w.form;
        form.show();
        for (QToolButton *button :
             {form.topBar->SpeedButton12, form.topBar->SpeedButton15, form.messagesPage->SpeedButton32, form.messagesPage->SpeedButton33}) {
            // The same button without its arrow, for comparison.
            QToolButton blank(button->parentWidget());
            blank.setAutoRaise(button->autoRaise());
            blank.setToolButtonStyle(button->toolButtonStyle());
            blank.resize(button->size());
            blank.show();
            QVERIFY2(button->grab().toImage() != blank.grab().toImage(),
                     qPrintable(button->objectName()));
        }
    }

    // Texts that were examples from another desktop name this one's things.
    void textsOfThisDesktop()
    {
        WindowFixture w;
        QFile list(w.data.filePath(QStringLiteral("Kestrix.pro")));
        QVERIFY(list.open(QIODevice::WriteOnly));
        list.write("demo\r\n");
        list.close();
        w.controller.start(std::string("demo"));
        TForm1 &form = w.form;
        QCOMPARE(form.configPage->CheckBox4->text(), QStringLiteral("Log file on rejected mails \"demo.log\""));
        const QList<QLabel *> labels = form.configPage->TabSheet10->findChildren<QLabel *>();
        const bool linuxExample = std::any_of(labels.begin(), labels.end(), [](QLabel *label) {
            return label->text() == QStringLiteral("E-MAIL tool, e. g. /usr/bin/thunderbird");
        });
        QVERIFY(linuxExample);
        QVERIFY(!form.configPage->SpeedButton16->autoRaise());  // "New" and "Delete" look like buttons
        QVERIFY(!form.configPage->SpeedButton14->autoRaise());
    }

    void viewFindsControlsByName()
    {
        WindowFixture w;
        TForm1 &form = w.form;
        View &view = w.view();
        // Every id of the glossary names one of the window's own objects (not a dialog's).
        for (int i = 0; i < kControlCount; ++i) {
            const ControlEntry &entry = controlEntry(Control(i));
            QCOMPARE(int(entry.id), i);
            const QString name = QString::fromLatin1(entry.objectName);
            QObject *found = form.findChild<QObject *>(name);
            QVERIFY2(found, entry.objectName);
            QVERIFY2(*entry.meaning, entry.objectName);
        }
        view.setText(Control::Label24, "3 messages from trusted e-mail addresses");
        QCOMPARE(form.messagesPage->Label24->text(), QStringLiteral("3 messages from trusted e-mail addresses"));
        view.setText(Control::Panel3, "caption");
        view.setMainButtonMode(MainButtonMode::Process);
        QCOMPARE(form.topBar->Button1->text(), QStringLiteral("Process Suspicuous Mails"));
        view.setStatus(std::string("+OK ") + char(0xE9) + "t\xE9");
        QCOMPARE(form.statusArea->statustext->text(), QStringLiteral("+OK \u00e9t\u00e9"));
        view.setEnabled(Control::Deleteselectedmails1, false);
        QVERIFY(!form.messagesPage->Deleteselectedmails1->isEnabled());
        view.setVisible(Control::Panel12, true);
        QVERIFY(!form.messagesPage->Panel12->isHidden());
        // Checking "Allow delete of accepted" warns first.
        w.prompter.expectMessage(
            Prompter::Kind::Warning,
            "Selected E-MAILs from accepted Sender Addresses can be deleted now !");
        view.setChecked(Control::CheckBox1, true);
        QVERIFY(form.statusArea->CheckBox1->isChecked());
        QCOMPARE(w.prompter.pending(), size_t(0));
        view.setChecked(Control::CheckBox1, false);
        QVERIFY(!form.statusArea->CheckBox1->isChecked());
        view.setEnabled(Control::Poller, true);
        QVERIFY(form.Poller->isActive());
        view.setEnabled(Control::Poller, false);
        QVERIFY(!form.Poller->isActive());
        view.showPage(Control::TabSheet8);
        QCOMPARE(form.activePage(), form.configPage);
        QCOMPARE(form.configPage->PageControl2->currentWidget(), form.configPage->TabSheet8);
        view.showPage(Control::TabSheet3);
        QCOMPARE(form.activePage(), form.messagesPage);
        view.setProgress(10, 4);
        view.setBusyCursor(true);
        QVERIFY(form.isBusy());
        form.refreshTick();
        QVERIFY(!form.statusArea->CheckBox2->isEnabled());
        view.setBusyCursor(false);
        QVERIFY(!form.isBusy());
    }

    void startPageShowsLocalAddress()
    {
        WindowFixture w;
        TForm1 &form = w.form;
        QSignalSpy shown(&form, &TForm1::pageShown);
        form.setLocalIp("192.0.2.7");
        QCOMPARE(form.startPage->Label15->text(), QStringLiteral("192.0.2.7"));
        form.topBar->SpeedButton3->click();
        QCOMPARE(shown.count(), 1);
        QCOMPARE(shown.at(0).at(0).toString(), QStringLiteral("TabSheet1"));
    }

    void sizeGuardRestoresMinimum()
    {
        WindowFixture w;
        TForm1 &form = w.form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.resize(300, 300);
        const int helpRight =
            form.topBar->SpeedButton21->mapTo(&form, QPoint(form.topBar->SpeedButton21->width(), 0)).x();
        QTRY_VERIFY_WITH_TIMEOUT(form.height() >= 450, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(form.width() >= helpRight + 10, 5000);
    }

    // However long host and user get, the window keeps its width and its exit button: the
    // account on the top bar is shortened, with the whole text as its tooltip.
    void longAccountNeverWidensTheWindow()
    {
        WindowFixture w;
        TForm1 &form = w.form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QSize before = form.size();
        const int minimumBefore = form.minimumSizeHint().width();
        const QString host = QStringLiteral("pop.") + QString(300, QLatin1Char('x')) + QStringLiteral(".example.org");
        form.configPage->Edit1->setText(host);
        form.configPage->Edit3->setText(QStringLiteral("a.very.long.user.name.for.this.account"));
        form.refreshTick();
        QApplication::processEvents();
        const QString account = QStringLiteral("a.very.long.user.name.for.this.account@") + host;
        QCOMPARE(form.topBar->Label30->text(), account);
        QCOMPARE(form.topBar->Label30->toolTip(), account);
        QCOMPARE(form.minimumSizeHint().width(), minimumBefore);
        QCOMPARE(form.size(), before);
        const QWidget *exit = form.topBar->SpeedButton1;
        QVERIFY(exit->mapTo(&form, QPoint(exit->width(), 0)).x() <= form.width());
        QVERIFY(form.topBar->Label30->width() < form.topBar->Label30->sizeHint().width());
    }

    // The profile the first start makes has the defaults of one made with New.
    void firstProfileHasTheDefaultsOfNew()
    {
        WindowFixture w;
        w.controller.start(std::nullopt);
        QVERIFY(w.form.configPage->CheckBoxDecodeAll->isChecked());
        QVERIFY(w.screener().profile.decodeAll);
    }

    // "Help" with its page but no browser to show it says so, instead of doing nothing.
    void helpWithoutABrowserSaysSo()
    {
        WindowFixture w;
        const QString page = QDir(QCoreApplication::applicationDirPath())
                                 .filePath(QStringLiteral("kestrix-help.html"));
        const bool placed = !QFile::exists(page);
        if (placed) {
            QFile file(page);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("<html></html>");
        }
        QTemporaryDir emptyPath;
        const QByteArray path = qgetenv("PATH");
        const QByteArray browser = qgetenv("BROWSER");
        const auto restore = qScopeGuard([&] {
            qputenv("PATH", path);
            if (!browser.isEmpty())
                qputenv("BROWSER", browser);
            if (placed)
                QFile::remove(page);
        });
        qputenv("PATH", emptyPath.path().toLocal8Bit());  // no browser and no desktop opener
        qunsetenv("BROWSER");
        w.form.topBar->SpeedButton21->click();
        QVERIFY2(w.form.statusArea->statustext->text().startsWith(
                     QStringLiteral("No web browser could be started")),
                 qPrintable(w.form.statusArea->statustext->text()));
    }

    // The update dialog shows its check box's whole text.
    void updateDialogCheckBoxFits()
    {
        TForm2 dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QVERIFY(dialog.CheckBox1->width() >= dialog.CheckBox1->sizeHint().width());
    }

    void settingsRoundTrip()
    {
        WindowFixture w;
        TForm1 &form = w.form;
        ProfileSettings in;
        in.Host = "pop.example.org";
        in.Port = "995";
        in.UserId = "joe";
        in.NotifyLimit = 40;
        in.TrayAction = 0;
        in.CheckInterval = 7;
        in.LogRejected = false;
        in.DailyUpdateCheck = true;
        in.RowHeight = 24;
        in.WindowLeft = 20;
        in.WindowTop = 30;
        in.WindowWidth = 800;
        in.WindowHeight = 600;
        in.SplitRatio = 0.3;  // below the floor
        form.showSettings(in);
        form.applyGeometry(in);
        ProfileSettings out;
        form.collectSettings(out);
        QCOMPARE(out.Host, in.Host);
        QCOMPARE(out.Port, in.Port);
        QCOMPARE(out.UserId, in.UserId);
        QCOMPARE(out.NotifyLimit, 40);
        QCOMPARE(out.TrayAction, 0);
        QCOMPARE(out.CheckInterval, 7);
        QCOMPARE(out.LogRejected, false);
        QCOMPARE(out.DailyUpdateCheck, true);
        QCOMPARE(out.RowHeight, 24);
        QCOMPARE(out.WindowWidth, 800);
        QCOMPARE(out.WindowHeight, 600);
        QCOMPARE(out.SplitRatio, 0.4);
        QCOMPARE(form.messagesPage->stringgrid1->verticalHeader()->defaultSectionSize(), 24);
    }

    void diagnosticUserShowsReaderButton()
    {
        WindowFixture w;
        TForm1 &form = w.form;
        QVERIFY(form.messagesPage->SpeedButton24->isHidden());
        form.configPage->Edit3->setText(QStringLiteral("VELLICK"));
        QVERIFY(!form.messagesPage->SpeedButton24->isHidden());
        QVERIFY(!form.configPage->SpeedButton11->isHidden());
        form.configPage->Edit3->setText(QStringLiteral("joe"));
        QVERIFY(form.messagesPage->SpeedButton24->isHidden());
        QVERIFY(!form.configPage->SpeedButton11->isHidden());
    }

    void closeWithoutTrayEndsProgram()
    {
        WindowFixture w;
        TForm1 &form = w.form;
        QSignalSpy exiting(&form, &TForm1::aboutToExit);
        form.show();
        form.setTrayIconPresent(true);
        if (!form.trayIconPresent()) {
            // No notification area here: the window's own close must end the program.
            form.close();
            QCOMPARE(exiting.count(), 1);
            QVERIFY(!form.isVisible());
        }
        WindowFixture busyWindow;
        TForm1 &busy = busyWindow.form;
        QSignalSpy busyExit(&busy, &TForm1::aboutToExit);
        busy.show();
        busy.setBusy(true);
        busy.ProgramExit();  // ignored while a server operation runs
        QCOMPARE(busyExit.count(), 0);
        QVERIFY(busy.isVisible());
        busy.setBusy(false);
        busy.ProgramExit();
        QCOMPARE(busyExit.count(), 1);
    }

    // With KESTRIX_GRAB_DIR set, saves a picture of each page there (for looking, not testing).
    void grabPages()
    {
        const QString dir = qEnvironmentVariable("KESTRIX_GRAB_DIR");
        if (dir.isEmpty())
            QSKIP("KESTRIX_GRAB_DIR not set");
        WindowFixture w;
        TForm1 &form = w.form;
        form.configPage->Edit1->setText(QStringLiteral("pop.example.org"));
        form.configPage->Edit3->setText(QStringLiteral("joe"));
        form.topBar->Edit4->setText(QStringLiteral("secret"));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.refreshTick();
        for (QWidget *page : std::initializer_list<QWidget *>{form.startPage, form.messagesPage,
                                                             form.configPage}) {
            form.PageControl1->setCurrentWidget(page);
            QCoreApplication::processEvents();
            QVERIFY(form.grab().save(dir + QLatin1Char('/') + page->objectName() +
                                     QStringLiteral(".png")));
        }
        // Each sub-page of the configuration page.
        form.PageControl1->setCurrentWidget(form.configPage);
        for (int i = 0; i < form.configPage->PageControl2->count(); ++i) {
            form.configPage->PageControl2->setCurrentIndex(i);
            QCoreApplication::processEvents();
            QVERIFY(form.grab().save(dir + QLatin1Char('/') +
                                     form.configPage->PageControl2->widget(i)->objectName() +
                                     QStringLiteral(".png")));
        }
    }

    void namedControlsExist()
    {
        WindowFixture w;
        TForm1 &form = w.form;
        for (const char *name :
             {"Panel8", "PageControl1", "ProgressBar1", "Panel9", "TabSheet1", "TabSheet2",
              "TabSheet3", "TabSheet4", "TabSheet5", "TabSheet6", "TabSheet7", "Panel3",
              "Panel12", "Panel14", "Panel1", "Panel2", "Memo2", "stringgrid1", "shape1",
              "statustext", "Label52", "Shape2", "SpinEdit3", "StaticText1", "Label53",
              "ComboBox1", "RadioGroup1", "CheckBox4", "CheckBox6", "Edit5", "Edit6"})
            QVERIFY2(form.centralWidget()->findChild<QWidget *>(QString::fromLatin1(name)),
                     name);
        QCOMPARE(form.topBar->SpeedButton7->toolTip(), QStringLiteral("Logfile on rejected Addresses"));
        QCOMPARE(form.statusArea->shape1->toolTip(), QStringLiteral("Connection to POP3 server"));
        QVERIFY(form.statusArea->shape1->isHidden());
        QCOMPARE(form.windowTitle(),
                 QStringLiteral("Kestrix for POP3 - Version 3.0.2 - October 2003"));
        QVERIFY(!form.windowIcon().isNull());
    }
};

QTEST_MAIN(WindowControlsTest)
#include "window_controls_test.moc"
