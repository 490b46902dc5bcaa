#include "profiles/text_file.h"

#include "files/private_save_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>


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

FileResult forEachLine(const QString &path, const std::function<void(std::string_view line)> &onLine)
{
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly))
        return FileResult::failure(describe("Cannot open file", path,
                                            QFileInfo(path).isDir() ? QStringLiteral("Is a directory")
                                                                    : file.errorString()));
    std::vector<char> block(64 * 1024);
    std::string carry;       // the start of a line that goes on in the next block
    bool endedInCr = false;  // an LF first in the next block belongs to that CR
    for (;;) {
        const qint64 n = file.read(block.data(), qint64(block.size()));
        if (n < 0)
            return FileResult::failure(describe("Read error in file", path, file.errorString()));
        if (n == 0)
            break;
        const std::string_view bytes(block.data(), size_t(n));
        size_t start = endedInCr && bytes[0] == '\n' ? 1 : 0;
        endedInCr = false;
        for (size_t i = start; i < bytes.size(); ++i) {
            const char c = bytes[i];
            if (c != '\r' && c != '\n')
                continue;
            if (carry.empty()) {
                onLine(bytes.substr(start, i - start));
            } else {
                carry.append(bytes.substr(start, i - start));
                onLine(carry);
                carry.clear();
            }
            if (c == '\r' && i + 1 == bytes.size())
                endedInCr = true;
            else if (c == '\r' && bytes[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
        carry.append(bytes.substr(start));
    }
    if (!carry.empty())
        onLine(carry);
    return {};
}

namespace {

// The file at path already holds exactly these bytes. Reading is far cheaper than the flush to
// the disk and the rename of a rewrite: a run that changed nothing then writes nothing.
bool holdsAlready(const QString &path, std::string_view bytes)
{
    const QFileInfo info(path);
    if (!info.isFile() || info.isSymLink() || info.size() != qint64(bytes.size()))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    std::vector<char> block(64 * 1024);
    for (std::size_t at = 0; at < bytes.size();) {
        const qint64 n = file.read(block.data(), qint64(block.size()));
        if (n <= 0 || at + std::size_t(n) > bytes.size()
            || bytes.substr(at, std::size_t(n)) != std::string_view(block.data(), std::size_t(n)))
            return false;
        at += std::size_t(n);
    }
    return file.atEnd();
}

}  // namespace

FileResult writeFileAtomically(const QString &path, std::string_view bytes)
{
    if (holdsAlready(path, bytes))
        return FileResult{};
    PrivateSaveFile file(path);
    QString reason = file.open();
    if (!reason.isEmpty())
        return FileResult::failure(describe("Cannot create file", path, reason));
    reason = file.write(bytes.data(), qint64(bytes.size()));
    if (!reason.isEmpty())
        return FileResult::failure(describe("Write error in file", path, reason));
    reason = file.commit();
    if (!reason.isEmpty())
        return FileResult::failure(describe("Cannot write file", path, reason));
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
