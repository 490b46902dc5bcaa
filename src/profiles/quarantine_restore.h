#pragma once
// Taking a copy out of Deleted mail and back into the user's mail, the same for the window and
// kestrix-cli: where it goes (a Maildir, an mbox file, or the mail program), the delivery, and
// the rejected-mail log entry its deletion added, which goes with it.

#include "profiles/quarantine_store.h"
#include "profiles/rejected_log.h"

#include <QString>

#include <optional>
#include <string>
#include <string_view>

namespace kestrix {

// "maildir", "mbox" or "mailProgram" in NAME.conf.
enum class RestoreTarget { Maildir, Mbox, MailProgram };

std::string_view restoreTargetName(RestoreTarget target);
std::optional<RestoreTarget> restoreTargetFromName(std::string_view name);  // any case, trimmed

// Delivers the copy into a Maildir or appends it to an mbox file (not for MailProgram). Empty
// on success, else why; the copy stays in the store either way.
std::string deliverCopy(const QuarantineStore &store, const QuarantineEntry &entry,
                        RestoreTarget target, const QString &path);

// Empties the log row the deletion of this message added, so its sender or subject is no longer
// known bad because of it. True when a row went.
bool forgetDeletionInLog(RejectedLog &log, const QuarantineEntry &entry);

}  // namespace kestrix
