// `cmake --install` into a temp prefix: the files land where GNUInstallDirs says, the desktop
// entry and the metainfo validate, and the installed programs keep their data in the user's
// data folder when nothing else is set up.
#include "support/dovecot_server.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace kestrix::test {
namespace {

struct ProgramRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

ProgramRun runProgram(const QString &program, const QStringList &args,
               const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(program, args);
    ProgramRun run;
    if (!process.waitForFinished(120000))
        return run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    return run;
}

class InstallTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        prefix = new QTemporaryDir;
        const ProgramRun install = runProgram(QStringLiteral(KESTRIX_CMAKE_COMMAND),
                                       {QStringLiteral("--install"),
                                        QStringLiteral(KESTRIX_BINARY_DIR),
                                        QStringLiteral("--prefix"), prefix->path()});
        installed = install.exitCode == 0;
        installLog = install.out + install.err;
    }
    static void TearDownTestSuite()
    {
        delete prefix;
        prefix = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(installed) << installLog; }

    static QString path(const QString &relative) { return prefix->filePath(relative); }
    static QString bin(const char *program)
    {
        return path(QStringLiteral(KESTRIX_INSTALL_BINDIR "/") + QLatin1String(program));
    }

    // A user with a fresh home, no KESTRIX_DIR and no XDG_DATA_HOME.
    static QProcessEnvironment freshUser(const QTemporaryDir &home)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("KESTRIX_DIR"));
        env.remove(QStringLiteral("XDG_DATA_HOME"));
        env.insert(QStringLiteral("HOME"), home.path());
        return env;
    }

    static QTemporaryDir *prefix;
    static bool installed;
    static std::string installLog;
};

QTemporaryDir *InstallTest::prefix = nullptr;
bool InstallTest::installed = false;
std::string InstallTest::installLog;

TEST_F(InstallTest, FilesLandWhereGnuInstallDirsSays)
{
    const QString data = QStringLiteral(KESTRIX_INSTALL_DATADIR "/");
    QStringList expected = {
        QStringLiteral(KESTRIX_INSTALL_BINDIR "/kestrix-cli"),
        data + QStringLiteral("applications/org.kestrix.kestrix.desktop"),
        data + QStringLiteral("metainfo/org.kestrix.kestrix.metainfo.xml"),
        data + QStringLiteral("icons/hicolor/scalable/apps/org.kestrix.kestrix.svg"),
        QStringLiteral(KESTRIX_INSTALL_MANDIR "/man1/kestrix-cli.1"),
        QStringLiteral(KESTRIX_INSTALL_DOCDIR "/kestrix-help.html"),
    };
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
        expected << data + QStringLiteral("icons/hicolor/%1x%1/apps/org.kestrix.kestrix.png").arg(size);
    if (KESTRIX_WITH_WINDOW)
        expected << QStringLiteral(KESTRIX_INSTALL_BINDIR "/kestrix");
    for (const QString &file : expected)
        EXPECT_TRUE(QFileInfo(path(file)).isFile()) << file.toStdString();
    EXPECT_TRUE(QFileInfo(bin("kestrix-cli")).isExecutable());
}

TEST_F(InstallTest, DesktopEntryAndMetainfoValidate)
{
    struct Check {
        const char *tool;
        QStringList args;
    };
    const QString data = QStringLiteral(KESTRIX_INSTALL_DATADIR "/");
    const std::vector<Check> checks = {
        {"desktop-file-validate", {path(data + QStringLiteral("applications/org.kestrix.kestrix.desktop"))}},
        {"appstreamcli", {QStringLiteral("validate"), QStringLiteral("--no-net"), QStringLiteral("--pedantic"),
                          path(data + QStringLiteral("metainfo/org.kestrix.kestrix.metainfo.xml"))}},
    };
    for (const Check &check : checks) {
        SCOPED_TRACE(check.tool);
        const QString tool = QStandardPaths::findExecutable(QLatin1String(check.tool));
        if (tool.isEmpty())
            GTEST_SKIP() << check.tool << " is not installed (scripts/deps.sh installs it)";
        const ProgramRun run = runProgram(tool, check.args);
        EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
        // Clean: no warning or note of any kind.
        EXPECT_EQ(run.out.find("W:"), std::string::npos) << run.out;
        EXPECT_EQ(run.out.find("I:"), std::string::npos) << run.out;
        EXPECT_EQ(run.out.find("P:"), std::string::npos) << run.out;
        if (std::string(check.tool) == "desktop-file-validate") {
            EXPECT_EQ(run.out + run.err, "");
        }
    }
}

TEST_F(InstallTest, InstalledCliMakesAPrivateFolderAndListsAMailbox)
{
    if (!DovecotServer::available())
        GTEST_SKIP() << "dovecot is not installed";
    DovecotServer dovecot({DovecotServer::makeMessage("Ann <ann@example.org>", "Hello"),
                           DovecotServer::makeMessage("Bob <bob@example.org>", "Lunch")});
    QTemporaryDir home;
    QProcessEnvironment env = freshUser(home);
    const QString folder = home.filePath(QStringLiteral(".local/share/kestrix"));

    const ProgramRun help = runProgram(bin("kestrix-cli"), {QStringLiteral("--help")}, env);
    EXPECT_NE(help.out.find("in use now: " + folder.toStdString()), std::string::npos) << help.out;
    EXPECT_FALSE(QFileInfo::exists(folder));  // --help makes nothing

    const ProgramRun added = runProgram(bin("kestrix-cli"),
                                 {QStringLiteral("profile"), QStringLiteral("add"),
                                  QStringLiteral("Box"), QStringLiteral("--host"),
                                  QString::fromStdString(dovecot.host()), QStringLiteral("--port"),
                                  QString::number(dovecot.port()), QStringLiteral("--user"),
                                  QString::fromStdString(dovecot.user())},
                                 env);
    ASSERT_EQ(added.exitCode, 0) << added.err;
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(folder).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0700u);
    EXPECT_TRUE(QFileInfo::exists(folder + QStringLiteral("/box.ini")));

    env.insert(QStringLiteral("KESTRIX_PASSWORD"), QString::fromStdString(dovecot.password()));
    const ProgramRun listed = runProgram(bin("kestrix-cli"), {QStringLiteral("list")}, env);
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_NE(listed.out.find("1\t-\tAnn <ann@example.org>\t-\tHello\t"), std::string::npos)
        << listed.out;
    EXPECT_NE(listed.out.find("2\t-\tBob <bob@example.org>\t-\tLunch\t"), std::string::npos)
        << listed.out;
    // The test server takes the password in clear: the warning comes before the summary.
    EXPECT_EQ(listed.err, "kestrix-cli: warning: Password sent without encryption\n"
                          "kestrix-cli: box: 2 message(s) listed, 0 trusted, 0 known bad or "
                          "blacklisted\n");
}

TEST_F(InstallTest, InstalledWindowStartsWithTheUsersFolder)
{
    if (!KESTRIX_WITH_WINDOW)
        GTEST_SKIP() << "built without the window";
    QTemporaryDir home;
    QProcessEnvironment env = freshUser(home);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    const ProgramRun run = runProgram(bin("kestrix"), {QStringLiteral("--self-test")}, env);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("self-test: window shown"), std::string::npos) << run.out << run.err;
    // The profile list is written at close, into the user's folder.
    EXPECT_TRUE(QFileInfo::exists(home.filePath(QStringLiteral(".local/share/kestrix/Kestrix.pro"))));
}

}  // namespace
}  // namespace kestrix::test
