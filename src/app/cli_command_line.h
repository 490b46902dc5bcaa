#pragma once
// kestrix-cli's command line, split into the options every command shares, the command word
// and what follows it for the command itself. Parsing only; nothing here touches a file.
//
//   kestrix-cli [--dir DIR] [--profile NAME] [-v] [--utf8] COMMAND [ARGUMENT | --option [VALUE]]...
//
// The shared options may stand anywhere before a "--"; after "--" every argument is the
// command's own (a whitelist text that begins with "-").

#include <optional>
#include <string>
#include <vector>

namespace kestrix::cli {

enum ExitStatus : int { ExitDone = 0, ExitServerFailure = 1, ExitFailure = 1, ExitUsage = 2 };

struct GlobalOptions {
    std::optional<std::string> dir;      // --dir DIR
    std::optional<std::string> profile;  // --profile NAME
    bool verbose = false;                // -v, --verbose: every status text on standard error
    bool utf8 = false;                   // --utf8: senders and subjects as display text in UTF-8
};

struct CommandLine {
    GlobalOptions global;
    bool help = false;     // --help, -h
    bool version = false;  // --version
    std::string command;   // the first word that is no option ("" when none)
    std::vector<std::string> args;  // the rest, in order, without the shared options
    std::string error;     // a usage error ("" otherwise)
};

// args without the program name.
CommandLine parseCommandLine(const std::vector<std::string> &args);

// A command's own options: "--name VALUE", "--name=VALUE" and flags, plus the words between
// them. Each command says which options take a value and which are flags.
struct CommandArguments {
    std::vector<std::string> words;
    std::vector<std::pair<std::string, std::string>> values;  // option name, value
    std::vector<std::string> flags;
    std::string error;

    std::optional<std::string> value(const std::string &name) const;
    bool flag(const std::string &name) const;
};
CommandArguments splitCommandArguments(const std::vector<std::string> &args,
                                       const std::vector<std::string> &valueOptions,
                                       const std::vector<std::string> &flagOptions);

}  // namespace kestrix::cli
