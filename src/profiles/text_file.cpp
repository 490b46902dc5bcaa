#include "profiles/text_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>

namespace kestrix {

namespace {

std::string describe(const char *what, const QString &path, const QString &reason)
{
    std::string text = what;
    text += " \"";
    text += path.toLatin1().toStdString();
    text += "\"";
    if (!reason.isEmpty()) {
        text += ": ";
        text += reason.toLatin1().toStdString();
    }
    return text;
}

}  // namespace

std::vector<std::string> splitLines(std::string_view bytes)
{
    std::vector<std::string> lines;
    size_t start = 0;
    const size_t n = bytes.size();
    for (size_t i = 0; i < n; ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n')
            continue;
        lines.emplace_back(bytes.substr(start, i - start));
        if (c == '\r' && i + 1 < n && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.emplace_back(bytes.substr(start));
    return lines;
}

std::string joinLinesCrLf(const std::vector<std::string> &lines)
{
    size_t total = 0;
    for (const std::string &line : lines)
        total += line.size() + 2;
    std::string out;
    out.reserve(total);
    for (const std::string &line : lines) {
        const size_t at = out.size();
        out += line;
        for (size_t i = at; i < out.size(); ++i) {
            if (out[i] == '\r' || out[i] == '\n')
                out[i] = ' ';
        }
        out += "\r\n";
    }
    return out;
}

bool pathExists(const QString &path)
{
    return QFileInfo::exists(path);
}

LinesResult readLines(const QString &path)
{
    LinesResult result;
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) {
        result.ok = false;
        result.error = describe("Cannot open file", path,
                                QFileInfo(path).isDir() ? QStringLiteral("Is a directory")
                                                        : file.errorString());
        return result;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.ok = false;
        result.error = describe("Read error in file", path, file.errorString());
        return result;
    }
    result.lines = splitLines(std::string_view(bytes.constData(), size_t(bytes.size())));
    return result;
}

FileResult writeFileAtomically(const QString &path, std::string_view bytes)
{
    if (QFileInfo(path).isDir())
        return FileResult::failure(describe("Cannot create file", path, QStringLiteral("Is a directory")));
    // QSaveFile writes a temporary file beside the target and renames it over the target only
    // when everything was written; on any failure the previous file stays as it was.
    // The data folder holds personal data (trusted addresses, the log of deleted mail): a file
    // made here is the user's alone. A file that exists keeps its mode (QSaveFile carries it over).
    const bool isNew = !QFileInfo::exists(path);
    QSaveFile file(path);
    // Unbuffered: a short write (a full disk, a file-size limit) shows in what write returns.
    // Through the buffer it could be lost at the flush inside commit, and a truncated file would
    // replace the previous one as a success.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return FileResult::failure(describe("Cannot create file", path, file.errorString()));
    if (isNew && !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return FileResult::failure(describe("Cannot create file", path, reason));
    }
    const qint64 size = qint64(bytes.size());
    errno = 0;
    if (file.write(bytes.data(), size) != size) {
        // A short write sets no error of the file's own; the system's reason is in errno.
        const int code = errno;
        const QString reason = file.error() == QFileDevice::NoError && code != 0
                                   ? QString::fromLocal8Bit(std::strerror(code))
                                   : file.errorString();
        file.cancelWriting();
        return FileResult::failure(describe("Write error in file", path, reason));
    }
    if (!file.commit())
        return FileResult::failure(describe("Cannot write file", path, file.errorString()));
    return FileResult{};
}

FileResult writeLines(const QString &path, const std::vector<std::string> &lines)
{
    return writeFileAtomically(path, joinLinesCrLf(lines));
}

void DeleteFileIfPresent(const QString &path)
{
    QFileInfo info(path);
    if (info.exists() && !info.isDir())
        QFile::remove(path);
}

void MigrateLegacyFile(const QString &oldPath, const QString &newPath)
{
    if (pathExists(oldPath) && !pathExists(newPath))
        QFile::rename(oldPath, newPath);
}

}  // namespace kestrix
