// The HTTP client's https against the openssl command line's test web server (s_server -www)
// with a certificate of a test CA: a page over TLS, and an untrusted server refused.
#include "support/fake_pop3_server.h"
#include "support/test_certificates.h"
#include "transport/http_client.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <cstdlib>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace kestrix;
using kestrix::test::TestCertificates;
using ::testing::HasSubstr;

namespace {

bool accepts(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(std::uint16_t(port));
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

}  // namespace

TEST(HttpsTest, GetsAPageOverTlsAndRefusesAnUntrustedServer)
{
    QTemporaryDir folder;
    const TestCertificates certificates(folder.path().toStdString());
    const int port = kestrix::test::unusedLoopbackPort();
    QProcess server;
    server.start(QStringLiteral("openssl"),
                 {QStringLiteral("s_server"), QStringLiteral("-accept"),
                  QStringLiteral("127.0.0.1:%1").arg(port), QStringLiteral("-cert"),
                  QString::fromStdString(certificates.serverCertificate), QStringLiteral("-key"),
                  QString::fromStdString(certificates.serverKey), QStringLiteral("-www"),
                  QStringLiteral("-quiet")});
    ASSERT_TRUE(server.waitForStarted());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!accepts(port) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));

    const std::string url = "https://127.0.0.1:" + std::to_string(port) + "/";
    ::setenv("SSL_CERT_FILE", certificates.caFile.c_str(), 1);
    {
        TNMHTTP http;
        ASSERT_NO_THROW(http.Get(url));
        EXPECT_EQ(http.ReplyCode(), 200);
        EXPECT_THAT(http.Body, HasSubstr("s_server"));
    }
    ::setenv("SSL_CERT_FILE", certificates.serverKey.c_str(), 1);
    {
        TNMHTTP http;
        try {
            http.Get(url);
            FAIL() << "read a page from an untrusted server";
        } catch (const ECertificateError &error) {
            EXPECT_THAT(error.what(), HasSubstr("not trusted"));
        }
        EXPECT_FALSE(http.Connected());
    }
    ::unsetenv("SSL_CERT_FILE");
    server.kill();
    server.waitForFinished();
}
