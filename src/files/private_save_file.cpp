#include "files/private_save_file.h"

#include <QFileInfo>

#include <cerrno>
#include <cstring>

namespace kestrix {

PrivateSaveFile::PrivateSaveFile(const QString &path)
    : m_file(path)
    , m_isNew(!QFileInfo::exists(path))
{
}

PrivateSaveFile::~PrivateSaveFile()
{
    // Not committed: the temporary goes, the target stays as it was.
    m_file.cancelWriting();
}

QString PrivateSaveFile::open()
{
    if (QFileInfo(m_file.fileName()).isDir())
        return QStringLiteral("Is a directory");
    // Unbuffered: a short write (a full disk, a file-size limit) shows in what write returns.
    // Through the buffer it could be lost at the flush inside commit, and a truncated file would
    // replace the previous one as a success.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return m_file.errorString();
    if (m_isNew && !m_file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return m_file.errorString();
    return {};
}

QString PrivateSaveFile::write(const char *data, qint64 size)
{
    errno = 0;
    if (m_file.write(data, size) == size)
        return {};
    // A short write sets no error of the file's own; the system's reason is in errno.
    const int code = errno;
    if (m_file.error() == QFileDevice::NoError && code != 0)
        return QString::fromLocal8Bit(std::strerror(code));
    const QString reason = m_file.errorString();
    return reason.isEmpty() ? QStringLiteral("Short write") : reason;
}

QString PrivateSaveFile::commit()
{
    if (m_file.commit())
        return {};
    const QString reason = m_file.errorString();
    return reason.isEmpty() ? QStringLiteral("Cannot rename the temporary file") : reason;
}

}  // namespace kestrix
