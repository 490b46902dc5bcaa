// kestrix-cli over TLS against Dovecot with a test CA: STLS and implicit TLS list what plain
// POP3 lists; an untrusted certificate is reported with its fingerprint (exit 1) until NAME.conf
// pins it; an unreadable security setting is a usage error (exit 2); a profile that signs in
// with a token lists without any password.
#include "cli_fixture.h"
#include "profiles/profile_conf.h"
#include "support/fake_http_server.h"
#include "support/fake_pop3_server.h"
#include "support/temp_folder.h"
#include "support/test_certificates.h"

#include <gmock/gmock.h>

#include <cstdlib>
#include <optional>

using namespace kestrix;
using kestrix::test::CliResult;
using kestrix::test::DovecotServer;
using kestrix::test::TestCertificates;
using ::testing::HasSubstr;

namespace {

class CliTlsTest : public kestrix::test::CliTest {
protected:
    void TearDown() override { ::unsetenv("SSL_CERT_FILE"); }

    void writeConf(const std::string &text)
    {
        QFile file(ProfileConf::pathFor(dir.path(), "default"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text.data(), qint64(text.size()));
    }

    // Messages 1..count on a Dovecot that also speaks TLS with the test server certificate.
    void startTlsDovecot(const TestCertificates &certificates, int count)
    {
        DovecotServer::Options options;
        options.tlsCertificate = certificates.serverCertificate;
        options.tlsKey = certificates.serverKey;
        dovecot = std::make_unique<DovecotServer>(numberedMessages(count), options);
    }
};

std::string withColons(const std::string &digits)
{
    std::string text;
    for (std::size_t i = 0; i < digits.size(); i += 2)
        text += (i ? ":" : "") + digits.substr(i, 2);
    for (char &c : text)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

TEST_F(CliTlsTest, ListsOverTlsAsOverPlainAndRefusesAnUntrustedCertificateUntilPinned)
{
    QTemporaryDir certificateFolder;
    const TestCertificates certificates(certificateFolder.path().toStdString());
    startTlsDovecot(certificates, 3);
    makeProfile();
    saveProfile();
    ::setenv("SSL_CERT_FILE", certificates.caFile.c_str(), 1);

    writeConf("[security]\nmode=none\n");
    const CliResult plain = run({"-v", "list"});
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    EXPECT_THAT(plain.err, HasSubstr("Connected (no encryption)"));
    ASSERT_EQ(plain.numbers(), (std::vector<std::string>{"1", "2", "3"}));

    // Automatic on the plain port upgrades with STLS.
    writeConf("");
    const CliResult stls = run({"-v", "list"});
    ASSERT_EQ(stls.exitCode, 0) << stls.err;
    EXPECT_THAT(stls.err, HasSubstr("Connected (TLS 1."));
    EXPECT_EQ(stls.out, plain.out);

    // The protected login is remembered: a server of this profile that offers no STLS now (it
    // was stripped on the way) is refused before the user name goes out.
    const QString confFile = ProfileConf::pathFor(dir.path(), "default");
    EXPECT_EQ(ProfileConf::load(confFile).strongestProtection(), SecurityMode::StartTls);
    {
        kestrix::test::FakePop3Server stripped;
        stripped.send("+OK ready\r\n");
        stripped.expect("CAPA\r\n");
        stripped.send("+OK\r\nUSER\r\nTOP\r\nUIDL\r\n.\r\n");
        stripped.expect("QUIT\r\n");
        stripped.send("+OK\r\n");
        profile.settings.Port = std::to_string(stripped.port());
        saveProfile();
        const CliResult downgraded = run({"list"});
        EXPECT_EQ(downgraded.exitCode, 1);
        EXPECT_EQ(downgraded.errorLines(),
                  std::vector<std::string>{"kestrix-cli: " + profile.settings.Host
                                           + " no longer offers encryption; the password was not "
                                             "sent. If the server changed, choose \"None\" in "
                                             "Security."});
        EXPECT_TRUE(stripped.waitUntilScriptDone());
        EXPECT_EQ(stripped.received(), (std::vector<std::string>{"CAPA\r\n", "QUIT\r\n"}));
        profile.settings.Port = std::to_string(dovecot->port());
        saveProfile();
    }

    profile.settings.Port = std::to_string(dovecot->tlsPort());
    saveProfile();
    writeConf("[security]\nmode=tls\n");
    const CliResult tls = run({"list"});
    ASSERT_EQ(tls.exitCode, 0) << tls.err;
    EXPECT_EQ(tls.out, plain.out);

    // A trust store without the test CA: refused before login, with the fingerprint to pin.
    ::setenv("SSL_CERT_FILE", certificates.serverKey.c_str(), 1);
    const std::string fingerprint = TestCertificates::sha256Of(certificates.serverCertificate);
    const CliResult refused = run({"list"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_THAT(refused.err, HasSubstr(withColons(fingerprint)));
    EXPECT_EQ(refused.out, "");

    writeConf("[security]\nmode=tls\npinnedSha256=" + withColons(fingerprint) + "\n");
    const CliResult pinned = run({"-v", "list"});
    ASSERT_EQ(pinned.exitCode, 0) << pinned.err;
    EXPECT_EQ(pinned.out, plain.out);
    // -v names the protection the TLS session established and the certificate it accepted.
    EXPECT_THAT(pinned.err, HasSubstr("connection: TLS 1."));
    EXPECT_THAT(pinned.err, HasSubstr("localhost SHA-256 " + withColons(fingerprint) + ", pinned)\n"));

    for (const std::string bad : {"[security]\nmode=ssl\n", "[security]\npinnedSha256=12:34\n"}) {
        SCOPED_TRACE(bad);
        writeConf(bad);
        const CliResult usage = run({"list"});
        EXPECT_EQ(usage.exitCode, 2);
        EXPECT_THAT(usage.err, HasSubstr("default.conf"));
        EXPECT_THAT(usage.err, HasSubstr("[security]"));
    }
}

TEST_F(CliTlsTest, ADeletionOverTlsLeavesTheSameMailboxTableAndFilesAsOverPlain)
{
    QTemporaryDir certificateFolder;
    const TestCertificates certificates(certificateFolder.path().toStdString());
    ::setenv("SSL_CERT_FILE", certificates.caFile.c_str(), 1);
    struct Case {
        const char *name;
        const char *conf;
        bool tlsPort;
        const char *connected;
    };
    const Case cases[] = {
        {"plain", "[security]\nmode=none\n", false, "connection: not encrypted\n"},
        {"STLS (automatic)", "", false, "connection: STARTTLS, TLS 1."},
        {"STLS required", "[security]\nmode=starttls\n", false, "connection: STARTTLS, TLS 1."},
        {"implicit TLS", "[security]\nmode=tls\n", true, "connection: TLS 1."},
    };
    std::optional<CliResult> plainRun;
    std::map<std::string, QByteArray> plainFiles;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        for (const QString &name : QDir(dir.path()).entryList(QDir::Files))
            ASSERT_TRUE(QFile::remove(dir.filePath(name)));
        startTlsDovecot(certificates, 4);
        profile = Profile{};
        makeProfile().whitelist.add(sender(3));
        if (c.tlsPort)
            profile.settings.Port = std::to_string(dovecot->tlsPort());
        saveProfile();
        writeConf(c.conf);

        const CliResult result = run({"-v", "delete", "2", "3"});
        ASSERT_EQ(result.exitCode, 0) << result.err;
        EXPECT_THAT(result.err, HasSubstr(c.connected));
        EXPECT_EQ(dovecot->senders(), (std::vector<std::string>{sender(1), sender(3), sender(4)}));

        // The files but the two that name the connection (port and security) are the same.
        auto kept = files();
        kept.erase("default.ini");
        kept.erase("default.conf");
        if (!plainRun) {
            plainRun = result;
            plainFiles = kept;
            continue;
        }
        EXPECT_EQ(result.out, plainRun->out);
        EXPECT_EQ(kept, plainFiles);
    }
}

TEST_F(CliTlsTest, AProfileWithATokenCommandListsWithoutAPassword)
{
    kestrix::test::TempFolder tools;
    const TestCertificates certificates(tools.dir().toStdString());
    ::setenv("SSL_CERT_FILE", certificates.caFile.c_str(), 1);
    kestrix::test::FakeHttpServer introspection;
    introspection.on("/introspect?token=cli-token&client_id=&client_secret=",
                     kestrix::test::FakeHttpServer::reply(
                         200, "OK", R"({"active": true, "username": "kestrix"})"));
    DovecotServer::Options options;
    options.tlsCertificate = certificates.serverCertificate;
    options.tlsKey = certificates.serverKey;
    options.oauth2IntrospectionUrl = introspection.url("/introspect?token=");
    dovecot = std::make_unique<DovecotServer>(numberedMessages(2), options);
    makeProfile();
    saveProfile();
    writeConf("[auth]\nmethod=xoauth2\ntokenCommand=" + tools.script("token", "echo cli-token\n")
              + "\n");

    const CliResult listed = run({"-v", "list"}, "");
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_THAT(listed.err, HasSubstr("connection: STARTTLS, TLS 1."));
    EXPECT_EQ(listed.numbers(), (std::vector<std::string>{"1", "2"}));
    EXPECT_THAT(dovecot->logText(), HasSubstr("method=XOAUTH2"));
}
