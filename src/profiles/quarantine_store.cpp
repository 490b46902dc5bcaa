// The quarantine's Maildir and its index.
#include "profiles/quarantine_store.h"

#include "files/fault_point.h"
#include "profiles/text_file.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <unordered_set>

namespace kestrix {

namespace {

constexpr std::int64_t secondsPerDay = 24 * 60 * 60;
// The server's ids are at most 70 characters; a longer one is named by its hash, so a name
// never exceeds what the file system allows.
constexpr std::size_t maxIdInName = 100;

QString q(std::string_view text) { return QString::fromLatin1(text.data(), qsizetype(text.size())); }

// A Maildir name that holds the unique id in hex: only letters and digits, whatever the server sent.
std::string fileNameFor(std::string_view uniqueId, std::int64_t now)
{
    static const char digits[] = "0123456789abcdef";
    std::string name = std::to_string(now) + ".";
    if (uniqueId.size() <= maxIdInName) {
        name += 'K';
        for (const unsigned char c : uniqueId) {
            name += digits[c >> 4];
            name += digits[c & 15];
        }
    } else {
        name += 'H';
        name += QCryptographicHash::hash(QByteArray(uniqueId.data(), qsizetype(uniqueId.size())),
                                         QCryptographicHash::Sha256).toHex().toStdString();
    }
    return name + ".kestrix";
}

// The unique id a name holds; nothing for a name this store did not make or a hashed one.
std::optional<std::string> uniqueIdOfName(std::string_view name)
{
    const std::size_t dot = name.find('.');
    const std::size_t end = name.rfind(".kestrix");
    if (dot == std::string_view::npos || end == std::string_view::npos || end <= dot + 1
        || name[dot + 1] != 'K' || (end - dot - 2) % 2 != 0)
        return std::nullopt;
    std::string id;
    for (std::size_t i = dot + 2; i < end; i += 2) {
        unsigned value = 0;
        const auto [p, ec] = std::from_chars(name.data() + i, name.data() + i + 2, value, 16);
        if (ec != std::errc() || p != name.data() + i + 2)
            return std::nullopt;
        id += char(value);
    }
    return id;
}

// A cell of the index: no TAB, CR or LF, so every entry stays one line with its fields.
std::string cell(std::string_view text)
{
    std::string out(text);
    for (char &c : out) {
        if (c == '\t' || c == '\r' || c == '\n')
            c = ' ';
    }
    return out;
}

std::int64_t number(std::string_view text)
{
    std::int64_t value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

std::vector<std::string_view> fields(std::string_view line)
{
    std::vector<std::string_view> out;
    for (std::size_t start = 0;;) {
        const std::size_t tab = line.find('\t', start);
        out.push_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
        if (tab == std::string_view::npos)
            return out;
        start = tab + 1;
    }
}

// The value of a header field of a stored message (first occurrence, unfolded), for copies
// taken in without an index entry.
std::string headerValue(const std::string &message, std::string_view field)
{
    std::size_t pos = 0;
    while (pos < message.size()) {
        const std::size_t eol = std::min(message.find('\n', pos), message.size());
        const std::string_view line(message.data() + pos, eol - pos);
        if (line.empty() || line == "\r")
            break;
        if (line.size() > field.size() && line[field.size()] == ':'
            && std::equal(field.begin(), field.end(), line.begin(),
                          [](char a, char b) { return (a | 0x20) == (b | 0x20); })) {
            std::string value(line.substr(field.size() + 1));
            const std::size_t first = value.find_first_not_of(" \t");
            value = first == std::string::npos ? std::string() : value.substr(first);
            while (!value.empty() && (value.back() == '\r' || value.back() == ' '))
                value.pop_back();
            return value;
        }
        pos = eol + 1;
    }
    return {};
}

}  // namespace

std::string_view deletionReasonName(DeletionReason reason)
{
    switch (reason) {
    case DeletionReason::KnownBadSender: return "known bad sender";
    case DeletionReason::BlacklistedWord: return "blacklisted word";
    case DeletionReason::ChosenByHand: return "chosen by hand";
    case DeletionReason::Unknown: break;
    }
    return "unknown";
}

QString QuarantineStore::folderFor(const QString &dataDir, std::string_view profileName)
{
    return dataDir + QLatin1Char('/') + q(profileName) + QStringLiteral(".quarantine");
}

QuarantineStore::QuarantineStore(QString folder, QuarantineLimits limits)
    : m_folder(std::move(folder)), m_limits(limits)
{
    changed();
}

void QuarantineStore::changed()
{
    static std::uint64_t stamp = 0;
    m_revision = ++stamp;
}

QString QuarantineStore::filePath(const QuarantineEntry &entry) const
{
    return m_folder + QStringLiteral("/new/") + q(entry.fileName);
}

std::string QuarantineStore::open()
{
    changed();
    m_entries.clear();
    m_nextId = 1;
    for (const char *sub : {"", "/tmp", "/new", "/cur"}) {
        const QString path = m_folder + QLatin1String(sub);
        if (!QDir().mkpath(path) || ::chmod(QFile::encodeName(path).constData(), 0700) != 0)
            return "Cannot make the folder \"" + path.toStdString() + "\"";
    }
    // A file in tmp is a copy that never reached new: its message is still on the server.
    QDir tmp(m_folder + QStringLiteral("/tmp"));
    for (const QString &name : tmp.entryList(QDir::Files | QDir::Hidden))
        tmp.remove(name);

    const QString index = m_folder + QStringLiteral("/index");
    if (pathExists(index)) {
        LinesResult lines = readLines(index);
        if (!lines)
            return lines.error;
        for (const std::string &line : lines.lines) {
            const auto f = fields(line);
            if (f.size() < 10)
                continue;
            QuarantineEntry e;
            e.id = int(number(f[0]));
            e.uniqueId = std::string(f[1]);
            e.deletedAt = number(f[2]);
            e.size = number(f[3]);
            e.storedBytes = number(f[4]);
            e.reason = DeletionReason(std::clamp<std::int64_t>(number(f[5]), 0, 3));
            e.headerOnly = f[6] == "1";
            e.fileName = std::string(f[7]);
            e.sender = std::string(f[8]);
            e.subject = std::string(f[9]);
            // Only a name this store could have made, and only while its copy is there.
            if (e.id <= 0 || e.fileName.find('/') != std::string::npos
                || !e.fileName.ends_with(".kestrix") || !QFileInfo::exists(filePath(e)))
                continue;
            m_nextId = std::max(m_nextId, e.id + 1);
            m_entries.push_back(std::move(e));
        }
    }
    adoptUnindexed();
    return {};
}

void QuarantineStore::adoptUnindexed()
{
    const QDir fresh(m_folder + QStringLiteral("/new"));
    bool adopted = false;
    std::unordered_set<std::string> indexed;
    for (const QuarantineEntry &e : m_entries)
        indexed.insert(e.fileName);
    for (const QString &fileName : fresh.entryList(QDir::Files | QDir::Hidden)) {
        const std::string name = fileName.toStdString();
        if (indexed.count(name))
            continue;
        const QFileInfo info(fresh.filePath(fileName));
        const auto uniqueId = uniqueIdOfName(name);
        if (!uniqueId)
            continue;
        QuarantineEntry e;
        e.id = m_nextId++;
        e.uniqueId = *uniqueId;
        e.deletedAt = number(name);
        e.size = e.storedBytes = info.size();
        e.fileName = name;
        if (const auto bytes = read(e)) {
            e.sender = cell(headerValue(*bytes, "From"));
            e.subject = cell(headerValue(*bytes, "Subject"));
        }
        m_entries.push_back(std::move(e));
        adopted = true;
    }
    if (adopted) {
        std::stable_sort(m_entries.begin(), m_entries.end(),
                         [](const QuarantineEntry &a, const QuarantineEntry &b) {
                             return a.deletedAt < b.deletedAt;
                         });
        saveIndex();
    }
}

const QuarantineEntry *QuarantineStore::find(int id) const
{
    for (const QuarantineEntry &e : m_entries) {
        if (e.id == id)
            return &e;
    }
    return nullptr;
}

const QuarantineEntry *QuarantineStore::findUniqueId(std::string_view uniqueId) const
{
    for (const QuarantineEntry &e : m_entries) {
        if (e.uniqueId == uniqueId)
            return &e;
    }
    return nullptr;
}

std::string QuarantineStore::store(std::string_view uniqueId, std::string_view sender,
                                   std::string_view subject, DeletionReason reason,
                                   const std::string &message, std::int64_t now)
{
    if (std::string error = stage(uniqueId, sender, subject, reason, message, now); !error.empty())
        return error;
    return commitStaged().reason;
}

std::string QuarantineStore::stage(std::string_view uniqueId, std::string_view sender,
                                   std::string_view subject, DeletionReason reason,
                                   const std::string &message, std::int64_t now)
{
    if (uniqueId.empty())
        return "The message has no unique id: it cannot be kept";
    const std::string id = cell(uniqueId);
    if (findUniqueId(id)
        || std::any_of(m_staged.begin(), m_staged.end(),
                       [&](const Staged &s) { return s.entry.uniqueId == id; }))
        return {};
    QuarantineEntry e;
    e.uniqueId = id;
    e.sender = cell(sender);
    e.subject = cell(subject);
    e.size = std::int64_t(message.size());
    e.deletedAt = now;
    e.reason = reason;
    e.fileName = fileNameFor(uniqueId, now);
    std::string_view kept = message;
    if (std::int64_t(message.size()) > m_limits.maxMessageBytes) {
        // Too large to keep whole: the header lines tell the user what it was.
        const std::size_t end = std::min(message.find("\n\n"), message.find("\n\r\n"));
        kept = kept.substr(0, end == std::string::npos ? std::size_t(m_limits.maxMessageBytes)
                                                       : end + (message[end + 1] == '\r' ? 3 : 2));
        e.headerOnly = true;
    }
    e.storedBytes = std::int64_t(kept.size());
    // A long run flushes its copies in rounds, so it never holds more files open than allowed.
    constexpr std::size_t maxOpen = 256;
    if (m_staged.size() % maxOpen == 0)
        flushStaged();
    int fd = -1;
    if (std::string error = writeNewFileOpen(tempPath(e), kept, fd); !error.empty())
        return error;
    faultPoint("before-rename");
    m_staged.push_back({std::move(e), std::string(uniqueId), fd});
    return {};
}

void QuarantineStore::flushStaged()
{
    std::vector<int> fds;
    for (const Staged &s : m_staged) {
        if (s.fd >= 0)
            fds.push_back(s.fd);
    }
    const std::vector<int> errors = flushAndClose(fds);
    std::size_t k = 0;
    for (Staged &s : m_staged) {
        if (s.fd >= 0) {
            s.flushError = errors[k++];
            s.fd = -1;
        }
    }
}

QuarantineStore::Unkept QuarantineStore::commitStaged()
{
    Unkept unkept;
    if (m_staged.empty())
        return unkept;
    // The flushes of the whole run together: each copy is on the disk before its rename into new.
    flushStaged();
    std::vector<Staged> staged = std::move(m_staged);
    m_staged.clear();
    for (auto &[e, uniqueId, fd, flushError] : staged) {
        const QByteArray temp = QFile::encodeName(tempPath(e));
        if (flushError == 0
            && ::rename(temp.constData(), QFile::encodeName(filePath(e)).constData()) == 0) {
            e.id = m_nextId++;
            m_entries.push_back(std::move(e));
            continue;
        }
        ::unlink(temp.constData());
        unkept.uniqueIds.push_back(std::move(uniqueId));
        unkept.reason = flushError == 0 ? "Cannot store the copy \"" + e.fileName + "\""
                                        : "Cannot write \"" + tempPath(e).toStdString()
                                              + "\": " + std::strerror(flushError);
    }
    changed();
    return unkept;
}

QString QuarantineStore::tempPath(const QuarantineEntry &entry) const
{
    return m_folder + QStringLiteral("/tmp/") + q(entry.fileName);
}

std::string QuarantineStore::saveIndex() const
{
    // The renames into new must be on the disk before the server deletes anything.
    if (std::string error = syncFolder(m_folder + QStringLiteral("/new")); !error.empty())
        return error;
    std::vector<std::string> lines;
    lines.reserve(m_entries.size());
    for (const QuarantineEntry &e : m_entries) {
        lines.push_back(std::to_string(e.id) + '\t' + e.uniqueId + '\t' + std::to_string(e.deletedAt)
                        + '\t' + std::to_string(e.size) + '\t' + std::to_string(e.storedBytes)
                        + '\t' + std::to_string(int(e.reason)) + '\t' + (e.headerOnly ? "1" : "0")
                        + '\t' + e.fileName + '\t' + e.sender + '\t' + e.subject);
    }
    const FileResult written = writeLines(m_folder + QStringLiteral("/index"), lines);
    return written ? std::string() : written.error;
}

std::optional<std::string> QuarantineStore::read(const QuarantineEntry &entry) const
{
    QFile file(filePath(entry));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll().toStdString();
}

void QuarantineStore::dropEntry(std::size_t index)
{
    QFile::remove(filePath(m_entries[index]));
    m_entries.erase(m_entries.begin() + std::ptrdiff_t(index));
    changed();
}

std::string QuarantineStore::removeAll()
{
    for (const QuarantineEntry &e : m_entries)
        QFile::remove(filePath(e));
    m_entries.clear();
    changed();
    return saveIndex();
}

std::string QuarantineStore::remove(int id)
{
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].id == id) {
            dropEntry(i);
            return saveIndex();
        }
    }
    return "No message " + std::to_string(id) + " in Deleted mail";
}

int QuarantineStore::purge(std::int64_t now, std::optional<int> olderThanDays)
{
    const std::int64_t cutoff = now - std::int64_t(olderThanDays.value_or(m_limits.keepDays)) * secondsPerDay;
    int dropped = 0;
    for (std::size_t i = m_entries.size(); i-- > 0;) {
        if (m_entries[i].deletedAt < cutoff) {
            dropEntry(i);
            ++dropped;
        }
    }
    std::int64_t total = 0;
    for (const QuarantineEntry &e : m_entries)
        total += e.storedBytes;
    const std::int64_t limit = m_limits.maxTotalMB * 1024 * 1024;
    while (total > limit && !m_entries.empty()) {
        total -= m_entries.front().storedBytes;
        dropEntry(0);
        ++dropped;
    }
    if (dropped > 0)
        saveIndex();
    return dropped;
}

}  // namespace kestrix
