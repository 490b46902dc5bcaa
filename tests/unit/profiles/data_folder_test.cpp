// The data-folder rule: KESTRIX_DIR, else the program's folder when it holds Kestrix.pro and
// can be written, else $XDG_DATA_HOME/kestrix (or ~/.local/share/kestrix), made private.
#include "profiles/data_folder.h"
#include "support/file_size_limit.h"
#include "support/temp_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace kestrix::test {
namespace {

using Source = DataFolderChoice::Source;

mode_t modeOf(const QString &path)
{
    struct stat info {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0) << path.toStdString();
    return info.st_mode & 07777;
}

TEST(DataFolder, TheRuleTakesTheFirstFolderThatApplies)
{
    TempFolder withList;  // a program folder someone set up: it holds Kestrix.pro
    withList.write("Kestrix.pro", "default\r\n");
    TempFolder bare;  // a program folder without data (an installed /usr/bin)
    const QString home = QStringLiteral("/home/ann");

    struct Case {
        const char *what;
        QString environment, program, xdg;
        QString path;
        Source source;
    };
    const std::vector<Case> cases = {
        {"KESTRIX_DIR wins", QStringLiteral("/some/where"), withList.dir(), QString(),
         QStringLiteral("/some/where"), Source::Environment},
        {"program folder with Kestrix.pro", QString(), withList.dir(), QStringLiteral("/x"),
         withList.dir(), Source::ProgramFolder},
        {"XDG_DATA_HOME", QString(), bare.dir(), QStringLiteral("/data/ann"),
         QStringLiteral("/data/ann/kestrix"), Source::UserData},
        {"no XDG_DATA_HOME", QString(), bare.dir(), QString(),
         QStringLiteral("/home/ann/.local/share/kestrix"), Source::UserData},
        {"a relative XDG_DATA_HOME is ignored", QString(), bare.dir(), QStringLiteral("data"),
         QStringLiteral("/home/ann/.local/share/kestrix"), Source::UserData},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const DataFolderChoice choice = chooseDataFolder(c.environment, c.program, c.xdg, home);
        EXPECT_EQ(choice.path, c.path);
        EXPECT_EQ(choice.source, c.source);
    }

    EXPECT_EQ(describeDataFolder({QStringLiteral("/d"), Source::Environment}),
              "/d (from KESTRIX_DIR)");
    EXPECT_EQ(describeDataFolder({QStringLiteral("/d"), Source::ProgramFolder}),
              "/d (the program's folder)");
    EXPECT_EQ(describeDataFolder({QStringLiteral("/d"), Source::UserData}), "/d");
    EXPECT_EQ(dataFilePath(QStringLiteral("/d/"), "a.ini"), QStringLiteral("/d/a.ini"));
    EXPECT_EQ(dataFilePath(QStringLiteral("/d"), "a.ini"), QStringLiteral("/d/a.ini"));
}

TEST(DataFolder, AProgramFolderThatCannotBeWrittenIsPassedOver)
{
    TempFolder program;
    program.write("Kestrix.pro", "default\r\n");
    const auto choose = [&] {
        return chooseDataFolder(QString(), program.dir(), QStringLiteral("/data"),
                                QStringLiteral("/h"))
            .source;
    };
    EXPECT_EQ(choose(), Source::ProgramFolder);
    {
        // No byte can be written (a full disk): root is bound by the limit too.
        FileSizeLimit full(0);
        ASSERT_TRUE(full.active());
        EXPECT_EQ(choose(), Source::UserData);
    }
    if (::geteuid() != 0) {  // root passes the permission bits
        ASSERT_EQ(::chmod(QFile::encodeName(program.dir()).constData(), 0500), 0);
        EXPECT_EQ(choose(), Source::UserData);
        ::chmod(QFile::encodeName(program.dir()).constData(), 0700);
    }
    // The write test leaves nothing behind.
    EXPECT_EQ(QDir(program.dir()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST(DataFolder, TheUserFolderIsMadePrivateAndAnOldOneKeepsItsMode)
{
    TempFolder tmp;
    const QString nested = tmp.dir() + QStringLiteral("/share/kestrix");
    EXPECT_EQ(makePrivateFolder(nested), "");
    EXPECT_TRUE(QFileInfo(nested).isDir());
    EXPECT_EQ(modeOf(nested), 0700u);
    EXPECT_EQ(modeOf(tmp.dir() + QStringLiteral("/share")), 0700u);

    const QString shared = tmp.dir() + QStringLiteral("/shared");
    ASSERT_EQ(::mkdir(QFile::encodeName(shared).constData(), 0755), 0);
    ::chmod(QFile::encodeName(shared).constData(), 0755);
    EXPECT_EQ(makePrivateFolder(shared), "");
    EXPECT_EQ(modeOf(shared), 0755u);

    tmp.write("plain", "x");
    EXPECT_NE(makePrivateFolder(tmp.dir() + QStringLiteral("/plain/kestrix")).find("not a folder"),
              std::string::npos);
}

TEST(DataFolder, TheProcessFollowsItsEnvironment)
{
    TempFolder tmp;
    qputenv("KESTRIX_DIR", "/some/where");
    EXPECT_EQ(dataFolder(), QStringLiteral("/some/where"));
    qunsetenv("KESTRIX_DIR");
    qputenv("XDG_DATA_HOME", QFile::encodeName(tmp.dir()));
    const DataFolderResult opened = openDataFolder();
    qunsetenv("XDG_DATA_HOME");
    EXPECT_TRUE(opened);
    EXPECT_EQ(opened.choice.path, tmp.dir() + QStringLiteral("/kestrix"));
    EXPECT_EQ(modeOf(opened.choice.path), 0700u);
}

}  // namespace
}  // namespace kestrix::test
