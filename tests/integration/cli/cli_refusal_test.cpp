// kestrix-cli against servers that refuse: each refusal the user can act on is told apart in one
// line on standard error (the warning about the plain login aside), with exit status 1.
#include "cli_fixture.h"
#include "support/fake_pop3_server.h"

namespace kestrix::test {
namespace {

TEST_F(CliTest, EveryRefusalIsToldApartInOneLine)
{
    struct Case {
        const char *name;
        std::string capa;     // the reply to CAPA
        std::string user;     // the reply to USER
        std::string pass;     // the reply to PASS ("" when USER was refused)
        std::string after;    // after STAT "+OK 1 100": the command refused, then its reply
        std::string refusal;  // the reply that ends the session
        std::string line;     // what kestrix-cli says
    };
    const std::string capa = "+OK\r\nUSER\r\nTOP\r\nUIDL\r\n.\r\n";
    const std::string loginFailed = "kestrix-cli: Authentication failed: ";
    const std::string tlsRequired =
        "the server takes the password only over an encrypted connection; choose \"Automatic\" or "
        "\"TLS\" in Security";
    const Case cases[] = {
        {"wrong password", capa, "+OK", "-ERR [AUTH] Invalid login", "", "",
         loginFailed + "the server did not accept the user name or the password (server: -ERR "
                       "[AUTH] Invalid login)"},
        {"TLS required by text", capa, "-ERR Plaintext authentication disallowed on non-secure "
                                       "(SSL/TLS) connections.", "", "", "",
         loginFailed + tlsRequired + " (server: -ERR Plaintext authentication disallowed on "
                                     "non-secure (SSL/TLS) connections.)"},
        {"USER in the wrong state", capa, "-ERR Incorrect state.", "", "", "",
         loginFailed + tlsRequired + " (server: -ERR Incorrect state.)"},
        {"mailbox in use", capa, "+OK", "-ERR [IN-USE] Mailbox locked", "", "",
         loginFailed + "the mailbox is in use: another program is reading it; try again later "
                       "(server: -ERR [IN-USE] Mailbox locked)"},
        {"temporary fault", capa, "+OK", "-ERR [SYS/TEMP] Disk full", "", "",
         loginFailed + "the server has a temporary fault; try again later (server: -ERR "
                       "[SYS/TEMP] Disk full)"},
        {"no UIDL, no CAPA", "-ERR unknown command\r\n", "+OK", "+OK", "UIDL 1",
         "-ERR unknown command",
         "kestrix-cli: The server does not support UIDL, which screening needs (server: -ERR "
         "unknown command)"},
        {"no TOP in CAPA", "+OK\r\nUSER\r\nUIDL\r\n.\r\n", "+OK", "+OK", "TOP 1 0",
         "-ERR no such command",
         "kestrix-cli: download stopped: The server does not support TOP, which screening needs "
         "(server: -ERR no such command)"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakePop3Server fake;
        fake.send("+OK ready\r\n");
        fake.expect("CAPA\r\n");
        fake.send(c.capa);
        fake.expect("USER kestrix\r\n");
        fake.send(c.user + "\r\n");
        if (!c.pass.empty()) {
            fake.expect("PASS secret\r\n");
            fake.send(c.pass + "\r\n");
        }
        if (!c.after.empty()) {
            fake.expect("STAT\r\n");
            fake.send("+OK 1 100\r\n");
            if (c.after == "TOP 1 0") {
                fake.expect("UIDL 1\r\n");
                fake.send("+OK 1 uid1\r\n");
            }
            fake.expect(c.after + "\r\n");
            fake.send(c.refusal + "\r\n");
        }
        fake.expect("QUIT\r\n");
        // A session that got past the login and deleted nothing does not wait for QUIT's reply.
        if (c.after.empty())
            fake.send("+OK\r\n");
        makeProfile().settings.Port = std::to_string(fake.port());
        saveProfile();

        const CliResult result = run({"list"});
        EXPECT_TRUE(fake.waitUntilScriptDone());
        for (const std::string &failure : fake.failures())
            ADD_FAILURE() << failure;
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.errorLines(), std::vector<std::string>{c.line}) << result.err;
    }
}

}  // namespace
}  // namespace kestrix::test
