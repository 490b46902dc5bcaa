// kestrix-cli's set-up commands on real files: profiles, whitelist, blacklist words and the log,
// bad names and arguments, a folder that cannot be written, and quiet or verbose output.
#include "cli_fixture.h"

#include "profiles/list_files.h"
#include "profiles/profile_conf.h"

#include <QFileInfo>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

namespace kestrix::test {
namespace {

using Strings = std::vector<std::string>;

std::string fileText(const QTemporaryDir &dir, const char *name)
{
    QFile file(dir.filePath(QString::fromLatin1(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string("<none>");
}

TEST_F(CliTest, ProfileAddListAndRemoveFollowTheWindowsRules)
{
    const CliResult added = run({"profile", "add", "My Box", "--host", "mail.example.org",
                                 "--port", "995", "--user", "ann"});
    ASSERT_EQ(added.exitCode, 0) << added.err;
    EXPECT_TRUE(added.out.empty());
    EXPECT_EQ(fileText(dir, "Kestrix.pro"), "default\r\nmybox\r\n");
    EXPECT_EQ(fileText(dir, "Kestrix.lpr"), "mybox");
    const Profile mybox = loadProfile("mybox");
    EXPECT_EQ(mybox.settings.Host, "mail.example.org");
    EXPECT_EQ(mybox.settings.Port, "995");
    EXPECT_EQ(mybox.settings.UserId, "ann");
    // A new profile decodes header texts in full; --security lands in NAME.conf.
    const ProfileConf myboxConf = ProfileConf::load(dir.filePath(QStringLiteral("mybox.conf")));
    EXPECT_TRUE(myboxConf.decodeAll());
    EXPECT_EQ(myboxConf.securityMode(), SecurityMode::Auto);
    ASSERT_EQ(run({"profile", "add", "work", "--host=pop.work.example"}).exitCode, 0);
    EXPECT_EQ(loadProfile("work").settings.Port, "110");
    ASSERT_EQ(run({"profile", "add", "secure", "--host", "pop.example.net", "--security", "TLS"})
                  .exitCode,
              0);
    EXPECT_EQ(loadProfile("secure").settings.Port, "995");
    EXPECT_EQ(ProfileConf::load(dir.filePath(QStringLiteral("secure.conf"))).securityMode(),
              SecurityMode::Tls);
    // --auth and --token-command land in [auth]; the command is kept as typed, never run here.
    ASSERT_EQ(run({"profile", "add", "outlook", "--host", "outlook.office365.com", "--security",
                   "tls", "--auth", "xoauth2", "--token-command",
                   "python3 '/opt/my tools/mutt_oauth2.py' /home/me/token"})
                  .exitCode,
              0);
    const ProfileConf outlook = ProfileConf::load(dir.filePath(QStringLiteral("outlook.conf")));
    EXPECT_EQ(outlook.signInMethod(), SignInMethod::XOAuth2);
    EXPECT_EQ(outlook.tokenCommand(), "python3 '/opt/my tools/mutt_oauth2.py' /home/me/token");
    ASSERT_EQ(run({"profile", "remove", "outlook"}).exitCode, 0);

    const CliResult listed = run({"profile", "list"});
    EXPECT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_EQ(listed.out, "default\t\t110\t\tauto\nmybox\tmail.example.org\t995\tann\tauto\n"
                          "work\tpop.work.example\t110\t\tauto\n"
                          "secure\tpop.example.net\t995\t\ttls\n");
    ASSERT_EQ(run({"profile", "remove", "secure"}).exitCode, 0);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("secure.conf"))));

    // Refusals: exit 1, one line, nothing changed.
    const auto before = files();
    struct Refusal {
        Strings args;
        std::string message;
    };
    for (const Refusal &r : std::vector<Refusal>{
             {{"profile", "add", "MYBOX", "--host", "h"}, "Profile already exists !"},
             {{"profile", "remove", "Default"}, "default Profile can not be deleted !"},
             {{"profile", "remove", "nosuch"}, "no profile named \"nosuch\""},
             {{"--profile", "nosuch", "list"}, "no profile named \"nosuch\""},
             {{"--profile", "../default", "list"}, "no profile named"},
             {{"--profile", "nosuch", "whitelist", "list"}, "no profile named \"nosuch\""}}) {
        SCOPED_TRACE(r.args[0] + " " + r.args[1] + " " + r.args[2]);
        const CliResult result = run(r.args);
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_NE(result.err.find(r.message), std::string::npos) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    }
    EXPECT_EQ(files(), before);

    ASSERT_EQ(run({"profile", "remove", "--keep-files", "WORK"}).exitCode, 0);
    EXPECT_EQ(fileText(dir, "Kestrix.pro"), "default\r\nmybox\r\n");
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(QStringLiteral("work.ini"))));
    // A left-over settings file is taken over by a new profile of that name.
    ASSERT_EQ(run({"profile", "add", "work", "--host", "new.example", "--user", "bob"}).exitCode, 0);
    EXPECT_EQ(loadProfile("work").settings.Host, "new.example");

    ASSERT_EQ(run({"profile", "remove", "mybox"}).exitCode, 0);
    EXPECT_EQ(fileText(dir, "Kestrix.pro"), "default\r\nwork\r\n");
    for (const char *gone : {"mybox.ini", "mybox.log", "mybox.acc"})
        EXPECT_FALSE(QFileInfo::exists(dir.filePath(QString::fromLatin1(gone)))) << gone;
}

TEST_F(CliTest, BadNamesAndArgumentsAreUsageErrorsThatTouchNothing)
{
    makeProfile();
    saveProfile();
    const auto before = files();
    struct Case {
        Strings args;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{"profile"}, "profile needs add, list or remove"},
        {{"profile", "add", "--host", "h"}, "needs one NAME"},
        {{"profile", "add", "   ", "--host", "h"}, "can not be used"},
        {{"profile", "add", "../x", "--host", "h"}, "can not be used"},
        {{"profile", "add", "a/b", "--host", "h"}, "can not be used"},
        {{"profile", "add", "..", "--host", "h"}, "can not be used"},
        {{"profile", "add", "tab\tname", "--host", "h"}, "can not be used"},
        {{"profile", "add", "x"}, "needs --host HOST"},
        {{"profile", "add", "x", "--host", "two words"}, "not a host name"},
        {{"profile", "add", "x", "--host", "h", "--port", "0"}, "1 to 65535"},
        {{"profile", "add", "x", "--host", "h", "--port", "11o"}, "1 to 65535"},
        {{"profile", "add", "x", "--host", "h", "--colour", "red"}, "unknown option: --colour"},
        {{"profile", "add", "x", "--host", "h", "--security", "ssl"}, "auto, tls, starttls or none"},
        {{"profile", "add", "x", "--host"}, "--host needs a value"},
        {{"profile", "add", "x", "--host", "h", "--auth", "sso"}, "password, xoauth2, oauthbearer"},
        {{"profile", "add", "x", "--host", "h", "--auth", "oauthbearer"}, "needs --token-command"},
        {{"profile", "add", "x", "--host", "h", "--security", "none", "--token-command", "t"},
         "only over TLS"},
        {{"profile", "list", "extra"}, "takes no arguments"},
        {{"whitelist"}, "whitelist needs list, add TEXT or remove TEXT"},
        {{"whitelist", "add"}, "needs one TEXT"},
        {{"whitelist", "add", "a", "b"}, "needs one TEXT"},
        {{"whitelist", "add", ""}, "needs a sender text"},
        {{"blacklist", "drop", "x"}, "blacklist needs list, add WORD or remove WORD"},
        {{"blacklist", "add", ""}, "needs a word of one line"},
        {{"log", "erase"}, "log needs list or clear"},
        {{"log", "clear", "now"}, "takes no arguments"},
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
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    }
    EXPECT_EQ(files(), before);
}

TEST_F(CliTest, WhitelistBlacklistAndLogCommandsKeepTheListPagesRules)
{
    makeProfile("work");
    profile.log.appendRejected("J\xF6rg <j@example.de>", "Offer");
    profile.log.appendRejected("spam@example.org", "Cheap");
    profile.log.appendRejected("R@x", "=?UTF-8?B?R3LDvMOfZQ==?= Re");
    saveProfile({"default", "work"});

    // Decoded on the way in, as a profile load decodes the file; a trusted sender leaves the log.
    const CliResult added = run({"--profile", "work", "whitelist", "add",
                                 "=?iso-8859-1?q?J=F6rg?= <j@example.de>"});
    ASSERT_EQ(added.exitCode, 0) << added.err;
    // Arguments reach the program as plain bytes only when they are ASCII: the encoded form.
    EXPECT_EQ(run({"--profile", "work", "whitelist", "add",
                   "\"=?iso-8859-1?q?j=F6RG?=\" <J@EXAMPLE.de>"}).exitCode,
              1);
    ASSERT_EQ(run({"--profile", "work", "whitelist", "add", "--", "-dash@example.org"}).exitCode, 0);
    EXPECT_EQ(run({"--profile", "work", "whitelist", "list"}).out,
              "-dash@example.org\nJ\xF6rg <j@example.de>\n");
    EXPECT_EQ(fileText(dir, "work.acc"), "-dash@example.org\r\nJ\xF6rg <j@example.de>\r\n");
    EXPECT_EQ(run({"--profile", "work", "log", "list"}).out,
              "spam@example.org\tcheap\nr@x\t=?UTF-8?B?R3LDvMOfZQ==?= re\n");
    EXPECT_EQ(run({"--utf8", "--profile", "work", "log", "list"}).out,
              "spam@example.org\tcheap\nr@x\tGr\xC3\xBC\xC3\x9F" "e re\n");

    const std::string again = "=?iso-8859-1?q?J=F6RG?= <j@EXAMPLE.de>";
    EXPECT_EQ(run({"--profile", "work", "whitelist", "remove", again}).exitCode, 0);
    EXPECT_EQ(run({"--profile", "work", "whitelist", "remove", again}).exitCode, 1);
    EXPECT_EQ(fileText(dir, "work.acc"), "-dash@example.org\r\n");

    // Blacklist words: program-wide, lower-cased, no duplicates; the built-in words until then.
    const std::string builtIn = run({"blacklist", "list"}).out;
    EXPECT_EQ(std::count(builtIn.begin(), builtIn.end(), '\n'), 68);
    ASSERT_EQ(run({"blacklist", "add", "Lottery Win"}).exitCode, 0);
    EXPECT_EQ(run({"blacklist", "add", "lottery win"}).exitCode, 1);
    const std::string words = fileText(dir, "kestrix.blk");
    EXPECT_NE(words.find("\r\nlottery win\r\nlove\r\n"), std::string::npos);
    ASSERT_EQ(run({"blacklist", "remove", "DEAL"}).exitCode, 0);  // both built-in copies
    EXPECT_EQ(run({"blacklist", "remove", "deal"}).exitCode, 1);
    const std::string fewer = fileText(dir, "kestrix.blk");
    EXPECT_EQ(std::count(fewer.begin(), fewer.end(), '\n'), 67);

    const CliResult cleared = run({"--profile", "work", "log", "clear"});
    ASSERT_EQ(cleared.exitCode, 0) << cleared.err;
    EXPECT_EQ(fileText(dir, "work.log"), "");
    EXPECT_TRUE(run({"--profile", "work", "log", "list"}).out.empty());
}

TEST_F(CliTest, AFolderThatCannotBeWrittenLosesNothing)
{
    makeProfile();
    profile.whitelist.add("friend@example.org");
    // A log to clear: clearing an empty one changes no file and needs no write.
    profile.log.appendRejected("spam@example.org", "offer");
    saveProfile({"default", "work"});
    const QByteArray folder = QFile::encodeName(dir.path());
    // Everyone may read the files; nobody may write the folder.
    for (const auto &[name, bytes] : files())
        ::chmod((folder + "/" + QByteArray::fromStdString(name)).constData(), 0644);
    ASSERT_EQ(::chmod(folder.constData(), 0555), 0);
    const auto before = files();
    // Root writes anywhere: the commands then run as the unprivileged user "nobody".
    const bool asNobody = ::geteuid() == 0;

    for (const Strings &args : std::vector<Strings>{
             {"profile", "add", "new", "--host", "h"},
             {"profile", "remove", "work"},
             {"whitelist", "add", "other@example.org"},
             {"whitelist", "remove", "friend@example.org"},
             {"blacklist", "add", "lottery"},
             {"log", "clear"}}) {
        SCOPED_TRACE(args[0] + " " + args[1]);
        const CliResult result = asNobody ? runAsNobody(args) : run(args);
        EXPECT_EQ(result.exitCode, 1) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    }
    ::chmod(folder.constData(), 0700);
    EXPECT_EQ(files(), before);
}

TEST_F(CliTest, ListIsQuietByDefaultAndTellsEveryStatusWithV)
{
    startServer(2);
    makeProfile();
    saveProfile();
    const CliResult quiet = run({"list", "--all"});
    ASSERT_EQ(quiet.exitCode, 0) << quiet.err;
    // The plain-password warning is said also without -v.
    EXPECT_EQ(quiet.err, "kestrix-cli: warning: Password sent without encryption\n"
                         "kestrix-cli: default: 2 message(s) listed, 0 trusted, 0 known bad or "
                         "blacklisted\n");

    const CliResult verbose = run({"-v", "list", "--all"});
    ASSERT_EQ(verbose.exitCode, 0) << verbose.err;
    EXPECT_EQ(verbose.out, quiet.out);
    EXPECT_NE(verbose.err.find("2 new messages from server"), std::string::npos) << verbose.err;
    EXPECT_NE(verbose.err.find("+OK"), std::string::npos) << verbose.err;
    EXPECT_EQ(verbose.err.substr(verbose.err.rfind("kestrix-cli:")),
              "kestrix-cli: default: 2 message(s) listed, 0 trusted, 0 known bad or blacklisted\n");
    // A failure is one line also without -v (after the plain-password warning).
    const CliResult refused = run({"list"}, "wrong");
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(std::count(refused.err.begin(), refused.err.end(), '\n'), 2) << refused.err;
    EXPECT_NE(refused.err.find("\nkestrix-cli: Authentication failed: the server did not accept"),
              std::string::npos)
        << refused.err;
}

TEST_F(CliTest, OnATerminalAProgressLineRewritesItselfAndIsWipedAtTheEnd)
{
    const QString script = QStandardPaths::findExecutable(QStringLiteral("script"));
    if (script.isEmpty())
        GTEST_SKIP() << "script(1) is not installed";
    startServer(3);
    makeProfile();
    saveProfile();
    // script(1) gives the program a terminal; what it writes there comes out on script's output.
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KESTRIX_PASSWORD"), QStringLiteral("secret"));
    process.setProcessEnvironment(env);
    process.setStandardInputFile(QProcess::nullDevice());
    const QString command = QStringLiteral("%1 --dir '%2' list 2>&1 >/dev/null")
                                .arg(QStringLiteral(KESTRIX_CLI_PATH), dir.path());
    process.start(script, {QStringLiteral("-qec"), command, QStringLiteral("/dev/null")});
    ASSERT_TRUE(process.waitForFinished(120000));
    EXPECT_EQ(process.exitCode(), 0);
    const std::string shown = process.readAllStandardOutput().toStdString();
    EXPECT_NE(shown.find("\r\033[K[######              ] 1/3"), std::string::npos) << shown;
    EXPECT_NE(shown.find("\r\033[K[####################] 3/3"), std::string::npos) << shown;
    // Wiped before the summary, which starts a clean line.
    EXPECT_NE(shown.find("\r\033[Kkestrix-cli: default: 3 message(s) listed"), std::string::npos)
        << shown;
}

TEST_F(CliTest, AMissingDataFolderIsMadePrivateAsTheWindowMakesIt)
{
    const std::string missing = dir.filePath(QStringLiteral("new/data")).toStdString();
    const CliResult result = run({"--dir", missing, "profile", "add", "box", "--host", "h"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    struct stat info {};
    ASSERT_EQ(::stat(missing.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(missing + "/box.ini")));
}

}  // namespace
}  // namespace kestrix::test
