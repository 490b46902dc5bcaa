#pragma once
// The commands of kestrix-cli, one entry per command word. A command lives in a file of its own
// (cli_<command>.cpp with its header) and joins by one line in the table in cli_commands.cpp.

#include "app/cli_command_line.h"

#include <string>
#include <string_view>
#include <vector>

namespace kestrix::cli {

// Runs the command on the arguments after its word; returns the exit status.
using CommandHandler = int (*)(const GlobalOptions &global, const std::vector<std::string> &args);

struct CommandEntry {
    std::string_view word;
    CommandHandler run;
    const char *usage;  // its lines of --help, each starting with two blanks
};

const std::vector<CommandEntry> &commandTable();
const CommandEntry *findCommand(std::string_view word);

// The whole --help text: the shared options, the data-folder rule with the folder in use, every
// command's lines and the exit statuses.
std::string usageText();

}  // namespace kestrix::cli
