#include "app/cli_quarantine.h"

#include "app/cli_context.h"
#include "app/cli_table_printer.h"
#include "app/cli_terminal.h"
#include "profiles/list_files.h"
#include "profiles/profile_conf.h"
#include "profiles/quarantine_restore.h"
#include "screening/deleted_mail.h"
#include "screening/learning.h"

#include <QDateTime>

#include <charconv>

namespace kestrix::cli {

const char *const kQuarantineUsage =
    "  quarantine list | show ID | restore ID... --to MAILDIR|--mbox FILE | save ID FILE\n"
    "             | purge [--older-than DAYS]\n"
    "      Deleted mail, the copies kept of deleted messages: list prints one line per copy,\n"
    "      newest first: ID TAB date TAB sender TAB subject TAB size TAB reason; show prints\n"
    "      a copy; restore delivers copies into a Maildir or appends them to an mbox, takes\n"
    "      them out of Deleted mail, out of the rejected-mail log and out of the spam the\n"
    "      learned score was taught; save writes one to a file; purge drops the copies past\n"
    "      the profile's keepDays (or DAYS)\n";

namespace {

std::optional<int> positive(const std::string &text)
{
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value <= 0)
        return std::nullopt;
    return value;
}

std::string listLine(const QuarantineEntry &e)
{
    const std::string date = QDateTime::fromSecsSinceEpoch(e.deletedAt)
                                 .toString(QStringLiteral("yyyy-MM-dd HH:mm"))
                                 .toStdString();
    return std::to_string(e.id) + "\t" + date + "\t" + escapeField(e.sender) + "\t"
           + escapeField(e.subject) + "\t" + std::to_string(e.size) + "\t"
           + std::string(deletionReasonName(e.reason)) + (e.headerOnly ? " (header only)" : "")
           + "\n";
}

int restore(QuarantineStore &store, const QString &logPath, Learning &learning,
            const std::vector<std::string> &rest)
{
    std::vector<int> ids;
    QString maildir;
    QString mbox;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if ((rest[i] == "--to" || rest[i] == "--mbox") && i + 1 < rest.size()) {
            QString &target = rest[i] == "--to" ? maildir : mbox;
            target = toQString(rest[++i]);
        } else if (const auto id = positive(rest[i])) {
            ids.push_back(*id);
        } else {
            return usageError("quarantine restore: not a message ID: " + rest[i]);
        }
    }
    if (ids.empty() || maildir.isEmpty() == mbox.isEmpty())
        return usageError("quarantine restore needs IDs and one of --to MAILDIR or --mbox FILE");
    RejectedLog log;
    if (const FileResult read = LoadRejectedLog(logPath, log); !read)
        return failure(read.error);
    for (const int id : ids) {
        const QuarantineEntry *e = store.find(id);
        if (!e)
            return failure("No message " + std::to_string(id) + " in Deleted mail");
        const std::string error =
            maildir.isEmpty() ? deliverCopy(store, *e, RestoreTarget::Mbox, mbox)
                              : deliverCopy(store, *e, RestoreTarget::Maildir, maildir);
        if (!error.empty())
            return failure(error);
        // What the deletion taught goes with it: the log entry and the spam training.
        if (const auto bytes = store.read(*e); bytes && unlearnDeletedCopy(learning, *e, *bytes)) {
            if (const std::string error = learning.save(); !error.empty())
                return failure(error);
        }
        forgetDeletionInLog(log, *e);
        if (const FileResult saved = SaveRejectedLog(logPath, log); !saved)
            return failure(saved.error);
        // Back in the user's mail: the copy leaves Deleted mail only now.
        if (const std::string removed = store.remove(id); !removed.empty())
            return failure(removed);
    }
    return ExitDone;
}

}  // namespace

int runQuarantineCommand(const GlobalOptions &global, const std::vector<std::string> &args)
{
    const Action action = splitAction(args);
    const std::vector<std::string> &rest = action.rest;
    const std::string &word = action.word;
    if (word != "list" && word != "show" && word != "restore" && word != "save" && word != "purge")
        return usageError("quarantine needs list, show, restore, save or purge");
    if ((word == "list" && !rest.empty()) || (word == "show" && rest.size() != 1)
        || (word == "save" && rest.size() != 2))
        return usageError("quarantine " + word + ": wrong arguments");
    std::optional<int> olderThan;
    if (word == "purge" && !rest.empty()) {
        if (rest.size() != 2 || rest[0] != "--older-than" || !(olderThan = positive(rest[1])))
            return usageError("quarantine purge takes only --older-than DAYS");
    }

    int status = ExitDone;
    auto chosen = openChosenProfile(global, status);
    if (!chosen)
        return status;
    const QString &dir = chosen->dir;
    const Profile &profile = chosen->profile;
    const ProfilePaths paths = profilePaths(dir, profile.name);
    QuarantineStore store(QuarantineStore::folderFor(dir, profile.name),
                          ProfileConf::load(paths.conf).quarantine());
    if (const std::string error = store.open(); !error.empty())
        return failure(error);

    if (word == "list") {
        std::string out;
        for (auto e = store.entries().rbegin(); e != store.entries().rend(); ++e)
            out += listLine(*e);
        printOut(out);
        return ExitDone;
    }
    if (word == "purge") {
        const int dropped = store.purge(QDateTime::currentSecsSinceEpoch(), olderThan);
        printError("kestrix-cli: " + profile.name + ": " + std::to_string(dropped)
                   + " copies purged from Deleted mail");
        return ExitDone;
    }
    if (word == "restore") {
        Learning learning;
        learning.open(dir, profile.name, ProfileConf::load(paths.conf));
        return restore(store, paths.log, learning, rest);
    }

    const auto id = positive(rest[0]);
    const QuarantineEntry *e = id ? store.find(*id) : nullptr;
    if (!e)
        return failure("No message " + rest[0] + " in Deleted mail");
    const auto bytes = store.read(*e);
    if (!bytes)
        return failure("Cannot read the copy of message " + rest[0]);
    if (word == "show") {
        printOut(*bytes);
        return ExitDone;
    }
    if (const FileResult written = writeFileAtomically(toQString(rest[1]), *bytes); !written)
        return failure(written.error);
    return ExitDone;
}

}  // namespace kestrix::cli
