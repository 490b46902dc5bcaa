#include "app/cli_run.h"

#include "app/cli_account.h"
#include "app/cli_context.h"
#include "app/cli_table_printer.h"
#include "app/cli_terminal.h"
#include "profiles/data_folder.h"
#include "profiles/profile_list.h"
#include "profiles/profile_store.h"
#include "screening/screener.h"
#include "text/latin1.h"
#include "transport/pop3_client.h"

#include <QCoreApplication>

#include <cstdio>

namespace kestrix::cli {

namespace {

// The rows of the table that show these message numbers; numbers without a row are reported.
std::vector<int> rowsOfNumbers(const Screener &screener, const std::vector<int> &numbers)
{
    std::vector<int> rows;
    for (const int number : numbers) {
        const std::string text = std::to_string(number);
        bool found = false;
        for (size_t i = 0; i < screener.rows.size(); ++i) {
            if (screener.rows[i].number == text) {
                rows.push_back(int(i) + 1);
                found = true;
                break;
            }
        }
        if (!found)
            printError("kestrix-cli: no row shows message number " + text + "; skipped");
    }
    return rows;
}

void printTable(const Screener &screener, const Options &options)
{
    const std::string text = formatTable(screener.messageTable, int(screener.rows.size()),
                                         options.utf8, options.verdicts);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

// One line on standard error, also without -v: what the run found and did.
void printSummary(const std::string &profile, const Screener &screener)
{
    const int rows = int(screener.rows.size());
    int trusted = 0;
    for (int r = 1; r <= rows; ++r)
        trusted += screener.messageTable.isTrusted(r) ? 1 : 0;
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
    TerminalPrompter prompter(options.last);
    Screener screener(view, prompter);
    giveAccount(screener, *account, dir);
    TNMPOP3 client;
    const Pop3Attachment attached = screener.attachPop3(client);
    warnOnPlainLogin(client);

    // As the window's get-and-check command: "/ All" first when asked, then the download.
    if (options.all)
        screener.forgetResumeMarks();
    screener.clearTrustedLists();
    screener.setAllowDeleteAccepted(false);
    if (!screener.connectSession()) {
        // Nothing was read from the server: the profile's files stay as they are.
        printError("kestrix-cli: " + screener.sessionError);
        return ExitServerFailure;
    }

    std::string failure;
    try {
        screener.downloadHeaders();
        QCoreApplication::processEvents();
        screener.reclassify();
        if (!screener.downloadStopped.empty()) {
            failure = "download stopped: " + screener.downloadStopped;
        } else if (!screener.sessionOpen()) {
            failure = screener.lastServerError.empty() ? std::string("connection lost")
                                                       : screener.lastServerError;
        } else if (options.command == Command::DeleteKnownBad) {
            if (screener.countKnownBad() > 0)
                screener.deleteKnownBad();
        } else if (options.command == Command::Delete) {
            std::vector<int> rows = rowsOfNumbers(screener, options.numbers);
            if (!options.allowAccepted) {
                for (const int row : rows) {
                    if (screener.messageTable.isTrusted(row))
                        printError("kestrix-cli: message " + screener.rows[size_t(row) - 1].number
                                   + " is from a whitelisted sender; kept (--allow-accepted "
                                     "deletes it)");
                }
            }
            if (!rows.empty()) {
                screener.setAllowDeleteAccepted(options.allowAccepted);
                screener.deleteRows(std::move(rows));
            }
        }
    } catch (const std::exception &error) {
        failure = error.what();
    }
    view.endProgress();
    printTable(screener, options);
    screener.closeSession();
    // The server carries out the deletions only when it confirms QUIT.
    if (screener.lastDeletion.deleted > 0 && !screener.quitConfirmed) {
        const std::string unconfirmed = "the server did not confirm QUIT: the "
                                      + std::to_string(screener.lastDeletion.deleted)
                                      + " deletion(s) it acknowledged may not have been carried out";
        failure = failure.empty() ? unconfirmed : failure + "; " + unconfirmed;
    }

    // What the run learnt (resume marks, deletions logged and counted) is kept even when the
    // server failed part-way: the deletions it acknowledged before are carried out by QUIT.
    profile.settings = screener.settings;
    profile.whitelist = std::move(screener.whitelist);
    profile.blacklist = std::move(screener.blacklist);
    profile.log = std::move(screener.rejectedLog);
    const FileResult saved = SaveProfile(profile, dir);
    if (!saved) {
        printError("kestrix-cli: " + saved.error);
        if (failure.empty())
            return ExitServerFailure;
    }
    printSummary(name, screener);
    if (!failure.empty()) {
        printError("kestrix-cli: " + failure);
        return ExitServerFailure;
    }
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
