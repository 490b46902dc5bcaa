#include "profiles/quarantine_restore.h"

#include "text/header_decoding.h"

#include <algorithm>

namespace kestrix {

std::string_view restoreTargetName(RestoreTarget target)
{
    switch (target) {
    case RestoreTarget::Maildir: return "maildir";
    case RestoreTarget::Mbox: return "mbox";
    case RestoreTarget::MailProgram: break;
    }
    return "mailProgram";
}

std::optional<RestoreTarget> restoreTargetFromName(std::string_view name)
{
    while (!name.empty() && (name.front() == ' ' || name.front() == '\t'))
        name.remove_prefix(1);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t'))
        name.remove_suffix(1);
    for (const RestoreTarget target :
         {RestoreTarget::Maildir, RestoreTarget::Mbox, RestoreTarget::MailProgram}) {
        const std::string_view known = restoreTargetName(target);
        if (std::equal(known.begin(), known.end(), name.begin(), name.end(),
                       [](char a, char b) { return (a | 0x20) == (b | 0x20); }))
            return target;
    }
    return std::nullopt;
}

std::string deliverCopy(const QuarantineStore &store, const QuarantineEntry &entry,
                        RestoreTarget target, const QString &path)
{
    if (target == RestoreTarget::MailProgram || path.isEmpty())
        return "No Maildir or mbox file named to restore into";
    const auto bytes = store.read(entry);
    if (!bytes)
        return "Cannot read the copy of message " + std::to_string(entry.id);
    return target == RestoreTarget::Maildir
               ? deliverToMaildir(path, *bytes)
               : appendToMbox(path, *bytes, entry.sender, entry.deletedAt);
}

bool forgetDeletionInLog(RejectedLog &log, const QuarantineEntry &entry)
{
    const std::string sender = lowerOutsideEncodedWords(entry.sender);
    const std::string subject = lowerOutsideEncodedWords(entry.subject);
    for (int r = 1; r < log.rowCount(); ++r) {
        const LogRow &row = log.rows()[size_t(r)];
        if (row.sender == sender && row.subject == subject) {
            log.clearRow(r);
            return true;
        }
    }
    return false;
}

}  // namespace kestrix
