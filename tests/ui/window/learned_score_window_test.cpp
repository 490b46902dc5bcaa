// The learned score in the window: the grid's badges for rows of unknown senders scored spam
// and unsure, the details pane's clues, "Select Known Bad" with and without "[learning]
// selectSpam", and the grid menu's "Mark as spam" / "Mark as good" retraining a message without
// counting it twice.
#include "screening/header_tokens.h"
#include "screening/pending_command.h"
#include "screening/screener.h"
#include "support/window_fixture.h"
#include "ui/form1.h"
#include "ui/messages_page.h"
#include "ui/wrap_grid.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>

using namespace kestrix;
using kestrix::test::WindowFixture;

namespace {

std::vector<std::string> spamHeader(int i)
{
    return {"From: Offer " + std::to_string(i) + " <offer" + std::to_string(i) + "@cheap.example>",
            "Subject: Cheap pills " + std::to_string(i), "X-Mailer: Bulk Sender 2.0"};
}

std::vector<std::string> goodHeader(int i)
{
    return {"From: Ann <ann@work.example>", "Subject: Minutes " + std::to_string(i),
            "List-Id: <team.work.example>", "User-Agent: Mutt/1.4i"};
}

DownloadedRow rowOf(int number, const std::vector<std::string> &header)
{
    DownloadedRow row{number, header[0].substr(6), header[1].substr(9),
                      std::to_string(500 + number)};
    row.headerLines = {"id:" + row.code, "Size: 900 byte"};
    row.headerLines.insert(row.headerLines.end(), header.begin(), header.end());
    return row;
}

// Rows: 1 spam-like, 2 good-like, 3 with clues both ways, 4 spam-like from a whitelisted
// sender.
struct Fixture {
    WindowFixture window;
    TForm1 &form = window.form;
    Screener &screener = window.screener();
    MessagesPage &page = *form.messagesPage;

    Fixture()
    {
        screener.profile.blacklist.assign({});
        screener.profile.learning.open(window.data.path(), "default", screener.profile.conf);
        screener.messages.rows = {rowOf(1, spamHeader(99)), rowOf(2, goodHeader(99)),
                         rowOf(3, {"From: Bob <bob@other.example>", "Subject: Hello",
                                   "List-Id: <x.example>", "X-Mailer: Bulk Sender 2.0",
                                   "User-Agent: Mutt/1.4i"}),
                         rowOf(4, spamHeader(98))};
        screener.profile.whitelist.add(screener.messages.rows[3].sender);
        screener.messages.startCode = "0";
    }
    void train()
    {
        for (int i = 0; i < 20; ++i) {
            screener.profile.learning.train(spamHeader(i), 900, Judgement::Spam);
            screener.profile.learning.train(goodHeader(i), 900, Judgement::Good);
        }
        screener.buildMessageTable(false);
    }
    TWrapGrid &grid() { return *page.stringgrid1; }
    QString details(int row)
    {
        page.showDetails(row);
        return page.Memo2->toPlainText();
    }
    const Judgement *judgementOfRow(int row)
    {
        return screener.profile.learning.store().judgementOf(
            messageKey(rowHeaderLines(screener.messages.rows[size_t(row) - 1])));
    }
};

}  // namespace

class LearnedScoreWindowTest : public QObject {
    Q_OBJECT

private slots:
    void badgesDetailsAndKnownBadSelection()
    {
        Fixture f;
        f.screener.buildMessageTable(false);
        QCOMPARE(f.grid().decision(1).badge, Badge::Unknown);  // nothing learnt yet
        QVERIFY(f.details(1).endsWith(QStringLiteral(
            "Learned score: none yet (Learned: 0 spam and 0 good messages; scores start at 20 of each)")));

        f.train();
        QCOMPARE(f.grid().decision(1).badge, Badge::LearnedSpam);
        QCOMPARE(QString::fromLatin1(badgeText(Badge::LearnedSpam)), QStringLiteral("SP"));
        QCOMPARE(f.grid().decision(2).badge, Badge::Unknown);  // scored good
        QCOMPARE(f.grid().decision(3).badge, Badge::LearnedUnsure);
        QCOMPARE(f.grid().decision(4).badge, Badge::None);  // trusted, whatever its score
        QCOMPARE(f.screener.messages.messageTable.verdicts(3).learned, LearnedVerdict::Unsure);
        QCOMPARE(f.screener.messages.messageTable.verdicts(4).learned, LearnedVerdict::Spam);

        const QString spamDetails = f.details(1);
        // The three strongest clues first (equal ones in token order), then the header lines.
        QVERIFY2(spamDetails.startsWith(QStringLiteral(
                     "Learned score 1.000 (spam): from-name:Offer 1.00, from-name:offer 1.00, "
                     "from-shape:a9 1.00\n")),
                 qPrintable(spamDetails));
        QCOMPARE(f.page.Label52->text(), QStringLiteral("SP: Unknown Sender, learned spam"));

        // "Select Known Bad" takes the spam row; the unsure and the trusted rows never.
        f.page.selectKnownBad();
        QVERIFY(f.grid().decision(1).highlighted);
        QVERIFY(!f.grid().decision(3).highlighted);
        QVERIFY(!f.grid().decision(4).highlighted);
        QCOMPARE(f.screener.countKnownBad(), 1);

        f.screener.profile.conf.setSelectSpam(false);
        f.screener.buildMessageTable(false);
        QCOMPARE(f.screener.countKnownBad(), 0);
        QCOMPARE(f.grid().decision(1).badge, Badge::LearnedSpam);  // still shown
    }

    void markAsSpamAndGoodMovesAMessageWithoutCountingItTwice()
    {
        Fixture f;
        f.train();
        f.grid().setCurrentRow(3);
        f.page.MarkAsSpam1->trigger();
        QCOMPARE(int(f.screener.dispatcher.pendingCommand), int(cmdReclassify));
        QVERIFY(f.judgementOfRow(3) && *f.judgementOfRow(3) == Judgement::Spam);
        QCOMPARE(f.screener.profile.learning.store().spamMessages(), 21u);

        f.page.MarkAsSpam1->trigger();  // again: nothing changes
        QCOMPARE(f.screener.profile.learning.store().spamMessages(), 21u);
        f.page.MarkAsGood1->trigger();
        QVERIFY(*f.judgementOfRow(3) == Judgement::Good);
        QCOMPARE(f.screener.profile.learning.store().spamMessages(), 20u);
        QCOMPARE(f.screener.profile.learning.store().goodMessages(), 21u);
        QVERIFY(QFile::exists(f.window.data.filePath(QStringLiteral("default.tokens"))));

        // Restoring a deleted message takes its training off again.
        QVERIFY(f.screener.unlearnMessage(rowHeaderLines(f.screener.messages.rows[2]), 900));
        QCOMPARE(f.judgementOfRow(3), nullptr);
        QCOMPARE(f.screener.profile.learning.store().goodMessages(), 20u);
    }
};

QTEST_MAIN(LearnedScoreWindowTest)
#include "learned_score_window_test.moc"
