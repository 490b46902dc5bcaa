// A dialogue out of step is never believed: a reply that waits before its command was sent ends
// the session with "Unexpected data from the server", and a STAT reply that is not
// "+OK count size" is a failure, not an empty mailbox. Each case checks what went on the wire.
#include "pop3_client_fixture.h"

using namespace kestrix;
using kestrix::test::failureOf;

namespace {

class Pop3OutOfStepTest : public kestrix::test::Pop3ClientFixture {
protected:
    // Waits for the server to hear the close, then returns what the client sent.
    std::vector<std::string> wire()
    {
        EXPECT_TRUE(fake.waitUntilScriptDone());
        return fake.received();
    }
};

TEST_F(Pop3OutOfStepTest, AServerThatAnswersEveryCommandTwiceIsStoppedAtTheSecondCommand)
{
    // Believed, the second "+OK" of USER answers PASS and "+OK logged in" answers STAT: an
    // empty mailbox that holds three messages.
    server("+OK ready\r\n");
    scriptNoCapa();
    expectClient("USER joe\r\n");
    server("+OK\r\n+OK\r\n");
    fake.waitForClientClose();
    EXPECT_EQ(failureOf([&] { pop.Connect(); }), "Unexpected data from the server");
    EXPECT_FALSE(pop.Connected());
    EXPECT_FALSE(pop.Busy());
    EXPECT_EQ(wire(), (std::vector<std::string>{"CAPA\r\n", "USER joe\r\n"}));  // no PASS, no QUIT
    EXPECT_TRUE(sawStatus("Unexpected data from the server"));
}

TEST_F(Pop3OutOfStepTest, BytesWaitingBeforeACommandEndTheSession)
{
    struct Case {
        const char *name;
        std::vector<std::string> before;  // the dialogue up to the command that finds bytes waiting
        std::vector<std::string> sentBeforeTheFault;
    };
    // The greeting twice: stopped before CAPA. A reply to TOP with a stray line after its end:
    // stopped before LIST.
    const Case cases[] = {
        {"greeting twice", {"+OK ready\r\n+OK ready\r\n"}, {}},
        {"stray line after the header", {}, {"CAPA\r\n", "USER joe\r\n", "PASS secret\r\n", "STAT\r\n", "TOP 1 0\r\n"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        kestrix::test::FakePop3Server server;
        pop.Port = server.port();
        if (!c.before.empty()) {
            server.send(c.before[0]);
        } else {
            server.send("+OK ready\r\n");
            server.expect("CAPA\r\n");
            server.send("-ERR\r\n");
            server.expect("USER joe\r\n");
            server.send("+OK\r\n");
            server.expect("PASS secret\r\n");
            server.send("+OK\r\n");
            server.expect("STAT\r\n");
            server.send("+OK 1 100\r\n");
            server.expect("TOP 1 0\r\n");
            server.send("+OK\r\nSubject: hi\r\n\r\n.\r\n+OK 1 100\r\n");
        }
        server.waitForClientClose();
        const std::string failure = failureOf([&] {
            pop.Connect();
            pop.FetchSummary(1);
        });
        EXPECT_EQ(failure, "Unexpected data from the server");
        EXPECT_FALSE(pop.Connected());
        EXPECT_TRUE(server.waitUntilScriptDone());
        EXPECT_EQ(server.received(), c.sentBeforeTheFault);
        EXPECT_TRUE(server.failures().empty());
    }
}

// The retrieval asks through the same door: a stray reply waiting before RETR is not taken for
// the message.
TEST_F(Pop3OutOfStepTest, BytesWaitingBeforeRetrEndTheSession)
{
    server("+OK ready\r\n");
    scriptNoCapa();
    scriptUserPassStat();
    server("+OK 1 100\r\n+OK stray\r\nSubject: not asked for\r\n\r\n.\r\n");
    fake.waitForClientClose();
    EXPECT_EQ(failureOf([&] {
                  pop.Connect();
                  pop.FetchMessage(1);
              }),
              "Unexpected data from the server");
    EXPECT_FALSE(pop.Connected());
    EXPECT_EQ(wire(), (std::vector<std::string>{"CAPA\r\n", "USER joe\r\n", "PASS secret\r\n", "STAT\r\n"}));
}

TEST_F(Pop3OutOfStepTest, AStatReplyThatIsNotCountAndSizeIsAFailure)
{
    const char *const replies[] = {"+OK\r\n", "+OK logged in\r\n", "+OK 3\r\n", "+OK -1 0\r\n",
                                   "+OK 3 big\r\n", "+OK 99999999999 1\r\n", "+OK three 100\r\n"};
    for (const char *reply : replies) {
        SCOPED_TRACE(reply);
        kestrix::test::FakePop3Server server;
        pop.Port = server.port();
        server.send("+OK ready\r\n");
        server.expect("CAPA\r\n");
        server.send("-ERR\r\n");
        server.expect("USER joe\r\n");
        server.send("+OK\r\n");
        server.expect("PASS secret\r\n");
        server.send("+OK\r\n");
        server.expect("STAT\r\n");
        server.send(reply);
        server.expect("QUIT\r\n");
        server.send("+OK bye\r\n");
        std::string line = reply;
        line.resize(line.size() - 2);
        EXPECT_EQ(failureOf([&] { pop.Connect(); }), "Unexpected reply to STAT: " + line);
        EXPECT_FALSE(pop.Connected());
        EXPECT_EQ(pop.MessageCount(), 0);
        EXPECT_TRUE(server.waitUntilScriptDone());
        EXPECT_TRUE(server.failures().empty());
    }
}

TEST_F(Pop3OutOfStepTest, TheLargestCountThatFitsIsTaken)
{
    scriptLogin(2147483647);
    pop.Connect();
    EXPECT_EQ(pop.MessageCount(), 2147483647);
    pop.Abort();
}

}  // namespace
