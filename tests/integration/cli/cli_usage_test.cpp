// kestrix-cli usage errors: a clear message, exit status 2, and no file touched.
#include "cli_fixture.h"

namespace kestrix::test {
namespace {

TEST_F(CliTest, UsageErrorsExitTwoAndChangeNoFile)
{
    makeProfile();
    saveProfile({"default", "work"});
    const auto before = files();

    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{}, "no command"},
        {{"fetch"}, "unknown command: fetch"},
        {{"list", "--loud"}, "unknown option: --loud"},
        {{"--loud", "list"}, "unknown option: --loud"},
        {{"list", "extra"}, "unexpected argument: extra"},
        {{"--dir"}, "--dir needs a folder"},
        {{"list", "--last", "ten"}, "--last"},
        {{"list", "--last", "-1"}, "--last"},
        {{"list", "--last"}, "--last needs a number"},
        {{"delete"}, "at least one message number"},
        {{"delete", "0"}, "not a message number: 0"},
        {{"delete", "12x"}, "not a message number: 12x"},
        {{"list", "--allow-accepted"}, "--allow-accepted"},
        {{"read"}, "read needs a message number"},
        {{"read", "0"}, "not a message number: 0"},
        {{"read", "1", "2"}, "unexpected argument: 2"},
        {{"read", "x1"}, "not a message number: x1"},
        {{"read", "1", "--all"}, "unknown option: --all"},
        {{"read", "1", "--attachments"}, "--attachments needs a folder"},
        {{"read", "1", "--attachments="}, "--attachments needs a folder"},
        {{"list", "--attachments", "/tmp"}, "unknown option: --attachments"},
    };
    for (const Case &c : cases) {
        std::string joined;
        for (const std::string &arg : c.args)
            joined += arg + " ";
        SCOPED_TRACE(joined);
        const CliResult result = run(c.args);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_TRUE(result.out.empty());
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    }
    EXPECT_EQ(files(), before);
}

TEST_F(CliTest, ProfileWithoutAccountOrWithABadPortExitsTwo)
{
    Profile &p = makeProfile();
    p.settings.Host.clear();
    saveProfile();
    auto before = files();
    CliResult result = run({"list"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.err.find("lacks the host, port or user id"), std::string::npos);
    EXPECT_EQ(files(), before);

    p.settings.Host = "127.0.0.1";
    p.settings.Port = "70000";
    saveProfile();
    before = files();
    result = run({"list"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.err.find("1 to 65535"), std::string::npos);
    EXPECT_EQ(files(), before);
}

TEST_F(CliTest, HelpPrintsTheUsage)
{
    const CliResult result = run({"--help"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out.rfind("kestrix-cli [--dir DIR] [--profile NAME] [-v] [--utf8] COMMAND [options]", 0),
              0u);
    for (const char *command : {"list", "delete-known-bad", "delete", "profile add", "whitelist",
                                "blacklist", "log list", "check-update", "in use now:", "--utf8", "read NUMBER"})
        EXPECT_NE(result.out.find(command), std::string::npos) << command;

    const CliResult version = run({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "kestrix-cli 3.0.2 - October 2003\n");
}

}  // namespace
}  // namespace kestrix::test
