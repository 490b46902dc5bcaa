#include "app/cli_run.h"

#include "app/cli_account.h"
#include "app/cli_context.h"
#include "app/cli_table_printer.h"
#include "app/cli_terminal.h"
#include "profiles/data_folder.h"
#include "profiles/profile_list.h"
#include "profiles/profile_store.h"
#include "screening/refusal_text.h"
#include "screening/screener.h"
#include "text/latin1.h"
#include "text/line_end.h"
#include "transport/pop3_client.h"

#include <QCoreApplication>

#include <cstdio>

namespace kestrix::cli {

namespace {

// The rows of the table that show these message numbers; the numbers without a row go to
// missing.
std::vector<int> rowsOfNumbers(const Screener &screener, const std::vector<int> &numbers,
                               std::vector<std::string> &missing)
{
    std::vector<int> rows;
    for (const int number : numbers) {
        const std::string text = std::to_string(number);
        bool found = false;
        for (size_t i = 0; i < screener.messages.rows.size(); ++i) {
            if (screener.messages.rows[i].number == number) {
                rows.push_back(int(i) + 1);
                found = true;
                break;
            }
        }
        if (!found)
            missing.push_back(text);
    }
    return rows;
}

std::string joined(const std::vector<std::string> &words)
{
    std::string text;
    for (const std::string &word : words)
        text += (text.empty() ? "" : ", ") + word;
    return text;
}

// Two failures of one run in one line.
void addFailure(std::string &failure, const std::string &more)
{
    failure = failure.empty() ? more : failure + "; " + more;
}

void printTable(const Screener &screener, const Options &options)
{
    const std::string text
        = formatTable(screener.messages.messageTable, int(screener.messages.rows.size()),
                      options.utf8, options.verdicts);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

// One line on standard error, also without -v: what the run found and did.
void printSummary(const std::string &profile, const Screener &screener)
{
    const int rows = int(screener.messages.rows.size());
    int trusted = 0;
    for (int r = 1; r <= rows; ++r)
        trusted += screener.messages.messageTable.isTrusted(r) ? 1 : 0;
    std::string line = "kestrix-cli: " + profile + ": " + std::to_string(rows) + " message(s) listed, "
                       + std::to_string(trusted) + " trusted, "
                       + std::to_string(screener.countKnownBad()) + " known bad or blacklisted";
    if (screener.lastDeletion.deleted > 0)
        line += ", " + std::to_string(screener.lastDeletion.deleted) + " deleted";
    printError(line);
}

}  // namespace

int run(const Options &options)
{
    const GlobalOptions global{options.dir, options.profile, options.verbose};
    int status = ExitDone;
    const auto folder = openFolder(global, status);
    if (!folder)
        return status;
    const QString &dir = *folder;
    auto account = openAccount(global, dir, status);
    if (!account)
        return status;
    const std::string &name = account->name;
    Profile &profile = account->profile;

    TerminalView view(options.verbose);
    TerminalPrompter prompter(options.last, options.verbose);
    Screener screener(view, prompter);
    giveAccount(screener, *account, dir);
    TNMPOP3 client;
    const Pop3Attachment attached = screener.attachPop3(client);
    // Without --verbose the status line is shown nowhere: the client's reports (one per reply
    // of a download) need not reach the screener at all.
    if (!options.verbose)
        client.OnStatus = nullptr;
    warnOnPlainLogin(client);

    // As the window's get-and-check command: "/ All" first when asked, then the download.
    if (options.all)
        screener.forgetResumeMarks();
    screener.messages.clearTrustedLists();
    screener.setAllowDeleteAccepted(false);
    if (!screener.connectSession(screener.commandsBeforeDownload())) {
        // Nothing was read from the server: the profile's files stay as they are.
        return failure(screener.session.sessionError);
    }

    std::string failed;
    try {
        screener.downloadHeaders();
        QCoreApplication::processEvents();
        screener.reclassify(Screener::TableState::JustBuilt);
        if (!screener.session.downloadStopped.empty()) {
            failed = "download stopped: " + screener.session.downloadStopped;
        } else if (!screener.session.isOpen()) {
            failed = "connection lost";
        } else if (options.command == Command::DeleteKnownBad) {
            if (screener.countKnownBad() > 0)
                screener.deleteKnownBad();
        } else if (options.command == Command::Delete) {
            std::vector<std::string> missing;
            std::vector<int> rows = rowsOfNumbers(screener, options.numbers, missing);
            if (!missing.empty()) {
                // A mistyped number deletes nothing at all: the rest may be mistyped too.
                failed = "no row shows message number " + joined(missing) + "; nothing deleted";
                rows.clear();
            } else if (!options.allowAccepted) {
                for (const int row : rows) {
                    if (screener.messages.messageTable.isTrusted(row))
                        printError("kestrix-cli: message "
                                   + std::to_string(screener.messages.rows[size_t(row) - 1].number)
                                   + " is from a whitelisted sender; kept (--allow-accepted "
                                     "deletes it)");
                }
            }
            if (!rows.empty()) {
                screener.setAllowDeleteAccepted(options.allowAccepted);
                screener.deleteRows(std::move(rows));
            }
        }
    } catch (const EPop3Refusal &refusal) {
        failed = refusalText(refusal);
    } catch (const std::exception &error) {
        failed = withoutTrailingLineEnds(error.what());
    }
    view.endProgress();
    // The server carries out the deletions only when it confirms QUIT: the table is printed as
    // the session's end left it, and a deletion that did not complete is a failure. A session
    // that deleted nothing has QUIT written without waiting for the reply.
    client.DisconnectWithoutWaiting();
    screener.closeSession();
    printTable(screener, options);
    if (const std::string &incomplete = screener.lastDeletion.incomplete; !incomplete.empty())
        addFailure(failed, incomplete);

    // What the run learnt (resume marks, deletions logged and counted) is kept even when the
    // server failed part-way: the deletions it acknowledged before are carried out by QUIT.
    // The profile went over to the Screener whole; it comes back from there to be saved.
    profile.name = name;
    profile.settings = screener.profile.settings;
    profile.whitelist = std::move(screener.profile.whitelist);
    profile.blacklist = std::move(screener.profile.blacklist);
    profile.log = std::move(screener.profile.rejectedLog);
    if (const FileResult saved = SaveProfile(profile, dir); !saved)
        addFailure(failed, saved.error);
    // One line for a failure; the summary only after a run that went through.
    if (!failed.empty())
        return failure(failed);
    printSummary(name, screener);
    return ExitDone;
}

namespace {

int parseAndRun(Command command, const GlobalOptions &global, const std::vector<std::string> &args)
{
    const ParseResult parsed = parseScreeningArguments(command, global, args);
    if (!parsed.options)
        return usageError(parsed.error);
    return run(*parsed.options);
}

}  // namespace

int runList(const GlobalOptions &global, const std::vector<std::string> &args)
{
    return parseAndRun(Command::List, global, args);
}

int runDeleteKnownBad(const GlobalOptions &global, const std::vector<std::string> &args)
{
    return parseAndRun(Command::DeleteKnownBad, global, args);
}

int runDelete(const GlobalOptions &global, const std::vector<std::string> &args)
{
    return parseAndRun(Command::Delete, global, args);
}

}  // namespace kestrix::cli
