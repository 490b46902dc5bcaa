// The user's mail program on a freedesktop desktop: the mailto handler through xdg-mime and the
// desktop entry files, and a start that hands the program its own words without a shell.
#include "desktop/mail_tool.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

namespace kestrix {

namespace {

// xdg-mime is a shell script that may ask the desktop; a hung desktop must not hang us.
constexpr int kXdgMimeTimeoutMs = 5000;

QStringList applicationFolders()
{
    QStringList folders;
    QString home = qEnvironmentVariable("XDG_DATA_HOME");
    if (home.isEmpty())
        home = QDir::homePath() + QStringLiteral("/.local/share");
    folders << home;
    QString dirs = qEnvironmentVariable("XDG_DATA_DIRS");
    if (dirs.isEmpty())
        dirs = QStringLiteral("/usr/local/share:/usr/share");
    for (const QString &dir : dirs.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        folders << dir;
    for (QString &folder : folders)
        folder += QStringLiteral("/applications");
    return folders;
}

// The general escapes of a desktop entry value (\s \n \t \r \\); the quoting inside Exec is
// undone afterwards by the argument splitter.
QString unescapeValue(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c != QLatin1Char('\\') || i + 1 == value.size()) {
            out += c;
            continue;
        }
        const QChar next = value[++i];
        if (next == QLatin1Char('s'))
            out += QLatin1Char(' ');
        else if (next == QLatin1Char('n'))
            out += QLatin1Char('\n');
        else if (next == QLatin1Char('t'))
            out += QLatin1Char('\t');
        else if (next == QLatin1Char('r'))
            out += QLatin1Char('\r');
        else if (next == QLatin1Char('\\'))
            out += QStringLiteral("\\\\");  // stays escaped for the Exec quoting rules
        else
            out += QString(QLatin1Char('\\')) + next;
    }
    return out;
}

QString execLine(const QString &desktopFile)
{
    QFile file(desktopFile);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    bool inEntry = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inEntry = line == QStringLiteral("[Desktop Entry]");
            continue;
        }
        if (!inEntry || !line.startsWith(QStringLiteral("Exec")))
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0 || line.left(eq).trimmed() != QStringLiteral("Exec"))
            continue;
        return unescapeValue(line.mid(eq + 1).trimmed());
    }
    return {};
}

}  // namespace

QString findDesktopFile(const QString &desktopId)
{
    if (desktopId.isEmpty() || desktopId.contains(QStringLiteral("..")) ||
        desktopId.startsWith(QLatin1Char('/')))
        return {};
    // A desktop file id names a file directly in an applications folder, or one in a subfolder
    // with the folder's "/" written as "-" ("kde-kmail.desktop" for kde/kmail.desktop).
    QStringList candidates{desktopId};
    QString nested = desktopId;
    const qsizetype suffix = nested.endsWith(QStringLiteral(".desktop")) ? 8 : 0;
    for (qsizetype i = 0; i < nested.size() - suffix; ++i) {
        if (nested[i] == QLatin1Char('-')) {
            nested[i] = QLatin1Char('/');
            candidates << nested;
        }
    }
    for (const QString &folder : applicationFolders()) {
        for (const QString &name : candidates) {
            const QString path = folder + QLatin1Char('/') + name;
            if (QFileInfo(path).isFile())
                return path;
        }
    }
    return {};
}

QString programOfDesktopFile(const QString &desktopFile)
{
    const QStringList words = splitArguments(execLine(desktopFile));
    if (words.isEmpty())
        return {};
    const QString program = words.first();
    if (program.contains(QLatin1Char('/'))) {
        if (!QFileInfo(program).isAbsolute())
            return {};
        const QFileInfo info(program);
        return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
    }
    return QStandardPaths::findExecutable(program);
}

std::string FindDefaultMailTool()
{
    QProcess query;
    query.start(QStringLiteral("xdg-mime"),
                {QStringLiteral("query"), QStringLiteral("default"),
                 QStringLiteral("x-scheme-handler/mailto")});
    if (!query.waitForStarted(kXdgMimeTimeoutMs))
        return {};
    query.closeWriteChannel();
    if (!query.waitForFinished(kXdgMimeTimeoutMs)) {
        query.kill();
        query.waitForFinished(1000);
        return {};
    }
    if (query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0)
        return {};
    const QString desktopId =
        QString::fromUtf8(query.readAllStandardOutput()).section(QLatin1Char('\n'), 0, 0).trimmed();
    const QString desktopFile = findDesktopFile(desktopId);
    if (desktopFile.isEmpty())
        return {};
    return programOfDesktopFile(desktopFile).toLatin1().toStdString();
}

bool isExecutableFile(const std::string &path)
{
    if (path.empty())
        return false;
    const QFileInfo info(QString::fromLatin1(path.data(), qsizetype(path.size())));
    return info.isFile() && info.isExecutable();
}

std::string startMailTool(const std::string &path, const std::string &params)
{
    if (path.empty())
        return "No mail tool has been specified";
    QProcess process;
    process.setProgram(QString::fromLatin1(path.data(), qsizetype(path.size())));
    process.setArguments(
        splitArguments(QString::fromLatin1(params.data(), qsizetype(params.size()))));
    // The password given to us for the command line is ours, not the mail program's.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("KESTRIX_PASSWORD"));
    process.setProcessEnvironment(environment);
    process.setStandardInputFile(QProcess::nullDevice());
    if (process.startDetached())
        return {};
    const std::string why = process.errorString().toStdString();
    return "Mail tool could not be started: " + path + (why.empty() ? "" : " (" + why + ")");
}

}  // namespace kestrix
