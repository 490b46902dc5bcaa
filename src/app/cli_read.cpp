#include "app/cli_read.h"

#include "app/cli_account.h"
#include "app/cli_context.h"
#include "app/cli_terminal.h"
#include "mime/attachment_scan.h"
#include "screening/screener.h"
#include "text/body_text.h"
#include "text/latin1.h"
#include "transport/pop3_client.h"

#include <QDir>

#include <climits>
#include <cstdio>

namespace kestrix::cli {

const char *const kReadUsage =
    "  read NUMBER [--attachments DIR]\n"
    "      connect, RETR NUMBER, QUIT (the message stays on the server: never DELE);\n"
    "      store its further parts as files in DIR, else in the data folder's\n"
    "      \"Attachments\" folder (never replacing a file: a second copy of a.pdf is\n"
    "      a_1.pdf), and print its text on standard output as the message reader shows\n"
    "      it (in UTF-8, decoded by its charset), each line ended by LF, a line File \"NAME\" extracted per stored part,\n"
    "      and a warning on standard error for a part whose name has a type that\n"
    "      can run code (.exe, .sh, .desktop, ...); the account and password as for list\n";

namespace {

// The text as the reader shows it, in UTF-8: every Body entry, its own line breaks (the CR LF
// before a "File ... extracted" line) as separate lines, each ended by LF.
void printBody(const TMailMessage &message)
{
    const std::string text = bodyTextUtf8(bodyLines(message.Body), message.BodyCharset);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

}  // namespace

int runRead(const GlobalOptions &global, const std::vector<std::string> &args)
{
    const CommandArguments split = splitCommandArguments(args, {"--attachments"}, {});
    if (!split.error.empty()) {
        if (split.error == "--attachments needs a value")
            return usageError("--attachments needs a folder");
        return usageError(split.error);
    }
    if (split.words.empty())
        return usageError("read needs a message number");
    const auto number = parseDecimal(split.words.front());
    if (!number || *number < 1 || *number > INT_MAX)
        return usageError("not a message number: " + split.words.front());
    if (split.words.size() > 1)
        return usageError("unexpected argument: " + split.words[1]);
    const auto attachments = split.value("--attachments");
    if (attachments && attachments->empty())
        return usageError("--attachments needs a folder");

    int status = ExitDone;
    const auto dir = openFolder(global, status);
    if (!dir)
        return status;
    auto account = openAccount(global, *dir, status);
    if (!account)
        return status;
    const QString folder = attachments ? toQString(*attachments)
                                       : QDir(*dir).filePath(QStringLiteral("Attachments"));
    if (!QDir().mkpath(folder))
        return failure("cannot create the attachment folder " + fromQString(folder));

    TerminalView view(global.verbose);
    TerminalPrompter prompter(std::nullopt, global.verbose);
    Screener screener(view, prompter);
    giveAccount(screener, *account, *dir);
    screener.attachmentsFolder = fromQString(folder);
    TNMPOP3 client;
    const Pop3Attachment attached = screener.attachPop3(client);
    warnOnPlainLogin(client);

    if (!screener.connectSession())
        return failure(screener.session.sessionError);
    const bool read = screener.retrieveMessage(int(*number));
    screener.closeSession();
    if (!read)
        return failure(screener.readError);
    printBody(screener.readContent.CurrentMessage);
    // What the window's reader shows on maroon.
    for (const std::string &name : screener.readContent.CurrentMessage.Attachments) {
        if (hasDangerousExtension(name))
            printError("kestrix-cli: warning: \"" + name + "\" is of a type that can run code");
    }
    return ExitDone;
}

}  // namespace kestrix::cli
