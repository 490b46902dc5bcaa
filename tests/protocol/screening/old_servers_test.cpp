// Whole screening runs under the default Automatic security against servers of the oldest kind:
// one without CAPA is listed, screened, deleted from and read as any other; one without UIDL or
// TOP ends the download with a message that says so, nothing claimed and nothing deleted.
#include "support/screener_fixture.h"
#include "mime/mail_message.h"

#include <gmock/gmock.h>

#include <string>
#include <vector>

namespace kestrix::test {
namespace {

using Strings = std::vector<std::string>;
using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;

const std::string ann = "Ann <ann@example.org>";
const std::string promo = "Promo <promo@example.net>";

// A server as RFC 1939 describes it, without the extensions: CAPA is an unknown command.
void loginWithoutCapa(FakePop3Server &fake, int count)
{
    fake.send("+OK POP3 server ready\r\n");
    fake.expect("CAPA\r\n");
    fake.send("-ERR unknown command\r\n");
    fake.expect("USER joe\r\n");
    fake.send("+OK\r\n");
    fake.expect("PASS secret\r\n");
    fake.send("+OK\r\n");
    fake.expect("STAT\r\n");
    fake.send("+OK " + std::to_string(count) + " 400\r\n");
}

void answerUidl(FakePop3Server &fake, int n)
{
    fake.expect("UIDL " + std::to_string(n) + "\r\n");
    fake.send("+OK " + std::to_string(n) + " uid-" + std::to_string(n) + "\r\n");
}

void answerQuit(FakePop3Server &fake)
{
    fake.expect("QUIT\r\n");
    fake.send("+OK\r\n");
}

class OldServerTest : public ScreenerDialogueTest {
protected:
    void SetUp() override
    {
        ScreenerDialogueTest::SetUp();
        s.profile.conf.setSecurityMode(SecurityMode::Auto);
    }

    void run(PendingCommand code)
    {
        s.dispatcher.pendingCommand = code;
        s.dispatcher.Timer2Timer();
        EXPECT_EQ(s.dispatcher.pendingCommand, cmdIdle);
        EXPECT_FALSE(s.session.isOpen());
    }
};

TEST_F(OldServerTest, WithoutCapaTheWholeRunWorksInPlainText)
{
    // Get and check: message 2 has a blacklist word in its subject.
    loginWithoutCapa(fake, 2);
    answerUidl(fake, 2);
    const std::string subjects[] = {"", "Lunch", "Easy cash now"};
    for (int n = 1; n <= 2; ++n) {
        fake.expect("TOP " + std::to_string(n) + " 0\r\n");
        fake.send("+OK\r\nFrom: " + (n == 1 ? ann : promo) + "\r\nSubject: " + subjects[n]
                  + "\r\n\r\n.\r\n");
        fake.expect("LIST " + std::to_string(n) + "\r\n");
        fake.send("+OK " + std::to_string(n) + " 200\r\n");
        answerUidl(fake, n);
    }
    answerQuit(fake);
    // Delete the known-bad row: the message still carries its unique id.
    fake.nextConnection();
    loginWithoutCapa(fake, 2);
    answerUidl(fake, 2);
    fake.expect("DELE 2\r\n");
    fake.send("+OK\r\n");
    answerQuit(fake);
    // Read the row left.
    fake.nextConnection();
    loginWithoutCapa(fake, 1);
    answerUidl(fake, 1);  // the row still names the same message
    fake.expect("RETR 1\r\n");
    fake.send("+OK\r\nFrom: " + ann + "\r\nSubject: Lunch\r\n\r\nAt noon?\r\n.\r\n");
    answerQuit(fake);

    // The profile remembers a server that pipelined: its CAPA refused now, it forgets.
    s.profile.conf.rememberPipelining(true);
    ASSERT_TRUE(s.profile.conf.save(s.profile.confFile).ok);
    run(cmdGetAndCheck);
    EXPECT_FALSE(ProfileConf::load(s.profile.confFile).pipelining());
    ASSERT_EQ(s.messages.ListBox2(), (Strings{ann, promo}));
    ASSERT_EQ(s.countKnownBad(), 1);
    prompter.expectYesNo(Prompter::Kind::Confirmation,
                         "Really DELETE 1 blacklisted or known bad message(s) (No Recovery !) ?",
                         true);
    s.grid.knownBadSelectMode = true;
    run(cmdDeleteKnownBad);
    EXPECT_EQ(s.lastDeletion.deleted, 1);
    EXPECT_EQ(s.messages.ListBox2(), (Strings{ann}));
    // The reader's text, as the window's side receives it.
    struct Reader : WindowSide {
        Strings text;
        void fillReader(const TMailMessage &message) override { text = message.Body; }
    } reader;
    s.setWindowSide(reader);
    const Strings &text = reader.text;
    s.grid.selTop = s.grid.selBottom = 1;
    run(cmdReadMessage);
    finishDialogue();

    EXPECT_EQ(text, (Strings{"At noon?"}));
    EXPECT_TRUE(s.session.commandFailure.empty()) << s.session.commandFailure;
    EXPECT_TRUE(s.session.quitConfirmed);
    EXPECT_EQ(s.profile.settings.DeletedCount, 1);
    EXPECT_THAT(view.statusHistory, Contains("Password sent without encryption"));
    prompter.verifyAllAsked();
}

TEST(OldServerRefusalTest, WithoutUidlOrTopTheDownloadEndsWithAMessageAndClaimsNothing)
{
    struct Case {
        const char *name;
        std::string capa;     // the reply to CAPA
        std::string refused;  // the command the server does not know
        std::string message;  // what the user reads
    };
    const Case cases[] = {
        {"no UIDL", "-ERR unknown command\r\n", "UIDL 1",
         "Operation failed. The server does not support UIDL, which screening needs (server: "
         "-ERR unknown command)"},
        {"no TOP", "+OK\r\nUSER\r\nUIDL\r\n.\r\n", "TOP 1 0",
         "The server does not support TOP, which screening needs (server: -ERR unknown command)"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakePop3Server fake;
        fake.send("+OK POP3 server ready\r\n");
        fake.expect("CAPA\r\n");
        fake.send(c.capa);
        fake.expect("USER joe\r\n");
        fake.send("+OK\r\n");
        fake.expect("PASS secret\r\n");
        fake.send("+OK\r\n");
        fake.expect("STAT\r\n");
        fake.send("+OK 1 200\r\n");
        if (c.refused != "UIDL 1")
            answerUidl(fake, 1);
        fake.expect(c.refused + "\r\n");
        fake.send("-ERR unknown command\r\n");
        answerQuit(fake);
        ScreenerFixture f;
        f.pointAt(fake.port());
        f.s.profile.conf.setSecurityMode(SecurityMode::Auto);
        f.prompter.expectMessage(Prompter::Kind::Error, c.message);

        f.s.dispatcher.pendingCommand = cmdGetAndCheck;
        f.s.dispatcher.Timer2Timer();

        EXPECT_TRUE(fake.waitUntilScriptDone());
        for (const std::string &failure : fake.failures())
            ADD_FAILURE() << failure;
        f.prompter.verifyAllAsked();
        EXPECT_FALSE(f.s.session.isOpen());
        EXPECT_TRUE(f.s.messages.rows.empty());
        // No all-clear: an empty table here is no empty mailbox.
        EXPECT_NE(f.view.visible(Control::Panel12), true);
        EXPECT_THAT(f.view.statusHistory, Not(Contains("No new messages on server")));
        EXPECT_THAT(f.view.statusHistory, Contains(HasSubstr("which screening needs")));
    }
}

}  // namespace
}  // namespace kestrix::test
