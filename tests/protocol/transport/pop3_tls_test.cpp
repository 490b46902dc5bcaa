// The POP3 client's protection rules against the fake server: what is sent when the server does
// not offer STLS, refuses it, pushes bytes before the handshake, stalls or closes in it.
#include "support/pop3_dialogue.h"
#include "transport/pop3_client.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace kestrix;
using ::testing::HasSubstr;

namespace {

class Pop3TlsTest : public ::testing::Test, public kestrix::test::Pop3Dialogue {
protected:
    void configure(Pop3Security security, int timeOut = 10000)
    {
        pop.Host = "127.0.0.1";
        pop.Port = fake.port();
        pop.TimeOut = timeOut;
        pop.UserID = "joe";
        pop.Password = "secret";
        pop.Security = security;
        pop.ReportLevel = 2;
        pop.OnStatus = [this](TPowersock *, const std::string &text) { statuses.push_back(text); };
        pop.OnPlainLogin = [this](TPowersock *) { ++plainLogins; };
    }

    void TearDown() override { pop.OnStatus = nullptr; }

    // Nothing of the login may have reached the server.
    void expectNoCredentialsSent()
    {
        for (const std::string &line : fake.received()) {
            EXPECT_THAT(line, ::testing::Not(HasSubstr("USER")));
            EXPECT_THAT(line, ::testing::Not(HasSubstr("PASS")));
        }
    }

    void scriptCapa(const std::string &capabilities)
    {
        server("+OK POP3 ready\r\n");
        expectClient("CAPA\r\n");
        server("+OK\r\nTOP\r\nUIDL\r\n" + capabilities + ".\r\n");
    }

    TNMPOP3 pop;
    std::vector<std::string> statuses;
    int plainLogins = 0;
};

TEST_F(Pop3TlsTest, WithoutStlsAutomaticLogsInPlainAndSaysSoWhileRequiredSendsNothing)
{
    scriptCapa("USER\r\n");
    scriptUserPassStat();
    server("+OK 0 0\r\n");
    configure(Pop3Security::Auto);
    ASSERT_NO_THROW(pop.Connect());
    EXPECT_FALSE(pop.Encrypted());
    EXPECT_EQ(plainLogins, 1);
    EXPECT_THAT(statuses, ::testing::Contains("Password sent without encryption"));
    finishDialogue();
}

TEST_F(Pop3TlsTest, AutomaticWithoutStlsNeverSendsAToken)
{
    scriptCapa("USER\r\nSASL XOAUTH2\r\n");
    expectClient("QUIT\r\n");
    server("+OK\r\n");
    configure(Pop3Security::Auto);
    pop.SignIn = Pop3SignIn::XOAuth2;
    pop.AccessToken = "never-sent-token";
    EXPECT_THROW(pop.Connect(), EProtectionMissing);
    EXPECT_TRUE(fake.waitUntilScriptDone());
    EXPECT_EQ(fake.received(), (std::vector<std::string>{"CAPA\r\n", "QUIT\r\n"}));
    EXPECT_EQ(plainLogins, 0);  // nor is "Password sent without encryption" said
}

TEST_F(Pop3TlsTest, RequiredStlsThatTheServerDoesNotOfferSendsNoCredentials)
{
    scriptCapa("USER\r\n");
    expectClient("QUIT\r\n");  // no credentials, but a polite end
    server("+OK\r\n");
    configure(Pop3Security::StartTls);
    try {
        pop.Connect();
        FAIL() << "logged in without STLS";
    } catch (const Exception &error) {
        EXPECT_THAT(error.what(), HasSubstr("does not offer STLS"));
    }
    fake.waitUntilScriptDone();
    expectNoCredentialsSent();
    EXPECT_EQ(plainLogins, 0);
}

TEST_F(Pop3TlsTest, AnOfferedStlsThatFailsNeverFallsBackToPlain)
{
    struct Case {
        const char *name;
        std::string afterStls;  // the server's part after the client's STLS
        bool close;
        int timeOut;
        const char *error;
    };
    const Case cases[] = {
        {"refused (then QUIT)", "-ERR not now\r\n", false, 10000, "refused STLS"},
        // The second line arrives with the "+OK" and must never be read as a reply.
        {"bytes before the handshake", "+OK begin\r\n+OK injected\r\n", false, 10000,
         "Unexpected data from the server"},
        {"closed during the handshake", "+OK begin\r\n", true, 10000, "TLS handshake"},
        {"stalled handshake", "+OK begin\r\n", false, 300, "timed out"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        kestrix::test::FakePop3Server server;
        server.send("+OK POP3 ready\r\n");
        server.expect("CAPA\r\n");
        server.send("+OK\r\nSTLS\r\n.\r\n");
        server.expect("STLS\r\n");
        server.send(c.afterStls);
        if (c.close)
            server.closeConnection();
        if (c.afterStls.rfind("-ERR", 0) == 0) {
            server.expect("QUIT\r\n");
            server.send("+OK bye\r\n");
        }
        TNMPOP3 client;
        client.Host = "127.0.0.1";
        client.Port = server.port();
        client.TimeOut = c.timeOut;
        client.UserID = "joe";
        client.Password = "secret";
        client.Security = Pop3Security::Auto;
        try {
            client.Connect();
            FAIL() << "connected";
        } catch (const Exception &error) {
            EXPECT_THAT(error.what(), HasSubstr(c.error));
        }
        EXPECT_FALSE(client.Connected());
        server.waitUntilScriptDone();
        for (const std::string &line : server.received()) {
            EXPECT_THAT(line, ::testing::Not(HasSubstr("USER")));
            EXPECT_THAT(line, ::testing::Not(HasSubstr("PASS")));
        }
    }
}

}  // namespace
