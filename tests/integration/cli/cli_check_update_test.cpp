// kestrix-cli check-update run as a program against a fake web server.
#include "support/fake_http_server.h"
#include "support/fake_pop3_server.h"  // unusedLoopbackPort
#include "text/version.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestrix::test {
namespace {

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

CliRun runCli(const std::vector<std::string> &args, const std::string &releaseUrl = {})
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("KESTRIX_RELEASE_URL"));
    if (!releaseUrl.empty())
        env.insert(QStringLiteral("KESTRIX_RELEASE_URL"), QString::fromStdString(releaseUrl));
    process.setProcessEnvironment(env);
    QStringList arguments;
    for (const std::string &arg : args)
        arguments << QString::fromStdString(arg);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(QStringLiteral(KESTRIX_CLI_PATH), arguments);
    CliRun run;
    if (!process.waitForFinished(60000))
        return run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    return run;
}

TEST(CliCheckUpdate, PrintsInstalledAndPublishedVersionAndNotes)
{
    FakeHttpServer web;
    web.on("/release.txt",
           FakeHttpServer::reply(200, "OK", "<html>\r\n<b>3.0.3 - May 2004</b>\r\n<pre>\r\nfaster\r\nsafer\r\n"));
    const std::string expected = std::string("installed: ") + kVersionText +
                                 "\npublished: 3.0.3 - May 2004\nfaster\nsafer\n";
    struct Case {
        const char *name;
        std::vector<std::string> args;
        std::string environment;
    };
    const std::vector<Case> cases = {
        {"--url URL", {"check-update", "--url", web.url("/release.txt")}, {}},
        {"--url=URL", {"check-update", "--url=" + web.url("/release.txt")}, {}},
        {"KESTRIX_RELEASE_URL", {"check-update"}, web.url("/release.txt")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const CliRun run = runCli(c.args, c.environment);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.out, expected);
    }
}

TEST(CliCheckUpdate, PageThatCannotBeReadExitsWithOneAndSaysWhy)
{
    FakeHttpServer web;
    web.closeOn("/closed.txt");
    struct Case {
        const char *name;
        std::string url;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {"404", web.url("/missing.txt"), "reply 404"},
        {"closed before the reply", web.url("/closed.txt"), "closed by server"},
        {"nothing listening",
         "http://127.0.0.1:" + std::to_string(unusedLoopbackPort()) + "/release.txt",
         "cannot read the release page"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const CliRun run = runCli({"check-update", "--url", c.url});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find(c.reason), std::string::npos) << run.err;
    }
    EXPECT_EQ(runCli({"check-update", "--url"}).exitCode, 2);
}

}  // namespace
}  // namespace kestrix::test
