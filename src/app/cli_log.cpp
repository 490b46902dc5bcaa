#include "app/cli_log.h"

#include "app/cli_context.h"
#include "app/cli_terminal.h"
#include "app/cli_table_printer.h"
#include "profiles/list_files.h"
#include "text/display_text.h"

namespace kestrix::cli {

const char *const kLogUsage =
    "  log list | clear\n"
    "      the rejected-mail log of the profile: one line per entry, sender TAB subject\n"
    "      (escaped as in the message table; with --utf8 as people read them); clear\n"
    "      empties it\n";

int runLogCommand(const GlobalOptions &global, const std::vector<std::string> &args)
{
    const Action action = splitAction(args);
    if (action.word != "list" && action.word != "clear")
        return usageError("log needs list or clear");
    if (!action.rest.empty())
        return usageError("log " + action.word + " takes no arguments");

    int status = ExitDone;
    auto chosen = openChosenProfile(global, status);
    if (!chosen)
        return status;
    const QString &dir = chosen->dir;
    const Profile &profile = chosen->profile;
    const QString path = profilePaths(dir, profile.name).log;
    // What the file holds, also while the profile does not keep its log.
    RejectedLog log;
    if (const FileResult read = LoadRejectedLog(path, log); !read)
        return failure(read.error);

    if (action.word == "list") {
        auto shown = [&global](std::string_view text) {
            return escapeField(global.utf8 ? displayHeaderTextUtf8(text) : std::string(text));
        };
        std::string out;
        for (int r = 1; r < log.rowCount(); ++r) {
            const LogRow &row = log.rows()[size_t(r)];
            if (!isDeletedEntry(row))
                out += shown(row.sender) + "\t" + shown(row.subject) + "\n";
        }
        printOut(out);
        return ExitDone;
    }
    if (const FileResult written = SaveRejectedLog(path, RejectedLog()); !written)
        return failure(written.error);
    printError("kestrix-cli: " + profile.name + ": log cleared ("
               + std::to_string(log.rowCount() - 1) + " entries)");
    return ExitDone;
}

}  // namespace kestrix::cli
