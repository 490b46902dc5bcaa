#include "app/cli_commands.h"

#include "app/cli_blacklist.h"
#include "app/cli_check_update.h"
#include "app/cli_learn.h"
#include "app/cli_log.h"
#include "app/cli_options.h"
#include "app/cli_profile.h"
#include "app/cli_quarantine.h"
#include "app/cli_read.h"
#include "app/cli_run.h"
#include "app/cli_whitelist.h"
#include "profiles/data_folder.h"

namespace kestrix::cli {

const std::vector<CommandEntry> &commandTable()
{
    static const std::vector<CommandEntry> table = {
        {"list", runList, kScreeningUsage},
        {"delete-known-bad", runDeleteKnownBad, ""},
        {"delete", runDelete, ""},
        {"read", runRead, kReadUsage},
        {"profile", runProfileCommand, kProfileUsage},
        {"whitelist", runWhitelistCommand, kWhitelistUsage},
        {"blacklist", runBlacklistCommand, kBlacklistUsage},
        {"log", runLogCommand, kLogUsage},
        {"quarantine", runQuarantineCommand, kQuarantineUsage},
        {"check-update", runCheckUpdate, kCheckUpdateUsage},
        {"learn", runLearnCommand, kLearnUsage},
        {"score", runScoreCommand, kScoreUsage},
    };
    return table;
}

const CommandEntry *findCommand(std::string_view word)
{
    for (const CommandEntry &entry : commandTable()) {
        if (entry.word == word)
            return &entry;
    }
    return nullptr;
}

std::string usageText()
{
    std::string text =
        "kestrix-cli [--dir DIR] [--profile NAME] [-v] [--utf8] COMMAND [options]\n"
        "kestrix-cli --version | --help\n"
        "  data folder: --dir DIR; else KESTRIX_DIR; else the program's folder when it holds\n"
        "               Kestrix.pro and can be written; else $XDG_DATA_HOME/kestrix (normally\n"
        "               ~/.local/share/kestrix, made with mode 0700). The same files as the\n"
        "               window.\n"
        "               in use now: ";
    text += describeDataFolder(currentDataFolderChoice());
    text +=
        "\n"
        "  profile: --profile NAME (matched against Kestrix.pro ignoring case), else the last\n"
        "           profile, else \"default\"\n"
        "  -v, --verbose: every status text on standard error, as the window's status line\n"
        "           shows it; without it only failures, warnings and a one-line summary\n"
        "  --utf8: the senders and subjects of the message table and the log as people read\n"
        "           them, in UTF-8: encoded words (=?charset?B?...?=, =?charset?Q?...?=) decoded, other\n"
        "           8-bit text read as UTF-8 when valid, else as Latin-1; escaped as without it\n"
        "  --: every argument after it belongs to the command (a text that begins with \"-\")\n";
    for (const CommandEntry &entry : commandTable())
        text += entry.usage;
    text +=
        "  exit status: 0 done; 1 failure (connection, login, server, a file that cannot be\n"
        "      written, a profile or entry that does not exist or already exists), with one\n"
        "      line on standard error; 2 usage error (unknown command or option, a bad name or\n"
        "      value, a profile without host, port or user)\n";
    return text;
}

}  // namespace kestrix::cli
