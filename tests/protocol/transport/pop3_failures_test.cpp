// Bad input and faults: every one ends in a clear error, without a crash or a hang beyond the
// time-out, and leaves the client usable.
#include "pop3_client_fixture.h"

#include "support/run_until.h"

using namespace kestrix;
using kestrix::test::failureOf;

namespace {

class Pop3FailureTest : public kestrix::test::Pop3ClientFixture {};

TEST_F(Pop3FailureTest, AGreetingThatNeverComesEndsAfterTheTimeOut)
{
    pop.TimeOut = 300;
    fake.waitForClientClose();
    try {
        pop.Connect();
        FAIL() << "Connect returned without a greeting";
    } catch (const EAbortError &e) {
        EXPECT_STREQ(e.what(), "Socket readln aborted");
    }
    EXPECT_TRUE(pop.TimedOut());
    EXPECT_FALSE(pop.Connected());  // the time-out's Abort dropped the connection
    EXPECT_FALSE(pop.Busy());
    EXPECT_TRUE(fake.waitUntilScriptDone());  // the server saw the close
    EXPECT_TRUE(fake.received().empty());     // and no QUIT
}

TEST_F(Pop3FailureTest, GarbageInsteadOfAGreetingIsRaisedAndTheSessionQuits)
{
    server("HELLO THERE\r\n");
    scriptQuit();
    EXPECT_EQ(failureOf([&] { pop.Connect(); }), "HELLO THERE\r\n");
    EXPECT_FALSE(pop.Connected());
    finishDialogue();
}

TEST_F(Pop3FailureTest, AServerClosingInTheMiddleOfTopEndsTheSummaryWithAnError)
{
    scriptLogin(1);
    expectClient("TOP 1 0\r\n");
    server("+OK\r\nFrom: a@b\r\nSubject: cut");
    fake.closeConnection();
    pop.Connect();
    EXPECT_THROW(pop.FetchSummary(1), ESockError);
    EXPECT_FALSE(pop.Busy());
    EXPECT_EQ(pop.Summary.Header.Count(), 1u);
    // The close is noticed; the next command asks for a connection instead of hanging.
    EXPECT_TRUE(kestrix::test::runUntil([&] { return !pop.Connected(); }));
    EXPECT_EQ(failureOf([&] { pop.FetchUniqueId(1); }), "Not Connected");
    finishDialogue();
}

// A hostile or broken server sends header lines without end, each in time: the summary stops
// at a bound and the connection is dropped, since the rest of that reply cannot be skipped.
void expectHeaderFloodEndsTheSession(TNMPOP3 &pop, kestrix::test::FakePop3Server &fake,
                                     const std::string &expectedFailure)
{
    SCOPED_TRACE("header flood");
    pop.Connect();
    EXPECT_EQ(failureOf([&] { pop.FetchSummary(1); }), expectedFailure);
    EXPECT_FALSE(pop.Connected());
    EXPECT_FALSE(pop.Busy());
    EXPECT_EQ(failureOf([&] { pop.FetchUniqueId(1); }), "Not Connected");
    EXPECT_TRUE(fake.waitUntilScriptDone());  // the server saw the close
    EXPECT_TRUE(fake.failures().empty());
    ASSERT_FALSE(fake.received().empty());
    EXPECT_EQ(fake.received().back(), "TOP 1 0\r\n");  // and no QUIT
}

TEST_F(Pop3FailureTest, AHeaderWithoutEndStopsAfter20000Lines)
{
    scriptLogin(1);
    expectClient("TOP 1 0\r\n");
    std::string flood = "+OK\r\n";
    for (int line = 0; line < 20001; ++line)
        flood += "X-Line: y\r\n";
    server(flood);
    fake.waitForClientClose();
    expectHeaderFloodEndsTheSession(pop, fake, "Header too long: more than 20000 lines");
    EXPECT_EQ(pop.Summary.Header.Count(), 20000u);
}

TEST_F(Pop3FailureTest, AHeaderWithoutEndStopsAfterOneMebibyte)
{
    scriptLogin(1);
    expectClient("TOP 1 0\r\n");
    // 1,049 lines of 1,000 bytes: the last one crosses 1,048,576 bytes.
    const std::string line = "X-Filler: " + std::string(988, 'f') + "\r\n";
    std::string flood = "+OK\r\n";
    for (int n = 0; n < 1049; ++n)
        flood += line;
    server(flood);
    fake.waitForClientClose();
    expectHeaderFloodEndsTheSession(pop, fake, "Header too long: more than 1048576 bytes");
}

TEST_F(Pop3FailureTest, AnOverLongHeaderLineEndsTheSessionInsteadOfMisreadingItsRest)
{
    scriptLogin(1);
    expectClient("TOP 1 0\r\n");
    server("+OK\r\nSubject: " + std::string(70000, 's') + "\r\n\r\n.\r\n");
    fake.waitForClientClose();
    pop.Connect();
    EXPECT_EQ(failureOf([&] { pop.FetchSummary(1); }), "Line longer than 65536 bytes");
    EXPECT_FALSE(pop.Connected());
    EXPECT_FALSE(pop.Busy());
    EXPECT_EQ(failureOf([&] { pop.FetchUniqueId(1); }), "Not Connected");
    EXPECT_TRUE(fake.waitUntilScriptDone());
    ASSERT_FALSE(fake.received().empty());
    EXPECT_EQ(fake.received().back(), "TOP 1 0\r\n");
}

TEST_F(Pop3FailureTest, ATopRefusalIsRaisedWithTheReply)
{
    scriptLogin(1);
    expectClient("TOP 9 0\r\n");
    server("-ERR no such message\r\n");
    pop.Connect();
    EXPECT_EQ(failureOf([&] { pop.FetchSummary(9); }), "-ERR no such message\r\n");
    EXPECT_FALSE(pop.Busy());
    finishDialogue();
}

TEST_F(Pop3FailureTest, AListReplyWithoutANumberIsAConversionError)
{
    scriptLogin(1);
    expectClient("TOP 1 0\r\n");
    server("+OK\r\nSubject: x\r\n\r\n.\r\n");
    expectClient("LIST 1\r\n");
    server("+OK 1 many\r\n");
    pop.Connect();
    try {
        pop.FetchSummary(1);
        FAIL() << "a LIST reply without a size gave one";
    } catch (const EConvertError &e) {
        EXPECT_STREQ(e.what(), "'many' is not a valid integer value");
    }
    EXPECT_EQ(pop.Summary.Header.Count(), 3u);  // the lines already read stay
    EXPECT_FALSE(pop.Busy());
    finishDialogue();
}

TEST_F(Pop3FailureTest, ATimeOutDuringACommandDropsTheConnectionWithoutQuit)
{
    int disconnects = 0;
    pop.OnDisconnect = [&](TPowersock *) { ++disconnects; };
    scriptLogin(1);
    expectClient("DELE 1\r\n");
    fake.waitForClientClose();  // the reply never comes
    pop.Connect();
    pop.TimeOut = 300;
    EXPECT_EQ(failureOf([&] { pop.DeleteMessage(1); }), "Socket readln aborted");
    EXPECT_TRUE(pop.TimedOut());
    EXPECT_FALSE(pop.Connected());
    EXPECT_EQ(disconnects, 1);
    EXPECT_EQ(failureOf([&] { pop.DeleteMessage(1); }), "Not Connected");
    finishDialogue();
    EXPECT_EQ(fake.received().back(), "DELE 1\r\n");
}

TEST_F(Pop3FailureTest, AClosedConnectionIsNeverADeletion)
{
    int successes = 0;
    pop.OnSuccess = [&](TPowersock *) { ++successes; };
    scriptLogin(1);
    expectClient("DELE 1\r\n");
    fake.closeConnection();
    pop.Connect();
    EXPECT_EQ(failureOf([&] { pop.DeleteMessage(1); }), "Connection closed by server");
    EXPECT_EQ(successes, 0);
    finishDialogue();
}

TEST_F(Pop3FailureTest, AResetDuringTheLoginClosesTheSession)
{
    server("+OK ready\r\n");
    scriptNoCapa();
    expectClient("USER joe\r\n");
    fake.resetConnection();
    EXPECT_THROW(pop.Connect(), Exception);
    EXPECT_FALSE(pop.Connected());
    EXPECT_FALSE(pop.Busy());
    finishDialogue();
}

TEST_F(Pop3FailureTest, AServerClosingDuringTheLoginIsNoRefusalToCorrect)
{
    int corrections = 0;
    pop.OnAuthenticationFailed = [&](bool &handled) {
        ++corrections;
        handled = true;
    };
    server("+OK ready\r\n");
    scriptNoCapa();
    expectClient("USER joe\r\n");
    fake.closeConnection();
    EXPECT_EQ(failureOf([&] { pop.Connect(); }), "Connection closed by server");
    EXPECT_EQ(corrections, 0);
    EXPECT_FALSE(pop.Connected());
    finishDialogue();
}

TEST_F(Pop3FailureTest, ARefusedPortAndAnUnknownHostAreClearErrors)
{
    pop.Port = kestrix::test::unusedLoopbackPort();
    EXPECT_EQ(failureOf([&] { pop.Connect(); }), "10061:Connection refused");
    EXPECT_FALSE(pop.Busy());
    pop.Host = "no-such-host.invalid";
    EXPECT_EQ(failureOf([&] { pop.Connect(); }), "Null Remote Address");
}

TEST_F(Pop3FailureTest, AThrowingStatusHandlerDoesNotDisturbTheLogin)
{
    int calls = 0;
    pop.ReportLevel = 8;
    pop.OnStatus = [&](TPowersock *, const std::string &) {
        ++calls;
        throw std::runtime_error("the window failed");
    };
    scriptLogin(4);
    scriptQuit();
    pop.Connect();
    EXPECT_EQ(pop.MessageCount(), 4);
    pop.Disconnect();
    EXPECT_GT(calls, 10);
    finishDialogue();
}

TEST_F(Pop3FailureTest, AbortFromAnEventHandlerEndsTheWaitAndDropsTheConnection)
{
    pop.TimeOut = 0;
    scriptLogin(1);
    expectClient("UIDL 1\r\n");
    fake.waitForClientClose();
    pop.Connect();
    pop.OnStatus = [&](TPowersock *, const std::string &status) {
        if (status == "ReadLn")
            QTimer::singleShot(20, [&] { pop.Abort(); });
    };
    pop.ReportLevel = 8;
    EXPECT_EQ(failureOf([&] { pop.FetchUniqueId(1); }), "Socket readln aborted");
    EXPECT_FALSE(pop.Connected());
    EXPECT_FALSE(pop.TimedOut());
    finishDialogue();
}

}  // namespace
