// The POP3 client's dialogue and its three reply tests, against the fake server.
#include "pop3_client_fixture.h"

using namespace kestrix;
using kestrix::test::failureOf;

namespace {

class Pop3ClientTest : public kestrix::test::Pop3ClientFixture {};

TEST_F(Pop3ClientTest, LoginReadsTheMessageCountAndReportsEveryReply)
{
    int connects = 0;
    pop.OnConnect = [&](TPowersock *) { ++connects; };
    scriptLogin(3);
    scriptQuit();

    pop.Connect();
    EXPECT_EQ(pop.MessageCount(), 3);
    EXPECT_EQ(connects, 1);
    EXPECT_FALSE(pop.Busy());
    EXPECT_TRUE(sawStatus("+OK logged in\r\n"));
    EXPECT_TRUE(sawStatus("+OK 3 1000\r\n"));
    EXPECT_FALSE(sawStatus("Connecting"));  // level 8, above ReportLevel 2
    pop.Disconnect();
    EXPECT_FALSE(pop.Connected());
    finishDialogue();
}

TEST_F(Pop3ClientTest, OneReplyInSeveralSegments)
{
    server("+OK ready\r\n");
    scriptNoCapa();
    expectClient("USER joe\r\n");
    fake.sendInPieces("+OK user\r\n", 2);
    expectClient("PASS secret\r\n");
    server("+OK pass\r\n");
    expectClient("STAT\r\n");
    fake.sendInPieces("+OK 2 400\r\n", 3);
    pop.Connect();
    EXPECT_EQ(pop.MessageCount(), 2);
    finishDialogue();
}

TEST_F(Pop3ClientTest, MissingCredentialsAreAskedForOnceBeforeAnythingIsSent)
{
    pop.Password = "";
    int asked = 0;
    pop.OnAuthenticationNeeded = [&](bool &handled) {
        ++asked;
        pop.Password = "secret";
        handled = true;
    };
    scriptLogin(1);
    pop.Connect();
    EXPECT_EQ(asked, 1);
    finishDialogue();
}

TEST_F(Pop3ClientTest, MissingCredentialsWithoutAHandlerFailWithoutConnecting)
{
    pop.UserID = "";
    EXPECT_EQ(failureOf([&] { pop.Connect(); }), "Authentication failed");
    EXPECT_EQ(fake.connectionsAccepted(), 0);
    pop.OnAuthenticationNeeded = [](bool &) {};  // does not set Handled
    EXPECT_EQ(failureOf([&] { pop.Connect(); }), "Authentication failed");
}

TEST_F(Pop3ClientTest, ARefusedPasswordGetsOneCorrection)
{
    pop.Password = "wrong";
    int failedCalls = 0;
    pop.OnAuthenticationFailed = [&](bool &handled) {
        ++failedCalls;
        pop.Password = "secret";
        handled = true;
    };
    server("+OK ready\r\n");
    scriptNoCapa();
    expectClient("USER joe\r\n");
    server("+OK\r\n");
    expectClient("PASS wrong\r\n");
    server("-ERR [AUTH] Authentication failed.\r\n");
    expectClient("USER joe\r\n");  // the login starts again with USER
    server("+OK\r\n");
    expectClient("PASS secret\r\n");
    server("+OK logged in\r\n");
    expectClient("STAT\r\n");
    server("+OK 5 100\r\n");
    pop.Connect();
    EXPECT_EQ(failedCalls, 1);
    EXPECT_EQ(pop.MessageCount(), 5);
    EXPECT_TRUE(sawStatus("-ERR [AUTH] Authentication failed.\r\n"));
    finishDialogue();
}

TEST_F(Pop3ClientTest, ASecondRefusalEndsTheLoginWithQuit)
{
    int failedCalls = 0;
    int connects = 0;
    pop.OnConnect = [&](TPowersock *) { ++connects; };
    pop.OnAuthenticationFailed = [&](bool &handled) {
        ++failedCalls;
        handled = true;  // but the password stays wrong
    };
    server("+OK ready\r\n");
    scriptNoCapa();
    expectClient("USER joe\r\n");
    server("+OK\r\n");
    expectClient("PASS secret\r\n");
    server("-ERR no\r\n");
    expectClient("USER joe\r\n");
    server("+OK\r\n");
    expectClient("PASS secret\r\n");
    server("-ERR no\r\n");
    scriptQuit();
    EXPECT_EQ(failureOf([&] { pop.Connect(); }), "Authentication failed");
    EXPECT_EQ(failedCalls, 1);
    EXPECT_EQ(connects, 0);
    EXPECT_FALSE(pop.Connected());
    EXPECT_FALSE(pop.Busy());
    finishDialogue();
}

TEST_F(Pop3ClientTest, ARefusedUserWithoutAHandlerFailsAtOnce)
{
    server("+OK ready\r\n");
    scriptNoCapa();
    expectClient("USER joe\r\n");
    server("-ERR unknown\r\n");
    scriptQuit();
    EXPECT_EQ(failureOf([&] { pop.Connect(); }), "Authentication failed");
    EXPECT_FALSE(pop.Connected());
    finishDialogue();
}

TEST_F(Pop3ClientTest, AFailedStatStillReportsTheLogin)
{
    int connects = 0;
    pop.OnConnect = [&](TPowersock *) { ++connects; };
    server("+OK ready\r\n");
    scriptNoCapa();
    scriptUserPassStat();
    server("-ERR mailbox locked\r\n");
    scriptQuit();
    EXPECT_EQ(failureOf([&] { pop.Connect(); }), "-ERR mailbox locked\r\n");
    EXPECT_EQ(connects, 1);
    EXPECT_FALSE(pop.Connected());
    finishDialogue();
}

TEST_F(Pop3ClientTest, FetchSummaryTakesHeaderLinesAndTheListSize)
{
    int starts = 0, ends = 0;
    pop.OnRetrieveStart = [&](TPowersock *) { ++starts; };
    pop.OnRetrieveEnd = [&](TPowersock *) { ++ends; };
    scriptLogin(2);
    expectClient("TOP 2 0\r\n");
    server("+OK\r\n");
    server("From: Ann <ann@example.org>\r\n"
           "SUBJECT: in capitals\r\n"
           "Subject: Hello\r\n"
           "Message-ID: <id1@example.org>\r\n"
           "\r\n"
           ".\r\n");
    expectClient("LIST 2\r\n");
    server("+OK 2 1234\r\n");
    pop.Connect();
    pop.FetchSummary(2);

    EXPECT_EQ(pop.Summary.Subject, " Hello");
    EXPECT_EQ(pop.Summary.From, " Ann <ann@example.org>");
    EXPECT_EQ(pop.Summary.MessageId, "<id1@example.org>\r\n");
    EXPECT_EQ(pop.Summary.Bytes, 1234);
    const std::vector<std::string> header = {"From: Ann <ann@example.org>", "SUBJECT: in capitals",
                                             "Subject: Hello", "Message-ID: <id1@example.org>", "", "."};
    EXPECT_EQ(pop.Summary.Header.Lines(), header);
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(ends, 1);
    EXPECT_TRUE(sawStatus("Summary Retrieved"));
    EXPECT_FALSE(pop.Busy());
    finishDialogue();
}

TEST_F(Pop3ClientTest, FetchSummaryReadsLfOnlyLinesAndSplitSegments)
{
    scriptLogin(1);
    expectClient("TOP 1 0\r\n");
    fake.sendInPieces("+OK\nSubject: Split\nFrom: x@y\n\n.\n", 4);
    expectClient("LIST 1\r\n");
    server("+OK 1 77\n");
    pop.Connect();
    pop.FetchSummary(1);
    EXPECT_EQ(pop.Summary.Subject, " Split");
    EXPECT_EQ(pop.Summary.From, " x@y");
    EXPECT_EQ(pop.Summary.Header.Count(), 4u);
    EXPECT_EQ(pop.Summary.Bytes, 77);
    finishDialogue();
}

TEST_F(Pop3ClientTest, UidlNeedsAFirstWordOfExactlyOk)
{
    int failures = 0;
    pop.OnFailure = [&](TPowersock *) { ++failures; };
    scriptLogin(2);
    expectClient("UIDL 1\r\n");
    server("+OK 1 abc\r\n");
    expectClient("UIDL 2\r\n");
    server("+OK\r\n");  // a bare "+OK": its first word carries the CR LF
    expectClient("UIDL 3\r\n");
    server("-ERR no such message\r\n");
    pop.Connect();
    EXPECT_EQ(pop.FetchUniqueId(1), "abc\r\n");
    EXPECT_EQ(failureOf([&] { pop.FetchUniqueId(2); }), "+OK\r\n");
    EXPECT_EQ(failureOf([&] { pop.FetchUniqueId(3); }), "-ERR no such message\r\n");
    EXPECT_EQ(failures, 2);
    EXPECT_FALSE(pop.Busy());
    finishDialogue();
}

TEST_F(Pop3ClientTest, DeleFailsOnlyOnAFirstWordOfExactlyErr)
{
    int successes = 0, failures = 0;
    pop.OnSuccess = [&](TPowersock *) { ++successes; };
    pop.OnFailure = [&](TPowersock *) { ++failures; };
    scriptLogin(3);
    expectClient("DELE 3\r\n");
    server("+OK marked\r\n");
    expectClient("DELE 2\r\n");
    server("-ERR\r\n");  // a bare "-ERR" counts as success
    expectClient("DELE 1\r\n");
    server("-ERR no such message\r\n");
    pop.Connect();
    pop.DeleteMessage(3);
    pop.DeleteMessage(2);
    EXPECT_EQ(failureOf([&] { pop.DeleteMessage(1); }), "-ERR no such message\r\n");
    EXPECT_EQ(successes, 2);
    EXPECT_EQ(failures, 1);
    finishDialogue();
}

TEST_F(Pop3ClientTest, BusyTurnsNestedCallsIntoNoOps)
{
    scriptLogin(2);
    expectClient("TOP 1 0\r\n");
    server("+OK\r\n");
    server("Subject: a\r\n\r\n.\r\n");
    expectClient("LIST 1\r\n");
    server("+OK 1 10\r\n");
    scriptQuit();
    pop.Connect();

    std::string nestedUid = "untouched";
    bool nestedRan = false;
    pop.OnStatus = [&](TPowersock *, const std::string &status) {
        if (status != "+OK\r\n" || nestedRan)
            return;
        nestedRan = true;  // an event handler running inside the waiting TOP
        pop.FetchSummary(2);
        nestedUid = pop.FetchUniqueId(2);
        pop.DeleteMessage(2);
    };
    pop.FetchSummary(1);
    EXPECT_TRUE(nestedRan);
    EXPECT_EQ(nestedUid, "");
    EXPECT_EQ(pop.Summary.Subject, " a");
    pop.Disconnect();
    finishDialogue();
    for (const std::string &line : fake.received())
        EXPECT_EQ(line.find(" 2"), std::string::npos) << "nested command sent: " << line;
}

TEST_F(Pop3ClientTest, DisconnectWhileNotConnectedDoesNothing)
{
    int disconnects = 0;
    pop.OnDisconnect = [&](TPowersock *) { ++disconnects; };
    pop.Disconnect();
    EXPECT_EQ(disconnects, 0);
    EXPECT_EQ(fake.connectionsAccepted(), 0);
}

TEST(Pop3Settings, PortIs110)
{
    TNMPOP3 pop;
    EXPECT_EQ(pop.Port, 110);
}

}  // namespace
