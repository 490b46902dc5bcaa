// The "Deleted mail" page on the real window over a profile's real quarantine in a temporary
// data folder: the copies newest first, one opened in the message reader from the disk, restoring
// into a Maildir and an mbox (log entry and training gone, the whitelist question), and the two
// deletions for good that ask first.
#include "profiles/list_files.h"
#include "profiles/profile_conf.h"
#include "screening/deleted_mail.h"
#include "screening/header_tokens.h"
#include "support/window_fixture.h"
#include "ui/deleted_mail_page.h"
#include "ui/form4_message_reader.h"
#include "ui/top_bar.h"

#include <QComboBox>
#include <QSettings>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include <algorithm>

using namespace kestrix;
using test::WindowFixture;

namespace {

struct Copy {
    const char *uid;
    const char *sender;
    const char *subject;
    DeletionReason reason;
    std::int64_t deletedAt;
};

const Copy kCopies[] = {
    {"u1", "Boss <boss@example.org>", "Invoice 7", DeletionReason::KnownBadSender, 1000},
    {"u2", "Big <big@example.org>", "Large file", DeletionReason::BlacklistedWord, 2000},
    {"u3", "New <new@example.org>", "Hello team", DeletionReason::ChosenByHand, 3000},
};

std::string messageOf(const Copy &c)
{
    std::string body = std::string(c.uid) == "u2" ? std::string(400, 'z') + "\n" : "Welcome aboard.\n";
    return "From: " + std::string(c.sender) + "\nSubject: " + c.subject + "\n\n" + body;
}

// The header lines as the download trained them: up to the empty line, then the end mark.
std::vector<std::string> trainedLines(const Copy &c)
{
    return {"From: " + std::string(c.sender), "Subject: " + std::string(c.subject), "", "."};
}

QStringList rowTexts(const QTableView *grid, int row)
{
    QStringList texts;
    for (int column = 0; column < grid->model()->columnCount(); ++column)
        texts << grid->model()->index(row, column).data().toString();
    return texts;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// A window on the "default" profile whose quarantine keeps at most 200 bytes of a message,
// holding the copies above; each was logged and trained as spam by its deletion.
struct DeletedMailWindow {
    WindowFixture w;
    DeletedMailPage &page = *w.form.deletedMailPage;

    DeletedMailWindow()
    {
        QSettings conf(w.data.filePath(QStringLiteral("default.conf")), QSettings::IniFormat);
        conf.setValue(QLatin1String(ProfileConf::kMaxMessageBytes), 200);
        conf.sync();
        w.controller.start(std::nullopt);
        Screener &s = w.screener();
        for (const Copy &c : kCopies) {
            QVERIFY(s.profile.quarantine);
            QCOMPARE(s.profile.quarantine->store(c.uid, c.sender, c.subject, c.reason, messageOf(c),
                                         c.deletedAt),
                     std::string());
            s.profile.rejectedLog.appendRejected(c.sender, c.subject);
            const std::string bytes = messageOf(c);
            s.profile.learning.train(trainedLines(c),
                             std::int64_t(bytes.size() + std::count(bytes.begin(), bytes.end(), '\n')),
                             Judgement::Spam);
        }
        QCOMPARE(s.profile.quarantine->saveIndex(), std::string());
        w.form.show();
        w.form.topBar->SpeedButtonDeletedMail->click();
    }
    void select(int row)
    {
        page.GridDeletedMail->setCurrentIndex(page.GridDeletedMail->model()->index(row, 0));
    }
    int rows() const { return page.GridDeletedMail->model()->rowCount(); }
};

}  // namespace

class DeletedMailPageTest : public QObject {
    Q_OBJECT

private slots:
    void listsNewestFirstAndOpensACopyInTheReader()
    {
        DeletedMailWindow f;
        QCOMPARE(f.w.form.activePage(), &f.page);
        QCOMPARE(f.page.PanelDeletedMail->text(), QStringLiteral("3 messages in Deleted mail"));
        const auto date = [](std::int64_t at) {
            return QDateTime::fromSecsSinceEpoch(at).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
        };
        const char *const reasons[] = {"chosen by hand", "blacklisted word (header lines only)",
                                       "known bad sender"};
        for (int row = 0; row < 3; ++row) {
            const Copy &c = kCopies[2 - row];
            QCOMPARE(rowTexts(f.page.GridDeletedMail, row),
                     (QStringList{date(c.deletedAt), QLatin1String(c.sender),
                                  QLatin1String(c.subject), QString::number(messageOf(c).size()),
                                  QLatin1String(reasons[row])}));
        }

        // Enter on a row reads the copy from the disk into the reader: no connection.
        f.select(0);
        QTest::keyClick(f.page.GridDeletedMail, Qt::Key_Return);
        TForm4 &reader = f.w.controller.form4();
        QTRY_VERIFY(reader.isVisible());
        QCOMPARE(reader.Label4->text(), QStringLiteral("New <new@example.org>"));
        QCOMPARE(reader.Label5->text().trimmed(), QStringLiteral("Hello team"));
        QVERIFY(reader.Memo1->toPlainText().contains(QStringLiteral("Welcome aboard.")));
        QVERIFY(!f.w.screener().session.isOpen());
    }

    void restoresIntoTheNamedFolderAndAsksAboutTheSender()
    {
        const struct {
            int kindIndex;  // the page's choice: 0 Maildir, 1 mbox file
            const char *path;
            bool trustSender;
        } cases[] = {{0, "Mail", true}, {1, "inbox.mbox", false}};
        for (const auto &c : cases) {
            DeletedMailWindow f;
            Screener &s = f.w.screener();
            const Copy &boss = kCopies[0];
            const QString path = f.w.data.filePath(QLatin1String(c.path));
            f.page.ComboRestoreKind->setCurrentIndex(c.kindIndex);
            WindowFixture::type(f.page.EditRestorePath, path);
            QTest::keyClick(f.page.EditRestorePath, Qt::Key_Return);
            // Named once: NAME.conf keeps it.
            const ProfileConf conf = ProfileConf::load(s.profile.confFile);
            QCOMPARE(conf.restorePath(), path);
            QCOMPARE(int(conf.restoreTarget()), c.kindIndex == 0 ? int(RestoreTarget::Maildir)
                                                                 : int(RestoreTarget::Mbox));

            f.select(2);
            f.w.prompter.expectYesNo(Prompter::Kind::Confirmation,
                                     askWhitelistSenderText(boss.sender), c.trustSender);
            f.page.ButtonRestore->click();
            f.w.prompter.verifyAllAsked();

            if (c.kindIndex == 0) {
                const QStringList delivered = QDir(path + QStringLiteral("/new")).entryList(QDir::Files);
                QCOMPARE(delivered.size(), 1);
                QCOMPARE(fileBytes(path + QStringLiteral("/new/") + delivered[0]).toStdString(),
                         messageOf(boss));
            } else {
                const std::string mbox = fileBytes(path).toStdString();
                QVERIFY(mbox.starts_with("From boss@example.org "));
                QVERIFY(mbox.find(messageOf(boss)) != std::string::npos);
            }
            // Out of Deleted mail; its log entry and its training as spam went with it.
            QTRY_COMPARE(f.rows(), 2);
            QVERIFY(!s.profile.quarantine->findUniqueId("u1"));
            QVERIFY(!s.profile.rejectedLog.isKnownBadSender("boss <boss@example.org>"));
            QVERIFY(s.profile.rejectedLog.isKnownBadSender("new <new@example.org>"));
            QVERIFY(!s.profile.learning.store().judgementOf(messageKey(trainedLines(boss))));
            QVERIFY(s.profile.learning.store().judgementOf(messageKey(trainedLines(kCopies[2]))));
            QCOMPARE(s.profile.whitelist.contains(boss.sender), c.trustSender);
            if (c.trustSender) {
                Whitelist saved;
                QVERIFY(loadWhitelistFile(f.w.data.filePath(QStringLiteral("default.acc")), saved,
                                          WhitelistDecoding::AsStored));
                QVERIFY(saved.contains(boss.sender));
            }
        }
    }

    void deletionsForGoodAskFirst()
    {
        const struct {
            bool empty;  // "Empty" rather than "Delete for good"
            bool answer;
            int rowsLeft;
        } cases[] = {{false, false, 3}, {false, true, 2}, {true, false, 3}, {true, true, 0}};
        for (const auto &c : cases) {
            DeletedMailWindow f;
            f.select(0);
            f.w.prompter.expectYesNo(Prompter::Kind::Confirmation,
                                     c.empty ? askEmptyDeletedMailText(3) : kAskDeleteCopyForGood,
                                     c.answer);
            (c.empty ? f.page.ButtonEmptyDeleted : f.page.ButtonDeleteForGood)->click();
            f.w.prompter.verifyAllAsked();
            QTRY_COMPARE(f.rows(), c.rowsLeft);
            const QDir kept(QuarantineStore::folderFor(f.w.data.path(), "default")
                            + QStringLiteral("/new"));
            QCOMPARE(int(kept.entryList(QDir::Files).size()), c.rowsLeft);
            if (!c.empty && c.answer)
                QVERIFY(!f.w.screener().profile.quarantine->findUniqueId("u3"));
        }
    }
};

QTEST_MAIN(DeletedMailPageTest)
#include "deleted_mail_page_test.moc"
