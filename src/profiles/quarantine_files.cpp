// Writing mail files the way mail programs expect them: a Maildir delivery (tmp, flush, rename
// into new) and an mbox append under a lock with a From_ line.
#include "profiles/quarantine_store.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <thread>

namespace kestrix {

namespace {

std::string systemError(const QString &path)
{
    return "Cannot write \"" + path.toStdString() + "\": " + std::strerror(errno);
}

std::string writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return std::strerror(n < 0 ? errno : ENOSPC);
        bytes.remove_prefix(std::size_t(n));
    }
    return {};
}

bool makePrivateFolder(const QString &path)
{
    if (!QDir().mkpath(path))
        return false;
    return ::chmod(QFile::encodeName(path).constData(), 0700) == 0;
}

// The address of a From line for the mbox separator: no blanks, never empty.
std::string envelopeSender(std::string_view sender)
{
    const std::size_t open = sender.find('<');
    const std::size_t close = sender.find('>', open == std::string_view::npos ? 0 : open);
    std::string_view address = sender;
    if (open != std::string_view::npos && close != std::string_view::npos)
        address = sender.substr(open + 1, close - open - 1);
    std::string result;
    for (const char c : address) {
        if (c > ' ' && c != '\x7f')
            result += c;
    }
    return result.empty() ? std::string("MAILER-DAEMON") : result;
}

}  // namespace

namespace {

// Writes bytes into a new private file; its descriptor stays open in fd when keepOpen (else -1).
std::string writeNew(const QString &path, std::string_view bytes, bool flush, bool keepOpen,
                     int &fd)
{
    const QByteArray name = QFile::encodeName(path);
    fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return systemError(path);
    std::string error = writeAll(fd, bytes);
    if (flush && error.empty() && ::fsync(fd) != 0)
        error = std::strerror(errno);
    if ((!keepOpen || !error.empty()) && ::close(fd) != 0 && error.empty())
        error = std::strerror(errno);
    if (!keepOpen || !error.empty())
        fd = -1;
    if (!error.empty()) {
        ::unlink(name.constData());
        return "Cannot write \"" + path.toStdString() + "\": " + error;
    }
    return {};
}

}  // namespace

std::string writeNewFileSynced(const QString &path, std::string_view bytes)
{
    int fd = -1;
    return writeNew(path, bytes, true, false, fd);
}

std::string writeNewFileOpen(const QString &path, std::string_view bytes, int &fd)
{
    return writeNew(path, bytes, false, true, fd);
}

std::vector<int> flushAndClose(const std::vector<int> &fds)
{
    // Each file's own flush, not the file system's: a syncfs would write back every other
    // program's data too and leave the disk busy for the mail server's QUIT after it. Flushes
    // issued together let the file system commit them in few journal writes.
    std::vector<int> errors(fds.size(), 0);
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t k; (k = next++) < fds.size();) {
            if (::fdatasync(fds[k]) != 0)
                errors[k] = errno;
            if (::close(fds[k]) != 0 && errors[k] == 0)
                errors[k] = errno;
        }
    };
    std::vector<std::thread> helpers;
    for (std::size_t t = 1; t < std::min<std::size_t>(8, fds.size()); ++t)
        helpers.emplace_back(work);
    work();
    for (std::thread &helper : helpers)
        helper.join();
    return errors;
}

std::string syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return systemError(folder);
    const bool ok = ::fsync(fd) == 0;
    const std::string error = ok ? std::string() : systemError(folder);
    ::close(fd);
    return error;
}

std::string deliverToMaildir(const QString &maildir, const std::string &message)
{
    for (const char *sub : {"tmp", "new", "cur"}) {
        if (!makePrivateFolder(maildir + QLatin1Char('/') + QLatin1String(sub)))
            return "Cannot make the Maildir \"" + maildir.toStdString() + "\"";
    }
    static unsigned counter = 0;
    char host[256] = "localhost";
    ::gethostname(host, sizeof host - 1);
    for (char *c = host; *c; ++c) {
        if (*c == '/' || *c == ':')
            *c = '_';
    }
    const QString name = QString::number(std::time(nullptr)) + QStringLiteral(".P")
                         + QString::number(::getpid()) + QStringLiteral("Q")
                         + QString::number(++counter) + QLatin1Char('.')
                         + QString::fromLatin1(host);
    const QString temp = maildir + QStringLiteral("/tmp/") + name;
    if (std::string error = writeNewFileSynced(temp, message); !error.empty())
        return error;
    const QString target = maildir + QStringLiteral("/new/") + name;
    if (::rename(QFile::encodeName(temp).constData(), QFile::encodeName(target).constData()) != 0) {
        const std::string error = systemError(target);
        ::unlink(QFile::encodeName(temp).constData());
        return error;
    }
    return syncFolder(maildir + QStringLiteral("/new"));
}

std::string appendToMbox(const QString &mbox, const std::string &message,
                         std::string_view sender, std::int64_t when)
{
    const QByteArray name = QFile::encodeName(mbox);
    const int fd = ::open(name.constData(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return systemError(mbox);
    // Mail programs lock an mbox with fcntl while they change it; wait for them.
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    if (::fcntl(fd, F_SETLKW, &lock) != 0) {
        const std::string error = systemError(mbox);
        ::close(fd);
        return error;
    }
    std::string text;
    // The messages of an mbox are parted by an empty line before each From_ line.
    const off_t end = ::lseek(fd, 0, SEEK_END);
    if (end > 0) {
        char last[2] = {0, 0};
        const off_t from = end >= 2 ? end - 2 : 0;
        const ssize_t got = ::pread(fd, last, std::size_t(end - from), from);
        if (got == 2 && !(last[0] == '\n' && last[1] == '\n'))
            text += last[1] == '\n' ? "\n" : "\n\n";
        else if (got == 1 && last[0] != '\n')
            text += "\n\n";
        else if (got == 1)
            text += "\n";
    }
    const std::time_t t = std::time_t(when);
    std::tm utc {};
    ::gmtime_r(&t, &utc);
    char date[64];
    std::strftime(date, sizeof date, "%a %b %e %H:%M:%S %Y", &utc);
    text += "From " + envelopeSender(sender) + " " + date + "\n";
    // Every line that would read as a From_ line (after any '>') gains a '>'.
    std::size_t pos = 0;
    while (pos < message.size()) {
        std::size_t eol = message.find('\n', pos);
        const std::size_t next = eol == std::string::npos ? message.size() : eol + 1;
        std::string_view line(message.data() + pos, next - pos);
        // An mbox holds LF line ends; a copy keeps the server's CR LF.
        const bool ended = line.ends_with('\n');
        if (ended)
            line.remove_suffix(line.ends_with("\r\n") ? 2 : 1);
        const std::size_t quotes = line.find_first_not_of('>');
        if (quotes != std::string_view::npos && line.substr(quotes).starts_with("From "))
            text += '>';
        text.append(line);
        if (ended)
            text += '\n';
        pos = next;
    }
    if (!text.ends_with('\n'))
        text += '\n';
    text += '\n';
    std::string error = writeAll(fd, text);
    if (error.empty() && ::fsync(fd) != 0)
        error = std::strerror(errno);
    if (!error.empty() && end >= 0) {
        // A part-written message would corrupt the mailbox: cut it back.
        if (::ftruncate(fd, end) != 0) {
        }
    }
    ::close(fd);
    return error.empty() ? std::string() : "Cannot write \"" + mbox.toStdString() + "\": " + error;
}

}  // namespace kestrix
