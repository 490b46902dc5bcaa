// kestrix-cli against servers that break the dialogue: a reply sent twice, a connection reset or
// closed in the middle of a header, a STAT reply without numbers, absurd message counts. Each
// run must exit 1 and say why, show no row for a header that never arrived, send nothing once
// the session is lost, and keep its memory to what the server really sent.
#include "cli_fixture.h"
#include "support/fake_pop3_server.h"

#include <sys/resource.h>

#include <algorithm>

namespace kestrix::test {
namespace {

class CliHostileServerTest : public CliTest {
protected:
    // Greeting, CAPA (automatic security; no STLS), USER, PASS and the given STAT reply.
    void scriptLogin(const std::string &statReply)
    {
        fake().send("+OK ready\r\n");
        fake().expect("CAPA\r\n");
        fake().send("+OK\r\nUSER\r\nUIDL\r\n.\r\n");
        fake().expect("USER kestrix\r\n");
        fake().send("+OK\r\n");
        fake().expect("PASS secret\r\n");
        fake().send("+OK\r\n");
        fake().expect("STAT\r\n");
        fake().send(statReply);
    }
    void scriptMessage(int n)
    {
        fake().expect("TOP " + std::to_string(n) + " 0\r\n");
        fake().send("+OK\r\nFrom: " + sender(n) + "\r\nSubject: " + subject(n) + "\r\n\r\n.\r\n");
        fake().expect("LIST " + std::to_string(n) + "\r\n");
        fake().send("+OK " + std::to_string(n) + " 200\r\n");
        scriptUidl(n);
    }
    void scriptUidl(int n)
    {
        fake().expect("UIDL " + std::to_string(n) + "\r\n");
        fake().send("+OK " + std::to_string(n) + " uid" + std::to_string(n) + "\r\n");
    }
    CliResult runList()
    {
        makeProfile().settings.Port = std::to_string(fake().port());
        saveProfile();
        const CliResult result = run({"list"});
        EXPECT_TRUE(fake().waitUntilScriptDone());
        for (const std::string &failure : fake().failures())
            ADD_FAILURE() << failure;
        return result;
    }
    // What the client sent after the line `after` (which must be among them).
    std::vector<std::string> sentAfter(const std::string &after) const
    {
        const std::vector<std::string> lines = fake().received();
        const auto at = std::find(lines.begin(), lines.end(), after);
        EXPECT_NE(at, lines.end()) << after;
        return at == lines.end() ? lines : std::vector<std::string>(at + 1, lines.end());
    }

    // A fresh server for each case of a table.
    void renewServer() { server = std::make_unique<FakePop3Server>(); }

    FakePop3Server &fake() const { return *server; }

    std::unique_ptr<FakePop3Server> server = std::make_unique<FakePop3Server>();
};

TEST_F(CliHostileServerTest, AServerThatAnswersTwiceIsStoppedAndNotBelieved)
{
    fake().send("+OK ready\r\n");
    fake().expect("CAPA\r\n");
    fake().send("+OK\r\nUSER\r\n.\r\n");
    fake().expect("USER kestrix\r\n");
    fake().send("+OK\r\n+OK\r\n");
    fake().waitForClientClose();
    const CliResult result = runList();
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("Unexpected data from the server"), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(sentAfter("USER kestrix\r\n"), std::vector<std::string>{});
}

TEST_F(CliHostileServerTest, AStatReplyWithoutNumbersIsAFailureNotAnEmptyMailbox)
{
    scriptLogin("+OK logged in\r\n");
    fake().expect("QUIT\r\n");
    fake().send("+OK\r\n");
    const CliResult result = runList();
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("Unexpected reply to STAT: +OK logged in"), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "");
}

// The same place of the same reply, ended by a reset and by an orderly close: both are a lost
// session. The run stops at once, shows the one message whose header arrived, and sends nothing
// after the fault (no TOP 3, no QUIT on a closed connection).
TEST_F(CliHostileServerTest, AResetOrACloseInTheMiddleOfAHeaderStopsTheDownload)
{
    for (const bool reset : {true, false}) {
        SCOPED_TRACE(reset ? "reset" : "close");
        renewServer();
        scriptLogin("+OK 3 600\r\n");
        scriptUidl(3);
        scriptMessage(1);
        fake().expect("TOP 2 0\r\n");
        fake().send("+OK\r\nFrom: " + sender(2) + "\r\nSubj");
        fake().pause(std::chrono::milliseconds(200));
        if (reset)
            fake().resetConnection();
        else
            fake().closeConnection();
        const CliResult result = runList();
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_NE(result.err.find("download stopped"), std::string::npos) << result.err;
        EXPECT_EQ(result.numbers(), std::vector<std::string>{"1"}) << result.out;
        EXPECT_EQ(sentAfter("TOP 2 0\r\n"), std::vector<std::string>{});
    }
}

// 160 bytes a row for 20 million announced rows would be 3.2 GB at once; 2,147,483,647 also
// overflowed the counting. The server sends one header and closes: the run stays small.
TEST_F(CliHostileServerTest, AnAbsurdMessageCountCostsOnlyWhatArrives)
{
    for (const long long count : {20000000LL, 2147483647LL}) {
        SCOPED_TRACE(count);
        const std::string n = std::to_string(count);
        renewServer();
        scriptLogin("+OK " + n + " 999\r\n");
        fake().expect("UIDL " + n + "\r\n");
        fake().send("+OK " + n + " last\r\n");
        // Without a terminal nobody answers the download question: all of them are wanted, and
        // the first one is the oldest.
        scriptMessage(1);
        fake().expect("TOP 2 0\r\n");
        fake().closeConnection();
        const CliResult result = runList();
        EXPECT_EQ(result.exitCode, 1) << result.err;
        EXPECT_EQ(result.numbers(), std::vector<std::string>{"1"}) << result.out;
    }
    struct rusage usage {};
    ASSERT_EQ(getrusage(RUSAGE_CHILDREN, &usage), 0);
    EXPECT_LT(usage.ru_maxrss, 200 * 1024) << "peak resident size of a kestrix-cli run, KiB";
}

}  // namespace
}  // namespace kestrix::test
