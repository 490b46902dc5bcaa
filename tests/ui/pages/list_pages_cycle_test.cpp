// The whole screening cycle through the window against a real Dovecot: download, whitelist the
// first two rows from the grid, delete an unknown row, download again (only the mail after the
// trusted run is fetched), delete the known-bad newcomer, then close the window and start a new
// one on the same data folder: the log, the whitelist, the counts and the resume marks are as
// they were, and the next download resumes where the last one left off.
#include "profiles/profile_store.h"
#include "screening/pending_command.h"
#include "screening/screener.h"
#include "support/dovecot_server.h"
#include "support/window_fixture.h"
#include "ui/form1.h"
#include "ui/ui_widgets.h"
#include "ui/wrap_grid.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace kestrix;
using kestrix::test::DovecotServer;

namespace {

std::string senderOf(int k)
{
    return "Sender" + std::to_string(k) + " <s" + std::to_string(k) + "@example.org>";
}

// One run of the program on the data folder: the window as main() puts it together, with the
// account as the user types it (the password stays in memory only).
struct ProgramRun : kestrix::test::WindowFixture {
    ProgramRun(const QString &dataDir, const DovecotServer &dovecot) : WindowFixture(dataDir)
    {
        controller.start(std::nullopt);
        form.show();
        form.configPage->Edit1->setText(QString::fromLatin1(dovecot.host().c_str()));
        form.configPage->Edit2->setText(QString::number(dovecot.port()));
        form.configPage->Edit3->setText(QString::fromLatin1(dovecot.user().c_str()));
        form.topBar->Edit4->setText(QString::fromLatin1(dovecot.password().c_str()));
        form.refreshTick();
    }

    // The window's 50 ms dispatcher tick, run now instead of waiting for it.
    void dispatch()
    {
        form.Timer2Timer();
        form.refreshTick();
    }

    void clickRow(int row, Qt::KeyboardModifiers modifiers = {})
    {
        TWrapGrid *grid = form.messagesPage->stringgrid1;
        const QPoint at = grid->visualRect(grid->model()->index(row - 1, 1)).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, modifiers, at);
        form.refreshTick();
    }
};

}  // namespace

class ListPagesCycleTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!DovecotServer::available())
            QSKIP("dovecot is not installed");
    }

    void screenWhitelistDeleteAndRestart()
    {
        std::vector<std::string> messages;
        for (int k = 1; k <= 4; ++k)
            messages.push_back(DovecotServer::makeMessage(senderOf(k), "Subject " + std::to_string(k)));
        DovecotServer dovecot(messages);
        QTemporaryDir data;
        ProfileSettings savedSettings;
        {
            ProgramRun run(data.path(), dovecot);
            Screener &s = run.screener();
            QCOMPARE(run.form.topBar->Button1->text(), QStringLiteral("Get Mail Headers: New"));
            QVERIFY(run.form.topBar->Button1->isEnabled());

            run.form.topBar->Button1->click();
            QVERIFY(s.dispatcher.pendingCommand == cmdGetHeaders || s.dispatcher.pendingCommand == cmdGetAndCheck);
            run.dispatch();
            QCOMPARE(s.dispatcher.pendingCommand, cmdIdle);
            QCOMPARE(s.messages.ListBox2(), std::vector<std::string>({senderOf(1), senderOf(2), senderOf(3), senderOf(4)}));
            QVERIFY(!run.form.messagesPage->Panel3->isHidden());

            // Whitelist the first two rows from the grid.
            run.clickRow(1);
            run.clickRow(2, Qt::ShiftModifier);
            QCOMPARE(s.grid.selTop, 1);
            QCOMPARE(s.grid.selBottom, 2);
            QVERIFY(run.form.messagesPage->button7->isEnabled());
            run.form.messagesPage->button7->click();
            QCOMPARE(s.dispatcher.pendingCommand, cmdReclassify);
            run.dispatch();
            QVERIFY(s.messages.messageTable.isTrusted(1));
            QVERIFY(s.messages.messageTable.isTrusted(2));
            QVERIFY(!s.messages.messageTable.isTrusted(3));
            s.view().showPage(Control::TabSheet4);
            QCOMPARE(run.form.whitelistPage->ListBox4->model()->rowCount(), 2);
            QCOMPARE(run.form.whitelistPage->Label13->text(), QStringLiteral("2 trusted addresses"));
            s.view().showPage(Control::TabSheet3);

            // Delete the unknown row 3 (message 3) by hand: it is logged and counted.
            run.clickRow(3);
            QVERIFY(run.form.messagesPage->button10->isEnabled());
            run.form.messagesPage->button10->click();
            run.prompter.expectYesNo(Prompter::Kind::Confirmation,
                                     "Really DELETE selected 1 Message(s) (Deleted messages are kept for 30 days under Deleted mail) ?", true);
            run.dispatch();
            QCOMPARE(run.prompter.pending(), size_t(0));
            QCOMPARE(s.profile.settings.DeletedCount, 1);
            QCOMPARE(dovecot.messages().size(), size_t(3));
            QVERIFY(s.profile.rejectedLog.isKnownBadSender(senderOf(3)));

            // The same sender writes again; the next download fetches only what follows the
            // trusted run of messages 1 and 2.
            dovecot.addMessage(DovecotServer::makeMessage(senderOf(3), "Subject 3 again"));
            run.form.topBar->Button1->click();
            run.dispatch();
            QCOMPARE(s.messages.ListBox1(), std::vector<std::string>({"3", "4"}));
            QCOMPARE(s.messages.ListBox2(), std::vector<std::string>({senderOf(4), senderOf(3)}));
            QVERIFY(run.form.messagesPage->SpeedButton27->isEnabled());

            // Delete every known-bad row at once.
            run.form.messagesPage->SpeedButton27->click();
            QVERIFY(run.form.messagesPage->button10->isEnabled());
            run.form.messagesPage->button10->click();
            run.prompter.expectYesNo(
                Prompter::Kind::Confirmation,
                "Really DELETE 1 blacklisted or known bad message(s) (Deleted messages are kept for 30 days under Deleted mail) ?", true);
            run.dispatch();
            QCOMPARE(run.prompter.pending(), size_t(0));
            QCOMPARE(s.profile.settings.DeletedCount, 2);
            QCOMPARE(dovecot.messages().size(), size_t(3));
            // A first start without a settings file leaves the empty entry row of the profile
            // load in front of the two logged deletions; it counts until the log is written.
            QCOMPARE(s.profile.rejectedLog.rowCount(), 4);
            s.view().showPage(Control::TabSheet6);
            QCOMPARE(run.form.logPage->Panel13->text(), QStringLiteral("3 logged SPAM MAIL addresses"));
            QCOMPARE(run.form.logPage->StringGrid2->model()->rowCount(), 3);

            run.form.ProgramExit();
            savedSettings = s.profile.settings;
        }

        // A new window on the same data folder.
        {
            ProgramRun run(data.path(), dovecot);
            Screener &s = run.screener();
            QCOMPARE(s.profile.whitelist.entries(), std::vector<std::string>({senderOf(1), senderOf(2)}));
            QCOMPARE(s.profile.settings.DeletedCount, 2);
            QCOMPARE(s.profile.settings.resumeCode, savedSettings.resumeCode);
            QCOMPARE(s.profile.settings.resumeFallbackCode, savedSettings.resumeFallbackCode);
            QCOMPARE(s.profile.settings.resumeCodeCopy, savedSettings.resumeCodeCopy);
            QVERIFY(s.profile.settings.resumeCode != "-1");

            s.view().showPage(Control::TabSheet1);
            QCOMPARE(run.form.startPage->Label21->text(), QStringLiteral("2"));
            QCOMPARE(run.form.startPage->Label19->text(), QStringLiteral("2"));
            s.view().showPage(Control::TabSheet4);
            QCOMPARE(run.form.whitelistPage->ListBox4->model()->rowCount(), 2);
            // The file keeps both deletions; reading it takes a sender once, so the second
            // line (the same sender again) is left out of the table.
            QFile logFile(profilePaths(data.path(), "default").log);
            QVERIFY(logFile.open(QIODevice::ReadOnly));
            QCOMPARE(logFile.readAll(), QByteArray("sender3 <s3@example.org>\tsubject 3\r\n"
                                                   "sender3 <s3@example.org>\tsubject 3 again\r\n"));
            s.view().showPage(Control::TabSheet6);
            QCOMPARE(run.form.logPage->Panel13->text(), QStringLiteral("1 logged SPAM MAIL addresses"));
            QAbstractItemModel *log = run.form.logPage->StringGrid2->model();
            QCOMPARE(log->rowCount(), 1);
            QCOMPARE(log->index(0, 0).data().toString(), QStringLiteral("sender3 <s3@example.org>"));
            QCOMPARE(log->index(0, 1).data().toString(), QStringLiteral("subject 3"));
            QVERIFY(s.profile.rejectedLog.isKnownBadSender(senderOf(3)));

            // The marks still say where new mail begins: only message 3 (sender 4) follows.
            run.form.topBar->Button1->click();
            run.dispatch();
            QCOMPARE(s.messages.ListBox1(), std::vector<std::string>({"3"}));
            QCOMPARE(s.messages.ListBox2(), std::vector<std::string>({senderOf(4)}));
            run.form.ProgramExit();
        }
    }
};

QTEST_MAIN(ListPagesCycleTest)
#include "list_pages_cycle_test.moc"
