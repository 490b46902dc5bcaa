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

const char *const kScreeningUsage =
    "  list [--all] [--last N] [--verdicts]\n"
    "      connect, download headers (resume marks; --all resets them as \"/ All\" does),\n"
    "      reclassify, print the table, QUIT, save the profile\n"
    "      when more messages are new than the notify threshold: --last N answers the\n"
    "      download-control question with N; without --last, the question is asked on a\n"
    "      terminal, and without a terminal all new messages are fetched\n"
    "  delete-known-bad [--all] [--last N] [--verdicts]\n"
    "      as list, then delete every known-bad or blacklisted row from an unknown sender\n"
    "      in the same session; print the table after the deletion; QUIT; save the profile\n"
    "  delete [--allow-accepted] [--all] [--last N] [--verdicts] NUMBER...\n"
    "      as list, then delete the rows with those message numbers as the deletion of a\n"
    "      selection would (bottom-up, logged, counted; whitelisted rows only with\n"
    "      --allow-accepted); print the table after the deletion; QUIT; save the profile\n"
    "      account: host, port and user from the profile's settings file; password from the\n"
    "      environment variable KESTRIX_PASSWORD, else asked on the terminal without echo;\n"
    "      never from the command line, never written anywhere\n"
    "      output: one line per message row on standard output, TAB-separated: message\n"
    "      number, sender marker (KNGA, KNBA or -), sender text, subject marker (KNBS, KNBP\n"
    "      or -), subject text, size-and-content text; texts as the raw single-byte bytes\n"
    "      without their marker; \\, TAB, CR and LF inside a text are written as \\\\, \\t,\n"
    "      \\r and \\n. --verdicts adds a seventh field: the row's verdicts, comma-separated\n"
    "      (forged, impostor, look-alike, provider-spam) or - for none. On standard error: failures, warnings and a one-line summary (-v: every\n"
    "      status text as well); on a terminal a progress line while headers download\n";

ParseResult parseScreeningArguments(Command command, const GlobalOptions &global,
                                    const std::vector<std::string> &args)
{
    ParseResult result;
    auto error = [&result](std::string text) {
        result.error = std::move(text);
        return result;
    };
    const CommandArguments split =
        splitCommandArguments(args, {"--last"}, {"--all", "--allow-accepted", "--verdicts"});
    if (!split.error.empty()) {
        if (split.error == "--last needs a value")
            return error("--last needs a number");
        return error(split.error);
    }

    Options options;
    options.dir = global.dir;
    options.profile = global.profile;
    options.verbose = global.verbose;
    options.utf8 = global.utf8;
    options.command = command;
    options.all = split.flag("--all");
    options.allowAccepted = split.flag("--allow-accepted");
    options.verdicts = split.flag("--verdicts");
    if (const auto text = split.value("--last")) {
        const auto n = numberArgument(*text, 0);
        if (!n)
            return error("--last: not a number of messages: " + *text);
        options.last = *n;
    }
    if (options.allowAccepted && command != Command::Delete)
        return error("--allow-accepted belongs to delete");
    for (const std::string &word : split.words) {
        if (command != Command::Delete)
            return error("unexpected argument: " + word);
        const auto n = numberArgument(word, 1);
        if (!n)
            return error("not a message number: " + word);
        options.numbers.push_back(*n);
    }
    if (command == Command::Delete && options.numbers.empty())
        return error("delete needs at least one message number");
    result.options = std::move(options);
    return result;
}

}  // namespace kestrix::cli
