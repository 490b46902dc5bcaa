#pragma once
// The "Deleted mail" page's commands over the copies the Screener keeps before each deletion
// (its QuarantineStore): the list newest first, a copy read into the message reader without a
// connection, restoring one into the user's mail (which also takes back what its deletion
// taught: the rejected-mail log entry and the training as spam), saving one as a file, and
// deleting copies for good after asking. The window drives it; no widgets here.

#include "mime/message_content.h"
#include "profiles/quarantine_restore.h"

#include <QString>

#include <functional>
#include <string>

namespace kestrix {

class Learning;
class Screener;

// Takes the spam training of a restored copy back: the message as training named it (the
// header lines TOP gave and the server's size). True when it had been trained.
bool unlearnDeletedCopy(Learning &learning, const QuarantineEntry &entry, const std::string &bytes);

inline constexpr char kAskDeleteCopyForGood[] =
    "Delete this message for good? It can no longer be restored.";
inline constexpr char kNoRestoreFolder[] =
    "Name the Maildir folder or mbox file to restore into first.";
inline constexpr char kNoMailProgram[] =
    "No mail program is configured (Configure, E-Mail Client).";

std::string askEmptyDeletedMailText(int count);     // "Delete all N messages ... for good?"
std::string askWhitelistSenderText(const std::string &sender);
std::string deletedMailCaption(int count);          // "N messages in Deleted mail"
// The reason column: "known bad sender", "... (header lines only)" for a too large message.
std::string deletedReasonText(const QuarantineEntry &entry);

class DeletedMail {
public:
    // Starts the mail program with its parameter text; "" or why it could not start.
    using ProgramStarter =
        std::function<std::string(const std::string &path, const std::string &params)>;
    DeletedMail(Screener &screener, ProgramStarter startMailProgram);

    // The Screener's store; nullptr while Deleted mail is off or could not be opened.
    const QuarantineStore *store() const;
    int count() const;
    // The copy at list row `row`, newest first; nullptr beyond the list.
    const QuarantineEntry *entryAt(int row) const;
    std::string caption() const;

    // Reads the copy and splits it as a retrieved message (its parts go to the attachment
    // folder); message() then holds it. False when it cannot be read, with the reason told.
    bool open(int id);
    const TMailMessage &message() const { return m_content.CurrentMessage; }

    // Puts the copy back where the profile's NAME.conf says (a Maildir, an mbox file, or a .eml
    // opened with the mail program); then its log entry and its training as spam go, it leaves
    // Deleted mail, and the user is asked whether to trust the sender (written to
    // whitelistFile). False when nothing was restored, with the reason told.
    bool restore(int id, const QString &whitelistFile);
    // Writes the copy as it is kept to file (replaced atomically).
    bool saveAs(int id, const QString &file);
    bool deleteForGood(int id);  // asks first
    bool emptyAll();             // asks first
    // The destination named on the page, kept in NAME.conf at once.
    bool setDestination(RestoreTarget target, const QString &path);

private:
    std::string restoreCopy(const QuarantineEntry &entry);
    void unlearn(const QuarantineEntry &entry, const std::string &bytes);
    void fail(const std::string &why);

    Screener &m_screener;
    ProgramStarter m_startMailProgram;
    MessageContent m_content;
};

}  // namespace kestrix
