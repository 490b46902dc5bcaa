// Signing in with an access token against a real Dovecot whose oauth2 passdb asks a local
// introspection endpoint, the token coming from a script that counts its runs: both mechanisms
// over TLS, a refused token replaced once, commands that give no token, Security "None", and
// no token in any file of the data folder or in the wire log.
#include "dovecot_screening.h"
#include "support/fake_http_server.h"
#include "support/test_certificates.h"

#include <QDirIterator>
#include <QFile>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>

using namespace kestrix;
using namespace kestrix::test;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

const char *const kTokenPrefix = "ya29.kestrix-test-token-";

class TokenSignInTest : public ScreeningRunTest {
protected:
    static void SetUpTestSuite()
    {
        if (!DovecotServer::available())
            GTEST_SKIP() << "dovecot is not installed";
        // The wire log is opened once per process: set before the first connection.
        ::setenv("KESTRIX_WIRE_LOG", wireLog().c_str(), 1);
    }

    static std::string wireLog()
    {
        static const std::string path =
            QDir::tempPath().toStdString() + "/kestrix-token-wire-" + std::to_string(::getpid());
        return path;
    }

    void SetUp() override
    {
        certificates = std::make_unique<TestCertificates>(tools.dir().toStdString());
        ::setenv("SSL_CERT_FILE", certificates->caFile.c_str(), 1);
        DovecotServer::Options options;
        options.tlsCertificate = certificates->serverCertificate;
        options.tlsKey = certificates->serverKey;
        options.oauth2IntrospectionUrl = introspection.url("/introspect?token=");
        dovecot = std::make_unique<DovecotServer>(numberedMessages(3), options);
        pointAt(*dovecot);
        s.session.password.clear();  // a token needs none
        // Prints the token of its n-th run and counts the runs beside itself.
        s.profile.conf.setTokenCommand(tools.script(
            "token", "n=$(($(cat \"$0.count\" 2>/dev/null || echo 0) + 1))\n"
                     "echo $n > \"$0.count\"\n"
                     "echo " + std::string(kTokenPrefix) + "$n\n"));
        s.profile.conf.setSecurityMode(SecurityMode::StartTls);
    }

    static void TearDownTestSuite() { std::remove(wireLog().c_str()); }
    void TearDown() override { ::unsetenv("SSL_CERT_FILE"); }

    // The introspection endpoint's answer for the token of run n.
    void answerToken(int n, bool active)
    {
        const std::string user = "\"username\": \"" + dovecot->user() + "\"";
        const std::string json =
            active ? "{\"active\": true, " + user + "}" : std::string("{\"active\": false}");
        const std::string path = std::string("/introspect?token=") + kTokenPrefix
                                 + std::to_string(n) + "&client_id=&client_secret=";
        introspection.on(path, FakeHttpServer::reply(200, "OK", json));
    }

    int tokenRuns() const
    {
        return tools.exists("token.count") ? std::stoi(tools.read("token.count")) : 0;
    }
    static std::string wireText()
    {
        QFile file(QString::fromStdString(wireLog()));
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
    }

    TempFolder tools;  // the token script and its counter, outside the data folder
    std::unique_ptr<TestCertificates> certificates;
    FakeHttpServer introspection;
    std::unique_ptr<DovecotServer> dovecot;
};

TEST_F(TokenSignInTest, BothMechanismsSignInOverTlsAndTheTokenIsReused)
{
    struct Case {
        SignInMethod method;
        SecurityMode security;
        const char *wire;      // the AUTH line the wire log shows
        const char *dovecot_;  // what Dovecot logged
    };
    const Case cases[] = {
        {SignInMethod::XOAuth2, SecurityMode::StartTls, "C: AUTH XOAUTH2", "method=XOAUTH2"},
        {SignInMethod::OAuthBearer, SecurityMode::Tls, "C: AUTH OAUTHBEARER", "method=OAUTHBEARER"},
        // Automatic picks OAUTHBEARER from the server's SASL line.
        {SignInMethod::Auto, SecurityMode::Auto, "C: AUTH OAUTHBEARER", "method=OAUTHBEARER"},
    };
    int run = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.wire);
        s.profile.conf.setSignInMethod(c.method);
        s.profile.conf.setSecurityMode(c.security);
        s.profile.settings.Port = std::to_string(c.security == SecurityMode::Tls ? dovecot->tlsPort()
                                                                         : dovecot->port());
        s.session.forgetAccessToken();
        answerToken(++run, true);
        const std::size_t wireBefore = wireText().size();
        getAndCheck();
        EXPECT_EQ(numbers(), (std::vector<std::string>{"1", "2", "3"}));
        EXPECT_EQ(tokenRuns(), run);
        const std::string wire = wireText().substr(wireBefore);
        EXPECT_THAT(wire, HasSubstr(c.wire));
        EXPECT_THAT(wire, HasSubstr("C: ****"));
        EXPECT_THAT(dovecot->logText(), HasSubstr(c.dovecot_));
        EXPECT_FALSE(pop.LastProtection().protocol.empty());
    }
    // The kept token serves the next check: the command does not run again.
    getAndCheck();
    EXPECT_EQ(tokenRuns(), run);

    // No token anywhere on disk that we write: the data folder and the wire log.
    QDirIterator files(folder.dir(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_THAT(file.readAll().toStdString(), Not(HasSubstr(kTokenPrefix)))
            << file.fileName().toStdString();
    }
    EXPECT_THAT(wireText(), Not(HasSubstr(kTokenPrefix)));
    EXPECT_THAT(wireText(), Not(HasSubstr("dXNlcj1")));  // base64 of "user=" in XOAUTH2
}

TEST_F(TokenSignInTest, ARefusedTokenIsReplacedOnceByAFreshOne)
{
    s.profile.conf.setSignInMethod(SignInMethod::OAuthBearer);
    answerToken(1, false);
    answerToken(2, true);
    getAndCheck();
    EXPECT_EQ(numbers(), (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(tokenRuns(), 2);
    EXPECT_THAT(wireText(), HasSubstr("S: + eyJzdGF0dXMiOiJpbnZhbGlkX3Rva2VuIn0="));

    // Both tokens refused: one clear text, the kept token forgotten, and no third run.
    s.session.forgetAccessToken();
    s.profile.conf.setSignInMethod(SignInMethod::XOAuth2);
    answerToken(3, false);
    answerToken(4, false);
    prompter.expectMessage(Prompter::Kind::Error, "");
    s.dispatcher.pendingCommand = cmdGetAndCheck;
    s.dispatcher.Timer2Timer();
    EXPECT_EQ(tokenRuns(), 4);
    EXPECT_THAT(s.session.sessionError, HasSubstr("The token was refused (401): sign in again with your "
                                          "token command (server: -ERR [AUTH]"));
    prompter.verifyAllAsked();
}

TEST_F(TokenSignInTest, NoTokenOrNoEncryptionSendsNothing)
{
    s.session.tokenCommandTimeOutMs = 1000;
    struct Case {
        std::string command;
        SecurityMode security;
        const char *why;
    };
    const Case cases[] = {
        {tools.script("fails", "echo 'invalid_grant: refresh token expired' >&2\nexit 1\n"),
         SecurityMode::StartTls, "failed (exit code 1): invalid_grant: refresh token expired"},
        {tools.script("hangs", "exec sleep 20\n"), SecurityMode::Auto,
         "gave no token within 1 seconds"},
        {tools.script("silent", "exit 0\n"), SecurityMode::Tls, "printed no token"},
        // "None" refuses before the command runs or anything is sent.
        {s.profile.conf.tokenCommand(), SecurityMode::None, "needs an encrypted connection"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.why);
        s.profile.conf.setTokenCommand(c.command);
        s.profile.conf.setSecurityMode(c.security);
        const std::size_t wireBefore = wireText().size();
        prompter.expectMessage(Prompter::Kind::Error, "");
        s.dispatcher.pendingCommand = cmdGetAndCheck;
        s.dispatcher.Timer2Timer();
        prompter.verifyAllAsked();
        EXPECT_THAT(s.session.sessionError, HasSubstr(c.why));
        EXPECT_EQ(wireText().size(), wireBefore);  // not even a connection
        EXPECT_FALSE(s.session.isOpen());
    }
    EXPECT_EQ(tokenRuns(), 0);
    EXPECT_EQ(introspection.requestCount(), 0u);
}

}  // namespace
