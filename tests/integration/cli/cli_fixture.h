#pragma once
// kestrix-cli run as a program against a throw-away Dovecot, on profile files in a temp folder.
#include "profiles/profile_list.h"
#include "profiles/profile_store.h"
#include "support/dovecot_server.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace kestrix::test {

struct CliResult {
    int exitCode = -1;
    std::string out;
    std::string err;
    // The lines of standard output, each split at TAB.
    std::vector<std::vector<std::string>> rows() const
    {
        std::vector<std::vector<std::string>> result;
        size_t pos = 0;
        while (pos < out.size()) {
            const size_t end = out.find('\n', pos);
            const std::string line = out.substr(pos, end - pos);
            std::vector<std::string> fields;
            size_t start = 0;
            for (;;) {
                const size_t tab = line.find('\t', start);
                fields.push_back(line.substr(start, tab - start));
                if (tab == std::string::npos)
                    break;
                start = tab + 1;
            }
            result.push_back(fields);
            if (end == std::string::npos)
                break;
            pos = end + 1;
        }
        return result;
    }
    // The lines of standard error that are not warnings ("kestrix-cli: warning: ..."): a failure
    // is exactly one.
    std::vector<std::string> errorLines() const
    {
        std::vector<std::string> lines;
        size_t pos = 0;
        while (pos < err.size()) {
            size_t end = err.find('\n', pos);
            if (end == std::string::npos)
                end = err.size();
            const std::string line = err.substr(pos, end - pos);
            if (line.rfind("kestrix-cli: warning: ", 0) != 0)
                lines.push_back(line);
            pos = end + 1;
        }
        return lines;
    }
    // Column 0 of every row.
    std::vector<std::string> numbers() const
    {
        std::vector<std::string> out;
        for (const auto &row : rows())
            out.push_back(row.at(0));
        return out;
    }
};

class CliTest : public ::testing::Test, protected NumberedMailbox {
protected:
    static void SetUpTestSuite()
    {
        if (!DovecotServer::available())
            GTEST_SKIP() << "dovecot is not installed";
    }

    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    void startServer(int count) { startServer(numberedMessages(count)); }
    void startServer(const std::vector<std::string> &messages)
    {
        dovecot = std::make_unique<DovecotServer>(messages);
    }

    // A profile that points at the server, listed in Kestrix.pro.
    Profile &makeProfile(const std::string &name = "default")
    {
        profile.name = name;
        profile.settings.Host = dovecot ? dovecot->host() : "127.0.0.1";
        profile.settings.Port = dovecot ? std::to_string(dovecot->port()) : "110";
        profile.settings.UserId = dovecot ? dovecot->user() : "kestrix";
        return profile;
    }
    void saveProfile(const std::vector<std::string> &listed = {"default"})
    {
        ASSERT_TRUE(SaveProfile(profile, dir.path()));
        ASSERT_TRUE(writeProfileList(dir.path(), listed));
    }
    Profile loadProfile(const std::string &name = "default") const
    {
        Profile loaded;
        loaded.name = name;
        EXPECT_TRUE(LoadProfile(loaded, dir.path()));
        return loaded;
    }

    CliResult run(const std::vector<std::string> &args, const std::string &password = "secret")
    {
        return runProgram(QStringLiteral(KESTRIX_CLI_PATH), {}, args, password);
    }
    // The same run as the unprivileged user "nobody" (a root test that needs a folder it
    // cannot write).
    CliResult runAsNobody(const std::vector<std::string> &args)
    {
        return runProgram(QStringLiteral("setpriv"),
                          {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                           QStringLiteral("--clear-groups"), QStringLiteral(KESTRIX_CLI_PATH)},
                          args, "secret");
    }
    CliResult runProgram(const QString &program, QStringList arguments,
                         const std::vector<std::string> &args, const std::string &password)
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("KESTRIX_DIR"));
        env.insert(QStringLiteral("KESTRIX_PASSWORD"), QString::fromLatin1(password));
        process.setProcessEnvironment(env);
        arguments << QStringLiteral("--dir") << dir.path();
        for (const std::string &arg : args)
            arguments << QString::fromLatin1(arg.data(), qsizetype(arg.size()));
        process.setStandardInputFile(QProcess::nullDevice());
        process.start(program, arguments);
        EXPECT_TRUE(process.waitForFinished(120000));
        CliResult result;
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.out = process.readAllStandardOutput().toStdString();
        result.err = process.readAllStandardError().toStdString();
        return result;
    }

    // Every file of the data folder with its bytes.
    std::map<std::string, QByteArray> files() const
    {
        std::map<std::string, QByteArray> out;
        for (const QString &name : QDir(dir.path()).entryList(QDir::Files)) {
            QFile file(dir.filePath(name));
            EXPECT_TRUE(file.open(QIODevice::ReadOnly));
            out[name.toStdString()] = file.readAll();
        }
        return out;
    }

    QTemporaryDir dir;
    std::unique_ptr<DovecotServer> dovecot;
    Profile profile;
};

}  // namespace kestrix::test
