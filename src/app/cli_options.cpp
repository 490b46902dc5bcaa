#include "app/cli_options.h"

#include "text/latin1.h"

#include <climits>

namespace kestrix::cli {

namespace {

// A whole decimal number from min up to INT_MAX; nothing for anything else.
std::optional<int> numberArgument(const std::string &text, int min)
{
    const auto value = parseDecimal(text);
    if (!value || *value < min || *value > INT_MAX)
        return std::nullopt;
    return int(*value);
}

}  // namespace

const char *usageText()
{
    return "kestrix-cli [--dir DIR] [--profile NAME] COMMAND [options]\n"
           "  data folder: --dir DIR, else KESTRIX_DIR, else the executable's folder; the same\n"
           "               files as the window\n"
           "  profile: --profile NAME (matched against Kestrix.pro ignoring case), else the last\n"
           "           profile, else \"default\"\n"
           "  account: host, port and user from the profile's settings file; password from the\n"
           "           environment variable KESTRIX_PASSWORD, else asked on the terminal without\n"
           "           echo; never from the command line, never written anywhere\n"
           "  list [--all] [--last N]\n"
           "      connect, download headers (resume marks; --all resets them as \"/ All\" does),\n"
           "      reclassify, print the table, QUIT, save the profile\n"
           "      when more messages are new than the notify threshold: --last N answers the\n"
           "      download-control question with N; without --last, the question is asked on a\n"
           "      terminal, and without a terminal all new messages are fetched\n"
           "  delete-known-bad [--all] [--last N]\n"
           "      as list, then delete every known-bad or blacklisted row from an unknown sender\n"
           "      in the same session; print the table after the deletion; QUIT; save the profile\n"
           "  delete [--allow-accepted] [--all] [--last N] NUMBER...\n"
           "      as list, then delete the rows with those message numbers as the deletion of a\n"
           "      selection would (bottom-up, logged, counted; whitelisted rows only with\n"
           "      --allow-accepted); print the table after the deletion; QUIT; save the profile\n"
           "  check-update [--url URL]\n"
           "      read the release page (--url, else KESTRIX_RELEASE_URL, else the built-in\n"
           "      address) and print \"installed: VERSION\", \"published: VERSION\" and the\n"
           "      release notes; exit 1 when the page cannot be read\n"
           "  --version: print the installed version\n"
           "  output: one line per message row on standard output, TAB-separated: message\n"
           "      number, sender marker (KNGA, KNBA or -), sender text, subject marker (KNBS, KNBP\n"
           "      or -), subject text, size-and-content text; texts as the raw single-byte bytes\n"
           "      without their marker; \\, TAB, CR and LF inside a text are written as \\\\, \\t,\n"
           "      \\r and \\n. Nothing else on standard output; progress and status texts go to\n"
           "      standard error.\n"
           "  exit status: 0 done; 1 connection, login or server failure, with the reason on\n"
           "      standard error; 2 usage error (unknown command or option, a profile without\n"
           "      host, port or user)\n";
}

ParseResult parseArguments(const std::vector<std::string> &args)
{
    ParseResult result;
    Options options;
    std::optional<Command> command;
    auto error = [&result](std::string text) {
        result.error = std::move(text);
        return result;
    };

    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        // The value of an option: "--name VALUE" or "--name=VALUE".
        auto value = [&](const std::string &name) -> std::optional<std::string> {
            if (arg == name) {
                if (i + 1 >= args.size())
                    return std::nullopt;
                return args[++i];
            }
            return arg.substr(name.size() + 1);
        };
        auto is = [&arg](const std::string &name) {
            return arg == name || arg.rfind(name + "=", 0) == 0;
        };

        if (arg == "--help" || arg == "-h") {
            result.help = true;
            return result;
        }
        if (is("--dir")) {
            const auto dir = value("--dir");
            if (!dir || dir->empty())
                return error("--dir needs a folder");
            options.dir = *dir;
        } else if (is("--profile")) {
            const auto name = value("--profile");
            if (!name || name->empty())
                return error("--profile needs a profile name");
            options.profile = *name;
        } else if (is("--last")) {
            const auto text = value("--last");
            if (!text)
                return error("--last needs a number");
            const auto n = numberArgument(*text, 0);
            if (!n)
                return error("--last: not a number of messages: " + *text);
            options.last = *n;
        } else if (arg == "--all") {
            options.all = true;
        } else if (arg == "--allow-accepted") {
            options.allowAccepted = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return error("unknown option: " + arg);
        } else if (!command) {
            if (arg == "list")
                command = Command::List;
            else if (arg == "delete-known-bad")
                command = Command::DeleteKnownBad;
            else if (arg == "delete")
                command = Command::Delete;
            else
                return error("unknown command: " + arg);
        } else if (*command == Command::Delete) {
            const auto n = numberArgument(arg, 1);
            if (!n)
                return error("not a message number: " + arg);
            options.numbers.push_back(*n);
        } else {
            return error("unexpected argument: " + arg);
        }
    }

    if (!command)
        return error("no command given");
    options.command = *command;
    if (options.allowAccepted && options.command != Command::Delete)
        return error("--allow-accepted belongs to delete");
    if (options.command == Command::Delete && options.numbers.empty())
        return error("delete needs at least one message number");
    result.options = std::move(options);
    return result;
}

}  // namespace kestrix::cli
