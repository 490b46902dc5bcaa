// kestrix-cli list: the table on standard output, the resume marks kept in the profile, the
// download-control answers and the escaping of odd header bytes.
#include "cli_fixture.h"

namespace kestrix::test {
namespace {

using Strings = std::vector<std::string>;

TEST_F(CliTest, ListPrintsTheTableAndTheNextListStartsAfterTheTrustedRun)
{
    startServer(3);
    makeProfile().whitelist.add(sender(1));
    profile.whitelist.add(sender(2));
    saveProfile();

    const CliResult first = run({"list"});
    ASSERT_EQ(first.exitCode, 0) << first.err;
    const auto rows = first.rows();
    ASSERT_EQ(rows.size(), 3u) << first.out;
    EXPECT_EQ(rows[0][0], "1");
    EXPECT_EQ(rows[0][1], "KNGA");
    EXPECT_EQ(rows[0][2], sender(1));
    EXPECT_EQ(rows[0][3], "-");
    EXPECT_EQ(rows[0][4], subject(1));
    EXPECT_NE(rows[0][5].find(" /"), std::string::npos);
    EXPECT_EQ(rows[2][1], "-");
    for (const auto &row : rows)
        EXPECT_EQ(row.size(), 6u);
    // Without -v standard error carries the summary (after the warning that this test server
    // takes the password in clear), not the status texts.
    EXPECT_EQ(first.err, "kestrix-cli: warning: Password sent without encryption\n"
                         "kestrix-cli: default: 3 message(s) listed, 2 trusted, 0 known bad or "
                         "blacklisted\n");
    EXPECT_NE(loadProfile().settings.resumeCode, "-1");

    dovecot->addMessage(DovecotServer::makeMessage(sender(4), subject(4)));
    const CliResult second = run({"list"});
    ASSERT_EQ(second.exitCode, 0) << second.err;
    EXPECT_EQ(second.numbers(), (Strings{"3", "4"}));

    // --all forgets the marks, as "/ All" does.
    const CliResult all = run({"list", "--all"});
    EXPECT_EQ(all.numbers(), (Strings{"1", "2", "3", "4"}));
}

TEST_F(CliTest, LastAnswersTheDownloadControlQuestion)
{
    startServer(5);
    makeProfile().settings.NotifyLimit = 2;
    saveProfile();

    EXPECT_EQ(run({"list", "--last", "2"}).numbers(), (Strings{"4", "5"}));
    EXPECT_TRUE(run({"list", "--last", "0"}).out.empty());
    EXPECT_EQ(run({"list", "--last=100"}).numbers(), (Strings{"1", "2", "3", "4", "5"}));
    // Without --last and without a terminal every new message is fetched.
    EXPECT_EQ(run({"list"}).numbers(), (Strings{"1", "2", "3", "4", "5"}));
}

TEST_F(CliTest, TabsBackslashesAndLineBreaksInHeaderTextsAreEscaped)
{
    startServer({DovecotServer::makeMessage("Tab\tSender <t@example.org>", "one\ttwo \\ three"),
                 DovecotServer::makeMessage("Plain <p@example.org>",
                                            "=?iso-8859-1?q?line=0Abreak=0Dhere?=")});
    makeProfile();
    saveProfile();

    const CliResult result = run({"list"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto rows = result.rows();
    ASSERT_EQ(rows.size(), 2u) << result.out;
    for (const auto &row : rows)
        EXPECT_EQ(row.size(), 6u);
    EXPECT_EQ(rows[0][2], "Tab\\tSender <t@example.org>");
    EXPECT_EQ(rows[0][4], "one\\ttwo \\\\ three");
    EXPECT_EQ(rows[1][4], "line\\nbreak\\rhere");
}

TEST_F(CliTest, ProfileIsMatchedIgnoringCaseAndUsesItsOwnFiles)
{
    startServer(2);
    makeProfile("Work");
    saveProfile({"default", "Work"});

    const CliResult result = run({"--profile", "WORK", "list"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.numbers(), (Strings{"1", "2"}));
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("Work.ini"))));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("default.ini"))));
}

}  // namespace
}  // namespace kestrix::test
