// The mail program: argument splitting, the desktop's mailto handler found on a fake XDG tree
// with a stub xdg-mime, and a real start of a recording script.
#include "desktop/mail_tool.h"
#include "support/run_until.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestrix {
namespace {

struct SplitCase {
    const char *text;
    std::vector<const char *> words;
};

TEST(SplitArguments, SplitsAsAShellWouldWithoutExpanding)
{
    const SplitCase cases[] = {
        {"", {}},
        {"   ", {}},
        {"-mail", {"-mail"}},
        {"  -compose   to=a@b.c\t-x ", {"-compose", "to=a@b.c", "-x"}},
        {"\"two words\" one", {"two words", "one"}},
        {"'it''s' x", {"its", "x"}},
        {"'a \"b\" c'", {"a \"b\" c"}},
        {"\"a 'b' c\"", {"a 'b' c"}},
        {"\"say \\\"hi\\\" \\\\ \\$HOME \\n\"", {"say \"hi\" \\ $HOME \\n"}},
        {"a\\ b c", {"a b", "c"}},
        {"x\"y z\"w", {"xy zw"}},
        {"\"\" ''", {"", ""}},
        {"$HOME `id` *.txt ;rm", {"$HOME", "`id`", "*.txt", ";rm"}},
        {"\"unclosed quote", {"unclosed quote"}},
        {"trailing\\", {"trailing\\"}},
    };
    for (const SplitCase &c : cases) {
        SCOPED_TRACE(c.text);
        QStringList expected;
        for (const char *w : c.words)
            expected << QString::fromUtf8(w);
        EXPECT_EQ(splitArguments(QString::fromUtf8(c.text)), expected);
    }
}

// A home with applications folders, a bin folder on PATH with a stub xdg-mime that prints the
// handler named in a file, and programs to find.
class FakeDesktop : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        m_savedPath = qgetenv("PATH");
        m_savedHome = qgetenv("XDG_DATA_HOME");
        m_savedDirs = qgetenv("XDG_DATA_DIRS");
        for (const char *dir : {"bin", "home/applications", "sys1/applications",
                                "sys2/applications/vendor", "programs with blanks"})
            ASSERT_TRUE(QDir().mkpath(path(dir)));
        writeExecutable("bin/xdg-mime",
                        "#!/bin/sh\n"
                        "[ \"$1 $2 $3\" = 'query default x-scheme-handler/mailto' ] || exit 3\n"
                        "cat \"" + path("handler").toStdString() + "\" 2>/dev/null\n");
        writeExecutable("bin/kmailer", "#!/bin/sh\n");
        writeExecutable("programs with blanks/mail tool", "#!/bin/sh\n");
        write("bin/not-executable", "#!/bin/sh\n");
        qputenv("PATH", path("bin").toLocal8Bit() + ":/usr/bin:/bin");
        qputenv("XDG_DATA_HOME", path("home").toLocal8Bit());
        qputenv("XDG_DATA_DIRS", (path("sys1") + QLatin1Char(':') + path("sys2")).toLocal8Bit());
    }
    void TearDown() override
    {
        qputenv("PATH", m_savedPath);
        restore("XDG_DATA_HOME", m_savedHome);
        restore("XDG_DATA_DIRS", m_savedDirs);
    }
    static void restore(const char *name, const QByteArray &value)
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }

    QString path(const char *relative) const { return m_root.filePath(QString::fromUtf8(relative)); }
    void write(const char *relative, const std::string &text) const
    {
        QFile f(path(relative));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text.data(), qint64(text.size()));
    }
    void writeExecutable(const char *relative, const std::string &text) const
    {
        write(relative, text);
        QFile::setPermissions(path(relative), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    void desktopEntry(const char *relative, const std::string &exec) const
    {
        write(relative, "[Desktop Action Compose]\nExec=/bin/false\n\n[Desktop Entry]\n"
                        "Type=Application\nName=Mail\n" + exec + "\n");
    }

    QTemporaryDir m_root;
    QByteArray m_savedPath, m_savedHome, m_savedDirs;
};

TEST_F(FakeDesktop, FindsTheMailtoHandlerAsAFullPathOrNothing)
{
    desktopEntry("home/applications/kmailer.desktop", "Exec=kmailer %u");
    desktopEntry("sys1/applications/kmailer.desktop", "Exec=/bin/false %u");  // shadowed
    desktopEntry("sys2/applications/other.desktop", "Exec=\"" + path("bin/kmailer").toStdString() + "\" -compose %u");
    desktopEntry("sys2/applications/vendor/mail.desktop",
                 "Exec=\"" + path("programs with blanks/mail tool").toStdString() + "\" %U");
    desktopEntry("sys1/applications/missing.desktop", "Exec=no-such-mailer %u");
    desktopEntry("sys1/applications/plain.desktop", "Exec=not-executable");
    desktopEntry("sys1/applications/relative.desktop", "Exec=bin/kmailer");
    write("sys1/applications/noexec.desktop", "[Desktop Entry]\nName=x\n");

    const struct {
        const char *handler;  // what xdg-mime prints; nullptr: prints nothing
        QString expected;
    } cases[] = {
        {"kmailer.desktop\n", path("bin/kmailer")},
        {"other.desktop", path("bin/kmailer")},
        {"vendor-mail.desktop\n", path("programs with blanks/mail tool")},
        {"missing.desktop\n", QString()},
        {"plain.desktop\n", QString()},
        {"relative.desktop\n", QString()},
        {"noexec.desktop\n", QString()},
        {"nowhere.desktop\n", QString()},
        {"../home/applications/kmailer.desktop\n", QString()},
        {nullptr, QString()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.handler ? c.handler : "(nothing)");
        QFile::remove(path("handler"));
        if (c.handler)
            write("handler", c.handler);
        EXPECT_EQ(QString::fromStdString(FindDefaultMailTool()), c.expected);
    }
}

TEST_F(FakeDesktop, WithoutXdgMimeThereIsNoDefault)
{
    desktopEntry("home/applications/kmailer.desktop", "Exec=kmailer %u");
    write("handler", "kmailer.desktop\n");
    ASSERT_FALSE(FindDefaultMailTool().empty());
    QFile::remove(path("bin/xdg-mime"));
    qputenv("PATH", path("bin").toLocal8Bit());
    EXPECT_EQ(FindDefaultMailTool(), "");
}

TEST_F(FakeDesktop, ExecutableFilesOnly)
{
    EXPECT_TRUE(isExecutableFile(path("bin/kmailer").toStdString()));
    EXPECT_FALSE(isExecutableFile(path("bin/not-executable").toStdString()));
    EXPECT_FALSE(isExecutableFile(path("bin").toStdString()));
    EXPECT_FALSE(isExecutableFile(path("bin/none").toStdString()));
    EXPECT_FALSE(isExecutableFile(""));
}

// The started program records its arguments and environment, then waits to be released: the
// start must have returned before that, and the password must not have reached it.
TEST_F(FakeDesktop, StartsTheProgramWithItsWordsAndWithoutThePassword)
{
    const std::string record = path("record").toStdString();
    const std::string release = path("release").toStdString();
    writeExecutable("programs with blanks/mail tool",
                    "#!/bin/sh\n"
                    "for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done > '" + record + ".tmp'\n"
                    "env >> '" + record + ".tmp'\n"
                    "mv '" + record + ".tmp' '" + record + "'\n"
                    "i=0; while [ ! -e '" + release + "' ] && [ $i -lt 300 ]; do sleep 0.1; i=$((i+1)); done\n"
                    "echo released > '" + record + ".done'\n");
    qputenv("KESTRIX_PASSWORD", "secret-pw");
    const std::string error = startMailTool(path("programs with blanks/mail tool").toStdString(),
                                            "-compose \"to=a b\" 'x y'");
    qunsetenv("KESTRIX_PASSWORD");
    EXPECT_EQ(error, "");
    EXPECT_FALSE(QFile::exists(path("record.done")));  // still waiting: we did not wait for it
    ASSERT_TRUE(test::runUntil([&] { return QFile::exists(path("record")); }));
    write("release", "");
    ASSERT_TRUE(test::runUntil([&] { return QFile::exists(path("record.done")); }));
    QFile f(path("record"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray seen = f.readAll();
    EXPECT_TRUE(seen.startsWith("[-compose]\n[to=a b]\n[x y]\n")) << seen.constData();
    EXPECT_FALSE(seen.contains("KESTRIX_PASSWORD")) << seen.constData();
    EXPECT_FALSE(seen.contains("secret-pw"));
    EXPECT_TRUE(seen.contains("XDG_DATA_HOME="));  // the rest of the environment is passed on
}

TEST_F(FakeDesktop, AStartThatFailsSaysWhy)
{
    EXPECT_NE(startMailTool(path("bin/none").toStdString(), "-x").find("could not be started"),
              std::string::npos);
    EXPECT_NE(startMailTool(path("bin/not-executable").toStdString(), ""), "");
    EXPECT_NE(startMailTool("", ""), "");
}

}  // namespace
}  // namespace kestrix
