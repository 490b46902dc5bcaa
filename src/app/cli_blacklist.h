#pragma once
// kestrix-cli blacklist list|add|remove: the program-wide blacklist words (kestrix.blk), with
// the rules of the blacklist page: words lower-cased, no duplicates.

#include "app/cli_command_line.h"

#include <string>
#include <vector>

namespace kestrix::cli {

int runBlacklistCommand(const GlobalOptions &global, const std::vector<std::string> &args);

extern const char *const kBlacklistUsage;

}  // namespace kestrix::cli
