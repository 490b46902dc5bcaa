// A command that fails says so in the window: after a refused login or a refused connection a
// message box and the status line say why, no "No new messages" banner appears, and the
// banners of the previous, successful run are gone. A download cancelled at the
// download-control question says so, without a verdict.
#include "screening/pending_command.h"
#include "screening/screener.h"
#include "support/dovecot_server.h"
#include "support/loopback_socket.h"
#include "support/window_fixture.h"
#include "ui/ui_widgets.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QWidget>

#include <unistd.h>

using namespace kestrix;

namespace {

// A loopback port with nobody listening on it.
int refusedPort()
{
    std::uint16_t port = 0;
    ::close(test::listenOnLoopback(port));
    return port;
}

}  // namespace

class FailedCommandTest : public QObject {
    Q_OBJECT

private slots:
    void aFailedCheckIsNotShownAsAnEmptyMailbox_data()
    {
        QTest::addColumn<QString>("changed");  // what the failing check has wrong
        QTest::addColumn<QString>("why");
        QTest::addColumn<int>("kind");      // of the message box shown
        QTest::addColumn<QString>("told");  // its text; empty: any
        QTest::newRow("wrong password")
            << QStringLiteral("password")
            << QStringLiteral(
                   "Authentication failed: the server did not accept the user name or the password")
            << int(Prompter::Kind::Error) << QString();
        QTest::newRow("refused connection")
            << QStringLiteral("port") << QStringLiteral("Connection refused")
            << int(Prompter::Kind::Information) << QStringLiteral("Connection Failed");
        QTest::newRow("unknown host")
            << QStringLiteral("host")
            << QStringLiteral("The host \"no-such-host.invalid\" could not be found")
            << -1 << QString();
    }

    // The banner of an empty mailbox goes, and so does a table the failed check could not
    // confirm: its rows, details and row buttons.
    void aFailedCheckIsNotShownAsAnEmptyMailbox()
    {
        QFETCH(QString, changed);
        QFETCH(QString, why);
        QFETCH(int, kind);
        QFETCH(QString, told);
        if (!test::DovecotServer::available())
            QSKIP("Dovecot is not installed");
        test::DovecotServer dovecot;  // an empty mailbox: the first, good run says so
        test::WindowFixture window;
        TForm1 &form = window.form;
        window.signIn(dovecot);
        const auto check = [&] { window.checkMail(); };
        check();
        QVERIFY(form.messagesPage->Panel12->isVisible());  // the good run: the mailbox really is empty
        dovecot.addMessage("From: Someone <someone@example.org>\r\nSubject: News\r\n\r\nBody\r\n");
        check();
        QCOMPARE(window.screener().messages.rows.size(), size_t(1));

        if (changed == QLatin1String("password"))
            test::WindowFixture::type(form.topBar->Edit4, QStringLiteral("not-the-password"));
        else if (changed == QLatin1String("port"))
            test::WindowFixture::type(form.configPage->Edit2, QString::number(refusedPort()));
        else
            test::WindowFixture::type(form.configPage->Edit1, QStringLiteral("no-such-host.invalid"));
        if (kind >= 0)
            window.prompter.expectMessage(Prompter::Kind(kind), told.toStdString());
        else
            window.prompter.expectText("Specify a new host:", std::nullopt);
        check();
        QCOMPARE(window.prompter.pending(), size_t(0));
        QVERIFY2(form.messagesPage->Panel12->isHidden(), qPrintable(form.messagesPage->Label24->text()));
        QVERIFY(form.messagesPage->Panel3->isHidden());
        QVERIFY2(form.statusArea->statustext->text().contains(why), qPrintable(form.statusArea->statustext->text()));
        QVERIFY(window.screener().messages.rows.empty());
        QVERIFY(!form.messagesPage->Deleteselectedmails1->isEnabled());
        QVERIFY(!form.messagesPage->ButtonRead->isEnabled());
        QVERIFY(!form.messagesPage->SpeedButton27->isEnabled());
        QVERIFY(form.messagesPage->Shape2->isHidden());
    }

    // "&Cancel" at the download-control question fetches nothing and says so: no "No new
    // messages on server" banner while messages wait on the server.
    void aCancelledDownloadGivesNoVerdict()
    {
        if (!test::DovecotServer::available())
            QSKIP("Dovecot is not installed");
        test::DovecotServer dovecot(test::NumberedMailbox::numberedMessages(3));
        test::WindowFixture window;
        TForm1 &form = window.form;
        window.signIn(dovecot);
        form.configPage->SpinEdit1->setValue(1);  // ask above one new message
        window.prompter.expectDownloadCount(std::nullopt);
        window.checkMail();
        QCOMPARE(window.prompter.pending(), size_t(0));
        QVERIFY2(form.messagesPage->Panel12->isHidden(), qPrintable(form.messagesPage->Label24->text()));
        QVERIFY(form.messagesPage->Panel3->isHidden());
        QVERIFY2(form.statusArea->statustext->text().startsWith(QStringLiteral("Download cancelled")),
                 qPrintable(form.statusArea->statustext->text()));
    }
};

QTEST_MAIN(FailedCommandTest)
#include "failed_command_test.moc"
