// The POP3 client against a real Dovecot started for the test.
#include "support/dovecot_server.h"
#include "transport/pop3_client.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

using namespace kestrix;
using kestrix::test::DovecotServer;

namespace {

class Pop3DovecotTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!DovecotServer::available())
            GTEST_SKIP() << "dovecot is not installed";
    }

    void SetUp() override
    {
        dovecot = std::make_unique<DovecotServer>(std::vector<std::string>{
            DovecotServer::makeMessage("Ann <ann@example.org>", "First"),
            DovecotServer::makeMessage("Bob <bob@example.org>", "Second"),
            DovecotServer::makeMessage("Cy <cy@example.org>", "Third"),
        });
    }

    void configure(TNMPOP3 &pop)
    {
        pop.Host = dovecot->host();
        pop.Port = dovecot->port();
        pop.UserID = dovecot->user();
        pop.Password = dovecot->password();
        pop.TimeOut = 20000;
        pop.ReportLevel = 2;
    }

    int countOnServer()
    {
        TNMPOP3 pop;
        configure(pop);
        pop.Connect();
        const int count = pop.MessageCount();
        pop.Disconnect();
        return count;
    }

    std::unique_ptr<DovecotServer> dovecot;
};

TEST_F(Pop3DovecotTest, LogsInAndCountsTheMessages)
{
    TNMPOP3 pop;
    configure(pop);
    int connects = 0;
    pop.OnConnect = [&](TPowersock *) { ++connects; };
    pop.Connect();
    EXPECT_TRUE(pop.Connected());
    EXPECT_EQ(pop.MessageCount(), 3);
    EXPECT_EQ(connects, 1);
    pop.Disconnect();
    EXPECT_FALSE(pop.Connected());
}

TEST_F(Pop3DovecotTest, AWrongPasswordGetsOneCorrection)
{
    TNMPOP3 pop;
    configure(pop);
    pop.Password = "wrong";
    int failed = 0;
    pop.OnAuthenticationFailed = [&](bool &handled) {
        ++failed;
        pop.Password = dovecot->password();
        handled = true;
    };
    pop.Connect();
    EXPECT_EQ(failed, 1);
    EXPECT_EQ(pop.MessageCount(), 3);
    pop.Disconnect();
}

TEST_F(Pop3DovecotTest, AWrongPasswordTwiceIsAuthenticationFailed)
{
    TNMPOP3 pop;
    configure(pop);
    pop.Password = "wrong";
    int failed = 0;
    std::vector<std::string> replies;
    pop.OnStatus = [&](TPowersock *, const std::string &status) { replies.push_back(status); };
    pop.OnAuthenticationFailed = [&](bool &handled) {
        ++failed;
        handled = true;  // tries the same wrong password again
    };
    try {
        pop.Connect();
        FAIL() << "logged in with a wrong password";
    } catch (const Exception &e) {
        EXPECT_STREQ(e.what(), "Authentication failed");
    }
    pop.OnStatus = nullptr;
    EXPECT_EQ(failed, 1);
    EXPECT_FALSE(pop.Connected());
    int refusals = 0;
    for (const std::string &reply : replies)
        refusals += reply.rfind("-ERR", 0) == 0;
    EXPECT_EQ(refusals, 2);
}

TEST_F(Pop3DovecotTest, FetchesHeaderSizeAndUniqueIdOfEveryMessage)
{
    TNMPOP3 pop;
    configure(pop);
    pop.Connect();
    const std::vector<std::string> subjects = {" First", " Second", " Third"};
    std::set<std::string> ids;
    for (int n = 1; n <= pop.MessageCount(); ++n) {
        pop.FetchSummary(n);
        EXPECT_EQ(pop.Summary.Subject, subjects[std::size_t(n - 1)]);
        EXPECT_GT(pop.Summary.Bytes, 100);
        ASSERT_GE(pop.Summary.Header.Count(), 2u);
        EXPECT_EQ(pop.Summary.Header.Lines().back(), ".");
        const std::string id = pop.FetchUniqueId(n);
        ASSERT_GT(id.size(), 2u);
        EXPECT_EQ(id.substr(id.size() - 2), "\r\n");
        ids.insert(id);
    }
    EXPECT_EQ(ids.size(), 3u);
    EXPECT_THROW(pop.FetchSummary(9), Exception);  // no such message: the reply is raised
    pop.Disconnect();
}

TEST_F(Pop3DovecotTest, DeleAndQuitRemoveTheMessage)
{
    TNMPOP3 pop;
    configure(pop);
    pop.Connect();
    pop.DeleteMessage(2);
    pop.Disconnect();
    const std::vector<std::string> left = dovecot->messages();
    ASSERT_EQ(left.size(), 2u);
    EXPECT_NE(left[0].find("Subject: First"), std::string::npos);
    EXPECT_NE(left[1].find("Subject: Third"), std::string::npos);
    EXPECT_EQ(countOnServer(), 2);
}

TEST_F(Pop3DovecotTest, DeleFollowedByADroppedConnectionLeavesTheMessage)
{
    {
        TNMPOP3 pop;
        configure(pop);
        pop.Connect();
        pop.DeleteMessage(1);
        pop.Abort();  // no QUIT
        EXPECT_FALSE(pop.Connected());
    }
    EXPECT_EQ(dovecot->messages().size(), 3u);
    EXPECT_EQ(countOnServer(), 3);
}

TEST_F(Pop3DovecotTest, MessagesAddedAndRemovedByAnotherClientShowInTheNextSession)
{
    dovecot->addMessage(DovecotServer::makeMessage("Dee <dee@example.org>", "Fourth"));
    dovecot->removeMessage(1);
    TNMPOP3 pop;
    configure(pop);
    pop.Connect();
    ASSERT_EQ(pop.MessageCount(), 3);
    pop.FetchSummary(1);
    EXPECT_EQ(pop.Summary.Subject, " Second");
    pop.FetchSummary(3);
    EXPECT_EQ(pop.Summary.Subject, " Fourth");
    pop.Disconnect();
}

}  // namespace
