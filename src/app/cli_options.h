#pragma once
// The command line of kestrix-cli: what to do, on which profile and data folder. Parsing only;
// nothing here touches a file or the network.

#include <optional>
#include <string>
#include <vector>

namespace kestrix::cli {

enum class Command { List, DeleteKnownBad, Delete };

struct Options {
    std::optional<std::string> dir;      // --dir DIR
    std::optional<std::string> profile;  // --profile NAME
    Command command = Command::List;
    bool all = false;            // --all: forget the resume marks first ("/ All")
    std::optional<int> last;     // --last N: the answer to the download-control question
    bool allowAccepted = false;  // --allow-accepted (delete only)
    std::vector<int> numbers;    // delete: message numbers
};

struct ParseResult {
    std::optional<Options> options;  // nothing for --help and for errors
    bool help = false;
    std::string error;  // a usage error ("" otherwise)
};

// args without the program name.
ParseResult parseArguments(const std::vector<std::string> &args);

// The usage text that --help prints.
const char *usageText();

}  // namespace kestrix::cli
