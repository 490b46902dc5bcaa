// The POP3 client over TLS against a real Dovecot with certificates of a test CA: implicit TLS,
// STLS, refused certificates (untrusted issuer, wrong name) before any login, and a pin.
#include "support/dovecot_server.h"
#include "support/test_certificates.h"
#include "transport/pop3_client.h"
#include "transport/tls_certificate.h"

#include <QTemporaryDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

using namespace kestrix;
using kestrix::test::DovecotServer;
using kestrix::test::TestCertificates;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

namespace {

class Pop3TlsDovecotTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!DovecotServer::available())
            GTEST_SKIP() << "dovecot is not installed";
    }

    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        certificates = std::make_unique<TestCertificates>(folder.path().toStdString());
        trustTestCa(true);
    }

    void TearDown() override { ::unsetenv("SSL_CERT_FILE"); }

    // The trust store is the test CA alone, or a file without it (an unknown issuer).
    void trustTestCa(bool trusted)
    {
        const std::string store = trusted ? certificates->caFile : certificates->serverKey;
        ::setenv("SSL_CERT_FILE", store.c_str(), 1);
    }

    void startDovecot(const std::string &certificate, const std::string &key)
    {
        DovecotServer::Options options;
        options.tlsCertificate = certificate;
        options.tlsKey = key;
        dovecot = std::make_unique<DovecotServer>(
            std::vector<std::string>{DovecotServer::makeMessage("Ann <ann@example.org>", "First"),
                                     DovecotServer::makeMessage("Bob <bob@example.org>", "Second")},
            options);
    }

    void configure(TNMPOP3 &pop, Pop3Security security, int port)
    {
        pop.Host = dovecot->host();
        pop.Port = port;
        pop.UserID = dovecot->user();
        pop.Password = dovecot->password();
        pop.TimeOut = 20000;
        pop.Security = security;
    }

    QTemporaryDir folder;
    std::unique_ptr<TestCertificates> certificates;
    std::unique_ptr<DovecotServer> dovecot;
};

TEST_F(Pop3TlsDovecotTest, ImplicitTlsAndStlsBothLogInOverTls)
{
    startDovecot(certificates->serverCertificate, certificates->serverKey);
    struct Case {
        const char *name;
        Pop3Security security;
        bool tlsPort;
    };
    for (const Case &c : {Case{"implicit TLS", Pop3Security::Tls, true},
                          Case{"STLS in auto", Pop3Security::Auto, false},
                          Case{"STLS required", Pop3Security::StartTls, false}}) {
        SCOPED_TRACE(c.name);
        TNMPOP3 pop;
        configure(pop, c.security, c.tlsPort ? dovecot->tlsPort() : dovecot->port());
        int plainLogins = 0;
        pop.OnPlainLogin = [&](TPowersock *) { ++plainLogins; };
        ASSERT_NO_THROW(pop.Connect());
        EXPECT_TRUE(pop.Encrypted());
        EXPECT_THAT(pop.Protection(), StartsWith("TLS 1."));
        EXPECT_EQ(pop.MessageCount(), 2);
        pop.FetchSummary(2);
        EXPECT_EQ(pop.Summary.Subject, " Second");
        EXPECT_NO_THROW(pop.Disconnect());
        EXPECT_EQ(plainLogins, 0);
    }
    EXPECT_THAT(dovecot->logText(), HasSubstr("TLS"));
}

TEST_F(Pop3TlsDovecotTest, AnUntrustedCertificateIsRefusedBeforeLoginUnlessItIsPinned)
{
    startDovecot(certificates->serverCertificate, certificates->serverKey);
    trustTestCa(false);
    const std::string fingerprint = TestCertificates::sha256Of(certificates->serverCertificate);
    for (const Pop3Security security : {Pop3Security::Tls, Pop3Security::Auto}) {
        TNMPOP3 pop;
        configure(pop, security, security == Pop3Security::Tls ? dovecot->tlsPort() : dovecot->port());
        try {
            pop.Connect();
            FAIL() << "logged in with an untrusted certificate";
        } catch (const ECertificateError &error) {
            EXPECT_THAT(error.what(), HasSubstr(colonFingerprint(fingerprint)));
            EXPECT_THAT(error.what(), HasSubstr("not trusted"));
            EXPECT_EQ(error.certificate().sha256, fingerprint);
            EXPECT_THAT(error.certificate().subject, HasSubstr("localhost"));
            EXPECT_THAT(error.certificate().issuer, HasSubstr("Kestrix Test CA"));
        }
        EXPECT_FALSE(pop.Connected());
    }
    EXPECT_THAT(dovecot->logText(), Not(HasSubstr("Login: user=")));

    TNMPOP3 pinned;
    configure(pinned, Pop3Security::Tls, dovecot->tlsPort());
    pinned.PinnedSha256 = fingerprint;
    ASSERT_NO_THROW(pinned.Connect());
    EXPECT_TRUE(pinned.Encrypted());
    EXPECT_EQ(pinned.MessageCount(), 2);
    pinned.Disconnect();
}

TEST_F(Pop3TlsDovecotTest, ACertificateForAnotherNameIsRefused)
{
    // Trusted issuer, but made for the name localhost only: the address 127.0.0.1 must not pass.
    startDovecot(certificates->localhostCertificate, certificates->localhostKey);
    TNMPOP3 pop;
    configure(pop, Pop3Security::Tls, dovecot->tlsPort());
    try {
        pop.Connect();
        FAIL() << "accepted a certificate for another name";
    } catch (const ECertificateError &error) {
        EXPECT_THAT(error.what(), HasSubstr("mismatch"));
    }
    EXPECT_THAT(dovecot->logText(), Not(HasSubstr("Login: user=")));

    // By the name the certificate is made for, the same server is accepted.
    TNMPOP3 byName;
    configure(byName, Pop3Security::Tls, dovecot->tlsPort());
    byName.Host = "localhost";
    ASSERT_NO_THROW(byName.Connect());
    EXPECT_TRUE(byName.Encrypted());
    byName.Disconnect();
}

}  // namespace

TEST_F(Pop3TlsDovecotTest, ATokenThatTheServerCannotTakeIsNeverSent)
{
    // This Dovecot knows no token mechanism: its CAPA says "SASL PLAIN".
    startDovecot(certificates->serverCertificate, certificates->serverKey);
    struct Case {
        Pop3SignIn signIn;
        const char *why;
    };
    for (const Case &c : {Case{Pop3SignIn::XOAuth2, "The server refused AUTH XOAUTH2: -ERR"},
                          Case{Pop3SignIn::Auto, "offers neither OAUTHBEARER nor XOAUTH2"}}) {
        SCOPED_TRACE(c.why);
        TNMPOP3 pop;
        configure(pop, Pop3Security::StartTls, dovecot->port());
        pop.SignIn = c.signIn;
        pop.AccessToken = "never-sent-token";
        try {
            pop.Connect();
            FAIL() << "signed in without a token mechanism";
        } catch (const Exception &error) {
            EXPECT_THAT(error.what(), HasSubstr(c.why));
        }
        EXPECT_FALSE(pop.Connected());
    }
    EXPECT_THAT(dovecot->logText(), Not(HasSubstr("Login: user=")));
}
