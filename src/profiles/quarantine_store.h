#pragma once
// The quarantine: a local copy of every message before it is deleted on the server, kept in a
// Maildir beside the profile (NAME.quarantine/ with tmp, new and cur) so a deletion can be taken
// back. A copy is written to tmp, flushed to the disk and renamed into new; its file name holds
// the server's unique id in hex, so a copy made before a crash is found again by that id and
// never stored twice, and no name from the server can reach outside the folder. The index (one
// small text file, rewritten atomically) keeps what the list shows: sender, subject, size, date
// and reason of the deletion.

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrix {

struct QuarantineLimits {
    bool enabled = true;
    int keepDays = 30;
    std::int64_t maxMessageBytes = 10 * 1024 * 1024;  // larger: only the header lines are kept
    std::int64_t maxTotalMB = 200;                     // beyond it the oldest copies go first
};

enum class DeletionReason { KnownBadSender, BlacklistedWord, ChosenByHand, Unknown };

std::string_view deletionReasonName(DeletionReason reason);

struct QuarantineEntry {
    int id = 0;                 // the number the list and kestrix-cli show
    std::string uniqueId;       // the server's unique id, without line end
    std::string sender;
    std::string subject;
    std::int64_t size = 0;      // of the whole message on the server
    std::int64_t deletedAt = 0; // seconds since the epoch
    DeletionReason reason = DeletionReason::Unknown;
    bool headerOnly = false;    // the message was too large: only its header lines were kept
    std::int64_t storedBytes = 0;  // of the copy on the disk
    std::string fileName;       // in new/ of the quarantine
};

class QuarantineStore {
public:
    // dataDir + "/NAME.quarantine".
    static QString folderFor(const QString &dataDir, std::string_view profileName);

    QuarantineStore(QString folder, QuarantineLimits limits);

    // Makes the folders (0700), removes what a crash left in tmp and reads the index; copies in
    // new/ that the index does not name (a crash before the index was written) are taken in.
    // Empty on success, else the reason.
    std::string open();

    const std::vector<QuarantineEntry> &entries() const { return m_entries; }
    const QuarantineEntry *find(int id) const;
    const QuarantineEntry *findUniqueId(std::string_view uniqueId) const;
    const QuarantineLimits &limits() const { return m_limits; }

    // Stores one message (its bytes as the server sent them). A unique id
    // already stored keeps its copy and succeeds. The copy is on the disk when this returns
    // empty; the index is written by saveIndex, once for a run of copies.
    std::string store(std::string_view uniqueId, std::string_view sender,
                      std::string_view subject, DeletionReason reason,
                      const std::string &message, std::int64_t now);
    // The same in two steps for a run of copies, so the disk is flushed once for all of them:
    // stage writes a copy into tmp (not yet flushed; a unique id stored or staged already
    // succeeds), commitStaged flushes every staged copy, then renames each into new. A copy is
    // kept only once commitStaged has run; it returns the unique ids (as given to stage) it could
    // not keep and why.
    std::string stage(std::string_view uniqueId, std::string_view sender,
                      std::string_view subject, DeletionReason reason,
                      const std::string &message, std::int64_t now);
    struct Unkept {
        std::vector<std::string> uniqueIds;
        std::string reason;
    };
    Unkept commitStaged();
    std::string saveIndex() const;

    // The bytes of the stored copy; nothing when the file cannot be read.
    std::optional<std::string> read(const QuarantineEntry &entry) const;
    // Deletes the copy for good and writes the index.
    std::string remove(int id);
    // Deletes every copy for good and writes the (empty) index.
    std::string removeAll();
    // A new stamp at each change of the entries, unique in the process: a view that copied
    // nothing knows by it whether it must read the entries again.
    std::uint64_t revision() const { return m_revision; }
    // Drops the copies older than keepDays (or olderThanDays when given), then the oldest ones
    // until the rest fits maxTotalMB; writes the index when anything went. The count dropped.
    int purge(std::int64_t now, std::optional<int> olderThanDays = std::nullopt);

    QString filePath(const QuarantineEntry &entry) const;

private:
    QString tempPath(const QuarantineEntry &entry) const;
    void adoptUnindexed();
    void dropEntry(std::size_t index);
    void changed();

    QString m_folder;
    QuarantineLimits m_limits;
    std::vector<QuarantineEntry> m_entries;  // oldest first
    struct Staged {
        QuarantineEntry entry;
        std::string uniqueId;  // as the caller gave it
        // Open from the write to the flush, so the flush reports any failed write-back of the
        // copy; -1 once flushed, with flushError 0 or the failure's errno.
        int fd = -1;
        int flushError = 0;
    };
    // Flushes the staged copies still open.
    void flushStaged();
    std::vector<Staged> m_staged;  // written into tmp, not yet in new
    int m_nextId = 1;
    std::uint64_t m_revision = 0;
};

// Writes a file that did not exist, 0600, and flushes it to the disk; on any failure nothing
// stays behind. Empty on success, else the system's reason.
std::string writeNewFileSynced(const QString &path, std::string_view bytes);
// The same without the flush, the file left open in fd for flushAndClose.
std::string writeNewFileOpen(const QString &path, std::string_view bytes, int &fd);
// Flushes each file to the disk (all at once, so the file system can join their commits) and
// closes it; for each, 0 or the errno of its failure.
std::vector<int> flushAndClose(const std::vector<int> &fds);
// Flushes a folder's entries (the renames into it) to the disk.
std::string syncFolder(const QString &folder);
// Writes a message as it stands into a Maildir's tmp, flushed, then renames it into its new;
// the Maildir's folders are made when missing. Empty on success.
std::string deliverToMaildir(const QString &maildir, const std::string &message);
// Appends a message (its line ends made LF) to an mbox file under a write lock, after a From_ line, with body lines
// starting with "From " quoted (">From "), as mail programs read it. Empty on success.
std::string appendToMbox(const QString &mbox, const std::string &message,
                         std::string_view sender, std::int64_t when);

}  // namespace kestrix
