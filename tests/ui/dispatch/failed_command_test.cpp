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

void typeInto(QLineEdit *edit, const QString &text)
{
    edit->clear();
    edit->setFocus();
    QTest::keyClicks(edit, text);
}

// A loopback port with nobody listening on it.
int refusedPort()
{
    std::uint16_t port = 0;
    ::close(test::listenOnLoopback(port));
    return port;
}

// Starts the window and types the server's account and password.
void startOn(test::WindowFixture &window, const test::DovecotServer &dovecot)
{
    TForm1 &form = window.form;
    window.controller.start(std::nullopt);
    form.show();
    typeInto(form.configPage->Edit1, QString::fromStdString(dovecot.host()));
    typeInto(form.configPage->Edit2, QString::number(dovecot.port()));
    typeInto(form.configPage->Edit3, QString::fromStdString(dovecot.user()));
    QTRY_VERIFY(form.topBar->Edit4->isEnabled());
    typeInto(form.topBar->Edit4, QString::fromStdString(dovecot.password()));
}

// The main button, then waits until the command has ended.
void checkMail(test::WindowFixture &window)
{
    TForm1 &form = window.form;
    QTRY_VERIFY(form.topBar->Button1->isEnabled());
    QTest::mouseClick(form.topBar->Button1, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(window.screener().pendingCommand == cmdIdle
                                 && !window.screener().dispatching(), 20000);
}

}  // namespace

class FailedCommandTest : public QObject {
    Q_OBJECT

private slots:
    void aFailedCheckIsNotShownAsAnEmptyMailbox_data()
    {
        QTest::addColumn<bool>("wrongPassword");
        QTest::addColumn<QString>("why");
        QTest::addColumn<int>("kind");      // of the message box shown
        QTest::addColumn<QString>("told");  // its text; empty: any
        QTest::newRow("wrong password")
            << true
            << QStringLiteral(
                   "Authentication failed: the server did not accept the user name or the password")
            << int(Prompter::Kind::Error) << QString();
        QTest::newRow("refused connection")
            << false << QStringLiteral("Connection refused") << int(Prompter::Kind::Information)
            << QStringLiteral("Connection Failed");
    }

    void aFailedCheckIsNotShownAsAnEmptyMailbox()
    {
        QFETCH(bool, wrongPassword);
        QFETCH(QString, why);
        QFETCH(int, kind);
        QFETCH(QString, told);
        if (!test::DovecotServer::available())
            QSKIP("Dovecot is not installed");
        test::DovecotServer dovecot;  // an empty mailbox: the first, good run says so
        test::WindowFixture window;
        TForm1 &form = window.form;
        startOn(window, dovecot);
        const auto check = [&] { checkMail(window); };
        check();
        QVERIFY(form.messagesPage->Panel12->isVisible());  // the good run: the mailbox really is empty

        if (wrongPassword)
            typeInto(form.topBar->Edit4, QStringLiteral("not-the-password"));
        else
            typeInto(form.configPage->Edit2, QString::number(refusedPort()));
        window.prompter.expectMessage(Prompter::Kind(kind), told.toStdString());
        check();
        QCOMPARE(window.prompter.pending(), size_t(0));
        QVERIFY2(form.messagesPage->Panel12->isHidden(), qPrintable(form.messagesPage->Label24->text()));
        QVERIFY(form.messagesPage->Panel3->isHidden());
        QVERIFY2(form.statusArea->statustext->text().contains(why), qPrintable(form.statusArea->statustext->text()));
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
        startOn(window, dovecot);
        form.configPage->SpinEdit1->setValue(1);  // ask above one new message
        window.prompter.expectDownloadCount(std::nullopt);
        checkMail(window);
        QCOMPARE(window.prompter.pending(), size_t(0));
        QVERIFY2(form.messagesPage->Panel12->isHidden(), qPrintable(form.messagesPage->Label24->text()));
        QVERIFY(form.messagesPage->Panel3->isHidden());
        QVERIFY2(form.statusArea->statustext->text().startsWith(QStringLiteral("Download cancelled")),
                 qPrintable(form.statusArea->statustext->text()));
    }
};

QTEST_MAIN(FailedCommandTest)
#include "failed_command_test.moc"
