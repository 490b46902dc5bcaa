#include "profiles/data_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrix {

namespace {

std::string toBytes(const QString &text)
{
    return QFile::encodeName(text).toStdString();
}

// Whether a file can be written into the folder now. A real write, because the permission bits
// do not tell: root passes them everywhere, and a full disk or a quota fails anyway.
bool folderTakesWrites(const QString &dir)
{
    QByteArray probe = QFile::encodeName(dir) + "/.kestrix-write-test-XXXXXX";
    const int fd = ::mkstemp(probe.data());
    if (fd < 0)
        return false;
    const bool written = ::write(fd, "x", 1) == 1;
    ::close(fd);
    ::unlink(probe.constData());
    return written;
}

// The executable's folder counts only when someone set it up as the data folder before.
bool programFolderHoldsData(const QString &programDir)
{
    if (programDir.isEmpty() || !QFileInfo::exists(dataFilePath(programDir, "Kestrix.pro")))
        return false;
    return folderTakesWrites(programDir);
}

}  // namespace

DataFolderChoice chooseDataFolder(const QString &environmentDir, const QString &programDir,
                                  const QString &xdgDataHome, const QString &home)
{
    using Source = DataFolderChoice::Source;
    if (!environmentDir.isEmpty())
        return {environmentDir, Source::Environment};
    if (programFolderHoldsData(programDir))
        return {programDir, Source::ProgramFolder};
    const QString base = QDir::isAbsolutePath(xdgDataHome)
                             ? xdgDataHome
                             : QDir(home).filePath(QStringLiteral(".local/share"));
    return {QDir::cleanPath(QDir(base).filePath(QStringLiteral("kestrix"))), Source::UserData};
}

DataFolderChoice currentDataFolderChoice()
{
    QString home = qEnvironmentVariable("HOME");
    if (home.isEmpty())
        home = QDir::homePath();
    return chooseDataFolder(qEnvironmentVariable("KESTRIX_DIR"),
                            QCoreApplication::applicationDirPath(),
                            qEnvironmentVariable("XDG_DATA_HOME"), home);
}

std::string describeDataFolder(const DataFolderChoice &choice)
{
    std::string text = toBytes(choice.path);
    switch (choice.source) {
    case DataFolderChoice::Source::Environment:
        return text + " (from KESTRIX_DIR)";
    case DataFolderChoice::Source::ProgramFolder:
        return text + " (the program's folder)";
    case DataFolderChoice::Source::UserData:
        break;
    }
    return text;
}

std::string makePrivateFolder(const QString &path)
{
    const QString clean = QDir::cleanPath(QDir(path).absolutePath());
    if (QFileInfo(clean).isDir())
        return {};
    // The missing folders from the top down, each made private as it is created.
    const std::string target = toBytes(clean);
    for (size_t slash = target.find('/', 1);; slash = target.find('/', slash + 1)) {
        const std::string part = target.substr(0, slash);
        struct stat info {};
        if (::stat(part.c_str(), &info) != 0) {
            if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
                return "cannot create the folder " + part + ": " + std::strerror(errno);
            // mkdir's mode passes through the umask; the folder must end up exactly 0700.
            ::chmod(part.c_str(), 0700);
        } else if (!S_ISDIR(info.st_mode)) {
            return part + " is not a folder";
        }
        if (slash == std::string::npos)
            break;
    }
    return {};
}

DataFolderResult openDataFolder()
{
    DataFolderResult result;
    result.choice = currentDataFolderChoice();
    if (result.choice.source == DataFolderChoice::Source::UserData)
        result.error = makePrivateFolder(result.choice.path);
    return result;
}

QString dataFolder()
{
    return openDataFolder().choice.path;
}

QString dataFilePath(const QString &folder, std::string_view fileName)
{
    QString path = folder;
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    path += QString::fromLatin1(fileName.data(), qsizetype(fileName.size()));
    return path;
}

}  // namespace kestrix
