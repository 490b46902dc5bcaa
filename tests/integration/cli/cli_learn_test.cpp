// kestrix-cli learn and score on small mail files: an mbox, a Maildir and single .eml files.
#include "cli_fixture.h"

#include <QFileInfo>

#include <filesystem>

#include <gmock/gmock.h>

#include <regex>

using namespace kestrix;
using namespace kestrix::test;
using ::testing::HasSubstr;

namespace {

std::string spamMessage(int i)
{
    return "From: \"Cheap Pills\" <offer" + std::to_string(i) + "@cheap.example>\n"
           "Subject: Cheap pills, order " + std::to_string(i) + " now!!!\n"
           "X-Mailer: Bulk Sender 2.0\n\n"
           "Buy.\n";
}

std::string goodMessage(int i)
{
    return "From: Ann <ann@work.example>\r\n"
           "Subject: Minutes of meeting " + std::to_string(i) + "\r\n"
           "List-Id: <team.work.example>\r\n"
           "User-Agent: Mutt/1.4i\r\n\r\n"
           "From the meeting.\r\n";
}

}  // namespace

class CliLearnTest : public CliTest {
protected:
    void write(const QString &name, const std::string &bytes)
    {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes.data(), qint64(bytes.size()));
    }
    std::string path(const char *name) const { return dir.filePath(QString::fromLatin1(name)).toStdString(); }
};

TEST_F(CliLearnTest, LearnsFromMboxAndMaildirScoresFilesAndNeverCountsTwice)
{
    makeProfile();
    saveProfile();
    write(QStringLiteral("probe-spam.eml"), spamMessage(99));
    write(QStringLiteral("probe-good.eml"), goodMessage(99));

    CliResult untrained = run({"score", path("probe-spam.eml")});
    EXPECT_EQ(untrained.exitCode, 1);
    EXPECT_THAT(untrained.err, HasSubstr("Learned: 0 spam and 0 good messages; scores start at 20 of each"));

    // 20 spam messages in one mbox (a "From " line before each), 20 good ones in a Maildir.
    std::string mbox;
    for (int i = 0; i < 20; ++i)
        mbox += "From offer@cheap.example Thu Aug 22 13:17:22 2002\n" + spamMessage(i) + "\n";
    write(QStringLiteral("spam.mbox"), mbox);
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("good/cur")));
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("good/new")));
    for (int i = 0; i < 20; ++i)
        write(QStringLiteral("good/%1/%2.eml").arg(i % 2 ? QStringLiteral("cur") : QStringLiteral("new")).arg(i),
              goodMessage(i));

    const struct {
        std::vector<std::string> args;
        const char *summary;
    } steps[] = {
        {{"learn", "spam", path("spam.mbox")},
         "20 message(s) learned as spam, 0 moved from the other side, 0 already learned; "
         "Learned: 20 spam and 0 good messages; scores start at 20 of each"},
        {{"learn", "good", path("good")},
         "20 message(s) learned as good, 0 moved from the other side, 0 already learned; "
         "Learned: 20 spam and 20 good messages"},
        {{"learn", "spam", path("spam.mbox")}, "0 message(s) learned as spam, 0 moved from the other side, 20 already learned"},
        {{"learn", "good", path("spam.mbox")}, "20 moved from the other side, 0 already learned; Learned: 0 spam and 40 good"},
        {{"learn", "spam", path("spam.mbox")}, "20 moved from the other side, 0 already learned; Learned: 20 spam and 20 good"},
        {{"learn", "forget", path("probe-good.eml")}, "0 message(s) forgotten, 1 not learned before"},
    };
    for (const auto &step : steps) {
        SCOPED_TRACE(step.args[1]);
        const CliResult result = run(step.args);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_THAT(result.err, HasSubstr(step.summary));
    }
    EXPECT_EQ(std::filesystem::status(path("default.tokens")).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);

    const CliResult scored = run({"score", path("probe-spam.eml"), path("probe-good.eml"), path("spam.mbox")});
    ASSERT_EQ(scored.exitCode, 0) << scored.err;
    const auto rows = scored.rows();
    ASSERT_EQ(rows.size(), 22u) << scored.out;
    const std::regex score("[01]\\.[0-9]{3}");
    for (const auto &row : rows) {
        ASSERT_EQ(row.size(), 3u);
        EXPECT_TRUE(std::regex_match(row[0], score)) << row[0];
    }
    EXPECT_EQ(rows[0][1], "spam");
    EXPECT_EQ(rows[0][2], path("probe-spam.eml"));
    EXPECT_EQ(rows[1][1], "good");
    EXPECT_EQ(rows[21][2], path("spam.mbox") + ":20");

    // A damaged store is reported, rebuilt empty, and learning goes on.
    write(QStringLiteral("default.tokens"), "not a store at all");
    const CliResult afterDamage = run({"learn", "good", path("probe-good.eml")});
    EXPECT_EQ(afterDamage.exitCode, 0);
    EXPECT_THAT(afterDamage.err, HasSubstr("are damaged"));
    EXPECT_THAT(afterDamage.err, HasSubstr("Learned: 0 spam and 1 good messages"));

    EXPECT_EQ(run({"learn", "maybe", path("probe-good.eml")}).exitCode, 2);
    const CliResult missing = run({"learn", "spam", path("missing.eml")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_THAT(missing.err, HasSubstr("no such file or folder"));
}

TEST_F(CliLearnTest, ListVerdictsAddsTheScoreAndADeletionTrainsSpam)
{
    startServer({DovecotServer::makeMessage("Offer <offer77@cheap.example>", "Cheap pills 77"),
                 DovecotServer::makeMessage("Ann <ann@work.example>", "Minutes 77")});
    makeProfile();
    saveProfile();
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("spam")));
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("good")));
    for (int i = 0; i < 20; ++i) {
        const QString name = QStringLiteral("/%1.eml").arg(i);
        write(QStringLiteral("spam") + name,
              DovecotServer::makeMessage("Offer <offer" + std::to_string(i) + "@cheap.example>",
                                         "Cheap pills " + std::to_string(i)));
        write(QStringLiteral("good") + name,
              DovecotServer::makeMessage("Ann <ann@work.example>", "Minutes " + std::to_string(i)));
    }
    ASSERT_EQ(run({"learn", "spam", path("spam")}).exitCode, 0);
    ASSERT_EQ(run({"learn", "good", path("good")}).exitCode, 0);

    const CliResult plain = run({"list", "--all"});
    const CliResult judged = run({"list", "--all", "--verdicts"});
    ASSERT_EQ(judged.exitCode, 0) << judged.err;
    const auto rows = judged.rows();
    ASSERT_EQ(rows.size(), 2u) << judged.out;
    EXPECT_EQ(plain.rows()[0].size() + 1, rows[0].size());  // the plain table keeps its columns
    EXPECT_TRUE(std::regex_match(rows[0].back(), std::regex("spam 0\\.9[0-9]{2}|spam 1\\.000")))
        << rows[0].back();
    EXPECT_TRUE(std::regex_match(rows[1].back(), std::regex("good 0\\.[01][0-9]{2}"))) << rows[1].back();

    // Deleting the message is the user's word for spam: the store learns it.
    const CliResult deleted = run({"delete", "--all", "1"});
    ASSERT_EQ(deleted.exitCode, 0) << deleted.err;
    QFile store(dir.filePath(QStringLiteral("default.tokens")));
    ASSERT_TRUE(store.open(QIODevice::ReadOnly));
    EXPECT_TRUE(store.readAll().contains("\r\nmessages 21 20\r\n"));
}
