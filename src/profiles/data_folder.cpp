#include "profiles/data_folder.h"

#include <QCoreApplication>

namespace kestrix {

QString dataFolder()
{
    const QString fromEnvironment = qEnvironmentVariable("KESTRIX_DIR");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return QCoreApplication::applicationDirPath();
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
