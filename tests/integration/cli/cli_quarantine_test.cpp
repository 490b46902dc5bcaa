// Deleted mail end to end: kestrix-cli deletes on a real Dovecot, the copy holds the server's
// bytes, and restored messages read back through Python's mailbox module as a mail program
// reads them.
#include "cli_fixture.h"
#include "profiles/quarantine_store.h"
#include "profiles/token_store.h"
#include "text/header_decoding.h"

#include <QDir>
#include <QProcess>

#include <algorithm>

namespace kestrix::test {
namespace {

using Strings = std::vector<std::string>;

QString q(const std::string &text) { return QString::fromStdString(text); }

uint32_t trainedSpam(const QTemporaryDir &dir)
{
    std::string problem;
    return TokenStore::load(TokenStore::pathFor(dir.path(), "default"), problem).spamMessages();
}

// The subjects of a Maildir's or an mbox's messages, one a line, as Python's mailbox reads them.
std::string pythonSubjects(const std::string &kind, const std::string &path)
{
    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import mailbox,sys\n"
                                 "box = getattr(mailbox, sys.argv[1])(sys.argv[2], create=False)\n"
                                 "for m in box: print(m['Subject'], len(m.get_payload()))\n"),
                  q(kind), q(path)});
    if (!python.waitForFinished(30000))
        return "<python did not finish>";
    return python.readAllStandardOutput().toStdString() + python.readAllStandardError().toStdString();
}

TEST_F(CliTest, DeletedMailKeepsTheServersBytesAndRestoresIntoMaildirAndMbox)
{
    startServer({DovecotServer::makeMessage("Boss <boss@example.org>", "Invoice 7"),
                 DovecotServer::makeMessage("New <new@example.org>", "Hello from the team",
                                            "From the start.\r\n.dot line\r\n")});
    makeProfile();
    saveProfile();
    const Strings onServer = dovecot->messages();

    const CliResult deleted = run({"delete", "1", "2"});
    ASSERT_EQ(deleted.exitCode, 0) << deleted.err;
    EXPECT_TRUE(dovecot->messages().empty());
    EXPECT_TRUE(loadProfile().log.isKnownBadSender("boss <boss@example.org>"));
    EXPECT_EQ(trainedSpam(dir), 2u);

    const CliResult list = run({"quarantine", "list"});
    ASSERT_EQ(list.exitCode, 0) << list.err;
    const auto rows = list.rows();
    ASSERT_EQ(rows.size(), 2u) << list.out;
    std::map<std::string, std::string> idOf;  // subject -> id
    for (const auto &row : rows) {
        ASSERT_EQ(row.size(), 6u);
        EXPECT_EQ(row[5], "chosen by hand");
        idOf[row[3]] = row[0];
    }
    // Each copy holds exactly the bytes the server kept.
    EXPECT_EQ(run({"quarantine", "show", idOf["Invoice 7"]}).out, onServer[0]);
    EXPECT_EQ(run({"quarantine", "show", idOf["Hello from the team"]}).out, onServer[1]);

    const std::string maildir = dir.filePath(QStringLiteral("Mail")).toStdString();
    const std::string mbox = dir.filePath(QStringLiteral("inbox.mbox")).toStdString();
    ASSERT_EQ(run({"quarantine", "restore", idOf["Invoice 7"], "--to", maildir}).exitCode, 0);
    ASSERT_EQ(run({"quarantine", "restore", idOf["Hello from the team"], "--mbox", mbox}).exitCode, 0);
    EXPECT_EQ(pythonSubjects("Maildir", maildir), "Invoice 7 7\n");
    EXPECT_EQ(pythonSubjects("mbox", mbox), "Hello from the team 27\n");
    // Restored: out of Deleted mail, and the sender is no longer known bad for it, neither in
    // the log nor in what the learned score was taught.
    EXPECT_EQ(run({"quarantine", "list"}).out, "");
    EXPECT_FALSE(loadProfile().log.isKnownBadSender("boss <boss@example.org>"));
    EXPECT_EQ(trainedSpam(dir), 0u);
}

TEST_F(CliTest, QuarantineVerbsAnswerEveryForm)
{
    makeProfile();
    saveProfile();
    {
        QuarantineStore store(QuarantineStore::folderFor(dir.path(), "default"), {});
        ASSERT_EQ(store.open(), "");
        ASSERT_EQ(store.store("u1", "a@example.org", "Old", DeletionReason::KnownBadSender,
                              "Subject: Old\r\n\r\nx\r\n", 1000), "");
        ASSERT_EQ(store.store("u2", "b@example.org", "New", DeletionReason::BlacklistedWord,
                              "Subject: New\r\n\r\ny\r\n", 2'000'000'000), "");
        ASSERT_EQ(store.saveIndex(), "");
    }
    const std::string saved = dir.filePath(QStringLiteral("saved.eml")).toStdString();
    struct Case {
        Strings args;
        int exitCode;
        std::string out;  // exact, or "" when not checked
        std::string err;  // a part of the error text
    };
    const std::vector<Case> cases = {
        {{"quarantine"}, 2, "", "quarantine needs list"},
        {{"quarantine", "show"}, 2, "", "wrong arguments"},
        {{"quarantine", "show", "9"}, 1, "", "No message 9 in Deleted mail"},
        {{"quarantine", "show", "1"}, 0, "Subject: Old\r\n\r\nx\r\n", ""},
        {{"quarantine", "save", "2", saved}, 0, "", ""},
        {{"quarantine", "restore", "1"}, 2, "", "--to MAILDIR or --mbox FILE"},
        {{"quarantine", "restore", "x", "--mbox", saved + ".mbox"}, 2, "", "not a message ID"},
        {{"quarantine", "purge", "--older-than", "x"}, 2, "", "--older-than DAYS"},
        {{"quarantine", "purge"}, 0, "", "1 copies purged"},
        {{"quarantine", "list"}, 0, "", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.args.size() > 1 ? c.args[1] : c.args[0]);
        const CliResult result = run(c.args);
        EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
        if (!c.out.empty()) {
            EXPECT_EQ(result.out, c.out);
        }
        EXPECT_NE(result.err.find(c.err), std::string::npos) << result.err;
    }
    QFile file(q(saved));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(), "Subject: New\r\n\r\ny\r\n");
    // The purge left only the new copy, listed with its reason.
    const auto rows = run({"quarantine", "list"}).rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], "2");
    EXPECT_EQ(rows[0][5], "blacklisted word");
}

// A run killed while a copy was on its way leaves only a file in tmp, cleaned by the next start;
// one killed with its copies kept but before any DELE leaves both sides whole; the next deletion
// takes the kept copies by their unique ids and stores none of them twice.
TEST_F(CliTest, AKilledDeletionLosesNothingAndKeepsNoCopyTwice)
{
    startServer({DovecotServer::makeMessage("Boss <boss@example.org>", "Invoice 7"),
                 DovecotServer::makeMessage("Ads <ads@spam.example>", "Offer")});
    makeProfile();
    saveProfile();
    const Strings onServer = dovecot->messages();
    const QString folder = QuarantineStore::folderFor(dir.path(), "default");
    const auto filesIn = [&](const char *sub) {
        return QDir(folder + QLatin1String(sub)).entryList(QDir::Files).size();
    };
    const struct {
        const char *fault;
        qsizetype inTmp, inNew;
    } kills[] = {{"before-rename", 1, 0}, {"after-copies", 0, 2}};
    for (const auto &kill : kills) {
        SCOPED_TRACE(kill.fault);
        qputenv("KESTRIX_FAULT", kill.fault);
        const CliResult killed = run({"delete", "1", "2"});
        qunsetenv("KESTRIX_FAULT");
        EXPECT_EQ(killed.exitCode, -1) << killed.err;
        EXPECT_EQ(dovecot->messages(), onServer);
        EXPECT_EQ(filesIn("/tmp"), kill.inTmp);
        EXPECT_EQ(filesIn("/new"), kill.inNew);
    }
    const CliResult deleted = run({"delete", "1", "2"});
    ASSERT_EQ(deleted.exitCode, 0) << deleted.err;
    EXPECT_TRUE(dovecot->messages().empty());
    EXPECT_EQ(filesIn("/tmp"), 0);
    EXPECT_EQ(filesIn("/new"), 2);
    const auto rows = run({"quarantine", "list"}).rows();
    ASSERT_EQ(rows.size(), 2u);
    Strings kept = {run({"quarantine", "show", rows[0][0]}).out,
                    run({"quarantine", "show", rows[1][0]}).out};
    Strings expected = onServer;
    std::sort(kept.begin(), kept.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(kept, expected);
}

}  // namespace
}  // namespace kestrix::test
