// The window with its dispatcher, profiles and POP3 client: a get-headers command and a
// deletion on a throw-away Dovecot driven by clicks, New/switch/Delete profile on real files,
// the start profile from the command line, and passwords that never reach a file.
#include "screening/screener.h"
#include "support/dovecot_server.h"
#include "support/window_fixture.h"
#include "ui/form1.h"
#include "ui/ui_widgets.h"
#include "ui/window_controller.h"
#include "ui/wrap_grid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <optional>
#include <string>

using namespace kestrix;

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void typeInto(QLineEdit *edit, const QString &text)
{
    edit->clear();
    edit->setFocus();
    QTest::keyClicks(edit, text);
}

}  // namespace

class WindowDispatchTest : public QObject {
    Q_OBJECT

private slots:
    void getHeadersAndDeleteOnDovecotByClicks()
    {
        if (!test::DovecotServer::available())
            QSKIP("Dovecot is not installed");
        using test::DovecotServer;
        DovecotServer::Options account;
        account.password = "Qz7-pass-4711";  // no blacklist word contains it
        DovecotServer dovecot({DovecotServer::makeMessage("Alice <alice@example.org>", "Lunch"),
                               DovecotServer::makeMessage("Spammer <win@prize.example>",
                                                          "You have won")},
                              account);
        QTemporaryDir data;
        QVERIFY(data.isValid());
        // A whitelist that trusts Alice: the profile needs a settings file for it to load.
        writeFile(data.filePath(QStringLiteral("default.ini")), QByteArray("0\r\n"));
        writeFile(data.filePath(QStringLiteral("default.acc")),
                  QByteArray("Alice <alice@example.org>\r\n"));

        {
            test::WindowFixture w(data.path());
            TForm1 &form = w.form;
            WindowController &controller = w.controller;
            controller.start(std::nullopt);
            form.show();
            Screener &screener = controller.screener();

            typeInto(form.configPage->Edit1, QString::fromStdString(dovecot.host()));
            typeInto(form.configPage->Edit2, QString::number(dovecot.port()));
            typeInto(form.configPage->Edit3, QString::fromStdString(dovecot.user()));
            QTRY_VERIFY(form.topBar->Edit4->isEnabled());  // the refresh tick turned "Configure"
            QCOMPARE(form.topBar->Button1->text(), QStringLiteral("Get Mail Headers: New"));
            typeInto(form.topBar->Edit4, QString::fromStdString(dovecot.password()));
            QTRY_VERIFY(form.topBar->Button1->isEnabled());

            QTest::mouseClick(form.topBar->Button1, Qt::LeftButton);
            QCOMPARE(form.activePage(), form.messagesPage);
            QTRY_VERIFY_WITH_TIMEOUT(screener.messages.hasMessages() && screener.dispatcher.pendingCommand == cmdIdle &&
                                         !screener.dispatcher.dispatching(),
                                     20000);
            QCOMPARE(int(screener.messages.ListBox1().size()), 2);
            QVERIFY(screener.messages.messageTable.isTrusted(1));
            QVERIFY(!screener.messages.messageTable.isTrusted(2));
            QVERIFY(form.messagesPage->Panel3->isVisible());  // mail from an unknown sender
            QVERIFY(form.messagesPage->stringgrid1->isEnabled());
            QVERIFY(form.Timer2->isActive());
            QVERIFY(!screener.session.isOpen());
            QVERIFY(form.statusArea->shape1->isHidden());

            // Row 2 selected, "Delete selected unknown", Yes: the server loses that message.
            form.messagesPage->stringgrid1->selectRows(2, 2, 2);
            form.messagesPage->button10->setEnabled(true);
            w.prompter.expectYesNo(Prompter::Kind::Confirmation,
                                   "Really DELETE selected 1 Message(s) (Deleted messages are kept for 30 days under Deleted mail) ?", true);
            QTest::mouseClick(form.messagesPage->button10, Qt::LeftButton);
            QTRY_VERIFY_WITH_TIMEOUT(dovecot.messages().size() == 1, 20000);
            QTRY_VERIFY(screener.dispatcher.pendingCommand == cmdIdle && !screener.dispatcher.dispatching());
            QCOMPARE(screener.profile.settings.DeletedCount, 1);
            QCOMPARE(int(screener.messages.ListBox1().size()), 1);
            QVERIFY(dovecot.messages().front().find("Lunch") != std::string::npos);

            // "Empty Server", two Yes answers: the mailbox is empty.
            w.prompter.expectYesNo(Prompter::Kind::Confirmation,
                                   "Delete ALL 1 messages at POP3 SERVER ? ", true);
            w.prompter.expectYesNo(Prompter::Kind::Confirmation,
                                   "Are you sure to DELETE ALL MESSAGES at your POP3 server ? ",
                                   true);
            QVERIFY(form.statusArea->SpeedButton2->isEnabled());
            QTest::mouseClick(form.statusArea->SpeedButton2, Qt::LeftButton);
            QTRY_VERIFY_WITH_TIMEOUT(dovecot.messages().empty(), 20000);
            QVERIFY(!screener.session.isOpen());

            form.ProgramExit();  // saves the profile and the list
            QCOMPARE(w.prompter.pending(), size_t(0));
        }

        // The log holds the deleted sender; no file anywhere holds the password.
        QVERIFY(readFile(data.filePath(QStringLiteral("default.log"))).contains("prize.example"));
        const QByteArray password = QByteArray::fromStdString(dovecot.password());
        int files = 0;
        QDirIterator it(data.path(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            ++files;
            QVERIFY2(!readFile(path).contains(password), qPrintable(path));
        }
        QVERIFY(files >= 4);
    }

    void newSwitchAndDeleteProfiles()
    {
        test::WindowFixture w;
        const QTemporaryDir &data = w.data;
        TForm1 &form = w.form;
        WindowController &controller = w.controller;
        controller.start(std::nullopt);
        WindowProfiles &profiles = controller.profiles();
        const auto file = [&data](const char *name) {
            return data.filePath(QString::fromLatin1(name));
        };

        typeInto(form.configPage->Edit1, QStringLiteral("pop.default.example"));
        typeInto(form.configPage->Edit3, QStringLiteral("dee"));
        form.refreshTick();  // the account is filled: the password field opens
        typeInto(form.topBar->Edit4, QStringLiteral("pw-default"));
        profiles.RememberPassword(controller.screener().session.password);

        w.prompter.expectNewProfileName("My Box");
        QTest::mouseClick(form.configPage->SpeedButton16, Qt::LeftButton);
        QCOMPARE(profiles.currentName(), std::string("mybox"));
        QCOMPARE(form.configPage->ComboBox1->currentText(), QStringLiteral("mybox"));
        QVERIFY(QFile::exists(file("mybox.ini")));
        QVERIFY(QFile::exists(file("default.ini")));
        QVERIFY(!QFile::exists(file("mybox.acc")));  // an empty whitelist has no file
        // A profile this version makes reads encoded headers for the blacklist too.
        QVERIFY(readFile(file("mybox.conf")).contains("decodeAll=true"));
        QVERIFY(form.configPage->CheckBoxDecodeAll->isChecked());
        QVERIFY(controller.screener().profile.decodeAll);
        QVERIFY(form.configPage->Edit1->text().isEmpty());
        QVERIFY(form.topBar->Edit4->text().isEmpty());  // the old password never goes to a new server
        QVERIFY(readFile(file("default.ini")).contains("pop.default.example"));

        w.prompter.expectNewProfileName("mybox");
        w.prompter.expectMessage(Prompter::Kind::Information, "Profile already exists !");
        QTest::mouseClick(form.configPage->SpeedButton16, Qt::LeftButton);

        typeInto(form.configPage->Edit1, QStringLiteral("pop.box.example"));
        typeInto(form.configPage->Edit3, QStringLiteral("boxer"));
        form.refreshTick();
        typeInto(form.topBar->Edit4, QStringLiteral("pw-box"));
        profiles.RememberPassword(controller.screener().session.password);

        // Previous: back to default, its host and its password of this run; the status line of
        // the other profile goes.
        form.statusArea->statustext->setText(QStringLiteral("Authentication failed"));
        profiles.previousProfile();
        QVERIFY(form.statusArea->statustext->text().isEmpty());
        QCOMPARE(profiles.currentName(), std::string("default"));
        QCOMPARE(form.configPage->Edit1->text(), QStringLiteral("pop.default.example"));
        QCOMPARE(form.topBar->Edit4->text(), QStringLiteral("pw-default"));
        QVERIFY(readFile(file("mybox.ini")).contains("pop.box.example"));
        QCOMPARE(readFile(file("Kestrix.lpr")), QByteArray("mybox"));  // written by the save
        // The first start's profile has the switch on, as New gives it; the box writes its file.
        QVERIFY(form.configPage->CheckBoxDecodeAll->isChecked());
        QVERIFY(controller.screener().profile.decodeAll);
        QVERIFY(readFile(file("default.conf")).contains("decodeAll=true"));
        form.configPage->CheckBoxDecodeAll->click();
        QVERIFY(!controller.screener().profile.decodeAll);
        QVERIFY(readFile(file("default.conf")).contains("decodeAll=false"));
        profiles.nextProfile();
        QVERIFY(form.configPage->CheckBoxDecodeAll->isChecked());
        QCOMPARE(form.configPage->Edit1->text(), QStringLiteral("pop.box.example"));
        QCOMPARE(form.topBar->Edit4->text(), QStringLiteral("pw-box"));
        QCOMPARE(form.topBar->Label30->text(), QStringLiteral("boxer@pop.box.example"));

        // "Next" on the last profile offers a new one.
        w.prompter.expectYesNo(Prompter::Kind::Confirmation,
                               "Would you like to create a new profile ?", false);
        profiles.nextProfile();

        // Delete refuses a typed text that is no item and the default profile.
        form.configPage->ComboBox1->setEditText(QStringLiteral("nothing"));
        w.prompter.expectMessage(Prompter::Kind::Information,
                                 "Select the profile to delete first !");
        QTest::mouseClick(form.configPage->SpeedButton14, Qt::LeftButton);
        form.configPage->ComboBox1->setCurrentIndex(0);
        w.prompter.expectMessage(Prompter::Kind::Information,
                                 "default Profile can not be deleted !");
        QTest::mouseClick(form.configPage->SpeedButton14, Qt::LeftButton);

        form.configPage->ComboBox1->setCurrentIndex(1);
        profiles.ComboBox1Change();
        writeFile(file("mybox.conf"), QByteArray("[security]\r\nmode=tls\r\n"));
        w.prompter.expectYesNo(Prompter::Kind::Confirmation, "Really Delete Profile: mybox?", true);
        w.prompter.expectYesNo(Prompter::Kind::Confirmation,
                               "mybox : Delete all accepted addresses, logfile and settings  ?",
                               true);
        QTest::mouseClick(form.configPage->SpeedButton14, Qt::LeftButton);
        QVERIFY(!QFile::exists(file("mybox.ini")));
        QVERIFY(!QFile::exists(file("mybox.conf")));
        QVERIFY(!QFile::exists(file("mybox.log")));
        QCOMPARE(form.configPage->ComboBox1->count(), 1);
        QCOMPARE(profiles.currentName(), std::string("default"));
        QCOMPARE(form.configPage->Edit1->text(), QStringLiteral("pop.default.example"));

        form.ProgramExit();
        QCOMPARE(readFile(file("Kestrix.pro")), QByteArray("default\r\n"));
        QCOMPARE(w.prompter.pending(), size_t(0));
        for (const char *name : {"default.ini", "Kestrix.pro", "Kestrix.lpr"}) {
            QVERIFY(!readFile(file(name)).contains("pw-"));
        }
    }

    void startsWithTheProfileNamedOnTheCommandLine()
    {
        test::WindowFixture w;
        const QTemporaryDir &data = w.data;
        writeFile(data.filePath(QStringLiteral("Kestrix.pro")), "default\r\nwork\r\n");
        writeFile(data.filePath(QStringLiteral("Kestrix.lpr")), "default");
        writeFile(data.filePath(QStringLiteral("work.ini")),
                  "3\r\npop.work.example\r\n110\r\nwally\r\n");
        TForm1 &form = w.form;
        WindowController &controller = w.controller;
        controller.start(std::string("Work"));
        QCOMPARE(controller.profiles().currentName(), std::string("work"));
        QCOMPARE(form.configPage->ComboBox1->currentText(), QStringLiteral("work"));
        QCOMPARE(form.configPage->ComboBox1->currentIndex(), 1);
        QCOMPARE(form.topBar->Label29->text(), QStringLiteral("work"));
        QCOMPARE(form.configPage->Edit1->text(), QStringLiteral("pop.work.example"));
        QCOMPARE(form.topBar->Label30->text(), QStringLiteral("wally@pop.work.example"));
        QCOMPARE(controller.screener().profile.settings.Host, std::string("pop.work.example"));
        QCOMPARE(controller.screener().profile.settings.DeletedCount, 3);
        QCOMPARE(form.activePage(), form.startPage);
        QVERIFY(QDir(data.filePath(QStringLiteral("Attachments"))).exists());
        QVERIFY(w.prompter.asked.empty());
    }

    void theDispatcherWaitsOnTheConfigurationPage()
    {
        test::WindowFixture w;
        TForm1 &form = w.form;
        w.controller.start(std::nullopt);
        Screener &screener = w.screener();
        form.showConfigAccounts();
        screener.dispatcher.pendingCommand = cmdReclassify;
        form.Timer2Timer();
        QCOMPARE(screener.dispatcher.pendingCommand, cmdReclassify);
        QTest::mouseClick(form.topBar->SpeedButton3, Qt::LeftButton);
        QTRY_COMPARE(screener.dispatcher.pendingCommand, cmdIdle);
        QVERIFY(w.prompter.asked.empty());
    }
};

QTEST_MAIN(WindowDispatchTest)
#include "window_dispatch_test.moc"
