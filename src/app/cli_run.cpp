#include "app/cli_run.h"

#include "app/cli_table_printer.h"
#include "app/cli_terminal.h"
#include "profiles/data_folder.h"
#include "profiles/profile_list.h"
#include "profiles/profile_store.h"
#include "screening/screener.h"
#include "text/latin1.h"
#include "transport/pop3_client.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>

namespace kestrix::cli {

namespace {

std::string fromQString(const QString &text)
{
    return text.toLatin1().toStdString();
}

QString toQString(const std::string &text)
{
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

int usageError(const std::string &text)
{
    printError("kestrix-cli: " + text);
    return ExitUsage;
}

// The profile this run works on: the named one only when Kestrix.pro lists it (a typo must
// never screen another account), else the last profile used, else "default".
std::optional<std::string> chooseProfile(const Options &options, const QString &dir,
                                         std::string &why)
{
    const std::vector<std::string> names = readProfileList(dir);
    if (!options.profile)
        return chooseStartProfile(names, std::nullopt, dir).name;
    const auto index = findProfile(names, *options.profile);
    if (!index || !isUsableProfileName(names[*index])) {
        why = "no profile named \"" + *options.profile + "\" in " + fromQString(profileListPath(dir));
        return std::nullopt;
    }
    return names[*index];
}

std::optional<std::string> password(std::string &why)
{
    if (const char *fromEnvironment = std::getenv("KESTRIX_PASSWORD"); fromEnvironment
        && *fromEnvironment)
        return std::string(fromEnvironment);
    auto typed = readPasswordFromTerminal("Password: ");
    if (!typed)
        why = "no password: set KESTRIX_PASSWORD or run on a terminal";
    return typed;
}

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

void printTable(const Screener &screener)
{
    const std::string text = formatTable(screener.messageTable, int(screener.rows.size()));
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

}  // namespace

int run(const Options &options)
{
    const QString dir = options.dir ? toQString(*options.dir) : dataFolder();
    if (!QFileInfo(dir).isDir())
        return usageError("no data folder " + fromQString(dir));

    std::string why;
    const auto name = chooseProfile(options, dir, why);
    if (!name)
        return usageError(why);
    const ProfilePaths paths = profilePaths(dir, *name);
    if (!QFileInfo::exists(paths.settings))
        return usageError("profile \"" + *name + "\" has no settings file "
                          + fromQString(paths.settings));

    Profile profile;
    profile.name = *name;
    const LoadProfileResult loaded = LoadProfile(profile, dir);
    if (!loaded)
        return usageError(loaded.error);
    const ProfileSettings &account = profile.settings;
    if (account.Host.empty() || account.Port.empty() || account.UserId.empty())
        return usageError("profile \"" + *name + "\" lacks the host, port or user id");
    const auto port = parseDecimal(account.Port);
    if (!port || *port < 1 || *port > 65535)
        return usageError("profile \"" + *name + "\" has the port \"" + account.Port
                          + "\"; it must be a number from 1 to 65535");
    const auto secret = password(why);
    if (!secret)
        return usageError(why);

    TerminalView view;
    TerminalPrompter prompter(options.last);
    Screener screener(view, prompter);
    screener.settings = profile.settings;
    screener.whitelist = std::move(profile.whitelist);
    screener.blacklist = std::move(profile.blacklist);
    screener.rejectedLog = std::move(profile.log);
    screener.password = *secret;
    screener.attachmentsFolder = fromQString(dir) + "/Attachments";
    TNMPOP3 client;
    const Pop3Attachment attached = screener.attachPop3(client);

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
        if (!screener.sessionOpen()) {
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
    printTable(screener);
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
    if (!failure.empty()) {
        printError("kestrix-cli: " + failure);
        return ExitServerFailure;
    }
    return ExitDone;
}

}  // namespace kestrix::cli
