// kestrix-cli delete-known-bad and delete: what goes, what stays, and what the profile keeps.
#include "cli_fixture.h"
#include "support/fake_pop3_server.h"

namespace kestrix::test {
namespace {

using Strings = std::vector<std::string>;

TEST_F(CliTest, DeleteKnownBadLeavesWhitelistedRowsAloneAndKeepsLogAndCount)
{
    startServer({
        DovecotServer::makeMessage("Friend <friend@example.org>", "Quick cash for the party"),
        DovecotServer::makeMessage("Promo <promo@example.net>", "Easy cash now"),
        DovecotServer::makeMessage("Old <old@spam.example>", "Hello again"),
        DovecotServer::makeMessage("Colleague <col@example.org>", "Minutes"),
    });
    Profile &p = makeProfile();
    p.whitelist.add("Friend <friend@example.org>");
    p.log.appendRejected("Old <old@spam.example>", "something else");
    p.settings.DeletedCount = 7;
    saveProfile();

    const CliResult result = run({"delete-known-bad"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(dovecot->senders(),
              (Strings{"Friend <friend@example.org>", "Colleague <col@example.org>"}));
    // The table after the deletion, renumbered as the server numbers the rest now.
    const auto rows = result.rows();
    ASSERT_EQ(rows.size(), 2u) << result.out;
    EXPECT_EQ(rows[0], (Strings{"1", "KNGA", "Friend <friend@example.org>", "KNBP",
                                "Quick cash for the party", rows[0][5]}));
    EXPECT_EQ(rows[1][0], "2");
    EXPECT_EQ(rows[1][2], "Colleague <col@example.org>");

    const Profile saved = loadProfile();
    EXPECT_EQ(saved.settings.DeletedCount, 9);
    EXPECT_TRUE(saved.log.isKnownBadSender("promo <promo@example.net>"));
    EXPECT_TRUE(saved.log.isKnownBadSubject("easy cash now"));
}

TEST_F(CliTest, DeleteRemovesTheNamedRowsAndNothingWhenANumberNamesNoRow)
{
    startServer(4);
    makeProfile().whitelist.add(sender(3));
    saveProfile();

    // A mistyped number: nothing at all is deleted, and the one line names it.
    const CliResult mistyped = run({"delete", "2", "9"});
    EXPECT_EQ(mistyped.exitCode, 1);
    EXPECT_EQ(mistyped.errorLines(),
              (Strings{"kestrix-cli: no row shows message number 9; nothing deleted"}));
    EXPECT_EQ(dovecot->senders().size(), 4u);

    const CliResult result = run({"delete", "--all", "2", "3"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    // Row 3 is whitelisted: without --allow-accepted it stays.
    EXPECT_EQ(dovecot->senders(), (Strings{sender(1), sender(3), sender(4)}));
    EXPECT_EQ(result.numbers(), (Strings{"1", "2", "3"}));
    EXPECT_EQ(result.rows()[1][2], sender(3));
    const Profile saved = loadProfile();
    EXPECT_EQ(saved.settings.DeletedCount, 1);
    EXPECT_TRUE(saved.log.isKnownBadSender(lowerAZ(sender(2))));

    const CliResult accepted = run({"delete", "--allow-accepted", "--all", "2"});
    ASSERT_EQ(accepted.exitCode, 0) << accepted.err;
    EXPECT_EQ(dovecot->senders(), (Strings{sender(1), sender(4)}));
    // A whitelisted sender is never logged.
    EXPECT_FALSE(loadProfile().log.isKnownBadSender(lowerAZ(sender(3))));
}

TEST_F(CliTest, WrongPasswordExitsOneAndChangesNoFile)
{
    startServer(2);
    makeProfile();
    saveProfile();
    const auto before = files();

    const CliResult result = run({"delete-known-bad"}, "wrong");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.out.empty());
    ASSERT_EQ(result.errorLines().size(), 1u) << result.err;
    EXPECT_NE(result.err.find("Authentication failed"), std::string::npos) << result.err;
    EXPECT_EQ(files(), before);
    EXPECT_EQ(dovecot->messages().size(), 2u);
}

TEST_F(CliTest, UnreachableServerExitsOne)
{
    startServer(1);
    makeProfile().settings.Port = "1";  // nothing listens there
    saveProfile();
    const auto before = files();
    const CliResult result = run({"list"});
    EXPECT_EQ(result.exitCode, 1) << result.err;
    EXPECT_EQ(result.errorLines().size(), 1u) << result.err;
    EXPECT_EQ(files(), before);
}

TEST_F(CliTest, RefusedDeleEndsTheRunWithExitOneAndKeepsWhatWasDeleted)
{
    FakePop3Server fake;
    auto scriptUidl = [&fake](int n) {
        fake.expect("UIDL " + std::to_string(n) + "\r\n");
        fake.send("+OK " + std::to_string(n) + " uid" + std::to_string(n) + "\r\n");
    };
    fake.send("+OK ready\r\n");
    // Automatic security asks for the capabilities; without STLS the login goes plain.
    fake.expect("CAPA\r\n");
    fake.send("+OK\r\nUSER\r\nUIDL\r\n.\r\n");
    fake.expect("USER kestrix\r\n");
    fake.send("+OK\r\n");
    fake.expect("PASS secret\r\n");
    fake.send("+OK\r\n");
    fake.expect("STAT\r\n");
    fake.send("+OK 2 400\r\n");
    scriptUidl(2);
    for (int n = 1; n <= 2; ++n) {
        fake.expect("TOP " + std::to_string(n) + " 0\r\n");
        fake.send("+OK\r\nFrom: " + sender(n) + "\r\nSubject: " + subject(n) + "\r\n\r\n.\r\n");
        fake.expect("LIST " + std::to_string(n) + "\r\n");
        fake.send("+OK " + std::to_string(n) + " 200\r\n");
        scriptUidl(n);
    }
    // The checks first, then the copies kept under Deleted mail, then the DELEs.
    scriptUidl(2);
    scriptUidl(1);
    for (int n = 2; n >= 1; --n) {
        fake.expect("RETR " + std::to_string(n) + "\r\n");
        fake.send("+OK\r\nFrom: " + sender(n) + "\r\nSubject: " + subject(n) + "\r\n\r\nHi\r\n.\r\n");
    }
    fake.expect("DELE 2\r\n");
    fake.send("+OK\r\n");
    fake.expect("DELE 1\r\n");
    fake.send("-ERR mailbox is locked\r\n");
    fake.expect("QUIT\r\n");
    fake.send("+OK\r\n");

    Profile &p = makeProfile();
    p.settings.Port = std::to_string(fake.port());
    saveProfile();

    const CliResult result = run({"delete", "1", "2"});
    EXPECT_TRUE(fake.waitUntilScriptDone());
    EXPECT_TRUE(fake.failures().empty());
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.errorLines(), (Strings{"kestrix-cli: -ERR mailbox is locked"}));
    EXPECT_NE(result.err.find("Password sent without encryption"), std::string::npos) << result.err;
    // The table after the run shows the one message left.
    EXPECT_EQ(result.numbers(), (std::vector<std::string>{"1"}));
    const Profile saved = loadProfile();
    EXPECT_EQ(saved.settings.DeletedCount, 1);
    EXPECT_TRUE(saved.log.isKnownBadSender(lowerAZ(sender(2))));
    EXPECT_FALSE(saved.log.isKnownBadSender(lowerAZ(sender(1))));
}

TEST_F(CliTest, DeletionsWithoutAConfirmedQuitExitOne)
{
    FakePop3Server fake;
    fake.send("+OK ready\r\n");
    // Automatic security asks for the capabilities; without STLS the login goes plain.
    fake.expect("CAPA\r\n");
    fake.send("+OK\r\nUSER\r\nUIDL\r\n.\r\n");
    fake.expect("USER kestrix\r\n");
    fake.send("+OK\r\n");
    fake.expect("PASS secret\r\n");
    fake.send("+OK\r\n");
    fake.expect("STAT\r\n");
    fake.send("+OK 1 200\r\n");
    fake.expect("UIDL 1\r\n");
    fake.send("+OK 1 uid1\r\n");
    fake.expect("TOP 1 0\r\n");
    fake.send("+OK\r\nFrom: " + sender(1) + "\r\nSubject: " + subject(1) + "\r\n\r\n.\r\n");
    fake.expect("LIST 1\r\n");
    fake.send("+OK 1 200\r\n");
    for (int i = 0; i < 2; ++i) {
        fake.expect("UIDL 1\r\n");
        fake.send("+OK 1 uid1\r\n");
    }
    fake.expect("RETR 1\r\n");
    fake.send("+OK\r\nFrom: " + sender(1) + "\r\n\r\n.\r\n");
    fake.expect("DELE 1\r\n");
    fake.send("+OK\r\n");
    // The server could not remove the message: the deletion did not happen.
    fake.expect("QUIT\r\n");
    fake.send("-ERR some deleted messages not removed\r\n");

    Profile &p = makeProfile();
    p.settings.Port = std::to_string(fake.port());
    saveProfile();

    const CliResult result = run({"delete", "1"});
    EXPECT_TRUE(fake.waitUntilScriptDone());
    EXPECT_TRUE(fake.failures().empty());
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("did not confirm QUIT"), std::string::npos) << result.err;
}

}  // namespace
}  // namespace kestrix::test
