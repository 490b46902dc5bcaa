#pragma once
// The screening commands of kestrix-cli (list, delete-known-bad, delete): what to do and with
// which answers. Parsing only; nothing here touches a file or the network.

#include "app/cli_command_line.h"

#include <optional>
#include <string>
#include <vector>

namespace kestrix::cli {

enum class Command { List, DeleteKnownBad, Delete };

struct Options {
    std::optional<std::string> dir;      // --dir DIR
    std::optional<std::string> profile;  // --profile NAME
    bool verbose = false;                // -v
    Command command = Command::List;
    bool all = false;            // --all: forget the resume marks first ("/ All")
    std::optional<int> last;     // --last N: the answer to the download-control question
    bool allowAccepted = false;  // --allow-accepted (delete only)
    bool utf8 = false;           // --utf8: sender and subject as display text in UTF-8
    bool verdicts = false;       // --verdicts: a last column with each row's verdicts
    std::vector<int> numbers;    // delete: message numbers
};

struct ParseResult {
    std::optional<Options> options;  // nothing for usage errors
    std::string error;               // a usage error ("" otherwise)
};

// The arguments after the command word.
ParseResult parseScreeningArguments(Command command, const GlobalOptions &global,
                                    const std::vector<std::string> &args);

// The usage lines of the three screening commands.
extern const char *const kScreeningUsage;

}  // namespace kestrix::cli
