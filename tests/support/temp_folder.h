#pragma once
// A temp folder with byte-exact file helpers for the tests of files on disk.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace kestrix::test {

class TempFolder {
public:
    TempFolder() { EXPECT_TRUE(m_dir.isValid()); }

    QString dir() const { return m_dir.path(); }
    QString path(std::string_view name) const
    {
        return m_dir.filePath(QString::fromLatin1(name.data(), qsizetype(name.size())));
    }
    void write(std::string_view name, std::string_view bytes) const
    {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(f.write(bytes.data(), qint64(bytes.size())), qint64(bytes.size()));
    }
    std::string read(std::string_view name) const
    {
        QFile f(path(name));
        if (!f.open(QIODevice::ReadOnly))
            return "<missing>";
        return f.readAll().toStdString();
    }
    bool exists(std::string_view name) const { return QFile::exists(path(name)); }
    // A shell script the owner may run; its full path.
    std::string script(std::string_view name, const std::string &body) const
    {
        write(name, "#!/bin/sh\n" + body);
        QFile::setPermissions(path(name), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path(name).toStdString();
    }
    // Names of everything in the folder, to catch temp files left behind.
    QStringList entries() const
    {
        return QDir(dir()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }

private:
    QTemporaryDir m_dir;
};

}  // namespace kestrix::test
